// The built-in tables: loading them at start (aim: below 50 ms) and the armour penetration of a
// shot (aim: at most 1 microsecond at 1000 m on one core).
#include <benchmark/benchmark.h>

#include "framework/kernel/GKernel.h"
#include "game/units/tables/Hack.h"
#include "game/units/fire/WeaponFormulas.h"

namespace {

GKernel& Kernel() {
  static GKernel* kernel = [] {
    auto* k = new GKernel();
    k->FindProgramFolder();
    return k;
  }();
  return *kernel;
}

void LoadTables(benchmark::State& state) {
  Kernel();
  for (auto _ : state) {
    Hack::LoadTables();
    benchmark::DoNotOptimize(gWeapons.Count());
    Hack::FreeTables();
  }
}
BENCHMARK(LoadTables)->Unit(benchmark::kMillisecond);

// The 7.5 cm KwK 40 firing armour-piercing shot (weapon 0, kind 1) without variation.
void WeaponPenetrationAt(benchmark::State& state) {
  Kernel();
  Hack::LoadTables();
  const float range = static_cast<float>(state.range(0));
  for (auto _ : state) {
    bool shattered = false;
    benchmark::DoNotOptimize(WeaponPenetration(false, range, 0, 1, false, 250, 0.8f, &shattered));
  }
  Hack::FreeTables();
}
BENCHMARK(WeaponPenetrationAt)->Arg(100)->Arg(1000)->Arg(2500);

}  // namespace

BENCHMARK_MAIN();
