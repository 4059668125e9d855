#pragma once
#include <array>
#include <cstdint>

#include "game/units/tables/VehicleData.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/TestUnit.h"

// A vehicle for tests: its class record and second ammunition array live in the unit.
class TestVehicle : public TestUnit, public VehicleServices {
 public:
  TestVehicle() {
    kind = kVehicle;
    SetRecord(104, 0);  // no weapon until a test sets one
  }

  VehicleServices* AsVehicle() override { return this; }

  int32_t GetClassIndex() const override { return classIndex; }
  VehicleData GetClassData(int32_t) const override { return VehicleData(record.data()); }
  bool IsBoat() const override { return boat; }
  bool IsEmplacement() const override { return emplacement; }
  bool HasTurret() const override { return turret; }
  bool IsButtoned() const override { return buttoned; }
  uint16_t* GetSecondAmmo() override { return secondAmmo.data(); }
  int32_t GetSmallArmsEntry() const override { return smallArmsEntry; }
  Unit* GetPassenger(int32_t place) const override { return passengers.at(static_cast<size_t>(place)); }
  bool IsLeftOutOfTallies() const override { return leftOutOfTallies; }
  void RemovePassenger(Unit* unit) override {
    for (Unit*& p : passengers) {
      if (p == unit) {
        p = nullptr;
        return;
      }
    }
  }
  // ---- Boarding (the battle's loading): as many riders as the record's capacity, two at most ----
  bool CanCarry(const Unit* unit, bool, bool) const override {
    return unit != nullptr && unit->IsInfantry() && riders < 2 && riders < GetClassData(0).TransportClass();
  }
  void AddPassenger(Unit* unit) override { passengers.at(static_cast<size_t>(riders++)) = unit; }
  int32_t riders = 0;
  // ---- End of boarding ----

  // ---- The computer player's trial copy ----
  Unit* NewTrialCopy() const override {
    ++gTrialCopies;
    return makesTrialCopies ? new TestVehicle(*this) : nullptr;
  }
  bool makesTrialCopies = true;
  // ---- End of the trial copy ----
  void SetRecord(int32_t mainWeaponId, int16_t load);  // main weapon and full load

  std::array<uint8_t, VehicleData::kSize> record{};
  std::array<Unit*, 2> passengers{};
  bool boat = false;
  bool emplacement = false;
  bool turret = true;
  bool buttoned = false;
  std::array<uint16_t, kAmmoKinds> secondAmmo{};
  int32_t smallArmsEntry = 0;
  bool leftOutOfTallies = false;
};
