#include <gtest/gtest.h>

#include <memory>

#include "framework/core/GString63.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "support/TestFolder.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitCellSearch.h"
#include "game/units/TestAirplane.h"
#include "game/units/TestInanimate.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestUnitWorld.h"
#include "game/units/TestVehicle.h"

TEST(UnitDesignation, LettersNumbersAndSplitHalves) {
  TestInfantry unit;
  unit.designation = static_cast<uint16_t>(117 * 256 + 3);
  EXPECT_EQ(unit.GetLetterCode(), 65);
  EXPECT_EQ(unit.GetDesignationNumber(), 3);
  GString63 text;
  unit.AppendDesignation(text);
  EXPECT_STREQ(text.CStr(), "A-3");
  TestInfantry other;
  unit.partner = &other;
  text.Clear();
  unit.AppendDesignation(text);
  EXPECT_STREQ(text.CStr(), "A-3a");
  unit.secondHalf = true;
  text.Clear();
  unit.AppendDesignation(text);
  EXPECT_STREQ(text.CStr(), "A-3b");
  unit.designation = 5;  // no letter: nothing
  text.Clear();
  unit.AppendDesignation(text);
  EXPECT_STREQ(text.CStr(), "");
  unit.SetDesignation('C', 12);
  EXPECT_EQ(unit.GetLetterCode(), 'C');
  Unit::gDesignationCounter = 40;
  unit.AssignDesignation();
  EXPECT_EQ(unit.designation, 40);
  EXPECT_EQ(Unit::gDesignationCounter, 41);
}

TEST(UnitAim, ResetAimTime) {
  TestUnitWorld world;
  TestVehicle unit;
  TestAirplane plane;
  unit.target = &plane;
  unit.aimTime = 2.0f;
  unit.firingBytes[Unit::kLaidWhileMoving] = 1;
  unit.ResetAimTime();
  EXPECT_EQ(unit.aimTime, 0.5f);
  EXPECT_EQ(unit.firingBytes[Unit::kLaidWhileMoving], 0);
  unit.aimTime = 99.0f;
  unit.ResetAimTime();
  EXPECT_EQ(unit.aimTime, 99.0f);
  unit.target = nullptr;
  unit.aimTime = 1.0f;
  unit.reloadState = 2.0f;
  unit.ResetAimTime();
  EXPECT_EQ(unit.aimTime, 1.0f);
  unit.reloadState = 0.0f;
  unit.ResetAimTime();
  EXPECT_EQ(unit.aimTime, 3.0f);
  EXPECT_EQ(unit.lastRateOfFireMode, 1);

  // Indirect fire at a point with a target reference point within 20 m.
  TestInfantry mortar;
  mortar.indirect = true;
  mortar.areaFire = 1;
  mortar.targetX = 100.0f;
  mortar.targetY = 100.0f;
  mortar.rateOfFireTime = 8.0f;
  TestInanimate reference;
  reference.objectKind = 2;
  reference.x = 112.0f;
  reference.y = 116.0f;  // 20 m away
  world.Lend(&reference);
  mortar.aimTime = 1.0f;
  mortar.ResetAimTime();
  EXPECT_EQ(mortar.aimTime, 2.0f);
  EXPECT_EQ(mortar.lastRateOfFireMode, 0);
  EXPECT_EQ(mortar.aimX, 112.0f);
  EXPECT_EQ(mortar.aimY, 116.0f);
  reference.x = 130.0f;
  mortar.aimTime = 1.0f;
  mortar.ResetAimTime();
  EXPECT_EQ(mortar.aimTime, 8.0f);
  EXPECT_EQ(mortar.lastRateOfFireMode, 1);
  mortar.aimTime = 9.0f;
  mortar.ResetAimTime();
  EXPECT_EQ(mortar.aimTime, 9.0f);
}

TEST(UnitAim, ClearOrderState) {
  TestUnitWorld world;
  TestVehicle unit;
  TestVehicle other;
  unit.target = &other;
  unit.orderedTarget = &other;
  unit.areaFire = 1;
  unit.burst = 4;
  unit.flagBytes = {1, 1, 1, 1, 1, 1, 1, 1};
  unit.ClearOrderState(false);
  EXPECT_EQ(unit.target, nullptr);
  EXPECT_EQ(unit.orderedTarget, &other);
  EXPECT_EQ(unit.areaFire, 0);
  EXPECT_EQ(unit.burst, 0);
  // Only the spare and the target-absent flags go with the order state.
  EXPECT_EQ(unit.flagBytes, (std::array<uint8_t, Unit::kFlagByteCount>{1, 1, 1, 0, 0, 1, 1, 1}));
  EXPECT_EQ(unit.rateOfFireCalls, 1);
  unit.ClearOrderState(true);
  EXPECT_EQ(unit.orderedTarget, nullptr);
}

TEST(UnitRating, SliceCounterAndFactors) {
  TestUnitWorld world;
  TestVehicle unit;
  for (int32_t rating : {2, 5}) {
    unit.rating = rating;
    SeedRandom(77);
    const int32_t expected = Random(rating == 2 ? 161 : 281);
    SeedRandom(77);
    unit.RandomizeSliceCounter();
    EXPECT_EQ(unit.sliceCount, expected);
    // One draw only.
    SeedRandom(77);
    Random(2);
    const uint32_t afterOne = RandomState();
    SeedRandom(77);
    unit.RandomizeSliceCounter();
    EXPECT_EQ(RandomState(), afterOne);
  }
  unit.rating = 6;
  EXPECT_FLOAT_EQ(unit.ScaleByRating(10.0f), 13.75f);
  unit.rating = 0;
  EXPECT_FLOAT_EQ(unit.ScaleByRating(10.0f), 8.0f);
  unit.rating = 7;
  EXPECT_FLOAT_EQ(unit.RatingTimeFactor(), 0.4f);
  unit.rating = 3;
  EXPECT_FLOAT_EQ(unit.RatingTimeFactor(), 0.83f);

  // The computer bonus with one human player.
  world.Battle().computerBonus = 2;
  world.app.humanPlayers = 1;
  world.app.humanSide = 0;
  unit.rating = 7;
  unit.side = 0;  // side index 1: the computer's
  EXPECT_EQ(unit.GetRating(), 8);
  unit.side = 1;
  EXPECT_EQ(unit.GetRating(), 7);
  world.app.humanPlayers = 2;
  unit.side = 0;
  EXPECT_EQ(unit.GetRating(), 7);
}

TEST(UnitSmall, EliminateAmmoActivityAndFire) {
  TestUnitWorld world;
  TestInfantry squad;
  squad.men = 10;
  squad.losses = 3;
  squad.identificationLevel = 1;
  squad.gunElevation = 4.0f;
  squad.hidden = 1;
  squad.waypointCount = 2;
  EXPECT_EQ(squad.GetFullStrength(), 10);
  EXPECT_EQ(squad.losses, 3);
  squad.ammo[4] = 2;
  EXPECT_TRUE(squad.HasAnyAmmo());
  squad.Eliminate();
  EXPECT_EQ(squad.losses, 10);
  EXPECT_EQ(squad.alive, 0);
  EXPECT_EQ(squad.stateChanged, 1);
  EXPECT_EQ(squad.identificationLevel, 0);
  EXPECT_EQ(squad.goalGunElevation, 4.0f);
  EXPECT_EQ(squad.hidden, 0);
  EXPECT_EQ(squad.waypointCount, 0);
  EXPECT_FALSE(squad.HasAnyAmmo());
  squad.losses = 4;
  squad.stateChanged = 0;
  squad.Eliminate();  // not alive: unchanged
  EXPECT_EQ(squad.losses, 4);
  EXPECT_EQ(squad.stateChanged, 0);

  TestVehicle tank;
  tank.SetActivity(5);
  EXPECT_EQ(tank.activityCodes, (std::array<int32_t, 3>{5, 5, 5}));
  EXPECT_EQ(tank.stateChanged, 1);
  tank.speed = 3.0f;
  tank.SetMovingActivity();
  EXPECT_EQ(tank.activityCodes[0], 4);
  tank.stateChanged = 0;
  tank.Halt();
  EXPECT_EQ(tank.speed, 0.0f);
  EXPECT_EQ(tank.stateChanged, 1);
  tank.stateChanged = 0;
  tank.Halt();
  tank.StopTurning();
  EXPECT_EQ(tank.stateChanged, 0);
  tank.turnRate = 2.0f;
  tank.StopTurning();
  EXPECT_EQ(tank.stateChanged, 1);

  TestInfantry held;
  held.activityHold = 1.0f;
  held.activityCodes = {8, 2, 2};
  held.SetActivity(3);
  EXPECT_EQ(held.activityCodes, (std::array<int32_t, 3>{8, 3, 3}));

  TestInfantry shooter;
  EXPECT_TRUE(shooter.WantsToFire());
  shooter.waypointCount = 1;
  shooter.waypoints[0].flags = 1;
  EXPECT_FALSE(shooter.WantsToFire());
  shooter.waypointCount = 0;
  shooter.indirect = true;
  shooter.areaFire = 1;
  EXPECT_FALSE(shooter.WantsToFire());
  shooter.areaFire = 0;
  shooter.flagBytes[Unit::kHoldFlag] = 1;
  EXPECT_FALSE(shooter.WantsToFire());
  EXPECT_TRUE(shooter.IsHoldingPosition());
}

TEST(UnitSmall, ChooseAmmo) {
  TestVehicle gun;
  TestVehicle armour;
  armour.armored = true;
  TestInfantry men;
  gun.ammo = {0, 5, 0, 0, 0};
  EXPECT_EQ(gun.ChooseAmmo(&men), 1);
  gun.areaFire = 1;
  EXPECT_EQ(gun.ChooseAmmo(&men), 6);
  gun.areaFire = 0;
  gun.ammo = {3, 5, 2, 1, 0};
  EXPECT_EQ(gun.ChooseAmmo(&armour), 2);
  armour.emplacement = true;
  EXPECT_EQ(gun.ChooseAmmo(&armour), 0);
  gun.ammo = {0, 0, 0, 1, 0};
  EXPECT_EQ(gun.ChooseAmmo(&men), 3);
}

TEST(UnitSmall, RoleCodeAndMoraleBand) {
  TestInfantry unit;
  EXPECT_EQ(unit.GetInfantryRoleCode(), 3);
  unit.indirect = true;
  EXPECT_EQ(unit.GetInfantryRoleCode(), 4);
  unit.canFireMain = true;
  EXPECT_EQ(unit.GetInfantryRoleCode(), 2);
  unit.type234 = true;
  EXPECT_EQ(unit.GetInfantryRoleCode(), 1);
  {
    // While a defending side is planned, a gun that moves has no role.
    struct DefendingPlan : UnitCellSearch {
      bool FindBestNearbyCell(Unit&, bool, bool) override { return false; }
      bool Defending() const override { return true; }
    } plan;
    UnitCellSearch::Install(&plan);
    EXPECT_EQ(unit.GetInfantryRoleCode(), 0);
    UnitCellSearch::Install(nullptr);
  }
  unit.type23 = true;
  EXPECT_EQ(unit.GetInfantryRoleCode(), 0);
  const float levels[] = {500.0f, 330.0f, 200.0f, 100.0f, 60.0f, 30.0f, 10.0f, 9.99f};
  for (int32_t i = 0; i < 8; ++i) {
    unit.suppression = levels[i];
    EXPECT_EQ(unit.GetBand(), 7 - i);
  }
}

TEST(UnitSmallDeathTest, OperationsOfLaterPartsStopUntilBuilt) {
  TestInfantry unit;
  EXPECT_DEATH(unit.PrepareAppearance(), "Unit.cpp");
  EXPECT_DEATH(unit.GetBaseHeight(), "Unit.cpp");  // no map
  EXPECT_DEATH(unit.GetTexture(3, 0), "Unit.cpp");
  EXPECT_DEATH(unit.WaypointAt(51), "Unit.cpp");
}

TEST(UnitSmall, SideMovementAndFightAccessors) {
  TestUnitWorld world;
  TestInfantry a;
  TestVehicle b;
  a.side = 1;
  b.side = 0;
  EXPECT_TRUE(a.IsEnemy(b));
  b.side = 1;
  EXPECT_FALSE(a.IsEnemy(b));
  world.app.currentSide = 0;
  EXPECT_TRUE(a.IsCurrentSide());
  world.app.currentSide = 1;
  EXPECT_FALSE(a.IsCurrentSide());

  EXPECT_FALSE(a.IsMoving());
  a.speed = -1.0f;
  EXPECT_TRUE(a.IsMoving());
  // Halted: only a climb between the two levels counts as moving.
  a.speed = 0.0f;
  a.movementFlag = 1;
  for (const float level : {0.0f, 0.5f, 1.0f}) {
    a.level = level;
    EXPECT_EQ(a.IsMoving(), level == 0.5f) << level;
  }
  a.level = 0.0f;

  EXPECT_FALSE(a.HasMoveOrder());
  a.waypointCount = 1;
  a.waypoints[0].moveMode = Waypoint::kRotateTo;
  EXPECT_FALSE(a.HasMoveOrder());
  EXPECT_FALSE(a.FirstWaypointIsRoutePoint());
  a.waypoints[0].pointKind = 2;
  EXPECT_TRUE(a.FirstWaypointIsRoutePoint());
  a.waypointCount = 2;
  EXPECT_TRUE(a.HasMoveOrder());

  EXPECT_TRUE(a.CanFight());
  a.suppression = 200.0f;
  EXPECT_FALSE(a.CanFight());
  a.suppression = 0.0f;
  a.surrendered = true;
  EXPECT_FALSE(a.CanFight());
  a.surrendered = false;
  a.alive = 0;
  EXPECT_FALSE(a.CanFight());
}

TEST(UnitSmall, BaseHeightIsTheGroundUnderTheUnit) {
  TestFolder folder(true);
  TestUnitWorld world;
  world.SetMap(std::make_unique<Map>(world.app));
  Map& map = *world.Battle().map;
  ASSERT_TRUE(map.Read(nullptr));
  TestVehicle unit;
  unit.SetPosition(105.0f, 233.0f);
  EXPECT_EQ(unit.x, 105.0f);
  EXPECT_EQ(unit.GetBaseHeight(), map.ElevationAt(105.0f, 233.0f));
  // The lower level only lowers the height under a bridge.
  unit.level = -1.0f;
  EXPECT_EQ(unit.GetBaseHeight(), map.ElevationAt(105.0f, 233.0f));
}
