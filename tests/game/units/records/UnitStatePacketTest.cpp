#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestUnitWorld.h"
#include "support/TestFolder.h"

namespace {

struct PacketRig {
  PacketRig() {
    world.SetMap(std::make_unique<Map>(world.app));
    EXPECT_TRUE(world.Battle().map->Read(nullptr));
    world.Battle().currentSlice = 120;
  }
  TestFolder folder{true};
  TestUnitWorld world;
};

}  // namespace

TEST(UnitStatePacket, RecordsTheVisibleStateAndAppliesIt) {
  PacketRig rig;
  TestInfantry unit;
  TestInfantry enemy;
  unit.SetPosition(50.0f, 60.0f);
  unit.aimTime = 1.57f;
  unit.gunElevation = 12.3456f;
  unit.goalGunElevation = -1.0f;
  unit.losses = 33;
  unit.target = &enemy;
  unit.identificationLevel = 3;
  unit.hidden = 1;
  unit.reloadState = 0.5f;
  unit.ammo = {1, 2, 3, 4, 5};
  unit.activityCodes = {2, 8, 6};
  const UnitStatePacket packet = unit.MakeStatePacket();
  ASSERT_EQ(rig.world.statePackets.size(), 1u);
  EXPECT_EQ(packet.slice, 120);
  EXPECT_EQ(packet.unit, &unit);
  EXPECT_EQ(packet.lifeCode, UnitStatePacket::kAlive);
  EXPECT_EQ(packet.aim, 15);
  EXPECT_EQ(packet.gunElevation, 2469);
  EXPECT_EQ(packet.goalGunElevation, -200);
  EXPECT_EQ(packet.losses, 1);
  EXPECT_EQ(packet.reloading, 1);
  EXPECT_EQ(packet.z, rig.world.Battle().map->ElevationAt(50.0f, 60.0f));
  EXPECT_EQ(packet.durations[1], 700);
  EXPECT_EQ(packet.variants[1], 0);
  // Other codes take the kind's answer: the base gives variant 0 and duration 1.
  EXPECT_EQ(packet.durations[2], 1);

  TestInfantry shown;
  shown.activityCodes = {2, 8, 6};
  shown.activityExtras[0] = {11, 22, 33};
  shown.ApplyStatePacket(packet);
  EXPECT_FLOAT_EQ(shown.aimTime, 1.5f);
  EXPECT_FLOAT_EQ(shown.gunElevation, 12.345f);
  EXPECT_EQ(shown.losses, 1);
  EXPECT_EQ(shown.target, &enemy);
  EXPECT_EQ(shown.x, 50.0f);
  EXPECT_EQ(shown.hidden, 1);
  EXPECT_EQ(shown.firingBytes[Unit::kShownReloading], 1);
  EXPECT_EQ(shown.ammo[4], 5);
  EXPECT_EQ(shown.sliceCounter, 120);
  // Unchanged codes keep their times.
  EXPECT_EQ(shown.activityExtras[0][1], 22);
  EXPECT_EQ(shown.activityExtras[0][2], 33);

  unit.alive = 0;
  const UnitStatePacket dead = unit.MakeStatePacket();
  EXPECT_EQ(dead.lifeCode, UnitStatePacket::kDead);
  shown.sliceCounter = 90;
  UnitStatePacket older = dead;
  older.slice = -1;
  shown.ApplyStatePacket(older);
  EXPECT_EQ(shown.alive, 0);
  EXPECT_EQ(shown.sliceCounter, 90);
}

TEST(UnitStatePacket, MovingCodesDrawTheirDurations) {
  PacketRig rig;
  TestInfantry unit;
  unit.activityCodes = {3, 2, 4};
  SeedRandom(77);
  const int32_t third = Random(61);
  const int32_t first = Random(61);
  const int32_t after = Random(61);
  SeedRandom(77);
  const UnitStatePacket packet = unit.MakeStatePacket();
  EXPECT_EQ(Random(61), after);  // exactly one draw for each of the two entries
  EXPECT_EQ(packet.durations[2], static_cast<int16_t>((third + 40) * 0.7 * 10.0));
  EXPECT_EQ(packet.durations[0], static_cast<int16_t>((first + 40) * 0.7 * 10.0));
  for (int16_t d : {packet.durations[0], packet.durations[2]}) {
    EXPECT_GE(d, 279);
    EXPECT_LE(d, 700);
  }
  EXPECT_EQ(packet.variants[0], 0);
}

TEST(UnitStatePacket, FiringTimerOnApplying) {
  PacketRig rig;
  TestInfantry unit;
  unit.sliceCounter = 360;
  unit.firingTimer = 1.5f;
  UnitStatePacket packet = unit.MakeStatePacket();
  packet.slice = 400;
  unit.ApplyStatePacket(packet);
  EXPECT_FLOAT_EQ(unit.firingTimer, 0.5f);
  EXPECT_EQ(unit.sliceCounter, 400);

  // A first entry changing to code 3 sets the timer.
  TestInfantry other;
  packet.codes = {3, 2, 2};
  other.ApplyStatePacket(packet);
  EXPECT_EQ(other.firingTimer, 2.5f);

  // A packet of an older slice cannot take the timer to 10 or beyond.
  TestInfantry late;
  late.sliceCounter = 2000;
  late.firingTimer = 5.0f;
  late.AdvanceFiringTimer(0);
  EXPECT_LT(late.firingTimer, 10.0f);
  EXPECT_GT(late.firingTimer, 9.99f);
  late.firingTimer = 3.0f;
  late.sliceCounter = 10;
  late.AdvanceFiringTimer(1000);
  EXPECT_EQ(late.firingTimer, 0.0f);
}

TEST(UnitStatePacket, AnyPacketValuesAreHarmless) {
  PacketRig rig;
  TestInfantry unit;
  unit.gunElevation = std::numeric_limits<float>::quiet_NaN();
  unit.aimTime = 1e30f;
  unit.firingTimer = 1.0f;
  UnitStatePacket packet = unit.MakeStatePacket();
  EXPECT_EQ(packet.gunElevation, 0);
  EXPECT_EQ(packet.aim, 0);
  packet.identificationLevel = 255;
  packet.status = 255;
  packet.losses = 255;
  packet.lifeCode = 77;
  packet.codes = {-128, 127, 3};
  packet.slice = 32767;
  unit.ApplyStatePacket(packet);
  EXPECT_LE(unit.identificationLevel, 4);
  EXPECT_LE(unit.status, 2);
  EXPECT_LE(unit.losses, 31);
  EXPECT_EQ(unit.alive, 1);
}
