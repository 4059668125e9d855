#pragma once
#include <cstdint>

class Unit;

// The unit result values the battle's scoring reads: a unit's presence at a point (for the
// holder of a victory flag), its point value (for exit scoring) and its casualty value. The
// battle's own answers are BattleScoreMeasures, from the unit classes.
class BattleUnitMeasures {
 public:
  virtual ~BattleUnitMeasures() = default;

  // 0 when the unit does not count at (x, y), else a positive amount. nothingFound holds, per
  // side index, whether that side found nothing on the first pass (its search then widens).
  virtual float PresenceAtPoint(const Unit& unit, float x, float y, const uint8_t* nothingFound) const = 0;
  // The unit's exit point value; exited tells whether it has left the map.
  virtual float PointValue(const Unit& unit, bool& exited, bool full) const = 0;
  // The casualty points the unit's losses are worth to the other side.
  virtual float CasualtyValue(const Unit& unit) const = 0;
};
