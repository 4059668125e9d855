// How far a squad gives itself away (the unit pass its identification and the vehicles' sight
// ask), the reach of its special anti-tank weapons, and the discard test between the battles
// of an operation, where a crew goes back to what it came from.
#include <algorithm>

#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitOrderHost.h"
#include "game/units/tables/Hack.h"
#include "game/units/tables/WeaponData.h"

float Infantry::RunUnitPass(bool asShown, const Unit* unit) {
  float e = 0.0f;
  float g = 0.0f;
  UnitPassValues(asShown, e, g);
  const int32_t keptState = activityState;
  const float keptX = x;
  const float keptY = y;
  if (asShown) {
    // Judged where the other side last saw it, lying low.
    activityState = kHiding;
    float sx = x;
    float sy = y;
    GetShownPosition(sx, sy, nullptr);
    x = sx;
    y = sy;
  }
  const int32_t level = EnemyIdentificationLevel(e, g, unit);
  activityState = keptState;
  x = keptX;
  y = keptY;
  return static_cast<float>(level);
}

int32_t Infantry::BestEnemyIdentification(bool relaxed, int32_t /*unused*/) const {
  return static_cast<int32_t>(const_cast<Infantry*>(this)->RunUnitPass(relaxed, nullptr));
}

float Infantry::GetAntitankRange() const {
  return gWeapons.IsValid(antitankWeaponId) ? gWeapons[antitankWeaponId].MaxRange() : 0.0f;
}

namespace {

// Dead, off the field or given up: a link to it is no use in the next battle.
bool IsOutOfPlay(const Unit& unit) { return unit.alive == 0 || unit.status != 0 || unit.HasSurrendered(); }

}  // namespace

bool Infantry::UpdateLinksBetweenBattles(GGroup& goingOn) {
  UnitOrderHost* host = GetUnitOrderHost();
  if (host == nullptr || !host->InOperation()) FatalError(2946, kInfantryFile);
  const bool keep = Unit::UpdateLinksBetweenBattles(goingOn);
  commandingLeader = nullptr;
  if (linkedHalf != nullptr && IsOutOfPlay(*linkedHalf)) {
    auto* half = dynamic_cast<Infantry*>(linkedHalf);
    if (half != nullptr && half->linkedHalf == this) half->linkedHalf = nullptr;
    linkedHalf = nullptr;
  }
  if (platoonLeader != nullptr && IsOutOfPlay(*platoonLeader)) platoonLeader = nullptr;
  if (parentUnit == nullptr) return keep;
  Unit& parent = *parentUnit;
  const bool removed = status != 0;
  if (parent.IsVehicle()) {
    // The crew goes back with its vehicle, unless it gave itself up.
    if (!HasSurrendered()) return true;
    if (alive == 0) {
      parent.knockedOut = 1;  // the vehicle has lost its crew
      return true;
    }
    if (parent.status != 0) parentUnit = nullptr;
    return keep;
  }
  // A gun team's crew mans its gun again while the gun stands on its own side's ground.
  const Map* map = host->GetOperationMap();
  const uint8_t zone = map != nullptr ? map->ZoneOfUnit(parent) : 0;
  const uint8_t enemyZone = IsAxis() ? 1 : 4;
  if (parent.knockedOut == 0 && zone != enemyZone && goingOn.Contains(&parent) && goingOn.Contains(this) && alive != 0) {
    parent.alive = 1;
    parent.losses = std::max(parent.losses - GetMenPresent(), 0);
    parent.lossesCountedByMorale = 0;
    return true;
  }
  parent.knockedOut = 1;  // the gun is lost for good
  if (alive == 0 || (!HasSurrendered() && goingOn.Contains(this)) || removed) return true;
  if (parent.status != 0) parentUnit = nullptr;
  return keep;
}

