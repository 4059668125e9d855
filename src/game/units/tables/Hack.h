#pragma once
#include <cstddef>
#include <cstdint>

#include "game/units/tables/DataTable.h"
#include "game/units/tables/FormationData.h"
#include "game/units/tables/InfantryData.h"
#include "game/units/tables/SmallArmsData.h"
#include "game/units/tables/VehicleData.h"
#include "game/units/tables/VehicleModelData.h"
#include "game/units/tables/WeaponData.h"
#include "game/units/tables/WeaponDrawData.h"

class GFile;

// The seven built-in tables, loaded once at start from the scrambled block compiled into the
// program and read by index for the rest of the run.
extern DataTable<VehicleData> gVehicleClasses;
extern DataTable<InfantryData> gInfantryClasses;
extern DataTable<WeaponData> gWeapons;
extern DataTable<SmallArmsData> gSmallArms;
extern DataTable<VehicleModelData> gVehicleModels;
extern DataTable<WeaponDrawData> gWeaponDraws;
extern DataTable<FormationData> gFormations;

// Loads and frees the built-in tables. The block is the whole-file coder's output of the seven
// framed tables (each a big-endian 32-bit length, then the records), scrambled in groups of
// four bytes under a running key; the key after the last group is compiled in beside it.
class Hack {
 public:
  static constexpr uint32_t kStartKey = 0x5B21C7E4u;

  // Unscrambles the program's block, passes it through a temporary file and reads the seven
  // tables. A block whose key does not check out is fatal.
  static void LoadTables();
  // The same for any block and end key: the tables' loading, apart from where the block lives.
  static void LoadTablesFrom(const uint8_t* block, size_t size, uint32_t endKey);
  // Reads a 32-bit length n and n bytes into new memory; null for n = 0 (a file that runs short
  // leaves the rest zero and raises its error flag).
  static uint8_t* ReadTable(GFile& file, uint32_t* length);
  // Releases the tables present, vehicle classes, vehicle models, infantry classes, weapons,
  // weapon drawing, small arms, formations; nothing when none is loaded.
  static void FreeTables();
  // Unscrambles size bytes in place (size a multiple of 4) and returns the key after the
  // last group.
  static uint32_t Unscramble(uint8_t* block, size_t size);
};
