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

namespace {

// Two keys for every kind and posture, matching FullSource's timing.
std::string FullPoses() { return "# poses\npose 0-14 0-9\nkey hip_swing_1=10\nkey hip_swing_1=20 body_tilt=-2.5\n"; }

int RunPoseTool(const TestFolder& folder, const std::string& poses, std::string& message) {
  const std::string timing = folder.WriteFile("timing.txt", FullSource());
  const std::string in = folder.WriteFile("poses.txt", poses);
  const std::string out = folder.Native() + "out.cpp";
  const std::string err = folder.Native() + "err.txt";
  const std::string command =
      std::string(MAKE_INFANTRY_ANIMATION) + " " + timing + " " + in + " " + out + " 2>" + err;
  const int status = std::system(command.c_str());
  message = folder.ReadFile("err.txt");
  return status;
}

TEST(InfantryAnimationTool, PosesCompileInJointOrderTheSameEveryRun) {
  TestFolder folder;
  std::string message;
  ASSERT_EQ(RunPoseTool(folder, FullPoses(), message), 0) << message;
  const std::string first = folder.ReadFile("out.cpp");
  ASSERT_EQ(RunPoseTool(folder, FullPoses(), message), 0);
  EXPECT_EQ(folder.ReadFile("out.cpp"), first);
  // Hip swing of the first leg is the third joint, body tilt the last.
  EXPECT_NE(first.find("{0.0f, 0.0f, 20.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, "
                       "0.0f, 0.0f, 0.0f, 0.0f, -2.5f}"),
            std::string::npos);
}

TEST(InfantryAnimationTool, BrokenPosesAreRefusedWithFileAndLine) {
  struct Case {
    std::string poses;
    const char* where;
  };
  std::string nineteen = "pose 3 4\n";
  for (int i = 0; i < 19; ++i) nineteen += "key\n";
  const Case cases[] = {
      {"pose 0 0\nkey knee_1=nan\nkey\n", "poses.txt:2: an angle that is not finite"},
      {"pose 0 0\nkey knee_1=-inf\nkey\n", "poses.txt:2: an angle that is not finite"},
      {"pose 0 0\nkey\n", "poses.txt:1: a key count outside 2..18"},
      {nineteen, "poses.txt:1: a key count outside 2..18"},
      {"pose 0 0\nkey\nkey\nkey\n", "poses.txt:1: key count differs from the timing row"},
      {"pose 0 0\nkey elbow_2=-45\nkey elbow_2=45.5\n", "poses.txt:1: a joint jumps more than 90 degrees"},
      {"pose 0 0\nkey knees=4\nkey\n", "poses.txt:2: not a joint=value pair of a known joint"},
      {"pose 0-15 0\nkey\nkey\n", "poses.txt:1: a pose needs kinds within 0..14"},
      {"pose 0 9-10\nkey\nkey\n", "poses.txt:1: posture outside 0..9"},
      {"key\n", "poses.txt:1: a key before any pose"},
  };
  for (const Case& c : cases) {
    TestFolder folder;
    std::string message;
    EXPECT_NE(RunPoseTool(folder, c.poses + FullPoses(), message), 0) << c.where;
    EXPECT_NE(message.find(c.where), std::string::npos) << message;
  }
  TestFolder folder;
  std::string message;
  // A jump of exactly 90 degrees closes the cycle.
  EXPECT_EQ(RunPoseTool(folder, "pose 0 0\nkey elbow_2=-45\nkey elbow_2=45\npose 1-14 0-9\nkey\nkey\npose 0 1-9\nkey\nkey\n",
                        message),
            0)
      << message;
  EXPECT_NE(RunPoseTool(folder, FullPoses() + "pose 2 2\nkey\nkey\n", message), 0);
  EXPECT_NE(message.find("kind and posture posed twice"), std::string::npos) << message;
  EXPECT_NE(RunPoseTool(folder, "pose 0-13 0-9\nkey\nkey\npose 14 0-8\nkey\nkey\n", message), 0);
  EXPECT_NE(message.find("no pose for kind 14 posture 9"), std::string::npos) << message;
}

}  // namespace
