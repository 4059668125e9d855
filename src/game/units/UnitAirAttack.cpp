// What a unit is worth to a fighter-bomber looking for a target.
#include <algorithm>
#include <limits>

#include "game/units/Unit.h"

float Unit::GetAirAttackValue(int32_t attackKind) const {
  // Only what the pilots' side can see on the ground, able to fight or at least present.
  if (alive == 0 || status != 0 || HasSurrendered() || IsPassenger() || !IsIdentified()) return -1.0f;
  const int32_t k = std::clamp(attackKind, 0, 3);
  if (IsVehicle()) {
    // Armour is the prize for bombs, rockets and cannon; machine guns barely scratch it.
    static constexpr float kArmoured[4] = {30.0f, 35.0f, 25.0f, 4.0f};
    static constexpr float kSoft[4] = {22.0f, 22.0f, 20.0f, 16.0f};
    return IsArmored(false) ? kArmoured[k] : kSoft[k];
  }
  if (IsInfantry()) {
    // Men in the open: the more there are, the better the target, best for bombs and guns.
    static constexpr float kPerMan[4] = {2.0f, 1.4f, 1.2f, 2.0f};
    return static_cast<float>(GetMenPresent()) * kPerMan[k];
  }
  return -1.0f;
}

float Unit::gExplosionHeight = std::numeric_limits<float>::quiet_NaN();
