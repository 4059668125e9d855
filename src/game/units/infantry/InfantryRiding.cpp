// Infantry riding vehicles: keeping a rider on its vehicle, getting off (in good order, in
// panic or because the vehicle is lost), setting a heavy weapon up after dismounting, walking
// to the vehicle it was ordered to board, and boarding it.
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

bool InAction() {
  const MapBattleServices* battle = UnitBattle();
  return !IsEditorOpen() && !(battle != nullptr && battle->IsSetupPhase());
}

}  // namespace

float Infantry::WeaponSetUpFactor(int32_t classCode, int32_t flags) {
  float f;
  switch (classCode) {
    case 4: f = 1.0f; break;
    case 5: f = 1.5f; break;
    case 6: case 7: f = 2.0f; break;
    case 8: f = 4.0f; break;
    case 9: f = 8.0f; break;
    case 10: f = 20.0f; break;
    default: f = 0.5f; break;
  }
  if ((flags & 2) != 0) f *= 0.6f;
  return f;
}

void Infantry::StartWeaponSetUp() { reloadState = WeaponSetUpFactor(Data().ClassCode(), Data().Flags()) * -60.0f; }

void Infantry::TryDismount() {
  const MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) FatalError(__LINE__, kInfantryFile);
  if (carrier == nullptr) return;
  Unit* vehicle = carrier;
  VehicleServices* services = vehicle->AsVehicle();
  if (services == nullptr) FatalError(__LINE__, kInfantryFile);
  const bool action = InAction();
  if (action && services->IsBoat() && GetTerrainHere() == 25) return;
  const float v = vehicle->speed;
  const auto* hull = dynamic_cast<const Vehicle*>(vehicle);
  const bool mustLeave = hull != nullptr && hull->passengersMustLeave != 0;
  // Reversing counts too: the magnitude of the speed decides.
  const bool halted = std::fabs(v) < 0.11f && (v == 0.0f || GetSpeedClass() == 4 || mustLeave);
  if (!halted) return;
  bool ordered;
  if (!action) {
    ordered = true;
  } else if (!HasMoveOrder()) {
    ordered = false;
  } else {
    const float d = DistanceToPoint(waypoints[0].x, waypoints[0].y);
    if (d > 30.0f && vehicle->HasMoveOrder()) {
      ordered = false;
    } else if (v == 0.0f) {
      ordered = true;
    } else {
      ordered = vehicle->RelativeBearingTo(waypoints[0].x, waypoints[0].y, false, true) >= 90.0f;
      if (vehicle->FirstWaypointIsRoutePoint()) ordered = !ordered;
    }
  }
  const bool disabled = vehicle->alive == 0 || !vehicle->CanMoveNow();
  bool panic = false;
  if (!ordered && !disabled && GetBand() >= 3) {
    if (HasHeavyWeapon(true)) {
      ordered = true;
    } else {
      panic = true;
    }
  }
  if (ordered && action) {
    if (vehicle->speed != 0.0f) {
      vehicle->speed = 0.0f;
      gUnitStateChanged = 1;
    }
    vehicle->StopTurning();
    if (vehicle->alive != 0) vehicle->commandDelay += HasHeavyWeapon(true) ? 45.0f : 10.0f;
    vehicle->stateChanged = 1;
  }
  if (!ordered && !disabled && !panic) return;
  const float a = (vehicle->facing + 140.0f + RandomFloatTimes(80.0f)) * 0.017453292519444445f;
  x = vehicle->x + 5.0f * std::cos(a);
  y = vehicle->y + 5.0f * std::sin(a);
  const Map* map = battle->GetMap();
  if (map == nullptr || !map->IsOnMap(x, y) || !CanStandAt(x, y, true)) {
    x = vehicle->x;
    y = vehicle->y;
  }
  services->RemovePassenger(this);
  carrier = nullptr;
  if (!action) return;
  gUnitStateChanged = 1;
  stateChanged = 1;
  if (alive != 0) {
    if (GetSpeedClass() == 0 || IsTypeClass9OrMore()) {
      waypointCount = 0;
    } else {
      FindNearbySpot();
    }
    if (HasHeavyWeapon(true)) StartWeaponSetUp();
    if (!vehicle->IsIdentified()) {
      hidden = 0;
      hiddenSecond = 1;
    }
  }
}

bool Infantry::FollowBoardingTarget() {
  if (boardingTarget == nullptr) return false;
  if (carrier != nullptr) FatalError(__LINE__, kInfantryFile);
  if (boardingTarget->alive == 0 || !boardingTarget->CanMove()) {
    boardingTarget = nullptr;
    waypointCount = 0;
    return false;
  }
  if (waypointCount == 0 || waypoints[0].x != boardingTarget->x || waypoints[0].y != boardingTarget->y) {
    const int32_t previousMode = waypointCount > 0 ? waypoints[0].moveMode : 0;
    const MapBattleServices* battle = UnitBattle();
    const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
    Waypoint& w = waypoints[0];
    w = Waypoint{};
    w.x = boardingTarget->x;
    w.y = boardingTarget->y;
    w.height = map != nullptr ? map->ElevationAt(w.x, w.y) : 0.0f;
    w.moveMode = previousMode == kRun && GetSpeedClass() == 4 ? kRun : kMove;
    w.pointKind = 1;
    waypointCount = 1;
  }
  const VehicleServices* vehicle = boardingTarget->AsVehicle();
  return IsMoving() && !(vehicle != nullptr && vehicle->IsBoat());
}

bool Infantry::SyncPositionWithLinkedUnit(bool place) {
  if (carrier == nullptr) return false;
  x = carrier->x;
  y = carrier->y;
  level = carrier->level;
  facing = carrier->facing;
  if (IsTowedGun()) {
    facing += 180.0f;
    if (facing >= 360.0f) facing -= 360.0f;
  }
  if (place) TryDismount();
  return true;
}

bool Infantry::EmbarkOnBoardingTarget() {
  if (boardingTarget == nullptr) return false;
  const MapBattleServices* battle = UnitBattle();
  const bool setup = battle != nullptr && battle->IsSetupPhase();
  VehicleServices* vehicle = boardingTarget->AsVehicle();
  if (vehicle == nullptr || !vehicle->CanCarry(this, setup, true) || GetBand() >= 6) return false;
  level = 0.0f;
  waypointCount = 0;
  turnRate = 0.0f;
  speed = 0.0f;
  carrier = boardingTarget;
  boardingTarget = nullptr;
  SyncPositionWithLinkedUnit(false);
  vehicle->AddPassenger(this);
  if (carrier->IsArmored(false) && battle != nullptr) {
    const int32_t count = battle->GetUnitCount();
    for (int32_t i = 0; i < count; ++i) {
      Unit* other = UnitOfView(battle->GetUnit(i));
      if (other != nullptr && other->target == this) other->target = nullptr;
    }
  }
  gUnitStateChanged = 1;
  return true;
}

void Infantry::Embark(Unit* vehicle) {
  if (vehicle != nullptr && carrier == nullptr) boardingTarget = vehicle;
  EmbarkOnBoardingTarget();
}

void Infantry::LeaveCarrier() {
  if (carrier == nullptr) return;
  if (VehicleServices* vehicle = carrier->AsVehicle()) vehicle->RemovePassenger(this);
  carrier = nullptr;
}
