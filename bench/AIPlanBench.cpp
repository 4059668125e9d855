// The computer's set-up plan of side 0 (150 units) on the large battle's set-up variant,
// defending and attacking, with the time of its stages and its counts of scored points,
// exposure answers and traced lines. Then how the computer player judges one unit, on the large battle (150 squads and teams a side on
// the 250 x 250 tile reference map) after its set-up GO and one action phase, on one core:
// the situation scores of a unit without a target, the best nearby cell of a squad and of a
// vehicle (a tank put beside a squad), and an advance on a goal 1 km off. Counters per call: trial copies, weapon-effect
// estimates and exposure answers. Then every orders plan of both computer sides over turns 1
// to 10, each timed on its own: on the large battle, and on its set-up variant after both
// computer sides set it up.
#include <benchmark/benchmark.h>

#include "LargeBattleWorld.h"
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdint>
#include <filesystem>
#include <string>

#include "app/GameFile.h"
#include "app/GameFileSettings.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "game/ai/AIGoalGroup.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/ai/AISetupProfile.h"
#include "game/ai/AIPlanProfile.h"
#include "game/battle/AIGroup.h"
#include "game/battle/Battle.h"
#include "game/battle/ComputerPlayer.h"
#include "game/battle/Campaign.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/HeadlessHost.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"
#include "game/map/TraceLineCounter.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/ExposureCounter.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/vehicle/Vehicle.h"
#include "platform/PFile.h"
#include "platform/PPath.h"
#include "platform/PWorkerPool.h"

namespace {

// The large battle after its set-up GO and one turn, kept for every benchmark of the run.
struct Scene {
  Scene() {
    LargeBattleWorld::Get("aiplan");
    if (!LargeBattleWorld::Load(headless)) return;
    SeedRandom(1);
    headless.Go(1);
    headless.Go(100);
    headless.NextTurn();
    loaded = true;
    context.battle = headless.GetBattle();
    context.side = 0;
    context.defender = context.battle->attacker != 0 && context.battle->attacker != 2;
  }
  // The first living unit of side 0 that matches.
  template <class Test>
  Unit* Find(Test test) const {
    Battle& battle = *context.battle;
    for (int32_t i = 0; i < battle.UnitCount(); ++i) {
      Unit* unit = battle.UnitAt(i);
      if (unit->IsAlive() && unit->GetSideIndex() == 0 && test(*unit)) return unit;
    }
    return nullptr;
  }
  HeadlessBattle headless;
  AIPlanContext context;
  bool loaded = false;
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

struct Counts {
  Counts() : copies(Unit::gTrialCopies), effects(AITargeting::gEffectCalls), exposures(ExposureCounter::calls) {}
  void Report(benchmark::State& state) const {
    const double n = static_cast<double>(state.iterations() > 0 ? state.iterations() : 1);
    state.counters["trial_copies"] = static_cast<double>(Unit::gTrialCopies - copies) / n;
    state.counters["weapon_effects"] = static_cast<double>(AITargeting::gEffectCalls - effects) / n;
    state.counters["exposures"] = static_cast<double>(ExposureCounter::calls - exposures) / n;
  }
  int64_t copies;
  int64_t effects;
  int64_t exposures;
};

void BM_EvaluateSituationWithoutTarget(benchmark::State& state) {
  Scene& scene = TheScene();
  Unit* unit = scene.loaded ? scene.Find([](const Unit& u) { return u.IsInfantry() && u.target == nullptr; }) : nullptr;
  if (unit == nullptr) {
    state.SkipWithError("the large battle could not be read");
    return;
  }
  const Counts counts;
  float a = 0.0f;
  float b = 0.0f;
  for (auto _ : state) {
    unit->target = nullptr;
    AIOperational::EvaluateSituation(scene.context, *unit, 400.0f, a, &b);
    benchmark::DoNotOptimize(a);
  }
  unit->target = nullptr;
  counts.Report(state);
}
BENCHMARK(BM_EvaluateSituationWithoutTarget)->Unit(benchmark::kMillisecond);

void BM_BestNearbyCellSquad(benchmark::State& state) {
  Scene& scene = TheScene();
  Unit* unit = scene.loaded ? scene.Find([](const Unit& u) {
    const InfantryServices* infantry = u.AsInfantry();
    return infantry != nullptr && infantry->IsSquad() && !u.IsPassenger();
  })
                            : nullptr;
  if (unit == nullptr) {
    state.SkipWithError("no squad in the large battle");
    return;
  }
  const Counts counts;
  for (auto _ : state) {
    benchmark::DoNotOptimize(AIOperational::FindBestNearbyCell(scene.context, *unit, false, false));
  }
  counts.Report(state);
}
BENCHMARK(BM_BestNearbyCellSquad)->Unit(benchmark::kMillisecond);

void BM_BestNearbyCellVehicle(benchmark::State& state) {
  Scene& scene = TheScene();
  Unit* unit = scene.loaded ? scene.Find([](const Unit& u) { return u.IsVehicle(); }) : nullptr;
  // The large battle is all infantry: a turreted tank joins side 0 beside its first squad.
  Unit* squad = scene.loaded ? scene.Find([](const Unit& u) { return u.IsInfantry(); }) : nullptr;
  if (unit == nullptr && squad != nullptr) {
    auto* tank = new Vehicle();
    tank->SetClass(10, 6, 2, squad->x + 10.0f, squad->y, 0.0f);
    tank->side = 1;
    scene.context.battle->AddUnitToMap(tank, tank->x, tank->y);
    unit = tank;
  }
  if (unit == nullptr) {
    state.SkipWithError("no vehicle in the large battle");
    return;
  }
  const Counts counts;
  for (auto _ : state) {
    benchmark::DoNotOptimize(AIOperational::FindBestNearbyCell(scene.context, *unit, true, false));
  }
  counts.Report(state);
}
BENCHMARK(BM_BestNearbyCellVehicle)->Unit(benchmark::kMillisecond);

void BM_AdvanceOnGoalSquad(benchmark::State& state) {
  Scene& scene = TheScene();
  Unit* unit = scene.loaded ? scene.Find([](const Unit& u) {
    const InfantryServices* infantry = u.AsInfantry();
    return infantry != nullptr && infantry->IsSquad() && !u.IsPassenger();
  })
                            : nullptr;
  if (unit == nullptr) {
    state.SkipWithError("no squad in the large battle");
    return;
  }
  const Map& map = *scene.context.battle->map;
  AIGoalGroup goal;
  goal.centreX = unit->x + 1000.0f < map.size.worldWidth ? unit->x + 1000.0f : unit->x - 1000.0f;
  goal.centreY = unit->y;
  const Counts counts;
  for (auto _ : state) {
    unit->waypointCount = 0;
    benchmark::DoNotOptimize(AIOperational::AdvanceOnGoal(scene.context, *unit, &goal, nullptr));
  }
  counts.Report(state);
}
BENCHMARK(BM_AdvanceOnGoalSquad)->Unit(benchmark::kMillisecond);


#ifndef TARVANE_LARGE_SETUP
#define TARVANE_LARGE_SETUP "large/Large Setup.wrb"
#endif

// Side 0's set-up plan on a fresh copy of the set-up battle each time, from seed 1, with the
// computer placing its units; the attacker field set for the posture.
void RunSetupPlan(benchmark::State& state, bool defending) {
  LargeBattleWorld::Get("aiplan");
  const char* names[AISetupProfile::kStages] = {"outlook_s",       "role_placement_s", "garrisons_s",
                                                "unit_placement_s", "fortifications_s", "squads_leaders_s"};
  const int64_t scores = AISetupProfile::scoreCalls;
  const int64_t exposures = ExposureCounter::calls;
  const int64_t traces = TraceLineCounter::calls;
  const auto seconds = AISetupProfile::seconds;
  int64_t misgrouped = 0;
  int64_t parked = 0;
  int64_t outside = 0;
  for (auto _ : state) {
    state.PauseTiming();
    HeadlessBattle headless;
    if (!LargeBattleWorld::Load(headless, TARVANE_LARGE_SETUP)) {
      state.SkipWithError("the large set-up battle could not be read");
      return;
    }
    Battle& battle = *headless.GetBattle();
    battle.setupPhase = 1;
    battle.attacker = defending ? 1 : 0;
    headless.Host().options[11] = 1;
    SeedRandom(1);
    AIOperational planner;
    state.ResumeTiming();
    planner.PlanTurn(battle, 0, headless.Host());
    state.PauseTiming();
    benchmark::DoNotOptimize(battle.AIGroupCount(0));
    // What a player would see go wrong: units of the side (objects aside) in no group or in
    // two, left parked off the map, or standing outside their zone.
    for (int32_t i = 0; i < battle.UnitCount(); ++i) {
      Unit* unit = battle.UnitAt(i);
      if (unit->GetSideIndex() != 0 || unit->IsAirplane()) continue;
      int32_t holders = 0;
      for (int32_t g = 0; g < battle.AIGroupCount(0); ++g) holders += battle.AIGroupAt(0, g)->Contains(unit) ? 1 : 0;
      if (!unit->IsInanimate() && holders != 1) ++misgrouped;
      if (unit->x >= AIOperational::kParkOffset) ++parked;
      if (unit->setupZone != 7 && !unit->CanDeployAt(unit->x, unit->y)) ++outside;
    }
    state.ResumeTiming();
  }
  const double n = static_cast<double>(state.iterations() > 0 ? state.iterations() : 1);
  state.counters["score_points"] = static_cast<double>(AISetupProfile::scoreCalls - scores) / n;
  state.counters["exposures"] = static_cast<double>(ExposureCounter::calls - exposures) / n;
  state.counters["misgrouped"] = static_cast<double>(misgrouped);
  state.counters["parked"] = static_cast<double>(parked);
  state.counters["outside_zone"] = static_cast<double>(outside);
  state.counters["trace_lines"] = static_cast<double>(TraceLineCounter::calls - traces) / n;
  for (int32_t k = 0; k < AISetupProfile::kStages; ++k) {
    state.counters[names[k]] = (AISetupProfile::seconds[static_cast<size_t>(k)] - seconds[static_cast<size_t>(k)]) / n;
  }
}

void BM_SetupPlanDefending(benchmark::State& state) { RunSetupPlan(state, true); }
BENCHMARK(BM_SetupPlanDefending)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_SetupPlanAttacking(benchmark::State& state) { RunSetupPlan(state, false); }
BENCHMARK(BM_SetupPlanAttacking)->Unit(benchmark::kMillisecond)->Iterations(1);
// Both sides planned by the computer over turns 1 to 10 of the large battle after its set-up
// GO; every orders plan is timed on its own (the GO's action phase and replay are not). Each
// side's units form one free group, as no set-up plan of this battle forms groups.
class TimingPlanner : public AIOperational {
 public:
  void PlanTurn(Battle& battle, int32_t side, ComputerPlayerHost& host) override {
    const int64_t traced = TraceLineCounter::calls;
    const int64_t weighed = TraceLineCounter::samples;
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    const int64_t ownStart = PWorkerPool::ThreadCpuNanoseconds();
    AIOperational::PlanTurn(battle, side, host);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    seconds.push_back(took.count());
    cpuSeconds.push_back(static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
    ownCpuSeconds += static_cast<double>(PWorkerPool::ThreadCpuNanoseconds() - ownStart) * 1e-9;
    traces += TraceLineCounter::calls - traced;
    samples += TraceLineCounter::samples - weighed;
    digest = digest * 31u + OrdersDigest(battle);
  }
  // The orders of every plan, folded: equal at every number of threads.
  uint32_t digest = 0;
  std::vector<double> seconds;
  // The processor time of each plan, which other programs on the machine do not stretch.
  std::vector<double> cpuSeconds;
  // The processor time of the planning thread alone over all plans: with workers enough and
  // cores to run them, the plans take at least this long, however loaded the machine is.
  double ownCpuSeconds = 0.0;
  // The lines of sight the plans traced and the points they weighed along them.
  int64_t traces = 0;
  int64_t samples = 0;
};

int64_t gDraws = 0;
void CountDraw(int32_t) { ++gDraws; }

void OneFreeGroup(Battle& battle, int32_t side) {
  auto* list = new GObjectGroup();
  list->IObjectGroup();
  battle.aiGroups[static_cast<size_t>(side)] = list;
  auto* group = new AIGroup();
  group->Init();
  group->mode = battle.attacker != side && battle.attacker != 2 ? AIGroup::kDefendingFree : AIGroup::kFree;
  list->Append(group);
  for (int32_t k = 0; k < battle.UnitCount(); ++k) {
    Unit* unit = battle.UnitAt(k);
    if (unit->IsAlive() && unit->GetSideIndex() == side && !unit->IsPassenger() && !unit->IsInanimate() &&
        !unit->IsAirplane()) {
      group->Append(unit);
    }
  }
}

// Every orders plan of both computer sides over turns 1 to 10 of the scenario, each timed on
// its own, with the route searches on 1, 2, 4 and 8 threads (the orders are the same on each). The plain large battle is set up already: after its set-up GO each side's units
// form one free group. The set-up variant is set up by both computer sides in its set-up GO,
// whose plans are not counted.
// The benchmark's argument is the number of threads the map's route searches run on.
void RunOrdersPlans(benchmark::State& state, const char* scenario, bool computerSetUp) {
  const auto threads = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    LargeBattleWorld::Get("aiplan");
    HeadlessBattle headless;
    if (!LargeBattleWorld::Load(headless, scenario)) {
      state.SkipWithError("the large battle could not be read");
      return;
    }
    Battle& battle = *headless.GetBattle();
    battle.map->routes.ahead.SetThreads(threads);
    TimingPlanner planner;
    SeedRandom(1);
    if (computerSetUp) {
      headless.Host().options[11] = 1;  // the computer places its units
      ComputerPlayer::Install(&planner);
      headless.SetComputerPlayer(0, true);
      headless.SetComputerPlayer(1, true);
      headless.Go(1);
      planner.seconds.clear();
      planner.cpuSeconds.clear();
      planner.ownCpuSeconds = 0.0;
      planner.traces = 0;
      planner.samples = 0;
    } else {
      headless.Go(1);
      OneFreeGroup(battle, 0);
      OneFreeGroup(battle, 1);
      ComputerPlayer::Install(&planner);
      headless.SetComputerPlayer(0, true);
      headless.SetComputerPlayer(1, true);
    }
    const int64_t copies = Unit::gTrialCopies;
    const int64_t exposures = ExposureCounter::calls;
    const uint64_t gridBuilds = battle.map->routes.fullBuilds;
    const int64_t searches = battle.map->routes.work.searches;
    const int64_t nodes = battle.map->routes.work.expandedTotal;
    const int64_t spent = battle.map->routes.work.spentSearches;
    const int64_t spentNodes = battle.map->routes.work.spentExpanded;
    const int64_t recalled = battle.map->routes.work.recalled;
    const int64_t settled = battle.map->routes.work.settled;
    const int64_t frameLoads = battle.map->routes.work.frameLoads;
    const int64_t labelled = battle.map->routes.regions.labelled;
    const int64_t askedAhead = battle.map->routes.ahead.asked;
    const int64_t takenAhead = battle.map->routes.ahead.taken;
    const int64_t takenBack = battle.map->routes.ahead.takenBack;
    const double waited = battle.map->routes.ahead.waitSeconds;
    const int64_t workerSearches = battle.map->routes.ahead.workerSearches.load();
    const int64_t workerNanoseconds = battle.map->routes.ahead.workerNanoseconds.load();
    const int64_t cellCopies = battle.map->routes.ahead.cellCopies;
    const int64_t helped = battle.map->routes.ahead.helped;
    const int64_t helpedTaken = battle.map->routes.ahead.helpedTaken;
    const int64_t abandoned = battle.map->routes.ahead.abandoned;
    const int64_t atOnce = battle.map->routes.ahead.madeAtOnce;
    const int64_t atOnceNodes = battle.map->routes.ahead.madeAtOnceNodes;
    const int64_t workerLoads = battle.map->routes.ahead.workerLoads.load();
    const int64_t computed = AIPlanContext::gComputedValues;
    const int64_t cached = AIPlanContext::gCachedValues;
    AIPlanProfile::Reset();
    gDraws = 0;
    SetRandomBoundObserver(CountDraw);
    for (int32_t turn = 1; turn <= 10 && !battle.IsOver(); ++turn) {
      headless.Go(static_cast<uint16_t>(100 + turn));
      if (battle.IsOver()) break;
      headless.NextTurn();
    }
    SetRandomBoundObserver(nullptr);
    ComputerPlayer::Install(nullptr);
    double worst = 0.0;
    double total = 0.0;
    for (size_t k = 0; k < planner.seconds.size(); ++k) {
      // Plan k is side k % 2's of turn k / 2 + 1.
      state.counters["t" + std::to_string(k / 2 + 1) + "_side" + std::to_string(k % 2) + "_ms"] =
          planner.seconds[k] * 1000.0;
      worst = std::max(worst, planner.seconds[k]);
      total += planner.seconds[k];
    }
    state.counters["plans"] = static_cast<double>(planner.seconds.size());
    state.counters["orders_digest"] = static_cast<double>(planner.digest);
    state.counters["worst_plan_ms"] = worst * 1000.0;
    state.counters["all_plans_ms"] = total * 1000.0;
    double cpuTotal = 0.0;
    for (double cpu : planner.cpuSeconds) cpuTotal += cpu;
    state.counters["worst_plan_cpu_ms"] =
        planner.cpuSeconds.empty() ? 0.0 : *std::max_element(planner.cpuSeconds.begin(), planner.cpuSeconds.end()) * 1000.0;
    state.counters["all_plans_cpu_ms"] = cpuTotal * 1000.0;
    state.counters["planning_thread_cpu_ms"] = planner.ownCpuSeconds * 1000.0;
    state.counters["trial_copies"] = static_cast<double>(Unit::gTrialCopies - copies);
    state.counters["plan_traces"] = static_cast<double>(planner.traces);
    state.counters["plan_trace_samples"] = static_cast<double>(planner.samples);
    state.counters["exposures"] = static_cast<double>(ExposureCounter::calls - exposures);
    state.counters["cost_grid_full_builds"] = static_cast<double>(battle.map->routes.fullBuilds - gridBuilds);
    state.counters["bounded_draws"] = static_cast<double>(gDraws);
    state.counters["routes"] = static_cast<double>(battle.map->routes.work.searches - searches);
    state.counters["route_nodes"] = static_cast<double>(battle.map->routes.work.expandedTotal - nodes);
    // Searches that spent the node budget: no route, and the most nodes a search can take.
    state.counters["routes_out_of_nodes"] = static_cast<double>(battle.map->routes.work.spentSearches - spent);
    state.counters["route_nodes_out_of_nodes"] =
        static_cast<double>(battle.map->routes.work.spentExpanded - spentNodes);
    state.counters["routes_recalled"] = static_cast<double>(battle.map->routes.work.recalled - recalled);
    state.counters["routes_settled"] = static_cast<double>(battle.map->routes.work.settled - settled);
    state.counters["route_frame_loads"] = static_cast<double>(battle.map->routes.work.frameLoads - frameLoads);
    state.counters["threads"] = static_cast<double>(battle.map->routes.ahead.Threads());
    // Searches handed to the workers ahead of their turn, and those whose answers were taken.
    state.counters["routes_asked_ahead"] = static_cast<double>(battle.map->routes.ahead.asked - askedAhead);
    state.counters["routes_taken_ahead"] = static_cast<double>(battle.map->routes.ahead.taken - takenAhead);
    // Searches made by the planning thread after all since no worker had started them, the
    // planning thread's wait for answers, and the workers' searches and processor time.
    state.counters["routes_taken_back"] = static_cast<double>(battle.map->routes.ahead.takenBack - takenBack);
    state.counters["route_wait_ms"] = (battle.map->routes.ahead.waitSeconds - waited) * 1000.0;
    state.counters["worker_routes"] = static_cast<double>(battle.map->routes.ahead.workerSearches.load() - workerSearches);
    state.counters["worker_cpu_ms"] =
        static_cast<double>(battle.map->routes.ahead.workerNanoseconds.load() - workerNanoseconds) / 1e6;
    // Copies of the grids' cells the planning thread took for the workers, and the workers' loads of them.
    state.counters["route_cell_copies"] = static_cast<double>(battle.map->routes.ahead.cellCopies - cellCopies);
    state.counters["worker_grid_loads"] = static_cast<double>(battle.map->routes.ahead.workerLoads.load() - workerLoads);
    // Searches the planning thread made from the workers' queue while it waited for an answer.
    state.counters["routes_helped"] = static_cast<double>(battle.map->routes.ahead.helped - helped);
    state.counters["routes_helped_taken"] = static_cast<double>(battle.map->routes.ahead.helpedTaken - helpedTaken);
    // Searches dropped while a worker was making them (it stops early).
    state.counters["routes_abandoned"] = static_cast<double>(battle.map->routes.ahead.abandoned - abandoned);
    // Searches the planning thread made at once with workers there, and their nodes: the part
    // of the searching that runs on one thread.
    state.counters["routes_made_at_once"] = static_cast<double>(battle.map->routes.ahead.madeAtOnce - atOnce);
    state.counters["route_nodes_made_at_once"] =
        static_cast<double>(battle.map->routes.ahead.madeAtOnceNodes - atOnceNodes);
    state.counters["grids_labelled"] = static_cast<double>(battle.map->routes.regions.labelled - labelled);
    state.counters["kept_values_computed"] = static_cast<double>(AIPlanContext::gComputedValues - computed);
    state.counters["kept_values_reused"] = static_cast<double>(AIPlanContext::gCachedValues - cached);
    state.counters["score_positions"] = static_cast<double>(AIPlanProfile::scorePositionCalls);
    state.counters["plan_routes_out_of_nodes"] = static_cast<double>(AIPlanProfile::routesOutOfNodes);
    static const char* const kPhaseNames[AIPlanProfile::kPhases] = {
        "upkeep_ms", "cost_grids_ms", "groups_ms", "evaluation_ms", "best_cells_ms",
        "advances_ms", "routes_ms", "crowding_ms", "area_fire_ms", "meter_ms"};
    for (int32_t p = 0; p < AIPlanProfile::kPhases; ++p) {
      state.counters[kPhaseNames[p]] = AIPlanProfile::seconds[p] * 1000.0;
    }
    state.ResumeTiming();
  }
}

void BM_OrdersPlansTurns1To10(benchmark::State& state) { RunOrdersPlans(state, TARVANE_LARGE_BATTLE, false); }
BENCHMARK(BM_OrdersPlansTurns1To10)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Iterations(1)->Unit(benchmark::kSecond);

// The same after both computer sides set up the set-up variant (groups sent to its four flags).
void BM_OrdersPlansAfterComputerSetUp(benchmark::State& state) { RunOrdersPlans(state, TARVANE_LARGE_SETUP, true); }
BENCHMARK(BM_OrdersPlansAfterComputerSetUp)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
