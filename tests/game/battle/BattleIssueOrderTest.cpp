// The order dispatch: orders given to a selected waypoint, the pause and hide orders, how a
// movement order treats a withdrawing unit and a trailing rotation, the end of a target pick,
// the set-up placement chain, the flag pick and the tile height level.
#include <gtest/gtest.h>

#include <memory>

#include "game/map/NullBattlefieldScreen.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/MovingTestUnits.h"
#include "game/map/Map.h"
#include "game/units/orders/Waypoint.h"

namespace {

class BeepHost : public HeadlessHost {
 public:
  BattlefieldScreen& Battlefield() override { return screen_; }
  int32_t beeps = 0;

 private:
  struct Screen : NullBattlefieldScreen {
    explicit Screen(BeepHost& host) : host(host) {}
    void Beep() override { ++host.beeps; }
    BeepHost& host;
  } screen_{*this};
};

struct OrdersWorld {
  BattleTestRig rig;
  BeepHost* host = nullptr;
  Battle* battle = nullptr;
  OrdersWorld() {
    auto owned = std::make_unique<BeepHost>();
    host = owned.get();
    rig.headless.SetHost(std::move(owned));
    battle = &rig.Fresh();
    battle->setupPhase = 0;
  }
  Unit* AddSelected(int32_t kind, float x) {
    Unit* unit = BattleTestRig::MakeUnit(kind, 0, x, 100.0f);
    battle->PlaceUnitAt(unit, x, 100.0f);
    battle->selectedUnit = unit;
    return unit;
  }
  static void GiveWaypoints(Unit& unit, int32_t count, int32_t lastMode) {
    unit.waypointCount = count;
    for (int32_t i = 0; i < count; ++i) {
      unit.WaypointAt(i).moveMode = 1;
      unit.WaypointAt(i).pointKind = 0;
    }
    unit.WaypointAt(count - 1).moveMode = lastMode;
  }
};

}  // namespace

TEST(BattleIssueOrder, AnOrderToTheSelectedWaypointRetypesItOrOnlyBeeps) {
  OrdersWorld w;
  Unit* unit = w.AddSelected(0, 50.0f);
  OrdersWorld::GiveWaypoints(*unit, 2, 3);
  w.battle->map->orders.pendingMoveCode = kOrderSneak;
  w.battle->selectedWaypoint = 1;
  w.battle->IssueOrder(kOrderMove, true);
  EXPECT_EQ(unit->WaypointAt(1).moveMode, 1);
  EXPECT_EQ(w.battle->map->orders.pendingMoveCode, kOrderSneak);
  EXPECT_EQ(w.battle->selectedWaypoint, -1);
  EXPECT_EQ(w.host->inputMode, InputModes::kNoPick);

  w.battle->selectedWaypoint = 0;
  w.battle->IssueOrder(kOrderCancelMoves, true);
  EXPECT_EQ(w.host->beeps, 1);
  EXPECT_EQ(unit->waypointCount, 2);
  EXPECT_EQ(w.battle->selectedWaypoint, 0);
  // While the waypoint is dragged it stays selected.
  w.host->inputMode = InputModes::kWaypointDrag;
  w.battle->IssueOrder(kOrderHunt, true);
  EXPECT_EQ(unit->WaypointAt(0).moveMode, 2);
  EXPECT_EQ(w.battle->selectedWaypoint, 0);
}

TEST(BattleIssueOrder, PauseStepsRoundToItsStartAndClearsHiding) {
  OrdersWorld w;
  Unit* unit = w.AddSelected(0, 50.0f);
  unit->pendingDelaySteps = 2;
  unit->flagBytes[Unit::kHoldFlag] = 1;
  const int32_t expected[] = {3, 0, 1, 2};
  for (int32_t step : expected) {
    w.battle->IssueOrder(kOrderPause, false);
    EXPECT_EQ(unit->pendingDelaySteps, step);
  }
  EXPECT_EQ(unit->flagBytes[Unit::kHoldFlag], 0);
}

TEST(BattleIssueOrder, MovementCancelsAWithdrawalOrDropsOnlyATrailingRotation) {
  OrdersWorld w;
  Unit* unit = w.AddSelected(0, 50.0f);
  OrdersWorld::GiveWaypoints(*unit, 3, 1);
  unit->withdraw = 1;
  w.battle->IssueOrder(kOrderMove, false);
  EXPECT_EQ(unit->waypointCount, 0);
  EXPECT_EQ(unit->withdraw, 0);
  EXPECT_EQ(w.host->inputMode, InputModes::kMovePick);
  EXPECT_EQ(w.battle->map->orders.pendingMoveCode, kOrderMove);

  OrdersWorld::GiveWaypoints(*unit, 3, Waypoint::kRotateTo);
  w.battle->IssueOrder(kOrderHunt, false);
  EXPECT_EQ(unit->waypointCount, 2);
  EXPECT_EQ(unit->WaypointAt(1).pointKind, 1);
  w.battle->IssueOrder(kOrderSneak, false);
  EXPECT_EQ(unit->waypointCount, 2);  // no rotation left to drop
}

TEST(BattleIssueOrder, AMovementPickEndsInAWaypointAtThePickPointBoardingOnlyAVehicle) {
  OrdersWorld w;
  Unit* unit = new Walker;
  unit->Setup(50.0f, 100.0f, 0.0f, 6, 2);
  unit->side = 1;
  w.battle->PlaceUnitAt(unit, 50.0f, 100.0f);
  w.battle->selectedUnit = unit;
  Unit* friendSquad = BattleTestRig::MakeUnit(0, 0, 120.0f, 100.0f);
  w.battle->PlaceUnitAt(friendSquad, 120.0f, 100.0f);
  w.battle->IssueOrder(kOrderMove, false);
  OrderState& state = w.battle->map->orders;
  state.pickX = 120.0f;
  state.pickY = 100.0f;
  state.hovered = friendSquad;
  EXPECT_FALSE(w.battle->PlaceMoveWaypoint(true));
  EXPECT_EQ(state.hovered, nullptr);
  ASSERT_EQ(unit->waypointCount, 1);
  EXPECT_FLOAT_EQ(unit->WaypointAt(0).x, 120.0f);
  EXPECT_EQ(unit->WaypointAt(0).moveMode, 1);
}

TEST(BattleIssueOrder, WithdrawalCancelsTheRouteAndMovesWithTheUnitsOwnCode) {
  OrdersWorld w;
  Unit* unit = w.AddSelected(1, 50.0f);
  OrdersWorld::GiveWaypoints(*unit, 2, 1);
  w.battle->IssueOrder(kOrderWithdraw, false);
  EXPECT_EQ(unit->waypointCount, 0);
  EXPECT_EQ(unit->withdraw, 1);
  EXPECT_EQ(w.battle->map->orders.pendingMoveCode, kOrderFastMove);
  EXPECT_EQ(w.host->inputMode, InputModes::kMovePick);
}

TEST(BattleIssueOrder, CancelTargetEndsAPickOrClearsTheTargets) {
  OrdersWorld w;
  Unit* unit = w.AddSelected(0, 50.0f);
  Unit* enemy = BattleTestRig::MakeUnit(0, 1, 150.0f, 100.0f);
  w.battle->PlaceUnitAt(enemy, 150.0f, 100.0f);
  unit->target = enemy;
  w.battle->IssueOrder(kOrderSmoke, false);
  EXPECT_EQ(w.host->inputMode, InputModes::kTargetPick);
  EXPECT_EQ(w.battle->map->orders.secondTargetVariant, 1);
  w.battle->IssueOrder(kOrderCancelTarget, false);
  EXPECT_EQ(w.host->inputMode, InputModes::kNoPick);
  EXPECT_EQ(w.battle->map->orders.secondTargetVariant, 0);
  EXPECT_EQ(unit->target, enemy);
  w.battle->IssueOrder(kOrderCancelTarget, false);
  EXPECT_EQ(unit->target, nullptr);
}

TEST(BattleIssueOrder, PlaceOnlySwallowsTheFacingPickThatFollows) {
  OrdersWorld w;
  Unit* unit = w.AddSelected(0, 50.0f);
  (void)unit;
  w.battle->setupPhase = 1;
  w.battle->IssueOrder(kOrderSetupPlace, false);
  EXPECT_EQ(w.host->inputMode, InputModes::kPlacePick);
  w.battle->IssueOrder(kOrderSetupFacing, false);
  EXPECT_EQ(w.host->inputMode, InputModes::kNoPick);
  EXPECT_EQ(w.battle->map->orders.placeOnly, 0);

  w.battle->IssueOrder(kOrderSetupMove, false);
  EXPECT_EQ(w.host->inputMode, InputModes::kPlacePick);
  w.battle->IssueOrder(kOrderSetupFacing, false);
  EXPECT_EQ(w.host->inputMode, InputModes::kFacingPick);
}

TEST(BattleIssueOrder, NoSelectionAndCodesWithoutACaseOnlyBeep) {
  OrdersWorld w;
  w.battle->IssueOrder(kOrderMove, false);
  EXPECT_EQ(w.host->beeps, 1);
  EXPECT_EQ(w.host->inputMode, InputModes::kNoPick);
  w.AddSelected(0, 50.0f);
  w.battle->IssueOrder(kOrderYes, false);
  w.battle->IssueOrder(19, false);
  w.battle->IssueOrder(kOrderNone, false);
  EXPECT_EQ(w.host->beeps, 4);
  EXPECT_EQ(w.host->inputMode, InputModes::kNoPick);
  w.battle->IssueOrder(kOrderButtonUp, false);  // infantry has no hatches
  EXPECT_EQ(w.host->beeps, 5);
  w.battle->selectedUnit = nullptr;
  EXPECT_FALSE(w.battle->PlaceSelectedUnit(true));
  EXPECT_FALSE(w.battle->PlaceMoveWaypoint(true));
  EXPECT_EQ(w.host->beeps, 7);
}

TEST(BattleIssueOrder, TheFlagPickMarksTheEarlierOfTwoEquallyNearFlags) {
  OrdersWorld w;
  w.battle->flags.DeleteAll(true);
  w.battle->MarkNearestFlag();  // a battle without flags
  EXPECT_EQ(w.host->beeps, 1);
  auto* far = new VictoryFlag(400.0f, 100.0f, 0);
  auto* first = new VictoryFlag(100.0f, 110.0f, 0);
  auto* second = new VictoryFlag(100.0f, 90.0f, 0);
  far->chosen = 1;
  w.battle->flags.Append(far);
  w.battle->flags.Append(first);
  w.battle->flags.Append(second);
  w.battle->map->orders.pickX = 100.0f;
  w.battle->map->orders.pickY = 100.0f;
  w.battle->MarkNearestFlag();
  EXPECT_EQ(far->chosen, 0);
  EXPECT_EQ(first->chosen, 1);
  EXPECT_EQ(second->chosen, 0);
}

TEST(BattleIssueOrder, TileHeightLevelRoundsAwayFromTheLevelBelow) {
  OrdersWorld w;
  Map& map = *w.battle->map;
  const float scale = map.size.heightScale;
  map.terrain.tileHeight.At(3, 4) = 0.0f;
  EXPECT_EQ(map.TileHeightLevel(3, 4), 0);
  map.terrain.tileHeight.At(3, 4) = 3.0f * scale;
  EXPECT_EQ(map.TileHeightLevel(3, 4), 1);
  map.terrain.tileHeight.At(3, 4) = 6.0f * scale - 0.05f * scale;
  EXPECT_EQ(map.TileHeightLevel(3, 4), 2);
  EXPECT_EQ(map.TileHeightLevel(-1, 4), 0);
  EXPECT_EQ(map.TileHeightLevel(3, map.size.tilesY), 0);
}

TEST(BattleIssueOrder, TheKeepInPlaceToggleRestoresItsValueAndTheFixedPositionNeedsAnArmouredGun) {
  OrdersWorld w;
  Unit* unit = w.AddSelected(0, 50.0f);
  unit->setupZone = 2;
  w.battle->IssueOrder(kOrderHoldPlace, false);
  EXPECT_EQ(unit->setupZone, 7);
  w.battle->IssueOrder(kOrderHoldPlace, false);
  EXPECT_EQ(unit->setupZone, 0);
  w.battle->IssueOrder(kOrderHoldPlace, false);
  w.battle->IssueOrder(kOrderHoldPlace, false);
  EXPECT_EQ(unit->setupZone, 0);
  // The fixed position on a unit that is no armoured gun vehicle only beeps.
  w.battle->IssueOrder(kOrderDugIn, false);
  w.AddSelected(1, 60.0f);
  w.battle->IssueOrder(kOrderDugIn, false);
  EXPECT_EQ(w.host->beeps, 2);
  EXPECT_EQ(w.host->inputMode, InputModes::kNoPick);
}
