#include "game/units/records/KillRecordEntry.h"

#include <string>

#include "framework/core/GFile.h"
#include "framework/core/GString.h"
#include "game/units/tables/Hack.h"

namespace {
constexpr uint32_t kUnidentifiedText = 1350;
constexpr uint32_t kDestroyedText = 1351;
}  // namespace

void KillRecordEntry::Read(GFile& file) {
  vehicleClass = static_cast<int16_t>(file.ReadU16());
  count = static_cast<uint8_t>(file.ReadByte());
}

void KillRecordEntry::Write(GFile& file) const {
  file.WriteU16(static_cast<uint16_t>(vehicleClass));
  file.WriteByte(count);
}

void KillRecordEntry::GetLine(GString& text) const {
  text.Clear();
  text.AppendNumber(count);
  text.AppendChar(' ');
  if (vehicleClass >= 0 && gVehicleClasses.IsValid(vehicleClass)) {
    const std::string name(gVehicleClasses[vehicleClass].ShortName());
    text.AppendCString(name.c_str());
  } else {
    text.AppendResource(kUnidentifiedText);
  }
  if (count > 1) text.AppendChar('s');
  text.AppendChar(' ');
  text.AppendResource(kDestroyedText);
}
