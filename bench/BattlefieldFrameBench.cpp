// One battlefield frame of the first reference map at 1024 x 768: the camera, culling (asked
// for anew every frame), backdrop and terrain, at view levels 1, 3 and 5 with the horizon
// unlimited (0) and at 1500 m (2). Device 0 discards what it is given (scene building alone);
// 1 and 2 are the software device with that many drawing threads (scene and rasterisation).
// Milliseconds per frame (median, 95th percentile), triangles given and sent, far-block fans
// and blocks tested. Aim for backdrop and terrain: at most 6 ms at level 3, horizon 2, two
// threads. The map's textures are not loaded: the rasteriser fills untextured.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "MapTestWorld.h"
#include "ReferenceMaps.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GraphicsTestHost.h"
#include "platform/PRecording3DDevice.h"
#include "platform/PSoft3DDevice.h"
#include "platform/PSurface.h"

namespace {

// Takes every call and draws nothing, keeping nothing.
class DiscardDevice : public PRecording3DDevice {
 public:
  PResult DrawPrimitive(P3DPrimitive, uint32_t, const void*, int32_t, uint32_t) override { return PResult::kOk; }
  PResult SetRenderState(P3DState, uint32_t) override { return PResult::kOk; }
  PResult SetTextureStageState(int32_t, P3DStageState, uint32_t) override { return PResult::kOk; }
  PResult SetTexture(int32_t, const PSurface*) override { return PResult::kOk; }
};

struct World {
  FakeApp app;
  std::unique_ptr<Map> map;
  World() {
    app.MakeBattle();
    app.screenWidth = 1024;
    app.options[41] = 1;
    map = LoadReferenceMap(app, "ref250");
  }
};

World& TheWorld() {
  static World world;
  return world;
}

// Bitmaps made on first request: 32 x 64, a tapering green shape on the transparent key.
class StandInTextureHost : public GraphicsTestHost {
 public:
  bool IsBitmapExcluded(int32_t number) override {
    std::vector<uint32_t> pixels(32 * 64, 0xFF00FFu);
    for (int32_t y = 0; y < 64; ++y) {
      const int32_t half = 2 + (63 - y) * 14 / 63;
      for (int32_t x = 16 - half; x < 16 + half; ++x) pixels[static_cast<size_t>(y * 32 + x)] = 0x2F5A1Eu;
    }
    WriteBitmap(number, 32, 64, pixels);
    return false;
  }
};

// Gives the map its over-ground textures once, as the load pass would.
void GiveOverGroundTextures(Map& map) {
  static StandInTextureHost* host = nullptr;
  if (host != nullptr) return;
  host = new StandInTextureHost;  // kept to the end of the program with the textures
  for (int32_t n = 0; n < Map::kOverGroundTextures; ++n)
    map.SetOverGroundTexture(n, GGraphicFactory::NewTextureGraphic(6000 + n, GGraphicFactory::kNormalDetail));
}

void BattlefieldFrame(benchmark::State& state) {
  const auto level = static_cast<int32_t>(state.range(0));
  const auto horizon = static_cast<int8_t>(state.range(1));
  const auto threads = static_cast<int32_t>(state.range(2));
  World& world = TheWorld();
  if (world.map == nullptr) {
    state.SkipWithError("ref250 missing");
    return;
  }
  Map& map = *world.map;
  world.app.options[9] = horizon;
  PSurface screen(1024, 768, PPixelFormat::kRGB565);
  DiscardDevice discard;
  std::unique_ptr<PSoft3DDevice> soft;
  if (threads > 0) soft = std::make_unique<PSoft3DDevice>(&screen, threads);
  GGraph3DHost host(threads > 0 ? static_cast<P3DDevice*>(soft.get()) : &discard, &screen, true);
  GGraph3D renderer(&host);
  renderer.Init3D();
  gGraph3D = &renderer;
  // Looking north-east from the south-west quarter, over most of the map.
  map.camera.viewLevel[0] = level;
  map.camera.x[0] = 1200.0f;
  map.camera.y[0] = 1200.0f;
  map.camera.bearing[0] = 0.785398f;
  std::vector<double> ms;
  GGraph3D::TriangleCounts counts;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    renderer.RenderBegin();
    map.Invalidate();
    map.Draw();
    counts = renderer.FrameTriangles();
    renderer.RenderEnd();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  gGraph3D = nullptr;
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["p95_ms"] = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
  state.counters["given"] = static_cast<double>(counts.given);
  state.counters["sent"] = static_cast<double>(counts.sent);
  state.counters["far_fans"] = map.frame.farFans;
  state.counters["blocks"] = map.frame.blocksTested;
}

// ---- The passes over the ground, one at a time after the frame's camera and culling ----
// Pass 0 overlays and trees at Tree Display 2, 1 the same at 3, 2 rain at Full, 3 snow, 4 the
// set-up zone outlines of both sides' strips ahead, 5 the order lines of 300 units with five
// waypoints each. Milliseconds
// of the pass (and, with threads, its rasterisation), triangles given, and the trees visited
// and block tests of the tree pass. The trees, flags and lines draw with small stand-in
// textures (a tree shape on a keyed ground), made once.
void OverGroundPass(benchmark::State& state) {
  const auto level = static_cast<int32_t>(state.range(0));
  const auto pass = static_cast<int32_t>(state.range(1));
  const auto threads = static_cast<int32_t>(state.range(2));
  World& world = TheWorld();
  if (world.map == nullptr) {
    state.SkipWithError("ref250 missing");
    return;
  }
  Map& map = *world.map;
  GiveOverGroundTextures(map);
  FakeBattle& battle = *world.app.battle;
  world.app.options[9] = 2;
  world.app.options[2] = static_cast<int8_t>(pass == 1 ? 3 : 2);
  world.app.options[12] = 2;
  battle.weather = pass == 3 ? 5 : 2;
  // The zones of a set-up phase: each side's strip along its edge.
  std::vector<uint8_t> zones;
  for (int32_t x = 0; x < map.size.tilesX; ++x) {
    for (int32_t y = 0; y < map.size.tilesY; ++y) {
      MapTile& tile = map.terrain.tiles.At(x, y);
      zones.push_back(tile.zone);
      tile.zone = static_cast<uint8_t>(pass == 4 ? (y >= 60 && y < 100 ? 4 : y >= 100 && y < 140 ? 1 : 0) : tile.zone);
    }
  }
  PSurface screen(1024, 768, PPixelFormat::kRGB565);
  DiscardDevice discard;
  std::unique_ptr<PSoft3DDevice> soft;
  if (threads > 0) soft = std::make_unique<PSoft3DDevice>(&screen, threads);
  GGraph3DHost host(threads > 0 ? static_cast<P3DDevice*>(soft.get()) : &discard, &screen, true);
  GGraph3D renderer(&host);
  {
    // The renderer takes no fonts from the stand-in bitmaps.
    GGraphicHost* textures = GGraphicHost::Current();
    GGraphicHost::SetCurrent(nullptr);
    renderer.Init3D();
    GGraphicHost::SetCurrent(textures);
  }
  gGraph3D = &renderer;
  map.camera.viewLevel[0] = level;
  map.camera.x[0] = 1200.0f;
  map.camera.y[0] = 1200.0f;
  map.camera.bearing[0] = 0.785398f;
  // 300 units ahead of the camera, each with a path of five legs of 40 to 90 m.
  std::vector<float> path;
  for (int32_t unit = 0; unit < 300; ++unit) {
    float px = 1300.0f + static_cast<float>((unit * 37) % 900);
    float py = 1300.0f + static_cast<float>((unit * 53) % 900);
    for (int32_t w = 0; w < 6; ++w) {
      path.push_back(px);
      path.push_back(py);
      px += static_cast<float>(30 + (unit * 17 + w * 11) % 40) - 20.0f;
      py += static_cast<float>(20 + (unit * 23 + w * 7) % 50);
    }
  }
  std::vector<double> ms;
  GGraph3D::TriangleCounts counts;
  for (auto _ : state) {
    renderer.RenderBegin();
    map.Invalidate();
    map.SetupCamera();
    map.UpdateViewCulling();
    renderer.ResetTriangleCounts();
    const auto start = std::chrono::steady_clock::now();
    switch (pass) {
      case 0:
      case 1:
        map.DrawOverlays();
        map.DrawTrees();
        break;
      case 2:
      case 3:
        map.DrawWeather();
        break;
      case 4:
        map.DrawZoneOutlines();
        break;
      default:
        map.SetLineStyle(5);
        for (int32_t unit = 0; unit < 300; ++unit) {
          for (int32_t w = 0; w < 5; ++w) {
            const auto i = static_cast<size_t>((unit * 6 + w) * 2);
            map.DrawTerrainLine(true, false, path[i], path[i + 1], map.ElevationAt(path[i], path[i + 1]), path[i + 2],
                                path[i + 3], map.ElevationAt(path[i + 2], path[i + 3]));
          }
        }
        break;
    }
    counts = renderer.FrameTriangles();
    renderer.RenderEnd();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  gGraph3D = nullptr;
  size_t k = 0;
  for (int32_t x = 0; x < map.size.tilesX; ++x)
    for (int32_t y = 0; y < map.size.tilesY; ++y) map.terrain.tiles.At(x, y).zone = zones[k++];
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["p95_ms"] = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
  state.counters["given"] = static_cast<double>(counts.given);
  state.counters["trees_visited"] = static_cast<double>(map.overGround.treesVisited);
  state.counters["tree_block_tests"] = static_cast<double>(map.overGround.treeBlockTests);
}

}  // namespace

BENCHMARK(OverGroundPass)
    ->ArgNames({"level", "pass", "threads"})
    ->ArgsProduct({{1, 3}, {0, 1, 2, 3, 4, 5}, {0, 2}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

BENCHMARK(BattlefieldFrame)
    ->ArgNames({"level", "horizon", "threads"})
    ->ArgsProduct({{1, 3, 5}, {0, 2}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30);

BENCHMARK_MAIN();
