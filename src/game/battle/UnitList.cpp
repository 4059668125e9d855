#include "game/battle/UnitList.h"

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "game/units/Unit.h"
#include "game/units/records/UnitIds.h"

bool UnitList::ReadUnits(GFile& file, int32_t limit) {
  // The owns-members byte of a stored list is ignored: a unit list always owns its units.
  file.ReadByte();
  const uint32_t count = file.ReadU32();
  if (file.HasError()) return false;
  // Every unit record takes more than one byte.
  if (count > static_cast<uint32_t>(limit) || count > file.BytesLeft()) {
    GErrorLog::LogValue("Battle: unit count out of range", static_cast<int32_t>(count > 0x7FFFFFFFu ? -1 : count));
    file.SetError();
    return false;
  }
  for (uint32_t i = 0; i < count; ++i) {
    Unit* unit = ReadUnit(file);
    if (unit == nullptr) {
      file.SetError();
      return false;
    }
    Append(unit);
  }
  return !file.HasError();
}
