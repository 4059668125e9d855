#include <gtest/gtest.h>

#include "app/AlertButton.h"
#include "game/ui/HelpStripButton.h"
#include "game/ui/ResourceLabel.h"
#include "app/TextPageView.h"
#include "framework/media/GSoundManager.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPictureView.h"
#include "game/map/Map.h"
#include "framework/ui/GTextEntry.h"
#include "ShellRig.h"
#include "framework/media/NetLink.h"
#include "game/map/OrderState.h"
#include "platform/PNetMemoryTransport.h"

namespace {

// The alert box's buttons, in the order made (YES before NO).
std::vector<AlertButton*> Buttons(GView* box) {
  std::vector<AlertButton*> out;
  for (int32_t i = 0; box != nullptr && i < box->GetChildCount(); ++i)
    if (auto* b = dynamic_cast<AlertButton*>(box->GetChild(i))) out.push_back(b);
  return out;
}

std::vector<std::string> Labels(GView* view) {
  std::vector<std::string> out;
  for (int32_t i = 0; view != nullptr && i < view->GetChildCount(); ++i)
    if (auto* l = dynamic_cast<GLabel*>(view->GetChild(i))) out.push_back(l->GetText().CStr());
  return out;
}

}  // namespace

// ---- Keys ----

TEST(ShellKeysTest, SoundKeyCyclesBackAndSwitchesTheSoundManagerEachTime) {
  ShellRig rig(true);
  ASSERT_NE(gSoundManager, nullptr);
  std::vector<bool> enabled;
  for (int i = 0; i < 3; ++i) {
    rig.app->HandleKey('S', false, false);
    enabled.push_back(gSoundManager->IsEnabled());
  }
  EXPECT_EQ(rig.app->GetOption(0), 2);
  EXPECT_EQ(enabled, (std::vector<bool>{false, true, true}));
  EXPECT_EQ(rig.screen.messages, (std::vector<std::string>{"Sound = Off", "Sound = On", "Sound = On + Ambient"}));
}

TEST(ShellKeysTest, OptionKeysRedrawAndStopAtTheirEnds) {
  ShellRig rig(true);
  Map* map = rig.app->GetBattle()->map;
  map->display.needsRedraw = false;
  rig.app->HandleKey('[', false, false);
  EXPECT_EQ(rig.app->GetOption(41), 1);
  EXPECT_TRUE(map->display.needsRedraw);
  rig.app->SetOption(41, 8);
  rig.app->HandleKey(']', false, false);
  EXPECT_EQ(rig.app->GetOption(41), 8);
  rig.app->SetOption(40, -10);
  rig.app->HandleKey('Z', false, false);
  EXPECT_EQ(rig.screen.messages.back(), "Camera Dip = -10");
  // Lower case goes to the battle, and so does a key of no option.
  rig.app->HandleKey('b', false, false);
  rig.app->HandleKey('x', false, true);
  EXPECT_EQ(rig.screen.keys, (std::vector<std::string>{"b", "x"}));
  EXPECT_EQ(rig.app->GetOption(1), 0);
  // Alt+G from 2.
  rig.app->HandleKey('g', true, false);
  EXPECT_EQ(rig.screen.messages.back(), "Gamma (Brightness) = High");
  EXPECT_EQ(rig.app->GetOption(18), 3);
}

TEST(ShellKeysTest, WithAMenuOpenLettersGoToTheBattleEvenThroughADialog) {
  ShellRig rig(true);
  rig.screen.menuOpen = true;
  rig.app->HandleKey('M', false, false);
  EXPECT_EQ(rig.app->GetOption(3), 1);
  auto* dialog = new GView();
  dialog->PlaceModal(nullptr, 10, 10, 100, 100);
  rig.app->HandleKey('H', false, false);
  EXPECT_EQ(rig.screen.keys, (std::vector<std::string>{"M", "H"}));
  EXPECT_EQ(rig.fake->BeepCount(), 0);
  delete dialog;
}

TEST(ShellKeysTest, WithAnAlertOpenEveryKeyBeepsButEscapeWhichAnswersIt) {
  ShellRig rig(true);
  rig.app->ShowAlert(7);
  for (uint8_t key : {uint8_t('S'), uint8_t('b')}) rig.app->HandleKey(key, false, false);
  rig.app->HandleKey('q', true, false);
  EXPECT_EQ(rig.fake->BeepCount(), 3);
  ASSERT_NE(rig.app->GetAlertBox(), nullptr);
  rig.app->HandleKey(27, false, false);
  EXPECT_EQ(rig.app->GetAlertBox(), nullptr);
  EXPECT_EQ(rig.fake->BeepCount(), 3);
  EXPECT_EQ(rig.fake->MinimizeCount(), 0);
  EXPECT_TRUE(rig.screen.keys.empty());
  EXPECT_EQ(rig.app->GetOption(0), 2);
}

TEST(ShellKeysTest, TheEditorTakesKeysUnlessItShowsTheBattleScreen) {
  ShellRig rig(true);
  rig.app->SetEditor(&rig.editor);
  rig.app->HandleKey('S', false, false);
  EXPECT_EQ(rig.editor.keys, std::vector<uint8_t>{'S'});
  EXPECT_EQ(rig.app->GetOption(0), 2);
  rig.editor.battleView = true;
  rig.app->HandleKey('S', false, false);
  EXPECT_EQ(rig.app->GetOption(0), 0);
  rig.app->SetEditor(nullptr);
  // Alt+Q in a pick (mode 3) goes on to the battle.
  rig.app->SetInputMode(InputModes::kTargetPick);
  rig.app->HandleKey('q', true, false);
  EXPECT_EQ(rig.screen.keys, std::vector<std::string>{"alt+q"});
}

// ---- Start ----

TEST(ShellStartTest, ShiftInvertsTheMovieOptionAndTheTitleSoundEndsAtAKey) {
  ShellRig rig(false, 640, 480, true);
  EXPECT_EQ(rig.app->movieTries, 0);
  EXPECT_EQ(rig.app->GetOption(19), 0);
  EXPECT_TRUE(rig.app->HasTitleSound());
  rig.app->HandleKey('x', false, false);
  EXPECT_FALSE(rig.app->HasTitleSound());
  rig.End();
  EXPECT_EQ(rig.folder.ReadFile("Tarvane Osmr Vel Prefs")[65 + 19], 0);
}

TEST(ShellStartTest, WithoutShiftTheMovieIsTriedAndItsAbsenceStartsTheTitleSound) {
  ShellRig rig(false);
  EXPECT_EQ(rig.app->movieTries, 1);
  EXPECT_TRUE(rig.app->HasTitleSound());
  EXPECT_NE(rig.app->GetMainPicture(), nullptr);
  for (const char* folder : {"Scenarios", "Saved Games", "PBEM"})
    EXPECT_TRUE(std::filesystem::is_directory(rig.folder.Native() + folder)) << folder;
}

// ---- Alerts ----

TEST(ShellAlertTest, TheBoxLaysOutItsLinesAndButtons) {
  ShellRig rig(true);
  rig.app->ShowAlert(3);
  GView* box = rig.app->GetAlertBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->Width(), 560);
  EXPECT_EQ(box->Height(), 130);
  EXPECT_EQ(box->Bounds().left, (640 - 560) / 2);
  EXPECT_EQ(Labels(box), (std::vector<std::string>{"ERROR: Lost connection to opponent. Game aborting.",
                                                    "You can resume later using AUTOSAVE scenario."}));
  auto buttons = Buttons(box);
  ASSERT_EQ(buttons.size(), 1u);
  EXPECT_EQ(buttons[0]->Bounds().left - box->Bounds().left, 140);
  EXPECT_EQ(buttons[0]->Width(), 280);
  EXPECT_EQ(buttons[0]->Bounds().top - box->Bounds().top, 80);
  EXPECT_EQ(rig.app->GetInputMode(), InputModes::kAlert);
}

TEST(ShellAlertTest, LowerAlertsWaitBehindAnOpenBoxAndLinkFailuresReplaceIt) {
  ShellRig rig(true);
  rig.app->ShowAlert(24);
  GView* first = rig.app->GetAlertBox();
  rig.app->ShowAlert(7);
  EXPECT_EQ(rig.app->GetAlertBox(), first);
  EXPECT_EQ(Labels(first), std::vector<std::string>{"File exists.  Overwrite?"});
  rig.app->ShowAlert(3);
  ASSERT_NE(rig.app->GetAlertBox(), nullptr);
  EXPECT_EQ(Labels(rig.app->GetAlertBox())[0], "ERROR: Lost connection to opponent. Game aborting.");
}

TEST(ShellAlertTest, YesRunsItsCommandOnceAndNoneRunsAfterTheOtherButton) {
  ShellRig rig(true);
  rig.app->SetEditor(&rig.editor);
  rig.app->SetInputMode(InputModes::kReplay);
  rig.app->ShowAlert(20);
  auto buttons = Buttons(rig.app->GetAlertBox());
  ASSERT_EQ(buttons.size(), 2u);
  buttons[0]->Activate();
  EXPECT_EQ(rig.editor.commands, std::vector<int32_t>{109});
  EXPECT_EQ(rig.app->GetAlertBox(), nullptr);
  EXPECT_EQ(rig.app->GetInputMode(), InputModes::kReplay);
  // NO of the cease-fire question.
  rig.app->ShowAlert(17);
  rig.app->GetBattle()->endState[0] = 1;
  Buttons(rig.app->GetAlertBox())[1]->Activate();
  EXPECT_EQ(rig.app->GetBattle()->endState[0], 0);
  EXPECT_EQ(rig.editor.commands, std::vector<int32_t>{109});
}

TEST(ShellAlertTest, ASavedReplayModeBecomesNoneWhenTheCommandDeletedTheBattle) {
  ShellRig rig(true);
  rig.app->SetInputMode(InputModes::kReplay);
  rig.app->ShowAlert(19);
  Buttons(rig.app->GetAlertBox())[0]->Activate();
  EXPECT_EQ(rig.app->GetBattle(), nullptr);
  EXPECT_EQ(rig.app->GetInputMode(), InputModes::kNoPick);
  EXPECT_NE(rig.app->GetMainPicture(), nullptr);
}

TEST(ShellAlertTest, TheQuitQuestionQuitsAtOnceWithNothingToLose) {
  ShellRig rig(false);
  rig.app->DoCommand(58);
  EXPECT_EQ(rig.app->GetAlertBox(), nullptr);
  EXPECT_TRUE(rig.kernel->IsQuitting());
}

TEST(ShellAlertTest, TheQuitQuestionAsksDuringABattle) {
  ShellRig rig(true);
  rig.app->DoCommand(58);
  ASSERT_NE(rig.app->GetAlertBox(), nullptr);
  Buttons(rig.app->GetAlertBox())[1]->Activate();
  EXPECT_FALSE(rig.kernel->IsQuitting());
  rig.app->DoCommand(58);
  Buttons(rig.app->GetAlertBox())[0]->Activate();
  EXPECT_TRUE(rig.kernel->IsQuitting());
}

// ---- The dispatcher ----

TEST(ShellCommandTest, CommandsReachTheBattleTheEditorOrTheApplication) {
  ShellRig rig(true);
  rig.app->SetEditor(&rig.editor);
  Battle* battle = rig.app->GetBattle();
  const int32_t turn = battle->currentTurn;
  rig.app->DoCommand(10);
  EXPECT_GT(battle->currentTurn, turn);
  rig.app->DoCommand(52);
  for (int32_t c : {53, 65, 69, 99, 140}) rig.app->DoCommand(c);
  EXPECT_EQ(rig.editor.commands, (std::vector<int32_t>{53, 65, 69, 99, 140}));
  rig.app->DoCommand(84);
  EXPECT_EQ(rig.fake->BeepCount(), 0);
  rig.app->DoCommand(56);
  EXPECT_EQ(rig.fake->BeepCount(), 1);
  EXPECT_EQ(rig.app->GetBattle(), battle);
}

TEST(ShellCommandDeathTest, BattleAndEditorCommandsNeedTheirOwners) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        ShellRig rig(false);
        rig.app->DoCommand(52);
      },
      "");
  EXPECT_DEATH(
      {
        ShellRig rig(true);
        rig.app->DoCommand(99);
      },
      "");
}

TEST(ShellCommandTest, SurrenderAndCeaseFire) {
  {
    // TCP/IP: the surrender goes out with this side's orders (GO); the battle waits for the
    // opponent's.
    ShellRig rig(true);
    rig.app->SetConnectionType(2);
    rig.app->SetSideToPlay(0);
    rig.app->Tcp().SetState(TCPIP_STATE_ORDERS);
    rig.app->DoCommand(86);
    EXPECT_EQ(rig.app->GetBattle()->endState[0], 2);
    EXPECT_EQ(rig.app->Tcp().GetState(), TCPIP_STATE_UPLOADING_ORDERS);
    EXPECT_TRUE(rig.app->Tcp().Transfer().HasOutgoing());
    EXPECT_TRUE(rig.app->IsNetworkOrdersLocked());
    EXPECT_EQ(rig.app->GetBattle()->setupPhase, 1);
    EXPECT_EQ(rig.app->GetBattle()->resultsShown, 0);
    rig.app->DoCommand(87);
    EXPECT_EQ(rig.app->GetBattle()->endState[0], 0);
  }
  {
    ShellRig rig(true);
    rig.app->SetHumanPlayers(1);
    rig.app->SetSideToPlay(1);
    Battle* battle = rig.app->GetBattle();
    rig.app->DoCommand(88);
    EXPECT_EQ(battle->endState[1], 1);
    EXPECT_EQ(battle->resultsShown, 0);
    rig.app->DoCommand(89);
    battle->endState[0] = 1;
    rig.app->DoCommand(88);
    EXPECT_EQ(battle->resultsShown, 1);
    EXPECT_TRUE(battle->IsOver());
  }
}

// ---- Input mode and the idle step ----

TEST(ShellIdleTest, InputModeRulesAndTheDeferredActionsInTheirOrder) {
  ShellRig rig(true);
  rig.app->SetInputMode(InputModes::kReplay);
  EXPECT_TRUE(rig.screen.enabled);
  rig.app->SetInputMode(InputModes::kTargetPick);
  EXPECT_FALSE(rig.screen.enabled);
  // Mode 9 without a box: 5 while the button panel shows, else 0.
  rig.app->SetInputMode(InputModes::kAlert);
  rig.screen.panelVisible = true;
  rig.app->Idle();
  EXPECT_EQ(rig.app->GetInputMode(), InputModes::kReplay);
  rig.app->SetInputMode(InputModes::kAlert);
  rig.screen.panelVisible = false;
  rig.app->Idle();
  EXPECT_EQ(rig.app->GetInputMode(), InputModes::kNoPick);

  rig.app->SetShowBriefingPending(true);
  rig.app->SetReinforcementsPending(true);
  rig.screen.balanceNotice[0] = true;
  rig.app->SetSideToPlay(0);
  rig.app->Idle();
  EXPECT_EQ(rig.screen.keys, std::vector<std::string>{"alt+B"});
  EXPECT_EQ(rig.screen.drawState, 2);
  EXPECT_EQ(rig.app->GetAlertBox(), nullptr);
  rig.app->Idle();
  ASSERT_NE(rig.app->GetAlertBox(), nullptr);
  EXPECT_EQ(Labels(rig.app->GetAlertBox())[0], "Reinforcements have arrived.");
  rig.app->Idle();  // nothing while the box is open
  EXPECT_TRUE(rig.screen.balanceNotice[0]);
  Buttons(rig.app->GetAlertBox())[0]->Activate();
  rig.app->Idle();
  ASSERT_NE(rig.app->GetAlertBox(), nullptr);
  EXPECT_EQ(Labels(rig.app->GetAlertBox())[0], "Play Balance: Allied force has 25% extra troops");
}

TEST(ShellIdleTest, ReplayModeWithoutABattleIsStoredAsNone) {
  ShellRig rig(false);
  rig.app->SetInputMode(InputModes::kReplay);
  EXPECT_EQ(rig.app->GetInputMode(), InputModes::kNoPick);
}

// ---- Main screen ----

TEST(ShellMainScreenTest, SizeClassesAndPanelHeights) {
  EXPECT_EQ(WRApplication::SizeClassFor(799), 0);
  EXPECT_EQ(WRApplication::PanelHeightFor(0), 480);
  EXPECT_EQ(WRApplication::SizeClassFor(800), 1);
  EXPECT_EQ(WRApplication::PanelHeightFor(1), 600);
  EXPECT_EQ(WRApplication::SizeClassFor(1024), 2);
  EXPECT_EQ(WRApplication::PanelHeightFor(2), 768);
}

TEST(ShellMainScreenTest, TheFourButtonsStandWhereTheSizeClassPutsThem) {
  struct Case {
    int32_t width, height;
    int32_t positions[4][2];
  };
  const Case cases[] = {{1024, 768, {{172, 598}, {172, 668}, {552, 598}, {552, 668}}},
                        {640, 480, {{10, 330}, {10, 400}, {330, 330}, {330, 400}}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    ShellRig rig(false, c.width, c.height);
    rig.app->ShowMainScreen(true);
    GPictureView* picture = rig.app->GetMainPicture();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Width(), c.width);
    std::vector<HelpStripButton*> buttons;
    for (int32_t i = 0; i < picture->GetChildCount(); ++i)
      if (auto* b = dynamic_cast<HelpStripButton*>(picture->GetChild(i))) buttons.push_back(b);
    ASSERT_EQ(buttons.size(), 4u);
    const int32_t commands[4] = {54, 55, 57, 58};
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(buttons[k]->Bounds().left - picture->Bounds().left, c.positions[k][0]) << k;
      EXPECT_EQ(buttons[k]->Bounds().top - picture->Bounds().top, c.positions[k][1]) << k;
      EXPECT_EQ(buttons[k]->GetCommand(), commands[k]);
    }
    EXPECT_EQ(buttons[3]->GetClickSound(), 0);
    // The help line names the button under the mouse.
    buttons[1]->MouseMoved(5, 5);
    EXPECT_STREQ(rig.app->GetHelpLine()->GetText().CStr(), "Click to load a play-by-email file or join an internet game");
    buttons[1]->MouseLeft();
    EXPECT_STREQ(rig.app->GetHelpLine()->GetText().CStr(), "MAIN SCREEN");
  }
}

TEST(ShellMainScreenTest, EveryMainScreenResetsThePlayModeAndDrawsANewSeed) {
  ShellRig rig(false);
  rig.app->SetHumanPlayers(2);
  rig.app->SetConnectionType(1);
  rig.app->ShowMainScreen(true);
  EXPECT_EQ(rig.app->GetHumanPlayers(), 1);
  EXPECT_EQ(rig.app->GetConnectionType(), 0);
  EXPECT_LT(rig.app->GetSharedSeed(), 65535);
  // The multiplayer screen and back, not fresh.
  rig.app->DoCommand(55);
  EXPECT_STREQ(rig.app->GetHelpLine()->GetText().CStr(), "MULTIPLAYER SCREEN");
  rig.app->DoCommand(60);
  EXPECT_STREQ(rig.app->GetHelpLine()->GetText().CStr(), "MAIN SCREEN");
  // The e-mail notice keeps the play mode, and its going opens the save panel.
  rig.app->SetConnectionType(1);
  rig.app->SetShowEmailNotice(true);
  rig.app->ShowMainScreen(true);
  EXPECT_EQ(rig.app->GetConnectionType(), 1);
  GView* notice = rig.kernel->GetTopModalView();
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(notice->Width(), 490);
  EXPECT_EQ(notice->Height(), 150);
  EXPECT_EQ(Labels(notice).size(), 5u);
  delete notice;
  // The e-mail save panel: one button, the name entry.
  ASSERT_NE(rig.app->GetSavePanel(), nullptr);
  EXPECT_EQ(rig.kernel->GetTopModalView(), rig.app->GetSavePanel());
  rig.app->DoCommand(WRApplication::kCommandCloseSavePanel);
  EXPECT_EQ(rig.app->GetSavePanel(), nullptr);
  // A notice still up when the program ends goes with the application, opening nothing.
  rig.app->SetShowEmailNotice(true);
  rig.app->ShowMainScreen(true);
  ASSERT_NE(rig.kernel->GetTopModalView(), nullptr);
  rig.End();
}

TEST(ShellMainScreenTest, TheAddressFieldsShowTheStoredBytesUnsigned) {
  ShellRig rig(false);
  rig.app->SetOption(21, static_cast<int8_t>(192));
  rig.app->SetOption(22, static_cast<int8_t>(168));
  rig.app->ShowMainScreen(true);
  rig.app->DoCommand(62);
  GView* screen = rig.app->GetAddressScreen();
  ASSERT_NE(screen, nullptr);
  std::vector<std::string> texts;
  for (int32_t i = 0; i < screen->GetChildCount(); ++i)
    if (auto* e = dynamic_cast<GTextEntry*>(screen->GetChild(i))) texts.push_back(e->Text());
  EXPECT_EQ(texts, (std::vector<std::string>{"192", "168", "0", "0"}));
  rig.app->DoCommand(64);
  EXPECT_EQ(rig.app->GetAddressScreen(), nullptr);
  EXPECT_NE(rig.app->GetMainPicture(), nullptr);
}

// ---- The application's views ----

TEST(TextPageViewTest, PagesOf32Lines) {
  ShellRig rig(false);
  std::vector<std::string> lines(33, "line");
  auto* label = new GLabel();
  label->InitWithText(nullptr, 0, 0, 50, "1");
  auto* view = new TextPageView();
  view->Init(nullptr, lines, label);
  EXPECT_EQ(view->GetPageCount(), 2);
  EXPECT_EQ(view->LinesOnPage(), 32);
  view->TurnPage(true);
  EXPECT_EQ(view->LinesOnPage(), 1);
  EXPECT_STREQ(label->GetText().CStr(), "2");
  label->SetTextResource(1500);
  view->TurnPage(true);
  EXPECT_STREQ(label->GetText().CStr(), "MAIN SCREEN");  // unchanged on the last page
  view->TurnPage(false);
  EXPECT_EQ(view->GetPage(), 0);
  delete view;
  auto* empty = new TextPageView();
  empty->Init(nullptr, {}, nullptr);
  EXPECT_EQ(empty->GetPageCount(), 0);
  empty->TurnPage(true);
  EXPECT_EQ(empty->GetPage(), 0);
  delete empty;
  delete label;
}

namespace {

// The opponent's end of a link: accepts what reaches its listener.
struct Opponent {
  PNetMemoryTransport* transport = nullptr;
  uint32_t endpoint = 0;
};

void OpponentCallback(uint32_t endpoint, void* context, int32_t code, int32_t, uint32_t cookie) {
  auto& o = *static_cast<Opponent*>(context);
  if (code == PNetTransport::kConnectRequest) o.transport->AcceptConnection(endpoint, cookie, OpponentCallback, context);
  if (code == PNetTransport::kAcceptComplete) o.endpoint = endpoint;
}

void IgnoreMessage(const uint8_t*, uint32_t) {}
void IgnoreLoss(bool) {}

}  // namespace

TEST(ShellMainScreenTest, ComingBackFromALinkedGameSendsTheQuitOnceAndCloses) {
  ShellRig rig(false);
  PNetMemoryTransport memory;
  NetSetTransport(&memory);
  Opponent opponent{&memory, 0};
  const uint32_t listener =
      memory.OpenEndpoint("IPaddr=127.0.0.1\tIPport=9000", false, OpponentCallback, &opponent);
  ASSERT_TRUE(NetOpenEndpoint(false, NetMakeAddress(127, 0, 0, 1), 9000, IgnoreMessage, IgnoreLoss));
  memory.Idle(listener);
  ASSERT_TRUE(NetIsConnected());
  rig.app->ShowMainScreen(true);
  rig.app->ShowMainScreen(true);
  EXPECT_FALSE(NetIsConnected());
  std::string got;
  char buffer[4096];
  for (int i = 0; i < 20; ++i) {
    uint32_t size = sizeof buffer;
    if (memory.Receive(opponent.endpoint, buffer, &size) != PNetTransport::kOk) break;
    got.append(buffer, size);
  }
  const std::string quit("\xFC\0\0\0\x01\x12", 6);
  const size_t at = got.find(quit);
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(got.find(quit, at + 1), std::string::npos);
  NetCloseEndpoint();
  NetSetTransport(nullptr);
}
