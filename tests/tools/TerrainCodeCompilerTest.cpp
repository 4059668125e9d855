// The terrain code tool: the real table passes and compiles to the same bytes each time; every
// kind of broken row stops it with the row's line and the reason.
#include "TerrainCodeCompiler.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadData(const std::string& name) {
  std::ifstream in(std::string(TARVANE_DATA_DIR) + "/" + name, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

struct Source {
  std::vector<std::string> lines;
  std::set<int32_t> ids;
  Source() {
    std::istringstream in(ReadData("terrain_codes.txt"));
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    ids = TerrainCodeCompiler::StringIds(ReadData("strings.txt"));
  }
  // The line number (1-based) of the row of a code.
  size_t LineOf(int32_t code) const {
    const std::string head = std::to_string(code) + "\t";
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].compare(0, head.size(), head) == 0) return i + 1;
    }
    return 0;
  }
  void Replace(int32_t code, const std::string& row) { lines[LineOf(code) - 1] = row; }
  std::string Text() const {
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    return text;
  }
  std::string Error() const {
    std::string table;
    std::string error;
    if (TerrainCodeCompiler::Compile(Text(), "data/terrain_codes.txt", ids, table, error)) return "";
    return error;
  }
};

TEST(TerrainCodeCompiler, TheTablePassesAndCompilesTheSameEachTime) {
  Source s;
  std::string first;
  std::string second;
  std::string error;
  ASSERT_TRUE(TerrainCodeCompiler::Compile(s.Text(), "t", s.ids, first, error)) << error;
  ASSERT_TRUE(TerrainCodeCompiler::Compile(s.Text(), "t", s.ids, second, error));
  EXPECT_EQ(first, second);
  EXPECT_NE(first.find("const int16_t kTerrainCodeEntries[704][3] = {\n    {0, 0, 0},\n    {12, 0, 256},\n"),
            std::string::npos);
  // Code 63, burning grain: kind 25, fire state 3.
  EXPECT_NE(first.find("{16, 0, 6403},\n    {0, 45, 6656},"), std::string::npos);
}

TEST(TerrainCodeCompiler, BrokenRowsStopWithTheirLineAndReason) {
  struct Case {
    int32_t code;
    std::string row;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {5, "5\t17\t0\t0", "expected code, terrain, road, fire, kind and a comment"},
      {5, "5\t17\tx\t0\t5\tbrush", "not a number: \"x\""},
      {5, "6\t16\t0\t0\t6\tgrain", "code 5 missing"},
      {5, "4\t15\t0\t0\t4\ttall pines", "code 4 repeated or out of order"},
      {5, "704\t17\t0\t0\t5\tbrush", "code 704 out of range 0-703"},
      {5, "5\t17\t0\t0\t45\tbrush", "kind outside 0-44"},
      {5, "5\t17\t0\t9\t5\tbrush", "fire state outside 0-3"},
      {5, "5\t13\t0\t0\t5\tbrush", "the combination of code 2 again"},
      {5, "5\t18\t0\t0\t5\tbrush", "codes 1-10 hold terrain 12 13 14 15 17 16 18 45 46 25"},
      {11, "11\t-1\t0\t0\t3\tnot used", "a code not used has road, fire and kind 0"},
      {120, "120\t0\t45\t3\t26\tstray", "codes after a dirt group's 56 entries are not used"},
      {65, "65\t0\t52\t0\t26\tdirt", "a dirt road piece off its place in the road order or on the wrong ground"},
      {577, "577\t102\t0\t0\t38\twall", "wall, hedge and bocage pieces go in layout order"},
  };
  for (const Case& c : cases) {
    Source s;
    const size_t line = s.LineOf(c.code);
    s.Replace(c.code, c.row);
    EXPECT_EQ(s.Error(), "data/terrain_codes.txt:" + std::to_string(line) + ": " + c.reason) << c.row;
  }
  Source s;
  s.ids.erase(5041);
  EXPECT_EQ(s.Error(), "data/terrain_codes.txt:" + std::to_string(s.LineOf(672)) + ": kind 41 has no string 5041");
  Source cut;
  cut.lines.resize(cut.LineOf(700));  // the table ends after code 700
  EXPECT_EQ(cut.Error(), "data/terrain_codes.txt:" + std::to_string(cut.lines.size()) + ": code 701 missing");
}

}  // namespace
