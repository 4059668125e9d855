#include "game/units/targeting/FuzzyPriority.h"

#include <gtest/gtest.h>

#include "game/units/targeting/FuzzyRules.h"

namespace {

// The degree of member id in the set, 0 when absent.
float DegreeOf(const GFuzzySet& set, int id) {
  for (int16_t i = 0; i < set.GetCount(); ++i) {
    if (set.GetMemberId(i) == id) return set.GetDegree(i);
  }
  return 0.0f;
}

TEST(FuzzyPriority, EffectAndValueSets) {
  GFuzzySet none, small, big, top;
  FuzzyPriority::FuzzifyEffect(none, 0.0f);
  FuzzyPriority::FuzzifyEffect(small, 0.15f);
  FuzzyPriority::FuzzifyEffect(big, 1.1f);
  FuzzyPriority::FuzzifyEffect(top, 3.4f);
  EXPECT_EQ(none.GetCount(), 1);
  EXPECT_EQ(DegreeOf(none, 0), 1.0f);
  EXPECT_FLOAT_EQ(DegreeOf(small, 1), 0.5f);
  EXPECT_FLOAT_EQ(DegreeOf(small, 2), 0.5f);
  EXPECT_EQ(top.GetCount(), 1);
  EXPECT_EQ(DegreeOf(top, 3), 1.0f);
  EXPECT_NEAR(DegreeOf(big, 2), 0.9f / 1.75f, 1e-6f);
  EXPECT_NEAR(DegreeOf(big, 3), 0.85f / 1.7f, 1e-6f);

  GFuzzySet cheap, dear, boosted;
  FuzzyPriority::FuzzifyValue(cheap, 30.0f, false);
  FuzzyPriority::FuzzifyValue(dear, 120.0f, false);
  FuzzyPriority::FuzzifyValue(boosted, 30.0f, true);  // 75
  EXPECT_NEAR(DegreeOf(cheap, 0), 20.0f / 47.0f, 1e-6f);
  EXPECT_NEAR(DegreeOf(cheap, 1), 27.0f / 47.0f, 1e-6f);
  EXPECT_EQ(DegreeOf(cheap, 2), 0.0f);
  EXPECT_EQ(DegreeOf(dear, 2), 1.0f);
  EXPECT_NEAR(DegreeOf(boosted, 2), 25.0f / 70.0f, 1e-6f);
  EXPECT_EQ(DegreeOf(boosted, 0), 0.0f);

  GFuzzySet air;
  air.SetMember(1, 0.3f, 0);
  FuzzyPriority::AirplaneThreat(air);
  EXPECT_EQ(air.GetCount(), 1);
  EXPECT_EQ(DegreeOf(air, 3), 1.0f);
}

TEST(FuzzyPriority, SupplyBreakpointsByCase) {
  FuzzyPriority::SupplyCase c;
  c.hasMainWeapon = true;
  c.mainWeaponType = 1;
  c.rateOfFire = 6.0f;  // s = 1
  auto b = FuzzyPriority::SupplyBreakpointsFor(c).b;
  EXPECT_NEAR(b[1], 5.0f, 1e-4f);
  EXPECT_NEAR(b[4], 50.0f, 1e-3f);
  EXPECT_EQ(b[0], -99.0f);

  c.kind = 3;
  c.fullLoad = 6;  // (6 + 1) / 2 = 3
  b = FuzzyPriority::SupplyBreakpointsFor(c).b;
  EXPECT_EQ(b[0], 2.0f);
  EXPECT_EQ(b[1], 3.0f);
  EXPECT_EQ(b[4], 2000.0f);
  c.fullLoad = 20;
  EXPECT_EQ(FuzzyPriority::SupplyBreakpointsFor(c).b[1], 4.0f);
  c.targetArmouredVehicle = true;
  b = FuzzyPriority::SupplyBreakpointsFor(c).b;
  EXPECT_EQ(b[1], 1.0f);
  EXPECT_EQ(b[4], 10.0f);

  c.kind = 2;
  EXPECT_EQ(FuzzyPriority::SupplyBreakpointsFor(c).b[4], 20.0f);
  c.kind = 1;
  EXPECT_EQ(FuzzyPriority::SupplyBreakpointsFor(c).b[1], 2.0f);
  c.targetArmouredVehicle = false;
  b = FuzzyPriority::SupplyBreakpointsFor(c).b;
  EXPECT_EQ(b[0], 15.0f);
  EXPECT_EQ(b[4], 99.0f);

  c.mainWeaponType = 6;
  EXPECT_EQ(FuzzyPriority::SupplyBreakpointsFor(c).b[1], -2.0f);
  c.machineGunMode = true;
  c.infantry = true;
  c.squad = true;
  c.menShare = 0.5f;
  b = FuzzyPriority::SupplyBreakpointsFor(c).b;
  EXPECT_EQ(b[1], 5.0f);  // 10 by half the men
  EXPECT_EQ(b[3], 20.0f);
  EXPECT_EQ(b[4], 999.0f);  // the men leave the last breakpoint alone

  FuzzyPriority::SupplyCase stuck;
  stuck.machineGunMode = true;
  stuck.vehicleCannotMove = true;
  b = FuzzyPriority::SupplyBreakpointsFor(stuck).b;
  EXPECT_EQ(b[1], 2.0f);
  EXPECT_EQ(b[3], 15.0f);
  EXPECT_EQ(b[4], 50.0f);
}

TEST(FuzzyPriority, SupplySets) {
  FuzzyPriority::SupplyCase mg;
  mg.machineGunMode = true;
  GFuzzySet plenty;
  FuzzyPriority::FuzzifySupply(plenty, 9999.0f, FuzzyPriority::SupplyBreakpointsFor(mg));
  EXPECT_EQ(plenty.GetCount(), 1);
  EXPECT_EQ(DegreeOf(plenty, 4), 1.0f);

  // Armour-piercing against armour: 20 rounds sit at b3 (20) early, plenty in the last turn
  // of ten, where the breakpoints are a tenth of their size.
  FuzzyPriority::SupplyCase ap;
  ap.kind = 1;
  ap.hasMainWeapon = true;
  ap.mainWeaponType = 2;
  ap.targetArmouredVehicle = true;
  GFuzzySet early, last;
  FuzzyPriority::FuzzifySupply(early, 20.0f, FuzzyPriority::SupplyBreakpointsFor(ap));
  EXPECT_EQ(DegreeOf(early, 3), 1.0f);
  ap.battleShare = 0.1f;
  FuzzyPriority::FuzzifySupply(last, 20.0f, FuzzyPriority::SupplyBreakpointsFor(ap));
  EXPECT_EQ(last.GetCount(), 1);
  EXPECT_EQ(DegreeOf(last, 4), 1.0f);
  // A share below 0.01 counts as 0.01.
  ap.battleShare = 0.0f;
  EXPECT_NEAR(FuzzyPriority::SupplyBreakpointsFor(ap).b[4], 0.35f, 1e-6f);

  // With a lower bound: 20 of 25/30 high explosive-free rounds against soft targets.
  ap.battleShare = 1.0f;
  ap.targetArmouredVehicle = false;
  GFuzzySet soft;
  FuzzyPriority::FuzzifySupply(soft, 20.0f, FuzzyPriority::SupplyBreakpointsFor(ap));
  EXPECT_FLOAT_EQ(DegreeOf(soft, 0), 0.5f);
  EXPECT_FLOAT_EQ(DegreeOf(soft, 1), 0.5f);
}

TEST(FuzzyPriority, FireOnTargetAndNearness) {
  float p1 = 0, p2 = 0;
  FuzzyPriority::FireBreakpoints(true, true, 10, p1, p2);
  EXPECT_EQ(p1, 3.0f);
  FuzzyPriority::FireBreakpoints(false, false, 10, p1, p2);
  EXPECT_EQ(p2, 1.2f);
  FuzzyPriority::FireBreakpoints(false, true, 59, p1, p2);
  EXPECT_EQ(p2, 2.0f);
  FuzzyPriority::FireBreakpoints(false, true, 60, p1, p2);
  EXPECT_EQ(p2, 1.5f);
  FuzzyPriority::FireBreakpoints(false, true, 100, p1, p2);
  EXPECT_EQ(p1, 0.2f);
  GFuzzySet fire;
  FuzzyPriority::FuzzifyFireOnTarget(fire, 0.0f, 3.0f, 5.0f);
  EXPECT_EQ(DegreeOf(fire, 0), 1.0f);
  EXPECT_EQ(fire.GetCount(), 1);

  // A candidate at 20 m or less gains through R14: a priority of 0 becomes 1.
  GFuzzySet zero;
  zero.SetMember(0, 1.0f, 0);
  EXPECT_EQ(FuzzyPriority::ResultNear(zero, 10.0f, false), 0.125f);
  EXPECT_EQ(FuzzyPriority::ResultNear(zero, 0.0f, false), 0.125f);
  EXPECT_EQ(FuzzyPriority::ResultNear(zero, 200.0f, false), 0.0f);
  GFuzzySet three;
  three.SetMember(3, 1.0f, 0);
  EXPECT_EQ(FuzzyPriority::ResultNear(three, 15.0f, false), 0.625f);
  EXPECT_EQ(FuzzyPriority::ResultNear(three, 100.0f, false), 0.375f);
  // Without a main weapon against armour the near bounds are 25 and 40: 45 m is far.
  EXPECT_EQ(FuzzyPriority::ResultNear(three, 45.0f, true), 0.375f);
  EXPECT_GT(FuzzyPriority::ResultNear(three, 45.0f, false), 0.375f);
}

TEST(FuzzyPriority, EmptyFinalSetIsPriorityZero) {
  FuzzyPriority::gEmptyLogged = false;
  GFuzzySet empty;
  EXPECT_EQ(FuzzyPriority::Result(empty), 0.0f);
  EXPECT_TRUE(FuzzyPriority::gEmptyLogged);
  EXPECT_EQ(FuzzyPriority::Result(empty), 0.0f);
  GFuzzySet mixed;
  mixed.SetMember(8, 0.5f, 0);
  mixed.SetMember(0, 0.5f, 0);
  EXPECT_EQ(FuzzyPriority::Result(mixed), 0.5f);
}

}  // namespace

namespace {

TEST(FuzzyPriority, TargetValueByCostOrGuess) {
  EXPECT_EQ(FuzzyPriority::TargetValueInput(0, false, 123.0f, 1, false, 0), 123.0f);
  EXPECT_EQ(FuzzyPriority::TargetValueInput(1, true, 123.0f, 1, false, 0), 123.0f);
  EXPECT_EQ(FuzzyPriority::TargetValueInput(1, false, 123.0f, 0, true, 0), 80.0f);
  EXPECT_EQ(FuzzyPriority::TargetValueInput(1, false, 123.0f, 0, false, 0), 30.0f);
  EXPECT_EQ(FuzzyPriority::TargetValueInput(1, false, 123.0f, 1, false, 222), 150.0f);
  EXPECT_EQ(FuzzyPriority::TargetValueInput(1, false, 123.0f, 1, false, 223), 40.0f);
  EXPECT_EQ(FuzzyPriority::TargetValueInput(1, false, 123.0f, 1, false, 224), 90.0f);
  EXPECT_EQ(FuzzyPriority::TargetValueInput(1, false, 123.0f, 1, false, 225), 175.0f);
  EXPECT_EQ(FuzzyPriority::TargetValueInput(1, false, 123.0f, 2, false, 0), 30.0f);
}

TEST(FuzzyPriorityDeathTest, UnknownModeOrGenericClassIsFatal) {
  EXPECT_DEATH(FuzzyPriority::TargetValueInput(2, true, 1.0f, 0, false, 0), "AITargeting");
  EXPECT_DEATH(FuzzyPriority::TargetValueInput(1, false, 1.0f, 1, false, 226), "AITargeting");
}

}  // namespace
