#include "game/battle/AIGroup.h"

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "game/battle/BattleBase.h"
#include "game/units/Unit.h"
#include "game/units/records/UnitIds.h"

void AIGroup::Init() {
  GObjectGroup::Init();
  SetOwnsMembers(false);
  mode = kFree;
  pendingIds_.clear();
}

void AIGroup::Write(GFile& file) const {
  file.WriteU16(static_cast<uint16_t>(static_cast<int16_t>(mode)));
  file.WriteU32(static_cast<uint32_t>(Count()));
  for (int32_t i = 0; i < Count(); ++i) WriteUnitID(file, UnitAt(i));
}

void AIGroup::Read(GFile& file) {
  mode = static_cast<int16_t>(file.ReadU16());
  const uint32_t count = file.ReadU32();
  if (file.HasError()) return;
  if (count > file.BytesLeft() / 2) {
    GErrorLog::LogValue("AI group member count too large:", static_cast<int32_t>(count > 0x7FFFFFFFu ? -1 : count));
    file.SetError();
    return;
  }
  pendingIds_.clear();
  pendingIds_.reserve(count);
  for (uint32_t i = 0; i < count && !file.HasError(); ++i) pendingIds_.push_back(ReadObjectRef(file));
}

bool AIGroup::ResolveIds(const BattleBase& battle) {
  std::vector<Unit*> units(pendingIds_.size(), nullptr);
  for (size_t i = pendingIds_.size(); i-- > 0;) {
    units[i] = battle.UnitFromId(pendingIds_[i]);
    if (units[i] == nullptr) {
      GErrorLog::LogValue("AI group names no unit:", pendingIds_[i]);
      return false;
    }
  }
  for (Unit* unit : units) Append(unit);
  pendingIds_.clear();
  return true;
}

Unit* AIGroup::UnitAt(int32_t index) const { return static_cast<Unit*>(GetItem(index)); }

void AIGroup::UpdateCentre() {
  const int32_t n = Count();
  if (n == 0) return;
  float sumX = 0.0f;
  float sumY = 0.0f;
  for (int32_t i = 0; i < n; ++i) {
    sumX += UnitAt(i)->x;
    sumY += UnitAt(i)->y;
  }
  centreX = sumX / static_cast<float>(n);
  centreY = sumY / static_cast<float>(n);
}

Unit* AIGroup::GetReferenceUnit() const {
  const int32_t n = Count();
  for (int32_t i = 0; i < n; ++i) {
    Unit* unit = UnitAt(i);
    if (unit->IsAlive() && !unit->CanMove()) return unit;
  }
  return n > 0 ? UnitAt(n - 1) : nullptr;
}
