// The large battle tool's set-up variant refuses arguments out of range with a message and a
// non-zero exit, before it reads anything.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/TestFolder.h"

TEST(LargeBattleTool, TheSetUpVariantRefusesArgumentsOutOfRange) {
  const std::string tool = MAKE_LARGE_BATTLE;
  const std::string sink = " >/dev/null 2>&1";
  // The tool logs beside the battle it writes: the missing files lie in a folder of the test's.
  TestFolder folder;
  const std::string files = " " + folder.Native() + "no-such.map " + folder.Native() + "no-such.wrb";
  for (const char* args : {" --setup 3 250", " --setup -1 250", " --setup x 250", " --setup 1 59", " --setup 1 251",
                           " --setup 1 1e2", " --setup 1"}) {
    SCOPED_TRACE(args);
    const int status = std::system((tool + args + files + sink).c_str());
    EXPECT_NE(status, 0);
  }
  // In range, the arguments pass and the missing map is what stops it.
  EXPECT_NE(std::system((tool + " --setup 2 60" + files + sink).c_str()), 0);
}
