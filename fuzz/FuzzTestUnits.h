// What the battle and operation fuzz targets read units with: blank class tables of 16
// classes for infantry and vehicles, the unit tests' kinds as the file reader's makers, and a
// unit set up for a side at a point.
#pragma once

#include <cstdint>
#include <vector>

#include "game/units/tables/Hack.h"
#include "game/units/TestAirplane.h"
#include "game/units/TestInanimate.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestVehicle.h"

class FuzzTestUnits {
 public:
  static constexpr int32_t kClasses = 16;

  FuzzTestUnits() : infantry_(InfantryData::kSize * kClasses), vehicles_(VehicleData::kSize * kClasses) {
    gInfantryClasses = DataTable<InfantryData>(infantry_.data(), static_cast<uint32_t>(infantry_.size()));
    gVehicleClasses = DataTable<VehicleData>(vehicles_.data(), static_cast<uint32_t>(vehicles_.size()));
    RegisterBlankUnitMaker(0, []() -> Unit* { return new TestInfantry(); });
    RegisterBlankUnitMaker(1, []() -> Unit* { return new TestVehicle(); });
    RegisterBlankUnitMaker(2, []() -> Unit* { return new TestInanimate(); });
    RegisterBlankUnitMaker(3, []() -> Unit* { return new TestAirplane(); });
  }
  FuzzTestUnits(const FuzzTestUnits&) = delete;
  FuzzTestUnits& operator=(const FuzzTestUnits&) = delete;

  // The unit set up at (x, y) for the side (index 0 Axis, 1 Allied).
  static Unit* Place(Unit* unit, int32_t sideIndex, float x, float y) {
    unit->Setup(x, y, 0.0f, sideIndex == 0 ? 6 : 0, 2);
    unit->side = static_cast<uint8_t>(1 - sideIndex);
    return unit;
  }

 private:
  std::vector<uint8_t> infantry_;
  std::vector<uint8_t> vehicles_;
};
