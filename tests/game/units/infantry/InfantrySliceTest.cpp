// The infantry slice step: the withdraw order's draws, what a panicked or sneaking unit may
// still do, the fire arc, a heavy weapon's set-up, the aim starting, the figures' activity
// and the routed mark. Target choice belongs to the unit; where a slice would reach it, the
// tests hold it back with a fire delay below 0 (which a squad without a heavy weapon drops to
// 0 at the end of the slice).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/units/InfantryValuesRig.h"

namespace {

std::vector<int32_t> gBounds;
void RecordBound(int32_t n) { gBounds.push_back(n); }

struct SliceRig : InfantryValuesRig {
  explicit SliceRig(int32_t classIndex = InfantryRig::kSquad, int32_t rating = 2)
      : unit(rig.Make(classIndex, 6, rating)) {
    unit->x = 200.0f;
    unit->y = 200.0f;
    unit->facing = 0.0f;
    unit->fanaticState = 1;
    SeedRandom(7);
  }
  ~SliceRig() override { SetRandomBoundObserver(nullptr); }
  void Point(float px, float py, int32_t mode) {
    Waypoint& w = unit->waypoints[static_cast<size_t>(unit->waypointCount++)];
    w = Waypoint{};
    w.x = px;
    w.y = py;
    w.moveMode = mode;
    w.pointKind = 1;
  }
  void AimAt(float px, float py) {
    unit->areaFire = 1;
    unit->targetX = px;
    unit->targetY = py;
  }
  std::unique_ptr<Infantry> unit;
};

TEST(InfantrySlice, WithdrawAtRatingEightAddsTwentyWithOneDraw) {
  SliceRig f(InfantryRig::kSquad, 8);
  f.unit->withdraw = 1;
  f.unit->reloadState = -1.0f;
  gBounds.clear();
  SetRandomBoundObserver(RecordBound);
  f.unit->UpdateSlice(0);
  SetRandomBoundObserver(nullptr);
  EXPECT_EQ(f.unit->suppression, 20.0f);
  EXPECT_EQ(f.unit->withdraw, 0);
  EXPECT_EQ(std::count(gBounds.begin(), gBounds.end(), 220), 1);
  EXPECT_EQ(std::count(gBounds.begin(), gBounds.end(), 2), 0);
}

TEST(InfantrySlice, PanickedUnitMovesButNeverReachesTheFiringStep) {
  SliceRig f;
  f.Point(300.0f, 200.0f, Infantry::kMove);
  f.unit->reloadState = 5.0f;
  f.unit->suppression = 200.0f;  // band 5
  f.unit->UpdateSlice(0);
  EXPECT_GT(f.unit->x, 200.0f);
  EXPECT_EQ(f.unit->reloadState, 5.0f);
  // Panic in the open: Move for a class slower than speed class 4.
  EXPECT_EQ(f.unit->activityState, Infantry::kMove);
  EXPECT_EQ(f.unit->activityCodes[0], 0);
  // Steadier, the same unit counts its fire delay down while moving (no main weapon).
  f.unit->suppression = 0.0f;
  f.unit->activityState = Infantry::kMove;
  f.unit->FiringStep();
  EXPECT_FLOAT_EQ(f.unit->reloadState, 4.975f);
}

TEST(InfantrySlice, SneakingNeverFiresAndTheArcNarrowsStanding) {
  SliceRig f;
  f.AimAt(200.0f + 100.0f, 200.0f + 17.6f);  // 10 degrees off the facing
  f.unit->reloadState = 1.0f;
  f.unit->activityState = Infantry::kSneak;
  f.unit->FiringStep();
  EXPECT_EQ(f.unit->reloadState, 1.0f);
  // Standing the arc is 1 degree: the point lies outside, nothing runs down.
  f.unit->activityState = Infantry::kStationary;
  f.unit->FiringStep();
  EXPECT_EQ(f.unit->reloadState, 1.0f);
  // Moving it is 25 degrees.
  f.unit->activityState = Infantry::kMove;
  f.unit->FiringStep();
  EXPECT_FLOAT_EQ(f.unit->reloadState, 0.975f);
}

TEST(InfantrySlice, SetUpRunsOnlyBelowBandFourAndAimStartsAsTheDelayEnds) {
  SliceRig mortar(InfantryRig::kMortar);
  mortar.unit->reloadState = -10.0f;
  mortar.unit->suppression = 100.0f;  // band 4
  mortar.unit->FiringStep();
  EXPECT_EQ(mortar.unit->reloadState, -10.0f);
  mortar.unit->suppression = 60.0f;  // band 3
  mortar.unit->FiringStep();
  EXPECT_FLOAT_EQ(mortar.unit->reloadState, -9.975f);

  SliceRig f;
  f.unit->reloadState = -3.0f;  // no heavy weapon: no set-up
  f.unit->FiringStep();
  EXPECT_EQ(f.unit->reloadState, 0.0f);
  f.unit->reloadState = 0.025f;
  f.unit->aimTime = 99.0f;
  f.unit->FiringStep();
  EXPECT_EQ(f.unit->reloadState, 0.0f);
  EXPECT_EQ(f.unit->aimTime, 1.0f);
}

TEST(InfantrySlice, ActivityByStateAndRoutedMarkSetOnce) {
  SliceRig f;
  f.unit->reloadState = -1.0f;
  f.unit->UpdateSlice(0);
  EXPECT_EQ(f.unit->reloadState, 0.0f);
  EXPECT_EQ(f.unit->activityState, Infantry::kStationary);
  EXPECT_EQ(f.unit->activityCodes[0], 2);
  f.unit->flagBytes[Unit::kHoldFlag] = 1;  // the hide order
  f.unit->reloadState = -1.0f;
  f.unit->UpdateSlice(1);
  EXPECT_EQ(f.unit->activityState, Infantry::kHiding);
  EXPECT_EQ(f.unit->activityCodes[0], 5);
  EXPECT_EQ(f.unit->routed, 0);
  f.unit->suppression = 330.0f;  // band 6
  f.unit->UpdateSlice(2);
  EXPECT_EQ(f.unit->routed, 1);
  f.unit->suppression = 0.0f;
  f.unit->reloadState = -1.0f;
  f.unit->UpdateSlice(3);
  EXPECT_EQ(f.unit->routed, 1);
}

TEST(InfantrySlice, SpotterAimRunsAtHalfSpeedWhenMovingOrHiding) {
  SliceRig f(InfantryRig::kSpotter);
  f.AimAt(400.0f, 200.0f);
  f.unit->aimTime = 10.0f;
  f.unit->activityState = Infantry::kHiding;
  f.unit->AreaFireStep();
  EXPECT_FLOAT_EQ(f.unit->aimTime, 10.0f - 0.0125f);
}

}  // namespace
