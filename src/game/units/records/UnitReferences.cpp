// Reference remapping (slots 8, 13, 19, 71 and 72): the three unit references as numbers in
// files and in the orders exchange, and kept valid when units leave a list.
#include "framework/core/GErrorLog.h"
#include "framework/core/GGroup.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/units/ports/AirplaneServices.h"
#include "game/units/ports/InanimateServices.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/records/UnitIds.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"

namespace {

// Resolves one packed id; false (and a log line) when it names no unit.
bool Resolve(MapBattleServices* battle, int16_t id, Unit*& reference) {
  reference = UnitFromId(battle, id);
  if (id == 0 || reference != nullptr) return true;
  GErrorLog::LogValue("Unit.cpp: no unit of packed id", id);
  return false;
}

bool ResolveKey(MapBattleServices* battle, uint32_t key, Unit*& reference) {
  reference = FindUnitByIdentity(battle, key);
  if (key == 0 || reference != nullptr) return true;
  GErrorLog::LogValue("Unit.cpp: link error, no unit of identity", static_cast<int32_t>(key));
  return false;
}

bool IsMemberOf(MapBattleServices* list, const Unit* unit) {
  const int32_t count = list->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    if (list->GetUnit(i) == static_cast<const MapUnitView*>(unit)) return true;
  }
  return false;
}

}  // namespace

uint32_t Unit::PackedIdentity() const {
  uint32_t key = designation;
  if (GetSideIndex() == 1) key |= 1u << 16;
  key |= static_cast<uint32_t>(kind & 3) << 17;
  uint32_t classPart = 0;
  if (const InfantryServices* infantry = AsInfantry()) {
    if (infantry->GetOriginUnit() != nullptr) key |= 1u << 19;
    if (infantry->GetSplitPartner() != nullptr && !infantry->IsSecondHalf()) key |= 1u << 20;
    classPart = static_cast<uint32_t>(infantry->GetTypeIndex());
  } else if (const VehicleServices* vehicle = AsVehicle()) {
    classPart = static_cast<uint32_t>(vehicle->GetClassIndex());
  } else if (const InanimateServices* inanimate = const_cast<Unit*>(this)->AsInanimate()) {
    classPart = static_cast<uint32_t>(inanimate->GetKind());
  }
  return key | classPart << 21;
}

bool Unit::RemapReferences(MapBattleServices* battle) {
  bool ok = Resolve(battle, targetId, target);
  ok = Resolve(battle, orderedTargetId, orderedTarget) && ok;
  ok = Resolve(battle, ordersPhaseTargetId, ordersPhaseTarget) && ok;
  targetId = orderedTargetId = ordersPhaseTargetId = 0;
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (map == nullptr) {
    MapBattleServices* current = UnitBattle();
    if (current != nullptr) map = current->GetMap();
  }
  if (map != nullptr) {
    if (waypointCount < 0 || waypointCount > kMaxWaypoints) FatalError(__LINE__, "Unit.cpp");
    for (int32_t i = waypointCount - 1; i >= 0; --i) {
      Waypoint& point = waypoints[static_cast<size_t>(i)];
      point.height = point.upperLevel != 0 ? map->SurfaceHeightAt(point.x, point.y) : map->ElevationAt(point.x, point.y);
    }
  }
  return ok;
}

void Unit::DropDeadReferences(GGroup& group) {
  if (target != nullptr && !group.Contains(target)) target = nullptr;
  if (ordersPhaseTarget != nullptr && !group.Contains(ordersPhaseTarget)) ordersPhaseTarget = nullptr;
  if (orderedTarget != nullptr && !group.Contains(orderedTarget)) orderedTarget = nullptr;
}

void Unit::DropReferencesOutsideOperation() {
  MapBattleServices* operation = UnitOperation();
  if (operation == nullptr) FatalError(__LINE__, "Unit.cpp");
  if (target != nullptr && !IsMemberOf(operation, target)) target = nullptr;
  if (ordersPhaseTarget != nullptr && !IsMemberOf(operation, ordersPhaseTarget)) ordersPhaseTarget = nullptr;
  if (orderedTarget != nullptr && !IsMemberOf(operation, orderedTarget)) orderedTarget = nullptr;
}

void Unit::ReferencesToIds() {
  referenceKeys[0] = target != nullptr ? target->PackedIdentity() : 0;
  referenceKeys[1] = orderedTarget != nullptr ? orderedTarget->PackedIdentity() : 0;
  referenceKeys[2] = ordersPhaseTarget != nullptr ? ordersPhaseTarget->PackedIdentity() : 0;
  target = orderedTarget = ordersPhaseTarget = nullptr;
}

bool Unit::IdsToReferences(MapBattleServices* battle) {
  if (battle == nullptr) battle = UnitBattle();
  bool ok = ResolveKey(battle, referenceKeys[0], target);
  ok = ResolveKey(battle, referenceKeys[1], orderedTarget) && ok;
  ok = ResolveKey(battle, referenceKeys[2], ordersPhaseTarget) && ok;
  referenceKeys = {0, 0, 0};
  return ok;
}
