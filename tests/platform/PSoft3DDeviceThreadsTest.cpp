// The device's busy scene: every kind of span the rasteriser has, big triangles over many
// strips and small ones inside one, clears and plain writes to the target between draws.
// Its pixels and depth hash to the same value whatever the number of drawing threads.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/PSoft3DDevice.h"
#include "platform/PSurface.h"
#include "support/PixelHash.h"

namespace {

struct CV {
  float x, y, z, rhw;
  uint32_t colour;
};
struct TV {
  float x, y, z, rhw, u, v;
};

struct Lcg {
  uint32_t state;
  uint32_t Next() { return state = state * 1664525u + 1013904223u; }
  float Unit() { return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f); }
  float Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }
};

uint32_t Bits(float f) {
  uint32_t b;
  std::memcpy(&b, &f, 4);
  return b;
}

std::unique_ptr<PSurface> Pattern(int w, int h, uint32_t seed, bool holes) {
  auto t = std::make_unique<PSurface>(w, h, PPixelFormat::kARGB1555);
  Lcg rng{seed};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      auto texel = static_cast<uint16_t>(rng.Next() >> 16);
      if (holes && (x + y) % 3 == 0) texel &= 0x7FFF;
      else if (!holes) texel |= 0x8000;
      t->Row16(y)[x] = texel;
    }
  return t;
}

uint64_t Hash(const PSurface& target, const PSoft3DDevice& device) { return PixelHash(target, device); }

// Draws the scene through the device onto its target.
void DrawScene(PSoft3DDevice& d, PSurface& target) {
  const float w = static_cast<float>(target.Width()), h = static_cast<float>(target.Height());
  auto square = Pattern(32, 32, 5, false);
  auto odd = Pattern(24, 20, 9, false);
  auto cards = Pattern(16, 16, 13, true);
  const PSurface* textures[3] = {square.get(), odd.get(), cards.get()};
  Lcg rng{2027};

  d.BeginScene();
  P3DRect all{0, 0, target.Width(), target.Height()};
  d.Clear(&all, 1, kP3DClearTarget | kP3DClearZBuffer, 0x203040, 1.0f);
  d.SetRenderState(P3DState::kFogTableMode, P3DFog::kLinear);
  d.SetRenderState(P3DState::kFogTableStart, Bits(2.0f));
  d.SetRenderState(P3DState::kFogTableEnd, Bits(30.0f));
  d.SetRenderState(P3DState::kFogColor, 0x8899AA);

  // Ground: a textured strip across the whole target, far at the top, near at the bottom.
  d.SetTexture(0, square.get());
  d.SetTextureStageState(0, P3DStageState::kColorOp, P3DTextureOp::kModulate);
  d.SetTextureStageState(0, P3DStageState::kColorArg1, P3DTextureArg::kTexture);
  d.SetTextureStageState(0, P3DStageState::kAlphaOp, P3DTextureOp::kSelectArg1);
  d.SetRenderState(P3DState::kFogEnable, 1);
  std::vector<TV> strip;
  for (int i = 0; i <= 8; ++i)
    for (int k = 0; k < 2; ++k) {
      float y = h * static_cast<float>(i) / 8.0f, rhw = 0.04f + 0.9f * static_cast<float>(i) / 8.0f;
      float x = k == 0 ? -4.0f : w + 4.0f;
      strip.push_back({x, y, 0.99f - 0.5f * rhw, rhw, static_cast<float>(k) * 6.0f * rhw,
                       static_cast<float>(i) * rhw});
    }
  d.DrawPrimitive(P3DPrimitive::kTriangleStrip, kP3DTexturedFormat, strip.data(),
                  static_cast<int32_t>(strip.size()), 0);

  for (int i = 0; i < 1500; ++i) {
    uint32_t mode = rng.Next();
    const bool textured = (mode & 3) != 0;
    d.SetTexture(0, textures[(mode >> 2) % 3]);
    d.SetTextureStageState(0, P3DStageState::kMagFilter, (mode >> 4) & 1 ? P3DFilter::kLinear : P3DFilter::kPoint);
    d.SetTextureStageState(0, P3DStageState::kMinFilter, (mode >> 5) & 1 ? P3DFilter::kLinear : P3DFilter::kPoint);
    d.SetTextureStageState(0, P3DStageState::kColorOp,
                           (mode >> 6) & 1 ? P3DTextureOp::kModulate : P3DTextureOp::kSelectArg1);
    d.SetTextureStageState(0, P3DStageState::kColorArg2,
                           (mode >> 7) & 1 ? P3DTextureArg::kTextureFactor : P3DTextureArg::kDiffuse);
    d.SetTextureStageState(0, P3DStageState::kAlphaOp,
                           (mode >> 8) & 1 ? P3DTextureOp::kModulate : P3DTextureOp::kSelectArg1);
    d.SetTextureStageState(0, P3DStageState::kAlphaArg2, P3DTextureArg::kTextureFactor);
    d.SetRenderState(P3DState::kTextureFactor, (rng.Next() & 0xFF000000u) | 0xC0E0FF);
    d.SetRenderState(P3DState::kAlphaBlendEnable, (mode >> 9) & 1);
    const uint32_t blends[4][2] = {{P3DBlend::kSrcAlpha, P3DBlend::kInvSrcAlpha},
                                   {P3DBlend::kOne, P3DBlend::kOne},
                                   {P3DBlend::kSrcAlpha, P3DBlend::kOne},
                                   {P3DBlend::kSrcAlpha, P3DBlend::kInvSrcAlpha}};
    d.SetRenderState(P3DState::kSrcBlend, blends[(mode >> 10) & 3][0]);
    d.SetRenderState(P3DState::kDestBlend, blends[(mode >> 10) & 3][1]);
    d.SetRenderState(P3DState::kFogEnable, (mode >> 12) & 1);
    d.SetRenderState(P3DState::kAlphaTestEnable, (mode >> 13) & 1);
    d.SetRenderState(P3DState::kAlphaFunc, (mode >> 14) & 1 ? P3DCompare::kGreater : P3DCompare::kGreaterEqual);
    d.SetRenderState(P3DState::kAlphaRef, (mode >> 15) & 1 ? 0 : 128);
    const uint32_t funcs[4] = {P3DCompare::kLessEqual, P3DCompare::kLessEqual, P3DCompare::kLess,
                               P3DCompare::kAlways};
    d.SetRenderState(P3DState::kZFunc, funcs[(mode >> 16) & 3]);
    d.SetRenderState(P3DState::kZWriteEnable, ((mode >> 18) & 7) != 0);

    // Mostly small triangles, some across much of the target.
    const float size = (mode >> 21) % 8 == 0 ? w : rng.Range(3.0f, 24.0f);
    const float cx = rng.Range(-8.0f, w + 8.0f), cy = rng.Range(-8.0f, h + 8.0f);
    const int corners = 3 + static_cast<int>((mode >> 24) % 3);
    const P3DPrimitive type = corners == 3 ? P3DPrimitive::kTriangleList
                              : (mode >> 27) & 1 ? P3DPrimitive::kTriangleFan
                                                 : P3DPrimitive::kTriangleStrip;
    if (textured) {
      TV v[5];
      for (int k = 0; k < corners; ++k) {
        float rhw = rng.Range(0.03f, 1.0f);
        v[k] = {cx + rng.Range(-size, size), cy + rng.Range(-size, size), rng.Unit(), rhw, rng.Range(-2, 3) * rhw,
                rng.Range(-2, 3) * rhw};
      }
      d.DrawPrimitive(type, kP3DTexturedFormat, v, corners, 0);
    } else {
      CV v[5];
      for (int k = 0; k < corners; ++k)
        v[k] = {cx + rng.Range(-size, size), cy + rng.Range(-size, size), rng.Unit(), rng.Range(0.03f, 1.0f),
                rng.Next()};
      d.DrawPrimitive(type, kP3DColouredFormat, v, corners, 0);
    }

    if (i % 500 == 250) {
      // A clear of part of the target, then a plain copy into it as a 2-D blit would make.
      P3DRect part{target.Width() / 4, target.Height() / 5, target.Width() / 2, target.Height() / 2};
      d.Clear(&part, 1, kP3DClearTarget | (i == 250 ? kP3DClearZBuffer : 0), 0x102030, 0.5f);
      for (int32_t y = 10; y < target.Height() - 10; y += 3) {
        if (target.Format() == PPixelFormat::kRGB565) {
          for (int32_t x = 4; x < 40; ++x) target.Row16(y)[x] = static_cast<uint16_t>(x * 977 + y);
        } else {
          for (int32_t x = 4; x < 40; ++x) target.Row32(y)[x] = static_cast<uint32_t>(x * 97731 + y);
        }
      }
    }
  }

  // Translucent cards over all that, the smoke of a battle: one point-sampled texture with
  // holes, its alpha scaled by the factor's, and the colour tinted by it, fogged or not, in
  // front of and behind what is there.
  d.SetTexture(0, cards.get());
  d.SetTextureStageState(0, P3DStageState::kMagFilter, P3DFilter::kPoint);
  d.SetTextureStageState(0, P3DStageState::kMinFilter, P3DFilter::kPoint);
  d.SetTextureStageState(0, P3DStageState::kColorOp, P3DTextureOp::kModulate);
  d.SetTextureStageState(0, P3DStageState::kColorArg2, P3DTextureArg::kTextureFactor);
  d.SetTextureStageState(0, P3DStageState::kAlphaOp, P3DTextureOp::kModulate);
  d.SetTextureStageState(0, P3DStageState::kAlphaArg2, P3DTextureArg::kTextureFactor);
  d.SetRenderState(P3DState::kAlphaBlendEnable, 1);
  d.SetRenderState(P3DState::kSrcBlend, P3DBlend::kSrcAlpha);
  d.SetRenderState(P3DState::kDestBlend, P3DBlend::kInvSrcAlpha);
  d.SetRenderState(P3DState::kZFunc, P3DCompare::kLessEqual);
  d.SetRenderState(P3DState::kAlphaFunc, P3DCompare::kGreater);
  d.SetRenderState(P3DState::kAlphaRef, 0);
  for (int i = 0; i < 120; ++i) {
    uint32_t mode = rng.Next();
    d.SetRenderState(P3DState::kTextureFactor, rng.Next() | 0x404040u);
    d.SetRenderState(P3DState::kFogEnable, mode & 1);
    d.SetRenderState(P3DState::kZWriteEnable, (mode >> 1) & 1);
    d.SetRenderState(P3DState::kAlphaTestEnable, (mode >> 2) & 1);
    const float cx = rng.Range(0.0f, w), cy = rng.Range(0.0f, h), size = rng.Range(6.0f, 40.0f);
    const float z = rng.Unit(), rhw = rng.Range(0.05f, 1.0f);
    TV v[4] = {{cx - size, cy - size, z, rhw, 0, 0},
               {cx + size, cy - size, z, rhw, 2 * rhw, 0},
               {cx + size, cy + size, z, rhw, 2 * rhw, 2 * rhw},
               {cx - size, cy + size, z, rhw, 0, 2 * rhw}};
    d.DrawPrimitive(P3DPrimitive::kTriangleFan, kP3DTexturedFormat, v, 4, 0);
  }
  d.EndScene();
}

uint64_t SceneHash(PPixelFormat format, int32_t threads) {
  PSurface target(203, 151, format);
  PSoft3DDevice device(&target, threads);
  EXPECT_EQ(device.ThreadCount(), threads);
  DrawScene(device, target);
  return Hash(target, device);
}

TEST(PSoft3DDeviceThreads, BusySceneHashesToItsGoldenValueAtAnyThreadCount) {
  for (int32_t threads : {1, 2, 4}) {
    EXPECT_EQ(SceneHash(PPixelFormat::kRGB565, threads), 12820886884662313343ull) << threads;
    EXPECT_EQ(SceneHash(PPixelFormat::kXRGB8888, threads), 10563637191013240777ull) << threads;
  }
  // One pixel at a time throughout: the same.
  PSoft3DDevice::SetWideSpans(false);
  EXPECT_EQ(SceneHash(PPixelFormat::kRGB565, 1), 12820886884662313343ull);
  PSoft3DDevice::SetWideSpans(true);
}

// A small texture magnified many times over, as the sky and the ground below the battlefield
// are: many groups of four pixels sample the same four texels, some cells of four equal
// texels, some texels transparent, and the samples wrap past the texture's edges. Drawn as a
// wall and as a floor in perspective, opaque or blended over what is there, fogged or not.
uint64_t MagnifiedHash(bool holes) {
  PSurface target(160, 120, PPixelFormat::kRGB565);
  PSoft3DDevice device(&target, 1);
  auto texture = std::make_unique<PSurface>(8, 8, PPixelFormat::kARGB1555);
  Lcg rng{holes ? 31u : 37u};
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      // Blocks of two by two texels share a colour in the top half: cells of one colour.
      const uint32_t n = y < 4 ? static_cast<uint32_t>((y / 2) * 4 + x / 2 + 1) * 2654435761u : rng.Next();
      uint16_t texel = static_cast<uint16_t>((n >> 16) | 0x8000);
      if (holes && (x * 3 + y) % 5 == 0) texel &= 0x7FFF;
      texture->Row16(y)[x] = texel;
    }
  device.SetTexture(0, texture.get());
  device.SetTextureStageState(0, P3DStageState::kColorArg1, P3DTextureArg::kTexture);
  device.SetTextureStageState(0, P3DStageState::kAlphaArg1, P3DTextureArg::kTexture);
  device.SetTextureStageState(0, P3DStageState::kColorOp, P3DTextureOp::kSelectArg1);
  device.SetTextureStageState(0, P3DStageState::kAlphaOp, P3DTextureOp::kSelectArg1);
  device.SetTextureStageState(0, P3DStageState::kMagFilter, P3DFilter::kLinear);
  device.SetTextureStageState(0, P3DStageState::kMinFilter, P3DFilter::kPoint);
  device.SetRenderState(P3DState::kAlphaTestEnable, 1);
  device.SetRenderState(P3DState::kAlphaFunc, P3DCompare::kGreater);
  device.SetRenderState(P3DState::kAlphaRef, 0);
  device.SetRenderState(P3DState::kSrcBlend, P3DBlend::kSrcAlpha);
  device.SetRenderState(P3DState::kDestBlend, P3DBlend::kInvSrcAlpha);
  device.SetRenderState(P3DState::kFogTableMode, P3DFog::kLinear);
  device.SetRenderState(P3DState::kFogTableStart, Bits(1.0f));
  device.SetRenderState(P3DState::kFogTableEnd, Bits(12.0f));
  device.SetRenderState(P3DState::kFogColor, 0x8899AA);
  P3DRect all{0, 0, 160, 120};
  device.Clear(&all, 1, kP3DClearTarget | kP3DClearZBuffer, 0x304050, 1.0f);
  for (int pass = 0; pass < 4; ++pass) {
    device.SetRenderState(P3DState::kAlphaBlendEnable, pass & 1);
    device.SetRenderState(P3DState::kFogEnable, pass >> 1);
    device.SetRenderState(P3DState::kZWriteEnable, pass == 3);
    const float z = 0.9f - 0.2f * static_cast<float>(pass);
    // A wall leaning away to the right, u running past both edges; under it a floor from far
    // at the top to near at the bottom.
    const float shift = 0.37f * static_cast<float>(pass);
    TV wall[4] = {{-3, -2, z, 1.0f, -0.6f + shift, -0.3f},
                  {163, -2, z, 0.2f, 0.2f * (1.9f + shift), 0.2f * -0.3f},
                  {163, 70, z, 0.2f, 0.2f * (1.9f + shift), 0.2f * 1.4f},
                  {-3, 70, z, 1.0f, -0.6f + shift, 1.4f}};
    TV floor[4] = {{-3, 50, z, 0.1f, 0.1f * (0.2f - shift), 0.0f},
                   {163, 50, z, 0.1f, 0.1f * (2.3f - shift), 0.0f},
                   {163, 123, z, 0.9f, 0.9f * (1.4f - shift), 0.9f * 1.1f},
                   {-3, 123, z, 0.9f, 0.9f * (1.1f - shift), 0.9f * 1.1f}};
    EXPECT_EQ(device.DrawPrimitive(P3DPrimitive::kTriangleFan, kP3DTexturedFormat, wall, 4, 0), PResult::kOk);
    EXPECT_EQ(device.DrawPrimitive(P3DPrimitive::kTriangleFan, kP3DTexturedFormat, floor, 4, 0), PResult::kOk);
  }
  return Hash(target, device);
}

TEST(PSoft3DDeviceThreads, MagnifiedTexturesDrawTheSamePixelsFourAtATimeAsOneAtATime) {
  for (bool holes : {false, true}) {
    const uint64_t wide = MagnifiedHash(holes);
    PSoft3DDevice::SetWideSpans(false);
    const uint64_t narrow = MagnifiedHash(holes);
    PSoft3DDevice::SetWideSpans(true);
    EXPECT_EQ(wide, narrow) << holes;
  }
}

TEST(PSoft3DDeviceThreads, ThreadCountFollowsTheCoresHeldToEight) {
  const int32_t cores = PSoft3DDevice::DefaultThreadCount();
  EXPECT_GE(cores, 1);
  EXPECT_LE(cores, PSoft3DDevice::kMaxThreads);
  PSurface target(8, 8, PPixelFormat::kRGB565);
  EXPECT_EQ(PSoft3DDevice(&target).ThreadCount(), cores);
  EXPECT_EQ(PSoft3DDevice(&target, 99).ThreadCount(), 8);
  EXPECT_EQ(PSoft3DDevice(&target, -3).ThreadCount(), 1);
  PSoft3DDevice::SetDefaultThreadCount(3);
  EXPECT_EQ(PSoft3DDevice(&target).ThreadCount(), 3);
  PSoft3DDevice::SetDefaultThreadCount(0);
  EXPECT_EQ(PSoft3DDevice::DefaultThreadCount(), cores);

  // A target of one strip is drawn at once on the calling thread, whatever the count:
  // nothing waits behind a fence.
  PSurface tiny(7, 7, PPixelFormat::kXRGB8888);
  PSoft3DDevice pick(&tiny, 4);
  EXPECT_EQ(pick.ThreadCount(), 4);
  CV corners[3] = {{0, 0, 0.5f, 1, 0xFF00FF00u}, {7, 0, 0.5f, 1, 0xFF00FF00u}, {0, 7, 0.5f, 1, 0xFF00FF00u}};
  pick.SetTextureStageState(0, P3DStageState::kColorOp, P3DTextureOp::kDisable);
  pick.DrawPrimitive(P3DPrimitive::kTriangleList, kP3DColouredFormat, corners, 3, 0);
  EXPECT_EQ(tiny.Fence(), nullptr);
  EXPECT_EQ(tiny.Row32(1)[1], 0x00FF00u);

  PSoft3DDevice device(&target, 2);
  device.SetThreadCount(5);
  EXPECT_EQ(device.ThreadCount(), 5);
  device.SetThreadCount(0);
  EXPECT_EQ(device.ThreadCount(), cores);
}

// Draws a full-target textured square with the texture's texel (0, 0) stretched over it.
void DrawTexturedSquare(PSoft3DDevice& d, const PSurface* texture, float z) {
  d.SetTexture(0, texture);
  d.SetTextureStageState(0, P3DStageState::kColorOp, P3DTextureOp::kSelectArg1);
  d.SetTextureStageState(0, P3DStageState::kAlphaOp, P3DTextureOp::kSelectArg1);
  d.SetRenderState(P3DState::kZFunc, P3DCompare::kAlways);
  TV v[4] = {{-1, -1, z, 1, 0, 0}, {65, -1, z, 1, 0.01f, 0}, {65, 65, z, 1, 0.01f, 0.01f}, {-1, 65, z, 1, 0, 0.01f}};
  d.DrawPrimitive(P3DPrimitive::kTriangleFan, kP3DTexturedFormat, v, 4, 0);
}

TEST(PSoft3DDeviceThreads, TexturesChangedOrFreedAfterADrawDoNotReachIt) {
  // The texture is rewritten and then freed right after drawing with it: the drawing
  // threads have read it before either happens, so the target holds its first colour.
  for (int32_t threads : {1, 2, 4}) {
    PSurface target(64, 64, PPixelFormat::kRGB565);
    PSoft3DDevice device(&target, threads);
    for (int round = 0; round < 20; ++round) {
      auto texture = std::make_unique<PSurface>(1, 1, PPixelFormat::kARGB1555);
      texture->Row16(0)[0] = 0xFC00;  // red
      DrawTexturedSquare(device, texture.get(), 0.5f);
      texture->Row16(0)[0] = 0x83E0;  // green, for nobody
      texture.reset();
      EXPECT_EQ(target.Row16(63)[63], 0xF800) << threads << " " << round;
      EXPECT_EQ(device.Depth(0, 63), 32768) << threads;
      target.Row16(63)[63] = 0;
    }
  }
}

TEST(PSoft3DDeviceThreads, SwappedBuffersAndClearsWaitForTheStrips) {
  // As a flip chain does: draw into the back buffer, swap it to the front, draw again. Each
  // buffer holds exactly its own frame.
  for (int32_t threads : {1, 3}) {
    PSurface back(64, 64, PPixelFormat::kRGB565), front(64, 64, PPixelFormat::kRGB565);
    PSoft3DDevice device(&back, threads);
    auto red = std::make_unique<PSurface>(1, 1, PPixelFormat::kARGB1555);
    auto blue = std::make_unique<PSurface>(1, 1, PPixelFormat::kARGB1555);
    red->Row16(0)[0] = 0xFC00;
    blue->Row16(0)[0] = 0x801F;
    for (int frame = 0; frame < 10; ++frame) {
      DrawTexturedSquare(device, frame % 2 ? blue.get() : red.get(), 0.25f);
      ASSERT_TRUE(back.SwapPixels(front));
      EXPECT_EQ(front.Row16(40)[17], frame % 2 ? 0x001F : 0xF800) << threads << " " << frame;
      P3DRect all{0, 0, 64, 64};
      device.Clear(&all, 1, kP3DClearTarget, 0x00FF00, 1.0f);
      EXPECT_EQ(back.Row16(40)[17], 0x07E0);
    }
  }
}

}  // namespace
