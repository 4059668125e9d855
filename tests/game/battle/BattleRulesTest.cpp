// The battle's rules: visibility, purchase limits, victory flags and their holders, score
// shares, strength ratios and the map queries.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "framework/core/GMemoryFile.h"
#include "framework/core/Quorl.h"
#include "game/battle/BattleTestRig.h"

namespace {

uint32_t Bits(float f) {
  uint32_t v;
  std::memcpy(&v, &f, 4);
  return v;
}

}  // namespace

TEST(BattleRules, VisibilityByWeatherAndTimeOfDay) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  battle.weather = 0;
  battle.timeOfDay = 0;
  battle.ComputeVisibility();
  EXPECT_EQ(Bits(battle.visibilityFactor), 0x3F7FE5B4u);
  EXPECT_FLOAT_EQ(battle.visibilityRange, 6000.0f);
  battle.weather = 4;
  battle.timeOfDay = 2;
  battle.ComputeVisibility();
  EXPECT_NEAR(battle.visibilityRange, 27.464f, 0.001f);
  // Sight falls to 9% over the range.
  EXPECT_NEAR(std::pow(static_cast<double>(battle.visibilityFactor), battle.visibilityRange), 0.09, 1e-4);
}

TEST(BattleRules, PurchaseLimits) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  battle.forcePoints[1] = 1000;
  battle.forceType[1] = 1;
  battle.attacker = 1;
  int32_t out[7] = {};
  battle.ComputePurchaseLimits(1, out, false);
  EXPECT_EQ(out[0], 1000);
  EXPECT_EQ(out[1], 450);
  EXPECT_EQ(out[2], 0);
  EXPECT_EQ(out[3], 0);
  EXPECT_EQ(out[4], 250);
  EXPECT_EQ(out[5], 0);
  EXPECT_EQ(out[6], 1000);
  // A defending Axis combined-arms force in a meeting engagement is no defender: no forts.
  battle.forcePoints[0] = 1000;
  battle.forceType[0] = 0;
  battle.attacker = 1;
  battle.ComputePurchaseLimits(0, out, false);
  EXPECT_EQ(out[0], 620);  // 500 + 120
  EXPECT_EQ(out[1], 372);  // 1.5 x 0.4 x 620
  EXPECT_EQ(out[2], 250);
  EXPECT_EQ(out[3], 200);
  EXPECT_EQ(out[4], 200);
  EXPECT_EQ(out[5], 200);
  battle.attacker = 2;
  battle.ComputePurchaseLimits(0, out, false);
  EXPECT_EQ(out[1], 248);
  EXPECT_EQ(out[4], 150);
  EXPECT_EQ(out[5], 0);
}

class BattleFlags : public ::testing::Test {
 protected:
  void SetUp() override {
    Battle& battle = rig.Fresh();
    battle.SetMeasures(&measures);
    axis = BattleTestRig::MakeUnit(0, 0, 400.0f, 400.0f);
    allied = BattleTestRig::MakeUnit(0, 1, 410.0f, 400.0f);
    battle.PlaceUnitAt(axis, axis->x, axis->y);
    battle.PlaceUnitAt(allied, allied->x, allied->y);
  }
  void TearDown() override { rig.B().SetMeasures(nullptr); }

  VictoryFlag& Flag() { return *rig.B().FlagAt(0); }
  void Presence(float a, float b) {
    measures.presence = {{axis, a}, {allied, b}};
    rig.B().UpdateFlags(false);
  }

  BattleTestRig rig;
  FixedMeasures measures;
  Unit* axis = nullptr;
  Unit* allied = nullptr;
};

TEST_F(BattleFlags, HolderByPresence) {
  Presence(31.0f, 31.0f);
  EXPECT_EQ(Flag().contested, 1);
  Presence(31.0f, 7.0f);
  EXPECT_EQ(Flag().contested, 0);
  EXPECT_EQ(Flag().holder, rig.B().GetSideNationality(1));
  EXPECT_EQ(Flag().holder, axis->GetKindGroup());
  Presence(31.0f, 8.0f);
  EXPECT_EQ(Flag().contested, 1);
  Presence(3.0f, 40.0f);
  EXPECT_EQ(Flag().contested, 0);
  EXPECT_EQ(Flag().holder, allied->GetKindGroup());
  // No unit near: contested again, whoever held it before.
  Presence(0.0f, 0.0f);
  EXPECT_EQ(Flag().contested, 1);
}

TEST_F(BattleFlags, SurrenderGivesEveryFlagToTheOtherSide) {
  rig.B().flags.Append(new VictoryFlag(100.0f, 100.0f, 0));
  measures.presence = {{allied, 100.0f}};
  rig.B().endState[1] = 2;
  rig.B().UpdateFlags(false);
  for (int32_t i = 0; i < 2; ++i) {
    EXPECT_EQ(rig.B().FlagAt(i)->contested, 0);
    EXPECT_EQ(rig.B().FlagAt(i)->holder, axis->GetKindGroup());
  }
  EXPECT_TRUE(rig.B().IsOver());
}

TEST_F(BattleFlags, DynamicFlagValuesAndTheRandomObjective) {
  Battle& battle = rig.B();
  battle.flags.DeleteAll(true);
  for (int32_t i = 0; i < 3; ++i) {
    auto* flag = new VictoryFlag(100.0f * static_cast<float>(i), 50.0f, 1);
    flag->dynamic = 1;
    battle.flags.Append(flag);
  }
  battle.attacker = 0;
  SeedRandom(77);
  battle.ChooseRandomFlag();
  int32_t chosen = 0;
  for (int32_t i = 0; i < 3; ++i) chosen += battle.FlagAt(i)->chosen;
  ASSERT_EQ(chosen, 1);
  for (int32_t i = 0; i < 3; ++i) {
    const VictoryFlag& flag = *battle.FlagAt(i);
    EXPECT_FLOAT_EQ(flag.GetPoints(battle, true, true), flag.chosen != 0 ? 900.0f : 0.0f);
    EXPECT_FLOAT_EQ(flag.GetPoints(battle, false, true), 300.0f);
    EXPECT_FLOAT_EQ(flag.GetPoints(battle, false, false), flag.chosen != 0 ? 900.0f : 0.0f);
  }
  // Static flags: 300 large, 100 small, 0.01 for any other type.
  VictoryFlag odd(0.0f, 0.0f, 7);
  EXPECT_FLOAT_EQ(odd.GetPoints(battle, true, true), 0.01f);
}

TEST(BattleFlagStoredForm, ThirteenBytesSignedOnReading) {
  VictoryFlag flag(500.0f, 300.0f, 1);
  GMemoryFile out;
  flag.Write(out.File());
  const std::string bytes = out.Bytes();
  const std::string expected("\x43\xFA\x00\x00\x43\x96\x00\x00\x01\x01\x00\x00\x00", 13);
  EXPECT_EQ(bytes, expected);
  std::string odd = bytes;
  odd[8] = static_cast<char>(0xFE);
  odd[10] = static_cast<char>(0xFD);
  odd[9] = 5;
  GMemoryFile in(odd);
  VictoryFlag back(0.0f, 0.0f, 0);
  back.Read(in.File());
  EXPECT_FALSE(in.File().HasError());
  EXPECT_EQ(back.type, -2);
  EXPECT_EQ(back.holder, -3);
  EXPECT_EQ(back.contested, 1);
  // Coordinates that are not finite are refused.
  std::string inf = bytes;
  inf[0] = 0x7F;
  inf[1] = static_cast<char>(0x80);
  inf[2] = inf[3] = 0;
  GMemoryFile bad(inf);
  back.Read(bad.File());
  EXPECT_TRUE(bad.File().HasError());
}

TEST_F(BattleFlags, ScoreSharesFromAFlagAndBonusPoints) {
  Battle& battle = rig.B();
  battle.units.RemoveAt(1, true);  // only the Axis unit stays
  allied = nullptr;
  measures.presence = {{axis, 20.0f}};
  battle.bonusPoints[1] = 50;
  float share0 = 0.0f;
  float share1 = 0.0f;
  battle.ComputeScoreShares(false, &share0, &share1);
  EXPECT_NEAR(share0, 0.857143f, 1e-6f);
  EXPECT_NEAR(share1, 0.142857f, 1e-6f);
}

TEST_F(BattleFlags, StrengthRatiosSkipUnitsOfNoMen) {
  Battle& battle = rig.B();
  auto* squad = static_cast<TestInfantry*>(axis);
  squad->men = 0;  // full strength 0: counts nothing present, and does not divide by 0
  battle.ComputeStrengthRatios();
  EXPECT_TRUE(std::isfinite(battle.strengthRatio[0]));
  EXPECT_TRUE(std::isfinite(battle.strengthRatio[1]));
}

TEST(BattleQueries, GroundWeightMinefieldsAndEdges) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  battle.groundCondition = 8;
  EXPECT_FLOAT_EQ(battle.GroundWeight(10.0f, -1), static_cast<float>(std::exp(-1.0)));
  battle.groundCondition = 0;
  EXPECT_FLOAT_EQ(battle.GroundWeight(10.0f, -1), 1.0f);
  battle.groundCondition = 3;
  EXPECT_FLOAT_EQ(battle.GroundWeight(200.0f, 0), 0.01f);  // never below 0.01
  // Asked again in another order, with more pressures and adjustments than the battle keeps
  // answers for, every answer is the one first given (bit for bit), and a changed ground
  // condition is never answered from before.
  std::vector<uint32_t> first;
  for (int32_t round = 0; round < 3; ++round) {
    for (int32_t i = 0; i < 40; ++i) {
      const int32_t n = round == 1 ? 39 - i : i;
      const uint32_t weight = Bits(battle.GroundWeight(2.5f * static_cast<float>(n), n % 3 - 1));
      if (round == 0) first.push_back(weight);
      else ASSERT_EQ(weight, first[static_cast<size_t>(n)]) << n;
    }
  }
  battle.groundCondition = 5;
  EXPECT_NE(Bits(battle.GroundWeight(10.0f, 0)), first[4]);
  battle.groundCondition = 3;
  EXPECT_EQ(Bits(battle.GroundWeight(10.0f, 0)), first[4]);

  auto* field = static_cast<TestInanimate*>(BattleTestRig::MakeUnit(2, 0, 100.0f, 100.0f));
  field->objectKind = 4;
  field->revealedThisTurn = true;
  battle.PlaceUnitAt(field, 100.0f, 100.0f);
  EXPECT_TRUE(battle.IsMinefieldAt(112.0f, 88.0f, false));
  EXPECT_FALSE(battle.IsMinefieldAt(112.01f, 100.0f, false));
  EXPECT_FALSE(battle.IsMinefieldAt(100.0f, 100.0f, true));  // not an antitank field
  field->revealedThisTurn = false;
  EXPECT_FALSE(battle.IsMinefieldAt(100.0f, 100.0f, false));
  // Between questions a field may move, change kind, or join or leave the battle.
  field->revealedThisTurn = true;
  field->x = 300.0f;
  EXPECT_FALSE(battle.IsMinefieldAt(100.0f, 100.0f, false));
  EXPECT_TRUE(battle.IsMinefieldAt(305.0f, 100.0f, false));
  field->objectKind = 5;
  EXPECT_TRUE(battle.IsMinefieldAt(305.0f, 100.0f, true));
  auto* second = static_cast<TestInanimate*>(BattleTestRig::MakeUnit(2, 0, 500.0f, 500.0f));
  second->objectKind = 4;
  second->revealedThisTurn = true;
  battle.PlaceUnitAt(second, 500.0f, 500.0f);
  EXPECT_TRUE(battle.IsMinefieldAt(490.0f, 510.0f, false));
  const int32_t index = battle.units.IndexOf(second);
  ASSERT_GE(index, 0);
  battle.units.RemoveAt(index, true);
  EXPECT_FALSE(battle.IsMinefieldAt(490.0f, 510.0f, false));

  EXPECT_EQ(battle.FindEdgeOfSide(0), 2);
  EXPECT_EQ(battle.FindEdgeOfSide(1), 0);
  for (int32_t& owner : battle.edgeOwner) owner = 2;
  EXPECT_EQ(battle.FindEdgeOfSide(0), 2);
  EXPECT_EQ(battle.FindEdgeOfSide(1), 0);
  battle.edgeOwner[1] = 0;
  EXPECT_EQ(battle.FindEdgeOfSide(0), 1);
  EXPECT_EQ(battle.GetEdgeSide(1), 0);
}

TEST(BattleQueries, EndOfTheBattle) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  EXPECT_FALSE(battle.IsOver());
  battle.endState[0] = battle.endState[1] = 1;
  EXPECT_FALSE(battle.IsOver());  // a cease-fire asked by both is not yet the end
  battle.endState[0] = 0;
  battle.currentTurn = battle.lastTurn + 1;
  EXPECT_TRUE(battle.IsOver());
}
