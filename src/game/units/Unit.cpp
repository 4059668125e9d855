#include "game/units/Unit.h"

#include "game/map/Map.h"
#include "game/map/PathPoints.h"

// Only inanimate units have an inanimate kind; their class answers it.
int32_t Unit::GetInanimateKind() const { return -1; }

int32_t Unit::InfantryMoveClass(int32_t mainWeaponType, int32_t speedClass) {
  if (mainWeaponType == 2 || mainWeaponType == 3) return 1;
  return speedClass > 1 ? 0 : 1;
}

int32_t Unit::VehicleMoveClass(int32_t kindCode) {
  switch (kindCode) {
    case 1: case 2: case 3:
      return 3;
    case 4:
      return 2;
    default:
      return 4;
  }
}

bool Unit::CanStandAt(float, float, int32_t) const { return true; }

void Unit::SetPathWaypoints(PathPoints& points, int32_t moveMode, const Map& map) {
  if (points.count > PathPoints::kMaxPoints) points.count = PathPoints::kMaxPoints;
  const int32_t count = points.count < 0 ? 0 : points.count;
  for (int32_t i = count - 1; i >= 0; --i) {
    Waypoint& w = waypoints[static_cast<size_t>(i)];
    w.x = points.x[i];
    w.y = points.y[i];
    w.height = map.ElevationAt(w.x, w.y);
    w.moveMode = static_cast<int8_t>(moveMode);
    w.pointKind = Waypoint::kRoutePoint;
    w.upperLevel = 0;
    w.flags = 0;
  }
  if (count > 0) waypoints[static_cast<size_t>(count - 1)].pointKind = Waypoint::kRouteEnd;
  waypointCount = count;
}
