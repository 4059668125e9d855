#include <cmath>

#include "game/units/targeting/AITargeting.h"
#include "game/units/vehicle/Vehicle.h"

float Vehicle::WeaponEffect(Unit* other, int32_t ammoKind, bool threatMode, bool useExposure, bool applyMorale,
                            int32_t selector, int32_t viewMode) {
  return AITargeting::VehicleWeaponEffect(*this, other, ammoKind, threatMode, useExposure, applyMorale, selector,
                                          viewMode);
}

void Vehicle::AssessHit(int32_t viewMode, Unit* shooter, bool threatMode, float hitChance, bool hullDown,
                        float* armour, float* weight, float* ratio, int32_t& count, float calibre) {
  count = 0;
  if (shooter == nullptr) return;
  AITargeting::AssessVehicleHit(*this, viewMode, *shooter, threatMode, hitChance, hullDown || emplaced != 0, armour,
                                weight, ratio, count, calibre);
}

float Vehicle::GetTurretAngle() const {
  float a = std::fmod(facing + (HasTurret() ? turretOffset : 0.0f), 360.0f);
  if (a < 0.0f) a += 360.0f;
  return a;
}

Unit* Vehicle::NewTrialCopy() const {
  ++gTrialCopies;
  return new Vehicle(*this);
}
