// Shell hits on a vehicle: where the round strikes, the armour test against the weapon's
// penetration with weak points, ricochets and shatters, what a penetration does, and the
// chances of knock-out and of damage to the gun and the running gear.
#include <algorithm>
#include <cmath>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "game/units/tables/Hack.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/records/VehicleStrike.h"
#include "game/units/tables/WeaponData.h"
#include "game/units/fire/WeaponFormulas.h"

namespace {

constexpr uint16_t kBurnsEasily = 0x1;
constexpr uint16_t kShotTrap = 0x2;
constexpr uint16_t kSilencesThirdGroup = 0x10;
constexpr uint16_t kDiesel = 0x200;
constexpr uint16_t kStrongTurretFront = 0x4000;

}  // namespace

int32_t Vehicle::LocateHit(VehicleStrike& shot, int32_t& outFacing, bool& outResolve) {
  outResolve = false;
  // The firer's kill record counts the vehicle should the hit end it.
  if (shot.shooter != nullptr) lastFirer = shot.shooter;
  float sideShare = 0.0f;
  GetArmorFacingFrom(shot.startX, shot.startY, false, true, &sideShare);
  const int32_t turretFacing = GetArmorFacingFrom(shot.startX, shot.startY, true, true);
  const bool hullDown = !shot.fromAbove && IsHullDownFromPoint(shot.startX, shot.startY);
  // A gun that points to the rear is blind to the front, any other to the rear.
  const int32_t blindFacing = TrueClass().TraverseLimit(0) < 0 ? 0 : 2;
  const bool gunExposed = turretFacing != blindFacing;
  int32_t location = ChooseHitLocation(shot.ammoKind == 0, hullDown, sideShare, gunExposed, shot.killValue);
  if (location == 5 || location == 6) {
    NewExplosionPacket(0, shot.weapon, shot.ammoKind, x, y);
    RollSystemDamage(shot.strength, location, 1.0f, shot.ammoKind == 0, &shot.flags);
  } else {
    if (location == 2) {
      const float e = GetElevationFromHull(shot.startX, shot.startY, shot.startZ);
      if (RandomFloat() < 0.03f * e) {
        // The round came in over the hull.
        location = TrueClass().U8(ArmourLayout::kTurretArmourPresent) != 0 && Random(2) == 0 ? 0 : 1;
      }
    }
    const bool allowSide = !(IsEmplacement() && location == 1);
    outFacing = GetArmorFacingFrom(shot.startX, shot.startY, location == 0, allowSide);
    outResolve = true;
  }
  if (target != nullptr && target->IsInanimate()) {
    ClearOrderState(true);
    wasHit = 1;
  }
  return location;
}

int32_t Vehicle::ChooseHitLocation(bool isHE, bool hullDown, float sideShare, bool gunExposed, float killValue) {
  const bool covered = emplaced != 0 || hullDown;
  if (isHE && !IsEmplacement() && Random(10) == 0) return !covered && Random(5) != 0 ? 5 : 6;
  const bool turretArmour = TrueClass().U8(ArmourLayout::kTurretArmourPresent) != 0;
  if (HasTurret() && !turretArmour) FatalError(3635, "Vehicle");
  const float q = (sideShare + 1.0f) * 0.5f;
  for (;;) {
    int32_t result = 0;
    if (IsEmplacement()) {
      if (RandomFloat() < KillChance(killValue, sideShare)) {
        result = Random(5) == 0 && gunExposed ? 6 : 1;
      } else {
        result = 2;
      }
    } else {
      const int32_t r = Random(100);
      if (!covered) {
        if (!turretArmour) {
          result = r < 70 ? 1 : r < 90 ? 2 : r < 98 ? 5 : 6;
        } else {
          result = r < 31 ? 0 : r < 77 ? 1 : r < 90 ? 2 : r < 98 ? 5 : 6;
        }
      } else {
        if (!turretArmour) {
          result = r < 94 ? 1 : 6;
        } else {
          result = r < 70 ? 0 : r < 95 ? 1 : 6;
        }
      }
    }
    // Track hits need a side view; a gun turned away cannot be hit.
    if (result == 5 && RandomFloat() >= q) continue;
    if (result == 6 && !gunExposed) continue;
    return result;
  }
}

void Vehicle::ResolveHit(VehicleStrike& shot, int32_t part, int32_t facing) {
  if (shot.shooter != nullptr) lastFirer = shot.shooter;
  if (!IsBoat()) passengersMustLeave = 1;
  bool shatter = false;
  bool nearMiss = false;
  const bool penetrated = CriticalHit(shot, part, facing, shatter, nearMiss);
  shot.flags.brokeUp = shatter;
  if (!penetrated) {
    if (nearMiss && alive != 0) {
      const bool turretCrew = part == 0 || (part == 1 && !HasTurret()) || (part == 1 && Random(2) == 0);
      ApplyDamage(false, false, false, 0.25f / static_cast<float>(CrewCount()), turretCrew, true, 0.5f);
      shot.flags.flaking = true;
    }
    if (shot.ammoKind == 1 || shot.ammoKind == 2) {
      shot.flags.ricochet = !shatter;
      if (shatter && Random(2) == 0) shatter = false;
      NewSoundPacket(shatter ? 20 : 19);
      if (!shot.hasFirePacket) FatalError(5047, "Vehicle");
      shot.packetStruck = true;
      shot.ricochetPackets = true;
      shot.ricochetShatter = shatter;
    } else {
      const float s = shot.strength;
      const int32_t firstArmoured = HasTurret() ? 0 : 1;
      const int32_t gunCode = facing == 0 && part == firstArmoured ? 2 : 0;
      const int32_t hullCode = part == 2 ? 2 : 0;
      BlastEffects(0.35f * s, shot, false, 0, gunCode, hullCode);
      BlastCrewShock(s, 0, false, false);
      NewExplosionPacket(0, shot.weapon, shot.ammoKind, x, y);
    }
  } else {
    if (!shot.hasFirePacket) FatalError(5028, "Vehicle");
    shot.flags.penetrated = true;
    ApplyPenetration(shot, part);
    NewExplosionPacket(0, shot.weapon, shot.ammoKind, x, y);
  }
  CloseHatchesIfAble();
}

bool Vehicle::CriticalHit(VehicleStrike& shot, int32_t part, int32_t facing, bool& outShatter, bool& outNearMiss) {
  ArmourRequest request;
  request.x = shot.startX;
  request.y = shot.startY;
  request.z = shot.startZ;
  request.useElevation = true;
  request.part = part;
  request.facing = facing;
  request.useSlope = !IsEmplacement();
  request.calibre = gWeapons[shot.weapon].Calibre();
  request.fireKind = shot.fireKind;
  request.ammoKind = shot.ammoKind;
  ArmourOutcome outcome;
  float armour = ComputePenetration(request, &outcome);

  const uint16_t flags = TrueClass().Flags();
  int32_t weakChance = 8;
  if (IsEmplacement()) {
    weakChance = 0;
  } else if (shot.fromAbove || part == 4) {
    weakChance = 100;
  } else if (shot.weapon == 0) {
    weakChance = 60;
  } else if ((flags & kShotTrap) != 0 && part == 0 && facing == 0) {
    weakChance = 60;
  } else if (part == 3) {
    weakChance = 40;
  }
  const bool critical = Random(1000) < weakChance;
  if (critical) {
    GErrorLog::LogError("Critical hit!");
    armour *= (shot.weapon == 0 ? 0.3f : 0.4f) + RandomFloatTimes(0.2f);
    shot.flags.weakPoint = true;
  } else if (part == 0 && facing == 0 && (flags & kStrongTurretFront) != 0) {
    armour *= 1.08f + RandomFloatTimes(0.18f);
  }
  outShatter = false;
  float pen = WeaponPenetration(true, DistanceToPoint(shot.startX, shot.startY), shot.weapon, shot.ammoKind,
                                outcome.faceHardened, outcome.hardness, outcome.ratio, &outShatter);
  if (shot.fromAbove && shot.fireKind == 3) pen *= 0.5f;
  outNearMiss = 0.9f * armour <= pen && pen < armour;
  return pen >= armour;
}

float Vehicle::PenetrationFireChance(float p) const {
  const uint16_t flags = TrueClass().Flags();
  float f = p * p * p + 0.1f;
  if ((flags & kBurnsEasily) != 0) f += 0.3f;
  if ((flags & kDiesel) != 0) f *= 0.9f;
  if (!HasMainWeapon()) f *= 0.5f;
  return f;
}

void Vehicle::ApplyPenetration(VehicleStrike& shot, int32_t part) {
  NewSoundPacket(21);
  if (part == 3) part = HasTurret() ? 0 : 1;
  if (part == 4) part = 1;
  if ((TrueClass().Flags() & kSilencesThirdGroup) != 0) machineGunAmmo[2] = 0;

  bool knockedOut = false;
  bool gunHit = false;
  float p = 0.0f;
  const bool special = shot.weapon == 97 || shot.weapon == 99;
  if (special) {
    p = shot.weapon == 97 ? 0.05f : 0.5f;
    const float damage = shot.weapon == 97 ? 0.7f : 0.9f;
    if (immobilized != 0) p += 0.15f;
    if (RandomFloat() < p) {
      knockedOut = true;
    } else if (RandomFloat() < damage && immobilized == 0) {
      ApplySystemDamage(5, &shot.flags);
    }
  } else {
    p = KnockOutChance(shot.weapon, shot.ammoKind);
    if (shot.weapon == 96) p = std::min(p, 0.4f);
    if (RandomFloat() < p) {
      knockedOut = true;
    } else if (RandomFloat() < p) {
      gunHit = part == 0 || (part == 1 && !HasTurret()) || (part == 1 && Random(2) == 0);
      if (gunHit) {
        if (gunDestroyed == 0) {
          ApplySystemDamage(6, &shot.flags);
        } else if (Random(2) != 0) {
          knockedOut = true;
        }
      } else if (immobilized == 0) {
        ApplySystemDamage(5, &shot.flags);
      } else if (Random(2) != 0) {
        knockedOut = true;
      }
    }
  }

  bool burning = false;
  bool exploding = false;
  if (knockedOut && !IsEmplacement()) {
    if (RandomFloat() < PenetrationFireChance(p)) {
      burning = true;
      exploding = Random(HasMainWeapon() ? 3 : 5) == 0;
    }
  }
  const float crew = static_cast<float>(CrewCount());
  float c = 0.0f;
  if (knockedOut && exploding) {
    c = 1.0f;
  } else if (burning) {
    c = 2.1f / (crew + 1.0f);
  } else if (!knockedOut && special) {
    c = 0.0f;
  } else {
    c = 1.0f / crew;
    if (part == 0 && !IsEmplacement()) c *= 1.5f;
  }
  if (IsEmplacement()) c *= 0.667f;
  ApplyDamage(knockedOut, burning, exploding, c, gunHit, false, 1.0f);
}

float Vehicle::KnockOutChanceFor(float weight, float blast, int32_t ammoKind, bool fortification, bool lethalHollow) {
  const float w = std::min(weight, 80.0f);
  const float a = 0.00053f * w * w - 0.08f * w + 7.0f;
  const float e = std::min(blast, 80.0f);
  float b = -3.028e-05f * e * e + 0.004733f * e + 0.06343f;
  if (fortification) b -= 0.035f;
  float factor = 1.0f;
  switch (ammoKind) {
    case 0: factor = 2.2f; break;
    case 1: factor = 1.0f; break;
    case 2: factor = 0.75f; break;
    case 3: factor = fortification ? 2.5f : (lethalHollow ? 1.3f : 0.85f); break;
    default: FatalError(4084, "Vehicle");
  }
  float p = a * b * factor;
  if (fortification) p *= 0.6f;
  return std::clamp(p, 0.05f, 0.95f);
}

float Vehicle::KnockOutChance(int32_t weapon, int32_t ammoKind) const {
  if (ammoKind < 0 || ammoKind > 3) FatalError(4084, "Vehicle");
  const bool lethalHollow = (gWeapons[weapon].Flags() & 0x20) != 0;
  return KnockOutChanceFor(static_cast<float>(TrueClass().Weight()), WeaponBlastValue(weapon, ammoKind), ammoKind,
                           IsEmplacement(), lethalHollow);
}

float Vehicle::ImmobilizationFactor(float p, bool isHE) const {
  switch (TrueClass().KindCode()) {
    case 0: return p * 3.0f;
    case 1: return p * 2.5f;
    case 2: return p * 2.0f;
    case 3: return p * 1.5f;
    case 4: return isHE ? 0.0f : p;
    case 5: return 0.0f;
    default: return p;
  }
}

void Vehicle::RollSystemDamage(float strength, int32_t kind, float factor, bool isHE, VehicleStrike::Flags* flags) {
  if (kind != 5 && kind != 6) FatalError(4398, "Vehicle");
  float w = static_cast<float>(TrueClass().Weight());
  if (kind == 5) w = std::min(w, 50.0f);
  float p = 1.4f * strength / (w + 70.0f) * factor;
  p = kind == 5 ? ImmobilizationFactor(p, isHE) : p * 0.8f;
  if (RandomFloat() < p) ApplySystemDamage(kind, flags);
}

void Vehicle::ApplySystemDamage(int32_t kind, VehicleStrike::Flags* flags) {
  if (kind == 5) {
    if (immobilized == 0) {
      immobilized = 1;
      waypointCount = 0;
      if (alive != 0) NewSoundPacket(18);
      if (flags != nullptr) flags->immobilized = true;
    }
  } else if (kind == 6) {
    if (gunDestroyed == 0) {
      gunDestroyed = 1;
      ResetAimTime();
      ClearOrderState(false);
      if (flags != nullptr) flags->gunDestroyed = true;
    }
  } else {
    FatalError(4379, "Vehicle");
  }
  wasHit = 1;
  stateChanged = 1;
}
