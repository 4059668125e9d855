#include <gtest/gtest.h>

#include <random>

#include "framework/core/GObjectGroup.h"
#include "game/units/records/KillRecordEntry.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestVehicle.h"
#include "game/units/UnitRecordRig.h"

namespace {

// Offsets in a record of identification level 2, not hidden, no area fire, orders-phase
// code 0, no custom name, no gun elevations, no waypoints and no kill list.
constexpr size_t kIdentificationByte = 4;
constexpr size_t kFacing = 16;
constexpr size_t kSuppression = 20;
constexpr size_t kAmmo = 22;
constexpr size_t kCommandDelay = 32;
constexpr size_t kNationality = 36;
constexpr size_t kClassIndex = 39;
constexpr size_t kFiringTimer = 50;
constexpr size_t kLeaderName = 60;
constexpr size_t kWaypointCount = 62;
constexpr size_t kListPresent = 76;
constexpr size_t kExtension = 101;
constexpr size_t kPlainSize = 102;

void Put16(Bytes& bytes, size_t at, uint16_t v) {
  bytes[at] = static_cast<uint8_t>(v >> 8);
  bytes[at + 1] = static_cast<uint8_t>(v & 0xFF);
}
uint16_t Get16(const Bytes& bytes, size_t at) { return static_cast<uint16_t>(bytes[at] << 8 | bytes[at + 1]); }

void MakePlain(Unit& unit) {
  unit.identificationLevel = 2;
  unit.nationalityCode = 3;
  unit.classIndex = 1;
  unit.ammoKind = 0;
}

}  // namespace

TEST(UnitStoredForm, GoldenRecordWithEveryConditionalField) {
  UnitRecordRig rig;
  TestInfantry unit;
  unit.alive = 1;
  unit.areaFire = 1;
  unit.flagBytes = {1, 1, 1, 1, 1, 0, 0, 0};
  unit.withdraw = 1;
  unit.countsForPoints = 1;
  unit.losses = 3;
  unit.pendingDelaySteps = 5;
  unit.rating = 4;
  unit.ammoKind = 1;
  unit.hidden = 1;
  unit.side = 1;
  unit.setupZone = 2;
  unit.identificationLevel = 1;
  unit.status = 1;
  unit.fatigueLevel = 2;
  unit.shotCounter = 3;
  unit.movementFlag = 1;
  unit.ratingAdjustment = 2;
  unit.hiddenSecond = 1;
  unit.firingBytes = {1, 0, 1, 6, 0};
  unit.knockedOut = 1;
  unit.fanaticState = 3;
  unit.lossesCountedByMorale = 9;
  unit.x = 100.5f;
  unit.y = -20.25f;
  unit.facing = 45.5f;
  unit.level = 0.25f;
  unit.suppression = 12.5f;
  unit.ammo = {10, 20, 30, 40, 50};
  unit.commandDelay = 1.5f;
  unit.lastSeenX = 7.0f;
  unit.lastSeenY = 8.0f;
  unit.positionErrorX = -3;
  unit.positionErrorY = 4;
  unit.burst = 3;
  unit.nationalityCode = 5;
  unit.fatigue = 2.5f;
  unit.classIndex = 2;
  unit.targetX = 11.0f;
  unit.targetY = 12.0f;
  unit.ordersPhaseTargetX = 13.0f;
  unit.ordersPhaseTargetY = 14.0f;
  unit.designation = 0x4103;
  unit.sliceCount = 77;
  unit.speed = 1.5f;
  unit.turnRate = 0.125f;
  unit.firingTimer = 2.5f;
  unit.aimTime = 1.5f;
  unit.reloadState = 3.0f;
  unit.spottingValue = 40;
  unit.countdown = -5;
  unit.leaderName = -1;
  unit.CustomName().Assign("Smith");
  unit.type23 = true;
  unit.gunElevation = 12.5f;
  unit.goalGunElevation = 10.0f;
  unit.waypointCount = 3;
  unit.waypoints[0] = {1.0f, 2.0f, 0.0f, 1, 0, 0, 1};
  unit.waypoints[1] = {3.0f, 4.0f, 0.0f, -1, 2, 1, 0};
  unit.waypoints[2] = {5.0f, 6.0f, 0.0f, 9, 3, 1, 1};
  unit.orderedWaypoints[0] = {1.5f, 2.5f, 0};
  unit.orderedWaypoints[1] = {3.5f, 4.5f, 1};
  unit.orderedWaypoints[2] = {5.5f, 6.5f, 0};
  unit.killRecord.infantryCasualties = 7;
  unit.killRecord.infantryCaptured = 2;
  unit.killRecord.gunsDestroyed = 1;
  unit.killRecord.aircraftShotDown = 3;
  unit.killRecord.Vehicles().Append(new KillRecordEntry(12));
  auto* second = new KillRecordEntry(-1);
  second->count = 2;
  unit.killRecord.Vehicles().Append(second);
  unit.nextActionSlice = 1234;

  ByteBuilder b;
  b.U8(0).U8(0xB7).U8(0x3D).U8(0x41).U8(0xD1).U8(0x53).U8(0xDE).U8(0x79);
  b.F32(100.5f).F32(-20.25f).U16(4095).U16(2500).U16(125);
  b.U16(10).U16(20).U16(30).U16(40).U16(50).U16(30);
  b.F32(7.0f).F32(8.0f).U8(0xFD).U8(4);
  b.U16(3).U8(5).U16(25).U16(2);
  b.F32(11.0f).F32(12.0f).U8(2).F32(13.0f).F32(14.0f);
  b.U16(0x4103).U16(77).U16(750).U16(125).U16(1250).U16(75).U16(150);
  b.U16(40).U16(0xFFFB).U16(0xFFFF).U8(5).U8('S').U8('m').U8('i').U8('t').U8('h');
  b.U16(2500).U16(2000);
  b.U8(3);
  b.F32(5.0f).F32(6.0f).U8(0xA4).U8(0x03).F32(5.5f).F32(6.5f).U8(0);
  b.F32(3.0f).F32(4.0f).U8(0x03).U8(0x02).F32(3.5f).F32(4.5f).U8(1);
  b.F32(1.0f).F32(2.0f).U8(0x21).U8(0x01).F32(1.5f).F32(2.5f).U8(0);
  b.U16(0).U16(0).U16(0);
  b.U16(7).U16(2).U8(1).U8(0).U8(3).U8(1).U8(1).U32(2).U16(12).U8(1).U16(0xFFFF).U8(2);
  b.U32(1234).Zeros(20).U8(0);

  const Bytes written = rig.Write(unit);
  EXPECT_EQ(written, b.bytes);

  TestInfantry back;
  back.type23 = true;
  ASSERT_TRUE(rig.Read(written, back));
  EXPECT_EQ(rig.Write(back), written);
  EXPECT_EQ(back.withdraw, 1);
  EXPECT_EQ(back.waypointCount, 3);
  EXPECT_EQ(back.waypoints[2].moveMode, 9);
  EXPECT_EQ(back.waypoints[1].moveMode, -1);
  EXPECT_EQ(back.waypoints[0].flags, 1);
  EXPECT_EQ(back.orderedWaypoints[1].upperLevel, 1);
  EXPECT_EQ(back.positionErrorX, -3);
  EXPECT_EQ(back.countdown, -5);
  EXPECT_STREQ(back.GetCustomName()->CStr(), "Smith");
  ASSERT_EQ(back.killRecord.VehicleEntryCount(), 2);
  EXPECT_EQ(back.killRecord.VehicleEntry(1)->vehicleClass, -1);
  EXPECT_EQ(back.killRecord.VehicleEntry(1)->count, 2);
  EXPECT_FLOAT_EQ(back.facing, 45.5f);
  EXPECT_FLOAT_EQ(back.gunElevation, 12.5f);
}

TEST(UnitStoredForm, RecordSizeOfEachConditionalField) {
  UnitRecordRig rig;
  TestInfantry unit;
  MakePlain(unit);
  EXPECT_EQ(rig.Write(unit).size(), kPlainSize);
  unit.identificationLevel = 1;
  EXPECT_EQ(rig.Write(unit).size(), kPlainSize + 2);
  unit.identificationLevel = 0;
  EXPECT_EQ(rig.Write(unit).size(), kPlainSize + 2);
  unit.identificationLevel = 2;
  unit.hidden = 1;
  EXPECT_EQ(rig.Write(unit).size(), kPlainSize + 8);
  unit.hidden = 0;
  unit.areaFire = 1;
  EXPECT_EQ(rig.Write(unit).size(), kPlainSize + 8);
  unit.areaFire = 0;
  unit.flagBytes[Unit::kOrdersAreaFireFlag] = 1;
  EXPECT_EQ(rig.Write(unit).size(), kPlainSize + 8);
  unit.flagBytes[Unit::kOrdersAreaFireFlag] = 0;
  unit.type23 = true;
  EXPECT_EQ(rig.Write(unit).size(), kPlainSize + 4);
  unit.type23 = false;
  unit.waypointCount = 4;
  for (int i = 0; i < 4; ++i) unit.waypoints[static_cast<size_t>(i)].moveMode = 1;
  EXPECT_EQ(rig.Write(unit).size(), kPlainSize + 4 * 19);
  unit.waypointCount = 0;
  unit.killRecord.Vehicles();
  EXPECT_EQ(rig.Write(unit).size(), kPlainSize + 5);
  for (int i = 0; i < 3; ++i) unit.killRecord.Vehicles().Append(new KillRecordEntry(i));
  EXPECT_EQ(rig.Write(unit).size(), kPlainSize + 5 + 9);
}

TEST(UnitStoredForm, FacingScalingAndCommandDelay) {
  UnitRecordRig rig;
  TestInfantry unit;
  MakePlain(unit);
  unit.facing = 725.5f;
  Bytes bytes = rig.Write(unit);
  EXPECT_EQ(Get16(bytes, kFacing), 495);
  EXPECT_FLOAT_EQ(unit.facing, 5.5f);
  unit.facing = -90.0f;
  bytes = rig.Write(unit);
  EXPECT_EQ(Get16(bytes, kFacing), 24300);
  EXPECT_FLOAT_EQ(unit.facing, 270.0f);

  unit.suppression = -0.03f;
  EXPECT_EQ(Get16(rig.Write(unit), kSuppression), 0);
  unit.suppression = -0.3f;
  EXPECT_EQ(static_cast<int16_t>(Get16(rig.Write(unit), kSuppression)), -3);
  unit.suppression = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(Get16(rig.Write(unit), kSuppression), 0);
  unit.suppression = 0.0f;

  unit.commandDelay = 2.0f;
  EXPECT_EQ(Get16(rig.Write(unit), kCommandDelay), 40);
  rig.world.app.editorOpen = true;
  EXPECT_EQ(Get16(rig.Write(unit), kCommandDelay), 0);
  EXPECT_EQ(unit.commandDelay, 0.0f);
  rig.world.app.editorOpen = false;
  unit.commandDelay = 2.0f;
  rig.world.Battle().setupPhase = true;
  EXPECT_EQ(Get16(rig.Write(unit), kCommandDelay), 0);
  EXPECT_EQ(unit.commandDelay, 0.0f);
}

// A buttoned vehicle waits with a slice count below 0; saving and loading must not turn that
// into a large count that fires at once.
TEST(UnitStoredForm, NegativeSliceCountSurvivesSaveAndLoad) {
  UnitRecordRig rig;
  TestInfantry unit;
  MakePlain(unit);
  unit.sliceCount = -240;
  TestInfantry back;
  ASSERT_TRUE(rig.Read(rig.Write(unit), back));
  EXPECT_EQ(back.sliceCount, -240);
}

TEST(UnitStoredForm, BitFieldsAreMaskedToTheirWidths) {
  UnitRecordRig rig;
  TestInfantry unit;
  MakePlain(unit);
  unit.setupZone = 9;
  unit.ratingAdjustment = -1;
  unit.rating = 17;
  unit.losses = 20;
  const Bytes bytes = rig.Write(unit);
  EXPECT_EQ(bytes[kIdentificationByte], (1 << 3) | 2);  // neither hidden nor side
  EXPECT_EQ(bytes[6] & 0x80, 0);                        // no movement flag
  EXPECT_EQ(bytes[6] & 0x60, 0x60);
  EXPECT_EQ(bytes[3] >> 4, 1);
  EXPECT_EQ(bytes[2] >> 4, 4);
}

TEST(UnitStoredForm, AmmunitionCountsByFileVersion) {
  UnitRecordRig rig;
  TestInfantry unit;
  MakePlain(unit);
  unit.ammo = {0xFFFB, 32768, 7, 8, 9};
  Bytes bytes = rig.Write(unit);
  TestInfantry back;
  ASSERT_TRUE(rig.Read(bytes, back));
  EXPECT_EQ(back.ammo[0], 5);
  EXPECT_EQ(back.ammo[1], 32768);
  EXPECT_EQ(back.ammo[2], 7);

  // Version 2: one byte per count, five bytes shorter.
  Bytes old(bytes.begin(), bytes.begin() + kAmmo);
  for (uint8_t v : {3, 4, 250, 6, 7}) old.push_back(v);
  old.insert(old.end(), bytes.begin() + kAmmo + 10, bytes.end());
  EXPECT_EQ(old.size(), kPlainSize - 5);
  rig.world.app.fileVersion = 2;
  TestInfantry older;
  int32_t after = -1;
  ASSERT_TRUE(rig.Read(old, older, &after));
  EXPECT_EQ(older.ammo[2], 250);
  EXPECT_EQ(older.ammo[4], 7);
  EXPECT_EQ(older.nationalityCode, 3);
}

TEST(UnitStoredForm, ExtensionIsSkippedAndMainWeaponClearsUnusedKinds) {
  UnitRecordRig rig;
  std::vector<uint8_t> weapon(WeaponData::kSize);
  weapon[0] = 2;  // type 2 (the tables are little-endian)
  const uint8_t one[4] = {0, 0, 0x80, 0x3F};
  for (int kind : {0, 1, 2, 4}) std::memcpy(&weapon[static_cast<size_t>(8 + 4 * kind)], one, 4);
  gWeapons = DataTable<WeaponData>(weapon.data(), static_cast<uint32_t>(weapon.size()));
  TestInfantry unit;
  MakePlain(unit);
  unit.ammo = {9, 9, 9, 9, 9};
  Bytes bytes = rig.Write(unit);
  bytes[kExtension] = 7;
  for (int i = 0; i < 7; ++i) bytes.push_back(0xEE);
  bytes.push_back(0x5A);
  TestInfantry back;
  back.answersWeapon = true;
  back.weaponId = 0;
  int32_t after = -1;
  ASSERT_TRUE(rig.Read(bytes, back, &after));
  EXPECT_EQ(after, 0x5A);
  EXPECT_EQ(back.ammo[3], 0);
  EXPECT_EQ(back.ammo[0], 9);
  EXPECT_EQ(back.ammo[4], 9);
}

TEST(UnitStoredForm, BadRecordsAreRefused) {
  UnitRecordRig rig;
  TestInfantry unit;
  MakePlain(unit);
  const Bytes good = rig.Write(unit);
  auto refused = [&](const std::function<void(Bytes&)>& damage) {
    Bytes bytes = good;
    damage(bytes);
    TestInfantry back;
    return !rig.Read(bytes, back);
  };
  TestInfantry plain;
  EXPECT_TRUE(rig.Read(good, plain));
  EXPECT_TRUE(refused([](Bytes& b) { b[kIdentificationByte] = 5; }));
  EXPECT_TRUE(refused([](Bytes& b) { b[5] = 0xC0; }));        // status 3
  EXPECT_TRUE(refused([](Bytes& b) { b[5] = 5 << 3; }));      // fatigue level 5
  EXPECT_TRUE(refused([](Bytes& b) { b[5] = 5; }));           // shot counter 5
  EXPECT_TRUE(refused([](Bytes& b) { b[3] = 5; }));           // ammunition kind 5
  EXPECT_FALSE(refused([](Bytes& b) { b[3] = 6; }));
  EXPECT_TRUE(refused([](Bytes& b) { b[kNationality] = 19; }));
  EXPECT_TRUE(refused([](Bytes& b) { b[kNationality] = 0xFF; }));
  EXPECT_TRUE(refused([](Bytes& b) { Put16(b, kClassIndex, UnitRecordRig::kClasses); }));
  EXPECT_TRUE(refused([](Bytes& b) { Put16(b, kClassIndex, 0xFFFF); }));
  EXPECT_TRUE(refused([](Bytes& b) { Put16(b, kFiringTimer, 5000); }));
  EXPECT_FALSE(refused([](Bytes& b) { Put16(b, kFiringTimer, 4999); }));
  EXPECT_TRUE(refused([](Bytes& b) { Put16(b, kLeaderName, 547); }));
  EXPECT_TRUE(refused([](Bytes& b) { Put16(b, kLeaderName, 0xFFFE); }));
  EXPECT_TRUE(refused([](Bytes& b) { b[kWaypointCount] = 51; }));
  EXPECT_TRUE(refused([](Bytes& b) { b[kExtension] = 0xFF; }));
  EXPECT_TRUE(refused([](Bytes& b) { b.resize(60); }));
  // A waypoint of move mode 0, then one of point kind 4.
  auto withWaypoint = [](uint8_t codes) {
    return [codes](Bytes& b) {
      b[kWaypointCount] = 1;
      ByteBuilder w;
      w.F32(1).F32(2).U8(codes).U8(0).F32(1).F32(2).U8(0);
      b.insert(b.begin() + kWaypointCount + 1, w.bytes.begin(), w.bytes.end());
    };
  };
  EXPECT_FALSE(refused(withWaypoint(0x21)));
  EXPECT_TRUE(refused(withWaypoint(0x11)));
  EXPECT_TRUE(refused(withWaypoint(0x25)));
  // Kill lists: a count the bytes left cannot hold, an unknown vehicle class.
  auto withList = [](uint32_t count, uint16_t vehicleClass) {
    return [count, vehicleClass](Bytes& b) {
      b[kListPresent] = 1;
      ByteBuilder l;
      l.U8(1).U32(count).U16(vehicleClass).U8(1);
      b.insert(b.begin() + kListPresent + 1, l.bytes.begin(), l.bytes.end());
    };
  };
  EXPECT_FALSE(refused(withList(1, 5)));
  EXPECT_FALSE(refused(withList(1, 0xFFFF)));
  EXPECT_TRUE(refused(withList(1, UnitRecordRig::kClasses)));
  EXPECT_TRUE(refused(withList(0x7FFFFFFF, 5)));
}

TEST(UnitStoredForm, RandomUnitsWriteReadWriteTheSameBytes) {
  UnitRecordRig rig;
  std::mt19937 random(27);
  auto pick = [&](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(random); };
  auto scaled = [&](int32_t limit, float k) { return static_cast<float>(pick(-limit, limit)) / k; };
  const int32_t modes[] = {-1, 1, 2, 3, 4, 5, 7, 9};
  // All in one file each way: files are slow to open, units quick to write.
  std::vector<std::unique_ptr<TestVehicle>> units;
  for (int n = 0; n < 1000; ++n) {
    units.push_back(std::make_unique<TestVehicle>());
    TestVehicle& unit = *units.back();
    unit.type23 = pick(0, 1) != 0;
    unit.alive = static_cast<uint8_t>(pick(0, 1));
    unit.immobilized = static_cast<uint8_t>(pick(0, 1));
    unit.areaFire = static_cast<uint8_t>(pick(0, 1));
    for (auto& f : unit.flagBytes) f = static_cast<uint8_t>(pick(0, 1));
    unit.withdraw = static_cast<uint8_t>(pick(0, 1));
    unit.countsForPoints = static_cast<uint8_t>(pick(0, 1));
    unit.losses = pick(0, 15);
    unit.pendingDelaySteps = pick(0, 7);
    unit.rating = pick(0, 15);
    unit.ammoKind = pick(0, 5) == 5 ? 6 : pick(0, 4);
    unit.hidden = static_cast<uint8_t>(pick(0, 1));
    unit.side = static_cast<uint8_t>(pick(0, 1));
    unit.setupZone = pick(0, 7);
    unit.identificationLevel = pick(0, 4);
    unit.status = pick(0, 2);
    unit.fatigueLevel = pick(0, 4);
    unit.shotCounter = static_cast<int16_t>(pick(0, 4));
    unit.movementFlag = static_cast<uint8_t>(pick(0, 1));
    unit.ratingAdjustment = static_cast<int8_t>(pick(0, 3));
    unit.hiddenSecond = static_cast<uint8_t>(pick(0, 1));
    unit.firingBytes[Unit::kLaidWhileMoving] = static_cast<uint8_t>(pick(0, 1));
    unit.firingBytes[Unit::kSpottingPasses] = static_cast<uint8_t>(pick(0, 7));
    unit.knockedOut = static_cast<uint8_t>(pick(0, 1));
    unit.fanaticState = pick(0, 3);
    unit.lossesCountedByMorale = static_cast<int16_t>(pick(0, 15));
    unit.x = scaled(1000000, 64.0f);
    unit.y = scaled(1000000, 64.0f);
    unit.facing = static_cast<float>(pick(0, 32399)) / 90.0f;
    unit.level = scaled(32767, 10000.0f);
    unit.suppression = scaled(32767, 10.0f);
    for (auto& a : unit.ammo) a = static_cast<uint16_t>(pick(0, 32768));
    unit.commandDelay = scaled(32767, 20.0f);
    unit.lastSeenX = scaled(100000, 8.0f);
    unit.lastSeenY = scaled(100000, 8.0f);
    unit.positionErrorX = static_cast<int8_t>(pick(-128, 127));
    unit.positionErrorY = static_cast<int8_t>(pick(-128, 127));
    unit.burst = pick(-32768, 32767);
    unit.nationalityCode = pick(0, 18);
    unit.fatigue = scaled(32767, 10.0f);
    unit.classIndex = pick(0, UnitRecordRig::kClasses - 1);
    unit.targetX = scaled(100000, 4.0f);
    unit.targetY = scaled(100000, 4.0f);
    unit.ordersPhaseTargetX = scaled(100000, 4.0f);
    unit.ordersPhaseTargetY = scaled(100000, 4.0f);
    unit.designation = static_cast<uint16_t>(pick(0, 65535));
    unit.sliceCount = pick(0, 65535);
    unit.speed = scaled(32767, 500.0f);
    unit.turnRate = scaled(32767, 1000.0f);
    unit.firingTimer = static_cast<float>(pick(-32768, 4999)) / 500.0f;
    unit.aimTime = scaled(32767, 50.0f);
    unit.reloadState = scaled(32767, 50.0f);
    unit.spottingValue = pick(-32768, 32767);
    unit.countdown = pick(-32768, 32767);
    unit.leaderName = static_cast<int16_t>(pick(-1, 546));
    if (unit.leaderName == -1) unit.CustomName().Assign(pick(0, 1) ? "Kessler" : "");
    unit.gunElevation = scaled(32767, 200.0f);
    unit.goalGunElevation = scaled(32767, 200.0f);
    unit.waypointCount = pick(0, 50);
    for (int32_t i = 0; i < unit.waypointCount; ++i) {
      auto& w = unit.waypoints[static_cast<size_t>(i)];
      w.x = scaled(100000, 8.0f);
      w.y = scaled(100000, 8.0f);
      w.moveMode = modes[pick(0, 7)];
      w.pointKind = pick(0, 3);
      w.upperLevel = static_cast<uint8_t>(pick(0, 1));
      w.flags = static_cast<uint8_t>(pick(0, 1));
      auto& o = unit.orderedWaypoints[static_cast<size_t>(i)];
      o = {scaled(100000, 8.0f), scaled(100000, 8.0f), static_cast<uint8_t>(pick(0, 1))};
    }
    unit.killRecord.infantryCasualties = static_cast<int16_t>(pick(0, 500));
    unit.killRecord.gunsDestroyed = static_cast<uint8_t>(pick(0, 255));
    if (pick(0, 1)) {
      const int32_t entries = pick(0, 4);
      for (int32_t i = 0; i < entries; ++i) {
        auto* entry = new KillRecordEntry(pick(-1, UnitRecordRig::kClasses - 1));
        entry->count = static_cast<uint8_t>(pick(1, 255));
        unit.killRecord.Vehicles().Append(entry);
      }
    }
    unit.nextActionSlice = pick(0, 999999);
  }
  auto writeAll = [&](const std::vector<std::unique_ptr<TestVehicle>>& list) {
    {
      auto file = rig.files.Open("all.rec", GFile::kModeWrite);
      for (const auto& u : list) u->Write(*file);
    }
    return rig.files.Get("all.rec");
  };
  const Bytes first = writeAll(units);
  std::vector<std::unique_ptr<TestVehicle>> back;
  {
    auto file = rig.files.Open("all.rec", GFile::kModeRead);
    for (const auto& u : units) {
      back.push_back(std::make_unique<TestVehicle>());
      back.back()->type23 = u->type23;
      EXPECT_EQ(file->ReadByte(), 1);
      back.back()->Read(*file);
      ASSERT_FALSE(file->HasError()) << back.size();
      ASSERT_EQ(back.back()->withdraw, u->withdraw);
    }
    EXPECT_EQ(file->BytesLeft(), 0u);
  }
  EXPECT_EQ(writeAll(back), first);
}

TEST(UnitStoredForm, MissingCustomNameAndForeignListOwnership) {
  UnitRecordRig rig;
  TestInfantry unit;
  MakePlain(unit);
  unit.leaderName = -1;  // no custom name made
  Bytes bytes = rig.Write(unit);
  ASSERT_EQ(bytes.size(), kPlainSize + 1);
  EXPECT_EQ(Get16(bytes, kLeaderName), 0xFFFF);
  EXPECT_EQ(bytes[kLeaderName + 2], 0);  // an empty name
  TestInfantry back;
  ASSERT_TRUE(rig.Read(bytes, back));
  ASSERT_NE(back.GetCustomName(), nullptr);
  EXPECT_STREQ(back.GetCustomName()->CStr(), "");

  // A list stored as not owning its entries: kept as read, its entries still freed.
  MakePlain(unit);
  unit.leaderName = 3;
  unit.killRecord.Vehicles().Append(new KillRecordEntry(4));
  bytes = rig.Write(unit);
  bytes[kListPresent + 1] = 0;
  TestInfantry listed;
  ASSERT_TRUE(rig.Read(bytes, listed));
  EXPECT_EQ(rig.Write(listed), bytes);
}
