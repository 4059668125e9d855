#include "game/units/fire/WeaponFormulas.h"

#include <cmath>
#include <string>

#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "game/map/Map.h"
#include "game/units/tables/DataFlags.h"
#include "game/units/tables/Hack.h"

namespace {

constexpr const char* kSource = "Unit.cpp";

WeaponData Weapon(int32_t index) {
  if (!gWeapons.IsValid(index)) FatalError(9101, kSource);
  return gWeapons[index];
}

void CheckKind(int32_t kind, int32_t highest) {
  if (kind < 0 || kind > highest) FatalError(9108, kSource);
}

// value x (a + b R) with a fresh R when the call varies.
float Varied(float value, bool vary, float a, float b) { return vary ? value * (a + b * RandomFloat()) : value; }

float ExplosivePenetration(const WeaponData& w, float factor) {
  return std::sqrt(w.ExplosiveFraction() * w.Mass(0)) * factor;
}

}  // namespace

float StrikingVelocity(int32_t weapon, int32_t kind, float range, float* velocity, int32_t* steps) {
  const WeaponData w = Weapon(weapon);
  CheckKind(kind, 3);
  const int32_t type = w.Type();
  const float m = w.Mass(kind);
  float v = w.Velocity(kind);
  if (type < 1 || type > 3 || !(m > 0.0f) || !(v > 0.0f)) FatalError(9125, kSource);
  float d = w.Calibre();
  if (kind == 2 && w.SubCalibre() != 0) d = d * 0.571f;
  float k = 4e-7f;
  if (kind == 2) {
    k = 4.6e-7f;
  } else if (kind == 1 && (w.ShotType() == 0 || w.ShotType() == 1)) {
    k = 6.3e-7f;
  }
  const float drag = 0.01f * d * d / m * k;
  const float distance = range * 100.0f;
  // The flight is stepped 100 times a second, and an estimate asks the same round at the same
  // range for every location it weighs: the last flight is kept, by the numbers it depends on
  // alone. It draws nothing, so keeping it changes no result.
  struct Flight {
    float drag = -1.0f;
    float v0 = -1.0f;
    float distance = -1.0f;
    float t = 0.0f;
    float v = 0.0f;
    int32_t n = 0;
  };
  thread_local Flight last;
  if (last.drag == drag && last.v0 == v && last.distance == distance) {
    if (velocity != nullptr) *velocity = last.v;
    if (steps != nullptr) *steps = last.n;
    return last.t;
  }
  const float v0 = v;
  float t = 0.0f;
  float s = 0.0f;
  int32_t n = 0;
  while (t < 999.0f && s < distance) {
    t += 0.01f;
    s += v;
    v -= drag * v * v;
    ++n;
    // A round with no speed left goes no further.
    if (v <= 0.0f) {
      v = 0.0f;
      break;
    }
  }
  last = Flight{drag, v0, distance, t, v, n};
  if (velocity != nullptr) *velocity = v;
  if (steps != nullptr) *steps = n;
  return t;
}

float WeaponPenetration(bool vary, float range, int32_t weapon, int32_t kind, bool faceHardened, int32_t hardness,
                        float ratio, bool* shattered) {
  if (shattered != nullptr) *shattered = false;
  if (weapon == 97 || weapon == 99) return 9999.0f;
  const WeaponData w = Weapon(weapon);
  CheckKind(kind, 3);
  const int32_t type = w.Type();
  if (type == 2 || type == 3 || (type == 1 && weapon != 101)) {
    if (kind == 3) {
      if (w.ShotType() != WeaponData::kShotHollowCharge) {
        GKernel::LogError((std::string("Weapon failing HEAT = ") + " " + std::to_string(weapon)).c_str());
        FatalError(9165, kSource);
      }
      const float pen = w.HollowChargePenetration();
      if (!(pen > 0.0f)) FatalError(9169, kSource);
      return Varied(pen, vary, 0.85f, 0.3f);
    }
    if (type == 1) FatalError(9173, kSource);
    float striking = 0.0f;
    StrikingVelocity(weapon, kind, range, &striking);
    const float V = striking * 3.28f;
    const float m = w.Mass(kind);
    float d;
    float F;
    if (kind == 2) {
      d = w.Calibre() * 0.571f;
      F = w.SubCalibre() != 0 ? 22.4f : 21.4f;
    } else {
      d = w.Calibre();
      F = (!faceHardened && w.ShotType() == 0) ? 21.6f : 19.6f;
    }
    d = d / 25.4f;
    if (hardness <= 80 || hardness >= 550) FatalError(9188, kSource);
    float B = static_cast<float>(hardness > 450 ? 450 : hardness);
    float Q = 531.1f - 160.0f * std::log10(d) - B;
    if (Q < 10.0f) {
      B = B - (10.0f - Q);
      Q = 10.0f;
    }
    const float P = (17.2f - 1240.0f / Q) / std::sqrt(B);
    const float S = std::sqrt(m * V * V / (B * 1632.0f * d * d * d));
    float pen = F * d * (S - P);
    if (pen < 0.0f) pen = 0.0f;
    if (kind == 1) {
      const int32_t code = w.ShotType();
      bool shatter = false;
      float divisor = 1.14f;
      if (code == 4 || code == 3 || code == 1) {
        shatter = ratio >= 1.08f && V >= 2000.0f;
        // Capped shot breaks up only now and then: one draw whether or not the call varies.
        if (shatter && (code == 4 || code == 1)) {
          const float R = RandomFloat();
          shatter = R >= 0.9f && vary;
        }
      } else if (code == 2 || code == 0) {
        if (faceHardened) {
          shatter = ratio >= 0.5f && V >= 1475.0f;
          divisor = 1.35f;
        } else {
          shatter = ratio >= 0.8f && V >= 1620.0f;
          divisor = 1.22f;
        }
      } else {
        FatalError(9222, kSource);
      }
      if (shatter) {
        pen = pen / divisor;
        if (shattered != nullptr) *shattered = true;
      }
      return Varied(pen, vary, 0.95f, 0.1f);
    }
    if (kind == 0) {
      float e;
      if (pen < 71.5f) {
        e = 1.2f;
      } else if (pen > 150.0f) {
        e = 1.11f;
      } else {
        e = 1.282f - 0.001147f * pen;
      }
      pen = ExplosivePenetration(w, 13.8f) + std::pow(pen, e) * 0.205f;
      return Varied(pen, vary, 0.85f, 0.3f);
    }
    return Varied(pen, vary, 0.95f, 0.1f);
  }
  if (type == 5 || type == 8 || weapon == 101) return Varied(ExplosivePenetration(w, 9.75f), vary, 0.85f, 0.3f);
  if (type == 4) return kind == 0 ? Varied(ExplosivePenetration(w, 11.3f), vary, 0.85f, 0.3f) : 0.01f;
  // No other type is ever asked: it defeats nothing.
  return 0.0f;
}

float SpecialWeaponPenetration(int32_t mode, float range, bool faceHardened, int32_t hardness, float ratio,
                               bool* shattered) {
  if (shattered != nullptr) *shattered = false;
  if (mode == 0) return 0.1f;
  const float pen = WeaponPenetration(true, range, mode == 2 ? 95 : 94, 1, faceHardened, hardness, ratio, shattered);
  return pen < 0.1f ? 0.1f : pen;
}

float WeaponFragmentValue(int32_t weapon, int32_t kind) {
  const WeaponData w = Weapon(weapon);
  CheckKind(kind, 3);
  const float fraction = w.ExplosiveFraction();
  if (fraction > 0.301f) FatalError(9270, kSource);
  float v = std::pow((1.0f - 1.6f * fraction) * w.Mass(kind), 0.8f) * 12.0f;
  if (w.Type() == 3) v = v * 4.0f;
  if (w.Count() > 1) v = v * static_cast<float>(w.Count());
  if (kind == 1) v = v * 0.3f;
  if (kind == 2) v = v * 0.15f;
  if (kind == 3) v = v * 0.75f;
  return v;
}

float WeaponBlastValue(int32_t weapon, int32_t kind) {
  const WeaponData w = Weapon(weapon);
  CheckKind(kind, 4);
  float v;
  if (kind == 4) {
    // The charge value is the float of kind 4's mass field.
    v = std::pow(w.ChargeValue(), 0.45f) * 1.8f / 1.8f;
  } else {
    v = std::pow(w.ExplosiveFraction() * w.Mass(kind), 0.3f) * 21.0f;
    if (kind == 1) v = v * 0.25f;
    if (kind == 2) v = v * 0.1f;
    if (kind == 3) v = v * 0.75f;
  }
  if (w.Type() == 3) v = v * 1.5f;
  return v;
}

int32_t WeaponHEValue(int32_t weapon, bool flag) {
  const WeaponData w = Weapon(weapon);
  float f = 0.0f;
  if (w.Type() == 7) {
    f = 0.0f;
  } else if (w.Type() == 6) {
    f = w.Calibre() * 200.0f;
  } else {
    int32_t kind = 0;
    if (w.MixPercent(0, 0) + w.MixPercent(0, 1) < 100) f = WeaponFragmentValue(weapon, 0);
    if (f == 0.0f) {
      kind = 3;
      f = WeaponFragmentValue(weapon, 3);
    }
    if (f == 0.0f) {
      kind = 1;
      f = WeaponFragmentValue(weapon, 1);
    }
    if (f == 0.0f) FatalError(9322, kSource);
    const float b = WeaponBlastValue(weapon, kind);
    float R = w.Calibre() * 0.04947f + 1.0f;
    if (w.Type() == 5 && !flag) {
      R = R + 2.0f;
      if (R > 8.0f) R = 8.0f;
    } else if (R > 5.5f) {
      R = 5.5f;
    }
    ScaleByRangeFalloff(&f, R, b);
    f = f * 0.75f;
  }
  return static_cast<int32_t>(f + 0.5f);
}

float KillChance(float a, float b) { return (1.0f - b) * (0.849f * a * a - 0.0514f * a + 0.1f); }

float RangeFalloff(float distance) { return distance < 200.0f ? 1.0f - 0.005f * distance : 0.0f; }

void CapArmourForWeaponType(int32_t code, int32_t mode, float* value) {
  if (code != 2 && code != 3 && code != 8) return;
  if (mode == 0 && *value > 80.0f) *value = 80.0f;
  if (mode == 3 && *value > 300.0f) *value = 300.0f;
}

float SmallArmsFirepowerAt(const SmallArmsData& entry, float range, int32_t mode) {
  const int32_t armourClass = entry.AntiArmourClass();
  if (mode != 0 && armourClass == 0) return 0.0f;
  if (range >= static_cast<float>(entry.MaxRange()) || range >= 1800.0f) return 0.0f;
  float f;
  if (range <= 40.0f) {
    f = entry.Firepower(0);
  } else {
    int32_t i = 1;
    while (i < SmallArmsData::kRangePoints - 1 && static_cast<float>(SmallArmsData::kRangeOf[i]) < range) ++i;
    const float r0 = static_cast<float>(SmallArmsData::kRangeOf[i - 1]);
    const float r1 = static_cast<float>(SmallArmsData::kRangeOf[i]);
    const float f0 = entry.Firepower(i - 1);
    const float f1 = entry.Firepower(i);
    f = f0 + (f1 - f0) * (range - r0) / (r1 - r0);
  }
  if (mode == 2) f = f * (armourClass == 1 ? 0.0f : 0.5f);
  if (mode == 1) f = f * (armourClass == 1 ? 0.4f : 0.7f);
  return f;
}

float AimTime(int32_t weapon, int32_t type, float mass, float rating) {
  if (type == 6) return 5.0f;
  float t;
  if (mass <= 150.0f) {
    t = 2.831f + 0.3116f * mass - 0.0005464f * mass * mass;
    if (type == 4) {
      t = t * 0.7f;
    } else if ((Weapon(weapon).Flags() & WeaponFlag::kSlowAiming) != 0) {
      t = t * 1.7f;
    }
  } else {
    t = 115.0f;
  }
  if (rating < 2.0f) {
    t = t * (1.3f - 0.15f * rating);
  } else if (rating > 2.0f) {
    t = t * (1.0f - 0.075f * rating);
  }
  if (type == 3) t = t * 0.6f;
  if (type == 1) t = t * 1.6f;
  return t;
}

float AngleFactor(float degrees, int32_t condition) {
  float v;
  if (degrees <= 45.0f) {
    v = 1.0f;
  } else if (degrees < 135.0f) {
    v = degrees / 45.0f;
  } else {
    v = 3.0f;
  }
  if (condition == 2) v = 2.0f * v - 1.0f;
  return v;
}

float LeaderCommandRange(float rating, float b) { return (0.1f * b + 0.8f) * (25.0f * rating + 50.0f); }

float TerrainFactorForType(int32_t type, int32_t season) {
  const bool winter = season == 3;
  switch (type) {
    case 2: case 6: case 13: case 21:
      return winter ? 0.7f : 0.25f;
    case 3: case 7: case 14: case 22:
      return winter ? 0.4f : 0.1f;
    case 12: case 16: case 18: case 19: case 28: case 30:
      return 0.8f;
    case 17:
      return 0.7f;
    case 15: case 23: case 31: case 32: case 33: case 34: case 35:
      return 0.1f;
    default:
      return 1.0f;
  }
}

float TerrainFactorAt(const Map& map, float x, float y, int32_t season) {
  return TerrainFactorForType(map.TerrainTypeAt(x, y), season);
}

int32_t AdjustCountForDate(int32_t count, bool flag, int32_t mode, int32_t date) {
  if (mode == 1 && date < 4409) return 0;
  if (count != 0 && date > 4500) {
    if (flag) return count - 1;
    return count + 1 > 4 ? 4 : count + 1;
  }
  return count;
}

void ScaleByRangeFalloff(float* value, float distance, float range) {
  if (distance < range) {
    const float x = distance / range;
    *value = *value * (1.0f + 2.991f * x * x - 1.34f * x * x * x - 2.649f * x);
  } else {
    *value = 0.0f;
  }
}
