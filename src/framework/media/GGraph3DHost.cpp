#include "framework/media/GGraph3DHost.h"

#include "framework/core/Quorl.h"
#include "platform/PSurface.h"

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
