#include "game/units/records/KillRecord.h"

#include <utility>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/Quorl.h"
#include "game/units/tables/Hack.h"
#include "game/units/records/KillRecordEntry.h"

namespace {
// Bytes of one stored list entry.
constexpr uint32_t kEntrySize = 3;
}  // namespace

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
  DeleteList();
}

void KillRecord::CopyListFrom(const KillRecord& other) {
  DeleteList();
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

void KillRecord::DeleteList() {
  if (vehicles == nullptr) return;
  // The record always owns its entries, whatever owns-members byte a file gave the list.
  vehicles->SetOwnsMembers(true);
  SafeDelete(vehicles);
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

void KillRecord::Write(GFile& file) const {
  file.WriteU16(static_cast<uint16_t>(infantryCasualties));
  file.WriteU16(static_cast<uint16_t>(infantryCaptured));
  file.WriteByte(gunsDestroyed);
  file.WriteByte(mortarsDestroyed);
  file.WriteByte(aircraftShotDown);
  file.WriteByte(vehicles != nullptr ? 1 : 0);
  if (vehicles != nullptr) vehicles->Write(file);
}

void KillRecord::Read(GFile& file) {
  infantryCasualties = static_cast<int16_t>(file.ReadU16());
  infantryCaptured = static_cast<int16_t>(file.ReadU16());
  gunsDestroyed = static_cast<uint8_t>(file.ReadByte());
  mortarsDestroyed = static_cast<uint8_t>(file.ReadByte());
  aircraftShotDown = static_cast<uint8_t>(file.ReadByte());
  DeleteList();
  if (file.ReadByte() == 0 || file.HasError()) return;
  GObjectGroup& list = Vehicles();
  list.GObjectGroup::Read(file);
  const uint32_t count = file.ReadU32();
  if (file.HasError()) return;
  if (count > file.BytesLeft() / kEntrySize) {
    GErrorLog::LogValue("Unit.cpp: kill list count", static_cast<int32_t>(count & 0x7FFFFFFF));
    file.SetError();
    return;
  }
  for (uint32_t i = 0; i < count; ++i) {
    auto* entry = new KillRecordEntry();
    entry->Read(file);
    list.Append(entry);
    if (entry->vehicleClass >= 0 && !gVehicleClasses.IsValid(entry->vehicleClass)) {
      GErrorLog::LogValue("Unit.cpp: kill list vehicle class", entry->vehicleClass);
      file.SetError();
      return;
    }
  }
}

void KillRecord::AddVehicleKill(int32_t vehicleClass) {
  GObjectGroup& list = Vehicles();
  for (int32_t i = 0; i < list.Count(); ++i) {
    auto* entry = static_cast<KillRecordEntry*>(list.GetItem(i));
    if (entry->vehicleClass != vehicleClass) continue;
    if (entry->count < 255) ++entry->count;
    return;
  }
  list.Append(new KillRecordEntry(vehicleClass));
}

void KillRecord::Merge(const KillRecord& other) {
  // Taken first, so that merging a record into itself counts each kill once.
  std::vector<std::pair<int32_t, int32_t>> kills;
  for (int32_t i = 0; i < other.VehicleEntryCount(); ++i) {
    const KillRecordEntry* entry = other.VehicleEntry(i);
    kills.emplace_back(entry->vehicleClass, entry->count);
  }
  const int32_t casualties = other.infantryCasualties;
  const int32_t captured = other.infantryCaptured;
  const int32_t guns = other.gunsDestroyed;
  const int32_t mortars = other.mortarsDestroyed;
  const int32_t aircraft = other.aircraftShotDown;
  for (const auto& [vehicleClass, count] : kills) {
    for (int32_t n = 0; n < count; ++n) AddVehicleKill(vehicleClass);
  }
  infantryCasualties = static_cast<int16_t>(infantryCasualties + casualties);
  infantryCaptured = static_cast<int16_t>(infantryCaptured + captured);
  gunsDestroyed = static_cast<uint8_t>(gunsDestroyed + guns);
  mortarsDestroyed = static_cast<uint8_t>(mortarsDestroyed + mortars);
  aircraftShotDown = static_cast<uint8_t>(aircraftShotDown + aircraft);
}

bool KillRecord::HasAny() const {
  return infantryCasualties != 0 || infantryCaptured != 0 || gunsDestroyed != 0 || mortarsDestroyed != 0 ||
         aircraftShotDown != 0 || vehicles != nullptr;
}
