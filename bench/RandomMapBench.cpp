// The random map generator's steps on a 5,000 m square map, for each hilliness and map type,
// with the time of each step as a counter (seconds per map), the building site attempts and
// water levelling passes as counters; and the whole map for all 80 combinations of map type,
// tree coverage and hilliness. Aim: each whole map at most 2 s on one core.
#include <benchmark/benchmark.h>

#include <chrono>

#include "MapTestWorld.h"
#include "editor/RandomMapGenerator.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"

namespace {

template <class Step>
double Seconds(Step step) {
  const auto start = std::chrono::steady_clock::now();
  step();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_RandomMapSteps(benchmark::State& state) {
  FakeApp app;
  Map map(app);
  RandomMapParams params;
  params.widthMetres = 5000.0f;
  params.heightMetres = 5000.0f;
  params.hilliness = static_cast<int32_t>(state.range(0));
  params.mapType = static_cast<int32_t>(state.range(1));
  double times[15] = {};
  double attempts = 0.0;
  double passes = 0.0;
  uint32_t seed = 1;
  for (auto _ : state) {
    SeedRandom(seed++);
    RandomMapGenerator generator(map, params);
    times[0] += Seconds([&] { generator.NewMap(); });
    times[1] += Seconds([&] { generator.CentrePoint(); });
    times[2] += Seconds([&] { generator.Hills(); });
    times[3] += Seconds([&] { generator.Levels(); });
    times[4] += Seconds([&] { generator.LayRoads(); });
    times[5] += Seconds([&] { generator.FinishRoads(); });
    times[6] += Seconds([&] { generator.TownCentre(); });
    times[7] += Seconds([&] { generator.Buildings(); });
    times[8] += Seconds([&] { generator.LevelBuildingGroups(); });
    times[9] += Seconds([&] { generator.GrainFields(); });
    times[10] += Seconds([&] { generator.Enclosures(); });
    times[11] += Seconds([&] { generator.Water(); });
    times[12] += Seconds([&] { generator.LevelWater(); });
    times[13] += Seconds([&] { generator.Patches(); });
    times[14] += Seconds([&] { generator.Woods(); });
    attempts += static_cast<double>(generator.SiteAttempts());
    passes += generator.WaterPasses();
  }
  const char* names[15] = {"1_new_map",  "2_centre",     "3_hills",    "3_levels",      "4_lay_roads",
                           "4_finish_roads", "5_town",   "6_buildings", "6_level_groups", "6_grain",
                           "6_enclosures", "6_water",    "6_level_water", "6_patches",   "6_woods"};
  const double runs = static_cast<double>(state.iterations());
  for (int i = 0; i < 15; ++i) state.counters[names[i]] = times[i] / runs;
  state.counters["site_attempts"] = attempts / runs;
  state.counters["water_passes"] = passes / runs;
}
BENCHMARK(BM_RandomMapSteps)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1, 2, 3}})
    ->ArgNames({"hilliness", "type"})
    ->Unit(benchmark::kMillisecond);

void BM_RandomMapWhole(benchmark::State& state) {
  FakeApp app;
  Map map(app);
  RandomMapParams params;
  params.widthMetres = 5000.0f;
  params.heightMetres = 5000.0f;
  params.mapType = static_cast<int32_t>(state.range(0));
  params.treeCoverage = static_cast<int32_t>(state.range(1));
  params.hilliness = static_cast<int32_t>(state.range(2));
  uint32_t seed = 1;
  for (auto _ : state) {
    SeedRandom(seed++);
    RandomMapGenerator::Generate(map, params);
  }
}
BENCHMARK(BM_RandomMapWhole)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1, 2, 3}, {0, 1, 2, 3, 4}})
    ->ArgNames({"type", "trees", "hilliness"})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
