// The vehicle and weapon models, one core, on a device that takes every primitive and draws
// nothing (the scene building is what is measured): 100 vehicles at full detail (model,
// three crew figures, shadow) and at low detail (the generic bodies), and 20 of each of the
// 23 weapon models. Reports microseconds per model and the allocations per frame (aim:
// none). The largest weapon model (13) is also drawn by the straight-line calls the model
// tool generates: the interpreter aims to stay within 1.2 times their time.
#include <benchmark/benchmark.h>

#include "AllocationCounter.h"
#include "DiscardDevice.h"

#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "framework/media/GGraphic.h"
#include "game/draw/VehicleDraw.h"
#include "game/models/InfantryModelDraw.h"
#include "game/models/ModelDrawContext.h"
#include "game/models/WeaponModelData.h"
#include "game/units/draw/InfantryDraw.h"
#include "game/units/Unit.h"
#include "game/units/VehicleRig.h"
#include "platform/P3DDevice.h"
#include "platform/PSurface.h"

#include "WeaponModelStraight13.inc"

namespace {


constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kVehicles = 100;
constexpr int kEachWeaponModel = 20;
constexpr int kModels = 99;

// 100 vehicles of five classes in a field 200 m across, each model record with three crew
// places (an open hatch on the turret, the hull, the gunner's shield).
struct Column {
  Column() : models(kModels * VehicleModelData::kSize, 0) {
    for (int32_t m = 0; m < kModels; ++m) {
      uint8_t* record = models.data() + m * VehicleModelData::kSize;
      record[3] = 3;
      const int32_t kinds[3] = {1, 6, 8};
      const float places[3][5] = {{0.0f, -0.5f, 2.2f, 0.0f, 0.0f}, {1.0f, 1.5f, 1.4f, 90.0f, 0.0f},
                                  {-0.8f, 0.2f, 2.0f, 180.0f, 0.4f}};
      for (int32_t i = 0; i < 3; ++i) {
        std::memcpy(record + 4 + 4 * i, &kinds[i], 4);
        std::memcpy(record + 12 + 20 * i, places[i], sizeof places[i]);
      }
    }
    gVehicleModels = DataTable<VehicleModelData>(models.data(), static_cast<uint32_t>(models.size()));
    for (int32_t k = 0; k < 5; ++k) {
      rig.PutI32(1 + k, 60, k == 0 ? 0 : 10);  // categories: turreted body and modelled-only
      rig.PutI32(1 + k, 256, 17 * k + 3);
      rig.Class(1 + k)[56] = 3;                // a crew of three
    }
    for (int32_t i = 0; i < kVehicles; ++i) {
      auto v = std::make_unique<Vehicle>();
      v->SetClass(1 + i % 5, 0, 0, 10.0f + 19.0f * static_cast<float>(i % 10), 10.0f + 19.0f * static_cast<float>(i / 10),
                  static_cast<float>(i * 37 % 360));
      v->turretOffset = static_cast<float>(i * 13 % 90) - 45.0f;
      v->crewLookTimers = {i * 500 % 10000, 4500, 9500};
      vehicles.push_back(std::move(v));
    }
  }
  VehicleRig rig;
  std::vector<uint8_t> models;
  std::vector<std::unique_ptr<Vehicle>> vehicles;
};

struct Screen {
  Screen() : screen(kWidth, kHeight, PPixelFormat::kRGB565), host(&device, &screen), renderer(&host) {
    gGraph3D = &renderer;
    renderer.Init3D();
  }
  ~Screen() { gGraph3D = nullptr; }
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;
  void Begin() {
    renderer.RenderBegin();
    renderer.SetProjection(0, 0, kWidth, kHeight, 70.0f, 1.0f, 3000.0f);
    renderer.LookAt(100.0f, -40.0f, 60.0f, 100.0f, 100.0f, 0.0f, 0.0f, 0.0f, 1.0f);
  }
  PSurface screen;
  DiscardDevice device;
  GGraph3DHost host;
  GGraph3D renderer;
};

void DrawVehicles(GGraph3D& r, Column& column, float detail) {
  const Map& map = column.rig.GetMap();
  const float scale = 9.0f;
  for (auto& v : column.vehicles) {
    r.PushMatrix();
    r.Translate(v->x, v->y, map.ElevationAt(v->x, v->y));
    r.RotateZ(v->facing - 90.0f);
    r.Scale(scale, scale, scale);
    VehicleDraw::Draw(*v, true, detail);
    r.PopMatrix();
    VehicleDraw::DrawShadow(*v, scale, true);
  }
}

void Vehicles(benchmark::State& state, float detail) {
  Screen s;
  Column column;
  s.Begin();
  DrawVehicles(s.renderer, column, detail);
  s.renderer.RenderEnd();
  int64_t allocations = 0;
  int64_t triangles = 0;
  for (auto _ : state) {
    s.Begin();
    const int64_t before = gAllocations.load();
    DrawVehicles(s.renderer, column, detail);
    allocations += gAllocations.load() - before;
    s.renderer.RenderEnd();
    triangles += s.renderer.FrameTriangles().given;
  }
  ModelDrawContext::Current() = ModelDrawContext{};
  const double frames = static_cast<double>(state.iterations());
  state.counters["us/model"] =
      benchmark::Counter(frames * kVehicles * 1e-6, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["triangles/frame"] = static_cast<double>(triangles) / frames;
  state.counters["alloc/frame"] = static_cast<double>(allocations) / frames;
}

void BM_VehiclesFullDetailWithCrewsAndShadows(benchmark::State& state) { Vehicles(state, 10.0f); }
void BM_VehiclesLowDetail(benchmark::State& state) { Vehicles(state, 1.0f); }

// The weapon models in rows of 23, 20 rows, elevated and turned.
void WeaponModels(benchmark::State& state) {
  Screen s;
  InfantryModelDraw::State& published = InfantryModelDraw::Published();
  published = InfantryModelDraw::State{};
  published.elevation = 12.0f;
  published.facing = 30.0f;
  auto frame = [&s] {
    for (int32_t row = 0; row < kEachWeaponModel; ++row) {
      for (int32_t m = 0; m < InfantryModelDraw::kModels; ++m) {
        s.renderer.PushMatrix();
        s.renderer.Translate(10.0f + 8.0f * static_cast<float>(m), 10.0f + 9.0f * static_cast<float>(row), 0.0f);
        s.renderer.Scale(18.0f, 18.0f, 18.0f);
        InfantryModelDraw::Draw(m, true);
        s.renderer.PopMatrix();
      }
    }
  };
  int64_t allocations = 0;
  for (auto _ : state) {
    s.Begin();
    const int64_t before = gAllocations.load();
    frame();
    allocations += gAllocations.load() - before;
    s.renderer.RenderEnd();
  }
  const double frames = static_cast<double>(state.iterations());
  state.counters["us/model"] = benchmark::Counter(frames * kEachWeaponModel * InfantryModelDraw::kModels * 1e-6,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["alloc/frame"] = static_cast<double>(allocations) / frames;
}

// Model 13 drawn 400 times a frame by the interpreter or by the straight-line calls.
void Model13(benchmark::State& state, bool straight) {
  Screen s;
  InfantryModelDraw::Published() = InfantryModelDraw::State{};
  constexpr int32_t kDraws = 400;
  int64_t triangles = 0;
  for (auto _ : state) {
    s.Begin();
    for (int32_t i = 0; i < kDraws; ++i) {
      s.renderer.PushMatrix();
      s.renderer.Translate(20.0f + 3.0f * static_cast<float>(i % 40), 20.0f + 5.0f * static_cast<float>(i / 40), 0.0f);
      s.renderer.Scale(18.0f, 18.0f, 18.0f);
      if (straight) {
        DrawWeaponModelStraight13(true);
      } else {
        InfantryModelDraw::Draw(13, true);
      }
      s.renderer.PopMatrix();
    }
    s.renderer.RenderEnd();
    triangles += s.renderer.FrameTriangles().given;
  }
  const double frames = static_cast<double>(state.iterations());
  state.counters["us/model"] =
      benchmark::Counter(frames * kDraws * 1e-6, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["triangles/model"] = static_cast<double>(triangles) / (frames * kDraws);
}

void BM_WeaponModels(benchmark::State& state) { WeaponModels(state); }
void BM_Model13Interpreted(benchmark::State& state) { Model13(state, false); }
void BM_Model13StraightLine(benchmark::State& state) { Model13(state, true); }

BENCHMARK(BM_VehiclesFullDetailWithCrewsAndShadows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VehiclesLowDetail)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WeaponModels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Model13Interpreted)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Model13StraightLine)->Unit(benchmark::kMillisecond);

}  // namespace


BENCHMARK_MAIN();
