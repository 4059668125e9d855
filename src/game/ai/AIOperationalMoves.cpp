#include <algorithm>
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/ai/AIGoalGroup.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanProfile.h"
#include "game/ai/AIPlanContext.h"
#include "game/ai/AIOperationalShared.h"
#include "game/battle/Battle.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Distance.h"
#include "game/map/Heading.h"
#include "game/map/Map.h"
#include "game/map/PathPoints.h"
#include "game/map/PlanningMath.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/ports/VehicleServices.h"

namespace {

// The kill chance (0..1) of the unit's main weapon against its armoured target, 0 unseen.
float KillChance(Unit& unit, Unit& target) {
  if (!unit.LineOfSightTo(target)) return 0.0f;
  return unit.TargetInfoText(nullptr, unit.ChooseAmmo(&target), &target) * 0.01f;
}

// The armoured target's facing and turret, to be put back after a trial.
float TurretAngleOf(Unit& unit) {
  auto* vehicle = unit.AsVehicleUnit();
  return vehicle != nullptr ? vehicle->turretOffset : 0.0f;
}

void SetTurretAngle(Unit& unit, float angle) {
  if (auto* vehicle = unit.AsVehicleUnit()) vehicle->turretOffset = angle;
}

}  // namespace

bool AIOperational::LegIsClear(const Map& map, float x0, float y0, float x1, float y1) {
  const float d = Distance(x0, y0, x1, y1);
  const int32_t n = static_cast<int32_t>(d * 0.05f + 0.99f);
  // A leg too short to step along is judged at its start.
  if (n <= 0) return map.IsConcealingAt(x0, y0, true);
  for (int32_t k = 0; k <= n; ++k) {
    const float t = static_cast<float>(k) / static_cast<float>(n);
    if (!map.IsConcealingAt(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, true)) return false;
  }
  return true;
}

int32_t AIOperational::FindRoute(Map& map, Unit& unit, float x, float y, PathPoints& route) {
  AIPlanProfile::Scope timed(AIPlanProfile::kRoutes);
  const int32_t found = map.FindPath(unit, unit.x, unit.y, x, y, route);
  if (found == Map::kOutOfNodes) ++AIPlanProfile::routesOutOfNodes;
  return found;
}

void AIOperational::OrderMoveTo(const AIPlanContext& context, Unit& unit, float x, float y, bool tactical,
                                bool spread, bool* earlyLeg) {
  if (earlyLeg != nullptr) *earlyLeg = false;
  Map& map = *context.battle->map;
  PathPoints route;
  if (FindRoute(map, unit, x, y, route) != Map::kRouteFound || route.count <= 0) {
    unit.waypointCount = 0;
    return;
  }

  int32_t mode = RouteMoveMode(unit);
  if (!unit.IsInfantry() && tactical) {
    mode = unit.HasMainWeaponOfType23(false) ? 2 : 3;
    const VehicleServices* vehicle = unit.AsVehicle();
    Unit* target = unit.target;
    if (mode != 3 && target != nullptr && vehicle != nullptr && vehicle->HasTurret() &&
        target->HasMainWeaponOfType23(false) && target->IsArmored(false)) {
      float k = KillChance(unit, *target);
      if (k < 0.15f) {
        // Turned to face the unit, the target shows its front.
        const float facing = target->facing;
        const float turret = TurretAngleOf(*target);
        target->facing = HeadingDegrees(unit.x - target->x, unit.y - target->y);
        SetTurretAngle(*target, 0.0f);
        k = KillChance(unit, *target);
        target->facing = facing;
        SetTurretAngle(*target, turret);
      }
      if (k < 0.15f) {
        const float ux = unit.x;
        const float uy = unit.y;
        unit.SetPosition(route.x[route.count - 1], route.y[route.count - 1]);
        k = KillChance(unit, *target);
        unit.SetPosition(ux, uy);
        if (k >= 0.3f) mode = 3;
      }
    }
  }

  unit.withdraw = 0;
  unit.SetPathWaypoints(route, mode, map);

  auto* realVehicle = unit.AsVehicleUnit();
  if (unit.IsVehicle() && tactical) {
    if (realVehicle != nullptr) realVehicle->SetWaypointModes(nullptr, mode, false, 0.0f, 0.0f);
  } else if (unit.IsInfantry() && unit.GetSpeedClass() == 4) {
    float px = unit.x;
    float py = unit.y;
    for (int32_t k = 0; k < unit.waypointCount; ++k) {
      Waypoint& point = unit.WaypointAt(k);
      if (LegIsClear(map, px, py, point.x, point.y)) point.moveMode = 3;
      px = point.x;
      py = point.y;
    }
  }

  if (earlyLeg != nullptr && unit.IsInfantry() && !IsSquad(unit)) {
    float px = unit.x;
    float py = unit.y;
    float sum = 0.0f;
    for (int32_t k = 0; k < unit.waypointCount && sum < 60.0f; ++k) {
      const Waypoint& point = unit.WaypointAt(k);
      if (!LegIsClear(map, px, py, point.x, point.y)) {
        *earlyLeg = true;
        break;
      }
      sum += Distance(px, py, point.x, point.y);
      px = point.x;
      py = point.y;
    }
  }

  if (unit.IsArmored(false) && unit.target != nullptr) {
    unit.AddWaypoint(unit.target->x, unit.target->y, kOrderRotate, true, false, false, true);
  }

  if (MoveSpreads(unit, spread)) SpreadRoute(map, unit, &unit.WaypointAt(0), unit.waypointCount);

  unit.commandDelay = 0.0f;
  if (unit.speed == 0.0f && unit.turnRate == 0.0f) {
    unit.CapDelayByRating(false);
  } else if (unit.waypointCount > 0) {
    const Waypoint& first = unit.WaypointAt(0);
    const float h = HeadingDegrees(first.x - unit.x, first.y - unit.y) - unit.facing;
    if (h > -310.0f && h < 310.0f && std::fabs(h) > 50.0f) unit.CapDelayByRating(false);
  }
}

int32_t AIOperational::RouteMoveMode(const Unit& unit) {
  if (!unit.IsInfantry()) return 2;
  return unit.GetSpeedClass() == 4 ? 5 : 3;
}

bool AIOperational::MoveSpreads(const Unit& unit, bool spread) { return spread && unit.GetSpeedClass() > 2; }

void AIOperational::SpreadRoute(const Map& map, Unit& unit, Waypoint* points, int32_t count) {
  float ox = 0.0f;
  float oy = 0.0f;
  float sum = 0.0f;
  float prevX = unit.x;
  float prevY = unit.y;
  for (int32_t k = 0; k + 1 < count; ++k) {
    Waypoint& point = points[k];
    if (!map.IsOnMap(point.x, point.y)) break;
    const float s = Distance(prevX, prevY, point.x, point.y);
    prevX = point.x;
    prevY = point.y;
    sum += s;
    if (sum > 200.0f) break;
    const int32_t type = map.TerrainTypeAt(point.x, point.y);
    const Waypoint& next = points[k + 1];
    if (!Map::IsConcealingType(type, false) && map.IsConcealingAt(next.x, next.y, false) &&
        Distance(point.x, point.y, next.x, next.y) < 40.0f) {
      ox = 0.0f;
      oy = 0.0f;
      continue;
    }
    const float r = std::min(std::min(sum * 0.5f, 20.0f), s);
    for (int32_t attempt = 0; attempt < 20; ++attempt) {
      const float nx = point.x + std::clamp(RandomFloatTimes(2.0f * r) + ox - r, -r, r);
      const float ny = point.y + std::clamp(RandomFloatTimes(2.0f * r) + oy - r, -r, r);
      if (map.TerrainTypeAt(nx, ny) != type || !map.IsOnMap(nx, ny) || !unit.CanStandAt(nx, ny, true)) continue;
      ox = nx - point.x;
      oy = ny - point.y;
      point.x = nx;
      point.y = ny;
      point.height = map.ElevationAt(nx, ny);
      break;
    }
  }
}

bool AIOperational::AdvanceOnGoal(const AIPlanContext& context, Unit& unit, AIGoalGroup* goal, bool* earlyLeg) {
  AIPlanProfile::Scope timed(AIPlanProfile::kAdvances);
  const Advance advance = ChooseAdvance(context, unit, goal);
  switch (advance.kind) {
    case Advance::kStays:
      return false;
    case Advance::kKeeps:
      return true;
    case Advance::kExitRun:
      RunForTheExit(context, unit, advance.x, advance.y, earlyLeg);
      return true;
    case Advance::kMoves:
      break;
  }
  OrderMoveTo(context, unit, advance.x, advance.y, false, advance.spread, earlyLeg);
  return true;
}

void AIOperational::RunForTheExit(const AIPlanContext& context, Unit& unit, float tx, float ty, bool* earlyLeg) {
  const Battle& battle = *context.battle;
  const Map& map = *battle.map;
  const float width = map.size.worldWidth;
  const float height = map.size.worldHeight;
  const int32_t edge = battle.exitEdge[context.side & 1];
  const bool alongY = edge == 0 || edge == 2;
  float toEdge = 0.0f;
  switch (edge) {
    case 0: toEdge = unit.x; break;
    case 1: toEdge = height - unit.y; break;
    case 2: toEdge = width - unit.x; break;
    default: toEdge = unit.y; break;
  }
  if (toEdge < 15.0f) {
    if (alongY) {
      OrderMoveTo(context, unit, tx, unit.y, false, false, earlyLeg);
    } else {
      OrderMoveTo(context, unit, unit.x, ty, false, false, earlyLeg);
    }
  }
  if (toEdge >= 15.0f || unit.waypointCount == 0) {
    const float s = 0.33f * toEdge;
    const float shift = RandomFloatTimes(2.0f * s) - s;
    if (alongY) {
      ty += shift;
    } else {
      tx += shift;
    }
    OrderMoveTo(context, unit, tx, ty, false, false, earlyLeg);
  }
  float wx = unit.x;
  float wy = unit.y;
  if (unit.waypointCount > 0) {
    wx = unit.WaypointAt(unit.waypointCount - 1).x;
    wy = unit.WaypointAt(unit.waypointCount - 1).y;
  }
  switch (edge) {
    case 0: wx = -1.0f; break;
    case 1: wy = height + 1.0f; break;
    case 2: wx = width + 1.0f; break;
    default: wy = -1.0f; break;
  }
  // A full list gives up its last point for the one past the edge.
  if (unit.waypointCount >= Unit::kMaxWaypoints) unit.waypointCount = Unit::kMaxWaypoints - 1;
  Waypoint& exit = unit.WaypointAt(unit.waypointCount);
  exit = Waypoint{};
  exit.x = wx;
  exit.y = wy;
  exit.height = map.ElevationAt(wx, wy);
  exit.moveMode = 3;
  exit.pointKind = Waypoint::kRouteEnd;
  if (unit.waypointCount > 0) unit.WaypointAt(unit.waypointCount - 1).pointKind = Waypoint::kRoutePoint;
  ++unit.waypointCount;
}

AIOperational::Advance AIOperational::ChooseAdvance(const AIPlanContext& context, Unit& unit, AIGoalGroup* goal) {
  if (goal == nullptr) FatalError(__LINE__, "AIOperational");
  Battle& battle = *context.battle;
  const Map& map = *battle.map;
  const int32_t edge = battle.exitEdge[context.side & 1];
  const bool alongY = edge == 0 || edge == 2;

  float tx = goal->centreX;
  float ty = goal->centreY;
  if (const VictoryFlag* flag = goal->PickUnheldFlag(context)) {
    tx = flag->x;
    ty = flag->y;
  }
  const float d = unit.DistanceToPoint(tx, ty);

  Advance advance;
  advance.x = tx;
  advance.y = ty;
  // Every unit carries the exit byte; only a side the battle gives an exit runs for it.
  if (unit.countsForPoints != 0 && d < 150.0f && battle.HasExitZone(context.side)) {
    advance.kind = Advance::kExitRun;
    return advance;
  }

  float destX = tx;
  float destY = ty;
  if (goal->fixed) {
    const float shift = RandomFloatTimes(120.0f) - 60.0f;
    if (alongY) {
      destY += shift;
    } else {
      destX += shift;
    }
  } else {
    if (d < 80.0f) {
      const float q = 1.0f - 0.02f * (d - 30.0f);
      if (RandomFloat() < q * q) {
        advance.kind = Advance::kStays;
        return advance;
      }
    }
    float r = std::clamp(0.26f * d, 30.0f, 120.0f);
    if (unit.IsVehicle() && IsPavedTerrain(map.TerrainTypeAt(tx, ty)) && r < 60.0f) r = 60.0f;
    const float r0 = r;
    float px = tx;
    float py = ty;
    const auto draw = [&](float radius) {
      px = tx + RandomFloatTimes(2.0f * radius) - radius;
      py = ty + RandomFloatTimes(2.0f * radius) - radius;
    };
    const auto standable = [&]() { return map.IsOnMap(px, py) && unit.CanStandAt(px, py, true); };
    const auto usable = [&](float radius) {
      if (!standable()) return false;
      if (unit.IsInfantry()) return Map::IsConcealingType(map.TerrainTypeAt(px, py), radius > 60.0f);
      if (unit.IsVehicle()) {
        return !EnemyInfantryNear(context, px, py, unit.GetSideIndex()) && !IsPavedTerrain(map.TerrainTypeAt(px, py));
      }
      return true;
    };
    do {
      draw(r);
      r -= 2.0f;
      if (r <= 0.0f) break;
    } while (!usable(r));
    if (r <= 0.0f && unit.IsInfantry()) {
      r = r0;
      do {
        draw(r);
        r -= 2.5f;
        if (r <= 0.0f) break;
      } while (!usable(r));
    }
    if (!standable()) {
      r = 20.0f;
      do {
        draw(r);
        r += 2.0f;
      } while (!standable() && r < 300.0f);
    }
    destX = px;
    destY = py;
    if (r <= 0.0f) {
      destX = tx;
      destY = ty;
    }
  }

  if (unit.HasMoveOrder()) {
    const Waypoint& last = unit.WaypointAt(unit.waypointCount - 1);
    if (Distance(last.x, last.y, destX, destY) < 0.25f * d) {
      advance.kind = Advance::kKeeps;
      return advance;
    }
  }

  advance.kind = Advance::kMoves;
  advance.spread = unit.IsInfantry();
  if (unit.GetMoveClass() == 0) {
    const float h = HeadingDegrees(destX - unit.x, destY - unit.y);
    for (int32_t k = battle.UnitCount() - 1; k >= 0; --k) {
      Unit* friendUnit = battle.UnitAt(k);
      if (friendUnit == &unit || unit.IsEnemy(*friendUnit) || !friendUnit->HasMoveOrder() ||
          friendUnit->GetMoveClass() != 0) {
        continue;
      }
      const int32_t count = friendUnit->waypointCount;
      if (count < 1 || count > Unit::kMaxWaypoints) FatalError(__LINE__, "AIOperational");
      const Waypoint& last = friendUnit->WaypointAt(count - 1);
      if (!(Distance(last.x, last.y, destX, destY) < 0.25f * d)) continue;
      for (int32_t w = 0; w < count; ++w) {
        const Waypoint& point = friendUnit->WaypointAt(w);
        if (unit.AngleToPoint(h, point.x, point.y, true) <= 45.0f && unit.DistanceToPoint(point.x, point.y) > 220.0f) {
          advance.x = point.x;
          advance.y = point.y;
          advance.toFriendsWaypoint = true;
          return advance;
        }
      }
    }
  }
  advance.x = destX;
  advance.y = destY;
  return advance;
}
