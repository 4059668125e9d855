// How visible an infantry unit is from a point, how far an observer sees it, and whether
// enemies watch a direction.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/core/GGroup.h"
#include "game/map/Crater.h"
#include "game/map/MapObjectList.h"
#include "game/units/InfantryValuesRig.h"

namespace {

// The unit at (100, 100); looks are taken from 200 m west at its own height (the trace then
// ends short of the unit's own cell).
struct SightRig : InfantryValuesRig {
  SightRig() : unit(rig.Make(InfantryRig::kSquad, 6)) {}
  float Look(bool byPosture, bool fromAbove, bool halfTerrain = false, int32_t viewMode = 0, float dx = -200.0f) {
    return unit->VisibilityFromPoint(unit->x + dx, unit->y, unit->GetBaseHeight(), byPosture, fromAbove, halfTerrain,
                                     viewMode);
  }
  std::unique_ptr<Infantry> unit;
};

}  // namespace

TEST(InfantrySight, VisibilityByPostureTerrainAndPassage) {
  SightRig f;
  f.SetTerrain(100.0f, 100.0f, 13);
  EXPECT_NEAR(f.Look(true, false), 0.335f, 1e-5f);
  f.unit->activityState = Infantry::kRun;
  EXPECT_NEAR(f.Look(true, false), 0.698f, 1e-5f);
  const std::pair<int32_t, float> postures[] = {{Infantry::kHiding, 0.7f}, {Infantry::kCrawl, 1.0f},
                                                {Infantry::kSneak, 1.7f}, {Infantry::kMove, 2.0f}};
  for (const auto& [state, factor] : postures) {
    f.unit->activityState = state;
    EXPECT_NEAR(f.Look(true, false), factor * 0.33f + 0.005f, 1e-5f) << state;
  }
  // Without the posture factor, and from above (the posture does not count there).
  EXPECT_NEAR(f.Look(false, false), 0.335f, 1e-5f);
  EXPECT_NEAR(f.Look(true, true), 1.1355f, 1e-5f);
  // From above, code 19 lifts the concealment by a third, the building codes not at all.
  f.SetTerrain(100.0f, 100.0f, 19);
  EXPECT_NEAR(f.Look(false, true), 1.7f * (2.0f * 0.24f + 1.0f) * 0.33333f + 0.005f, 1e-5f);
  f.SetTerrain(100.0f, 100.0f, 32);
  EXPECT_NEAR(f.Look(false, true), 1.7f * 0.12f + 0.005f, 1e-5f);
  // Half terrain counts outside view modes 0 and 7 on codes 1 to 3.
  f.SetTerrain(100.0f, 100.0f, 2);
  EXPECT_NEAR(f.Look(false, false, true, 0), 0.245f, 1e-5f);
  EXPECT_NEAR(f.Look(false, false, true, 7), 0.245f, 1e-5f);
  EXPECT_NEAR(f.Look(false, false, true, 2), (0.24f + 1.0f) * 0.5f + 0.005f, 1e-5f);
  // A passenger is seen whole: 1.0, 1.5 from above.
  auto vehicle = f.rig.Make(InfantryRig::kTeam, 6);
  f.unit->carrier = vehicle.get();
  EXPECT_EQ(f.Look(true, false), 1.0f);
  EXPECT_EQ(f.Look(true, true), 1.5f);
  f.unit->carrier = nullptr;
  // A trace that fails (the points are too far apart) sees nothing.
  EXPECT_EQ(f.Look(true, false, false, 0, 6000.0f), 0.0f);
}

TEST(InfantrySight, ConcealmentOfEveryTerrainCode) {
  const float want[45] = {0.75f, 0.45f, 0.24f, 0.15f, 0.7f, 1.0f, 0.76f, 0.76f, 0.9f, 1.0f, 1.0f, 1.0f,
                          0.65f, 0.33f, 0.18f, 0.18f, 0.6f, 0.53f, 0.28f, 0.24f, 0.75f, 0.33f, 0.18f, 0.18f,
                          1.0f,  1.0f,  1.0f,  1.0f,  0.75f, 0.95f, 0.75f, 0.2f, 0.12f, 0.2f, 0.12f, 1.0f,
                          1.0f,  1.0f,  1.0f,  1.0f,  1.0f,  1.0f,  1.0f,  1.0f, 1.0f};
  for (int32_t t = 0; t < 45; ++t) EXPECT_EQ(Infantry::TerrainConcealment(t), want[t]) << t;
}

TEST(InfantrySight, ACraterCloseByHidesNothingOutsideViewModes0And7) {
  SightRig f;
  f.SetTerrain(100.0f, 100.0f, 1);
  f.SetTerrain(102.0f, 100.0f, 1);
  auto* crater = new Crater;
  crater->x = 102.0f;
  crater->y = 100.0f;
  crater->radius = 1.0f;
  crater->lasting = 1;
  f.Map().objects.craters->Append(crater);
  f.Map().IndexLastingCrater(*crater);
  ASSERT_TRUE(f.Map().HasCraterAt(102.0f, 100.0f));
  EXPECT_NEAR(f.Look(false, false, false, 2, 2.0f), 1.005f, 1e-5f);
  EXPECT_LT(f.Look(false, false, false, 0, 2.0f), 1.0f);
  // Farther than 3 m the crater does not count.
  EXPECT_NEAR(f.Look(false, false, false, 2, 200.0f), 0.455f, 1e-5f);
}

TEST(InfantrySight, SightingRangeByStateTimeOfDayRatingAndWeapon) {
  SightRig f;
  f.SetTerrain(100.0f, 100.0f, 5);  // concealment 1: v = 1.005 over a clear line
  auto observer = f.rig.Make(InfantryRig::kSquad, 3);
  observer->x = 300.0f;
  f.unit->rating = 0;  // rating factor 1.1414
  const float v = 1.005f;
  f.unit->activityState = Infantry::kMove;
  EXPECT_NEAR(f.unit->GetSightingRange(*observer), (810.7f * v - 19.36f * v * v + 85.58f) * 1.1414f, 0.01f);
  f.unit->activityState = Infantry::kStationary;
  const float standing = (252.0f * v + 375.2f * v * v + 1.61f) * 1.1414f;
  EXPECT_NEAR(f.unit->GetSightingRange(*observer), standing, 0.01f);
  f.unit->activityState = Infantry::kCrawl;
  EXPECT_NEAR(f.unit->GetSightingRange(*observer), (316.4f * v + 442.9f * v * v + 6.214f) * 1.1414f, 0.01f);
  f.unit->activityState = Infantry::kStationary;
  // Night and dusk.
  f.Battle().timeOfDay = 2;
  EXPECT_NEAR(f.unit->GetSightingRange(*observer), standing * 0.333333f, 0.01f);
  f.Battle().timeOfDay = 1;
  EXPECT_NEAR(f.unit->GetSightingRange(*observer), standing * 0.666667f, 0.01f);
  f.Battle().timeOfDay = 0;
  // Rating 4: x (1.1414 - 0.2); weapon 92: x 0.4.
  f.unit->rating = 4;
  EXPECT_NEAR(f.unit->GetSightingRange(*observer), standing / 1.1414f * 0.9414f, 0.01f);
  InfantryRig::Put32(f.rig.Class(InfantryRig::kSquad) + 56, 92);
  EXPECT_NEAR(f.unit->GetSightingRange(*observer), standing / 1.1414f * 0.9414f * 0.4f, 0.01f);
  // Never below 10 m while visible: a hiding squad in a building at night.
  f.SetTerrain(100.0f, 100.0f, 32);
  f.unit->activityState = Infantry::kHiding;
  f.Battle().timeOfDay = 2;
  EXPECT_EQ(f.unit->GetSightingRange(*observer), 10.0f);
  // Not at all over a failed trace.
  observer->x = 7000.0f;
  EXPECT_EQ(f.unit->GetSightingRange(*observer), 0.0f);
}

TEST(InfantrySight, DirectionWatchedByALiveEnemyWithin45Degrees) {
  SightRig f;
  auto enemy = f.rig.Make(InfantryRig::kSquad, 3);  // Allied: side byte 0
  f.rig.world.Lend(enemy.get());
  const int32_t axis = 1;
  // From (100, 100) looking east; the enemy 100 m away at 40 degrees, then 50 degrees.
  enemy->x = 100.0f + 100.0f * std::cos(0.6981317f);
  enemy->y = 100.0f + 100.0f * std::sin(0.6981317f);
  EXPECT_TRUE(Infantry::IsDirectionWatched(axis, 30.0f, 100.0f, 100.0f, 300.0f, 100.0f));
  EXPECT_FALSE(Infantry::IsDirectionWatched(0, 30.0f, 100.0f, 100.0f, 300.0f, 100.0f));  // own side
  EXPECT_FALSE(Infantry::IsDirectionWatched(axis, 10.0f, 100.0f, 100.0f, 300.0f, 100.0f));  // beyond 90 m
  enemy->x = 100.0f + 100.0f * std::cos(0.8726646f);
  enemy->y = 100.0f + 100.0f * std::sin(0.8726646f);
  EXPECT_FALSE(Infantry::IsDirectionWatched(axis, 30.0f, 100.0f, 100.0f, 300.0f, 100.0f));
  EXPECT_TRUE(Infantry::IsDirectionWatched(axis, 30.0f, 100.0f, 100.0f, 300.0f, 300.0f));
  enemy->alive = 0;
  EXPECT_FALSE(Infantry::IsDirectionWatched(axis, 30.0f, 100.0f, 100.0f, 300.0f, 300.0f));
}

TEST(InfantrySight, SettlingAndTheSpottersKeptPoint) {
  SightRig f;
  for (auto [from, to] : {std::pair{0.3f, 0.0f}, {0.5f, 0.0f}, {0.51f, 1.0f}, {0.0f, 0.0f}, {1.0f, 1.0f}}) {
    f.unit->level = from;
    f.unit->SettleLevel();
    EXPECT_EQ(f.unit->level, to) << from;
  }
  auto spotter = f.rig.Make(InfantryRig::kSpotter, 6);
  spotter->areaFire = 1;
  spotter->targetX = 400.0f;
  spotter->targetY = 500.0f;
  spotter->BeginTurn();
  EXPECT_EQ(spotter->keptAreaFirePoint[0], 400.0f);
  EXPECT_EQ(spotter->keptAreaFirePoint[1], 500.0f);
  spotter->areaFire = 0;
  spotter->BeginTurn();
  EXPECT_EQ(spotter->keptAreaFirePoint[0], 999999.0f);
}
