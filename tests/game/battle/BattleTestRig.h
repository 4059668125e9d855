#pragma once
// A headless battle with the unit model's test kinds registered, blank class tables installed
// and the error log kept in a test folder; helpers to build a battle with units, flags and
// reinforcement groups.
#include <memory>
#include <string>
#include <vector>

#include "framework/core/GMemoryFile.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/battle/VictoryFlag.h"
#include "game/units/tables/DataTable.h"
#include "game/units/tables/Hack.h"
#include "game/units/tables/InfantryData.h"
#include "game/units/TestInanimate.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestVehicle.h"
#include "game/units/records/UnitIds.h"
#include "game/units/tables/VehicleData.h"
#include "support/TestFolder.h"

// Presence measures a test sets per unit: the amount each unit counts at any point.
class FixedMeasures : public BattleScoreMeasures {
 public:
  float PresenceAtPoint(const Unit& unit, float, float, const uint8_t*) const override {
    for (const auto& entry : presence) {
      if (entry.first == &unit) return entry.second;
    }
    return 0.0f;
  }
  std::vector<std::pair<const Unit*, float>> presence;
};

class BattleTestRig {
 public:
  static constexpr int32_t kClasses = 20;

  BattleTestRig();
  ~BattleTestRig();
  BattleTestRig(const BattleTestRig&) = delete;
  BattleTestRig& operator=(const BattleTestRig&) = delete;

  Battle& B() { return *headless.GetBattle(); }
  // A new battle on a fresh map.
  Battle& Fresh();
  // Makes a test unit of a kind (0 infantry, 1 vehicle, 2 inanimate) for a side index.
  static Unit* MakeUnit(int32_t kind, int32_t sideIndex, float x, float y);
  // Appends a reinforcement group with count infantry units of the side.
  ReinforcementGroup& AddGroup(int32_t side, int32_t count, int32_t arrival);
  // The battle's stored bytes (the file's error flag in *failed when given).
  std::string Save(bool* failed = nullptr);
  // Sets a new battle up from bytes with Battle::SetUp alone and returns what it writes
  // (empty when refused); the battle in play stays.
  std::string SetUpAndWrite(const std::string& bytes);
  // The full battle the round-trip tests use: units on the map with targets across lists,
  // two flags and two reinforcement groups a side.
  void Populate();

  TestFolder logFolder{true};
  HeadlessBattle headless;

 private:
  DataTable<InfantryData> infantry_;
  DataTable<VehicleData> vehicles_;
  std::vector<uint8_t> infantryBytes_;
  std::vector<uint8_t> vehicleBytes_;
};
