// The soldier figures' animation: 300 squads of three figures stepped once per drawn frame
// (16 ms frames), and the first frame after a 60 s pause, when every figure is far behind.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/TestUnitWorld.h"

namespace {

struct Squads {
  Squads() : classes(InfantryData::kSize) {
    uint8_t* r = classes.data();
    const int32_t none = Infantry::kNoWeapon;
    const int16_t men = 9, slots = 1, scale = 60;
    r[50] = 1;
    std::memcpy(r + 54, &men, 2);
    std::memcpy(r + 56, &none, 4);
    std::memcpy(r + 62, &slots, 2);
    std::memcpy(r + 84, &men, 2);
    std::memcpy(r + 120, &scale, 2);
    gInfantryClasses = DataTable<InfantryData>(classes.data(), static_cast<uint32_t>(classes.size()));
    SeedRandom(51);
    for (int32_t i = 0; i < 300; ++i) {
      auto squad = std::make_unique<Infantry>();
      squad->Init(0, 6, 2, 100.0f + static_cast<float>(i), 100.0f, 0.0f);
      squad->identificationLevel = 4;
      for (size_t f = 0; f < 3; ++f) squad->figurePosture[f] = (i + static_cast<int32_t>(f)) % 10;
      squads.push_back(std::move(squad));
    }
  }
  ~Squads() { gInfantryClasses = {}; }
  Squads(const Squads&) = delete;
  Squads& operator=(const Squads&) = delete;

  std::vector<uint8_t> classes;
  TestUnitWorld world;
  std::vector<std::unique_ptr<Infantry>> squads;
};

void BM_InfantryAnimationFrame(benchmark::State& state) {
  Squads field;
  uint32_t now = 1000;
  // Every figure started.
  for (int32_t frame = 0; frame < 4; ++frame) {
    for (auto& squad : field.squads) squad->AnimateFigures(now, 16, now - 16);
    now += 16;
  }
  for (auto _ : state) {
    for (auto& squad : field.squads) squad->AnimateFigures(now, 16, now - 16);
    now += 16;
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(field.squads.size()));
}
BENCHMARK(BM_InfantryAnimationFrame);

void BM_InfantryAnimationAfterPause(benchmark::State& state) {
  Squads field;
  for (int32_t frame = 0; frame < 4; ++frame) {
    for (auto& squad : field.squads) squad->AnimateFigures(1000 + 16 * frame, 16, 984 + 16 * frame);
  }
  int32_t steps = 0;
  for (auto _ : state) {
    for (auto& squad : field.squads) squad->figureNextKeyTime = {1100, 1100, 1100};
    for (auto& squad : field.squads) steps += squad->AnimateFigures(61100, 60000, 1100);
  }
  benchmark::DoNotOptimize(steps);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(field.squads.size()));
}
BENCHMARK(BM_InfantryAnimationAfterPause);

}  // namespace
BENCHMARK_MAIN();
