#include "game/battle/VictoryFlag.h"

#include <cmath>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleUnitMeasures.h"
#include "game/units/Unit.h"

VictoryFlag::VictoryFlag() {
  x = 50.0f + RandomFloatTimes(100.0f);
  y = 50.0f + RandomFloatTimes(100.0f);
}

VictoryFlag::VictoryFlag(float px, float py, int32_t flagType) : x(px), y(py), type(flagType) {}

void VictoryFlag::Write(GFile& file) const {
  file.WriteFloat(x);
  file.WriteFloat(y);
  file.WriteByte(static_cast<uint8_t>(type));
  file.WriteByte(contested);
  file.WriteByte(static_cast<uint8_t>(holder));
  file.WriteByte(dynamic);
  file.WriteByte(chosen);
}

void VictoryFlag::Read(GFile& file) {
  x = file.ReadFloat();
  y = file.ReadFloat();
  type = file.ReadByte();
  contested = file.ReadByte() != 0 ? 1 : 0;
  holder = file.ReadByte();
  dynamic = file.ReadByte() != 0 ? 1 : 0;
  chosen = file.ReadByte() != 0 ? 1 : 0;
  if (!std::isfinite(x) || !std::isfinite(y)) {
    GErrorLog::LogError("Battle: victory flag position not finite");
    file.SetError();
  }
}

float VictoryFlag::GetPoints(const Battle& battle, bool forSide0, bool limitedView) const {
  if (dynamic != 0) {
    if ((battle.attacker == 0) == forSide0 || !limitedView) {
      return chosen != 0 ? static_cast<float>(battle.flagValue) : 0.0f;
    }
    const int32_t count = battle.flags.Count();
    return count > 0 ? static_cast<float>(battle.flagValue) / static_cast<float>(count) : 0.0f;
  }
  if (type == 1) return 300.0f;
  if (type == 0) return 100.0f;
  return 0.01f;
}

void VictoryFlag::UpdateHolder(const Battle& battle, bool onlyIdentified) {
  if (battle.endState[1] == 2) {
    contested = 0;
    holder = battle.GetSideNationality(1);
    return;
  }
  if (battle.endState[0] == 2) {
    contested = 0;
    holder = battle.GetSideNationality(0);
    return;
  }
  uint8_t nothingFound[2] = {0, 0};
  float axis = 0.0f;
  float allied = 0.0f;
  auto pass = [&]() {
    axis = 0.0f;
    allied = 0.0f;
    const int32_t count = battle.units.Count();
    for (int32_t i = 0; i < count; ++i) {
      const Unit* unit = static_cast<const Unit*>(battle.units.GetItem(i));
      // The viewer's own units always count; the other side's only as far as they are seen.
      if (onlyIdentified && unit->GetIdentificationLevel(false) == 0) continue;
      const float presence = battle.Measures().PresenceAtPoint(*unit, x, y, nothingFound);
      if (presence == 0.0f) continue;
      if (unit->IsAxis()) axis += presence;
      else allied += presence;
    }
  };
  pass();
  if (axis == 0.0f || allied == 0.0f) {
    // The side that found nothing looks wider on the second pass. Index 0 is the Axis side.
    nothingFound[1] = allied == 0.0f ? 1 : 0;
    nothingFound[0] = axis == 0.0f ? 1 : 0;
    pass();
  }
  if (axis > 30.0f && allied > 30.0f) {
    contested = 1;
  } else if (axis > 4.0f * allied) {
    contested = 0;
    holder = battle.GetSideNationality(1);
  } else if (allied > 4.0f * axis) {
    contested = 0;
    holder = battle.GetSideNationality(0);
  } else {
    contested = 1;
  }
}
