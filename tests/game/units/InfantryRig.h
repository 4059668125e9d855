#pragma once
// Infantry tests: class, weapon and small-arms tables of the test's own making, the unit
// world with the infantry class registered for kind 0, and record writing and reading
// through real files.
#include <cstring>
#include <memory>
#include <vector>

#include "framework/core/GFile.h"
#include "framework/core/GFileTestSupport.h"
#include "game/map/Map.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/TestUnitWorld.h"
#include "support/TestFolder.h"

class InfantryRig {
 public:
  static constexpr int32_t kClasses = 200;
  static constexpr int32_t kWeapons = 105;
  static constexpr int32_t kSmallArms = 34;
  // Class indexes the tests fill.
  static constexpr int32_t kSquad = 10;       // two slots, 6 + 3 men, squad
  static constexpr int32_t kTeam = 11;        // one slot of 2 men, no weapon
  static constexpr int32_t kCompanyHq = 12;   // leader level 2
  static constexpr int32_t kPlatoonHq = 13;   // leader level 1
  static constexpr int32_t kSpotter = 14;     // one slot, weapon 70 (type 5)
  static constexpr int32_t kMortar = 15;      // crew-served, weapon 71 (type 4)
  static constexpr int32_t kDemolition = 16;  // squad with the demolition flag
  static constexpr int32_t kSpotterWeapon = 70;
  static constexpr int32_t kMortarWeapon = 71;
  static constexpr int32_t kGunWeapon = 72;

  InfantryRig()
      : savedInfantry_(gInfantryClasses), savedWeapons_(gWeapons), savedSmallArms_(gSmallArms),
        infantry_(InfantryData::kSize * kClasses), weapons_(WeaponData::kSize * kWeapons),
        smallArms_(SmallArmsData::kSize * kSmallArms) {
    gInfantryClasses = DataTable<InfantryData>(infantry_.data(), static_cast<uint32_t>(infantry_.size()));
    gWeapons = DataTable<WeaponData>(weapons_.data(), static_cast<uint32_t>(weapons_.size()));
    gSmallArms = DataTable<SmallArmsData>(smallArms_.data(), static_cast<uint32_t>(smallArms_.size()));
    for (int32_t i = 0; i < kClasses; ++i) {
      Put32(Class(i) + 56, Infantry::kNoWeapon);
      Put16(Class(i) + 120, 60);
    }
    SetClass(kSquad, true, 0, {6, 3});
    SetClass(kTeam, false, 0, {2});
    SetClass(kCompanyHq, false, 2, {2, 2});
    SetClass(kPlatoonHq, false, 1, {1, 2});
    SetClass(kSpotter, false, 0, {3});
    Put32(Class(kSpotter) + 56, kSpotterWeapon);
    SetClass(kMortar, false, 0, {3});
    Put32(Class(kMortar) + 56, kMortarWeapon);
    Put16(Class(kMortar) + 104, Infantry::kOrdnanceMarker);
    SetClass(kDemolition, true, 0, {4});
    Class(kDemolition)[51] = 1;
    Put32(Weapon(kSpotterWeapon), 5);
    Put32(Weapon(kMortarWeapon), 4);
    Put32(Weapon(kGunWeapon), 2);
    world.app.editorOpen = false;
    Infantry::Register();
  }
  ~InfantryRig() {
    gInfantryClasses = savedInfantry_;
    gWeapons = savedWeapons_;
    gSmallArms = savedSmallArms_;
  }

  uint8_t* Class(int32_t index) { return infantry_.data() + InfantryData::kSize * static_cast<size_t>(index); }
  uint8_t* Weapon(int32_t index) { return weapons_.data() + WeaponData::kSize * static_cast<size_t>(index); }
  uint8_t* SmallArms(int32_t index) { return smallArms_.data() + SmallArmsData::kSize * static_cast<size_t>(index); }

  // A class with its men spread over its slots (the men check set).
  void SetClass(int32_t index, bool squad, int8_t leaderLevel, std::vector<int16_t> slotMen) {
    uint8_t* c = Class(index);
    c[50] = squad ? 1 : 0;
    c[52] = static_cast<uint8_t>(leaderLevel);
    int16_t men = 0;
    for (size_t i = 0; i < slotMen.size(); ++i) {
      Put16(c + 84 + 2 * i, slotMen[i]);
      men = static_cast<int16_t>(men + slotMen[i]);
    }
    Put16(c + 54, men);
    Put16(c + 62, static_cast<int16_t>(slotMen.size()));
    c[64] = 1;
    Put32(c + 108, 3);
    Put32(c + 112, 5);
  }
  void SetName(int32_t index, const char* longName, const char* shortName) {
    std::memcpy(Class(index), longName, std::strlen(longName) + 1);
    std::memcpy(Class(index) + 32, shortName, std::strlen(shortName) + 1);
  }

  // A new unit of a class, set up without random draws beyond its own.
  std::unique_ptr<Infantry> Make(int32_t classIndex, int32_t code, int32_t rating = 2) {
    auto unit = std::make_unique<Infantry>();
    unit->Init(classIndex, code, rating, 100.0f, 100.0f, 0.0f);
    return unit;
  }

  void UseMap() {
    world.SetMap(std::make_unique<Map>(world.app));
    world.Battle().map->Read(nullptr);
    world.Battle().currentSlice = 100;
  }

  std::vector<uint8_t> Write(const Unit& unit) {
    {
      auto file = files.Open("unit.rec", GFile::kModeWrite);
      unit.Write(*file);
    }
    return files.Get("unit.rec");
  }
  // The infantry part of a record: what follows the unit's part.
  std::vector<uint8_t> Part(const Infantry& unit) {
    const std::vector<uint8_t> whole = Write(unit);
    {
      auto file = files.Open("unit.rec", GFile::kModeWrite);
      unit.Unit::Write(*file);
    }
    const size_t head = files.Get("unit.rec").size();
    return std::vector<uint8_t>(whole.begin() + static_cast<std::ptrdiff_t>(head), whole.end());
  }
  // Reads a record (kind byte first) into the unit; false when refused.
  bool Read(const std::vector<uint8_t>& bytes, Unit& unit) {
    files.Put("unit.rec", bytes);
    auto file = files.Open("unit.rec", GFile::kModeRead);
    file->ReadByte();
    unit.Read(*file);
    return !file->HasError();
  }

  static void Put16(uint8_t* at, int32_t value) {
    at[0] = static_cast<uint8_t>(value & 0xFF);
    at[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
  }
  static void Put32(uint8_t* at, int32_t value) {
    for (int32_t i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
  }
  static void PutF(uint8_t* at, float value) {
    uint32_t v;
    std::memcpy(&v, &value, 4);
    Put32(at, static_cast<int32_t>(v));
  }

  TestFolder logFolder{true};
  GFileTestFolder files;
  TestUnitWorld world;

 private:
  DataTable<InfantryData> savedInfantry_;
  DataTable<WeaponData> savedWeapons_;
  DataTable<SmallArmsData> savedSmallArms_;
  std::vector<uint8_t> infantry_;
  std::vector<uint8_t> weapons_;
  std::vector<uint8_t> smallArms_;
};
