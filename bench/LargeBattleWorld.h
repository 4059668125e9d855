#pragma once
// The program's world that the benchmarks playing the large battle need once per run (data
// tables, unit classes, a work folder for the log), and the large battle the build writes
// (150 units a side on the 250 x 250 tile reference map) read into a headless battle.
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/HeadlessGameFile.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/kernel/GKernel.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/HeadlessHost.h"
#include "game/units/tables/Hack.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/vehicle/Vehicle.h"
#include "platform/PFile.h"
#include "platform/PPath.h"
#include "platform/PTemporaryFiles.h"

#ifndef TARVANE_LARGE_BATTLE
#define TARVANE_LARGE_BATTLE "large/Large Battle.wrb"
#endif

class LargeBattleWorld {
 public:
  // The world of the run, made on first use and kept to its end (a benchmark program's); the
  // name marks its work folder.
  static LargeBattleWorld& Get(const char* name) {
    static LargeBattleWorld world(name);
    return world;
  }

  // The large battle read into the headless battle and prepared as the battle screen prepares
  // a battle it opens; false when the scenario cannot be read.
  static bool Load(HeadlessBattle& headless, const char* scenario = TARVANE_LARGE_BATTLE) {
    return LoadGameFileForPlay(headless, PPath::ToProgram(scenario));
  }

  LargeBattleWorld(const LargeBattleWorld&) = delete;
  LargeBattleWorld& operator=(const LargeBattleWorld&) = delete;
  ~LargeBattleWorld() {
    Hack::FreeTables();
    GErrorLog::Close();
    PTemporaryFiles::Forget(PPath::ToProgram(folder_.string()));
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  // A world for one scope: a test program's, so that the kernel it installs as the views' host
  // is gone before the next test makes its own.
  explicit LargeBattleWorld(const char* name) {
    folder_ = std::filesystem::temp_directory_path() / (std::string("tarvane-") + name + "-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder_);
    // A run that a fatal error ends takes the folder with it too.
    PTemporaryFiles::Add(PPath::ToProgram(folder_.string()));
    PPath::SetProgramFolder(folder_.string() + "/");
    kernel_.FindProgramFolder();
    Hack::LoadTables();
    Infantry::Register();
    Vehicle::Register();
    Inanimate::Register();
  }

 private:
  std::filesystem::path folder_;
  GKernel kernel_;
};
