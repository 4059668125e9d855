// Hit chance, shot timing and the firing action: how likely one round is to hit an armoured
// target, when a round leaves and lands, and the action that fires it.
#include <algorithm>
#include <array>
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/Unit.h"
#include "game/units/fire/WeaponFormulas.h"
#include "game/units/ports/AirplaneServices.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/records/UnitFirePacket.h"
#include "game/units/tables/DataFlags.h"
#include "game/units/tables/Hack.h"
#include "game/units/ports/UnitNearPoint.h"

bool Unit::gSecondaryFire = false;

namespace {

// How far the distance counts by ranging level 0..4.
constexpr std::array<float, 5> kRangingFactors = {6.5f, 4.0f, 2.5f, 1.6f, 1.0f};

uint16_t VehicleFlags(const Unit& unit) {
  const VehicleServices* vehicle = unit.IsVehicle() ? unit.AsVehicle() : nullptr;
  return vehicle != nullptr ? vehicle->GetClassData(0).Flags() : 0;
}

// Seconds of flight of a direct-fire round from the weapon's ballistics; a kind the weapon
// has no ballistics for flies as high explosive, or at 370 m/s without either.
float BallisticFlight(int32_t weapon, int32_t kind, float distance) {
  if (!gWeapons.IsValid(weapon)) return distance * 0.0027027f;
  const WeaponData record = gWeapons[weapon];
  const auto usable = [&record](int32_t k) {
    return k >= 0 && k <= 3 && record.Type() >= 1 && record.Type() <= 3 && record.Mass(k) > 0.0f &&
           record.Velocity(k) > 0.0f;
  };
  if (!usable(kind)) kind = 0;
  if (!usable(kind)) return distance * 0.0027027f;
  float velocity = 0.0f;
  return StrikingVelocity(weapon, kind, distance, &velocity);
}

}  // namespace

int32_t Unit::ShotTiming(int32_t weapon, int32_t fireType, int32_t kindUsed, int32_t* delay, float px, float py, float pz,
                         float& distance) const {
  const float dx = px - x;
  const float dy = py - y;
  const float dz = pz - GetBaseHeight();
  distance = std::sqrt(dx * dx + dy * dy + dz * dz);
  float wait = 0.0f;
  float flight = 0.0f;
  switch (fireType) {
    case 0:
    case 7:
      wait = 1.0f;
      flight = distance * 0.0027027f;
      break;
    case 1:
    case 2:
    case 3:
    case 8: {  // the rockets of ground launchers fly by their ballistics as shells do
      const bool slow = gWeapons.IsValid(weapon) && (gWeapons[weapon].Flags() & WeaponFlag::kSlowAiming) != 0;
      wait = slow ? 0.55f : 0.2f;
      flight = BallisticFlight(weapon, kindUsed, distance);
      break;
    }
    case 4:
      wait = 0.0f;
      flight = 8.0f;
      break;
    case 5:
      wait = RandomFloat() * 12.0f;
      flight = 2.0f;
      break;
    case 6:
      wait = 0.75f;
      flight = distance * 0.0216f + 0.25f;
      break;
    default:
      FatalError(__LINE__, "Unit.cpp");
  }
  if (delay != nullptr) *delay = static_cast<int32_t>(wait * 40.0f);
  return std::max(2, static_cast<int32_t>(flight * 40.0f));
}

int32_t Unit::RangingLevel(const Unit* targetUnit, int32_t weaponType) const {
  const int32_t n = shotCounter;
  const bool moving = speed != 0.0f;
  const bool armouredMover =
      IsVehicle() && (VehicleFlags(*this) & (VehicleFlag::kGyroStabiliser | VehicleFlag::kGyroStabiliserFull)) != 0;
  int32_t level = n;
  if ((moving && n >= 2 && !armouredMover) || (weaponType == 1 && n >= 2)) {
    level = 1;
  } else if (weaponType == 4 && targetUnit != nullptr && targetUnit->speed != 0.0f && n >= 2) {
    level = std::fabs(targetUnit->speed) <= 0.1f ? 2 : 1;
  } else if (moving && n >= 3 && armouredMover) {
    level = 2;
  } else if (targetUnit != nullptr) {
    if (std::fabs(targetUnit->speed) > 0.1f && n >= 3 && !targetUnit->IsInfantry()) {
      level = 2;
    } else if (targetUnit->speed != 0.0f && n > 3) {
      level = 3;
    } else if (targetUnit->alive == 0) {
      level = n < 3 ? 2 : n;
    }
  }
  if (level < 4 && weaponType >= 2 && weaponType <= 4) {
    const float px = targetUnit != nullptr ? targetUnit->x : targetX;
    const float py = targetUnit != nullptr ? targetUnit->y : targetY;
    if (UnitNearPoint(px, py)) level = 4;
  }
  if (level == 0 && IsVehicle() && AsVehicle() != nullptr && AsVehicle()->IsEmplacement()) level = 1;
  return level;
}

float Unit::HitChance(int32_t kindUsed, int32_t flightTime, const Unit* targetUnit, int32_t selector,
                      int32_t special) const {
  if (targetUnit == nullptr) FatalError(__LINE__, "Unit.cpp");
  const bool specialWeapon = special == 1 || special == 2;
  int32_t weapon = WeaponData::kNone;
  int32_t type = 0;
  if (special == 1) {
    weapon = 94;
    type = 2;
  } else if (special == 2) {
    weapon = 95;
    type = 2;
  } else {
    QueryWeapon(selector, weapon, type);
  }
  if (!gWeapons.IsValid(weapon) || weapon == WeaponData::kNone) return 0.0f;
  const WeaponData record = gWeapons[weapon];
  float d = 0.0f;
  int32_t slices = flightTime;
  if (flightTime > 0) {
    d = DistanceToPoint(targetUnit->x, targetUnit->y);
  } else {
    slices = ShotTiming(weapon, type, kindUsed, nullptr, targetUnit->x, targetUnit->y, targetUnit->GetBaseHeight(), d);
  }
  const float minimum = IsVehicle() && (type == 2 || type == 3) && !specialWeapon ? 8.0f : record.MinRange();
  if (d > record.MaxRange() || d < minimum) return 0.0f;
  const AirplaneServices* airplane = IsAirplane() ? const_cast<Unit*>(this)->AsAirplane() : nullptr;
  if (airplane != nullptr) {
    const float factor = airplane->DamageFactor();
    d *= factor;
    slices = static_cast<int32_t>(std::lround(static_cast<float>(slices) * factor));
  }
  const float t = static_cast<float>(slices) * 0.025f;
  const VehicleServices* targetVehicle = targetUnit->IsVehicle() ? targetUnit->AsVehicle() : nullptr;
  float size = targetVehicle != nullptr ? targetVehicle->GetClassData(0).Size() : 0.0f;
  if (targetVehicle != nullptr && targetVehicle->IsHullDownFrom(*this)) size *= targetVehicle->HasTurret() ? 0.4f : 0.65f;

  float v = 0.0f;
  if (type == 1) {
    v = (1.0f - suppression * 0.005f) * std::exp(-0.5556f * std::pow(t, 1.8f));
    float r = 1.4f;
    switch (GetEffectiveRating(1)) {
      case 0: r = 0.7f; break;
      case 1: r = 0.85f; break;
      case 2: r = 1.0f; break;
      case 3: r = 1.133f; break;
      case 4: r = 1.267f; break;
      default: break;
    }
    v *= r;
    float visibility = 0.0f;
    LineOfSightTo(*targetUnit, &visibility);
    // A target seen through less than 0.2222 of the line shows nothing to aim at.
    const float shown = 1.2857f * visibility - 0.2857f;
    if (!(shown > 0.0f)) return 0.0f;
    v *= std::sqrt(size * shown);
    if ((record.Flags() & WeaponFlag::kPoorHitChance) != 0 || firingBytes[kMachineGunMode] != 0) v *= 0.75f;
    v = std::min(v, 0.05f * r * r + 0.85f);
  } else if (type == 2 || type == 3) {
    const float g = kindUsed == 2 ? 1.0f : (kindUsed == 3 ? 1.2f : 1.4f);
    if (targetVehicle != nullptr && targetVehicle->IsEmplacement()) {
      size *= 2.2f;
    } else {
      float b = targetUnit->RelativeBearingToUnit(*this, false, true);
      if (b > 90.0f) b = 180.0f - b;
      float aspect = 2.5f;
      if (b <= 15.0f) {
        aspect = 1.5f + b / 30.0f;
      } else if (b < 35.0f) {
        aspect = 2.0f + (b - 15.0f) * 0.025f;
      }
      size *= aspect;
    }
    float visibility = 0.0f;
    LineOfSightTo(*targetUnit, &visibility);
    const float shown = 1.2857f * visibility - 0.2857f;
    if (!(shown > 0.0f)) return 0.0f;
    size = size * shown / RatingTimeFactor();
    float reach = 100.0f;
    if (!specialWeapon) {
      int32_t level = 0;
      if (targetUnit == target) {
        level = RangingLevel(targetUnit, type);
      } else if (targetUnit->alive == 0) {
        level = 2;
      }
      if (level < 0 || level > 4) FatalError(__LINE__, "Unit.cpp");
      reach = d * kRangingFactors[static_cast<size_t>(level)];
    }
    float q = std::atan(2.0f * size / reach) * GMath::kDegreesPerRadian * 47.619f;
    if (const UnitServices* services = GetUnitServices(); services != nullptr && services->GetConditionValue() == 2) {
      q *= 0.5f;
    }
    if (t > 0.5f) q *= std::exp(-std::pow((t - 0.5f) / g, 1.2f));
    v = 1.0f - std::exp(-std::pow(0.33f * q, 0.7f));
  } else {
    FatalError(__LINE__, "Unit.cpp");
  }
  const float m = std::fabs(targetUnit->speed) * 40.0f;
  if (m > 0.0f) v *= 10.0f / (1.2f * m * (t + 0.2f) + 10.0f);
  if (!IsAirplane()) {
    float steady = 10.0f;
    if (IsVehicle() && !specialWeapon) {
      const uint16_t flags = VehicleFlags(*this);
      if ((flags & VehicleFlag::kGyroStabiliserFull) != 0) {
        steady = 26.0f;
      } else if ((flags & VehicleFlag::kGyroStabiliser) != 0) {
        steady = 18.0f;
      }
    }
    float f = std::fabs(speed) * 40.0f;
    if (type == 1) f *= 2.0f;
    if (firingBytes[kLaidWhileMoving] != 0 && f < 4.0f) f = 4.0f;
    if (f > 0.0f) v *= steady / (2.0f * f * (t + 0.6f) + steady);
  }
  if (type == 3) v = 1.0f - (1.0f - v) * (1.0f - v) * (1.0f - v);
  return v;
}

bool Unit::RollHit(int32_t kindUsed, int32_t flightTime, float* chance) {
  if (target == nullptr || !target->IsArmored()) FatalError(__LINE__, "Unit.cpp");
  const float p = HitChance(kindUsed, flightTime, target, 0, 0);
  if (chance != nullptr) *chance = p;
  return RandomFloat() < p;
}

void Unit::FireAtTarget(int32_t kindUsed) {
  if (target == nullptr && areaFire == 0) FatalError(__LINE__, "Unit.cpp");
  // A unit that fires gives itself away: its hide order ends.
  flagBytes[kHoldFlag] = 0;
  const bool indirect = HasMainWeaponOfType5();
  if (!indirect) burst = 800;
  float px = 0.0f;
  float py = 0.0f;
  float pz = 0.0f;
  GetTargetPosition(px, py, &pz);
  int32_t weapon = WeaponData::kNone;
  int32_t type = 0;
  QueryWeapon(0, weapon, type);
  const int32_t query = weapon != WeaponData::kNone ? 1 : 0;
  if (firingBytes[kMachineGunMode] == 0 && !indirect) SetMovingActivity();
  int32_t delay = 0;
  float distance = 0.0f;
  int32_t flight = ShotTiming(weapon, type, kindUsed, &delay, px, py, pz, distance);
  int32_t due = flight + delay;
  UnitFirePacket packet = NewFirePacket(type, weapon, flight, delay, distance);
  if (target != nullptr && target->IsArmored() && type >= 1 && type <= 3) {
    FireShell(packet, type, weapon, kindUsed, flight, due);
  } else {
    ResolveShot(&packet, type, weapon, query, kindUsed, flight, due, px, py, pz);
  }
  if (UnitServices* services = GetUnitServices()) services->RecordFirePacket(packet);
  SpreadFireShock(weapon, type);
  NewGunfireSoundPacket(type, weapon, distance);
  if (firingBytes[kMachineGunMode] == 0 && !gSecondaryFire) {
    if (shotCounter < 4) {
      const bool oddCount =
          kindUsed >= 0 && kindUsed < kAmmoKinds && (ammo[static_cast<size_t>(kindUsed)] & 1) != 0;
      if (type != 4 || !oddCount) ++shotCounter;
      shotCounter = static_cast<int16_t>(RangingLevel(target, type));
    }
    if (!indirect) {
      firingTimer = type == 6 ? 4.5f : (type == 7 ? 1.25f : 2.5f);
      ResetAimTime();
    }
    reloadState = GetAimTime(1, 0);
  }
  if (IsInfantry() && type == 0 && query != 0 && ammo[0] > 1 && Random(100) == 0) {
    // The men stop to look after their weapons.
    ClearOrderState(false);
    reloadState = 20.0f + RandomFloatTimes(100.0f);
    aimTime = kAimHold;
    gUnitStateChanged = 1;
  }
  if (IsVehicle() && (type == 2 || type == 3) && firingBytes[kMachineGunMode] == 0) {
    bool flag = false;
    VehicleServices* vehicle = AsVehicle();
    if (vehicle != nullptr && CanToggleButtoned(flag) && !vehicle->IsButtoned()) {
      const float close = kindUsed == 0 ? 50.0f : 25.0f;
      if (DistanceToPoint(px, py) < close) vehicle->ToggleButtoned();
    }
  }
}

void Unit::SpreadFireShock(int32_t weapon, int32_t fireType) const {
  const float calibre = gWeapons.IsValid(weapon) ? gWeapons[weapon].Calibre() : 0.0f;
  int32_t intensity = 0;
  switch (fireType) {
    case 0: intensity = 15000; break;
    case 1: intensity = 3000; break;
    case 2: intensity = static_cast<int32_t>(std::lround(100.0f * calibre)); break;
    case 3: intensity = static_cast<int32_t>(std::lround(150.0f * calibre)); break;
    case 4: intensity = static_cast<int32_t>(std::lround(40.0f * calibre)); break;
    case 6: intensity = 4000; break;
    case 7: intensity = 2000; break;
    default: break;
  }
  if (intensity <= 0) return;
  if (UnitServices* services = GetUnitServices()) services->SpreadIntensityNearPoint(intensity, x, y);
}
