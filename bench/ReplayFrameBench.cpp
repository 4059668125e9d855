// The busy battlefield in motion: the large busy battle's first minute (computed headless once, at
// the scene's making) replayed from its start at 10 slices a frame over 241 frames, each frame
// drawn whole at 1024 x 768 on the software device with the camera over the busiest ground of
// that moment (the unit with the most others within 150 m), at view levels 1, 2, 3 and 5 with
// 1 and 2 drawing threads, Horizon 2 (1,500 m), and at level 2 with the horizon unlimited (0:
// the whole map at full detail; aim 33 ms). Tree Display 2, Scale 2, rain at Full, smoke at
// High Quality, the clock a fake one that moves 17 ms a frame.
// The frame's passes are run one by one in the order of Map::Draw (checked against it on the
// first frame) and timed: the camera and block culling, backdrop, units, flags, effects,
// buildings, walls, terrain, overlays, craters, trees, weather, landmarks, fires, smoke, the
// translucent queue drained at the frame's end, and the wait for the drawing threads to
// finish. Reported per pass: the mean, median and 95th percentile milliseconds and the
// triangles sent to the device per frame; for the whole frame the median, 95th percentile and
// worst milliseconds, and split into scene building and rasterisation: the processor time of
// the building thread (with 1 thread it rasterises too) and of the drawing threads (their
// waits for work included), as medians per frame. Also the frame's counters at its last
// frame: triangles given and sent, the terrain's far-block fans and block tests, the trees
// visited and tree block tests. Aim: 95th percentile at most 16.7 ms on 2 threads at every
// level.
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
  std::array<std::vector<double>, kPasses> frameMs;  // each frame's, when kept
  bool keepFrames = false;
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
    const double ms = std::chrono::duration<double, std::milli>(now - last).count();
    totals.ms[pass] += ms;
    if (totals.keepFrames) totals.frameMs[pass].push_back(ms);
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
  app.Battlefield().DrawBurningTiles(map);
  mark(kFires);
  if (app.options[15] != 0) app.Battlefield().DrawSmoke(map);
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
  const auto horizon = static_cast<int8_t>(state.range(2));
  Scene& scene = TheScene();
  Battle* battle = scene.headless.GetBattle();
  if (!scene.loaded || battle == nullptr) {
    state.SkipWithError("large battle missing");
    return;
  }
  Map& map = *battle->map;
  SetBusyFrame(scene, map, horizon, threads);
  PClock::SetFake([] { return gFakeNow; });
  auto follow = [&]() { LookAtBusiestGround(*battle, map, level); };

  std::vector<double> ms, buildCpu, drawCpu;
  ms.reserve(kFrames);
  buildCpu.reserve(kFrames);
  drawCpu.reserve(kFrames);
  PassTotals totals;
  bool sameAsMapDraw = true;
  for (auto _ : state) {
    ms.clear();
    buildCpu.clear();
    drawCpu.clear();
    totals = PassTotals{};
    totals.keepFrames = true;
    for (auto& frames : totals.frameMs) frames.reserve(kFrames);
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
      const double thread0 = ThreadCpuMs(), program0 = ProgramCpuMs();
      ms.push_back(DrawFrame(scene, map, totals));
      const double thread = ThreadCpuMs() - thread0;
      buildCpu.push_back(thread);
      drawCpu.push_back(ProgramCpuMs() - program0 - thread);
    }
  }
  gGraph3D = nullptr;
  PClock::SetFake(nullptr);
  if (!sameAsMapDraw) {
    state.SkipWithError("the passes differ from Map::Draw");
    return;
  }
  const auto frames = static_cast<double>(ms.size());
  PutFrameCounters(state.counters, ms, buildCpu, drawCpu, scene.renderer, map, battle->UnitCount());
  for (int32_t pass = 0; pass < kPasses; ++pass) {
    const auto at = static_cast<size_t>(pass);
    const std::string name = kPassNames[at];
    const Spread spread = SpreadOf(totals.frameMs[at]);
    state.counters[name + "_ms"] = totals.ms[at] / frames;
    state.counters[name + "_median_ms"] = spread.median;
    state.counters[name + "_p95_ms"] = spread.p95;
    if (pass != kCamera && pass != kSettle)
      state.counters[name + "_tris"] = static_cast<double>(totals.sent[at]) / frames;
  }
}

}  // namespace

BENCHMARK(ReplayFrame)
    ->ArgNames({"level", "threads", "horizon"})
    ->ArgsProduct({{1, 2, 3, 5}, {1, 2}, {2}})
    ->Args({2, 1, 0})
    ->Args({2, 2, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

BENCHMARK_MAIN();
