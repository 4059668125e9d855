#include "game/battle/BattleScoreMeasures.h"

#include "game/units/Unit.h"

float BattleScoreMeasures::PresenceAtPoint(const Unit& unit, float x, float y, const uint8_t* nothingFound) const {
  return unit.FlagInfluenceAt(x, y, nothingFound);
}

float BattleScoreMeasures::PointValue(const Unit& unit, bool& exited, bool /*full*/) const {
  // The score asks both ways; the unit's value is the same.
  return unit.GetPointValue(exited);
}

float BattleScoreMeasures::CasualtyValue(const Unit& unit) const { return unit.GetCasualtyValue(); }
