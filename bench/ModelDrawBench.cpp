// The vehicle models: the 93 records on a renderer that does nothing (the interpreter alone, ns
// per model, allocations per pass: aim none); slot 36 through the renderer to a device that
// discards what it is given; and 30 full-detail vehicles at 1024 x 768 on the software device with
// the clip flag 0 and 1 (the time of one frame).
#include <benchmark/benchmark.h>

#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include "DiscardDevice.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "game/models/ModelDrawContext.h"
#include "game/models/VehicleModelProgram.h"
#include "game/models/VehicleModelTable.h"
#include "platform/P3DDevice.h"
#include "platform/PSoft3DDevice.h"
#include "platform/PSurface.h"

namespace {


// Takes every call and does nothing with it.
struct NoOpRenderer {
  void SetBackfaceCulling(bool) {}
  void DrawTexturedStrip(bool, int32_t n, const float* xyz, const float* uv) { benchmark::DoNotOptimize(n + xyz[0] + uv[0]); }
  void DrawTexturedFan(bool, int32_t n, const float* xyz, const float* uv) { benchmark::DoNotOptimize(n + xyz[0] + uv[0]); }
  void DrawTexturedTriangleArray(const float* p, const float* uv) { benchmark::DoNotOptimize(p[0] + uv[0]); }
  void DrawTexturedTriangle(float x1, float, float, float, float, float, float, float, float, float, float, float,
                            float, float, float v3) {
    benchmark::DoNotOptimize(x1 + v3);
  }
  void DrawTexturedQuad(float x1, float, float, float, float, float, float, float, float, float, float, float, float,
                        float, float, float, float, float, float, float v4) {
    benchmark::DoNotOptimize(x1 + v4);
  }
  void SetColor(float, float, float) {}
  void DrawColouredFan(bool, int32_t n, const float* xyz) { benchmark::DoNotOptimize(n + xyz[0]); }
  void PushMatrix() {}
  void PopMatrix() {}
  void Translate(float, float, float) {}
  void TranslateY(float) {}
  void TranslateXY(float, float) {}
  void TranslateYZ(float, float) {}
  void RotateX(float) {}
  void RotateY(float) {}
  void RotateZ(float) {}
  void DrawMuzzleFlash(float, float, float, float) {}
  void TranslateRecoil(float) {}
};

void BM_RecordsOnANoOpRenderer(benchmark::State& state) {
  NoOpRenderer r;
  std::array<float, 4> footprint{};
  ModelDrawValues values;
  values.footprint = &footprint;
  values.trackScroll = {1.5f, -2.25f};
  values.turretTilt = 5.0f;
  const int64_t before = gAllocations.load();
  for (auto _ : state) {
    for (int32_t routine = 0; routine < VehicleModelTable::kRoutines; ++routine)
      RunModelProgram(VehicleModelTable::Program(routine), r, &r, values, false, true);
  }
  state.counters["ns/model"] = benchmark::Counter(static_cast<double>(state.iterations()) * VehicleModelTable::kRoutines,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["allocations/pass"] =
      static_cast<double>(gAllocations.load() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RecordsOnANoOpRenderer);

void BM_Slot36ToADiscardingDevice(benchmark::State& state) {
  PSurface screen(1024, 768, PPixelFormat::kRGB565);
  DiscardDevice device;
  GGraph3DHost host(&device, &screen);
  GGraph3D g(&host);
  gGraph3D = &g;
  g.Init3D();
  ModelDrawContext::Current() = ModelDrawContext{};
  g.RenderBegin();
  g.SetProjection(0, 0, 1024, 768, 60.0f, 0.01f, 100.0f);
  g.LookAt(0.0f, -0.4f, 0.25f, 0.0f, 0.0f, 0.03f, 0.0f, 0.0f, 1.0f);
  const int64_t before = gAllocations.load();
  for (auto _ : state) VehicleModelTable::Draw(36, state.range(0) != 0, 0);
  g.RenderEnd();
  state.counters["allocations/draw"] =
      static_cast<double>(gAllocations.load() - before) / static_cast<double>(state.iterations());
  gGraph3D = nullptr;
}
BENCHMARK(BM_Slot36ToADiscardingDevice)->Arg(0)->Arg(1);

void BM_ThirtyVehiclesOnTheSoftwareDevice(benchmark::State& state) {
  PSurface screen(1024, 768, PPixelFormat::kRGB565);
  PSoft3DDevice device(&screen, 1);
  GGraph3DHost host(&device, &screen);
  GGraph3D g(&host);
  gGraph3D = &g;
  g.Init3D();
  ModelDrawContext::Current() = ModelDrawContext{};
  const bool clip = state.range(0) != 0;
  for (auto _ : state) {
    g.RenderBegin();
    g.SetProjection(0, 0, 1024, 768, 60.0f, 0.05f, 100.0f);
    g.LookAt(0.0f, -1.6f, 0.9f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
    for (int32_t k = 0; k < 30; ++k) {
      g.PushMatrix();
      g.Translate(-0.75f + 0.3f * static_cast<float>(k % 6), -0.5f + 0.3f * static_cast<float>(k / 6), 0.0f);
      g.RotateZ(12.0f * static_cast<float>(k));
      VehicleModelTable::Draw(35 + k, clip, 1);
      g.PopMatrix();
    }
    g.RenderEnd();
  }
  gGraph3D = nullptr;
}
BENCHMARK(BM_ThirtyVehiclesOnTheSoftwareDevice)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace


BENCHMARK_MAIN();
