// The busy battlefield in motion: the large busy battle's first minute (computed headless once, at
// the scene's making) replayed from its start at 10 slices a frame over 241 frames, each frame
// drawn whole at 1024 x 768 on the software device with the camera over the busiest ground of
// that moment (the unit with the most others within 150 m), at view levels 1, 2, 3 and 5 with
// 1 and 2 drawing threads. Tree Display 2, Scale 2, Horizon 2 (1,500 m), rain at Full,
// smoke at High Quality, the clock a fake one that moves 17 ms a frame.
// The frame's passes are run one by one in the order of Map::Draw (checked against it on the
// first frame) and timed: the camera and block culling, backdrop, units, flags, effects,
// buildings, walls, terrain, overlays, craters, trees, weather, landmarks, fires, smoke, the
// translucent queue drained at the frame's end, and the wait for the drawing threads to
// finish. Reported per pass: the mean milliseconds and the triangles sent to the device per
// frame; for the whole frame the median, 95th percentile and worst milliseconds. Aim: 95th
// percentile at most 16.7 ms on 2 threads at every level.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "BusyFrameScene.h"
#include "platform/PClock.h"

namespace {

constexpr int32_t kFrames = 241;
constexpr int32_t kSlicesPerFrame = 10;

enum Pass {
  kCamera, kBackdrop, kUnits, kFlags, kEffects, kBuildings, kWalls, kTerrain, kOverlays, kCraters, kTrees,
  kWeather, kLandmarks, kFires, kSmoke, kTranslucent, kSettle, kPasses
};
constexpr std::array<const char*, kPasses> kPassNames = {
    "camera", "backdrop", "units", "flags", "effects", "buildings", "walls", "terrain", "overlays",
    "craters", "trees", "weather", "landmarks", "fires", "smoke", "translucent", "settle"};

struct PassTotals {
  std::array<double, kPasses> ms{};
  std::array<int64_t, kPasses> sent{};
};

// One frame, pass by pass in the order Map::Draw runs them (the replay is never in its set-up
// phase, so no zone outlines), then the translucent queue and the threads' last triangles.
double DrawFrame(Scene& scene, Map& map, PassTotals& totals) {
  GGraph3D& r = scene.renderer;
  HeadlessHost& app = scene.headless.Host();
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  auto last = start;
  int64_t sent = 0;
  auto mark = [&](Pass pass) {
    const auto now = Clock::now();
    totals.ms[pass] += std::chrono::duration<double, std::milli>(now - last).count();
    const int64_t total = r.FrameTriangles().sent;
    totals.sent[pass] += total - sent;
    sent = total;
    last = now;
  };
  r.RenderBegin();
  map.Invalidate();
  map.SetupCamera();
  map.UpdateViewCulling();
  mark(kCamera);
  map.DrawBackdrop();
  mark(kBackdrop);
  map.DrawUnits();
  mark(kUnits);
  map.DrawVictoryFlags();
  mark(kFlags);
  map.DrawEffects();
  mark(kEffects);
  map.DrawBuildings();
  mark(kBuildings);
  map.DrawWalls();
  mark(kWalls);
  map.DrawTerrain();
  mark(kTerrain);
  map.DrawOverlays();
  mark(kOverlays);
  map.DrawCraters();
  mark(kCraters);
  map.DrawTrees();
  mark(kTrees);
  map.DrawWeather();
  mark(kWeather);
  map.DrawLandmarks();
  mark(kLandmarks);
  app.DrawBurningTiles(map);
  mark(kFires);
  if (app.options[15] != 0) app.DrawSmoke(map);
  mark(kSmoke);
  r.RenderEnd();
  mark(kTranslucent);
  scene.device.Settle();
  mark(kSettle);
  return std::chrono::duration<double, std::milli>(last - start).count();
}

uint64_t gFakeNow = 0;

void ReplayFrame(benchmark::State& state) {
  const auto level = static_cast<int32_t>(state.range(0));
  const auto threads = static_cast<int32_t>(state.range(1));
  Scene& scene = TheScene();
  Battle* battle = scene.headless.GetBattle();
  if (!scene.loaded || battle == nullptr) {
    state.SkipWithError("large battle missing");
    return;
  }
  Map& map = *battle->map;
  SetBusyFrame(scene, map, 2, threads);
  PClock::SetFake([] { return gFakeNow; });
  auto follow = [&]() { LookAtBusiestGround(*battle, map, level); };

  std::vector<double> ms;
  ms.reserve(kFrames);
  PassTotals totals;
  bool sameAsMapDraw = true;
  for (auto _ : state) {
    ms.clear();
    totals = PassTotals{};
    battle->StartReplay();
    for (int32_t frame = 0; frame < kFrames; ++frame) {
      battle->SeekReplay(frame * kSlicesPerFrame);
      follow();
      gFakeNow += 17;
      if (frame == 0) {
        // The passes one by one give the frame Map::Draw gives.
        PassTotals check;
        scene.renderer.RenderBegin();
        map.Invalidate();
        map.Draw();
        const int64_t whole = scene.renderer.FrameTriangles().given;
        scene.renderer.RenderEnd();
        scene.device.Settle();
        DrawFrame(scene, map, check);
        sameAsMapDraw = sameAsMapDraw && scene.renderer.FrameTriangles().given == whole;
      }
      ms.push_back(DrawFrame(scene, map, totals));
    }
  }
  gGraph3D = nullptr;
  PClock::SetFake(nullptr);
  if (!sameAsMapDraw) {
    state.SkipWithError("the passes differ from Map::Draw");
    return;
  }
  const auto frames = static_cast<double>(ms.size());
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["p95_ms"] = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
  state.counters["worst_ms"] = ms.back();
  for (int32_t pass = 0; pass < kPasses; ++pass) {
    const std::string name = kPassNames[static_cast<size_t>(pass)];
    state.counters[name + "_ms"] = totals.ms[static_cast<size_t>(pass)] / frames;
    if (pass != kCamera && pass != kSettle)
      state.counters[name + "_tris"] = static_cast<double>(totals.sent[static_cast<size_t>(pass)]) / frames;
  }
  state.counters["units"] = battle->UnitCount();
}

}  // namespace

BENCHMARK(ReplayFrame)
    ->ArgNames({"level", "threads"})
    ->ArgsProduct({{1, 2, 3, 5}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

BENCHMARK_MAIN();
