// A synthetic busy battle frame replayed through the renderer and the software device at
// 1024 x 768: textured terrain in strips, about 300 buildings and vehicles, some 1,600
// alpha-tested trees and soldiers, and translucent smoke, seen from a battle camera, with
// linear fog. Reported per frame (the Time column, wall-clock ms) with the rate of pixels the
// rasteriser covered; point against bilinear magnification, fog on and off, the device on
// 1, 2 and 4 drawing threads (one thread is the device's plain path, drawing at once on the
// calling thread), and, for comparison, one thread drawing one pixel at a time throughout
// (wide:0, the spans as they were before they went four pixels at a time).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/media/GBoundingBox.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "framework/media/GGraph3DTexture.h"
#include "platform/PRecording3DDevice.h"
#include "platform/PSoft3DDevice.h"
#include "platform/PSurface.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

// The bench's own random numbers, so the scene is the same on every machine.
struct Lcg {
  uint32_t state;
  uint32_t Next() { return state = state * 1664525u + 1013904223u; }
  float Unit() { return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f); }
  float Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }
};

class Texture : public GGraph3DTexture {
 public:
  // A 5-bit colour pattern; with holes, about a third of the texels are transparent.
  Texture(int side, uint32_t seed, bool holes) : surface_(side, side, PPixelFormat::kARGB1555) {
    Lcg rng{seed};
    uint16_t r0 = static_cast<uint16_t>(rng.Next() >> 27), g0 = static_cast<uint16_t>(rng.Next() >> 27),
             b0 = static_cast<uint16_t>(rng.Next() >> 27);
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) {
        uint16_t noise = static_cast<uint16_t>(rng.Next() >> 29);
        uint16_t r = static_cast<uint16_t>((r0 + noise + ((x ^ y) & 4)) & 31);
        uint16_t g = static_cast<uint16_t>((g0 + noise) & 31), b = static_cast<uint16_t>((b0 + (y & 3)) & 31);
        bool clear = holes && ((x * 7 + y * 3) % 10 < 3 || y > side - side / 4);
        surface_.Row16(y)[x] = static_cast<uint16_t>((clear ? 0 : 0x8000) | r << 10 | g << 5 | b);
      }
  }
  const PSurface* GetTexture() const override { return &surface_; }

 private:
  PSurface surface_;
};

struct Object {
  float x, y, z, angle;
  float sx, sy, sz;
  int texture;
  GBoundingBox box;
};

// Everything drawn in a frame, made once.
class Scene {
 public:
  Scene() {
    for (int i = 0; i < 6; ++i) textures_.push_back(std::make_unique<Texture>(128, 11u + i, false));
    for (int i = 0; i < 3; ++i) textures_.push_back(std::make_unique<Texture>(64, 101u + i, true));
    smoke_ = std::make_unique<Texture>(64, 999u, false);
    Lcg rng{2024};
    // The ground: rows of 10 m tiles, 800 m wide, from behind the camera to 1 km ahead.
    for (int row = 0; row < kRows; ++row) {
      std::vector<float> xyz, uv;
      for (int col = 0; col <= kColumns; ++col)
        for (int k = 0; k < 2; ++k) {
          float x = -400.0f + 10.0f * static_cast<float>(col);
          float y = -100.0f + 10.0f * static_cast<float>(row + k);
          float z = 2.0f * std::sin(x * 0.02f) * std::cos(y * 0.015f);
          xyz.insert(xyz.end(), {x, y, z});
          uv.insert(uv.end(), {static_cast<float>(col) * 0.5f, static_cast<float>(row + k) * 0.5f});
        }
      groundXyz_.push_back(xyz);
      groundUv_.push_back(uv);
      GBoundingBox box;
      box.Set(0.0f, -95.0f + 10.0f * static_cast<float>(row), -2.0f, 800.0f, 10.0f, 4.0f);
      groundBoxes_.push_back(box);
    }
    // Buildings and vehicles.
    for (int i = 0; i < 300; ++i) {
      Object o{rng.Range(-250, 250), rng.Range(-20, 600), 0, rng.Range(0, 360), rng.Range(6, 16), rng.Range(6, 16),
               rng.Range(4, 12),     static_cast<int>(rng.Next() % 6), {}};
      o.box.Set(o.x, o.y, 0.0f, 1.5f * std::max(o.sx, o.sy), 1.5f * std::max(o.sx, o.sy), o.sz);
      buildings_.push_back(o);
    }
    // Trees and soldiers: two crossed, alpha-tested cards each.
    for (int i = 0; i < 1600; ++i) {
      float h = rng.Range(1.8f, 12.0f);
      Object o{rng.Range(-300, 300), rng.Range(-10, 700), 0, rng.Range(0, 180), h * 0.6f, h * 0.6f, h,
               6 + static_cast<int>(rng.Next() % 3), {}};
      o.box.Set(o.x, o.y, 0.0f, o.sx * 2.0f, o.sx * 2.0f, h);
      trees_.push_back(o);
    }
    // Smoke: translucent cards facing the camera.
    for (int i = 0; i < 180; ++i) {
      float s = rng.Range(8, 30);
      Object o{rng.Range(-200, 200), rng.Range(20, 500), rng.Range(2, 20), 0, s, s, s, 0, {}};
      smokeCards_.push_back(o);
    }
  }

  void Draw(GGraph3D& r, bool fog) const {
    r.RenderBegin();
    r.SetProjection(0, 0, kWidth, kHeight, 70.0f, 1.0f, 1200.0f);
    r.LookAt(0, -150, 120, 0, 150, 0, 0, 0, 1);
    r.SetFogColor(0.55f, 0.6f, 0.65f);
    r.SetFogRange(150.0f, 900.0f);
    r.SetFog(fog);
    r.SetColor(1, 1, 1);
    r.SetAlpha(1.0f);

    // The sky: a wall past the far end of the ground. Ground and sky are two-sided.
    r.SetBackfaceCulling(false);
    r.SetTexture(textures_[5].get());
    r.DrawTexturedQuad(-1200, 1000, -50, 0, 0, -1200, 1000, 600, 0, 4, 1200, 1000, 600, 8, 4, 1200, 1000, -50, 8,
                       0);
    // The ground, row by row: rows wholly in view take the batched path.
    for (size_t row = 0; row < groundXyz_.size(); ++row) {
      bool out = true;
      if (!groundBoxes_[row].IsVisible(&out)) continue;
      r.SetTexture(textures_[row % 2].get());
      r.DrawTexturedStrip(out, 2 * kColumns, groundXyz_[row].data(), groundUv_[row].data());
    }
    r.SetBackfaceCulling(true);
    // Buildings and vehicles: boxes of four sides and a roof, each side two by two quads.
    for (const Object& o : buildings_) {
      bool out = true;
      if (!o.box.IsVisible(&out)) continue;
      r.PushMatrix();
      r.Translate(o.x, o.y, o.z);
      r.RotateZ(o.angle);
      r.Scale(o.sx * 0.5f, o.sy * 0.5f, o.sz);
      r.SetTexture(textures_[static_cast<size_t>(o.texture)].get());
      DrawBox(r, out);
      r.PopMatrix();
    }
    // Trees and soldiers, alpha-tested.
    for (const Object& o : trees_) {
      bool out = true;
      if (!o.box.IsVisible(&out)) continue;
      r.PushMatrix();
      r.Translate(o.x, o.y, o.z);
      r.RotateZ(o.angle);
      r.Scale(o.sx, o.sy, o.sz);
      r.SetTexture(textures_[static_cast<size_t>(o.texture)].get());
      r.SetBackfaceCulling(false);
      static const float kCard[12] = {-0.5f, 0, 0, 0.5f, 0, 0, 0.5f, 0, 1, -0.5f, 0, 1};
      static const float kCross[12] = {0, -0.5f, 0, 0, 0.5f, 0, 0, 0.5f, 1, 0, -0.5f, 1};
      static const float kUv[8] = {0, 1, 1, 1, 1, 0, 0, 0};
      r.DrawTexturedFan(out, 2, kCard, kUv);
      r.DrawTexturedFan(out, 2, kCross, kUv);
      r.SetBackfaceCulling(true);
      r.PopMatrix();
    }
    // Smoke, translucent: queued and drawn farthest first at the end of the frame.
    r.SetTexture(smoke_.get());
    r.SetAlpha(0.45f);
    r.SetBackfaceCulling(false);
    for (const Object& o : smokeCards_) {
      r.PushMatrix();
      r.Translate(o.x, o.y, o.z);
      r.DrawTexturedQuad(-o.sx, 0, -o.sz, 0, 0, o.sx, 0, -o.sz, 1, 0, o.sx, 0, o.sz, 1, 1, -o.sx, 0, o.sz, 0, 1);
      r.PopMatrix();
    }
    r.SetBackfaceCulling(true);
    r.SetAlpha(1.0f);
    r.RenderEnd();
  }

 private:
  static constexpr int kRows = 110;
  static constexpr int kColumns = 80;

  static void DrawBox(GGraph3D& r, bool clip) {
    // Each face as a strip of 2 x 2 quads (8 triangles), wound to face outward.
    static const float kUv[18] = {0, 0, 0, 1, 0.5f, 0, 0.5f, 1, 1, 0, 1, 1, 1.5f, 0, 1.5f, 1, 2, 0};
    auto face = [&](const float origin[3], const float du[3], const float dv[3]) {
      for (int band = 0; band < 2; ++band) {
        float xyz[18];
        float uv[12];
        for (int k = 0; k < 6; ++k) {
          int across = k / 2, up = band + (k % 2);
          for (int c = 0; c < 3; ++c)
            xyz[3 * k + c] = origin[c] + du[c] * 0.5f * static_cast<float>(across) + dv[c] * 0.5f * static_cast<float>(up);
          uv[2 * k] = kUv[2 * k];
          uv[2 * k + 1] = 0.5f * static_cast<float>(up);
        }
        r.DrawTexturedStrip(clip, 4, xyz, uv);
      }
    };
    const float o1[3] = {-1, -1, 0}, e1[3] = {2, 0, 0}, up[3] = {0, 0, 1};
    const float o2[3] = {1, -1, 0}, e2[3] = {0, 2, 0};
    const float o3[3] = {1, 1, 0}, e3[3] = {-2, 0, 0};
    const float o4[3] = {-1, 1, 0}, e4[3] = {0, -2, 0};
    const float o5[3] = {-1, -1, 1}, e5[3] = {2, 0, 0}, d5[3] = {0, 2, 0};
    face(o1, e1, up);
    face(o2, e2, up);
    face(o3, e3, up);
    face(o4, e4, up);
    face(o5, e5, d5);
  }

  std::vector<std::unique_ptr<Texture>> textures_;
  std::unique_ptr<Texture> smoke_;
  std::vector<std::vector<float>> groundXyz_, groundUv_;
  std::vector<GBoundingBox> groundBoxes_;
  std::vector<Object> buildings_, trees_, smokeCards_;
};

const Scene& TheScene() {
  static const Scene scene;
  return scene;
}

// Triangles and covered pixels of one frame, counted from a recording of its device calls.
struct FrameStats {
  double triangles = 0;
  double pixels = 0;
};

FrameStats Measure() {
  PSurface screen(kWidth, kHeight, PPixelFormat::kRGB565);
  PRecording3DDevice device;
  GGraph3DHost host(&device, &screen);
  GGraph3D renderer(&host);
  gGraph3D = &renderer;
  renderer.Init3D();
  TheScene().Draw(renderer, true);
  gGraph3D = nullptr;
  FrameStats stats;
  for (const PRecording3DDevice::Call* call : device.Draws()) {
    auto area = [&](int a, int b, int c) {
      double ax = call->X(a), ay = call->Y(a), bx = call->X(b), by = call->Y(b), cx = call->X(c), cy = call->Y(c);
      stats.pixels += std::fabs((bx - ax) * (cy - ay) - (cx - ax) * (by - ay)) * 0.5;
      stats.triangles += 1;
    };
    for (int i = 0; i + 2 < call->count; ++i) {
      if (call->type == P3DPrimitive::kTriangleList) {
        if (i % 3 == 0) area(i, i + 1, i + 2);
      } else if (call->type == P3DPrimitive::kTriangleStrip) {
        area(i, i + 1, i + 2);
      } else {
        area(0, i + 1, i + 2);
      }
    }
  }
  return stats;
}

void BM_BattleFrame(benchmark::State& state) {
  bool bilinear = state.range(0) != 0;
  bool fog = state.range(1) != 0;
  const auto threads = static_cast<int32_t>(state.range(2));
  PSoft3DDevice::SetWideSpans(state.range(3) != 0);
  static const FrameStats stats = Measure();
  PSurface screen(kWidth, kHeight, PPixelFormat::kRGB565);
  PSoft3DDevice device(&screen, threads);
  // A "hardware" device magnifies bilinearly, a software one by points.
  GGraph3DHost host(&device, &screen, bilinear);
  GGraph3D renderer(&host);
  gGraph3D = &renderer;
  renderer.Init3D();
  for (auto _ : state) {
    TheScene().Draw(renderer, fog);
    // Reading the pixels waits for the drawing threads: the frame is timed to its end.
    benchmark::DoNotOptimize(screen.Pixels());
  }
  gGraph3D = nullptr;
  PSoft3DDevice::SetWideSpans(true);
  state.counters["triangles"] = stats.triangles;
  state.counters["overdraw"] = stats.pixels / (kWidth * kHeight);
  state.counters["Mpixel/s"] =
      benchmark::Counter(stats.pixels * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["fps"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
}
void FrameVariants(benchmark::internal::Benchmark* b) {
  for (int64_t bilinear : {0, 1})
    for (int64_t fog : {0, 1}) {
      b->Args({bilinear, fog, 1, 0});
      for (int64_t threads : {1, 2, 4}) b->Args({bilinear, fog, threads, 1});
    }
}
BENCHMARK(BM_BattleFrame)
    ->ArgNames({"bilinear", "fog", "threads", "wide"})
    ->Apply(FrameVariants)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The battlefield's backdrop as the busy frame at view level 2 hands it to the device: the two
// sky walls in view above the horizon and the ground plane below it, 1024 x 768, drawn with
// a fixed depth and no depth writes, magnified bilinearly from 32 x 64 textures of one shape
// on the transparent key (alpha-tested, blended). Nearly every pixel of the target is drawn.
// Aim: under 0.5 ms on one thread.
struct BackdropVertex {
  float x, y, z, rhw, u, v;
};
void BM_Backdrop(benchmark::State& state) {
  PSoft3DDevice::SetWideSpans(state.range(0) != 0);
  PSurface screen(kWidth, kHeight, PPixelFormat::kRGB565);
  PSoft3DDevice device(&screen, 1);
  PSurface shape(32, 64, PPixelFormat::kARGB1555);
  for (int y = 0; y < 64; ++y) {
    const int half = 2 + (63 - y) * 14 / 63;
    for (int x = 0; x < 32; ++x)
      shape.Row16(y)[x] = x >= 16 - half && x < 16 + half ? static_cast<uint16_t>(0x8000 | 5 << 10 | 11 << 5 | 3)
                                                          : static_cast<uint16_t>(0x7C1F);
  }
  const float z = 0.999989986f;
  const BackdropVertex sky[12] = {
      {0, 0, z, 0.000116504139f, 0.377544701f, -0.171158776f},
      {843.058472f, 0, z, 8.9459325e-05f, 0, -0.215714157f},
      {0, 94.5565186f, z, 0.000114545139f, 0.381049961f, -0.00999999978f},
      {843.058472f, 0, z, 8.9459325e-05f, 0, -0.215714157f},
      {836.705811f, 92.6941833f, z, 8.77426937e-05f, 0, -0.00999999978f},
      {0, 94.5565186f, z, 0.000114545139f, 0.381049961f, -0.00999999978f},
      {1024, 94.148468f, z, 0.000108671898f, 0.87840879f, -0.00999999978f},
      {836.705811f, 92.6941833f, z, 8.77426937e-05f, 1, -0.00999999978f},
      {1024, 0, z, 0.000109693901f, 0.883689225f, -0.180308819f},
      {836.705811f, 92.6941833f, z, 8.77426937e-05f, 1, -0.00999999978f},
      {843.058472f, 0, z, 8.9459325e-05f, 1, -0.215714201f},
      {1024, 0, z, 0.000109693901f, 0.883689225f, -0.180308819f}};
  const BackdropVertex ground[9] = {
      {0, 768, z, 0.00980643556f, 0.636966288f, -0.515047729f},
      {0, 94.5565186f, z, 0.000114545139f, 0.618950069f, -1},
      {1024, 768, z, 0.00980645698f, 0.641199827f, -0.513406396f},
      {0, 94.5565186f, z, 0.000114545139f, 0.618950069f, -1},
      {836.705811f, 92.6941833f, z, 8.77426937e-05f, 1, -1},
      {1024, 768, z, 0.00980645698f, 0.641199827f, -0.513406396f},
      {836.705811f, 92.6941833f, z, 8.77426937e-05f, 1, -1},
      {1024, 94.1484375f, z, 0.000108671898f, 1, -0.87840879f},
      {1024, 768, z, 0.00980645698f, 0.641199827f, -0.513406396f}};
  device.SetTexture(0, &shape);
  device.SetTextureStageState(0, P3DStageState::kMagFilter, P3DFilter::kLinear);
  device.SetTextureStageState(0, P3DStageState::kMinFilter, P3DFilter::kPoint);
  device.SetRenderState(P3DState::kZWriteEnable, 0);
  device.SetRenderState(P3DState::kAlphaTestEnable, 1);
  device.SetRenderState(P3DState::kAlphaFunc, P3DCompare::kGreater);
  device.SetRenderState(P3DState::kAlphaRef, 0);
  device.SetRenderState(P3DState::kAlphaBlendEnable, 1);
  device.SetRenderState(P3DState::kSrcBlend, P3DBlend::kSrcAlpha);
  device.SetRenderState(P3DState::kDestBlend, P3DBlend::kInvSrcAlpha);
  // Cleared once: the backdrop writes no depth, so every frame draws the same pixels.
  const P3DRect all{0, 0, kWidth, kHeight};
  device.Clear(&all, 1, kP3DClearTarget | kP3DClearZBuffer, 0x405060, 1.0f);
  for (auto _ : state) {
    device.DrawPrimitive(P3DPrimitive::kTriangleList, kP3DTexturedFormat, sky, 12, 0);
    device.DrawPrimitive(P3DPrimitive::kTriangleList, kP3DTexturedFormat, ground, 9, 0);
    benchmark::DoNotOptimize(screen.Pixels());
  }
  PSoft3DDevice::SetWideSpans(true);
}
BENCHMARK(BM_Backdrop)->ArgName("wide")->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
