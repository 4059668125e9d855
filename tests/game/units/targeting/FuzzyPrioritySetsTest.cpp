// The sets of the later priority steps: turning, the duel distraction, time to bear, arcs
// and the threat.
#include <gtest/gtest.h>

#include "game/units/targeting/FuzzyPriority.h"

namespace {

float DegreeOf(const GFuzzySet& set, int id) {
  float sum = 0.0f;
  for (int16_t i = 0; i < set.GetCount(); ++i) {
    if (set.GetMemberId(i) == id) sum += set.GetDegree(i);
  }
  return sum;
}

TEST(FuzzyPrioritySets, TurningBearingAndArcs) {
  GFuzzySet heavyTurret, neither;
  FuzzyPriority::FuzzifyTurning(heavyTurret, 85.0f, true, true);
  EXPECT_FLOAT_EQ(DegreeOf(heavyTurret, 0), 0.5f);
  EXPECT_FLOAT_EQ(DegreeOf(heavyTurret, 1), 0.5f);
  FuzzyPriority::FuzzifyTurning(neither, 0.0f, false, false);
  EXPECT_EQ(neither.GetCount(), 1);
  EXPECT_EQ(DegreeOf(neither, 0), 1.0f);
  GFuzzySet heavyHull;
  FuzzyPriority::FuzzifyTurning(heavyHull, 90.0f, true, false);
  EXPECT_FLOAT_EQ(DegreeOf(heavyHull, 0), 0.25f);
  EXPECT_EQ(DegreeOf(heavyHull, 2), 1.0f);

  GFuzzySet slow, quick;
  FuzzyPriority::FuzzifyBearTime(slow, 4.0f, false);
  EXPECT_FLOAT_EQ(DegreeOf(slow, 0), 0.5f);
  EXPECT_FLOAT_EQ(DegreeOf(slow, 1), 0.5f);
  FuzzyPriority::FuzzifyBearTime(quick, 4.0f, true);
  EXPECT_FLOAT_EQ(DegreeOf(quick, 0), 10.0f / 14.0f);

  GFuzzySet standing, moving;
  FuzzyPriority::FuzzifyTurretArc(standing, 65.0f, false);
  EXPECT_FLOAT_EQ(DegreeOf(standing, 0), 15.0f / 80.0f);
  EXPECT_FLOAT_EQ(DegreeOf(standing, 1), 0.5f);
  EXPECT_EQ(DegreeOf(standing, 2), 0.0f);
  FuzzyPriority::FuzzifyTurretArc(moving, 65.0f, true);
  EXPECT_EQ(DegreeOf(moving, 0), 0.0f);
  EXPECT_FLOAT_EQ(DegreeOf(moving, 2), 0.5f);

  GFuzzySet hull, wide, negative;
  FuzzyPriority::FuzzifyHullArc(hull, 10.0f, 20.0f);
  EXPECT_FLOAT_EQ(DegreeOf(hull, 0), 0.5f);
  EXPECT_EQ(hull.GetCount(), 1);
  FuzzyPriority::FuzzifyHullArc(wide, 10.0f, 200.0f);  // no member may run backwards
  EXPECT_FLOAT_EQ(DegreeOf(wide, 0), 0.95f);
  EXPECT_EQ(wide.GetCount(), 1);
  FuzzyPriority::FuzzifyHullArc(negative, 10.0f, -5.0f);
  EXPECT_NEAR(DegreeOf(negative, 2), 5.1f / 175.1f, 1e-6f);
}

// Q = Y (bearing) combined with Z (time) through R8, which is not symmetric.
TEST(FuzzyPrioritySets, DuelDistraction) {
  GFuzzySet onTarget;
  FuzzyPriority::FuzzifyDuel(onTarget, 20.0f, 50.0f);
  EXPECT_FLOAT_EQ(DegreeOf(onTarget, 0), 1.0f);
  EXPECT_EQ(onTarget.GetCount(), 1);
  GFuzzySet turnedLong;
  FuzzyPriority::FuzzifyDuel(turnedLong, 80.0f, 200.0f);
  EXPECT_NEAR(DegreeOf(turnedLong, 0), 10.0f / 45.0f, 1e-6f);
  EXPECT_FLOAT_EQ(DegreeOf(turnedLong, 1), 1.0f);
  GFuzzySet turnedShort;
  FuzzyPriority::FuzzifyDuel(turnedShort, 80.0f, 10.0f);
  EXPECT_NEAR(DegreeOf(turnedShort, 2), 10.0f / 45.0f, 1e-6f);
  EXPECT_FLOAT_EQ(DegreeOf(turnedShort, 3), 1.0f);
}

TEST(FuzzyPrioritySets, ThreatFromEffectNearnessAndValue) {
  GFuzzySet strong, dear, threat;
  strong.SetMember(3, 1.0f, 0);
  dear.SetMember(2, 1.0f, 0);
  FuzzyPriority::CombineThreat(strong, 5.0f, false, dear, threat);
  EXPECT_EQ(DegreeOf(threat, 2), 1.0f);  // near raises W to 4, and R1 gives 4 with 2 a 2
  FuzzyPriority::CombineThreat(strong, 100.0f, false, dear, threat);
  EXPECT_EQ(DegreeOf(threat, 3), 1.0f);
  FuzzyPriority::CombineThreat(strong, 5.0f, true, dear, threat);  // smoke: no nearness
  EXPECT_EQ(DegreeOf(threat, 3), 1.0f);
  GFuzzySet weak;
  weak.SetMember(0, 1.0f, 0);
  FuzzyPriority::CombineThreat(weak, 100.0f, false, dear, threat);
  EXPECT_EQ(DegreeOf(threat, 0), 1.0f);
  FuzzyPriority::CombineThreat(weak, 5.0f, false, dear, threat);  // 0 + 2 = 2
  EXPECT_EQ(DegreeOf(threat, 2), 1.0f);
}

}  // namespace
