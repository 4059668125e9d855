#include "game/units/KillRecord.h"

#include "framework/core/GObjectGroup.h"
#include "framework/core/Quorl.h"
#include "game/units/KillRecordEntry.h"

KillRecord::KillRecord(const KillRecord& other) : GObject(other) { *this = other; }

KillRecord& KillRecord::operator=(const KillRecord& other) {
  if (this == &other) return *this;
  infantryCasualties = other.infantryCasualties;
  infantryCaptured = other.infantryCaptured;
  gunsDestroyed = other.gunsDestroyed;
  mortarsDestroyed = other.mortarsDestroyed;
  aircraftShotDown = other.aircraftShotDown;
  CopyListFrom(other);
  return *this;
}

KillRecord::~KillRecord() {
  if (vehicles != nullptr) SafeDelete(vehicles);
}

void KillRecord::CopyListFrom(const KillRecord& other) {
  if (vehicles != nullptr) SafeDelete(vehicles);
  if (other.vehicles == nullptr) return;
  // Never two owners of one list: the copy holds its own entries.
  GObjectGroup& list = Vehicles();
  list.SetOwnsMembers(other.vehicles->OwnsMembers());
  for (int32_t i = 0; i < other.vehicles->Count(); ++i) {
    const auto* entry = static_cast<const KillRecordEntry*>(other.vehicles->GetItem(i));
    auto* copy = new KillRecordEntry(entry->vehicleClass);
    copy->count = entry->count;
    list.Append(copy);
  }
}

GObjectGroup& KillRecord::Vehicles() {
  if (vehicles == nullptr) {
    vehicles = new GObjectGroup();
    vehicles->IObjectGroup();
  }
  return *vehicles;
}

int32_t KillRecord::VehicleEntryCount() const { return vehicles == nullptr ? 0 : vehicles->Count(); }

const KillRecordEntry* KillRecord::VehicleEntry(int32_t index) const {
  if (vehicles == nullptr) FatalError(41, "Unit.cpp");
  return static_cast<const KillRecordEntry*>(vehicles->GetItem(index));
}
