// The simple infantry overrides: class queries, weapon queries, the range test, the interval
// between shots and the aim time, and the operations later work will give.
#include <algorithm>
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/map/FineTerrain.h"
#include "game/map/MapBattleServices.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/fire/WeaponFormulas.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/records/Shot.h"
#include "game/units/tables/Hack.h"
#include "game/units/tables/VehicleData.h"

namespace {

int32_t WeaponClass(int32_t weapon) { return weapon == Infantry::kNoWeapon ? -1 : gWeapons[weapon].Type(); }

}  // namespace

// ---- Operations later work gives ----

// The unit's general form, for callers that know only the weapon: the weapon's fragment value
// as the damage, its type as the shot's kind (the battle's shot step uses the squad's own form
// with the blast's strength).
void Infantry::TakeDamage(Unit* firer, int32_t weapon, int32_t ammoKind, float px, float py, float pz) {
  const bool known = gWeapons.IsValid(weapon) && weapon != kNoWeapon;
  Shot shot;
  shot.shooter = firer;
  shot.weapon = weapon;
  shot.ammoKind = ammoKind;
  const int32_t type = known ? gWeapons[weapon].Type() : 0;
  shot.kind = type >= 1 && type <= 8 ? type : 2;
  shot.shooterX = firer != nullptr ? firer->x : px;
  shot.shooterY = firer != nullptr ? firer->y : py;
  shot.shooterZ = pz;
  shot.impactX = px;
  shot.impactY = py;
  shot.impactZ = pz;
  shot.sourceFlag = firer != nullptr ? 1 : 0;
  const float damage = known ? WeaponFragmentValue(weapon, std::clamp(ammoKind, 0, 3)) : 0.0f;
  TakeDamage(damage, 0, shot);
}

// ---- Class queries ----

bool Infantry::CanMove() const {
  MapBattleServices* battle = UnitBattle();
  if (IsEditorOpen() || (battle != nullptr && battle->IsSetupPhase())) return true;
  return Unit::CanMove() && (Data().ClassCode() <= 8 || IsPassenger());
}

bool Infantry::IsPassenger(bool armourOnly) const {
  if (carrier == nullptr) return false;
  if (!armourOnly) return true;
  const VehicleServices* vehicle = carrier->AsVehicle();
  return carrier->IsArmored() && vehicle != nullptr && vehicle->GetClassData(0).RidersProtected() != 0;
}

int32_t Infantry::GetMenPresent() const { return Data().Men() - losses; }

bool Infantry::IsActive() const {
  if (Unit::IsActive()) return true;
  return HasMainWeaponOfType23(true) && weaponKnockedOut == 0;
}

bool Infantry::HasMainWeapon() const { return GetShownData(0).MainWeapon() != kNoWeapon; }

bool Infantry::CanTargetPoint(float px, float py) {
  if (Unit::CanTargetPoint(px, py)) return true;
  return indirectFire != 0 && GetMainWeaponType() == 4 && CanSeePoint(px, py);
}

bool Infantry::CanSeekTarget() {
  return Unit::CanSeekTarget() && carrier == nullptr && !(HasMainWeapon() && GetBand() >= 4);
}

bool Infantry::HasMainWeaponOfType23(bool flag) const {
  const int32_t type = WeaponClass(Data().MainWeapon());
  return type == 2 || type == 3 || (flag && type == 4);
}

int32_t Infantry::GetMoveClass() const { return InfantryMoveClass(WeaponClass(Data().MainWeapon()), GetSpeedClass()); }

bool Infantry::HasMainWeaponOfType123() const {
  const int32_t type = WeaponClass(Data().MainWeapon());
  return type == 1 || type == 2 || type == 3;
}

bool Infantry::CanFireMainWeapon(bool flag) const { return TestMainWeaponType(flag); }

bool Infantry::IsOutOfMainAmmo() const { return ammo[0] == 0 && !HasMainWeapon() && !IsArtillerySpotter(); }

bool Infantry::HasAnyAmmo() const { return IsOutOfMainAmmo() || Unit::HasAnyAmmo(); }

int32_t Infantry::GetPurchaseCode() const {
  if (IsArtillerySpotter()) return 3;
  if (GetLeaderLevel()) return 1;
  if (HasMainWeaponOfType23(true)) return 2;
  return IsSquad() ? 0 : 10;
}

bool Infantry::IsHiding() const { return activityState == kHiding; }

bool Infantry::IsSettledTeam() const {
  if (HasMoveOrder() || IsSquad() || GetBand() >= 4 || HasSurrendered() || parentUnit != nullptr) return false;
  const int32_t type = WeaponClass(Data().MainWeapon());
  return GetLeaderLevel() || (type != 1 && type != 6);
}

bool Infantry::IsTowedGun() const {
  const int32_t type = WeaponClass(Data().MainWeapon());
  return type == 2 || type == 3;
}

float Infantry::RandomizeValue(float value) { return value * (0.8f + RandomFloatTimes(0.4f)); }

int32_t Infantry::GetWeaponDrawKind(float* scale) const {
  const int32_t weapon = Data().MainWeapon();
  if (weapon == kNoWeapon) {
    if (scale != nullptr) *scale = 1.0f;
    return WeaponData::kNoDrawKind;
  }
  const WeaponData data = gWeapons[weapon];
  if (scale != nullptr) *scale = data.ModelScale();
  return data.DrawKind();
}

// ---- Weapon queries and range ----

int32_t Infantry::QueryWeaponGrade(int32_t& weaponId, int32_t& weaponKind, int32_t mode) const {
  if (specialWeaponFiring != 0) {
    if (antitankCount == 0) FatalError(2729, kInfantryFile);
    weaponId = antitankWeaponId;
    weaponKind = 1;
    return 0;
  }
  const InfantryData shown = GetShownData(mode);
  weaponId = shown.MainWeapon();
  if (weaponId == kNoWeapon) {
    weaponKind = 0;
    const int32_t first = shown.SlotSmallArms(0);
    return first >= 25 ? 2 : first >= 14 ? 1 : 0;
  }
  weaponKind = gWeapons[weaponId].Type();
  return 0;
}

void Infantry::GetRangeBounds(int32_t selector, float factor, float& low, float& high) const {
  const InfantryData data = Data();
  const bool moving = selector != 0 && speed != 0.0f;
  low = 0.0f;
  high = 0.0f;
  if (moving && data.SpeedClass() < 4) {
    high = IsSquad() ? 40.0f : 0.0f;
  } else if (data.MainWeapon() != kNoWeapon) {
    const WeaponData weapon = gWeapons[data.MainWeapon()];
    low = weapon.MinRange();
    high = weapon.MaxRange() * factor;
  } else {
    int32_t best = 0;
    const int32_t slots = std::clamp<int32_t>(data.WeaponSlotCount(), 0, InfantryData::kWeaponSlots);
    for (int32_t i = slots - 1; i >= 0; --i) {
      if (menInSlot[static_cast<size_t>(i)] == 0) continue;
      const SmallArmsData arms = gSmallArms[data.SlotSmallArms(i)];
      if (moving && arms.AntiArmourClass() == 0) continue;
      best = std::max<int32_t>(best, arms.MaxRange());
    }
    high = static_cast<float>(best) * factor;
  }
}

// ---- Shot interval and aim time ----

float Infantry::GetRateOfFireTime(int32_t mode, int32_t selector) const { return GetReloadTime(mode != 0, selector != 0); }

float Infantry::GetAimTime(int32_t mode, int32_t selector) const { return GetAimTimeFor(mode != 0, selector != 0); }

float Infantry::GetReloadTime(bool randomize, bool flag) const {
  const InfantryData data = Data();
  float t;
  if (IsArtillerySpotter()) {
    static constexpr float kByRating[9] = {2.0f, 1.4f, 1.0f, 0.85f, 0.7f, 0.6f, 0.55f, 0.5f, 0.45f};
    const WeaponData weapon = gWeapons[data.MainWeapon()];
    const int16_t kindCode = weapon.I16(88);
    t = kindCode == 0 ? 240.0f : kindCode == 2 ? 120.0f : 180.0f;
    const int32_t r = GetRating();
    if (r < 0 || r > 8) FatalError(2452, kInfantryFile);
    t *= kByRating[r];
    if (weapon.I16(90) == 2) t *= 0.5f;
  } else {
    if (data.Ordnance() == kOrdnanceMarker) {
      const int32_t w = data.MainWeapon();
      if (w == kNoWeapon) FatalError(2471, kInfantryFile);
      const int32_t type = gWeapons[w].Type();
      if (burst == 0 && !flag && type == 4) {
        t = 6.0f;
      } else {
        t = 2.5f;
        if ((burst == 0 && !flag) || type == 1) t += 2.0f;
      }
    } else if (HasWeapon92()) {
      t = 5.0f;
    } else {
      t = turnRate != 0.0f && speed == 0.0f && waypointCount > 0 ? 0.2f : 0.1f;
    }
    t *= (suppression + 100.0f) * 0.01f;
  }
  if (randomize) t = RandomizeValue(t);
  return t;
}

float Infantry::GetAimTimeFor(bool randomize, bool ignoreTarget) const {
  const InfantryData data = Data();
  float t = static_cast<float>(data.Ordnance());
  if (IsArtillerySpotter()) return randomize ? RandomizeValue(t) : t;
  if (HasWeapon92()) {
    t = 20.0f;
  } else if (data.Ordnance() == kOrdnanceMarker) {
    const int32_t w = data.MainWeapon();
    if (w == kNoWeapon) FatalError(2571, kInfantryFile);
    const WeaponData weapon = gWeapons[w];
    t = AimTime(w, weapon.Type(), weapon.F32(8), static_cast<float>(GetRating())) * 0.8f;
    if ((weapon.I32(92) & 8) != 0) {
      if (randomize && Random(4) == 0) {
        t = 30.0f + RandomFloatTimes(30.0f);
      } else {
        t *= 1.6f;
      }
    }
  } else if (target != nullptr && !ignoreTarget) {
    t *= GetCloseRangeFactor();
  }
  bool movable = false;
  bool typeOne = false;
  if (losses > 0 && IsCrewedWeapon(movable, typeOne)) {
    const int32_t present = GetMenPresent();
    if (!movable && present > 0) {
      t *= std::sqrt(static_cast<float>(data.Men() + 1) / static_cast<float>(present));
    } else if (movable && present == 1) {
      t *= 2.0f;
    }
  }
  t *= (suppression * 1.2f + 100.0f) * 0.01f;
  if (IsOutOfMainAmmo()) t = std::max(t, 39.0f);
  if (randomize) t = RandomizeValue(t);
  return t;
}

float Infantry::GetCloseRangeFactor() const {
  float v = 1.0f;
  if (target == nullptr) return v;
  const float d = DistanceTo(*target);
  if (d < 120.0f) v = std::max(d, 10.0f) * 0.00682f + 0.18182f;
  if (suppression < 100.0f && d < 600.0f && IsMoving() && !target->IsArmored()) {
    int32_t weapon = kNoWeapon;
    int32_t weaponKind = 0;
    const int32_t grade = QueryWeaponGrade(weapon, weaponKind, 0);
    const float r = grade != 0 ? 600.0f : 200.0f;
    if (weaponKind == 0 && d < r) {
      const float vis = target->VisibilityFromPoint(x, y, GBoundingBox::z, true);
      if (vis > 1.0f) {
        float w = (vis * 2.0f - 2.0f) * 0.9090909f + 1.0f;
        if (d > r / 3.0f) w = (w - 1.0f) * (1.0f - d / r) * 1.5f + 1.0f;
        const float f = ((100.0f - suppression) / w + suppression) * 0.01f;
        if (f < v) v = f;
      }
    }
  }
  return v;
}

bool Infantry::IsCrewedWeapon(bool& movable, bool& typeOne) const {
  const InfantryData data = Data();
  const int32_t w = data.MainWeapon();
  const int32_t t = WeaponClass(w);
  if (w != kNoWeapon && (t == 5 || t == 6 || t == 7)) return false;
  if (w == kNoWeapon && data.FigureKind(0) != 3 && data.FigureKind(0) != 4) return false;
  movable = data.SpeedClass() >= 2;
  typeOne = w != kNoWeapon && t == 1;
  return true;
}

int32_t Infantry::ReturnManToSlot() {
  const InfantryData data = Data();
  const int32_t missing = GetFullStrength() - GetMenPresent();
  if (missing <= 0) return -1;
  int32_t r = Random(missing);
  int32_t last = -1;
  for (int32_t slot = InfantryData::kWeaponSlots - 1; slot >= 0; --slot) {
    const int32_t deficit = data.SlotMen(slot) - menInSlot[static_cast<size_t>(slot)];
    if (deficit < 1) continue;
    last = slot;
    r -= deficit;
    if (r < 0) break;
  }
  // Shortfalls that add up to fewer men than are missing leave the draw unspent: the man
  // still goes to the last slot short of men rather than to none.
  if (last >= 0) ++menInSlot[static_cast<size_t>(last)];
  return last;
}

// ---- Identification, fire arc and weapon use ----

bool Infantry::IsKnownToViewer() const {
  if (WeaponClass(Data().MainWeapon()) == 4) return identificationLevel > 2 && IsIdentified();
  return Unit::IsKnownToViewer();
}

bool Infantry::IsPointInFireArc(float px, float py) const {
  return IsStationary() || IsPointInArc(facing, 25.0f, px, py);
}

bool Infantry::IsMainWeaponUsable() const {
  return !(WeaponClass(Data().MainWeapon()) == 4 && IsBuildingTerrain(GetTerrainHere()));
}

bool Infantry::TestMainWeaponType(bool anyType) const {
  int32_t weapon = kNoWeapon;
  int32_t type = 0;
  if (QueryWeaponGrade(weapon, type, 0) != 0) return true;
  if (weapon == kNoWeapon) return false;
  if (anyType) return true;
  return type != 1 && type != 5 && type != 6 && type != 7;
}
