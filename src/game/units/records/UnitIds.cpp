#include "game/units/records/UnitIds.h"

#include <array>
#include <cstdio>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "game/map/MapBattleServices.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitServices.h"

namespace {

constexpr int32_t kMaxGroupUnitId = 9999;

int16_t BeyondScheme(const Unit* unit) {
  char line[80];
  std::snprintf(line, sizeof line, "WriteUnitID Error beyond the id scheme %s %d", unit->IsAxis() ? "Axis" : "Allied",
                static_cast<int>(unit->designation));
  GErrorLog::LogError(line);
  return -1;
}

}  // namespace

int16_t PackedUnitId(const Unit* unit) {
  if (unit == nullptr) return 0;
  if (MapBattleServices* battle = UnitBattle()) {
    const int32_t count = battle->GetUnitCount();
    for (int32_t i = 0; i < count; ++i) {
      if (battle->GetUnit(i) != static_cast<const MapUnitView*>(unit)) continue;
      // The 10,000th unit of the group and later would take the ids of waiting units.
      if (i + 1 > kMaxGroupUnitId) return BeyondScheme(unit);
      return static_cast<int16_t>(i + 1);
    }
    const int32_t waiting = battle->ReinforcementId(unit);
    if (waiting < 0) return BeyondScheme(unit);
    if (waiting != 0) return static_cast<int16_t>(waiting);
  }
  char line[64];
  std::snprintf(line, sizeof line, "WriteUnitID Error %s %d", unit->IsAxis() ? "Axis" : "Allied",
                static_cast<int>(unit->designation));
  GErrorLog::LogError(line);
  return 0;
}

void WriteUnitID(GFile& file, const Unit* unit) {
  const int16_t id = PackedUnitId(unit);
  if (id < 0) {
    // A wrong id would name another unit when read back: the writing is refused instead.
    file.SetError();
    file.WriteU16(0);
    return;
  }
  file.WriteU16(static_cast<uint16_t>(id));
}

int16_t ReadObjectRef(GFile& file) { return static_cast<int16_t>(file.ReadU16()); }

Unit* UnitFromId(int32_t id) { return UnitFromId(UnitBattle(), id); }

Unit* FindUnitByIdentity(MapBattleServices* battle, uint32_t key) {
  if (battle == nullptr || key == 0) return nullptr;
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    Unit* unit = UnitOfView(battle->GetUnit(i));
    if (unit != nullptr && unit->PackedIdentity() == key) return unit;
  }
  return nullptr;
}

Unit* UnitFromId(MapBattleServices* battle, int32_t id) {
  if (battle == nullptr || id <= 0) return nullptr;
  MapUnitView* view = nullptr;
  if (id < 10000) {
    if (id <= battle->GetUnitCount()) view = battle->GetUnit(id - 1);
  } else {
    view = battle->ReinforcementUnit(id);
  }
  return dynamic_cast<Unit*>(view);
}

Unit* ReadObjectRef(GFile& file, bool resolve) {
  const int16_t id = ReadObjectRef(file);
  return resolve ? UnitFromId(id) : nullptr;
}

namespace {
std::array<BlankUnitMaker, 4> gBlankMakers{};
}  // namespace

void RegisterBlankUnitMaker(int32_t kind, BlankUnitMaker maker) {
  if (kind < 0 || kind > 3) FatalError(__LINE__, "Unit.cpp");
  gBlankMakers[static_cast<size_t>(kind)] = maker;
}

Unit* ReadUnit(GFile& file) {
  const int32_t kind = file.ReadByte();
  if (file.HasError()) return nullptr;
  if (kind < 0 || kind > 3) {
    GErrorLog::LogValue("Unit.cpp: bad unit kind", kind);
    file.SetError();
    return nullptr;
  }
  BlankUnitMaker maker = gBlankMakers[static_cast<size_t>(kind)];
  if (maker == nullptr) FatalError(__LINE__, "Unit.cpp");
  Unit* unit = maker();
  unit->Read(file);
  if (file.HasError()) SafeDelete(unit);
  return unit;
}
