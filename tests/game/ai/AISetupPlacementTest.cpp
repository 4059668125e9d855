// Placing the computer's units in their set-up zones: the score's parts, the edge weight, the
// draws per tile and the units that find no place.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "framework/core/GDynamicArray.h"
#include "framework/core/Quorl.h"
#include "game/ai/AIGoalGroup.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/battle/AIGroup.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"
#include "game/map/PlanningMath.h"
#include "support/RandomDraws.h"

namespace {

// A vehicle whose footing and main weapon a test decides.
class PlaceableVehicle : public TestVehicle {
 public:
  bool CanStandAt(float, float, bool) override { return stand; }
  bool IsMainWeaponUsable() const override { return usable; }
  bool stand = true;
  bool usable = true;
};

struct PlacementRig {
  PlacementRig() : battle(rig.Fresh()) {
    context.battle = &battle;
    context.side = 0;
    battle.edgeOwner[0] = 2;
    battle.edgeOwner[1] = 0;  // the side holds the North, the enemy the South
    battle.edgeOwner[2] = 2;
    battle.edgeOwner[3] = 1;
    const auto& tiles = battle.map->terrain.tiles;
    grid.Init(2, tiles.Height(), tiles.Width());
    grid.Zero();
    // A fresh map gives its outer quarters to the sides: here only a test's own zones count.
    Zone(0, 0, tiles.Width() - 1, tiles.Height() - 1, 0);
  }
  ~PlacementRig() {
    delete battle.aiGroups[0];
    battle.aiGroups[0] = nullptr;
  }
  PlaceableVehicle* Vehicle(float x, float y, int32_t zone) {
    auto* unit = new PlaceableVehicle();
    unit->Setup(x, y, 0.0f, 6, 2);
    unit->side = 1;  // side index 0
    unit->setupZone = zone;
    units.emplace_back(unit);
    return unit;
  }
  // Gives the side one group holding the unit, for the crowding sum.
  void Group(Unit* unit) {
    if (battle.aiGroups[0] == nullptr) {
      battle.aiGroups[0] = new GObjectGroup();
      battle.aiGroups[0]->Init();
      battle.aiGroups[0]->Append(new AIGroup());
      static_cast<AIGroup*>(battle.aiGroups[0]->GetItem(0))->Init();
    }
    static_cast<AIGroup*>(battle.aiGroups[0]->GetItem(0))->Append(unit);
  }
  void Zone(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t zone) {
    for (int32_t x = x0; x <= x1; ++x)
      for (int32_t y = y0; y <= y1; ++y) battle.map->terrain.tiles.At(x, y).zone = zone;
  }

  BattleTestRig rig;
  Battle& battle;
  AIPlanContext context;
  GDynamicArray grid;
  std::vector<std::unique_ptr<Unit>> units;
};

}  // namespace

TEST(AISetupPlacement, TheScoreFallsWithExposureAndFollowsTheRolesOutlook) {
  EXPECT_NEAR(AIOperational::RoleScore(0.0f, 3, 0) / 10.0f, 9.189f, 1e-5f);
  EXPECT_NEAR(AIOperational::RoleScore(0.5f, 3, 0) / 10.0f, 3.10625f, 1e-5f);
  EXPECT_NEAR(AIOperational::RoleScore(1.0f, 3, 0) / 10.0f, 0.808f, 1e-5f);
  EXPECT_NEAR(AIOperational::RoleScore(0.5f, 0, 80), 279.5625f, 1e-4f);
  // A vehicle at exposure 0.1: raised to 0.25, then to the power 0.3.
  const float e = FloatPow(0.25f, 0.3f);
  EXPECT_NEAR(AIOperational::RoleScore(e, 4, (30 << 8) | 60), 137.2562f, 1e-3f);
  // Role 2 never goes below the bare 10.
  EXPECT_NEAR(AIOperational::RoleScore(0.0f, 2, (200 << 8) | 10), 91.89f, 1e-4f);
}

TEST(AISetupPlacement, EdgeWeightLeansTowardsTheOwnEdge) {
  PlacementRig r;
  const float h = r.battle.map->size.worldHeight;
  EXPECT_NEAR(AIOperational::EdgeWeight(r.context, 100.0f, h * 0.5f, 0), 0.6155722f, 1e-6f);
  r.battle.edgeOwner[3] = 2;
  EXPECT_NEAR(AIOperational::EdgeWeight(r.context, 100.0f, h * 0.5f, 0), 0.8077861f, 1e-6f);
  // The enemy's weight runs the other way from the South.
  r.battle.edgeOwner[3] = 1;
  EXPECT_NEAR(AIOperational::EdgeWeight(r.context, 100.0f, h * 0.5f, 1), 0.6155722f, 1e-6f);
  EXPECT_FLOAT_EQ(AIOperational::EdgeWeight(r.context, 100.0f, h, 0), 1.0f);
}

TEST(AISetupPlacement, DefendersPreferTheCentreAndShallowFrontsBlendTheEdgeIn) {
  PlacementRig r;
  EXPECT_FLOAT_EQ(AIOperational::CentreWeight(r.context, 0.0f, 0.0f), 0.5f);
  EXPECT_FLOAT_EQ(AIOperational::CentreWeight(r.context, 400.0f, 400.0f), 1.0f);
  EXPECT_FLOAT_EQ(AIOperational::BlendForFrontDepth(0.2f, 250.0f), 0.6f);  // a = 0.5
  EXPECT_FLOAT_EQ(AIOperational::BlendForFrontDepth(0.2f, 500.0f), 0.2f);

  // A defender scores both points of every tile; the draws stay four jitters and two weights.
  r.context.defender = true;
  r.Zone(10, 30, 11, 31, 4);
  PlaceableVehicle* unit = r.Vehicle(5.0f, 5.0f, 4);
  SeedRandom(8);
  AIOperational::PlaceInSetupZone(r.context, *unit, r.grid, false);
  EXPECT_EQ(RandomState(), StateAfterDraws(8, 4 * 6));
  EXPECT_GE(unit->x, 200.0f);
  EXPECT_LT(unit->x, 240.0f);
}

TEST(AISetupPlacement, UnusablePointsAndCrowding) {
  PlacementRig r;
  PlaceableVehicle* unit = r.Vehicle(10.0f, 10.0f, 4);
  EXPECT_FLOAT_EQ(AIOperational::ScoreSetupPoint(r.context, *unit, r.grid, -5.0f, 100.0f, false, false, false), -999.0f);
  unit->stand = false;
  EXPECT_FLOAT_EQ(AIOperational::ScoreSetupPoint(r.context, *unit, r.grid, 300.0f, 300.0f, false, false, false), -999.0f);
  EXPECT_FLOAT_EQ(unit->x, 10.0f);
  unit->stand = true;
  unit->usable = false;
  EXPECT_FLOAT_EQ(AIOperational::ScoreSetupPoint(r.context, *unit, r.grid, 300.0f, 300.0f, false, false, false), -1.0f);
  unit->usable = true;
  const float alone = AIOperational::ScoreSetupPoint(r.context, *unit, r.grid, 300.0f, 300.0f, false, false, false);
  EXPECT_GT(alone, 0.0f);
  EXPECT_FLOAT_EQ(unit->x, 300.0f);
  r.Group(unit);  // the unit itself never crowds itself
  PlaceableVehicle* friendly = r.Vehicle(310.0f, 300.0f, 4);
  r.Group(friendly);
  const float crowded = AIOperational::ScoreSetupPoint(r.context, *unit, r.grid, 300.0f, 300.0f, false, false, false);
  EXPECT_FLOAT_EQ(crowded, alone * 0.5f);
  friendly->x = 300.0f;
  EXPECT_FLOAT_EQ(AIOperational::ScoreSetupPoint(r.context, *unit, r.grid, 300.0f, 300.0f, false, false, false), 0.0f);
}

TEST(AISetupPlacement, EachTileDrawsFourJittersAndTwoWeights) {
  PlacementRig r;
  r.Zone(10, 30, 12, 33, 4);  // 12 tiles
  PlaceableVehicle* unit = r.Vehicle(5.0f, 5.0f, 4);
  SeedRandom(3);
  AIOperational::PlaceInSetupZone(r.context, *unit, r.grid, false);
  EXPECT_EQ(RandomState(), StateAfterDraws(3, 12 * 6));
  const auto tx = static_cast<int32_t>(unit->x * 0.05f);
  const auto ty = static_cast<int32_t>(unit->y * 0.05f);
  EXPECT_EQ(r.battle.map->terrain.tiles.At(tx, ty).zone, 4);

  // Same seed, same place.
  PlaceableVehicle* twin = r.Vehicle(5.0f, 5.0f, 4);
  SeedRandom(3);
  AIOperational::PlaceInSetupZone(r.context, *twin, r.grid, false);
  EXPECT_FLOAT_EQ(twin->x, unit->x);
  EXPECT_FLOAT_EQ(twin->y, unit->y);
}

TEST(AISetupPlacement, AUnitWithNoUsableTileStaysAndAParkedOneComesBack) {
  PlacementRig r;
  r.Zone(10, 30, 11, 31, 4);
  PlaceableVehicle* unit = r.Vehicle(120.0f + AIOperational::kParkOffset, 640.0f, 4);
  unit->stand = false;
  AIOperational::PlaceInSetupZone(r.context, *unit, r.grid, false);
  EXPECT_FLOAT_EQ(unit->x, 120.0f);
  EXPECT_FLOAT_EQ(unit->y, 640.0f);
  PlaceableVehicle* other = r.Vehicle(40.0f, 50.0f, 4);
  other->stand = false;
  EXPECT_FALSE(AIOperational::PlaceNearUnit(r.context, *other, unit->x, unit->y, r.grid));
  EXPECT_FLOAT_EQ(other->x, 40.0f);
}

TEST(AISetupPlacement, NearPlacementStaysWithinTheRadius) {
  PlacementRig r;
  r.Zone(0, 0, 39, 39, 4);
  PlaceableVehicle* anchor = r.Vehicle(400.0f, 400.0f, 4);
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    PlaceableVehicle* unit = r.Vehicle(5.0f, 5.0f, 4);
    SeedRandom(seed);
    ASSERT_TRUE(AIOperational::PlaceNearUnit(r.context, *unit, anchor->x, anchor->y, r.grid));
    const float cx = (std::floor(unit->x / 20.0f) + 0.5f) * 20.0f;
    const float cy = (std::floor(unit->y / 20.0f) + 0.5f) * 20.0f;
    EXPECT_LT(std::hypot(cx - 400.0f, cy - 400.0f), AIOperational::PlacementRadius(*unit));
  }
}

TEST(AISetupPlacement, GarrisonsFillHalfwayThenFullyAndSkipUnitsThatCannotBePlaced) {
  PlacementRig r;
  r.Zone(0, 0, 39, 39, 4);
  r.battle.aiGroups[0] = new GObjectGroup();
  r.battle.aiGroups[0]->Init();
  auto* goals = new GObjectGroup();
  goals->Init();
  auto* flag = new VictoryFlag(400.0f, 400.0f, 0);
  r.battle.flags.Append(flag);
  auto* goal = new AIGoalGroup();
  goal->InitFromFlag(flag);
  goal->value = 1.0f;  // of 8 units: 4 needed, 2 halfway
  goals->Append(goal);
  delete r.battle.aiObjectives[0];
  r.battle.aiObjectives[0] = goals;

  GGroup units;
  units.Init();
  units.SetOwnsMembers(false);
  PlaceableVehicle* stuck = r.Vehicle(5.0f, 5.0f, 4);
  stuck->stand = false;
  units.Append(stuck);
  for (int32_t i = 0; i < 5; ++i) units.Append(r.Vehicle(5.0f, 5.0f, 4));
  GGroup order;
  order.Init();
  order.SetOwnsMembers(false);
  order.Append(goal);
  AIOperational::GarrisonGoals(r.context, 8, order, units, r.grid);
  ASSERT_EQ(r.battle.AIGroupCount(0), 1);
  AIGroup* holder = r.battle.AIGroupAt(0, 0);
  EXPECT_EQ(holder->mode, AIGroup::kHoldingBase);
  EXPECT_EQ(holder->Count(), 4);
  ASSERT_EQ(units.Count(), 2);
  EXPECT_EQ(units.GetItem(0), stuck);
  EXPECT_FLOAT_EQ(stuck->x, 5.0f);

  // The goal has its garrison: a unit near it finds none to join; far away none in reach.
  PlaceableVehicle* late = r.Vehicle(420.0f, 400.0f, 4);
  EXPECT_FALSE(AIOperational::AssignToNearestGoal(r.context, *late, 8));
  EXPECT_TRUE(AIOperational::AssignToNearestGoal(r.context, *late, 12));
  EXPECT_EQ(holder->Count(), 5);
  PlaceableVehicle* far = r.Vehicle(700.0f, 700.0f, 4);
  EXPECT_FALSE(AIOperational::AssignToNearestGoal(r.context, *far, 100));
}

TEST(AISetupPlacement, StartLevelDrawsOnlyForInfantryOnDirtRoadsInTrees) {
  PlacementRig r;
  PlaceableVehicle* vehicle = r.Vehicle(100.0f, 100.0f, 4);
  vehicle->level = 1.0f;
  PlaceableVehicle* kept = r.Vehicle(100.0f, 100.0f, 7);
  kept->level = 1.0f;
  SeedRandom(4);
  AIOperational::ChooseStartLevel(r.context, *vehicle);
  EXPECT_FLOAT_EQ(vehicle->level, 0.0f);
  AIOperational::ChooseStartLevel(r.context, *kept);
  EXPECT_FLOAT_EQ(kept->level, 1.0f);
  EXPECT_EQ(RandomState(), 4u);
  AIOperational::ParkUnit(*kept);
  EXPECT_FLOAT_EQ(kept->x, 100.0f);
  AIOperational::ParkUnit(*vehicle);
  EXPECT_FLOAT_EQ(vehicle->x, 100.0f + AIOperational::kParkOffset);
  EXPECT_TRUE(AIOperational::NotSquadOrPlatoonLeader(*vehicle));
}
