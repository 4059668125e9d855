// The view-volume box test, single-point projection, shapes drawn in screen space over the
// 3-D frame, and the fog and depth setters.
#include <cmath>
#include <cstring>

#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"

// The fog switch as last set, for the whole process: off until the first call.
bool gGraph3DFogOn = false;


int32_t GGraph3D::TestBox(float x, float y, float z, float hx, float hy, float hz) const {
  const float(&m)[4][4] = stack_[current_].m;
  // Corners 0 (-,-,-), 1 (+,-,-), 2 (+,+,-), 3 (-,+,-), then the same with +z.
  static const int kSigns[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                   {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
  uint32_t inside[8];
  for (int i = 0; i < 8; ++i) {
    float px = kSigns[i][0] < 0 ? x - hx : x + hx;
    float py = kSigns[i][1] < 0 ? y - hy : y + hy;
    float pz = kSigns[i][2] < 0 ? z - hz : z + hz;
    float cxv = (px * m[0][0] + py * m[1][0] + pz * m[2][0] + m[3][0]) * sx_;
    float cyv = (px * m[0][1] + py * m[1][1] + pz * m[2][1] + m[3][1]) * sy_;
    float w = -(px * m[0][2] + py * m[1][2] + pz * m[2][2] + m[3][2]);
    float cz = w * depthScale_ + depthOffset_;
    inside[i] = (cxv > -w ? 1u : 0u) | (cxv < w ? 2u : 0u) | (cyv > -w ? 4u : 0u) | (cyv < w ? 8u : 0u) |
                (cz > 0.0f ? 16u : 0u) | ((cz < w || noZWrite_) ? 32u : 0u);
  }
  constexpr uint32_t kAll = 0x3F;
  if (inside[0] == kAll) {
    for (int i = 1; i < 8; ++i)
      if (inside[i] != kAll) return 0;
    return 1;
  }
  for (int i = 1; i < 8; ++i)
    if (inside[i] == kAll) return 0;
  uint32_t anyInside = 0;
  for (uint32_t flags : inside) anyInside |= flags;
  return anyInside != kAll ? -1 : 0;  // some plane has every corner outside it
}

bool GGraph3D::ProjectToScreen(float* x, float* y, float z, bool clamp) const {
  const float(&m)[4][4] = stack_[current_].m;
  float px = *x, py = *y;
  float camX = (px * m[0][0] + py * m[1][0] + z * m[2][0] + m[3][0]) * sx_;
  float camY = (px * m[0][1] + py * m[1][1] + z * m[2][1] + m[3][1]) * sy_;
  float camZ = px * m[0][2] + py * m[1][2] + z * m[2][2] + m[3][2];
  float screenX = 0.0f, screenY = 0.0f;
  if (camZ != 0.0f) {
    screenX = cx_ - (camX / camZ) * hw_;
    screenY = (camY / camZ) * hh_ + cy_;
  }
  bool outside = false;
  if (screenX < cx_ - hw_) {
    outside = true;
    if (clamp) screenX = cx_ - hw_;
  } else if (screenX > cx_ + hw_) {
    outside = true;
    if (clamp) screenX = cx_ + hw_;
  }
  if (screenY < cy_ - hh_) {
    outside = true;
    if (clamp) screenY = cy_ - hh_;
  } else if (screenY > cy_ + hh_) {
    outside = true;
    if (clamp) screenY = cy_ + hh_;
  }
  *x = screenX;
  *y = screenY;
  return camZ < 0.0f && !outside;
}

bool GGraph3D::PrepareScreenRect(GRect& rect, uint16_t pixel, ColouredScreenVertex out[4]) const {
  int32_t rightLimit = TruncateToInt32(cx_ + hw_);
  if (static_cast<float>(rect.left) < cx_ - hw_)
    rect.left = TruncateToInt32(cx_ - hw_);
  else if (rect.left > rightLimit)
    rect.left = rightLimit;
  if (rect.right < rect.left) return false;
  if (rect.right > rightLimit) rect.right = rightLimit;

  int32_t bottomLimit = TruncateToInt32(cy_ + hh_);
  if (static_cast<float>(rect.top) < cy_ - hh_)
    rect.top = TruncateToInt32(cy_ - hh_);
  else if (rect.top > bottomLimit)
    rect.top = bottomLimit;
  if (rect.bottom < rect.top) return false;
  if (rect.bottom > bottomLimit) rect.bottom = bottomLimit;

  uint32_t colour = host_->PixelToARGB(pixel);
  float left = static_cast<float>(rect.left), top = static_cast<float>(rect.top);
  float right = static_cast<float>(rect.right), bottom = static_cast<float>(rect.bottom);
  out[0] = {left, top, 0.0f, 900000.0f, colour};
  out[1] = {left, bottom, 0.0f, 900000.0f, colour};
  out[2] = {right, bottom, 0.0f, 900000.0f, colour};
  out[3] = {right, top, 0.0f, 900000.0f, colour};
  return true;
}

void GGraph3D::FillRect2D(const GRect& rect, uint16_t pixel) {
  if (pickMode_ != 0) return;
  GRect r = rect;
  r.right += 1;
  r.bottom += 1;
  ColouredScreenVertex v[4];
  if (!PrepareScreenRect(r, pixel, v)) return;
  if (texture_ != nullptr) DisableStage();
  P3DDevice* device = host_->Device();
  if (device->SetRenderState(P3DState::kZFunc, P3DCompare::kAlways) != PResult::kOk) FatalError(5527, "GGraph3D");
  DrawPrimitive(device, P3DPrimitive::kTriangleFan, kP3DColouredFormat, v, 4);
  if (device->SetRenderState(P3DState::kZFunc, P3DCompare::kLessEqual) != PResult::kOk) FatalError(5532, "GGraph3D");
}

void GGraph3D::FrameRect2D(GRect& rect, uint16_t pixel) {
  if (pickMode_ != 0) return;
  rect.right -= 1;
  rect.bottom -= 1;
  ColouredScreenVertex v[4];
  if (!PrepareScreenRect(rect, pixel, v)) return;
  DrawLine2D(rect.left, rect.top, rect.left, rect.bottom, pixel, 1);
  DrawLine2D(rect.left, rect.bottom, rect.right, rect.bottom, pixel, 1);
  DrawLine2D(rect.right, rect.bottom, rect.right, rect.top, pixel, 1);
  DrawLine2D(rect.right, rect.top, rect.left, rect.top, pixel, 1);
}

void GGraph3D::DrawLine2D(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t pixel, int16_t width) {
  if (pickMode_ != 0) return;
  constexpr float kPi = 3.14159265f;
  float dx = static_cast<float>(x1 - x2), dy = static_cast<float>(y1 - y2);
  float angle;
  if (dx == 0.0f) {
    angle = dy < 0.0f ? 1.5f * kPi : 0.5f * kPi;
  } else {
    angle = std::atan(dy / dx);
    if (dx < 0.0f)
      angle += kPi;
    else if (angle < 0.0f)
      angle += 2.0f * kPi;
  }
  angle += 0.5f * kPi;  // the normal of the line
  float half = static_cast<float>(width) * 0.5f;
  float ox = half * std::cos(angle), oy = half * std::sin(angle);
  uint32_t colour = host_->PixelToARGB(pixel);
  float fx1 = static_cast<float>(x1), fy1 = static_cast<float>(y1);
  float fx2 = static_cast<float>(x2), fy2 = static_cast<float>(y2);
  ColouredScreenVertex v[4] = {{fx1 + ox, fy1 + oy, 0.0f, 1.0f, colour},
                               {fx2 + ox, fy2 + oy, 0.0f, 1.0f, colour},
                               {fx2 - ox, fy2 - oy, 0.0f, 1.0f, colour},
                               {fx1 - ox, fy1 - oy, 0.0f, 1.0f, colour}};
  SetColor(1.0f, 1.0f, 1.0f);
  uint32_t saved = colour_;
  colour_ = 0xFFFFFFFFu;  // never translucent: drawn at once
  DrawPrimitive(host_->Device(), P3DPrimitive::kTriangleFan, kP3DColouredFormat, v, 4);
  colour_ = saved;
}

bool GGraph3D::SetFog(bool on) {
  if (on == gGraph3DFogOn) return gGraph3DFogOn;
  bool previous = gGraph3DFogOn;
  gGraph3DFogOn = on;
  if (fogCapable_) {
    P3DDevice* device = host_->Device();
    device->SetRenderState(P3DState::kFogEnable, on ? 1 : 0);
    if (on) device->SetRenderState(P3DState::kFogTableMode, P3DFog::kLinear);
  }
  return previous;
}

void GGraph3D::SetFogColor(float a, float b, float c) {
  auto byte = [](float f) {
    float v = f * 255.0f;
    if (!(v >= 0.0f)) return 0u;
    return v >= 255.0f ? 255u : static_cast<uint32_t>(v);
  };
  host_->Device()->SetRenderState(P3DState::kFogColor, byte(a) | byte(b) << 8 | byte(c) << 16);
}

void GGraph3D::SetFogRange(float start, float end) {
  uint32_t startBits, endBits;
  std::memcpy(&startBits, &start, 4);
  std::memcpy(&endBits, &end, 4);
  P3DDevice* device = host_->Device();
  device->SetRenderState(P3DState::kFogTableStart, startBits);
  device->SetRenderState(P3DState::kFogTableEnd, endBits);
}
