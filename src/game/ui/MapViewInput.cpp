// The battlefield view's mouse and tick: selecting units and groups, jumping and locking the
// camera, dragging waypoints and the selection rectangle, completing the pick an order started,
// and scrolling at the screen edge.
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraph3D.h"
#include "framework/ui/GViewHost.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/map/BattlefieldScreen.h"
#include "game/map/Building.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/OrderState.h"
#include "game/map/TurnExchange.h"
#include "game/ui/MapView.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"

int32_t MapView::waypointMemory = -1;

namespace {

using namespace InputModes;

// Picking draws through the 3-D device; without one nothing is under the pointer.
bool CanPick() {
  const GViewHost* host = GViewHost::Current();
  return host != nullptr && host->Is3D();
}

// The view no longer receives the mouse's moves and release.
void ReleaseTracker() {
  if (gKernel != nullptr) gKernel->ClearMouseTracker();
  else if (GViewHost* host = GViewHost::Current()) host->SetMouseTracker(nullptr);
}

Battle* BattleOf(Map* map) {
  return map != nullptr ? dynamic_cast<Battle*>(map->App().GetBattleOrOperation()) : nullptr;
}

bool InGroup(const Unit& unit) { return unit.boxSelection != 0 && unit.IsCommandable(); }

// Every non-passenger squad the leader commands joins the group when it can take orders.
void SelectSubordinates(Battle& battle, const Unit& leader) {
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    Unit* unit = battle.UnitAt(i);
    auto* squad = unit != nullptr ? unit->AsInfantryUnit() : nullptr;
    if (squad == nullptr || squad->boxSelection == 2) continue;
    if (squad->GetLeaderReference() != &leader && squad->platoonLeader != &leader) continue;
    if (squad->IsCommandable() && !squad->IsPassenger()) squad->boxSelection = 2;
  }
}

void SetAllStates(Battle& battle, int32_t from, int32_t to) {
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    Unit* unit = battle.UnitAt(i);
    if (from < 0 || unit->boxSelection == from) unit->boxSelection = to;
  }
}

}  // namespace

void MapView::UseFrameProjection() {
  // The pick looks through the view's projection: the one the map's last frame used.
  const auto& frame = map_->frame;
  if (frame.fieldOfView > 0.0f && frame.nearPlane > 0.0f && frame.farPlane > frame.nearPlane) {
    SetProjection(frame.fieldOfView, frame.nearPlane, frame.farPlane);
  }
}

void MapView::PickAt(int32_t x, int32_t y) {
  if (map_ == nullptr || !CanPick()) return;
  map_->Invalidate();
  UseFrameProjection();
  BeginPick(x, y);
  map_->Draw();
  NextPickPass();
  map_->Draw();
  EndPick();
  map_->Invalidate();
  if (PickGroundPoint()) Invalidate();
}

bool MapView::PickGroundPoint() {
  GGraph3D* g = gGraph3D;
  if (g == nullptr || map_ == nullptr) return false;
  float x = 0.0f, y = 0.0f, z = 0.0f;
  if (!g->GetPickPoint(&x, &y, &z)) return false;
  // A click on a building lands inside it, near its tile's centre, so that an order there
  // reaches the building rather than the ground at its wall.
  const Building* building = map_->GetPickedBuilding();
  if (building != nullptr) building->PullTowardCentre(x, y);
  OrderState& state = map_->orders;
  state.pickX = x;
  state.pickY = y;
  const float ground = map_->ElevationAt(x, y);
  state.groundZ = ground;
  // A click on the upper storey's height picks that floor.
  if (building != nullptr && building->HasUpperStorey() && ground + 6.0f <= z) state.groundZ = ground + 6.0f;
  float sx = x, sy = y;
  if (g->ProjectToScreen(&sx, &sy, state.groundZ, false)) {
    state.groundScreenX = static_cast<int32_t>(sx);
    state.groundScreenY = static_cast<int32_t>(sy);
  }
  return true;
}

void MapView::MouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t /*control*/) {
  Battle* battle = BattleOf(map_);
  if (battle == nullptr) return;
  const int32_t mode = map_->App().GetInputMode();
  if (mode == kMovePick) {
    BeginTrackingFinal();
    return;
  }
  if (mode != kNoPick && mode != kReplay) return;
  map_->orders.menuX = x;
  map_->orders.menuY = y;
  map_->orders.questionX = x;
  map_->orders.questionY = y;
  waypointMemory = battle->selectedWaypoint;
  battle->SetSelectedWaypoint(-1);
  map_->SetPickRecording(true);
  if (CanPick()) {
    map_->Invalidate();
    UseFrameProjection();
    BeginPick(x, y);
    Draw();
    NextPickPass();
    Draw();
    EndPick();
    map_->Invalidate();
  }
  Invalidate();
  auto* picked = UnitOfView(map_->GetPickedUnit());
  const bool control = gKernel != nullptr && gKernel->IsControlDown();
  ClickOn(x, y, picked, doubleClick != 0, shift != 0, control);
  map_->SetPickRecording(false);
}

void MapView::ClickOn(int32_t x, int32_t y, Unit* picked, bool doubleClick, bool shift, bool control) {
  Battle* battle = BattleOf(map_);
  if (battle == nullptr) return;
  MapAppServices& app = map_->App();
  const int32_t mode = app.GetInputMode();
  if (mode != kNoPick && mode != kReplay) return;
  const bool canOrder = mode == kNoPick && !app.IsNetworkOrdersLocked();
  // A waypoint marker under the pointer was selected by the pick's drawing: it can be dragged.
  if (battle->selectedWaypoint >= 0) {
    battle->multiSelection = 0;
    BeginTrackingFinal();
    return;
  }
  if (control) {
    if (picked == nullptr || picked == map_->camera.selectedUnit) {
      if (PickGroundPoint() && map_->IsOnMap(map_->orders.pickX, map_->orders.pickY)) {
        const int32_t side = app.GetCurrentSide() & 1;
        map_->camera.x[side] = map_->orders.pickX;
        map_->camera.y[side] = map_->orders.pickY;
        map_->Invalidate();
      }
    } else {
      map_->SelectUnit(picked);
    }
    return;
  }
  if (picked == nullptr) {
    if (!canOrder) {
      battle->SelectUnit(nullptr);
      return;
    }
    if (shift) {
      SetAllStates(*battle, 1, 2);
    } else {
      SetAllStates(*battle, -1, 0);
      battle->SelectUnit(nullptr);
    }
    map_->camera.selectionCorners[0][0] = x;
    map_->camera.selectionCorners[0][1] = y;
    map_->camera.selectionCorners[1][0] = x;
    map_->camera.selectionCorners[1][1] = y;
    app.SetInputMode(kSelectionDrag);
    battle->multiSelection = 1;
    BeginTracking();
    return;
  }
  bool leaderDouble = false;
  if (doubleClick && canOrder && picked->IsInfantry() && picked->IsCommandable()) {
    if (const auto* squad = picked->AsInfantryUnit()) leaderDouble = squad->GetLeaderLevel();
  }
  const bool passenger = picked->IsPassenger();
  if (!shift || passenger || !canOrder) {
    const bool clearGroup = leaderDouble || battle->multiSelection == 0 || picked->boxSelection == 0;
    if (clearGroup) SetAllStates(*battle, -1, 0);
    battle->SelectUnit(picked);
    if (!leaderDouble) {
      if (clearGroup) battle->multiSelection = 0;
      map_->orders.originScreenX = x;
      map_->orders.originScreenY = y;
      map_->orders.originX = picked->x;
      map_->orders.originY = picked->y;
      map_->orders.originHeight = picked->GetBaseHeight();
      BeginTrackingFinal();
    } else {
      battle->multiSelection = 1;
      picked->boxSelection = 2;
      SelectSubordinates(*battle, *picked);
    }
    return;
  }
  // Shift-click: the group grows or shrinks.
  if (picked == battle->selectedUnit && !leaderDouble) {
    if (battle->multiSelection == 0) {
      battle->SelectUnit(nullptr);
      return;
    }
    picked->boxSelection = 0;
    Unit* next = nullptr;
    for (int32_t i = 0; i < battle->UnitCount() && next == nullptr; ++i) {
      if (InGroup(*battle->UnitAt(i))) next = battle->UnitAt(i);
    }
    if (next != nullptr) battle->SelectUnit(next);
    else battle->multiSelection = 0;
    return;
  }
  if (battle->multiSelection == 0 || picked->boxSelection == 0 || leaderDouble) {
    battle->multiSelection = 1;
    if (battle->selectedUnit != nullptr) battle->selectedUnit->boxSelection = 2;
    battle->SelectUnit(picked);
    picked->boxSelection = 2;
    if (leaderDouble) SelectSubordinates(*battle, *picked);
    return;
  }
  picked->boxSelection = 0;
}

void MapView::HoverOn(Unit* picked) {
  Battle* battle = BattleOf(map_);
  if (battle == nullptr) return;
  const int32_t mode = map_->App().GetInputMode();
  Unit* hovered = picked;
  Unit* selected = battle->selectedUnit;
  if (hovered != nullptr && selected != nullptr) {
    if (mode == kTargetPick && !selected->CanTarget(*hovered)) hovered = nullptr;
    // A friendly vehicle that could take the selected unit aboard stays: the order boards it.
    if ((mode == kMovePick || mode == kPlacePick) &&
        (selected->IsEnemy(*hovered) || !hovered->ReactToUnit(selected))) {
      hovered = nullptr;
    }
  }
  map_->orders.hovered = hovered;
}

void MapView::Track(int32_t x, int32_t y, uint8_t /*inside*/, uint8_t /*final*/) {
  Battle* battle = BattleOf(map_);
  if (battle == nullptr) return;
  const int32_t mode = map_->App().GetInputMode();
  switch (mode) {
    case kLinePick:
    case kMovePick:
    case kTargetPick:
    case kPlacePick: {
      map_->SetPickRecording(true);
      PickAt(x, y);
      HoverOn(UnitOfView(map_->GetPickedUnit()));
      map_->SetPickRecording(false);
      break;
    }
    case kWaypointDrag: {
      Unit* selected = battle->selectedUnit;
      // The selection can go while the camera scrolls: the drag then ends.
      if (selected == nullptr || battle->selectedWaypoint < 0) {
        map_->App().SetInputMode(kNoPick);
        ReleaseTracker();
        break;
      }
      PickAt(x, y);
      selected->MoveWaypoint(battle->selectedWaypoint, map_->orders.pickX, map_->orders.pickY);
      break;
    }
    case kFacingPick:
    case kFlagPick: PickAt(x, y); break;
    case kSelectionDrag:
      map_->SetSelectionCorner(static_cast<float>(x), static_cast<float>(y));
      Invalidate();
      break;
    default: break;
  }
}

void MapView::MouseUp(int32_t x, int32_t y, uint8_t rightButton) {
  Battle* battle = BattleOf(map_);
  if (battle == nullptr) return;
  MapAppServices& app = map_->App();
  const int32_t mode = app.GetInputMode();
  map_->orders.questionX = x;
  map_->orders.questionY = y;
  bool placed = false;
  switch (mode) {
    case kNoPick:
      if (battle->selectedWaypoint >= 0 && battle->selectedWaypoint == waypointMemory) battle->SetSelectedWaypoint(-1);
      waypointMemory = -1;
      break;
    case kMovePick:
      if (rightButton != 0 && map_->orders.hovered == nullptr && battle->groupOrder == 0) {
        BeginTracking();
        return;
      }
      battle->PlaceMoveWaypoint(true);
      break;
    case kTargetPick: battle->SetTargetFromPick(); break;
    case kWaypointDrag: battle->SetSelectedWaypoint(-1); break;
    case kPlacePick: placed = battle->PlaceSelectedUnit(true); break;
    case kFacingPick: battle->PlaceSelectedUnit(false); break;
    case kFlagPick: battle->MarkNearestFlag(); break;
    case kSelectionDrag: {
      int32_t count = 0;
      Unit* last = nullptr;
      for (int32_t i = 0; i < battle->UnitCount(); ++i) {
        Unit* unit = battle->UnitAt(i);
        if (unit->boxSelection != 0) {
          ++count;
          last = unit;
        }
      }
      battle->multiSelection = count > 1 ? 1 : 0;
      if (count > 0 && battle->selectedUnit == nullptr) battle->SelectUnit(last);
      break;
    }
    default: break;
  }
  Unit* selected = battle->selectedUnit;
  if (mode == kPlacePick && placed && battle->groupOrder == 0 && selected != nullptr && !selected->IsPassenger() &&
      map_->camera.openMenu == nullptr) {
    battle->IssueOrder(kOrderSetupFacing, false);
  } else if (mode != kReplay) {
    app.SetInputMode(kNoPick);
  }
  if (battle->groupOrder != 0) battle->CompleteGroupOrder();
  map_->orders.hovered = nullptr;
}

void MapView::RightMouseDown(int32_t /*x*/, int32_t /*y*/) {
  Battle* battle = BattleOf(map_);
  if (battle == nullptr) return;
  MapAppServices& app = map_->App();
  const int32_t mode = app.GetInputMode();
  if (mode == kNoPick) {
    if (battle->selectedUnit == nullptr) {
      // The selection went (a scroll can drop it): nothing to open or drag.
      ReleaseTracker();
      return;
    }
    if (battle->selectedWaypoint < 0) {
      map_->OrdersMenuKey(0);
    } else {
      app.SetInputMode(kWaypointDrag);
      BeginTracking();
    }
    return;
  }
  if (mode == kMovePick && map_->orders.hovered == nullptr && battle->groupOrder == 0) {
    if (battle->PlaceMoveWaypoint(false)) {
      ReleaseTracker();
      app.SetInputMode(kNoPick);
    }
    Invalidate();
  }
}

bool MapView::ScrollAtEdge(int32_t dx, int32_t dy, bool shift) {
  if (map_ == nullptr) return false;
  MapAppServices& app = map_->App();
  if (!IsVisible() || app.GetInputMode() == kAlert) return false;
  if (dx != 0) {
    if (!shift) map_->TurnCamera(-0.72f * static_cast<float>(dx));
    else map_->MoveCamera(dx == -1 ? 1 : 2, 0.4f);
  }
  if (dy != 0) map_->MoveCamera(dy == -1 ? 3 : 4, 0.52f);
  const bool moving = dx != 0 || dy != 0;
  if (!moving) {
    Invalidate();
    return false;
  }
  // The scroll can drop the selection (the map refreshes and the battle checks what is
  // selected): a pick or drag that needs the unit, or its waypoint, ends.
  const Battle* battle = BattleOf(map_);
  const int32_t mode = app.GetInputMode();
  const bool needsUnit = (mode >= kLinePick && mode <= kWaypointDrag) || (mode >= kPlacePick && mode <= kFlagPick);
  if (battle != nullptr && needsUnit &&
      (battle->selectedUnit == nullptr || (mode == kWaypointDrag && battle->selectedWaypoint < 0))) {
    app.SetInputMode(kNoPick);
    map_->orders.hovered = nullptr;
    ReleaseTracker();
  }
  return true;
}

void MapView::TickAction() {
  if (map_ == nullptr) return;
  MapAppServices& app = map_->App();
  Battle* battle = BattleOf(map_);
  if (app.GetInputMode() == kReplay && battle != nullptr) battle->ReplayStep();
  int32_t dx = 0, dy = 0;
  bool shift = false;
  if (gKernel != nullptr) {
    gKernel->GetEdgeScroll(dx, dy);
    shift = gKernel->IsShiftDown();
  }
  const bool moving = ScrollAtEdge(dx, dy, shift);
  const bool network = app.GetConnectionType() == 2;
  if (network && map_->chatEntry != nullptr) app.Exchange().ExpireRadioLines();
  const bool replaying = app.GetInputMode() == kReplay && battle != nullptr && battle->replayState != Replay::kPaused;
  app.Battlefield().SetCameraCounter(moving || replaying);
  if (network) app.Exchange().RedrawTransferProgress();
  if (TakeArrivalNotice(battle, dynamic_cast<Campaign*>(app.GetOperation()), app.GetCurrentSide())) {
    app.Battlefield().RequestReinforcementsNotice();
  }
}

bool MapView::TakeArrivalNotice(Battle* battle, Campaign* operation, int32_t side) {
  // The side to play is 2 only between games, when no view ticks: nothing to tell then.
  if (side < 0 || side > 1) return false;
  const auto at = static_cast<size_t>(side);
  const bool arrived = (battle != nullptr && battle->sideOnMap[at] != 0) ||
                       (operation != nullptr && operation->replayFlags[at] != 0);
  if (!arrived) return false;
  if (battle != nullptr) battle->sideOnMap[at] = 0;
  if (operation != nullptr) operation->replayFlags[at] = 0;
  return true;
}
