#include "framework/core/GErrorLog.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/PPath.h"
#include "platform/PSystem.h"
#include "support/TestFolder.h"

namespace {

TEST(GErrorLog, CutsLongLinesAndEndsWithCrLf) {
  TestFolder folder(true);
  std::string text(300, 'x');
  GErrorLog::LogError(text.c_str());
  GErrorLog::LogFileLine(40000, "GKernel");
  GErrorLog::LogValue("CPU speed rated at", 1234);
  GErrorLog::Close();
  EXPECT_EQ(folder.ReadFile("ERRORLOG.TXT"),
            std::string(253, 'x') + "\r\nGKernel -25536\r\nCPU speed rated at 1234\r\n");
}

TEST(GErrorLog, FirstLineOfARunReplacesTheOldLog) {
  TestFolder folder(true);
  folder.WriteFile("ERRORLOG.TXT", "old run\r\n");
  GErrorLog::LogError("new run");
  GErrorLog::Close();
  EXPECT_EQ(folder.ReadFile("ERRORLOG.TXT"), "new run\r\n");
}

TEST(GErrorLog, UnwritableFolderBeepsOnceAndRunsOn) {
  TestFolder folder(true);
  int beeps = 0;
  PSystem::SetBeepHook([&beeps] { ++beeps; });
  PPath::SetProgramFolder(folder.Native() + "missing/");
  GErrorLog::LogError("one");
  GErrorLog::LogError("two");
  PSystem::SetBeepHook(nullptr);
  EXPECT_EQ(beeps, 1);
}

}  // namespace
