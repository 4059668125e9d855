#include "platform/PDisplay.h"

#include <algorithm>

#include "platform/PBitmapFile.h"
#include "platform/PFailureInjection.h"
#include "platform/PSoft3DDevice.h"
#include "platform/PWindow.h"

const PGuid PDisplay::kDeviceGuid = {{0x54, 0x56, 0x52, 0x4E, 0x33, 0x44, 0x53, 0x57, 0x52, 0x41, 0x53, 0x54, 0x45,
                                      0x52, 0x00, 0x01}};
const int32_t PDisplay::kModeSizes[kModeCount][2] = {{640, 480},   {800, 600},   {1024, 768}, {1152, 864},
                                                     {1280, 960},  {1280, 1024}, {1600, 1200}};

namespace {
constexpr int32_t kMaxSide = 4096;

// The list tests offer instead of the usual one.
struct OfferedList {
  bool set = false;
  std::vector<PDisplay::OfferedDriver> drivers;
  int32_t desktopBits = 32;
};
OfferedList& Offered() {
  static OfferedList list;
  return list;
}

PDisplay::DriverInfo Usual() {
  PDisplay::DriverInfo driver;
  driver.name = "display";
  driver.description = "Primary Display Driver";
  return driver;
}
}  // namespace

void PDisplay::SetOfferedDrivers(std::vector<OfferedDriver> drivers) {
  Offered().set = true;
  Offered().drivers = std::move(drivers);
}

void PDisplay::SetDesktopBitsPerPixel(int32_t bits) { Offered().desktopBits = bits; }

void PDisplay::ResetOfferedDrivers() { Offered() = OfferedList{}; }

PResult PDisplay::EnumerateDrivers(bool nonDisplay, std::vector<DriverInfo>& out) {
  out.clear();
  PResult r = PFailureInjection::Check("EnumerateDrivers");
  if (r != PResult::kOk) return r;
  const OfferedList& list = Offered();
  if (list.set) {
    // The system names the primary display driver in the second pass too.
    for (const OfferedDriver& d : list.drivers) {
      if (!nonDisplay ? !d.nonDisplay : (d.nonDisplay || !d.info.hasGuid)) out.push_back(d.info);
    }
    return PResult::kOk;
  }
  if (nonDisplay) return PResult::kOk;
  out.push_back(Usual());
  return PResult::kOk;
}

PResult PDisplay::Create(PWindow* window, const PGuid* driver, std::unique_ptr<PDisplay>& out) {
  out.reset();
  PResult r = PFailureInjection::Check("CreateDisplay");
  if (r != PResult::kOk) return r;
  const OfferedList& list = Offered();
  const OfferedDriver* offer = nullptr;
  if (list.set) {
    for (const OfferedDriver& d : list.drivers) {
      if (driver == nullptr ? !d.info.hasGuid : (d.info.hasGuid && d.info.guid == *driver)) {
        offer = &d;
        break;
      }
    }
    if (offer == nullptr) return PResult::kInvalidDriver;
  } else if (driver != nullptr) {
    return PResult::kInvalidDriver;  // only the primary driver exists
  }
  if (window == nullptr) return PResult::kInvalidParams;
  out.reset(new PDisplay(window));
  if (offer != nullptr) out->offer_ = std::make_unique<OfferedDriver>(*offer);
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
  out = offer_ ? offer_->caps : Caps{true, kVideoMemory, kVideoMemory, false};
  return PResult::kOk;
}

PResult PDisplay::Query3D() {
  PResult r = PFailureInjection::Check("Query3D");
  if (r != PResult::kOk) return r;
  has3D_ = true;
  return PResult::kOk;
}

bool PDisplay::OffersDevice(const PGuid& device) const {
  if (!offer_) return device == kDeviceGuid;
  for (const DeviceInfo& d : offer_->devices)
    if (d.hasGuid && d.guid == device) return true;
  return false;
}

PResult PDisplay::EnumerateDevices(std::vector<DeviceInfo>& out) const {
  out.clear();
  PResult r = PFailureInjection::Check("EnumerateDevices");
  if (r != PResult::kOk) return r;
  if (offer_) {
    out = offer_->devices;
    return PResult::kOk;
  }
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
  if (offer_) {
    out = offer_->modes;
    return PResult::kOk;
  }
  int32_t dw;
  int32_t dh;
  DesktopSize(dw, dh);
  for (const auto& size : kModeSizes)
    if (size[0] <= dw && size[1] <= dh) out.push_back(ModeInfo{size[0], size[1], 16, 0});
  return PResult::kOk;
}

PResult PDisplay::EnumerateZBufferFormats(const PGuid& device, std::vector<int32_t>& bitDepths) const {
  bitDepths.clear();
  PResult r = PFailureInjection::Check("EnumerateZBufferFormats");
  if (r != PResult::kOk) return r;
  if (!OffersDevice(device)) return PResult::kInvalidParams;
  if (offer_) bitDepths = offer_->zBufferDepths;
  else bitDepths.push_back(16);
  return PResult::kOk;
}

PResult PDisplay::SetCooperativeLevel() {
  PResult r = PFailureInjection::Check("SetCooperativeLevel");
  if (r != PResult::kOk) return r;
  if (!window_->Exists()) return PResult::kInvalidParams;
  cooperative_ = true;
  return PResult::kOk;
}

PResult PDisplay::SetNormalCooperativeLevel() {
  PResult r = PFailureInjection::Check("SetNormalCooperativeLevel");
  if (r != PResult::kOk) return r;
  cooperative_ = false;
  return PResult::kOk;
}

PResult PDisplay::GetDisplayMode(ModeInfo& out) const {
  PResult r = PFailureInjection::Check("GetDisplayMode");
  if (r != PResult::kOk) return r;
  if (modeSet_) {
    out = ModeInfo{width_, height_, 16, 0};
  } else {
    DesktopSize(out.width, out.height);
    out.bitsPerPixel = Offered().desktopBits;
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
  // A device drawing into the old back buffer goes with it.
  ReleaseDevice3D();
  zBuffer_ = nullptr;
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
  ReleaseDevice3D();
  ReleaseViewport();
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

PResult PDisplay::CreateDevice3D(const PGuid& device, P3DDevice*& out) {
  out = nullptr;
  PResult r = PFailureInjection::Check("CreateDevice");
  if (r != PResult::kOk) return r;
  if (!has3D_ || !back_) return PResult::kInvalidObject;
  if (!OffersDevice(device)) return PResult::kInvalidParams;
  device3D_ = std::make_unique<PSoft3DDevice>(back_.get());
  out = device3D_.get();
  return PResult::kOk;
}

void PDisplay::ReleaseDevice3D() {
  device3D_.reset();
  viewportAdded_ = false;
  viewportCurrent_ = false;
}

PResult PDisplay::CreateViewport() {
  PResult r = PFailureInjection::Check("CreateViewport");
  if (r != PResult::kOk) return r;
  viewportMade_ = true;
  viewport_ = Viewport{};
  return PResult::kOk;
}

PResult PDisplay::AddViewport() {
  PResult r = PFailureInjection::Check("AddViewport");
  if (r != PResult::kOk) return r;
  if (!device3D_ || !viewportMade_) return PResult::kInvalidObject;
  viewportAdded_ = true;
  return PResult::kOk;
}

PResult PDisplay::SetViewport(const Viewport& viewport) {
  PResult r = PFailureInjection::Check("SetViewport");
  if (r != PResult::kOk) return r;
  if (!viewportMade_ || !back_) return PResult::kInvalidObject;
  // The rectangle must lie on the render target.
  if (viewport.x < 0 || viewport.y < 0 || viewport.width < 1 || viewport.height < 1 ||
      viewport.width > back_->Width() - viewport.x || viewport.height > back_->Height() - viewport.y)
    return PResult::kInvalidParams;
  viewport_ = viewport;
  return PResult::kOk;
}

PResult PDisplay::SetCurrentViewport() {
  PResult r = PFailureInjection::Check("SetCurrentViewport");
  if (r != PResult::kOk) return r;
  if (!viewportAdded_) return PResult::kInvalidObject;
  viewportCurrent_ = true;
  return PResult::kOk;
}

void PDisplay::ReleaseViewport() {
  viewportMade_ = false;
  viewportAdded_ = false;
  viewportCurrent_ = false;
}

PResult PDisplay::GetGammaControl() {
  if (gammaControl_) return PResult::kOk;
  PResult r = PFailureInjection::Check("GammaControl");
  if (r != PResult::kOk) return r;
  if (!front_) return PResult::kInvalidObject;
  gammaControl_ = true;
  return PResult::kOk;
}

PResult PDisplay::SetGammaRamp(const PGammaRamp& ramp) {
  if (!gammaControl_) {
    PResult r = GetGammaControl();
    if (r != PResult::kOk) return r;
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
  if (!front_ || !window_->BackEnd().ShowsPictures()) return;
  presenter_.Convert(*front_);
  if (window_->Exists()) window_->Present(presenter_.Frame().data(), presenter_.FrameWidth(), presenter_.FrameHeight());
}

void PDisplay::PresentArea(const PRect& area) {
  if (!front_ || !window_->BackEnd().ShowsPictures()) return;
  presenter_.Convert(*front_);
  if (window_->Exists()) {
    window_->PresentArea(presenter_.Frame().data(), presenter_.FrameWidth(), presenter_.FrameHeight(), area);
  }
}

PResult PDisplay::RestoreAllSurfaces() { return PFailureInjection::Check("RestoreAllSurfaces"); }

void PDisplay::FlipToGDISurface() {
  // The window always shows the front buffer: there is no other surface to turn to.
}

bool PDisplay::WritePresentedFrame(const std::string& path) const {
  if (presenter_.Frame().empty()) return false;
  return PBitmapFile::WritePixels(presenter_.Frame().data(), presenter_.FrameWidth(), presenter_.FrameHeight(), path);
}
