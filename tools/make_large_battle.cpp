// Writes the large battle the turn benchmark plays: a scenario on a reference map with 150
// units a side in set-up zones 40 tiles deep on the west (Axis) and east (Allied) edges, each
// with three waypoints toward the enemy and an enemy as its target. Of every ten units of a
// side seven are squads and teams, one an anti-tank gun, one a half-track and one a tank.
//   make_large_battle <reference map file> <scenario file>
// The same build gives the same bytes on every run.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/GameFile.h"
#include "app/GameFileSettings.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/HeadlessHost.h"
#include "game/map/Map.h"
#include "game/units/Hack.h"
#include "game/units/Infantry.h"
#include "game/units/Vehicle.h"
#include "platform/PFile.h"
#include "platform/PPath.h"

namespace {

constexpr uint32_t kSeed = 1;
constexpr int32_t kUnitsPerSide = 150;
constexpr float kZoneDepth = 40.0f * 20.0f;  // metres
constexpr int32_t kPlacementTries = 200;
// Each side's units, taken in turn: infantry classes (squads, machine-gun, heavy machine-gun
// and anti-tank teams, an anti-tank gun), then a half-track and a tank of the vehicle classes.
constexpr int32_t kMixLength = 10;
constexpr int32_t kInfantryInMix = 8;
constexpr int32_t kAxisMix[kMixLength] = {2, 3, 4, 2, 5, 6, 7, 14, 0, 10};       // ..., PaK 40, SdKfz 251/1, PzKpfw IV H
constexpr int32_t kAlliedMix[kMixLength] = {69, 70, 71, 69, 72, 73, 74, 81, 62, 78};  // ..., 57 mm AT, M3, M4 Sherman

Map* ReadMap(MapAppServices& app, const std::string& path) {
  auto handle = PFile::Open(PPath::ToProgram(path), PFile::kRead, PFile::Disposition::kOpenExisting);
  if (handle == nullptr) return nullptr;
  GFile file;
  if (!file.IFile(std::move(handle), PPath::ToProgram(path).c_str(), GFile::kModeRead)) return nullptr;
  auto map = std::make_unique<Map>(app);
  if (!map->Read(&file) || file.HasError()) return nullptr;
  return map.release();
}

// A unit of the side at a drawn point of its zone where it can stand; null when none is found.
Unit* PlaceUnit(Battle& battle, int32_t sideIndex, int32_t index) {
  const Map& map = *battle.map;
  const float width = map.size.worldWidth;
  const float height = map.size.worldHeight;
  const int32_t slot = index % kMixLength;
  const int32_t classIndex = sideIndex == 0 ? kAxisMix[slot] : kAlliedMix[slot];
  const bool infantry = slot < kInfantryInMix;
  Infantry* squad = infantry ? new Infantry() : nullptr;
  Vehicle* vehicle = infantry ? nullptr : new Vehicle();
  Unit* unit = infantry ? static_cast<Unit*>(squad) : static_cast<Unit*>(vehicle);
  const int32_t code = sideIndex == 0 ? 6 : 0;
  const float facing = sideIndex == 0 ? 0.0f : 180.0f;
  for (int32_t attempt = 0; attempt < kPlacementTries; ++attempt) {
    const float depth = 20.0f + RandomFloatTimes(kZoneDepth - 40.0f);
    const float x = sideIndex == 0 ? depth : width - depth;
    const float y = 40.0f + RandomFloatTimes(height - 80.0f);
    if (infantry) squad->Init(classIndex, code, 2, x, y, facing);
    else vehicle->SetClass(classIndex, code, 2, x, y, facing);
    unit->side = static_cast<uint8_t>(1 - sideIndex);
    if (unit->CanStandAt(x, y, true)) {
      battle.AddUnitToMap(unit, x, y);
      return unit;
    }
  }
  delete unit;
  return nullptr;
}

bool WriteScenario(const std::string& path, Battle& battle) {
  GameFileSettings settings;
  settings.editorOpen = 1;
  settings.editorTwoPlayers = 1;
  settings.sideToPlay = 0;
  return GameFile::WriteFile(PPath::ToProgram(path), GFile::kModeWriteGameFile, settings, &battle, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_large_battle <reference map> <scenario file>\n");
    return 2;
  }
  const std::filesystem::path mapPath = std::filesystem::absolute(argv[1]);
  const std::filesystem::path out = std::filesystem::absolute(argv[2]);
  std::filesystem::create_directories(out.parent_path());
  PPath::SetProgramFolder(out.parent_path().string() + "/");
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
    Map* map = ReadMap(headless.Host(), mapPath.string());
    if (map == nullptr) {
      std::fprintf(stderr, "make_large_battle: cannot read the map %s\n", mapPath.string().c_str());
      result = 1;
    } else {
      delete battle.map;
      battle.map = map;
      battle.title.Assign("Large Battle");
      battle.lastTurn = 15;
      std::vector<Unit*> sides[2];
      for (int32_t i = 0; i < kUnitsPerSide && result == 0; ++i) {
        for (int32_t side = 0; side < 2; ++side) {
          Unit* unit = PlaceUnit(battle, side, i);
          if (unit == nullptr) {
            result = 1;
            break;
          }
          sides[side].push_back(unit);
        }
      }
      // Three "Move" waypoints (order 20) a step apart toward the enemy, and a drawn enemy to
      // aim at.
      const float step = (battle.map->size.worldWidth - 2.0f * kZoneDepth) / 4.0f;
      for (int32_t side = 0; side < 2 && result == 0; ++side) {
        const float toward = side == 0 ? step : -step;
        for (Unit* unit : sides[side]) {
          for (int32_t w = 1; w <= 3; ++w) unit->AddWaypoint(unit->x + toward * static_cast<float>(w), unit->y, 20, true);
          Unit* enemy = sides[1 - side][static_cast<size_t>(Random(kUnitsPerSide))];
          unit->SetTarget(enemy, enemy->x, enemy->y, false, false);
        }
      }
      if (result == 0 && !WriteScenario(out.string(), battle)) result = 1;
      if (result != 0) std::fprintf(stderr, "make_large_battle: the scenario could not be made\n");
    }
  }
  Hack::FreeTables();
  GErrorLog::Close();
  // The log of a run that wrote everything holds nothing anyone needs.
  if (result == 0) std::filesystem::remove(out.parent_path() / GErrorLog::kFileName);
  return result;
}
