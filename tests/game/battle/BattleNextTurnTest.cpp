// Leaving the replay for the next turn: the passes between one turn's action and the next
// orders phase, and the end of a battle by a side's surrender.
#include <gtest/gtest.h>

#include <vector>

#include "framework/core/Quorl.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/Packet.h"
#include "game/units/records/UnitSoundPacket.h"

namespace {

TestInfantry* Squad(Battle& battle, int32_t sideIndex, float x, float y) {
  auto* squad = static_cast<TestInfantry*>(BattleTestRig::MakeUnit(0, sideIndex, x, y));
  squad->men = 4;
  squad->purchaseCost = 50.0f;  // strength enough that the new turn does not end the battle
  battle.PlaceUnitAt(squad, x, y);
  return squad;
}

void Link(TestInfantry* kept, TestInfantry* other) {
  kept->secondHalf = true;
  kept->partner = other;
  other->partner = kept;
}

}  // namespace

TEST(BattleNextTurn, ReinforcementsArriveAndNearbyHalvesRejoin) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  battle.setupPhase = 0;
  battle.currentTurn = 1;
  battle.lastTurn = 10;
  rig.AddGroup(1, 2, 2).chance = 1.0f;
  TestInfantry* kept = Squad(battle, 0, 300.0f, 300.0f);
  TestInfantry* near = Squad(battle, 0, 305.0f, 300.0f);
  TestInfantry* apart = Squad(battle, 0, 400.0f, 300.0f);
  TestInfantry* farHalf = Squad(battle, 0, 412.0f, 300.0f);
  TestInfantry* moving = Squad(battle, 1, 500.0f, 300.0f);
  TestInfantry* movingHalf = Squad(battle, 1, 503.0f, 300.0f);
  Link(kept, near);
  Link(apart, farHalf);
  Link(moving, movingHalf);
  movingHalf->waypointCount = 1;
  battle.selectedUnit = near;
  kept->target = apart;
  ASSERT_EQ(battle.UnitCount(), 6);

  rig.headless.NextTurn();
  EXPECT_EQ(battle.currentTurn, 2);
  // Only the pair within 10 m, neither moving, became one squad; the other half left.
  EXPECT_EQ(kept->rejoins, 1);
  EXPECT_EQ(apart->rejoins, 0);
  EXPECT_EQ(moving->rejoins, 0);
  EXPECT_FALSE(battle.units.Contains(near));
  EXPECT_EQ(battle.selectedUnit, nullptr);
  // The orders phase starts from the targets the units hold.
  EXPECT_EQ(kept->ordersPhaseTarget, apart);
  // The group due at turn 2 came in.
  EXPECT_EQ(battle.reinforcements[1].Count(), 0);
  EXPECT_EQ(battle.UnitCount(), 5 + 2);
}

TEST(BattleNextTurn, ASurrenderTakesTheSideAndFreesItsPrisoners) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  battle.setupPhase = 0;
  battle.currentTurn = 4;
  battle.lastTurn = 10;
  TestInfantry* giving = Squad(battle, 0, 300.0f, 300.0f);
  TestInfantry* prisoner = Squad(battle, 1, 320.0f, 300.0f);
  prisoner->surrendered = true;
  TestInfantry* captor = Squad(battle, 1, 340.0f, 300.0f);
  auto* tank = static_cast<TestVehicle*>(BattleTestRig::MakeUnit(1, 0, 360.0f, 300.0f));
  tank->men = 5;
  tank->losses = 1;
  battle.PlaceUnitAt(tank, tank->x, tank->y);

  battle.EndBattleForSide(0);
  EXPECT_TRUE(battle.IsOver());
  EXPECT_EQ(battle.endState[0], 2);
  EXPECT_TRUE(giving->surrendered);
  EXPECT_FALSE(prisoner->surrendered);
  EXPECT_TRUE(prisoner->released);
  EXPECT_FALSE(captor->surrendered);
  EXPECT_FALSE(captor->released);
  // The tank's four men are taken with it, and its whole crew of five counts as lost.
  EXPECT_EQ(tank->alive, 0);
  EXPECT_EQ(tank->losses, 5);
  EXPECT_EQ(battle.capturedAfterSurrender[0], 4);
  EXPECT_NE(battle.resultsShown, 0);
}

TEST(BattleNextTurn, AmbushMarkersNobodyAimsAtAreRemovedAndAllOnceTheBattleIsOver) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  battle.setupPhase = 0;
  battle.currentTurn = 2;
  battle.lastTurn = 10;
  TestInfantry* watcher = Squad(battle, 0, 300.0f, 300.0f);
  Squad(battle, 1, 900.0f, 300.0f);
  auto marker = [&](float x) {
    auto* object = static_cast<TestInanimate*>(BattleTestRig::MakeUnit(2, 0, x, 320.0f));
    object->objectKind = 3;
    battle.PlaceUnitAt(object, x, 320.0f);
    return object;
  };
  TestInanimate* aimedAt = marker(310.0f);
  TestInanimate* forgotten = marker(330.0f);
  auto* roadblock = static_cast<TestInanimate*>(BattleTestRig::MakeUnit(2, 0, 350.0f, 320.0f));
  roadblock->objectKind = 0;
  battle.PlaceUnitAt(roadblock, 350.0f, 320.0f);
  watcher->target = aimedAt;
  // Only an ordered target: the marker still goes, and the reference with it.
  watcher->orderedTarget = forgotten;
  battle.selectedUnit = forgotten;

  battle.RemoveEliminatedUnits();
  EXPECT_TRUE(battle.units.Contains(aimedAt));
  EXPECT_FALSE(battle.units.Contains(forgotten));
  EXPECT_EQ(watcher->orderedTarget, nullptr);
  EXPECT_EQ(battle.selectedUnit, nullptr);
  EXPECT_TRUE(battle.units.Contains(roadblock));

  battle.currentTurn = battle.lastTurn + 1;
  battle.RemoveEliminatedUnits();
  EXPECT_FALSE(battle.units.Contains(aimedAt));
  EXPECT_EQ(watcher->target, nullptr);
  EXPECT_TRUE(battle.units.Contains(roadblock));
}

// In TCP/IP play the GO first asks the connection; the set-up's end and the replay's end go
// to it; the seed-drawing machine draws the next action's seed and leaves the generator as the
// other machine's.
TEST(BattleNextTurn, TcpIpTurnGoesThroughTheConnection) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  HeadlessHost& host = rig.headless.Host();
  host.connectionType = 2;
  host.humanPlayers = 2;
  Squad(battle, 0, 300.0f, 300.0f);
  Squad(battle, 1, 500.0f, 300.0f);
  battle.setupPhase = 1;
  battle.currentTurn = 1;
  battle.lastTurn = 10;
  // The orders are still being exchanged: nothing happens here yet.
  host.exchange.networkGoGoesOn = false;
  battle.DoCommand(9);
  EXPECT_EQ(host.exchange.networkGoes, 1);
  EXPECT_EQ(battle.setupPhase, 1);
  host.exchange.networkGoGoesOn = true;
  battle.DoCommand(9);
  EXPECT_EQ(battle.setupPhase, 0);
  EXPECT_EQ(host.exchange.networkSetupEnds, 1);

  battle.sharedSeed = 777;
  rig.headless.NextTurn();
  EXPECT_EQ(host.exchange.networkReplayEnds, 1);
  EXPECT_EQ(battle.sharedSeed, 777);  // the joining machine takes the seed from the orders
  EXPECT_EQ(host.exchange.lastSharedSeed, -1);
  host.exchange.seedDrawing = true;
  rig.headless.NextTurn();
  EXPECT_EQ(host.exchange.networkReplayEnds, 2);
  const uint32_t generator = RandomState();
  const int32_t expected = Random(65535);
  SeedRandom(generator);
  EXPECT_EQ(battle.sharedSeed, expected);
  EXPECT_EQ(host.exchange.lastSharedSeed, expected);
}

TEST(BattleNextTurn, EveryTurnDrawsTheNextActionsSeed) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  battle.setupPhase = 0;
  battle.currentTurn = 1;
  battle.lastTurn = 10;
  Squad(battle, 0, 300.0f, 300.0f);
  Squad(battle, 1, 500.0f, 300.0f);
  battle.sharedSeed = 1234;
  std::vector<uint16_t> seeds;
  for (int32_t turn = 0; turn < 3; ++turn) {
    // The action starts from the seed (and here draws nothing).
    SeedRandom(battle.sharedSeed);
    const uint32_t generator = RandomState();
    rig.headless.NextTurn();
    // The draw leaves the generator as the other machine's, which does not draw.
    EXPECT_EQ(RandomState(), generator);
    seeds.push_back(battle.sharedSeed);
    // The application keeps it: the game file carries it to the machine that computes.
    EXPECT_EQ(rig.headless.Host().exchange.lastSharedSeed, battle.sharedSeed);
  }
  // No two actions start from the same draws.
  EXPECT_NE(seeds[0], 1234);
  EXPECT_NE(seeds[0], seeds[1]);
  EXPECT_NE(seeds[1], seeds[2]);
}

TEST(BattleUnitServices, UnitPacketsAreFiledOnlyWhileTheActionIsComputed) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  TestInfantry* squad = Squad(battle, 0, 300.0f, 300.0f);
  UnitServices* services = GetUnitServices();
  ASSERT_NE(services, nullptr);
  UnitSoundPacket sound;
  sound.unit = squad;
  // Orders given between turns leave no record.
  squad->MakeStatePacket();
  services->RecordSoundPacket(sound);
  EXPECT_EQ(battle.packets.Count(), 0);
  battle.computingAction = 1;
  battle.currentSlice = 40;
  squad->MakeStatePacket();
  services->RecordSoundPacket(sound);
  battle.computingAction = 0;
  ASSERT_EQ(battle.packets.Count(), 2);
  const auto* state = static_cast<const Packet*>(battle.packets.GetItem(0));
  EXPECT_EQ(state->kind, Packet::kUnitState);
  EXPECT_EQ(state->state.unit, squad);
  EXPECT_EQ(state->timeSlice, 40);
  EXPECT_EQ(static_cast<const Packet*>(battle.packets.GetItem(1))->kind, Packet::kSound);
}
