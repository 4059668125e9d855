// The unit drawing driver, one core: 300 units with five waypoints each and the order-line
// option at 1 (every unit's path), on the software device at 1024 x 768, the kinds' own
// drawing stubbed out. Milliseconds per frame for the driver, lines and labels (aim: at most
// 3 ms).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "framework/kernel/GKernel.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/RendererRig.h"
#include "game/map/Map.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestUnitWorld.h"
#include "game/units/ScreenlessDrawHost.h"
#include "game/units/ports/UnitContextScope.h"
#include "game/units/draw/UnitDrawHost.h"

namespace {

GKernel& Kernel() {
  static GKernel* kernel = [] {
    auto* k = new GKernel();
    k->FindProgramFolder();
    return k;
  }();
  return *kernel;
}

// Order lines drawn as bands over the ground, labels counted.
class BandHost : public ScreenlessDrawHost {
 public:
  void SetLineStyle(int32_t s) override { style = s; }
  void DrawTerrainLine(bool, float x0, float y0, float z0, float x1, float y1, float z1) override {
    gGraph3D->SetColor(0.2f, 0.9f, static_cast<float>(style & 7) * 0.1f);
    gGraph3D->DrawColouredQuad(x0 - 0.5f, y0, z0 + 0.3f, x1 - 0.5f, y1, z1 + 0.3f, x1 + 0.5f, y1, z1 + 0.3f, x0 + 0.5f,
                               y0, z0 + 0.3f);
  }
  void DrawTextAtPoint(const char*, float, float, float) override { ++labels; }
  int32_t style = 0;
  int64_t labels = 0;
};

class Figure : public TestInfantry {
 public:
  float GetTerrainMobility() const override { return 1.0f; }
};

void UnitDrawFrame(benchmark::State& state) {
  Kernel();
  TestUnitWorld world;
  world.SetMap(std::make_unique<Map>(world.app));
  world.Battle().map->Read(nullptr);
  Map& map = *world.Battle().map;
  map.terrain.blockViewState.Fill(2);
  map.camera.viewLevel[0] = 4;
  world.app.options[7] = 1;
  world.app.options[1] = 1;
  SoftRig rig(1024, 768);
  gGraph3D = rig.r.get();
  BandHost host;
  const UnitContextScope drawing(UnitContext{.draw = &host});
  std::vector<std::unique_ptr<Figure>> units;
  for (int32_t i = 0; i < 300; ++i) {
    auto u = std::make_unique<Figure>();
    u->side = 1;
    u->men = 9;
    u->x = 60.0f + static_cast<float>(i % 20) * 34.0f;
    u->y = 60.0f + static_cast<float>(i / 20) * 30.0f;
    for (int32_t w = 0; w < 5; ++w) {
      Waypoint& p = u->waypoints[static_cast<size_t>(u->waypointCount++)];
      p.x = u->x + 4.0f * static_cast<float>(w + 1);
      p.y = u->y + 5.0f * static_cast<float>(w + 1);
      p.moveMode = 1 + w % 5;
      p.pointKind = 1;
    }
    world.Lend(u.get());
    units.push_back(std::move(u));
  }
  rig.r->SetProjection(0, 0, 1024, 768, 70.0f, 1.0f, 2000.0f);
  rig.r->LookAt(400.0f, -150.0f, 420.0f, 400.0f, 300.0f, 0.0f, 0.0f, 0.0f, 1.0f);
  const P3DRect all{0, 0, 1024, 768};
  for (auto _ : state) {
    rig.device.Clear(&all, 1, kP3DClearTarget | kP3DClearZBuffer, 0x00506040, 1.0f);
    for (auto& u : units) u->DrawOnMap(1.0f, 0.5f, 0.5f);
    rig.device.Settle();
  }
  benchmark::DoNotOptimize(host.labels);
  gGraph3D = nullptr;
}
BENCHMARK(UnitDrawFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
