#include "game/units/KillRecordEntry.h"

#include "framework/core/GFile.h"

void KillRecordEntry::Read(GFile& file) {
  vehicleClass = static_cast<int16_t>(file.ReadU16());
  count = static_cast<uint8_t>(file.ReadByte());
}

void KillRecordEntry::Write(GFile& file) const {
  file.WriteU16(static_cast<uint16_t>(vehicleClass));
  file.WriteByte(count);
}
