// Whole turns of the large battle (150 squads and teams a side on the 250 x 250 tile
// reference map, written by make_large_battle) through the headless battle on one core: the
// set-up GO, then three turns of GO (the 2,401-slice action and its replay) and next turn,
// and the canonical pass alone. Counters: ms per turn and each turn's own, packets per turn,
// lines of sight traced and points weighed along them per turn, route searches per turn (asked,
// answered from memory, made, out of nodes) with the nodes the made ones took and the cost
// grids priced cell by cell, vehicles in the battle, and the digest of the battle after its
// turns (a faster build must leave it as it was). The same turns of the battle with 600 units
// a side show how the turn grows with the battle.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "LargeBattleWorld.h"
#include "framework/core/Quorl.h"
#include "game/battle/BattleCanonicalPass.h"
#include "game/map/Map.h"
#include "game/map/TraceLineCounter.h"

namespace {

#ifndef TARVANE_LARGE_BATTLE_600
#define TARVANE_LARGE_BATTLE_600 "large/Large Battle 600.wrb"
#endif

void LargeBattleTurns(benchmark::State& state, const char* scenario) {
  LargeBattleWorld::Get("battleturn");
  double totalMs = 0.0;
  double turnMs[3] = {0.0, 0.0, 0.0};
  int64_t turns = 0;
  int64_t packets = 0;
  int64_t traces = 0;
  int64_t samples = 0;
  int64_t vehicles = 0;
  uint32_t digest = 0;
  // Route searches over the timed turns: asked, answered from memory, ended by the start's
  // region, out of nodes, and the nodes taken; cost grids priced in full or copied from the
  // other side's, and regions labelled.
  int64_t searches = 0;
  int64_t recalled = 0;
  int64_t settled = 0;
  int64_t spent = 0;
  int64_t nodes = 0;
  int64_t gridBuilds = 0;
  int64_t gridCopies = 0;
  int64_t labelled = 0;
  for (auto _ : state) {
    state.PauseTiming();
    HeadlessBattle headless;
    if (!LargeBattleWorld::Load(headless, scenario)) {
      state.SkipWithError("the large battle could not be read");
      return;
    }
    SeedRandom(1);
    headless.Go(1);  // the set-up GO
    vehicles = 0;
    for (int32_t i = 0; i < headless.GetBattle()->GetUnitCount(); ++i) {
      vehicles += dynamic_cast<const Vehicle*>(headless.GetBattle()->GetUnit(i)) != nullptr ? 1 : 0;
    }
    state.ResumeTiming();
    for (int32_t turn = 0; turn < 3; ++turn) {
      const int64_t traced = TraceLineCounter::calls;
      const int64_t weighed = TraceLineCounter::samples;
      const Map::Routes& routes = headless.GetBattle()->GetMap()->routes;
      const int64_t searchesBefore = routes.work.searches;
      const int64_t recalledBefore = routes.work.recalled;
      const int64_t settledBefore = routes.work.settled;
      const int64_t spentBefore = routes.work.spentSearches;
      const int64_t nodesBefore = routes.work.expandedTotal;
      const uint64_t buildsBefore = routes.fullBuilds;
      const uint64_t copiesBefore = routes.sharedBuilds;
      const int64_t labelledBefore = routes.regions.labelled;
      const auto start = std::chrono::steady_clock::now();
      headless.Go(static_cast<uint16_t>(100 + turn));
      const auto end = std::chrono::steady_clock::now();
      traces += TraceLineCounter::calls - traced;
      samples += TraceLineCounter::samples - weighed;
      searches += routes.work.searches - searchesBefore;
      recalled += routes.work.recalled - recalledBefore;
      settled += routes.work.settled - settledBefore;
      spent += routes.work.spentSearches - spentBefore;
      nodes += routes.work.expandedTotal - nodesBefore;
      gridBuilds += static_cast<int64_t>(routes.fullBuilds - buildsBefore);
      gridCopies += static_cast<int64_t>(routes.sharedBuilds - copiesBefore);
      labelled += routes.regions.labelled - labelledBefore;
      const double ms = std::chrono::duration<double, std::milli>(end - start).count();
      totalMs += ms;
      turnMs[turn] += ms;
      packets += headless.GetBattle()->packets.Count();
      ++turns;
      headless.NextTurn();
      if (headless.GetBattle()->IsOver()) break;
    }
    state.PauseTiming();
    digest = headless.Digest();
    state.ResumeTiming();
  }
  state.counters["ms_per_turn"] = turns > 0 ? totalMs / static_cast<double>(turns) : 0.0;
  // Each of the three turns apart (over the iterations run), as the turns differ in load.
  const double runs = static_cast<double>(state.iterations());
  for (int32_t turn = 0; turn < 3; ++turn) {
    state.counters["ms_turn" + std::to_string(turn + 1)] = runs > 0.0 ? turnMs[turn] / runs : 0.0;
  }
  state.counters["vehicles"] = static_cast<double>(vehicles);
  state.counters["digest"] = static_cast<double>(digest);
  state.counters["traces_per_turn"] = turns > 0 ? static_cast<double>(traces) / static_cast<double>(turns) : 0.0;
  state.counters["samples_per_turn"] = turns > 0 ? static_cast<double>(samples) / static_cast<double>(turns) : 0.0;
  state.counters["packets_per_turn"] = turns > 0 ? static_cast<double>(packets) / static_cast<double>(turns) : 0.0;
  const auto perTurn = [turns](int64_t n) { return turns > 0 ? static_cast<double>(n) / static_cast<double>(turns) : 0.0; };
  state.counters["routes_per_turn"] = perTurn(searches);
  state.counters["routes_recalled_per_turn"] = perTurn(recalled);
  state.counters["routes_settled_per_turn"] = perTurn(settled);
  state.counters["routes_searched_per_turn"] = perTurn(searches - recalled - settled);
  state.counters["routes_out_of_nodes_per_turn"] = perTurn(spent);
  state.counters["route_nodes_per_turn"] = perTurn(nodes);
  state.counters["cost_grid_builds_per_turn"] = perTurn(gridBuilds);
  state.counters["cost_grid_copies_per_turn"] = perTurn(gridCopies);
  state.counters["grids_labelled_per_turn"] = perTurn(labelled);
}
void BM_LargeBattleTurns(benchmark::State& state) { LargeBattleTurns(state, TARVANE_LARGE_BATTLE); }
BENCHMARK(BM_LargeBattleTurns)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LargeBattleTurns600(benchmark::State& state) { LargeBattleTurns(state, TARVANE_LARGE_BATTLE_600); }
BENCHMARK(BM_LargeBattleTurns600)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LargeBattleCanonicalPass(benchmark::State& state) {
  LargeBattleWorld::Get("battleturn");
  HeadlessBattle headless;
  if (!LargeBattleWorld::Load(headless)) {
    state.SkipWithError("the large battle could not be read");
    return;
  }
  SeedRandom(1);
  headless.Go(1);
  for (auto _ : state) BattleCanonicalPass::Run(*headless.GetBattle());
}
BENCHMARK(BM_LargeBattleCanonicalPass)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
