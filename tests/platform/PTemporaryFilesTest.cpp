#include "platform/PTemporaryFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "platform/PSystem.h"
#include "support/TestFolder.h"
#include "support/TmpdirIn.h"

namespace {

namespace fs = std::filesystem;

TEST(PTemporaryFiles, DeleteAndForgetTakePathsOffTheList) {
  TestFolder folder;
  const size_t before = PTemporaryFiles::Count();
  folder.WriteFile("a", "1");
  folder.WriteFile("b", "2");
  PTemporaryFiles::Add(folder.Program() + "a");
  PTemporaryFiles::Add(folder.Program() + "b");
  EXPECT_EQ(PTemporaryFiles::Count(), before + 2);
  EXPECT_TRUE(PTemporaryFiles::Delete(folder.Program() + "a"));
  EXPECT_FALSE(fs::exists(folder.Native() + "a"));
  EXPECT_FALSE(PTemporaryFiles::Delete(folder.Program() + "a"));
  PTemporaryFiles::Forget(folder.Program() + "b");
  EXPECT_TRUE(fs::exists(folder.Native() + "b"));
  EXPECT_EQ(PTemporaryFiles::Count(), before);
}

// Forked children: what a child lists goes when it ends, by the fatal exit or normally; what
// the parent listed before the fork is the parent's and stays.
TEST(PTemporaryFilesDeathTest, WhatTheEndingProcessListedGoesWithIt) {
  GTEST_FLAG_SET(death_test_style, "fast");
  TestFolder folder;
  folder.WriteFile("parent", "p");
  PTemporaryFiles::Add(folder.Program() + "parent");
  const std::string program = folder.Program();
  EXPECT_EXIT(
      {
        folder.WriteFile("file", "f");
        folder.WriteFile("sub/inner", "i");
        folder.WriteFile("forgotten", "k");
        PTemporaryFiles::Add(program + "file");
        PTemporaryFiles::Add(program + "sub");
        PTemporaryFiles::Add(program + "forgotten");
        PTemporaryFiles::Forget(program + "forgotten");
        PSystem::FatalExit("fatal now");
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "fatal now");
  EXPECT_FALSE(fs::exists(folder.Native() + "file"));
  EXPECT_FALSE(fs::exists(folder.Native() + "sub"));
  EXPECT_TRUE(fs::exists(folder.Native() + "forgotten"));
  EXPECT_TRUE(fs::exists(folder.Native() + "parent"));

  EXPECT_EXIT(
      {
        folder.WriteFile("normal", "n");
        PTemporaryFiles::Add(program + "normal");
        std::exit(0);
      },
      testing::ExitedWithCode(0), "");
  EXPECT_FALSE(fs::exists(folder.Native() + "normal"));
  EXPECT_TRUE(PTemporaryFiles::Delete(program + "parent"));
}

TEST(TestFolder, IsMadeUnderTmpdirAndGoesWhenItsScopeEndsByAnException) {
  TestFolder outer;
  std::string inner;
  try {
    TmpdirIn tmpdir(outer.Native());
    TestFolder folder;
    inner = folder.Native();
    folder.WriteFile("deep/er/file", "x");
    throw std::runtime_error("the test body fails");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(inner.rfind(outer.Native() + "tarvane-test-", 0), 0u) << inner;
  EXPECT_FALSE(fs::exists(inner));
}

// A death test's child that makes its own folder (as the re-run test of the threadsafe style
// does) and dies by a fatal error leaves no folder behind.
TEST(TestFolderDeathTest, AChildThatDiesByAFatalErrorTakesItsFolder) {
  GTEST_FLAG_SET(death_test_style, "fast");
  TestFolder outer;
  TmpdirIn tmpdir(outer.Native());
  EXPECT_EXIT(
      {
        TestFolder folder(true);
        folder.WriteFile("ERRORLOG.TXT", "x");
        PSystem::FatalExit("fatal in the test");
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "fatal in the test");
  EXPECT_TRUE(fs::is_empty(outer.Native()));
}

}  // namespace
