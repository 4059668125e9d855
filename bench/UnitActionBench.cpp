// One computed turn of units on the 250 x 250 tile reference map: 150 units a side step all
// 2,401 slices, each spotting the enemy through the identification algorithm and the map's
// unit-pair visibility cache. A third of the units move, so their cached lines expire.
// Counters: spotting evaluations (observer looks), sight traces and the cache hit rate a turn.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "MapTestWorld.h"
#include "ReferenceMaps.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestUnitWorld.h"

namespace {

int64_t gEvaluations = 0;
int64_t gTraces = 0;

// An infantry unit that walks back and forth and whose enemies see it along the cached lines.
class BenchInfantry : public TestInfantry {
 public:
  int32_t BestEnemyIdentification(bool relaxed, int32_t) const override {
    return EnemyIdentificationLevel(relaxed ? 200.0f : 100.0f, 1.0f);
  }
  float VisibilityTo(const Unit* observer) const override {
    ++gEvaluations;
    const Map& map = *UnitBattleMap();
    bool seen = false;
    if (!map.CachedVisibility(observer, this, seen)) ++gTraces;
    float v = 0.0f;
    seen = observer->LineOfSightTo(*this, &v);
    return seen ? 1200.0f * v : 0.0f;
  }
  void UpdateSlice(int32_t) override {
    if (speed == 0.0f) return;
    x += dx;
    y += dy;
    if (x < 100.0f || x > 4900.0f) dx = -dx;
    if (y < 100.0f || y > 4900.0f) dy = -dy;
  }
  static const Map* UnitBattleMap();
  float dx = 0.0f;
  float dy = 0.0f;
};

const Map* gMap = nullptr;
const Map* BenchInfantry::UnitBattleMap() { return gMap; }

struct Battlefield {
  Battlefield() {
    world.SetMap(LoadReferenceMap(world.app, "ref250"));
    if (world.Battle().map == nullptr) return;
    gMap = world.Battle().map;
    world.app.options[10] = 2;
    SeedRandom(2401);
    const float w = gMap->size.worldWidth;
    for (int32_t i = 0; i < 300; ++i) {
      auto unit = std::make_unique<BenchInfantry>();
      unit->side = static_cast<uint8_t>(i % 2);
      unit->rating = 1 + i % 5;
      unit->men = 10;
      // The two sides face each other across the middle of the map.
      const float band = unit->side == 1 ? 0.3f : 0.6f;
      unit->SetPosition(w * (0.1f + 0.8f * RandomFloat()), w * (band + 0.1f * RandomFloat()));
      if (i % 3 == 0) {
        unit->speed = 0.05f;
        unit->dx = 0.05f * (RandomFloat() - 0.5f);
        unit->dy = 0.05f * (RandomFloat() - 0.5f);
      }
      unit->countdown = 80 + Random(160);
      unit->spottingValue = 1 + Random(160);
      world.Lend(unit.get());
      units.push_back(std::move(unit));
    }
  }
  TestUnitWorld world;
  std::vector<std::unique_ptr<BenchInfantry>> units;
};

void BM_UnitTurn(benchmark::State& state) {
  Battlefield field;
  if (field.world.Battle().map == nullptr) {
    state.SkipWithError("reference map ref250 missing");
    return;
  }
  int64_t turns = 0;
  gEvaluations = 0;
  gTraces = 0;
  for (auto _ : state) {
    for (auto& unit : field.units) unit->sliceCounter = 0;
    for (int32_t slice = 0; slice <= 2400; ++slice) {
      field.world.Battle().currentSlice = slice;
      for (auto& unit : field.units) unit->StepSlice(slice);
    }
    field.world.statePackets.clear();
    ++turns;
  }
  const double t = static_cast<double>(turns);
  state.counters["evaluations_per_turn"] = static_cast<double>(gEvaluations) / t;
  state.counters["traces_per_turn"] = static_cast<double>(gTraces) / t;
  state.counters["cache_hit_rate"] =
      gEvaluations > 0 ? 1.0 - static_cast<double>(gTraces) / static_cast<double>(gEvaluations) : 0.0;
}
BENCHMARK(BM_UnitTurn)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
