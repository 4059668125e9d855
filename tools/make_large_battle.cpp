// Writes the large battle the turn benchmark plays: a scenario on a reference map with 150
// units a side in set-up zones 40 tiles deep on the west (Axis) and east (Allied) edges, each
// with three waypoints toward the enemy and an enemy as its target. Of every ten units of a
// side seven are squads and teams, one an anti-tank gun, one a half-track and one a tank.
//   make_large_battle <reference map file> <scenario file>
// Its facing variant puts the same forces in zones 15 tiles deep on either side of the map's
// middle, 15 tiles apart, so that they fight from the first minute:
//   make_large_battle --facing <reference map file> <scenario file>
// Its larger variant puts the given number of units a side (150 to 600) in the same zones,
// for measuring how the turn grows with the battle:
//   make_large_battle --units <units a side> <reference map file> <scenario file>
// Its set-up variant writes the battle before anyone has set up, for the computer's set-up:
//   make_large_battle --setup <attacker 0, 1 or 2> <battle size in tiles> <reference map file> <scenario file>
// The battle takes the square of the given size from the map's south-west corner: side 0
// (Axis) sets up in zones 4 to 6 along the west, side 1 in zones 1 to 3 along the east, each
// 40 tiles deep (a third of a smaller battle). Each side has 150 units:
//     1 company leader
//    80 in twenty platoons of a level-1 leader and three squads
//    27 teams: 11 machine-gun, 8 mortar and 8 anti-tank
//     8 guns: 4 fast and 4 slow
//    20 vehicles: 10 half-tracks and 10 tanks
//     4 machine-gun teams riding the first four half-tracks
//    10 fortifications of kinds 0, 1, 2, 4, 5 and 6 in turn; every fourth keeps zone number 0
//       (it stays where the scenario put it), the others have one of the side's three zones.
// Four victory flags stand on the middle line of the battle square, at 1/5, 2/5, 3/5 and 4/5
// of the ground between the zones, each moved across the line within the middle band to the
// nearest point where a squad and a tank can stand.
// The same build gives the same bytes on every run.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>
#include <algorithm>

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
#include "game/battle/VictoryFlag.h"
#include "game/units/tables/Hack.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/vehicle/Vehicle.h"
#include "platform/PFile.h"
#include "platform/PPath.h"

namespace {

constexpr uint32_t kSeed = 1;
constexpr int32_t kUnitsPerSide = 150;
constexpr int32_t kMostUnitsPerSide = 600;
constexpr float kZoneDepth = 40.0f * 20.0f;  // metres
// The facing variant's zones and the gap between them.
constexpr float kFacingZoneDepth = 15.0f * 20.0f;
constexpr float kFacingGap = 15.0f * 20.0f;

// Where a side's units stand: from the given distance from its edge, a zone of the given depth.
struct Layout {
  float fromEdge = 0.0f;
  float zoneDepth = kZoneDepth;
};
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
Unit* PlaceUnit(Battle& battle, const Layout& layout, int32_t sideIndex, int32_t index) {
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
    const float depth = layout.fromEdge + 20.0f + RandomFloatTimes(layout.zoneDepth - 40.0f);
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

// Puts the new battle on the read map in place of its own default one. A new battle's flag
// stands at the centre of the default map; it moves to the centre of the map in play, where a
// battle made new on that map has it (left where it was, it would stand in a corner of the
// large map, inside the west side's set-up zone).
void UseMap(Battle& battle, Map* map) {
  delete battle.map;
  battle.map = map;
  for (int32_t i = 0; i < battle.flags.Count(); ++i) {
    VictoryFlag* flag = battle.FlagAt(i);
    flag->x = map->size.worldWidth * 0.5f;
    flag->y = map->size.worldHeight * 0.5f;
  }
}

bool WriteScenario(const std::string& path, Battle& battle) {
  GameFileSettings settings;
  settings.editorOpen = 1;
  settings.editorTwoPlayers = 1;
  settings.sideToPlay = 0;
  return GameFile::WriteFile(PPath::ToProgram(path), GFile::kModeWriteGameFile, settings, &battle, nullptr);
}


// ---- The set-up variant ----

constexpr int32_t kSetupZoneTiles = 40;
constexpr int32_t kSmallestBattle = 60;
// Classes of each side (0 Axis, 1 Allied): company and platoon leaders, squad, machine-gun,
// mortar and anti-tank teams, a fast and a slow gun, half-track and tank.
struct SideClasses {
  int32_t company, platoon, squad, machineGun, mortar, antitank, fastGun, slowGun, halftrack, tank;
};
constexpr SideClasses kClasses[2] = {{0, 1, 2, 5, 22, 7, 14, 17, 0, 10}, {67, 68, 69, 72, 88, 74, 81, 84, 62, 78}};
constexpr int32_t kPlatoons = 20;
constexpr int32_t kMachineGunTeams = 11;
constexpr int32_t kMortarTeams = 8;
constexpr int32_t kAntitankTeams = 8;
constexpr int32_t kGuns = 8;            // the first half fast, the rest slow
constexpr int32_t kHalftracks = 10;     // vehicles 1 to 10; the rest are tanks
constexpr int32_t kVehicles = 20;
constexpr int32_t kRiddenHalftracks = 4;
constexpr int32_t kFortifications = 10;
constexpr int32_t kFortificationKinds[6] = {0, 1, 2, 4, 5, 6};
static_assert(1 + kPlatoons * 4 + kMachineGunTeams + kMortarTeams + kAntitankTeams + kGuns + kVehicles +
                      kRiddenHalftracks + kFortifications ==
                  kUnitsPerSide,
              "the set-up battle's make-up adds up to its units a side");
// Where the west half's victory flags stand on the battle square's middle line, as parts of
// the ground between the two sides' zones (whose depth is a third of a small battle) from the
// west zone; the east half's mirror them from the east zone.
constexpr float kFlagAcross[2] = {0.2f, 0.4f};

struct SetupBattle {
  Battle& battle;
  int32_t size;   // tiles
  int32_t depth;  // tiles of each side's zone
  bool failed = false;
  int32_t count[2] = {};

  // The zone band (0..2) of a y in metres.
  int32_t BandOf(float y) const { return std::min(2, static_cast<int32_t>(y / (static_cast<float>(size) * 20.0f / 3.0f))); }
  int32_t ZoneOf(int32_t sideIndex, int32_t band) const { return (sideIndex == 0 ? 4 : 1) + band; }

  // A drawn standable point of the side's zone band.
  bool DrawPoint(Unit& unit, int32_t sideIndex, int32_t band, float& x, float& y) const {
    const float bandHeight = static_cast<float>(size) * 20.0f / 3.0f;
    const float zoneDepth = static_cast<float>(depth) * 20.0f;
    for (int32_t attempt = 0; attempt < kPlacementTries; ++attempt) {
      const float d = 10.0f + RandomFloatTimes(zoneDepth - 20.0f);
      x = sideIndex == 0 ? d : static_cast<float>(size) * 20.0f - d;
      y = bandHeight * static_cast<float>(band) + 10.0f + RandomFloatTimes(bandHeight - 20.0f);
      if (unit.CanStandAt(x, y, true)) return true;
    }
    return false;
  }

  Unit* Add(Unit* unit, int32_t sideIndex, int32_t band, int32_t zone, int32_t letter, int32_t number) {
    float x = 0.0f;
    float y = 0.0f;
    unit->side = static_cast<uint8_t>(1 - sideIndex);
    if (!DrawPoint(*unit, sideIndex, band, x, y)) {
      delete unit;
      failed = true;
      return nullptr;
    }
    unit->SetPosition(x, y);
    battle.AddUnitToMap(unit, x, y);
    unit->setupZone = zone;
    unit->SetDesignation(letter, number);
    ++count[sideIndex];
    return unit;
  }
  Infantry* AddInfantry(int32_t classIndex, int32_t sideIndex, int32_t band, int32_t letter, int32_t number) {
    auto* unit = new Infantry();
    unit->Init(classIndex, sideIndex == 0 ? 6 : 0, 2, 0.0f, 0.0f, sideIndex == 0 ? 0.0f : 180.0f);
    return static_cast<Infantry*>(Add(unit, sideIndex, band, ZoneOf(sideIndex, band), letter, number));
  }
  Vehicle* AddVehicle(int32_t classIndex, int32_t sideIndex, int32_t band, int32_t number) {
    auto* unit = new Vehicle();
    unit->SetClass(classIndex, sideIndex == 0 ? 6 : 0, 2, 0.0f, 0.0f, sideIndex == 0 ? 0.0f : 180.0f);
    return static_cast<Vehicle*>(Add(unit, sideIndex, band, ZoneOf(sideIndex, band), 'V', number));
  }

  void MakeSide(int32_t sideIndex) {
    const SideClasses& c = kClasses[sideIndex];
    AddInfantry(c.company, sideIndex, 1, 'A', 0);
    for (int32_t p = 0; p < kPlatoons && !failed; ++p) {
      const int32_t band = p % 3;
      const int32_t letter = 'B' + p;
      Infantry* leader = AddInfantry(c.platoon, sideIndex, band, letter, 0);
      for (int32_t n = 1; n <= 3 && leader != nullptr; ++n) {
        Infantry* squad = AddInfantry(c.squad, sideIndex, band, letter, n);
        if (squad != nullptr) squad->platoonLeader = leader;
      }
    }
    int32_t number = 1;
    const int32_t teams[3][2] = {{c.machineGun, kMachineGunTeams}, {c.mortar, kMortarTeams}, {c.antitank, kAntitankTeams}};
    for (const auto& [classIndex, many] : teams) {
      for (int32_t i = 0; i < many && !failed; ++i) AddInfantry(classIndex, sideIndex, i % 3, 'X', number++);
    }
    for (int32_t i = 0; i < kGuns && !failed; ++i) {
      AddInfantry(i < kGuns / 2 ? c.fastGun : c.slowGun, sideIndex, i % 3, 'G', i + 1);
    }
    for (int32_t i = 0; i < kVehicles && !failed; ++i) {
      const int32_t band = i % 3;
      Vehicle* vehicle = AddVehicle(i < kHalftracks ? c.halftrack : c.tank, sideIndex, band, i + 1);
      // The first half-tracks carry a machine-gun team (a squad is too big for them).
      if (vehicle == nullptr || i >= kRiddenHalftracks) continue;
      Infantry* rider = AddInfantry(c.machineGun, sideIndex, band, 'R', i + 1);
      if (rider == nullptr) continue;
      // Boarded as the scenario editor seats a rider: on the vehicle, where it stands.
      rider->carrier = vehicle;
      vehicle->AddPassenger(rider);
      rider->SyncPositionWithLinkedUnit(false);
    }
    for (int32_t i = 0; i < kFortifications && !failed; ++i) {
      auto* object = new Inanimate();
      object->Init(kFortificationKinds[i % 6], sideIndex == 0 ? 0 : 1, 0.0f, 0.0f, 0.0f);
      const int32_t band = i % 3;
      // Every fourth object has zone number 0: it stays where the scenario put it.
      const int32_t zone = i % 4 == 3 ? 0 : ZoneOf(sideIndex, (i / 4) % 3);
      Add(object, sideIndex, band, zone, 'F', i + 1);
    }
  }

  // The victory flags, the battle's only ones, west to east: on the middle line of the square
  // between the zones, each at the point nearest its place on the line (in 20 m steps across
  // it, alternately to higher and lower y, within the middle band) where both a squad and a tank
  // can stand. False when a flag finds no such point.
  bool PlaceFlags() {
    battle.flags.DeleteAll(true);
    const float extent = static_cast<float>(size) * 20.0f;
    auto squad = std::make_unique<Infantry>();
    squad->Init(kClasses[0].squad, 6, 2, 0.0f, 0.0f, 0.0f);
    auto tank = std::make_unique<Vehicle>();
    tank->SetClass(kClasses[0].tank, 6, 2, 0.0f, 0.0f, 0.0f);
    const float zoneDepth = static_cast<float>(depth) * 20.0f;
    const int32_t steps = static_cast<int32_t>(extent / 6.0f / 20.0f);
    const float between = extent - 2.0f * zoneDepth;
    for (int32_t f = 0; f < 4; ++f) {
      const float x = f < 2 ? zoneDepth + kFlagAcross[f] * between : extent - zoneDepth - kFlagAcross[3 - f] * between;
      bool placed = false;
      for (int32_t k = 0; k <= 2 * steps && !placed; ++k) {
        const float y = 0.5f * extent + static_cast<float>(k % 2 == 1 ? (k + 1) / 2 : -(k / 2)) * 20.0f;
        if (!squad->CanStandAt(x, y, true) || !tank->CanStandAt(x, y, true)) continue;
        battle.flags.Append(new VictoryFlag(x, y, 0));
        placed = true;
      }
      if (!placed) return false;
    }
    return true;
  }
};

int MakeSetupBattle(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: make_large_battle --setup <attacker 0, 1 or 2> <battle size in tiles> <reference map> <scenario file>\n");
    return 2;
  }
  char* end = nullptr;
  const long attacker = std::strtol(argv[2], &end, 10);
  if (*argv[2] == '\0' || *end != '\0' || attacker < 0 || attacker > 2) {
    std::fprintf(stderr, "make_large_battle: the attacker must be 0, 1 or 2, not %s\n", argv[2]);
    return 2;
  }
  const long size = std::strtol(argv[3], &end, 10);
  if (*argv[3] == '\0' || *end != '\0' || size < kSmallestBattle || size > 250) {
    std::fprintf(stderr, "make_large_battle: the battle size must be %d to 250 tiles, not %s\n", kSmallestBattle, argv[3]);
    return 2;
  }
  const std::filesystem::path mapPath = std::filesystem::absolute(argv[4]);
  const std::filesystem::path out = std::filesystem::absolute(argv[5]);
  std::filesystem::create_directories(out.parent_path());
  PPath::SetProgramFolder(out.parent_path().string() + "/");
  GKernel kernel;
  kernel.FindProgramFolder();
  Hack::LoadTables();
  Infantry::Register();
  Vehicle::Register();
  Inanimate::Register();
  SeedRandom(kSeed);
  int result = 0;
  {
    HeadlessBattle headless;
    headless.New();
    Battle& battle = *headless.GetBattle();
    Map* map = ReadMap(headless.Host(), mapPath.string());
    auto& tiles = map != nullptr ? map->terrain.tiles : battle.map->terrain.tiles;
    if (map == nullptr) {
      std::fprintf(stderr, "make_large_battle: cannot read the map %s\n", mapPath.string().c_str());
      result = 1;
    } else if (size > tiles.Width() || size > tiles.Height()) {
      std::fprintf(stderr, "make_large_battle: the battle size %ld is larger than the map (%d x %d tiles)\n", size,
                   tiles.Width(), tiles.Height());
      delete map;
      result = 2;
    } else {
      UseMap(battle, map);
      battle.title.Assign("Large Set-up");
      battle.lastTurn = 15;
      battle.setupPhase = 1;
      battle.attacker = static_cast<int32_t>(attacker);
      battle.edgeOwner[0] = 0;
      battle.edgeOwner[1] = 2;
      battle.edgeOwner[2] = 1;
      battle.edgeOwner[3] = 2;
      SetupBattle setup{battle, static_cast<int32_t>(size), std::min<int32_t>(kSetupZoneTiles, static_cast<int32_t>(size) / 3)};
      for (int32_t x = 0; x < tiles.Width(); ++x) {
        for (int32_t y = 0; y < tiles.Height(); ++y) {
          uint8_t zone = 0;
          if (x < size && y < size) {
            const int32_t band = setup.BandOf((static_cast<float>(y) + 0.5f) * 20.0f);
            if (x < setup.depth) zone = static_cast<uint8_t>(setup.ZoneOf(0, band));
            if (x >= size - setup.depth) zone = static_cast<uint8_t>(setup.ZoneOf(1, band));
          }
          tiles.At(x, y).zone = zone;
        }
      }
      for (int32_t side = 0; side < 2 && !setup.failed; ++side) setup.MakeSide(side);
      if (!setup.failed && !setup.PlaceFlags()) {
        std::fprintf(stderr, "make_large_battle: a victory flag finds no point where units can stand\n");
        result = 1;
      } else if (setup.failed || setup.count[0] != kUnitsPerSide || setup.count[1] != kUnitsPerSide) {
        std::fprintf(stderr, "make_large_battle: the set-up battle could not be made (%d and %d units)\n", setup.count[0],
                     setup.count[1]);
        result = 1;
      } else if (!WriteScenario(out.string(), battle)) {
        std::fprintf(stderr, "make_large_battle: the scenario could not be written\n");
        result = 1;
      }
    }
  }
  Hack::FreeTables();
  GErrorLog::Close();
  if (result == 0) std::filesystem::remove(out.parent_path() / GErrorLog::kFileName);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--setup") == 0) return MakeSetupBattle(argc, argv);
  const bool facing = argc >= 2 && std::strcmp(argv[1], "--facing") == 0;
  const bool sized = argc >= 2 && std::strcmp(argv[1], "--units") == 0;
  const int first = facing ? 2 : sized ? 3 : 1;
  if (argc != first + 2) {
    std::fprintf(stderr, "usage: make_large_battle [--facing | --units <units a side>] <reference map> <scenario file>\n");
    return 2;
  }
  int32_t unitsPerSide = kUnitsPerSide;
  if (sized) {
    char* end = nullptr;
    const long units = std::strtol(argv[2], &end, 10);
    if (*argv[2] == '\0' || *end != '\0' || units < kUnitsPerSide || units > kMostUnitsPerSide) {
      std::fprintf(stderr, "make_large_battle: the units a side must be %d to %d, not %s\n", kUnitsPerSide,
                   kMostUnitsPerSide, argv[2]);
      return 2;
    }
    unitsPerSide = static_cast<int32_t>(units);
  }
  const std::filesystem::path mapPath = std::filesystem::absolute(argv[first]);
  const std::filesystem::path out = std::filesystem::absolute(argv[first + 1]);
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
      UseMap(battle, map);
      battle.title.Assign("Large Battle");
      battle.lastTurn = 15;
      Layout layout;
      if (facing) {
        layout.zoneDepth = kFacingZoneDepth;
        layout.fromEdge = (battle.map->size.worldWidth - kFacingGap) / 2.0f - kFacingZoneDepth;
      }
      std::vector<Unit*> sides[2];
      for (int32_t i = 0; i < unitsPerSide && result == 0; ++i) {
        for (int32_t side = 0; side < 2; ++side) {
          Unit* unit = PlaceUnit(battle, layout, side, i);
          if (unit == nullptr) {
            result = 1;
            break;
          }
          sides[side].push_back(unit);
        }
      }
      // Three "Move" waypoints (order 20) a step apart toward the enemy, and a drawn enemy to
      // aim at.
      const float step = facing ? kFacingGap / 4.0f : (battle.map->size.worldWidth - 2.0f * kZoneDepth) / 4.0f;
      for (int32_t side = 0; side < 2 && result == 0; ++side) {
        const float toward = side == 0 ? step : -step;
        for (Unit* unit : sides[side]) {
          for (int32_t w = 1; w <= 3; ++w) unit->AddWaypoint(unit->x + toward * static_cast<float>(w), unit->y, 20, true);
          Unit* enemy = sides[1 - side][static_cast<size_t>(Random(unitsPerSide))];
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
