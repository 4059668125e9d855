// Infantry riding: when a rider gets off (never at speed, reversing included), where it is put
// down, a heavy weapon's set-up after dismounting, a kind-5 vehicle on terrain 25, boarding and
// walking to the vehicle to board.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/core/Quorl.h"
#include "game/units/InfantryValuesRig.h"
#include "game/units/TestVehicle.h"

namespace {

struct RideRig : InfantryValuesRig {
  RideRig() : rider(rig.Make(InfantryRig::kSquad, 6)) {
    vehicle.x = 300.0f;
    vehicle.y = 300.0f;
    vehicle.facing = 0.0f;
    vehicle.record[200] = 5;  // carries up to transport class 5
    rider->fanaticState = 1;
    Board(*rider);
    SeedRandom(11);
  }
  void Board(Infantry& unit) {
    unit.carrier = &vehicle;
    vehicle.AddPassenger(&unit);
    unit.SyncPositionWithLinkedUnit(false);
  }
  TestVehicle vehicle;
  std::unique_ptr<Infantry> rider;
};

TEST(InfantryRiding, NeverOffAtSpeedReversingIncluded) {
  RideRig f;
  f.rider->suppression = 60.0f;  // band 3: would leave in panic once halted
  for (const float v : {0.11f, -0.11f, -0.5f}) {
    f.vehicle.speed = v;
    f.rider->TryDismount();
    EXPECT_EQ(f.rider->carrier, &f.vehicle) << v;
  }
  // Creeping lets off only a fast class; a halted vehicle anyone.
  f.vehicle.speed = -0.05f;
  f.rider->TryDismount();
  EXPECT_EQ(f.rider->carrier, &f.vehicle);
  f.vehicle.speed = 0.0f;
  f.rider->TryDismount();
  EXPECT_EQ(f.rider->carrier, nullptr);
  EXPECT_EQ(f.vehicle.passengers[0], nullptr);
}

TEST(InfantryRiding, SteadySquadStaysAndLostVehicleUnloadsBehindIt) {
  RideRig f;
  f.rider->TryDismount();
  EXPECT_EQ(f.rider->carrier, &f.vehicle);
  f.vehicle.alive = 0;
  f.rider->TryDismount();
  ASSERT_EQ(f.rider->carrier, nullptr);
  const float dx = f.rider->x - f.vehicle.x;
  const float dy = f.rider->y - f.vehicle.y;
  EXPECT_NEAR(std::sqrt(dx * dx + dy * dy), 5.0f, 1e-3f);
  // Behind: within 40 degrees either side of straight back (facing 0 is east).
  EXPECT_LT(dx, -5.0f * std::cos(40.5f * 3.14159265f / 180.0f));

  // Off the map behind: put down on the vehicle itself.
  auto second = f.rig.Make(InfantryRig::kSquad, 7);
  f.vehicle.x = 1.0f;
  f.vehicle.y = 300.0f;
  f.Board(*second);
  second->TryDismount();
  EXPECT_EQ(second->carrier, nullptr);
  EXPECT_EQ(second->x, 1.0f);
  EXPECT_EQ(second->y, 300.0f);
}

TEST(InfantryRiding, HeavyTeamLeavingInOrderDelaysTheVehicleAndSetsUp) {
  RideRig f;
  auto mortar = f.rig.Make(InfantryRig::kMortar, 7);
  f.vehicle.passengers = {};
  f.vehicle.riders = 0;
  f.rider->carrier = nullptr;
  f.Board(*mortar);
  mortar->suppression = 60.0f;  // band 3 with a heavy weapon: an ordered dismount
  f.vehicle.commandDelay = 2.0f;
  mortar->TryDismount();
  EXPECT_EQ(mortar->carrier, nullptr);
  EXPECT_EQ(f.vehicle.commandDelay, 47.0f);
  // Class code 5: 1.5 minutes.
  EXPECT_EQ(mortar->reloadState, -90.0f);
  EXPECT_EQ(Infantry::WeaponSetUpFactor(10, 0) * -60.0f, -1200.0f);
  EXPECT_FLOAT_EQ(Infantry::WeaponSetUpFactor(10, 2) * -60.0f, -720.0f);
  EXPECT_EQ(Infantry::WeaponSetUpFactor(3, 0), 0.5f);
}

TEST(InfantryRiding, KindFiveOnTerrain25KeepsItsRidersInAction) {
  RideRig f;
  f.vehicle.boat = true;
  f.vehicle.alive = 0;
  f.SetTerrain(300.0f, 300.0f, 25);
  f.rider->TryDismount();
  EXPECT_EQ(f.rider->carrier, &f.vehicle);
  f.Battle().setupPhase = true;
  f.rider->TryDismount();
  EXPECT_EQ(f.rider->carrier, nullptr);
}

TEST(InfantryRiding, EmbarkFailsAtBandSixAndBoardingFollowsTheVehicle) {
  RideRig f;
  auto squad = f.rig.Make(InfantryRig::kSquad, 8);
  squad->x = 250.0f;
  squad->y = 300.0f;
  f.vehicle.passengers = {};
  f.vehicle.riders = 0;
  squad->boardingTarget = &f.vehicle;
  EXPECT_TRUE(squad->FollowBoardingTarget() == false);  // not moving yet
  ASSERT_EQ(squad->waypointCount, 1);
  EXPECT_EQ(squad->waypoints[0].x, 300.0f);
  EXPECT_EQ(squad->waypoints[0].moveMode, Infantry::kMove);
  squad->suppression = 330.0f;
  EXPECT_FALSE(squad->EmbarkOnBoardingTarget());
  squad->suppression = 0.0f;
  ASSERT_TRUE(squad->EmbarkOnBoardingTarget());
  EXPECT_EQ(squad->carrier, &f.vehicle);
  EXPECT_EQ(squad->boardingTarget, nullptr);
  EXPECT_EQ(squad->waypointCount, 0);
  EXPECT_EQ(squad->x, 300.0f);
  EXPECT_EQ(f.vehicle.passengers[0], squad.get());
  // A dead vehicle is no longer followed.
  auto late = f.rig.Make(InfantryRig::kSquad, 9);
  late->boardingTarget = &f.vehicle;
  f.vehicle.alive = 0;
  EXPECT_FALSE(late->FollowBoardingTarget());
  EXPECT_EQ(late->boardingTarget, nullptr);
}

TEST(InfantryRiding, LongSetUpAndGreatFatigueAreStoredAtTheLimits) {
  RideRig f;
  auto crew = f.rig.Make(InfantryRig::kMortar, 7);
  crew->reloadState = -1200.0f;
  crew->fatigue = 5000.0f;
  const std::vector<uint8_t> bytes = f.rig.Write(*crew);
  auto back = f.rig.Make(InfantryRig::kMortar, 7);
  ASSERT_TRUE(f.rig.Read(bytes, *back));
  // Held at the 16-bit limits: the set-up resumes as a set-up of 655 s.
  EXPECT_FLOAT_EQ(back->reloadState, -32768.0f / 50.0f);
  EXPECT_FLOAT_EQ(back->fatigue, 3276.7f);
  crew->reloadState = 700.0f;
  ASSERT_TRUE(f.rig.Read(f.rig.Write(*crew), *back));
  EXPECT_FLOAT_EQ(back->reloadState, 32767.0f / 50.0f);
}

}  // namespace

namespace {

// The slice step walks a squad to the vehicle it was ordered to board and boards it there.
TEST(InfantryRiding, SliceWalksToTheVehicleAndBoards) {
  RideRig f;
  f.vehicle.passengers = {};
  f.vehicle.riders = 0;
  f.rider->carrier = nullptr;
  f.rider->x = 280.0f;
  f.rider->y = 300.0f;
  f.rider->boardingTarget = &f.vehicle;
  int32_t slices = 0;
  while (f.rider->carrier == nullptr && slices < 2000) {
    f.rider->reloadState = -1.0f;  // keeps target choice out of the step
    f.rider->UpdateSlice(slices);
    f.rider->facing += f.rider->turnRate;
    ++slices;
  }
  EXPECT_EQ(f.rider->carrier, &f.vehicle);
  EXPECT_GT(slices, 10);
  EXPECT_EQ(f.rider->x, 300.0f);
  EXPECT_EQ(f.rider->activityState, Infantry::kStationary);
  // Riding, the squad keeps the vehicle's place.
  f.vehicle.x = 310.0f;
  f.vehicle.speed = 0.5f;
  f.rider->reloadState = -1.0f;
  f.rider->UpdateSlice(slices);
  EXPECT_EQ(f.rider->x, 310.0f);
  EXPECT_EQ(f.rider->carrier, &f.vehicle);
}

}  // namespace
