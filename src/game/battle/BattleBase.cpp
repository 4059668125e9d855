#include "game/battle/BattleBase.h"

#include <cstring>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/map/Map.h"
#include "game/map/SightUnitList.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitServices.h"

namespace {

// Refuses the stream: one log line naming the check, the file's error flag raised.
bool Refuse(GFile& file, const char* what, int32_t value) {
  GErrorLog::LogValue(what, value);
  file.SetError();
  return false;
}

}  // namespace

BattleBase::BattleBase(MapAppServices& app) : app_(&app) {
  for (GObjectGroup& list : reinforcements) list.IObjectGroup();
}

BattleBase::~BattleBase() { ReleaseMembers(); }

void BattleBase::ReleaseMembers() {
  SafeDelete(map);
  units.SetOwnsMembers(true);
  units.DeleteAll(true);
  for (GObjectGroup& list : reinforcements) {
    for (int32_t i = 0; i < list.Count(); ++i) static_cast<ReinforcementGroup*>(list.GetItem(i))->DeleteUnits();
    list.DeleteAll(true);
    list.SetOwnsMembers(true);
  }
}

void BattleBase::InitMembers() {
  ReleaseMembers();
  baseFlag = 1;
  computerBonus = 0;
  fanaticism[0] = fanaticism[1] = 0;
  sideOnMap[0] = sideOnMap[1] = 0;
  for (int32_t i = 0; i < 3; ++i) pointersA[i] = pointersB[i] = nullptr;
}

Unit* BattleBase::UnitAt(int32_t index) const { return static_cast<Unit*>(units.GetItem(index)); }

MapUnitView* BattleBase::GetUnit(int32_t index) const { return UnitAt(index); }

void BattleBase::CollectSightVehicles(SightUnitList& list, float minX, float minY, float maxX, float maxY) const {
  const GObject* const* items = units.Items();
  const size_t n = static_cast<size_t>(units.Count());
  SightVehicles& seen = sightVehicles_;
  // A unit's kind is fixed when it is made, so the same members give the same vehicles (the
  // kind is asked again below all the same: it is a field of the unit read with its place).
  if (seen.members.size() != n || (n > 0 && std::memcmp(seen.members.data(), items, n * sizeof(GObject*)) != 0)) {
    seen.members.assign(items, items + n);
    seen.vehicles.clear();
    for (const GObject* member : seen.members) {
      const auto* unit = static_cast<const Unit*>(member);
      if (unit != nullptr && unit->GetUnitKind() == MapUnitView::kVehicle) seen.vehicles.push_back(unit);
    }
    ++seen.listings;
  }
  for (const Unit* unit : seen.vehicles) {
    if (unit->GetUnitKind() != MapUnitView::kVehicle || !unit->BlocksSight()) continue;
    if (unit->x >= minX && unit->x <= maxX && unit->y >= minY && unit->y <= maxY) list.Append(unit);
  }
}

ReinforcementGroup* BattleBase::GroupAt(int32_t side, int32_t index) const {
  return static_cast<ReinforcementGroup*>(reinforcements[side & 1].GetItem(index));
}

Unit* BattleBase::UnitFromId(int32_t id) const {
  if (id <= 0) return nullptr;
  if (id < 10000) return id <= units.Count() ? UnitAt(id - 1) : nullptr;
  const int32_t side = id / 10000 - 1;
  if (side > 1) return nullptr;
  const int32_t group = (id - (side + 1) * 10000) / kMaxGroupUnits;
  const int32_t index = id % kMaxGroupUnits;
  if (group >= reinforcements[side].Count()) return nullptr;
  const ReinforcementGroup* g = GroupAt(side, group);
  return index < g->units.Count() ? static_cast<Unit*>(g->units.GetItem(index)) : nullptr;
}

MapUnitView* BattleBase::ReinforcementUnit(int32_t id) const { return id >= 10000 ? UnitFromId(id) : nullptr; }

int32_t BattleBase::ReinforcementId(const MapUnitView* unit) const {
  for (int32_t side = 0; side < 2; ++side) {
    const int32_t groups = reinforcements[side].Count();
    for (int32_t g = 0; g < groups; ++g) {
      const ReinforcementGroup* group = GroupAt(side, g);
      for (int32_t i = 0; i < group->units.Count(); ++i) {
        if (static_cast<const MapUnitView*>(static_cast<Unit*>(group->units.GetItem(i))) != unit) continue;
        if (g >= kMaxGroups || i >= kMaxGroupUnits) return -1;
        return (side + 1) * 10000 + g * kMaxGroupUnits + i;
      }
    }
  }
  return 0;
}

void BattleBase::Write(GFile& file) const {
  file.WriteByte(static_cast<uint8_t>(groundCondition));
  file.WriteByte(static_cast<uint8_t>(lastTurn));
  file.WriteByte(static_cast<uint8_t>(currentTurn));
  file.WriteByte(static_cast<uint8_t>(attacker));
  file.WriteU16(static_cast<uint16_t>(date));
  file.WriteFloat(0.0f);
  file.WriteFloat(0.0f);
  file.WriteByte(2);
  file.WriteByte(1);
  units.Write(file);
  const bool base = baseFlag != 0 && IsEditorOpen();
  file.WriteByte(static_cast<uint8_t>(((computerBonus & 3) << 3) | (sideOnMap[1] != 0 ? 4 : 0) |
                                      (sideOnMap[0] != 0 ? 2 : 0) | (base ? 1 : 0)));
  for (int32_t side = 1; side >= 0; --side) {
    file.WriteByte(1);
    reinforcements[side].Write(file);
    file.WriteByte(static_cast<uint8_t>(fanaticism[side]));
  }
  file.WriteByte(1);
  if (map == nullptr) FatalError(__LINE__, "Battle");
  map->Write(file);
}

bool BattleBase::ReadBase(GFile& file) {
  groundCondition = file.ReadByte();
  lastTurn = file.ReadByte();
  currentTurn = file.ReadByte();
  attacker = file.ReadByte();
  date = file.ReadU16();
  file.ReadFloat();
  file.ReadFloat();
  file.ReadByte();
  const int32_t unitsMarker = file.ReadByte();
  if (file.HasError()) return false;
  if (date < kFirstDate || date > kLastDate) return Refuse(file, "Battle: date out of range", date);
  if (groundCondition < 0 || groundCondition > 8) return Refuse(file, "Battle: ground condition out of range", groundCondition);
  if (lastTurn < 1) return Refuse(file, "Battle: last turn below 1", lastTurn);
  if (currentTurn < 1) return Refuse(file, "Battle: current turn below 1", currentTurn);
  if (attacker < 0 || attacker > 2) return Refuse(file, "Battle: attacker out of range", attacker);
  if (unitsMarker == 0) return Refuse(file, "Battle: no marker before the units", 0);
  if (!units.ReadUnits(file, kMaxMapUnits)) return false;
  units.SetOwnsMembers(true);
  const auto packed = static_cast<uint8_t>(file.ReadByte());
  computerBonus = (packed >> 3) & 3;
  sideOnMap[1] = (packed >> 2) & 1;
  sideOnMap[0] = (packed >> 1) & 1;
  baseFlag = packed & 1;
  for (int32_t side = 1; side >= 0; --side) {
    if (file.ReadByte() == 0) return Refuse(file, "Battle: no marker before a side's reinforcements", side);
    reinforcements[side].Read(file);
    reinforcements[side].SetOwnsMembers(true);
    const uint32_t count = file.ReadU32();
    if (file.HasError()) return false;
    if (count > static_cast<uint32_t>(kMaxGroups) || count > file.BytesLeft()) {
      return Refuse(file, "Battle: reinforcement group count out of range", static_cast<int32_t>(count & 0x7FFFFFFF));
    }
    for (uint32_t i = 0; i < count; ++i) {
      auto* group = new ReinforcementGroup();
      reinforcements[side].Append(group);
      group->Read(file);
      if (file.HasError()) return false;
    }
    fanaticism[side] = file.ReadByte();
    if (file.HasError()) return false;
    if (fanaticism[side] < 0 || fanaticism[side] > 4) return Refuse(file, "Battle: fanaticism out of range", fanaticism[side]);
  }
  if (file.ReadByte() == 0) return Refuse(file, "Battle: no marker before the map", 0);
  if (file.HasError()) return false;
  map = new Map(*app_);
  if (!map->Read(&file) || file.HasError()) {
    file.SetError();
    return false;
  }
  // Stored ids become references once every unit exists.
  bool ok = true;
  for (int32_t i = 0; i < units.Count(); ++i) ok = UnitAt(i)->RemapReferences(this) && ok;
  for (int32_t side = 0; side < 2; ++side) {
    for (int32_t g = 0; g < reinforcements[side].Count(); ++g) {
      const ReinforcementGroup* group = GroupAt(side, g);
      for (int32_t i = 0; i < group->units.Count(); ++i) {
        ok = static_cast<Unit*>(group->units.GetItem(i))->RemapReferences(this) && ok;
      }
    }
  }
  if (!ok) return Refuse(file, "Battle: a unit refers to a unit that does not exist", 0);
  return true;
}
