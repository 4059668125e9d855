// The soldiers of a battlefield frame, one core: 300 squads of three (900 men) scattered over a
// square kilometre seen from a view-level-2 camera, at the realistic scale and at "Scale" 2
// (unit scale 1.6, growth exponent 0.41 at that level), each man at the level of detail his
// apparent size gives; and all 900 men at level 0, the worst case. Scene building only: the
// device discards what it is given. Reports milliseconds and triangles per frame and the
// allocations per frame (aim: none; the scattered frame at most 2 ms).
#include <benchmark/benchmark.h>

#include "AllocationCounter.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "game/units/draw/InfantryDraw.h"
#include "game/units/InfantryRig.h"
#include "DiscardDevice.h"
#include "platform/P3DDevice.h"
#include "platform/PSurface.h"

namespace {


constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kSquads = 300;
constexpr float kFigureScale = 0.012990149669349194f;

struct Field {
  Field() {
    rig.world.app.editorOpen = true;  // every squad fully identified: three men each
    rig.world.app.options[3] = 1;
    uint32_t seed = 12345u;
    auto next = [&seed] {
      seed = seed * 1103515245u + 12345u;
      return static_cast<float>((seed >> 8) & 0xFFFF) / 65535.0f;
    };
    for (int i = 0; i < kSquads; ++i) {
      auto squad = rig.Make(InfantryRig::kSquad, i % 19);
      squad->appearanceVariants = {static_cast<int16_t>(2 + i % 10), 3, 4};
      squad->x = next() * 1000.0f;
      squad->y = next() * 1000.0f;
      squad->facing = next() * 360.0f;
      squads.push_back(std::move(squad));
    }
  }
  InfantryRig rig;
  std::vector<std::unique_ptr<Infantry>> squads;
};

// The camera stands at the field's south edge, 40 m up, looking across it.
constexpr float kEyeX = 500.0f;
constexpr float kEyeY = -20.0f;
constexpr float kEyeZ = 40.0f;

void DrawFrame(GGraph3D& r, Field& field, float unitScale, float growth, bool worst) {
  r.RenderBegin();
  r.SetProjection(0, 0, kWidth, kHeight, 70.0f, 1.0f, 3000.0f);
  r.LookAt(kEyeX, kEyeY, kEyeZ, 500.0f, 500.0f, 0.0f, 0.0f, 0.0f, 1.0f);
  for (auto& squad : field.squads) {
    const float dx = squad->x - kEyeX;
    const float dy = squad->y - kEyeY;
    const float d = std::sqrt(dx * dx + dy * dy + kEyeZ * kEyeZ);
    float scale = unitScale;
    if (d > 50.0f && growth != 0.0f) scale *= std::pow(d * 0.02f, growth);
    scale *= kFigureScale;
    r.PushMatrix();
    r.Translate(squad->x, squad->y, 0.0f);
    r.RotateZ(squad->facing - 90.0f);
    r.Scale(scale, scale, scale);
    squad->DrawSquad(false, worst ? 1.0f : 20.0f / d * scale);
    r.PopMatrix();
  }
  r.RenderEnd();
}

void Run(benchmark::State& state, float unitScale, float growth, bool worst) {
  PSurface screen(kWidth, kHeight, PPixelFormat::kRGB565);
  DiscardDevice device;
  GGraph3DHost host(&device, &screen);
  GGraph3D renderer(&host);
  gGraph3D = &renderer;
  renderer.Init3D();
  Field field;
  DrawFrame(renderer, field, unitScale, growth, worst);
  int64_t allocations = 0;
  int64_t triangles = 0;
  for (auto _ : state) {
    const int64_t before = gAllocations.load();
    DrawFrame(renderer, field, unitScale, growth, worst);
    allocations += gAllocations.load() - before;
    triangles += renderer.FrameTriangles().given;
  }
  gGraph3D = nullptr;
  const double frames = static_cast<double>(state.iterations());
  state.counters["triangles/frame"] = static_cast<double>(triangles) / frames;
  state.counters["alloc/frame"] = static_cast<double>(allocations) / frames;
}

void BM_SoldiersScatteredRealistic(benchmark::State& state) { Run(state, 1.0f, 0.0f, false); }
void BM_SoldiersScatteredScale2(benchmark::State& state) { Run(state, 1.6f, 0.41f, false); }
void BM_SoldiersAllAtLevel0(benchmark::State& state) { Run(state, 1.0f, 0.0f, true); }

BENCHMARK(BM_SoldiersScatteredRealistic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoldiersScatteredScale2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoldiersAllAtLevel0)->Unit(benchmark::kMillisecond);

}  // namespace


BENCHMARK_MAIN();
