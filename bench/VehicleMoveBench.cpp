// Vehicle movement on the 250 x 250 tile reference map: 300 units, 100 of them vehicles and
// 60 of those moving along waypoints. Per call: the terrain speed with the full check (the
// obstruction walk over the battle's units, the ground weight's exp, fire, caps and
// acceleration), one obstruction grade, and one corner-cutting test.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "MapTestWorld.h"
#include "ReferenceMaps.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/units/tables/Hack.h"
#include "game/units/TestInfantry.h"
#include "game/units/VehicleWorld.h"

namespace {

struct Battlefield {
  static constexpr int32_t kClasses = 230;

  Battlefield() : classes(kClasses * VehicleData::kSize), weapons(110 * WeaponData::kSize) {
    for (int32_t i = 0; i < kClasses; ++i) {
      uint8_t* r = classes.data() + static_cast<size_t>(i) * VehicleData::kSize;
      const int16_t weight = static_cast<int16_t>(5 + i % 40);
      const int16_t mph = 25;
      const int16_t power = 300;
      const int32_t none = 104, noTurret = 5, tracked = 4, capacity = 5;
      const float size = 3.0f, pressure = 8.0f;
      std::memcpy(r + 54, &weight, 2);
      std::memcpy(r + 68, &none, 4);
      std::memcpy(r + 80, &noTurret, 4);
      std::memcpy(r + 110, &mph, 2);
      std::memcpy(r + 112, &tracked, 4);
      std::memcpy(r + 116, &power, 2);
      std::memcpy(r + 120, &pressure, 4);
      std::memcpy(r + 200, &capacity, 4);
      r[204] = 2;
      std::memcpy(r + 208, &size, 4);
    }
    gVehicleClasses = DataTable<VehicleData>(classes.data(), static_cast<uint32_t>(classes.size()));
    gWeapons = DataTable<WeaponData>(weapons.data(), static_cast<uint32_t>(weapons.size()));
    world.SetMap(LoadReferenceMap(world.app, "ref250"));
    if (world.Battle().map == nullptr) return;
    const float w = world.Battle().map->size.worldWidth;
    SeedRandom(2401);
    for (int32_t i = 0; i < 300; ++i) {
      std::unique_ptr<Unit> unit;
      const float px = w * (0.3f + 0.1f * RandomFloat());
      const float py = w * (0.3f + 0.1f * RandomFloat());
      if (i % 3 == 0) {
        auto vehicle = std::make_unique<Vehicle>();
        vehicle->SetClass(i % kClasses, i % 2 == 0 ? 0 : 6, 2, px, py, 0.0f);
        if (movers.size() < 60) {
          vehicle->speed = 0.05f;
          vehicle->turnStep = 1.0f;
          vehicle->waypointCount = 2;
          vehicle->WaypointAt(0) = Waypoint{px + 5.5f, py, 0.0f, 3, 0, 0, 0};
          vehicle->WaypointAt(1) = Waypoint{px + 5.5f, py + 40.0f, 0.0f, 3, 0, 0, 0};
          movers.push_back(vehicle.get());
        }
        unit = std::move(vehicle);
      } else {
        auto infantry = std::make_unique<TestInfantry>();
        infantry->SetPosition(px, py);
        unit = std::move(infantry);
      }
      world.Lend(unit.get());
      world.Lend(unit.get());
      units.push_back(std::move(unit));
    }
  }
  ~Battlefield() {
    gVehicleClasses = {};
    gWeapons = {};
  }

  std::vector<uint8_t> classes;
  std::vector<uint8_t> weapons;
  VehicleWorld world;  // the battle's own ground weight, exp and all
  std::vector<std::unique_ptr<Unit>> units;
  std::vector<Vehicle*> movers;
};

void BM_TerrainMobilityFullCheck(benchmark::State& state) {
  Battlefield field;
  if (field.movers.empty()) {
    state.SkipWithError("reference map ref250 missing");
    return;
  }
  Vehicle::gFullCheck = 1.0f;
  float sum = 0.0f;
  for (auto _ : state) {
    for (Vehicle* v : field.movers) sum += v->TerrainMobility(nullptr);
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(field.movers.size()));
}
BENCHMARK(BM_TerrainMobilityFullCheck);

void BM_ObstructionGrade(benchmark::State& state) {
  Battlefield field;
  if (field.movers.size() < 2) {
    state.SkipWithError("reference map ref250 missing");
    return;
  }
  int32_t sum = 0;
  for (auto _ : state) {
    for (size_t i = 1; i < field.movers.size(); ++i) sum += field.movers[i]->ObstructionGrade(*field.movers[i - 1]);
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(field.movers.size() - 1));
}
BENCHMARK(BM_ObstructionGrade);

void BM_TryCutCorner(benchmark::State& state) {
  Battlefield field;
  if (field.movers.empty()) {
    state.SkipWithError("reference map ref250 missing");
    return;
  }
  int32_t cuts = 0;
  for (auto _ : state) {
    // Heading straight for a corner 5.5 m ahead, too early to cut: the whole test runs and
    // answers no, leaving the waypoints.
    for (Vehicle* v : field.movers) cuts += v->TryCutCorner() ? 1 : 0;
  }
  benchmark::DoNotOptimize(cuts);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(field.movers.size()));
}
BENCHMARK(BM_TryCutCorner);

}  // namespace

BENCHMARK_MAIN();
