// A busy game written and read as a saved game (compressed, mode 6) and as an e-mail turn
// (mode 10): 400 units on the map and 20,000 packets of the action. Beside each, the battle's
// own stored form alone in the same mode, so that what the game file adds shows.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/GameFile.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/HeadlessHost.h"
#include "game/battle/Packet.h"
#include "game/map/Map.h"
#include "game/units/tables/Hack.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestVehicle.h"
#include "game/units/records/UnitIds.h"
#include "platform/PFile.h"
#include "platform/PPath.h"

namespace {

constexpr int32_t kUnits = 400;
constexpr int32_t kPackets = 20000;

struct BenchWorld {
  BenchWorld() : infantry(InfantryData::kSize * 16), vehicles(VehicleData::kSize * 16) {
    // Blank class records and the unit tests' kinds, as the file reader makes them.
    gInfantryClasses = DataTable<InfantryData>(infantry.data(), static_cast<uint32_t>(infantry.size()));
    gVehicleClasses = DataTable<VehicleData>(vehicles.data(), static_cast<uint32_t>(vehicles.size()));
    RegisterBlankUnitMaker(0, []() -> Unit* { return new TestInfantry(); });
    RegisterBlankUnitMaker(1, []() -> Unit* { return new TestVehicle(); });
    folder = PPath::TempFolder() + "tarvane-gamefilebench-" + std::to_string(getpid()) + "/";
    std::filesystem::create_directories(PPath::ToNative(folder));
    PPath::SetProgramFolder(PPath::ToNative(folder));
    SeedRandom(44);
    headless.New();
    Battle& battle = *headless.GetBattle();
    battle.setupPhase = 0;
    for (int32_t i = 0; i < kUnits; ++i) {
      Unit* unit = i % 4 == 0 ? static_cast<Unit*>(new TestVehicle()) : static_cast<Unit*>(new TestInfantry());
      unit->Setup(100.0f + static_cast<float>(i % 200) * 4.0f, 200.0f + static_cast<float>(i / 200) * 300.0f, 0.0f,
                  i % 2 == 0 ? 6 : 0, 2);
      unit->side = static_cast<uint8_t>(i % 2);
      battle.AddUnitToMap(unit, unit->x, unit->y);
    }
    for (int32_t i = 0; i < kPackets; ++i) {
      battle.currentSlice = i * 2400 / kPackets;
      battle.NewPacket(0)->kind = 3;
    }
    battle.map->SaveTurnStartState();
    settings.humanPlayers = 2;
    settings.connectionType = 1;
    settings.sideToPlay = 0;
  }
  ~BenchWorld() {
    GErrorLog::Close();
    std::error_code ec;
    std::filesystem::remove_all(PPath::ToNative(folder), ec);
  }

  std::unique_ptr<GFile> Open(int32_t mode, bool write) {
    const std::string path = folder + (mode == GFile::kModeWriteEmail || mode == GFile::kModeReadEmail ? "g.txt" : "g.wrb");
    auto file = std::make_unique<GFile>();
    const auto access = write ? PFile::kRead | PFile::kWrite : PFile::kRead;
    const auto how = write ? PFile::Disposition::kCreateAlways : PFile::Disposition::kOpenExisting;
    if (!file->IFile(PFile::Open(path, access, how), path.c_str(), mode)) std::abort();
    return file;
  }

  std::vector<uint8_t> infantry;
  std::vector<uint8_t> vehicles;
  std::string folder;
  HeadlessBattle headless;
  GameFileSettings settings;
  GameFile gameFile{headless.Host(), &headless, headless.Host().InPlay()};
};

BenchWorld& World() {
  static BenchWorld world;
  return world;
}

int32_t ReadMode(int32_t writeMode) {
  return writeMode == GFile::kModeWriteEmail ? GFile::kModeReadEmail : GFile::kModeReadGameFile;
}

void BM_GameFileWrite(benchmark::State& state) {
  BenchWorld& world = World();
  const auto mode = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    auto file = world.Open(mode, true);
    GameFileSettings settings = world.settings;
    GameFile::Write(*file, settings, world.headless.GetBattle(), nullptr);
  }
}
BENCHMARK(BM_GameFileWrite)->Arg(GFile::kModeWriteGameFile)->Arg(GFile::kModeWriteEmail)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BattleWriteAlone(benchmark::State& state) {
  BenchWorld& world = World();
  const auto mode = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    auto file = world.Open(mode, true);
    world.headless.GetBattle()->Write(*file);
    world.headless.GetBattle()->WritePackets(*file);
  }
}
BENCHMARK(BM_BattleWriteAlone)->Arg(GFile::kModeWriteGameFile)->Arg(GFile::kModeWriteEmail)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GameFileRead(benchmark::State& state) {
  BenchWorld& world = World();
  const auto mode = static_cast<int32_t>(state.range(0));
  {
    auto file = world.Open(mode, true);
    GameFileSettings settings = world.settings;
    GameFile::Write(*file, settings, world.headless.GetBattle(), nullptr);
  }
  for (auto _ : state) {
    auto file = world.Open(ReadMode(mode), false);
    GameFileSettings settings = world.settings;
    Battle* battle = nullptr;
    Campaign* operation = nullptr;
    if (world.gameFile.Read(*file, settings, battle, operation) != GameFile::kAccepted) std::abort();
    delete operation;
    delete battle;
  }
}
BENCHMARK(BM_GameFileRead)->Arg(GFile::kModeWriteGameFile)->Arg(GFile::kModeWriteEmail)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
