#include <gtest/gtest.h>

#include "game/units/TestInfantry.h"
#include "game/units/TestVehicle.h"
#include "game/units/records/UnitIds.h"
#include "support/TestFolder.h"
#include "game/units/UnitRecordRig.h"

TEST(UnitIds, PackedIdsOfBattleUnitsAndUnknownOnes) {
  UnitRecordRig rig;
  ::Battle& battle = rig.world.Battle();
  const int32_t before = battle.GetUnitCount();
  TestInfantry a;
  TestVehicle b;
  rig.world.LendOnly({&a, &b});
  EXPECT_EQ(PackedUnitId(nullptr), 0);
  EXPECT_EQ(PackedUnitId(&a), before + 1);
  EXPECT_EQ(PackedUnitId(&b), before + 2);
  EXPECT_EQ(UnitFromId(before + 2), &b);
  EXPECT_EQ(UnitFromId(0), nullptr);
  EXPECT_EQ(UnitFromId(before + 3), nullptr);
  EXPECT_EQ(UnitFromId(-4), nullptr);
  EXPECT_EQ(UnitFromId(20000), nullptr);

  // A target outside the battle is dropped (written as 0) rather than the saving stopped.
  TestInfantry stranger;
  stranger.side = 1;
  stranger.designation = 0x4103;
  EXPECT_EQ(PackedUnitId(&stranger), 0);
  const std::string log = rig.logFolder.ReadFile("ERRORLOG.TXT");
  EXPECT_NE(log.find("WriteUnitID Error Axis 16643"), std::string::npos);

  a.identificationLevel = 2;
  a.nationalityCode = 1;
  a.target = &b;
  a.orderedTarget = &stranger;
  const Bytes bytes = rig.Write(a);
  // Target, ordered target and orders-phase target follow the (empty) waypoint list.
  EXPECT_EQ(bytes[63], 0);
  EXPECT_EQ(bytes[64], before + 2);
  EXPECT_EQ(bytes[65], 0);
  EXPECT_EQ(bytes[66], 0);
  TestInfantry back;
  ASSERT_TRUE(rig.Read(bytes, back));
  EXPECT_EQ(back.targetId, before + 2);
  EXPECT_EQ(back.orderedTargetId, 0);
  EXPECT_EQ(back.target, nullptr);
  rig.world.TakeBackLent();
}

TEST(UnitIds, ReadUnitMakesTheKindOrRefuses) {
  UnitRecordRig rig;
  TestVehicle unit;
  unit.identificationLevel = 3;
  unit.nationalityCode = 7;
  unit.classIndex = 4;
  unit.designation = 99;
  Bytes bytes = rig.Write(unit);
  {
    rig.files.Put("one.rec", bytes);
    auto file = rig.files.Open("one.rec", GFile::kModeRead);
    Unit* back = ReadUnit(*file);
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->IsVehicle());
    EXPECT_EQ(back->designation, 99);
    EXPECT_EQ(back->classIndex, 4);
    delete back;
  }
  for (uint8_t kind : {4, 0xFF}) {
    bytes[0] = kind;
    rig.files.Put("one.rec", bytes);
    auto file = rig.files.Open("one.rec", GFile::kModeRead);
    EXPECT_EQ(ReadUnit(*file), nullptr);
    EXPECT_TRUE(file->HasError());
  }
  bytes[0] = 1;
  bytes[4] = 7;  // identification level 7
  rig.files.Put("one.rec", bytes);
  auto file = rig.files.Open("one.rec", GFile::kModeRead);
  EXPECT_EQ(ReadUnit(*file), nullptr);
  EXPECT_TRUE(file->HasError());
}
