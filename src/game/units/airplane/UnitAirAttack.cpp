// What a unit is worth to a fighter-bomber looking for a target.
#include <limits>

#include "game/units/Unit.h"

float Unit::GetAirAttackValue(int32_t /*attackKind*/) { return GetTargetValue(); }

float Unit::gExplosionHeight = std::numeric_limits<float>::quiet_NaN();
