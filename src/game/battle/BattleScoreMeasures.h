#pragma once
#include <cstdint>

#include "game/battle/BattleUnitMeasures.h"

class Unit;

// The unit values the battle's scoring reads, as the units give them: a unit's weight in
// holding a victory flag, its exit points and the points its losses are worth. Every battle
// scores through one of these, in the program and headless alike.
class BattleScoreMeasures : public BattleUnitMeasures {
 public:
  float PresenceAtPoint(const Unit& unit, float x, float y, const uint8_t* nothingFound) const override;
  float PointValue(const Unit& unit, bool& exited, bool full) const override;
  float CasualtyValue(const Unit& unit) const override;
};
