// The situation scores' fuzzy network: the rule matrices, the inputs' members and the two
// rule chains.
#include "game/ai/AIFuzzy.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/ai/SituationRecord.h"
#include "game/units/targeting/FuzzyPriority.h"

namespace {

// The id the rule step gives a single member row of this set and col of the other.
int32_t Through(GFuzzySet::Rule rule, int8_t row, int8_t column) {
  GFuzzySet self, other, result;
  AIFuzzy::SetSingle(self, row);
  AIFuzzy::SetSingle(other, column);
  self.Combine(rule, other, result);
  EXPECT_EQ(result.GetCount(), 1);
  EXPECT_FLOAT_EQ(result.GetDegree(0), 1.0f);
  return result.GetMemberId(0);
}

struct Expected {
  GFuzzySet::Rule rule;
  int8_t rows;
  int8_t columns;
  std::vector<int8_t> cells;
};

}  // namespace

TEST(AIFuzzy, EveryMatrixCellThroughTheRuleStep) {
  const std::vector<Expected> all = {
      {AIFuzzy::RuleA, 4, 4, {3, 3, 3, 3, 5, 4, 3, 3, 6, 5, 3, 3, 6, 5, 4, 3}},
      {AIFuzzy::RuleB, 5, 4, {3, 3, 3, 3, 3, 3, 3, 2, 3, 3, 2, 1, 3, 2, 1, 0, 3, 2, 1, 0}},
      {AIFuzzy::RuleC, 4, 4, {3, 2, 1, 0, 3, 2, 1, 0, 2, 2, 1, 0, 2, 2, 1, 0}},
      {AIFuzzy::RuleD, 7, 7, {0, 0, 0, 0, 1, 2, 3, 0, 1, 1, 1, 2, 3, 4, 0, 1, 2, 2, 3, 4, 5, 0, 1, 2, 3, 4,
                              5, 6, 1, 2, 3, 4, 4, 5, 6, 2, 3, 4, 5, 5, 5, 6, 3, 4, 5, 6, 6, 6, 6}},
      {AIFuzzy::RuleE, 5, 4, {3, 2, 2, 1, 2, 2, 1, 1, 2, 1, 1, 0, 1, 1, 0, 0, 0, 0, 0, 0}},
      {AIFuzzy::RuleF, 4, 4, {3, 2, 1, 0, 3, 2, 0, 0, 2, 1, 0, 0, 2, 1, 0, 0}},
      {AIFuzzy::RuleG, 4, 4, {0, 1, 2, 3, 1, 2, 3, 4, 2, 3, 4, 5, 3, 4, 5, 6}},
  };
  for (const Expected& e : all) {
    for (int8_t r = 0; r < e.rows; ++r) {
      for (int8_t c = 0; c < e.columns; ++c) {
        EXPECT_EQ(Through(e.rule, r, c), e.cells[static_cast<size_t>(r * e.columns + c)]) << int(r) << "," << int(c);
      }
    }
  }
  // The first matrix is not symmetric: rows are the threat, columns the exposure.
  EXPECT_EQ(Through(AIFuzzy::RuleA, 1, 0), 5);
  EXPECT_EQ(Through(AIFuzzy::RuleA, 0, 1), 3);
}

TEST(AIFuzzyDeathTest, LookupsOutsideTheMatrixStop) {
  EXPECT_DEATH(AIFuzzy::Lookup(AIFuzzy::kA, -1, 0), "");
  EXPECT_DEATH(AIFuzzy::Lookup(AIFuzzy::kA, 0, -1), "");
  EXPECT_DEATH(AIFuzzy::Lookup(AIFuzzy::kB, 5, 0), "");
  // Row 4 of a 4-column matrix with 5 rows is its last row; column 4 would run past it.
  EXPECT_EQ(AIFuzzy::Lookup(AIFuzzy::kB, 4, 3), 0);
  EXPECT_DEATH(AIFuzzy::Lookup(AIFuzzy::kB, 4, 4), "");
}

TEST(AIFuzzy, InputsAtTheirEdges) {
  GFuzzySet morale;
  AIFuzzy::FuzzifyMorale(morale, 0.0f);
  ASSERT_EQ(morale.GetCount(), 1);
  EXPECT_EQ(morale.GetMemberId(0), 0);
  EXPECT_FLOAT_EQ(morale.GetDegree(0), 1.0f);
  GFuzzySet broken;
  AIFuzzy::FuzzifyMorale(broken, 105.0f);
  ASSERT_EQ(broken.GetCount(), 1);
  EXPECT_EQ(broken.GetMemberId(0), 4);
  GFuzzySet reach;  // 100 m short of the reach's far side
  AIFuzzy::FuzzifyPastReach(reach, 100.0f);
  ASSERT_EQ(reach.GetCount(), 2);
  EXPECT_FLOAT_EQ(reach.GetDegree(0), 0.5f);
  EXPECT_FLOAT_EQ(reach.GetDegree(1), 0.5f);
  GFuzzySet none;
  EXPECT_EQ(AIFuzzy::DefuzzifyOrZero(none), 0.0f);
}

TEST(AIFuzzy, RuleChainsOfAMixedRecord) {
  SituationRecord record;
  AIFuzzy::FuzzifyMorale(record.morale, 25.0f);
  AIFuzzy::FuzzifyDistance(record.distance, 300.0f);
  AIFuzzy::FuzzifyPastReach(record.pastReach, 150.0f);
  AIFuzzy::FuzzifyThreat(record.threat, 0.45f);
  AIFuzzy::FuzzifyExposure(record.exposure, 0.3f);
  FuzzyPriority::FuzzifyEffect(record.attack, 0.15f);
  GFuzzySet opportunity;
  AIFuzzy::FuzzifyOpportunity(opportunity, 0.5f);
  EXPECT_NEAR(AIFuzzy::RawScoreA(record, opportunity), 3.05f, 1e-5f);
  EXPECT_NEAR(AIFuzzy::RawScoreB(record), 1.275f, 1e-5f);
  // An empty input leaves the chain empty: the score is 0, not a NaN.
  GFuzzySet empty;
  EXPECT_EQ(AIFuzzy::RawScoreA(record, empty), 0.0f);
}
