// Target choice on the built-in tables, one core: a forced choice of a tank, and of a rifle
// squad, among 20 enemy vehicles that all pass the tank's candidate filter, on the default
// map. Reports microseconds per choice and the weapon-effect estimates each choice makes
// (aim: at most 250 us a choice).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "framework/kernel/GKernel.h"
#include "game/map/Map.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/tables/WeaponData.h"
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

// The range test belongs to the fire control still to come: here the main gun's record says.
class BenchTank : public Vehicle {
 public:
  void GetRangeBounds(int32_t, float factor, float& low, float& high) const override {
    const int32_t w = GetClassData(0).MainWeapon();
    low = 0.0f;
    high = w != kNoWeapon ? gWeapons[w].MaxRange() * factor : -1.0f;
  }
};

struct Field {
  static constexpr int32_t kTank = 10;
  static constexpr int32_t kCandidates = 20;
  Field() {
    Kernel();
    Hack::LoadTables();
    world.SetMap(std::make_unique<Map>(world.app));
    world.Battle().map->Read(nullptr);
    world.Battle().endState[0] = 2;  // a side surrendered: the battle is over
    chooser = std::make_unique<BenchTank>();
    chooser->SetClass(kTank, 0, 2, 500.0f, 500.0f, 0.0f);
    chooser->side = 1;
    world.Lend(chooser.get());
    for (int32_t i = 0; i < kCandidates; ++i) {
      auto v = std::make_unique<Vehicle>();
      v->SetClass(kTank + (i % 5), 0, 2, 700.0f + 15.0f * static_cast<float>(i % 5),
                  420.0f + 40.0f * static_cast<float>(i / 5), 180.0f);
      v->side = 0;
      v->identificationLevel = 2;
      world.Lend(v.get());
      candidates.push_back(std::move(v));
    }
  }
  ~Field() {
    world.TakeBackLent();
    candidates.clear();
    chooser.reset();
    world.SetMap(nullptr);
    Hack::FreeTables();
  }
  int32_t Passing() {
    int32_t n = 0;
    for (auto& c : candidates) n += AITargeting::PassesCandidateFilter(*c, *chooser) ? 1 : 0;
    return n;
  }
  VehicleWorld world;
  std::unique_ptr<BenchTank> chooser;
  std::vector<std::unique_ptr<Vehicle>> candidates;
};

void VehicleChoice(benchmark::State& state) {
  Field field;
  const int64_t before = AITargeting::gEffectCalls;
  int64_t choices = 0;
  for (auto _ : state) {
    field.chooser->target = nullptr;
    field.chooser->ChooseTarget(true);
    benchmark::DoNotOptimize(field.chooser->target);
    ++choices;
  }
  state.counters["passing"] = field.Passing();

  state.counters["effects/choice"] =
      choices > 0 ? static_cast<double>(AITargeting::gEffectCalls - before) / static_cast<double>(choices) : 0.0;
}
BENCHMARK(VehicleChoice)->Unit(benchmark::kMicrosecond);

// The first rifle squad class of the tables: eight men or more, no crew weapon.
int32_t RifleSquadClass() {
  for (int32_t i = 0; i < gInfantryClasses.Count(); ++i) {
    const InfantryData c = gInfantryClasses[i];
    if (c.IsSquad() != 0 && c.MainWeapon() == Infantry::kNoWeapon && c.Men() >= 8 && c.LeaderLevel() == 0) return i;
  }
  return -1;
}

void SquadChoice(benchmark::State& state) {
  Field field;
  const int32_t squadClass = RifleSquadClass();
  if (squadClass < 0) {
    state.SkipWithError("no rifle squad in the tables");
    return;
  }
  Infantry squad;
  squad.Init(squadClass, 6, 2, 600.0f, 500.0f, 0.0f);
  squad.side = 1;
  field.world.Lend(&squad);
  const int64_t before = AITargeting::gEffectCalls;
  int64_t choices = 0;
  for (auto _ : state) {
    squad.target = nullptr;
    squad.ChooseTarget(true);
    benchmark::DoNotOptimize(squad.target);
    ++choices;
  }
  field.world.TakeBack(&squad);
  state.counters["effects/choice"] =
      choices > 0 ? static_cast<double>(AITargeting::gEffectCalls - before) / static_cast<double>(choices) : 0.0;
}
BENCHMARK(SquadChoice)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
