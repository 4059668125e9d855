// The battlefield's flame and smoke passes on a 250 x 250 map with the recording renderer,
// every block wholly in view at view level 2: microseconds per frame for both passes with 0,
// 50 and 500 burning tiles and 20 burning vehicles (aim: at most 20 us without fire, since
// no pass scans the grid; at most 1 ms with 50 fires). And the sound upkeep of a frame with
// 500 looped positional sounds on the null audio back-end, every other frame moving them
// (aim: at most 50 us).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/RendererRig.h"
#include "framework/media/GSoundManager.h"
#include "game/map/Map.h"
#include "game/map/MapTestWorld.h"
#include "game/units/vehicle/Vehicle.h"
#include "platform/PAudioOptions.h"

namespace {

struct FireBenchWorld {
  FakeApp app;
  FakeBattle& battle = app.MakeBattle();
  std::unique_ptr<Map> map = std::make_unique<Map>(app);
  RecordingRig rig{true};
  std::vector<std::unique_ptr<Vehicle>> vehicles;

  FireBenchWorld(int32_t fires, int32_t burningVehicles) {
    map->size.tilesX = 250;
    map->size.tilesY = 250;
    map->Read(nullptr);
    map->terrain.blockViewState.Fill(2);
    map->camera.viewLevel[0] = 2;
    app.options[15] = 2;
    app.frameRate = 30.0f;
    app.frameTime = 33;
    SeedRandom(9);
    while (static_cast<int32_t>(map->burningTiles.size()) < fires) {
      map->SetTileBurning(Random(250), Random(250), static_cast<uint8_t>(1 + Random(3)));
    }
    for (int32_t i = 0; i < burningVehicles; ++i) {
      auto v = std::make_unique<Vehicle>();
      v->x = 100.0f + static_cast<float>(i) * 150.0f;
      v->y = 2500.0f;
      v->burning = 1;
      v->sizeFactor = 4.0f;
      battle.joined.push_back(v.get());
      vehicles.push_back(std::move(v));
    }
    gGraph3D = rig.r.get();
  }
  ~FireBenchWorld() { gGraph3D = nullptr; }
};

void FireAndSmokeFrame(benchmark::State& state) {
  FireBenchWorld world(static_cast<int32_t>(state.range(0)), 20);
  for (auto _ : state) {
    world.map->DrawBurningTiles();
    world.map->DrawSmoke();
    world.rig.device.ClearCalls();
  }
}
BENCHMARK(FireAndSmokeFrame)->Arg(0)->Arg(50)->Arg(500)->Unit(benchmark::kMicrosecond);

void SoundUpkeepFrame(benchmark::State& state) {
  gSoundManager = new GSoundManager();
  PAudioOptions options;
  options.backend = PAudioOptions::Backend::kNull;
  gSoundManager->Init(options);
  {
    FireBenchWorld world(0, 0);
    for (int32_t i = 0; i < 500; ++i) {
      MapPacket p;
      p.kind = MapPacket::kSound;
      p.sound.number = 300;
      p.sound.kind = 5;
      p.sound.looped = 1;
      p.sound.position[0][0] = static_cast<float>(i);
      p.sound.position[0][1] = 100.0f;
      world.map->AddSoundEvent(p);
    }
    bool reposition = false;
    for (auto _ : state) {
      world.map->UpdateSounds(reposition);
      reposition = !reposition;
    }
  }
  delete gSoundManager;
  gSoundManager = nullptr;
}
BENCHMARK(SoundUpkeepFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
