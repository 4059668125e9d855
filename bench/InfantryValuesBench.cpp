// Infantry values on the 250 x 250 tile reference map: 200 squads of four weapon slots, half
// of them walking along waypoints. Per call: the terrain speed (two terrain point queries,
// two burning tests), the movement state, the firepower at a range, and the visibility from
// a point 300 m off with its one sight trace.
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
#include "game/units/infantry/Infantry.h"
#include "game/units/TestUnitWorld.h"

namespace {

struct Battlefield {
  static constexpr int32_t kClasses = 4;

  Battlefield()
      : classes(kClasses * InfantryData::kSize), weapons(110 * WeaponData::kSize),
        smallArms(40 * SmallArmsData::kSize) {
    for (int32_t i = 0; i < kClasses; ++i) {
      uint8_t* r = classes.data() + static_cast<size_t>(i) * InfantryData::kSize;
      const int32_t none = Infantry::kNoWeapon, speedClass = 3 + i % 2, classCode = 5;
      const int16_t men = 10, slots = 4, scale = 60;
      r[50] = 1;
      std::memcpy(r + 54, &men, 2);
      std::memcpy(r + 56, &none, 4);
      std::memcpy(r + 62, &slots, 2);
      for (int32_t s = 0; s < 4; ++s) {
        const int32_t weapon = 20 + s;
        const int16_t slotMen = s == 0 ? 4 : 2;
        std::memcpy(r + 68 + 4 * s, &weapon, 4);
        std::memcpy(r + 84 + 2 * s, &slotMen, 2);
      }
      std::memcpy(r + 108, &speedClass, 4);
      std::memcpy(r + 112, &classCode, 4);
      std::memcpy(r + 120, &scale, 2);
    }
    for (int32_t w = 20; w < 24; ++w) {
      uint8_t* e = smallArms.data() + static_cast<size_t>(w) * SmallArmsData::kSize;
      for (int32_t p = 0; p < SmallArmsData::kRangePoints; ++p) {
        const float f = 20.0f - static_cast<float>(p);
        std::memcpy(e + 28 + 4 * p, &f, 4);
      }
      const int16_t range = 1500;
      const int32_t armour = 2;
      std::memcpy(e + 72, &range, 2);
      std::memcpy(e + 76, &armour, 4);
    }
    gInfantryClasses = DataTable<InfantryData>(classes.data(), static_cast<uint32_t>(classes.size()));
    gWeapons = DataTable<WeaponData>(weapons.data(), static_cast<uint32_t>(weapons.size()));
    gSmallArms = DataTable<SmallArmsData>(smallArms.data(), static_cast<uint32_t>(smallArms.size()));
    world.SetMap(LoadReferenceMap(world.app, "ref250"));
    if (world.Battle().map == nullptr) return;
    const float w = world.Battle().map->size.worldWidth;
    SeedRandom(2401);
    for (int32_t i = 0; i < 200; ++i) {
      auto squad = std::make_unique<Infantry>();
      const float px = w * (0.3f + 0.4f * RandomFloat());
      const float py = w * (0.3f + 0.4f * RandomFloat());
      squad->Init(i % kClasses, i % 2 == 0 ? 3 : 6, 2, px, py, RandomFloatTimes(360.0f));
      if (i % 2 == 0) {
        squad->movementFlag = 1;
        squad->activityState = Infantry::kMove;
        squad->waypointCount = 1;
        squad->WaypointAt(0) = Waypoint{px + 50.0f, py, 0.0f, 3, 0, 0, 0};
      }
      world.Lend(squad.get());
      squads.push_back(std::move(squad));
    }
  }
  ~Battlefield() {
    gInfantryClasses = {};
    gWeapons = {};
    gSmallArms = {};
  }

  std::vector<uint8_t> classes;
  std::vector<uint8_t> weapons;
  std::vector<uint8_t> smallArms;
  TestUnitWorld world;
  std::vector<std::unique_ptr<Infantry>> squads;
};

#define REQUIRE_MAP(field)                                  \
  if ((field).squads.empty()) {                             \
    state.SkipWithError("reference map ref250 missing");    \
    return;                                                 \
  }

void BM_InfantryTerrainMobility(benchmark::State& state) {
  Battlefield field;
  REQUIRE_MAP(field);
  float sum = 0.0f;
  for (auto _ : state) {
    for (auto& squad : field.squads) sum += squad->GetTerrainMobility(nullptr);
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(field.squads.size()));
}
BENCHMARK(BM_InfantryTerrainMobility);

void BM_InfantryChooseMoveState(benchmark::State& state) {
  Battlefield field;
  REQUIRE_MAP(field);
  int32_t sum = 0;
  for (auto _ : state) {
    for (auto& squad : field.squads) sum += squad->ChooseMoveState(true);
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(field.squads.size()));
}
BENCHMARK(BM_InfantryChooseMoveState);

void BM_InfantryFirepowerFourSlots(benchmark::State& state) {
  Battlefield field;
  REQUIRE_MAP(field);
  float sum = 0.0f;
  int32_t grade = 0;
  for (auto _ : state) {
    for (auto& squad : field.squads) sum += squad->FirepowerAt(420.0f, &grade, false, true);
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(field.squads.size()));
}
BENCHMARK(BM_InfantryFirepowerFourSlots);

void BM_InfantryVisibilityFromPoint(benchmark::State& state) {
  Battlefield field;
  REQUIRE_MAP(field);
  const Map& map = *field.world.Battle().map;
  float sum = 0.0f;
  for (auto _ : state) {
    for (auto& squad : field.squads) {
      const float px = squad->x + 300.0f;
      sum += squad->VisibilityFromPoint(px, squad->y, map.ElevationAt(px, squad->y) + 1.7f, true, false, true, 2);
    }
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(field.squads.size()));
}
BENCHMARK(BM_InfantryVisibilityFromPoint);

}  // namespace

BENCHMARK_MAIN();
