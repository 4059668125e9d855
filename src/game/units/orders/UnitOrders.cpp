// The unit's orders: the waypoint list and how order codes become waypoints, the order delay
// and its cap, the turn start and end, which orders the menu may offer, and the escape from a
// burning tile.
#include <algorithm>
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/map/Building.h"
#include "game/map/FineTerrain.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/OrderState.h"
#include "game/units/Unit.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/ports/UnitBattleQueries.h"
#include "game/units/ports/UnitOrderHost.h"
#include "game/units/ports/UnitScreen.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/tables/Hack.h"

namespace {

float GroundAt(float px, float py) {
  const Map* map = UnitBattleMap();
  return map != nullptr ? map->ElevationAt(px, py) : 0.0f;
}

int32_t TerrainAt(float px, float py) {
  const Map* map = UnitBattleMap();
  return map != nullptr ? map->TerrainTypeAt(px, py) : 0;
}

void RefreshPanel() {
  GetUnitScreen().RefreshUnitPanel();
}

int32_t SelectedWaypoint() {
  const UnitOrderHost* host = GetUnitOrderHost();
  return host != nullptr ? host->GetSelectedWaypoint() : -1;
}

// Seconds of order delay at most, by rating index (rating + kind bonus + 1).
constexpr float kDelayCap[12] = {100.0f, 70.0f, 50.0f, 33.0f, 20.0f, 13.0f, 8.0f, 5.0f, 3.0f, 1.0f, 1.0f, 1.0f};

}  // namespace

int32_t Unit::MoveModeOfOrder(int32_t orderCode) {
  switch (orderCode) {
    case kOrderReverse: return -1;
    case kOrderMove: return 1;
    case kOrderHunt: return 2;
    case kOrderFastMove: return 3;
    case kOrderSneak: return 4;
    case kOrderRun: return 5;
    case kOrderCrawl: return 7;
    case kOrderRotate: return 9;
    default: FatalError(__LINE__, "Unit.cpp");
  }
}

void Unit::AddWaypoint(float px, float py, int32_t orderCode, bool noMenu, bool replaceFirst, bool capDelay,
                       bool chain) {
  UnitOrderHost* host = GetUnitOrderHost();
  if (orderCode == kOrderHide) {
    if (waypointCount == 0) {
      flagBytes[kHoldFlag] = flagBytes[kHoldFlag] != 0 ? 0 : 1;
      pendingDelaySteps = 0;
    } else {
      Waypoint& last = waypoints[static_cast<size_t>(waypointCount - 1)];
      last.flags = last.flags != 0 ? 0 : 1;
    }
    DropBurstIfIdle();
    return;
  }
  if (orderCode != kOrderRotate) {
    if (!CanStandAt(px, py, true) || (withdraw != 0 && !IsTowardOwnEdge(px, py))) {
      DropBurstIfIdle();
      return;
    }
  }
  if ((!CanMoveNow() && (!IsInfantry() || orderCode != kOrderRotate)) ||
      (IsInfantry() && GetSpeedClass() == 0 && orderCode != kOrderRotate)) {
    SnapshotWaypoints();
    return;
  }
  const int32_t mode = MoveModeOfOrder(orderCode);
  int32_t index = 0;
  if (replaceFirst) {
    waypointCount = std::max(waypointCount, 1);
  } else if (waypointCount < kMaxWaypoints) {
    if (LastWaypointIsRotation()) {
      index = waypointCount - 1;
    } else {
      index = waypointCount++;
    }
  } else {
    index = kMaxWaypoints - 1;
  }
  Waypoint& w = waypoints[static_cast<size_t>(index)];
  w.x = px;
  w.y = py;
  w.height = GroundAt(px, py);
  w.moveMode = mode;
  Waypoint* previous = index > 0 ? &waypoints[static_cast<size_t>(index - 1)] : nullptr;
  if (orderCode == kOrderRotate) {
    if (previous == nullptr) {
      w.pointKind = 1;
      w.upperLevel = level > 0.5f ? 1 : 0;
      w.flags = flagBytes[kHoldFlag];
    } else {
      w.pointKind = previous->pointKind < 2 ? 1 : 3;
      w.upperLevel = previous->upperLevel;
      w.flags = previous->flags;
      if (previous->pointKind == 1) previous->pointKind = 0;
      if (previous->pointKind == 3) previous->pointKind = 2;
      previous->flags = 0;
    }
  } else {
    w.upperLevel = 0;
    w.flags = 0;
    if (!chain) {
      for (int32_t i = 0; i < waypointCount - 1; ++i) waypoints[static_cast<size_t>(i)].pointKind = 0;
      w.pointKind = 1;
    } else {
      if (index != waypointCount - 1) FatalError(__LINE__, "Unit.cpp");
      w.pointKind = 3;
      if (previous != nullptr && previous->pointKind == 3) previous->pointKind = 2;
    }
    if (previous != nullptr) previous->flags = 0;
    if (capDelay && waypoints[0].pointKind != 0 && waypoints[0].pointKind != 1) CapDelayByRating(false);
    if (!noMenu && !(host != nullptr && host->IsQuiet()) && IsTwoLevelBuildingTerrain(TerrainAt(px, py)) &&
        HasNonGunWeapon()) {
      if (host != nullptr) GetUnitScreen().OpenWaypointMenu(*this);
    }
  }
  flagBytes[kHoldFlag] = 0;
  DropBurstIfIdle();
}

void Unit::GetLastWaypoint(float& outX, float& outY, bool* outLevel) const {
  if (waypointCount <= 0) FatalError(__LINE__, "Unit.cpp");
  const Waypoint& last = WaypointAt(waypointCount - 1);
  outX = last.x;
  outY = last.y;
  if (outLevel != nullptr) *outLevel = last.upperLevel != 0;
}

bool Unit::LastWaypointIsRotation() const {
  return waypointCount > 0 && WaypointAt(waypointCount - 1).moveMode == Waypoint::kRotateTo;
}

void Unit::RemoveRotationPoint() {
  if (!LastWaypointIsRotation()) return;
  --waypointCount;
  if (waypointCount > 0) {
    Waypoint& last = WaypointAt(waypointCount - 1);
    last.pointKind = last.pointKind < 2 ? 1 : 3;
  }
}

void Unit::SetSelectedWaypointMode(int32_t orderCode) {
  const int32_t index = SelectedWaypoint();
  if (index < 0 || index >= waypointCount) FatalError(__LINE__, "Unit.cpp");
  waypoints[static_cast<size_t>(index)].moveMode = MoveModeOfOrder(orderCode);
}

float Unit::AdjustRadius() const { return (static_cast<float>(GetEffectiveRating(3)) + 2.0f) * 5.0f; }

void Unit::MoveWaypoint(int32_t index, float px, float py) {
  if (index < 0 || index >= waypointCount || !IsCommandable()) return;
  Waypoint& w = waypoints[static_cast<size_t>(index)];
  const OrderedWaypoint& start = orderedWaypoints[static_cast<size_t>(index)];
  if (!CanStandAt(px, py, true)) {
    w.x = start.x;
    w.y = start.y;
    w.upperLevel = start.upperLevel;
  } else {
    if (w.pointKind == 0 || w.pointKind == 1) {
      w.upperLevel = start.upperLevel;
      const float radius = AdjustRadius();
      const float dx = px - start.x;
      const float dy = py - start.y;
      const float distance = std::sqrt(dx * dx + dy * dy);
      if (w.moveMode != Waypoint::kRotateTo && distance > radius) {
        px = start.x + dx / distance * radius;
        py = start.y + dy / distance * radius;
      }
    }
    w.x = px;
    w.y = py;
    if (w.upperLevel != 0 && !IsTwoLevelBuildingTerrain(TerrainAt(px, py))) w.upperLevel = 0;
  }
  const Map* map = UnitBattleMap();
  if (map != nullptr) w.height = w.upperLevel != 0 ? map->SurfaceHeightAt(w.x, w.y) : map->ElevationAt(w.x, w.y);
  RefreshPanel();
}

bool Unit::CanStandAt(float px, float py, bool checkBuilding) {
  const float oldX = x;
  const float oldY = y;
  const uint8_t placement = firingBytes[kCreationMark];
  x = px;
  y = py;
  firingBytes[kCreationMark] = 0;
  const bool mobile = GetTerrainMobility() != 0.0f;
  x = oldX;
  y = oldY;
  firingBytes[kCreationMark] = placement;
  if (!mobile) return false;
  const Map* map = UnitBattleMap();
  if (checkBuilding && map != nullptr) {
    // A bridge's deck and ramps are ground to drive and walk on; a building takes in only
    // infantry, so it refuses every other unit.
    const Building* building = map->FindBuildingAt(px, py);
    if (building != nullptr && !building->IsBridge() && !IsInfantry()) return false;
  }
  const UnitOrderHost* host = GetUnitOrderHost();
  if (host != nullptr && map != nullptr && host->GetAttackingSide() == side && !IsEditorOpen() &&
      !map->IsOnMap(px, py)) {
    switch (host->GetAdvanceEdge()) {
      case 0: if (px > map->size.worldWidth) return false; break;
      case 1: if (py < 0.0f) return false; break;
      case 2: if (px < 0.0f) return false; break;
      case 3: if (py > map->size.worldHeight) return false; break;
      default: break;
    }
  }
  return true;
}

void Unit::CancelMoveOrders() {
  UnitOrderHost* host = GetUnitOrderHost();
  waypointCount = 0;
  withdraw = 0;
  pendingDelaySteps = 0;
  commandDelay = 0.0f;
  if (IsCurrentSide() && !(host != nullptr && host->IsOrderNotification())) DropBurstIfIdle();
  GetUnitScreen().RefreshUnitPanel();
  if (host != nullptr) host->ClearSelectedWaypoint();
}

void Unit::CapDelayByRating(bool clearSpeed) {
  if (withdraw != 0) return;
  int32_t i = GetEffectiveRating(3) + 1;
  if (IsVehicle()) {
    i += 3;
  } else if (const InfantryServices* infantry = AsInfantry(); infantry != nullptr && !infantry->IsSquad() && !IsLinked()) {
    i += 2;
  }
  if (i < 0) FatalError(__LINE__, "Unit.cpp");
  // The table has levelled off: a better rating keeps the last entry.
  i = std::min(i, 11);
  const float cap = (1.0f + 0.01f * suppression) * kDelayCap[i];
  commandDelay = std::min(commandDelay, cap);
  RefreshPanel();
  if (clearSpeed) {
    speed = 0.0f;
    FixRouteKinds();
  }
}

void Unit::SnapshotWaypoints() {
  for (int32_t i = 0; i < waypointCount && i < kWaypointEntries; ++i) {
    const Waypoint& w = waypoints[static_cast<size_t>(i)];
    orderedWaypoints[static_cast<size_t>(i)] = {w.x, w.y, w.upperLevel};
  }
}

void Unit::FixRouteKinds() {
  if (waypointCount <= 0) return;
  const int32_t first = waypoints[0].pointKind;
  if (first != 2 && first != 3) return;
  for (int32_t i = 0; i < waypointCount; ++i) {
    Waypoint& w = waypoints[static_cast<size_t>(i)];
    if (w.pointKind == 2) w.pointKind = 0;
    if (w.pointKind == 3) w.pointKind = 1;
  }
}

void Unit::BeginTurn() {
  stateChanged = 0;
  firingBytes[kMachineGunMode] = 0;
  ResetSliceCounter();
  incomingFire = 0;
  lastMovingSlice = -1;
  routeTries = 5;
  routeStamp = -9999;
  nextActionSlice = kNoActionSlice;
  flagBytes[kTurnStartHoldFlag] = flagBytes[kHoldFlag];
  commandDelay += 15.0f * static_cast<float>(pendingDelaySteps);
  pendingDelaySteps = 0;
  if (commandDelay > 0.0f) commandDelay = std::max(commandDelay + RandomFloatTimes(4.0f) - 2.0f, 0.0f);
  FixRouteKinds();
  OrientToGround();
  // The opening packet: the replay starts every present unit alive and every absent one not.
  gPacketMark = {true, -1, 0, alive != 0 ? UnitStatePacket::kRevived : UnitStatePacket::kDead};
  MakeStatePacket();
  gPacketMark = {};
  const MapAppServices* app = UnitApp();
  if (app != nullptr && app->GetConnectionType() == 2) {
    activityCodes = {2, 2, 2};
    DropBurstIfIdle();
  }
}

void Unit::RefreshTarget(bool onlyIfChanged) {
  if (alive != 0 && target != nullptr) {
    const bool drop = flagBytes[kTargetAbsentFlag] != 0 ? !target->IsActive() : target->alive == 0;
    if (drop) target = nullptr;
  }
  withdraw = 0;
  const MapBattleServices* battle = UnitBattle();
  const int32_t now = battle != nullptr ? battle->GetCurrentSlice() : 0;
  if (nextActionSlice <= now) OnTimedAction();
  if (!onlyIfChanged || stateChanged != 0) MakeStatePacket();
  stateChanged = 0;
}

void Unit::ResetSliceCounter() {
  firingTimer = 0.0f;
  sliceCounter = 0;
}

void Unit::EscapeFire() {
  const Map* map = UnitBattleMap();
  if (map == nullptr || !map->BurningAt(x, y)) FatalError(__LINE__, "Unit.cpp");
  if (GetSpeedClass() < 2) {
    const bool handedOver = GetUnitOrderHost() != nullptr;
    Unit* crew = BailOutCrew(false);
    if (!handedOver) delete crew;  // no battle to take it
    knockedOut = 1;
    gUnitStateChanged = 1;
    return;
  }
  for (int32_t r = 10; r <= 2000; r += 10) {
    const float bearing = RandomFloatTimes(360.0f) * GMath::kRadiansPerDegree;
    const float px = x + std::cos(bearing) * static_cast<float>(r);
    const float py = y + std::sin(bearing) * static_cast<float>(r);
    if (!CanStandAt(px, py, true)) continue;
    flagBytes[kHoldFlag] = 0;
    waypointCount = 0;
    commandDelay = 0.0f;
    AddWaypoint(px, py, IsInfantry() && GetSpeedClass() == 4 ? kOrderRun : kOrderFastMove, true);
    return;
  }
}

bool Unit::MayRedeploy() const {
  const UnitOrderHost* host = GetUnitOrderHost();
  if (host == nullptr || !host->IsLaterOperationBattle()) return true;
  if (IsInanimate() && GetInanimateKind() == 2) return true;
  return CanMove();
}

bool Unit::IsTowardOwnEdge(float px, float py) const {
  const Map* map = UnitBattleMap();
  const UnitOrderHost* host = GetUnitOrderHost();
  if (map == nullptr || host == nullptr) return true;
  const float bearing = std::atan2(py - y, px - x) / GMath::kRadiansPerDegree;
  return map->EdgeInDirection(x, y, bearing < 0.0f ? bearing + 360.0f : bearing) == host->GetHomeEdge(GetSideIndex());
}

bool Unit::IsAmbushClass() const {
  const InfantryServices* infantry = AsInfantry();
  return infantry != nullptr && infantry->GetClassData().Demolition() != 0;
}

bool Unit::CanFireAtPoints() const {
  if (alive == 0 || HasMainWeaponOfType5() || IsPassenger()) return false;
  return HasMainWeapon() || IsAmbushClass();
}

bool Unit::CanTakeOrder(int32_t code) {
  const bool editor = IsEditorOpen();
  const MapBattleServices* battle = UnitBattle();
  const UnitOrderHost* host = GetUnitOrderHost();
  if (battle != nullptr && battle->IsSetupPhase()) {
    switch (code) {
      case kOrderLineOfSight: return editor || !IsInanimate();
      case kOrderSetupMove: return editor || (MayRedeploy() && setupZone != 7 && CanBeSelected());
      case kOrderSetupPlace: return editor || (MayRedeploy() && setupZone != 7);
      case kOrderSetupFacing: return editor || (MayRedeploy() && !IsPassenger() && CanBeSelected());
      case kOrderDugIn: {
        if (!IsArmored(false) || !HasMainWeaponOfType23(false)) return false;
        const VehicleServices* vehicle = AsVehicle();
        if (vehicle != nullptr && vehicle->IsEmplacement()) return false;
        const int32_t phase = host != nullptr ? host->GetPhaseSide() : 2;
        return host != nullptr && host->GetSetupOrderFlag(kOrderDugIn) && phase != 2 && phase != GetSideIndex();
      }
      case kOrderHoldPlace: return editor && !(IsInanimate() && GetInanimateKind() > 6);
      case kOrderFlagPick:
        return !editor && host != nullptr && !host->GetSetupOrderFlag(kOrderFlagPick) &&
               host->GroupHasFlaggedEntry(*this) && host->GetPhaseSide() == GetSideIndex();
      default: return false;
    }
  }
  const bool noneSelected = SelectedWaypoint() < 0;
  // A rider may be ordered off (its move order is the dismount); a unit on its way to board
  // keeps that order until it is cancelled.
  const bool carried = IsBoarding();
  const bool surrendered = HasSurrendered();
  const bool passenger = IsPassenger();
  const bool ammunition = HasAnyAmmo();
  if (const VehicleServices* vehicle = AsVehicle()) {
    if (vehicle->IsBoat() && !HasPassengers()) return code == kOrderLineOfSight;
    switch (code) {
      case kOrderFastMove:
      case kOrderReverse: return CanMoveNow() && !vehicle->IsBoat();
      case kOrderMove: return CanMoveNow();
      case kOrderHunt: {
        if (!CanMoveNow() || !HasMainWeapon() || !ammunition) return false;
        return vehicle->GetClassData(0).TraverseLimit(0) >= 0 || GetMainWeaponType() == 4;
      }
      default: break;
    }
  } else {
    switch (code) {
      case kOrderFastMove: return CanMove() && !carried;
      case kOrderSneak: return !surrendered && GetSpeedClass() == 4 && fatigueLevel < 4 && !carried;
      case kOrderCrawl: return !surrendered && GetSpeedClass() >= 2 && !carried;
      case kOrderRun: return !surrendered && GetSpeedClass() == 4 && fatigueLevel < 3 && !carried;
      case kOrderWithdraw: return noneSelected && GetSpeedClass() >= 2 && !passenger && !surrendered && !carried;
      default: break;
    }
  }
  if (!noneSelected) return false;
  const auto canFire = [&]() {
    if (surrendered || HasBeenCaptured() || passenger || !ammunition) return false;
    if (IsVehicle() && IsFiringBlocked()) return false;
    return !(HasMainWeaponOfType5() && aimTime == kAimHold);
  };
  switch (code) {
    case kOrderCancelMoves: return waypointCount > 0 || pendingDelaySteps > 0 || carried;
    case kOrderPause: return CanMove() && !passenger && !carried;
    case kOrderHide: {
      const bool moveOrder = HasMoveOrder();
      if ((passenger && !moveOrder) || carried) return false;
      if (!IsInfantry() && moveOrder) return false;
      return WantsToFire() || HoldsAtLastWaypoint();
    }
    case kOrderRotate: return (IsInfantry() || CanMoveNow()) && (!passenger || HasMoveOrder());
    case kOrderTarget: return canFire();
    case kOrderNextTarget: return !HasMainWeaponOfType5() && canFire();
    case kOrderAmbush: {
      if (!HasMainWeaponOfType5() || surrendered || HasBeenCaptured() || !ammunition || passenger) return false;
      const int32_t weapon = GetMainWeaponId();
      return !gWeapons.IsValid(weapon) || gWeapons[weapon].CostClass(1) != 3;
    }
    case kOrderCancelTarget: {
      const MapAppServices* app = UnitApp();
      return target != nullptr || areaFire != 0 || (app != nullptr && app->GetInputMode() == InputModes::kTargetPick);
    }
    case kOrderSmoke: {
      if (!canFire()) return false;
      if (HasMainWeaponOfType5()) {
        const int32_t weapon = GetMainWeaponId();
        const int32_t row = GetAmmoMixRow();
        return ammo[0] > 0 && gWeapons.IsValid(weapon) && row >= 0 && row < WeaponData::kMixRows &&
               gWeapons[weapon].MixPercent(row, 1) > 0;
      }
      return ammo[4] > 0 && (IsInfantry() || IsMainWeaponUsable());
    }
    case kOrderAreaTarget: return CanFireAtPoints() && !editor;
    case kOrderLineOfSight: return !surrendered && !passenger;
    case kOrderButtonUp: {
      bool flag = false;
      return CanToggleButtoned(flag);
    }
    case kOrderSplit: return CanSplit();
    default: return false;
  }
}
