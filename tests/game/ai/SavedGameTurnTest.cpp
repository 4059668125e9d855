// A battle of the built-in tables' squads, guns and tanks, saved at an orders phase and
// loaded into a fresh battle, computes its next turns exactly as the game never broken off:
// the same draws, the same units and the same stored bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/GMemoryFile.h"
#include "framework/core/Quorl.h"
#include "game/ai/AIOperational.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/records/UnitIds.h"
#include "game/units/vehicle/Vehicle.h"
#include "support/TestFolder.h"

namespace {

constexpr int32_t kAxisCode = 6;
constexpr int32_t kAlliedCode = 0;
constexpr int32_t kDeployed = 14;  // Deploy's units: 4 squads, a gun and 2 tanks a side

bool Fields(const InfantryData& c, int32_t code) {
  for (int32_t i = 0; i < c.ForceCount() && i < InfantryData::kMaxForces; ++i) {
    if (c.Force(i) == code) return true;
  }
  return false;
}
bool Fields(const VehicleData& c, int32_t code) {
  for (int32_t i = 0; i < c.ForceCount() && i < VehicleData::kMaxForces; ++i) {
    if (c.Force(i) == code) return true;
  }
  return false;
}

// The first infantry class the force fields that is a rifle squad (squad) or a crew-served
// gun (not squad).
int32_t FindInfantry(int32_t code, bool squad) {
  for (int32_t i = 0; i < gInfantryClasses.Count(); ++i) {
    const InfantryData c = gInfantryClasses[i];
    if (!Fields(c, code) || c.Men() <= 0) continue;
    if (squad && c.IsSquad() != 0 && c.MainWeapon() == Infantry::kNoWeapon && c.Men() >= 8 && c.LeaderLevel() == 0)
      return i;
    if (!squad && c.IsSquad() == 0 && c.MainWeapon() != Infantry::kNoWeapon && gWeapons.IsValid(c.MainWeapon()) &&
        c.Men() >= 3)
      return i;
  }
  return -1;
}

// The first armoured, gun-armed vehicle class the force fields.
int32_t FindTank(int32_t code) {
  for (int32_t i = 0; i < gVehicleClasses.Count() && i < VehicleData::kBroadFortification; ++i) {
    const VehicleData c = gVehicleClasses[i];
    if (Fields(c, code) && c.MainArmour() > 20 && c.MaxSpeed() > 0 && gWeapons.IsValid(c.MainWeapon())) return i;
  }
  return -1;
}

struct SavedTurnRig {
  SavedTurnRig() {
    Hack::LoadTables();
    Infantry::Register();
    Vehicle::Register();
    Inanimate::Register();
    headless.New();
  }
  ~SavedTurnRig() {
    ComputerPlayer::Install(nullptr);
    for (int32_t kind = 0; kind < 4; ++kind) {
      RegisterUnitMaker(kind, nullptr);
      RegisterBlankUnitMaker(kind, nullptr);
    }
  }
  Battle& B() { return *headless.GetBattle(); }

  Unit* Add(int32_t kind, int32_t classIndex, int32_t sideIndex, float x, float y) {
    Unit* unit = CreateUnit(kind, classIndex, sideIndex == 0 ? kAxisCode : kAlliedCode, 2);
    unit->side = static_cast<uint8_t>(1 - sideIndex);
    unit->facing = sideIndex == 0 ? 90.0f : 270.0f;
    B().PlaceUnitAt(unit, x, y);
    return unit;
  }
  static void MoveTo(Unit& unit, float x, float y, int32_t mode) {
    Waypoint& point = unit.WaypointAt(0);
    point = Waypoint{};
    point.x = x;
    point.y = y;
    point.moveMode = mode;
    point.pointKind = 1;
    unit.waypointCount = 1;
  }
  // Squads, a gun and tanks a side, 300 m apart; some of them advance.
  void Deploy() {
    for (int32_t side = 0; side < 2; ++side) {
      const int32_t code = side == 0 ? kAxisCode : kAlliedCode;
      const float y = side == 0 ? 250.0f : 550.0f;
      const float ahead = side == 0 ? 60.0f : -60.0f;
      for (int32_t i = 0; i < 4; ++i) {
        Unit* squad = Add(Unit::kInfantry, FindInfantry(code, true), side, 200.0f + 80.0f * static_cast<float>(i), y);
        if (i % 2 == side) MoveTo(*squad, squad->x + 10.0f, y + ahead, 3 + i % 3);
      }
      Add(Unit::kInfantry, FindInfantry(code, false), side, 400.0f, y - ahead);
      for (int32_t i = 0; i < 2; ++i) {
        Unit* tank = Add(Unit::kVehicle, FindTank(code), side, 300.0f + 200.0f * static_cast<float>(i), y - 0.5f * ahead);
        if (i == side) MoveTo(*tank, tank->x - 40.0f, y + 2.0f * ahead, 2);
      }
    }
  }

  DataTablesRig tables;
  TestFolder logFolder{true};
  HeadlessBattle headless;
  AIOperational planner;
};

// What a turn leaves: the generator after the action, each unit's stored bytes and the
// battle's digest.
struct TurnRecord {
  uint32_t generator = 0;
  std::vector<std::string> units;
  uint32_t digest = 0;
  bool operator==(const TurnRecord&) const = default;
};

std::string UnitBytes(const Unit& unit) {
  GMemoryFile memory;
  unit.Write(memory.File());
  return memory.Bytes();
}

TurnRecord PlayTurn(SavedTurnRig& rig, uint16_t seed) {
  rig.headless.Go(seed);
  TurnRecord record;
  record.generator = RandomState();
  for (int32_t i = 0; i < rig.B().UnitCount(); ++i) record.units.push_back(UnitBytes(*rig.B().UnitAt(i)));
  rig.headless.NextTurn();
  record.digest = rig.headless.Digest();
  return record;
}

// Plays the set-up and `before` turns, saves, plays three more; then loads the save into a
// fresh battle and plays the same three turns, which must match. The number of units at the
// end of the unbroken game.
int32_t ExpectReloadedTurnsMatch(uint32_t seed, int32_t before, bool computer) {
  std::string saved;
  int32_t units = 0;
  uint32_t generatorAtSave = 0;
  std::vector<TurnRecord> unbroken;
  {
    SavedTurnRig rig;
    if (computer) {
      ComputerPlayer::Install(&rig.planner);
      rig.headless.SetComputerPlayer(0, true);
    }
    SeedRandom(seed);
    rig.Deploy();
    EXPECT_EQ(rig.B().UnitCount(), kDeployed);
    rig.headless.Go(static_cast<uint16_t>(seed));
    for (int32_t turn = 0; turn < before; ++turn) PlayTurn(rig, static_cast<uint16_t>(seed + 10 + turn));
    if (!rig.headless.SaveBytes(saved)) {
      ADD_FAILURE() << "seed " << seed << ": the battle was not stored";
      return 0;
    }
    generatorAtSave = RandomState();
    for (int32_t turn = 0; turn < 3; ++turn) unbroken.push_back(PlayTurn(rig, static_cast<uint16_t>(seed + 20 + turn)));
    units = rig.B().UnitCount();
  }
  SavedTurnRig rig;
  if (computer) {
    ComputerPlayer::Install(&rig.planner);
    rig.headless.SetComputerPlayer(0, true);
  }
  const bool loaded = rig.headless.LoadBytes(saved);
  GErrorLog::Close();
  EXPECT_TRUE(loaded) << rig.logFolder.ReadFile("ERRORLOG.TXT");
  if (!loaded) return units;
  // Saving, loading and saving again gives the same bytes (the computer's groups included).
  std::string again;
  EXPECT_TRUE(rig.headless.SaveBytes(again));
  EXPECT_EQ(again, saved);
  EXPECT_EQ(rig.B().HasAIGroups(), computer);
  SeedRandom(generatorAtSave);
  for (int32_t turn = 0; turn < 3; ++turn) {
    const TurnRecord reloaded = PlayTurn(rig, static_cast<uint16_t>(seed + 20 + turn));
    const TurnRecord& want = unbroken[static_cast<size_t>(turn)];
    EXPECT_EQ(reloaded.generator, want.generator) << "seed " << seed << " turn " << turn;
    EXPECT_EQ(reloaded.units.size(), want.units.size()) << "seed " << seed << " turn " << turn;
    for (size_t i = 0; i < want.units.size() && i < reloaded.units.size(); ++i)
      EXPECT_EQ(reloaded.units[i], want.units[i]) << "seed " << seed << " turn " << turn << " unit " << i;
    EXPECT_EQ(reloaded.digest, want.digest) << "seed " << seed << " turn " << turn;
    if (!(reloaded == want)) break;
  }
  return units;
}

}  // namespace

TEST(SavedGameTurn, AReloadedGameComputesTheNextTurnsAsTheUnbrokenOne) {
  // A tank's crew bails out in the first game: it joins the battle, headless as on screen.
  EXPECT_GT(ExpectReloadedTurnsMatch(117, 1, false), kDeployed);
  ExpectReloadedTurnsMatch(202, 2, false);
}

TEST(SavedGameTurn, AReloadedGameAgainstTheComputerComputesAsTheUnbrokenOne) {
  for (uint32_t seed : {303u, 404u}) ExpectReloadedTurnsMatch(seed, 1, true);
}

