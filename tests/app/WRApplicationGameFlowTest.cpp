// The way from a chosen game to the battle screen: the side and options, the players and
// connection, the hand-over passwords, the computer's side planned at GO, and the hand-over
// between the two players of a shared machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "ShellRig.h"
#include "app/BriefingText.h"
#include "app/TextPageView.h"
#include "framework/core/GFile.h"
#include "framework/media/NetLink.h"
#include "framework/ui/CRadioGroup.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPictureView.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GTextEntry.h"
#include "framework/ui/GView.h"
#include "framework/ui/GViewHost.h"
#include "game/ai/AIOperational.h"
#include "game/battle/Campaign.h"
#include "game/battle/screen/BattleScreenParts.h"
#include "game/battle/ComputerPlayer.h"
#include "game/map/OrderState.h"
#include "game/ui/ThinkingWindow.h"
#include "game/units/records/Shot.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitServices.h"
#include "platform/PFile.h"
#include "platform/PNetMemoryTransport.h"
#include "platform/PPath.h"

namespace {

// The thinking window over the root view, or null.
ThinkingWindow* ShownThinkingWindow() {
  GView* root = GViewHost::Current() != nullptr ? GViewHost::Current()->GetRootView() : nullptr;
  for (int32_t i = 0; root != nullptr && i < root->GetChildCount(); ++i) {
    if (auto* window = dynamic_cast<ThinkingWindow*>(root->GetChild(i))) return window;
  }
  return nullptr;
}

std::string LabelOf(GView* view);

// The application's screen as the planner uses it, watched at each advance of the meter: the
// window shown, its text and how far its bar is filled.
class WatchedHost : public ComputerPlayerHost {
 public:
  explicit WatchedHost(ComputerPlayerHost& host) : host_(host) {}
  int32_t GetSideToPlay() const override { return host_.GetSideToPlay(); }
  void SetSideToPlay(int32_t side) override { host_.SetSideToPlay(side); }
  void OpenProgressMeter() override { host_.OpenProgressMeter(); }
  void ShowProgress(float fraction) override {
    host_.ShowProgress(fraction);
    if (ThinkingWindow* window = ShownThinkingWindow()) {
      text = LabelOf(window);
      fills.push_back(window->FillRight());
    }
  }
  void CloseProgressMeter() override { host_.CloseProgressMeter(); }
  void RedrawScreen() override { host_.RedrawScreen(); }
  void InvalidateRootView() override { host_.InvalidateRootView(); }
  void IdleSound() override { host_.IdleSound(); }
  std::string text;
  std::vector<int32_t> fills;

 private:
  ComputerPlayerHost& host_;
};

// Plans with the program's computer player and notes each side it was asked to play and what
// its thinking window showed.
class RecordingPlanner : public ComputerPlayer {
 public:
  void PlanTurn(Battle& battle, int32_t side, ComputerPlayerHost& host) override {
    sides.push_back(side);
    sideSeen.push_back(host.GetSideToPlay());
    WatchedHost watched(host);
    real.PlanTurn(battle, side, watched);
    windowText = watched.text;
    fills = watched.fills;
  }
  std::vector<int32_t> sides;
  std::vector<int32_t> sideSeen;
  std::string windowText;
  std::vector<int32_t> fills;
  AIOperational real;
};

GFile* OpenTestGame(const char* relative) {
  const std::string path = PPath::ToProgram(std::string(TARVANE_TEST_GAMES_DIR) + relative);
  auto* file = new GFile();
  if (!file->IFile(PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting), path.c_str(),
                   GFile::kModeReadGameFile)) {
    delete file;
    return nullptr;
  }
  return file;
}

std::string LabelOf(GView* view) {
  for (int32_t i = 0; view != nullptr && i < view->GetChildCount(); ++i) {
    GView* child = view->GetChild(i);
    if (auto* label = dynamic_cast<GLabel*>(child)) return label->GetText().CStr();
    const std::string inner = LabelOf(child);
    if (!inner.empty()) return inner;
  }
  return {};
}

}  // namespace

TEST(GameFlowTest, OnePlayerGameReachesTheBattleScreenAndGoPlansTheComputersSide) {
  ShellRig rig(false);
  LinkAllBitmaps(rig.folder);
  WRApplication& app = *rig.app;
  RecordingPlanner planner;
  ComputerPlayer::Install(&planner);

  GFile* file = OpenTestGame("/Scenarios/Test Scenario.wrb");
  ASSERT_NE(file, nullptr);
  app.OpenChosenGame(file);
  ASSERT_NE(app.GetBattle(), nullptr);
  // The overall briefing first; its continue button goes on.
  ASSERT_NE(app.GetBriefingPage(), nullptr);
  app.DoCommand(72);
  // The test scenario fixes the Axis side and two players: the side screen is skipped, and
  // the players screen offers the connections with "Hotseat" chosen.
  EXPECT_EQ(app.GetSideToPlay(), 0);
  ASSERT_NE(app.GetPlayersGroup(), nullptr);
  EXPECT_EQ(app.GetPlayersGroup()->GetSelectedIndex(), 1);
  // A scenario that has not asked for its players offers "1 Player".
  app.SetHumanPlayers(0);
  app.GetPlayersGroup()->SelectAt(0);
  app.DoCommand(WRApplication::kCommandPlayersChosen);
  if (app.GetBriefingPage() != nullptr) app.DoCommand(73);
  EXPECT_EQ(app.GetHumanPlayers(), 1);
  EXPECT_EQ(app.GetConnectionType(), 0);
  EXPECT_EQ(app.GetCurrentScreen(), nullptr);

  Battle& battle = *app.GetBattle();
  ASSERT_NE(battle.Screen().views.root, nullptr);
  EXPECT_TRUE(app.Screen().HasMapView());
  const int32_t human = app.GetSideToPlay();
  EXPECT_EQ(battle.computerSides[static_cast<size_t>(human)], 0);
  EXPECT_EQ(battle.computerSides[static_cast<size_t>(1 - human)], 1);
  ASSERT_NE(battle.planHost, nullptr);
  EXPECT_EQ(battle.planHost->GetSideToPlay(), human);

  ASSERT_TRUE(battle.IsSetupPhase());
  app.DoCommand(9);
  ASSERT_EQ(planner.sides.size(), 1u);
  EXPECT_EQ(planner.sides[0], 1 - human);
  EXPECT_FALSE(battle.IsSetupPhase());
  // The planner leaves the human's side to play.
  EXPECT_EQ(app.GetSideToPlay(), human);
  // While it planned, "Computer Player Thinking..." stood on the screen with its bar filling;
  // the window has gone.
  EXPECT_EQ(planner.windowText, "Computer Player Thinking...");
  ASSERT_GE(planner.fills.size(), 2u);
  EXPECT_EQ(planner.fills.front(), 21);
  EXPECT_TRUE(std::is_sorted(planner.fills.begin(), planner.fills.end()));
  EXPECT_GT(planner.fills.back(), planner.fills.front());
  EXPECT_EQ(ShownThinkingWindow(), nullptr);
  app.CloseBattleScreen(false);
  ComputerPlayer::Install(nullptr);
}

TEST(GameFlowTest, ARefusedGameReturnsToAFreshMainScreen) {
  ShellRig rig(false);
  const std::string path = rig.folder.Native() + "broken.wrb";
  rig.folder.WriteFile("broken.wrb", std::string(2000, 'x'));
  auto* file = new GFile();
  ASSERT_TRUE(
      file->IFile(PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting), path.c_str(), GFile::kModeRead));
  rig.app->OpenChosenGame(file);
  EXPECT_EQ(rig.app->GetBattle(), nullptr);
  EXPECT_NE(rig.app->GetScreenRoot(), nullptr);
  EXPECT_NE(rig.app->GetMainPicture(), nullptr);
  // The refusal's alert stands over the rebuilt main screen.
  EXPECT_NE(rig.app->GetAlertBox(), nullptr);
  EXPECT_EQ(rig.app->GetCurrentScreen(), nullptr);
}

TEST(GameFlowTest, SideScreenOptionsAndPlayersChoices) {
  ShellRig rig(true);
  LinkAllBitmaps(rig.folder);
  WRApplication& app = *rig.app;
  app.SetSideToPlay(2);
  app.SetHumanPlayers(0);
  app.ShowSideAndOptionsScreen();
  ASSERT_NE(app.GetFogPopup(), nullptr);
  ASSERT_NE(app.GetBalancePopup(), nullptr);
  // Every caption shows whole: "Computer Experience Bonus" is wider than its row's room.
  int32_t labels = 0;
  std::function<void(const GView*)> checkLabels = [&](const GView* view) {
    for (int32_t i = 0; i < view->GetChildCount(); ++i) {
      const GView* child = view->GetChild(i);
      if (const auto* label = dynamic_cast<const GLabel*>(child)) {
        ++labels;
        EXPECT_LE(TextWidth(label->GetText().CStr(), label->GetFont()), label->Width()) << label->GetText().CStr();
      }
      checkLabels(child);
    }
  };
  checkLabels(app.GetCurrentScreen());
  EXPECT_EQ(labels, 5);
  app.GetFogPopup()->SetCurrentItem(1);
  app.GetBalancePopup()->SetCurrentItem(2);
  app.DoCommand(WRApplication::kCommandChooseAllied);
  EXPECT_EQ(app.GetSideToPlay(), 1);
  EXPECT_EQ(app.GetOption(10), 1);
  EXPECT_EQ(app.GetBattle()->forceEnlargement, 100);
  EXPECT_EQ(app.GetFogPopup(), nullptr);

  // Players index 0..3: one player at this machine, hotseat, e-mail, TCP/IP.
  const int32_t expected[4][2] = {{1, 0}, {2, 0}, {2, 1}, {2, 2}};
  for (int32_t i = 0; i < 4; ++i) {
    app.SetHumanPlayers(0);
    app.ShowPlayersScreen();
    ASSERT_NE(app.GetPlayersGroup(), nullptr) << i;
    app.GetPlayersGroup()->SelectAt(i);
    EXPECT_TRUE(app.SetPlayersAndConnection());
    EXPECT_EQ(app.GetHumanPlayers(), expected[i][0]) << i;
    EXPECT_EQ(app.GetConnectionType(), expected[i][1]) << i;
    EXPECT_EQ(app.GetPlayersGroup(), nullptr);
  }

  // TCP/IP shows the time limit, 5 minutes is 300,000 ms; Hotseat afterwards hides it and
  // leaves the limit as it was.
  app.SetHumanPlayers(0);
  app.ShowPlayersScreen();
  ASSERT_NE(app.GetTimeLimitPopup(), nullptr);
  EXPECT_FALSE(app.GetTimeLimitPopup()->IsVisible());
  app.GetPlayersGroup()->SelectAt(3);
  app.DoCommand(WRApplication::kCommandShowTimeLimit);
  EXPECT_TRUE(app.GetTimeLimitPopup()->IsVisible());
  app.GetTimeLimitPopup()->SetCurrentItem(4);
  app.SetPlayersAndConnection();
  EXPECT_EQ(app.FileSettings().timeLimitMs, 300000);
  app.SetHumanPlayers(0);
  app.ShowPlayersScreen();
  app.DoCommand(WRApplication::kCommandShowTimeLimit);
  app.GetTimeLimitPopup()->SetCurrentItem(9);
  app.GetPlayersGroup()->SelectAt(1);
  app.DoCommand(WRApplication::kCommandHideTimeLimit);
  EXPECT_FALSE(app.GetTimeLimitPopup()->IsVisible());
  app.SetPlayersAndConnection();
  EXPECT_EQ(app.FileSettings().timeLimitMs, 300000);
  // Two human players play no computer side.
  EXPECT_EQ(app.GetBattle()->computerSides[0] + app.GetBattle()->computerSides[1], 0);
}

TEST(GameFlowTest, ChoosingThePlayersGivesTheBattleASeedOfItsOwn) {
  ShellRig rig(true);
  LinkAllBitmaps(rig.folder);
  WRApplication& app = *rig.app;
  Battle* battle = app.GetBattle();
  ASSERT_NE(battle, nullptr);
  ASSERT_TRUE(battle->IsSetupPhase());
  // One player, hotseat, e-mail: the battle and the game file share the new seed.
  for (int32_t i = 0; i < 3; ++i) {
    battle->sharedSeed = 0;
    app.SetHumanPlayers(0);
    app.ShowPlayersScreen();
    app.GetPlayersGroup()->SelectAt(i);
    app.SetPlayersAndConnection();
    EXPECT_EQ(battle->sharedSeed, app.GetSharedSeed()) << i;
  }
  // TCP/IP: the hosting machine (the one that chooses the players) draws the seed as well;
  // the game it sends carries it to the joining machine.
  battle->sharedSeed = 0;
  app.SetHumanPlayers(0);
  app.ShowPlayersScreen();
  app.GetPlayersGroup()->SelectAt(3);
  app.SetPlayersAndConnection();
  ASSERT_EQ(app.GetConnectionType(), 2);
  EXPECT_EQ(battle->sharedSeed, app.GetSharedSeed());
}

// The units' services the program gives during play answer from the battle in play, as the
// headless battle's do: the shots fired, the battle's date and the computer's bonus.
TEST(GameFlowTest, TheUnitsServicesAnswerFromTheBattleInPlay) {
  ShellRig rig(true);
  WRApplication& app = *rig.app;
  Battle* battle = app.GetBattle();
  ASSERT_NE(battle, nullptr);
  ASSERT_EQ(GetUnitServices(), &app.Services());
  battle->date = 4502;
  battle->computerBonus = 2;
  EXPECT_EQ(app.GetGameDate(), 4502);
  EXPECT_EQ(GetUnitServices()->GetComputerBonus(), 2);
  const int32_t before = battle->shots.Count();
  Shot shot;
  shot.dueSlice = battle->currentSlice + 5;
  shot.fireType = 2;
  GetUnitServices()->FileShot(shot);
  ASSERT_EQ(battle->shots.Count(), before + 1);
  GetUnitServices()->AddFireCounter(1, 3000);
  EXPECT_EQ(battle->activityCount[1], 3000);
}

TEST(GameFlowTest, HandOverPasswordsAndSidesAtASharedMachine) {
  ShellRig rig(true);
  LinkAllBitmaps(rig.folder);
  WRApplication& app = *rig.app;
  app.SetHumanPlayers(2);
  app.SetConnectionType(0);
  app.SetSideToPlay(1);
  app.ShowHandOverScreen();
  ASSERT_NE(app.GetCurrentScreen(), nullptr);
  EXPECT_EQ(LabelOf(app.GetCurrentScreen()), "(Allied Player)  Enter a New Password");
  ASSERT_NE(app.GetPasswordEntry(), nullptr);
  // An empty first password is a password.
  EXPECT_TRUE(app.CheckPassword());
  EXPECT_EQ(app.GetCurrentScreen(), nullptr);
  EXPECT_EQ(app.FileSettings().passwordSet[1], 1);

  app.ShowHandOverScreen();
  EXPECT_EQ(LabelOf(app.GetCurrentScreen()), "(Allied Player)  Enter Password");
  GString255 typed;
  typed.Assign("wrong");
  app.GetPasswordEntry()->AppendText(&typed);
  const int32_t beeps = rig.fake->BeepCount();
  EXPECT_FALSE(app.CheckPassword());
  EXPECT_EQ(rig.fake->BeepCount(), beeps + 1);
  EXPECT_EQ(app.GetPasswordEntry()->Length(), 0);
  ASSERT_NE(app.GetHandOverCancel(), nullptr);
  EXPECT_TRUE(app.GetHandOverCancel()->IsVisible());
  EXPECT_TRUE(app.CheckPassword());

  // Option 10 stays common to both players; the others follow each player.
  app.SetFogOfWarOption(2);
  app.SetOption(3, 7);
  app.SwitchSides();
  EXPECT_EQ(app.GetSideToPlay(), 0);
  EXPECT_EQ(LabelOf(app.GetCurrentScreen()), "(Axis Player)  Enter a New Password");
  EXPECT_TRUE(app.CheckPassword());
  app.SetOption(3, 1);
  app.SetFogOfWarOption(0);
  for (int32_t turn = 0; turn < 3; ++turn) {
    app.SwitchSides();
    EXPECT_TRUE(app.CheckPassword());
    EXPECT_EQ(app.GetOption(10), 0) << turn;
    EXPECT_EQ(app.GetOption(3), app.GetSideToPlay() == 1 ? 7 : 1) << turn;
  }

  // With one human player the hand-over opens the battle at once, without an entry.
  app.SetHumanPlayers(1);
  app.ShowHandOverScreen();
  EXPECT_EQ(app.GetCurrentScreen(), nullptr);
  EXPECT_EQ(app.GetPasswordEntry(), nullptr);
  app.CloseBattleScreen(false);
}

TEST(GameFlowTest, EndingTheFirstSetupTurnAtASharedMachineWaitsForTheBriefing) {
  ShellRig rig(true);
  WRApplication& app = *rig.app;
  app.SetHumanPlayers(2);
  app.SetConnectionType(0);
  app.SetSideToPlay(0);
  app.FileSettings().sideToggle = 1;
  ASSERT_TRUE(app.GetBattle()->IsSetupPhase());
  EXPECT_TRUE(app.ContinueAfterTurn());
  EXPECT_EQ(app.GetSideToPlay(), 1);
  EXPECT_TRUE(app.IsShowBriefingPending());
  EXPECT_EQ(rig.screen.drawState, 1);
  ASSERT_NE(app.GetPasswordEntry(), nullptr);
  EXPECT_TRUE(app.CheckPassword());
  app.SetShowBriefingPending(false);
  app.ContinueAfterTurn();
  EXPECT_FALSE(app.IsShowBriefingPending());
  EXPECT_EQ(rig.screen.drawState, 2);
  // With one human player nothing is handed over.
  ASSERT_TRUE(app.CheckPassword());
  app.SetHumanPlayers(1);
  EXPECT_FALSE(app.ContinueAfterTurn());
  EXPECT_EQ(app.GetSideToPlay(), 0);
}

TEST(BriefingTextTest, LinesBreakAtBlanksTabsAndReturns) {
  std::vector<std::string> lines;
  // 70 characters without a blank are cut after the 70th; the 71st starts the next line.
  BriefingText::AppendLines(std::string(70, 'a') + "bc", lines);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(70, 'a'));
  EXPECT_EQ(lines[1], "bc");
  // A full line breaks at its last blank; the rest starts the next one.
  lines.clear();
  BriefingText::AppendLines(std::string(60, 'x') + " " + std::string(15, 'y'), lines);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(60, 'x'));
  EXPECT_EQ(lines[1], std::string(15, 'y'));
  // A tab is three columns; other control bytes vanish; a tab across the 70th column breaks
  // the line at its own last blank.
  lines.clear();
  BriefingText::AppendLines(std::string("a\tb\x01" "c"), lines);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "a   bc");
  lines.clear();
  BriefingText::AppendLines(std::string(69, 'q') + "\tz", lines);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(69, 'q') + "  ");
  EXPECT_EQ(lines[1], "z");
  // CR LF is one break; as the text's last two bytes the LF adds one empty line.
  lines.clear();
  BriefingText::AppendLines("one\r\ntwo\r\n", lines);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "one");
  EXPECT_EQ(lines[1], "two");
  EXPECT_EQ(lines[2], "");
  lines.clear();
  BriefingText::AppendLines("", lines);
  EXPECT_TRUE(lines.empty());
  // 2,001 lines keep 2,000.
  std::string many;
  for (int32_t i = 0; i < 2001; ++i) many += "l\r";
  BriefingText::AppendLines(many, lines);
  EXPECT_EQ(lines.size(), 2000u);
}

TEST(BriefingTextTest, TheSidesTextStartsOnAFreshPage) {
  ShellRig rig(false);
  std::string forty;
  for (int32_t i = 0; i < 40; ++i) forty += "o\r";
  const std::string side = "side";
  std::vector<std::string> lines = BriefingText::Compose(&forty, &side, 0, 0);
  ASSERT_EQ(lines.size(), 65u);
  EXPECT_EQ(lines[63], "");
  EXPECT_EQ(lines[64], "side");
  std::string sixtyFour;
  for (int32_t i = 0; i < 64; ++i) sixtyFour += "o\r";
  EXPECT_EQ(BriefingText::Compose(&sixtyFour, &side, 0, 0).size(), 65u);
  lines = BriefingText::Compose(&forty, &side, 2, 5);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Battle #2 of 5");
  EXPECT_EQ(lines[1], "");
}

TEST(BriefingTextTest, TheBriefingScreenTurnsPagesAndContinues) {
  ShellRig rig(true);
  LinkAllBitmaps(rig.folder);
  WRApplication& app = *rig.app;
  std::string text;
  for (int32_t i = 0; i < 40; ++i) text += "line\r";
  app.GetBattle()->briefing[2] = text;
  app.GetBattle()->briefing[1] = "allied";
  app.ShowBriefing(1, true, false, 74, false);
  ASSERT_NE(app.GetBriefingPage(), nullptr);
  EXPECT_EQ(app.GetBriefingPage()->GetPageCount(), 3);
  app.DoCommand(71);
  app.DoCommand(71);
  app.DoCommand(71);
  EXPECT_EQ(app.GetBriefingPage()->GetPage(), 2);
  app.DoCommand(70);
  EXPECT_EQ(app.GetBriefingPage()->GetPage(), 1);
  app.DoCommand(74);
  EXPECT_EQ(app.GetBriefingPage(), nullptr);
  EXPECT_EQ(app.GetCurrentScreen(), nullptr);
}

TEST(GameFlowTest, AfterTheBattleAndAfterAnAbandonedHandOverTheMainScreenReturns) {
  ShellRig rig(true);
  LinkAllBitmaps(rig.folder);
  WRApplication& app = *rig.app;
  // The hand-over's cancel button abandons the game: its screen goes with the battle.
  app.SetHumanPlayers(2);
  app.SetConnectionType(0);
  app.SetSideToPlay(0);
  app.ShowHandOverScreen();
  ASSERT_NE(app.GetCurrentScreen(), nullptr);
  app.DoCommand(82);
  EXPECT_EQ(app.GetCurrentScreen(), nullptr);
  EXPECT_EQ(app.GetPasswordEntry(), nullptr);
  EXPECT_EQ(app.GetBattle(), nullptr);
  ASSERT_NE(app.GetMainPicture(), nullptr);

  // Continuing after a battle against the computer autosaves a one-machine game and returns
  // to the main screen.
  auto* battle = new Battle(app);
  battle->SetUp(nullptr);
  app.SetBattle(battle);
  app.SetHumanPlayers(1);
  app.SetSideToPlay(1);
  app.DoCommand(WRApplication::kCommandPlayersChosen);
  ASSERT_NE(app.GetBattle(), nullptr);
  EXPECT_EQ(app.GetBattle()->computerSides[0], 1);
  app.DoCommand(WRApplication::kCommandContinueAfterBattle);
  EXPECT_EQ(app.GetBattle(), nullptr);
  EXPECT_NE(app.GetMainPicture(), nullptr);
  EXPECT_TRUE(std::filesystem::exists(rig.folder.Native() + "Saved Games/Autosave.wrb"));
}

TEST(GameFlowTest, AnEmailTurnLoadsFromTheMultiplayerScreenAndARefusedOneLeavesItStanding) {
  ShellRig rig(false);
  LinkAllBitmaps(rig.folder);
  WRApplication& app = *rig.app;
  app.DoCommand(WRApplication::kCommandMultiplayer);
  GPictureView* multiplayer = app.GetMainPicture();
  ASSERT_NE(multiplayer, nullptr);
  // A file the dialog could not open: a beep and the damaged-file alert; the screen stays.
  const int32_t beeps = rig.fake->BeepCount();
  app.LoadEmailTurn(nullptr, true);
  EXPECT_EQ(rig.fake->BeepCount(), beeps + 1);
  EXPECT_NE(app.GetAlertBox(), nullptr);
  EXPECT_EQ(app.GetMainPicture(), multiplayer);
  app.DoCommand(WRApplication::kCommandNothing);
  app.SetInputMode(InputModes::kNoPick);
  // A file the reader refuses: one player at this machine again, no battle, the screen stays.
  const std::string path = rig.folder.WriteFile("refused.txt", std::string(3000, 'z'));
  auto* refused = new GFile();
  ASSERT_TRUE(refused->IFile(PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting), path.c_str(),
                             GFile::kModeRead));
  app.LoadEmailTurn(refused, false);
  EXPECT_EQ(app.GetBattle(), nullptr);
  EXPECT_EQ(app.GetHumanPlayers(), 1);
  EXPECT_EQ(app.GetConnectionType(), 0);
  EXPECT_EQ(app.GetMainPicture(), multiplayer);

  // The test turn: an e-mail game of two players, its briefings or its hand-over next.
  const std::string turn = PPath::ToProgram(std::string(TARVANE_TEST_GAMES_DIR) + "/PBEM/Test Turn.txt");
  auto* file = new GFile();
  ASSERT_TRUE(file->IFile(PFile::Open(turn, PFile::kRead, PFile::Disposition::kOpenExisting), turn.c_str(),
                          GFile::kModeReadEmail));
  app.LoadEmailTurn(file, false);
  ASSERT_NE(app.GetBattle(), nullptr);
  EXPECT_EQ(app.GetConnectionType(), 1);
  EXPECT_EQ(app.GetHumanPlayers(), 2);
  EXPECT_EQ(app.GetScreenRoot(), nullptr);
  if (app.GetBriefingPage() != nullptr) app.DoCommand(76);
  EXPECT_EQ(app.GetBriefingPage(), nullptr);
  ASSERT_NE(app.GetPasswordEntry(), nullptr);
  EXPECT_EQ(app.GetBattle()->computerSides[0] + app.GetBattle()->computerSides[1], 0);
  app.CloseBattleScreen(false);
}

TEST(GameFlowTest, AnOperationsBattleIsFollowedByItsNextBattleUntilTheOperationIsOver) {
  ShellRig rig(false);
  LinkAllBitmaps(rig.folder);
  WRApplication& app = *rig.app;
  GFile* file = OpenTestGame("/Scenarios/Test Operation.wrc");
  ASSERT_NE(file, nullptr);
  app.OpenChosenGame(file);
  ASSERT_NE(app.GetCampaign(), nullptr);
  ASSERT_NE(app.GetBattle(), nullptr);
  Campaign& operation = *app.GetCampaign();
  EXPECT_EQ(operation.currentTurn, 1);
  // Allied, one player: straight to the first battle's screen.
  ASSERT_NE(app.GetFogPopup(), nullptr);
  app.DoCommand(WRApplication::kCommandChooseAllied);
  ASSERT_NE(app.GetPlayersGroup(), nullptr);
  app.GetPlayersGroup()->SelectAt(0);
  app.DoCommand(WRApplication::kCommandPlayersChosen);
  ASSERT_NE(app.GetBattle(), nullptr);
  EXPECT_TRUE(app.GetBattle()->HasBattlefieldView());

  int32_t nextBattles = 0;
  for (int32_t battleNumber = 1; battleNumber <= 3 && app.GetCampaign() != nullptr; ++battleNumber) {
    Battle* battle = app.GetBattle();
    ASSERT_NE(battle, nullptr) << battleNumber;
    // The turn cycle finds the last turn past: the results count the battle.
    battle->currentTurn = battle->lastTurn + 1;
    battle->CheckForEnd(false);
    ASSERT_NE(battle->resultsShown, 0);
    app.DoCommand(WRApplication::kCommandContinueAfterBattle);
    if (app.GetCampaign() == nullptr) break;
    // The next battle of the same operation, in its set-up, on the screen for the same side.
    EXPECT_EQ(app.GetCampaign(), &operation);
    EXPECT_EQ(operation.currentTurn, battleNumber + 1);
    ASSERT_NE(app.GetBattle(), nullptr);
    EXPECT_TRUE(app.GetBattle()->IsSetupPhase());
    EXPECT_TRUE(app.GetBattle()->HasBattlefieldView());
    EXPECT_EQ(app.GetSideToPlay(), 1);
    ++nextBattles;
  }
  EXPECT_GE(nextBattles, 1);
  // The operation ended: autosaved, and back at the main screen.
  EXPECT_EQ(app.GetCampaign(), nullptr);
  EXPECT_EQ(app.GetBattle(), nullptr);
  EXPECT_NE(app.GetMainPicture(), nullptr);
  EXPECT_TRUE(std::filesystem::exists(rig.folder.Native() + "Saved Games/Autosave.wrc"));
}

namespace {

std::vector<std::string> gOperationPeerGot;

// A TCP/IP operation's first battle on this machine's screen, and the other machine as a raw
// peer on the memory transport (link 1).
class NetworkOperation : public ::testing::Test {
 protected:
  void SetUp() override {
    gOperationPeerGot.clear();
    NetSetTransport(&mem_);
    LinkAllBitmaps(rig_.folder);
    app_ = rig_.app;
    GFile* file = OpenTestGame("/Scenarios/Test Operation.wrc");
    ASSERT_NE(file, nullptr);
    app_->OpenChosenGame(file);
    ASSERT_NE(app_->GetCampaign(), nullptr);
    app_->DoCommand(WRApplication::kCommandChooseAllied);
    ASSERT_NE(app_->GetPlayersGroup(), nullptr);
    app_->GetPlayersGroup()->SelectAt(0);
    app_->DoCommand(WRApplication::kCommandPlayersChosen);
    ASSERT_NE(app_->GetBattle(), nullptr);
    ASSERT_TRUE(app_->GetBattle()->HasBattlefieldView());
    app_->SetHumanPlayers(2);
    app_->SetConnectionType(2);
  }
  void TearDown() override {
    rig_.End();
    for (int i = 1; i >= 0; --i) {
      NetSelectLink(i);
      NetCloseEndpoint();
    }
    NetSetTransport(nullptr);
  }
  void OpenPeer(bool listen) {
    NetSelectLink(1);
    ASSERT_TRUE(NetOpenEndpoint(listen, listen ? 0 : NetMakeAddress(127, 0, 0, 1), 7023,
                                [](const uint8_t* data, uint32_t length) {
                                  gOperationPeerGot.emplace_back(reinterpret_cast<const char*>(data), length);
                                },
                                [](bool) {}));
    NetSelectLink(0);
  }
  void Pump(bool withApplication) {
    for (int i = 0; i < 8; ++i) {
      NetSelectLink(0);
      NetIdle();
      if (withApplication) app_->Idle();
      NetSelectLink(1);
      NetIdle();
    }
    NetSelectLink(0);
  }
  void EndTheBattle() {
    Battle* battle = app_->GetBattle();
    battle->currentTurn = battle->lastTurn + 1;
    battle->CheckForEnd(false);
    ASSERT_NE(battle->resultsShown, 0);
    app_->DoCommand(WRApplication::kCommandContinueAfterBattle);
  }
  PNetMemoryTransport mem_;
  ShellRig rig_{false};
  WRApplication* app_ = nullptr;
};

TEST_F(NetworkOperation, TheHostSetsUpTheNextBattleAndSendsItWhenTheJoiningMachineIsReady) {
  ASSERT_TRUE(app_->Tcp().StartHosting());
  OpenPeer(false);
  Pump(false);
  ASSERT_TRUE(NetIsConnected());
  app_->Tcp().SetTimeLimit(60000);
  app_->Tcp().StartFirstTurnClock();
  app_->Tcp().RequestTimerOff(true);
  EndTheBattle();
  // The next battle is set up here while the connection waits for the other machine.
  EXPECT_EQ(app_->Tcp().GetState(), TCPIP_STATE_SERVER_OPERATION_WAITING_TO_UPLOAD);
  EXPECT_FALSE(app_->Tcp().IsClockRunning());
  EXPECT_FALSE(app_->Tcp().IsTimerOffRequested(false));
  ASSERT_NE(app_->GetCampaign(), nullptr);
  EXPECT_EQ(app_->GetCampaign()->currentTurn, 2);
  ASSERT_NE(app_->GetBattle(), nullptr);
  EXPECT_TRUE(app_->GetBattle()->IsSetupPhase());
  Pump(false);
  gOperationPeerGot.clear();
  Pump(true);
  EXPECT_EQ(app_->Tcp().GetState(), TCPIP_STATE_SERVER_OPERATION_WAITING_TO_UPLOAD);
  EXPECT_TRUE(gOperationPeerGot.empty());
  // Ready while the hand-over screen stands: the whole game goes up in data messages and the
  // end; the screen stays until its password is given, and then the battle's screen opens
  // without hosting again.
  ASSERT_NE(app_->GetPasswordEntry(), nullptr);
  NetSelectLink(1);
  const uint8_t ready = TCPIP_MSG_NEXT_BATTLE_READY;
  ASSERT_EQ(NetSend(&ready, 1, 5), kNetQueued);
  Pump(true);
  Pump(true);
  EXPECT_EQ(app_->Tcp().GetState(), TCPIP_STATE_SERVER_WAITING_FOR_CLIENT);
  EXPECT_NE(app_->GetPasswordEntry(), nullptr);
  EXPECT_FALSE(app_->GetBattle()->HasBattlefieldView());
  app_->DoCommand(WRApplication::kCommandHandOverDone);
  EXPECT_EQ(app_->GetCurrentScreen(), nullptr);
  EXPECT_TRUE(app_->GetBattle()->HasBattlefieldView());
  EXPECT_EQ(app_->Tcp().GetState(), TCPIP_STATE_SERVER_WAITING_FOR_CLIENT);
  EXPECT_EQ(app_->GetAlertBox(), nullptr);
  EXPECT_TRUE(NetIsConnected());
  ASSERT_GE(gOperationPeerGot.size(), 2u);
  for (size_t i = 0; i + 1 < gOperationPeerGot.size(); ++i) {
    EXPECT_EQ(gOperationPeerGot[i][0], static_cast<char>(TCPIP_MSG_ANSWER_DATA)) << i;
    EXPECT_LE(gOperationPeerGot[i].size(), 8192u);
  }
  EXPECT_EQ(gOperationPeerGot.back(), std::string(1, static_cast<char>(TCPIP_MSG_ANSWER_END)));
}

TEST_F(NetworkOperation, TheJoiningMachineSaysItIsReadyAndWaitsForTheNextBattle) {
  OpenPeer(true);
  ASSERT_TRUE(app_->Tcp().ConnectToHost(NetMakeAddress(127, 0, 0, 1)));
  Pump(false);
  ASSERT_TRUE(NetIsConnected());
  app_->Tcp().SetState(TCPIP_STATE_ORDERS);
  EndTheBattle();
  Pump(false);
  EXPECT_EQ(gOperationPeerGot, std::vector<std::string>{std::string(1, static_cast<char>(TCPIP_MSG_NEXT_BATTLE_READY))});
  EXPECT_EQ(app_->GetCampaign(), nullptr);
  EXPECT_EQ(app_->GetBattle(), nullptr);
  EXPECT_EQ(app_->Tcp().GetState(), TCPIP_STATE_CLIENT_DOWNLOADING_GAME);
  EXPECT_NE(app_->GetAddressScreen(), nullptr);
  EXPECT_FALSE(app_->Tcp().HasFailed());
}

// The looks of the battle's units, counted.
int32_t LoadedTextures(const Battle& battle) {
  int32_t count = 0;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    for (int32_t set = 0; set < Unit::kTextureSets; ++set) {
      for (int32_t t = 0; t < Unit::kTexturesPerSet; ++t) count += battle.UnitAt(i)->GetTexture(set, t) != nullptr ? 1 : 0;
    }
  }
  return count;
}

TEST_F(NetworkOperation, AFlaggedReloadMakesTheLooksAgainOnceAndKeepsTheState) {
  Battle& battle = *app_->GetBattle();
  const int32_t loaded = LoadedTextures(battle);
  ASSERT_GT(loaded, 0);
  app_->Tcp().SetState(TCPIP_STATE_ORDERS_RECEIVED);
  // Not flagged: nothing is loaded.
  battle.ReleaseViewObjects();
  ASSERT_EQ(LoadedTextures(battle), 0);
  app_->TcpHost().ReloadGraphicsIfFlagged();
  EXPECT_EQ(LoadedTextures(battle), 0);
  app_->TcpHost().SetReloadGraphics(true);
  app_->TcpHost().ReloadGraphicsIfFlagged();
  EXPECT_EQ(LoadedTextures(battle), loaded);
  EXPECT_EQ(app_->Tcp().GetState(), TCPIP_STATE_ORDERS_RECEIVED);
  // The flag was used up.
  battle.ReleaseViewObjects();
  app_->TcpHost().ReloadGraphicsIfFlagged();
  EXPECT_EQ(LoadedTextures(battle), 0);
}

// The opponent's orders arrive as data messages and their end, as the link delivers them.
void ReceiveOrders(TcpGame& game, const std::string& bytes) {
  for (size_t at = 0; at < bytes.size(); at += 8000) {
    std::string message(1, static_cast<char>(TCPIP_MSG_ORDERS_DATA));
    message += bytes.substr(at, 8000);
    game.ReceiveMessage(reinterpret_cast<const uint8_t*>(message.data()), static_cast<uint32_t>(message.size()));
  }
  const uint8_t end = TCPIP_MSG_ORDERS_END;
  game.ReceiveMessage(&end, 1);
}

TEST_F(NetworkOperation, OrdersThatBringAUnitTheBattleDidNotHoldMakeTheLooksAgain) {
  Battle& battle = *app_->GetBattle();
  WRTcpHost& host = app_->TcpHost();
  const int32_t opponentSide = 1 - host.OwnSide();
  Unit* opponent = nullptr;
  int32_t designation = 0;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    Unit* unit = battle.UnitAt(i);
    designation = std::max<int32_t>(designation, unit->designation);
    if (opponent == nullptr && unit->GetSideIndex() == opponentSide && (unit->IsInfantry() || unit->IsVehicle())) opponent = unit;
  }
  ASSERT_NE(opponent, nullptr);
  std::string held;
  ASSERT_TRUE(host.WriteOrders(false, held));
  // The same orders, one of the opponent's units under a designation no unit has: a unit
  // this machine does not hold.
  const auto own = opponent->designation;
  opponent->designation = static_cast<decltype(opponent->designation)>(designation + 1);
  std::string joined;
  ASSERT_TRUE(host.WriteOrders(false, joined));
  opponent->designation = own;
  const int32_t loaded = LoadedTextures(battle);
  ASSERT_GT(loaded, 0);

  // Orders of units the battle holds: no looks are made again.
  battle.ReleaseViewObjects();
  app_->Tcp().SetState(TCPIP_STATE_ORDERS);
  ReceiveOrders(app_->Tcp(), held);
  EXPECT_EQ(app_->Tcp().GetState(), TCPIP_STATE_ORDERS_RECEIVED);
  EXPECT_EQ(LoadedTextures(battle), 0);
  EXPECT_FALSE(host.IsReloadGraphicsSet());

  // A joining unit: every unit's looks are loaded again, the state is kept and the counts of
  // units without their looks start afresh.
  app_->Tcp().SetState(TCPIP_STATE_ORDERS);
  const int32_t units = battle.UnitCount();
  ReceiveOrders(app_->Tcp(), joined);
  EXPECT_FALSE(app_->Tcp().HasFailed());
  ASSERT_EQ(battle.UnitCount(), units + 1);
  EXPECT_EQ(app_->Tcp().GetState(), TCPIP_STATE_ORDERS_RECEIVED);
  EXPECT_GT(LoadedTextures(battle), loaded);
  EXPECT_FALSE(host.IsReloadGraphicsSet());
  EXPECT_EQ(battle.missingGraphics[0], 0);
  EXPECT_EQ(battle.missingGraphics[1], 0);
}

}  // namespace
