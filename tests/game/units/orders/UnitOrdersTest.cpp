// The unit's orders: waypoints, the order delay, turn start and end, order availability,
// routes and the escape sweep, turning and catching up, shot timing, escape from fire and
// the crew bailing out.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/PathPoints.h"
#include "game/units/TestInfantry.h"
#include "game/battle/CampaignUnitHost.h"
#include "game/units/TestUnitWorld.h"
#include "game/units/TestVehicle.h"
#include "game/units/Unit.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/RecordingUnitScreen.h"
#include "game/units/ports/UnitContextScope.h"
#include "game/units/fire/WeaponFormulas.h"
#include "support/TestFolder.h"

namespace {

constexpr float kRad = 3.14159265f / 180.0f;

// A kind whose ground is passable except in a refused region, with a settable turn step.
template <class Kind>
class Mover : public Kind {
 public:
  Mover() { this->side = 1; }  // the viewer's own
  float GetTerrainMobility() const override {
    if (refuseAll) return 0.0f;
    if (this->x == allowX && this->y == allowY) return 1.0f;
    return this->x >= refuseFromX ? 0.0f : 1.0f;
  }
  float GetTurnStep() const override { return turnStep; }
  bool IsLinked() const override { return linked; }
  bool IsCarried() const override { return carried; }
  bool IsBoarding() const override { return carried; }
  void PrepareAppearance() override {}
  void DropBurstIfIdle() override { ++burstDrops; }
  void InsertWaypoint(int32_t, float px, float py) override {
    ++inserts;
    insertX = px;
    insertY = py;
  }
  bool refuseAll = false;
  float refuseFromX = 1.0e9f;
  float allowX = -1.0f;  // one point open in the refused region
  float allowY = -1.0f;
  float turnStep = 5.0f;
  bool linked = true;
  bool carried = false;
  int32_t burstDrops = 0;
  int32_t inserts = 0;
  float insertX = 0.0f;
  float insertY = 0.0f;
};
using Foot = Mover<TestInfantry>;
using Tank = Mover<TestVehicle>;

// The world with the default 800 m flat map and the battle layer's order host.
struct OrdersRig {
  OrdersRig() {
    world.SetMap(std::make_unique<Map>(world.app));
    EXPECT_TRUE(world.Battle().map->Read(nullptr));
    world.Battle().currentSlice = 100;
    context.emplace(UnitContext{.orders = &world.Orders(), .screen = &screen});
  }
  OrdersRig(const OrdersRig&) = delete;
  OrdersRig& operator=(const OrdersRig&) = delete;
  Map& GetMap() { return *world.Battle().map; }
  // The units handed to the battle to join it after the slice (bailed-out crews), in order.
  size_t Added() { return static_cast<size_t>(world.Battle().laterUnits.Count()); }
  Unit* AddedAt(size_t i) { return static_cast<Unit*>(world.Battle().laterUnits.GetItem(static_cast<int32_t>(i))); }
  TestFolder folder{true};
  TestUnitWorld world;
  RecordingUnitScreen screen;
  std::optional<UnitContextScope> context;
};

void Place(Unit& unit, float px, float py, float facing = 0.0f) {
  unit.x = px;
  unit.y = py;
  unit.facing = facing;
}

}  // namespace

// ---- Waypoints ----

TEST(UnitOrders, WaypointListFillsOverwritesAndKeepsRotationLast) {
  OrdersRig rig;
  Foot unit;
  Place(unit, 100.0f, 100.0f);
  for (int32_t i = 0; i < 51; ++i) unit.AddWaypoint(110.0f + static_cast<float>(i), 120.0f, 22, true);
  EXPECT_EQ(unit.waypointCount, 50);
  EXPECT_FLOAT_EQ(unit.waypoints[49].x, 160.0f);  // the 51st overwrote index 49
  EXPECT_FLOAT_EQ(unit.waypoints[48].x, 158.0f);
  EXPECT_EQ(unit.waypoints[49].moveMode, 1);
  EXPECT_EQ(unit.waypoints[49].pointKind, 1);
  EXPECT_EQ(unit.waypoints[10].pointKind, 0);
  EXPECT_EQ(unit.burstDrops, 51);

  // A rotation point is accepted where the unit cannot stand; a move point then replaces it.
  Foot other;
  Place(other, 100.0f, 100.0f);
  other.refuseFromX = 300.0f;
  other.AddWaypoint(150.0f, 100.0f, kOrderFastMove, true);
  other.AddWaypoint(350.0f, 100.0f, kOrderMove, true);  // refused
  EXPECT_EQ(other.waypointCount, 1);
  other.waypoints[0].flags = 1;
  other.AddWaypoint(350.0f, 100.0f, kOrderRotate, true);
  ASSERT_EQ(other.waypointCount, 2);
  EXPECT_TRUE(other.LastWaypointIsRotation());
  EXPECT_EQ(other.waypoints[1].moveMode, 9);
  EXPECT_EQ(other.waypoints[1].pointKind, 1);
  EXPECT_EQ(other.waypoints[1].flags, 1);  // the hide flag moves to the rotation point
  EXPECT_EQ(other.waypoints[0].pointKind, 0);
  EXPECT_EQ(other.waypoints[0].flags, 0);
  other.AddWaypoint(200.0f, 100.0f, kOrderSneak, true);
  ASSERT_EQ(other.waypointCount, 2);
  EXPECT_FLOAT_EQ(other.waypoints[1].x, 200.0f);
  EXPECT_EQ(other.waypoints[1].moveMode, 4);
  float lx = 0.0f;
  float ly = 0.0f;
  bool upper = true;
  other.GetLastWaypoint(lx, ly, &upper);
  EXPECT_FLOAT_EQ(lx, 200.0f);
  EXPECT_FALSE(upper);

  // A rotation point at index 0 takes the unit's level and hide order.
  Foot rotating;
  rotating.level = 1.0f;
  rotating.flagBytes[Unit::kHoldFlag] = 1;
  rotating.AddWaypoint(500.0f, 500.0f, kOrderRotate, true);
  EXPECT_EQ(rotating.waypoints[0].upperLevel, 1);
  EXPECT_EQ(rotating.waypoints[0].flags, 1);
  EXPECT_EQ(rotating.flagBytes[Unit::kHoldFlag], 0);
  rotating.RemoveRotationPoint();
  EXPECT_EQ(rotating.waypointCount, 0);
}

TEST(UnitOrders, HideOrderChainAndRefusals) {
  OrdersRig rig;
  Foot unit;
  Place(unit, 100.0f, 100.0f);
  unit.pendingDelaySteps = 2;
  unit.AddWaypoint(0.0f, 0.0f, kOrderHide);
  EXPECT_EQ(unit.flagBytes[Unit::kHoldFlag], 1);
  EXPECT_TRUE(unit.CanTakeOrder(kOrderHide));  // a hiding unit without waypoints may stop hiding
  EXPECT_EQ(unit.pendingDelaySteps, 0);
  unit.AddWaypoint(0.0f, 0.0f, kOrderHide);
  EXPECT_EQ(unit.flagBytes[Unit::kHoldFlag], 0);
  unit.AddWaypoint(120.0f, 100.0f, kOrderMove, true);
  unit.flagBytes[Unit::kHoldFlag] = 1;
  unit.AddWaypoint(0.0f, 0.0f, kOrderHide);
  EXPECT_EQ(unit.waypoints[0].flags, 1);
  EXPECT_EQ(unit.flagBytes[Unit::kHoldFlag], 1);  // the unit's own hide order is untouched

  // Chained points: the new one is 3, a previous 3 becomes 2; the turn start fixes them.
  Foot route;
  Place(route, 100.0f, 100.0f);
  route.AddWaypoint(110.0f, 100.0f, kOrderMove, true, false, false, true);
  route.AddWaypoint(120.0f, 100.0f, kOrderMove, true, false, false, true);
  route.AddWaypoint(130.0f, 100.0f, kOrderMove, true, false, false, true);
  EXPECT_EQ(route.waypoints[0].pointKind, 2);
  EXPECT_EQ(route.waypoints[1].pointKind, 2);
  EXPECT_EQ(route.waypoints[2].pointKind, 3);
  route.BeginTurn();
  EXPECT_EQ(route.waypoints[0].pointKind, 0);
  EXPECT_EQ(route.waypoints[1].pointKind, 0);
  EXPECT_EQ(route.waypoints[2].pointKind, 1);

  // A unit that cannot move takes no point but snapshots its list.
  Tank stuck;
  Place(stuck, 100.0f, 100.0f);
  stuck.AddWaypoint(150.0f, 150.0f, kOrderMove, true);
  stuck.immobilized = 1;
  stuck.waypoints[0].x = 170.0f;
  stuck.AddWaypoint(200.0f, 200.0f, kOrderMove, true);
  EXPECT_EQ(stuck.waypointCount, 1);
  EXPECT_FLOAT_EQ(stuck.orderedWaypoints[0].x, 170.0f);
  stuck.AddWaypoint(200.0f, 200.0f, kOrderRotate, true);  // not even a rotation point
  EXPECT_EQ(stuck.waypointCount, 1);
  // Infantry of speed class 0 may still turn.
  Foot pinned;
  pinned.immobilized = 1;
  pinned.AddWaypoint(200.0f, 200.0f, kOrderMove, true);
  EXPECT_EQ(pinned.waypointCount, 0);
  pinned.AddWaypoint(200.0f, 200.0f, kOrderRotate, true);
  EXPECT_EQ(pinned.waypointCount, 1);
}

TEST(UnitOrders, PointsPastTheAdvanceEdgeAndInBuildingsAreRefused) {
  OrdersRig rig;
  Foot unit;
  EXPECT_TRUE(unit.CanStandAt(-50.0f, 100.0f, true));  // outside an operation
  Campaign& operation = rig.world.MakeOperation();
  operation.attacker = 0;  // the Axis (side byte 1) attacks
  operation.attackerEdge = 2;
  EXPECT_FALSE(unit.CanStandAt(-50.0f, 100.0f, true));
  EXPECT_TRUE(unit.CanStandAt(900.0f, 100.0f, true));
  operation.attackerEdge = 0;
  EXPECT_FALSE(unit.CanStandAt(900.0f, 100.0f, true));
  rig.world.app.editorOpen = true;
  EXPECT_TRUE(unit.CanStandAt(900.0f, 100.0f, true));
  rig.world.app.editorOpen = false;
  unit.side = 0;  // the defender
  EXPECT_TRUE(unit.CanStandAt(900.0f, 100.0f, true));
  // The unit stands where it stood and keeps its placement byte.
  unit.refuseFromX = 300.0f;
  unit.x = 10.0f;
  unit.firingBytes[Unit::kCreationMark] = 1;
  EXPECT_FALSE(unit.CanStandAt(400.0f, 100.0f, false));
  EXPECT_FLOAT_EQ(unit.x, 10.0f);
  EXPECT_EQ(unit.firingBytes[Unit::kCreationMark], 1);
}

TEST(UnitOrders, MovingACarriedOverWaypointStopsAtTheAdjustRadius) {
  OrdersRig rig;
  Foot unit;
  unit.rating = 2;
  EXPECT_FLOAT_EQ(unit.AdjustRadius(), 20.0f);
  Place(unit, 100.0f, 100.0f);
  unit.AddWaypoint(200.0f, 200.0f, kOrderMove, true);
  unit.SnapshotWaypoints();
  // Dragged 50 m at a bearing of 3-4-5: it stops 20 m from where it stood.
  unit.MoveWaypoint(0, 230.0f, 240.0f);
  EXPECT_NEAR(unit.waypoints[0].x, 212.0f, 1e-3f);
  EXPECT_NEAR(unit.waypoints[0].y, 216.0f, 1e-3f);
  EXPECT_GT(rig.screen.panelRefreshes, 0);
  // Within the radius it goes where it is put; a freely movable kind goes anywhere.
  unit.MoveWaypoint(0, 210.0f, 190.0f);
  EXPECT_FLOAT_EQ(unit.waypoints[0].x, 210.0f);
  unit.waypoints[0].pointKind = 3;
  unit.MoveWaypoint(0, 300.0f, 300.0f);
  EXPECT_FLOAT_EQ(unit.waypoints[0].x, 300.0f);
  // A refused point sends it back to its turn-start place; bad indexes are ignored.
  unit.refuseFromX = 350.0f;
  unit.MoveWaypoint(0, 400.0f, 300.0f);
  EXPECT_FLOAT_EQ(unit.waypoints[0].x, 200.0f);
  EXPECT_FLOAT_EQ(unit.waypoints[0].y, 200.0f);
  unit.MoveWaypoint(1, 120.0f, 120.0f);
  unit.MoveWaypoint(-1, 120.0f, 120.0f);
  EXPECT_EQ(unit.waypointCount, 1);
  // Someone else's unit cannot be changed.
  unit.side = 0;
  unit.MoveWaypoint(0, 210.0f, 210.0f);
  EXPECT_FLOAT_EQ(unit.waypoints[0].x, 200.0f);
}

TEST(UnitOrders, DelayCapByRatingSuppressionAndKind) {
  OrdersRig rig;
  Foot squad;
  squad.squad = true;
  squad.rating = 2;  // the effective rating, a leader's bonus included
  squad.suppression = 50.0f;
  squad.commandDelay = 100.0f;
  squad.CapDelayByRating(false);
  EXPECT_FLOAT_EQ(squad.commandDelay, 49.5f);
  // A team that is not linked counts two steps better: index 5, 13 s.
  Foot team;
  team.rating = 2;
  team.linked = false;
  team.commandDelay = 100.0f;
  team.CapDelayByRating(false);
  EXPECT_FLOAT_EQ(team.commandDelay, 13.0f);
  // A vehicle of rating 8 reaches past the table: its last entry, 1 s.
  Tank tank;
  tank.rating = 8;
  tank.commandDelay = 30.0f;
  tank.speed = 2.0f;
  tank.waypointCount = 2;
  tank.waypoints[0].pointKind = 2;
  tank.waypoints[1].pointKind = 3;
  tank.CapDelayByRating(true);
  EXPECT_FLOAT_EQ(tank.commandDelay, 1.0f);
  EXPECT_FLOAT_EQ(tank.speed, 0.0f);
  EXPECT_EQ(tank.waypoints[1].pointKind, 1);
  // Withdrawing keeps the delay; a shorter delay is kept.
  tank.withdraw = 1;
  tank.commandDelay = 30.0f;
  tank.CapDelayByRating(false);
  EXPECT_FLOAT_EQ(tank.commandDelay, 30.0f);
  tank.withdraw = 0;
  tank.commandDelay = 0.5f;
  tank.CapDelayByRating(false);
  EXPECT_FLOAT_EQ(tank.commandDelay, 0.5f);
  // Adding a freely movable route with the cap flag caps the delay.
  Foot capped;
  capped.squad = true;
  capped.rating = 2;
  capped.commandDelay = 100.0f;
  capped.AddWaypoint(50.0f, 50.0f, kOrderMove, true, false, true, true);
  EXPECT_FLOAT_EQ(capped.commandDelay, 33.0f);
}

TEST(UnitOrdersDeathTest, UnlistedMoveCodesAndEmptyListsStop) {
  EXPECT_DEATH(Unit::MoveModeOfOrder(kOrderWithdraw), "Unit.cpp");
  EXPECT_DEATH(Unit::MoveModeOfOrder(kOrderHide), "Unit.cpp");
  Foot unit;
  float px = 0.0f;
  float py = 0.0f;
  EXPECT_DEATH(unit.GetLastWaypoint(px, py), "Unit.cpp");
  EXPECT_DEATH(unit.SetSelectedWaypointMode(kOrderMove), "Unit.cpp");
}

TEST(UnitOrders, MoveModesOfTheOrderCodes) {
  const int32_t codes[] = {kOrderReverse, kOrderMove, kOrderHunt, kOrderFastMove,
                           kOrderSneak,   kOrderRun,  kOrderCrawl, kOrderRotate};
  const int32_t modes[] = {-1, 1, 2, 3, 4, 5, 7, 9};
  for (int32_t i = 0; i < 8; ++i) EXPECT_EQ(Unit::MoveModeOfOrder(codes[i]), modes[i]) << codes[i];
}

// ---- Turn start and end ----

TEST(UnitOrders, TurnStartAddsPausesWithOneDrawAndRecordsTheOpeningPacket) {
  OrdersRig rig;
  Foot unit;
  unit.pendingDelaySteps = 2;
  unit.commandDelay = 0.0f;
  unit.flagBytes[Unit::kHoldFlag] = 1;
  unit.stateChanged = 1;
  unit.sliceCounter = 77;
  unit.incomingFire = 300;
  unit.routeTries = 0;
  SeedRandom(1234);
  RandomFloat();
  const uint32_t afterOne = RandomState();
  SeedRandom(1234);
  unit.BeginTurn();
  EXPECT_EQ(RandomState(), afterOne);
  EXPECT_GE(unit.commandDelay, 28.0f);
  EXPECT_LT(unit.commandDelay, 32.0f);
  EXPECT_EQ(unit.pendingDelaySteps, 0);
  EXPECT_EQ(unit.flagBytes[Unit::kTurnStartHoldFlag], 1);
  EXPECT_EQ(unit.stateChanged, 0);
  EXPECT_EQ(unit.sliceCounter, 0);
  EXPECT_EQ(unit.incomingFire, 0);
  EXPECT_EQ(unit.routeTries, 5);
  EXPECT_EQ(unit.routeStamp, -9999);
  EXPECT_EQ(unit.lastMovingSlice, -1);
  EXPECT_EQ(unit.nextActionSlice, Unit::kNoActionSlice);
  ASSERT_EQ(rig.world.statePackets.size(), 1u);
  EXPECT_EQ(rig.world.statePackets[0].slice, -1);
  EXPECT_EQ(rig.world.statePackets[0].lifeCode, UnitStatePacket::kRevived);
  // No delay draws nothing; an absent unit's opening packet keeps it absent.
  Foot absent;
  absent.alive = 0;
  const uint32_t before = RandomState();
  absent.BeginTurn();
  EXPECT_EQ(RandomState(), before);
  EXPECT_FLOAT_EQ(absent.commandDelay, 0.0f);
  ASSERT_EQ(rig.world.statePackets.size(), 2u);
  EXPECT_EQ(rig.world.statePackets[1].lifeCode, UnitStatePacket::kDead);
  EXPECT_EQ(rig.world.statePackets[1].slice, -1);
  // A small delay is never pushed below 0.
  for (uint32_t seed = 1; seed < 40; ++seed) {
    SeedRandom(seed);
    absent.commandDelay = 0.5f;
    absent.BeginTurn();
    EXPECT_GE(absent.commandDelay, 0.0f);
    EXPECT_LT(absent.commandDelay, 2.5f);
  }
}

TEST(UnitOrders, TurnEndDropsLostTargetsAndRecordsWhenAsked) {
  OrdersRig rig;
  Foot unit;
  Foot gone;
  gone.alive = 0;
  unit.target = &gone;
  unit.withdraw = 1;
  unit.RefreshTarget(true);
  EXPECT_EQ(unit.target, nullptr);
  EXPECT_EQ(unit.withdraw, 0);
  EXPECT_TRUE(rig.world.statePackets.empty());
  unit.stateChanged = 1;
  unit.RefreshTarget(true);
  EXPECT_EQ(rig.world.statePackets.size(), 1u);
  EXPECT_EQ(unit.stateChanged, 0);
  unit.RefreshTarget(false);
  EXPECT_EQ(rig.world.statePackets.size(), 2u);
  // A target absent when ordered stays while it is active.
  gone.alive = 1;
  unit.target = &gone;
  unit.flagBytes[Unit::kTargetAbsentFlag] = 1;
  unit.RefreshTarget(false);
  EXPECT_EQ(unit.target, &gone);
  gone.status = 1;
  unit.RefreshTarget(false);
  EXPECT_EQ(unit.target, nullptr);
  unit.firingTimer = 3.0f;
  unit.sliceCounter = 40;
  unit.ResetSliceCounter();
  EXPECT_FLOAT_EQ(unit.firingTimer, 0.0f);
  EXPECT_EQ(unit.sliceCounter, 0);
}

TEST(UnitOrders, CancelAndRemoveLastWaypoint) {
  OrdersRig rig;
  Foot unit;
  Place(unit, 100.0f, 100.0f);
  unit.AddWaypoint(110.0f, 100.0f, kOrderMove, true, false, false, true);
  unit.AddWaypoint(120.0f, 100.0f, kOrderMove, true, false, false, true);
  unit.AddWaypoint(130.0f, 100.0f, kOrderMove, true);
  unit.RemoveLastWaypoint();
  EXPECT_EQ(unit.waypointCount, 2);
  EXPECT_EQ(unit.waypoints[1].pointKind, 1);  // was 0
  EXPECT_EQ(rig.screen.waypointDisplayRefreshes, 1);
  unit.waypoints[0].pointKind = 2;
  unit.RemoveLastWaypoint();
  EXPECT_EQ(unit.waypoints[0].pointKind, 3);
  unit.withdraw = 1;
  unit.pendingDelaySteps = 3;
  unit.commandDelay = 4.0f;
  rig.world.Battle().selectedWaypoint = 0;
  const int32_t drops = unit.burstDrops;
  unit.RemoveLastWaypoint();  // the last one cancels the move orders
  EXPECT_EQ(unit.waypointCount, 0);
  EXPECT_EQ(unit.withdraw, 0);
  EXPECT_EQ(unit.pendingDelaySteps, 0);
  EXPECT_FLOAT_EQ(unit.commandDelay, 0.0f);
  EXPECT_EQ(rig.world.Battle().selectedWaypoint, -1);
  EXPECT_EQ(unit.burstDrops, drops + 1);  // the viewer's own unit
  rig.world.Battle().selectedWaypoint = 0;
  EXPECT_EQ(unit.CanTakeOrder(kOrderCancelMoves), false);
}

// ---- Order availability ----

TEST(UnitOrders, OrderAvailabilityForInfantry) {
  OrdersRig rig;
  Foot unit;
  unit.ammo[0] = 10;
  // Fatigue 3: sneak still, run no more; 4: neither.
  unit.fatigueLevel = 3;
  EXPECT_TRUE(unit.CanTakeOrder(kOrderSneak));
  EXPECT_FALSE(unit.CanTakeOrder(kOrderRun));
  unit.fatigueLevel = 4;
  EXPECT_FALSE(unit.CanTakeOrder(kOrderSneak));
  unit.fatigueLevel = 0;
  for (int32_t code : {kOrderFastMove, kOrderSneak, kOrderCrawl, kOrderRun, kOrderWithdraw, kOrderPause, kOrderRotate,
                       kOrderTarget, kOrderNextTarget, kOrderLineOfSight}) {
    EXPECT_TRUE(unit.CanTakeOrder(code)) << code;
  }
  for (int32_t code : {21, 22, 23, 28, 34, 35, 36, 37, 39, 40, 41, 42, 19, 52, -1}) {
    EXPECT_FALSE(unit.CanTakeOrder(code)) << code;
  }
  // With a waypoint selected only the movement codes 20 to 26 can pass.
  unit.AddWaypoint(50.0f, 50.0f, kOrderMove, true);
  rig.world.Battle().selectedWaypoint = 0;
  for (int32_t code = 0; code < 60; ++code) {
    if (code < kOrderFastMove || code > kOrderRun) {
      EXPECT_FALSE(unit.CanTakeOrder(code)) << code;
    }
  }
  EXPECT_TRUE(unit.CanTakeOrder(kOrderFastMove));
  rig.world.Battle().selectedWaypoint = -1;
  EXPECT_TRUE(unit.CanTakeOrder(kOrderCancelMoves));
  // Carried: no move orders of its own, but it may cancel.
  unit.carried = true;
  for (int32_t code : {kOrderFastMove, kOrderSneak, kOrderCrawl, kOrderRun, kOrderWithdraw, kOrderPause, kOrderHide}) {
    EXPECT_FALSE(unit.CanTakeOrder(code)) << code;
  }
  EXPECT_TRUE(unit.CanTakeOrder(kOrderCancelMoves));
  unit.carried = false;
  // Surrendered: no sneaking, crawling, running, firing or hiding in rubble.
  unit.surrendered = true;
  for (int32_t code : {kOrderSneak, kOrderCrawl, kOrderRun, kOrderWithdraw, kOrderTarget, kOrderLineOfSight}) {
    EXPECT_FALSE(unit.CanTakeOrder(code)) << code;
  }
  unit.surrendered = false;
  // Hide: infantry with a move order may still hide once at its last point or firing.
  unit.mainWeapon = true;
  EXPECT_TRUE(unit.CanFireAtPoints());
  EXPECT_TRUE(unit.CanTakeOrder(kOrderAreaTarget));
  rig.world.app.editorOpen = true;
  EXPECT_FALSE(unit.CanTakeOrder(kOrderAreaTarget));
  rig.world.app.editorOpen = false;
  // Out of ammunition: no fire orders.
  unit.ammo[0] = 0;
  EXPECT_FALSE(unit.CanTakeOrder(kOrderTarget));
  EXPECT_FALSE(unit.CanTakeOrder(kOrderNextTarget));
  // Smoke needs smoke rounds.
  unit.ammo[4] = 2;
  EXPECT_TRUE(unit.CanTakeOrder(kOrderSmoke));
}

TEST(UnitOrders, OrderAvailabilityForVehiclesAndTheSetUpPhase) {
  OrdersRig rig;
  Tank tank;
  tank.ammo[1] = 5;
  tank.mainWeapon = true;
  for (int32_t code : {kOrderFastMove, kOrderReverse, kOrderMove, kOrderHunt, kOrderPause, kOrderRotate, kOrderTarget,
                       kOrderLineOfSight}) {
    EXPECT_TRUE(tank.CanTakeOrder(code)) << code;
  }
  for (int32_t code : {kOrderSneak, kOrderCrawl, kOrderRun, kOrderWithdraw}) {
    EXPECT_FALSE(tank.CanTakeOrder(code)) << code;
  }
  // A gun pointing to the rear cannot hunt.
  tank.record[84] = 0xF6;
  tank.record[85] = 0xFF;
  EXPECT_FALSE(tank.CanTakeOrder(kOrderHunt));
  // Immobile: still cancels, fires and everything down to 41 where its own tests pass.
  tank.immobilized = 1;
  tank.AddWaypoint(50.0f, 50.0f, kOrderRotate, true);
  tank.waypointCount = 1;
  for (int32_t code : {kOrderFastMove, kOrderReverse, kOrderMove, kOrderHunt, kOrderPause, kOrderRotate}) {
    EXPECT_FALSE(tank.CanTakeOrder(code)) << code;
  }
  for (int32_t code : {kOrderCancelMoves, kOrderTarget, kOrderNextTarget, kOrderLineOfSight}) {
    EXPECT_TRUE(tank.CanTakeOrder(code)) << code;
  }
  // A carrier with empty passenger places takes only 38.
  Tank carrier;
  carrier.boat = true;
  carrier.ammo[0] = 5;
  for (int32_t code = 0; code < 60; ++code) EXPECT_EQ(carrier.CanTakeOrder(code), code == kOrderLineOfSight) << code;
  // The set-up phase.
  rig.world.Battle().setupPhase = true;
  Foot foot;
  EXPECT_TRUE(foot.CanTakeOrder(kOrderLineOfSight));
  EXPECT_TRUE(foot.CanTakeOrder(kOrderSetupMove));
  EXPECT_TRUE(foot.CanTakeOrder(kOrderSetupPlace));
  EXPECT_TRUE(foot.CanTakeOrder(kOrderSetupFacing));
  EXPECT_FALSE(foot.CanTakeOrder(kOrderFastMove));
  EXPECT_FALSE(foot.CanTakeOrder(kOrderHoldPlace));
  foot.setupZone = 7;
  EXPECT_FALSE(foot.CanTakeOrder(kOrderSetupMove));
  EXPECT_FALSE(foot.CanTakeOrder(kOrderSetupPlace));
  foot.passenger = true;
  EXPECT_FALSE(foot.CanTakeOrder(kOrderSetupFacing));
  rig.world.app.editorOpen = true;
  EXPECT_TRUE(foot.CanTakeOrder(kOrderSetupMove));
  EXPECT_TRUE(foot.CanTakeOrder(kOrderHoldPlace));
  EXPECT_FALSE(foot.CanTakeOrder(kOrderFlagPick));
}

// ---- Routes ----

TEST(UnitRoutes, UsedTriesAndQuickRetriesGoToTheSweep) {
  OrdersRig rig;
  Foot unit;
  Place(unit, 400.0f, 400.0f);
  unit.AddWaypoint(500.0f, 400.0f, kOrderMove, true);
  unit.routeTries = 1;
  unit.routeStamp = -9999;
  EXPECT_TRUE(unit.FindRoute(false, false, false));
  // The sweep took the first direction, 15 degrees: 15 m out.
  EXPECT_NEAR(unit.waypoints[0].x, 400.0f + 15.0f * std::cos(15.0f * kRad), 1e-3f);
  EXPECT_NEAR(unit.waypoints[0].y, 400.0f + 15.0f * std::sin(15.0f * kRad), 1e-3f);
  EXPECT_EQ(unit.waypointCount, 2);  // the goal follows
  EXPECT_FLOAT_EQ(unit.waypoints[1].x, 500.0f);
  EXPECT_EQ(unit.routeTries, 0);

  // The second search within 4 slices sweeps too.
  Foot quick;
  Place(quick, 400.0f, 400.0f);
  quick.AddWaypoint(500.0f, 400.0f, kOrderMove, true);
  quick.routeTries = 5;
  quick.routeStamp = 97;
  EXPECT_TRUE(quick.FindRoute(false, false, false));
  EXPECT_EQ(quick.routeTries, 4);
  EXPECT_NEAR(quick.waypoints[0].x, 400.0f + 15.0f * std::cos(15.0f * kRad), 1e-3f);
}

TEST(UnitRoutes, NoTriesLeftCancelsTheMoveAndTheCountNeverWraps) {
  // With the turn's tries spent, a route asked for again ends the move orders rather than
  // sweeping once more, and the count stays where it is however often it is asked.
  OrdersRig rig;
  Foot unit;
  Place(unit, 400.0f, 400.0f);
  unit.AddWaypoint(500.0f, 400.0f, kOrderMove, true);
  unit.routeTries = 0;
  unit.routeStamp = -9999;
  for (int32_t call = 0; call < 300; ++call) {
    unit.AddWaypoint(500.0f, 400.0f, kOrderMove, true);
    EXPECT_TRUE(unit.FindRoute(false, false, false));
    ASSERT_EQ(unit.waypointCount, 0) << "call " << call;
    ASSERT_EQ(unit.routeTries, 0) << "call " << call;
  }
  EXPECT_FLOAT_EQ(unit.x, 400.0f);
}

TEST(UnitRoutes, SweepOrderAndTheWideLimit) {
  OrdersRig rig;
  Foot unit;
  Place(unit, 400.0f, 400.0f);
  unit.AddWaypoint(300.0f, 400.0f, kOrderMove, true);
  unit.AddWaypoint(200.0f, 400.0f, kOrderMove, true);
  // Everything ahead is closed: 97.5 fails on its first step, 105 is the first free one.
  unit.refuseFromX = 399.9f;
  EXPECT_TRUE(unit.FindRoute(true, false, false));
  EXPECT_NEAR(unit.waypoints[0].x, 400.0f + 15.0f * std::cos(105.0f * kRad), 1e-3f);
  EXPECT_NEAR(unit.waypoints[0].y, 400.0f + 15.0f * std::sin(105.0f * kRad), 1e-3f);
  EXPECT_EQ(unit.waypoints[0].pointKind, 0);
  EXPECT_EQ(unit.waypointCount, 2);
  EXPECT_FLOAT_EQ(unit.x, 400.0f);
  EXPECT_FLOAT_EQ(unit.facing, 0.0f);
  // The wide sweep stops below 91 degrees.
  Foot wide;
  Place(wide, 400.0f, 400.0f);
  wide.AddWaypoint(300.0f, 400.0f, kOrderMove, true);
  wide.refuseFromX = 399.9f;
  EXPECT_FALSE(wide.FindRoute(true, true, false));
  EXPECT_FLOAT_EQ(wide.waypoints[0].x, 300.0f);
  // Nothing free anywhere: false, nothing changed.
  wide.refuseAll = true;
  EXPECT_FALSE(wide.FindRoute(true, false, false));
  EXPECT_EQ(wide.waypointCount, 1);
}

TEST(UnitRoutes, VehicleSweepBacksUpFirstAndTurnsFast) {
  OrdersRig rig;
  Tank tank;
  Place(tank, 400.0f, 400.0f);
  tank.AddWaypoint(300.0f, 400.0f, kOrderMove, true);
  // 5 m back is free, ahead of it closed: 90 and 97.5 degrees fail, 105 is free.
  tank.refuseFromX = 394.9f;
  tank.allowX = 395.0f;
  tank.allowY = 400.0f;
  EXPECT_TRUE(tank.FindRoute(true, false, false));
  ASSERT_EQ(tank.waypointCount, 3);
  EXPECT_FLOAT_EQ(tank.waypoints[0].x, 395.0f);  // the backward move, reversing
  EXPECT_EQ(tank.waypoints[0].moveMode, -1);
  EXPECT_EQ(tank.waypoints[1].moveMode, 3);  // a direction past 90 degrees
  EXPECT_FLOAT_EQ(tank.waypoints[2].x, 300.0f);
  EXPECT_FLOAT_EQ(tank.x, 400.0f);
}

TEST(UnitRoutes, FoundPathsReplaceTheFirstWaypoint) {
  OrdersRig rig;
  Foot unit;
  Place(unit, 100.0f, 100.0f);
  unit.AddWaypoint(300.0f, 120.0f, kOrderHunt, true);
  unit.AddWaypoint(320.0f, 140.0f, kOrderMove, true);
  unit.routeTries = 5;
  unit.routeStamp = -9999;
  EXPECT_TRUE(unit.FindRoute(false, false, true));
  EXPECT_EQ(unit.routeTries, 4);
  EXPECT_EQ(unit.routeStamp, 100);
  ASSERT_GE(unit.waypointCount, 2);
  EXPECT_LE(unit.waypointCount, 50);
  const Waypoint& last = unit.waypoints[static_cast<size_t>(unit.waypointCount - 1)];
  EXPECT_FLOAT_EQ(last.x, 320.0f);
  EXPECT_EQ(last.pointKind, 1);
  const Waypoint& reached = unit.waypoints[static_cast<size_t>(unit.waypointCount - 2)];
  EXPECT_NEAR(reached.x, 300.0f, 2.0f);
  EXPECT_EQ(reached.moveMode, 2);
  EXPECT_EQ(unit.inserts, 1);
  EXPECT_FLOAT_EQ(unit.insertX, 100.0f);

  // Long paths: the list is cut to 50 and ends on kind 1.
  Foot full;
  for (int32_t i = 0; i < 10; ++i) full.AddWaypoint(10.0f * static_cast<float>(i), 5.0f, 22, true);
  PathPoints points;
  points.count = 45;
  for (int32_t i = 0; i < 45; ++i) {
    points.x[i] = static_cast<float>(i);
    points.y[i] = 1.0f;
  }
  full.ReplaceFirstWaypointByPath(points, rig.GetMap());
  EXPECT_EQ(full.waypointCount, 50);
  EXPECT_FLOAT_EQ(full.waypoints[44].x, 44.0f);
  EXPECT_FLOAT_EQ(full.waypoints[45].x, 10.0f);  // the second waypoint follows the path
  EXPECT_EQ(full.waypoints[49].pointKind, 1);
  EXPECT_EQ(full.waypoints[0].pointKind, 0);

  // A dead unit's orders are cancelled.
  Foot dead;
  dead.alive = 0;
  dead.AddWaypoint(50.0f, 50.0f, kOrderMove, true);
  dead.alive = 0;
  EXPECT_TRUE(dead.FindRoute(false, false, false));
  EXPECT_EQ(dead.waypointCount, 0);
}

TEST(UnitRoutes, CheckPathAheadReplansOnlyWhenBlocked) {
  OrdersRig rig;
  Foot unit;
  Place(unit, 100.0f, 100.0f);
  unit.AddWaypoint(200.0f, 100.0f, kOrderMove, true);
  unit.routeTries = 5;
  unit.routeStamp = -9999;
  unit.speed = 0.1f;
  unit.CheckPathAhead();
  EXPECT_EQ(unit.routeTries, 5);
  unit.refuseFromX = 110.0f;  // 12.5 m ahead is closed
  unit.CheckPathAhead();
  EXPECT_LT(unit.routeTries, 5);
}

// ---- Turning and catching up ----

TEST(UnitRoutes, TurningTowardAPoint) {
  OrdersRig rig;
  Foot unit;
  Place(unit, 100.0f, 100.0f, 90.0f);
  unit.turnStep = 5.0f;
  gUnitStateChanged = 0;
  // Within 0.03 degrees: the facing stays, the turning stops.
  unit.turnRate = 2.0f;
  EXPECT_TRUE(unit.TurnToward(100.0f + 1000.0f * std::cos(90.01f * kRad), 100.0f + 1000.0f * std::sin(90.01f * kRad), false));
  EXPECT_FLOAT_EQ(unit.facing, 90.0f);
  EXPECT_FLOAT_EQ(unit.turnRate, 0.0f);
  EXPECT_EQ(gUnitStateChanged, 1);
  gUnitStateChanged = 0;
  // Within the step: the facing becomes the bearing.
  EXPECT_TRUE(unit.TurnToward(100.0f, 200.0f + 0.0f, false));
  EXPECT_EQ(gUnitStateChanged, 0);
  EXPECT_TRUE(unit.TurnToward(100.0f + 100.0f * std::cos(93.0f * kRad), 100.0f + 100.0f * std::sin(93.0f * kRad), false));
  EXPECT_NEAR(unit.facing, 93.0f, 1e-3f);
  EXPECT_EQ(gUnitStateChanged, 1);
  // Farther: turn by the step toward it, the short way round.
  gUnitStateChanged = 0;
  EXPECT_FALSE(unit.TurnToward(200.0f, 100.0f, false));  // bearing 0: clockwise
  EXPECT_FLOAT_EQ(unit.turnRate, -5.0f);
  EXPECT_EQ(gUnitStateChanged, 1);
  gUnitStateChanged = 0;
  EXPECT_FALSE(unit.TurnToward(200.0f, 100.0f, false));
  EXPECT_EQ(gUnitStateChanged, 0);  // no change, no mark
  EXPECT_FALSE(unit.TurnToward(0.0f, 100.0f, false));  // bearing 180
  EXPECT_FLOAT_EQ(unit.turnRate, 5.0f);
  // Away: the back turns toward the point.
  EXPECT_FALSE(unit.TurnToward(0.0f, 100.0f, true));
  EXPECT_FLOAT_EQ(unit.turnRate, -5.0f);
  unit.facing = 2.0f;
  EXPECT_TRUE(unit.TurnToward(0.0f, 100.0f, true));
  EXPECT_NEAR(unit.facing, 0.0f, 1e-3f);
}

TEST(UnitRoutes, AdvanceByCatchesUpTheSlicesMissed) {
  OrdersRig rig;
  Foot unit;
  Place(unit, 100.0f, 100.0f, 90.0f);
  unit.speed = 0.1f;
  unit.turnRate = 0.0f;
  unit.sliceCounter = 60;
  unit.goalGunElevation = 3.0f;
  unit.AdvanceBy(100, 100);
  EXPECT_NEAR(unit.x, 100.0f, 1e-3f);
  EXPECT_NEAR(unit.y, 104.0f, 1e-3f);
  EXPECT_FLOAT_EQ(unit.gunElevation, 3.0f);  // 40 x 0.15 would pass the goal
  EXPECT_EQ(unit.sliceCounter, 100);
  // Turning wraps once; a lagging call of another slice only sets the counter.
  unit.facing = 350.0f;
  unit.turnRate = 1.0f;
  unit.sliceCounter = 80;
  unit.AdvanceBy(100, 100);
  EXPECT_FLOAT_EQ(unit.facing, 10.0f);
  unit.AdvanceBy(90, 120);
  EXPECT_EQ(unit.sliceCounter, 120);
  EXPECT_FLOAT_EQ(unit.facing, 10.0f);
}

// ---- Target value and shot timing ----

namespace {
class Marked : public Foot {
 public:
  bool DrawsImmediateFire() const override { return true; }
};
}  // namespace

TEST(UnitRoutes, ShotTimingByKindTargetAndEnemyNearby) {
  OrdersRig rig;
  Foot gunner;
  gunner.answersWeapon = true;
  gunner.weaponId = 10;
  gunner.weaponType = 1;
  Place(gunner, 100.0f, 100.0f);
  Foot near;
  Place(near, 130.0f, 100.0f);
  gunner.target = &near;
  gunner.sliceCount = 199;
  EXPECT_FALSE(gunner.CheckShotTiming());
  gunner.sliceCount = 200;
  EXPECT_TRUE(gunner.CheckShotTiming());
  gunner.firingTimer = 0.5f;
  EXPECT_FALSE(gunner.CheckShotTiming());
  gunner.firingTimer = 0.0f;
  // An enemy 50 m away at count 80: the test reads 160 and does not fire yet.
  Foot enemy;
  enemy.side = 0;
  Place(enemy, 150.0f, 100.0f);
  rig.world.Lend(&enemy);
  gunner.sliceCount = 80;
  EXPECT_FALSE(gunner.CheckShotTiming());
  Place(enemy, 101.0f, 100.0f);  // 1 m: 80 + 158 = 238
  EXPECT_TRUE(gunner.CheckShotTiming());
  gunner.sliceCount = 81;  // only on multiples of 40
  EXPECT_FALSE(gunner.CheckShotTiming());
  rig.world.TakeBackLent();
  // Far target: code 6.
  Place(near, 300.0f, 100.0f);
  gunner.sliceCount = 319;
  EXPECT_FALSE(gunner.CheckShotTiming());
  gunner.sliceCount = 320;
  EXPECT_TRUE(gunner.CheckShotTiming());

  // A buttoned vehicle with a far target: 480, or 880 with flag 2048.
  Tank tank;
  tank.mainWeapon = true;
  tank.buttoned = true;
  tank.target = &near;
  tank.sliceCount = 479;
  EXPECT_FALSE(tank.CheckShotTiming());
  tank.sliceCount = 480;
  EXPECT_TRUE(tank.CheckShotTiming());
  tank.record[213] = 0x08;  // flag word 2048
  EXPECT_FALSE(tank.CheckShotTiming());
  tank.sliceCount = 880;
  EXPECT_TRUE(tank.CheckShotTiming());
  tank.mainWeapon = false;  // nothing to fire
  EXPECT_FALSE(tank.CheckShotTiming());
  // A target its class marks is fired at once.
  Marked marked;
  tank.mainWeapon = true;
  tank.target = &marked;
  tank.sliceCount = 1;
  EXPECT_TRUE(tank.CheckShotTiming());
  gunner.target = &marked;
  gunner.sliceCount = 1;
  EXPECT_FALSE(gunner.CheckShotTiming());  // infantry waits
}

TEST(UnitRoutes, TargetValueIsCostTimesTerrainTimesOneDraw) {
  OrdersRig rig;
  Foot dead;
  dead.alive = 0;
  EXPECT_FLOAT_EQ(dead.GetTargetValue(), 0.0f);
  Foot unit;
  Place(unit, 100.0f, 100.0f);
  unit.indirect = true;  // at least 15
  SeedRandom(99);
  RandomFloat();
  const uint32_t afterOne = RandomState();
  SeedRandom(99);
  const float draw = RandomFloat();
  SeedRandom(99);
  const float value = unit.GetTargetValue();
  EXPECT_EQ(RandomState(), afterOne);
  const float terrain = TerrainFactorAt(rig.GetMap(), 100.0f, 100.0f, rig.world.Battle().season);
  EXPECT_FLOAT_EQ(value, 15.0f * terrain * draw);
  EXPECT_GT(value, 0.0f);
}

// ---- Escape from fire and bail-out ----

namespace {

// The crew the bail-out makes, counting what it is asked.
class Crew : public Foot {
 public:
  void FindNearbySpot() override { ++spotSearches; }
  void TakeCasualties(int32_t count, float chance) override {
    casualties += count;
    casualtyChance = chance;
  }
  int32_t spotSearches = 0;
  int32_t casualties = 0;
  float casualtyChance = 0.0f;
};

Unit* MakeCrew(int32_t classIndex, int32_t code, int32_t) {
  auto* crew = new Crew();
  crew->classIndex = classIndex;
  crew->Setup(0.0f, 0.0f, 0.0f, code, 2);
  crew->men = 8;
  return crew;
}

struct BailOutRig : OrdersRig {
  BailOutRig() { RegisterUnitMaker(0, MakeCrew); }
  Crew& CrewAt(size_t i) { return static_cast<Crew&>(*AddedAt(i)); }
};

}  // namespace

TEST(UnitBailOut, CrewSizeClassAndHandOver) {
  BailOutRig rig;
  Tank axis;
  axis.Setup(200.0f, 200.0f, 30.0f, 6, 3);  // group 0
  axis.side = 1;
  axis.men = 5;
  axis.SetDesignation(3, 7);
  axis.leaderName = 12;
  axis.identificationLevel = 3;
  Unit* crew = axis.BailOutCrew(false);
  ASSERT_NE(crew, nullptr);
  ASSERT_EQ(rig.Added(), 1u);
  EXPECT_EQ(crew, rig.AddedAt(0));
  EXPECT_EQ(crew->classIndex, 208);
  EXPECT_EQ(crew->GetLetterCode(), 3);
  EXPECT_EQ(crew->GetDesignationNumber(), 7);
  EXPECT_EQ(crew->leaderName, 12);
  EXPECT_EQ(crew->identificationLevel, 3);
  EXPECT_EQ(crew->countsForPoints, 0);
  EXPECT_EQ(crew->rating, 3);
  EXPECT_FLOAT_EQ(crew->suppression, 90.0f);
  EXPECT_EQ(crew->alive, 0);  // comes onto the field later
  EXPECT_EQ(rig.CrewAt(0).casualties, 0);
  EXPECT_EQ(rig.CrewAt(0).spotSearches, 1);
  EXPECT_EQ(axis.alive, 0);  // eliminated

  Tank allied;
  allied.Setup(200.0f, 200.0f, 30.0f, 0, 2);  // group 1
  allied.men = 9;
  allied.identificationLevel = 1;  // not identified
  Unit* team = allied.BailOutCrew(false);
  ASSERT_NE(team, nullptr);
  EXPECT_EQ(team->classIndex, 46);
  EXPECT_EQ(team->identificationLevel, 0);
  EXPECT_EQ(rig.CrewAt(1).casualties, 2);
  EXPECT_FLOAT_EQ(rig.CrewAt(1).casualtyChance, 1.0f);
  Tank second;
  second.Setup(200.0f, 200.0f, 30.0f, 3, 2);  // group 2
  second.men = 9;
  EXPECT_EQ(second.BailOutCrew(false)->classIndex, 111);

  // Nobody left, or a carrier: nothing.
  Tank empty;
  empty.Setup(0.0f, 0.0f, 0.0f, 0, 2);
  EXPECT_EQ(empty.BailOutCrew(false), nullptr);
  Tank carrier;
  carrier.Setup(0.0f, 0.0f, 0.0f, 0, 2);
  carrier.men = 3;
  carrier.boat = true;
  EXPECT_EQ(carrier.BailOutCrew(false), nullptr);
  EXPECT_EQ(rig.Added(), 3u);

  // A gun crew hands over its suppression and all its men leave.
  Foot gun;
  gun.Setup(0.0f, 0.0f, 0.0f, 0, 2);
  gun.men = 4;
  gun.suppression = 55.0f;
  Unit* gunners = gun.BailOutCrew(false);
  ASSERT_NE(gunners, nullptr);
  EXPECT_FLOAT_EQ(gunners->suppression, 55.0f);
  EXPECT_EQ(gun.losses, 4);
}

TEST(UnitBailOut, PacketsDelaysAndTheHatchSound) {
  BailOutRig rig;
  rig.world.Battle().currentSlice = 500;
  Tank tank;
  tank.Setup(200.0f, 200.0f, 90.0f, 6, 2);
  tank.side = 1;
  tank.men = 4;
  tank.armored = true;
  tank.record[168] = 10;  // closed top
  tank.record[170] = 10;
  tank.speed = 0.2f;  // 0.2 x 2666.67 + 1 = 534 slices: more than any drawn wait
  rig.world.statePackets.clear();
  tank.BailOutCrew(false);
  Crew& crew = rig.CrewAt(0);
  ASSERT_EQ(rig.world.statePackets.size(), 2u);
  EXPECT_EQ(rig.world.statePackets[0].slice, -2);
  EXPECT_EQ(rig.world.statePackets[0].lifeCode, UnitStatePacket::kDead);
  EXPECT_EQ(rig.world.statePackets[1].lifeCode, UnitStatePacket::kRevived);
  EXPECT_EQ(rig.world.statePackets[1].slice, 500 + 534 - 1);
  EXPECT_EQ(crew.nextActionSlice, 500 + 534);
  EXPECT_EQ(crew.sliceCounter, 500);
  EXPECT_GE(crew.commandDelay, 5.0f);
  EXPECT_LE(crew.commandDelay, 8.0f);
  ASSERT_EQ(rig.world.soundPackets.size(), 1u);
  EXPECT_EQ(rig.world.soundPackets[0].slice, 500 + 534);
  EXPECT_EQ(Unit::gSoundDelay, 0);

  // A slow vehicle waits (random(50) + 40) x 4; an open top plays no hatch sound.
  Tank open;
  open.Setup(200.0f, 200.0f, 90.0f, 6, 2);
  open.men = 3;
  open.armored = true;
  rig.world.statePackets.clear();
  open.BailOutCrew(false);
  const int32_t wait = rig.CrewAt(1).nextActionSlice - 500;
  EXPECT_GE(wait, 160);
  EXPECT_LE(wait, 356);
  EXPECT_EQ(wait % 4, 0);
  EXPECT_EQ(rig.world.soundPackets.size(), 1u);

  // A kind-6 vehicle's crew walks 10 m behind it and faces away.
  Tank bunker;
  bunker.Setup(200.0f, 200.0f, 90.0f, 6, 2);
  bunker.men = 2;
  bunker.emplacement = true;
  bunker.armored = true;
  bunker.record[168] = 10;
  bunker.record[170] = 10;
  bunker.BailOutCrew(false);
  Crew& walkers = rig.CrewAt(2);
  ASSERT_EQ(walkers.waypointCount, 1);
  EXPECT_NEAR(walkers.waypoints[0].x, 200.0f, 1e-3f);
  EXPECT_NEAR(walkers.waypoints[0].y, 190.0f, 1e-3f);
  EXPECT_FLOAT_EQ(walkers.facing, 270.0f);
  EXPECT_EQ(walkers.spotSearches, 0);
  EXPECT_EQ(rig.world.soundPackets.size(), 1u);

  // After the battle the crew is alive at once and records nothing.
  rig.world.Battle().endState[0] = 2;  // a side surrendered: the battle is over
  rig.world.statePackets.clear();
  Tank late;
  late.Setup(200.0f, 200.0f, 90.0f, 6, 2);
  late.men = 2;
  Unit* crewLate = late.BailOutCrew(false);
  EXPECT_EQ(crewLate->alive, 1);
  EXPECT_TRUE(rig.world.statePackets.empty());

  // Between the battles of an operation too: out at once, tied to its vehicle, no packets,
  // no spot searched, no waiting; its draws are those of a crew after the battle, the facing
  // first.
  Campaign& operation = rig.world.MakeOperation();
  std::vector<std::unique_ptr<Unit>> taken;  // the crews the operation took
  const auto bail = [&rig, &operation, &taken](bool over, bool between, uint32_t& stateAfter) {
    rig.world.Battle().endState[0] = over ? 2 : 0;
    // Between battles the operation's own host answers the orders for as long as it works.
    std::optional<CampaignUnitHost> working;
    if (between) working.emplace(operation);
    auto tank = std::make_unique<Tank>();
    tank->Setup(200.0f, 200.0f, 90.0f, 6, 2);
    tank->men = 3;
    tank->armored = true;
    SeedRandom(5);
    Unit* crew = tank->BailOutCrew(false);
    stateAfter = RandomState();
    if (working) {
      for (Unit* unit : working->TakeCrews()) taken.emplace_back(unit);
    }
    EXPECT_EQ(tank->alive, 0);
    EXPECT_EQ(static_cast<Crew*>(crew)->origin, tank.get());
    return std::make_pair(std::move(tank), static_cast<Crew*>(crew));
  };
  uint32_t afterBattle = 0;
  uint32_t betweenBattles = 0;
  bail(true, false, afterBattle);
  rig.world.statePackets.clear();
  const size_t sounds = rig.world.soundPackets.size();
  auto [repaired, out] = bail(false, true, betweenBattles);
  EXPECT_EQ(betweenBattles, afterBattle);
  SeedRandom(5);
  EXPECT_FLOAT_EQ(out->facing, static_cast<float>(Random(360)));
  EXPECT_EQ(out->alive, 1);
  EXPECT_EQ(out->nextActionSlice, Unit::kNoActionSlice);
  EXPECT_EQ(out->waypointCount, 0);
  EXPECT_EQ(out->spotSearches, 0);
  EXPECT_TRUE(rig.world.statePackets.empty());
  EXPECT_EQ(rig.world.soundPackets.size(), sounds);
  ASSERT_EQ(taken.size(), 1u);
  EXPECT_EQ(taken[0].get(), out);
}

TEST(UnitBailOut, NoAmmunitionLeavesTheCrewShaken) {
  BailOutRig rig;
  for (uint32_t seed = 1; seed < 30; ++seed) {
    SeedRandom(seed);
    Tank tank;
    tank.Setup(200.0f, 200.0f, 90.0f, 6, 2);
    tank.men = 3;
    Unit* crew = tank.BailOutCrew(true);
    ASSERT_NE(crew, nullptr);
    EXPECT_EQ(crew->ammo[0], 0);
    EXPECT_GE(crew->suppression, 100.0f);
    EXPECT_LT(crew->suppression, 700.0f);
  }
}

TEST(UnitBailOut, EscapingFireBailsOutOrRunsToAFreePoint) {
  BailOutRig rig;
  Map& map = rig.GetMap();
  map.IgniteTile(410.0f, 410.0f, false);
  ASSERT_NE(map.BurningAt(410.0f, 410.0f), 0);
  // Slow: the crew bails out.
  Tank stuck;
  stuck.Setup(410.0f, 410.0f, 0.0f, 6, 2);
  stuck.men = 3;
  stuck.immobilized = 1;
  gUnitStateChanged = 0;
  stuck.EscapeFire();
  EXPECT_EQ(rig.Added(), 1u);
  EXPECT_EQ(stuck.knockedOut, 1);
  EXPECT_EQ(gUnitStateChanged, 1);
  // Infantry of speed class 4 runs, one bearing drawn per radius until a point is free.
  Foot runner;
  Place(runner, 410.0f, 410.0f);
  runner.AddWaypoint(500.0f, 500.0f, kOrderMove, true);
  runner.commandDelay = 9.0f;
  runner.flagBytes[Unit::kHoldFlag] = 1;
  runner.refuseFromX = 1.0e9f;
  SeedRandom(5);
  const float bearing = RandomFloatTimes(360.0f) * kRad;
  SeedRandom(5);
  runner.EscapeFire();
  ASSERT_EQ(runner.waypointCount, 1);
  EXPECT_NEAR(runner.waypoints[0].x, 410.0f + 10.0f * std::cos(bearing), 1e-3f);
  EXPECT_NEAR(runner.waypoints[0].y, 410.0f + 10.0f * std::sin(bearing), 1e-3f);
  EXPECT_EQ(runner.waypoints[0].moveMode, 5);
  EXPECT_FLOAT_EQ(runner.commandDelay, 0.0f);
  EXPECT_EQ(runner.flagBytes[Unit::kHoldFlag], 0);
  // A vehicle moves fast; nowhere to go: nothing happens after 200 draws.
  Tank mover;
  mover.Setup(410.0f, 410.0f, 0.0f, 6, 2);
  mover.side = 1;
  mover.EscapeFire();
  ASSERT_EQ(mover.waypointCount, 1);
  EXPECT_EQ(mover.waypoints[0].moveMode, 3);
  Tank boxed;
  boxed.Setup(410.0f, 410.0f, 0.0f, 6, 2);
  boxed.refuseAll = true;
  SeedRandom(8);
  for (int32_t i = 0; i < 200; ++i) RandomFloat();
  const uint32_t after = RandomState();
  SeedRandom(8);
  boxed.EscapeFire();
  EXPECT_EQ(RandomState(), after);
  EXPECT_EQ(boxed.waypointCount, 0);
}

TEST(UnitBailOutDeathTest, EscapingWithoutFireStops) {
  OrdersRig rig;
  Foot unit;
  Place(unit, 100.0f, 100.0f);
  EXPECT_DEATH(unit.EscapeFire(), "Unit.cpp");
}

TEST(UnitBailOut, WithoutABattleTheCallerKeepsTheCrew) {
  BailOutRig rig;
  UnitContext noBattle = UnitContext::Current();
  noBattle.orders = nullptr;
  const UnitContextScope withoutHost(UnitContextScope::kWhole, noBattle);
  Tank tank;
  tank.Setup(200.0f, 200.0f, 0.0f, 6, 2);
  tank.men = 2;
  std::unique_ptr<Unit> crew(tank.BailOutCrew(false));
  ASSERT_NE(crew, nullptr);
  EXPECT_EQ(crew->classIndex, 205);
  // Escaping fire with no battle to take the crew leaves nothing behind.
  rig.GetMap().IgniteTile(410.0f, 410.0f, false);
  Tank stuck;
  stuck.Setup(410.0f, 410.0f, 0.0f, 6, 2);
  stuck.men = 3;
  stuck.immobilized = 1;
  stuck.EscapeFire();
  EXPECT_EQ(stuck.alive, 0);
  EXPECT_EQ(stuck.knockedOut, 1);
}
