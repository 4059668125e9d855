#include "game/units/targeting/FuzzyPriority.h"

#include <algorithm>
#include <cmath>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "game/units/targeting/FuzzyRules.h"

bool FuzzyPriority::gEmptyLogged = false;

void FuzzyPriority::FuzzifyEffect(GFuzzySet& set, float x) {
  set.AddFallingMember(0, x, 0.0f, 0.05f);
  set.AddTriangleMember(1, x, 0.0f, 0.05f, 0.25f);
  set.AddTriangleMember(2, x, 0.05f, 0.25f, 2.0f);
  set.AddRisingMember(3, x, 0.25f, 1.95f);
}

void FuzzyPriority::FuzzifyValue(GFuzzySet& set, float x, bool boost) {
  if (boost) x *= 2.5f;
  set.AddFallingMember(0, x, 3.0f, 50.0f);
  set.AddTriangleMember(1, x, 3.0f, 50.0f, 200.0f);
  set.AddRisingMember(2, x, 50.0f, 120.0f);
}

float FuzzyPriority::TargetValueInput(int32_t mode, bool knownWell, float purchaseCost, int32_t unitKind,
                                      bool infantryGun, int32_t genericClass) {
  if (mode != 0 && mode != 1) FatalError(__LINE__, "AITargeting");
  if (mode == 0 || knownWell) return purchaseCost;
  if (unitKind == 0) return infantryGun ? 80.0f : 30.0f;
  if (unitKind != 1) return 30.0f;
  switch (genericClass) {
    case 222:
      return 150.0f;
    case 223:
      return 40.0f;
    case 224:
      return 90.0f;
    case 225:
      return 175.0f;
    default:
      FatalError(__LINE__, "AITargeting");
  }
}

FuzzyPriority::SupplyBreakpoints FuzzyPriority::SupplyBreakpointsFor(const SupplyCase& c) {
  SupplyBreakpoints p;
  auto& b = p.b;
  auto set4 = [&b](float b1, float b2, float b3, float b4) {
    b[1] = b1;
    b[2] = b2;
    b[3] = b3;
    b[4] = b4;
  };
  const bool gunKind = !c.machineGunMode && c.kind != 6 && !(c.infantry && !c.hasMainWeapon);
  if (!c.machineGunMode && c.hasMainWeapon && c.mainWeaponType == 6) {
    set4(-2.0f, -1.0f, 0.0f, 1.0f);
  } else if (gunKind) {
    switch (c.kind) {
      case 0: {
        const float r = std::max(c.rateOfFire, 0.25f);
        const float s = std::sqrt(r * 0.166667f);
        set4(5.0f * s, 12.0f * s, 25.0f * s, 50.0f * s);
        break;
      }
      case 3:
        if (c.targetArmouredVehicle) {
          set4(1.0f, 3.0f, 5.0f, 10.0f);
        } else {
          b[0] = 2.0f;
          // The full load plus one, halved toward zero, at most 4.
          const int32_t h = (static_cast<int16_t>(c.fullLoad) + 1) / 2;
          set4(std::min(static_cast<float>(h), 4.0f), 7.0f, 20.0f, 2000.0f);
        }
        break;
      case 4:
        set4(-1.0f, 1.0f, 3.0f, 8.0f);
        break;
      case 1:
      case 2:
        if (!c.targetArmouredVehicle) {
          b[0] = 15.0f;
          set4(25.0f, 30.0f, 50.0f, 99.0f);
        } else if (c.kind == 2) {
          set4(0.0f, 1.0f, 4.0f, 20.0f);
        } else {
          set4(2.0f, 8.0f, 20.0f, 35.0f);
        }
        break;
      default:
        set4(4.0f, 15.0f, 30.0f, 50.0f);
        break;
    }
  } else if (c.infantry && c.squad) {
    set4(10.0f, 25.0f, 40.0f, 999.0f);
  } else {
    set4(4.0f, 15.0f, 30.0f, 50.0f);
  }
  if (c.vehicleCannotMove) {
    for (int i = 1; i <= 3; ++i) b[i] *= 0.5f;
    if (b[0] > 0.0f) b[0] *= 0.5f;
  } else if (c.infantry) {
    const float share = std::max(c.menShare, 0.01f);
    for (int i = 1; i <= 3; ++i) b[i] *= share;
    if (b[0] > 0.0f) b[0] *= share;
  }
  const float rest = std::max(c.battleShare, 0.01f);
  for (int i = 1; i <= 4; ++i) b[i] *= rest;
  b[0] = std::min(b[0], 0.99f * b[1]);
  return p;
}

void FuzzyPriority::FuzzifySupply(GFuzzySet& set, float count, const SupplyBreakpoints& points) {
  const auto& b = points.b;
  if (b[0] <= 0.0f) {
    set.AddFallingMember(1, count, b[1], b[2]);
  } else {
    set.AddFallingMember(0, count, b[0], b[1]);
    set.AddTriangleMember(1, count, b[0], b[1], b[2]);
  }
  set.AddTriangleMember(2, count, b[1], b[2], b[3]);
  set.AddTriangleMember(3, count, b[2], b[3], b[4]);
  set.AddRisingMember(4, count, b[3], b[4]);
}

void FuzzyPriority::FireBreakpoints(bool armoured, bool infantry, int32_t morale, float& p1, float& p2) {
  if (armoured) {
    p1 = 3.0f;
    p2 = 5.0f;
  } else if (!infantry) {
    p1 = 0.3f;
    p2 = 1.2f;
  } else if (morale < 60) {
    p1 = 0.3f;
    p2 = 2.0f;
  } else if (morale < 100) {
    p1 = 0.25f;
    p2 = 1.5f;
  } else {
    p1 = 0.2f;
    p2 = 1.2f;
  }
}

void FuzzyPriority::FuzzifyFireOnTarget(GFuzzySet& set, float sum, float p1, float p2) {
  set.AddFallingMember(0, sum, 0.0f, p1);
  set.AddTriangleMember(1, sum, 0.0f, p1, p2);
  set.AddRisingMember(2, sum, p1, p2);
}

void FuzzyPriority::FuzzifyNearness(GFuzzySet& set, float d, float r1, float r2) {
  set.AddFallingMember(0, d, 0.0f, r1);
  set.AddTriangleMember(1, d, r1 * 0.5f, r1, r2);
  set.AddRisingMember(2, d, r1, r2);
}

float FuzzyPriority::Result(const GFuzzySet& set) {
  static constexpr float kValues[9] = {0.0f, 0.125f, 0.25f, 0.375f, 0.5f, 0.625f, 0.75f, 0.875f, 1.0f};
  if (!(set.TotalDegree() > 0.0f)) {
    if (!gEmptyLogged) {
      gEmptyLogged = true;
      GErrorLog::LogError("Target priority: an empty final set counts as priority 0");
    }
    return 0.0f;
  }
  for (int16_t i = 0; i < set.GetCount(); ++i) {
    const int8_t id = set.GetMemberId(i);
    if (id < 0 || id > 8) FatalError(__LINE__, "AITargeting");
  }
  return set.Defuzzify(kValues);
}

float FuzzyPriority::ResultNear(const GFuzzySet& priority, float d, bool noMainWeaponAgainstArmour) {
  const float r1 = noMainWeaponAgainstArmour ? 25.0f : 30.0f;
  const float r2 = noMainWeaponAgainstArmour ? 40.0f : 75.0f;
  GFuzzySet near;
  FuzzifyNearness(near, d, r1, r2);
  GFuzzySet m;
  priority.Combine(FuzzyRules::R14, near, m);
  return Result(m);
}

void FuzzyPriority::AirplaneThreat(GFuzzySet& set) {
  set = GFuzzySet();
  set.SetMember(3, 1.0f, 0);
}
