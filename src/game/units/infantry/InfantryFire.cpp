// Infantry firepower, the hit chances of its shots, the values of its unit pass and its
// choice of ammunition.
#include <algorithm>
#include <cstdio>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "game/map/MapBattleServices.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/fire/WeaponFormulas.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/tables/SmallArmsData.h"
#include "game/units/tables/WeaponData.h"

namespace {

void LogBadState(int32_t state) {
  char line[64];
  std::snprintf(line, sizeof line, "Infantry: bad movement state %d", static_cast<int>(state));
  GErrorLog::LogError(line);
}

}  // namespace

float Infantry::FirepowerAt(float range, int32_t* heavyGrade, bool ignoreMotion, bool scaleByRating) const {
  const InfantryData data = Data();
  if (heavyGrade != nullptr) *heavyGrade = 0;
  int32_t mode = 0;
  if (!ignoreMotion) {
    if (speed != 0.0f && data.SpeedClass() != 4) return 0.0f;
    if (activityState == kSneak || activityState == kHiding || activityState == kCrawl) return 0.0f;
    mode = activityState == kRun ? 2 : activityState == kMove ? 1 : 0;
  }
  float fp = 0.0f;
  int32_t grade = 0;
  const int32_t slots = std::clamp<int32_t>(data.WeaponSlotCount(), 0, InfantryData::kWeaponSlots);
  for (int32_t slot = slots - 1; slot >= 0; --slot) {
    const int32_t weapon = data.SlotSmallArms(slot);
    if (!gSmallArms.IsValid(weapon)) continue;
    const float f = SmallArmsFirepowerAt(gSmallArms[weapon], range, mode);
    if (f > 0.0f) {
      fp += static_cast<float>(menInSlot[static_cast<size_t>(slot)]) * f;
      if (slot == 0) grade = weapon >= 25 ? 2 : weapon > 13 ? 1 : 0;
    }
  }
  if (!ignoreMotion) fp = fp * static_cast<float>(data.FirepowerScale()) * 0.01666666753590107f;
  if (scaleByRating) fp = ScaleByRating(fp, true);
  // A defender's squad that has held its ground reaches farther.
  if (range > 300.0f && grade != 0 && data.SpeedClass() < 3 && movementFlag == 0) {
    const UnitServices* services = GetUnitServices();
    const int32_t attacker = services != nullptr ? services->GetAttackerSideIndex() : 2;
    if (GetSideIndex() != attacker) {
      if (range <= 1500.0f) {
        fp *= 0.79212f + 0.00077576f * range - 2.494e-07f * range * range;
      } else {
        fp *= 1.4f;
      }
    }
  }
  if (heavyGrade != nullptr) *heavyGrade = grade;
  return fp;
}

void Infantry::AdjustHitChances(const Unit& other, float& first, float& second) const {
  const bool runOrCrawl = activityState == kRun || activityState == kCrawl;
  const float b = RelativeBearingToUnit(other, true, true);
  if (b > 45.0f && b < 135.0f) {
    if (b >= 60.0f) first *= runOrCrawl ? 0.5f : 0.75f;
  } else if (b >= 135.0f) {
    first = runOrCrawl ? 0.0f : first * 0.5f;
  } else if (IsSettledTeam()) {
    const VehicleServices* vehicle = other.IsVehicle() ? const_cast<Unit&>(other).AsVehicle() : nullptr;
    const bool exposedKind = vehicle == nullptr || vehicle->IsHullDownFrom(*this);
    if (!(exposedKind && other.TerrainQuery(true))) {
      const auto* infantry = other.IsInfantry() ? dynamic_cast<const Infantry*>(&other) : nullptr;
      const bool hiding = infantry != nullptr && infantry->IsHiding();
      first *= hiding ? 2.0f : 4.0f;
    }
  }
  if (parentUnit != nullptr) first *= 0.3f;
  switch (activityState) {
    case kStationary: break;
    case kSneak:
      second *= 0.8f;
      first *= 0.75f;
      break;
    case kRun:
      second *= 0.3f;
      first *= 0.25f;
      break;
    case kHiding: first *= 0.75f; break;
    case kCrawl:
      second *= 0.5f;
      first *= 0.4f;
      break;
    default:
      if (activityState != kMove) {
        LogBadState(activityState);
        FatalError(5039, kInfantryFile);
      }
      second *= 0.6f;
      first *= 0.75f;
  }
}

void Infantry::UnitPassValues(bool asShown, float& exposure, float& classFactor) {
  const int32_t savedState = activityState;
  const float savedX = x;
  const float savedY = y;
  float e = 20.0f;
  if (asShown) {
    activityState = kHiding;
    float sx = x;
    float sy = y;
    GetShownPosition(sx, sy, nullptr);
    x = sx;
    y = sy;
  } else {
    const MapBattleServices* battle = UnitBattle();
    if (battle != nullptr && battle->IsSetupPhase()) {
      activityState = kHiding;
    } else if (!CanFight() && activityState != kRun) {
      activityState = kMove;
    } else if (activityState == kHiding && identificationLevel > 1) {
      activityState = kStationary;
    }
    switch (activityState) {
      case kStationary: e = 25.0f; break;
      case kMove: e = 50.0f; break;
      case kSneak: e = 30.0f; break;
      case kRun: e = 80.0f; break;
      case kHiding: e = 20.0f; break;
      case kCrawl: e = 60.0f; break;
      default:
        LogBadState(activityState);
        FatalError(4934, kInfantryFile);
    }
  }
  const InfantryData data = Data();
  const int32_t weapon = data.MainWeapon();
  const bool counted = weapon != kNoWeapon && gWeapons.IsValid(weapon) && gWeapons[weapon].Count() != 0;
  float g = 1.0f;
  switch (data.ClassCode()) {
    case 2: g = 1.2f; break;
    case 3: g = 1.3f; break;
    case 4: g = 1.4f; break;
    case 5: g = 1.5f; break;
    case 6:
    case 7: g = 1.6f; break;
    case 8: g = counted ? 2.5f : 1.7f; break;
    case 9: g = counted ? 2.8f : 1.9f; break;
    case 10: g = 3.0f; break;
    default: g = weapon == 92 ? 0.333f : 1.0f;
  }
  const auto r = static_cast<float>(8 - GetEffectiveRating(2));
  const float k = 0.42f + 0.033333f * r + 0.0105f * r * r;
  classFactor = g * k;
  exposure = e * k * k;
  activityState = savedState;
  x = savedX;
  y = savedY;
}

int32_t Infantry::ChooseAmmo(const Unit* targetUnit) const {
  if (flagBytes[kSmokeFireFlag] != 0 && targetUnit == nullptr) {
    if (ammo[4] == 0 && (!IsArtillerySpotter() || ammo[0] == 0)) return kNoAmmo;
    return 4;
  }
  if (specialWeaponFiring != 0) {
    if (antitankCount < 1) FatalError(3943, kInfantryFile);
    return 3;
  }
  if (targetUnit != nullptr && targetUnit == target && ammoKind != kNoAmmo && ammoKind >= 0 &&
      ammoKind < kAmmoKinds && ammo[static_cast<size_t>(ammoKind)] != 0) {
    return ammoKind;
  }
  if (ammo[0] == 0 && !HasMainWeapon() && !IsArtillerySpotter()) return 0;
  return Unit::ChooseAmmo(targetUnit);
}
