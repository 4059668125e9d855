#include <algorithm>
#include <cmath>

#include "game/units/targeting/FuzzyPriority.h"
#include "game/units/targeting/FuzzyRules.h"

void FuzzyPriority::FuzzifyTurning(GFuzzySet& set, float a, bool heavy, bool turret) {
  if (heavy && turret) {
    set.AddFallingMember(0, a, 40.0f, 130.0f);
    set.AddRisingMember(1, a, 40.0f, 130.0f);
  } else if (heavy) {
    set.AddFallingMember(0, a, 30.0f, 110.0f);
    set.AddRisingMember(2, a, 30.0f, 90.0f);
  } else if (turret) {
    set.AddFallingMember(0, a, 20.0f, 100.0f);
    set.AddRisingMember(1, a, 30.0f, 100.0f);
  } else {
    set.AddFallingMember(0, a, 0.0f, 110.0f);
    set.AddRisingMember(2, a, 20.0f, 90.0f);
  }
}

void FuzzyPriority::FuzzifyDuel(GFuzzySet& set, float b, float q) {
  GFuzzySet y;
  y.AddFallingMember(0, b, 25.0f, 45.0f);
  y.AddTriangleMember(1, b, 25.0f, 45.0f, 90.0f);
  y.AddRisingMember(2, b, 45.0f, 70.0f);
  GFuzzySet z;
  z.AddRisingMember(0, q, 90.0f, 170.0f);
  z.AddTriangleMember(1, q, 15.0f, 90.0f, 170.0f);
  z.AddFallingMember(2, q, 15.0f, 90.0f);
  y.Combine(FuzzyRules::R8, z, set);
}

void FuzzyPriority::FuzzifyBearTime(GFuzzySet& set, float r, bool targetsChooser) {
  const float h = targetsChooser ? 14.0f : 8.0f;
  set.AddFallingMember(0, r, 0.0f, h);
  set.AddTriangleMember(1, r, 0.0f, h, 25.0f);
  set.AddRisingMember(2, r, h, 25.0f);
}

void FuzzyPriority::FuzzifyTurretArc(GFuzzySet& set, float a, bool moving) {
  if (!moving) {
    set.AddFallingMember(0, a, 0.0f, 80.0f);
    set.AddTriangleMember(1, a, 50.0f, 80.0f, 180.0f);
    set.AddRisingMember(2, a, 80.0f, 180.0f);
  } else {
    set.AddFallingMember(0, a, 0.0f, 30.0f);
    set.AddRisingMember(2, a, 30.0f, 100.0f);
  }
}

void FuzzyPriority::FuzzifyHullArc(GFuzzySet& set, float a, float limit) {
  limit = std::max(std::fabs(limit), 0.001f);
  set.AddFallingMember(0, a, 0.0f, limit);
  // A limit near 180 degrees leaves no room to rise: the far member is then left out.
  if (limit - 0.1f < 180.0f) set.AddRisingMember(2, a, limit - 0.1f, 180.0f);
}

void FuzzyPriority::CombineThreat(const GFuzzySet& effect, float d, bool smoke, const GFuzzySet& victimValue,
                                  GFuzzySet& threat) {
  GFuzzySet w = effect;
  if (!smoke) {
    GFuzzySet x;
    x.AddFallingMember(0, d, 10.0f, 60.0f);
    x.AddRisingMember(1, d, 10.0f, 60.0f);
    w.Combine(FuzzyRules::R2, x, w);
  }
  w.Combine(FuzzyRules::R1, victimValue, threat);
}
