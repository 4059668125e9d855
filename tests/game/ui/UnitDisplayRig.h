#pragma once
// A started kernel on the fake back-end with the built-in tables (the vehicle and weapon
// tables as copies a test may change), a headless battle on a fresh map, and helpers that put
// real vehicles and squads of the tables on it and read back what a display composed.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/ui/UiRig.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/HeadlessHost.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/ui/PanelItem.h"
#include "support/TestFolder.h"

class UnitDisplayRig : public UiRig {
 protected:
  UnitDisplayRig() {
    kernel_->FindProgramFolder();
    Hack::LoadTables();
    vehicleBytes_.assign(gVehicleClasses[0].Bytes(),
                         gVehicleClasses[0].Bytes() + static_cast<size_t>(gVehicleClasses.Count()) * VehicleData::kSize);
    gVehicleClasses = DataTable<VehicleData>(vehicleBytes_.data(), static_cast<uint32_t>(vehicleBytes_.size()));
    weaponBytes_.assign(gWeapons[0].Bytes(),
                        gWeapons[0].Bytes() + static_cast<size_t>(gWeapons.Count()) * WeaponData::kSize);
    gWeapons = DataTable<WeaponData>(weaponBytes_.data(), static_cast<uint32_t>(weaponBytes_.size()));
    headless_ = std::make_unique<HeadlessBattle>();
    headless_->New();
  }
  ~UnitDisplayRig() override {
    headless_.reset();
    Hack::FreeTables();
  }

  Battle& B() { return *headless_->GetBattle(); }
  HeadlessHost& Host() { return headless_->Host(); }

  // A vehicle of the class for the side index (0 Axis), on the map (the battle owns it).
  Vehicle* AddVehicle(int32_t classIndex, int32_t sideIndex, float x = 300.0f, float y = 300.0f) {
    auto* v = new Vehicle();
    v->SetClass(classIndex, sideIndex == 0 ? 6 : 0, 2, x, y, 0.0f);
    v->side = static_cast<uint8_t>(1 - sideIndex);
    B().PlaceUnitAt(v, x, y);
    return v;
  }
  Infantry* AddSquad(int32_t classIndex, int32_t sideIndex, float x = 320.0f, float y = 300.0f) {
    auto* squad = new Infantry();
    squad->Init(classIndex, sideIndex == 0 ? 6 : 0, 2, x, y, 0.0f);
    squad->side = static_cast<uint8_t>(1 - sideIndex);
    B().PlaceUnitAt(squad, x, y);
    return squad;
  }
  // The writable record of a vehicle class.
  uint8_t* VehicleRecord(int32_t index) { return vehicleBytes_.data() + static_cast<size_t>(index) * VehicleData::kSize; }
  uint8_t* WeaponRecord(int32_t index) { return weaponBytes_.data() + static_cast<size_t>(index) * WeaponData::kSize; }
  template <typename T>
  static void Put(uint8_t* record, int32_t at, T value) {
    std::memcpy(record + at, &value, sizeof value);
  }
  // The first class (vehicle or infantry) the test accepts, or -1.
  template <typename Table, typename Test>
  static int32_t FindClass(const Table& table, Test test) {
    for (int32_t i = 0; i < table.Count(); ++i) {
      if (test(table[i])) return i;
    }
    return -1;
  }

  static std::vector<std::string> Texts(const std::vector<PanelItem>& items) {
    std::vector<std::string> texts;
    for (const PanelItem& item : items) {
      if (item.picture == 0) texts.push_back(item.text);
    }
    return texts;
  }
  static std::vector<int32_t> Pictures(const std::vector<PanelItem>& items) {
    std::vector<int32_t> pictures;
    for (const PanelItem& item : items) {
      if (item.picture != 0) pictures.push_back(item.picture);
    }
    return pictures;
  }
  static const PanelItem* FindText(const std::vector<PanelItem>& items, const std::string& text) {
    for (const PanelItem& item : items) {
      if (item.picture == 0 && item.text == text) return &item;
    }
    return nullptr;
  }
  static const PanelItem* FindStarting(const std::vector<PanelItem>& items, const std::string& start) {
    for (const PanelItem& item : items) {
      if (item.picture == 0 && item.text.compare(0, start.size(), start) == 0) return &item;
    }
    return nullptr;
  }

  TestFolder folder_{true};
  std::unique_ptr<HeadlessBattle> headless_;

 private:
  std::vector<uint8_t> vehicleBytes_;
  std::vector<uint8_t> weaponBytes_;
};
