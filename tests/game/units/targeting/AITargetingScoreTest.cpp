// The bonuses of a candidate's score and the threshold it must beat.
#include <gtest/gtest.h>

#include "game/units/targeting/AITargeting.h"

namespace {

using Bonus = AITargeting::BonusCase;
using Threshold = AITargeting::ThresholdCase;

float T(const Threshold& c) {
  bool ignored = false;
  return AITargeting::AcceptanceThreshold(c, ignored);
}

TEST(AITargetingScore, BonusesForTheCurrentAndOrderedTarget) {
  Bonus c;
  EXPECT_EQ(AITargeting::ApplyBonuses(0.3f, c), 0.3f);
  c.candidateHidden = true;
  EXPECT_EQ(AITargeting::ApplyBonuses(0.3f, c), 0.15f);
  c.isCurrentTarget = true;  // the current target's bonus comes first, the hidden half not
  c.mainUsable = true;
  c.shotCounter = 2;
  EXPECT_FLOAT_EQ(AITargeting::ApplyBonuses(0.4f, c), 0.4f * 1.35f);
  c.mainUsable = false;
  EXPECT_FLOAT_EQ(AITargeting::ApplyBonuses(0.4f, c), 0.5f);
  c.hasOrderedTarget = true;
  EXPECT_FLOAT_EQ(AITargeting::ApplyBonuses(0.4f, c), 0.44f);
  c.mainUsable = true;
  EXPECT_FLOAT_EQ(AITargeting::ApplyBonuses(0.4f, c), 0.4f * 1.22f);
  c.isOrderedTarget = true;
  EXPECT_FLOAT_EQ(AITargeting::ApplyBonuses(0.3f, c), 0.6f);
  // In machine-gun mode no current-target bonus; the ordered floor still holds.
  c.machineGunMode = true;
  c.candidateHidden = false;
  EXPECT_EQ(AITargeting::ApplyBonuses(0.01f, c), 0.4f);
  EXPECT_EQ(AITargeting::ApplyBonuses(0.0f, c), 0.0f);
  EXPECT_EQ(AITargeting::ApplyBonuses(0.45f, c), 0.45f);
  // The absent ordered target is fired at with at most 0.5.
  Bonus absent;
  absent.absentOrderedFlag = true;
  absent.isCurrentTarget = true;
  absent.candidateHidden = true;
  EXPECT_EQ(AITargeting::ApplyBonuses(0.9f, absent), 0.5f);
  EXPECT_EQ(AITargeting::ApplyBonuses(0.3f, absent), 0.3f);
}

TEST(AITargetingScore, ThresholdsByOrdersAndWeapons) {
  Threshold c;
  c.mainUsable = true;
  c.mainCalibre = 37.0f;
  EXPECT_EQ(T(c), 0.17f);
  c.mainCalibre = 41.0f;
  EXPECT_EQ(T(c), 0.27f);
  c.mainUsable = false;
  EXPECT_EQ(T(c), 0.08f);
  // Another unit than the ordered target must beat 0.5; the ordered one only 0.02.
  c.hasOrderedTarget = true;
  EXPECT_EQ(T(c), 0.5f);
  c.isOrderedTarget = true;
  c.chooserIdentification = 0;
  c.kind = 4;
  EXPECT_EQ(T(c), 0.02f);
  c.areaFire = true;  // not while firing at a point
  c.kind = 0;
  EXPECT_EQ(T(c), 0.75f);
  c.smokeFire = true;
  c.chooserIdentification = 4;
  EXPECT_EQ(T(c), 0.35f);

  Threshold mg;
  mg.machineGunMode = true;
  EXPECT_EQ(T(mg), 0.04f);
  mg.kind = 4;
  EXPECT_EQ(T(mg), 0.12f);
  mg.armouredDuel = true;
  EXPECT_EQ(T(mg), 0.45f);
  Threshold duel;
  duel.useMachineGun = true;
  duel.vehicleInDuel = true;
  EXPECT_EQ(T(duel), 0.17f);
  // A chooser barely known to the enemy waits for better targets.
  Threshold unknown;
  unknown.chooserIdentification = 1;
  EXPECT_EQ(T(unknown), 0.35f);
  unknown.chooserInfantry = true;
  EXPECT_EQ(T(unknown), 0.4f);
  unknown.mainWeaponType = 1;
  EXPECT_EQ(T(unknown), 0.65f);
  unknown.chooserIdentification = 2;
  EXPECT_EQ(T(unknown), 0.08f);
}

TEST(AITargetingScore, AHoldingUnitIgnoresDistantCandidatesUnlessFiredAt) {
  Threshold c;
  c.holding = true;
  c.mainUsable = true;
  c.mainCalibre = 75.0f;
  bool ignored = true;
  c.distance = 50.0f;
  EXPECT_EQ(AITargeting::AcceptanceThreshold(c, ignored), 0.7f);
  EXPECT_FALSE(ignored);
  c.distance = 51.0f;
  AITargeting::AcceptanceThreshold(c, ignored);
  EXPECT_TRUE(ignored);
  c.comradesEngaged = true;
  EXPECT_EQ(AITargeting::AcceptanceThreshold(c, ignored), 0.5f);
  EXPECT_FALSE(ignored);
  c.distance = 101.0f;
  AITargeting::AcceptanceThreshold(c, ignored);
  EXPECT_TRUE(ignored);
  // Under fire the holding unit answers at 0.375 at any distance.
  c.underFire = true;
  c.distance = 900.0f;
  EXPECT_EQ(AITargeting::AcceptanceThreshold(c, ignored), 0.27f);
  EXPECT_FALSE(ignored);
  c.chooserIdentification = 1;
  EXPECT_EQ(AITargeting::AcceptanceThreshold(c, ignored), 0.35f);
  c.areaFire = true;
  EXPECT_EQ(AITargeting::AcceptanceThreshold(c, ignored), 0.375f);
  // The ordered target of a holding unit is held to the holding thresholds.
  Threshold ordered;
  ordered.holding = true;
  ordered.isOrderedTarget = true;
  ordered.hasOrderedTarget = true;
  ordered.distance = 30.0f;
  EXPECT_EQ(AITargeting::AcceptanceThreshold(ordered, ignored), 0.7f);
}

}  // namespace

namespace {

TEST(AITargetingScore, SituationalFactors) {
  AITargeting::FactorCase c;
  EXPECT_EQ(AITargeting::ApplyFactors(0.8f, c), 0.8f);
  c.movingGunVsSoftTarget = true;
  EXPECT_FLOAT_EQ(AITargeting::ApplyFactors(1.0f, c), 0.4f);
  c.movingGunVsSoftTarget = false;
  // Infantry beyond 60 m: riders half, a weakened squad by its strength.
  c.candidateInfantry = true;
  c.distance = 61.0f;
  c.aboard = true;
  EXPECT_FLOAT_EQ(AITargeting::ApplyFactors(1.0f, c), 0.5f);
  c.aboard = false;
  c.squad = true;
  c.menRatio = 0.5f;
  EXPECT_FLOAT_EQ(AITargeting::ApplyFactors(1.0f, c), 0.66665f);
  c.menRatio = 0.75f;
  EXPECT_EQ(AITargeting::ApplyFactors(1.0f, c), 1.0f);
  // Smoke on infantry that is already pinned or worse is not worth it.
  c.kind = 4;
  c.candidateBand = 4;
  EXPECT_FLOAT_EQ(AITargeting::ApplyFactors(1.0f, c), 0.35f);
  c.candidateBand = 5;
  EXPECT_EQ(AITargeting::ApplyFactors(1.0f, c), 0.0f);
  c.distance = 60.0f;  // near: none of it
  EXPECT_EQ(AITargeting::ApplyFactors(1.0f, c), 1.0f);
  // Kind 5 vehicles count half unless on water.
  AITargeting::FactorCase boat;
  boat.candidateBoat = true;
  EXPECT_EQ(AITargeting::ApplyFactors(1.0f, boat), 0.5f);
  boat.onWater = true;
  EXPECT_EQ(AITargeting::ApplyFactors(1.0f, boat), 1.0f);
}

}  // namespace
