#include <algorithm>

#include "game/units/targeting/AITargeting.h"

float AITargeting::ApplyBonuses(float value, const BonusCase& c) {
  if (c.absentOrderedFlag && c.isCurrentTarget && !c.machineGunMode) {
    value = std::min(value, 0.5f);
  } else if (c.isCurrentTarget && !c.machineGunMode) {
    if (c.isOrderedTarget) {
      value *= 2.0f;
    } else if (!c.hasOrderedTarget) {
      value *= c.mainUsable ? 1.15f + 0.1f * static_cast<float>(c.shotCounter) : 1.25f;
    } else {
      value *= c.mainUsable ? 1.1f + 0.06f * static_cast<float>(c.shotCounter) : 1.1f;
    }
  } else if (c.candidateHidden) {
    value *= 0.5f;
  }
  if (c.isOrderedTarget && value > 0.0f && value < 0.4f) value = 0.4f;
  return value;
}

float AITargeting::AcceptanceThreshold(const ThresholdCase& c, bool& ignored) {
  ignored = false;
  if (c.isOrderedTarget && !c.areaFire && !c.holding) return 0.02f;
  float t = 0.0f;
  if (c.areaFire) {
    t = c.smokeFire ? 0.35f : 0.75f;
  } else if (c.machineGunMode || c.useMachineGun) {
    t = 0.04f;
  } else {
    t = c.mainUsable ? (c.mainCalibre < 41.0f ? 0.17f : 0.27f) : 0.08f;
    t = std::max(t, 0.08f);
    if (c.hasOrderedTarget && !c.isOrderedTarget) t = std::max(t, 0.5f);
  }
  if (c.kind == 4) t = std::max(t, 0.12f);
  if (c.armouredDuel) t = std::max(t, 0.45f);
  if (c.vehicleInDuel) t = std::max(t, 0.17f);
  if (c.chooserIdentification <= 1) {
    if (c.chooserInfantry) {
      t = std::max(t, c.mainWeaponType == 1 ? 0.65f : 0.4f);
    } else {
      t = std::max(t, 0.35f);
    }
  }
  if (c.holding) {
    if (c.underFire) {
      t = std::min(t, 0.375f);
    } else {
      t = std::max(t, c.comradesEngaged ? 0.5f : 0.7f);
      if (c.distance > (c.comradesEngaged ? 100.0f : 50.0f)) ignored = true;
    }
  }
  return t;
}

float AITargeting::ApplyFactors(float value, const FactorCase& c) {
  if (c.movingGunVsSoftTarget) value *= 0.4f;
  if (c.candidateInfantry && c.distance > 60.0f) {
    if (c.aboard) {
      value *= 0.5f;
    } else if (c.squad && c.menRatio < 0.75f) {
      value *= c.menRatio * 1.3333f;
    }
    if (c.kind == 4) {
      if (c.candidateBand >= 5) {
        value = 0.0f;
      } else if (c.candidateBand == 4) {
        value *= 0.35f;
      }
    }
  } else if (c.candidateBoat && !c.onWater) {
    value *= 0.5f;
  }
  return value;
}
