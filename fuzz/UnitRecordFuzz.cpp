// Reads arbitrary bytes as a list of unit records through ReadUnit, with the infantry class
// for kind 0, the vehicle class for kind 1, the object class for kind 2, the aircraft class
// for kind 3 and class tables
// the harness builds (class 3 an infantry class with every conditional field of its part: a
// squad, a headquarters and a spotter of four weapon slots; a full table of turretless,
// unarmed vehicle classes): a record that is refused must have raised the file's error flag,
// and there must be no fault, no leak and no read out of bounds. Records that are accepted are
// written, read and written again: the two writes must give the same bytes.
//
// An input whose first byte is odd is laid (exclusive or) over a valid record with every
// conditional field present, an infantry record or, when bit 1 of that byte is set too, a
// vehicle record (bit 2: an object record, bit 3: an aircraft record), so that the checks deep inside a record are reached as often as the first
// ones.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "game/units/tables/Hack.h"
#include "game/units/records/KillRecordEntry.h"
#include "game/units/airplane/Airplane.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/TestUnitWorld.h"
#include "game/units/records/UnitIds.h"
#include "platform/PFile.h"
#include "platform/PPath.h"
#include "FuzzFolder.h"

namespace {

constexpr int32_t kMaxRecords = 8;
constexpr int32_t kClasses = 16;
constexpr int32_t kVehicleClasses = 230;
constexpr int32_t kWeapons = 105;
constexpr int32_t kFullClass = 3;
constexpr int32_t kSpotterWeapon = 70;

// The world the records are read in: services installed, the harness's class tables.
struct FuzzWorld {
  FuzzWorld()
      : infantry(InfantryData::kSize * kClasses), vehicles(VehicleData::kSize * kVehicleClasses),
        weapons(WeaponData::kSize * kWeapons) {
    gInfantryClasses = DataTable<InfantryData>(infantry.data(), static_cast<uint32_t>(infantry.size()));
    gVehicleClasses = DataTable<VehicleData>(vehicles.data(), static_cast<uint32_t>(vehicles.size()));
    gWeapons = DataTable<WeaponData>(weapons.data(), static_cast<uint32_t>(weapons.size()));
    for (int32_t i = 0; i < kClasses; ++i) Put32(infantry.data() + i * InfantryData::kSize + 56, 104);
    uint8_t* full = infantry.data() + kFullClass * InfantryData::kSize;
    full[50] = 1;                 // squad
    full[52] = 1;                 // leader level
    full[54] = 12;                // men
    Put32(full + 56, kSpotterWeapon);
    full[62] = 4;                 // weapon slots
    Put32(weapons.data() + kSpotterWeapon * WeaponData::kSize, 5);
    for (int32_t i = 0; i < kVehicleClasses; ++i) {
      uint8_t* record = vehicles.data() + i * VehicleData::kSize;
      for (int32_t at : {68, 88, 92, 100}) Put32(record + at, 104);  // no gun, no machine guns
      Put32(record + 80, 5);                                         // no turret
      Put32(record + 60, i % 40);                                    // category
    }
    Infantry::Register();
    Vehicle::Register();
    Inanimate::Register();
    Airplane::Register();
  }
  static void Put32(uint8_t* at, int32_t value) {
    for (int32_t i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
  }
  FuzzFolder folder{"unitfuzz"};
  TestUnitWorld world;
  std::vector<uint8_t> infantry;
  std::vector<uint8_t> vehicles;
  std::vector<uint8_t> weapons;
};

FuzzWorld& World() {
  static FuzzWorld world;
  return world;
}

std::unique_ptr<GFile> Open(const std::string& path, bool write) {
  auto file = std::make_unique<GFile>();
  auto handle = write ? PFile::Open(path, PFile::kRead | PFile::kWrite, PFile::Disposition::kCreateAlways)
                      : PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting);
  if (!file->IFile(std::move(handle), path.c_str(), write ? GFile::kModeWrite : GFile::kModeRead)) std::abort();
  return file;
}

std::vector<uint8_t> Get(const std::string& path) {
  auto in = PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting);
  if (!in) std::abort();
  std::vector<uint8_t> bytes(static_cast<size_t>(in->Size()));
  if (!bytes.empty() && in->Read(bytes.data(), bytes.size()) != static_cast<int64_t>(bytes.size())) std::abort();
  return bytes;
}

std::vector<uint8_t> WriteAll(const std::vector<std::unique_ptr<Unit>>& units, const std::string& path) {
  {
    auto file = Open(path, true);
    for (const auto& unit : units) unit->Write(*file);
  }
  return Get(path);
}

// Reads records until the file ends or one is refused; false when one is refused.
bool ReadAll(const std::string& path, std::vector<std::unique_ptr<Unit>>& units) {
  auto file = Open(path, false);
  for (int32_t i = 0; i < kMaxRecords && file->BytesLeft() > 0; ++i) {
    Unit* unit = ReadUnit(*file);
    if (unit == nullptr) {
      if (!file->HasError()) std::abort();
      return false;
    }
    units.emplace_back(unit);
  }
  return true;
}

const std::vector<uint8_t>& VehicleTemplate(const std::string& folder) {
  static std::vector<uint8_t> bytes;
  if (!bytes.empty()) return bytes;
  Vehicle unit;
  unit.SetClass(11, 2, 3, 400.0f, 300.0f, 45.0f);
  unit.hidden = 1;
  unit.identificationLevel = 1;
  unit.areaFire = 1;
  unit.flagBytes[Unit::kOrdersAreaFireFlag] = 1;
  unit.waypointCount = 2;
  unit.waypoints[0].moveMode = -1;
  unit.waypoints[1].moveMode = 9;
  unit.waypoints[1].pointKind = 1;
  unit.killRecord.AddVehicleKill(2);
  unit.burning = unit.bogged = unit.lossesFinal = 1;
  unit.turretHold = 300;
  unit.gunCrewStunTimer = 4.5f;
  unit.burstValue = 1.25f;
  unit.turretOffset = 200.0f;
  unit.turretRate = 0.5f;
  unit.machineGunAmmo = {30, 20, 10};
  std::vector<std::unique_ptr<Unit>> one;
  one.emplace_back(new Vehicle(unit));
  bytes = WriteAll(one, folder + "vehicle.rec");
  return bytes;
}

const std::vector<uint8_t>& ObjectTemplate(const std::string& folder) {
  static std::vector<uint8_t> bytes;
  if (!bytes.empty()) return bytes;
  auto unit = std::make_unique<Inanimate>();
  unit->Init(Inanimate::kMineChain, 1, 300.0f, 200.0f, 35.0f);
  unit->hidden = 1;
  unit->identificationLevel = 1;
  std::vector<std::unique_ptr<Unit>> one;
  one.emplace_back(unit.release());
  bytes = WriteAll(one, folder + "object.rec");
  return bytes;
}

const std::vector<uint8_t>& AircraftTemplate(const std::string& folder) {
  static std::vector<uint8_t> bytes;
  if (!bytes.empty()) return bytes;
  auto unit = std::make_unique<Airplane>();
  unit->Initialize(2, 3);
  unit->state = Airplane::kDamaged;
  unit->attackKind = Airplane::kRockets;
  unit->sortiesFlown = 1;
  unit->damage = 420;
  unit->killRecord.aircraftShotDown = 1;
  std::vector<std::unique_ptr<Unit>> one;
  one.emplace_back(unit.release());
  bytes = WriteAll(one, folder + "aircraft.rec");
  return bytes;
}

const std::vector<uint8_t>& Template(const std::string& folder) {
  static std::vector<uint8_t> bytes;
  if (!bytes.empty()) return bytes;
  Infantry unit;
  unit.hidden = 1;
  unit.identificationLevel = 1;
  unit.areaFire = 1;
  unit.flagBytes[Unit::kOrdersAreaFireFlag] = 1;
  unit.flagBytes[Unit::kOrdersSmokeFireFlag] = 1;
  unit.leaderName = -1;
  unit.CustomName().Assign("Weber");
  unit.nationalityCode = 2;
  unit.classIndex = kFullClass;
  unit.ammoKind = 1;
  unit.waypointCount = 2;
  unit.waypoints[0].moveMode = 3;
  unit.waypoints[1].moveMode = 9;
  unit.waypoints[1].pointKind = 3;
  unit.killRecord.AddVehicleKill(2);
  unit.killRecord.AddVehicleKill(-1);
  unit.menInSlot = {3, 3, 3, 3};
  unit.aimPoint = {10.0f, 20.0f};
  unit.leaderRatings = 0x46;
  unit.secondLeaderName = 7;
  unit.chargeCount = 2;
  unit.antitankCount = 1;
  std::vector<std::unique_ptr<Unit>> one;
  one.emplace_back(new Infantry(unit));
  bytes = WriteAll(one, folder + "template.rec");
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static int32_t runs = 0;
  const std::string& folder = World().folder.path;
  if (++runs % 512 == 0) GErrorLog::ResetForTests();
  std::vector<uint8_t> bytes;
  if (size > 0 && (data[0] & 1) != 0) {
    if ((data[0] & 8) != 0) {
      bytes = AircraftTemplate(folder);
    } else if ((data[0] & 4) != 0) {
      bytes = ObjectTemplate(folder);
    } else {
      bytes = (data[0] & 2) != 0 ? VehicleTemplate(folder) : Template(folder);
    }
    for (size_t i = 1; i < size; ++i) {
      if (i - 1 < bytes.size()) bytes[i - 1] ^= data[i];
      else bytes.push_back(data[i]);
    }
  } else {
    bytes.assign(data, data + size);
  }
  const std::string input = folder + "input.rec";
  {
    auto out = PFile::Open(input, PFile::kWrite, PFile::Disposition::kCreateAlways);
    if (!out) std::abort();
    if (!bytes.empty() && out->Write(bytes.data(), bytes.size()) != static_cast<int64_t>(bytes.size())) std::abort();
  }
  std::vector<std::unique_ptr<Unit>> units;
  if (!ReadAll(input, units) || units.empty()) return 0;
  const std::vector<uint8_t> first = WriteAll(units, folder + "first.rec");
  std::vector<std::unique_ptr<Unit>> again;
  if (!ReadAll(folder + "first.rec", again) || again.size() != units.size()) std::abort();
  if (WriteAll(again, folder + "second.rec") != first) std::abort();
  return 0;
}
