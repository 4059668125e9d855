#pragma once
#include "framework/core/GObject.h"

// An object's culling box: centre and half extents in world coordinates. Model code tests
// it against the view before drawing, and passes "not wholly inside" as the clip flag of
// the strip and fan calls.
class GBoundingBox : public GObject {
 public:
  static constexpr float kUnset = -9999999.0f;

  // At the origin, not yet set.
  GBoundingBox();
  ~GBoundingBox() override;

  // A box over a footprint of width by depth, from baseZ up by height. The half extents are
  // the sizes divided by 1.9, a little more than half, as a margin.
  void Set(float x, float y, float baseZ, float width, float depth, float height);
  // Whether any of the box may be in view through the renderer's current transform; when
  // notWhollyInside is given it tells whether the box may reach outside the view. Fatal for
  // a box that was never set.
  bool IsVisible(bool* notWhollyInside = nullptr) const;

  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float hx = kUnset;
  float hy = 0.0f;
  float hz = 0.0f;
};
