// Starts of the program in hostile program folders: a FIFO for the preferences file, a
// SIGTERM, missing or damaged bitmaps, a folder that cannot be written. Runs that must end
// the process (a fatal exit, a signal) are made in a child: this test program started again
// on the hidden child test below, which runs the program headless in the folder it is given.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/ProgramStart.h"
#include "app/WRApplication.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraphic.h"
#include "framework/core/GErrorLog.h"
#include "framework/kernel/GKernel.h"
#include "platform/PBackEnd.h"
#include "platform/PBitmapFile.h"
#include "platform/PFailureInjection.h"
#include "platform/PPath.h"
#include "platform/PSystem.h"
#include "support/RendererBitmaps.h"
#include "support/ScreenBitmaps.h"
#include "support/TestFolder.h"

extern char** environ;

namespace {

const char* kPrefs = "Tarvane Osmr Vel Prefs";
const char* kChildFolder = "TARVANE_TEST_CHILD_FOLDER";
// A game bitmap the child asks for, as a screen would, once the kernel is up.
const char* kChildBitmap = "TARVANE_TEST_CHILD_BITMAP";

// The program as main runs it, in the current program folder.
void RunHeadless(int32_t gameBitmap = 0) {
  GErrorLog::ResetForTests();
  auto* kernel = new GKernel();
  bool ok = false;
  kernel->Init(nullptr, &ok);
  if (ok && gameBitmap > 0) {
    GGraphic* graphic = kernel->NewGraphicOfKind(1, gameBitmap);
    SafeDelete(graphic);
  }
  if (ok) ProgramStart();
  delete kernel;
  GErrorLog::ResetForTests();
}

// Starts this test program on the child test in the folder; the child's pid.
pid_t StartChild(const TestFolder& folder, const char* quitAfter, const char* gameBitmap = nullptr) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  // The child runs its one test whole: GoogleTest's sharding (this program run as a shard)
  // stays with the parent.
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e)
    if (std::string(*e).rfind("GTEST_", 0) != 0) env.emplace_back(*e);
  env.push_back(std::string(kChildFolder) + "=" + folder.Native());
  if (gameBitmap != nullptr) env.push_back(std::string(kChildBitmap) + "=" + gameBitmap);
  if (quitAfter != nullptr) env.push_back(std::string(WRApplication::kQuitAfterVariable) + "=" + quitAfter);
  std::vector<char*> envp;
  for (std::string& s : env) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::string filter = "--gtest_filter=HostileStartChild.DISABLED_RunsTheProgramInTheGivenFolder";
  std::string disabled = "--gtest_also_run_disabled_tests";
  std::vector<char*> argv = {const_cast<char*>(self.c_str()), filter.data(), disabled.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) return 0;
  return pid;
}

// Waits for the child at most the seconds given (then kills it); its wait status, -1 after a kill.
int WaitChild(pid_t pid, int seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  while (std::chrono::steady_clock::now() < end) {
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

std::vector<std::string> LastLines(const std::vector<std::string>& lines, size_t n) {
  return std::vector<std::string>(lines.end() - static_cast<std::ptrdiff_t>(std::min(n, lines.size())), lines.end());
}

}  // namespace

TEST(HostileStartChild, DISABLED_RunsTheProgramInTheGivenFolder) {
  const char* folder = std::getenv(kChildFolder);
  ASSERT_NE(folder, nullptr);
  PPath::SetProgramFolder(folder);
  const char* bitmap = std::getenv(kChildBitmap);
  RunHeadless(bitmap != nullptr ? std::atoi(bitmap) : 0);
}

// A FIFO in the place of the preferences file would block an ordinary open for ever: it is
// refused at once, logged, and the program starts with the defaults.
TEST(HostileStartTest, AFifoForThePreferencesFileIsRefusedAndTheDefaultsAreUsed) {
  TestFolder folder(true);
  CopyRendererBitmaps(folder);
  CopyScreenBitmaps(folder);
  ASSERT_EQ(mkfifo((folder.Native() + kPrefs).c_str(), 0644), 0);
  const pid_t pid = StartChild(folder, "3");
  ASSERT_GT(pid, 0);
  const int status = WaitChild(pid, 60);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::string log = folder.ReadFile("ERRORLOG.TXT");
  const std::string refusal = "Not a plain file, taken as missing: " + folder.Program() + kPrefs;
  const size_t first = log.find(refusal);
  ASSERT_NE(first, std::string::npos) << log;
  // Defaults: no stored display, so the display test screen came up.
  EXPECT_NE(log.find("GKernel 1156"), std::string::npos);
  // Reading and, at the quit, writing: two refusals, and the FIFO is left as it was.
  EXPECT_NE(log.find(refusal, first + 1), std::string::npos);
  struct stat st{};
  ASSERT_EQ(stat((folder.Native() + kPrefs).c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// SIGTERM ends a headless run as the quit command does: exit status 0, the preferences and
// the log written.
TEST(HostileStartTest, SigtermEndsTheProgramLikeTheQuitCommand) {
  for (int sig : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(sig);
    TestFolder folder(true);
    CopyRendererBitmaps(folder);
    CopyScreenBitmaps(folder);
    const pid_t pid = StartChild(folder, nullptr);  // runs until told to stop
    ASSERT_GT(pid, 0);
    // Once the kernel is up (its start-up is logged), the signal comes.
    bool up = false;
    for (int i = 0; i < 1500 && !up; ++i) {
      up = folder.ReadFile("ERRORLOG.TXT").find("GKernel 397") != std::string::npos;
      if (!up) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(up);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    kill(pid, sig);
    const int status = WaitChild(pid, 60);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(folder.ReadFile(kPrefs).size(), 105u);
    const std::string log = folder.ReadFile("ERRORLOG.TXT");
    EXPECT_NE(log.find("*** QUITTING ***\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("GKernel 180\r\n"), std::string::npos) << log;
  }
}

// A missing font bitmap and a missing game bitmap each end the program with the usual
// fatal text, after a log line naming the file; a font bitmap too small for its glyph table
// is found as it is loaded.
TEST(HostileStartTest, AMissingOrDamagedBitmapIsNamedInTheLogBeforeTheFatalLine) {
  struct Case {
    const char* file;
    const char* bytes;  // null: deleted; "" : a valid bitmap of 8 x 8 pixels
    const char* named;
    const char* fatal;
    const char* gameBitmap;
  };
  const Case cases[] = {
      {"30001.bmp", nullptr, "Bitmap BMP\\30001.bmp missing", "ERROR: GGraphic line 1316", nullptr},
      {"1000.bmp", nullptr, "Bitmap BMP\\1000.bmp missing", "ERROR: GGraphic line 711", "1000"},
      {"1000.bmp", "BM but short", "Bitmap BMP\\1000.bmp not a bitmap", "ERROR: GGraphic line 711", "1000"},
      {"30000.bmp", "not a bitmap at all", "Bitmap BMP\\30000.bmp not a bitmap", "ERROR: GGraphic line 1316",
       nullptr},
      {"30002.bmp", "", "Bitmap BMP\\30002.bmp too small for its font", "ERROR: GGraph3D line 1353", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.named);
    TestFolder folder(true);
    CopyRendererBitmaps(folder);
    CopyScreenBitmaps(folder);
    std::filesystem::remove(folder.Native() + "BMP/" + c.file);
    if (c.bytes != nullptr && c.bytes[0] != 0) folder.WriteFile(std::string("BMP/") + c.file, c.bytes);
    if (c.bytes != nullptr && c.bytes[0] == 0) {
      const std::vector<uint32_t> white(8 * 8, 0xFFFFFFFFu);
      ASSERT_TRUE(PBitmapFile::WritePixels(white.data(), 8, 8, folder.Program() + "BMP\\" + c.file));
    }
    const pid_t pid = StartChild(folder, "3", c.gameBitmap);
    ASSERT_GT(pid, 0);
    const int status = WaitChild(pid, 60);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), PSystem::kFatalExitStatus);
    const std::vector<std::string> lines = TestFolder::SplitLines(folder.ReadFile("ERRORLOG.TXT"));
    const std::vector<std::string> last = LastLines(lines, 3);
    ASSERT_GE(last.size(), 2u);
    EXPECT_EQ(last[last.size() - 2], c.named);
    EXPECT_EQ(last.back(), c.fatal);
  }
}

// A program folder where nothing can be written (the file layer refuses every write): the
// run goes on as before, and one message names the folder.
TEST(HostileStartTest, AReadOnlyProgramFolderIsToldOnceAndTheRunGoesOn) {
  TestFolder folder(true);
  CopyRendererBitmaps(folder);
  CopyScreenBitmaps(folder);
  int beeps = 0;
  PSystem::SetBeepHook([&beeps] { ++beeps; });
  PFailureInjection::Arm("OpenForWriting", PResult::kGeneric, 1000000);
  PFailureInjection::Arm("MakeFolder", PResult::kGeneric, 1000000);
  setenv(WRApplication::kQuitAfterVariable, "3", 1);
  testing::internal::CaptureStderr();
  RunHeadless();
  const std::string told = testing::internal::GetCapturedStderr();
  unsetenv(WRApplication::kQuitAfterVariable);
  PFailureInjection::Reset();
  PSystem::SetBeepHook(nullptr);
  const std::string message = "The program folder " + folder.Native();
  const size_t at = told.find(message);
  ASSERT_NE(at, std::string::npos) << told;
  EXPECT_EQ(told.find(message, at + 1), std::string::npos) << told;
  EXPECT_NE(told.find("will not be kept"), std::string::npos);
  EXPECT_EQ(beeps, 1);  // the log that could not be made
  EXPECT_FALSE(std::filesystem::exists(folder.Native() + "ERRORLOG.TXT"));
  EXPECT_FALSE(std::filesystem::exists(folder.Native() + kPrefs));
  // The folder holds what it held before: no probe file is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Native()), {}), 1);  // BMP
}

// A writable folder is never mentioned.
TEST(HostileStartTest, AWritableProgramFolderIsNotMentioned) {
  TestFolder folder(true);
  GErrorLog::ResetForTests();
  testing::internal::CaptureStderr();
  {
    WRApplication app;
    app.LoadPreferences();
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr().find("program folder"), std::string::npos);
  GErrorLog::ResetForTests();
  for (const auto& entry : std::filesystem::directory_iterator(folder.Native()))
    EXPECT_EQ(entry.path().filename().string().rfind("~write test", 0), std::string::npos);
}
