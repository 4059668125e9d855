// The vehicle's block of the unit record and its carried-unit references.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "framework/core/GMemoryFile.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/Quorl.h"
#include "game/units/TestInfantry.h"
#include "game/units/records/UnitIds.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/VehicleRig.h"

namespace {

constexpr size_t kUnitPart = 102;
constexpr size_t kBlock = 39;
constexpr size_t kCategoryAt = kUnitPart + 9;
constexpr size_t kPassengersAt = kUnitPart + 35;

using Bytes = std::string;

// A vehicle of class 10 (category 11, which an enemy may mistake) whose unit part is the
// plain 102 bytes: level 2, no waypoints, no name of its own, no kills.
std::unique_ptr<Vehicle> PlainVehicle(VehicleRig& rig) {
  rig.PutI32(10, 60, 11);
  auto vehicle = std::make_unique<Vehicle>();
  vehicle->SetClass(10, 0, 2, 100.0f, 100.0f, 0.0f);
  vehicle->identificationLevel = 2;
  vehicle->leaderName = 0;
  return vehicle;
}

Bytes Write(const Unit& unit) {
  GMemoryFile out;
  unit.Write(out.File());
  EXPECT_FALSE(out.File().HasError());
  return out.Bytes();
}

// Reads a record (kind byte first) into the vehicle; false when refused.
bool Read(const Bytes& bytes, Vehicle& vehicle) {
  GMemoryFile in(bytes);
  in.File().ReadByte();
  vehicle.Read(in.File());
  return !in.File().HasError();
}

std::string Hex(const Bytes& bytes, size_t from) {
  std::string text;
  char pair[3];
  for (size_t i = from; i < bytes.size(); ++i) {
    std::snprintf(pair, sizeof pair, "%02X", static_cast<uint8_t>(bytes[i]));
    text += pair;
  }
  return text;
}

void SetGoldenFields(Vehicle& v) {
  v.gunCrewStunTimer = 30.0f;
  v.driverStunTimer = 12.345f;
  v.sizeFactor = 3.254f;
  v.burstValue = 9.6f;
  v.turretOffset = 270.0f;
  v.turretRate = -0.3456f;
  v.machineGunRefireTimers = {0.5f, 1.0f, 0.0f};
  v.machineGunAmmo = {120, 60, 0};
  v.turretHold = 6800;
  v.lossesFinal = 1;
  v.turretToRest = 1;
  v.gunDestroyed = 1;
  v.bogged = 1;
  v.buttoned = 1;
  v.mainGunClearance = 1;
  v.abandoned = v.burning = v.emplaced = v.turningOnTheMove = 0;
  v.apparentCategory = 11;
  v.apparentClass = 10;
  v.broadClass = 225;
  v.passengers = {nullptr, nullptr};
}

}  // namespace

TEST(VehicleStoredForm, GoldenBlockAndTheLiveTurretWrap) {
  VehicleRig rig;
  auto vehicle = PlainVehicle(rig);
  SetGoldenFields(*vehicle);
  const Bytes bytes = Write(*vehicle);
  ASSERT_EQ(bytes.size(), kUnitPart + kBlock);
  EXPECT_EQ(Hex(bytes, kUnitPart), "00000000" "00" "03" "1A90" "4B" "0B" "000A" "00E1" "05DC" "0269" "0145" "01E0"
                                   "E05C" "FEA6" "0019" "0032" "0000" "00" "3C" "78" "0000" "0000");
  EXPECT_EQ(vehicle->turretOffset, -90.0f);

  // Read back into a blank vehicle: every field as stored, written again byte for byte.
  Vehicle copy;
  copy.reRouted = copy.wasHit = copy.passengersMustLeave = copy.machineGunFiring = 1;
  copy.smallArmsInUse = 5;
  copy.closeDefenceCounter = 700;
  ASSERT_TRUE(Read(bytes, copy));
  EXPECT_EQ(copy.gunCrewStunTimer, 30.0f);
  EXPECT_EQ(copy.driverStunTimer, 617.0f / 50.0f);
  EXPECT_EQ(copy.sizeFactor, 3.25f);
  EXPECT_EQ(copy.turretOffset, -90.0f);
  EXPECT_EQ(copy.turretRate, -0.346f);
  EXPECT_EQ(copy.machineGunAmmo, (std::array<uint8_t, 3>{120, 60, 0}));
  EXPECT_EQ(copy.turretHold, 6800);
  EXPECT_EQ(copy.lossesFinal + copy.turretToRest + copy.gunDestroyed + copy.bogged + copy.buttoned +
                copy.mainGunClearance, 6);
  EXPECT_EQ(copy.abandoned + copy.burning + copy.emplaced + copy.turningOnTheMove, 0);
  EXPECT_EQ(copy.apparentCategory, 11);
  EXPECT_EQ(copy.broadClass, 225);
  // The unstored runtime fields start afresh.
  EXPECT_EQ(copy.reRouted + copy.wasHit + copy.passengersMustLeave + copy.machineGunFiring, 0);
  EXPECT_EQ(copy.smallArmsInUse, 33);
  EXPECT_EQ(copy.closeDefenceCounter, 0);
  EXPECT_EQ(Write(copy), bytes);

  // Undefined flag bits are ignored and written back as 0.
  Bytes noisy = bytes;
  noisy[kUnitPart + 5] = static_cast<char>(0xFF);
  ASSERT_TRUE(Read(noisy, copy));
  EXPECT_EQ(static_cast<uint8_t>(Write(copy)[kUnitPart + 5]), 0x03);
}

TEST(VehicleStoredForm, EditorWritesNoCategoryAndReadingItDrawsANewIdentity) {
  VehicleRig rig;
  auto vehicle = PlainVehicle(rig);
  SetGoldenFields(*vehicle);
  rig.world.app.editorOpen = true;
  const Bytes editor = Write(*vehicle);
  EXPECT_EQ(static_cast<uint8_t>(editor[kCategoryAt]), 0xFF);
  rig.world.app.editorOpen = false;
  const Bytes play = Write(*vehicle);
  EXPECT_EQ(static_cast<uint8_t>(play[kCategoryAt]), 0x0B);

  Vehicle copy;
  SeedRandom(99);
  const uint32_t seeded = RandomState();
  ASSERT_TRUE(Read(play, copy));
  EXPECT_EQ(RandomState(), seeded);
  EXPECT_EQ(copy.apparentCategory, 11);

  SeedRandom(99);
  const int32_t draw = Random(Vehicle::CategoryDrawBound(11));
  const uint32_t after = RandomState();
  SeedRandom(99);
  ASSERT_TRUE(Read(editor, copy));
  EXPECT_EQ(RandomState(), after);
  EXPECT_EQ(copy.apparentCategory, Vehicle::ApparentCategoryFor(11, draw, UnitGameDate()));
  EXPECT_EQ(copy.apparentClass, Vehicle::ApparentClassFor(copy.apparentCategory, UnitGameDate()));
}

TEST(VehicleStoredForm, EditorSaveLoadSaveGivesTheSameBytesWhateverTheDraws) {
  VehicleRig rig;
  auto vehicle = PlainVehicle(rig);
  SetGoldenFields(*vehicle);
  rig.world.app.editorOpen = true;
  const Bytes first = Write(*vehicle);
  // Each load draws another apparent identity; what the editor writes does not follow it.
  for (uint32_t seed : {1u, 2u, 99u, 12345u}) {
    Vehicle copy;
    SeedRandom(seed);
    ASSERT_TRUE(Read(first, copy));
    EXPECT_EQ(Write(copy), first) << "seed " << seed;
  }
  rig.world.app.editorOpen = false;
}

TEST(VehicleStoredForm, RandomVehiclesWriteReadWriteAlike) {
  VehicleRig rig;
  std::mt19937 gen(54);
  auto pick = [&gen](int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(gen); };
  auto scaled = [&](int32_t low, int32_t high, float scale) { return static_cast<float>(pick(low, high)) / scale; };
  for (int32_t n = 0; n < 1000; ++n) {
    Vehicle v;
    v.SetClass(pick(0, 229), 0, pick(0, 5), static_cast<float>(pick(0, 1000)), static_cast<float>(pick(0, 1000)),
               static_cast<float>(pick(0, 359)));
    v.identificationLevel = pick(0, 4);
    v.leaderName = 0;
    for (uint8_t* flag : {&v.abandoned, &v.gunDestroyed, &v.burning, &v.emplaced, &v.bogged, &v.turningOnTheMove,
                          &v.buttoned, &v.mainGunClearance, &v.lossesFinal, &v.turretToRest}) {
      *flag = static_cast<uint8_t>(pick(0, 1));
    }
    v.turretHold = static_cast<uint16_t>(pick(0, 65535));
    v.apparentCategory = pick(0, 39);
    v.apparentClass = pick(0, 229);
    v.broadClass = pick(222, 225);
    v.gunCrewStunTimer = scaled(0, 32767, 50.0f);
    v.driverStunTimer = scaled(0, 32767, 50.0f);
    v.sizeFactor = scaled(1, 32767, 100.0f);
    v.burstValue = scaled(0, 32767, 50.0f);
    v.turretOffset = scaled(-16200, 16200, 90.0f) + (pick(0, 1) != 0 ? 360.0f : 0.0f);
    v.turretRate = scaled(-32768, 32767, 1000.0f);
    for (float& t : v.machineGunRefireTimers) t = scaled(0, 32767, 50.0f);
    for (uint8_t& c : v.machineGunAmmo) c = static_cast<uint8_t>(pick(0, 255));
    const Bytes first = Write(v);
    Vehicle copy;
    ASSERT_TRUE(Read(first, copy)) << n;
    ASSERT_EQ(Write(copy), first) << n;
  }
}

TEST(VehicleStoredForm, PassengersByPackedIdAndByKey) {
  VehicleRig rig;
  ::Battle& battle = rig.world.Battle();
  const int32_t before = battle.GetUnitCount();
  auto vehicle = PlainVehicle(rig);
  TestInfantry rider;
  rider.designation = 5;
  TestInfantry second;
  second.designation = 6;
  rig.world.LendOnly({vehicle.get(), &rider, &second});
  vehicle->passengers = {&second, &rider};

  const Bytes bytes = Write(*vehicle);
  char ids[9];
  std::snprintf(ids, sizeof ids, "%04X%04X", before + 3, before + 2);
  EXPECT_EQ(Hex(bytes, kPassengersAt), ids);
  Vehicle copy;
  ASSERT_TRUE(Read(bytes, copy));
  EXPECT_EQ(copy.passengers[0], nullptr);
  EXPECT_EQ(copy.passengerIds[0], before + 3);
  EXPECT_TRUE(copy.RemapReferences(&battle));
  EXPECT_EQ(copy.passengers, (std::array<Unit*, 2>{&second, &rider}));
  EXPECT_EQ(copy.passengerIds, (std::array<int16_t, 2>{}));

  // The orders exchange: identity keys, and a key without a unit is a link error.
  copy.ReferencesToIds();
  EXPECT_EQ(copy.passengers[0], nullptr);
  EXPECT_EQ(copy.passengerKeys[1], rider.PackedIdentity());
  EXPECT_TRUE(copy.IdsToReferences(nullptr));
  EXPECT_EQ(copy.passengers, (std::array<Unit*, 2>{&second, &rider}));
  copy.passengerKeys = {0, 0xABCDEFu};
  EXPECT_FALSE(copy.IdsToReferences(nullptr));
  EXPECT_EQ(copy.passengers[1], nullptr);

  // An unknown id, a vehicle and the vehicle itself are refused and leave none.
  for (int16_t id : {static_cast<int16_t>(before + 9), static_cast<int16_t>(before + 1), static_cast<int16_t>(-4)}) {
    copy.passengerIds = {0, id};
    EXPECT_FALSE(copy.RemapReferences(&battle)) << id;
    EXPECT_EQ(copy.passengers[1], nullptr);
  }
  vehicle->passengerIds = {static_cast<int16_t>(before + 1), 0};
  EXPECT_FALSE(vehicle->RemapReferences(&battle));

  // A rider outside the group is dropped.
  copy.passengers = {&second, &rider};
  GObjectGroup group;
  group.IObjectGroup();
  group.SetOwnsMembers(false);
  group.Append(&rider);
  copy.DropDeadReferences(group);
  EXPECT_EQ(copy.passengers, (std::array<Unit*, 2>{nullptr, &rider}));
  group.Remove(&rider, false);
  rig.world.TakeBackLent();
}

TEST(VehicleStoredForm, BadBlocksAndEveryPrefixAreRefused) {
  VehicleRig rig;
  auto vehicle = PlainVehicle(rig);
  SetGoldenFields(*vehicle);
  vehicle->turretOffset = 0.0f;
  const Bytes good = Write(*vehicle);
  Vehicle copy;
  ASSERT_TRUE(Read(good, copy));
  const size_t b = kUnitPart;
  // Each check hit by one changed field: {offset in the block, bytes}.
  const std::vector<std::pair<size_t, std::vector<uint8_t>>> bad = {
      {9, {0xFE}},        // apparent category -2
      {9, {40}},          // apparent category 40
      {10, {0x00, 230}},  // apparent class past the table
      {10, {0xFF, 0xFF}},
      {12, {0x00, 221}},  // broad class
      {12, {0x00, 226}},
      {14, {0xFF, 0xFF}},  // gun-crew stun
      {16, {0x80, 0x00}},  // driver stun
      {18, {0x00, 0x00}},  // size factor 0
      {18, {0xFF, 0x9C}},  // size factor below 0
      {20, {0xFF, 0xFE}},  // burst value
      {22, {0x3F, 0x49}},  // turret offset 16201
      {22, {0xC0, 0xB7}},  // turret offset -16201
      {26, {0xFF, 0xFF}},  // machine-gun timers
      {28, {0xFF, 0xFF}},
      {30, {0x80, 0x00}},
      {35, {0x00, 0x07, 0x00, 0x07}},  // the same carried unit twice
  };
  for (const auto& [at, patch] : bad) {
    Bytes bytes = good;
    for (size_t i = 0; i < patch.size(); ++i) bytes[b + at + i] = static_cast<char>(patch[i]);
    Vehicle target;
    EXPECT_FALSE(Read(bytes, target)) << at;
  }
  // The limits themselves pass.
  for (const std::vector<uint8_t>& offset : {std::vector<uint8_t>{0x3F, 0x48}, std::vector<uint8_t>{0xC0, 0xB8}}) {
    Bytes bytes = good;
    bytes[b + 22] = static_cast<char>(offset[0]);
    bytes[b + 23] = static_cast<char>(offset[1]);
    Vehicle target;
    EXPECT_TRUE(Read(bytes, target));
    EXPECT_EQ(std::fabs(target.turretOffset), 180.0f);
  }
  for (size_t n = 1; n < good.size(); ++n) {
    Vehicle target;
    EXPECT_FALSE(Read(good.substr(0, n), target)) << n;
  }
}

TEST(VehicleStoredForm, OnlyVehicleMoveModesAreRead) {
  VehicleRig rig;
  auto vehicle = PlainVehicle(rig);
  SetGoldenFields(*vehicle);
  vehicle->waypointCount = 1;
  for (int32_t mode : {-1, 1, 2, 3, 4, 5, 7, 9}) {
    vehicle->waypoints[0] = {10.0f, 20.0f, 0.0f, mode, 1, 0, 0};
    const Bytes bytes = Write(*vehicle);
    Vehicle copy;
    const bool driven = mode == -1 || mode == 1 || mode == 2 || mode == 3 || mode == 9;
    EXPECT_EQ(Read(bytes, copy), driven) << mode;
  }
}

TEST(VehicleStoredForm, MutatedRecordsAreRefusedOrRoundTrip) {
  VehicleRig rig;
  auto vehicle = PlainVehicle(rig);
  SetGoldenFields(*vehicle);
  vehicle->waypointCount = 1;
  vehicle->waypoints[0] = {10.0f, 20.0f, 0.0f, 3, 1, 0, 0};
  const Bytes good = Write(*vehicle);
  int32_t refused = 0;
  for (size_t at = 1; at < good.size(); ++at) {
    for (uint8_t mask : {0x01, 0x40, 0x80, 0xFF}) {
      Bytes bytes = good;
      bytes[at] = static_cast<char>(bytes[at] ^ mask);
      Vehicle copy;
      if (!Read(bytes, copy)) {
        ++refused;
        continue;
      }
      const Bytes first = Write(copy);
      Vehicle again;
      ASSERT_TRUE(Read(first, again)) << at;
      ASSERT_EQ(Write(again), first) << at;
    }
  }
  EXPECT_GT(refused, 0);
}
