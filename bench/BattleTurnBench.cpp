// Whole turns of the large battle (150 squads and teams a side on the 250 x 250 tile
// reference map, written by make_large_battle) through the headless battle on one core: the
// set-up GO, then three turns of GO (the 2,401-slice action and its replay) and next turn,
// and the canonical pass alone. Counters: ms per turn, packets per turn, vehicles in the battle.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

#include "app/GameFile.h"
#include "app/GameFileSettings.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleCanonicalPass.h"
#include "game/battle/Campaign.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/HeadlessHost.h"
#include "game/units/Hack.h"
#include "game/units/Infantry.h"
#include "game/units/Vehicle.h"
#include "platform/PFile.h"
#include "platform/PPath.h"

#ifndef TARVANE_LARGE_BATTLE
#define TARVANE_LARGE_BATTLE "large/Large Battle.wrb"
#endif

namespace {

// The program's world once per run: tables, unit classes, a work folder for the log.
struct World {
  World() {
    folder = std::filesystem::temp_directory_path() / ("tarvane-battleturn-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    PPath::SetProgramFolder(folder.string() + "/");
    kernel.FindProgramFolder();
    Hack::LoadTables();
    Infantry::Register();
    Vehicle::Register();
  }
  ~World() {
    Hack::FreeTables();
    GErrorLog::Close();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  std::filesystem::path folder;
  GKernel kernel;
};

World& TheWorld() {
  static World world;
  return world;
}

// The large battle read into a headless battle; false when the scenario cannot be read.
bool LoadLargeBattle(HeadlessBattle& headless) {
  const std::string path = PPath::ToProgram(TARVANE_LARGE_BATTLE);
  auto handle = PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting);
  if (handle == nullptr) return false;
  GFile file;
  if (!file.IFile(std::move(handle), path.c_str(), GFile::kModeReadGameFile)) return false;
  GameFile gameFile{headless.Host(), &headless, [&headless](BattleBase* base) {
                      headless.Host().battle =
                          base != nullptr ? static_cast<MapBattleServices*>(base) : headless.GetBattle();
                    }};
  GameFileSettings settings;
  Battle* battle = nullptr;
  Campaign* operation = nullptr;
  if (gameFile.Read(file, settings, battle, operation) != GameFile::kAccepted || battle == nullptr) return false;
  delete operation;
  headless.MakeCurrentBattle(battle);
  // As the battle screen prepares a battle it opens.
  battle->ComputeVisibility();
  battle->ComputeStrengthRatios();
  battle->PrepareForPlay();
  battle->ComputeScoreShares(true, nullptr, nullptr);
  return true;
}

void BM_LargeBattleTurns(benchmark::State& state) {
  TheWorld();
  double totalMs = 0.0;
  int64_t turns = 0;
  int64_t packets = 0;
  int64_t vehicles = 0;
  for (auto _ : state) {
    state.PauseTiming();
    HeadlessBattle headless;
    if (!LoadLargeBattle(headless)) {
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
      const auto start = std::chrono::steady_clock::now();
      headless.Go(static_cast<uint16_t>(100 + turn));
      const auto end = std::chrono::steady_clock::now();
      totalMs += std::chrono::duration<double, std::milli>(end - start).count();
      packets += headless.GetBattle()->packets.Count();
      ++turns;
      headless.NextTurn();
      if (headless.GetBattle()->IsOver()) break;
    }
  }
  state.counters["ms_per_turn"] = turns > 0 ? totalMs / static_cast<double>(turns) : 0.0;
  state.counters["vehicles"] = static_cast<double>(vehicles);
  state.counters["packets_per_turn"] = turns > 0 ? static_cast<double>(packets) / static_cast<double>(turns) : 0.0;
}
BENCHMARK(BM_LargeBattleTurns)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LargeBattleCanonicalPass(benchmark::State& state) {
  TheWorld();
  HeadlessBattle headless;
  if (!LoadLargeBattle(headless)) {
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
