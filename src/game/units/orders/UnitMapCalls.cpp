// What the map asks of a unit when a building collapses under it or a crater is spotted, and
// the waypoints a found route becomes. Kinds that react in their own way (infantry falling
// back or taking losses, vehicles burning out or losing their crew) override these; the base
// unit has nothing of that kind to do.
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/map/PathPoints.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitServices.h"

void Unit::MarkBurntOut() {}
void Unit::RetreatTowardFriendlyEdge() {}
void Unit::TakeCasualties(int32_t, float) {}
void Unit::BailOutCrew() {}

bool Unit::IsAreaFiring(float& pointX, float& pointY) const {
  pointX = targetX;
  pointY = targetY;
  return areaFire != 0;
}

void Unit::GetWaypoint(int32_t index, float& pointX, float& pointY, bool& upperLevel) const {
  const Waypoint& w = WaypointAt(index);
  pointX = w.x;
  pointY = w.y;
  upperLevel = w.upperLevel != 0;
}

void Unit::LowerWaypoint(int32_t index, float height) {
  Waypoint& w = WaypointAt(index);
  w.upperLevel = 0;
  w.height = height;
}

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

void Unit::SetPathWaypoints(PathPoints& points, int32_t moveMode, const Map& map) {
  if (points.count > PathPoints::kMaxPoints) points.count = PathPoints::kMaxPoints;
  const int32_t count = points.count < 0 ? 0 : points.count;
  for (int32_t i = count - 1; i >= 0; --i) {
    Waypoint& w = waypoints[static_cast<size_t>(i)];
    w.x = points.x[i];
    w.y = points.y[i];
    w.height = map.ElevationAt(w.x, w.y);
    w.moveMode = moveMode;
    w.pointKind = Waypoint::kRoutePoint;
    w.upperLevel = 0;
    w.flags = 0;
  }
  if (count > 0) waypoints[static_cast<size_t>(count - 1)].pointKind = Waypoint::kRouteEnd;
  waypointCount = count;
}
