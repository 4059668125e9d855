#include "platform/PDisplay.h"

#include <gtest/gtest.h>

#include "platform/PBitmapFile.h"
#include "platform/PFailureInjection.h"
#include "platform/PFakeBackEnd.h"
#include "platform/PSurfaceOps.h"
#include "platform/PWindow.h"
#include "support/TestFolder.h"

namespace {

struct Screen {
  PFakeBackEnd* fake = new PFakeBackEnd;
  PWindow window{std::unique_ptr<PBackEnd>(fake)};
  std::unique_ptr<PDisplay> display;
  PSurface* front = nullptr;
  PSurface* back = nullptr;

  explicit Screen(int32_t width = 640, int32_t height = 480, int32_t desktopW = 1280, int32_t desktopH = 1024) {
    fake->SetDesktopSize(desktopW, desktopH);
    EXPECT_TRUE(window.Create("Tarvane: Ossmere", width, height));
    EXPECT_EQ(PDisplay::Create(&window, nullptr, display), PResult::kOk);
    EXPECT_EQ(display->SetCooperativeLevel(), PResult::kOk);
    EXPECT_EQ(display->SetDisplayMode(width, height, 16, 0), PResult::kOk);
    EXPECT_EQ(display->CreateFlipChain(front), PResult::kOk);
    EXPECT_EQ(display->GetBackBuffer(back), PResult::kOk);
  }
};

TEST(PDisplay, OffersOneDriverOneDeviceAndTheModesThatFitTheDesktop) {
  std::vector<PDisplay::DriverInfo> drivers;
  ASSERT_EQ(PDisplay::EnumerateDrivers(false, drivers), PResult::kOk);
  ASSERT_EQ(drivers.size(), 1u);
  EXPECT_FALSE(drivers[0].hasGuid);
  ASSERT_EQ(PDisplay::EnumerateDrivers(true, drivers), PResult::kOk);
  EXPECT_TRUE(drivers.empty());

  PFakeBackEnd* fake = new PFakeBackEnd;
  PWindow window{std::unique_ptr<PBackEnd>(fake)};
  fake->SetDesktopSize(1280, 1024);
  std::unique_ptr<PDisplay> display;
  PGuid other;
  other.bytes[0] = 1;
  EXPECT_EQ(PDisplay::Create(&window, &other, display), PResult::kInvalidDriver);
  ASSERT_EQ(PDisplay::Create(&window, nullptr, display), PResult::kOk);
  PDisplay::Caps caps;
  ASSERT_EQ(display->GetCaps(caps), PResult::kOk);
  EXPECT_TRUE(caps.has3D);
  std::vector<PDisplay::DeviceInfo> devices;
  ASSERT_EQ(display->EnumerateDevices(devices), PResult::kOk);
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_TRUE(devices[0].hardware);
  EXPECT_TRUE(devices[0].hasGuid);
  EXPECT_EQ(devices[0].guid, PDisplay::kDeviceGuid);
  std::vector<PDisplay::ModeInfo> modes;
  ASSERT_EQ(display->EnumerateModes(modes), PResult::kOk);
  ASSERT_EQ(modes.size(), 6u);  // 1600 x 1200 does not fit
  EXPECT_EQ(modes.front().width, 640);
  EXPECT_EQ(modes.back().width, 1280);
  EXPECT_EQ(modes.back().height, 1024);
  for (const auto& m : modes) {
    EXPECT_EQ(m.bitsPerPixel, 16);
    EXPECT_EQ(m.refreshRate, 0);
  }
  std::vector<int32_t> depths;
  ASSERT_EQ(display->EnumerateZBufferFormats(PDisplay::kDeviceGuid, depths), PResult::kOk);
  EXPECT_EQ(depths, (std::vector<int32_t>{16}));

  // Before a mode is set the desktop's is reported, at 32 bits.
  PDisplay::ModeInfo mode;
  ASSERT_EQ(display->GetDisplayMode(mode), PResult::kOk);
  EXPECT_EQ(mode.width, 1280);
  EXPECT_EQ(mode.bitsPerPixel, 32);
  // Without a window there is no taking over.
  EXPECT_EQ(display->SetCooperativeLevel(), PResult::kInvalidParams);
  ASSERT_TRUE(window.Create("T", 640, 480));
  ASSERT_EQ(display->SetCooperativeLevel(), PResult::kOk);
  EXPECT_EQ(display->SetDisplayMode(640, 480, 32, 0), PResult::kInvalidMode);
  EXPECT_EQ(display->SetDisplayMode(1600, 1200, 16, 0), PResult::kInvalidMode);
  EXPECT_EQ(display->SetDisplayMode(1024, 768, 16, 0), PResult::kOk);
  EXPECT_EQ(window.ScreenWidth(), 1024);
  ASSERT_EQ(display->GetDisplayMode(mode), PResult::kOk);
  EXPECT_EQ(mode.bitsPerPixel, 16);
}

TEST(PDisplay, EveryCreationStepCanBeMadeToFail) {
  const char* steps[] = {"CreateDisplay", "SetCooperativeLevel", "SetDisplayMode", "CreateFlipChain",
                         "GetBackBuffer"};
  for (const char* step : steps) {
    SCOPED_TRACE(step);
    PFailureInjection::Arm(step, PResult::kGeneric);
    PFakeBackEnd* fake = new PFakeBackEnd;
    PWindow window{std::unique_ptr<PBackEnd>(fake)};
    ASSERT_TRUE(window.Create("T", 640, 480));
    std::unique_ptr<PDisplay> display;
    PSurface* front = nullptr;
    PSurface* back = nullptr;
    PResult r = PDisplay::Create(&window, nullptr, display);
    if (r == PResult::kOk) r = display->SetCooperativeLevel();
    if (r == PResult::kOk) r = display->SetDisplayMode(640, 480, 16, 0);
    if (r == PResult::kOk) r = display->CreateFlipChain(front);
    if (r == PResult::kOk) r = display->GetBackBuffer(back);
    EXPECT_EQ(r, PResult::kGeneric);
    PFailureInjection::Reset();
  }
  Screen screen;
  std::unique_ptr<PSurface> z;
  PFailureInjection::Arm("CreateZBuffer", PResult::kOutOfVideoMemory);
  EXPECT_EQ(screen.display->CreateZBuffer(640, 480, 16, z), PResult::kOutOfVideoMemory);
  ASSERT_EQ(screen.display->CreateZBuffer(640, 480, 16, z), PResult::kOk);
  PFailureInjection::Arm("AttachZBuffer", PResult::kGeneric);
  EXPECT_EQ(screen.display->AttachZBuffer(z.get()), PResult::kGeneric);
  ASSERT_EQ(screen.display->AttachZBuffer(z.get()), PResult::kOk);
  EXPECT_EQ(screen.display->ZBuffer(), z.get());
  std::unique_ptr<PSurface> texture;
  PFailureInjection::Arm("CreateSurface", PResult::kOutOfMemory, 1, 1);  // the second call fails
  EXPECT_EQ(screen.display->CreateSurface(64, 32, PPixelFormat::kARGB1555, texture), PResult::kOk);
  EXPECT_EQ(texture->Format(), PPixelFormat::kARGB1555);
  EXPECT_EQ(screen.display->CreateSurface(64, 32, PPixelFormat::kRGB565, texture), PResult::kOutOfMemory);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(screen.display->CreateSurface(0, 32, PPixelFormat::kRGB565, texture), PResult::kInvalidParams);
  PFailureInjection::Arm("GammaControl", PResult::kUnsupported);
  EXPECT_EQ(screen.display->SetGammaRamp(PGammaRamp::Identity()), PResult::kUnsupported);
  EXPECT_EQ(screen.display->SetGammaRamp(PGammaRamp::Identity()), PResult::kOk);
}

TEST(PDisplay, FlipSwapsTheBuffersAndPresentsThroughTheGammaRamp) {
  Screen screen;
  const PRect left{0, 0, 320, 480};
  PSurfaceOps::ColorFill(*screen.back, &left, 0xF81F);  // magenta half in the back buffer
  const int before = screen.fake->PresentCount();
  ASSERT_EQ(screen.display->Flip(), PResult::kOk);
  EXPECT_EQ(screen.fake->PresentCount(), before + 1);
  EXPECT_EQ(screen.front->Row16(0)[0], 0xF81F);
  EXPECT_EQ(screen.back->Row16(0)[0], 0);
  ASSERT_EQ(screen.fake->LastFrameWidth(), 640);
  EXPECT_EQ(screen.fake->LastFrame()[0], 0xFF00FFu);
  EXPECT_EQ(screen.fake->LastFrame()[639], 0u);

  // Drawing on the front buffer shows at the next present.
  screen.front->Row16(479)[639] = 0xFFFF;
  screen.display->Present();
  EXPECT_EQ(screen.fake->LastFrame()[640 * 480 - 1], 0xFFFFFFu);

  // A darkening ramp: every level halved.
  PGammaRamp ramp = PGammaRamp::Identity();
  for (int i = 0; i < 256; ++i) ramp.red[i] = ramp.green[i] = ramp.blue[i] = static_cast<uint16_t>(i * 257 / 2);
  ASSERT_EQ(screen.display->SetGammaRamp(ramp), PResult::kOk);
  PGammaRamp read;
  screen.display->GetGammaRamp(read);
  EXPECT_EQ(read.green[255], ramp.green[255]);
  screen.display->Present();
  EXPECT_EQ(screen.fake->LastFrame()[0], 0x7F007Fu);

  TestFolder folder;
  ASSERT_TRUE(screen.display->WritePresentedFrame(folder.Program() + "frame.bmp"));
  PBitmapFile::Image image;
  ASSERT_TRUE(PBitmapFile::Load(folder.Program() + "frame.bmp", image));
  EXPECT_EQ(image.width, 640);
  EXPECT_EQ(image.pixels[0], 0x7F007Fu);
  EXPECT_EQ(image.pixels.back(), 0x7F7F7Fu);

  // A new mode drops the flip chain of the old size.
  ASSERT_EQ(screen.display->SetDisplayMode(800, 600, 16, 0), PResult::kOk);
  EXPECT_EQ(screen.display->Primary(), nullptr);
  PSurface* front = nullptr;
  ASSERT_EQ(screen.display->CreateFlipChain(front), PResult::kOk);
  EXPECT_EQ(front->Width(), 800);
  EXPECT_EQ(screen.window.ScreenHeight(), 600);
}

TEST(PPresenter, WidensEveryChannelToItsFullRange) {
  EXPECT_EQ(PPresenter::ExpandPixel(0xFFFF, PPixelFormat::kRGB565), 0xFFFFFFu);
  EXPECT_EQ(PPresenter::ExpandPixel(0x0000, PPixelFormat::kRGB565), 0u);
  EXPECT_EQ(PPresenter::ExpandPixel(0x7FFF, PPixelFormat::kARGB1555), 0xFFFFFFu);
  EXPECT_EQ(PPresenter::ExpandPixel(0x8000, PPixelFormat::kARGB1555), 0u);
  EXPECT_EQ(PPresenter::ExpandPixel(0x0020, PPixelFormat::kRGB565), 0x000400u);
  // Widening and cutting back gives every 16-bit pixel again.
  for (uint32_t p = 0; p < 65536; ++p)
    ASSERT_EQ(PBitmapFile::ToPixel(PPresenter::ExpandPixel(static_cast<uint16_t>(p), PPixelFormat::kRGB565),
                                   PPixelFormat::kRGB565),
              p);
}

}  // namespace
