// The unit's own estimates that target choice asks for: rate of fire, and the hit chance and
// expected miss of a round at a unit that is not (yet) its target. Nothing here draws from the
// game's generator.
#include <algorithm>

#include "game/units/Unit.h"

float Unit::GetRateOfFire() const { return 60.0f / (GetRateOfFireTime(0, 1) + GetAimTime(0, 1)); }

namespace {

// Makes the unit aim at another for one estimate and puts target and shot counter back.
class AsIfTarget {
 public:
  AsIfTarget(Unit& unit, Unit* other) : unit_(unit), target_(unit.target), counter_(unit.shotCounter) {
    unit.target = other;
    unit.shotCounter = std::max<int16_t>(unit.shotCounter, 3);
  }
  ~AsIfTarget() {
    unit_.target = target_;
    unit_.shotCounter = counter_;
  }
  AsIfTarget(const AsIfTarget&) = delete;
  AsIfTarget& operator=(const AsIfTarget&) = delete;

 private:
  Unit& unit_;
  Unit* target_;
  int16_t counter_;
};

}  // namespace

float Unit::HitChanceAgainst(int32_t kindUsed, int32_t flightTime, Unit* other, int32_t selector) {
  const AsIfTarget aim(*this, other);
  return HitChance(kindUsed, flightTime, other, selector, 0);
}

bool Unit::PredictImpact(Unit* other, int32_t flightTime, int32_t fireType, bool doubling, int32_t kindUsed,
                         float& dx, float& dy) {
  dx = 0.0f;
  dy = 0.0f;
  if (other == nullptr) return false;
  // The scatter of fire at or from an airplane knows only these fire types; any other has no
  // aimed round to predict.
  if (IsAirplane() && (fireType < 1 || fireType > 3)) return false;
  if (!IsAirplane() && other->IsAirplane() && fireType != 2 && fireType != 3) return false;
  const AsIfTarget aim(*this, other);
  ShotScatter(true, false, other, other->x, other->y, flightTime, fireType, doubling, kindUsed, dx, dy);
  return true;
}
