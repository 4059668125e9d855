// Infantry under fire on the 250 x 250 tile reference map among 300 units: the cover search
// near woods and in a village, with and without a threat, forced and not (time and exposure
// traces per call), and a withdrawal whose every spot is refused.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "MapTestWorld.h"
#include "ReferenceMaps.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/TestUnitWorld.h"

namespace {

// Infantry that can cross every cell, counting the exposure traces it makes.
class BenchInfantry : public Infantry {
 public:
  float GetTerrainMobility() const override { return mobile ? 1.0f : 0.0f; }
  int32_t GetSpeedClass() const override { return 3; }
  float VisibilityFromPoint(float px, float py, float pz, bool sure) override {
    ++traces;
    return Infantry::VisibilityFromPoint(px, py, pz, sure);
  }
  bool mobile = true;
  int64_t traces = 0;
};

struct Battlefield {
  static constexpr int32_t kClasses = 4;

  Battlefield() : classes(kClasses * InfantryData::kSize) {
    for (int32_t i = 0; i < kClasses; ++i) {
      uint8_t* c = classes.data() + static_cast<size_t>(i) * InfantryData::kSize;
      Put(c + 54, 9, 2);
      Put(c + 56, Infantry::kNoWeapon, 4);
      Put(c + 62, 1, 2);
      Put(c + 84, 9, 2);
      Put(c + 108, 3, 4);
      Put(c + 112, 5, 4);
      Put(c + 120, 60, 2);
      c[50] = 1;
      c[64] = 1;
    }
    gInfantryClasses = DataTable<InfantryData>(classes.data(), static_cast<uint32_t>(classes.size()));
    world.SetMap(LoadReferenceMap(world.app, "ref250"));
    if (world.Battle().map == nullptr) return;
    map = world.Battle().map;
    const float w = map->size.worldWidth;
    SeedRandom(2401);
    for (int32_t i = 0; i < 300; ++i) {
      auto unit = std::make_unique<BenchInfantry>();
      unit->Init(i % kClasses, 0, 2, w * (0.3f + 0.4f * RandomFloat()), w * (0.3f + 0.4f * RandomFloat()), 0.0f);
      unit->side = static_cast<uint8_t>(i % 2);
      world.Lend(unit.get());
      units.push_back(std::move(unit));
    }
    woods = Find(false);
    village = Find(true);
  }
  ~Battlefield() {
    world.TakeBackLent();
    gInfantryClasses = {};
  }

  static void Put(uint8_t* at, int32_t value, int32_t bytes) {
    for (int32_t i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
  }

  // An open spot with many cover cells within 60 m (beside a building when village).
  std::array<float, 2> Find(bool village) const {
    std::array<float, 2> best{map->size.worldWidth * 0.5f, map->size.worldHeight * 0.5f};
    int32_t most = -1;
    for (float px = 100.0f; px < map->size.worldWidth - 100.0f; px += 97.0f) {
      for (float py = 100.0f; py < map->size.worldHeight - 100.0f; py += 97.0f) {
        if (map->IsConcealingAt(px, py, true)) continue;
        bool building = false;
        int32_t cover = 0;
        for (float dx = -60.0f; dx <= 60.0f; dx += 10.0f) {
          for (float dy = -60.0f; dy <= 60.0f; dy += 10.0f) {
            cover += map->IsConcealingAt(px + dx, py + dy, false) ? 1 : 0;
            building = building || map->FindBuildingAt(px + dx, py + dy) != nullptr;
          }
        }
        if (building == village && cover > most) {
          most = cover;
          best = {px, py};
        }
      }
    }
    return best;
  }

  std::vector<uint8_t> classes;
  TestUnitWorld world;
  Map* map = nullptr;
  std::vector<std::unique_ptr<BenchInfantry>> units;
  std::array<float, 2> woods{};
  std::array<float, 2> village{};
};

// Arguments: place (0 open ground in the middle, 1 beside woods, 2 in a village), threat,
// forced.
void BM_SeekCover(benchmark::State& state) {
  Battlefield field;
  if (field.map == nullptr) {
    state.SkipWithError("reference map ref250 missing");
    return;
  }
  const int64_t place = state.range(0);
  const bool threat = state.range(1) != 0;
  const bool forced = state.range(2) != 0;
  const std::array<float, 2> at = place == 1 ? field.woods
                                  : place == 2 ? field.village
                                               : std::array<float, 2>{field.map->size.worldWidth * 0.5f,
                                                                      field.map->size.worldHeight * 0.5f};
  BenchInfantry& unit = *field.units[0];
  unit.suppression = 100.0f;
  unit.traces = 0;
  int64_t calls = 0;
  for (auto _ : state) {
    unit.x = at[0];
    unit.y = at[1];
    unit.waypointCount = 0;
    benchmark::DoNotOptimize(unit.SeekCover(forced, threat, at[0] + 150.0f, at[1] + 40.0f));
    ++calls;
  }
  state.counters["traces"] = static_cast<double>(unit.traces) / static_cast<double>(std::max<int64_t>(calls, 1));
}
BENCHMARK(BM_SeekCover)->ArgsProduct({{0, 1, 2}, {0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

// Every spot refused: the other units are friends but for the last eight, enemies in a ring
// around the unit, so each clear spot walks the whole group before an enemy ahead refuses
// it and all four searches run to their end.
void BM_RetreatAllRefused(benchmark::State& state) {
  Battlefield field;
  if (field.map == nullptr) {
    state.SkipWithError("reference map ref250 missing");
    return;
  }
  BenchInfantry& unit = *field.units[0];
  unit.x = field.woods[0];
  unit.y = field.woods[1];
  for (size_t i = 0; i < field.units.size(); ++i) field.units[i]->side = 0;
  for (size_t k = 0; k < 8; ++k) {
    BenchInfantry& enemy = *field.units[field.units.size() - 1 - k];
    const float a = static_cast<float>(k) * 0.7853982f;
    enemy.side = 1;
    enemy.x = unit.x + 20.0f * std::cos(a);
    enemy.y = unit.y + 20.0f * std::sin(a);
  }
  for (auto _ : state) {
    unit.waypointCount = 0;
    benchmark::DoNotOptimize(unit.RetreatTowardFriendlyEdge(false, false));
  }
}
BENCHMARK(BM_RetreatAllRefused)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
