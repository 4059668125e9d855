#include "platform/PDisplay.h"

#include <algorithm>

#include "platform/PBitmapFile.h"
#include "platform/PFailureInjection.h"
#include "platform/PWindow.h"

const PGuid PDisplay::kDeviceGuid = {{0x54, 0x56, 0x52, 0x4E, 0x33, 0x44, 0x53, 0x57, 0x52, 0x41, 0x53, 0x54, 0x45,
                                      0x52, 0x00, 0x01}};
const int32_t PDisplay::kModeSizes[kModeCount][2] = {{640, 480},   {800, 600},   {1024, 768}, {1152, 864},
                                                     {1280, 960},  {1280, 1024}, {1600, 1200}};

namespace {
constexpr int32_t kMaxSide = 4096;
}

PResult PDisplay::EnumerateDrivers(bool nonDisplay, std::vector<DriverInfo>& out) {
  out.clear();
  PResult r = PFailureInjection::Check("EnumerateDrivers");
  if (r != PResult::kOk) return r;
  if (nonDisplay) return PResult::kOk;
  DriverInfo driver;
  driver.name = "display";
  driver.description = "Primary Display Driver";
  out.push_back(driver);
  return PResult::kOk;
}

PResult PDisplay::Create(PWindow* window, const PGuid* driver, std::unique_ptr<PDisplay>& out) {
  out.reset();
  PResult r = PFailureInjection::Check("CreateDisplay");
  if (r != PResult::kOk) return r;
  if (driver != nullptr) return PResult::kInvalidDriver;  // only the primary driver exists
  if (window == nullptr) return PResult::kInvalidParams;
  out.reset(new PDisplay(window));
  return PResult::kOk;
}

PDisplay::~PDisplay() = default;

void PDisplay::DesktopSize(int32_t& width, int32_t& height) const {
  window_->DesktopSize(width, height);
  width = std::min(width, kMaxSide);
  height = std::min(height, kMaxSide);
}

PResult PDisplay::GetCaps(Caps& out) const {
  PResult r = PFailureInjection::Check("GetCaps");
  if (r != PResult::kOk) return r;
  out = Caps{true, kVideoMemory, kVideoMemory, false};
  return PResult::kOk;
}

PResult PDisplay::EnumerateDevices(std::vector<DeviceInfo>& out) const {
  out.clear();
  PResult r = PFailureInjection::Check("EnumerateDevices");
  if (r != PResult::kOk) return r;
  DeviceInfo device;
  device.hasGuid = true;
  device.guid = kDeviceGuid;
  device.name = "Software 3D";
  device.description = "Software rasteriser";
  device.hardware = true;
  out.push_back(device);
  return PResult::kOk;
}

PResult PDisplay::EnumerateModes(std::vector<ModeInfo>& out) const {
  out.clear();
  PResult r = PFailureInjection::Check("EnumerateModes");
  if (r != PResult::kOk) return r;
  int32_t dw;
  int32_t dh;
  DesktopSize(dw, dh);
  for (const auto& size : kModeSizes)
    if (size[0] <= dw && size[1] <= dh) out.push_back(ModeInfo{size[0], size[1], 16, 0});
  return PResult::kOk;
}

PResult PDisplay::EnumerateZBufferFormats(const PGuid& device, std::vector<int32_t>& bitDepths) const {
  bitDepths.clear();
  if (!(device == kDeviceGuid)) return PResult::kInvalidParams;
  bitDepths.push_back(16);
  return PResult::kOk;
}

PResult PDisplay::SetCooperativeLevel() {
  PResult r = PFailureInjection::Check("SetCooperativeLevel");
  if (r != PResult::kOk) return r;
  if (!window_->Exists()) return PResult::kInvalidParams;
  cooperative_ = true;
  return PResult::kOk;
}

PResult PDisplay::GetDisplayMode(ModeInfo& out) const {
  PResult r = PFailureInjection::Check("GetDisplayMode");
  if (r != PResult::kOk) return r;
  if (modeSet_) {
    out = ModeInfo{width_, height_, 16, 0};
  } else {
    DesktopSize(out.width, out.height);
    out.bitsPerPixel = 32;
    out.refreshRate = 0;
  }
  return PResult::kOk;
}

PResult PDisplay::SetDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t /*refreshRate*/) {
  PResult r = PFailureInjection::Check("SetDisplayMode");
  if (r != PResult::kOk) return r;
  if (!cooperative_) return PResult::kInvalidParams;
  int32_t dw;
  int32_t dh;
  DesktopSize(dw, dh);
  if (bitsPerPixel != 16 || width < 640 || height < 480 || width > dw || height > dh) return PResult::kInvalidMode;
  if (front_ && (front_->Width() != width || front_->Height() != height)) ReleaseFlipChain();
  width_ = width;
  height_ = height;
  modeSet_ = true;
  window_->SetScreenSize(width, height);
  return PResult::kOk;
}

PResult PDisplay::CreateFlipChain(PSurface*& primary) {
  primary = nullptr;
  PResult r = PFailureInjection::Check("CreateFlipChain");
  if (r != PResult::kOk) return r;
  if (!cooperative_) return PResult::kInvalidParams;
  if (!modeSet_) {
    DesktopSize(width_, height_);
    modeSet_ = true;
    window_->SetScreenSize(width_, height_);
  }
  front_ = std::make_unique<PSurface>(width_, height_, PPixelFormat::kRGB565);
  back_ = std::make_unique<PSurface>(width_, height_, PPixelFormat::kRGB565);
  primary = front_.get();
  return PResult::kOk;
}

PResult PDisplay::GetBackBuffer(PSurface*& backBuffer) {
  backBuffer = nullptr;
  PResult r = PFailureInjection::Check("GetBackBuffer");
  if (r != PResult::kOk) return r;
  if (!back_) return PResult::kInvalidObject;
  backBuffer = back_.get();
  return PResult::kOk;
}

void PDisplay::ReleaseFlipChain() {
  front_.reset();
  back_.reset();
  zBuffer_ = nullptr;
  gammaControl_ = false;
}

PResult PDisplay::CreateSurface(int32_t width, int32_t height, PPixelFormat format, std::unique_ptr<PSurface>& out) {
  out.reset();
  PResult r = PFailureInjection::Check("CreateSurface");
  if (r != PResult::kOk) return r;
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return PResult::kInvalidParams;
  out = std::make_unique<PSurface>(width, height, format);
  return PResult::kOk;
}

PResult PDisplay::CreateZBuffer(int32_t width, int32_t height, int32_t bitDepth, std::unique_ptr<PSurface>& out) {
  out.reset();
  PResult r = PFailureInjection::Check("CreateZBuffer");
  if (r != PResult::kOk) return r;
  if (bitDepth != 16 || width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
    return PResult::kInvalidParams;
  // Depth values are plain 16-bit words; the surface's colour format does not apply to them.
  out = std::make_unique<PSurface>(width, height, PPixelFormat::kRGB565);
  return PResult::kOk;
}

PResult PDisplay::AttachZBuffer(PSurface* zBuffer) {
  PResult r = PFailureInjection::Check("AttachZBuffer");
  if (r != PResult::kOk) return r;
  if (zBuffer == nullptr || !back_) return PResult::kInvalidParams;
  if (zBuffer->Width() != back_->Width() || zBuffer->Height() != back_->Height()) return PResult::kInvalidParams;
  zBuffer_ = zBuffer;
  return PResult::kOk;
}

PResult PDisplay::SetGammaRamp(const PGammaRamp& ramp) {
  if (!gammaControl_) {
    PResult r = PFailureInjection::Check("GammaControl");
    if (r != PResult::kOk) return r;
    if (!front_) return PResult::kInvalidObject;
    gammaControl_ = true;
  }
  PResult r = PFailureInjection::Check("SetGammaRamp");
  if (r != PResult::kOk) return r;
  presenter_.SetGammaRamp(ramp);
  return PResult::kOk;
}

PResult PDisplay::GetGammaRamp(PGammaRamp& out) {
  out = presenter_.GammaRamp();
  return PResult::kOk;
}

PResult PDisplay::Flip() {
  PResult r = PFailureInjection::Check("Flip");
  if (r != PResult::kOk) return r;
  if (!front_ || !back_) return PResult::kInvalidObject;
  front_->SwapPixels(*back_);
  Present();
  return PResult::kOk;
}

void PDisplay::Present() {
  if (!front_) return;
  presenter_.Convert(*front_);
  if (window_->Exists()) window_->Present(presenter_.Frame().data(), presenter_.FrameWidth(), presenter_.FrameHeight());
}

PResult PDisplay::RestoreAllSurfaces() { return PFailureInjection::Check("RestoreAllSurfaces"); }

bool PDisplay::WritePresentedFrame(const std::string& path) const {
  if (presenter_.Frame().empty()) return false;
  return PBitmapFile::WritePixels(presenter_.Frame().data(), presenter_.FrameWidth(), presenter_.FrameHeight(), path);
}
