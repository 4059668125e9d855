#include <gtest/gtest.h>

#include <memory>

#include "framework/core/GObjectGroup.h"
#include "game/map/Map.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestVehicle.h"
#include "game/units/records/UnitIds.h"
#include "game/units/UnitRecordRig.h"

TEST(UnitReferences, IdentityKeysOfEveryPart) {
  TestVehicle tank;
  tank.side = 0;  // Allied: side index 1
  tank.classIndex = 12;
  tank.designation = 0x4103;
  EXPECT_EQ(tank.PackedIdentity(), 25379075u);
  tank.side = 1;
  EXPECT_EQ(tank.PackedIdentity(), 25379075u - 65536u);

  TestInfantry squad;
  squad.side = 1;
  squad.classIndex = 2;
  squad.designation = 7;
  TestInfantry half;
  EXPECT_EQ(squad.PackedIdentity(), 7u | (2u << 21));
  squad.partner = &half;
  EXPECT_EQ(squad.PackedIdentity(), 7u | (1u << 20) | (2u << 21));
  squad.secondHalf = true;
  squad.origin = &tank;
  EXPECT_EQ(squad.PackedIdentity(), 7u | (1u << 19) | (2u << 21));
}

TEST(UnitReferences, KeysFindTheCounterpartsOrReportALinkError) {
  UnitRecordRig rig;
  TestVehicle tank;
  tank.classIndex = 12;
  tank.designation = 0x4103;
  TestInfantry squad;
  squad.designation = 5;
  TestInfantry stranger;
  stranger.designation = 6;
  rig.world.LendOnly({&squad, &tank});
  squad.target = &tank;
  squad.ordersPhaseTarget = &tank;
  squad.ReferencesToIds();
  EXPECT_EQ(squad.target, nullptr);
  EXPECT_EQ(squad.referenceKeys[0], 25379075u);
  EXPECT_EQ(squad.referenceKeys[1], 0u);
  EXPECT_TRUE(squad.IdsToReferences(nullptr));
  EXPECT_EQ(squad.target, &tank);
  EXPECT_EQ(squad.ordersPhaseTarget, &tank);
  EXPECT_EQ(squad.orderedTarget, nullptr);

  squad.orderedTarget = &stranger;
  squad.ReferencesToIds();
  EXPECT_FALSE(squad.IdsToReferences(nullptr));
  EXPECT_EQ(squad.orderedTarget, nullptr);
  EXPECT_EQ(squad.target, &tank);
  rig.world.TakeBackLent();
}

TEST(UnitReferences, PackedIdsAfterReadingAndWaypointHeights) {
  UnitRecordRig rig;
  ::Battle& battle = rig.world.Battle();
  rig.world.SetMap(std::make_unique<Map>(rig.world.app));
  ASSERT_TRUE(battle.map->Read(nullptr));
  const int32_t before = battle.GetUnitCount();
  TestInfantry a;
  TestInfantry b;
  rig.world.LendOnly({&a, &b});
  a.targetId = static_cast<int16_t>(before + 2);
  a.orderedTargetId = 0;
  a.waypointCount = 2;
  a.waypoints[0] = {40.0f, 50.0f, -1.0f, 1, 0, 1, 0};
  a.waypoints[1] = {60.0f, 70.0f, -1.0f, 1, 0, 0, 0};
  // The operation has no map: the current battle's is used.
  Campaign& operation = rig.world.MakeOperation();
  EXPECT_FALSE(a.RemapReferences(&operation));  // it holds no units
  EXPECT_EQ(a.waypoints[0].height, battle.map->SurfaceHeightAt(40.0f, 50.0f));
  EXPECT_EQ(a.waypoints[1].height, battle.map->ElevationAt(60.0f, 70.0f));
  EXPECT_EQ(a.target, nullptr);

  a.targetId = static_cast<int16_t>(before + 2);
  a.ordersPhaseTargetId = static_cast<int16_t>(before + 1);
  EXPECT_TRUE(a.RemapReferences(&battle));
  EXPECT_EQ(a.target, &b);
  EXPECT_EQ(a.ordersPhaseTarget, &a);

  a.targetId = static_cast<int16_t>(before + 3);
  a.orderedTargetId = -7;
  EXPECT_FALSE(a.RemapReferences(&battle));
  EXPECT_EQ(a.target, nullptr);
  EXPECT_EQ(a.orderedTarget, nullptr);
  rig.world.TakeBackLent();
}

TEST(UnitReferences, DeadReferencesAreDropped) {
  TestInfantry unit;
  TestInfantry target;
  TestInfantry ordered;
  GObjectGroup group;
  group.IObjectGroup();
  group.SetOwnsMembers(false);
  group.Append(&target);
  unit.target = &target;
  unit.orderedTarget = &ordered;
  unit.ordersPhaseTarget = &target;
  unit.DropDeadReferences(group);
  EXPECT_EQ(unit.target, &target);
  EXPECT_EQ(unit.ordersPhaseTarget, &target);
  EXPECT_EQ(unit.orderedTarget, nullptr);
  group.Remove(&target, false);
}
