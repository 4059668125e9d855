// The unit's small operations: kind group, morale band, strength, weapon, rating factors,
// aim re-priming, order clearing, activity, textures and designation.
#include <algorithm>
#include <cmath>

#include "framework/core/GString.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraphic.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/units/ports/InanimateServices.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/ports/UnitServices.h"

namespace {

// The target reference point (inanimate kind 2) of the battle within 20 m of the point.
const MapUnitView* ReferencePointNear(float px, float py) {
  MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return nullptr;
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    const MapUnitView* unit = battle->GetUnit(i);
    if (unit == nullptr || unit->GetUnitKind() != MapUnitView::kInanimate || unit->GetInanimateKind() != 2) continue;
    const float dx = unit->GetX() - px;
    const float dy = unit->GetY() - py;
    if (dx * dx + dy * dy <= 20.0f * 20.0f) return unit;
  }
  return nullptr;
}

}  // namespace

int32_t Unit::GetInanimateKind() const {
  if (!IsInanimate()) return -1;
  const InanimateServices* inanimate = const_cast<Unit*>(this)->AsInanimate();
  return inanimate != nullptr ? inanimate->GetKind() : -1;
}

int32_t Unit::gViewerOverride = -1;

bool Unit::IsCurrentSide() const {
  if (gViewerOverride >= 0) return GetSideIndex() == gViewerOverride;
  MapAppServices* app = UnitApp();
  return app != nullptr && GetSideIndex() == app->GetCurrentSide();
}

bool Unit::HasMoveOrder() const {
  if (waypointCount >= 2) return true;
  return waypointCount == 1 && waypoints[0].moveMode != Waypoint::kRotateTo;
}

bool Unit::FirstWaypointIsRoutePoint() const {
  return waypointCount > 0 && waypoints[0].pointKind == 2;
}

int32_t Unit::GetBand() const {
  // A suppression that is not a number fails every test: state 0.
  if (suppression >= 500.0f) return 7;
  if (suppression >= 330.0f) return 6;
  if (suppression >= 200.0f) return 5;
  if (suppression >= 100.0f) return 4;
  if (suppression >= 60.0f) return 3;
  if (suppression >= 30.0f) return 2;
  if (suppression >= 10.0f) return 1;
  return 0;
}

int32_t Unit::GetKindGroup() const { return KindGroup(nationalityCode); }

int32_t Unit::GetFullStrength() const {
  Unit* self = const_cast<Unit*>(this);
  const int32_t kept = losses;
  self->losses = 0;
  const int32_t men = GetMenPresent();
  self->losses = kept;
  return men;
}

int32_t Unit::GetMainWeaponId() const {
  int32_t weapon = 0;
  int32_t type = 0;
  QueryWeapon(0, weapon, type);
  return weapon;
}

int32_t Unit::GetMainWeaponType() const {
  int32_t weapon = 0;
  int32_t type = 0;
  QueryWeapon(0, weapon, type);
  return type;
}

int32_t Unit::GetRating() const {
  MapAppServices* app = UnitApp();
  UnitServices* services = GetUnitServices();
  if (app == nullptr || services == nullptr || app->GetHumanPlayers() != 1) return rating;
  const int32_t bonus = services->GetComputerBonus();
  if (bonus <= 0 || GetSideIndex() == app->GetHumanSide()) return rating;
  return std::min(rating + bonus, 8);
}

float Unit::ScaleByRating(float value, bool effective) const {
  const int32_t r = effective ? GetEffectiveRating(1) : GetRating();
  float factor;
  switch (r) {
    case 1: factor = 0.9f; break;
    case 2: factor = 1.0f; break;
    case 3: factor = 1.1f; break;
    case 4: factor = 1.2f; break;
    default: factor = r >= 5 ? 1.3f + 0.075f * static_cast<float>(r - 5) : 0.8f; break;
  }
  return value * factor;
}

float Unit::RatingTimeFactor() const {
  const int32_t r = GetEffectiveRating(1);
  switch (r) {
    case 0: return 2.0f;
    case 1: return 1.4f;
    case 2: return 1.0f;
    case 3: return 0.83f;
    case 4: return 0.65f;
    default: return 0.5f - 0.05f * static_cast<float>(r - 5);
  }
}

void Unit::ResetAimTime() {
  if (!HasMainWeaponOfType5()) {
    if (aimTime != kAimHold) {
      if (target != nullptr && target->IsAirplane()) {
        aimTime = 0.5f;
      } else if (reloadState == 0.0f) {
        aimTime = GetRateOfFireTime(1, 0);
      }
    }
  } else {
    // Indirect fire: a target reference point near the target point shortens the laying.
    const MapUnitView* reference = areaFire != 0 ? ReferencePointNear(targetX, targetY) : nullptr;
    const bool found = reference != nullptr;
    const float t = GetRateOfFireTime(found ? 0 : 1, 0);
    if (found) {
      aimTime = 0.25f * t;
      InfantryServices* infantry = AsInfantry();
      if (infantry == nullptr) FatalError(__LINE__, "Unit.cpp");
      infantry->SetAimPoint(reference->GetX(), reference->GetY());
    } else {
      aimTime = std::max(aimTime, t);
    }
  }
  firingBytes[kLaidWhileMoving] = 0;
}

void Unit::ClearOrderState(bool alsoOrdered) {
  target = nullptr;
  areaFire = 0;
  burst = 0;
  flagBytes[kSpareOrderFlag] = 0;
  flagBytes[kTargetAbsentFlag] = 0;
  if (alsoOrdered) orderedTarget = nullptr;
  ResetAimTime();
}

void Unit::SetActivity(int32_t code) {
  for (size_t i = 0; i < activityCodes.size(); ++i) {
    if (i == 0 && (activityCodes[0] == 8 || activityCodes[0] == 9) && !IsVehicle()) {
      const InfantryServices* infantry = AsInfantry();
      if (infantry != nullptr && infantry->GetActivityHoldValue() != 0.0f) continue;
    }
    if (activityCodes[i] != code) {
      activityCodes[i] = code;
      stateChanged = 1;
    }
  }
}

void Unit::StopTurning() {
  if (turnRate != 0.0f) stateChanged = 1;
  turnRate = 0.0f;
}

void Unit::ReleaseTextures(bool free) {
  for (auto& set : textures) {
    for (GGraphic*& handle : set) {
      if (free) {
        SafeDelete(handle);
      } else {
        handle = nullptr;
      }
    }
  }
}

GGraphic* Unit::GetTexture(int32_t set, int32_t index) const {
  if (set < 0 || set >= kTextureSets || index < 0 || index >= kTexturesPerSet) FatalError(__LINE__, "Unit.cpp");
  return textures[static_cast<size_t>(set)][static_cast<size_t>(index)];
}

void Unit::SetTexture(int32_t set, int32_t index, GGraphic* graphic) {
  if (set < 0 || set >= kTextureSets || index < 0 || index >= kTexturesPerSet) FatalError(__LINE__, "Unit.cpp");
  GGraphic*& slot = textures[static_cast<size_t>(set)][static_cast<size_t>(index)];
  if (slot != graphic) SafeDelete(slot);
  slot = graphic;
}

int32_t Unit::GetLetterCode() const {
  int32_t letter = designation >> 8;
  while (letter > 90) letter -= 26;
  return letter;
}

void Unit::AppendDesignation(GString& text) const {
  const int32_t letter = GetLetterCode();
  if (letter == 0) return;
  text.AppendChar(static_cast<char>(letter));
  text.AppendChar('-');
  text.AppendNumber(GetDesignationNumber());
  if (IsInfantry()) {
    const InfantryServices* infantry = AsInfantry();
    if (infantry != nullptr && infantry->GetSplitPartner() != nullptr) text.AppendChar(infantry->IsSecondHalf() ? 'b' : 'a');
  }
}

GString15& Unit::CustomName() {
  if (customName == nullptr) customName = new GString15();
  return *customName;
}

Waypoint& Unit::WaypointAt(int32_t index) {
  if (index < 0 || index >= kWaypointEntries) FatalError(__LINE__, "Unit.cpp");
  return waypoints[static_cast<size_t>(index)];
}

const Waypoint& Unit::WaypointAt(int32_t index) const {
  if (index < 0 || index >= kWaypointEntries) FatalError(__LINE__, "Unit.cpp");
  return waypoints[static_cast<size_t>(index)];
}
