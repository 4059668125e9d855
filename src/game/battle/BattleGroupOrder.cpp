// Orders given to a selected group: the selected unit leads, the members follow at their
// offsets or take the same order one by one.
#include "framework/core/GErrorLog.h"
#include "game/battle/Battle.h"
#include "game/map/Map.h"
#include "game/units/Unit.h"

namespace {

bool Grouped(const Unit& unit) { return unit.boxSelection != 0; }

}  // namespace

void Battle::BeginGroupOrder(int32_t code) {
  Unit* leader = selectedUnit;
  if (leader == nullptr) {
    GErrorLog::LogValue("Group order without a selected unit, code", code);
    return;
  }
  switch (code) {
    case 28: case 29: case 30: case 35: case 40: case 49: case 50:
      for (int32_t i = 0; i < UnitCount(); ++i) {
        Unit* unit = UnitAt(i);
        if (!Grouped(*unit) || !unit->CanTakeOrder(code)) continue;
        SelectUnit(unit);
        IssueOrder(code, false);
      }
      return;
    case 20: case 21: case 22: case 23: case 24: case 25: case 26: case 27:
      leader->CancelMoveOrders();
      [[fallthrough]];
    case 31: case 32: case 34: case 36: case 47: case 48:
      groupLeaderX = leader->x;
      groupLeaderY = leader->y;
      groupOrder = 1;
      groupOrderCode = code;
      IssueOrder(code, false);
      return;
    default:
      GErrorLog::LogValue("Group order code no group takes", code);
      return;
  }
}

void Battle::CompleteGroupOrder() {
  groupOrder = 0;
  Unit* leader = selectedUnit;
  if (leader == nullptr || map == nullptr) return;
  const int32_t code = groupOrderCode;
  float destX = leader->x;
  float destY = leader->y;
  if (code == 47 || code == 48) {
    destX = map->orders.pickX;
    destY = map->orders.pickY;
  } else if (leader->waypointCount > 0) {
    leader->GetLastWaypoint(destX, destY);
  }
  const float dx = destX - groupLeaderX;
  const float dy = destY - groupLeaderY;
  const bool destinationOnMap = map->IsOnMap(destX, destY);
  Unit* target = leader->target;
  const float areaX = leader->targetX;
  const float areaY = leader->targetY;
  for (int32_t i = UnitCount() - 1; i >= 0; --i) {
    Unit* unit = UnitAt(i);
    if (unit == leader || !Grouped(*unit)) continue;
    switch (code) {
      case 20: case 21: case 22: case 23: case 24: case 25: case 26: case 27: case 31: {
        int32_t own = code;
        if (code == 27 && unit->CanTakeOrder(27)) {
          own = unit->IsVehicle() || !(unit->GetSpeedClass() == 4 && unit->fatigueLevel <= 2) ? 20 : 26;
        } else if (!leader->IsVehicle() && code == 20 && unit->IsVehicle() && unit->CanTakeOrder(22)) {
          own = 22;
        } else if (!unit->CanTakeOrder(own)) {
          own = 20;
        }
        if (!unit->CanTakeOrder(own)) break;
        unit->CancelMoveOrders();
        const float px = unit->x + dx;
        const float py = unit->y + dy;
        if (map->IsOnMap(px, py) || !destinationOnMap) unit->AddWaypoint(px, py, own, true, false, true, true);
        break;
      }
      case 32: case 34: case 36:
        if (unit->CanTakeOrder(code)) unit->SetTarget(target, areaX, areaY, code == 36, false);
        break;
      case 47: case 48:
        if (unit->CanTakeOrder(code)) unit->PlaceOrFace(unit->x + dx, unit->y + dy, code == 47, nullptr);
        break;
      default:
        GErrorLog::LogValue("Group completion for a code no group takes", code);
        return;
    }
  }
  InvalidateInfoPanel();
}
