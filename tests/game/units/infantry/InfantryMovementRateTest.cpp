// The movement state an infantry unit takes each slice, the speed the ground lets it make,
// and the slice countdown of timers.
#include <gtest/gtest.h>

#include "game/units/InfantryValuesRig.h"

namespace {

// Suppression at the lower bound of each morale band 0..7.
constexpr float kBandSuppression[8] = {0.0f, 10.0f, 30.0f, 60.0f, 100.0f, 200.0f, 330.0f, 500.0f};

struct MoveRig : InfantryValuesRig {
  MoveRig() : unit(rig.Make(InfantryRig::kSquad, 6)) {}
  void SetSpeedClass(int32_t classIndex, int32_t value) { InfantryRig::Put32(rig.Class(classIndex) + 108, value); }
  void SetClassCode(int32_t classIndex, int32_t value) { InfantryRig::Put32(rig.Class(classIndex) + 112, value); }
  // One waypoint of the mode 50 m east.
  void Order(Infantry& u, int32_t mode) {
    u.waypointCount = 1;
    u.waypoints[0] = Waypoint{};
    u.waypoints[0].x = u.x + 50.0f;
    u.waypoints[0].y = u.y;
    u.waypoints[0].moveMode = mode;
  }
  std::unique_ptr<Infantry> unit;
};

constexpr float kMetresPerSlice = 0.4473f * 0.025f;

}  // namespace

TEST(InfantryMoveState, OrdersByBandCoverFatigueAndSpeedClass) {
  struct Case {
    int32_t band;
    bool covered;
    int32_t fatigue;
    int32_t speedClass;
    int32_t mode;
    int32_t want;
  };
  const Case cases[] = {
      // Orders as given while steady; Rotate To counts as standing.
      {0, false, 0, 3, 3, 3}, {0, false, 0, 3, 4, 4}, {0, false, 0, 3, 5, 5}, {0, false, 0, 3, 7, 7},
      {0, false, 0, 3, 9, 0},
      // Fatigue: Run becomes Move above level 2, Sneak above level 3.
      {0, false, 3, 4, 5, 3}, {0, false, 3, 4, 4, 4}, {0, false, 4, 4, 4, 3},
      // Band 1: an exposed fast unit runs its moves.
      {1, false, 0, 4, 3, 5}, {1, false, 0, 3, 3, 3}, {1, true, 0, 4, 3, 3},
      // Band 2: exposed moves and sneaks run (fast) or crawl.
      {2, false, 0, 4, 4, 5}, {2, false, 0, 3, 4, 7}, {2, true, 0, 3, 4, 4},
      // Band 3: in cover too.
      {3, true, 0, 3, 3, 7}, {3, true, 0, 4, 3, 5}, {3, true, 3, 4, 3, 7},
      // Band 4: standing hides, moving runs when fast and exposed, else crawls.
      {4, false, 0, 3, 0, 6}, {4, false, 0, 4, 3, 5}, {4, true, 0, 4, 3, 7}, {4, false, 0, 3, 3, 7},
      // Band 5: exposed units run (speed class 4) or move; covered ones hide.
      {5, false, 0, 4, 3, 5}, {5, false, 0, 3, 3, 3}, {5, true, 0, 4, 3, 6},
      // Bands 6 and 7 always flee.
      {6, true, 0, 4, 3, 5}, {7, true, 0, 3, 0, 3},
  };
  MoveRig f;
  for (const Case& c : cases) {
    f.SetSpeedClass(InfantryRig::kSquad, c.speedClass);
    f.SetTerrain(100.0f, 100.0f, c.covered ? 13 : 0);
    f.unit->suppression = kBandSuppression[c.band];
    f.unit->fatigueLevel = c.fatigue;
    f.Order(*f.unit, c.mode);
    EXPECT_EQ(f.unit->ChooseMoveState(false), c.want)
        << "band " << c.band << " covered " << c.covered << " fatigue " << c.fatigue << " class " << c.speedClass
        << " mode " << c.mode;
  }
}

TEST(InfantryMoveState, WithoutOrdersHidingSurrenderAndBoarding) {
  MoveRig f;
  EXPECT_EQ(f.unit->ChooseMoveState(false), 0);
  // Fire without a target of its own: it hides.
  f.unit->suppression = 5.0f;
  EXPECT_EQ(f.unit->ChooseMoveState(false), 6);
  f.unit->target = f.unit.get();
  EXPECT_EQ(f.unit->ChooseMoveState(false), 0);
  f.unit->suppression = kBandSuppression[5];
  EXPECT_EQ(f.unit->ChooseMoveState(false), 6);
  f.unit->target = nullptr;
  f.unit->suppression = 0.0f;
  // The hide order, and an order still delayed after hiding.
  f.unit->flagBytes[Unit::kHoldFlag] = 1;
  f.Order(*f.unit, 3);
  EXPECT_EQ(f.unit->ChooseMoveState(false), 6);
  f.unit->flagBytes[Unit::kHoldFlag] = 0;
  f.unit->commandDelay = 2.0f;
  f.unit->activityState = Infantry::kCrawl;
  EXPECT_EQ(f.unit->ChooseMoveState(false), 6);
  f.unit->activityState = Infantry::kMove;
  EXPECT_EQ(f.unit->ChooseMoveState(false), 0);
  f.unit->commandDelay = 0.0f;
  // Waiting for a moving vehicle to board holds the squad (only when asked).
  auto vehicle = f.rig.Make(InfantryRig::kTeam, 6);
  vehicle->speed = 0.1f;
  f.unit->boardingTarget = vehicle.get();
  EXPECT_EQ(f.unit->ChooseMoveState(true), 0);
  EXPECT_EQ(f.unit->ChooseMoveState(false), 3);
  f.unit->boardingTarget = nullptr;
  // A surrendered unit never hides or crawls.
  f.unit->surrendered = 1;
  f.Order(*f.unit, 7);
  EXPECT_EQ(f.unit->ChooseMoveState(false), 3);
  f.unit->waypointCount = 0;
  f.unit->suppression = kBandSuppression[5];
  EXPECT_EQ(f.unit->ChooseMoveState(false), 0);
}

TEST(InfantryMoveStateDeathTest, VehicleModesOnAnInfantryWaypointAreFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  MoveRig f;
  f.Order(*f.unit, 1);
  EXPECT_DEATH(f.unit->ChooseMoveState(false), "Infantry");
}

TEST(InfantryMovementRate, SpeedByClassStateAndTerrain) {
  MoveRig f;
  f.unit->activityState = Infantry::kMove;
  f.SetTerrain(100.0f, 100.0f, 13);
  EXPECT_NEAR(f.unit->GetTerrainMobility(nullptr), 0.031311f, 1e-6f);
  // Speed class 1, class code 4, open ground; Crawl a fifth of it.
  f.SetSpeedClass(InfantryRig::kSquad, 1);
  f.SetClassCode(InfantryRig::kSquad, 4);
  f.SetTerrain(100.0f, 100.0f, 0);
  EXPECT_NEAR(f.unit->GetTerrainMobility(nullptr), 0.0140899f, 1e-7f);
  f.unit->activityState = Infantry::kCrawl;
  EXPECT_NEAR(f.unit->GetTerrainMobility(nullptr), 1.26f * 0.2f * kMetresPerSlice, 1e-7f);
  f.unit->activityState = Infantry::kMove;
  // Speed class 1 stops in rough ground; class code 9 creeps.
  for (int32_t t : {4, 5, 12, 19, 28}) {
    f.SetTerrain(100.0f, 100.0f, t);
    EXPECT_EQ(f.unit->GetTerrainMobility(nullptr), 0.0f) << t;
  }
  f.SetTerrain(100.0f, 100.0f, 0);
  f.SetClassCode(InfantryRig::kSquad, 9);
  EXPECT_NEAR(f.unit->GetTerrainMobility(nullptr), 0.001f * kMetresPerSlice, 1e-9f);
  // Speed classes 2..4 by state.
  f.SetClassCode(InfantryRig::kSquad, 5);
  const std::tuple<int32_t, int32_t, float> rates[] = {
      {2, Infantry::kRun, 2.1f},    {3, Infantry::kRun, 3.5f},     {4, Infantry::kRun, 8.0f},
      {3, Infantry::kCrawl, 0.9807f}, {4, Infantry::kCrawl, 1.47f}, {2, Infantry::kCrawl, 0.4893f},
      {4, Infantry::kSneak, 2.1f},  {2, Infantry::kMove, 2.1f},    {4, Infantry::kStationary, 3.5f}};
  for (const auto& [speedClass, state, mph] : rates) {
    f.SetSpeedClass(InfantryRig::kSquad, speedClass);
    f.unit->activityState = state;
    EXPECT_NEAR(f.unit->GetTerrainMobility(nullptr), mph * kMetresPerSlice, 1e-7f) << speedClass << " " << state;
  }
  // Roads of a building: a gun team stops, a rifle squad goes at half speed; water stops all.
  f.SetSpeedClass(InfantryRig::kSquad, 3);
  f.unit->activityState = Infantry::kMove;
  f.SetTerrain(100.0f, 100.0f, 31);
  EXPECT_NEAR(f.unit->GetTerrainMobility(nullptr), 3.5f * kMetresPerSlice * 0.5f, 1e-7f);
  InfantryRig::Put32(f.rig.Class(InfantryRig::kSquad) + 56, InfantryRig::kGunWeapon);
  EXPECT_EQ(f.unit->GetTerrainMobility(nullptr), 0.0f);
  f.SetTerrain(100.0f, 100.0f, 25);
  EXPECT_EQ(f.unit->GetTerrainMobility(nullptr), 0.0f);
  // The floor level comes back through the out.
  f.unit->level = 1.0f;
  float floorLevel = -1.0f;
  f.unit->GetTerrainMobility(&floorLevel);
  EXPECT_EQ(floorLevel, 1.0f);
}

TEST(InfantryMovementRate, FireAheadAndGroundCondition) {
  MoveRig f;
  f.unit->activityState = Infantry::kMove;
  const float walk = 3.5f * kMetresPerSlice;
  // Just short of the next tile, walking east (facing 0) into it.
  f.unit->x = 119.99f;
  f.unit->facing = 0.0f;
  f.unit->movementFlag = 1;
  f.Map().IgniteTile(125.0f, 100.0f, false);
  ASSERT_NE(f.Map().BurningAt(125.0f, 100.0f), 0);
  EXPECT_EQ(f.unit->GetTerrainMobility(nullptr), 0.0f);
  // Standing in the burning tile it keeps its rate so it can leave.
  f.unit->x = 125.0f;
  EXPECT_NEAR(f.unit->GetTerrainMobility(nullptr), walk, 1e-7f);
  f.unit->x = 100.0f;
  f.unit->movementFlag = 0;
  // Mud halves, deep snow quarters the going on ground-condition terrain.
  f.SetTerrain(100.0f, 100.0f, 13);
  for (auto [ground, factor] : {std::pair{5, 0.5f}, {7, 0.5f}, {8, 0.25f}, {6, 1.0f}}) {
    f.Battle().groundCondition = ground;
    EXPECT_NEAR(f.unit->GetTerrainMobility(nullptr), walk * 0.8f * factor, 1e-7f) << ground;
  }
  f.Battle().groundCondition = 0;
}

TEST(InfantryMovementRate, MoveClassFollowsTheCrewWeaponAndTheSpeedClass) {
  // Routes of a crew weapon and of a slow unit are planned on the grid that keeps off walls,
  // hedges, buildings and rough going; other foot units on the open one.
  MoveRig f;
  EXPECT_EQ(f.unit->GetSpeedClass(), 3);
  EXPECT_EQ(f.unit->GetMoveClass(), 0);
  f.SetSpeedClass(InfantryRig::kSquad, 2);
  EXPECT_EQ(f.unit->GetMoveClass(), 0);
  f.SetSpeedClass(InfantryRig::kSquad, 1);
  EXPECT_EQ(f.unit->GetMoveClass(), 1);
  // Unable to move, the speed class is 0.
  f.SetSpeedClass(InfantryRig::kSquad, 3);
  f.unit->immobilized = 1;
  EXPECT_EQ(f.unit->GetMoveClass(), 1);
  // A gun (weapon type 2) is class 1 whatever its speed; a mortar (type 4) is not a gun.
  std::unique_ptr<Infantry> mortar = f.rig.Make(InfantryRig::kMortar, 6);
  EXPECT_EQ(mortar->GetMoveClass(), 0);
  InfantryRig::Put32(f.rig.Class(InfantryRig::kMortar) + 56, InfantryRig::kGunWeapon);
  EXPECT_EQ(mortar->GetMoveClass(), 1);
}

TEST(InfantryMovementRate, SpeedClassAimPointAndTimers) {
  MoveRig f;
  EXPECT_EQ(f.unit->GetSpeedClass(), 3);
  f.unit->surrendered = 1;
  EXPECT_EQ(f.unit->GetSpeedClass(), 4);
  f.unit->immobilized = 1;
  EXPECT_EQ(f.unit->GetSpeedClass(), 0);
  f.unit->aimPoint = {100.0f, 100.0f};
  EXPECT_TRUE(f.unit->IsNearAimPoint(160.0f, 180.0f));
  EXPECT_FALSE(f.unit->IsNearAimPoint(160.1f, 180.0f));
  float t = 0.025f;
  Infantry::DecrementTimer(t);
  EXPECT_EQ(t, 0.0f);
  t = 0.026f;
  Infantry::DecrementTimer(t);
  EXPECT_NEAR(t, 0.001f, 1e-6f);
  t = -1.0f;
  Infantry::DecrementTimer(t);
  EXPECT_EQ(t, 0.0f);
}
