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
    case kOrderCancelMoves: case kOrderPause: case kOrderHide: case kOrderCancelTarget: case kOrderButtonUp:
    case kOrderDugIn: case kOrderHoldPlace:
      for (int32_t i = 0; i < UnitCount(); ++i) {
        Unit* unit = UnitAt(i);
        if (!Grouped(*unit) || !unit->CanTakeOrder(code)) continue;
        SelectUnit(unit);
        IssueOrder(code, false);
      }
      return;
    case kOrderFastMove: case kOrderReverse: case kOrderMove: case kOrderHunt: case kOrderSneak: case kOrderCrawl:
    case kOrderRun: case kOrderWithdraw:
      leader->CancelMoveOrders();
      [[fallthrough]];
    case kOrderRotate: case kOrderTarget: case kOrderAmbush: case kOrderSmoke: case kOrderSetupPlace:
    case kOrderSetupFacing:
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
  if (code == kOrderSetupPlace || code == kOrderSetupFacing) {
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
      case kOrderFastMove: case kOrderReverse: case kOrderMove: case kOrderHunt: case kOrderSneak: case kOrderCrawl:
      case kOrderRun: case kOrderWithdraw: case kOrderRotate: {
        int32_t own = code;
        if (code == kOrderWithdraw && unit->CanTakeOrder(kOrderWithdraw)) {
          own = unit->IsVehicle() || !(unit->GetSpeedClass() == 4 && unit->fatigueLevel <= 2) ? kOrderFastMove
                                                                                              : kOrderRun;
        } else if (!leader->IsVehicle() && code == kOrderFastMove && unit->IsVehicle() &&
                   unit->CanTakeOrder(kOrderMove)) {
          own = kOrderMove;
        } else if (!unit->CanTakeOrder(own)) {
          own = kOrderFastMove;
        }
        if (!unit->CanTakeOrder(own)) break;
        unit->CancelMoveOrders();
        const float px = unit->x + dx;
        const float py = unit->y + dy;
        if (map->IsOnMap(px, py) || !destinationOnMap) unit->AddWaypoint(px, py, own, true, false, true, true);
        break;
      }
      case kOrderTarget: case kOrderAmbush: case kOrderSmoke:
        if (unit->CanTakeOrder(code)) unit->SetTarget(target, areaX, areaY, code == kOrderSmoke, false);
        break;
      case kOrderSetupPlace: case kOrderSetupFacing:
        if (unit->CanTakeOrder(code)) unit->PlaceOrFace(unit->x + dx, unit->y + dy, code == kOrderSetupPlace, nullptr);
        break;
      default:
        GErrorLog::LogValue("Group completion for a code no group takes", code);
        return;
    }
  }
  InvalidateInfoPanel();
}
