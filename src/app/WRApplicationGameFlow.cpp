// The screens between the game list and the first orders: the side and options, the players
// and connection, the hand-over (password) screen, and the hand-over between the two players
// of a shared machine.
#include <string>

#include "StringIds.h"
#include "app/AlertTable.h"
#include "app/GameFolders.h"
#include "app/ScreenColours.h"
#include "app/WRApplication.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GString255.h"
#include "framework/core/GString63.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GSoundManager.h"
#include "framework/media/GSoundStream.h"
#include "framework/ui/CRadioGroup.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPictureView.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GRadioButton.h"
#include "game/ui/EditorRadioButton.h"
#include "framework/ui/GStripButton.h"
#include "framework/ui/GTextEntry.h"
#include "framework/ui/GView.h"
#include "framework/ui/GViewHost.h"
#include "game/ai/AIOperational.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/map/OrderState.h"

namespace {

constexpr int32_t kBalancePercent[13] = {200, 150, 100, 75, 50, 25, 0, -25, -50, -75, -100, -150, -200};
constexpr int32_t kTimeLimitMinutes[10] = {0, 1, 2, 3, 5, 7, 10, 15, 20, 30};

// A pop-up of the texts with the given ids (up to 13).
GPopup* MakePopup(GView* parent, int32_t x, int32_t y, const uint16_t* ids, int32_t count, int32_t current) {
  GString255 texts[13];
  const GString* pointers[13] = {};
  for (int32_t i = 0; i < count && i < 13; ++i) {
    texts[i].LoadResource(ids[i]);
    pointers[i] = &texts[i];
  }
  auto* popup = new GPopup();
  popup->Init(parent, x, y, count, pointers, current);
  return popup;
}

// A pop-up of count texts with consecutive ids.
GPopup* MakeRunPopup(GView* parent, int32_t x, int32_t y, uint16_t firstId, int32_t count, int32_t current) {
  uint16_t ids[13] = {};
  for (int32_t i = 0; i < count && i < 13; ++i) ids[i] = static_cast<uint16_t>(firstId + i);
  return MakePopup(parent, x, y, ids, count, current);
}

GLabel* MakeLabel(GView* parent, int32_t x, int32_t y, int32_t width, uint16_t id, int32_t alignment) {
  auto* label = new GLabel();
  if (alignment == 2) {
    // A right-aligned caption wider than its room grows to the left, so none of it is cut off.
    GString255 text;
    text.LoadResource(id);
    const int32_t needed = TextWidth(text.CStr(), label->GetFont()) + 4;
    if (needed > width) {
      x -= needed - width;
      width = needed;
    }
  }
  label->InitWithResource(parent, x, y, width, static_cast<int16_t>(id));
  label->SetColor(255, 255, 255);
  label->SetAlignment(alignment);
  // The text stands on the screen's light picture: a shadow keeps the white readable.
  label->SetFill(0);
  label->SetShadow(1);
  label->SetShadowColor(0, 0, 0);
  return label;
}

GView* MakeFullScreenView() {
  auto* view = new GView();
  // Filled black: nothing of the screen before it (an earlier screen, the battlefield of the
  // other player) shows around its panels.
  view->SetBackColor(gBlackPixel);
  view->Place(nullptr, 0, 0, 0, 0);
  return view;
}

// The battle has not begun: its set-up phase is still ahead of the first orders.
bool BattleNotBegun(const Battle* battle, const Campaign* operation) {
  if (operation != nullptr) return battle == nullptr || battle->IsSetupPhase();
  return battle != nullptr && battle->IsSetupPhase();
}

}  // namespace

void WRApplication::InstallComputerPlayer() {
  static AIOperational planner;
  ComputerPlayer::Install(&planner);
}

void WRApplication::AssignComputerSides() {
  if (inPlay_.GetBattle() == nullptr) return;
  inPlay_.GetBattle()->planHost = &planHost_;
  inPlay_.GetBattle()->computerSides = {};
  // Only a single human at this machine leaves a side to the computer; the editor's quick
  // battle set-up and a game not yet given its players play no computer side.
  if (humanPlayers_ == 1 && connectionType_ == 0 && (sideToPlay_ == 0 || sideToPlay_ == 1)) {
    inPlay_.GetBattle()->computerSides[static_cast<size_t>(1 - sideToPlay_)] = 1;
  }
}

void WRApplication::ForgetSetupScreens() {
  briefingPage_ = nullptr;
  SafeDelete(currentScreen_);
  fogPopup_ = nullptr;
  setupPopup_ = nullptr;
  bonusPopup_ = nullptr;
  balancePopup_ = nullptr;
  timePopup_ = nullptr;
  passwordEntry_ = nullptr;
  handOverCancel_ = nullptr;
  delete playersGroup_;
  playersGroup_ = nullptr;
}

void WRApplication::OpenChosenGame(GFile* file) {
  lastRefusal_ = 0;
  const bool read = file != nullptr && ReadGameFile(file, nullptr);
  delete file;
  if (!read) {
    // A fresh main screen, and the refusal's alert again over it (the rebuild clears it).
    const int32_t refusal = lastRefusal_;
    ShowMainScreen(true);
    if (refusal != 0) ShowAlert(refusal);
    return;
  }
  playBalanceSet_ = 0;
  if (BriefingOf(2) != nullptr && BattleNotBegun(inPlay_.GetBattle(), inPlay_.GetCampaign())) {
    if (screenRoot_ != nullptr) screenRoot_->SetVisible(0);
    ShowBriefing(2, false, false, 72, false);
    return;
  }
  if (gKernel != nullptr) gKernel->ClearScreen(true);
  screenRoot_ = nullptr;
  mainPicture_ = nullptr;
  helpLine_ = nullptr;
  addressScreen_ = nullptr;
  currentScreen_ = nullptr;
  briefingPage_ = nullptr;
  ShowSideAndOptionsScreen();
}

void WRApplication::ShowSideAndOptionsScreen() {
  currentScreen_ = nullptr;
  fogPopup_ = nullptr;
  setupPopup_ = nullptr;
  bonusPopup_ = nullptr;
  balancePopup_ = nullptr;
  if (sideToPlay_ == 0 || sideToPlay_ == 1) {
    DoCommand(sideToPlay_ == 0 ? kCommandChooseAxis : kCommandChooseAllied);
    return;
  }
  if (gKernel == nullptr || gKernel->GetRootView() == nullptr) return;
  currentScreen_ = MakeFullScreenView();
  const int32_t screenHeight = gKernel->GetRootView()->Height();
  auto* box = new GView();
  box->SetNoFill(1);
  box->Place(currentScreen_, -1, (screenHeight - 480) / 2 + 20, 500, 357);
  auto* picture = new GPictureView();
  picture->Init(box, -1, 0, 11115);
  const int32_t w = picture->Width();
  const int32_t h = picture->Height();
  MakeLabel(box, (box->Width() - 200) / 2, 100, 200, kStrChooseSideTitle, 0);
  // The side buttons stand side by side above the option rows.
  auto* allied = new GStripButton();
  allied->IStripButton(box, 2 * ((w - 300) / 5), h - 155, kCommandChooseAllied, 11111, 5);
  allied->SetClickSound(153);
  auto* axis = new GStripButton();
  axis->IStripButton(box, 3 * ((w - 300) / 5) + 150, h - 155, kCommandChooseAxis, 11110, 5);
  axis->SetClickSound(153);

  const int32_t side0Points = inPlay_.GetBattle() != nullptr ? inPlay_.GetBattle()->forcePoints[0] : 0;
  MakeLabel(box, w / 2 - 90, h - 60, 80, kStrFogOfWar, 2);
  const uint16_t fogIds[3] = {243, 242, 241};
  fogPopup_ = MakePopup(box, w / 2, h - 60, fogIds, 3, 2 - GetOption(10));
  if (side0Points == 0) {
    MakeLabel(box, w / 2 - 170, h - 40, 160, kStrComputerSetup, 2);
    setupPopup_ = MakeRunPopup(box, w / 2, h - 40, kStrFreeToPlace, 2, 1 - GetOption(11));
  } else {
    SetOption(11, 1);
  }
  MakeLabel(box, w / 2 - 170, h - 20, 160, kStrExperienceBonus, 2);
  bonusPopup_ = MakeRunPopup(box, w / 2, h - 20, kStrBonusNone, 4, 0);
  const bool firstBattle = inPlay_.GetCampaign() == nullptr || inPlay_.GetCampaign()->currentTurn == 1;
  // A battle that has its play balance (a saved game of it, a quick battle) is not offered another.
  const bool balanceOpen = playBalanceSet_ == 0 && inPlay_.GetBattle() != nullptr && inPlay_.GetBattle()->forceEnlargement == 0 &&
                           inPlay_.GetBattle()->playBalance == 0;
  if (balanceOpen && firstBattle && inPlay_.GetBattle()->IsSetupPhase() && side0Points == 0) {
    // The rows below the side buttons fill the picture to its frame, so the play balance row
    // stands in the free band between the title banner and the side buttons.
    MakeLabel(box, w / 2 - 170, h - 190, 160, kStrPlayBalance, 2);
    balancePopup_ = MakeRunPopup(box, w / 2, h - 190, kStrBalanceAllied200, 13, 6);
  }
}

void WRApplication::ShowPlayersScreen() {
  if (inPlay_.GetBattle() == nullptr) FatalError(__LINE__, "WRApplication");
  if (fogPopup_ != nullptr) {
    SetFogOfWarOption(static_cast<int8_t>(2 - fogPopup_->GetCurrentItem()));
    if (setupPopup_ != nullptr) SetOption(11, static_cast<int8_t>(1 - setupPopup_->GetCurrentItem()));
    fogPopup_ = nullptr;
    if (bonusPopup_ != nullptr) {
      inPlay_.GetBattle()->computerBonus = bonusPopup_->GetCurrentItem();
      if (inPlay_.GetCampaign() != nullptr) inPlay_.GetCampaign()->computerBonus = bonusPopup_->GetCurrentItem();
    }
    if (balancePopup_ != nullptr) {
      // The favoured side's force grows now, before anybody sets up; its units are stored
      // with the battle from here on.
      inPlay_.GetBattle()->EnlargeForce(kBalancePercent[balancePopup_->GetCurrentItem() % 13]);
      playBalanceSet_ = 1;
    }
  }
  SafeDelete(currentScreen_);
  setupPopup_ = nullptr;
  bonusPopup_ = nullptr;
  balancePopup_ = nullptr;
  if (humanPlayers_ == 1) {
    connectionType_ = 0;
    DoCommand(kCommandPlayersChosen);
    return;
  }
  if (connectionType_ == 2 && hostFlag_ == 0) {
    DoCommand(kCommandPlayersChosen);
    tcp_.SetState(TCPIP_STATE_ORDERS);
    return;
  }
  if (gKernel == nullptr || gKernel->GetRootView() == nullptr) return;
  // The 640 x 480 screen stands on a black full-screen view: nothing of the screen before it
  // shows around it.
  currentScreen_ = MakeFullScreenView();
  auto* screen = new GView();
  screen->SetNoFill(1);
  screen->Place(currentScreen_, -1, -1, 640, 480);
  auto* picture = new GPictureView();
  picture->Init(screen, -1, -1, 11168);
  const int32_t w = picture->Width();
  const int32_t y = picture->Height() - 170;
  MakeLabel(picture, (w - 330) / 2, 55, 330, humanPlayers_ == 0 ? kStrChoosePlayersTitle : kStrChooseConnectionTitle,
            0);
  const int32_t computerSide = sideToPlay_ == 1 ? 0 : 1;
  const bool offerOne = humanPlayers_ == 0 && !inPlay_.GetBattle()->SideHasBoat(computerSide) &&
                        (inPlay_.GetCampaign() == nullptr || !inPlay_.GetCampaign()->SideHasBoat(computerSide));
  delete playersGroup_;
  playersGroup_ = new CRadioGroup();
  playersGroup_->Init();
  const int32_t gap = offerOne ? (w - 336) / 7 : (w - 252) / 6;
  const int32_t commands[4] = {kCommandHideTimeLimit, kCommandHideTimeLimit, kCommandHideTimeLimit,
                               kCommandShowTimeLimit};
  EditorRadioButton* buttons[4] = {};
  int32_t x = 2 * gap;
  for (int32_t i = 0; i < 4; ++i) {
    auto* button = new EditorRadioButton();
    button->Setup(playersGroup_, static_cast<int16_t>(kStrOnePlayer + i), picture, x, y);
    button->SetCommand(commands[i]);
    button->SetClickSound(150);
    buttons[i] = button;
    if (i == 0 && !offerOne) {
      button->SetVisible(0);
      continue;
    }
    auto* face = new GPictureView();
    face->Init(picture, x + 3, y - 90, static_cast<int16_t>(11160 + i));
    x += gap + 84;
  }
  playersGroup_->SetSelected(offerOne ? buttons[0] : buttons[1]);
  auto* go = new GStripButton();
  go->IStripButton(picture, -1, y + 60, kCommandPlayersChosen, 11101, 0);
  go->MakeDefault();
  go->SetClickSound(152);
  timePopup_ = MakeRunPopup(picture, w - 140, y + 40, kStrTimeLimitNone, 10, 0);
  timePopup_->SetVisible(0);
}

bool WRApplication::SetPlayersAndConnection() {
  if (playersGroup_ != nullptr) {
    const int32_t i = playersGroup_->GetSelectedIndex();
    if (humanPlayers_ == 2) {
      connectionType_ = i - 1;
    } else {
      humanPlayers_ = i == 0 ? 1 : 2;
      connectionType_ = i <= 1 ? 0 : i - 1;
    }
  }
  if (timePopup_ != nullptr && timePopup_->IsVisible()) {
    fileSettings_.timeLimitMs = kTimeLimitMinutes[timePopup_->GetCurrentItem() % 10] * 60000;
  }
  timePopup_ = nullptr;
  SafeDelete(currentScreen_);
  delete playersGroup_;
  playersGroup_ = nullptr;
  if (humanPlayers_ == 2) {
    // The e-mail turn's file name; the game keeps its own name.
    if (connectionType_ == 1) saveName_.Assign("PBEM");
    if (connectionType_ == 0 && inPlay_.GetBattle() != nullptr && !inPlay_.GetBattle()->IsSetupPhase()) fileSettings_.sideToggle = 0;
  }
  if (!(connectionType_ == 2 && (inPlay_.GetBattle() == nullptr || !inPlay_.GetBattle()->IsSetupPhase()))) SeedRandomFromClock();
  // A battle about to be set up takes a seed of this game's own for its actions, so that two
  // games of one scenario do not play alike (a file carries the seed it was saved with); in
  // TCP/IP play the host draws it and it travels to the joining machine with the game.
  if (inPlay_.GetBattle() != nullptr && inPlay_.GetBattle()->IsSetupPhase() && (connectionType_ != 2 || hostFlag_ != 0)) {
    sharedSeed_ = static_cast<uint16_t>(Random(65535));
    inPlay_.GetBattle()->sharedSeed = sharedSeed_;
  }
  AssignComputerSides();
  return true;
}

void WRApplication::ShowHandOverScreen() {
  handOver3D_ = gKernel != nullptr && gKernel->Is3D() ? 1 : 0;
  if (handOver3D_ != 0 && inPlay_.GetBattle() != nullptr) inPlay_.GetBattle()->SetViewActive(false);
  if (humanPlayers_ < 2) {
    DoCommand(kCommandHandOverDone);
    return;
  }
  if (gKernel == nullptr || gKernel->GetRootView() == nullptr) return;
  if (gSoundManager != nullptr) gSoundManager->SetDistanceOffset(500.0f);
  const int32_t side = sideToPlay_ == 1 ? 1 : 0;
  SafeDelete(currentScreen_);
  currentScreen_ = MakeFullScreenView();
  auto* panel = new GView();
  constexpr uint8_t kPanelRed[3] = {80, 0, 0};
  panel->SetBackColor(ScreenColours::Pixel(kPanelRed));
  panel->Place(currentScreen_, -1, -1, 400, 140);
  GString255 text;
  text.Assign("(");
  text.AppendResource(side == 0 ? 130 : 131);
  text.AppendResource(kStrHandOverPlayerEnter);
  text.AppendResource(fileSettings_.passwordSet[side] != 0 ? kStrHandOverPassword : kStrHandOverNewPassword);
  auto* label = new GLabel();
  label->InitWithText(panel, 0, 4, 400, nullptr);
  label->SetText(&text);
  label->SetColor(255, 255, 255);
  label->SetAlignment(0);
  label->SetFill(0);
  handOverLabel_ = label;
  passwordEntry_ = new GTextEntry();
  passwordEntry_->Init(panel, -1, 30, 30, 1, 1, 0);
  // Whoever sits beside the player does not read the password as it is typed.
  passwordEntry_->SetMask('*');
  auto* ok = new GStripButton();
  ok->IStripButton(panel, 66, 85, kCommandHandOverDone, 11101, 0);
  ok->MakeDefault();
  ok->SetClickSound(152);
  auto* cancel = new GStripButton();
  cancel->IStripButton(panel, 233, 85, 82, 11103, 0);
  cancel->SetClickSound(153);
  cancel->SetVisible(0);
  handOverCancel_ = cancel;
}

bool WRApplication::CheckPassword() {
  // One human player has no entry: the check succeeds.
  if (passwordEntry_ != nullptr) {
    if (sideToPlay_ != 0 && sideToPlay_ != 1) FatalError(__LINE__, "WRApplication");
    const size_t side = static_cast<size_t>(sideToPlay_);
    GString255 typed;
    passwordEntry_->GetText(&typed);
    GString63 digest;
    GKernel::DigestText(&typed, &digest);
    // A side's first password, the empty one included, becomes its password.
    if (fileSettings_.passwordSet[side] == 0) {
      fileSettings_.passwordDigest[side] = digest;
    } else if (!digest.Equals(fileSettings_.passwordDigest[side])) {
      Beep();
      passwordEntry_->Clear();
      passwordEntry_->Invalidate();
      if (handOverCancel_ != nullptr) handOverCancel_->SetVisible(1);
      if (handOverLabel_ != nullptr) {
        handOverLabel_->SetTextResource(kStrHandOverWrongPassword);
        handOverLabel_->SetColor(255, 255, 0);
      }
      return false;
    }
    passwordEntry_->Clear();
    if (gKernel != nullptr) gKernel->UpdateScreen();
    passwordEntry_ = nullptr;
    handOverCancel_ = nullptr;
    handOverLabel_ = nullptr;
    fileSettings_.passwordSet[side] = 1;
    // The battlefield's sounds come back from the distance of the hand-over screen.
    if (gSoundManager != nullptr) gSoundManager->SetDistanceOffset(0.0f);
  }
  SafeDelete(currentScreen_);
  if (handOver3D_ != 0 && inPlay_.GetBattle() != nullptr) inPlay_.GetBattle()->SetViewActive(true);
  return true;
}

void WRApplication::OpenBattleForSide() {
  if (inPlay_.GetBattle() == nullptr) return;
  AssignComputerSides();
  // The hosting machine waits for its opponent first, unless its side must still buy its
  // forces or the next battle of an operation is being prepared for the joining machine.
  // An operation's next battle keeps the link it has: waiting for the joining machine, or
  // already sending it the battle (it may be ready before the hand-over screen is passed).
  const int32_t link = tcp_.GetState();
  const bool nextBattle = link == TCPIP_STATE_SERVER_OPERATION_WAITING_TO_UPLOAD ||
                          link == TCPIP_STATE_SERVER_UPLOADING_GAME || link == TCPIP_STATE_SERVER_WAITING_FOR_CLIENT;
  if (connectionType_ == 2 && hostFlag_ != 0 && inPlay_.GetBattle()->mustPurchase[sideToPlay_ == 1 ? 1 : 0] == 0 && !nextBattle) {
    StartHosting();
    return;
  }
  // The battle screen of a battle already on the screen stays; the first opens it.
  if (!inPlay_.GetBattle()->HasBattlefieldView() && !OpenBattleScreen()) return;
  if (inputMode_ != InputModes::kReplay) inPlay_.GetBattle()->CheckForEnd(!(humanPlayers_ == 2 && connectionType_ == 0));
}

void WRApplication::SwitchSides() {
  fileSettings_.sideToggle = fileSettings_.sideToggle != 0 ? 0 : 1;
  sideToPlay_ = 1 - (sideToPlay_ == 1 ? 1 : 0);
  if (connectionType_ == 0) {
    const int8_t fog = GetOption(10);
    settings_.SwapWithOther();
    SetFogOfWarOption(fog);
    for (int32_t i = 0; i < kOptionCount; ++i) ApplyOption(i);
  }
  if (inPlay_.GetBattle() != nullptr) inPlay_.GetBattle()->DeselectAll();
  if (editor_ == nullptr && humanPlayers_ == 2) {
    ShowHandOverScreen();
  }
}

bool WRApplication::ContinueAfterTurn() {
  if (humanPlayers_ < 2 || connectionType_ == 2) return false;
  if (connectionType_ == 0) {
    if (HasBattleWithMap()) Screen().SetMapDrawState(0);
    SwitchSides();
    if (inPlay_.GetBattle() != nullptr && inPlay_.GetBattle()->map != nullptr) {
      if (fileSettings_.sideToggle == 0 && inPlay_.GetBattle()->IsSetupPhase()) {
        showBriefingPending_ = 1;
        Screen().SetMapDrawState(1);
      } else {
        Screen().SetMapDrawState(2);
      }
    }
    return true;
  }
  if (gSoundManager != nullptr) gSoundManager->StopAllSounds();
  SetInputMode(InputModes::kNoPick);
  showEmailNotice_ = 1;
  if (inPlay_.GetBattle() != nullptr) inPlay_.GetBattle()->SetViewActive(false);
  ShowMainScreen(true);
  return true;
}

bool WRApplication::DoGameFlowCommand(int32_t command) {
  switch (command) {
    case kCommandPlayScenario: ShowGameSelection(); return true;
    case 59: PlayChosenGame(); return true;
    case kCommandChooseAxis:
    case kCommandChooseAllied:
      sideToPlay_ = command == kCommandChooseAxis ? 0 : 1;
      ShowPlayersScreen();
      return true;
    case kCommandPlayersChosen: {
      SetPlayersAndConnection();
      const int32_t toPlay = sideToPlay_ == 1 ? 1 : 0;
      bool notBegun = false;
      if (inPlay_.GetCampaign() != nullptr) {
        notBegun = (inPlay_.GetBattle() == nullptr || inPlay_.GetBattle()->IsSetupPhase()) &&
                   (connectionType_ != 2 || inPlay_.GetCampaign()->currentTurn == 1);
      } else {
        notBegun = inPlay_.GetBattle() != nullptr && inPlay_.GetBattle()->IsSetupPhase();
      }
      if (BriefingOf(toPlay) != nullptr && notBegun) {
        ShowBriefing(toPlay, false, false, 73, true);
        return true;
      }
      // Hotseat: a side with nothing left to buy lets the side that must buy go first.
      if (humanPlayers_ == 2 && connectionType_ == 0 && inPlay_.GetBattle() != nullptr) {
        const int32_t side = sideToPlay_ == 1 ? 1 : 0;
        if (inPlay_.GetBattle()->mustPurchase[side] == 0 && inPlay_.GetBattle()->mustPurchase[1 - side] != 0) sideToPlay_ = 1 - side;
      }
      ShowHandOverScreen();
      return true;
    }
    case kCommandHideTimeLimit:
      if (timePopup_ != nullptr) timePopup_->SetVisible(0);
      return true;
    case 94:
    case kCommandShowTimeLimit:
      if (timePopup_ != nullptr) timePopup_->SetVisible(1);
      return true;
    case kCommandHandOverDone:
      if (!CheckPassword()) return true;
      OpenBattleForSide();
      return true;
    case 97:
      // Back to the battlefield after the results.
      if (inPlay_.GetBattle() == nullptr || !inPlay_.GetBattle()->IsOver()) return true;
      resultsScreen_.HideView();
      inPlay_.GetBattle()->ReturnToMapAfterEnd();
      return true;
    case kCommandContinueAfterBattle: ContinueAfterBattle(); return true;
    case 61: {
      delete titleSound_;
      titleSound_ = nullptr;
      if (gKernel == nullptr) return true;
      bool openFailed = false;
      GFile* file = gKernel->OpenFileDialog(GameFolders::PbemFolderName().CStr(), nullptr, nullptr, nullptr, nullptr,
                                            GFile::kModeReadEmail, &openFailed);
      LoadEmailTurn(file, openFailed);
      return true;
    }
    case 85: OpenLoadedBattle(); return true;
    default: return DoBriefingCommand(command);
  }
}

void WRApplication::ContinueAfterBattle() {
  GErrorLog::LogError("Continue after the battle");
  if (inPlay_.GetCampaign() == nullptr || inPlay_.GetCampaign()->IsOver()) {
    // The autosave of a finished game is a one-machine game.
    const int32_t players = humanPlayers_;
    const int32_t connection = connectionType_;
    humanPlayers_ = 1;
    connectionType_ = 0;
    Autosave(false);
    humanPlayers_ = players;
    connectionType_ = connection;
  }
  // The other player has yet to receive the final turn.
  if (inPlay_.GetBattle() != nullptr && inPlay_.GetBattle()->finished != 0 && connectionType_ != 2 && ContinueAfterTurn()) return;
  if (inPlay_.GetCampaign() != nullptr) {
    ContinueOperation();
    return;
  }
  CloseBattleScreen(false);
  DeleteBattleAndOperation();
  ShowMainScreen(true);
}

void WRApplication::ContinueNetworkOperation() {
  tcp_.BetweenBattles();
  if (!tcp_.IsHost()) {
    // The hosting machine sets up the next battle and sends it once this machine waits for it.
    const uint8_t ready = TCPIP_MSG_NEXT_BATTLE_READY;
    NetSend(&ready, 1);
    DeleteBattleAndOperation();
    ShowWaitForSetup();
    return;
  }
  inPlay_.GetCampaign()->AdvanceBetweenBattles();
  ClearScreensBetweenBattles();
  tcp_.SetState(TCPIP_STATE_SERVER_OPERATION_WAITING_TO_UPLOAD);
  inPlay_.GetCampaign()->StartNextBattle();
}

void WRApplication::ContinueOperation() {
  GErrorLog::LogFileLine(__LINE__, "WRApplication");
  CloseBattleScreen(false);
  if (gKernel != nullptr) gKernel->ClearScreen(false);
  if (inPlay_.GetCampaign()->IsOver()) {
    DeleteBattleAndOperation();
    ShowMainScreen(true);
    return;
  }
  if (connectionType_ == 2) {
    ContinueNetworkOperation();
    return;
  }
  if (humanPlayers_ == 2) fileSettings_.sideToggle = 1;
  // Both e-mail machines compute the same steps between the battles from the shared seed.
  if (connectionType_ == 1) SeedRandom(sharedSeed_);
  GErrorLog::LogFileLine(__LINE__, "WRApplication");
  inPlay_.GetCampaign()->AdvanceBetweenBattles();
  GErrorLog::LogFileLine(__LINE__, "WRApplication");
  ClearScreensBetweenBattles();
  inPlay_.GetCampaign()->StartNextBattle();
}

void WRApplication::ClearScreensBetweenBattles() {
  SetBattle(nullptr);
  // The clear takes every screen view with it.
  ForgetSetupScreens();
  if (gKernel != nullptr) gKernel->ClearScreen(true);
  screenRoot_ = nullptr;
  mainPicture_ = nullptr;
  helpLine_ = nullptr;
  addressScreen_ = nullptr;
}

void WRApplication::LoadEmailTurn(GFile* file, bool openFailed) {
  if (file == nullptr) {
    // A file the dialog could not open is a damaged one: the player is told, not only beeped.
    if (openFailed) {
      Beep();
      ShowAlert(AlertTable::kDamagedFile);
    }
    return;
  }
  connectionType_ = 1;
  humanPlayers_ = 2;
  const bool read = ReadGameFile(file, nullptr);
  // The answer goes back under the name the turn came in.
  std::string name = file->Path();
  delete file;
  name = name.substr(name.find_last_of("\\/") == std::string::npos ? 0 : name.find_last_of("\\/") + 1);
  GString255 base;
  base.Assign(name.c_str());
  GKernel::StripExtension(base);
  if (read) saveName_ = base;
  if (!read) {
    connectionType_ = 0;
    humanPlayers_ = 1;
    return;
  }
  ForgetSetupScreens();
  SafeDelete(screenRoot_);
  mainPicture_ = nullptr;
  helpLine_ = nullptr;
  addressScreen_ = nullptr;
  const int32_t side = sideToPlay_ == 1 ? 1 : 0;
  if ((BriefingOf(2) != nullptr || BriefingOf(side) != nullptr) && BattleNotBegun(inPlay_.GetBattle(), inPlay_.GetCampaign())) {
    ShowBriefing(side, true, false, 76, true);
    return;
  }
  DoCommand(85);
}

void WRApplication::OpenLoadedBattle() {
  if (inPlay_.GetBattle() == nullptr) return;
  const bool packets = inPlay_.GetBattle()->packets.Count() > 0;
  const int32_t side = sideToPlay_ == 1 ? 1 : 0;
  if (inPlay_.GetBattle()->mustPurchase[side] != 0) {
    ShowHandOverScreen();
    return;
  }
  AssignComputerSides();
  if (!OpenBattleScreen(!packets)) return;
  if (packets && !inPlay_.GetBattle()->IsOver() && !(inPlay_.GetBattle()->endState[0] == 1 && inPlay_.GetBattle()->endState[1] == 1)) {
    inPlay_.GetBattle()->ComputeAction(false);
  }
  ShowHandOverScreen();
}
