// The busy battlefield frame: the large battle (150 units a side, vehicles and guns among them,
// on the 250 x 250 tile reference map with fires, smoke and craters) at the end of its first
// minute (the set-up GO and one turn computed headless), drawn whole by Map::Draw at 1024 x 768
// on the software device. Every texture the units and the map ask for is a small stand-in (a
// tapering shape on the transparent key); Tree Display 2, Scale 2, Horizon 2 (1,500 m), rain
// at Full, smoke at High Quality. The camera looks over the busiest ground (the unit with the
// most others within 150 m) from the level's orbit distance behind it, at view levels 1, 2, 3
// and 5 with 1 and 2 drawing threads, and at level 2 with the horizon unlimited (0: the whole
// map at full detail).
// Reported: milliseconds per frame until its last pixel is drawn (median, 95th percentile,
// worst) and the median until its last triangle is handed to the device (scene building, with
// what the threads drew meanwhile); triangles given to the renderer and sent to the device;
// the terrain's far-block fans and block tests; the trees visited and tree block tests; the
// units whose position projects into the frame; and the allocations of the frames after the
// first (the most in one frame, and the mean); and, as medians per frame, the processor time
// of the building thread (with 1 thread it rasterises too) and of the drawing threads (their
// waits for work included): the frame split into scene building and rasterisation. Aim: 95th percentile at most 16.7 ms on 2
// threads at every level, and no allocation after the first frame.
#include <benchmark/benchmark.h>

#include "AllocationCounter.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "BusyFrameScene.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "app/BusyFrameHosts.h"
#include "framework/media/GraphicsTestHost.h"
#include "game/map/Map.h"
#include "game/models/InfantryModelDraw.h"
#include "game/draw/VehicleDraw.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"
#include "game/units/draw/UnitDrawHost.h"
#include "platform/PBitmapFile.h"
#include "platform/PSoft3DDevice.h"
#include "platform/PSurface.h"

namespace {

// Close pictures for the eye: level 0 behind a crew at its gun and behind a squad of the side
// at the screen, each kept as <prefix>-crew.bmp and <prefix>-squad.bmp.
void KeepCloseUps(Scene& scene, Battle& battle, Map& map, const std::string& prefix) {
  const Unit* chosen[2] = {nullptr, nullptr};  // a crew, a squad
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    const auto* man = dynamic_cast<const Infantry*>(battle.UnitAt(i));
    if (man == nullptr || !man->IsAlive() || !man->IsCurrentSide() || man->carrier != nullptr) continue;
    const int32_t kind = man->GetShownFigureKind(0);
    const bool crew = kind == 7 || kind == 8;
    if (chosen[crew ? 0 : 1] == nullptr) chosen[crew ? 0 : 1] = man;
  }
  const char* names[2] = {"-crew.bmp", "-squad.bmp"};
  for (int32_t k = 0; k < 2; ++k) {
    if (chosen[k] == nullptr) continue;
    for (int32_t side = 0; side < 2; ++side) {
      map.camera.viewLevel[side] = 0;
      map.camera.bearing[side] = 1.2f;
      map.camera.x[side] = chosen[k]->x - 2.0f * Map::kOrbitDistance[0] * std::cos(1.2f);
      map.camera.y[side] = chosen[k]->y - 2.0f * Map::kOrbitDistance[0] * std::sin(1.2f);
    }
    scene.renderer.RenderBegin();
    map.Invalidate();
    map.Draw();
    scene.renderer.RenderEnd();
    scene.device.Settle();
    PBitmapFile::WriteSurface(scene.screen, prefix + names[k]);
  }
}

void BusyFrame(benchmark::State& state) {
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
  GGraph3D& renderer = scene.renderer;
  LookAtBusiestGround(*battle, map, level);
  std::vector<double> ms;
  std::vector<double> submitMs;  // until the frame's last triangle is handed to the device
  std::vector<double> buildCpu, drawCpu;  // processor time of the building and drawing threads
  ms.reserve(static_cast<size_t>(state.max_iterations));
  submitMs.reserve(static_cast<size_t>(state.max_iterations));
  buildCpu.reserve(static_cast<size_t>(state.max_iterations));
  drawCpu.reserve(static_cast<size_t>(state.max_iterations));
  int64_t mostAllocations = 0;
  int64_t allocationsAfterFirst = 0;
  int64_t frames = 0;
  for (auto _ : state) {
    const int64_t before = gAllocations.load();
    const double thread0 = ThreadCpuMs(), program0 = ProgramCpuMs();
    const auto start = std::chrono::steady_clock::now();
    renderer.RenderBegin();
    map.Invalidate();
    map.Draw();
    renderer.RenderEnd();
    const auto submitted = std::chrono::steady_clock::now();
    scene.device.Settle();
    const auto drawn = std::chrono::steady_clock::now();
    const double thread = ThreadCpuMs() - thread0;
    buildCpu.push_back(thread);
    drawCpu.push_back(ProgramCpuMs() - program0 - thread);
    ms.push_back(std::chrono::duration<double, std::milli>(drawn - start).count());
    submitMs.push_back(std::chrono::duration<double, std::milli>(submitted - start).count());
    const int64_t made = gAllocations.load() - before;
    if (frames++ > 0) {
      mostAllocations = std::max(mostAllocations, made);
      allocationsAfterFirst += made;
    }
  }
  // The units whose position shows in the frame.
  int32_t inView = 0;
  for (int32_t i = 0; i < battle->UnitCount(); ++i) {
    const Unit& unit = *battle->UnitAt(i);
    float sx = unit.x, sy = unit.y;
    if (!renderer.ProjectToScreen(&sx, &sy, unit.GetBaseHeight() + 0.5f, false)) continue;
    if (sx >= 0.0f && sy >= 0.0f && sx < kWidth && sy < kHeight) ++inView;
  }
  PutFrameCounters(state.counters, ms, buildCpu, drawCpu, renderer, map, battle->UnitCount());
  state.counters["submit_median_ms"] = SpreadOf(submitMs).median;
  state.counters["units_in_view"] = inView;
  state.counters["allocs_max"] = static_cast<double>(mostAllocations);
  state.counters["allocs_mean"] =
      frames > 1 ? static_cast<double>(allocationsAfterFirst) / static_cast<double>(frames - 1) : 0.0;
  // TARVANE_BUSY_FRAME_RECORD names a path prefix: one more frame of each level on 1 thread
  // with the horizon given is drawn through the recorder, its device calls kept as
  // <prefix>-level<level>.frame (the stored frame StoredFrameBench replays).
  if (const char* record = std::getenv("TARVANE_BUSY_FRAME_RECORD"); record != nullptr && threads == 1 && horizon == 2) {
    scene.recorder.Start();
    renderer.RenderBegin();
    map.Invalidate();
    map.Draw();
    renderer.RenderEnd();
    scene.device.Settle();
    scene.recorder.Stop();
    // The pixels the calls alone draw on a new target (the frame's 2-D overlays are not device
    // calls): the stored frame's fingerprint.
    StoredFrame stored;
    const std::vector<uint8_t> unhashed = scene.recorder.File(scene.screen, 0);
    uint64_t hash = 0;
    if (stored.Read(unhashed.data(), unhashed.size())) {
      PSurface fresh(scene.screen.Width(), scene.screen.Height(), scene.screen.Format());
      PSoft3DDevice replay(&fresh, 1);
      stored.Replay(replay);
      hash = StoredFrame::PixelHash(fresh);
    }
    const std::vector<uint8_t> file = scene.recorder.File(scene.screen, hash);
    std::ofstream out(std::string(record) + "-level" + std::to_string(level) + ".frame", std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  }
  // TARVANE_BUSY_FRAME_PICTURE names a path prefix: the last frame is kept as a BMP file (and
  // after the first level the close pictures).
  if (const char* keep = std::getenv("TARVANE_BUSY_FRAME_PICTURE"); keep != nullptr) {
    PBitmapFile::WriteSurface(scene.screen, std::string(keep) + "-level" + std::to_string(level) + ".bmp");
    if (level == 1 && threads == 2 && horizon == 2) KeepCloseUps(scene, *battle, map, keep);
  }
  gGraph3D = nullptr;
}

}  // namespace

BENCHMARK(BusyFrame)
    ->ArgNames({"level", "threads", "horizon"})
    ->ArgsProduct({{1, 2, 3, 5}, {1, 2}, {2}})
    ->Args({2, 1, 0})
    ->Args({2, 2, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(60);

BENCHMARK_MAIN();
