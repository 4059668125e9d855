// Infantry construction and set-up, the stored form and the unit references.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/core/GObjectGroup.h"
#include "framework/core/Quorl.h"
#include "game/units/InfantryRig.h"
#include "game/units/tables/Names.h"
#include "game/units/TestVehicle.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/records/UnitIds.h"

namespace {

// The number of Random calls made since the generator was seeded with seed.
int32_t DrawsSince(uint32_t seed) {
  const int32_t now = RandomPreservingSeed();
  SeedRandom(seed);
  for (int32_t k = 0; k < 200; ++k) {
    if (RandomPreservingSeed() == now) return k;
    Random(2);
  }
  return -1;
}

using Bytes = std::vector<uint8_t>;

}  // namespace

TEST(InfantrySetUp, ConstructionDrawsThreePoseRatesLastFirstAndHoldsARealWeapon) {
  InfantryRig rig;
  SeedRandom(77);
  Infantry unit;
  EXPECT_EQ(DrawsSince(77), 3);
  SeedRandom(77);
  const float r2 = 0.9f + RandomFloatTimes(0.2f);
  const float r1 = 0.9f + RandomFloatTimes(0.2f);
  const float r0 = 0.9f + RandomFloatTimes(0.2f);
  EXPECT_EQ(unit.poseRate[2], r2);
  EXPECT_EQ(unit.poseRate[1], r1);
  EXPECT_EQ(unit.poseRate[0], r0);
  EXPECT_EQ(unit.kind, Unit::kInfantry);
  EXPECT_EQ(unit.antitankWeaponId, 49);
  EXPECT_EQ(unit.figurePose[19][2], 0.0f);
}

TEST(InfantrySetUp, SlotsChargesAndDrawCounts) {
  InfantryRig rig;
  // Two slots in use leave slots 2 and 3 empty.
  auto squad = rig.Make(InfantryRig::kSquad, 3);  // American: no antitank or charge rolls
  EXPECT_EQ(squad->menInSlot[0], 6);
  EXPECT_EQ(squad->menInSlot[1], 3);
  EXPECT_EQ(squad->menInSlot[2], 0);
  EXPECT_EQ(squad->menInSlot[3], 0);
  EXPECT_EQ(squad->chargeCount, 0);
  EXPECT_EQ(squad->leaderRatings, 0);
  EXPECT_EQ(squad->GetMenPresent(), 9);

  // Draws after construction: the unit set-up's own (aim time, slice counter), then the
  // class set-up's: code 1 squad: antitank roll and Gammon bomb roll.
  auto count = [&](int32_t classIndex, int32_t code) {
    Infantry unit;
    SeedRandom(1234);
    unit.Init(classIndex, code, 2, 0.0f, 0.0f, 0.0f);
    return DrawsSince(1234);
  };
  const int32_t plain = count(InfantryRig::kTeam, 3);
  EXPECT_EQ(plain, 2);
  EXPECT_EQ(count(InfantryRig::kTeam, 6), plain);
  EXPECT_EQ(count(InfantryRig::kSquad, 3), plain);
  EXPECT_EQ(count(InfantryRig::kSquad, 1), plain + 2);
  EXPECT_EQ(count(InfantryRig::kSquad, 2), plain + 1);        // another British code: one roll
  EXPECT_EQ(count(InfantryRig::kDemolition, 3), plain);       // two charges, no roll
  EXPECT_EQ(count(InfantryRig::kSquad, 4), plain + 1);        // the Gammon bomb roll
  rig.world.Battle().date = 4411;
  EXPECT_EQ(count(InfantryRig::kSquad, 10), plain + 1);       // Axis code 10: no Random(3)
  // A headquarters rolls four ratings of two or three draws each.
  const int32_t hq = count(InfantryRig::kCompanyHq, 3);
  EXPECT_GE(hq, plain + 8);
  EXPECT_LE(hq, plain + 16);

  // The demolition flag gives two charges.
  EXPECT_EQ(rig.Make(InfantryRig::kDemolition, 3)->chargeCount, 2);
}

TEST(InfantrySetUp, GammonBombsInTwoCasesOfThree) {
  InfantryRig rig;
  SeedRandom(99);
  int32_t withBomb = 0;
  constexpr int32_t kRuns = 10000;
  for (int32_t i = 0; i < kRuns; ++i) {
    Infantry unit;
    unit.Init(InfantryRig::kSquad, 4, 2, 0.0f, 0.0f, 0.0f);
    ASSERT_LE(unit.chargeCount, 1);
    withBomb += unit.chargeCount;
  }
  EXPECT_NEAR(static_cast<double>(withBomb) / kRuns, 0.67, 0.02);
}

TEST(InfantrySetUp, AntitankWeaponsByDateAndSide) {
  InfantryRig rig;
  auto& battle = rig.world.Battle();
  const std::pair<int32_t, int32_t> dated[] = {{4408, 52}, {4409, 53}, {4412, 53}, {4501, 53}, {4502, 54}, {4503, 54}};
  for (const auto& [date, weapon] : dated) {
    battle.date = date;
    EXPECT_EQ(rig.Make(InfantryRig::kSquad, 6)->antitankWeaponId, weapon) << date;
    EXPECT_EQ(rig.Make(InfantryRig::kSquad, 3)->antitankWeaponId, 49) << date;
    EXPECT_EQ(rig.Make(InfantryRig::kTeam, 6)->antitankWeaponId, weapon) << "teams too";
    EXPECT_EQ(rig.Make(InfantryRig::kTeam, 6)->antitankCount, 0);
  }

  // 4411: t = 5; the count is lo + (hi - lo) x a draw, at times scaled by up to 1.5, rounded.
  battle.date = 4411;
  const float t = 5.0f;
  const float lo = 0.0091f * t * t + 0.00465f * t + 0.703f;
  const float hi = 0.0004658f * t * t * t - 0.01677f * t * t + 0.2204f * t + 0.9795f;
  EXPECT_FLOAT_EQ(lo, 0.95375f);
  EXPECT_FLOAT_EQ(hi, 1.720475f);
  SeedRandom(5);
  std::array<int32_t, 4> seen{};
  for (int32_t i = 0; i < 2000; ++i) {
    auto unit = rig.Make(InfantryRig::kSquad, 6);
    ASSERT_LE(unit->antitankCount, 2);
    ++seen[unit->antitankCount];
  }
  EXPECT_GT(seen[0], 0);  // a scaling draw can bring the count to 0
  EXPECT_GT(seen[1], 0);
  EXPECT_GT(seen[2], 0);
  // Replaying the roll by hand gives the same count.
  Infantry replayed;
  replayed.Init(InfantryRig::kSquad, 6, 2, 0.0f, 0.0f, 0.0f);
  SeedRandom(31);
  replayed.RollAntitankWeapons();
  SeedRandom(31);
  float x = lo + (hi - lo) * RandomFloat();
  if (Random(3) == 0) x *= RandomFloatTimes(1.5f);
  EXPECT_EQ(replayed.antitankCount, std::min(static_cast<int32_t>(x + 0.5f), 2));
}

TEST(InfantrySetUp, LeaderRatingsReplayAndStayInRange) {
  InfantryRig rig;
  for (uint32_t seed = 1; seed < 200; ++seed) {
    SeedRandom(seed);
    const int32_t got = Infantry::RollLeaderRating(3, -1);
    SeedRandom(seed);
    int32_t n = 3;
    if (Random(3) == 0) n = 2;
    int32_t r1 = std::min(Random(n), 2);
    int32_t expected = r1;
    if (!(3 > Random(5))) expected = std::min(r1, std::min(Random(n), 2));
    ASSERT_EQ(got, expected) << seed;
  }
  for (uint32_t seed = 1; seed < 300; ++seed) {
    SeedRandom(seed);
    auto hq = rig.Make(InfantryRig::kCompanyHq, 0, static_cast<int32_t>(seed % 9));
    for (int32_t pair = 0; pair < 4; ++pair) ASSERT_LE(hq->LeaderRatingBits(pair), 2);
  }
}

TEST(InfantrySetUp, SuppressedClassSetUpStillWrites) {
  InfantryRig rig;
  Infantry unit;
  unit.noAppearanceReset = 1;
  unit.Init(InfantryRig::kSquad, 0, 2, 0.0f, 0.0f, 0.0f);
  EXPECT_EQ(unit.antitankWeaponId, 49);
  EXPECT_EQ(unit.menInSlot[0], 0);
  EXPECT_FALSE(rig.Write(unit).empty());
}

TEST(InfantrySetUp, FactoryMakesInfantryOfKindZero) {
  InfantryRig rig;
  std::unique_ptr<Unit> unit(CreateUnit(0, InfantryRig::kSquad, 6, 3));
  auto* infantry = dynamic_cast<Infantry*>(unit.get());
  ASSERT_NE(infantry, nullptr);
  EXPECT_EQ(infantry->classIndex, InfantryRig::kSquad);
  EXPECT_EQ(infantry->rating, 3);
  EXPECT_EQ(infantry->AsInfantry()->GetClassData().Men(), 9);
}

// ---- Stored form ----

TEST(InfantryStore, GoldenParts) {
  InfantryRig rig;
  rig.world.Battle().date = 4412;
  // A two-slot squad: 8 reserved, 2 flags, 2 name, 2 slots, 12 ids.
  auto squad = rig.Make(InfantryRig::kSquad, 0);
  squad->antitankWeaponId = 53;
  squad->chargeCount = 2;
  squad->antitankCount = 1;
  squad->secondLeaderName = 0x0102;
  squad->splitFlag = 1;
  squad->surrendered = 1;
  EXPECT_EQ(rig.Part(*squad), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0x30, 0x29, 1, 2, 6, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  squad->released = 1;
  squad->slicePassFlag = 1;
  squad->antitankWeaponId = 49;
  EXPECT_EQ(rig.Part(*squad)[8], 0x70);
  EXPECT_EQ(rig.Part(*squad)[9], 0xAB);

  // A one-slot spotter team: 8 reserved, 2 flags, 1 slot, 8 aim point, 12 ids.
  auto spotter = rig.Make(InfantryRig::kSpotter, 3);
  spotter->aimPoint = {1.5f, -2.0f};
  Bytes part = rig.Part(*spotter);
  ASSERT_EQ(part.size(), 31u);
  EXPECT_EQ(part[9], 0x03);
  EXPECT_EQ(part[10], 3);
  EXPECT_EQ((Bytes(part.begin() + 11, part.begin() + 19)), (Bytes{0x3F, 0xC0, 0, 0, 0xC0, 0, 0, 0}));

  // A headquarters with ratings 2, 1, 0, 1 writes rating 1 in the top bits.
  auto hq = rig.Make(InfantryRig::kCompanyHq, 6);
  hq->leaderRatings = 0x46;
  part = rig.Part(*hq);
  ASSERT_EQ(part.size(), 8u + 2u + 2u + 1u + 12u);
  EXPECT_EQ(part[12], 0x91);
}

TEST(InfantryStore, ReferencesAreWrittenAsPackedIdsAndReadBackRaw) {
  InfantryRig rig;
  auto squad = rig.Make(InfantryRig::kSquad, 6);
  auto leader = rig.Make(InfantryRig::kPlatoonHq, 6);
  TestVehicle truck;
  rig.world.LendOnly({squad.get(), leader.get(), &truck});
  squad->carrier = &truck;
  squad->platoonLeader = leader.get();
  squad->commandingLeader = leader.get();
  const Bytes part = rig.Part(*squad);
  EXPECT_EQ((Bytes(part.end() - 12, part.end())), (Bytes{0, 3, 0, 0, 0, 0, 0, 2, 0, 2, 0, 0}));

  Infantry read;
  ASSERT_TRUE(rig.Read(rig.Write(*squad), read));
  EXPECT_EQ(read.carrier, nullptr);
  EXPECT_EQ(read.linkIds[0], 3);
  EXPECT_EQ(read.linkIds[4], 2);
  truck.passengers[0] = &read;
  EXPECT_TRUE(read.RemapReferences(&rig.world.Battle()));
  EXPECT_EQ(read.carrier, &truck);
  EXPECT_EQ(read.platoonLeader, leader.get());
  EXPECT_EQ(read.commandingLeader, leader.get());
  EXPECT_TRUE(read.CheckCarrier());
  truck.passengers[0] = nullptr;
  EXPECT_FALSE(read.CheckCarrier());
  rig.world.TakeBackLent();
}

TEST(InfantryStore, WriteReadWriteIsByteIdenticalForRandomUnits) {
  InfantryRig rig;
  SeedRandom(2024);
  const int32_t classes[] = {InfantryRig::kSquad, InfantryRig::kTeam, InfantryRig::kCompanyHq, InfantryRig::kPlatoonHq,
                             InfantryRig::kSpotter, InfantryRig::kMortar, InfantryRig::kDemolition};
  const int32_t dates[] = {4406, 4410, 4503};
  constexpr int32_t kUnits = 1000;
  std::vector<std::unique_ptr<Infantry>> units;
  for (int32_t i = 0; i < kUnits; ++i) {
    rig.world.Battle().date = dates[Random(3)];
    // One draw a statement, so that every compiler makes the same units.
    const int32_t third = Random(9);
    const int32_t second = Random(19);
    auto unit = rig.Make(classes[Random(7)], second, third);
    unit->splitFlag = static_cast<uint8_t>(Random(2));
    unit->surrendered = static_cast<uint8_t>(Random(2));
    unit->released = static_cast<uint8_t>(Random(2));
    unit->slicePassFlag = static_cast<uint8_t>(Random(2));
    unit->chargeCount = static_cast<uint8_t>(Random(8));
    unit->antitankCount = static_cast<uint8_t>(Random(4));
    unit->secondLeaderName = static_cast<uint16_t>(Random(200));
    unit->aimPoint = {RandomFloatTimes(800.0f), RandomFloatTimes(800.0f)};
    unit->leaderRatings = 0;
    for (int32_t shift = 0; shift < 8; shift += 2) unit->leaderRatings |= static_cast<uint8_t>(Random(3) << shift);
    if (unit->menInSlot[0] > 0) unit->menInSlot[0] = static_cast<uint8_t>(Random(unit->menInSlot[0] + 1));
    units.push_back(std::move(unit));
  }
  // All records in one file, read back through the record reader and written again.
  {
    auto file = rig.files.Open("units.rec", GFile::kModeWrite);
    for (const auto& unit : units) unit->Write(*file);
  }
  const Bytes first = rig.files.Get("units.rec");
  std::vector<std::unique_ptr<Unit>> read;
  {
    auto file = rig.files.Open("units.rec", GFile::kModeRead);
    for (int32_t i = 0; i < kUnits; ++i) {
      read.emplace_back(ReadUnit(*file));
      ASSERT_NE(read.back(), nullptr) << i;
    }
    EXPECT_FALSE(file->HasError());
  }
  {
    auto file = rig.files.Open("units2.rec", GFile::kModeWrite);
    for (const auto& unit : read) unit->Write(*file);
  }
  EXPECT_EQ(rig.files.Get("units2.rec"), first);
  for (int32_t i = 0; i < kUnits; ++i) {
    const auto* back = dynamic_cast<const Infantry*>(read[static_cast<size_t>(i)].get());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->menInSlot, units[static_cast<size_t>(i)]->menInSlot);
    EXPECT_EQ(back->antitankWeaponId, units[static_cast<size_t>(i)]->antitankWeaponId);
  }
}

TEST(InfantryStore, BadInputIsRefused) {
  InfantryRig rig;
  auto squad = rig.Make(InfantryRig::kSquad, 6);
  const Bytes good = rig.Write(*squad);
  const size_t part = good.size() - rig.Part(*squad).size();
  auto refused = [&](size_t offset, uint8_t value) {
    Bytes bad = good;
    bad[part + offset] = value;
    Infantry read;
    return !rig.Read(bad, read);
  };
  {
    Infantry read;
    EXPECT_TRUE(rig.Read(good, read));
  }
  EXPECT_TRUE(refused(12, 128)) << "a slot byte above 127";
  EXPECT_TRUE(refused(12, 7)) << "7 + 3 men in a class of 9";
  EXPECT_FALSE(refused(12, 5));
  EXPECT_TRUE(refused(10, 0xFF)) << "a second leader name outside the German list";
  EXPECT_FALSE(refused(10, 0x01));

  auto hq = rig.Make(InfantryRig::kCompanyHq, 6);
  const Bytes hqGood = rig.Write(*hq);
  const size_t hqPart = hqGood.size() - rig.Part(*hq).size();
  for (uint8_t bad : {0x03, 0x0C, 0x30, 0xC0}) {
    Bytes bytes = hqGood;
    bytes[hqPart + 12] = bad;
    Infantry read;
    EXPECT_FALSE(rig.Read(bytes, read)) << int(bad);
  }

  auto spotter = rig.Make(InfantryRig::kSpotter, 6);
  spotter->aimPoint = {NAN, 1.0f};
  Infantry read;
  EXPECT_FALSE(rig.Read(rig.Write(*spotter), read));
  spotter->aimPoint = {1.0f, INFINITY};
  EXPECT_FALSE(rig.Read(rig.Write(*spotter), read));

  // Waypoints: foot move modes only, and a hide flag only on the last point.
  squad->waypointCount = 2;
  squad->waypoints[0].moveMode = 3;
  squad->waypoints[1].moveMode = 7;
  squad->waypoints[1].flags = 1;
  EXPECT_TRUE(rig.Read(rig.Write(*squad), read));
  squad->waypoints[0].flags = 1;
  EXPECT_FALSE(rig.Read(rig.Write(*squad), read));
  squad->waypoints[0].flags = 0;
  for (int32_t mode : {-1, 1, 2}) {
    squad->waypoints[0].moveMode = mode;
    EXPECT_FALSE(rig.Read(rig.Write(*squad), read)) << mode;
  }
  // A truncated part.
  Bytes cut = good;
  cut.resize(good.size() - 3);
  EXPECT_FALSE(rig.Read(cut, read));
}

// ---- References ----

TEST(InfantryReferences, RemapRefusesUnknownIdsAndWrongKinds) {
  InfantryRig rig;
  auto squad = rig.Make(InfantryRig::kSquad, 6);
  auto other = rig.Make(InfantryRig::kTeam, 6);
  TestVehicle truck;
  rig.world.LendOnly({other.get(), &truck});
  auto remap = [&](size_t link, int16_t id) {
    squad->linkIds = {};
    squad->linkIds[link] = id;
    return squad->RemapReferences(&rig.world.Battle());
  };
  EXPECT_TRUE(remap(0, 2));
  EXPECT_EQ(squad->carrier, &truck);
  EXPECT_FALSE(remap(0, 1)) << "a carrier must be a vehicle";
  EXPECT_EQ(squad->carrier, nullptr);
  EXPECT_FALSE(remap(1, 1)) << "so must the vehicle to board";
  EXPECT_TRUE(remap(2, 2)) << "a parent may be a vehicle";
  EXPECT_TRUE(remap(2, 1)) << "or infantry";
  for (size_t link = 3; link < 6; ++link) {
    EXPECT_TRUE(remap(link, 1));
    EXPECT_FALSE(remap(link, 2)) << link;
  }
  EXPECT_FALSE(remap(5, 40)) << "no unit";
  EXPECT_EQ(squad->linkIds, (std::array<int16_t, 6>{}));
  rig.world.TakeBackLent();
}

TEST(InfantryReferences, KeysAndDeadReferences) {
  InfantryRig rig;
  auto squad = rig.Make(InfantryRig::kSquad, 6);
  auto half = rig.Make(InfantryRig::kSquad, 6);
  auto leader = rig.Make(InfantryRig::kPlatoonHq, 6);
  leader->designation = 0x4200;
  half->designation = 0x4201;
  TestVehicle truck;
  truck.designation = 9;
  rig.world.LendOnly({leader.get(), half.get(), &truck});
  squad->carrier = &truck;
  squad->platoonLeader = leader.get();
  squad->linkedHalf = half.get();
  squad->ReferencesToIds();
  EXPECT_EQ(squad->carrier, nullptr);
  EXPECT_EQ(squad->linkKeys[0], truck.PackedIdentity());
  EXPECT_EQ(squad->linkKeys[4], leader->PackedIdentity());
  EXPECT_TRUE(squad->IdsToReferences(nullptr));
  EXPECT_EQ(squad->carrier, &truck);
  EXPECT_EQ(squad->platoonLeader, leader.get());
  EXPECT_EQ(squad->linkedHalf, half.get());

  GObjectGroup group;
  group.IObjectGroup();
  group.SetOwnsMembers(false);
  group.Append(&truck);
  squad->commandingLeader = leader.get();
  squad->DropDeadReferences(group);
  EXPECT_EQ(squad->carrier, &truck);
  EXPECT_EQ(squad->platoonLeader, nullptr);
  EXPECT_EQ(squad->commandingLeader, nullptr);
  EXPECT_EQ(squad->linkedHalf, nullptr);
  EXPECT_EQ(squad->splitFlag, 1) << "the half whose other half left is marked split";
  group.Remove(&truck, false);
  rig.world.TakeBackLent();
}
