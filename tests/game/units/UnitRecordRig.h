#pragma once
// Writing and reading unit records through real files, with class tables of blank records
// installed so that stored class indexes are checked against a table.
#include <cstring>
#include <memory>
#include <vector>

#include "framework/core/GFile.h"
#include "framework/core/GFileTestSupport.h"
#include "game/units/tables/Hack.h"
#include "game/units/Unit.h"
#include "game/units/TestUnitWorld.h"
#include "support/TestFolder.h"

using Bytes = std::vector<uint8_t>;

// Big-endian byte builder for expected records.
struct ByteBuilder {
  Bytes bytes;
  ByteBuilder& U8(uint32_t v) {
    bytes.push_back(static_cast<uint8_t>(v));
    return *this;
  }
  ByteBuilder& U16(uint32_t v) { return U8(v >> 8).U8(v & 0xFF); }
  ByteBuilder& U32(uint32_t v) { return U16(v >> 16).U16(v & 0xFFFF); }
  ByteBuilder& F32(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    return U32(v);
  }
  ByteBuilder& Zeros(int n) {
    for (int i = 0; i < n; ++i) U8(0);
    return *this;
  }
};

class UnitRecordRig {
 public:
  static constexpr int32_t kClasses = 20;

  UnitRecordRig()
      : infantry_(gInfantryClasses), vehicles_(gVehicleClasses), weapons_(gWeapons),
        infantryBytes_(InfantryData::kSize * kClasses), vehicleBytes_(VehicleData::kSize * kClasses) {
    gInfantryClasses = DataTable<InfantryData>(infantryBytes_.data(), static_cast<uint32_t>(infantryBytes_.size()));
    gVehicleClasses = DataTable<VehicleData>(vehicleBytes_.data(), static_cast<uint32_t>(vehicleBytes_.size()));
  }
  ~UnitRecordRig() {
    gInfantryClasses = infantry_;
    gVehicleClasses = vehicles_;
    gWeapons = weapons_;
  }

  Bytes Write(const Unit& unit) {
    {
      auto file = files.Open("unit.rec", GFile::kModeWrite);
      unit.Write(*file);
    }
    return files.Get("unit.rec");
  }
  // Reads a record (kind byte first) into the unit; false when refused. After the record the
  // next byte of the file, if any, is put in *after.
  bool Read(const Bytes& bytes, Unit& unit, int32_t* after = nullptr) {
    files.Put("unit.rec", bytes);
    auto file = files.Open("unit.rec", GFile::kModeRead);
    file->ReadByte();
    unit.Read(*file);
    const bool accepted = !file->HasError();
    if (after != nullptr) *after = static_cast<uint8_t>(file->ReadByte());
    return accepted;
  }

  TestFolder logFolder{true};
  GFileTestFolder files;
  TestUnitWorld world;

 private:
  DataTable<InfantryData> infantry_;
  DataTable<VehicleData> vehicles_;
  DataTable<WeaponData> weapons_;
  Bytes infantryBytes_;
  Bytes vehicleBytes_;
};
