// The computer player's search for a better place near a unit, and its move orders.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/ai/AICellSearch.h"
#include "game/ai/AIGoalGroup.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/battle/BattleTestRig.h"
#include "game/map/Distance.h"
#include "game/map/Map.h"
#include "game/map/PlanningMath.h"

namespace {

// Seen from everywhere to a degree set per side of a line (x below split or not).
class PlacedInfantry : public TestInfantry {
 public:
  float GetTerrainMobility() const override { return 1.0f; }
  float VisibilityFromPoint(float, float, float, bool) override { return x < split ? west : east; }
  bool IsMainWeaponUsable() const override { return true; }
  float west = 0.3f;
  float east = 0.3f;
  float split = 0.0f;
};

class PlacedVehicle : public TestVehicle {
 public:
  float GetTerrainMobility() const override { return 1.0f; }
  bool IsMainWeaponUsable() const override { return true; }
};

std::vector<int32_t> gDraws;
void Record(int32_t n) { gDraws.push_back(n); }

struct Rig {
  Rig() {
    Battle& battle = rig.Fresh();
    battle.attacker = 0;
    context.battle = &battle;
    context.side = 0;
    width = battle.map->size.worldWidth;
    height = battle.map->size.worldHeight;
  }
  ~Rig() { SetRandomBoundObserver(nullptr); }
  Battle& B() { return rig.B(); }
  template <class T>
  T* Add(int32_t sideIndex, float x, float y) {
    auto* unit = new T();
    unit->Setup(x, y, 0.0f, sideIndex == 0 ? 6 : 0, 2);
    unit->side = static_cast<uint8_t>(1 - sideIndex);
    B().PlaceUnitAt(unit, x, y);
    return unit;
  }
  void Paint(float x0, float y0, float x1, float y1, int32_t type) {
    for (int32_t cx = static_cast<int32_t>(x0 * 0.5f); cx < static_cast<int32_t>(x1 * 0.5f); ++cx) {
      for (int32_t cy = static_cast<int32_t>(y0 * 0.5f); cy < static_cast<int32_t>(y1 * 0.5f); ++cy) {
        B().map->terrain.fineGrid.At(cx, cy) = static_cast<uint16_t>(type << 10 | 100);
      }
    }
  }
  void CountDraws() {
    gDraws.clear();
    SetRandomBoundObserver(Record);
  }
  BattleTestRig rig;
  AIPlanContext context;
  float width = 0.0f;
  float height = 0.0f;
};

// Counts the searches a unit's slot 120 hands on.
class CountingSearch : public UnitCellSearch {
 public:
  bool Defending() const override { return false; }
  bool FindBestNearbyCell(Unit& unit, bool extend, bool noBaseline) override {
    calls.push_back({&unit, extend, noBaseline});
    return true;
  }
  struct Call {
    Unit* unit;
    bool extend;
    bool noBaseline;
  };
  std::vector<Call> calls;
};

const std::vector<Unit*> kNoEnemies;

// An armoured target whose six hit locations are all thick plate.
class PlatedVehicle : public TestVehicle {
 public:
  void AssessHit(int32_t, Unit*, bool threatMode, float, bool, float* armour, float* weight, float* ratio,
                 int32_t& count, float) override {
    count = threatMode ? 9 : 6;
    for (int32_t k = 0; k < count; ++k) {
      armour[k] = 200.0f;
      weight[k] = 1.0f / static_cast<float>(count);
      ratio[k] = 1.0f;
    }
  }
};

}  // namespace

TEST(AIPosition, RingFactorsByDistance) {
  const float expected[] = {1.0f, 1.0f, 1.0f, 0.94f, 0.88f, 0.80f, 0.68f, 0.56f, 0.44f, 0.32f, 0.20f};
  for (int32_t ring = 0; ring <= 10; ++ring) EXPECT_EQ(AIOperational::RingFactor(ring), expected[ring]);
}

TEST(AIPositionDeathTest, RingOutsideTheTableStops) {
  EXPECT_DEATH(AIOperational::RingFactor(-1), "");
  EXPECT_DEATH(AIOperational::RingFactor(11), "");
}

TEST(AIPosition, ScoreOfASquadByExposureAndItsCommander) {
  Rig rig;
  ASSERT_GE(rig.width, 400.0f);
  auto* squad = rig.Add<PlacedInfantry>(0, 200.0f, 200.0f);
  squad->squad = true;
  auto* leader = rig.Add<TestInfantry>(0, 300.0f, 200.0f);
  squad->leader = leader;
  float px = 0.0f;
  float py = 0.0f;
  const auto present = [&]() {
    return AIOperational::ScorePosition(rig.context, *squad, AIOperational::kPresentCell, AIOperational::kPresentCell,
                                        kNoEnemies, &px, &py, nullptr);
  };
  EXPECT_NEAR(present(), 1.17124f, 1e-5f);
  EXPECT_EQ(px, 200.0f);
  EXPECT_EQ(py, 200.0f);
  // Exposed: the score falls to four tenths.
  squad->west = squad->east = 0.9f;
  EXPECT_NEAR(present(), 0.066928f, 1e-6f);
  // Nearly hidden counts as 0.05.
  squad->west = squad->east = 0.03f;
  EXPECT_NEAR(present(), 0.95f * 2.0f * 0.83660f, 1e-4f);
  // Within 50 m of the commander the cohesion is whole.
  squad->west = squad->east = 0.3f;
  leader->x = 240.0f;
  EXPECT_NEAR(present(), 1.4f, 1e-6f);
  // Seen more than wholly: unusable, and the squad is back where it stood.
  squad->west = squad->east = 1.5f;
  EXPECT_EQ(present(), -1.0f);
  EXPECT_EQ(squad->x, 200.0f);
  EXPECT_EQ(squad->y, 200.0f);
}

TEST(AIPosition, CellScoresDrawSixTimesAndNothingOffTheMap) {
  Rig rig;
  auto* squad = rig.Add<PlacedInfantry>(0, 30.0f, 30.0f);
  rig.CountDraws();
  EXPECT_EQ(AIOperational::ScorePosition(rig.context, *squad, -1, 0, kNoEnemies, nullptr, nullptr, nullptr), -1.0f);
  EXPECT_TRUE(gDraws.empty());
  float px = 0.0f;
  float py = 0.0f;
  const float s = AIOperational::ScorePosition(rig.context, *squad, 2, 3, kNoEnemies, &px, &py, nullptr);
  EXPECT_NEAR(s, 1.4f, 1e-6f);
  EXPECT_EQ(gDraws.size(), 6u);
  // The chosen point is one of the jittered points of the cell.
  EXPECT_GE(px, 50.0f - 9.0f);
  EXPECT_LE(px, 50.0f + 9.0f);
  EXPECT_GE(py, 70.0f - 9.0f);
  EXPECT_LE(py, 70.0f + 9.0f);
  EXPECT_EQ(squad->x, 30.0f);
}

TEST(AIPosition, SearchKeepsAGoodPlaceAndTakesABetterOne) {
  Rig rig;
  const float cx = rig.width * 0.5f + 10.0f;
  const float cy = rig.height * 0.5f + 10.0f;
  auto* squad = rig.Add<PlacedInfantry>(0, cx, cy);
  // Everywhere alike: no neighbour beats 1.4 times the present place.
  rig.CountDraws();
  EXPECT_FALSE(AIOperational::FindBestNearbyCell(rig.context, *squad, false, false));
  EXPECT_EQ(squad->waypointCount, 0);
  EXPECT_EQ(gDraws.size(), 24u * 7u);
  // With extend the rings 3 and 4 are tried too, in vain.
  rig.CountDraws();
  EXPECT_FALSE(AIOperational::FindBestNearbyCell(rig.context, *squad, true, false));
  EXPECT_EQ(gDraws.size(), (24u + 56u) * 7u);
  // Exposed where it stands, hidden to the west: a neighbour wins and the rings are skipped.
  squad->split = cx - 10.0f;
  squad->west = 0.3f;
  squad->east = 0.9f;
  rig.CountDraws();
  EXPECT_TRUE(AIOperational::FindBestNearbyCell(rig.context, *squad, true, false));
  EXPECT_EQ(gDraws.size(), 24u * 7u);
}

TEST(AIPosition, VehicleWidensOnlyWhenNothingAwayFromItsCellIsBetter) {
  Rig rig;
  const float cx = rig.width * 0.5f + 10.0f;
  const float cy = rig.height * 0.5f + 10.0f;
  ASSERT_GE(rig.width, 2.0f * 20.0f * 9.0f);
  auto* tank = rig.Add<PlacedVehicle>(0, cx, cy);
  rig.CountDraws();
  EXPECT_FALSE(AIOperational::FindBestNearbyCell(rig.context, *tank, true, false));
  EXPECT_EQ(gDraws.size(), 288u * 7u);
  // Without the baseline a positive neighbour is found at once; rings 3 and 4 still run.
  rig.CountDraws();
  EXPECT_TRUE(AIOperational::FindBestNearbyCell(rig.context, *tank, true, true));
  EXPECT_EQ(gDraws.size(), (24u + 56u) * 7u + 0u);
}

TEST(AIPosition, CarrierSendsItsRidersAndWaits) {
  Rig rig;
  auto* carrier = rig.Add<TestVehicle>(0, 100.0f, 100.0f);
  auto* rider = rig.Add<TestInfantry>(0, 100.0f, 100.0f);
  CountingSearch search;
  UnitCellSearch::Install(&search);
  EXPECT_TRUE(carrier->FindBestNearbyCell(false, false));
  EXPECT_EQ(carrier->pendingDelaySteps, 0);
  carrier->passengers[1] = rider;
  EXPECT_TRUE(carrier->FindBestNearbyCell(false, false));
  ASSERT_EQ(search.calls.size(), 3u);
  EXPECT_EQ(search.calls[2].unit, rider);
  EXPECT_TRUE(search.calls[2].extend);
  EXPECT_TRUE(search.calls[2].noBaseline);
  EXPECT_EQ(carrier->pendingDelaySteps, 1);
  UnitCellSearch::Install(nullptr);
  // With no search installed nothing is ordered.
  EXPECT_FALSE(rider->FindBestNearbyCell(true, true));
  {
    AICellSearch planning(rig.context);
    EXPECT_EQ(UnitCellSearch::Installed(), &planning);
  }
  EXPECT_EQ(UnitCellSearch::Installed(), nullptr);
}

TEST(AIPosition, EnemyInfantryNearByKindAndSide) {
  Rig rig;
  auto* squad = rig.Add<TestInfantry>(1, 210.0f, 100.0f);
  squad->squad = true;
  squad->identificationLevel = 2;
  EXPECT_TRUE(AIOperational::EnemyInfantryNear(rig.context, 100.0f, 100.0f, 0));
  EXPECT_FALSE(AIOperational::EnemyInfantryNear(rig.context, 100.0f, 100.0f, 1));
  squad->squad = false;  // a team with a plain weapon reaches 60 m
  EXPECT_FALSE(AIOperational::EnemyInfantryNear(rig.context, 100.0f, 100.0f, 0));
  EXPECT_TRUE(AIOperational::EnemyInfantryNear(rig.context, 160.0f, 100.0f, 0));
  squad->identificationLevel = 1;
  EXPECT_FALSE(AIOperational::EnemyInfantryNear(rig.context, 160.0f, 100.0f, 0));
}

TEST(AIMoves, LegSamplesOneEachTwentyMetresAndAShortLegAtItsStart) {
  Rig rig;
  const Map& map = *rig.B().map;
  rig.Paint(0.0f, 0.0f, 100.0f, 40.0f, 1);
  rig.Paint(20.0f, 0.0f, 22.0f, 40.0f, 0);  // one open strip
  EXPECT_FALSE(AIOperational::LegIsClear(map, 10.0f, 10.0f, 31.0f, 10.0f));  // 21 m: 3 points
  EXPECT_TRUE(AIOperational::LegIsClear(map, 10.0f, 10.0f, 30.0f, 10.0f));   // 20 m: 2 points
  EXPECT_TRUE(AIOperational::LegIsClear(map, 19.5f, 10.0f, 20.4f, 10.0f));   // start only
  EXPECT_FALSE(AIOperational::LegIsClear(map, 21.5f, 10.0f, 22.4f, 10.0f));
  EXPECT_TRUE(AIOperational::LegIsClear(map, 5.0f, 5.0f, 5.0f, 5.0f));
}

TEST(AIMoves, NoRouteEmptiesTheListAndNothingElse) {
  Rig rig;
  auto* squad = rig.Add<TestInfantry>(0, 100.0f, 100.0f);
  squad->waypointCount = 2;
  squad->commandDelay = 7.0f;
  bool early = true;
  AIOperational::OrderMoveTo(rig.context, *squad, -500.0f, -500.0f, false, true, &early);
  EXPECT_EQ(squad->waypointCount, 0);
  EXPECT_EQ(squad->commandDelay, 7.0f);
  EXPECT_EQ(squad->x, 100.0f);
  EXPECT_FALSE(early);
}

TEST(AIMoves, RunningSquadMovesOnClearLegsAndRunsOnTheRest) {
  Rig rig;
  rig.B().map->BuildCostGrid(1, -1);
  auto* squad = rig.Add<PlacedInfantry>(0, 100.0f, 100.0f);
  squad->squad = true;
  AIOperational::OrderMoveTo(rig.context, *squad, 100.0f, 200.0f, false, false, nullptr);
  ASSERT_GT(squad->waypointCount, 0);
  for (int32_t k = 0; k < squad->waypointCount; ++k) EXPECT_EQ(squad->WaypointAt(k).moveMode, 5);
  // The order clears the delay-exempt byte.
  squad->withdraw = 1;
  AIOperational::OrderMoveTo(rig.context, *squad, 100.0f, 200.0f, false, false, nullptr);
  EXPECT_EQ(squad->withdraw, 0);
  rig.Paint(0.0f, 0.0f, 300.0f, 300.0f, 1);
  rig.B().map->BuildCostGrid(1, -1);
  // Moving along its facing, the squad gets no delay.
  squad->speed = 0.5f;
  squad->facing = 90.0f;
  AIOperational::OrderMoveTo(rig.context, *squad, 100.0f, 200.0f, false, false, nullptr);
  ASSERT_GT(squad->waypointCount, 0);
  for (int32_t k = 0; k < squad->waypointCount; ++k) EXPECT_EQ(squad->WaypointAt(k).moveMode, 3);
  EXPECT_EQ(squad->commandDelay, 0.0f);
}

TEST(AIMoves, StayingNearTheGoalByDistance) {
  Rig rig;
  auto* squad = rig.Add<PlacedInfantry>(0, 100.0f, 100.0f);
  AIGoalGroup goal;
  goal.centreX = 100.0f;
  goal.centreY = 120.0f;
  rig.CountDraws();
  EXPECT_FALSE(AIOperational::AdvanceOnGoal(rig.context, *squad, &goal, nullptr));
  EXPECT_EQ(gDraws.size(), 1u);
  // At 55 m it stays when the draw falls below a quarter.
  goal.centreY = 155.0f;
  for (uint32_t seed = 1; seed < 6; ++seed) {
    SeedRandom(seed);
    const bool stays = RandomFloat() < 0.25f;
    SeedRandom(seed);
    squad->waypointCount = 0;
    EXPECT_EQ(AIOperational::AdvanceOnGoal(rig.context, *squad, &goal, nullptr), !stays) << seed;
  }
}

TEST(AIMoves, ExitRunEndsOneMetrePastTheEdge) {
  Rig rig;
  Battle& battle = rig.B();
  battle.exitEdge[0] = 2;
  battle.exitScoring[0] = 1;
  auto* squad = rig.Add<PlacedInfantry>(0, rig.width - 40.0f, 100.0f);
  squad->countsForPoints = 1;
  AIGoalGroup goal;
  goal.centreX = rig.width - 30.0f;
  goal.centreY = 120.0f;
  EXPECT_TRUE(AIOperational::AdvanceOnGoal(rig.context, *squad, &goal, nullptr));
  ASSERT_GE(squad->waypointCount, 1);
  const Waypoint& last = squad->WaypointAt(squad->waypointCount - 1);
  EXPECT_EQ(last.x, rig.width + 1.0f);
  EXPECT_EQ(last.moveMode, 3);
  EXPECT_EQ(last.pointKind, 3);
  if (squad->waypointCount >= 2) {
    EXPECT_EQ(squad->WaypointAt(squad->waypointCount - 2).pointKind, 2);
  }
}

TEST(AIMoves, SpreadMovesTheFirst200MetresOnTheirOwnGround) {
  Rig rig;
  auto* squad = rig.Add<PlacedInfantry>(0, 100.0f, 100.0f);
  squad->squad = true;
  rig.Paint(0.0f, 0.0f, 300.0f, 600.0f, 1);
  // Two walls of water with gaps at opposite ends bend the route.
  rig.Paint(0.0f, 150.0f, 200.0f, 156.0f, 25);
  rig.Paint(100.0f, 250.0f, 300.0f, 256.0f, 25);
  AIOperational::OrderMoveTo(rig.context, *squad, 110.0f, 500.0f, false, false, nullptr);
  ASSERT_GE(squad->waypointCount, 2);
  std::vector<Waypoint> plain(squad->waypoints.begin(), squad->waypoints.begin() + squad->waypointCount);
  AIOperational::OrderMoveTo(rig.context, *squad, 110.0f, 500.0f, false, true, nullptr);
  ASSERT_EQ(squad->waypointCount, static_cast<int32_t>(plain.size()));
  const Map& map = *rig.B().map;
  float sum = 0.0f;
  float px = 100.0f;
  float py = 100.0f;
  bool moved = false;
  for (size_t k = 0; k < plain.size(); ++k) {
    const Waypoint& spread = squad->WaypointAt(static_cast<int32_t>(k));
    sum += Distance(px, py, plain[k].x, plain[k].y);
    px = plain[k].x;
    py = plain[k].y;
    if (k + 1 == plain.size() || sum > 200.0f) {
      EXPECT_EQ(spread.x, plain[k].x) << k;
      EXPECT_EQ(spread.y, plain[k].y) << k;
      continue;
    }
    moved = moved || spread.x != plain[k].x || spread.y != plain[k].y;
    EXPECT_LE(std::fabs(spread.x - plain[k].x), 20.0f);
    EXPECT_LE(std::fabs(spread.y - plain[k].y), 20.0f);
    EXPECT_EQ(map.TerrainTypeAt(spread.x, spread.y), map.TerrainTypeAt(plain[k].x, plain[k].y));
  }
  EXPECT_TRUE(moved);
}

TEST(AIMoves, FromEightyMetresTheUnitNeverStaysForNearness) {
  Rig rig;
  auto* squad = rig.Add<PlacedInfantry>(0, 100.0f, 100.0f);
  AIGoalGroup goal;
  goal.centreX = 100.0f;
  goal.centreY = 185.0f;
  for (uint32_t seed = 1; seed < 8; ++seed) {
    SeedRandom(seed);
    squad->waypointCount = 0;
    EXPECT_TRUE(AIOperational::AdvanceOnGoal(rig.context, *squad, &goal, nullptr)) << seed;
  }
}

TEST(AIMoves, VehicleNeverStopsOnAPavedGoal) {
  Rig rig;
  auto* tank = rig.Add<PlacedVehicle>(0, 200.0f, 100.0f);
  rig.Paint(150.0f, 290.0f, 250.0f, 330.0f, 36);  // a road across the goal
  AIGoalGroup goal;
  goal.centreX = 200.0f;
  goal.centreY = 310.0f;
  const Map& map = *rig.B().map;
  for (uint32_t seed = 1; seed < 6; ++seed) {
    SeedRandom(seed);
    tank->waypointCount = 0;
    EXPECT_TRUE(AIOperational::AdvanceOnGoal(rig.context, *tank, &goal, nullptr));
    if (tank->waypointCount == 0) continue;
    const Waypoint& last = tank->WaypointAt(tank->waypointCount - 1);
    EXPECT_FALSE(IsPavedTerrain(map.TerrainTypeAt(last.x, last.y))) << seed;
    EXPECT_LE(std::fabs(last.x - 200.0f), 60.0f);
  }
}

TEST(AIMoves, TacticalArmourPutsItsTargetBackAndFacesIt) {
  Rig rig;
  auto* tank = rig.Add<PlacedVehicle>(0, 100.0f, 100.0f);
  tank->armored = true;
  tank->type23 = true;
  tank->turret = true;
  auto* gun = rig.Add<PlatedVehicle>(1, 300.0f, 300.0f);
  gun->armored = true;
  gun->type23 = true;
  gun->facing = 33.0f;
  tank->target = gun;
  AIOperational::OrderMoveTo(rig.context, *tank, 100.0f, 200.0f, true, false, nullptr);
  EXPECT_EQ(gun->facing, 33.0f);
  EXPECT_EQ(tank->x, 100.0f);
  EXPECT_EQ(tank->y, 100.0f);
  ASSERT_GE(tank->waypointCount, 2);
  // The route in hunting mode, then a pause facing the target.
  EXPECT_EQ(tank->WaypointAt(0).moveMode, 2);
  const Waypoint& last = tank->WaypointAt(tank->waypointCount - 1);
  EXPECT_EQ(last.x, 300.0f);
  EXPECT_EQ(last.y, 300.0f);
}
