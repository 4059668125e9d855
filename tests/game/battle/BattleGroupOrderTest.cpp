// Orders given to a selected group: the members' moves at the leader's offset (and where the
// offset leaves the map), a vehicle member's move code, and codes no group takes.
#include <gtest/gtest.h>

#include <memory>

#include "game/battle/BattleTestRig.h"
#include "game/battle/MovingTestUnits.h"
#include "game/map/Map.h"
#include "game/units/orders/Waypoint.h"

namespace {

struct GroupWorld {
  BattleTestRig rig;
  Battle* battle = nullptr;
  GroupWorld() {
    battle = &rig.Fresh();
    battle->setupPhase = 0;
  }
  Unit* Add(int32_t kind, float x, float y) {
    Unit* unit = kind == 0 ? static_cast<Unit*>(new Walker) : static_cast<Unit*>(new Driver);
    unit->Setup(x, y, 0.0f, 6, 2);
    unit->side = 1;
    battle->PlaceUnitAt(unit, x, y);
    unit->boxSelection = 2;
    return unit;
  }
  // The leader's movement pick, completed at the point, then handed to the group.
  void MoveGroup(int32_t code, float px, float py) {
    battle->multiSelection = 1;
    battle->BeginGroupOrder(code);
    battle->map->orders.pickX = px;
    battle->map->orders.pickY = py;
    battle->PlaceMoveWaypoint(true);
    battle->CompleteGroupOrder();
  }
};

}  // namespace

TEST(BattleGroupOrder, MembersMoveAtTheLeadersOffsetAndVehiclesMoveInsteadOfFast) {
  GroupWorld w;
  Unit* leader = w.Add(0, 100.0f, 100.0f);
  Unit* squad = w.Add(0, 120.0f, 100.0f);
  Unit* vehicle = w.Add(1, 100.0f, 130.0f);
  ASSERT_TRUE(vehicle->CanTakeOrder(kOrderMove));
  w.battle->selectedUnit = leader;
  w.MoveGroup(20, 200.0f, 150.0f);
  EXPECT_EQ(w.battle->groupOrder, 0);
  ASSERT_EQ(leader->waypointCount, 1);
  ASSERT_EQ(squad->waypointCount, 1);
  EXPECT_FLOAT_EQ(squad->WaypointAt(0).x, 220.0f);
  EXPECT_FLOAT_EQ(squad->WaypointAt(0).y, 150.0f);
  EXPECT_EQ(squad->WaypointAt(0).moveMode, 3);
  ASSERT_EQ(vehicle->waypointCount, 1);
  EXPECT_EQ(vehicle->WaypointAt(0).moveMode, 1);
  EXPECT_FLOAT_EQ(vehicle->WaypointAt(0).y, 180.0f);
}

TEST(BattleGroupOrder, AnOffsetOffTheMapIsSkippedUnlessTheLeaderLeavesTheMapToo) {
  GroupWorld w;
  Unit* leader = w.Add(0, 100.0f, 100.0f);
  Unit* squad = w.Add(0, 40.0f, 100.0f);
  w.battle->selectedUnit = leader;
  w.MoveGroup(22, 70.0f, 100.0f);  // the member's point is x = 10
  EXPECT_EQ(squad->waypointCount, 1);
  squad->CancelMoveOrders();
  leader->CancelMoveOrders();
  w.MoveGroup(22, 50.0f, 100.0f);  // x = -10: off the map, the leader's point is not
  EXPECT_EQ(leader->waypointCount, 1);
  EXPECT_EQ(squad->waypointCount, 0);
}

TEST(BattleGroupOrder, UnknownCodesAndAMissingLeaderAreIgnored) {
  GroupWorld w;
  Unit* leader = w.Add(0, 100.0f, 100.0f);
  w.battle->BeginGroupOrder(kOrderMove);  // nothing selected
  EXPECT_EQ(w.battle->groupOrder, 0);
  w.battle->selectedUnit = leader;
  w.battle->BeginGroupOrder(kOrderNextTarget);
  w.battle->BeginGroupOrder(99);
  EXPECT_EQ(w.battle->groupOrder, 0);
  EXPECT_EQ(w.battle->App().GetInputMode(), InputModes::kNoPick);
}
