#include "game/battle/ReinforcementGroup.h"

#include <cmath>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "game/battle/BattleBase.h"

ReinforcementGroup::ReinforcementGroup() { units.SetOwnsMembers(false); }

ReinforcementGroup::~ReinforcementGroup() = default;

void ReinforcementGroup::Init(bool inOperation) {
  units.DeleteAll(false);
  units.SetOwnsMembers(false);
  arrivalTurn = inOperation ? 4 : 10;
  chance = 1.0f;
  entryX = 0.0f;
  entryY = 0.0f;
}

void ReinforcementGroup::SetUnits(GGroup& group) {
  DeleteUnits();
  units.AppendGroup(group);
}

void ReinforcementGroup::DeleteUnits() {
  units.SetOwnsMembers(true);
  units.DeleteAll(true);
  units.SetOwnsMembers(false);
}

void ReinforcementGroup::Write(GFile& file) const {
  file.WriteU32(static_cast<uint32_t>(arrivalTurn));
  file.WriteFloat(chance);
  file.WriteFloat(entryX);
  file.WriteFloat(entryY);
  units.Write(file);
  file.WriteByte(0);
}

void ReinforcementGroup::Read(GFile& file) {
  arrivalTurn = static_cast<int32_t>(file.ReadU32());
  chance = file.ReadFloat();
  entryX = file.ReadFloat();
  entryY = file.ReadFloat();
  if (!std::isfinite(chance) || !std::isfinite(entryX) || !std::isfinite(entryY)) {
    GErrorLog::LogError("Battle: reinforcement group values not finite");
    file.SetError();
    return;
  }
  if (!units.ReadUnits(file, BattleBase::kMaxGroupUnits)) {
    DeleteUnits();
    return;
  }
  const int32_t n = static_cast<uint8_t>(file.ReadByte());
  if (n > 0) file.Skip(n);
}
