// The vehicle drives along its waypoints: it turns toward the first, takes the speed the
// ground allows, deals with a unit in its way (waits for it, sends it aside, pushes it or plans
// around it), advances one step and consumes the point when it arrives.
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/map/Distance.h"
#include "game/map/Heading.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/ports/UnitBattleQueries.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/vehicle/VehicleHeadings.h"

namespace {

float Wrap180(float a) {
  a = Normalize360(a);
  return a > 180.0f ? a - 360.0f : a;
}

}  // namespace

bool Vehicle::IsOtherUnitAt(float px, float py) const {
  const MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return false;
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    const auto* unit = UnitOfView(battle->GetUnit(i));
    if (unit == nullptr || unit == this || unit->alive == 0 || unit->IsAirplane()) continue;
    if (std::fabs(unit->x - px) <= 3.0f && std::fabs(unit->y - py) <= 3.0f) return true;
  }
  return false;
}

int32_t Vehicle::CollisionKind(const Unit& other) const {
  const auto* mover = dynamic_cast<const Vehicle*>(&other);
  return mover != nullptr ? ObstructionGrade(*mover) : 0;
}

void Vehicle::MoveAlongWaypoints() {
  if (waypointCount <= 0) return;
  gUnitInWay = nullptr;
  bool reached = false;
  bool cornering = false;
  float limit = 0.0f;
  if (waypoints[0].moveMode == Waypoint::kRotateTo) {
    // A pause point: turn on the spot, then take the point as reached where the vehicle stands.
    if (speed != 0.0f) {
      speed = 0.0f;
      gUnitStateChanged = 1;
    }
    TurnToward(waypoints[0].x, waypoints[0].y, false);
    if (turnRate != 0.0f) return;
    waypoints[0].x = x;
    waypoints[0].y = y;
    reached = true;
  } else {
    if (UnitServices* services = GetUnitServices()) services->CountMovingSlice(GetSideIndex());
    cornering = TryCutCorner();
    const bool reverse = waypoints[0].moveMode == Waypoint::kReverse;
    TurnToward(waypoints[0].x, waypoints[0].y, reverse);
    ignoreMovers = sliceCounter % 40 == 0 && !IsOtherUnitAt(x, y) ? 1 : 0;
    // The way ahead is watched for antitank mines that went off this turn, unless the vehicle
    // already stands in such a field: it drives on out of it.
    const UnitServices* services = GetUnitServices();
    gWayAheadCheck = !(services != nullptr && services->IsRevealedAntitankMinefieldAt(x, y));
    float newLevel = level;
    limit = TerrainMobility(&newLevel);
    gWayAheadCheck = false;
    if (waypointCount <= 0) {
      ignoreMovers = 0;
      return;
    }
    const Waypoint& wp = waypoints[0];
    if (limit != 0.0f && Distance(x, y, wp.x, wp.y) < 30.0f) {
      const float heading = reverse ? facing + 180.0f : facing;
      if (AngleToPoint(heading, wp.x, wp.y, true) >= 85.0f) limit *= 0.75f;
    }
    if (newLevel != level) {
      level = newLevel;
      gUnitStateChanged = 1;
    }
    const float newSpeed = reverse ? -limit : limit;
    if (newSpeed != speed) {
      speed = newSpeed;
      gUnitStateChanged = 1;
    }
    const float dx = wp.x - x;
    const float dy = wp.y - y;
    reached = 0.9f * (dx * dx + dy * dy) <= speed * speed;
    if (!reached && limit == 0.0f) {
      const Map* map = UnitBattleMap();
      if (map != nullptr && map->BurningAt(wp.x, wp.y)) {
        waypoints[0].x = x;
        waypoints[0].y = y;
        reached = true;
      }
    }
  }

  if (!reached) {
    const bool reverse = waypoints[0].moveMode == Waypoint::kReverse;
    if (limit == 0.0f && turnRate == 0.0f) {
      const bool wait = DealWithBlocker(reverse);
      ignoreMovers = 0;
      if (wait) {
        commandDelay += 4.0f;
      } else {
        FindRoute(gUnitInWay != nullptr, false, true);
      }
      CheckPathAhead();
      return;
    }
    if (gUnitInWay != nullptr) {
      const auto* blocker = dynamic_cast<const Vehicle*>(gUnitInWay);
      if (blocker != nullptr && blocker->CollisionKind(*this) == 1) {
        PushUnitAside(*gUnitInWay);
      } else if (reRouted == 0) {
        reRouted = 1;
        if (FindRoute(true, true, true)) {
          ignoreMovers = 0;
          return;
        }
      }
    }
    if (turnRate == 0.0f && !cornering && waypointCount > 0) {
      const Waypoint& wp = waypoints[0];
      const float h = HeadingDegrees(wp.x - x, wp.y - y);
      facing = reverse ? Normalize360(h + 180.0f) : h;
    }
    x += std::cos(facing * GMath::kRadiansPerDegree) * speed;
    y += std::sin(facing * GMath::kRadiansPerDegree) * speed;
    ignoreMovers = 0;
    CheckPathAhead();
    return;
  }

  // Reached: the point is consumed and the vehicle stands on it.
  ignoreMovers = 0;
  const Waypoint done = waypoints[0];
  const bool wasReverse = done.moveMode == Waypoint::kReverse;
  if (done.pointKind == 1 && waypointCount > 1) CapDelayByRating(false);
  for (int32_t i = 1; i < waypointCount; ++i) waypoints[static_cast<size_t>(i - 1)] = waypoints[static_cast<size_t>(i)];
  --waypointCount;
  x = done.x;
  y = done.y;
  if (waypointCount > 0 && (waypoints[0].moveMode == Waypoint::kReverse) != wasReverse) speed = 0.0f;
  gUnitStateChanged = 1;
  CheckPathAhead();
}

bool Vehicle::DealWithBlocker(bool reverse) {
  Unit* other = gUnitInWay;
  if (other == nullptr || other->alive == 0 || IsEnemy(*other) || !other->CanMove()) return false;
  const float ownHeading = reverse ? facing + 180.0f : facing;
  bool wait = false;
  if (other->IsMoving() || other->turnRate != 0.0f) {
    wait = true;
  } else if (other->HasMoveOrder() && CollisionKind(*other) == 0 && other->commandDelay > 0.0f &&
             other->waypointCount > 0) {
    // Two vehicles bound in opposite directions do not wait for each other.
    const Waypoint& theirs = other->WaypointAt(0);
    const float diff = Normalize360(HeadingDegrees(theirs.x - other->x, theirs.y - other->y) - ownHeading);
    wait = !(diff >= 100.0f && diff <= 260.0f);
  }
  if (wait || other->HasMoveOrder() || other->target != nullptr || other->areaFire != 0) return wait;
  // An idle friend is sent aside, at least 40 degrees off this vehicle's line.
  float d = Wrap180(HeadingDegrees(other->x - x, other->y - y) - ownHeading);
  if (d <= 0.0f) {
    if (d > -40.0f) d = -40.0f;
  } else if (d < 40.0f) {
    d = 40.0f;
  }
  const float px = other->x + 5.0f * std::cos((facing + d) * GMath::kRadiansPerDegree);
  const float py = other->y + 5.0f * std::sin((facing + d) * GMath::kRadiansPerDegree);
  const Map* map = UnitBattleMap();
  if (map == nullptr || !map->IsOnMap(px, py) || !other->CanStandAt(px, py, true)) return false;
  Waypoint& point = other->WaypointAt(0);
  point = Waypoint{};
  point.x = px;
  point.y = py;
  point.height = map->ElevationAt(px, py);
  point.moveMode = CollisionKind(*other) == 0 ? 3 : Waypoint::kReverse;
  point.pointKind = 1;
  other->waypointCount = 1;
  other->stateChanged = 1;
  return true;
}
