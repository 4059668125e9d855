// The weapon-effect estimate: how much harm one unit's weapon with one ammunition kind does
// to another in one engagement. Small arms count expected casualties against the size of the
// target's class, explosive weapons the blast around the predicted impact, and direct fire
// against armour the share of hits that penetrate the struck locations. Nothing here draws
// from the game's generator except the penetration formula's own shatter roll and what the
// units' own operations draw.
#include <algorithm>
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/tables/Hack.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/tables/WeaponData.h"
#include "game/units/fire/WeaponFormulas.h"

namespace {

constexpr int32_t kNoEffectWeapon = 104;

bool IsTreeTerrain(int32_t type) { return (type >= 13 && type <= 15) || (type >= 21 && type <= 23); }

// The kind the weapon really fires when its record has no round of the kind asked.
int32_t FallBackKind(const WeaponData& w, int32_t k) {
  if (k < 0 || k > 3 || w.Mass(k) != 0.0f) return k;
  if (k == 0) return w.Mass(3) != 0.0f ? 3 : 1;
  if (k == 1 || k == 2) return w.Mass(3) != 0.0f ? 3 : 0;
  return w.Mass(1) != 0.0f ? 1 : 0;
}

struct EffectCase {
  Unit& s;
  Unit& t;
  int32_t k;
  bool threat;
  bool exposure;
  int32_t selector;
  int32_t viewMode;
  int32_t w;
  int32_t type;
  float d;
  // The small-arms penetration mode: 1 a medium, 2 a heavy machine gun of a vehicle.
  int32_t mode = 0;
};

// The penetration mode of the machine gun a vehicle scores or fires.
int32_t MachineGunMode(const Unit& shooter) {
  const VehicleServices* v = shooter.AsVehicle();
  if (v == nullptr || !AITargeting::InMachineGunMode(shooter)) return 0;
  const int32_t entry = v->GetSmallArmsEntry();
  if (entry >= 25 && entry < 29) return 2;
  return entry >= 14 && entry <= 24 ? 1 : 0;
}

// Blast of an explosive round around the predicted impact; d becomes the expected miss.
float ExplosiveBlast(EffectCase& c, bool infantryTarget) {
  const WeaponData w = gWeapons[c.w];
  float range = 0.0f;
  const int32_t flight =
      c.s.ShotTiming(c.w, c.type, c.k, nullptr, c.t.x, c.t.y, c.t.GetBaseHeight(), range);
  float dx = 0.0f, dy = 0.0f;
  c.s.PredictImpact(&c.t, flight, c.type, (w.Flags() & 1) != 0, c.k, dx, dy);
  float miss = std::sqrt(dx * dx + dy * dy);
  float f = c.s.GetRateOfFire() * WeaponFragmentValue(c.w, c.k);
  if (c.exposure && infantryTarget) {
    const float px = c.t.x + dx * 0.1f;
    const float py = c.t.y + dy * 0.1f;
    const bool trees = c.type == 4 && IsTreeTerrain(c.t.GetTerrainHere());
    const float v = c.t.VisibilityFromPoint(px, py, c.t.GetBaseHeight(), trees);
    miss = v > 0.0f ? miss / std::sqrt(v) : 3.4e38f;
    f *= v;
  }
  const float base = f * 0.15f;
  ScaleByRangeFalloff(&f, miss, WeaponBlastValue(c.w, c.k));
  c.d = miss;
  return std::max(base, f);
}

float AgainstSoft(EffectCase& c) {
  float value = 0.0f;
  const bool infantry = c.t.IsInfantry();
  switch (c.type) {
    case 0: {
      float f = c.s.FirepowerAt(c.d, 0);
      if (!infantry) {
        value = f * 0.007f;
        break;
      }
      if (c.exposure) f *= c.t.VisibilityFromPoint(c.s.x, c.s.y, c.s.GetBaseHeight(), true);
      const UnitServices* services = GetUnitServices();
      const int32_t condition = services != nullptr ? services->GetConditionValue() : 0;
      f *= (AngleFactor(c.t.AngleToPoint(c.t.facing, c.s.x, c.s.y, true), condition) + 1.0f) * 0.5f;
      const float m = static_cast<float>(c.s.CloseRangeBonus(c.d));
      f = f * 0.2f / 725.0f;
      const float men = static_cast<float>(c.t.GetMenPresent());
      float a = 0.0f;
      for (int32_t i = 0; i < 5; ++i) a = (men + 1.0f + m - a) * f + a;
      const InfantryServices* inf = c.t.AsInfantry();
      const float classMen = inf != nullptr ? static_cast<float>(inf->GetClassData().Men()) : men;
      value = a / std::round((classMen + 7.0f) * 0.5f);
      const InfantryServices* own = c.s.AsInfantry();
      if (c.d < 40.0f && own != nullptr && own->IsSquad()) {
        value += (40.0f - 0.5f * c.d) * static_cast<float>(c.s.GetMenPresent()) * 0.1f * 0.025f;
      }
      break;
    }
    case 1:
    case 2:
    case 3:
    case 4: {
      if (c.k < 0 || c.k > 3) break;  // smoke harms nobody
      const float f = ExplosiveBlast(c, infantry);
      if (!infantry) {
        value = f * 0.007f;
        break;
      }
      value = f / 725.0f;
      if (c.type == 1) value *= 0.65f;
      if (c.type == 4) value *= 1.35f;
      if (c.t.HasMainWeaponOfType23(true)) value *= 2.75f;
      break;
    }
    case 7: {
      // A leader is worth the trouble at any range; anyone else only beyond 100 m.
      const InfantryServices* inf = c.t.AsInfantry();
      const bool leader = inf != nullptr && inf->GetClassData().LeaderLevel() >= 1;
      value = leader || c.d > 100.0f ? 0.44f : 0.0f;
      break;
    }
    case 6: {
      const float maxRange = gWeapons[c.w].MaxRange();
      if (c.d <= maxRange) {
        value = 1.5f;
      } else if (c.threat) {
        value = c.d > 2.0f * maxRange ? 0.5f : 1.0f;
      }
      break;
    }
    default:
      break;
  }
  if (c.s.IsArmored(c.selector != 0) && infantry && c.t.GetSpeedClass() < 2 && c.t.HasMainWeaponOfType23(true)) {
    if (c.d < 100.0f) {
      value = AITargeting::kMaxEffect;
    } else if (c.d < 350.0f) {
      value = std::max(value, (350.0f - 3.4f * c.d) * 0.004f);
    }
  }
  return value;
}

float IndirectAgainstArmour(EffectCase& c) {
  if (c.k < 0 || c.k > 3) return 0.0f;
  VehicleServices* v = c.t.AsVehicle();
  if (v == nullptr) return 0.0f;
  const float p = WeaponPenetration(false, 0.0f, c.w, c.k, false, 260, 1.0f, nullptr);
  const float size = v->GetClassData(c.viewMode).Size();
  float value = 0.0f;
  for (int32_t part : {4, 3}) {
    ArmourRequest request;
    request.x = c.s.x;
    request.y = c.s.y;
    request.part = part;
    request.calibre = 75.0f;
    request.fireKind = c.type;
    request.ammoKind = c.k;
    request.classMode = c.viewMode;
    request.expectedValues = true;
    if (v->ComputePenetration(request, nullptr) <= p) {
      EffectCase copy = c;
      ExplosiveBlast(copy, false);
      const float miss = std::max(copy.d, 1e-6f);
      const float q = std::max(0.0f, 1.0f - (1.75f * size) / (2.5f * miss));
      value += 1.0f - std::pow(q, 1.0f + std::round(c.s.GetRateOfFire() - 1.0f));
    }
    if (part == 4) value *= 2.0f;
  }
  return value * 0.333333f;
}

float DirectAgainstArmour(EffectCase& c) {
  VehicleServices* v = c.t.AsVehicle();
  const bool emplacement = v != nullptr && v->IsEmplacement();
  const bool hasWeapon = c.w != kNoEffectWeapon && c.type != 0;
  const float calibre = hasWeapon ? gWeapons[c.w].Calibre() : 10.0f;
  float pen = 0.0f;
  float h = 0.5f;
  float floor = 0.0f;
  bool hullDown = false;
  // A squad's special anti-tank weapons, as the threat it poses within their reach.
  const InfantryServices* squad = c.s.AsInfantry();
  const bool special = c.threat && squad != nullptr && squad->GetAntitankCount() > 0 &&
                       c.d < squad->GetAntitankRange() + 40.0f;
  if (special) {
    pen = c.s.IsAxis() ? 500.0f : 95.0f;
    h = 0.35f;
  } else if (c.type == 0) {
    pen = SpecialWeaponPenetration(c.mode, c.d, true, 450, 1.25f, nullptr);
    h = emplacement ? RangeFalloff(c.d) : c.s.FirepowerAt(c.d, 0) * 0.002f;
    const InfantryServices* own = c.s.AsInfantry();
    const bool led = own != nullptr && (own->IsSquad() || own->GetClassData().LeaderLevel() >= 1);
    if (c.d < 40.0f && led && v != nullptr) {
      const VehicleData record = v->GetClassData(c.viewMode);
      const bool closed = record.TopArmour(0) > 0 && record.TopArmour(1) > 0;
      floor = closed && c.d <= 25.0f ? 1.0f : (closed ? 0.0f : (40.0f - c.d) * 0.04f);
      if (c.threat) floor *= (100.0f - std::min(c.s.suppression, 100.0f)) * 0.01f;
    }
  } else if (c.type >= 1 && c.type <= 3) {
    if (c.k < 0 || c.k > 3) return 0.0f;  // smoke penetrates nothing
    pen = -1.0f;
    h = c.s.HitChanceAgainst(c.k, 0, &c.t, c.selector);
    hullDown = v != nullptr && v->IsHullDownFrom(c.s);
  }
  float armour[9] = {}, weight[9] = {}, ratio[9] = {};
  int32_t n = 0;
  c.t.AssessHit(c.viewMode, &c.s, c.threat, h, hullDown, armour, weight, ratio, n, calibre);
  if (n < 0 || n > 9) FatalError(__LINE__, "AITargeting");
  const float shock = c.threat && hasWeapon && !emplacement && v != nullptr
                          ? AITargeting::ArmourShock(calibre, v->GetClassData(c.viewMode).Weight())
                          : 0.0f;
  // One penetration per struck location, last to first: the formula's shatter roll is drawn
  // once for each.
  AITargeting::Location locations[9];
  float pens[9] = {};
  for (int32_t i = n - 1; i >= 0; --i) {
    locations[i] = {armour[i], weight[i]};
    if (weight[i] == 0.0f) continue;
    pens[i] = pen >= 0.0f ? pen : WeaponPenetration(false, c.d, c.w, c.k, false, 260, ratio[i], nullptr);
  }
  float value = AITargeting::ScoreArmour(locations, n, [&pens](int32_t i) { return pens[i]; }, 0.0f);
  // The shock of a hit that does not penetrate counts only where the penetration reaches 25.
  if (shock > 0.0f) {
    for (int32_t i = n - 1; i >= 0; --i) {
      if (weight[i] != 0.0f && pens[i] <= 0.95f * armour[i] && pens[i] >= 25.0f) value += weight[i] * shock;
    }
  }
  if (c.threat) {
    if (n != 9) FatalError(__LINE__, "AITargeting");
    value *= 0.5f;
  }
  const bool mgMode = c.s.IsVehicle() && c.s.firingBytes[Unit::kMachineGunMode] != 0;
  const float r = mgMode ? 5.0f : c.s.GetRateOfFire() * 0.8f;
  value = value * r * h * 0.75f;
  if (c.k == 2) {
    value = AITargeting::ConserveTungsten(value, h, c.s.ammo[2], c.s.shotCounter, c.s.target == &c.t);
  }
  value = std::max(value, floor);
  if (!emplacement && c.type != 0) {
    float g = c.k == 1 ? 0.04f : 0.02f;
    const float boost = std::sqrt(r) * h;
    if (boost > 1.0f) g *= boost;
    value = std::max(value, g);
  }
  const bool open = v != nullptr && !v->IsButtoned();
  if (c.type == 0 && open && c.t.GetIdentificationLevel(false) >= 3 && !emplacement) {
    value = std::max(value, c.s.FirepowerAt(c.d, 0) * 0.0003f);
  } else if (special || (c.type == 1 && c.threat)) {
    value *= 2.5f;
  }
  return value;
}

}  // namespace

float AITargeting::WeaponEffect(Unit& shooter, Unit* target, int32_t k, bool threatMode, bool useExposure,
                                bool applyMorale, int32_t selector, int32_t viewMode) {
  ++gEffectCalls;
  if (target == nullptr || shooter.IsInanimate() || k == 6) return 0.0f;
  if (shooter.IsAirplane() && target->IsAirplane()) return 0.0f;
  if (shooter.IsAirplane() || target->IsAirplane()) return kMaxEffect;
  int32_t w = kNoEffectWeapon, type = 0;
  shooter.QueryWeapon(selector, w, type);
  if (type == 5) return threatMode ? 0.2f : 0.0f;
  EffectCase c{shooter, *target, k, threatMode, useExposure, selector, viewMode, w, type, shooter.DistanceTo(*target)};
  c.mode = MachineGunMode(shooter);
  const bool record = w != kNoEffectWeapon && type != 0;
  if (record) {
    const WeaponData data = gWeapons[w];
    float minRange = data.MinRange();
    if (shooter.IsVehicle() && (type == 2 || type == 3) && !threatMode) minRange = std::max(minRange, 8.0f);
    if (threatMode) minRange -= 50.0f;
    if (c.d < minRange) return 0.0f;
    if (c.d >= data.MaxRange() + (threatMode ? 50.0f : 0.0f)) return 0.0f;
    if (selector != 0 && shooter.identificationLevel < 4) c.k = FallBackKind(data, c.k);
  }
  float value = 0.0f;
  if (!target->IsArmored(viewMode != 0)) {
    value = AgainstSoft(c);
  } else if (type == 7) {
    const VehicleServices* v = target->AsVehicle();
    value = v != nullptr && v->IsButtoned() ? 0.0f : 0.44f;
  } else if (type == 4) {
    value = IndirectAgainstArmour(c);
  } else if (type == 6) {
    const float maxRange = gWeapons[w].MaxRange();
    if (c.d <= maxRange) {
      value = 1.0f;
    } else if (threatMode) {
      value = c.d > 2.0f * maxRange ? 0.25f : 0.5f;
    }
  } else {
    value = DirectAgainstArmour(c);
  }
  if (applyMorale) value *= MoraleFactor(shooter.GetBand());
  return ClampEffect(value);
}

float AITargeting::VehicleWeaponEffect(Unit& vehicle, Unit* target, int32_t k, bool threatMode, bool useExposure,
                                       bool applyMorale, int32_t selector, int32_t viewMode) {
  VehicleServices* v = vehicle.AsVehicle();
  if (v == nullptr) FatalError(__LINE__, "AITargeting");
  // Already scoring or firing one machine gun: that gun alone.
  if (InMachineGunMode(vehicle)) {
    return WeaponEffect(vehicle, target, k, threatMode, useExposure, applyMorale, selector, viewMode);
  }
  float mg = 0.0f;
  const bool check = !threatMode;
  if (target != nullptr && (v->CanFireBowMG() > 0 || v->CanFireCoaxialMG(check) > 0 || v->CanFireFlexibleMG(check) > 0)) {
    constexpr int32_t kNone = 33;
    const VehicleData record = v->GetClassData(0);
    const int32_t coaxial = record.CoaxialMachineGun();
    const int32_t bow = record.BowMachineGun();
    const int32_t flexible = record.ThirdMachineGun();
    const float d = vehicle.DistanceTo(*target);
    auto reaches = [&](int32_t entry) {
      return entry != kNone && gSmallArms.IsValid(entry) && static_cast<float>(gSmallArms[entry].MaxRange()) >= d;
    };
    auto coaxialOk = [&](int32_t floor) {
      return record.CoaxialCount() != 0 && coaxial >= floor && v->CanFireCoaxialMG(check) > 0 && reaches(coaxial);
    };
    auto bowOk = [&](int32_t floor) { return bow >= floor && v->CanFireBowMG() > 0 && reaches(bow); };
    auto flexibleOk = [&](int32_t floor) {
      return record.ThirdCount() != 0 && flexible >= floor && v->CanFireFlexibleMG(check) > 0 && reaches(flexible);
    };
    int32_t gun = kNone;
    if (coaxialOk(29)) {
      gun = coaxial;
    } else if (bowOk(29)) {
      gun = bow;
    } else if (flexibleOk(29)) {
      gun = flexible;
    } else if (target->IsArmored(viewMode != 0) && flexibleOk(25)) {
      gun = flexible;
    } else if (coaxialOk(0)) {
      gun = coaxial;
    } else if (bowOk(0)) {
      gun = bow;
    } else if (flexibleOk(0)) {
      gun = flexible;
    }
    if (gun != kNone) {
      const uint8_t keptMode = vehicle.firingBytes[Unit::kMachineGunMode];
      const int32_t keptGun = v->GetSmallArmsEntry();
      vehicle.firingBytes[Unit::kMachineGunMode] = 1;
      v->SetSmallArmsEntry(gun);
      mg = WeaponEffect(vehicle, target, k, threatMode, useExposure, applyMorale, selector, viewMode);
      vehicle.firingBytes[Unit::kMachineGunMode] = keptMode;
      v->SetSmallArmsEntry(keptGun);
    }
  }
  float value = mg;
  if (vehicle.HasMainWeapon()) {
    value += WeaponEffect(vehicle, target, k, threatMode, useExposure, applyMorale, selector, viewMode);
  }
  return ClampEffect(value);
}

float Unit::WeaponEffect(Unit* other, int32_t ammoKind, bool threatMode, bool useExposure, bool applyMorale,
                         int32_t selector, int32_t viewMode) {
  return AITargeting::WeaponEffect(*this, other, ammoKind, threatMode, useExposure, applyMorale, selector, viewMode);
}
