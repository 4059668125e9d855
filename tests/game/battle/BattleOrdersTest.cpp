// The orders block: its golden bytes and log lines, what the reader takes over on each
// machine, round trips, the whole-or-nothing refusal of damaged blocks, and the headless
// battle's recorded orders played again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/GMemoryFile.h"
#include "framework/core/Quorl.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/Campaign.h"

namespace {

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (char c : bytes) {
    const auto v = static_cast<uint8_t>(c);
    if (!out.empty()) out += ' ';
    out += digits[v >> 4];
    out += digits[v & 15];
  }
  return out;
}

bool Logged(const BattleTestRig& rig, const std::string& line) {
  for (const std::string& l : rig.logFolder.LogLines()) {
    if (l == line) return true;
  }
  return false;
}

std::string Orders(Battle& battle) {
  GMemoryFile out;
  battle.WriteOrders(out.File());
  EXPECT_FALSE(out.File().HasError());
  return out.Bytes();
}

bool Read(Battle& battle, const std::string& bytes, bool discard = false) {
  GMemoryFile in(bytes);
  return battle.ReadOrders(in.File(), discard);
}

std::string UnitBytes(const Unit& unit) {
  GMemoryFile out;
  unit.Write(out.File());
  return out.Bytes();
}

// An empty battle's block: seed 1234, end flags 0/0, rating as given, no digest.
std::string EmptyBlock(uint32_t rating) {
  std::string b = {0x04, static_cast<char>(0xD2), 0, 0, 0};
  for (int32_t shift = 24; shift >= 0; shift -= 8) b += static_cast<char>((rating >> shift) & 0xFF);
  b += std::string{1, 0, 0, 0, 0};
  return b;
}

}  // namespace

TEST(BattleOrders, WriteGivesGoldenBytesAndLogLines) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  HeadlessHost& host = rig.headless.Host();
  battle.sharedSeed = 1234;
  host.exchange.cpuRating = 500;
  host.exchange.digests[0] = "abc";
  host.exchange.seedDrawing = true;
  EXPECT_EQ(Hex(Orders(battle)), "04 D2 00 00 00 00 00 01 F4 01 00 00 00 00");
  EXPECT_TRUE(Logged(rig, "Seed written = 1234"));
  EXPECT_TRUE(Logged(rig, "*** # units written = 0"));

  // The digest goes only from the machine without the seed-drawing flag, in the set-up phase.
  host.exchange.seedDrawing = false;
  EXPECT_EQ(Hex(Orders(battle).substr(0, 7)), "04 D2 01 03 61 62 63");
  battle.setupPhase = 0;
  EXPECT_EQ(Orders(battle).size(), 14u);

  // In an operation the side to play's night-action byte follows.
  Campaign operation(host);
  operation.nightIntent[1] = 2;
  host.InPlay().SetCampaign(&operation);
  host.currentSide = 1;
  const std::string withOperation = Orders(battle);
  host.InPlay().SetCampaign(nullptr);
  ASSERT_EQ(withOperation.size(), 15u);
  EXPECT_EQ(withOperation.back(), 2);
}

TEST(BattleOrders, ReadTakesSeedDigestAndComputeHereByMachine) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  HeadlessHost& host = rig.headless.Host();
  host.exchange.cpuRating = 500;

  // The machine without the seed-drawing flag takes the seed; the other keeps its own.
  battle.sharedSeed = 7;
  ASSERT_TRUE(Read(battle, EmptyBlock(400)));
  EXPECT_EQ(battle.sharedSeed, 1234);
  EXPECT_TRUE(Logged(rig, "Accepted seed = 1234"));
  EXPECT_TRUE(host.exchange.computeHere);
  ASSERT_TRUE(Read(battle, EmptyBlock(600)));
  EXPECT_FALSE(host.exchange.computeHere);
  // Equal ratings: only the seed-drawing machine computes, so the two always disagree.
  ASSERT_TRUE(Read(battle, EmptyBlock(500)));
  EXPECT_FALSE(host.exchange.computeHere);

  host.exchange.seedDrawing = true;
  battle.sharedSeed = 7;
  ASSERT_TRUE(Read(battle, EmptyBlock(500)));
  EXPECT_EQ(battle.sharedSeed, 7);
  EXPECT_TRUE(host.exchange.computeHere);

  // A digest becomes the other side's; with discardOwnSettings the digest, compute-here and
  // operation values stay while the end flags are still read.
  std::string block = EmptyBlock(600);
  block[2] = 1;
  block.insert(3, std::string{2, 'x', 'y'});
  block[4 + 2] = 1;  // side 0 asks for a cease-fire
  ASSERT_TRUE(Read(battle, block, true));
  EXPECT_TRUE(host.exchange.computeHere);
  EXPECT_EQ(host.exchange.digests[1], "");
  EXPECT_EQ(battle.endState[0], 1);
  ASSERT_TRUE(Read(battle, block));
  EXPECT_EQ(host.exchange.digests[1], "xy");
  EXPECT_FALSE(host.exchange.computeHere);
}

TEST(BattleOrders, RoundTripGivesSameUnitsWithExchangeIndexes) {
  BattleTestRig rig;
  rig.Fresh();
  rig.Populate();
  rig.B().sharedSeed = 99;
  rig.B().endState[1] = 1;
  std::string block;
  ASSERT_TRUE(rig.headless.WriteOrders(block));
  std::vector<std::string> written;
  for (int32_t i = 0; i < rig.B().UnitCount(); ++i) written.push_back(UnitBytes(*rig.B().UnitAt(i)));
  const std::string saved = rig.Save();

  ASSERT_TRUE(rig.headless.LoadBytes(saved));
  Battle& copy = rig.B();
  ASSERT_TRUE(Read(copy, block));
  ASSERT_EQ(copy.UnitCount(), 6);
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(UnitBytes(*copy.UnitAt(3 + i)), written[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(copy.UnitAt(3 + i)->exchangeIndex, 2 - i);
  }
  // The units' references resolve in the reading battle.
  EXPECT_EQ(copy.UnitAt(3)->target, copy.UnitAt(1));
  EXPECT_EQ(copy.endState[1], 1);
  EXPECT_EQ(copy.sharedSeed, 99);
}

TEST(BattleOrders, DamagedBlockLeavesBattleAsItWas) {
  BattleTestRig rig;
  rig.Fresh();
  rig.Populate();
  std::string block;
  rig.B().endState[0] = 2;
  rig.B().sharedSeed = 4321;
  ASSERT_TRUE(rig.headless.WriteOrders(block));
  ASSERT_TRUE(rig.headless.LoadBytes(rig.Save()));
  Battle& copy = rig.B();
  copy.endState[0] = 0;
  copy.sharedSeed = 5;
  HeadlessHost& host = rig.headless.Host();
  host.exchange.computeHere = true;
  const auto unchanged = [&] {
    EXPECT_EQ(copy.UnitCount(), 3);
    EXPECT_EQ(copy.endState[0], 0);
    EXPECT_EQ(copy.sharedSeed, 5);
    EXPECT_TRUE(host.exchange.computeHere);
  };

  // Every shorter block is refused.
  for (size_t n = 0; n < block.size(); n += 7) {
    EXPECT_FALSE(Read(copy, block.substr(0, n))) << n;
    unchanged();
  }
  // An id without a unit: the reinforcement unit the vehicle aims at is gone here.
  copy.UnitAt(1)->target = nullptr;
  for (int32_t g = 0; g < copy.reinforcements[1].Count(); ++g) copy.GroupAt(1, g)->DeleteUnits();
  copy.reinforcements[1].DeleteAll(true);
  EXPECT_FALSE(Read(copy, block));
  unchanged();
  EXPECT_TRUE(Logged(rig, "Orders: a unit refers to a unit that does not exist 0"));

  // Flags out of range.
  std::string bad = EmptyBlock(1);
  bad[2] = 2;
  EXPECT_FALSE(Read(copy, bad));
  bad = EmptyBlock(1);
  bad[4] = 3;
  EXPECT_FALSE(Read(copy, bad));
  // A count of 10,000 units is refused before anything is read.
  bad = EmptyBlock(1);
  bad.replace(10, 4, std::string{0, 0, 0x27, 0x10});
  bad += std::string(40000, '\0');
  EXPECT_FALSE(Read(copy, bad));
  unchanged();

  // In an operation the block must carry the night-action byte.
  Campaign operation(host);
  host.InPlay().SetCampaign(&operation);
  EXPECT_FALSE(Read(copy, EmptyBlock(1)));
  EXPECT_TRUE(Read(copy, EmptyBlock(1) + std::string(1, '\2')));
  EXPECT_EQ(operation.nightIntent[1], 2);
  EXPECT_FALSE(Read(copy, EmptyBlock(1) + std::string(1, '\3')));
  host.InPlay().SetCampaign(nullptr);
}

TEST(BattleOrders, HideByteOnlyOnLastWaypoint) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  Unit* unit = BattleTestRig::MakeUnit(0, 0, 100.0f, 100.0f);
  battle.PlaceUnitAt(unit, 100.0f, 100.0f);
  unit->waypointCount = 2;
  for (int32_t i = 0; i < 2; ++i) {
    unit->WaypointAt(i).x = 120.0f + 10.0f * static_cast<float>(i);
    unit->WaypointAt(i).y = 100.0f;
    unit->WaypointAt(i).moveMode = 3;
  }
  unit->WaypointAt(1).flags = 1;
  const std::string good = Orders(battle);
  EXPECT_TRUE(Read(battle, good));
  EXPECT_EQ(battle.UnitCount(), 2);
  unit->WaypointAt(1).flags = 0;
  unit->WaypointAt(0).flags = 1;
  EXPECT_FALSE(Read(battle, Orders(battle)));
  EXPECT_EQ(battle.UnitCount(), 2);
}

TEST(BattleOrders, HeadlessBattleTakesRecordedOrders) {
  BattleTestRig rig;
  rig.Fresh();
  rig.Populate();
  const std::string position = rig.Save();

  SeedRandom(77);
  ASSERT_TRUE(rig.headless.LoadBytes(position));
  Unit& infantry = *rig.B().UnitAt(0);
  infantry.waypointCount = 1;
  infantry.WaypointAt(0).x = 350.0f;
  infantry.WaypointAt(0).y = 330.0f;
  infantry.WaypointAt(0).moveMode = 5;
  infantry.target = rig.B().UnitAt(1);
  // The other side's units keep their own orders.
  rig.B().UnitAt(1)->facing = 45.0f;
  std::string block;
  ASSERT_TRUE(rig.headless.WriteOrders(block));
  rig.B().UnitAt(1)->facing = 0.0f;
  const uint32_t played = rig.headless.Digest();

  SeedRandom(77);
  ASSERT_TRUE(rig.headless.LoadBytes(position));
  ASSERT_TRUE(rig.headless.TakeOrders(0, block));
  EXPECT_EQ(rig.B().UnitCount(), 3);
  EXPECT_EQ(rig.B().UnitAt(0)->target, rig.B().UnitAt(1));
  EXPECT_EQ(rig.headless.Digest(), played);

  // A block of another position is refused and changes nothing.
  const uint32_t before = rig.headless.Digest();
  rig.B().units.RemoveAt(2, true);
  const uint32_t shorter = rig.headless.Digest();
  EXPECT_NE(shorter, before);
  EXPECT_FALSE(rig.headless.TakeOrders(0, block));
  EXPECT_EQ(rig.headless.Digest(), shorter);
}
