#pragma once
// A renderer on a recording or software device, for the renderer's tests.
#include <memory>

#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "framework/media/GGraph3DTexture.h"
#include "framework/media/GQueuedText.h"
#include "platform/PRecording3DDevice.h"
#include "platform/PSoft3DDevice.h"
#include "platform/PSurface.h"

// Opens the renderer's working state to the tests.
class RendererProbe : public GGraph3D {
 public:
  using GGraph3D::ClipVertex;
  using GGraph3D::CompareTranslucentItems;
  using GGraph3D::GGraph3D;
  using GGraph3D::TranslucentItem;
  uint32_t Colour() const { return colour_; }
  uint32_t PreparedColour(int i) const { return coloured_[i].colour; }
  GGraph3DTexture* BoundTexture() const { return texture_; }
  size_t QueueBytes() const { return queueWrite_; }
  size_t AlphaBytes() const { return alphaWrite_; }
  int32_t Depth() const { return current_; }
  float ScaleX() const { return sx_; }
  float ScaleY() const { return sy_; }
  float DepthScale() const { return depthScale_; }
  float DepthOffset() const { return depthOffset_; }
  float CentreX() const { return cx_; }
  float CentreY() const { return cy_; }
  float HalfWidth() const { return hw_; }
  float HalfHeight() const { return hh_; }
  bool SortIndependent() const { return sortIndependent_; }
  bool FogCapable() const { return fogCapable_; }
  void SetPickMode(int32_t mode, int32_t counter, int32_t picked, P3DDevice* device) {
    pickMode_ = mode;
    primitiveCounter_ = counter;
    pickedPrimitive_ = picked;
    pickDevice_ = device;
  }
  int32_t PrimitiveCounter() const { return primitiveCounter_; }
  bool PickHit() const { return pickHit_; }
  const float* PickPoint() const { return pickPoint_; }
  float PickAngle(int i) const { return pickAngles_[i]; }
  int32_t PickedPrimitive() const { return pickedPrimitive_; }
  bool Clipping() const { return clipping_; }
  int32_t QueuedTexts() const { return textQueue_.Count(); }
  const GQueuedText& QueuedText(int32_t i) const { return *static_cast<const GQueuedText*>(textQueue_.GetItem(i)); }
  const PSurface* PickTarget() const { return pickTarget_.get(); }
  GTransform& Top() { return Current(); }
};

// A graphic with a fixed texture.
class FakeGraphic : public GGraph3DTexture {
 public:
  explicit FakeGraphic(const PSurface* texture) : texture_(texture) {}
  const PSurface* GetTexture() const override { return texture_; }

 private:
  const PSurface* texture_;
};

// A 64 x 48 screen seen through a 90-degree camera at the origin looking down -z, near 1,
// far 100; back-face culling as constructed.
struct RecordingRig {
  PSurface screen{64, 48, PPixelFormat::kRGB565};
  PRecording3DDevice device;
  GGraph3DHost host{&device, &screen};
  std::unique_ptr<RendererProbe> r;

  explicit RecordingRig(bool sortIndependent = false) {
    P3DCaps caps;
    caps.fog = true;
    caps.translucentSortIndependent = sortIndependent;
    caps.maxTextureWidth = 512;
    caps.maxTextureHeight = 1024;
    device.SetCaps(caps);
    r = std::make_unique<RendererProbe>(&host);
    r->Init3D();
    r->SetProjection(0, 0, 64, 48, 90.0f, 1.0f, 100.0f);
    device.ClearCalls();
  }
};

// The software device draws on two threads here, so that every renderer test also shows
// that the strips come out exactly as one thread draws them.
constexpr int32_t kRendererTestThreads = 2;

struct SoftRig {
  PSurface screen;
  PSoft3DDevice device;
  GGraph3DHost host;
  std::unique_ptr<RendererProbe> r;

  SoftRig(int w = 64, int h = 48, bool hardware = true)
      : screen(w, h, PPixelFormat::kRGB565), device(&screen, kRendererTestThreads), host(&device, &screen, hardware) {
    r = std::make_unique<RendererProbe>(&host);
    r->Init3D();
    r->SetProjection(0, 0, w, h, 90.0f, 1.0f, 100.0f);
  }
  int Lit() const {
    int n = 0;
    for (int y = 0; y < screen.Height(); ++y)
      for (int x = 0; x < screen.Width(); ++x) n += screen.Row16(y)[x] != 0;
    return n;
  }
};
