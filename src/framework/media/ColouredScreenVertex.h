#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/P3DDevice.h"

// A pre-transformed coloured vertex as the 3-D device takes it: x, y in pixels, z from 0 at
// the near plane to 1 at the far plane, rhw = 1 / distance, and a 0xAARRGGBB colour.
struct ColouredScreenVertex {
  float x;
  float y;
  float z;
  float rhw;
  uint32_t colour;
};
static_assert(sizeof(ColouredScreenVertex) == kP3DColouredVertexSize);
static_assert(offsetof(ColouredScreenVertex, colour) == 16);
