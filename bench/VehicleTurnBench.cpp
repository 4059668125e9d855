// One turn (2,401 slices) of vehicles in the action phase on the 250 x 250 tile reference map,
// one core, on the built-in tables: N vehicles a side (turreted tanks, turretless guns,
// half-tracks with machine guns, armoured cars) each with three waypoints toward the enemy in
// modes 1, 2 and 3 and an enemy vehicle as its target, every vehicle stepped every slice by the
// unit's slice driver (its slice update and, when its countdown runs out, its reaction to
// danger). Counters: ms per turn, us per vehicle-slice, weapon effects, danger reactions, cover
// nodes and heap allocations per turn. Aim: 75 a side at most 1 s a turn, 150 a side at most
// 2.5 times that.
// The counting allocator below replaces the global new and delete with malloc and free; the
// compiler, seeing both inlined, takes them for a mismatched pair.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "MapTestWorld.h"
#include "ReferenceMaps.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "game/map/Map.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/vehicle/CoverSearchNode.h"
#include "game/units/tables/Hack.h"
#include "game/units/VehicleWorld.h"

namespace {

bool gCounting = false;
int64_t gAllocations = 0;

}  // namespace

void* operator new(std::size_t size) {
  if (gCounting) ++gAllocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

GKernel& Kernel() {
  static GKernel* kernel = [] {
    auto* k = new GKernel();
    k->FindProgramFolder();
    return k;
  }();
  return *kernel;
}

int64_t gReactions = 0;

class BenchVehicle : public Vehicle {
 public:
  void ReactToDanger() override {
    ++gReactions;
    Vehicle::ReactToDanger();
  }
};

// Turreted tanks, turretless guns, half-tracks with machine guns and armoured cars.
constexpr int32_t kMix[] = {10, 4, 62, 7, 11, 0, 70, 12};

struct Field {
  explicit Field(int32_t perSide) {
    Kernel();
    Hack::LoadTables();
    world.app.editorOpen = false;
    world.SetMap(LoadReferenceMap(world.app, "ref250"));
    if (world.Battle().map == nullptr) return;
    map = world.Battle().map;
    const float w = map->size.worldWidth;
    SeedRandom(2401);
    for (int32_t i = 0; i < 2 * perSide; ++i) {
      const bool south = i % 2 == 0;
      const float px = w * (0.2f + 0.6f * RandomFloat());
      const float py = south ? w * (0.3f + 0.05f * RandomFloat()) : w * (0.65f + 0.05f * RandomFloat());
      auto v = std::make_unique<BenchVehicle>();
      v->SetClass(kMix[(i / 2) % 8], 0, 2, px, py, south ? 90.0f : 270.0f);
      v->side = static_cast<uint8_t>(south ? 0 : 1);
      v->identificationLevel = 3;
      v->machineGunAmmo = {100, 100, 100};
      world.Lend(v.get());
      world.Lend(v.get());
      units.push_back(std::move(v));
    }
  }
  ~Field() {
    world.TakeBackLent();
    world.TakeBackLent();
    units.clear();
    world.SetMap(nullptr);
    Hack::FreeTables();
  }
  // Three waypoints toward the enemy in modes 1, 2 and 3, and the nearest enemy as target.
  void Order() {
    for (size_t i = 0; i < units.size(); ++i) {
      Vehicle& v = *units[i];
      const float dy = v.side == 0 ? 80.0f : -80.0f;
      const int32_t modes[3] = {1, 2, 3};
      for (int32_t k = 0; k < 3; ++k) {
        Waypoint& wp = v.WaypointAt(k);
        wp = Waypoint{};
        wp.x = v.x;
        wp.y = v.y + dy * static_cast<float>(k + 1);
        wp.moveMode = modes[k];
        wp.pointKind = 1;
      }
      v.waypointCount = 3;
      v.target = units[i ^ 1].get();
      v.SetMainGunClearance(1);
      v.countdown = 1 + static_cast<int32_t>(i % 200);
    }
  }
  VehicleWorld world;
  Map* map = nullptr;
  std::vector<std::unique_ptr<BenchVehicle>> units;
};

void BM_VehicleTurn(benchmark::State& state) {
  const int32_t perSide = static_cast<int32_t>(state.range(0));
  Field field(perSide);
  if (field.map == nullptr) {
    state.SkipWithError("reference map ref250 missing");
    return;
  }
  int64_t turns = 0;
  double seconds = 0.0;
  const int64_t effectsBefore = AITargeting::gEffectCalls;
  gReactions = 0;
  gAllocations = 0;
  CoverSearchNode::ResetCount();
  for (auto _ : state) {
    state.PauseTiming();
    field.Order();
    for (auto& v : field.units) v->BeginTurn();
    gCounting = true;
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    for (int32_t slice = 0; slice <= 2400; ++slice) {
      field.world.Battle().currentSlice = slice;
      for (auto& v : field.units) v->StepSlice(slice);
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.PauseTiming();
    gCounting = false;
    ++turns;
    state.ResumeTiming();
  }
  const double t = static_cast<double>(std::max<int64_t>(turns, 1));
  const double vehicles = static_cast<double>(field.units.size());
  state.counters["ms_per_turn"] = seconds * 1000.0 / t;
  state.counters["us_per_vehicle_slice"] = seconds * 1e6 / (t * 2401.0 * vehicles);
  state.counters["weapon_effects"] = static_cast<double>(AITargeting::gEffectCalls - effectsBefore) / t;
  state.counters["danger_reactions"] = static_cast<double>(gReactions) / t;
  state.counters["cover_nodes"] = static_cast<double>(CoverSearchNode::MadeNodes()) / t;
  state.counters["allocations"] = static_cast<double>(gAllocations) / t;
}
BENCHMARK(BM_VehicleTurn)->Arg(25)->Arg(75)->Arg(150)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
