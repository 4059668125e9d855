// Reinforcement groups: the default stored form, the arrival check by turn and chance, the
// e-mail seeding of the arrival step, and an arriving group's boarding and entry.
#include <gtest/gtest.h>

#include <string>

#include "framework/core/GMemoryFile.h"
#include "framework/core/Quorl.h"
#include "game/battle/AIGroup.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/Campaign.h"

namespace {

void PutI32(uint8_t* at, int32_t value) {
  for (int32_t i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

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

// A carrier of the capacity; armoured, and protecting its riders, as asked.
TestVehicle* Carrier(int32_t sideIndex, int32_t capacity, bool armored, bool protects) {
  auto* vehicle = static_cast<TestVehicle*>(BattleTestRig::MakeUnit(1, sideIndex, 0.0f, 0.0f));
  PutI32(vehicle->record.data() + 200, capacity);
  vehicle->record[205] = protects ? 1 : 0;
  vehicle->armored = armored;
  return vehicle;
}

// An infantry team with a loading value (the class record's size class) and leader level.
TestInfantry* Team(int32_t sideIndex, int32_t loading, int8_t leaderLevel = 0) {
  auto* team = static_cast<TestInfantry*>(BattleTestRig::MakeUnit(0, sideIndex, 0.0f, 0.0f));
  team->SetRecord(104, 0, leaderLevel);
  PutI32(team->record.data() + 112, loading);
  team->men = 3;
  return team;
}

}  // namespace

TEST(ReinforcementGroup, DefaultStoredFormAndOperationArrival) {
  ReinforcementGroup group;
  group.Init(false);
  GMemoryFile out;
  group.Write(out.File());
  EXPECT_EQ(Hex(out.Bytes()), "00 00 00 0A 3F 80 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
  group.Init(true);
  EXPECT_EQ(group.arrivalTurn, 4);
}

TEST(ReinforcementGroup, ArrivesFromItsTurnAndNeverBelowZero) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  HeadlessHost& host = rig.headless.Host();
  ReinforcementGroup& group = rig.AddGroup(1, 1, 10);
  group.chance = 1.0f;
  battle.currentTurn = 9;
  EXPECT_FALSE(group.CheckArrival(host));
  battle.currentTurn = 10;
  EXPECT_TRUE(group.CheckArrival(host));
  EXPECT_EQ(group.units.Count(), 0);
  EXPECT_EQ(battle.UnitCount(), 1);

  // Arrival -1 never comes; an empty group counts as arrived and is removed by the step.
  rig.AddGroup(0, 1, -1);
  rig.AddGroup(0, 0, 1).chance = 1.0f;
  battle.currentTurn = 30;
  battle.BringReinforcements();
  ASSERT_EQ(battle.reinforcements[0].Count(), 1);
  EXPECT_EQ(battle.GroupAt(0, 0)->arrivalTurn, -1);
  EXPECT_EQ(battle.reinforcements[1].Count(), 0);
}

TEST(ReinforcementGroup, EmailPlaySeedsTheArrivalStep) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  HeadlessHost& host = rig.headless.Host();
  // An empty group: its arrival draws the chance and nothing for placing units.
  rig.AddGroup(1, 0, 1).chance = 0.5f;
  battle.currentTurn = 2;
  host.humanPlayers = 2;
  host.connectionType = 1;
  host.exchange.emailSeed = 4242;
  SeedRandom(4242);
  RandomFloat();
  const uint32_t expected = RandomState();
  SeedRandom(1);
  battle.BringReinforcements();
  EXPECT_EQ(RandomState(), expected);
}

TEST(ReinforcementGroup, ArrivingInfantryBoardsCarriersInSortedOrder) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  HeadlessHost& host = rig.headless.Host();
  auto& group = rig.AddGroup(1, 0, 1);
  group.chance = 1.0f;
  group.entryX = 200.0f;
  group.entryY = 240.0f;
  TestInfantry* small = Team(1, 3);
  TestInfantry* large = Team(1, 5);
  TestInfantry* leader = Team(1, 5, 1);
  TestVehicle* one = Carrier(1, 1, false, false);
  TestVehicle* two = Carrier(1, 2, false, false);
  TestVehicle* tank = Carrier(1, 2, true, false);
  for (Unit* unit : std::initializer_list<Unit*>{small, one, large, tank, leader, two}) group.units.Append(unit);
  battle.currentTurn = 1;
  // Side 1 has a computer-player list (empty) and attacks: the arrivals make a group of mode 0.
  battle.attacker = 1;
  battle.aiGroups[1] = new GObjectGroup();
  battle.aiGroups[1]->IObjectGroup();
  ASSERT_TRUE(group.CheckArrival(host));

  // Larger capacity first; the larger loading value first, leaders after the others.
  EXPECT_EQ(two->riders, 2);
  EXPECT_EQ(two->passengers[0], large);
  EXPECT_EQ(two->passengers[1], leader);
  EXPECT_EQ(one->riders, 1);
  EXPECT_EQ(one->passengers[0], small);
  EXPECT_EQ(small->carrier, one);
  // An armoured carrier that does not protect its riders takes none.
  EXPECT_EQ(tank->riders, 0);

  // The vehicles enter first, each on a spot of its own, and make one computer-player group.
  ASSERT_EQ(battle.UnitCount(), 6);
  for (int32_t i = 0; i < 3; ++i) EXPECT_TRUE(battle.UnitAt(i)->IsVehicle()) << i;
  for (int32_t i = 0; i < 3; ++i) {
    for (int32_t j = i + 1; j < 3; ++j) {
      EXPECT_FALSE(battle.UnitAt(i)->x == battle.UnitAt(j)->x && battle.UnitAt(i)->y == battle.UnitAt(j)->y) << i << j;
    }
  }
  ASSERT_EQ(battle.AIGroupCount(1), 1);
  EXPECT_EQ(battle.AIGroupAt(1, 0)->Count(), 6);
  EXPECT_EQ(battle.AIGroupAt(1, 0)->mode, 0);
  EXPECT_EQ(battle.aiGroups[0], nullptr);
  EXPECT_EQ(battle.sideOnMap[1], 1);
}

TEST(ReinforcementGroup, NoCarrierOrNoInfantryLoadsNothing) {
  ReinforcementGroup onFoot;
  onFoot.Init(false);
  TestInfantry* team = Team(0, 4);
  onFoot.units.Append(team);
  onFoot.units.Append(Carrier(0, 0, false, false));
  onFoot.LoadCarriers();
  EXPECT_EQ(team->carrier, nullptr);
  onFoot.DeleteUnits();

  ReinforcementGroup empty;
  empty.Init(false);
  TestVehicle* carrier = Carrier(0, 2, true, true);
  empty.units.Append(carrier);
  empty.LoadCarriers();
  EXPECT_EQ(carrier->riders, 0);
  empty.DeleteUnits();

  // An armoured carrier that protects its riders does carry.
  ReinforcementGroup armoured;
  armoured.Init(false);
  TestVehicle* halftrack = Carrier(0, 1, true, true);
  TestInfantry* rider = Team(0, 4);
  armoured.units.Append(halftrack);
  armoured.units.Append(rider);
  armoured.LoadCarriers();
  EXPECT_EQ(rider->carrier, halftrack);
  armoured.DeleteUnits();
}
