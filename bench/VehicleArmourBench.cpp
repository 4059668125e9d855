// Vehicle protection on the built-in tables, one core: the expected-value effective armour
// (aim: at most 300 ns), one shell's hit location with its resolution (an armour-piercing
// round of the 7.5 cm gun at 800 m), and the purchase cost without and with the kept fresh
// value (aims: at most 20 us and 100 ns).
#include <benchmark/benchmark.h>

#include <memory>

#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "game/map/Map.h"
#include "game/units/tables/Hack.h"
#include "game/units/VehicleWorld.h"

namespace {

GKernel& Kernel() {
  static GKernel* kernel = [] {
    auto* k = new GKernel();
    k->FindProgramFolder();
    return k;
  }();
  return *kernel;
}

// A battle world with the default map and the tables loaded, and a tank of the tables.
struct Field {
  Field() {
    Kernel();
    Hack::LoadTables();
    world.SetMap(std::make_unique<Map>(world.app));
    world.Battle().map->Read(nullptr);
    world.Battle().endState[0] = 2;  // over: crews that bail out need no appearance
    tank = std::make_unique<Vehicle>();
    tank->SetClass(kTank, 0, 2, 500.0f, 500.0f, 0.0f);
  }
  ~Field() {
    tank.reset();
    world.SetMap(nullptr);
    Hack::FreeTables();
  }
  static constexpr int32_t kTank = 10;
  VehicleWorld world;
  std::unique_ptr<Vehicle> tank;
};

void ExpectedArmour(benchmark::State& state) {
  Field field;
  ArmourRequest request;
  request.x = 1200.0f;
  request.y = 900.0f;
  request.part = 1;
  request.facing = 0;
  request.calibre = 75.0f;
  request.ammoKind = 1;
  request.expectedValues = true;
  for (auto _ : state) {
    ArmourOutcome outcome;
    benchmark::DoNotOptimize(field.tank->ComputePenetration(request, &outcome));
  }
}
BENCHMARK(ExpectedArmour);

void LocateAndResolveHit(benchmark::State& state) {
  Field field;
  SeedRandom(11);
  for (auto _ : state) {
    field.tank->alive = 1;
    field.tank->losses = 0;
    field.tank->immobilized = 0;
    field.tank->gunDestroyed = 0;
    field.tank->burning = 0;
    VehicleStrike shot;
    shot.weapon = 0;
    shot.ammoKind = 1;
    shot.fireKind = 2;
    shot.startX = 1300.0f;
    shot.startY = 500.0f;
    shot.killValue = 0.5f;
    shot.strength = 20.0f;
    int32_t facing = 0;
    bool resolve = false;
    const int32_t location = field.tank->LocateHit(shot, facing, resolve);
    if (resolve) field.tank->ResolveHit(shot, location, facing);
    benchmark::DoNotOptimize(shot.flags.penetrated);
  }
}
BENCHMARK(LocateAndResolveHit);

void PurchaseCost(benchmark::State& state) {
  Field field;
  const bool fresh = state.range(0) != 0;
  for (auto _ : state) benchmark::DoNotOptimize(field.tank->PurchaseCost(fresh));
}
BENCHMARK(PurchaseCost)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
