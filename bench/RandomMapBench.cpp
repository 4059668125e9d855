// The random map generator's steps on a 5,000 m square map, for each hilliness and map type,
// with the time of each step as a counter (seconds per map). Aim: all steps together at most
// 1 s on one core.
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
  double times[7] = {};
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
  }
  const char* names[7] = {"1_new_map", "2_centre", "3_hills", "3_levels", "4_lay_roads", "4_finish_roads", "5_town"};
  const double runs = static_cast<double>(state.iterations());
  for (int i = 0; i < 7; ++i) state.counters[names[i]] = times[i] / runs;
}
BENCHMARK(BM_RandomMapSteps)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1, 2, 3}})
    ->ArgNames({"hilliness", "type"})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
