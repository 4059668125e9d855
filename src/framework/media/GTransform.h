#pragma once
#include "framework/core/GObject.h"

// A 4 x 4 transform stored by rows: the X, Y and Z axis rows, then the translation row.
// Points are row vectors: p = (x, y, z) maps to x * row 0 + y * row 1 + z * row 2 + row 3.
// The fourth column is carried along; only the identity and the camera set-up touch it.
class GTransform : public GObject {
 public:
  // All sixteen values 0.
  GTransform();
  GTransform(const GTransform& other) = default;
  GTransform& operator=(const GTransform& other) = default;
  ~GTransform() override;

  void LoadIdentity();

  float m[4][4];
};
