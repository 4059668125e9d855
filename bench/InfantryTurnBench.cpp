// One turn (2,401 slices) of the infantry's own slice step on the 250 x 250 tile reference map:
// N squads and teams in two forces walking toward each other, every unit stepped every slice.
// Target choice, spotting and shots belong to the unit and the battle; the fire delay is held
// below 0 each slice so the step leaves them out, and what is timed is the infantry's own work
// (movement state, turning, walking, the firing step's gates, activity, voices, crowding).
// Counters: ms per turn, ns per unit-slice, generator draws and heap allocations per turn.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "MapTestWorld.h"
#include "ReferenceMaps.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/TestUnitWorld.h"

// Every heap allocation of the program is counted, so that a turn's allocations show.
namespace {
int64_t gAllocations = 0;
}  // namespace

// The counting operators pair malloc with free themselves; the compiler, seeing free reached
// from a delete, would call it a mismatch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  ++gAllocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

int64_t gDraws = 0;
void CountDraw(int32_t) { ++gDraws; }

struct Field {
  static constexpr int32_t kClasses = 4;

  explicit Field(int32_t n) : classes(kClasses * InfantryData::kSize) {
    for (int32_t i = 0; i < kClasses; ++i) {
      uint8_t* c = classes.data() + static_cast<size_t>(i) * InfantryData::kSize;
      const int32_t men = i == 0 ? 9 : (i == 1 ? 4 : (i == 2 ? 3 : 2));
      Put(c + 54, men, 2);
      Put(c + 56, Infantry::kNoWeapon, 4);
      Put(c + 62, 1, 2);
      Put(c + 84, men, 2);
      Put(c + 108, 3, 4);
      Put(c + 112, 5, 4);
      Put(c + 120, 60, 2);
      c[50] = i == 0 ? 1 : 0;
      c[52] = i == 3 ? 1 : 0;
      c[64] = 1;
    }
    gInfantryClasses = DataTable<InfantryData>(classes.data(), static_cast<uint32_t>(classes.size()));
    world.app.editorOpen = false;
    world.SetMap(LoadReferenceMap(world.app, "ref250"));
    if (world.Battle().map == nullptr) return;
    map = world.Battle().map;
    const float w = map->size.worldWidth;
    SeedRandom(2401);
    for (int32_t i = 0; i < n; ++i) {
      const bool south = i % 2 == 0;
      const float px = w * (0.2f + 0.6f * RandomFloat());
      const float py = south ? w * (0.3f + 0.05f * RandomFloat()) : w * (0.65f + 0.05f * RandomFloat());
      auto unit = std::make_unique<Infantry>();
      unit->Init(i % kClasses, 0, 2, px, py, south ? 90.0f : 270.0f);
      unit->side = static_cast<uint8_t>(south ? 0 : 1);
      unit->fanaticState = 1;
      world.Lend(unit.get());
      units.push_back(std::move(unit));
    }
  }
  ~Field() {
    world.TakeBackLent();
    gInfantryClasses = {};
  }
  static void Put(uint8_t* at, int32_t value, int32_t bytes) {
    for (int32_t i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
  }
  // Every unit ordered 300 m toward the other force.
  void Order() {
    for (auto& unit : units) {
      unit->waypointCount = 1;
      Waypoint& wp = unit->waypoints[0];
      wp = Waypoint{};
      wp.x = unit->x;
      wp.y = unit->side == 0 ? unit->y + 300.0f : unit->y - 300.0f;
      wp.moveMode = Infantry::kMove;
      wp.pointKind = 1;
    }
  }

  std::vector<uint8_t> classes;
  TestUnitWorld world;
  Map* map = nullptr;
  std::vector<std::unique_ptr<Infantry>> units;
};

void BM_InfantryTurn(benchmark::State& state) {
  const int32_t n = static_cast<int32_t>(state.range(0));
  Field field(n);
  if (field.map == nullptr) {
    state.SkipWithError("reference map ref250 missing");
    return;
  }
  int64_t turns = 0;
  gDraws = 0;
  int64_t allocations = 0;
  double seconds = 0.0;
  for (auto _ : state) {
    state.PauseTiming();
    field.Order();
    SetRandomBoundObserver(CountDraw);
    state.ResumeTiming();
    const int64_t allocatedBefore = gAllocations;
    const auto start = std::chrono::steady_clock::now();
    for (int32_t slice = 0; slice <= 2400; ++slice) {
      field.world.Battle().currentSlice = slice;
      for (auto& unit : field.units) {
        unit->reloadState = -1.0f;
        unit->UpdateSlice(slice);
        unit->facing = std::fmod(unit->facing + unit->turnRate + 360.0f, 360.0f);
        unit->sliceCounter += 1;
      }
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    allocations += gAllocations - allocatedBefore;
    state.PauseTiming();
    SetRandomBoundObserver(nullptr);
    ++turns;
    state.ResumeTiming();
  }
  const double t = static_cast<double>(std::max<int64_t>(turns, 1));
  state.counters["ms_per_turn"] = seconds * 1000.0 / t;
  state.counters["ns_per_unit_slice"] = seconds * 1e9 / (t * 2401.0 * static_cast<double>(n));
  state.counters["draws_per_turn"] = static_cast<double>(gDraws) / t;
  state.counters["allocations_per_turn"] = static_cast<double>(allocations) / t;
}
BENCHMARK(BM_InfantryTurn)->Arg(50)->Arg(150)->Arg(300)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
