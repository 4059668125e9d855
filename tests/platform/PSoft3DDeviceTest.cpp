#include "platform/PSoft3DDevice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "platform/PSurface.h"

namespace {

struct CV {
  float x, y, z, rhw;
  uint32_t colour;
};
struct TV {
  float x, y, z, rhw, u, v;
};
static_assert(sizeof(CV) == kP3DColouredVertexSize && sizeof(TV) == kP3DTexturedVertexSize);

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

uint32_t Red(const PSurface& s, int x, int y) { return (s.Row32(y)[x] >> 16) & 255; }
uint32_t Pixel(const PSurface& s, int x, int y) { return s.Row32(y)[x]; }

// A device on a 32-bit target with the renderer's usual states: depth less-or-equal, alpha
// test greater than 0, stage 0 off (diffuse colour).
struct Fixture {
  PSurface target;
  PSoft3DDevice device;
  explicit Fixture(int w = 32, int h = 32, PPixelFormat f = PPixelFormat::kXRGB8888)
      : target(w, h, f), device(&target) {
    device.SetRenderState(P3DState::kAlphaTestEnable, 1);
    device.SetRenderState(P3DState::kAlphaRef, 0);
    device.SetRenderState(P3DState::kAlphaFunc, P3DCompare::kGreater);
    device.SetRenderState(P3DState::kSrcBlend, P3DBlend::kSrcAlpha);
    device.SetRenderState(P3DState::kDestBlend, P3DBlend::kInvSrcAlpha);
    Untextured();
  }
  void Untextured() {
    device.SetTextureStageState(0, P3DStageState::kColorOp, P3DTextureOp::kDisable);
    device.SetTextureStageState(0, P3DStageState::kAlphaOp, P3DTextureOp::kDisable);
  }
  void Textured(const PSurface* texture) {
    device.SetTexture(0, texture);
    device.SetTextureStageState(0, P3DStageState::kColorArg1, P3DTextureArg::kTexture);
    device.SetTextureStageState(0, P3DStageState::kAlphaArg1, P3DTextureArg::kTexture);
    device.SetTextureStageState(0, P3DStageState::kColorOp, P3DTextureOp::kSelectArg1);
    device.SetTextureStageState(0, P3DStageState::kAlphaOp, P3DTextureOp::kSelectArg1);
  }
  void Quad(float x0, float y0, float x1, float y1, float z, uint32_t colour, float rhw = 1.0f) {
    CV v[4] = {{x0, y0, z, rhw, colour}, {x1, y0, z, rhw, colour}, {x1, y1, z, rhw, colour}, {x0, y1, z, rhw, colour}};
    EXPECT_EQ(device.DrawPrimitive(P3DPrimitive::kTriangleFan, kP3DColouredFormat, v, 4, kP3DDrawFlags), PResult::kOk);
  }
  int Lit() const {
    int n = 0;
    for (int y = 0; y < target.Height(); ++y)
      for (int x = 0; x < target.Width(); ++x) n += Pixel(target, x, y) != 0;
    return n;
  }
};

std::unique_ptr<PSurface> MakeTexture(int w, int h, const std::vector<uint16_t>& texels) {
  auto t = std::make_unique<PSurface>(w, h, PPixelFormat::kARGB1555);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) t->Row16(y)[x] = texels[static_cast<size_t>(y * w + x)];
  return t;
}

TEST(PSoft3DDevice, PixelCentresAndTopLeftRule) {
  Fixture f;
  f.Quad(10, 10, 11, 11, 0.5f, 0xFFFFFFFF);
  EXPECT_EQ(f.Lit(), 1);
  EXPECT_EQ(Pixel(f.target, 10, 10), 0x00FFFFFFu);

  // Pixel centres lie on integer coordinates: a quad from 2 to 5 covers the centres 2, 3
  // and 4; its left and top edges are in, its right and bottom edges out.
  Fixture g;
  g.Quad(2.0f, 2.0f, 5.0f, 5.0f, 0.5f, 0xFFFFFFFF);
  EXPECT_EQ(g.Lit(), 9);
  EXPECT_NE(Pixel(g.target, 2, 2), 0u);
  EXPECT_EQ(Pixel(g.target, 5, 4), 0u);
  EXPECT_EQ(Pixel(g.target, 4, 5), 0u);
  Fixture h;
  h.Quad(9.5f, 9.5f, 10.5f, 10.5f, 0.5f, 0xFFFFFFFF);
  EXPECT_EQ(h.Lit(), 1);
  EXPECT_EQ(Pixel(h.target, 10, 10), 0x00FFFFFFu);
}

TEST(PSoft3DDevice, SharedEdgesAreDrawnExactlyOnce) {
  // A fan of thin triangles around a centre, blended at half alpha over black: a pixel drawn
  // twice would come out brighter, one missed would stay black.
  Fixture f(48, 48);
  f.device.SetRenderState(P3DState::kAlphaBlendEnable, 1);
  f.device.SetRenderState(P3DState::kZEnable, 0);
  std::vector<CV> fan;
  fan.push_back({24.3f, 23.7f, 0.5f, 1.0f, 0x80FFFFFF});
  const int kSides = 37;
  for (int i = 0; i <= kSides; ++i) {
    double a = 2.0 * 3.14159265358979 * i / kSides;
    fan.push_back({static_cast<float>(24.3 + 20.0 * std::cos(a)), static_cast<float>(23.7 + 20.0 * std::sin(a)),
                   0.5f, 1.0f, 0x80FFFFFF});
  }
  fan.back() = fan[1];
  ASSERT_EQ(f.device.DrawPrimitive(P3DPrimitive::kTriangleFan, kP3DColouredFormat, fan.data(),
                                   static_cast<int32_t>(fan.size()), 0),
            PResult::kOk);
  int inside = 0;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x) {
      uint32_t r = Red(f.target, x, y);
      ASSERT_TRUE(r == 0 || r == 128) << x << "," << y << " = " << r;
      double dx = x - 24.3, dy = y - 23.7;
      if (dx * dx + dy * dy < 19.0 * 19.0) {
        EXPECT_EQ(r, 128u) << x << "," << y;
        ++inside;
      }
    }
  EXPECT_GT(inside, 1000);
}

TEST(PSoft3DDevice, DepthKeepsTheNearerColourInEitherOrder) {
  for (int order = 0; order < 2; ++order) {
    Fixture f;
    f.device.Clear(nullptr, 0, 0, 0, 1.0f);
    P3DRect all{0, 0, 32, 32};
    f.device.Clear(&all, 1, kP3DClearZBuffer, 0, 1.0f);
    if (order == 0) {
      f.Quad(0, 0, 16, 16, 0.25f, 0xFF00FF00);
      f.Quad(0, 0, 16, 16, 0.5f, 0xFFFF0000);
    } else {
      f.Quad(0, 0, 16, 16, 0.5f, 0xFFFF0000);
      f.Quad(0, 0, 16, 16, 0.25f, 0xFF00FF00);
    }
    EXPECT_EQ(Pixel(f.target, 8, 8), 0x0000FF00u) << order;
    EXPECT_EQ(f.device.Depth(8, 8), static_cast<uint16_t>(0.25f * 65535.0f + 0.5f));
    EXPECT_EQ(f.device.Depth(20, 20), 0xFFFF);
  }
  // Depth is clamped: far beyond 1 still draws at 65535 with less-or-equal, below 0 at 0.
  Fixture g;
  P3DRect all{0, 0, 32, 32};
  g.device.Clear(&all, 1, kP3DClearZBuffer, 0, 1.0f);
  g.Quad(0, 0, 4, 4, 7.0f, 0xFFFFFFFF);
  EXPECT_EQ(Pixel(g.target, 1, 1), 0x00FFFFFFu);
  g.Quad(0, 0, 4, 4, -3.0f, 0xFF0000FF);
  EXPECT_EQ(g.device.Depth(1, 1), 0);
}

TEST(PSoft3DDevice, DepthWritesOffAndAlwaysCompare) {
  Fixture f;
  P3DRect all{0, 0, 32, 32};
  f.device.Clear(&all, 1, kP3DClearZBuffer, 0, 1.0f);
  f.Quad(0, 0, 8, 8, 0.5f, 0xFFFF0000);
  std::vector<uint16_t> before(f.device.DepthRow(0), f.device.DepthRow(0) + 32 * 32);
  f.device.SetRenderState(P3DState::kZWriteEnable, 0);
  f.Quad(0, 0, 16, 16, 0.25f, 0xFF00FF00);
  EXPECT_EQ(std::vector<uint16_t>(f.device.DepthRow(0), f.device.DepthRow(0) + 32 * 32), before);
  EXPECT_EQ(Pixel(f.target, 4, 4), 0x0000FF00u);
  // Always: a farther triangle still draws over.
  f.device.SetRenderState(P3DState::kZWriteEnable, 1);
  f.device.SetRenderState(P3DState::kZFunc, P3DCompare::kAlways);
  f.Quad(0, 0, 8, 8, 0.9f, 0xFF0000FF);
  EXPECT_EQ(Pixel(f.target, 4, 4), 0x000000FFu);
  EXPECT_EQ(f.device.Depth(4, 4), static_cast<uint16_t>(0.9f * 65535.0f + 0.5f));
  // A depth-only clear leaves the colours.
  f.device.Clear(&all, 1, kP3DClearZBuffer, 0x123456, 1.0f);
  EXPECT_EQ(Pixel(f.target, 4, 4), 0x000000FFu);
  EXPECT_EQ(f.device.Depth(4, 4), 0xFFFF);
}

TEST(PSoft3DDevice, AlphaTestedTexelWritesNothing) {
  Fixture f(8, 8);
  // Left texel transparent, right texel opaque green.
  auto tex = MakeTexture(2, 1, {0x7C00, 0x83E0});
  f.Textured(tex.get());
  P3DRect all{0, 0, 8, 8};
  f.device.Clear(&all, 1, kP3DClearZBuffer | kP3DClearTarget, 0x00112233, 1.0f);
  TV v[4] = {{0, 0, 0.5f, 1, 0, 0}, {8, 0, 0.5f, 1, 1, 0}, {8, 8, 0.5f, 1, 1, 1}, {0, 8, 0.5f, 1, 0, 1}};
  ASSERT_EQ(f.device.DrawPrimitive(P3DPrimitive::kTriangleFan, kP3DTexturedFormat, v, 4, 0), PResult::kOk);
  EXPECT_EQ(Pixel(f.target, 1, 3), 0x00112233u);
  EXPECT_EQ(f.device.Depth(1, 3), 0xFFFF);
  EXPECT_EQ(Pixel(f.target, 6, 3), 0x0000FF00u);
  EXPECT_EQ(f.device.Depth(6, 3), static_cast<uint16_t>(0.5f * 65535.0f + 0.5f));
}

TEST(PSoft3DDevice, AlphaTestCompares) {
  struct Case {
    uint32_t func, ref, alpha;
    bool drawn;
  };
  const Case cases[] = {{P3DCompare::kGreater, 0, 1, true},       {P3DCompare::kGreater, 0, 0, false},
                        {P3DCompare::kGreater, 255, 255, false},  {P3DCompare::kLess, 0, 0, false},
                        {P3DCompare::kLess, 10, 9, true},         {P3DCompare::kEqual, 7, 7, true},
                        {P3DCompare::kNotEqual, 7, 7, false},     {P3DCompare::kNotEqual, 7, 8, true},
                        {P3DCompare::kGreaterEqual, 9, 9, true},  {P3DCompare::kLessEqual, 9, 10, false},
                        {P3DCompare::kNever, 0, 255, false},      {P3DCompare::kAlways, 0, 0, true}};
  for (const Case& c : cases) {
    Fixture f(4, 4);
    f.device.SetRenderState(P3DState::kAlphaFunc, c.func);
    f.device.SetRenderState(P3DState::kAlphaRef, c.ref);
    f.Quad(0, 0, 4, 4, 0.5f, c.alpha << 24 | 0xFFFFFF);
    EXPECT_EQ(f.Lit() > 0, c.drawn) << c.func << " " << c.ref << " " << c.alpha;
  }
  Fixture off(4, 4);
  off.device.SetRenderState(P3DState::kAlphaTestEnable, 0);
  off.Quad(0, 0, 4, 4, 0.5f, 0x00FFFFFF);
  EXPECT_EQ(off.Lit(), 16);
}

TEST(PSoft3DDevice, BlendsSourceAlphaOverTarget) {
  Fixture f;
  f.device.SetRenderState(P3DState::kAlphaBlendEnable, 1);
  f.Quad(0, 0, 4, 4, 0.5f, 0x80FF0000);
  EXPECT_NEAR(static_cast<int>(Red(f.target, 1, 1)), 128, 1);
  EXPECT_EQ(Pixel(f.target, 1, 1) & 0xFFFF, 0u);

  Fixture g(8, 8, PPixelFormat::kRGB565);
  g.device.SetRenderState(P3DState::kAlphaBlendEnable, 1);
  g.Quad(0, 0, 4, 4, 0.5f, 0x80FF0000);
  EXPECT_EQ(g.target.Row16(1)[1], 16 << 11);  // 128 in five bits

  // Texture alpha modulated by the texture factor, as translucent textured drawing does.
  Fixture h(8, 8);
  auto tex = MakeTexture(1, 1, {0xFFFF});
  h.Textured(tex.get());
  h.device.SetRenderState(P3DState::kAlphaBlendEnable, 1);
  h.device.SetTextureStageState(0, P3DStageState::kAlphaArg2, P3DTextureArg::kTextureFactor);
  h.device.SetTextureStageState(0, P3DStageState::kAlphaOp, P3DTextureOp::kModulate);
  h.device.SetRenderState(P3DState::kTextureFactor, 0x40FFFFFF);
  TV v[3] = {{0, 0, 0.5f, 1, 0, 0}, {8, 0, 0.5f, 1, 1, 0}, {0, 8, 0.5f, 1, 0, 1}};
  h.device.DrawPrimitive(P3DPrimitive::kTriangleList, kP3DTexturedFormat, v, 3, 0);
  EXPECT_NEAR(static_cast<int>(Red(h.target, 1, 1)), 64, 1);
}

float Bits(uint32_t u) {
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}
uint32_t Bits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

TEST(PSoft3DDevice, LinearFogInEyeDistance) {
  Fixture f;
  f.device.SetRenderState(P3DState::kFogEnable, 1);
  f.device.SetRenderState(P3DState::kFogTableMode, P3DFog::kLinear);
  f.device.SetRenderState(P3DState::kFogTableStart, Bits(1.0f));
  f.device.SetRenderState(P3DState::kFogTableEnd, Bits(101.0f));
  f.device.SetRenderState(P3DState::kFogColor, 0x000000FF);
  f.Quad(0, 0, 4, 4, 0.5f, 0xFFFF0000, 1.0f / 51.0f);  // halfway: factor 0.5
  EXPECT_NEAR(static_cast<int>(Red(f.target, 1, 1)), 128, 1);
  EXPECT_NEAR(static_cast<int>(Pixel(f.target, 1, 1) & 255), 128, 1);
  f.Quad(4, 0, 8, 4, 0.5f, 0xFFFF0000, 1.0f / 0.5f);  // nearer than the start: no fog
  EXPECT_EQ(Pixel(f.target, 5, 1), 0x00FF0000u);
  f.Quad(8, 0, 12, 4, 0.5f, 0xFFFF0000, 1.0f / 500.0f);  // past the end: all fog
  EXPECT_EQ(Pixel(f.target, 9, 1), 0x000000FFu);
  // Fog table mode none: no fog.
  f.device.SetRenderState(P3DState::kFogTableMode, P3DFog::kNone);
  f.Quad(0, 4, 4, 8, 0.5f, 0xFFFF0000, 1.0f / 500.0f);
  EXPECT_EQ(Pixel(f.target, 1, 5), 0x00FF0000u);
  EXPECT_EQ(Bits(Bits(1.0f)), 1.0f);
}

TEST(PSoft3DDevice, TexturesWrapAndArriveWithNegatedV) {
  // Four rows: red, green, blue, white. v = -0.25 wraps to 0.75: the last row.
  Fixture f(8, 8);
  auto tex = MakeTexture(1, 4, {0xFC00, 0x83E0, 0x801F, 0xFFFF});
  f.Textured(tex.get());
  TV v[3] = {{0, 0, 0.5f, 1, 0.3f, -0.25f}, {8, 0, 0.5f, 1, 0.6f, -0.25f}, {0, 8, 0.5f, 1, 0.3f, -0.25f}};
  f.device.DrawPrimitive(P3DPrimitive::kTriangleList, kP3DTexturedFormat, v, 3, 0);
  EXPECT_EQ(Pixel(f.target, 1, 1), 0x00FFFFFFu);
  // u = -1.75 wraps to 0.25 of a four-column texture: column 1. A width of 3 wraps too.
  auto cols = MakeTexture(3, 1, {0xFC00, 0x83E0, 0x801F});
  f.Textured(cols.get());
  TV w[3] = {{0, 0, 0.5f, 1, -1.5f, 0}, {8, 0, 0.5f, 1, -1.5f, 0}, {0, 8, 0.5f, 1, -1.5f, 0}};
  f.device.DrawPrimitive(P3DPrimitive::kTriangleList, kP3DTexturedFormat, w, 3, 0);
  EXPECT_EQ(Pixel(f.target, 1, 1), 0x0000FF00u);  // -1.5 + 2 = 0.5: column 1 of 3
  // No texture bound: opaque white.
  f.device.SetTexture(0, nullptr);
  P3DRect all{0, 0, 8, 8};
  f.device.Clear(&all, 1, kP3DClearTarget | kP3DClearZBuffer, 0, 1.0f);
  f.device.DrawPrimitive(P3DPrimitive::kTriangleList, kP3DTexturedFormat, v, 3, 0);
  EXPECT_EQ(Pixel(f.target, 1, 1), 0x00FFFFFFu);
}

TEST(PSoft3DDevice, BilinearOnlyWhereMagnified) {
  // A 2x2 black and white checker stretched over 32x32: magnified.
  auto tex = MakeTexture(2, 2, {0x8000, 0xFFFF, 0xFFFF, 0x8000});
  TV big[4] = {{0, 0, 0.5f, 1, 0, 0}, {32, 0, 0.5f, 1, 1, 0}, {32, 32, 0.5f, 1, 1, 1}, {0, 32, 0.5f, 1, 0, 1}};
  auto greys = [](const PSurface& t) {
    int n = 0;
    for (int y = 0; y < t.Height(); ++y)
      for (int x = 0; x < t.Width(); ++x) {
        uint32_t r = Red(t, x, y);
        n += r != 0 && r != 255;
      }
    return n;
  };
  Fixture point;
  point.Textured(tex.get());
  point.device.DrawPrimitive(P3DPrimitive::kTriangleFan, kP3DTexturedFormat, big, 4, 0);
  EXPECT_EQ(greys(point.target), 0);
  Fixture linear;
  linear.Textured(tex.get());
  linear.device.SetTextureStageState(0, P3DStageState::kMagFilter, P3DFilter::kLinear);
  linear.device.DrawPrimitive(P3DPrimitive::kTriangleFan, kP3DTexturedFormat, big, 4, 0);
  EXPECT_GT(greys(linear.target), 400);
  EXPECT_EQ(Red(linear.target, 17, 17), Red(linear.target, 15, 15));  // symmetric about the middle
  // The same checker repeated 40 times over 32 pixels is minified: point sampled.
  TV small[4] = {{0, 0, 0.5f, 1, 0, 0}, {32, 0, 0.5f, 1, 40, 0}, {32, 32, 0.5f, 1, 40, 40}, {0, 32, 0.5f, 1, 0, 40}};
  Fixture minified;
  minified.Textured(tex.get());
  minified.device.SetTextureStageState(0, P3DStageState::kMagFilter, P3DFilter::kLinear);
  minified.device.DrawPrimitive(P3DPrimitive::kTriangleFan, kP3DTexturedFormat, small, 4, 0);
  EXPECT_EQ(greys(minified.target), 0);
}

// A shape magnified many times over in perspective, alpha-tested and blended, neither testing
// nor writing depth over a buffer cleared to the farthest (a backdrop): four pixels at a time,
// with runs of equal texels drawn at once, it draws what one pixel at a time draws. Once a
// depth is written, or the buffer is cleared nearer, the test applies again.
TEST(PSoft3DDevice, MagnifiedBackdropDrawsAsOnePixelAtATimeAndDepthStillHides) {
  std::vector<uint16_t> texels(32 * 64);
  for (int y = 0; y < 64; ++y) {
    const int half = 2 + (63 - y) * 14 / 63;
    for (int x = 0; x < 32; ++x)
      texels[static_cast<size_t>(y * 32 + x)] =
          x >= 16 - half && x < 16 + half ? static_cast<uint16_t>(0x8000 | (5 << 10) | (11 << 5) | 3) : 0x7C1F;
  }
  auto shape = MakeTexture(32, 64, texels);
  // Near at the left, far at the right; u starts below 0, so the texture coordinates cross
  // zero and wrap.
  const TV wall[4] = {{0, 0, 0.99f, 0.000116f, -0.05f, 0.02f},
                      {300, 0, 0.99f, 0.0000894f, 0.5f, 0.04f},
                      {300, 120, 0.99f, 0.0000877f, 0.5f, 0.3f},
                      {0, 120, 0.99f, 0.000114f, -0.05f, 0.29f}};
  auto draw = [&](bool wide, int nearer) {
    PSoft3DDevice::SetWideSpans(wide);
    Fixture f(300, 120, PPixelFormat::kRGB565);
    f.device.SetRenderState(P3DState::kAlphaBlendEnable, 1);
    const P3DRect all{0, 0, 300, 120};
    f.device.Clear(&all, 1, kP3DClearTarget | kP3DClearZBuffer, 0x405060, nearer == 2 ? 0.5f : 1.0f);
    if (nearer == 1) f.Quad(100, 30, 200, 90, 0.5f, 0xFFFF0000);  // writes depth
    f.Textured(shape.get());
    f.device.SetTextureStageState(0, P3DStageState::kMagFilter, P3DFilter::kLinear);
    f.device.SetRenderState(P3DState::kZWriteEnable, 0);
    EXPECT_EQ(f.device.DrawPrimitive(P3DPrimitive::kTriangleFan, kP3DTexturedFormat, wall, 4, 0), PResult::kOk);
    f.device.Settle();  // drawn before the setting goes back
    PSoft3DDevice::SetWideSpans(true);
    std::vector<uint16_t> pixels;
    for (int y = 0; y < 120; ++y) pixels.insert(pixels.end(), f.target.Row16(y), f.target.Row16(y) + 300);
    return pixels;
  };
  const std::vector<uint16_t> wide = draw(true, 0);
  EXPECT_EQ(wide, draw(false, 0));
  int shapePixels = 0;
  for (uint16_t p : wide) shapePixels += p == ((5 << 11) | (22 << 5) | 3);
  EXPECT_GT(shapePixels, 300 * 120 / 5);
  // Behind a nearer quad's depth, or all of a nearer cleared depth, the backdrop does not show.
  const std::vector<uint16_t> hidden = draw(true, 1);
  EXPECT_EQ(hidden, draw(false, 1));
  EXPECT_EQ(hidden[static_cast<size_t>(60 * 300 + 150)], 0xF800);
  const std::vector<uint16_t> background = draw(true, 2);
  const uint16_t clearColour = (0x40 >> 3) << 11 | (0x50 >> 2) << 5 | (0x60 >> 3);
  EXPECT_EQ(background, std::vector<uint16_t>(300 * 120, clearColour));
}

TEST(PSoft3DDevice, TexturesArePerspectiveCorrect) {
  // A quad whose right side is four times as far as its left; u runs 0..1, the texture is
  // black then white. Perspective puts u = 0.5 where rhw has fallen to the mean of 1 and
  // 0.25 weighted by u: x = 64 * (1 / (1 + 4)) * ... solved below.
  auto tex = MakeTexture(2, 1, {0x8000, 0xFFFF});
  Fixture f(64, 4);
  f.Textured(tex.get());
  TV v[4] = {{0, 0, 0.5f, 1.0f, 0, 0}, {64, 0, 0.5f, 0.25f, 1, 0}, {64, 4, 0.5f, 0.25f, 1, 1}, {0, 4, 0.5f, 1.0f, 0, 1}};
  f.device.DrawPrimitive(P3DPrimitive::kTriangleFan, kP3DTexturedFormat, v, 4, 0);
  // u(t) = 0.25 t / ((1 - t) + 0.25 t) = 0.5 gives t = 0.8: the edge lies at x = 51.2.
  EXPECT_EQ(Red(f.target, 51, 1), 0u);
  EXPECT_EQ(Red(f.target, 52, 1), 255u);
  EXPECT_EQ(Red(f.target, 33, 1), 0u);  // affine mapping would have turned white at 32
}

TEST(PSoft3DDevice, DropsNonFiniteAndBehindTheEye) {
  Fixture f;
  CV nan[3] = {{0, 0, 0.5f, 1, 0xFFFFFFFF}, {kNaN, 0, 0.5f, 1, 0xFFFFFFFF}, {0, 10, 0.5f, 1, 0xFFFFFFFF}};
  CV inf[3] = {{0, 0, 0.5f, 1, 0xFFFFFFFF}, {10, 0, kInf, 1, 0xFFFFFFFF}, {0, 10, 0.5f, 1, 0xFFFFFFFF}};
  CV behind[3] = {{0, 0, 0.5f, 1, 0xFFFFFFFF}, {10, 0, 0.5f, 0, 0xFFFFFFFF}, {0, 10, 0.5f, 1, 0xFFFFFFFF}};
  CV negative[3] = {{0, 0, 0.5f, -1, 0xFFFFFFFF}, {10, 0, 0.5f, -1, 0xFFFFFFFF}, {0, 10, 0.5f, -1, 0xFFFFFFFF}};
  for (auto* v : {nan, inf, behind, negative})
    EXPECT_EQ(f.device.DrawPrimitive(P3DPrimitive::kTriangleList, kP3DColouredFormat, v, 3, 0), PResult::kOk);
  EXPECT_EQ(f.Lit(), 0);
  // Huge but finite corners are cut to the target.
  CV huge[3] = {{-1e30f, -1e30f, 0.5f, 1, 0xFFFFFFFF}, {1e30f, -1e29f, 0.5f, 1, 0xFFFFFFFF}, {0, 1e30f, 0.5f, 1, 0xFFFFFFFF}};
  EXPECT_EQ(f.device.DrawPrimitive(P3DPrimitive::kTriangleList, kP3DColouredFormat, huge, 3, 0), PResult::kOk);
  EXPECT_EQ(f.Lit(), 32 * 32);
  // Bad calls are refused.
  EXPECT_NE(f.device.DrawPrimitive(P3DPrimitive::kTriangleList, 0x42, huge, 3, 0), PResult::kOk);
  EXPECT_NE(f.device.DrawPrimitive(P3DPrimitive::kTriangleList, kP3DColouredFormat, nullptr, 3, 0), PResult::kOk);
  EXPECT_NE(f.device.DrawPrimitive(static_cast<P3DPrimitive>(1), kP3DColouredFormat, huge, 3, 0), PResult::kOk);
  PSurface wrong(4, 4, PPixelFormat::kRGB565);
  EXPECT_NE(f.device.SetTexture(0, &wrong), PResult::kOk);
}

TEST(PSoft3DDevice, StripsListsAndFansCoverTheSameSquare) {
  CV list[6] = {{2, 2, 0.5f, 1, 0xFFFFFFFF}, {12, 2, 0.5f, 1, 0xFFFFFFFF}, {12, 12, 0.5f, 1, 0xFFFFFFFF},
                {2, 2, 0.5f, 1, 0xFFFFFFFF}, {12, 12, 0.5f, 1, 0xFFFFFFFF}, {2, 12, 0.5f, 1, 0xFFFFFFFF}};
  CV strip[4] = {{2, 2, 0.5f, 1, 0xFFFFFFFF}, {12, 2, 0.5f, 1, 0xFFFFFFFF}, {2, 12, 0.5f, 1, 0xFFFFFFFF},
                 {12, 12, 0.5f, 1, 0xFFFFFFFF}};
  Fixture a, b;
  a.device.DrawPrimitive(P3DPrimitive::kTriangleList, kP3DColouredFormat, list, 6, 0);
  b.device.DrawPrimitive(P3DPrimitive::kTriangleStrip, kP3DColouredFormat, strip, 4, 0);
  EXPECT_EQ(a.Lit(), 100);
  EXPECT_EQ(b.Lit(), 100);
}

uint64_t Hash(const PSurface& s) {
  uint64_t h = 1469598103934665603ull;
  for (size_t i = 0; i < s.SizeInBytes(); ++i) h = (h ^ s.Pixels()[i]) * 1099511628211ull;
  return h;
}

// Deterministic random numbers of the test's own, so the scene does not depend on the library.
struct Lcg {
  uint32_t state;
  uint32_t Next() { return state = state * 1664525u + 1013904223u; }
  float Unit() { return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f); }
};

TEST(PSoft3DDevice, SameCallsSamePixels) {
  // A fixed scene of textured, fogged and blended triangles on a 16-bit target; the hash is
  // the same in every build and on every machine.
  auto tex = MakeTexture(4, 4, {0xFC00, 0x83E0, 0x801F, 0xFFFF, 0x0000, 0xC210, 0xBDEF, 0x8421,
                                    0xFFE0, 0x83FF, 0xFC1F, 0x7FFF, 0x8000, 0x9CE7, 0xA529, 0xB5AD});
  Fixture f(64, 48, PPixelFormat::kRGB565);
  f.Textured(tex.get());
  f.device.SetTextureStageState(0, P3DStageState::kMagFilter, P3DFilter::kLinear);
  f.device.SetRenderState(P3DState::kFogEnable, 1);
  f.device.SetRenderState(P3DState::kFogTableMode, P3DFog::kLinear);
  f.device.SetRenderState(P3DState::kFogTableStart, Bits(2.0f));
  f.device.SetRenderState(P3DState::kFogTableEnd, Bits(40.0f));
  f.device.SetRenderState(P3DState::kFogColor, 0x8090A0);
  Lcg rng{7};
  for (int i = 0; i < 300; ++i) {
    TV v[3];
    for (TV& p : v) p = {rng.Unit() * 80 - 8, rng.Unit() * 64 - 8, rng.Unit(), 0.02f + rng.Unit(), rng.Unit() * 3, rng.Unit() * 3};
    f.device.SetRenderState(P3DState::kAlphaBlendEnable, i % 3 == 0);
    f.device.SetTextureStageState(0, P3DStageState::kAlphaOp, i % 3 == 0 ? P3DTextureOp::kModulate : P3DTextureOp::kSelectArg1);
    f.device.SetTextureStageState(0, P3DStageState::kAlphaArg2, P3DTextureArg::kTextureFactor);
    f.device.SetRenderState(P3DState::kTextureFactor, 0x80FFFFFF);
    f.device.DrawPrimitive(P3DPrimitive::kTriangleList, kP3DTexturedFormat, v, 3, 0);
  }
  EXPECT_EQ(Hash(f.target), 7556589510405499476ull);
}

TEST(PSoft3DDevice, RandomGarbageNeverWritesOutsideTheTarget) {
  // 61 x 13 pixels at 16 bits: each row has two bytes of padding, and 4 more bytes follow the
  // last row; none of them may change. The depth buffer is exactly the target's size, so the
  // sanitizers see any write past it.
  PSurface target(61, 13, PPixelFormat::kRGB565);
  PSoft3DDevice device(&target);
  auto tex = MakeTexture(3, 5, std::vector<uint16_t>(15, 0xFFFF));
  device.SetTexture(0, tex.get());
  device.SetTextureStageState(0, P3DStageState::kColorOp, P3DTextureOp::kSelectArg1);
  device.SetTextureStageState(0, P3DStageState::kMagFilter, P3DFilter::kLinear);
  const float specials[] = {kNaN, kInf, -kInf, 1e38f, -1e38f, 3e9f, -3e9f, 0.0f, -0.0f, 1e-38f, -1e-30f, 2e-45f};
  Lcg rng{12345};
  auto value = [&](float scale) {
    uint32_t k = rng.Next() >> 24;
    if (k < 40) return specials[k % 12];
    return (rng.Unit() * 2.0f - 0.5f) * scale;
  };
  for (int i = 0; i < 100000; ++i) {
    TV v[3];
    for (TV& p : v) p = {value(80), value(20), value(1.5f), value(2.0f), value(4), value(4)};
    uint32_t mode = rng.Next() >> 29;
    device.SetRenderState(P3DState::kAlphaBlendEnable, mode & 1);
    device.SetRenderState(P3DState::kFogEnable, (mode >> 1) & 1);
    device.SetRenderState(P3DState::kFogTableMode, P3DFog::kLinear);
    device.SetRenderState(P3DState::kFogTableStart, Bits(value(10)));
    device.SetRenderState(P3DState::kFogTableEnd, Bits(value(10)));
    device.SetRenderState(P3DState::kZFunc, (mode & 4) ? P3DCompare::kLessEqual : P3DCompare::kAlways);
    ASSERT_EQ(device.DrawPrimitive(P3DPrimitive::kTriangleList, (mode & 2) ? kP3DColouredFormat : kP3DTexturedFormat,
                                   v, 3, 0),
              PResult::kOk);
  }
  int lit = 0;
  for (int y = 0; y < 13; ++y) {
    const uint8_t* row = target.Pixels() + y * target.Pitch();
    EXPECT_EQ(row[122], 0) << y;
    EXPECT_EQ(row[123], 0) << y;
    for (int x = 0; x < 61; ++x) lit += target.Row16(y)[x] != 0;
  }
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(target.Pixels()[target.SizeInBytes() - 1 - i], 0);
  EXPECT_GT(lit, 0);
}

}  // namespace

TEST(PSoft3DDevice, PlainTexelsReachSixteenBitTargetsAsThroughThirtyTwoBits) {
  // Every red, green and blue value of a texel, some texels transparent; point sampled one
  // texel per pixel onto both kinds of target: the 16-bit pixel is the 32-bit one narrowed,
  // and the transparent texels leave colour and depth alone on both.
  std::vector<uint16_t> texels(32 * 32);
  for (uint16_t i = 0; i < 32 * 32; ++i) {
    uint16_t r = i & 31, g = (i >> 5) & 31, b = (i * 7) & 31;
    texels[i] = static_cast<uint16_t>((i % 5 == 0 ? 0 : 0x8000) | r << 10 | g << 5 | b);
  }
  auto tex = MakeTexture(32, 32, texels);
  TV v[4] = {{-0.5f, -0.5f, 0.25f, 1, 0, 0}, {31.5f, -0.5f, 0.25f, 1, 1, 0},
             {31.5f, 31.5f, 0.25f, 1, 1, 1}, {-0.5f, 31.5f, 0.25f, 1, 0, 1}};
  Fixture wide;
  Fixture narrow(32, 32, PPixelFormat::kRGB565);
  for (Fixture* f : {&wide, &narrow}) {
    f->Textured(tex.get());
    ASSERT_EQ(f->device.DrawPrimitive(P3DPrimitive::kTriangleFan, kP3DTexturedFormat, v, 4, 0), PResult::kOk);
  }
  int holes = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      uint32_t p = Pixel(wide.target, x, y);
      uint32_t expected = ((p >> 19) & 31) << 11 | ((p >> 10) & 63) << 5 | ((p >> 3) & 31);
      ASSERT_EQ(narrow.target.Row16(y)[x], expected) << x << "," << y;
      ASSERT_EQ(narrow.device.Depth(x, y), wide.device.Depth(x, y));
      holes += wide.device.Depth(x, y) == 0xFFFF;
    }
  EXPECT_EQ(holes, 205);  // the 1024 / 5 + 1 texels with i % 5 == 0
  EXPECT_EQ(narrow.target.Row16(0)[1], 0x0807u);  // texel 1: red 1, blue 7
}
