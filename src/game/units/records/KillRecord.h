#pragma once
#include <cstdint>

#include "framework/core/GObject.h"

class GObjectGroup;
class KillRecordEntry;

// The kills a unit has scored. The list of destroyed vehicles is made on first use and
// owned by the record; a copy gets its own list with its own entries.
class KillRecord : public GObject {
 public:
  KillRecord() = default;
  KillRecord(const KillRecord& other);
  KillRecord& operator=(const KillRecord& other);
  ~KillRecord() override;

  // One more vehicle of the class destroyed (below 0 unidentified): its entry's count rises
  // (held at 255, the most an entry stores), or a new entry of count 1 is appended.
  void AddVehicleKill(int32_t vehicleClass);
  // Adds every kill of the other record to this one: its vehicles one by one, then its counts.
  void Merge(const KillRecord& other);
  // Any count above zero, or a vehicle list (even an empty one).
  bool HasAny() const;

  // The vehicle list, made when first asked for.
  GObjectGroup& Vehicles();
  const GObjectGroup* GetVehicles() const { return vehicles; }
  int32_t VehicleEntryCount() const;
  // The stored form: the five counts, a list-present byte and, when present, the list (its
  // owns-members byte, a u32 count, each entry). Reading refuses (the file's error flag) a
  // count the bytes left cannot hold and an entry class that is neither below 0 nor a
  // vehicle class of the tables.
  void Read(GFile& file) override;
  void Write(GFile& file) const override;
  const KillRecordEntry* VehicleEntry(int32_t index) const;

  int16_t infantryCasualties = 0;
  int16_t infantryCaptured = 0;
  uint8_t gunsDestroyed = 0;
  uint8_t mortarsDestroyed = 0;
  uint8_t aircraftShotDown = 0;
  GObjectGroup* vehicles = nullptr;  // owned, of KillRecordEntry

 private:
  void DeleteList();
  void CopyListFrom(const KillRecord& other);
};
