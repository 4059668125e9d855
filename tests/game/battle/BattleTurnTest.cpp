// End-of-battle decisions: the computer's cease-fire, surrender, the mutual end at a new turn.
#include <gtest/gtest.h>

#include "game/battle/BattleTestRig.h"
#include "game/map/Map.h"
#include "game/map/MapObjectList.h"

namespace {

Battle& Beaten(BattleTestRig& rig) {
  Battle& battle = rig.Fresh();
  rig.headless.Host().humanPlayers = 1;
  rig.headless.Host().currentSide = 0;  // the human plays side 0; side 1 is the computer's
  battle.attacker = 1;
  battle.currentTurn = 8;
  battle.lastTurn = 20;
  battle.setupPhase = 0;
  battle.strengthRatio[1] = 0.2f;
  battle.strengthRatio[0] = 0.8f;
  return battle;
}

}  // namespace

TEST(BattleTurn, ComputerAsksForCeaseFireAndTheBattleEndsWhenTheHumanAsked) {
  {
    BattleTestRig rig;
    Battle& battle = Beaten(rig);
    EXPECT_FALSE(battle.DecideSurrender(1));
    EXPECT_EQ(battle.endState[1], 1);
    EXPECT_EQ(battle.currentTurn, 8);
    // Early in the battle the same ratios ask for nothing.
    battle.endState[1] = 0;
    battle.currentTurn = 6;
    EXPECT_FALSE(battle.DecideSurrender(1));
    EXPECT_EQ(battle.endState[1], 0);
  }
  {
    BattleTestRig rig;
    Battle& battle = Beaten(rig);
    battle.endState[0] = 1;
    EXPECT_TRUE(battle.DecideSurrender(1));
    EXPECT_EQ(battle.currentTurn, 21);
    EXPECT_EQ(battle.resultsShown, 1);
    EXPECT_TRUE(battle.PastLastTurn());
  }
  {
    BattleTestRig rig;
    Battle& battle = Beaten(rig);
    rig.AddGroup(1, 1, 12);
    EXPECT_FALSE(battle.DecideSurrender(1));
    EXPECT_EQ(battle.endState[1], 0);
  }
}

TEST(BattleTurn, ABeatenSideSurrenders) {
  BattleTestRig rig;
  Battle& battle = Beaten(rig);
  battle.strengthRatio[1] = 0.14f;
  battle.strengthRatio[0] = 0.6f;
  EXPECT_TRUE(battle.DecideSurrender(1));
  EXPECT_EQ(battle.endState[1], 2);
  EXPECT_TRUE(battle.IsOver());
  // A surrendered side asks nothing more.
  EXPECT_FALSE(battle.DecideSurrender(0));
}

TEST(BattleTurn, MutualEndAtANewTurn) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  battle.lastTurn = 20;
  battle.currentTurn = 5;
  battle.strengthRatio[0] = 0.25f;
  battle.strengthRatio[1] = 0.25f;
  battle.CheckMutualEnd();
  EXPECT_EQ(battle.currentTurn, 5);
  battle.strengthRatio[0] = 0.24f;
  battle.strengthRatio[1] = 0.24f;
  battle.CheckMutualEnd();
  EXPECT_EQ(battle.currentTurn, 21);
  EXPECT_EQ(battle.endState[0], 1);
  EXPECT_EQ(battle.endState[1], 1);
  EXPECT_EQ(battle.setupPhase, 0);

  // From turn 15 a quiet human side that asked for a cease-fire ends it.
  battle.currentTurn = 15;
  battle.strengthRatio[0] = 0.9f;
  battle.endState[0] = 1;
  battle.quietTurns[0] = 1;
  battle.CheckMutualEnd();
  EXPECT_EQ(battle.currentTurn, 15);
  battle.quietTurns[0] = 2;
  battle.CheckMutualEnd();
  EXPECT_EQ(battle.currentTurn, 21);
}

TEST(BattleTurn, CeaseFireAndSurrenderFromTheEndStates) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  battle.lastTurn = 10;
  EXPECT_FALSE(battle.CheckCeaseFireAndSurrender());
  EXPECT_EQ(battle.currentTurn, 1);
  battle.endState[0] = 1;
  battle.endState[1] = 1;
  EXPECT_TRUE(battle.CheckCeaseFireAndSurrender());
  EXPECT_EQ(battle.currentTurn, 11);
  EXPECT_EQ(battle.resultsShown, 1);
  // A surrendering side's vehicles are taken with their crews.
  Unit* tank = BattleTestRig::MakeUnit(1, 1, 100.0f, 100.0f);
  battle.PlaceUnitAt(tank, 100.0f, 100.0f);
  static_cast<TestVehicle*>(tank)->men = 4;
  battle.endState[0] = 0;
  battle.endState[1] = 2;
  EXPECT_TRUE(battle.CheckCeaseFireAndSurrender());
  EXPECT_EQ(battle.capturedAfterSurrender[1], 4);
  EXPECT_EQ(tank->alive, 0);
}

TEST(BattleTurn, TheDefendersInfantryDigsIn) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  battle.attacker = 1;
  Unit* defender = BattleTestRig::MakeUnit(0, 0, 200.0f, 200.0f);
  Unit* attacking = BattleTestRig::MakeUnit(0, 1, 600.0f, 600.0f);
  battle.PlaceUnitAt(defender, 200.0f, 200.0f);
  battle.PlaceUnitAt(attacking, 600.0f, 600.0f);
  const int32_t before = battle.map->objects.craters->Count();
  battle.CraterInfantryPositions();
  EXPECT_EQ(battle.map->objects.craters->Count(), before + 1);
  battle.attacker = 2;
  battle.CraterInfantryPositions();
  EXPECT_EQ(battle.map->objects.craters->Count(), before + 1);
}
