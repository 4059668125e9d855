// Targets, ammunition and gun laying: how a unit takes a target (a unit, a point or an
// ambush marker), spends its rounds and lays its gun while the aim time runs down.
#include <algorithm>
#include <cmath>

#include "framework/core/GString.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/UnitNearPoint.h"

namespace {

constexpr int32_t kAmbushMarker = 3;
constexpr int32_t kMaxAmbushMarkers = 30;

int32_t AmbushMarkersOfSide(int32_t side) {
  const MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return 0;
  int32_t count = 0;
  const int32_t units = battle->GetUnitCount();
  for (int32_t i = 0; i < units; ++i) {
    const MapUnitView* unit = battle->GetUnit(i);
    if (unit != nullptr && unit->GetUnitKind() == MapUnitView::kInanimate && unit->GetInanimateKind() == kAmbushMarker &&
        unit->GetSideByte() == side) {
      ++count;
    }
  }
  return count;
}

}  // namespace

void Unit::SetTarget(Unit* newTarget, float px, float py, bool smoke, bool noOrdered) {
  if (flagBytes[kAmbushFlag] != 0) {
    flagBytes[kAmbushFlag] = 0;
    if (!CanPlaceAmbush(px, py)) return;
    Unit* marker = CreateUnit(kInanimate, kAmbushMarker, GetKindGroup(), 0);
    marker->side = side;
    marker->SetPosition(px, py);
    UnitServices* services = GetUnitServices();
    if (services == nullptr || !services->AddNewUnit(marker)) {
      delete marker;
      return;
    }
    marker->AssignDesignation();
    newTarget = marker;
  }
  // A weapon of type 4 engages a unit it cannot see at its position, where it can.
  if (newTarget != nullptr && GetMainWeaponType() == 4 && !LineOfSightTo(*newTarget) &&
      CanTargetPoint(newTarget->x, newTarget->y)) {
    px = newTarget->x;
    py = newTarget->y;
    newTarget = nullptr;
  }
  flagBytes[kSmokeFireFlag] = 0;
  bool reach = false;
  if (newTarget == nullptr) {
    reach = (CanTargetPoint(px, py) || HasMainWeaponOfType5()) && IsInRange(DistanceToPoint(px, py), 0, 1.0f);
  } else if (!newTarget->IsInanimate()) {
    reach = IsInRange(DistanceTo(*newTarget), 0, 1.5f);
  } else {
    reach = AmbushInReach(*newTarget);
  }
  if (!reach) {
    ClearOrderState(true);
    return;
  }
  const bool changed = newTarget == nullptr || newTarget != target;
  if ((!smoke && !HasMainWeaponOfType5()) || newTarget == nullptr) {
    target = newTarget;
    areaFire = newTarget == nullptr ? 1 : 0;
    if (newTarget == nullptr) {
      targetX = px;
      targetY = py;
    } else if (!newTarget->IsPresent()) {
      flagBytes[kTargetAbsentFlag] = 1;
    }
  } else {
    // Smoke at a unit, or indirect fire: the unit's position becomes the target point.
    targetX = newTarget->x;
    targetY = newTarget->y;
    areaFire = 1;
    target = nullptr;
  }
  flagBytes[kSmokeFireFlag] = smoke ? 1 : 0;
  orderedTarget = noOrdered ? nullptr : newTarget;
  if (changed) {
    const float oldAim = aimTime;
    ResetAimTime();
    shotCounter = 0;
    if (HasMainWeaponOfType5() && IsNearLinkedPoint(px, py) && !UnitNearPoint(targetX, targetY)) {
      aimTime = std::max(oldAim, 0.2f * aimTime);
    }
  }
}

bool Unit::CanTarget(const Unit& other) const {
  if (HasSurrendered()) return false;
  if (other.IsInanimate()) return other.GetInanimateKind() == kAmbushMarker && !IsEnemy(other);
  if (!IsEnemy(other)) return false;
  if (other.alive != 0) return !other.HasSurrendered();
  return HasMainWeapon() && other.IsActive();
}

void Unit::UseAmmo(int32_t kindUsed) {
  if (kindUsed < 0 || kindUsed >= kAmmoKinds) FatalError(__LINE__, "Unit.cpp");
  uint16_t& count = ammo[static_cast<size_t>(kindUsed)];
  if (count == 0 && !IsOutOfMainAmmo()) FatalError(__LINE__, "Unit.cpp");
  if (count != 0) {
    --count;
    if (count == 0 && HasMainWeaponOfType5()) {
      target = nullptr;
      areaFire = 0;
      gUnitStateChanged = 1;
    }
  }
  if (ammo[0] < 11 && !HasMainWeapon() && !HasMainWeaponOfType5()) {
    MaybeVoiceSound(6, 20 - ammo[0], 0.5f, 5.0f);
  }
  if (!HasAnyAmmo()) {
    reloadState = 0.0f;
    aimTime = 0.0f;
    gUnitStateChanged = 1;
  }
}

void Unit::UpdateGunElevation() {
  const auto countDown = [this] { aimTime = aimTime >= 0.025f ? aimTime - 0.025f : 0.0f; };
  if (!HasMainWeaponOfType23()) {
    countDown();
    return;
  }
  const float laying = target != nullptr && target->IsAirplane() ? 0.5f : 1.5f;
  // The aim time waits until the gun is laid.
  if (aimTime < laying && gunElevation != goalGunElevation) return;
  if (aimTime >= laying && aimTime < laying + 0.025f) {
    float px = 0.0f;
    float py = 0.0f;
    float pz = 0.0f;
    if (GetTargetPosition(px, py, &pz)) {
      if (target != nullptr && target->IsVehicle()) pz += 1.5f;
      int32_t weapon = 0;
      int32_t type = 0;
      QueryWeapon(0, weapon, type);
      if (ammoKind < 0 || ammoKind >= kAmmoKinds || ammo[static_cast<size_t>(ammoKind)] == 0) {
        ammoKind = ChooseAmmo(target);
      }
      if (ammoKind >= 0 && ammoKind < kAmmoKinds) {
        float d = 0.0f;
        const float n = static_cast<float>(ShotTiming(weapon, type, ammoKind, nullptr, px, py, pz, d));
        // Area fire at the unit's own spot: the distance is taken as at least 1 m.
        d = std::max(d, 1.0f);
        const float a = 2.0f / d;
        const float b = 0.5f - a;
        const float drop = (0.25f - b * b) * 0.00305f * n * n;
        const float rise = (pz - GetBaseHeight() - 2.0f) * a;
        float elevation = std::atan(0.5f * (drop + rise)) * 57.29578f + GetHullTilt();
        const float highest = target != nullptr && target->IsAirplane() ? 50.0f : 20.0f;
        elevation = std::clamp(elevation, -12.0f, highest);
        if (elevation != goalGunElevation) {
          goalGunElevation = elevation;
          gUnitStateChanged = 1;
        }
      }
    }
  }
  countDown();
}

bool Unit::CanPlaceAmbush(float px, float py) {
  const bool mainWeapon = HasMainWeapon();
  // Present, not indirect fire, not a passenger, and armed to fire at points: a main weapon,
  // or an infantry class that can ambush.
  if (!CanFireAtPoints()) return false;
  if (!CanTargetPoint(px, py)) return false;
  if (!TraceSightToPoint(px, py)) return false;
  float reach = 50.0f + 30.0f * static_cast<float>(GetEffectiveRating(2));
  if (mainWeapon && GetMainWeaponType() != 1) reach = 300.0f;
  if (DistanceToPoint(px, py) > reach) return false;
  return AmbushMarkersOfSide(side) < kMaxAmbushMarkers;
}

bool Unit::AmbushInReach(const Unit& marker) {
  if (!marker.IsInanimate() || marker.GetInanimateKind() != kAmbushMarker) return false;
  if (!HasMainWeapon() && !IsAmbushClass()) return false;
  if (HasMainWeaponOfType5()) return false;
  if (!LineOfSightTo(marker)) return false;
  return IsInRange(DistanceTo(marker), 0, 1.0f);
}

int32_t Unit::CloseRangeBonus(float distance) const {
  const MapBattleServices* battle = UnitBattle();
  const bool dark = battle != nullptr && battle->GetTimeOfDay() == 2;
  const float reach = dark ? 125.0f : 225.0f;
  if (distance <= 10.0f) return 35;
  if (distance >= reach) return 0;
  const float share = (reach - distance) / (reach - 10.0f);
  return static_cast<int32_t>(std::lround(35.0f * share * share));
}

void Unit::AppendAmmoName(GString& text, int32_t kindUsed) {
  constexpr uint32_t kAmmoNames = 7100;
  if (kindUsed < 0 || kindUsed >= kAmmoKinds) return;
  text.AppendResource(kAmmoNames + static_cast<uint32_t>(kindUsed));
}

float Unit::AmmoKindFactor(int32_t kindUsed) {
  if (kindUsed == 2) return 1.0f;
  if (kindUsed == 3) return 1.2f;
  return 1.4f;
}
