#include "app/WRTcpHost.h"

#include <memory>

#include "app/TransferProgressView.h"
#include "app/WRApplication.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GMemoryFile.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GSoundManager.h"
#include "framework/ui/GView.h"
#include "game/battle/Battle.h"
#include "game/battle/screen/BattleScreenParts.h"
#include "game/battle/TurnMerge.h"
#include "game/map/Map.h"
#include "game/map/OrderState.h"
#include "game/units/Unit.h"
#include "platform/PClock.h"
#include "platform/PFile.h"

namespace {

constexpr int32_t kStrVersion = 9999;
constexpr int32_t kRadioHintString = 20130;
constexpr int32_t kKindFortification = 2;
constexpr int32_t kKindAirplane = 3;

}  // namespace

uint32_t WRTcpHost::TickCount() { return PClock::TickCount(); }

bool WRTcpHost::IsForeground() const { return gKernel == nullptr || gKernel->IsForeground(); }

int32_t WRTcpHost::VersionNumber() const {
  GString255 text;
  text.AppendResource(kStrVersion);
  return text.ToInteger();
}

bool WRTcpHost::HasBattle() const { return app_.GetBattle() != nullptr; }

void WRTcpHost::StateChanged(int32_t /*state*/) { app_.RefreshBattleScreen(); }

void WRTcpHost::ShowAlert(int32_t number) { app_.ShowAlert(number); }

bool WRTcpHost::IsAlertOpen() const { return app_.GetAlertBox() != nullptr; }

void WRTcpHost::PlaySound(int32_t number, int32_t priority) {
  if (gSoundManager != nullptr) gSoundManager->PlaySound(static_cast<int16_t>(number), priority);
}

bool WRTcpHost::WriteWholeGame(std::string& bytes) {
  Battle* battle = app_.GetBattle();
  if (battle == nullptr) return false;
  // Making a file draws from the generator: the game's draws stay as they were.
  const uint32_t generator = RandomState();
  // Both machines number fortifications and aircraft alike.
  Unit::gDesignationCounter = 1;
  for (int32_t i = 0; i < battle->UnitCount(); ++i) {
    Unit* unit = battle->UnitAt(i);
    if (unit->kind == kKindFortification || unit->kind == kKindAirplane) unit->AssignDesignation();
  }
  // The file is the opponent's: its side to play and side toggle are the other ones.
  const int32_t side = app_.GetSideToPlay();
  const uint8_t toggle = app_.FileSettings().sideToggle;
  app_.SetSideToPlay(side == 0 ? 1 : side == 1 ? 0 : side);
  app_.FileSettings().sideToggle = toggle != 0 ? 0 : 1;
  GMemoryFile memory;
  app_.WriteGameFile(&memory.File());
  app_.SetSideToPlay(side);
  app_.FileSettings().sideToggle = toggle;
  // The opponent buys his force on his own machine, from the game just written; a side of
  // this machine that has still to buy keeps its purchase.
  if (side == 0 || side == 1) battle->mustPurchase[1 - side] = 0;
  else battle->mustPurchase[0] = battle->mustPurchase[1] = 0;
  SeedRandom(generator);
  if (memory.File().HasError()) return false;
  bytes = memory.Bytes();
  return true;
}

bool WRTcpHost::WriteOrders(bool withPackets, std::string& bytes) {
  Battle* battle = app_.GetBattle();
  if (battle == nullptr) return false;
  const uint32_t generator = RandomState();
  GMemoryFile memory;
  battle->WriteOrders(memory.File());
  TurnMerge::WriteTail(*battle, memory.File(), withPackets);
  SeedRandom(generator);
  if (memory.File().HasError()) return false;
  bytes = memory.Bytes();
  return true;
}

bool WRTcpHost::OpenReceivedGame(const std::string& bytes) {
  std::unique_ptr<PFile> handle = PFile::OpenMemory(bytes);
  auto* file = new GFile();
  if (!handle || !file->IFile(std::move(handle), nullptr, GFile::kModeRead)) {
    delete file;
    app_.ShowMainScreen(true);
    app_.ShowAlert(3);
    return false;
  }
  // The reader takes and deletes the file; a refused game leaves a fresh main screen with
  // the game file's alert.
  app_.OpenChosenGame(file);
  return app_.GetBattle() != nullptr;
}

bool WRTcpHost::MergeReceivedTurn(const std::string& bytes, bool allSides, bool answer) {
  Battle* battle = app_.GetBattle();
  if (battle == nullptr) return false;
  const uint32_t generator = RandomState();
  GMemoryFile memory(bytes);
  SeedRandom(generator);
  const int32_t own = app_.GetSideToPlay() == 1 ? 1 : 0;
  bool compute = computeHere_;
  const bool merged = TurnMerge::Merge(*battle, memory.File(), allSides, answer, own);
  if (!merged) computeHere_ = compute;
  // Units that joined from the turn have no portraits yet: the battle's looks are made
  // again once the merge is through.
  if (merged && (battle->missingGraphics[0] > 0 || battle->missingGraphics[1] > 0)) reloadGraphics_ = true;
  return merged;
}

void WRTcpHost::ReloadGraphicsIfFlagged() {
  if (!reloadGraphics_) return;
  reloadGraphics_ = false;
  app_.ReloadBattleGraphics();
}

bool WRTcpHost::InSetupPhase() const { return app_.GetBattle() != nullptr && app_.GetBattle()->IsSetupPhase(); }

bool WRTcpHost::CeaseFireEndsBattle() {
  Battle* battle = app_.GetBattle();
  return battle != nullptr && battle->CheckCeaseFireAndSurrender();
}

int32_t WRTcpHost::OwnSide() const { return app_.GetSideToPlay() == 1 ? 1 : 0; }

int32_t WRTcpHost::OpponentSurrenderState() const {
  const Battle* battle = app_.GetBattle();
  return battle != nullptr ? battle->endState[1 - OwnSide()] : 0;
}

void WRTcpHost::IssueGo() {
  Battle* battle = app_.GetBattle();
  if (battle == nullptr) return;
  battle->SelectUnit(nullptr);
  battle->DoCommand(9);
}

void WRTcpHost::EndReplay() {
  if (app_.GetBattle() != nullptr) app_.GetBattle()->DoCommand(10);
}

void WRTcpHost::PlayReplay() {
  Battle* battle = app_.GetBattle();
  if (battle == nullptr) return;
  app_.SetInputMode(InputModes::kReplay);
  battle->DoCommand(Replay::kPlaying);
}

void WRTcpHost::PrepareReceivedReplay() {
  if (app_.GetBattle() != nullptr) app_.GetBattle()->ComputeAction(false);
}

void WRTcpHost::Autosave() { app_.Autosave(false); }

void WRTcpHost::OpenHostBattleScreen() {
  Battle* battle = app_.GetBattle();
  // The hand-over screen still stands (an operation's next battle): passing it opens the
  // battle screen.
  if (battle == nullptr || app_.GetPasswordEntry() != nullptr) return;
  if (!battle->HasBattlefieldView() && !app_.OpenBattleScreen()) return;
  battle->CheckForEnd(true);
}

void WRTcpHost::ShowGoPanel() {
  // The panel of the GO button (command 9), hidden while the host waited for its opponent.
  Battle* battle = app_.GetBattle();
  if (battle != nullptr && battle->Screen().views.networkPanel != nullptr) battle->Screen().views.networkPanel->SetVisible(1);
}

void WRTcpHost::ShowReplayPanel() {
  Battle* battle = app_.GetBattle();
  if (battle != nullptr && battle->Screen().views.replayPanel != nullptr) battle->Screen().views.replayPanel->SetVisible(1);
  if (battle != nullptr && battle->Screen().views.goPicture != nullptr) battle->Screen().views.goPicture->SetVisible(0);
}

void WRTcpHost::ShowConnectionMade() { app_.ShowConnectionMade(); }

void WRTcpHost::ResetMapInput() { app_.ResetMapInput(); }

bool WRTcpHost::HasRadioEntry() const {
  const Battle* battle = app_.GetBattle();
  return battle != nullptr && battle->map != nullptr && battle->map->chatEntry != nullptr;
}

bool WRTcpHost::IsBattleViewVisible() const { return app_.Screen().HasMapView() && app_.Screen().IsMapViewVisible(); }

int32_t WRTcpHost::RadioTextWidth(const std::string& text) const {
  if (gGraph3D == nullptr) return static_cast<int32_t>(text.size()) * 6;
  const int32_t font = app_.GetScreenWidth() <= 900 ? 1 : 0;
  return gGraph3D->TextWidth(text.data(), text.size(), font);
}

std::string WRTcpHost::RadioHint() const {
  GString255 text;
  text.AppendResource(kRadioHintString);
  return text.CStr();
}

void WRTcpHost::ProgressShown(bool shown) {
  SafeDelete(progress_);
  if (!shown || gKernel == nullptr || gKernel->GetRootView() == nullptr) return;
  progress_ = new TransferProgressView(app_.Tcp());
  progress_->Init(gKernel->GetRootView());
}

void WRTcpHost::ProgressChanged() {
  if (progress_ != nullptr) progress_->Invalidate();
}
