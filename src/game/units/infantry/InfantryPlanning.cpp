#include "game/units/infantry/Infantry.h"

float Infantry::GetFireFactor(float distance) const {
  if (!IsSquad()) return 1.0f;
  if (distance <= 200.0f) return 1.0f;
  if (distance >= 400.0f) return 0.0f;
  return 2.0f - distance * 0.005f;
}

Unit* Infantry::NewTrialCopy() const {
  auto* copy = new Infantry(*this);
  copy->activityState = kStationary;
  ++gTrialCopies;
  return copy;
}
