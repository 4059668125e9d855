// Plays a scenario headless with the computer on both sides and prints what happened, turn by
// turn, then the results:
//   battle_report <scenario file> <turns> [seed]
// Each turn's line gives the shots filed by fire kind (1-8; 0 for anything else) and how many
// of them struck their armoured target, the vehicle hit reports with how many of them
// penetrated, immobilised, destroyed the gun or glanced off, the vehicles knocked out and the
// men lost by side, and who holds each victory flag and the two score shares
// when the next turn opens, the vehicles' machine-gun shots by gun (rifle calibre, .50, flame),
// the infantry units riding vehicles when the turn's action begins, then the squads among them,
// and the craters the off-map batteries' rounds left and the men they killed.
// A scenario still in its set-up phase is set up by the computer for both sides first. The
// same scenario, turns and seed give the same report on every run. The end gives the vehicles
// destroyed, as the kill records credit them, by the killer's main weapon (number, calibre).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/HeadlessGameFile.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "game/ai/AIOperational.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleReport.h"
#include "game/battle/ComputerPlayer.h"
#include "game/battle/HeadlessBattle.h"
#include "game/units/tables/Hack.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/vehicle/Vehicle.h"
#include "platform/PPath.h"
#include "platform/PTemporaryFiles.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: battle_report <scenario file> <turns> [seed]\n");
    return 2;
  }
  const std::string scenario = std::filesystem::absolute(argv[1]).string();
  const int32_t turns = std::atoi(argv[2]);
  const uint32_t seed = argc == 4 ? static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)) : 1u;
  if (turns < 1) {
    std::fprintf(stderr, "battle_report: the number of turns must be at least 1\n");
    return 2;
  }
  // The program's world: a work folder for the log and the unpacked tables.
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tarvane-battle-report-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  PTemporaryFiles::Add(PPath::ToProgram(folder.string()));
  PPath::SetProgramFolder(folder.string() + "/");
  int result = 0;
  {
    GKernel kernel;
    kernel.FindProgramFolder();
    Hack::LoadTables();
    Infantry::Register();
    Vehicle::Register();
    Inanimate::Register();
    SeedRandom(seed);
    HeadlessBattle headless;
    BattleReport report(headless);
    AIOperational planner;
    ComputerPlayer::Install(&planner);
    if (!LoadGameFileForPlay(headless, scenario)) {
      std::fprintf(stderr, "battle_report: cannot read the scenario %s\n", scenario.c_str());
      result = 1;
    } else {
      Battle& battle = *headless.GetBattle();
      std::printf("Scenario %s, %d units, turns %d..%d, seed %u\n", headless.ScenarioTitle().c_str(),
                  battle.UnitCount(), battle.currentTurn, battle.lastTurn, seed);
      std::printf("%s", report.Begin(static_cast<uint16_t>(seed)).c_str());
      for (int32_t turn = 1; turn <= turns && !battle.IsOver(); ++turn) {
        std::printf("%s", report.PlayTurn(static_cast<uint16_t>(seed * 1000u + static_cast<uint32_t>(turn))).c_str());
      }
      std::printf("%s", report.End().c_str());
    }
    ComputerPlayer::Install(nullptr);
    Hack::FreeTables();
    GErrorLog::Close();
  }
  PTemporaryFiles::Forget(PPath::ToProgram(folder.string()));
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return result;
}
