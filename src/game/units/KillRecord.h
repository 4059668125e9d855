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

  // The vehicle list, made when first asked for.
  GObjectGroup& Vehicles();
  const GObjectGroup* GetVehicles() const { return vehicles; }
  int32_t VehicleEntryCount() const;
  const KillRecordEntry* VehicleEntry(int32_t index) const;

  int16_t infantryCasualties = 0;
  int16_t infantryCaptured = 0;
  uint8_t gunsDestroyed = 0;
  uint8_t mortarsDestroyed = 0;
  uint8_t aircraftShotDown = 0;
  GObjectGroup* vehicles = nullptr;  // owned, of KillRecordEntry

 private:
  void CopyListFrom(const KillRecord& other);
};
