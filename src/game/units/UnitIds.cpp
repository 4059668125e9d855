#include "game/units/UnitIds.h"

#include <cstdio>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "game/map/MapBattleServices.h"
#include "game/units/Unit.h"
#include "game/units/UnitServices.h"

int16_t PackedUnitId(const Unit* unit) {
  if (unit == nullptr) return 0;
  if (MapBattleServices* battle = UnitBattle()) {
    const int32_t count = battle->GetUnitCount();
    for (int32_t i = 0; i < count; ++i) {
      if (battle->GetUnit(i) == static_cast<const MapUnitView*>(unit)) return static_cast<int16_t>(i + 1);
    }
    const int32_t waiting = battle->ReinforcementId(unit);
    if (waiting != 0) return static_cast<int16_t>(waiting);
  }
  char line[64];
  std::snprintf(line, sizeof line, "WriteUnitID Error %s %d", unit->IsAxis() ? "Axis" : "Allied",
                static_cast<int>(unit->designation));
  GErrorLog::LogError(line);
  return 0;
}

void WriteUnitID(GFile& file, const Unit* unit) { file.WriteU16(static_cast<uint16_t>(PackedUnitId(unit))); }

int16_t ReadObjectRef(GFile& file) { return static_cast<int16_t>(file.ReadU16()); }
