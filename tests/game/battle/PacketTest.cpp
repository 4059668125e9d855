// The packet record's stored form, the list's order and stored form, and sound thinning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/GMemoryFile.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/Packet.h"
#include "game/battle/PacketList.h"
#include "game/map/SoundKinds.h"
#include "game/units/TestAirplane.h"

namespace {

std::string Bytes(const Packet& packet, bool* failed = nullptr) {
  GMemoryFile out;
  packet.Write(out.File());
  if (failed != nullptr) *failed = out.File().HasError();
  return out.Bytes();
}

std::string Hex(const std::string& bytes) {
  std::string s;
  char buf[4];
  for (unsigned char c : bytes) {
    snprintf(buf, sizeof buf, "%02X ", c);
    s += buf;
  }
  if (!s.empty()) s.pop_back();
  return s;
}

// Reads one packet back; false when the reader refused it.
bool ReadBack(const std::string& bytes, Packet& packet, uint32_t* left = nullptr) {
  GMemoryFile in(bytes);
  packet.Read(in.File());
  if (left != nullptr) *left = in.File().BytesLeft();
  return !in.File().HasError();
}

void PutLE16(TestInfantry& unit, int32_t offset, int16_t value) {
  unit.record[static_cast<size_t>(offset)] = static_cast<uint8_t>(value & 0xFF);
  unit.record[static_cast<size_t>(offset + 1)] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

class PacketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    battle = &rig.Fresh();
    infantry = static_cast<TestInfantry*>(BattleTestRig::MakeUnit(0, 0, 100.0f, 120.0f));
    vehicle = BattleTestRig::MakeUnit(1, 1, 300.0f, 320.0f);
    inanimate = BattleTestRig::MakeUnit(2, 0, 50.0f, 60.0f);
    airplane = new TestAirplane();
    for (Unit* u : {static_cast<Unit*>(infantry), vehicle, inanimate, static_cast<Unit*>(airplane)}) {
      battle->PlaceUnitAt(u, u->x, u->y);
    }
    if (battle->units.IndexOf(airplane) < 0) battle->units.Append(airplane);
  }

  Packet StatePacket(Unit* unit) {
    Packet p;
    p.kind = Packet::kUnitState;
    p.timeSlice = 77;
    p.x = unit->x;
    p.y = unit->y;
    p.state.unit = unit;
    p.state.lifeCode = 1;
    p.state.facing = 45.0f;
    p.state.level = 0.5f;
    p.state.aim = 25;
    p.state.losses = 3;
    p.state.ammo = {10, 20, 30, 40, 50};
    p.state.codes = {1, 2, 3};
    p.state.durations = {100, 200, 300};
    p.state.variants = {4, 5, 6};
    p.state.reloading = 1;
    return p;
  }

  BattleTestRig rig;
  Battle* battle = nullptr;
  TestInfantry* infantry = nullptr;
  Unit* vehicle = nullptr;
  Unit* inanimate = nullptr;
  TestAirplane* airplane = nullptr;
};

}  // namespace

TEST_F(PacketTest, GoldenHeadsAndSizesOfEveryFixedKind) {
  Packet ignite;
  ignite.kind = Packet::kTileIgnites;
  ignite.timeSlice = 100;
  ignite.x = 110.0f;
  ignite.y = 250.0f;
  ignite.z = 12.5f;
  EXPECT_EQ(Hex(Bytes(ignite)), "03 00 64 42 DC 00 00 43 7A 00 00 00 26");

  Packet update;
  update.kind = Packet::kSmokeUpdate;
  update.timeSlice = 2401;
  update.x = 100.0f;
  update.y = 200.0f;
  update.smoke.lifetime = 1000;
  EXPECT_EQ(Hex(Bytes(update)), "0C 09 61 42 C8 00 00 43 48 00 00 00 00 03 E8 00 00 00 00 00 00 00 00");

  const std::vector<std::pair<int8_t, size_t>> sizes = {{4, 13}, {6, 13}, {8, 13}, {9, 13},  {1, 39},
                                                        {2, 41}, {5, 27}, {7, 28}, {10, 25}, {11, 32}};
  for (const auto& [kind, size] : sizes) {
    Packet p;
    p.kind = kind;
    p.hit.vehicle = vehicle;
    bool failed = true;
    const std::string bytes = Bytes(p, &failed);
    EXPECT_FALSE(failed) << int(kind);
    EXPECT_EQ(bytes.size(), size) << int(kind);
    Packet back;
    uint32_t left = 99;
    EXPECT_TRUE(ReadBack(bytes, back, &left)) << int(kind);
    EXPECT_EQ(left, 0u) << int(kind);
    EXPECT_EQ(Bytes(back), bytes) << int(kind);
  }
  Packet bad;
  bad.kind = 13;
  bool failed = false;
  EXPECT_TRUE(Bytes(bad, &failed).empty());
  EXPECT_TRUE(failed);
}

TEST_F(PacketTest, FireSoundCraterAndHitRoundTrip) {
  Packet fire;
  fire.kind = Packet::kFire;
  fire.timeSlice = 30;
  fire.fire.shooter = infantry;
  fire.fire.target = vehicle;
  fire.fire.targetX = 300.5f;
  fire.fire.count = -3;
  fire.fire.effectCode = 200;  // low 8 bits, read back sign-extended
  fire.fire.speed = 2.25f;
  fire.fire.firstFlag = fire.fire.alwaysVisible = 1;
  const std::string fireBytes = Bytes(fire);
  EXPECT_EQ(static_cast<uint8_t>(fireBytes[30]), 0x09);
  Packet back;
  ASSERT_TRUE(ReadBack(fireBytes, back));
  EXPECT_EQ(back.fire.shooter, infantry);
  EXPECT_EQ(back.fire.target, vehicle);
  EXPECT_EQ(back.fire.count, -3);
  EXPECT_EQ(back.fire.effectCode, -56);
  EXPECT_FLOAT_EQ(back.fire.speed, 2.25f);
  EXPECT_EQ(back.fire.noFlight, 0);

  Packet sound;
  sound.kind = Packet::kSound;
  sound.sound.source = vehicle;
  sound.sound.number = 40000;
  sound.sound.soundKind = 12;
  sound.sound.looped = 1;
  sound.sound.audible[1] = 1;
  sound.sound.position[1][2] = 7.0f;
  const std::string soundBytes = Bytes(sound);
  EXPECT_EQ(static_cast<uint8_t>(soundBytes[32]), 0x05);
  ASSERT_TRUE(ReadBack(soundBytes, back));
  EXPECT_EQ(back.sound.source, vehicle);
  EXPECT_EQ(back.sound.number, 40000);
  EXPECT_EQ(back.sound.audible[0], 0);
  EXPECT_EQ(back.sound.audible[1], 1);
  EXPECT_FLOAT_EQ(back.sound.position[1][2], 7.0f);

  Packet hit;
  hit.kind = Packet::kHitReport;
  hit.hit.vehicle = vehicle;
  hit.hit.part = 4;
  hit.hit.facing = 2;
  hit.hit.menLost = 3;
  hit.hit.flags = {1, 0, 1, 0, 1, 0, 1};
  const std::string hitBytes = Bytes(hit);
  EXPECT_EQ(Hex(hitBytes.substr(15, 9)), "04 02 03 01 00 01 00 00 03");
  ASSERT_TRUE(ReadBack(hitBytes, back));
  EXPECT_EQ(back.hit.flags, hit.hit.flags);
  EXPECT_EQ(back.hit.menLost, 3);
  // A hit report names a vehicle: an infantry unit there is refused.
  std::string onInfantry = hitBytes;
  onInfantry[14] = static_cast<char>(onInfantry[14] - 1);  // the infantry's id
  EXPECT_FALSE(ReadBack(onInfantry, back));
}

TEST_F(PacketTest, ScaledFieldsOutOfRangeAreHeldNotWrapped) {
  Packet p;
  p.kind = Packet::kTileIgnites;
  p.z = 20000.0f;  // 60000 at x3
  EXPECT_EQ(Hex(Bytes(p).substr(11, 2)), "7F FF");
  p.z = -20000.0f;
  EXPECT_EQ(Hex(Bytes(p).substr(11, 2)), "80 00");
  p.z = 10922.0f;  // in range: stored as it is
  EXPECT_EQ(Hex(Bytes(p).substr(11, 2)), "7F FE");
}

TEST_F(PacketTest, UnitStateBranchesByClass) {
  // An airplane: its own byte, no move progress, aim timer or extras; one ammunition count.
  Packet plane = StatePacket(airplane);
  plane.extras.airplaneByte = 0xAB;
  const std::string planeBytes = Bytes(plane);
  // head 13, ids 4, three scaled 6, elevations 4, state bytes 2, own byte 1, ammo 2, bytes 3
  // and 4, reserved 16.
  EXPECT_EQ(planeBytes.size(), 13u + 4 + 6 + 4 + 2 + 1 + 2 + 2 + 16);
  Packet back;
  ASSERT_TRUE(ReadBack(planeBytes, back));
  EXPECT_EQ(back.extras.airplaneByte, 0xAB);
  EXPECT_EQ(back.state.level, 0.0f);
  EXPECT_EQ(back.state.ammo, (std::array<uint16_t, 5>{10, 0, 0, 0, 0}));
  EXPECT_EQ(back.state.reloading, 1);

  // An inanimate object: move progress, no aim timer.
  const std::string objectBytes = Bytes(StatePacket(inanimate));
  EXPECT_EQ(objectBytes.size(), planeBytes.size() + 1);
  ASSERT_TRUE(ReadBack(objectBytes, back));
  EXPECT_FLOAT_EQ(back.state.level, 0.5f);
  EXPECT_EQ(back.state.aim, 0);

  // A plain infantry team without a main weapon: one activity entry, one ammunition count.
  PutLE16(*infantry, 62, 2);  // two weapon slots
  Packet team = StatePacket(infantry);
  team.extras.menPerSlot = {4, 5, 6, 7};
  team.extras.linked[1] = vehicle;
  team.extras.fatigue = 5;
  team.extras.demolition = 2;
  const std::string teamBytes = Bytes(team);
  ASSERT_TRUE(ReadBack(teamBytes, back));
  EXPECT_EQ(back.extras.linked[0], nullptr);
  EXPECT_EQ(back.extras.linked[1], vehicle);
  EXPECT_EQ(back.extras.menPerSlot, (std::array<uint8_t, 4>{4, 5, 0, 0}));
  EXPECT_EQ(back.extras.fatigue, 5);
  EXPECT_EQ(back.extras.demolition, 2);
  EXPECT_EQ(back.state.aim, 25);
  EXPECT_EQ(back.state.durations, (std::array<int16_t, 3>{100, 1, 1}));
  EXPECT_EQ(back.state.codes, (std::array<int8_t, 3>{1, 0, 0}));
  EXPECT_EQ(back.state.variants, (std::array<int8_t, 3>{4, 0, 0}));
  EXPECT_EQ(back.state.ammo, (std::array<uint16_t, 5>{10, 0, 0, 0, 0}));

  // A squad with a main weapon keeps every entry and all five counts: 4 + 8 bytes more.
  infantry->squad = true;
  infantry->mainWeapon = true;
  const std::string squadBytes = Bytes(team);
  EXPECT_EQ(squadBytes.size(), teamBytes.size() + 8 + 8);
  ASSERT_TRUE(ReadBack(squadBytes, back));
  EXPECT_EQ(back.state.durations, team.state.durations);
  EXPECT_EQ(back.state.ammo, team.state.ammo);

  // A vehicle with a hidden position, identification level 1 and a target point.
  Packet tank = StatePacket(vehicle);
  tank.state.hidden = 1;
  tank.state.lastSeenX = 12.0f;
  tank.state.identificationLevel = 1;
  tank.state.positionErrorX = -5;
  tank.state.areaFire = 1;
  tank.state.targetX = 1234.5f;
  tank.extras.gunGroups = {1, 2, 3};
  tank.extras.buttoned = 1;
  tank.extras.timerRunning = 1;
  ASSERT_TRUE(ReadBack(Bytes(tank), back));
  EXPECT_FLOAT_EQ(back.state.lastSeenX, 12.0f);
  EXPECT_EQ(back.state.positionErrorX, -5);
  EXPECT_FLOAT_EQ(back.state.targetX, 1234.5f);
  EXPECT_EQ(back.extras.gunGroups, tank.extras.gunGroups);
  EXPECT_EQ(back.extras.buttoned, 1);
  EXPECT_EQ(back.extras.timerRunning, 1);
  EXPECT_EQ(Bytes(back), Bytes(tank));
}

TEST_F(PacketTest, BadUnitStatesAreRefused) {
  PutLE16(*infantry, 62, 2);
  const std::string good = Bytes(StatePacket(infantry));
  Packet back;
  ASSERT_TRUE(ReadBack(good, back));
  // The unit id names no unit.
  std::string noUnit = good;
  noUnit[13] = 0x20;
  EXPECT_FALSE(ReadBack(noUnit, back));
  // No unit at all.
  std::string zero = good;
  zero[13] = zero[14] = 0;
  EXPECT_FALSE(ReadBack(zero, back));
  // Life state 3; identification level 5 (state bytes follow the link byte at 27). Life state
  // 0, the return to the field every turn's opening packet records, reads back.
  std::string bad = good;
  bad[28] = static_cast<char>((static_cast<uint8_t>(bad[28]) & 0x3F) | 0xC0);
  EXPECT_FALSE(ReadBack(bad, back));
  Packet revived = StatePacket(infantry);
  revived.state.lifeCode = UnitStatePacket::kRevived;
  ASSERT_TRUE(ReadBack(Bytes(revived), back));
  EXPECT_EQ(back.state.lifeCode, UnitStatePacket::kRevived);
  std::string level = good;
  level[29] = static_cast<char>((static_cast<uint8_t>(level[29]) & 0xF8) | 5);
  EXPECT_FALSE(ReadBack(level, back));
  // A weapon-slot count above 4 in the class record.
  PutLE16(*infantry, 62, 5);
  EXPECT_FALSE(ReadBack(good, back));
  // Cut short anywhere.
  PutLE16(*infantry, 62, 2);
  for (size_t n = 0; n < good.size(); n += 7) EXPECT_FALSE(ReadBack(good.substr(0, n), back)) << n;
  // An unknown kind.
  std::string kind = good;
  kind[0] = 13;
  EXPECT_FALSE(ReadBack(kind, back));
}

TEST_F(PacketTest, ListReadRefusesBadListsAndKeepsTheOldOne) {
  for (int i = 0; i < 3; ++i) {
    Packet* p = battle->NewPacket(i);
    p->kind = Packet::kTileIgnites;
  }
  GMemoryFile out;
  battle->WritePackets(out.File());
  const std::string bytes = out.Bytes();
  EXPECT_EQ(bytes.size(), 5u + 3 * 13);

  GMemoryFile in(bytes);
  ASSERT_TRUE(battle->ReadPackets(in.File()));
  EXPECT_EQ(battle->packets.Count(), 3);

  // An empty list empties the list in play.
  {
    GMemoryFile empty(std::string("\x01\x00\x00\x00\x00", 5));
    ASSERT_TRUE(battle->ReadPackets(empty.File()));
    EXPECT_EQ(battle->packets.Count(), 0);
    GMemoryFile again(bytes);
    ASSERT_TRUE(battle->ReadPackets(again.File()));
  }

  // A count beyond the bytes left, a count past the limit, a bad packet inside: refused, and
  // the list in play stays.
  std::string tooMany = bytes;
  tooMany[4] = 4;
  std::string huge = bytes;
  huge[1] = 0x7F;
  std::string badKind = bytes;
  badKind[5 + 13] = 40;
  for (const std::string& bad : {tooMany, huge, badKind}) {
    GMemoryFile file(bad);
    EXPECT_FALSE(battle->ReadPackets(file.File()));
    EXPECT_TRUE(file.File().HasError());
    EXPECT_EQ(battle->packets.Count(), 3);
  }
}

TEST_F(PacketTest, SortIsStableByKindClassAndLogsDuplicateStates) {
  GObjectGroup list;
  list.SetOwnsMembers(true);
  auto add = [&](int16_t slice, int8_t kind, int32_t tag) {
    auto* p = new Packet;
    p->timeSlice = slice;
    p->kind = kind;
    p->x = static_cast<float>(tag);
    if (kind == Packet::kUnitState) p->state.unit = infantry;
    list.Append(p);
  };
  add(5, Packet::kSound, 0);
  add(5, Packet::kCraterRevealed, 1);
  add(5, Packet::kFire, 2);
  add(3, Packet::kSound, 3);
  add(5, Packet::kUnitState, 4);
  add(5, Packet::kSound, 5);
  add(5, Packet::kUnitState, 6);  // the same unit again in slice 5
  add(5, Packet::kTileIgnites, 7);
  EXPECT_EQ(PacketList::Sort(list), 1);
  std::vector<int> order;
  for (int32_t i = 0; i < list.Count(); ++i)
    order.push_back(static_cast<int>(static_cast<Packet*>(list.GetItem(i))->x));
  EXPECT_EQ(order, (std::vector<int>{3, 2, 4, 6, 7, 1, 0, 5}));
  // Sorting again changes nothing.
  PacketList::Sort(list);
  for (int32_t i = 0; i < list.Count(); ++i)
    EXPECT_EQ(static_cast<Packet*>(list.GetItem(i))->x, order[static_cast<size_t>(i)]);
}

TEST(SoundKinds, TablesAndNormalisation) {
  EXPECT_EQ(NormalizeSoundKind(11), 10);
  EXPECT_EQ(NormalizeSoundKind(13), 16);
  EXPECT_EQ(NormalizeSoundKind(15), 16);
  EXPECT_EQ(NormalizeSoundKind(12), 12);
  std::vector<int> classes;
  for (int k = -1; k <= 26; ++k) classes.push_back(SoundKindClass(k));
  EXPECT_EQ(classes, (std::vector<int>{-1, -1, 0,  1, 0, 1, 1, 1,  1, 1, 1, 2, -1, 1,
                                       -1, 1,  -1, 2, 1, 1, 1, -1, 1, 1, 2, 2, 1,  -1}));
  EXPECT_EQ(SoundKinds::OneShotWindows(2), -1);
  EXPECT_EQ(SoundKinds::OneShotWindows(15), 10);
  EXPECT_EQ(SoundKinds::OneShotWindows(20), -1);
  EXPECT_EQ(SoundKinds::OneShotWindows(24), 25);
  EXPECT_EQ(SoundKinds::OneShotWindows(25), -1);
}

namespace {

Packet* AddSound(GObjectGroup& list, int16_t slice, int16_t kind, bool looped, Unit* unit, bool both = true) {
  auto* p = new Packet;
  p->kind = Packet::kSound;
  p->timeSlice = slice;
  p->sound.soundKind = kind;
  p->sound.looped = looped ? 1 : 0;
  p->sound.source = unit;
  p->sound.audible[0] = 1;
  p->sound.audible[1] = both ? 1 : 0;
  list.Append(p);
  return p;
}

}  // namespace

TEST_F(PacketTest, ThinningCutsTheLeastImportantOneShots) {
  for (int32_t budget : {3, 4}) {
    GObjectGroup list;
    list.SetOwnsMembers(true);
    for (int16_t kind : {21, 13, 8, 5}) AddSound(list, 400, kind, false, nullptr);
    EXPECT_EQ(PacketList::ThinSounds(list, budget), budget == 3 ? 1 : 0);
    std::vector<int> kinds;
    for (int32_t i = 0; i < list.Count(); ++i) kinds.push_back(static_cast<Packet*>(list.GetItem(i))->sound.soundKind);
    EXPECT_EQ(kinds, budget == 3 ? (std::vector<int>{21, 13, 8}) : (std::vector<int>{21, 13, 8, 5}));
  }
  // Odd kinds (looped 40, one-shot 20 and 30, a byte read back negative) are neither counted
  // nor fatal, and a window below the budget keeps even a kind below 0; a sound only one side
  // hears is not counted but may go; a looped sound never goes; a unit's looped sound lasts
  // until its next one.
  GObjectGroup list;
  list.SetOwnsMembers(true);
  AddSound(list, 400, 40, true, infantry);
  AddSound(list, 400, 20, false, nullptr);
  AddSound(list, 400, 30, false, nullptr);
  AddSound(list, 400, -3, false, nullptr);
  AddSound(list, 400, 3, true, nullptr);    // looped without unit: to the end
  AddSound(list, 400, 22, true, vehicle);   // lasts to slice 800 (window 40)
  AddSound(list, 800, 22, true, vehicle);   // never followed: counts nowhere
  AddSound(list, 600, 23, false, nullptr);  // window 30: 23, 22 and 8 reach the budget
  AddSound(list, 600, 8, false, nullptr);
  AddSound(list, 600, 6, false, nullptr);         // below the cut-off: goes
  AddSound(list, 600, 4, false, nullptr, false);  // one side, not counted, but goes
  AddSound(list, 1000, 6, false, nullptr);        // alone: stays
  EXPECT_EQ(PacketList::ThinSounds(list, 3), 2);
  std::vector<int> kinds;
  for (int32_t i = 0; i < list.Count(); ++i) kinds.push_back(static_cast<Packet*>(list.GetItem(i))->sound.soundKind);
  EXPECT_EQ(kinds, (std::vector<int>{40, 20, 30, -3, 3, 22, 22, 23, 8, 6}));
}

TEST_F(PacketTest, AnInfantrySnapshotSurvivesItsPacket) {
  // The unit's snapshot with its infantry fields, as the unit makes it.
  PutLE16(*infantry, 62, 2);  // two weapon slots
  UnitStatePacket made = StatePacket(infantry).state;
  made.slice = 77;
  made.extraUnits = {nullptr, vehicle};
  made.leader = vehicle;
  made.menPerSlot = {5, 2, 0, 0};
  made.moveState = 7;
  made.fatigueLevel = 3;
  made.specialShots = 3;
  made.charges = 2;
  made.fallingFigure = 2;
  made.surrendered = 1;
  made.released = 1;
  made.routed = 1;
  Packet packet;
  packet.SetUnitState(made);
  Packet back;
  ASSERT_TRUE(ReadBack(Bytes(packet), back));
  EXPECT_EQ(back.state.extraUnits[1], vehicle);
  EXPECT_EQ(back.state.leader, vehicle);
  EXPECT_EQ(back.state.menPerSlot, made.menPerSlot);
  EXPECT_EQ(back.state.moveState, 7);
  EXPECT_EQ(back.state.fatigueLevel, 3);
  EXPECT_EQ(back.state.specialShots, 3);
  EXPECT_EQ(back.state.charges, 2);
  EXPECT_EQ(back.state.fallingFigure, 2);
  EXPECT_EQ(back.state.surrendered, 1);
  EXPECT_EQ(back.state.released, 1);
  EXPECT_EQ(back.state.routed, 1);
  EXPECT_EQ(back.timeSlice, 77);
}

TEST_F(PacketTest, ARecordedSnapshotReplaysAlikeFromItsStoredForm) {
  // The battle's recorder keeps what the unit's snapshot carries for the stored form too: the
  // machine that reads the action's packets replays the same men, shots, turret and flags as
  // the machine that recorded them.
  PutLE16(*infantry, 62, 2);  // two weapon slots
  UnitStatePacket soldier = StatePacket(infantry).state;
  soldier.slice = 40;
  soldier.leader = vehicle;
  soldier.menPerSlot = {1, 2, 0, 0};
  soldier.specialShots = 1;
  soldier.moveState = 5;
  UnitStatePacket tank = StatePacket(vehicle).state;
  tank.slice = 40;
  tank.extraUnits = {infantry, nullptr};
  tank.turretAngle = 45.0f;
  tank.turretRate = 0.5f;
  tank.sightBlocking = 1;
  tank.gunDestroyed = 1;
  tank.vehicleFlags = 1 | 2 | 4;
  tank.machineGunGroups = {3, 2, 1};
  UnitStatePacket plane = StatePacket(airplane).state;
  plane.slice = 40;
  plane.airplaneState = 5;
  battle->currentSlice = 30;
  for (const UnitStatePacket* made : {&soldier, &tank, &plane}) {
    const Packet* recorded = battle->RecordUnitState(*made);
    ASSERT_NE(recorded, nullptr);
    EXPECT_EQ(recorded->timeSlice, 40);
    EXPECT_EQ(recorded->state.slice, 40);
  }
  ASSERT_EQ(battle->packets.Count(), 3);
  Packet back[3];
  for (int32_t i = 0; i < 3; ++i) {
    ASSERT_TRUE(ReadBack(Bytes(*static_cast<Packet*>(battle->packets.GetItem(i))), back[i])) << i;
    EXPECT_EQ(back[i].timeSlice, 40);
  }
  EXPECT_EQ(back[0].state.menPerSlot, soldier.menPerSlot);
  EXPECT_EQ(back[0].state.specialShots, 1);
  EXPECT_EQ(back[0].state.moveState, 5);
  EXPECT_EQ(back[0].state.leader, vehicle);
  EXPECT_EQ(back[1].state.extraUnits[0], infantry);
  EXPECT_EQ(back[1].state.turretAngle, 45.0f);
  EXPECT_EQ(back[1].state.turretRate, 0.5f);
  EXPECT_EQ(back[1].state.sightBlocking, 1);
  EXPECT_EQ(back[1].state.gunDestroyed, 1);
  EXPECT_EQ(back[1].state.vehicleFlags, 7);
  EXPECT_EQ(back[1].state.machineGunGroups, tank.machineGunGroups);
  EXPECT_EQ(back[2].state.airplaneState, 5);
}
