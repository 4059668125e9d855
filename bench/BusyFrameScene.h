#pragma once
// The busy battlefield's scene, made once for every benchmark of a program: the large battle
// (150 units a side on the 250 x 250 tile reference map whose fires, smoke and craters lie
// on the ground from the start) with a small stand-in picture for every texture, at the end
// of its first minute (the set-up GO and one turn computed headless) with rain falling, and a
// software device (1024 x 768 unless asked otherwise) with its renderer.
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "FrameRecorder.h"
#include "LargeBattleWorld.h"
#include "app/BusyFrameHosts.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "framework/media/GraphicsTestHost.h"
#include "game/draw/VehicleDraw.h"
#include "game/map/Map.h"
#include "game/models/InfantryModelDraw.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitContextScope.h"
#include "game/units/draw/UnitDrawHost.h"
#include "platform/PSoft3DDevice.h"
#include "platform/PSurface.h"

#ifndef TARVANE_LARGE_BUSY_BATTLE
#define TARVANE_LARGE_BUSY_BATTLE "large/Large Busy Battle.wrb"
#endif

namespace {

constexpr int32_t kWidth = 1024;
constexpr int32_t kHeight = 768;

// The large battle with its textures, read once for every benchmark of the run. The renderer
// lives as long: the textures are made for it.
struct Scene {
  explicit Scene(int32_t width = kWidth, int32_t height = kHeight)
      : screen(width, height, PPixelFormat::kRGB565), device(&screen, 2), recorder(&device), host(&recorder, &screen, true),
        renderer(&host) {
    LargeBattleWorld::Get("busyframe");
    // TARVANE_BUSY_FRAME_BITMAPS names the build's BMP folder: the frame then shows the
    // built textures rather than stand-ins.
    if (const char* bitmaps = std::getenv("TARVANE_BUSY_FRAME_BITMAPS"); bitmaps != nullptr)
      textures = std::make_unique<FolderTextureHost>(bitmaps);
    else
      textures = std::make_unique<StandInTextureHost>(32);
    {
      // The renderer takes no fonts from the stand-in bitmaps.
      GGraphicHost::SetCurrent(nullptr);
      renderer.Init3D();
      GGraphicHost::SetCurrent(textures.get());
    }
    VehicleDraw::Install();
    InfantryModelDraw::Install();
    unitContext.emplace(UnitContext{.draw = &unitHost});
    headless.SetHost(std::make_unique<ScreenHost>(width, height));
    loaded = LargeBattleWorld::Load(headless, TARVANE_LARGE_BUSY_BATTLE);
    Battle* battle = headless.GetBattle();
    if (!loaded || battle == nullptr || battle->map == nullptr) {
      loaded = false;
      return;
    }
    // The set-up GO and one minute of battle: the forces met, craters and losses on the ground.
    headless.Go(1);
    headless.Go(101);
    battle->weather = 2;  // rain, for the frame: the minute was fought in the scenario's weather
    gGraph3D = &renderer;
    unitHost.map = battle->map;
    loaded = battle->LoadTextures(false);
    gGraph3D = nullptr;
  }
  PSurface screen;
  PSoft3DDevice device;
  FrameRecorder recorder;  // the renderer draws through it: a frame can be stored
  GGraph3DHost host;
  GGraph3D renderer;
  std::unique_ptr<GraphicsTestHost> textures;
  MapUnitDrawHost unitHost;
  std::optional<UnitContextScope> unitContext;
  HeadlessBattle headless;
  bool loaded = false;
};

[[maybe_unused]] Scene& TheScene() {
  static Scene* scene = new Scene;  // kept to the end of the program with its textures
  return *scene;
}

// Milliseconds of processor time of the calling thread, and of the whole program: with the
// device's drawing threads, the first is the scene building and the difference the rasterising.
[[maybe_unused]] double CpuMs(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1.0e6;
}
[[maybe_unused]] double ThreadCpuMs() { return CpuMs(CLOCK_THREAD_CPUTIME_ID); }
[[maybe_unused]] double ProgramCpuMs() { return CpuMs(CLOCK_PROCESS_CPUTIME_ID); }

// The median, 95th percentile and worst of a sample (sorted here).
struct Spread {
  double median = 0.0, p95 = 0.0, worst = 0.0;
};
[[maybe_unused]] Spread SpreadOf(std::vector<double>& sample) {
  if (sample.empty()) return {};
  std::sort(sample.begin(), sample.end());
  return {sample[sample.size() / 2], sample[std::min(sample.size() - 1, sample.size() * 95 / 100)], sample.back()};
}

// What every busy frame benchmark reports (into a benchmark's counters): the frame's
// milliseconds (median, 95th percentile, worst), the medians of its scene building and
// rasterising processor time, and the last frame's triangles and culling counters.
template <class Counters>
void PutFrameCounters(Counters& counters, std::vector<double>& ms, std::vector<double>& buildCpu,
                      std::vector<double>& drawCpu, const GGraph3D& renderer, const Map& map, int32_t units) {
  const Spread frame = SpreadOf(ms);
  counters["median_ms"] = frame.median;
  counters["p95_ms"] = frame.p95;
  counters["worst_ms"] = frame.worst;
  counters["build_cpu_ms"] = SpreadOf(buildCpu).median;
  counters["draw_threads_cpu_ms"] = SpreadOf(drawCpu).median;
  const GGraph3D::TriangleCounts counts = renderer.FrameTriangles();
  counters["given"] = static_cast<double>(counts.given);
  counters["sent"] = static_cast<double>(counts.sent);
  counters["far_fans"] = map.frame.farFans;
  counters["blocks"] = map.frame.blocksTested;
  counters["trees_visited"] = static_cast<double>(map.overGround.treesVisited);
  counters["tree_block_tests"] = static_cast<double>(map.overGround.treeBlockTests);
  counters["units"] = units;
}

// The busiest ground: where the unit with the most others within 150 m stands.
void BusiestGround(const Battle& battle, float& x, float& y) {
  int32_t most = -1;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    const Unit& a = *battle.UnitAt(i);
    int32_t near = 0;
    for (int32_t j = 0; j < battle.UnitCount(); ++j) {
      const Unit& b = *battle.UnitAt(j);
      if ((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) < 150.0f * 150.0f) ++near;
    }
    if (near > most) {
      most = near;
      x = a.x;
      y = a.y;
    }
  }
}

// A busy frame's settings: trees, scale, weather and smoke in full, the horizon given, the
// device's drawing threads, and the map drawn in 3-D by the scene's renderer.
void SetBusyFrame(Scene& scene, Map& map, int8_t horizon, int32_t threads) {
  HeadlessHost& app = scene.headless.Host();
  app.options[2] = 2;        // Tree Display
  app.options[4] = 2;        // Scale
  app.options[9] = horizon;  // 2: 1,500 m; 0: unlimited
  app.options[12] = 2;       // weather: Full
  app.options[15] = 2;       // smoke: High Quality
  scene.device.SetThreadCount(threads);
  gGraph3D = &scene.renderer;
  map.display.drawState = 2;
}

// Both sides' cameras at the level, looking over the busiest ground.
void LookAtBusiestGround(const Battle& battle, Map& map, int32_t level) {
  float cx = 0.0f, cy = 0.0f;
  BusiestGround(battle, cx, cy);
  for (int32_t side = 0; side < 2; ++side) {
    map.camera.viewLevel[side] = level;
    map.camera.bearing[side] = 1.2f;
    map.camera.x[side] = cx - Map::kOrbitDistance[level] * std::cos(1.2f);
    map.camera.y[side] = cy - Map::kOrbitDistance[level] * std::sin(1.2f);
  }
}

}  // namespace
