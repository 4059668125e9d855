#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "KernelRig.h"
#include "framework/kernel/DisplayPreset.h"
#include "platform/PFailureInjection.h"
#include "support/KernelStartClock.h"

namespace {


DisplayPreset StoredPreset() {
  DisplayPreset p = UsualPreset(640, 480);
  p.use2DPreset = 1;
  p.width2D = 640;
  p.height2D = 480;
  return p;
}

}  // namespace

TEST(DisplayPresetTest, StoredFormIsLittleEndianWithZeroPadding) {
  DisplayPreset p;
  p.use3DPreset = 1;
  p.use2DPreset = 0;
  p.driverIsPrimary = 1;
  for (int i = 0; i < 16; ++i) {
    p.driverGuid.bytes[i] = static_cast<uint8_t>(0x10 + i);
    p.deviceGuid.bytes[i] = static_cast<uint8_t>(0x40 + i);
  }
  p.deviceIsNullGuid = 0;
  p.width = 0x01020304;
  p.height = 600;
  p.refreshRate = 75;
  p.separateCard = 1;
  p.width2D = 1024;
  p.height2D = 768;
  const auto b = p.ToBytes();
  const uint8_t expected[64] = {
      1,    0,    1,    0,    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B,
      0x1C, 0x1D, 0x1E, 0x1F, 0,    0,    0,    0,    0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47,
      0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x04, 0x03, 0x02, 0x01, 0x58, 0x02, 0,    0,
      75,   0,    0,    0,    1,    0,    0,    0,    0,    4,    0,    0,    0,    3,    0,    0};
  EXPECT_TRUE(std::equal(b.begin(), b.end(), expected));
  EXPECT_EQ(DisplayPreset::FromBytes(b.data()), p);
}

TEST(KernelStartTest, StartReadsPreferencesThenStartsTheApplicationOnceFromAStoredPreset) {
  KernelRig rig;
  ASSERT_TRUE(rig.ok);
  rig.app = new RecordingApp(&rig.calls);
  rig.app->preset = StoredPreset();
  rig.app->onIdle = [&] {
    if (rig.app->idles == 3) rig.kernel->Quit();
  };
  rig.kernel->Start(rig.app);

  const std::vector<std::string> expected = {"5", "6", "8", "7"};
  EXPECT_EQ(rig.calls, expected);
  EXPECT_TRUE(rig.kernel->HasApplicationStarted());
  EXPECT_FALSE(rig.kernel->Is3D());
  EXPECT_EQ(rig.kernel->GetScreenWidth(), 640);
  EXPECT_EQ(rig.kernel->GetScreenHeight(), 480);
  // The quit hands the application the whole record as the start read it.
  EXPECT_EQ(rig.app->saved, StoredPreset().ToBytes());
  EXPECT_EQ(rig.app->idles, 3);
}

TEST(KernelStartTest, AnAcceptedDisplayRequestFinishesOnceAndIsCleared) {
  KernelRig rig;
  rig.StartApp();
  GKernel::SetDisplayRequest(GKernel::kAccept2D);
  rig.kernel->TickViews();
  EXPECT_EQ(GKernel::GetDisplayRequest(), 0);
  EXPECT_EQ(rig.kernel->GetDisplayChoice().use2DPreset, 1);
  // The application was started by the start-up, and only then.
  EXPECT_EQ(std::count(rig.calls.begin(), rig.calls.end(), "8"), 1);
}

// The views go before the application (a view may call it as it goes), and both before the
// display.
TEST(KernelStartTest, ShutDownTraceLinesComeInOrderAndTheViewsGoBeforeTheApplicationBeforeTheDisplay) {
  std::string log;
  std::vector<std::string> calls;
  {
    KernelRig rig;
    rig.StartApp();
    auto* view = new RecordingView(&rig.calls, "view");
    view->Place(nullptr, 0, 0, 10, 10);
    rig.kernel->Quit();
    delete rig.kernel;
    rig.kernel = nullptr;
    log = rig.Log();
    calls = rig.calls;
  }
  const auto app = std::find(calls.begin(), calls.end(), "deleted after views");
  const auto view = std::find(calls.begin(), calls.end(), "view deleted before display");
  ASSERT_NE(app, calls.end());
  ASSERT_NE(view, calls.end());
  EXPECT_LT(view, app);

  // The destructor's trace lines, in order, after the quit's.
  const std::vector<std::string> lines = TestFolder::SplitLines(log);
  const auto quit = std::find(lines.begin(), lines.end(), "GKernel 5644");
  ASSERT_NE(quit, lines.end());
  std::vector<std::string> trace;
  for (auto it = quit + 1; it != lines.end(); ++it) {
    if (it->rfind("GKernel ", 0) == 0) trace.push_back(*it);
  }
  const std::vector<std::string> release = {"GKernel 204", "GKernel 206", "GKernel 213", "GKernel 215",
                                            "GKernel 217", "GKernel 219", "GKernel 221", "GKernel 223",
                                            "GKernel 225", "GKernel 227"};
  std::vector<std::string> expected = {"GKernel 118", "GKernel 120", "GKernel 128", "GKernel 130",
                                       "GKernel 132", "GKernel 136", "GKernel 141", "GKernel 143"};
  expected.insert(expected.end(), release.begin(), release.end());
  for (const char* s : {"GKernel 147", "GKernel 151", "GKernel 153", "GKernel 155", "GKernel 164", "GKernel 180"})
    expected.push_back(s);
  EXPECT_EQ(trace, expected);
}

TEST(KernelStartTest, StartUpLogsTheCpuRatingAndItsTraceLines) {
  KernelRig rig;
  const std::vector<std::string> lines = TestFolder::SplitLines(rig.Log());
  ASSERT_FALSE(lines.empty());
  const std::string prefix = "CPU speed rated at  ";
  ASSERT_EQ(lines[0].rfind(prefix, 0), 0u) << lines[0];
  EXPECT_GT(std::stol(lines[0].substr(prefix.size())), 0);
  // The rig's start clock moves 1 ms every 120 readings: some 12,000 rounds in the 100 ms.
  EXPECT_NEAR(rig.kernel->GetCPURating(), 3057, 3);
  const auto at = [&](const char* s) { return std::find(lines.begin(), lines.end(), s) - lines.begin(); };
  EXPECT_LT(at("GKernel 634"), at("GKernel 778"));
  EXPECT_LT(at("GKernel 778"), at("GKernel 397"));
  EXPECT_LT(at("GKernel 397"), static_cast<long>(lines.size()));
}

TEST(KernelStartTest, CpuRatingIsComputedIn64BitsAndSaturates) {
  EXPECT_EQ(GKernel::CPURatingFromCount(3925, 100), 1000);
  // 50 million passes in 100 ms would wrap a 32-bit product.
  EXPECT_EQ(GKernel::CPURatingFromCount(50000000, 100), 12738853);
  EXPECT_EQ(GKernel::CPURatingFromCount(UINT64_MAX, 1), 0x7FFFFFFF);
  EXPECT_EQ(GKernel::CPURatingFromCount(1, 0), 25);
}

TEST(KernelStartTest, AWindowThatCannotBeOpenedLeavesInitNotOk) {
  TestFolder folder(true);
  GErrorLog::ResetForTests();
  PFailureInjection::Arm("OpenWindow", PResult::kGeneric);
  auto backEnd = std::make_unique<PFakeBackEnd>();
  PFakeBackEnd* fake = backEnd.get();
  auto* kernel = new GKernel();
  bool ok = true;
  {
    KernelStartClock clock;
    kernel->Init(std::move(backEnd), &ok);
  }
  PFailureInjection::Reset();
  EXPECT_FALSE(ok);
  EXPECT_EQ(fake->BeepCount(), 1);
  delete kernel;
  GErrorLog::ResetForTests();
}

TEST(KernelStartTest, ShiftReadsTheLiveStateBeforeTheLoopAndTheLastPassAfter) {
  KernelRig rig;
  SDL_Event down{};
  down.type = SDL_KEYDOWN;
  down.key.keysym.scancode = SDL_SCANCODE_LSHIFT;
  down.key.keysym.sym = SDLK_LSHIFT;
  rig.fake->ScriptEvent(down);
  EXPECT_TRUE(rig.kernel->IsShiftDown());

  rig.StartApp();
  rig.app->onIdle = [&] { rig.kernel->Quit(); };
  rig.kernel->Run();
  // The pass read the key state of the last message taken: Shift is held.
  EXPECT_TRUE(rig.kernel->IsShiftDown());
  SDL_Event up = down;
  up.type = SDL_KEYUP;
  rig.fake->ScriptEvent(up);
  // The live state changed, but until a pass reads it the stored one stands.
  EXPECT_TRUE(rig.kernel->IsShiftDown());
}
