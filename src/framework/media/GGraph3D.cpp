#include "framework/media/GGraph3D.h"

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3DHost.h"
#include "framework/media/GGraph3DTexture.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GGraphicFactory.h"
#include "framework/media/GGraphicHost.h"
#include "platform/PSoft3DDevice.h"

GGraph3D* gGraph3D = nullptr;
extern bool gGraph3DFogOn;

namespace {
// A fatal error deletes the renderer first, which gives the display back.
void ReleaseRenderer() { SafeDelete(gGraph3D); }
}  // namespace

GGraph3D::GGraph3D(GGraph3DHost* host) : host_(host), queue_(kQueueBytes), alpha_(kAlphaBytes) {
  textQueue_.IObjectGroup();
  SetFatalErrorCleanup(&ReleaseRenderer);
}

GGraph3D::~GGraph3D() {
  if (host_ != nullptr) host_->FlipToGDISurface();
  // At quit the graphics store gives the fonts and the cursor back itself.
  if (host_ == nullptr || !host_->IsQuitting()) {
    for (GGraphic*& font : fonts_) SafeDelete(font);
    SafeDelete(cursor_);
  }
  pickDevice_ = nullptr;
  pickEngine_.reset();
  pickTarget_.reset();
  mixer_.reset();
  if (gGraph3D == this) gGraph3D = nullptr;
}

bool GGraph3D::Init3D() {
  pickMode_ = 0;
  texture_ = nullptr;
  host_->SetDefaultRenderStates();
  host_->ReadPixelFormat();
  ready_ = true;
  colour_ = 0xFFFFFFFFu;

  if (!SetUpPickEngine() || !SetUpPickViewport()) return false;
  if (!CreateFontMixer()) return false;

  P3DDevice* device = host_->Device();
  P3DCaps caps;
  if (device->GetCaps(caps) == PResult::kOk) {
    fogCapable_ = caps.fog;
    sortIndependent_ = caps.translucentSortIndependent;
    maxTextureSize_ = caps.maxTextureWidth < caps.maxTextureHeight ? caps.maxTextureWidth : caps.maxTextureHeight;
  } else {
    GErrorLog::LogError("FAILED 3D: Device GetCaps");
    fogCapable_ = false;
    sortIndependent_ = false;
    maxTextureSize_ = 256;
  }
  if (sortIndependent_) device->SetRenderState(P3DState::kTranslucentSortIndependent, 1);
  // The fog switch outlives the renderer; a new device starts in step with it.
  if (fogCapable_ && gGraph3DFogOn) {
    device->SetRenderState(P3DState::kFogEnable, 1);
    device->SetRenderState(P3DState::kFogTableMode, P3DFog::kLinear);
  }
  if (maxTextureSize_ < 256) maxTextureSize_ = 256;

  // The fonts and the cursor come from the graphics store.
  const bool graphics = GGraphicHost::Current() != nullptr;
  if (graphics)
    for (int32_t n = 0; n < kFontCount; ++n) LoadFont(n);

  LoadIdentity();
  SetAlpha(1.0f);
  SetColor(1.0f, 1.0f, 1.0f);

  cursorHidden_ = false;
  SafeDelete(cursor_);
  if (graphics && ready_ && host_->IsSeparate3DCard()) cursor_ = GGraphicFactory::NewGraphicOfKind(1, kCursorBitmap);
  return true;
}

// ---- Colour, texture and render state ----

namespace {
// A colour fraction clamped to [0, 1]; not-a-number gives 0.
float Fraction(float f) {
  if (!(f >= 0.0f)) return 0.0f;
  return f > 1.0f ? 1.0f : f;
}
}  // namespace

void GGraph3D::PrepareColours() {
  for (ColouredScreenVertex& v : coloured_) v.colour = colour_;
}

void GGraph3D::DisableStage() {
  P3DDevice* device = host_->Device();
  device->SetTextureStageState(0, P3DStageState::kAlphaOp, P3DTextureOp::kDisable);
  device->SetTextureStageState(0, P3DStageState::kColorOp, P3DTextureOp::kDisable);
  texture_ = nullptr;
}

void GGraph3D::SetColor(float r, float g, float b) {
  if (pickMode_ != 0) return;
  r *= colourScale_[0];
  g *= colourScale_[1];
  b *= colourScale_[2];
  if (texture_ != nullptr) DisableStage();
  uint32_t red = static_cast<uint32_t>(255.0f * Fraction(r));
  uint32_t green = static_cast<uint32_t>(255.0f * Fraction(g));
  uint32_t blue = static_cast<uint32_t>(255.0f * Fraction(b));
  colour_ = (colour_ & 0xFF000000u) | red << 16 | green << 8 | blue;
  PrepareColours();
}

void GGraph3D::SetAlpha(float a) {
  if (pickMode_ != 0) return;
  uint32_t alpha = static_cast<uint32_t>(255.0f * Fraction(a));
  colour_ = (colour_ & 0x00FFFFFFu) | alpha << 24;
  PrepareColours();
}

void GGraph3D::SwapColorScale(const float* newScale, float* oldScale) {
  if (newScale == nullptr) FatalError(2584, "GGraph3D");
  if (oldScale != nullptr)
    for (int i = 0; i < 3; ++i) oldScale[i] = colourScale_[i];
  for (int i = 0; i < 3; ++i) colourScale_[i] = newScale[i];
}

void GGraph3D::SetColorScale(float s) { colourScale_[0] = colourScale_[1] = colourScale_[2] = s; }

void GGraph3D::GetColorScale(float* out) const {
  if (out == nullptr) FatalError(2603, "GGraph3D");
  for (int i = 0; i < 3; ++i) out[i] = colourScale_[i];
}

void GGraph3D::SetTexture(GGraph3DTexture* graphic) {
  if (pickMode_ != 0 || graphic == nullptr) return;
  // Compared by surface, not by graphic: a graphic made where a deleted one lived has the same
  // address but its own picture, and must be bound.
  const PSurface* surface = graphic->GetTexture();
  if (texture_ != nullptr && surface == boundSurface_) {
    texture_ = graphic;
    return;
  }
  if (surface == nullptr) GErrorLog::LogError(">>> Set NULL Texture");
  P3DDevice* device = host_->Device();
  if (device->SetTexture(0, surface) != PResult::kOk) FatalError(2523, "GGraph3D");
  if (texture_ == nullptr) {
    device->SetTextureStageState(0, P3DStageState::kColorOp, P3DTextureOp::kSelectArg1);
    device->SetTextureStageState(0, P3DStageState::kAlphaOp,
                                 translucentPhase_ ? P3DTextureOp::kModulate : P3DTextureOp::kSelectArg1);
  }
  texture_ = graphic;
  boundSurface_ = surface;
}

void GGraph3D::SetNoZWrite(bool on) {
  noZWrite_ = on;
  host_->Device()->SetRenderState(P3DState::kZWriteEnable, on ? 0 : 1);
}

void GGraph3D::BeginScreenBounds() {
  if (pickMode_ != 0) return;
  recordingBounds_ = true;
  boundsMinX_ = boundsMinY_ = 999999.0f;
  boundsMaxX_ = boundsMaxY_ = -999999.0f;
}

void GGraph3D::EndScreenBounds(GRect& rect) {
  rect.left = TruncateToInt32(boundsMinX_);
  rect.top = TruncateToInt32(boundsMinY_);
  rect.right = TruncateToInt32(boundsMaxX_);
  rect.bottom = TruncateToInt32(boundsMaxY_);
  recordingBounds_ = false;
}

void GGraph3D::WidenScreenBounds(float x, float y) {
  if (x < boundsMinX_) boundsMinX_ = x;
  if (x > boundsMaxX_) boundsMaxX_ = x;
  if (y < boundsMinY_) boundsMinY_ = y;
  if (y > boundsMaxY_) boundsMaxY_ = y;
}

void GGraph3D::SetMipmapsAllowed(bool /*allowed*/) { mipmapsAllowed_ = false; }

bool GGraph3D::SetMipmapsWanted(bool /*wanted*/) {
  mipmapsWanted_ = false;
  return false;
}

// ---- Frame begin and end ----

bool GGraph3D::RenderBegin() {
  triangles_ = {};
  queueWrite_ = 0;
  texture_ = nullptr;
  P3DDevice* device = host_->Device();
  P3DRect screen{0, 0, host_->ScreenWidth(), host_->ScreenHeight()};
  if (device->Clear(&screen, 1, kP3DClearZBuffer, 0, 1.0f) != PResult::kOk) FatalError(2700, "GGraph3D");
  PResult result = device->BeginScene();
  if (result != PResult::kOk) {
    GErrorLog::LogValue("GGraph3D::RenderBegin failure (BeginScene) error code ", PResultCode(result));
    GErrorLog::LogValue("  NOTE: DDERR_SURFACELOST = ", PResultCode(PResult::kSurfaceLost));
    return false;
  }
  alphaWrite_ = 0;
  device->SetTextureStageState(0, P3DStageState::kColorArg1, P3DTextureArg::kTexture);
  device->SetTextureStageState(0, P3DStageState::kAlphaArg1, P3DTextureArg::kTexture);
  device->SetTextureStageState(0, P3DStageState::kAlphaArg2, P3DTextureArg::kTextureFactor);
  device->SetTextureStageState(0, P3DStageState::kAlphaOp, P3DTextureOp::kDisable);
  device->SetTextureStageState(0, P3DStageState::kColorOp, P3DTextureOp::kDisable);
  texture_ = nullptr;
  return true;
}

void GGraph3D::RenderEnd() {
  FlushTextQueue();
  if (queueWrite_ > 0) DrainTranslucentQueue();
  PResult result = host_->Device()->EndScene();
  if (result != PResult::kOk) {
    GErrorLog::LogValue("EndScene error: ", PResultCode(result));
    return;
  }
  result = host_->Flip();
  if (result != PResult::kOk) GErrorLog::LogValue("Flip error: ", PResultCode(result));
}

// ---- Texture memory ----

bool GGraph3D::DownsampleTexture(int32_t* previousLevel) {
  if (previousLevel != nullptr) *previousLevel = downsampleLevel_;
  bool exhausted = textureMemoryExhausted_;
  if (exhausted) {
    ++downsampleLevel_;
    GErrorLog::LogValue("** DOWNSAMPLE level ", downsampleLevel_);
    textureMemory_ = 0;
  }
  textureMemoryExhausted_ = false;
  return exhausted;
}
