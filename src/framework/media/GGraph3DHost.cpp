#include "framework/media/GGraph3DHost.h"

#include "framework/core/Quorl.h"
#include "platform/PBitmapFile.h"
#include "platform/PSurface.h"
#include "platform/PWindow.h"

GGraph3DHost::GGraph3DHost(P3DDevice* device, PSurface* backBuffer, bool hardwareDevice, bool separate3DCard)
    : device_(device), backBuffer_(backBuffer), hardwareDevice_(hardwareDevice), separate3DCard_(separate3DCard) {}

GGraph3DHost::~GGraph3DHost() = default;

int32_t GGraph3DHost::ScreenWidth() const { return backBuffer_ ? backBuffer_->Width() : 0; }

int32_t GGraph3DHost::ScreenHeight() const { return backBuffer_ ? backBuffer_->Height() : 0; }

void GGraph3DHost::SetDefaultRenderStates() {
  P3DDevice* d = Device();
  if (d->SetRenderState(P3DState::kZEnable, 1) != PResult::kOk) FatalError(1999, "GKernel");
  if (d->SetRenderState(P3DState::kZFunc, P3DCompare::kLessEqual) != PResult::kOk) FatalError(2001, "GKernel");
  if (d->SetRenderState(P3DState::kCullMode, P3DCull::kNone) != PResult::kOk) FatalError(2003, "GKernel");
  if (d->SetRenderState(P3DState::kShadeMode, P3DShade::kFlat) != PResult::kOk) FatalError(2007, "GKernel");
  bool hardware = IsHardwareDevice();
  // Failures of these are of no consequence.
  d->SetTextureStageState(0, P3DStageState::kMagFilter, hardware ? P3DFilter::kLinear : P3DFilter::kPoint);
  d->SetTextureStageState(0, P3DStageState::kMinFilter, P3DFilter::kPoint);
  d->SetRenderState(P3DState::kDitherEnable, hardware ? 1 : 0);
  d->SetRenderState(P3DState::kAlphaBlendEnable, hardware ? 1 : 0);
  d->SetRenderState(P3DState::kSrcBlend, P3DBlend::kSrcAlpha);
  d->SetRenderState(P3DState::kDestBlend, P3DBlend::kInvSrcAlpha);
  if (d->SetRenderState(P3DState::kAlphaTestEnable, 1) != PResult::kOk) FatalError(2032, "GKernel");
  if (d->SetRenderState(P3DState::kAlphaRef, 0) != PResult::kOk) FatalError(2034, "GKernel");
  if (d->SetRenderState(P3DState::kAlphaFunc, P3DCompare::kGreater) != PResult::kOk) FatalError(2036, "GKernel");
}

PResult GGraph3DHost::Flip() { return PResult::kOk; }

void GGraph3DHost::FlipToGDISurface() {}

uint32_t GGraph3DHost::PixelToARGB(uint16_t pixel) const {
  // Each channel as a fraction of its largest value, in single precision, times 255.
  auto widen = [](uint32_t value, float largest) {
    float fraction = static_cast<float>(value) / largest;
    return static_cast<uint32_t>(fraction * 255.0);
  };
  return 0xFF000000u | widen(pixel >> 11, 31.0f) << 16 | widen((pixel >> 5) & 63, 63.0f) << 8 |
         widen(pixel & 31, 31.0f);
}

void GGraph3DHost::ReadPixelFormat() {}

uint32_t GGraph3DHost::RGBToPixel(int32_t r, int32_t g, int32_t b) const {
  const uint32_t rgb = (static_cast<uint32_t>(r) & 255) << 16 | (static_cast<uint32_t>(g) & 255) << 8 |
                       (static_cast<uint32_t>(b) & 255);
  return PBitmapFile::ToPixel(rgb, PPixelFormat::kRGB565);
}

PResult GGraph3DHost::CreateSurface(int32_t width, int32_t height, PPixelFormat format,
                                    std::unique_ptr<PSurface>& out) {
  if (display_ != nullptr) return display_->CreateSurface(width, height, format, out);
  out.reset();
  if (width < 1 || height < 1) return PResult::kInvalidParams;
  out = std::make_unique<PSurface>(width, height, format);
  return PResult::kOk;
}

PResult GGraph3DHost::GetDisplayCaps(PDisplay::Caps& out) const {
  if (display_ == nullptr) return PResult::kUnsupported;
  return display_->GetCaps(out);
}

void GGraph3DHost::ShowSystemCursor(bool show) {
  if (window_ == nullptr) return;
  for (int32_t i = 0; i < 99; ++i) {
    int32_t count = window_->ShowCursor(show);
    if (show ? count >= 0 : count < 0) break;
  }
}

void GGraph3DHost::SetCursorPos(int32_t x, int32_t y) {
  if (window_ != nullptr) window_->SetCursorPos(x, y);
}

void GGraph3DHost::ReportVideoMemory(int32_t /*freeKiB*/, bool /*nonLocalTextures*/) {}
