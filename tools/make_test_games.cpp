// Writes the game files the tests and the end-to-end games open, through the game file
// writer, from battles of the real unit classes on a fresh map:
//   make_test_games <folder>
// gives <folder>/Scenarios/Test Scenario.wrb (as the editor writes it), <folder>/Saved
// Games/Test Saved Game.wrb (a game in its second turn), <folder>/PBEM/Test Turn.txt (an
// e-mail turn of the Allied side), <folder>/Scenarios/Test Skirmish.wrb (the scenario for one
// player, side free, two turns), <folder>/Scenarios/Test Operation.wrc (an operation of
// three battles, its first battle in set-up) and the hostile e-mail turns <folder>/PBEM/Hostile
// *.txt made from the good one. The same build gives the same bytes on every run.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "app/GameFile.h"
#include "app/GameFileSettings.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "framework/core/GMemoryFile.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/HeadlessHost.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/vehicle/Vehicle.h"
#include "platform/PFile.h"
#include "platform/PPath.h"

namespace {

constexpr uint32_t kSeed = 1944;

Unit* Squad(int32_t sideIndex, int32_t classIndex, float x, float y) {
  auto* unit = new Infantry();
  unit->Init(classIndex, sideIndex == 0 ? 6 : 0, 2, x, y, sideIndex == 0 ? 0.0f : 180.0f);
  unit->side = static_cast<uint8_t>(1 - sideIndex);
  return unit;
}

// Three squads a side facing each other and one waiting group a side.
void Populate(Battle& battle) {
  battle.title.Assign("Test Crossing");
  battle.lastTurn = 12;
  for (int32_t i = 0; i < 3; ++i) {
    const float x = 300.0f + 60.0f * static_cast<float>(i);
    Unit* axis = Squad(0, 1 + i, x, 200.0f);
    Unit* allied = Squad(1, 40 + i, x, 700.0f);
    battle.AddUnitToMap(axis, axis->x, axis->y);
    battle.AddUnitToMap(allied, allied->x, allied->y);
  }
  // The squads are the scenario's own, not units that arrived: no side is to be told of
  // reinforcements when the battle opens.
  battle.sideOnMap[0] = 0;
  battle.sideOnMap[1] = 0;
  for (int32_t side = 0; side < 2; ++side) {
    auto* group = new ReinforcementGroup();
    group->Init(false);
    group->arrivalTurn = 4;
    group->units.Append(Squad(side, side == 0 ? 5 : 44, 0.0f, 0.0f));
    battle.reinforcements[side].Append(group);
  }
  battle.briefing[2] = "Take the crossing before the enemy's reserves arrive.";
}

bool WriteGame(const std::string& path, int32_t mode, const GameFileSettings& settings, Battle& battle) {
  return GameFile::WriteFile(PPath::ToProgram(path), mode, settings, &battle, nullptr);
}

// The plain bytes of a file in a reading mode (e-mail text unwrapped and decoded); empty on
// failure.
std::string ReadPlain(const std::string& path, int32_t mode) {
  const std::string program = PPath::ToProgram(path);
  GFile file;
  if (!file.IFile(PFile::Open(program, PFile::kRead, PFile::Disposition::kOpenExisting), program.c_str(), mode))
    return {};
  std::string bytes(file.BytesLeft(), '\0');
  if (!bytes.empty()) file.Read(bytes.data(), static_cast<int32_t>(bytes.size()));
  return file.HasError() ? std::string() : bytes;
}

// Writes plain bytes as an e-mail turn file (compressed and wrapped as text when closed).
bool WriteEmailBytes(const std::string& path, const std::string& bytes) {
  const std::string program = PPath::ToProgram(path);
  GFile file;
  if (!file.IFile(PFile::Open(program, PFile::kRead | PFile::kWrite, PFile::Disposition::kCreateAlways),
                  program.c_str(), GFile::kModeWriteEmail))
    return false;
  file.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
  return !file.HasError();
}

// E-mail turns a hostile opponent might send, made from a good one: each must be refused with
// its alert and change nothing.
bool WriteHostileTurns(const std::filesystem::path& out) {
  const std::string good = (out / "PBEM" / "Test Turn.txt").string();
  const std::string plain = ReadPlain(good, GFile::kModeReadEmail);
  const size_t titleLength = plain.size() > 15 ? static_cast<uint8_t>(plain[15]) : 0;
  const size_t players = 16 + titleLength + 1024;
  // The file version follows the briefings: 4, then the extension count 255 and the 253
  // reserved zeros after two bytes.
  size_t version = std::string::npos;
  for (size_t i = players; i + 4 + 253 <= plain.size() && version == std::string::npos; ++i) {
    if (plain[i] == 4 && static_cast<uint8_t>(plain[i + 1]) == 255 && plain.compare(i + 4, 253, std::string(253, '\0')) == 0)
      version = i;
  }
  if (plain.size() <= players || version == std::string::npos) return false;
  std::string mark3 = plain;
  mark3[0] = 3;
  std::string version3 = plain;
  version3[version] = 3;
  std::string players9 = plain;
  players9[players] = 9;
  const std::filesystem::path pbem = out / "PBEM";
  bool ok = WriteEmailBytes((pbem / "Hostile Mark3.txt").string(), mark3) &&
            WriteEmailBytes((pbem / "Hostile Version3.txt").string(), version3) &&
            WriteEmailBytes((pbem / "Hostile Players9.txt").string(), players9);
  // The text itself damaged: one character of the block changed, and the file cut short.
  std::ifstream in(good, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (text.size() < 200) return false;
  std::string flipped = text;
  const size_t middle = text.size() / 2;
  flipped[middle] = flipped[middle] == 'A' ? 'B' : 'A';
  std::ofstream((pbem / "Hostile Flipped.txt").string(), std::ios::binary) << flipped;
  std::ofstream((pbem / "Hostile Cut.txt").string(), std::ios::binary) << text.substr(0, text.size() / 2);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_test_games <folder>\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  for (const char* folder : {"Scenarios", "Saved Games", "PBEM"}) std::filesystem::create_directories(out / folder);
  PPath::SetProgramFolder(std::filesystem::absolute(out).string() + "/");
  // The data tables are unpacked through the kernel's temporary files.
  GKernel kernel;
  kernel.FindProgramFolder();
  Hack::LoadTables();
  Infantry::Register();
  Vehicle::Register();
  SeedRandom(kSeed);
  int result = 0;
  {
    HeadlessBattle headless;
    headless.New();
    Battle& battle = *headless.GetBattle();
    Populate(battle);

    GameFileSettings scenario;
    scenario.editorOpen = 1;
    scenario.editorTwoPlayers = 1;
    scenario.sideToPlay = 0;
    if (!WriteGame((out / "Scenarios" / "Test Scenario.wrb").string(), GFile::kModeWriteGameFile, scenario, battle))
      result = 1;

    // The same battle for one player against the computer, either side, over two turns.
    battle.lastTurn = 2;
    battle.title.Assign("Test Skirmish");
    GameFileSettings skirmish;
    skirmish.editorOpen = 1;
    if (!WriteGame((out / "Scenarios" / "Test Skirmish.wrb").string(), GFile::kModeWriteGameFile, skirmish, battle))
      result = 1;
    battle.lastTurn = 12;
    battle.title.Assign("Test Crossing");

    battle.setupPhase = 0;
    battle.currentTurn = 2;
    GameFileSettings saved;
    saved.humanPlayers = 1;
    saved.sideToPlay = 0;
    saved.sharedSeed = 4242;
    saved.gameName.Assign("Test Crossing");
    if (!WriteGame((out / "Saved Games" / "Test Saved Game.wrb").string(), GFile::kModeWriteGameFile, saved, battle))
      result = 1;

    GameFileSettings turn = saved;
    turn.humanPlayers = 2;
    turn.connectionType = 1;
    turn.sideToPlay = 1;
    turn.passwordSet[0] = turn.passwordSet[1] = 1;
    if (!WriteGame((out / "PBEM" / "Test Turn.txt").string(), GFile::kModeWriteEmail, turn, battle)) result = 1;
    if (result == 0 && !WriteHostileTurns(out)) result = 1;
  }
  {
    // Three squads a side on the operation map, the Allies attacking from the west.
    HeadlessBattle headless;
    std::string bytes;
    {
      Campaign campaign(headless.Host(), &headless);
      headless.Host().InPlay().SetCampaign(&campaign);
      campaign.SetUp(nullptr);
      campaign.title.Assign("Test Operation");
      campaign.lastTurn = 3;
      campaign.nightEvery = 0;
      campaign.battleTurns = 6;
      const float spots[][3] = {{1, 100.0f, 300.0f}, {1, 160.0f, 700.0f}, {1, 300.0f, 1000.0f},
                                {0, 800.0f, 400.0f}, {0, 950.0f, 900.0f}, {0, 1450.0f, 600.0f}};
      for (int32_t i = 0; i < 6; ++i) {
        // The first number is the side index: the attackers (index 1) stand by the west edge.
        const int32_t sideIndex = static_cast<int32_t>(spots[i][0]);
        campaign.units.Append(Squad(sideIndex, sideIndex == 0 ? 1 + i % 3 : 40 + i % 3, spots[i][1], spots[i][2]));
      }
      GMemoryFile out;
      campaign.Write(out.File());
      headless.Host().InPlay().SetCampaign(nullptr);
      bytes = out.Bytes();
    }
    GameFileSettings scenario;
    scenario.editorOpen = 1;
    scenario.sideToPlay = 2;
    if (!headless.LoadOperationBytes(bytes) ||
        !GameFile::WriteFile(PPath::ToProgram((out / "Scenarios" / "Test Operation.wrc").string()),
                             GFile::kModeWriteGameFile, scenario, headless.GetBattle(), headless.GetCampaign()))
      result = 1;
  }
  Hack::FreeTables();
  GErrorLog::Close();
  // The log of a run that wrote everything holds nothing anyone needs.
  if (result == 0) std::filesystem::remove(out / GErrorLog::kFileName);
  if (result != 0) std::fprintf(stderr, "make_test_games: a game file could not be written\n");
  return result;
}
