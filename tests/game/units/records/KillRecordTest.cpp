#include <gtest/gtest.h>

#include "framework/core/GString255.h"
#include "game/units/records/KillRecord.h"
#include "game/units/records/KillRecordEntry.h"
#include "game/units/UnitRecordRig.h"

TEST(KillRecord, KillsAddAndMerge) {
  KillRecord record;
  EXPECT_FALSE(record.HasAny());
  record.Vehicles();
  EXPECT_TRUE(record.HasAny());  // an empty list still counts

  KillRecord other;
  other.AddVehicleKill(12);
  KillRecord merged;
  merged.Merge(other);
  ASSERT_EQ(merged.VehicleEntryCount(), 1);
  EXPECT_EQ(merged.VehicleEntry(0)->vehicleClass, 12);
  EXPECT_EQ(merged.VehicleEntry(0)->count, 1);

  other.AddVehicleKill(12);
  other.AddVehicleKill(-1);
  other.infantryCasualties = 5;
  other.aircraftShotDown = 1;
  merged.Merge(other);
  ASSERT_EQ(merged.VehicleEntryCount(), 2);
  EXPECT_EQ(merged.VehicleEntry(0)->count, 3);
  EXPECT_EQ(merged.VehicleEntry(1)->vehicleClass, -1);
  EXPECT_EQ(merged.infantryCasualties, 5);
  EXPECT_EQ(merged.aircraftShotDown, 1);

  // Merging a record into itself doubles it.
  merged.Merge(merged);
  EXPECT_EQ(merged.VehicleEntry(0)->count, 6);
  EXPECT_EQ(merged.infantryCasualties, 10);

  // An entry's count stops at the most it can store.
  KillRecord many;
  for (int i = 0; i < 300; ++i) many.AddVehicleKill(3);
  EXPECT_EQ(many.VehicleEntry(0)->count, 255);
}

TEST(KillRecord, StoredFormRoundTrip) {
  UnitRecordRig rig;
  KillRecord record;
  record.infantryCasualties = -2;
  record.infantryCaptured = 300;
  record.mortarsDestroyed = 4;
  record.AddVehicleKill(7);
  record.AddVehicleKill(-1);
  record.AddVehicleKill(-1);
  {
    auto file = rig.files.Open("kills.rec", GFile::kModeWrite);
    record.Write(*file);
  }
  ByteBuilder b;
  b.U16(0xFFFE).U16(300).U8(0).U8(4).U8(0).U8(1).U8(1).U32(2).U16(7).U8(1).U16(0xFFFF).U8(2);
  EXPECT_EQ(rig.files.Get("kills.rec"), b.bytes);
  auto file = rig.files.Open("kills.rec", GFile::kModeRead);
  KillRecord back;
  back.Read(*file);
  ASSERT_FALSE(file->HasError());
  EXPECT_EQ(back.infantryCasualties, -2);
  ASSERT_EQ(back.VehicleEntryCount(), 2);
  EXPECT_EQ(back.VehicleEntry(1)->vehicleClass, -1);
  EXPECT_EQ(back.VehicleEntry(1)->count, 2);
  KillRecord copy(back);
  EXPECT_EQ(copy.VehicleEntry(0)->vehicleClass, 7);
}

TEST(KillRecord, KillListLines) {
  UnitRecordRig rig;
  KillRecordEntry unknown(-1);
  unknown.count = 2;
  GString255 text;
  unknown.GetLine(text);
  EXPECT_STREQ(text.CStr(), "2 unidentified vehicles destroyed");
  KillRecordEntry one(-3);
  one.GetLine(text);
  EXPECT_STREQ(text.CStr(), "1 unidentified vehicle destroyed");
}
