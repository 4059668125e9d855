#pragma once
#include <cstdint>

#include "platform/PResult.h"

class PSurface;

// The 3-D device the renderer draws through. The renderer transforms, culls, clips and
// projects every vertex itself, so a device only rasterises pre-transformed triangles into
// its target and keeps the small render state listed below. The numbers of states, values,
// primitive types and vertex formats are those of the classic immediate-mode interface, so
// that log lines and tests speak the same numbers.

// Device calls answer with the display layer's results (PResult::kOk on success).

// Render states (the values the renderer writes are listed beside each).
enum class P3DState : uint32_t {
  kZEnable = 7,                      // 0 / 1
  kShadeMode = 9,                    // P3DShade
  kZWriteEnable = 14,                // 0 / 1
  kAlphaTestEnable = 15,             // 0 / 1
  kSrcBlend = 19,                    // P3DBlend
  kDestBlend = 20,                   // P3DBlend
  kCullMode = 22,                    // P3DCull
  kZFunc = 23,                       // P3DCompare
  kAlphaRef = 24,                    // 0..255
  kAlphaFunc = 25,                   // P3DCompare
  kDitherEnable = 26,                // 0 / 1
  kAlphaBlendEnable = 27,            // 0 / 1
  kFogEnable = 28,                   // 0 / 1
  kFogColor = 34,                    // 0x00RRGGBB
  kFogTableMode = 35,                // P3DFog
  kFogTableStart = 36,               // the bits of a float
  kFogTableEnd = 37,                 // the bits of a float
  kTranslucentSortIndependent = 51,  // 0 / 1
  kTextureFactor = 60,               // 0xAARRGGBB
};
constexpr uint32_t kP3DStateCount = 64;

// States of a texture stage.
enum class P3DStageState : uint32_t {
  kColorOp = 1,
  kColorArg1 = 2,
  kColorArg2 = 3,
  kAlphaOp = 4,
  kAlphaArg1 = 5,
  kAlphaArg2 = 6,
  kMagFilter = 16,
  kMinFilter = 17,
};
constexpr uint32_t kP3DStageStateCount = 32;

namespace P3DCompare {
constexpr uint32_t kNever = 1, kLess = 2, kEqual = 3, kLessEqual = 4, kGreater = 5, kNotEqual = 6,
                   kGreaterEqual = 7, kAlways = 8;
}
namespace P3DBlend {
constexpr uint32_t kZero = 1, kOne = 2, kSrcAlpha = 5, kInvSrcAlpha = 6;
}
namespace P3DCull {
constexpr uint32_t kNone = 1, kClockwise = 2, kCounterClockwise = 3;
}
namespace P3DShade {
constexpr uint32_t kFlat = 1, kGouraud = 2;
}
namespace P3DFog {
constexpr uint32_t kNone = 0, kLinear = 3;
}
namespace P3DTextureOp {
constexpr uint32_t kDisable = 1, kSelectArg1 = 2, kSelectArg2 = 3, kModulate = 4;
}
namespace P3DTextureArg {
constexpr uint32_t kDiffuse = 0, kCurrent = 1, kTexture = 2, kTextureFactor = 3;
}
namespace P3DFilter {
constexpr uint32_t kPoint = 1, kLinear = 2;
}

// Primitive types.
enum class P3DPrimitive : uint32_t { kTriangleList = 4, kTriangleStrip = 5, kTriangleFan = 6 };

// Vertex formats. Coloured: x, y (pixels), z (0..1), rhw, then a 0xAARRGGBB colour; 20 bytes.
// Textured: x, y, z, rhw, u, v; 24 bytes. All floats little-endian, packed.
constexpr uint32_t kP3DColouredFormat = 0x44;
constexpr uint32_t kP3DTexturedFormat = 0x104;
constexpr int32_t kP3DColouredVertexSize = 20;
constexpr int32_t kP3DTexturedVertexSize = 24;

// Draw flags the renderer always passes (no clipping, lighting or extents by the device).
constexpr uint32_t kP3DDrawFlags = 0x1C;

// Clear flags.
constexpr uint32_t kP3DClearTarget = 1;
constexpr uint32_t kP3DClearZBuffer = 2;

// A rectangle in target pixels, right and bottom exclusive.
struct P3DRect {
  int32_t left, top, right, bottom;
};

// What a device can do.
struct P3DCaps {
  bool fog = false;                        // table fog in eye distance
  bool translucentSortIndependent = false;  // blends correctly in any order
  int32_t maxTextureWidth = 256;
  int32_t maxTextureHeight = 256;
};

class P3DDevice {
 public:
  virtual ~P3DDevice() = default;

  virtual PResult GetCaps(P3DCaps& caps) = 0;
  virtual PResult SetRenderState(P3DState state, uint32_t value) = 0;
  virtual PResult GetRenderState(P3DState state, uint32_t& value) = 0;
  virtual PResult SetTextureStageState(int32_t stage, P3DStageState state, uint32_t value) = 0;
  // Binds a 16-bit ARGB1555 surface (or none) to a stage. The surface must outlive its binding.
  virtual PResult SetTexture(int32_t stage, const PSurface* texture) = 0;
  virtual PResult BeginScene() = 0;
  virtual PResult EndScene() = 0;
  // Clears the rectangles (clamped to the target) of the target and/or the depth buffer.
  virtual PResult Clear(const P3DRect* rects, int32_t count, uint32_t flags, uint32_t colour,
                          float depth) = 0;
  // Draws count vertices of the given format as a list, strip or fan, at once.
  virtual PResult DrawPrimitive(P3DPrimitive type, uint32_t format, const void* vertices,
                                  int32_t count, uint32_t flags) = 0;
};
