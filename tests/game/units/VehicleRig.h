#pragma once
// A world for vehicles: a class table of 230 records (all tracked 10-ton 25 mph classes
// without turret or weapon until a test changes them), a weapon table, two blank vehicle
// models (no hatches, no sound) and the default map.
#include <cstring>
#include <memory>
#include <vector>

#include "game/map/Map.h"
#include "game/units/tables/Hack.h"
#include "game/units/VehicleWorld.h"
#include "game/units/vehicle/Vehicle.h"
#include "support/TestFolder.h"

class VehicleRig {
 public:
  static constexpr int32_t kClasses = 230;
  static constexpr int32_t kWeapons = 110;

  explicit VehicleRig(bool withMap = true)
      : keptClasses_(gVehicleClasses), keptWeapons_(gWeapons), keptBlankModels_(gVehicleModels),
        keptSmallArms_(gSmallArms), classes_(kClasses * VehicleData::kSize), weapons_(kWeapons * WeaponData::kSize),
        blankModels_(2 * VehicleModelData::kSize), smallArms_(34 * SmallArmsData::kSize) {
    for (int32_t i = 0; i < kClasses; ++i) {
      PutI16(i, 54, 10);    // weight
      PutI32(i, 68, 104);   // no main weapon
      PutI32(i, 80, 5);     // no turret
      PutI32(i, 88, 104);   // no machine guns
      PutI32(i, 92, 104);
      PutI32(i, 100, 104);
      PutI16(i, 110, 25);   // mph
      PutI32(i, 112, 4);    // tracked
      PutI16(i, 116, 200);  // horsepower
      PutI32(i, 200, 5);    // carries up to transport class 5
      Class(i)[204] = 2;    // two places
      PutF32(i, 208, 3.0f);
    }
    gVehicleClasses = DataTable<VehicleData>(classes_.data(), static_cast<uint32_t>(classes_.size()));
    gWeapons = DataTable<WeaponData>(weapons_.data(), static_cast<uint32_t>(weapons_.size()));
    gVehicleModels = DataTable<VehicleModelData>(blankModels_.data(), static_cast<uint32_t>(blankModels_.size()));
    // 34 blank small-arms entries (33 none), so that a machine gun a test mounts exists.
    gSmallArms = DataTable<SmallArmsData>(smallArms_.data(), static_cast<uint32_t>(smallArms_.size()));
    Vehicle::ResetDesignations();
    Vehicle::gFullCheck = 1.0f;
    Vehicle::gWayAheadCheck = false;
    if (withMap) {
      world.SetMap(std::make_unique<Map>(world.app));
      world.Battle().map->Read(nullptr);
    }
  }
  ~VehicleRig() {
    gVehicleClasses = keptClasses_;
    gWeapons = keptWeapons_;
    gVehicleModels = keptBlankModels_;
    gSmallArms = keptSmallArms_;
    Vehicle::gFullCheck = 1.0f;
    Vehicle::gWayAheadCheck = false;
  }
  VehicleRig(const VehicleRig&) = delete;
  VehicleRig& operator=(const VehicleRig&) = delete;

  uint8_t* Class(int32_t i) { return classes_.data() + static_cast<size_t>(i) * VehicleData::kSize; }
  void PutI32(int32_t i, int32_t at, int32_t v) { std::memcpy(Class(i) + at, &v, 4); }
  void PutI16(int32_t i, int32_t at, int16_t v) { std::memcpy(Class(i) + at, &v, 2); }
  void PutF32(int32_t i, int32_t at, float v) { std::memcpy(Class(i) + at, &v, 4); }
  void SetWeaponType(int32_t weapon, int32_t type) {
    std::memcpy(weapons_.data() + static_cast<size_t>(weapon) * WeaponData::kSize, &type, 4);
  }
  void SetWeaponF32(int32_t weapon, int32_t at, float v) {
    std::memcpy(weapons_.data() + static_cast<size_t>(weapon) * WeaponData::kSize + at, &v, 4);
  }
  Map& GetMap() { return *world.Battle().map; }
  // Sets the 2 m cell under the point to the terrain type, keeping its height.
  void SetTerrain(float px, float py, int32_t type) {
    uint16_t& cell = GetMap().terrain.fineGrid.At(static_cast<int32_t>(px / 2.0f), static_cast<int32_t>(py / 2.0f));
    cell = static_cast<uint16_t>((type << 10) | (cell & 0x3FF));
  }

  TestFolder folder{true};
  VehicleWorld world;

 private:
  DataTable<VehicleData> keptClasses_;
  DataTable<WeaponData> keptWeapons_;
  DataTable<VehicleModelData> keptBlankModels_;
  DataTable<SmallArmsData> keptSmallArms_;
  std::vector<uint8_t> classes_;
  std::vector<uint8_t> weapons_;
  std::vector<uint8_t> blankModels_;
  std::vector<uint8_t> smallArms_;
};
