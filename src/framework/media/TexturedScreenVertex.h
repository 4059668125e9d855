#pragma once
#include <cstddef>

#include "platform/P3DDevice.h"

// A pre-transformed textured vertex as the 3-D device takes it: x, y in pixels, z from 0 at
// the near plane to 1 at the far plane, rhw = 1 / distance, and the texture coordinates.
struct TexturedScreenVertex {
  float x;
  float y;
  float z;
  float rhw;
  float u;
  float v;
};
static_assert(sizeof(TexturedScreenVertex) == kP3DTexturedVertexSize);
static_assert(offsetof(TexturedScreenVertex, u) == 16);
