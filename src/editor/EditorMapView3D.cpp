// The map editor's visit to the battle screen: the edited battle read back through its stored
// form and shown in 3-D, where units, flags and arrival points can be moved; GO brings the
// designer back to the map editor with what was moved there.
#include "app/WRApplication.h"
#include "editor/EditorMapPreview.h"
#include "editor/EditorState.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/ui/GView.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"

namespace {

constexpr const char* kMapView3DSource = "EditorMapView3D";
constexpr int32_t kAlliedSide = 1;
constexpr int32_t kNoSide = 2;

}  // namespace

void EditorState::FollowEditedMap() {
  if (mapView == nullptr) return;
  BattleBase* edited = CurrentBattle();
  mapView->SetMap(edited != nullptr ? edited->map : nullptr);
}

void EditorState::ViewMapIn3D() {
  if (app_ == nullptr) FatalError(__LINE__, kMapView3DSource);
  if (mapView == nullptr || previewRunning != 0) return;
  previewRunning = 1;
  mapView->Invalidate();
  if (gKernel != nullptr) gKernel->UpdateScreen();
  // The grids go into the map, and the game is rebuilt from what a file of it holds.
  if (!mapView->CommitToMap()) GErrorLog::LogError("Map editor: the map refused the grids");
  app_->RoundTripGame();
  app_->FileSettings().gameName.Assign(ScenarioName().c_str());
  Campaign* operation = app_->GetCampaign();
  if (operation == nullptr) {
    if (Battle* battle = app_->GetBattle()) battle->FlagsToMarkers();
  } else {
    // The editor never holds a battle of the operation it edits.
    if (app_->GetBattle() != nullptr) FatalError(__LINE__, kMapView3DSource);
    auto* battle = new Battle(*app_);
    app_->SetBattle(battle);
    operation->SetUpBattle(*battle);
  }
  Battle* battle = app_->GetBattle();
  FollowEditedMap();
  PrepareUnitPlacement();
  if (screenView != nullptr) screenView->SetVisible(0);
  if (rootView != nullptr) rootView->SetNoFill(1);
  app_->SetSideToPlay(kAlliedSide);
  SetStartViews();
  if (battle == nullptr || !app_->OpenBattleScreen(true, false)) {
    // Nothing to show: the editor stays as it was.
    GErrorLog::LogError("Map editor: the battle screen did not open");
    app_->Beep();
    ResetBattleObjects();
  }
}

void EditorState::ResetBattleObjects() {
  if (app_ == nullptr) FatalError(__LINE__, kMapView3DSource);
  Campaign* operation = app_->GetCampaign();
  Battle* battle = app_->GetBattle();
  if (operation == nullptr && battle != nullptr) battle->MarkersToFlags();
  GErrorLog::LogFileLine(__LINE__, kMapView3DSource);
  app_->CloseBattleScreen(false);
  if (operation != nullptr && battle != nullptr) {
    operation->TakeBackBattle();
    app_->SetBattle(nullptr);
  }
  if (gKernel != nullptr) gKernel->Set3DMode(false);
  if (screenView != nullptr) screenView->SetVisible(1);
  if (rootView != nullptr) rootView->SetNoFill(0);
  previewRunning = 0;
  app_->SetSideToPlay(kNoSide);
  FollowEditedMap();
  if (mapView != nullptr) mapView->Invalidate();
}
