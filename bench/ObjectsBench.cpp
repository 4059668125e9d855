// Minefields and ambush markers over one computed turn on the 250 x 250 tile reference map:
// 20 minefields test 300 units every fourth slice of the 2,401 (a third of the units moving,
// some of them across the fields), and 60 ambush markers watch the same units every 40 slices.
// Counters: mines gone off, units tested in the box a turn.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "MapTestWorld.h"
#include "ReferenceMaps.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestUnitWorld.h"
#include "game/units/TestVehicle.h"

namespace {

struct Battlefield {
  Battlefield() {
    world.SetMap(LoadReferenceMap(world.app, "ref250"));
    if (world.Battle().map == nullptr) return;
    const Map& map = *world.Battle().map;
    world.app.options[10] = 0;
    SeedRandom(2401);
    const float w = map.size.worldWidth;
    for (int32_t i = 0; i < 20; ++i) {
      auto field = std::make_unique<Inanimate>();
      field->Init(4 + i % 3, 0, w * (0.1f + 0.8f * RandomFloat()), w * (0.1f + 0.8f * RandomFloat()), 0.0f);
      field->identificationLevel = 4;
      objects.push_back(std::move(field));
    }
    for (int32_t i = 0; i < 60; ++i) {
      auto marker = std::make_unique<Inanimate>();
      marker->Init(Inanimate::kAmbushMarker, i % 2, w * (0.1f + 0.8f * RandomFloat()), w * (0.1f + 0.8f * RandomFloat()),
                   0.0f);
      marker->identificationLevel = 4;
      markers.push_back(std::move(marker));
    }
    for (int32_t i = 0; i < 300; ++i) {
      std::unique_ptr<Unit> unit;
      if (i % 4 == 0) {
        auto vehicle = std::make_unique<TestVehicle>();
        vehicle->buttoned = i % 8 == 0;
        unit = std::move(vehicle);
      } else {
        auto infantry = std::make_unique<TestInfantry>();
        infantry->men = 9;
        unit = std::move(infantry);
      }
      unit->side = static_cast<uint8_t>(i % 2);
      unit->identificationLevel = 4;
      // Every tenth unit stands by a minefield, the others anywhere.
      if (i % 10 == 0) {
        const Inanimate& field = *objects[static_cast<size_t>(i / 10 % 20)];
        unit->SetPosition(field.x + 8.0f * (RandomFloat() - 0.5f), field.y + 8.0f * (RandomFloat() - 0.5f));
      } else {
        unit->SetPosition(w * (0.1f + 0.8f * RandomFloat()), w * (0.1f + 0.8f * RandomFloat()));
      }
      if (i % 3 == 0) unit->speed = 0.02f;
      world.Lend(unit.get());
      units.push_back(std::move(unit));
    }
    for (auto& object : objects) world.Lend(object.get());
    for (auto& marker : markers) world.Lend(marker.get());
  }
  TestUnitWorld world;
  std::vector<std::unique_ptr<Inanimate>> objects;
  std::vector<std::unique_ptr<Inanimate>> markers;
  std::vector<std::unique_ptr<Unit>> units;
};

void BM_MineTestTurn(benchmark::State& state) {
  Battlefield field;
  if (field.world.Battle().map == nullptr) {
    state.SkipWithError("reference map ref250 missing");
    return;
  }
  int64_t turns = 0;
  int64_t mines = 0;
  for (auto _ : state) {
    for (int32_t slice = 0; slice <= 2400; ++slice) {
      field.world.Battle().currentSlice = slice;
      for (auto& object : field.objects) object->StepSlice(slice);
    }
    mines += static_cast<int64_t>(field.world.firePackets.size());
    field.world.firePackets.clear();
    field.world.soundPackets.clear();
    field.world.statePackets.clear();
    for (auto& unit : field.units) unit->immobilized = 0;
    ++turns;
  }
  state.counters["mines_per_turn"] = static_cast<double>(mines) / static_cast<double>(turns);
}
BENCHMARK(BM_MineTestTurn)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_AmbushWatchTurn(benchmark::State& state) {
  Battlefield field;
  if (field.world.Battle().map == nullptr) {
    state.SkipWithError("reference map ref250 missing");
    return;
  }
  for (auto _ : state) {
    for (auto& marker : field.markers) marker->sliceCounter = 0;
    for (int32_t slice = 0; slice <= 2400; ++slice) {
      field.world.Battle().currentSlice = slice;
      for (auto& marker : field.markers) marker->StepSlice(slice);
    }
    field.world.statePackets.clear();
  }
}
BENCHMARK(BM_AmbushWatchTurn)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
