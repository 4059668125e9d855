// What happens to a vehicle and its crew once something struck it: knock-out, fire and
// explosion, crew and passenger losses, bail-out, stunned gunner and driver, closing the
// hatches; blast, small arms, flame and close assault; mines; the vehicle's end and the
// replayed hit report.
#include <algorithm>
#include <cmath>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/ports/UnitOrderHost.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/records/VehicleStrike.h"
#include "game/units/fire/WeaponFormulas.h"

namespace {

constexpr uint16_t kForwardMount = 0x80;
constexpr uint16_t kSoftVehicle = 0x400;

}  // namespace

int32_t Vehicle::CrewCount() const { return std::max<int32_t>(TrueClass().Crew(), 1); }

int32_t Vehicle::GetMenPresent() const { return std::max<int32_t>(TrueClass().Crew() - losses, 0); }

void Vehicle::CloseHatchesIfAble() {
  bool flag = false;
  if (alive != 0 && buttoned == 0 && CanToggleButtoned(flag)) ToggleButtoned();
}

void Vehicle::BailOutAndEnd(bool knockedOut) {
  Unit* crew = BailOutCrew(false);
  // Without a battle to hand it to, the crew is ours to delete.
  if (crew != nullptr && GetUnitOrderHost() == nullptr) delete crew;
  // A knocked-out vehicle with nobody left to bail out (or a boat) must not drive on.
  if (knockedOut && alive != 0) Eliminate();
}

float Vehicle::BailOutChance(float casualtyChance, bool lossesGrew) const {
  float chance = std::sqrt(static_cast<float>(CrewCount())) * casualtyChance *
                 (1.2f - 0.2f * static_cast<float>(GetRating()));
  if (lossesGrew) chance += 0.3f;
  if (gunDestroyed != 0) {
    chance += 0.2f;
  } else if (immobilized != 0) {
    chance += 0.15f;
  }
  return chance;
}

void Vehicle::ApplyDamage(bool knocksOut, bool burns, bool exploding, float casualtyChance, bool turretCrew,
                          bool single, float bailFactor) {
  if (burns) knocksOut = true;
  if (IsBoat()) {
    burns = false;
    exploding = false;
  }
  if (burns) burning = 1;
  if (knocksOut) knockedOut = 1;
  const int32_t crew = CrewCount();
  const int32_t before = losses;
  if (GetMenPresent() > 0) {
    const int32_t rolls = single ? 1 : crew - losses;
    for (int32_t i = 0; i < rolls; ++i) {
      if (RandomFloat() < casualtyChance) ++losses;
    }
    if (losses > before) {
      if (turretCrew || losses == crew - 1) {
        gunCrewStunTimer = 30.0f;
        ResetAimTime();
        ClearOrderState(false);
      }
      if (!turretCrew) {
        driverStunTimer = 30.0f;
        Swerve();
      }
      if (losses >= crew) {
        knocksOut = true;
        knockedOut = 1;
      }
      if (buttoned == 0) MaybeVoiceSound(3, 100, 0.0f, 0.5f);
      stateChanged = 1;
    }
    if (!single) {
      const bool protectedRiders = TrueClass().RidersProtected() != 0;
      for (int32_t i = 1; i >= 0; --i) {
        Unit* rider = passengers[static_cast<size_t>(i)];
        if (rider == nullptr) continue;
        if (exploding) {
          rider->TakeQuietCasualties(1.0f);
        } else if (protectedRiders) {
          rider->TakeQuietCasualties(casualtyChance);
        }
      }
    }
  }
  const bool grew = losses > before;

  bool bail = knocksOut || losses >= (IsEmplacement() ? 3 : 2) || (losses >= crew - 1 && HasMainWeapon());
  if (!bail && !single && !IsEmplacement() && casualtyChance > 0.0f) {
    if (!(RandomFloat() >= bailFactor && IsArmored(false))) bail = RandomFloat() < BailOutChance(casualtyChance, grew);
  }
  if (bail && (knocksOut || !IsBoat())) BailOutAndEnd(knocksOut);

  if (!(knocksOut && burns)) {
    bool flag = false;
    if (alive != 0 && buttoned == 0 && CanToggleButtoned(flag)) {
      bool grazed = false;
      if (losses == 0) {
        const float threshold = HasMainWeapon() ? 0.005f + RandomFloatTimes(0.03f) : 0.12f + RandomFloatTimes(0.1f);
        grazed = casualtyChance <= threshold;
      }
      if (!grazed) ToggleButtoned();
    }
  } else {
    NewSoundPacket(5);
    if (exploding) {
      NewExplosionPacket(0, kNoWeapon, 0, x, y);
      UnitFirePacket blast;
      const MapBattleServices* battle = UnitBattle();
      blast.slice = static_cast<int16_t>(battle != nullptr ? battle->GetCurrentSlice() : 0);
      blast.x = x;
      blast.y = y;
      blast.z = HullHeight();
      blast.targetX = x;
      blast.targetY = y;
      blast.targetZ = blast.z;
      blast.shooter = this;
      blast.targetUnit = this;
      blast.bodyHit = 0;
      blast.blastValue = 50.0f + RandomFloatTimes(20.0f);
      blast.originShown = emplaced != 0 ? 0 : 1;
      if (UnitServices* services = GetUnitServices()) services->RecordFirePacket(blast);
    }
  }
  wasHit = 1;
}

void Vehicle::TakeDamage(Unit* firer, int32_t weapon, int32_t ammoKind, float px, float py, float pz) {
  VehicleStrike strike;
  const bool known = gWeapons.IsValid(weapon) && weapon != kNoWeapon;
  strike.weapon = weapon;
  strike.ammoKind = ammoKind;
  strike.fireKind = known ? gWeapons[weapon].Type() : 0;
  strike.startX = firer != nullptr ? firer->x : px;
  strike.startY = firer != nullptr ? firer->y : py;
  strike.startZ = pz;
  strike.currentX = px;
  strike.currentY = py;
  strike.target = this;
  strike.shooter = firer;
  const float strength = known ? WeaponFragmentValue(weapon, std::clamp(ammoKind, 0, 3)) : 0.0f;
  TakeStrikeDamage(strength, 0, strike);
}

float Vehicle::UnarmouredKnockOutChance(float s, int32_t fireKind) const {
  float p = 0.007f * s;
  if ((TrueClass().Flags() & kSoftVehicle) != 0) p *= 0.5f;
  if (IsBoat()) {
    p *= 0.2f;
    if (fireKind == 0 || fireKind == 7) p *= 0.25f;
  }
  return p;
}

void Vehicle::TakeStrikeDamage(float s, int32_t count, VehicleStrike& shot) {
  if (shot.shooter != nullptr) lastFirer = shot.shooter;
  const int32_t special = shot.aimedAt == this ? shot.specialCode : 0;
  if (special != 0 && !shot.fromAbove && shot.attacker != nullptr) {
    s *= shot.attacker->HitChance(1, 0, this, 0, special);
  }
  const VehicleData record = TrueClass();
  const uint16_t flags = record.Flags();
  const bool flame = shot.fireKind == 6;

  if (!IsArmored(false)) {
    const float p = UnarmouredKnockOutChance(s, shot.fireKind);
    if (RandomFloat() < p && shot.fireKind != 7) {
      bool burning = false;
      bool exploding = false;
      if (!IsBoat()) {
        float q = std::clamp(p, 0.2f, 0.75f);
        if (flame) q = std::max(q, 0.8f);
        if (RandomFloat() < q) {
          burning = true;
          exploding = Random(2) == 0;
        }
        NewSoundPacket(18);
      }
      ApplyDamage(true, burning, exploding, 0.0f, false, false, 1.0f);
      return;
    }
    if ((flags & kSoftVehicle) != 0) return;
    const bool wasAlive = alive != 0;
    ApplyDamage(false, false, false, s / 362.5f, false, false, 1.0f);
    if (wasAlive && alive == 0 && shot.fireKind != 7) NewSoundPacket(8);
    return;
  }

  // Which plate takes it.
  int32_t part = 1;
  int32_t facingStruck = 0;
  bool overhead = false;
  bool halveShock = false;
  if (shot.topHit ||
      (GetOpenTopState(0) > 0 && GetElevationFromHull(shot.startX, shot.startY, shot.startZ) >= 45.0f)) {
    part = 3;
  } else if (shot.fromAbove && (shot.fireKind == 0 || shot.fireKind == 3)) {
    part = Random(3) == 0 ? 3 : 4;
    overhead = true;
  } else {
    float share = 0.0f;
    GetArmorFacingFrom(shot.startX, shot.startY, false, true, &share);
    const float killValue = IsEmplacement() ? RangeFalloff(DistanceToPoint(shot.startX, shot.startY)) : 0.5f;
    part = ChooseHitLocation(false, false, share, false, killValue);
    if (part == 5 || part == 6) part = IsEmplacement() ? 2 : 1;
    facingStruck = GetArmorFacingFrom(shot.startX, shot.startY, part == 0, true);
    const bool blastKind = shot.fireKind == 0 || shot.fireKind == 7;
    if (IsEmplacement() && part == 1 && facingStruck == 0 && !blastKind && Random(100) < 90) part = 2;
    if (blastKind && facingStruck == 0 && (flags & kForwardMount) != 0 && !shot.screened) halveShock = true;
  }

  ArmourRequest request;
  request.x = shot.startX;
  request.y = shot.startY;
  request.z = shot.startZ;
  request.useElevation = true;
  request.part = part;
  request.facing = facingStruck;
  request.useSlope = !flame;
  request.calibre = special == 2 ? 13.0f : 8.0f;
  request.fireKind = 0;
  request.ammoKind = 1;
  ArmourOutcome outcome;
  const float armour = ComputePenetration(request, &outcome);

  float pen = 0.0f;
  if (flame) {
    if (IsEmplacement()) {
      pen = Random(2) == 0 ? 2.0f * armour : 0.0f;
    } else {
      pen = (1.0f - std::pow(RandomFloat(), 0.1f)) * 500.0f;
    }
  } else if (special == 0) {
    pen = 0.1f;
  } else {
    bool shattered = false;
    pen = SpecialWeaponPenetration(special, DistanceToPoint(shot.startX, shot.startY), outcome.faceHardened,
                                   outcome.hardness, outcome.ratio, &shattered);
  }
  if (pen > 0.2f) pen *= 0.9f + 0.2f * RandomFloat();
  if (overhead) pen *= 0.5f;

  if (pen < armour) {
    if (shot.fireKind == 0 && RandomFloatTimes(50.0f) < s) NewSoundPacket(8);
    BlastCrewShock(s, count, halveShock, flame);
  } else {
    if (shot.fireKind == 0) NewSoundPacket(8);
    const float c = s / 362.5f;
    float k = flame ? 0.5f : std::min(0.4f * s / (static_cast<float>(record.Weight()) + 60.0f), 0.8f);
    if (IsEmplacement() && !((flame || special != 0) && shot.fireKind != 0 && shot.fireKind != 7)) k = 0.0f;
    const bool knockedOut = RandomFloat() < k;
    bool burning = false;
    bool exploding = false;
    if (knockedOut) {
      burning = RandomFloat() < 0.1f || flame || IsEmplacement();
      exploding = burning && Random(2) == 0;
    }
    const bool turretCrew = Random(2) == 0;
    ApplyDamage(knockedOut, burning, exploding, c, turretCrew, false, 1.0f);
    ResetAimTime();
  }
  BlastEffects(s, shot, armour <= pen, special, 1, 1);
}

void Vehicle::BlastEffects(float s, VehicleStrike& shot, bool penetrated, int32_t special, int32_t gunCode,
                           int32_t hullCode) {
  if (alive == 0 || shot.fireKind == 6 || shot.fireKind == 7 || shot.weapon == 97 || shot.weapon == 99) return;
  const float weight = static_cast<float>(TrueClass().Weight());
  if (shot.weapon != 93 && !IsEmplacement()) {
    if (!penetrated && shot.fireKind == 0) {
      if (immobilized == 0 && special == 2) {
        const int32_t kind = Random(3) == 0 ? 6 : 5;
        RollSystemDamage(s, kind, shot.fromAbove ? 0.03f : 0.04f, shot.ammoKind == 0, &shot.flags);
      }
    } else {
      const float base = 0.06f * s / (weight + 70.0f);
      float gun = gunCode == 1 ? 0.5f * base : (gunCode == 2 ? 2.5f * base : 0.0f);
      float hull = hullCode == 1 ? base : (hullCode == 2 ? 5.0f * base : 0.0f);
      hull = std::min(ImmobilizationFactor(hull, shot.fireKind == 0), 0.9f);
      if (shot.target == this && (shot.fireKind == 4 || shot.fireKind == 5)) {
        hull *= 0.25f;
        gun *= 2.5f;
      }
      if (RandomFloat() < hull) ApplySystemDamage(5, &shot.flags);
      gun = std::min(gun, 0.3f);
      if (RandomFloat() < gun) ApplySystemDamage(6, &shot.flags);
    }
  }
  if (alive != 0 && weight < 110.0f && shot.fireKind != 0 && BlastKnocksOut(shot)) KnockOutByBlast();
}

float Vehicle::BlastValueAt(const VehicleStrike& shot) const {
  const float f = WeaponFragmentValue(shot.weapon, std::clamp(shot.ammoKind, 0, 3));
  const float d = std::max(DistanceToPoint(shot.currentX, shot.currentY), 3.0f);
  float v = 1.44f * f / std::pow(d, 2.4f);
  if (shot.target == this && (shot.fireKind == 2 || shot.fireKind == 3)) v *= 0.6667f;
  return v;
}

bool Vehicle::BlastKnocksOut(const VehicleStrike& shot) {
  const float v = BlastValueAt(shot);
  return static_cast<float>(TrueClass().Weight()) <= (0.75f + RandomFloatTimes(0.5f)) * v;
}

void Vehicle::KnockOutByBlast() {
  if (IsEmplacement()) {
    burning = 1;
  } else if (burning == 0) {
    abandoned = 1;
  }
  const int32_t remaining = CrewCount() - losses;
  for (int32_t i = 0; i < remaining; ++i) {
    if (RandomFloat() < 0.5f) ++losses;
  }
  for (int32_t i = 1; i >= 0; --i) {
    if (Unit* rider = passengers[static_cast<size_t>(i)]) rider->TakeQuietCasualties(0.5f);
  }
  knockedOut = 1;
  wasHit = 1;
  BailOutAndEnd(true);
}

float Vehicle::CrewShockChance(float s, int32_t count, bool halve, bool flame) const {
  if (IsEmplacement() || buttoned != 0) return 0.0f;
  if (flame) return 0.6f;
  float c = (0.05f * static_cast<float>(count) + 1.0f) * s / 362.5f * 0.5f;
  if (halve) c *= 0.5f;
  return std::min(c, 0.8f);
}

void Vehicle::BlastCrewShock(float s, int32_t count, bool halve, bool flame) {
  if (IsEmplacement() || buttoned != 0) return;
  ApplyDamage(false, false, false, CrewShockChance(s, count, halve, flame), true, true, 0.0f);
}

void Vehicle::SetOffMine() {
  if (!IsArmored(false)) {
    const bool b = Random(2) == 0;
    ApplyDamage(true, b, b, 0.4f, false, false, 1.0f);
    return;
  }
  ApplySystemDamage(5, nullptr);
  ApplyDamage(false, false, false, 0.18f - 0.0012f * static_cast<float>(TrueClass().Weight()), false, false, 1.0f);
}

void Vehicle::Swerve() {
  if (speed == 0.0f) return;
  float r = (RandomFloatTimes(2.0f) - 1.0f) * GetTurnStep();
  if (std::fabs(speed) < 0.125f) r *= 8.0f * std::fabs(speed);
  turnRate += r;
}

void Vehicle::Eliminate() {
  MapBattleServices* battle = UnitBattle();
  Map* map = battle != nullptr ? const_cast<Map*>(battle->GetMap()) : nullptr;
  if (burning != 0 && map != nullptr) map->InvalidateVisibilityNear(x, y, sizeFactor);
  if (alive != 0) {
    activityCodes = {2, 2, 2};
    ResetAimTime();
    if (speed == 0.0f) StopTurning();
    Swerve();
    if (IsBoat() && GetTerrainHere() == 25) {
      for (Unit* rider : passengers) {
        if (rider != nullptr) rider->Eliminate();
      }
    }
    // The firer's kill record counts the vehicle, by class once the enemy knows it fully.
    if (lastFirer != nullptr) {
      lastFirer->killRecord.AddVehicleKill(GetIdentificationLevelFor(!IsAxis(), true) >= 4 ? classIndex : -1);
    }
    if (IsIdentified() && (buttoned == 0 || GetOpenTopState(0) > 0)) MaybeVoiceSound(8, 75, 0.5f, 1.5f);
    lastFirer = nullptr;
  }
  Unit::Eliminate();
}

bool Vehicle::SetHitReport(const HitReport& report, int32_t facingStruck, int32_t slice) {
  if (report.part < 0 || report.part > 6 || facingStruck < 0 || facingStruck > 2) {
    GErrorLog::LogValue("Vehicle: a replayed hit report out of range is ignored, part", report.part);
    return false;
  }
  lastHit = report;
  hitFacing = facingStruck;
  hitReportValue = slice;
  return true;
}
