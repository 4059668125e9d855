// The operation between battles on a 250 x 250 operation map with 600 squads: the whole
// between-battle pipeline, the supply trace of both sides, and the front-line update with
// 500 units in the battle.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/HeadlessHost.h"
#include "game/map/Map.h"
#include "game/units/tables/Hack.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestVehicle.h"
#include "game/units/records/UnitIds.h"

namespace {

constexpr float kSide = 5000.0f;  // 250 tiles

// A squad whose ground takes it anywhere, so that the pull-back can place it.
class MobileSquad : public TestInfantry {
 public:
  float GetTerrainMobility() const override { return 1.0f; }
};

struct OperationWorld {
  explicit OperationWorld(int32_t units, float spreadAcross)
      : infantry(InfantryData::kSize * 16), vehicles(VehicleData::kSize * 16) {
    gInfantryClasses = DataTable<InfantryData>(infantry.data(), static_cast<uint32_t>(infantry.size()));
    gVehicleClasses = DataTable<VehicleData>(vehicles.data(), static_cast<uint32_t>(vehicles.size()));
    RegisterBlankUnitMaker(0, []() -> Unit* { return new TestInfantry(); });
    RegisterBlankUnitMaker(1, []() -> Unit* { return new TestVehicle(); });
    SeedRandom(44);
    campaign = std::make_unique<Campaign>(headless.Host(), &headless);
    headless.Host().InPlay().SetCampaign(campaign.get());
    campaign->SetUp(nullptr);
    campaign->map->NewMap(kSide, kSide, nullptr);
    campaign->frontLine = 125;
    campaign->nightEvery = 0;
    campaign->lastTurn = 1000;
    campaign->SetInitialZones();
    // Both sides' squads on their own side of the front (at 2,500 m), the attacker (Allied,
    // from the West) before it; one squad in ten stands past the gap and is pulled back.
    for (int32_t i = 0; i < units; ++i) {
      auto* squad = new MobileSquad();
      const int32_t side = i % 2;
      const float depth = (i % 10 == 0 ? 0.0f : 220.0f) + static_cast<float>(i % 37) * spreadAcross;
      const float across = 2500.0f + (side == 1 ? -1.0f : 1.0f) * depth;
      squad->Setup(across, 20.0f + static_cast<float>((i * 7919) % 4960), 0.0f, side == 0 ? 6 : 0, 2);
      squad->side = static_cast<uint8_t>(1 - side);
      squad->men = 10;
      campaign->units.Append(squad);
    }
  }
  ~OperationWorld() {
    headless.MakeCurrentBattle(nullptr);
    headless.Host().InPlay().SetCampaign(nullptr);
  }
  Battle& StartBattle() {
    auto* battle = new Battle(headless.Host());
    headless.MakeCurrentBattle(battle);
    campaign->SetUpBattle(*battle);
    return *battle;
  }

  std::vector<uint8_t> infantry;
  std::vector<uint8_t> vehicles;
  HeadlessBattle headless;
  std::unique_ptr<Campaign> campaign;
};

void BM_AdvanceBetweenBattles(benchmark::State& state) {
  OperationWorld world(600, 16.0f);
  for (auto _ : state) {
    state.PauseTiming();
    world.campaign->frontLine = 125;
    world.StartBattle();
    state.ResumeTiming();
    world.campaign->AdvanceBetweenBattles();
  }
  state.counters["units"] = static_cast<double>(world.campaign->units.Count());
}
BENCHMARK(BM_AdvanceBetweenBattles)->Unit(benchmark::kMillisecond);

void BM_TraceSupply(benchmark::State& state) {
  OperationWorld world(600, 16.0f);
  world.campaign->RedrawZones(false);
  for (auto _ : state) {
    world.campaign->TraceSupply();
    benchmark::DoNotOptimize(world.campaign->inSupply.Count());
    world.campaign->inSupply.DeleteAll(false);
    world.campaign->cutOff.DeleteAll(false);
  }
}
BENCHMARK(BM_TraceSupply)->Unit(benchmark::kMillisecond);

void BM_UpdateFrontLine(benchmark::State& state) {
  OperationWorld world(500, 12.0f);
  Battle& battle = world.StartBattle();
  for (auto _ : state) {
    world.campaign->frontLine = 125;
    world.campaign->UpdateFrontLine();
    benchmark::DoNotOptimize(world.campaign->frontLine);
  }
  state.counters["battle units"] = static_cast<double>(battle.units.Count());
}
BENCHMARK(BM_UpdateFrontLine)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
