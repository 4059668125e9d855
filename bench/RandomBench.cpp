#include <benchmark/benchmark.h>

#include "framework/core/Quorl.h"

static void BM_Random(benchmark::State& state) {
  SeedRandom(1);
  for (auto _ : state) benchmark::DoNotOptimize(Random(1000000));
}
BENCHMARK(BM_Random);

BENCHMARK_MAIN();
