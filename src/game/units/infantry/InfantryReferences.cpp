// The six unit references of an infantry unit (slots 8, 13, 71 and 72): packed ids in
// files, identity keys in the orders exchange, dropped when their units leave a group.
#include <array>

#include "framework/core/GErrorLog.h"
#include "framework/core/GGroup.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/records/UnitIds.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"

namespace {

// What each reference must name: a vehicle (carrier, boarding target), anything (parent) or
// infantry (the leaders and the linked half).
enum class Need { kVehicle, kAny, kInfantry };
constexpr std::array<Need, 6> kNeeds = {Need::kVehicle, Need::kVehicle, Need::kAny,
                                        Need::kInfantry, Need::kInfantry, Need::kInfantry};

std::array<Unit**, 6> Links(Infantry& unit) {
  return {&unit.carrier, &unit.boardingTarget, &unit.parentUnit, &unit.commandingLeader, &unit.platoonLeader, &unit.linkedHalf};
}

bool Fits(const Unit* unit, Need need) {
  switch (need) {
    case Need::kVehicle: return unit->IsVehicle();
    case Need::kInfantry: return unit->IsInfantry();
    case Need::kAny: return true;
  }
  return false;
}

}  // namespace

bool Infantry::RemapReferences(MapBattleServices* battle) {
  bool ok = Unit::RemapReferences(battle);
  const auto links = Links(*this);
  for (size_t i = 0; i < links.size(); ++i) {
    const int16_t id = linkIds[i];
    Unit* unit = UnitFromId(battle, id);
    if (id != 0 && unit == nullptr) {
      GErrorLog::LogValue("Infantry: no unit of packed id", id);
      ok = false;
    } else if (unit != nullptr && !Fits(unit, kNeeds[i])) {
      GErrorLog::LogValue("Infantry: a reference of the wrong kind, packed id", id);
      unit = nullptr;
      ok = false;
    }
    *links[i] = unit;
  }
  linkIds = {};
  // In a battle the figures take the posture of the unit's state at once, so that a squad
  // read back hiding is drawn hiding. Only the drawing changes: the state itself is the next
  // slice's to choose, as in the game that was not stored, and the first key is the drawing's
  // pick.
  const MapBattleServices* current = UnitBattle();
  if (current != nullptr && current != UnitOperation()) {
    SetFigurePostures(PostureOf(ChooseMoveState(false)), PresentationDraw);
  }
  return ok;
}

bool Infantry::CheckCarrier() const {
  if (carrier == nullptr) return true;
  const VehicleServices* vehicle = carrier->AsVehicle();
  if (vehicle != nullptr && (vehicle->GetPassenger(0) == this || vehicle->GetPassenger(1) == this)) return true;
  GErrorLog::LogValue("Infantry: the carrier does not hold its rider, designation", designation);
  return false;
}

void Infantry::ReferencesToIds() {
  Unit::ReferencesToIds();
  const auto links = Links(*this);
  for (size_t i = 0; i < links.size(); ++i) {
    linkKeys[i] = *links[i] != nullptr ? (*links[i])->PackedIdentity() : 0;
    *links[i] = nullptr;
  }
}

bool Infantry::IdsToReferences(MapBattleServices* battle) {
  bool ok = Unit::IdsToReferences(battle);
  if (battle == nullptr) battle = UnitBattle();
  const auto links = Links(*this);
  for (size_t i = 0; i < links.size(); ++i) {
    *links[i] = FindUnitByIdentity(battle, linkKeys[i]);
    if (linkKeys[i] != 0 && *links[i] == nullptr) {
      GErrorLog::LogValue("Infantry: link error, no unit of identity", static_cast<int32_t>(linkKeys[i]));
      ok = false;
    }
  }
  linkKeys = {};
  return ok;
}

void Infantry::DropDeadReferences(GGroup& group) {
  Unit::DropDeadReferences(group);
  for (Unit** link : {&carrier, &boardingTarget, &commandingLeader, &platoonLeader, &parentUnit}) {
    if (*link != nullptr && !group.Contains(*link)) *link = nullptr;
  }
  if (linkedHalf != nullptr && !group.Contains(linkedHalf)) {
    linkedHalf = nullptr;
    splitFlag = 1;
  }
}
