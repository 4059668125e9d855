#include "game/units/tables/Hack.h"

#include <vector>

#include "framework/core/Crc32.h"
#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "game/units/tables/DataTablesBlock.h"

namespace {

constexpr const char* kHackSource = "Hack.cpp";

// The tables' memory, in the order they are read.
enum TableSlot { kVehicles, kInfantry, kWeaponsSlot, kSmallArmsSlot, kModels, kDraws, kFormationsSlot, kSlots };
uint8_t* gTableMemory[kSlots] = {};

void SwapBits(uint8_t& byte, int a, int b) {
  const int bitA = (byte >> a) & 1;
  const int bitB = (byte >> b) & 1;
  if (bitA != bitB) byte = static_cast<uint8_t>(byte ^ ((1 << a) | (1 << b)));
}

void Release(TableSlot slot) {
  delete[] gTableMemory[slot];
  gTableMemory[slot] = nullptr;
}

}  // namespace

DataTable<VehicleData> gVehicleClasses;
DataTable<InfantryData> gInfantryClasses;
DataTable<WeaponData> gWeapons;
DataTable<SmallArmsData> gSmallArms;
DataTable<VehicleModelData> gVehicleModels;
DataTable<WeaponDrawData> gWeaponDraws;
DataTable<FormationData> gFormations;

uint32_t Hack::Unscramble(uint8_t* block, size_t size) {
  if (size % 4 != 0) FatalError(__LINE__, kHackSource);
  uint32_t key = kStartKey;
  for (size_t at = 0; at < size; at += 4) {
    uint8_t* g = block + at;
    g[1] = static_cast<uint8_t>(~g[1]);
    g[2] = static_cast<uint8_t>(~g[2]);
    SwapBits(g[0], 2, 5);
    SwapBits(g[3], 4, 7);
    const uint8_t reordered[4] = {g[1], g[3], g[2], g[0]};
    for (int i = 0; i < 4; ++i) {
      g[i] = static_cast<uint8_t>(reordered[i] ^ (key >> (8 * i)));
    }
    for (int i = 0; i < 4; ++i) key = Crc32Update(key, g[i]);
  }
  return key;
}

uint8_t* Hack::ReadTable(GFile& file, uint32_t* length) {
  uint32_t n = file.ReadU32();
  // A length beyond what the file holds cannot be read: the table is empty and the file's
  // error flag tells the caller.
  if (n > file.BytesLeft()) {
    file.SetError();
    n = 0;
  }
  *length = n;
  if (n == 0) return nullptr;
  auto* memory = new uint8_t[n];
  file.Read(memory, static_cast<int32_t>(n));
  return memory;
}

void Hack::LoadTables() { LoadTablesFrom(kDataTablesBlock, kDataTablesBlockSize, kDataTablesEndKey); }

void Hack::LoadTablesFrom(const uint8_t* block, size_t size, uint32_t endKey) {
  FreeTables();
  std::vector<uint8_t> plain(block, block + size);
  if (Unscramble(plain.data(), plain.size()) != endKey) FatalError(__LINE__, kHackSource);
  if (gKernel == nullptr) FatalError(__LINE__, kHackSource);
  GFile* file = gKernel->CreateTempFile(false);
  if (file == nullptr) FatalError(__LINE__, kHackSource);
  if (!plain.empty()) file->Write(plain.data(), static_cast<int32_t>(plain.size()));
  file->CloseAndDelete();
  uint32_t lengths[kSlots] = {};
  for (int slot = 0; slot < kSlots; ++slot) gTableMemory[slot] = ReadTable(*file, &lengths[slot]);
  // The block is built in and checked by its key: a stream that does not decode into seven
  // whole tables is a broken build.
  if (file->HasError()) FatalError(__LINE__, kHackSource);
  SafeDelete(file);
  gVehicleClasses = {gTableMemory[kVehicles], lengths[kVehicles]};
  gInfantryClasses = {gTableMemory[kInfantry], lengths[kInfantry]};
  gWeapons = {gTableMemory[kWeaponsSlot], lengths[kWeaponsSlot]};
  gSmallArms = {gTableMemory[kSmallArmsSlot], lengths[kSmallArmsSlot]};
  gVehicleModels = {gTableMemory[kModels], lengths[kModels]};
  gWeaponDraws = {gTableMemory[kDraws], lengths[kDraws]};
  gFormations = {gTableMemory[kFormationsSlot], lengths[kFormationsSlot]};
}

void Hack::FreeTables() {
  Release(kVehicles);
  gVehicleClasses = {};
  Release(kModels);
  gVehicleModels = {};
  Release(kInfantry);
  gInfantryClasses = {};
  Release(kWeaponsSlot);
  gWeapons = {};
  Release(kDraws);
  gWeaponDraws = {};
  Release(kSmallArmsSlot);
  gSmallArms = {};
  Release(kFormationsSlot);
  gFormations = {};
}
