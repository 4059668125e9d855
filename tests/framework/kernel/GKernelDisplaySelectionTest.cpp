#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "DisplayRig.h"
#include "framework/kernel/GKernelRenderer.h"
#include "framework/media/GGraph3D.h"
#include "platform/PClock.h"
#include "platform/PFont.h"
#include "platform/PPath.h"
#include "platform/PTextureBudget.h"

namespace {

// The primary display driver with a hardware and a software device; a second display
// driver without 3-D, whose software device is dropped; a separate 3-D card. Their modes
// include some no filter lets through (too large for the 1024 x 768 desktop, too wide,
// 32-bit, too small).
std::vector<PDisplay::OfferedDriver> ThreeDrivers() {
  return {
      TestDriver("display", "Primary Display", 0, false, true, 8192,
                 {TestDevice("HW", 0x11, true), TestDevice("SW", 0x12, false)},
                 {TestMode(640, 480, 0), TestMode(640, 480, 60), TestMode(800, 600, 75), TestMode(800, 600, 0),
                  TestMode(1024, 768, 60), TestMode(1280, 1024, 0), TestMode(1280, 720, 0),
                  TestMode(1024, 768, 0, 32), TestMode(600, 400, 0)}),
      TestDriver("second", "Second Display", 2, false, false, 16384,
                 {TestDevice("H2", 0x21, true), TestDevice("S2", 0x22, false)},
                 {TestMode(800, 600, 0), TestMode(640, 480, 0)}),
      TestDriver("card", "Card 3D", 3, true, true, 4096, {TestDevice("H3", 0x31, true)},
                 {TestMode(640, 480, 85), TestMode(1024, 768, 0)}),
  };
}

// The primary display driver with a software device only, and a separate 3-D card.
std::vector<PDisplay::OfferedDriver> SeparateCard() {
  return {
      TestDriver("display", "Primary Display", 0, false, false, 8192, {TestDevice("SW", 0x12, false)},
                 {TestMode(640, 480, 0)}),
      TestDriver("card", "Card 3D", 3, true, true, 4096, {TestDevice("H3", 0x31, true)}, {TestMode(1024, 768, 0)}),
  };
}

uint64_t gNow = 0;
class FakeClock {
 public:
  FakeClock() {
    gNow = 1000;
    PClock::SetFake([] { return gNow; });
  }
  ~FakeClock() { PClock::SetFake(nullptr); }
};

// Answers the test screen as the buttons do and lets the idle chain take the answer.
void Answer(KernelRig& rig, int32_t request) {
  GKernel::SetDisplayRequest(request);
  rig.kernel->TickViews();
}

}  // namespace

TEST(DisplaySelectionTest, TheDisplayListGivesTheCandidatesTheFiltersAllowLoggedAndInTheirOrder) {
  KernelRig rig;
  PDisplay::SetOfferedDrivers(ThreeDrivers());
  rig.app = new RecordingApp(&rig.calls);
  rig.kernel->StartWithoutLoop(rig.app);

  const std::string log = rig.Log();
  const std::string tree =
      "DRIVER: display\r\n"
      "  DEVICE: HW\r\n"
      "    MODE: 640 x 480 @0\r\n"
      "    MODE: 640 x 480 @60\r\n"
      "    MODE: 800 x 600 @75\r\n"
      "    MODE: 800 x 600 @0\r\n"
      "    MODE: 1024 x 768 @60\r\n"
      "  DEVICE: SW\r\n"
      "    MODE: 640 x 480 @0\r\n"
      "    MODE: 640 x 480 @60\r\n"
      "DRIVER: second\r\n"
      "  DEVICE: H2\r\n"
      "    MODE: 800 x 600 @0\r\n"
      "    MODE: 640 x 480 @0\r\n"
      "DRIVER: card (3D only)\r\n"
      "  DEVICE: H3\r\n"
      "    MODE: 640 x 480 @85\r\n"
      "    MODE: 1024 x 768 @0\r\n"
      "Attempting 3D DRIVER: card (Card 3D)  DEVICE: H3  MODE: 1024 x 768 @0  (separate 2D/3D)\r\n";
  EXPECT_NE(log.find("GKernel 1723\r\n" + tree), std::string::npos) << log;
  const std::vector<std::string> rest = {
      "card/H3 640x480@85",     "display/HW 1024x768@60", "display/HW 800x600@0", "display/HW 800x600@75",
      "display/HW 640x480@0",   "display/HW 640x480@60",  "second/H2 800x600@0",  "second/H2 640x480@0",
      "display/SW 640x480@0",   "display/SW 640x480@60"};
  EXPECT_EQ(Remaining(*rig.kernel), rest);

  // The first candidate is up for its test, and already stored without its use flag.
  EXPECT_TRUE(TestScreen::Find(*rig.kernel).Up());
  EXPECT_TRUE(rig.kernel->Is3D());
  EXPECT_TRUE(rig.kernel->IsSeparate3DCard());
  EXPECT_TRUE(rig.kernel->IsHardwareDevice());
  const DisplayPreset& p = rig.kernel->GetDisplayChoice();
  EXPECT_EQ(p.use3DPreset, 0);
  EXPECT_EQ(p.separateCard, 1);
  EXPECT_EQ(p.driverIsPrimary, 0);
  EXPECT_EQ(p.driverGuid, TestGuid(3));
  EXPECT_EQ(p.deviceIsNullGuid, 0);
  EXPECT_EQ(p.deviceGuid, TestGuid(0x31));
  EXPECT_EQ(p.width, 1024u);
  EXPECT_EQ(p.height, 768u);
  EXPECT_EQ(p.refreshRate, 0u);
  EXPECT_EQ(std::count(rig.calls.begin(), rig.calls.end(), "8"), 0);
}

TEST(DisplaySelectionTest, CandidatesCompareByTheFirstRuleThatTellsThemApart) {
  struct Owned {
    DisplayDriverRecord driver;
    DisplayDeviceRecord device;
    DisplayModeRecord mode;
    DisplayCandidate candidate{&driver, &device, &mode};
  };
  auto make = [](bool hardware, bool nonDisplay, bool has3D, uint32_t w, uint32_t h, int32_t kb, uint32_t rate) {
    auto* o = new Owned;
    o->device.hardware = hardware;
    o->driver.nonDisplay = nonDisplay;
    o->driver.has3D = has3D;
    o->mode.width = w;
    o->mode.height = h;
    o->driver.videoMemoryKB = kb;
    o->mode.refreshRate = rate;
    return o;
  };
  // Each pair: the first wins by one rule although every later rule favours the second.
  const std::vector<std::pair<Owned*, Owned*>> pairs = {
      {make(true, false, false, 640, 480, 1, 60), make(false, true, true, 1024, 768, 9, 0)},
      {make(true, true, false, 640, 480, 1, 60), make(true, false, true, 1024, 768, 9, 0)},
      {make(true, false, true, 640, 480, 1, 60), make(true, false, false, 1024, 768, 9, 0)},
      {make(true, false, true, 800, 480, 1, 60), make(true, false, true, 640, 768, 9, 0)},
      {make(true, false, true, 800, 480, 9, 60), make(true, false, true, 1024, 768, 1, 0)},
      {make(true, false, true, 1024, 480, 9, 60), make(true, false, true, 800, 768, 9, 0)},
      {make(true, false, true, 800, 600, 9, 60), make(true, false, true, 800, 480, 9, 0)},
      {make(true, false, true, 800, 600, 9, 0), make(true, false, true, 800, 600, 9, 85)},
      {make(true, false, true, 800, 600, 9, 85), make(true, false, true, 800, 600, 9, 75)},
      {make(true, false, true, 800, 600, 9, 75), make(true, false, true, 800, 600, 9, 60)},
  };
  for (size_t i = 0; i < pairs.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(CompareCandidates(&pairs[i].first->candidate, &pairs[i].second->candidate, nullptr), -1);
    EXPECT_EQ(CompareCandidates(&pairs[i].second->candidate, &pairs[i].first->candidate, nullptr), 1);
  }
  Owned* same = make(true, false, true, 800, 600, 9, 60);
  EXPECT_EQ(CompareCandidates(&pairs.back().second->candidate, &same->candidate, nullptr), 0);
  for (auto& p : pairs) {
    delete p.first;
    delete p.second;
  }
  delete same;

  const PGuid a = TestGuid(1);
  PGuid b = TestGuid(1);
  EXPECT_TRUE(SameGuid(nullptr, nullptr));
  EXPECT_FALSE(SameGuid(&a, nullptr));
  EXPECT_FALSE(SameGuid(nullptr, &a));
  EXPECT_TRUE(SameGuid(&a, &b));
  b.bytes[15] = 0;
  EXPECT_FALSE(SameGuid(&a, &b));
}

TEST(DisplaySelectionTest, AnOfferedPresetIsUsedWithoutATestAndTheApplicationStarts) {
  KernelRig rig;
  PDisplay::SetOfferedDrivers(ThreeDrivers());
  rig.app = new RecordingApp(&rig.calls);
  DisplayPreset& p = rig.app->preset;
  p.use3DPreset = 1;
  p.driverGuid = TestGuid(2);
  p.deviceGuid = TestGuid(0x21);
  p.width = 640;
  p.height = 480;
  rig.kernel->StartWithoutLoop(rig.app);

  const std::string log = rig.Log();
  EXPECT_NE(log.find("Attempting to locate 3D preset\r\nUsing 3D preset\r\nAttempting 3D DRIVER: second (Second "
                     "Display)  DEVICE: H2  MODE: 640 x 480 @0\r\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(Count(log, "Attempting 3D DRIVER: "), 1u);
  EXPECT_EQ(Count(log, "GKernel 1156"), 0u);  // no test screen
  EXPECT_EQ(std::count(rig.calls.begin(), rig.calls.end(), "8"), 1);
  EXPECT_FALSE(rig.kernel->Is3D());
  EXPECT_EQ(rig.kernel->GetScreenWidth(), 640);
  EXPECT_EQ(rig.kernel->GetRootView()->GetChildCount(), 0);
  EXPECT_EQ(rig.kernel->GetDriverTree(), nullptr);
  EXPECT_EQ(rig.kernel->GetCandidates(), nullptr);
  // The display chain and the renderer stand, and the video memory was reported.
  EXPECT_NE(rig.kernel->GetGraph3D(), nullptr);
  EXPECT_NE(log.find("Total VRAM (K) =  16384\r\n"), std::string::npos);
  rig.kernel->Quit();
  EXPECT_EQ(DisplayPreset::FromBytes(rig.app->saved.data()), p);
}

TEST(DisplaySelectionTest, APresetNoLongerOfferedIsTestedAfreshAndReplacedByTheAcceptedCandidate) {
  KernelRig rig;
  rig.app = new RecordingApp(&rig.calls);
  rig.app->preset = UsualPreset(1280, 1024);  // larger than the desktop now
  rig.kernel->StartWithoutLoop(rig.app);

  const std::string log = rig.Log();
  EXPECT_NE(log.find("Attempting to locate 3D preset\r\n"), std::string::npos);
  EXPECT_EQ(log.find("Using 3D preset"), std::string::npos);
  const TestScreen screen = TestScreen::Find(*rig.kernel);
  ASSERT_TRUE(screen.Up());
  EXPECT_EQ(screen.Line(2), "Resolution: 1024 x 768");
  EXPECT_EQ(rig.kernel->GetDisplayChoice().use3DPreset, 0);
  EXPECT_EQ(rig.kernel->GetDisplayChoice().width, 1024u);
  EXPECT_EQ(std::count(rig.calls.begin(), rig.calls.end(), "8"), 0);

  Click(*rig.kernel, screen.accept);
  EXPECT_EQ(GKernel::GetDisplayRequest(), GKernel::kAccept3D);
  rig.kernel->TickViews();
  EXPECT_EQ(GKernel::GetDisplayRequest(), 0);
  EXPECT_EQ(std::count(rig.calls.begin(), rig.calls.end(), "8"), 1);
  EXPECT_FALSE(rig.kernel->Is3D());
  EXPECT_FALSE(TestScreen::Find(*rig.kernel).Up());
  EXPECT_EQ(rig.kernel->GetRootView()->GetChildCount(), 0);
  rig.kernel->Quit();
  DisplayPreset expected = UsualPreset(1024, 768);
  EXPECT_EQ(DisplayPreset::FromBytes(rig.app->saved.data()), expected);
}

TEST(DisplaySelectionTest, ASkipTestsTheNextCandidateAndAnUnansweredScreenSkipsOnItsTwentyFifthTick) {
  KernelRig rig;  // before the fake clock: the start-up rates the processor by the clock
  FakeClock clock;
  rig.app = new RecordingApp(&rig.calls);
  rig.kernel->StartWithoutLoop(rig.app);
  Click(*rig.kernel, TestScreen::Find(*rig.kernel).skip);
  EXPECT_EQ(GKernel::GetDisplayRequest(), GKernel::kSkip3D);
  rig.kernel->TickViews();
  EXPECT_EQ(TestScreen::Find(*rig.kernel).Line(2), "Resolution: 800 x 600");
  EXPECT_EQ(rig.kernel->GetDisplayChoice().width, 800u);
  EXPECT_EQ(rig.kernel->GetScreenWidth(), 800);

  for (int pass = 1; pass <= 24; ++pass) {
    gNow += 500;
    rig.kernel->TickViews();
  }
  EXPECT_EQ(TestScreen::Find(*rig.kernel).Line(2), "Resolution: 800 x 600");
  // Ticks come only every 500 ms.
  rig.kernel->TickViews();
  EXPECT_EQ(TestScreen::Find(*rig.kernel).Line(2), "Resolution: 800 x 600");
  gNow += 500;
  rig.kernel->TickViews();
  EXPECT_EQ(TestScreen::Find(*rig.kernel).Line(2), "Resolution: 640 x 480");
  EXPECT_EQ(std::count(rig.calls.begin(), rig.calls.end(), "8"), 0);
  // The tried candidates' displays were given up before the next was made.
  EXPECT_EQ(Count(rig.Log(), "Attempting 3D DRIVER: "), 3u);
}

TEST(DisplaySelectionDeathTest, SkippingEveryCandidateEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        KernelRig rig;
        rig.app = new RecordingApp(&rig.calls);
        rig.kernel->StartWithoutLoop(rig.app);
        for (int i = 0; i < 3; ++i) Answer(rig, GKernel::kSkip3D);
      },
      testing::ExitedWithCode(3), "Could not initialize Direct3D graphics");
}

TEST(DisplaySelectionTest, AFailedCreationStepIsLoggedAndTheNextCandidateIsTried) {
  const struct {
    const char* point;
    int skip;  // calls of the enumeration that must pass
    const char* line;
  } steps[] = {
      {"CreateDisplay", 1, "FAILED 3D: DirectDrawCreate"},
      {"SetCooperativeLevel", 0, "FAILED 3D: SetCooperativeLevel"},
      {"SetDisplayMode", 0, "FAILED 3D: SetDisplayMode"},
      {"CreateFlipChain", 0, "FAILED 3D: CreateSurface"},
      {"GetBackBuffer", 0, "FAILED 3D: GetAttachedSurface"},
      {"EnumerateZBufferFormats", 0, "FAILED 3D: EnumZBufferFormats"},
      {"CreateZBuffer", 0, "FAILED 3D: Z-buffer CreateSurface"},
      {"AttachZBuffer", 0, "FAILED 3D: Z-buffer AddAttachedSurface"},
      {"CreateDevice", 0, "FAILED 3D: CreateDevice"},
      {"CreateViewport", 0, "FAILED 3D: CreateViewport"},
      {"AddViewport", 0, "FAILED 3D: AddViewport"},
      {"SetViewport", 0, "FAILED 3D: SetViewport2"},
      {"SetCurrentViewport", 0, "FAILED 3D: SetCurrentViewport"},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.point);
    KernelRig rig;
    PFailureInjection::Arm(step.point, PResult::kGeneric, 1, step.skip);
    rig.app = new RecordingApp(&rig.calls);
    rig.kernel->StartWithoutLoop(rig.app);
    const std::string log = rig.Log();
    const std::string first = "Attempting 3D DRIVER: display (Primary Display Driver)  DEVICE: Software 3D  MODE: ";
    const size_t failed = log.find(first + "1024 x 768 @0\r\n");
    const size_t line = log.find(std::string(step.line) + "\r\n");
    const size_t next = log.find(first + "800 x 600 @0\r\n");
    ASSERT_NE(failed, std::string::npos);
    ASSERT_NE(line, std::string::npos) << log;
    ASSERT_NE(next, std::string::npos);
    EXPECT_LT(failed, line);
    EXPECT_LT(line, next);
    EXPECT_EQ(Count(log, "FAILED 3D: "), 1u);
    if (std::string(step.point) == "CreateDisplay") {
      EXPECT_NE(log.find("err =  " + std::to_string(PResultCode(PResult::kGeneric)) +
                         "\r\nDDERR_INVALIDDIRECTDRAWGUID  =  -2005532111\r\nFAILED 3D"),
                std::string::npos);
    }
    // The next candidate stands, with its renderer, and is up for its test.
    EXPECT_EQ(TestScreen::Find(*rig.kernel).Line(2), "Resolution: 800 x 600");
    EXPECT_EQ(rig.kernel->GetScreenWidth(), 800);
    ASSERT_NE(rig.kernel->GetGraph3D(), nullptr);
    EXPECT_TRUE(rig.kernel->GetGraph3D()->IsReady());
    EXPECT_NE(rig.kernel->GetDevice3D(), nullptr);
  }
}

TEST(DisplaySelectionDeathTest, CallsNoCandidateCanMendEndTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto start = [](const char* point, int skip) {
    KernelRig rig;
    if (point != nullptr) PFailureInjection::Arm(point, PResult::kGeneric, 1, skip);
    rig.app = new RecordingApp(&rig.calls);
    rig.kernel->StartWithoutLoop(rig.app);
  };
  EXPECT_EXIT(start("Query3D", 1), testing::ExitedWithCode(3), "ERROR: GKernel line 1874");
  EXPECT_EXIT(start("GammaControl", 0), testing::ExitedWithCode(3), "ERROR: GKernel line 1466");
  EXPECT_EXIT(start("EnumerateDrivers", 0), testing::ExitedWithCode(3), "Could not initialize DirectX graphics");
  EXPECT_EXIT(start("EnumerateDevices", 0), testing::ExitedWithCode(3), "ERROR: GKernel line 1775");
  EXPECT_EXIT(
      {
        PDisplay::SetOfferedDrivers({TestDriver("display", "Primary", 0, false, true, 1024,
                                                {TestDevice("NoGuid", 0, true)}, {TestMode(640, 480, 0)})});
        start(nullptr, 0);
      },
      testing::ExitedWithCode(3), "ERROR: GKernel line 1917");
}

TEST(DisplaySelectionTest, AFirstStartOnASeparateCardTestsTheCardThenTheDesktopIn2D) {
  KernelRig rig;
  PDisplay::SetOfferedDrivers(SeparateCard());
  rig.app = new RecordingApp(&rig.calls);
  rig.kernel->StartWithoutLoop(rig.app);
  EXPECT_EQ(TestScreen::Find(*rig.kernel).Line(0), "3D DirectX Test:  Click ACCEPT to select this graphics mode.");
  Answer(rig, GKernel::kAccept3D);

  // The 3-D card was accepted; the menus' display is tested next, at the desktop's size.
  const TestScreen screen = TestScreen::Find(*rig.kernel);
  ASSERT_TRUE(screen.Up());
  EXPECT_EQ(screen.Line(0), "2D DirectX Test:  Click ACCEPT to select this graphics mode.");
  EXPECT_EQ(screen.Line(1), "Resolution: 1024 x 768");
  EXPECT_FALSE(rig.kernel->Is3D());
  EXPECT_EQ(rig.kernel->GetGraph3D(), nullptr);
  EXPECT_EQ(std::count(rig.calls.begin(), rig.calls.end(), "8"), 0);
  const std::string log = rig.Log();
  // The desktop runs at 32 bits: the mode is set anew at 16.
  EXPECT_NE(log.find("GKernel 209\r\n"), std::string::npos);
  EXPECT_NE(log.find("GKernel 1281\r\nGKernel 1314\r\nAttempting 2D MODE: 1024 x 768\r\nresetting...\r\n"),
            std::string::npos)
      << log;

  Click(*rig.kernel, screen.accept);
  EXPECT_EQ(GKernel::GetDisplayRequest(), GKernel::kAccept2D);
  rig.kernel->TickViews();
  EXPECT_EQ(std::count(rig.calls.begin(), rig.calls.end(), "8"), 1);
  const DisplayPreset& p = rig.kernel->GetDisplayChoice();
  EXPECT_EQ(p.use3DPreset, 1);
  EXPECT_EQ(p.use2DPreset, 1);
  EXPECT_EQ(p.separateCard, 1);
  EXPECT_EQ(p.width2D, 1024u);
  EXPECT_EQ(p.height2D, 768u);

  // Battle views switch the card on and off from the stored choice, without tests.
  rig.kernel->Set3DMode(true);
  EXPECT_TRUE(rig.kernel->Is3D());
  ASSERT_NE(rig.kernel->GetGraph3D(), nullptr);
  EXPECT_EQ(Count(rig.Log(), "Using 3D preset"), 1u);
  rig.kernel->Set3DMode(false);
  EXPECT_FALSE(rig.kernel->Is3D());
  EXPECT_EQ(rig.kernel->GetGraph3D(), nullptr);
  EXPECT_NE(rig.kernel->GetBackBuffer(), nullptr);
  EXPECT_EQ(rig.kernel->GetRootView()->GetChildCount(), 0);
  EXPECT_EQ(Count(rig.Log(), "GKernel 1156"), 2u);
}

TEST(DisplaySelectionTest, TwoDSizesStepDownFromASixteenBitDesktopWithoutAModeChangeFirst) {
  KernelRig rig(1280, 1024);
  PDisplay::SetOfferedDrivers(SeparateCard());
  PDisplay::SetDesktopBitsPerPixel(16);
  rig.app = new RecordingApp(&rig.calls);
  rig.kernel->StartWithoutLoop(rig.app);
  Answer(rig, GKernel::kAccept3D);
  EXPECT_EQ(TestScreen::Find(*rig.kernel).Line(1), "Resolution: 1280 x 1024");
  for (int i = 0; i < 3; ++i) Answer(rig, GKernel::kSkip2D);
  EXPECT_EQ(TestScreen::Find(*rig.kernel).Line(1), "Resolution: 640 x 480");
  EXPECT_EQ(rig.kernel->GetScreenWidth(), 640);
  EXPECT_EQ(rig.kernel->GetDisplayChoice().width2D, 640u);
  const std::string log = rig.Log();
  // The desktop's own mode needs no change.
  const std::string desktop = "Attempting 2D MODE: 1280 x 1024\r\n";
  const size_t at = log.find(desktop);
  ASSERT_NE(at, std::string::npos);
  EXPECT_NE(log.compare(at + desktop.size(), 13, "resetting...\r"), 0);
  EXPECT_EQ(Count(log, "resetting..."), 3u);
  for (const char* size : {"1024 x 768", "800 x 600", "640 x 480"})
    EXPECT_NE(log.find(std::string("Attempting 2D MODE: ") + size + "\r\nresetting...\r\n"), std::string::npos);
}

TEST(DisplaySelectionDeathTest, SkippingTheSmallest2DSizeEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        KernelRig rig;
        PDisplay::SetOfferedDrivers(SeparateCard());
        rig.app = new RecordingApp(&rig.calls);
        rig.kernel->StartWithoutLoop(rig.app);
        Answer(rig, GKernel::kAccept3D);
        for (int i = 0; i < 4; ++i) Answer(rig, GKernel::kSkip2D);
      },
      testing::ExitedWithCode(3),
      "Did you not see the OK button\\? Try again and click the OK button when you see it\\.");
}

TEST(DisplaySelectionTest, AStored2DSizeIsSetWithoutATestAndAnUnusableOneStepsDown) {
  DisplayPreset accepted;
  {
    KernelRig rig;
    PDisplay::SetOfferedDrivers(SeparateCard());
    rig.app = new RecordingApp(&rig.calls);
    DisplayPreset& p = rig.app->preset;
    p.use3DPreset = 1;
    p.separateCard = 1;
    p.driverGuid = TestGuid(3);
    p.deviceGuid = TestGuid(0x31);
    p.width = 1024;
    p.height = 768;
    p.use2DPreset = 1;
    p.width2D = 1100;  // larger than the desktop: the mode cannot be set
    p.height2D = 800;
    rig.kernel->StartWithoutLoop(rig.app);
    // The stored size failed, so the next smaller one is tested and the 2-D flag dropped.
    EXPECT_EQ(TestScreen::Find(*rig.kernel).Line(1), "Resolution: 1024 x 768");
    EXPECT_EQ(rig.kernel->GetDisplayChoice().use2DPreset, 0);
    EXPECT_NE(
        rig.Log().find("Attempting 2D MODE: 1100 x 800\r\nresetting...\r\nAttempting 2D MODE: 1024 x 768\r\n"),
        std::string::npos);
    Answer(rig, GKernel::kAccept2D);
    EXPECT_EQ(std::count(rig.calls.begin(), rig.calls.end(), "8"), 1);
    accepted = rig.kernel->GetDisplayChoice();
  }
  KernelRig rig;
  PDisplay::SetOfferedDrivers(SeparateCard());
  rig.app = new RecordingApp(&rig.calls);
  rig.app->preset = accepted;
  rig.kernel->StartWithoutLoop(rig.app);
  EXPECT_EQ(std::count(rig.calls.begin(), rig.calls.end(), "8"), 1);
  EXPECT_EQ(Count(rig.Log(), "GKernel 1156"), 0u);
  EXPECT_EQ(rig.kernel->GetScreenWidth(), 1024);
}

TEST(DisplaySelectionTest, GammaRampsAreComputedInSinglePrecisionAndTruncated) {
  KernelRig rig;
  rig.StartApp();
  PDisplay* display = rig.kernel->GetDirectDraw();
  PGammaRamp ramp;
  rig.kernel->SetGamma(1.0f);
  display->GetGammaRamp(ramp);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(ramp.red[i], 257 * i) << i;
    ASSERT_EQ(ramp.green[i], 257 * i) << i;
    ASSERT_EQ(ramp.blue[i], 257 * i) << i;
  }
  rig.kernel->SetGamma(2.0f);
  display->GetGammaRamp(ramp);
  EXPECT_EQ(rig.kernel->GetGamma(), 2.0f);
  EXPECT_EQ(ramp.red[0], 0);
  EXPECT_EQ(ramp.red[255], 65535);
  // (64 / 255)^0.5 x 65535 = 32831.69...: lifted, and cut, not rounded.
  EXPECT_EQ(ramp.red[64], 32831);
  // A ramp the display refuses leaves everything as it was.
  PFailureInjection::Arm("SetGammaRamp", PResult::kGeneric);
  rig.kernel->SetGamma(3.0f);
  EXPECT_EQ(rig.kernel->GetGamma(), 2.0f);
  PGammaRamp after;
  display->GetGammaRamp(after);
  EXPECT_EQ(after.red[64], 32831);
  // Gammas of 0 and below give ramps held inside the 16-bit range.
  rig.kernel->SetGamma(0.0f);
  rig.kernel->SetGamma(-1.0f);
  display->GetGammaRamp(ramp);
  EXPECT_EQ(ramp.red[0], 65535);
  EXPECT_EQ(ramp.red[255], 65535);
}

TEST(DisplaySelectionTest, TheTestScreenIn3DDrawsThroughTheRendererAndTextsAreMeasuredByIt) {
  KernelRig rig;
  rig.app = new RecordingApp(&rig.calls);
  rig.kernel->StartWithoutLoop(rig.app);
  ASSERT_TRUE(rig.kernel->Is3D());
  const TestScreen screen = TestScreen::Find(*rig.kernel);
  ASSERT_TRUE(screen.Up());
  rig.kernel->UpdateScreen();
  // The frame was flipped to the front: a black screen, the white panel with its black
  // texts, the buttons' black frames.
  const PSurface* front = rig.kernel->GetPrimarySurface();
  const GRect& panel = screen.panel->Bounds();
  EXPECT_EQ(front->Row16(2)[2], 0);
  EXPECT_EQ(front->Row16(panel.top + 2)[panel.left + 2], 0xFFFF);
  const GRect& frame = screen.acceptFrame->Bounds();
  EXPECT_EQ(front->Row16(frame.top)[frame.left + 10], 0);
  EXPECT_EQ(front->Row16(frame.top + 3)[frame.left + 3], 0xFFFF);
  const GRect& line = screen.lines[0]->Bounds();
  int dark = 0;
  for (int32_t y = line.top; y < line.bottom; ++y)
    for (int32_t x = line.left; x < line.right; ++x) dark += front->Row16(y)[x] == 0 ? 1 : 0;
  EXPECT_GT(dark, 50);
  EXPECT_EQ(TextWidth("ACCEPT", 0), rig.kernel->SelectFont(0).TextWidth("ACCEPT"));
}

TEST(DisplaySelectionTest, TheKernelIsTheGraphicsHostWhileItLives) {
  {
    KernelRig rig;
    EXPECT_EQ(GGraphicHost::Current(), rig.kernel);
    ASSERT_NE(rig.kernel->GetGraphicsStore(), nullptr);
    EXPECT_EQ(rig.kernel->GetTextureBudget(), nullptr);
    EXPECT_EQ(rig.kernel->GetRenderer(), nullptr);
    rig.StartApp();
    // A card that does both keeps its renderer while 2-D drawing is on.
    EXPECT_EQ(rig.kernel->GetGraph3D(), gGraph3D);
    EXPECT_EQ(rig.kernel->GetRenderer(), static_cast<GGraphicRenderer*>(gGraph3D));
    ASSERT_NE(rig.kernel->GetTextureBudget(), nullptr);
    EXPECT_EQ(rig.kernel->GetTextureBudget()->Total(), PDisplay::kVideoMemory);
    EXPECT_EQ(rig.kernel->GetDirectDraw(), static_cast<GGraphicHost*>(rig.kernel)->GetDirectDraw());

    rig.kernel->ExcludeBitmap(7);
    EXPECT_TRUE(rig.kernel->IsBitmapExcluded(7));
    EXPECT_EQ(rig.kernel->TryNewGraphic(1, 7), nullptr);
    EXPECT_EQ(rig.kernel->NewGraphic(0), nullptr);
    std::string folder;
    EXPECT_FALSE(rig.kernel->GetBaseFolder(folder, false));
    EXPECT_EQ(folder, PPath::ProgramFolder());
  }
  EXPECT_EQ(GGraphicHost::Current(), nullptr);
  EXPECT_EQ(gGraph3D, nullptr);
}
