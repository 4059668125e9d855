// Route planning and movement: routes around obstacles with the map's path finder, the sweep
// that gets a stuck unit free, turning toward a point, catching up a unit's position, the
// target value and the timing of the next shot.
#include <algorithm>
#include <cmath>
#include <limits>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/map/PathPoints.h"
#include "game/units/Unit.h"
#include "game/units/fire/WeaponFormulas.h"
#include "game/units/ports/UnitScreen.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/tables/Hack.h"

namespace {

// The battle's map, which the route search writes its cost grids into.
Map* RouteMap() {
  const MapBattleServices* battle = UnitBattle();
  return battle != nullptr ? const_cast<Map*>(battle->GetMap()) : nullptr;
}

int32_t CurrentSlice() {
  const MapBattleServices* battle = UnitBattle();
  return battle != nullptr ? battle->GetCurrentSlice() : 0;
}

float CompassBearing(float dx, float dy) {
  float bearing = std::atan2(dy, dx) / GMath::kRadiansPerDegree;
  if (bearing < 0.0f) bearing += 360.0f;
  if (bearing >= 360.0f) bearing -= 360.0f;
  return bearing;
}

float Normalised(float degrees) {
  if (degrees >= 360.0f) degrees -= 360.0f;
  if (degrees < 0.0f) degrees += 360.0f;
  return degrees;
}

}  // namespace

void Unit::ReplaceFirstWaypointByPath(const PathPoints& points, const Map& map) {
  const int32_t count = std::clamp(points.count, 0, PathPoints::kMaxPoints);
  if (count == 0) return;
  const int32_t mode = waypointCount > 0 ? waypoints[0].moveMode : 1;
  const int32_t rest = std::max(waypointCount - 1, 0);
  const int32_t kept = std::min(rest, kMaxWaypoints - count);
  // The waypoints after the first move behind the route's points.
  for (int32_t i = kept - 1; i >= 0; --i) waypoints[static_cast<size_t>(count + i)] = waypoints[static_cast<size_t>(1 + i)];
  for (int32_t i = 0; i < count; ++i) {
    Waypoint& w = waypoints[static_cast<size_t>(i)];
    w.x = points.x[i];
    w.y = points.y[i];
    w.height = map.ElevationAt(w.x, w.y);
    w.moveMode = mode;
    w.pointKind = 0;
    w.upperLevel = 0;
    w.flags = 0;
  }
  waypointCount = count + kept;
  waypoints[static_cast<size_t>(waypointCount - 1)].pointKind = 1;
}

bool Unit::FindRoute(bool escape, bool wide, bool insert) {
  if (alive == 0) {
    CancelMoveOrders();
    return true;
  }
  Map* map = RouteMap();
  if (map == nullptr) FatalError(__LINE__, "Unit.cpp");
  if (!escape) {
    bool sideStepUsed = false;
    while (static_cast<int8_t>(routeTries) > 0) {
      float startX = x;
      float startY = y;
      sideStepUsed = false;
      if (IsVehicle() && insert && static_cast<int8_t>(routeTries) == 5) {
        const float d = FirstWaypointIsRoutePoint() ? 9.0f : -9.0f;
        const float sx = x + std::cos(facing * GMath::kRadiansPerDegree) * d;
        const float sy = y + std::sin(facing * GMath::kRadiansPerDegree) * d;
        if (map->IsOnMap(sx, sy)) {
          startX = sx;
          startY = sy;
          sideStepUsed = true;
        }
      }
      const int32_t tries = static_cast<int8_t>(routeTries) - 1;
      routeTries = static_cast<uint8_t>(static_cast<int8_t>(tries));
      const int32_t now = CurrentSlice();
      if (tries <= 0 || now - routeStamp < 5) return FindRoute(true, false, true);
      routeStamp = now;
      map->BuildCostGrid(side == 0 ? 1 : 0, GetMoveClass());
      PathPoints points;
      if (waypointCount > 0 && CanStandAt(waypoints[0].x, waypoints[0].y, true) &&
          map->FindPath(*this, startX, startY, waypoints[0].x, waypoints[0].y, points) == Map::kRouteFound) {
        map->FreeCostGrids();
        ReplaceFirstWaypointByPath(points, *map);
        if (insert) InsertWaypoint(sideStepUsed ? 1 : 0, startX, startY);
        return true;
      }
      if (waypointCount > 1) {
        int32_t last = waypointCount - 1;
        if (waypoints[static_cast<size_t>(last)].moveMode == Waypoint::kRotateTo && waypointCount > 2) --last;
        const Waypoint goal = waypoints[static_cast<size_t>(last)];
        points = PathPoints();
        if (map->FindPath(*this, startX, startY, goal.x, goal.y, points) == Map::kRouteFound) {
          map->FreeCostGrids();
          SetPathWaypoints(points, waypoints[0].moveMode, *map);
          if (insert) InsertWaypoint(sideStepUsed ? 1 : 0, startX, startY);
          return true;
        }
        if (static_cast<int8_t>(routeTries) > 1) routeTries = 1;
      }
      if (!sideStepUsed) break;
    }
    map->FreeCostGrids();
    CancelMoveOrders();
    return true;
  }

  // The sweep: the first direction with 30 free steps from where the unit stands.
  const float keptFacing = facing;
  const float keptX = x;
  const float keptY = y;
  const float step = waypointCount > 0 && waypoints[0].moveMode == Waypoint::kReverse ? -0.5f : 0.5f;
  bool backKept = false;
  if (IsVehicle() && !FirstWaypointIsRoutePoint()) {
    const float bx = x - std::cos(facing * GMath::kRadiansPerDegree) * 5.0f;
    const float by = y - std::sin(facing * GMath::kRadiansPerDegree) * 5.0f;
    x = bx;
    y = by;
    if (GetTerrainMobility() != 0.0f && map->IsOnMap(bx, by)) {
      backKept = true;
    } else {
      x = keptX;
      y = keptY;
    }
  }
  const float startX = x;
  const float startY = y;
  const float limit = wide ? 91.0f : 180.0f;
  bool found = false;
  for (float a = 15.0f; a < limit; a = a > 0.0f ? -a : 7.5f - a) {
    const float direction = (facing + a) * GMath::kRadiansPerDegree;
    float px = startX;
    float py = startY;
    int32_t steps = 0;
    for (; steps < 30; ++steps) {
      px += std::cos(direction) * step;
      py += std::sin(direction) * step;
      if (!map->IsOnMap(px, py)) break;
      x = px;
      y = py;
      if (GetTerrainMobility() == 0.0f) break;
    }
    x = startX;
    y = startY;
    if (steps < 30) continue;
    int32_t mode = waypointCount > 0 ? waypoints[0].moveMode : 1;
    if (waypointCount <= 1) {
      if (waypointCount == 1) waypoints[1] = waypoints[0];
      waypointCount += 1;
    }
    if (IsVehicle() && std::fabs(a) > 90.0f) mode = 3;
    Waypoint& w = waypoints[0];
    w.x = px;
    w.y = py;
    w.height = map->ElevationAt(px, py);
    w.moveMode = mode;
    w.pointKind = 0;
    w.upperLevel = 0;
    w.flags = 0;
    if (backKept) {
      const int32_t moved = std::min(waypointCount, kMaxWaypoints - 1);
      for (int32_t i = moved; i > 0; --i) waypoints[static_cast<size_t>(i)] = waypoints[static_cast<size_t>(i - 1)];
      waypointCount = moved + 1;
      Waypoint& back = waypoints[0];
      back.x = startX;
      back.y = startY;
      back.height = map->ElevationAt(startX, startY);
      back.moveMode = Waypoint::kReverse;
      back.pointKind = 0;
      back.upperLevel = 0;
      back.flags = 0;
    }
    waypointCount = std::min(waypointCount, kMaxWaypoints);
    found = true;
    break;
  }
  facing = keptFacing;
  x = keptX;
  y = keptY;
  return found;
}

void Unit::CheckPathAhead() {
  if (speed == 0.0f || !HasMoveOrder() || static_cast<int8_t>(routeTries) <= 0) return;
  const Waypoint& first = waypoints[0];
  const float dx = first.x - x;
  const float dy = first.y - y;
  const float distance = std::sqrt(dx * dx + dy * dy);
  if (distance <= 0.0f) return;
  const float ahead = std::min(IsVehicle() ? 25.0f : 12.5f, distance * 0.5f);
  // A vehicle tests the ground ahead past the vehicles that are driving themselves.
  VehicleServices* vehicle = AsVehicle();
  const bool before = vehicle != nullptr && vehicle->SetIgnoreMovers(true);
  const bool clear = CanStandAt(x + dx / distance * ahead, y + dy / distance * ahead, true);
  if (vehicle != nullptr) vehicle->SetIgnoreMovers(before);
  if (!clear) FindRoute(false, false, false);
}

bool Unit::TurnToward(float px, float py, bool away) {
  const float heading = away ? Normalised(facing + 180.0f) : facing;
  const float turnStep = GetTurnStep();
  const float bearing = CompassBearing(px - x, py - y);
  if (IsPointInArc(heading, turnStep, px, py)) {
    if (!IsPointInArc(heading, 0.03f, px, py)) {
      facing = away ? Normalised(bearing + 180.0f) : bearing;
      gUnitStateChanged = 1;
    }
    if (turnRate != 0.0f) {
      turnRate = 0.0f;
      gUnitStateChanged = 1;
    }
    return true;
  }
  const float d = facing - bearing;
  float rate = d <= 180.0f && (d > 0.0f || d < -180.0f) ? -turnStep : turnStep;
  if (away) rate = -rate;
  if (rate != turnRate) {
    turnRate = rate;
    gUnitStateChanged = 1;
  }
  return false;
}

void Unit::AdvanceBy(int32_t slice, int32_t now) {
  if (alive != 0 && slice == now) {
    const int32_t n = now - sliceCounter;
    if (n > 0) {
      const float steps = static_cast<float>(n);
      x += std::cos(facing * GMath::kRadiansPerDegree) * steps * speed;
      y += std::sin(facing * GMath::kRadiansPerDegree) * steps * speed;
      facing += steps * turnRate;
      if (facing >= 360.0f) facing -= 360.0f;
      if (facing < 0.0f) facing += 360.0f;
      const float change = steps * 0.15f;
      if (gunElevation < goalGunElevation) {
        gunElevation = std::min(gunElevation + change, goalGunElevation);
      } else if (gunElevation > goalGunElevation) {
        gunElevation = std::max(gunElevation - change, goalGunElevation);
      }
    }
  }
  if (firingTimer != 0.0f) AdvanceFiringTimer(now);
  sliceCounter = now;
}

void Unit::RemoveLastWaypoint() {
  if (waypointCount <= 0) return;
  if (waypointCount == 1) {
    CancelMoveOrders();
  } else {
    Waypoint& last = waypoints[static_cast<size_t>(waypointCount - 2)];
    switch (last.pointKind) {
      case 0: last.pointKind = 1; break;
      case 2: last.pointKind = 3; break;
      case 1: break;
      default: FatalError(__LINE__, "Unit.cpp");
    }
    --waypointCount;
  }
  GetUnitScreen().RefreshWaypointDisplay();
}

float Unit::GetTargetValue() {
  if (alive == 0 && !IsVehicle()) return 0.0f;
  float value = GetPurchaseCost();
  if (HasMainWeaponOfType5()) value = std::max(value, 15.0f);
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  const float terrain = map != nullptr ? TerrainFactorAt(*map, x, y, battle->GetSeason()) : 1.0f;
  return value * terrain * RandomFloat();
}

namespace {

// The units the shot timing gathers near a unit, kept for the next question so that asking
// allocates nothing once the list has grown.
std::vector<Unit*>& NearUnitsScratch() {
  thread_local std::vector<Unit*> units;
  return units;
}

}  // namespace

bool Unit::CanSeekTarget() { return CheckShotTiming(); }

bool Unit::CheckShotTiming() {
  if (firingTimer != 0.0f) return false;
  if (IsVehicle() && target != nullptr && target->DrawsImmediateFire()) return true;
  bool far = false;
  if (target != nullptr && (target->alive != 0 || target->flagBytes[Unit::kTargetAbsentFlag] == 0)) {
    const float dx = target->x - x;
    const float dy = target->y - y;
    far = std::fabs(dx) > 60.0f || std::fabs(dy) > 60.0f || std::sqrt(dx * dx + dy * dy) > 60.0f;
  }
  int32_t c = 0;
  if (const VehicleServices* vehicle = AsVehicle()) {
    if (!HasMainWeapon() && !CanFireAnyMachineGun()) return false;
    if (vehicle->IsButtoned()) {
      c = far ? 10 : 8;
    } else {
      c = far ? 7 : 3;
    }
    if (target != nullptr && (vehicle->GetClassData(0).Flags() & 2048) != 0) c *= 2;
  } else {
    const int32_t weapon = GetMainWeaponId();
    if (weapon == WeaponData::kNone) {
      c = far ? 10 : (target != nullptr ? 3 : 6);
    } else if (const int32_t type = GetMainWeaponType(); type == 4 || type == 5) {
      c = far ? 12 : 6;
    } else {
      c = far ? 6 : 3;
    }
  }
  const int32_t needed = (c + 2) * 40;
  int32_t n = sliceCount;
  // Every 40th slice an enemy within 100 m brings the shot forward by up to 160 slices, the
  // nearer the more. The walk over the units is made only when that can change the answer:
  // not when the slices already suffice, nor when even 160 more would fall short.
  if (n % 40 == 0 && n < needed && n + 160 >= needed) {
    float nearest = std::numeric_limits<float>::max();
    // The battle in play hands on the units near enough to count (any farther along an axis is
    // farther on the level too); without one every unit is walked.
    const UnitServices* services = GetUnitServices();
    const MapBattleServices* battle = UnitBattle();
    std::vector<Unit*>& near = NearUnitsScratch();
    if (services != nullptr && services->GatherUnitsNear(*this, 100.0f, near)) {
      for (const Unit* other : near) {
        if (other->alive == 0 || other->side == side || !(other->IsInfantry() || other->IsVehicle())) continue;
        const float dx = other->x - x;
        const float dy = other->y - y;
        nearest = std::min(nearest, std::sqrt(dx * dx + dy * dy));
      }
    } else if (battle != nullptr) {
      for (int32_t i = 0; i < battle->GetUnitCount(); ++i) {
        const MapUnitView* other = battle->GetUnit(i);
        if (other == nullptr || !other->IsAlive() || other->GetSideByte() == side) continue;
        const int32_t otherKind = other->GetUnitKind();
        if (otherKind != kInfantry && otherKind != kVehicle) continue;
        const float dx = other->GetX() - x;
        const float dy = other->GetY() - y;
        nearest = std::min(nearest, std::sqrt(dx * dx + dy * dy));
      }
    }
    if (nearest < 100.0f) n += static_cast<int32_t>(std::lround((1.0f - nearest * 0.01f) * 160.0f));
  }
  return needed <= n;
}
