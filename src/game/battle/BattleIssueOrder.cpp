// The order dispatch: every order the player gives to the selected unit, and the completions
// of the picks it starts.
#include "framework/core/GErrorLog.h"
#include "game/battle/Battle.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/BattlefieldScreen.h"
#include "game/map/Distance.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/OrderState.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/orders/Waypoint.h"

namespace {

using namespace InputModes;

// The code a withdrawal moves with: a vehicle's fast move; infantry runs while fresh.
int32_t WithdrawMoveCode(const Unit& unit) {
  if (unit.IsVehicle()) return kOrderFastMove;
  return unit.GetSpeedClass() == 4 && unit.fatigueLevel <= 2 ? kOrderRun : kOrderFastMove;
}

}  // namespace

MapUnitView* Battle::GetSelectedUnit() const { return selectedUnit; }

void Battle::BeginPick(int32_t mode) {
  if (map == nullptr) return;
  OrderState& state = map->orders;
  if (selectedUnit != nullptr) {
    state.originX = selectedUnit->x;
    state.originY = selectedUnit->y;
    state.originHeight = selectedUnit->GetBaseHeight();
    ProjectPickOrigin();
  }
  App().SetInputMode(mode);
  TrackPickWithView();
}

void Battle::IssueOrder(int32_t code, bool toSelectedWaypoint) {
  MapAppServices& app = App();
  Unit* unit = selectedUnit;
  if (unit == nullptr || map == nullptr) {
    GErrorLog::LogValue("Order without a selected unit, code", code);
    app.Battlefield().Beep();
    return;
  }
  OrderState& state = map->orders;
  if (toSelectedWaypoint) {
    if (code >= kOrderFastMove && code <= kOrderRun && selectedWaypoint >= 0 &&
        selectedWaypoint < unit->waypointCount) {
      unit->SetSelectedWaypointMode(code);
      if (app.GetInputMode() != kWaypointDrag) SetSelectedWaypoint(-1);
    } else {
      app.Battlefield().Beep();
    }
    return;
  }
  if (IsSetupPhase() && state.placeOnly != 0 && code == kOrderSetupFacing) {
    state.placeOnly = 0;
    if (multiSelection == 0) app.SetInputMode(kNoPick);
    return;
  }
  switch (code) {
    case kOrderFastMove: case kOrderReverse: case kOrderMove: case kOrderHunt: case kOrderSneak: case kOrderCrawl:
    case kOrderRun: case kOrderRotate:
      if (unit->withdraw != 0) unit->CancelMoveOrders();
      else unit->RemoveRotationPoint();
      unit->withdraw = 0;
      state.pendingMoveCode = code;
      app.SetInputMode(kMovePick);
      TrackPickWithView();
      break;
    case kOrderWithdraw:
      state.pendingMoveCode = WithdrawMoveCode(*unit);
      unit->CancelMoveOrders();
      unit->withdraw = 1;
      app.SetInputMode(kMovePick);
      TrackPickWithView();
      break;
    case kOrderCancelMoves: unit->CancelMoveOrders(); break;
    case kOrderPause:
      unit->flagBytes[Unit::kHoldFlag] = 0;
      unit->pendingDelaySteps = unit->pendingDelaySteps >= 3 ? 0 : unit->pendingDelaySteps + 1;
      unit->DropBurstIfIdle();
      InvalidateInfoPanel();
      break;
    case kOrderHide:
      unit->AddWaypoint(0.0f, 0.0f, kOrderHide, false, false, false, true);
      InvalidateInfoPanel();
      break;
    case kOrderTarget: case kOrderAmbush: case kOrderSmoke: case kOrderAreaTarget:
      state.secondTargetVariant = code == kOrderSmoke ? 1 : 0;
      unit->areaFire = code == kOrderAreaTarget ? 1 : 0;
      unit->flagBytes[Unit::kAmbushFlag] = code == kOrderAmbush ? 1 : 0;
      BeginPick(kTargetPick);
      break;
    case kOrderNextTarget: unit->CycleTarget(); break;
    case kOrderCancelTarget:
      if (app.GetInputMode() == kTargetPick) {
        app.SetInputMode(kNoPick);
        state.secondTargetVariant = 0;
      } else {
        unit->ClearOrderState(true);
        InvalidateInfoPanel();
      }
      break;
    case kOrderLineOfSight: BeginPick(kLinePick); break;
    case kOrderButtonUp:
      if (!unit->IsVehicle()) {
        GErrorLog::LogValue("Hatch order for a unit that is no vehicle, kind", unit->kind);
        app.Battlefield().Beep();
        break;
      }
      if (VehicleServices* vehicle = unit->AsVehicle()) vehicle->ToggleButtoned();
      InvalidateInfoPanel();
      break;
    case kOrderSplit: {
      auto* squad = unit->AsInfantryUnit();
      if (squad == nullptr || !squad->CanSplit()) {
        GErrorLog::LogValue("Split order the unit cannot take, kind", unit->kind);
        app.Battlefield().Beep();
        break;
      }
      squad->Split();
      InvalidateInfoPanel();
      break;
    }
    case kOrderSetupMove: BeginPick(kPlacePick); break;
    case kOrderSetupPlace:
      state.placeOnly = 1;
      BeginPick(kPlacePick);
      break;
    case kOrderSetupFacing: BeginPick(kFacingPick); break;
    case kOrderDugIn: {
      // The fixed position of an armoured vehicle with a gun; the menu offers it to no other.
      auto* vehicle = unit->AsVehicleUnit();
      if (vehicle == nullptr || !vehicle->IsArmoredIn(0) || !vehicle->HasHeavyWeapon(false)) {
        GErrorLog::LogValue("Fixed-position order the unit cannot take, kind", unit->kind);
        app.Battlefield().Beep();
        break;
      }
      vehicle->ToggleDugIn();
      InvalidateInfoPanel();
      break;
    }
    case kOrderHoldPlace:
      // Zone 7 keeps the unit where the scenario put it.
      unit->setupZone = unit->setupZone == 7 ? 0 : 7;
      InvalidateInfoPanel();
      break;
    case kOrderFlagPick: BeginPick(kFlagPick); break;
    default:
      // 39, the answers of the two small menus, and anything outside the order codes.
      if (code != kOrderNone) GErrorLog::LogValue("Order code with no case", code);
      app.Battlefield().Beep();
      break;
  }
}

bool Battle::PlaceMoveWaypoint(bool flag) {
  Unit* unit = selectedUnit;
  if (unit == nullptr || map == nullptr) {
    App().Battlefield().Beep();
    return false;
  }
  OrderState& state = map->orders;
  // Only a vehicle can be boarded at a waypoint; a rotation boards nothing.
  auto* hovered = UnitOfView(state.hovered);
  if (hovered != nullptr && !hovered->IsVehicle()) state.hovered = nullptr;
  if (state.pendingMoveCode == kOrderRotate || state.pendingMoveCode == 6) state.hovered = nullptr;
  // Infantry given a move onto a vehicle walks to it and boards it.
  auto* vehicle = UnitOfView(state.hovered);
  const int32_t countBefore = unit->waypointCount;
  const Waypoint lastBefore = countBefore > 0 ? unit->WaypointAt(countBefore - 1) : Waypoint{};
  if (auto* squad = unit->AsInfantryUnit(); squad != nullptr && vehicle != nullptr) {
    squad->AddWaypointToVehicle(state.pickX, state.pickY, state.pendingMoveCode, vehicle, !flag, false, true, true);
  } else {
    unit->AddWaypoint(state.pickX, state.pickY, state.pendingMoveCode, !flag, false, true, true);
  }
  // A point the unit cannot reach (water, a building for a vehicle, past its edge) adds
  // nothing: the line drawn there showed it refused, and the beep says the click was heard.
  const int32_t count = unit->waypointCount;
  const bool added = count != countBefore ||
                     (count > 0 && (unit->WaypointAt(count - 1).x != lastBefore.x ||
                                    unit->WaypointAt(count - 1).y != lastBefore.y ||
                                    unit->WaypointAt(count - 1).moveMode != lastBefore.moveMode));
  if (!added) App().Battlefield().Beep();
  InvalidateInfoPanel();
  return unit->LastWaypointIsRotation();
}

void Battle::SetTargetFromPick() {
  Unit* unit = selectedUnit;
  if (unit == nullptr || map == nullptr) {
    App().Battlefield().Beep();
    return;
  }
  OrderState& state = map->orders;
  unit->SetTarget(UnitOfView(state.hovered), state.pickX, state.pickY, state.secondTargetVariant != 0, false);
  // A hiding unit given a fighting target stops hiding.
  if (unit->flagBytes[Unit::kHoldFlag] != 0 && (unit->target == nullptr || !unit->target->IsInanimate())) {
    IssueOrder(kOrderHide, false);
  }
  state.secondTargetVariant = 0;
  InvalidateInfoPanel();
}

bool Battle::PlaceSelectedUnit(bool place) {
  Unit* unit = selectedUnit;
  if (unit == nullptr || map == nullptr) {
    GErrorLog::LogError("Placement without a selected unit");
    App().Battlefield().Beep();
    return false;
  }
  OrderState& state = map->orders;
  auto* carrier = UnitOfView(state.hovered);
  if (!place || carrier == nullptr || !carrier->IsVehicle()) {
    carrier = nullptr;
    state.hovered = nullptr;
  }
  const bool placed = unit->PlaceOrFace(state.pickX, state.pickY, place, carrier);
  InvalidateInfoPanel();
  return placed;
}

void Battle::MarkNearestFlag() {
  if (flags.Count() == 0 || map == nullptr) {
    // An operation's battles have no flags to mark.
    App().Battlefield().Beep();
    return;
  }
  VictoryFlag* nearest = nullptr;
  float best = 999999.0f;
  for (int32_t i = 0; i < flags.Count(); ++i) {
    auto* flag = static_cast<VictoryFlag*>(flags.GetItem(i));
    flag->chosen = 0;
    const float d = Distance(flag->x, flag->y, map->orders.pickX, map->orders.pickY);
    if (d < best) {
      best = d;
      nearest = flag;
    }
  }
  if (nearest != nullptr) nearest->chosen = 1;
}
