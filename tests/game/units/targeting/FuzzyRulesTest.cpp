#include "game/units/targeting/FuzzyRules.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

// A table as the rules are written down: rows separated by ';', each "row: cells".
std::vector<std::vector<int>> Parse(const std::string& text) {
  std::vector<std::vector<int>> rows;
  std::stringstream all(text);
  std::string row;
  while (std::getline(all, row, ';')) {
    std::stringstream cells(row.substr(row.find(':') + 1));
    std::vector<int> values;
    int v = 0;
    while (cells >> v) values.push_back(v);
    rows.push_back(values);
  }
  return rows;
}

// Every cell through Combine: a set {row: 1} (written first) combined with {column: 1}.
void ExpectTable(GFuzzySet::Rule rule, const FuzzyRules::Table& table, const std::string& text) {
  const auto rows = Parse(text);
  ASSERT_EQ(static_cast<int>(rows.size()), table.rows) << table.name;
  for (int r = 0; r < table.rows; ++r) {
    ASSERT_EQ(static_cast<int>(rows[r].size()), table.columns) << table.name << " row " << r;
    for (int c = 0; c < table.columns; ++c) {
      GFuzzySet first, second, out;
      first.SetMember(static_cast<int8_t>(r), 1.0f, 0);
      second.SetMember(static_cast<int8_t>(c), 1.0f, 0);
      first.Combine(rule, second, out);
      ASSERT_EQ(out.GetCount(), 1);
      EXPECT_EQ(out.GetMemberId(0), rows[r][c]) << table.name << " row " << r << " column " << c;
      EXPECT_EQ(out.GetDegree(0), 1.0f);
    }
  }
}

TEST(FuzzyRules, EveryCellByTheSetWrittenFirst) {
  ExpectTable(FuzzyRules::R1, FuzzyRules::kR1, "0: 0 0 0; 1: 1 1 1; 2: 2 2 2; 3: 2 2 3; 4: 2 2 2");
  ExpectTable(FuzzyRules::R2, FuzzyRules::kR2, "0: 2 0; 1: 3 1; 2: 4 2; 3: 4 3; 4: 4 4");
  ExpectTable(FuzzyRules::R3, FuzzyRules::kR3, "0: 0 1 2 3 4; 1: 1 2 3 4 4; 2: 2 3 4 4 4");
  ExpectTable(FuzzyRules::R4, FuzzyRules::kR4, "0: 0 0 0 3 3; 1: 0 0 1 4 4; 2: 0 0 1 4 4");
  ExpectTable(FuzzyRules::Supply, FuzzyRules::kSupply,
              "0: 0 0 0 1 2; 1: 0 0 2 3 4; 2: 0 1 3 4 5; 3: 1 2 3 4 5; 4: 2 3 4 5 5");
  ExpectTable(FuzzyRules::SupplySmoke, FuzzyRules::kSupplySmoke,
              "0: 0 0 0 1 2; 1: 0 0 2 3 4; 2: 0 1 3 4 5; 3: 0 2 3 4 5; 4: 0 3 4 5 5");
  ExpectTable(FuzzyRules::R5, FuzzyRules::kR5, "0: 2 2 2 3 4 5; 1: 3 3 3 3 4 5; 2: 4 4 4 4 4 5");
  ExpectTable(FuzzyRules::R6, FuzzyRules::kR6, "0: 0 1 2 3 4 5; 1: 0 0 1 2 3 4; 2: 0 0 1 1 2 3");
  ExpectTable(FuzzyRules::R7, FuzzyRules::kR7, "0: 0 1 2 3 4 5; 1: 0 0 1 2 3 4; 2: 0 0 0 2 3 4");
  ExpectTable(FuzzyRules::R8, FuzzyRules::kR8, "0: 0 0 0; 1: 0 1 2; 2: 1 2 3");
  ExpectTable(FuzzyRules::R9, FuzzyRules::kR9,
              "0: 0 1 2 3 4 5; 1: 0 0 1 2 3 4; 2: 0 0 1 1 2 4; 3: 0 0 0 1 2 4");
  ExpectTable(FuzzyRules::R10, FuzzyRules::kR10, "0: 0 0 0 0 0; 1: 0 0 1 2 3; 2: 0 2 3 3 4; 3: 3 4 4 4 4");
  ExpectTable(FuzzyRules::R11, FuzzyRules::kR11, "0: 0 1 2 3 4; 1: 0 1 1 2 4; 2: 0 0 1 1 2");
  ExpectTable(FuzzyRules::R12, FuzzyRules::kR12, "0: 0 1 2 3 4; 1: 0 0 1 2 3; 2: 0 0 0 1 2");
  ExpectTable(FuzzyRules::R13, FuzzyRules::kR13,
              "0: 0 0 0 0 0 0; 1: 0 0 0 1 2 3; 2: 0 1 2 3 4 5; 3: 0 2 3 5 6 7; 4: 0 3 5 6 7 8");
  ExpectTable(FuzzyRules::R14, FuzzyRules::kR14,
              "0: 1 0 0; 1: 3 2 1; 2: 4 3 2; 3: 5 4 3; 4: 6 5 4; 5: 7 6 5; 6: 8 7 6; 7: 8 8 7; 8: 8 8 8");
}

// Products of equal outputs add up: R8 row 1 with columns 1 and 2 mixed.
TEST(FuzzyRules, MixedDegreesAddByOutput) {
  GFuzzySet y, z, q;
  y.SetMember(1, 0.5f, 0);
  y.SetMember(2, 0.5f, 0);
  z.SetMember(0, 0.25f, 0);
  z.SetMember(1, 0.75f, 0);
  y.Combine(FuzzyRules::R8, z, q);
  // (1,0)->0 0.125, (2,0)->1 0.125, (1,1)->1 0.375, (2,1)->2 0.375.
  float byId[4] = {};
  for (int16_t i = 0; i < q.GetCount(); ++i) byId[q.GetMemberId(i)] += q.GetDegree(i);
  EXPECT_FLOAT_EQ(byId[0], 0.125f);
  EXPECT_FLOAT_EQ(byId[1], 0.5f);
  EXPECT_FLOAT_EQ(byId[2], 0.375f);
  EXPECT_FLOAT_EQ(byId[3], 0.0f);
}

TEST(FuzzyRulesDeathTest, LookupOutsideATableIsFatal) {
  EXPECT_DEATH(FuzzyRules::Lookup(FuzzyRules::kR8, 3, 0), "AITargeting");
  EXPECT_DEATH(FuzzyRules::Lookup(FuzzyRules::kR14, 0, 3), "AITargeting");
  EXPECT_DEATH(FuzzyRules::R3(0, -1), "AITargeting");
}

}  // namespace
