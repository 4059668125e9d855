#include "framework/media/GBoundingBox.h"

#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"

GBoundingBox::GBoundingBox() = default;

GBoundingBox::~GBoundingBox() = default;

void GBoundingBox::Set(float cx, float cy, float baseZ, float width, float depth, float height) {
  x = cx;
  y = cy;
  z = baseZ + height * 0.5f;
  constexpr float kHalfWithMargin = 0.5263157894736842f;  // 1 / 1.9
  hx = width * kHalfWithMargin;
  hy = depth * kHalfWithMargin;
  hz = height * kHalfWithMargin;
}

bool GBoundingBox::IsVisible(bool* notWhollyInside) const {
  if (hx == kUnset) FatalError(5865, "GGraph3D");
  if (gGraph3D == nullptr) FatalError(__LINE__, "GBoundingBox");
  int32_t result = gGraph3D->TestBox(x, y, z, hx, hy, hz);
  if (notWhollyInside != nullptr) *notWhollyInside = result <= 0;
  return result >= 0;
}
