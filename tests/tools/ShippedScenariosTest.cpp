// The scenarios the build writes into the Scenarios folder beside the program: each is read by
// the program's own game file reader, holds what its source promises (both sides, briefings,
// its map's river, town or bocage), and plays to its results headless with the computer on both
// sides, turn for turn as the report kept for it in tests/game/battle/regression says. The
// scenario tool stops at a broken source line, naming it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>
#include <utility>
#include <string>

#include "app/GameFile.h"
#include "app/GameFileHeader.h"
#include "app/GameFileSettings.h"
#include "app/HeadlessGameFile.h"
#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "game/ai/AIOperational.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleReport.h"
#include "game/battle/Campaign.h"
#include "game/battle/ComputerPlayer.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/HeadlessHost.h"
#include "game/map/Map.h"
#include "game/units/tables/Hack.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/records/UnitIds.h"
#include "game/units/vehicle/Vehicle.h"
#include "platform/PFile.h"
#include "support/TestFolder.h"

namespace {

struct Shipped {
  const char* file;
  int32_t date;
  int32_t timeOfDay;
  int32_t attacker;
  int32_t alliedForce;
  // What the map must hold: water and bridge tiles, bocage banks, buildings.
  bool river;
  bool bocage;
  bool town;
  // The turns the test plays: the battalion battle's length is cut so that its run stays short
  // under the sanitizers (0: the whole battle).
  int32_t playTurns = 0;
};

// Force codes: 0 American, 3 British, 12 Canadian, 14 Polish.
const Shipped kShipped[] = {
    {"Hedgerows before Saint-Lo", 4407, 0, 1, 0, false, true, false, 0},
    {"The Orne Crossings", 4408, 0, 1, 3, true, false, false, 0},
    {"Night at Chambois", 4408, 2, 2, 14, false, false, false, 0},
    {"Streets of Vaucelles", 4407, 0, 1, 12, false, false, true, 0},
    {"Woods at Overloon", 4410, 0, 1, 3, false, false, false, 0},
    {"Snow at Foy", 4501, 0, 1, 0, false, false, false, 6},
    {"Dawn in the Ardennes", 4412, 1, 0, 0, false, false, false, 0},
    {"Counterstroke at Opheusden", 4410, 1, 0, 3, false, false, false, 0},
};

class ShippedScenario : public testing::TestWithParam<Shipped> {};

// The program's world for headless play with the computer on both sides: a program folder of
// its own, the kernel (the data tables are unpacked through its temporary files), the tables,
// the unit classes and the computer player. The game's generator starts from one seed, so that
// the computer's first plan draws the same numbers whatever ran before in the process.
struct PlayWorld {
  PlayWorld() {
    SeedRandom(1);
    kernel.FindProgramFolder();
    Hack::LoadTables();
    Infantry::Register();
    Vehicle::Register();
    Inanimate::Register();
    ComputerPlayer::Install(&planner);
  }
  ~PlayWorld() {
    ComputerPlayer::Install(nullptr);
    for (int32_t kind = 0; kind < 4; ++kind) {
      RegisterUnitMaker(kind, nullptr);
      RegisterBlankUnitMaker(kind, nullptr);
    }
    Hack::FreeTables();
  }
  TestFolder folder{true};
  GKernel kernel;
  AIOperational planner;
};

struct MapCounts {
  int32_t water = 0, bridges = 0, bocage = 0, buildings = 0;
};

MapCounts Count(const Map& map) {
  MapCounts counts;
  for (int32_t y = 0; y < map.size.tilesY; ++y) {
    for (int32_t x = 0; x < map.size.tilesX; ++x) {
      const uint8_t code = map.terrain.tiles.At(x, y).code;
      counts.water += code == 25 ? 1 : 0;
      counts.bridges += code >= 91 && code <= 96 ? 1 : 0;
      counts.bocage += code >= 162 && code <= 191 ? 1 : 0;
      counts.buildings += code >= 59 && code <= 90 ? 1 : 0;
    }
  }
  return counts;
}

// The computer sets up both sides (in the set-up phase), then plays them turn by turn until the
// battle is over or its last turn is played; the battle's report, turn by turn.
std::string PlayToTheEnd(HeadlessBattle& headless, BattleReport& report, uint16_t seed) {
  Battle& battle = *headless.GetBattle();
  std::string text = report.Begin(seed);
  for (int32_t turn = 1; turn <= battle.lastTurn && !battle.IsOver(); ++turn) {
    text += report.PlayTurn(static_cast<uint16_t>(seed + turn));
  }
  return text + report.End();
}

// A played battle's report against the one kept in the regression folder: a change of the
// game's behaviour shows as changed lines. TARVANE_WRITE_REGRESSION=1 writes the reports anew
// (look at the difference before committing them).
void ExpectRegressionReport(const std::string& name, const std::string& report) {
  std::string file;
  for (const char c : name) file += c == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::string path = std::string(TARVANE_REGRESSION_DIR) + "/" + file + ".txt";
  const char* write = std::getenv("TARVANE_WRITE_REGRESSION");
  if (write != nullptr && std::string(write) == "1") {
    std::ofstream(path, std::ios::binary) << report;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  const std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(report, kept) << "the battle played differently from " << path;
}

TEST_P(ShippedScenario, LoadsAndPlaysToItsResults) {
  const Shipped& shipped = GetParam();
  PlayWorld world;
  {
    HeadlessBattle headless;
    BattleReport report(headless);
    ASSERT_TRUE(LoadGameFileForPlay(headless, std::string(TARVANE_SCENARIO_DIR) + "/" + shipped.file + ".wrb"));
    Battle& battle = *headless.GetBattle();
    EXPECT_STREQ(battle.title.CStr(), shipped.file);
    EXPECT_EQ(battle.date, shipped.date);
    EXPECT_EQ(battle.timeOfDay, shipped.timeOfDay);
    EXPECT_EQ(battle.attacker, shipped.attacker);
    for (const std::string& briefing : battle.briefing) EXPECT_GT(briefing.size(), 100u);
    // Both sides stand on the map, the Allied side's infantry of the scenario's nation.
    int32_t units[2] = {};
    int32_t ofTheNation = 0;
    for (int32_t i = 0; i < battle.UnitCount(); ++i) {
      const Unit* unit = battle.UnitAt(i);
      ++units[unit->GetSideIndex() & 1];
      ofTheNation += unit->GetSideIndex() == 1 && unit->nationalityCode == shipped.alliedForce ? 1 : 0;
    }
    EXPECT_GT(units[0], 0);
    EXPECT_GT(units[1], 0);
    EXPECT_GT(ofTheNation, 0);
    const MapCounts counts = Count(*battle.map);
    EXPECT_EQ(counts.water > 0 && counts.bridges > 0, shipped.river);
    EXPECT_EQ(counts.bocage > 0, shipped.bocage);
    // A town is built up: more than one tile in twenty a building (a village has half that).
    EXPECT_EQ(counts.buildings * 20 > battle.map->size.tilesX * battle.map->size.tilesY, shipped.town);

    ASSERT_TRUE(battle.IsSetupPhase());
    if (shipped.playTurns != 0) battle.lastTurn = shipped.playTurns;
    const std::string played = PlayToTheEnd(headless, report, 1000);
    EXPECT_TRUE(battle.IsOver());
    EXPECT_FALSE(headless.ResultsReport().empty());
    ExpectRegressionReport(shipped.file, played);
  }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, ShippedScenario, testing::ValuesIn(kShipped),
                         [](const testing::TestParamInfo<Shipped>& info) {
                           std::string name;
                           for (const char* c = info.param.file; *c != '\0'; ++c) {
                             if (std::isalnum(static_cast<unsigned char>(*c)) != 0) name += *c;
                           }
                           return name;
                         });

// A battle of the operation after the first starts clean: no unit keeps the last battle's
// orders, the enemy's knowledge of a unit that can move, or its suppression, and the results
// tallied before a shot is fired count no casualties.
void ExpectCleanStart(Battle& battle, int32_t number) {
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    const Unit& unit = *battle.UnitAt(i);
    if (unit.IsInanimate() || !unit.IsAlive()) continue;
    EXPECT_EQ(unit.waypointCount, 0) << "battle " << number << ", unit " << i;
    EXPECT_EQ(unit.suppression, 0.0f) << "battle " << number << ", unit " << i;
    const bool keepsLevel = !unit.CanMove() && !(unit.IsInfantry() && !unit.HasMainWeaponOfType23(false));
    if (!keepsLevel) {
      EXPECT_EQ(unit.identificationLevel, 0) << "battle " << number << ", unit " << i;
    }
  }
  const BattleResults kept = battle.results;
  battle.results = BattleResults();
  for (int32_t i = 0; i < battle.UnitCount(); ++i) battle.TallyUnitResult(*battle.UnitAt(i));
  EXPECT_EQ(battle.results.losses[0][BattleResults::kCasualties], 0) << "battle " << number;
  EXPECT_EQ(battle.results.losses[1][BattleResults::kCasualties], 0) << "battle " << number;
  battle.results = kept;
}

// The operation: read by the game file reader, its three battles played one after another on
// its map, each to its results, with the between-battle pipeline after each, each battle after
// the first starting clean.
TEST(ShippedOperation, PlaysItsBattlesToTheEnd) {
  PlayWorld world;
  {
    HeadlessBattle headless;
    BattleReport report(headless);
    // The reader stays while the operation is played: it is the operation's host, as the
    // program's own reader is.
    GameFile gameFile{headless.Host(), &headless, headless.Host().InPlay()};
    const std::string path = std::string(TARVANE_SCENARIO_DIR) + "/Across the Peel.wrc";
    {
      // The game list's row: the operation's title, the German force against the British.
      GFile file;
      ASSERT_TRUE(file.IFile(PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting), path.c_str(),
                             GFile::kModeReadGameFile));
      GameFileHeader header;
      ASSERT_TRUE(header.ReadHeader(file));
      EXPECT_STREQ(header.title.CStr(), "Across the Peel");
      EXPECT_EQ(header.forces[0], 6);
      EXPECT_EQ(header.forces[1], 3);
      EXPECT_GT(header.size, 0);
    }
    {
      GFile file;
      ASSERT_TRUE(file.IFile(PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting), path.c_str(),
                             GFile::kModeReadGameFile));
      GameFileSettings settings;
      Battle* battle = nullptr;
      Campaign* operation = nullptr;
      ASSERT_EQ(gameFile.Read(file, settings, battle, operation), GameFile::kAccepted);
      ASSERT_NE(battle, nullptr);
      ASSERT_NE(operation, nullptr);
      headless.AdoptOperation(battle, operation);
    }
    const Campaign& operation = *headless.GetCampaign();
    EXPECT_STREQ(operation.title.CStr(), "Across the Peel");
    EXPECT_EQ(operation.lastTurn, 3);
    for (const std::string& briefing : operation.briefing) EXPECT_GT(briefing.size(), 100u);
    int32_t battles = 0;
    std::string played;
    for (int32_t n = 1; n <= 3 && headless.GetBattle() != nullptr; ++n) {
      EXPECT_GT(headless.GetBattle()->UnitCount(), 0);
      EXPECT_STREQ(headless.GetBattle()->title.CStr(), "Across the Peel") << n;
      played += "Battle " + std::to_string(n) + "\n" + PlayToTheEnd(headless, report, static_cast<uint16_t>(100 * n));
      ASSERT_TRUE(headless.GetBattle()->IsOver());
      ++battles;
      ASSERT_TRUE(headless.AdvanceOperation(static_cast<uint16_t>(n)));
      if (!headless.StartNextOperationBattle()) break;
      ExpectCleanStart(*headless.GetBattle(), n + 1);
    }
    EXPECT_EQ(battles, 3);
    ASSERT_NE(headless.GetCampaign(), nullptr);
    EXPECT_TRUE(headless.GetCampaign()->IsOver());
    ExpectRegressionReport("Across the Peel", played);
  }
}

// A battle of armour alone, made by the scenario tool from its source in the reports' sources/
// folder: the hit and penetration rules decide it, turn by turn as the report says.
TEST(RegressionBattle, TankDuel) {
  PlayWorld world;
  const std::string out = world.folder.Native() + "duel";
  const std::string source = std::string(TARVANE_REGRESSION_DIR) + "/sources/tank-duel.txt";
  ASSERT_EQ(std::system((std::string(MAKE_SCENARIOS) + " " + out + " \"" + source + "\"").c_str()), 0);
  HeadlessBattle headless;
  BattleReport report(headless);
  ASSERT_TRUE(LoadGameFileForPlay(headless, out + "/Tank Duel.wrb"));
  ExpectRegressionReport("Tank Duel", PlayToTheEnd(headless, report, 500));
}

TEST(ScenarioTool, ABrokenLineStopsItNamingTheLine) {
  TestFolder folder;
  const std::string good = std::string(TARVANE_DATA_DIR) + "/scenarios/falaise_night.txt";
  std::ifstream in(good);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string out = folder.Native() + "out";
  const std::string log = folder.Native() + "log.txt";
  const auto run = [&](const std::string& from, const std::string& to) {
    std::string broken = text;
    broken.replace(broken.find(from), from.size(), to);
    const std::string source = folder.WriteFile("broken.txt", broken);
    const int status = std::system((std::string(MAKE_SCENARIOS) + " " + out + " " + source + " 2>" + log).c_str());
    std::ifstream message(log);
    std::string line;
    std::getline(message, line);
    return std::make_pair(status, line.substr(line.find("broken.txt")));
  };
  // The line numbers are those of the source as it stands.
  const auto at = [&text](const std::string& what) {
    return std::to_string(1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(text.find(what)), '\n'));
  };
  auto [status, message] = run("time night", "time midnight");
  EXPECT_NE(status, 0);
  EXPECT_EQ(message, "broken.txt:" + at("time night") + ": \"midnight\" is not one of day, dawn, night");
  std::tie(status, message) = run("buy allied formation 87 x2", "buy allied formation 22 x2");
  EXPECT_NE(status, 0);
  EXPECT_EQ(message, "broken.txt:" + at("buy allied formation 87") + ": the catalogue does not offer that to force 14 in 4408");
  std::tie(status, message) = run("force axis 8 2", "force axis 3 2");
  EXPECT_NE(status, 0);
  EXPECT_EQ(message, "broken.txt:" + at("force axis 8 2") + ": force 3 does not fight for that side");
  EXPECT_FALSE(std::filesystem::exists(out + "/Night at Chambois.wrb"));
}

}  // namespace
