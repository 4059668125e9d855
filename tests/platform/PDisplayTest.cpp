#include "platform/PDisplay.h"

#include <gtest/gtest.h>

#include <algorithm>

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

namespace {

PDisplay::OfferedDriver Offered(const char* name, uint8_t guid, bool nonDisplay) {
  PDisplay::OfferedDriver d;
  d.info.hasGuid = guid != 0;
  d.info.guid.bytes[0] = guid;
  d.info.name = name;
  d.nonDisplay = nonDisplay;
  d.caps = PDisplay::Caps{true, 4u << 20, 3u << 20, true};
  PDisplay::DeviceInfo device;
  device.hasGuid = true;
  device.guid.bytes[0] = static_cast<uint8_t>(guid + 0x10);
  device.name = std::string(name) + " 3D";
  d.devices = {device};
  d.modes = {PDisplay::ModeInfo{640, 480, 16, 60}, PDisplay::ModeInfo{800, 600, 32, 0}};
  d.zBufferDepths = {24, 16};
  return d;
}

// Resets the offered list and failure plans when the test ends.
struct OfferedGuard {
  ~OfferedGuard() {
    PDisplay::ResetOfferedDrivers();
    PFailureInjection::Reset();
  }
};

}  // namespace

TEST(PDisplay, AnOfferedListReportsItsDriversByPassAndEachDriversOwnDevicesModesAndDepths) {
  OfferedGuard guard;
  PDisplay::SetOfferedDrivers({Offered("primary", 0, false), Offered("second", 2, false), Offered("card", 3, true)});
  std::vector<PDisplay::DriverInfo> drivers;
  ASSERT_EQ(PDisplay::EnumerateDrivers(false, drivers), PResult::kOk);
  ASSERT_EQ(drivers.size(), 2u);
  EXPECT_EQ(drivers[0].name, "primary");
  EXPECT_EQ(drivers[1].name, "second");
  // The second pass names the primary display driver again, then the 3-D cards.
  ASSERT_EQ(PDisplay::EnumerateDrivers(true, drivers), PResult::kOk);
  ASSERT_EQ(drivers.size(), 2u);
  EXPECT_EQ(drivers[0].name, "primary");
  EXPECT_EQ(drivers[1].name, "card");

  PFakeBackEnd* fake = new PFakeBackEnd;
  PWindow window{std::unique_ptr<PBackEnd>(fake)};
  std::unique_ptr<PDisplay> display;
  PGuid unknown;
  unknown.bytes[0] = 9;
  EXPECT_EQ(PDisplay::Create(&window, &unknown, display), PResult::kInvalidDriver);
  const PGuid card = drivers[1].guid;
  ASSERT_EQ(PDisplay::Create(&window, &card, display), PResult::kOk);
  PDisplay::Caps caps;
  ASSERT_EQ(display->GetCaps(caps), PResult::kOk);
  EXPECT_EQ(caps.videoMemoryFree, 3u << 20);
  std::vector<PDisplay::DeviceInfo> devices;
  ASSERT_EQ(display->EnumerateDevices(devices), PResult::kOk);
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].name, "card 3D");
  std::vector<PDisplay::ModeInfo> modes;
  ASSERT_EQ(display->EnumerateModes(modes), PResult::kOk);
  ASSERT_EQ(modes.size(), 2u);
  EXPECT_EQ(modes[0].refreshRate, 60);
  EXPECT_EQ(modes[1].bitsPerPixel, 32);
  std::vector<int32_t> depths;
  ASSERT_EQ(display->EnumerateZBufferFormats(devices[0].guid, depths), PResult::kOk);
  EXPECT_EQ(depths, (std::vector<int32_t>{24, 16}));
  EXPECT_EQ(display->EnumerateZBufferFormats(PDisplay::kDeviceGuid, depths), PResult::kInvalidParams);

  PDisplay::SetDesktopBitsPerPixel(16);
  PDisplay::ModeInfo mode;
  ASSERT_EQ(display->GetDisplayMode(mode), PResult::kOk);
  EXPECT_EQ(mode.bitsPerPixel, 16);
  PDisplay::ResetOfferedDrivers();
  ASSERT_EQ(display->GetDisplayMode(mode), PResult::kOk);
  EXPECT_EQ(mode.bitsPerPixel, 32);
  ASSERT_EQ(PDisplay::EnumerateDrivers(true, drivers), PResult::kOk);
  EXPECT_TRUE(drivers.empty());
}

TEST(PDisplay, TheThreeDDeviceAndItsViewportAreMadeInOrderOnTheBackBuffer) {
  OfferedGuard guard;
  Screen screen;
  PDisplay& d = *screen.display;
  P3DDevice* device = nullptr;
  // Without the 3-D side there is no device.
  EXPECT_EQ(d.CreateDevice3D(PDisplay::kDeviceGuid, device), PResult::kInvalidObject);
  ASSERT_EQ(d.Query3D(), PResult::kOk);
  PGuid other;
  other.bytes[0] = 1;
  EXPECT_EQ(d.CreateDevice3D(other, device), PResult::kInvalidParams);
  EXPECT_EQ(d.AddViewport(), PResult::kInvalidObject);
  ASSERT_EQ(d.CreateDevice3D(PDisplay::kDeviceGuid, device), PResult::kOk);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(d.Device3D(), device);
  EXPECT_EQ(d.SetCurrentViewport(), PResult::kInvalidObject);
  ASSERT_EQ(d.CreateViewport(), PResult::kOk);
  ASSERT_EQ(d.AddViewport(), PResult::kOk);
  PDisplay::Viewport view;
  view.width = 641;
  view.height = 480;
  EXPECT_EQ(d.SetViewport(view), PResult::kInvalidParams);  // wider than the target
  view.width = 640;
  ASSERT_EQ(d.SetViewport(view), PResult::kOk);
  EXPECT_EQ(d.CurrentViewport(), nullptr);
  ASSERT_EQ(d.SetCurrentViewport(), PResult::kOk);
  ASSERT_NE(d.CurrentViewport(), nullptr);
  EXPECT_EQ(d.CurrentViewport()->width, 640);

  // The device draws into the back buffer.
  P3DRect all{0, 0, 640, 480};
  ASSERT_EQ(device->Clear(&all, 1, kP3DClearTarget, 0xFFFFFF, 1.0f), PResult::kOk);
  EXPECT_EQ(screen.back->Row16(0)[0], 0xFFFF);

  // A new mode takes the chain and what was made on it.
  ASSERT_EQ(d.SetDisplayMode(800, 600, 16, 0), PResult::kOk);
  EXPECT_EQ(d.Device3D(), nullptr);
  EXPECT_EQ(d.CurrentViewport(), nullptr);

  ASSERT_EQ(d.SetNormalCooperativeLevel(), PResult::kOk);
  EXPECT_EQ(d.SetDisplayMode(640, 480, 16, 0), PResult::kInvalidParams);
}

TEST(PDisplay, TheThreeDStepsCanBeMadeToFail) {
  OfferedGuard guard;
  for (const char* step : {"Query3D", "EnumerateZBufferFormats", "CreateDevice", "CreateViewport", "AddViewport",
                           "SetViewport", "SetCurrentViewport", "GammaControl", "SetNormalCooperativeLevel"}) {
    SCOPED_TRACE(step);
    Screen screen;
    PDisplay& d = *screen.display;
    PFailureInjection::Arm(step, PResult::kGeneric);
    std::vector<PResult> results;
    std::vector<int32_t> depths;
    P3DDevice* device = nullptr;
    PDisplay::Viewport view;
    view.width = 640;
    view.height = 480;
    results.push_back(d.Query3D());
    results.push_back(d.EnumerateZBufferFormats(PDisplay::kDeviceGuid, depths));
    results.push_back(d.CreateDevice3D(PDisplay::kDeviceGuid, device));
    results.push_back(d.CreateViewport());
    results.push_back(d.AddViewport());
    results.push_back(d.SetViewport(view));
    results.push_back(d.SetCurrentViewport());
    results.push_back(d.GetGammaControl());
    results.push_back(d.SetNormalCooperativeLevel());
    EXPECT_EQ(std::count(results.begin(), results.end(), PResult::kGeneric), 1);
    PFailureInjection::Reset();
  }
}
