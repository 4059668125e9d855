// The passes that prepare the edited scenario's units: placement at the edges, the
// identification level and set-up zone, the start views; and the purchase lists' ownership.
#include <gtest/gtest.h>

#include <cmath>

#include "EditorRig.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"
#include "game/units/Unit.h"
#include "game/units/tables/UnitCodes.h"

namespace {

Unit* MakeUnit(int32_t sideIndex, float x, float y) {
  Unit* unit = CreateUnit(0, 0, sideIndex == 0 ? 6 : 0, 2);
  unit->x = x;
  unit->y = y;
  return unit;
}

Unit* AddUnit(BattleBase& base, int32_t sideIndex, float x, float y) {
  Unit* unit = MakeUnit(sideIndex, x, y);
  base.units.AddLast(unit);
  return unit;
}

void SetZone(Map& map, float x, float y, uint8_t zone) {
  map.terrain.tiles.At(static_cast<int32_t>(x * 0.05f), static_cast<int32_t>(y * 0.05f)).zone = zone;
}

// Counts its deletions.
class Tracked : public GObject {
 public:
  explicit Tracked(int32_t* deletions) : deletions_(deletions) {}
  ~Tracked() override { ++*deletions_; }

 private:
  int32_t* deletions_;
};

}  // namespace

TEST(EditorPlacement, BattleEdgesPlaceEachSide) {
  EditorRig rig;
  EditorState& state = *rig.State();
  Battle& battle = *rig.App().GetBattle();
  const float width = battle.map->size.worldWidth;
  // West Allied, North and East neutral, South Axis.
  battle.edgeOwner[0] = 1;
  battle.edgeOwner[1] = 2;
  battle.edgeOwner[2] = 2;
  battle.edgeOwner[3] = 0;
  Unit* axis = AddUnit(battle, 0, 0.0f, 0.0f);
  Unit* allied = AddUnit(battle, 1, 0.0f, 0.0f);
  Unit* kept = AddUnit(battle, 1, 0.0f, 5.0f);
  Unit* offMap = AddUnit(battle, 0, -3.0f, 40.0f);
  Unit* aircraft = AddUnit(battle, 1, 100.0f, 100.0f);
  aircraft->kind = Unit::kAirplane;
  state.PrepareUnitPlacement();
  EXPECT_EQ(state.PlacementEdge(0), 3);
  EXPECT_EQ(state.PlacementEdge(1), 0);
  EXPECT_FLOAT_EQ(axis->y, 5.0f);
  EXPECT_FLOAT_EQ(axis->x, width - 5.0f);
  EXPECT_FLOAT_EQ(allied->x, 5.0f);
  EXPECT_FLOAT_EQ(kept->x, 0.0f);
  EXPECT_FLOAT_EQ(kept->y, 5.0f);
  EXPECT_FLOAT_EQ(offMap->y, 5.0f);
  EXPECT_FLOAT_EQ(aircraft->x, -500.0f);
  EXPECT_FLOAT_EQ(aircraft->y, -500.0f);
  // A side without an edge starts where the battle puts it: the Axis east, the Allies west.
  battle.edgeOwner[0] = 2;
  battle.edgeOwner[3] = 2;
  state.PrepareUnitPlacement();
  EXPECT_EQ(state.PlacementEdge(0), 2);
  EXPECT_EQ(state.PlacementEdge(1), 0);
  battle.edgeOwner[1] = 0;
  battle.edgeOwner[2] = 1;
  state.PrepareUnitPlacement();
  EXPECT_EQ(state.PlacementEdge(0), 1);
  EXPECT_EQ(state.PlacementEdge(1), 0);
}

TEST(EditorPlacement, OperationPlacesDefendersBeyondNoMansLand) {
  EditorRig rig;
  EditorState& state = *rig.State();
  rig.App().DoCommand(100);
  Campaign& operation = *rig.App().GetCampaign();
  ASSERT_TRUE(operation.map->NewMap(1600.0f, 1600.0f, nullptr));
  operation.attackerEdge = 1;
  operation.attacker = 1;
  operation.noMansLand = 400;
  Unit* defender = AddUnit(operation, 0, 0.0f, 0.0f);
  Unit* attacker = AddUnit(operation, 1, 0.0f, 0.0f);
  state.PrepareUnitPlacement();
  EXPECT_EQ(state.PlacementEdge(0), 1);
  EXPECT_EQ(state.PlacementEdge(1), 1);
  EXPECT_FLOAT_EQ(defender->y, 1600.0f - 805.0f);
  EXPECT_FLOAT_EQ(attacker->y, 1600.0f - 5.0f);
  // The defender faces its edge, the attacker into the map.
  EXPECT_FLOAT_EQ(defender->facing, 90.0f);
  EXPECT_FLOAT_EQ(attacker->facing, 270.0f);
}

TEST(EditorPlacement, FlagsComeOntoTheMapAndTwoLevelValuesNeedTheirTerrain) {
  EditorRig rig;
  EditorState& state = *rig.State();
  Battle& battle = *rig.App().GetBattle();
  const float width = battle.map->size.worldWidth;
  battle.flags.DeleteAll(true);
  battle.flags.AddLast(new VictoryFlag(0.0f, 100.0f, 0));
  battle.flags.AddLast(new VictoryFlag(width - 0.5f, 100.0f, 0));
  Unit* open = AddUnit(battle, 0, 100.0f, 100.0f);
  Unit* road = AddUnit(battle, 0, 200.0f, 200.0f);
  Unit* lower = AddUnit(battle, 1, 300.0f, 300.0f);
  open->level = 1.0f;
  road->level = 1.0f;
  lower->level = -1.0f;
  battle.map->terrain.fineGrid.At(100, 100) = static_cast<uint16_t>(33 << 10);
  state.PrepareUnitPlacement();
  const float moved = battle.FlagAt(0)->x;
  EXPECT_GE(moved, 10.0f);
  EXPECT_LT(moved, width - 10.0f);
  EXPECT_FLOAT_EQ(battle.FlagAt(0)->y, 100.0f);
  EXPECT_FLOAT_EQ(battle.FlagAt(1)->x, width - 0.5f);
  EXPECT_FLOAT_EQ(open->level, 0.0f);
  EXPECT_FLOAT_EQ(road->level, 1.0f);
  EXPECT_FLOAT_EQ(lower->level, 0.0f);
}

TEST(EditorPlacement, SetUnitsForPlayTakesTheZoneOfTheUnitsSide) {
  EditorRig rig;
  EditorState& state = *rig.State();
  Battle& battle = *rig.App().GetBattle();
  Map& map = *battle.map;
  Unit* onOwn = AddUnit(battle, 1, 50.0f, 50.0f);
  Unit* onEnemy = AddUnit(battle, 1, 150.0f, 50.0f);
  Unit* kept = AddUnit(battle, 1, 150.0f, 150.0f);
  Unit* axis = AddUnit(battle, 0, 250.0f, 50.0f);
  Unit* outside = AddUnit(battle, 0, -40.0f, 60.0f);
  SetZone(map, 50.0f, 50.0f, 2);
  SetZone(map, 150.0f, 50.0f, 5);
  SetZone(map, 250.0f, 50.0f, 5);
  SetZone(map, 0.1f, 60.0f, 4);
  kept->setupZone = 7;
  state.SetUnitsForPlay(true);
  EXPECT_EQ(onOwn->setupZone, 2);
  EXPECT_EQ(onEnemy->setupZone, 0);
  EXPECT_EQ(kept->setupZone, 7);
  EXPECT_EQ(axis->setupZone, 5);
  EXPECT_EQ(outside->setupZone, 4);
  EXPECT_FLOAT_EQ(outside->x, 0.1f);
  EXPECT_EQ(onOwn->identificationLevel, 0);
  state.SetUnitsForPlay(false);
  EXPECT_EQ(onOwn->setupZone, 0);
  EXPECT_EQ(kept->setupZone, 7);
  EXPECT_EQ(onOwn->identificationLevel, 4);
}

TEST(EditorPlacement, OperationGivesUnzonedUnitsTheirSidesZone) {
  EditorRig rig;
  EditorState& state = *rig.State();
  rig.App().DoCommand(100);
  Campaign& operation = *rig.App().GetCampaign();
  Map& map = *operation.map;
  Unit* allied = AddUnit(operation, 1, 30.0f, 30.0f);
  Unit* axis = AddUnit(operation, 0, 30.0f, 70.0f);
  SetZone(map, 30.0f, 30.0f, 5);
  SetZone(map, 30.0f, 70.0f, 0);
  state.SetUnitsForPlay(true);
  EXPECT_EQ(allied->setupZone, 1);
  EXPECT_EQ(axis->setupZone, 4);
}

TEST(EditorStartViews, CornerViewsAndTheViewBehindTheFirstUnit) {
  EditorRig rig;
  EditorState& state = *rig.State();
  Battle& battle = *rig.App().GetBattle();
  Map& map = *battle.map;
  ASSERT_TRUE(map.NewMap(720.0f, 400.0f, nullptr));
  state.SetStartViews();
  EXPECT_FLOAT_EQ(map.camera.x[0], 745.0f);
  EXPECT_FLOAT_EQ(map.camera.y[0], 425.0f);
  EXPECT_FLOAT_EQ(map.camera.bearing[0], 3.9269908f);
  EXPECT_EQ(map.camera.viewLevel[0], 2);
  EXPECT_FLOAT_EQ(map.camera.x[1], -25.0f);
  EXPECT_FLOAT_EQ(map.camera.y[1], -25.0f);
  EXPECT_FLOAT_EQ(map.camera.bearing[1], 0.7853982f);
  // A stored view within the map stays; one far off is set anew from the first unit.
  AddUnit(battle, 0, 600.0f, 100.0f);
  map.camera.x[0] = -150.0f;
  map.camera.x[1] = 300.0f;
  map.camera.y[1] = 200.0f;
  state.SetStartViews();
  EXPECT_NEAR(map.camera.x[0], 623.08f, 0.01f);
  EXPECT_NEAR(map.camera.y[0], 90.38f, 0.01f);
  EXPECT_NEAR(map.camera.bearing[0], 2.7468f, 0.0001f);
  EXPECT_FLOAT_EQ(map.camera.x[1], 300.0f);
  EXPECT_FLOAT_EQ(map.camera.y[1], 200.0f);
}

TEST(EditorPurchaseLists, TheStateOwnsOnlyItsScratchUnits) {
  int32_t deletions = 0;
  auto* bought = new Tracked(&deletions);
  {
    EditorState state;
    state.PurchaseList(1, 5).AddLast(bought);
    state.ScratchList().AddLast(new Tracked(&deletions));
    state.ScratchList().AddLast(new Tracked(&deletions));
  }
  EXPECT_EQ(deletions, 2);
  delete bought;
  EXPECT_EQ(deletions, 3);
}

TEST(EditorPurchaseLists, CommitHandsTheUnitsToTheBattleOnce) {
  EditorRig rig;
  EditorState& state = *rig.State();
  Battle& battle = *rig.App().GetBattle();
  state.PurchaseList(0, 0).AddLast(MakeUnit(0, 100.0f, 100.0f));
  state.PurchaseList(1, 0).AddLast(MakeUnit(1, 200.0f, 100.0f));
  state.Slot(1, 1).arrivalTurn = 4;
  state.PurchaseList(1, 2).AddLast(MakeUnit(1, 0.0f, 0.0f));
  const int32_t before = battle.UnitCount();
  state.CommitPurchases();
  EXPECT_EQ(battle.UnitCount(), before + 2);
  ASSERT_EQ(battle.reinforcements[1].Count(), 1);
  for (int32_t side = 0; side < 2; ++side) {
    for (int32_t slot = 0; slot < 6; ++slot) EXPECT_EQ(state.PurchaseList(side, slot).Count(), 0);
  }
  state.CommitPurchases();
  EXPECT_EQ(battle.UnitCount(), before + 2);
}
