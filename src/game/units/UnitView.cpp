// What the current viewer may see of a unit and do with it: identification level, shown
// position and target, command, and letting go of a unit that left sight.
#include <algorithm>

#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitServices.h"

namespace {

bool BattleIsOver() {
  const UnitServices* services = GetUnitServices();
  return services != nullptr && UnitBattle() != nullptr && services->IsBattleOver();
}

// Makes the given side (true = Axis) the viewer for the life of the object.
class ViewerSwitch {
 public:
  explicit ViewerSwitch(bool axis) : kept_(Unit::gViewerOverride) { Unit::gViewerOverride = axis ? 0 : 1; }
  ~ViewerSwitch() { Unit::gViewerOverride = kept_; }
  ViewerSwitch(const ViewerSwitch&) = delete;
  ViewerSwitch& operator=(const ViewerSwitch&) = delete;

 private:
  int32_t kept_;
};

}  // namespace

int32_t Unit::GetIdentificationLevel(bool ignoreHidden) const {
  if (status != 0) return 0;
  if (IsViewersOwn()) return 4;
  if (BattleIsOver() || IsEditorOpen()) return 4;
  if ((hidden != 0 && !ignoreHidden) || hiddenSecond != 0) return 0;
  return identificationLevel;
}

int32_t Unit::GetIdentificationLevelFor(bool axis, bool ignoreHidden) const {
  ViewerSwitch viewer(axis);
  return GetIdentificationLevel(ignoreHidden);
}

bool Unit::IsKnownToViewer() const { return IsIdentified() || HasMainWeaponOfType5(); }

bool Unit::UsesLastSeenPosition() const {
  return hidden != 0 && hiddenSecond == 0 && !IsViewersOwn() && !BattleIsOver();
}

bool Unit::GetShownPosition(float& outX, float& outY, float* outZ) const {
  const bool lastSeen = UsesLastSeenPosition();
  bool truePosition = false;
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (lastSeen) {
    outX = lastSeenX;
    outY = lastSeenY;
  } else if (GetIdentificationLevel(true) == 1) {
    // A contact seen but not identified is drawn displaced, never off the map.
    outX = x + static_cast<float>(positionErrorX);
    outY = y + static_cast<float>(positionErrorY);
    if (map != nullptr) {
      outX = std::clamp(outX, 0.0f, map->size.worldWidth);
      outY = std::clamp(outY, 0.0f, map->size.worldHeight);
    }
  } else {
    outX = x;
    outY = y;
    truePosition = true;
  }
  if (outZ != nullptr) {
    if (!truePosition && !IsAirplane() && map != nullptr) {
      *outZ = map->ElevationAt(outX, outY);
    } else {
      *outZ = GetBaseHeight();
    }
  }
  return lastSeen;
}

bool Unit::GetShownPositionFor(bool axis, float& outX, float& outY, float* outZ) const {
  ViewerSwitch viewer(axis);
  return GetShownPosition(outX, outY, outZ);
}

bool Unit::GetShownTarget(float& outX, float& outY, bool& flag) const {
  const UnitServices* services = GetUnitServices();
  const bool replaying = services != nullptr && services->IsReplaying();
  if (!IsCurrentSide() && !(replaying && !HasMainWeaponOfType5())) return false;
  outX = targetX;
  outY = targetY;
  flag = GetIdentificationLevel(false) >= 3 && flagBytes[kSmokeFireFlag] != 0;
  return areaFire != 0;
}

bool Unit::IsCommandable() const {
  if (IsAirplane() || BattleIsOver()) return false;
  if (IsEditorOpen()) return true;
  if (!IsViewersOwn()) return false;
  const MapAppServices* app = UnitApp();
  if (app != nullptr && app->IsNetworkOrdersLocked()) return false;
  return alive != 0 && GetBand() <= 4;
}

bool Unit::GetTargetPosition(float& outX, float& outY, float* outZ) const {
  if (target != nullptr) {
    outX = target->x;
    outY = target->y;
    if (outZ != nullptr) *outZ = target->GetBaseHeight();
    return true;
  }
  if (areaFire != 0) {
    outX = targetX;
    outY = targetY;
    if (outZ != nullptr) {
      const MapBattleServices* battle = UnitBattle();
      const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
      *outZ = map != nullptr ? map->SurfaceHeightAt(outX, outY) : 0.0f;
    }
    return true;
  }
  return false;
}

void Unit::DropAsTargetOfAll(bool voice, bool includeAirplanes, bool retarget) {
  MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return;
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    Unit* other = UnitOfView(battle->GetUnit(i));
    if (other == nullptr) continue;
    if (other->ordersPhaseTarget == this) other->ordersPhaseTarget = nullptr;
    if (other->target != this) continue;
    if (other->IsAirplane() && !includeAirplanes) continue;
    if (voice && other->IsInfantry()) other->MaybeVoiceSound(2, 35, 0.0f, 1.5f);
    if (!retarget) {
      other->ClearOrderState(false);
    } else {
      other->flagBytes[Unit::kHoldFlag] = 0;
      other->target = nullptr;
      other->sliceCount = 9999;
      const bool found = other->ChooseTarget(true);
      if (!found || other->aimTime == kAimHold) {
        other->sliceCount = 160;
      } else {
        other->aimTime *= 0.2f + RandomFloatTimes(0.4f);
      }
    }
    other->stateChanged = 1;
  }
}

void Unit::ReleaseAsTargetOfAll() {
  MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return;
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    Unit* other = UnitOfView(battle->GetUnit(i));
    if (other == nullptr || other == this) continue;
    bool changed = false;
    if (other->target == this) {
      other->ClearOrderState(false);
      other->target = nullptr;
      changed = true;
    }
    if (other->orderedTarget == this) {
      other->orderedTarget = nullptr;
      changed = true;
    }
    if (other->ordersPhaseTarget == this) {
      other->ordersPhaseTarget = nullptr;
      changed = true;
    }
    if (changed) other->stateChanged = 1;
  }
}
