// The animation timing tool: a good source compiles to the same bytes every time; every
// kind of broken row stops it with "file:line: reason".
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/TestFolder.h"

namespace {

// A source with every kind and posture: two keys of 100 and 200 ms each.
std::string FullSource() {
  std::string text = "# test\n";
  for (int k = 0; k < 15; ++k) {
    for (int p = 0; p < 10; ++p) text += std::to_string(k) + " " + std::to_string(p) + " 100 200\n";
  }
  return text;
}

// Runs the tool; the exit status and what it wrote to stderr.
int RunTool(const TestFolder& folder, const std::string& source, std::string& message) {
  const std::string in = folder.WriteFile("timing.txt", source);
  const std::string out = folder.Native() + "out.cpp";
  const std::string err = folder.Native() + "err.txt";
  const int status = std::system((std::string(MAKE_INFANTRY_ANIMATION) + " " + in + " " + out + " 2>" + err).c_str());
  message = folder.ReadFile("err.txt");
  return status;
}

TEST(InfantryAnimationTool, GoodSourceCompilesTheSameEveryRun) {
  TestFolder folder;
  std::string message;
  ASSERT_EQ(RunTool(folder, FullSource(), message), 0) << message;
  const std::string first = folder.ReadFile("out.cpp");
  ASSERT_EQ(RunTool(folder, FullSource(), message), 0);
  EXPECT_EQ(folder.ReadFile("out.cpp"), first);
  EXPECT_NE(first.find("{2, 2, 2, 2, 2, 2, 2, 2, 2, 2}"), std::string::npos);
  EXPECT_NE(first.find("{100, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}"), std::string::npos);
}

TEST(InfantryAnimationTool, BrokenRowsAreRefusedWithFileAndLine) {
  struct Case {
    std::string extra;
    const char* reason;
  };
  const Case cases[] = {
      {"0 0 100\n", "a key count below 2"},
      {"3 4 100 1\n", "a duration below 2"},
      {"15 0 100 100\n", "figure kind outside 0..14"},
      {"0 10 100 100\n", "posture outside 0..9"},
      {"0 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19\n", "more than 18 keys"},
      {"0 0 10x 100\n", "not a whole number"},
  };
  for (const Case& c : cases) {
    TestFolder folder;
    std::string message;
    // The broken row comes first (line 1), before the full table.
    EXPECT_NE(RunTool(folder, c.extra + FullSource(), message), 0) << c.reason;
    EXPECT_NE(message.find("timing.txt:1: " + std::string(c.reason)), std::string::npos) << message;
  }
  TestFolder folder;
  std::string message;
  EXPECT_NE(RunTool(folder, FullSource() + "2 2 100 100\n", message), 0);
  EXPECT_NE(message.find(":152: kind and posture given twice"), std::string::npos) << message;
  std::string missing = FullSource();
  missing.erase(missing.find("14 9 100 200\n"));
  EXPECT_NE(RunTool(folder, missing, message), 0);
  EXPECT_NE(message.find("no row for kind 14 posture 9"), std::string::npos) << message;
}

}  // namespace
