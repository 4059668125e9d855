// Services over the units of a battle or operation: naming, the purchased forces, the
// computer player's groups, a side's main nationality and kind-5 vehicles, and the upgrade of
// older files' ammunition counts.
#include <array>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleBase.h"
#include "game/battle/MainNationality.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/battle/ReinforcementSettings.h"
#include "game/map/MapAppServices.h"
#include "game/units/tables/Names.h"
#include "game/units/Unit.h"
#include "game/units/ports/VehicleServices.h"

namespace {

constexpr int32_t kNationalities = 19;
constexpr int32_t kSlots = 6;  // "On Map", "Reinforce 1" .. "Reinforce 5"

bool IsBoat(const Unit& unit) {
  const VehicleServices* vehicle = unit.AsVehicle();
  return vehicle != nullptr && vehicle->IsBoat();
}

// Hands the list's units over: the list no longer holds them.
void EmptyWithoutDeleting(GGroup& list) {
  list.SetOwnsMembers(false);
  list.DeleteAll(false);
}

}  // namespace

GGroup& BattleBase::GroupUnits(int32_t side, int32_t index) const { return GroupAt(side, index)->units; }

std::vector<Unit*> BattleBase::AllUnits() const {
  std::vector<Unit*> all;
  for (int32_t i = 0; i < units.Count(); ++i) all.push_back(UnitAt(i));
  for (int32_t side = 0; side < 2; ++side) {
    for (int32_t g = 0; g < reinforcements[side].Count(); ++g) {
      const GGroup& list = GroupUnits(side, g);
      for (int32_t i = 0; i < list.Count(); ++i) all.push_back(static_cast<Unit*>(list.GetItem(i)));
    }
  }
  return all;
}

void BattleBase::NameUnit(Unit& unit) const {
  unit.AssignDesignation();
  Names::AssignLeaderName(unit);
  if (app_->GetOperation() != nullptr && unit.setupZone != 7) unit.setupZone = unit.IsAxis() ? 4 : 1;
}

int32_t MainNationalityOf(const std::vector<Unit*>& units, int32_t sideIndex) {
  if (sideIndex < 0 || sideIndex > 1) FatalError(5871, "Battle");
  std::array<int32_t, kNationalities> count{};
  for (const Unit* unit : units) {
    if (unit->GetSideIndex() != sideIndex || IsBoat(*unit)) continue;
    const int32_t code = unit->nationalityCode;
    // The unit reader refuses such a code; one met here is skipped rather than fatal.
    if (code < 0 || code >= kNationalities) {
      GErrorLog::LogValue("Battle: nationality code out of range skipped:", code);
      continue;
    }
    ++count[static_cast<size_t>(code)];
  }
  if (sideIndex == 0) {
    count[6] += count[9];
  } else {
    count[0] += count[2];
    count[3] += count[5];
    count[12] += count[13];
    count[17] += count[18];
    count[14] += count[16];
  }
  int32_t result = sideIndex == 0 ? 6 : 0;
  for (int32_t code = 0; code < kNationalities; ++code) {
    if (count[static_cast<size_t>(code)] > count[static_cast<size_t>(result)]) result = code;
  }
  return result;
}

int32_t BattleBase::MainNationalityCode(int32_t sideIndex) const { return MainNationalityOf(AllUnits(), sideIndex); }

bool BattleBase::SideHasBoat(int32_t sideIndex) const {
  for (const Unit* unit : AllUnits()) {
    if (IsBoat(*unit) && unit->GetSideIndex() == sideIndex) return true;
  }
  return false;
}

void BattleBase::UpgradeOldUnitData() {
  for (Unit* unit : AllUnits()) {
    // The artillery spotter: infantry whose main weapon is of type 5.
    if (!unit->IsInfantry() || !unit->HasMainWeaponOfType5()) continue;
    const uint16_t c = unit->ammo[0];
    if (c != 0) unit->ammo[0] = static_cast<uint16_t>(c * 4 + 3);
  }
}

void BattleBase::TakePurchasedUnits(GGroup* const* side0Lists, GGroup* const* side1Lists, bool keepReinforcements,
                                const ReinforcementSettings* settings) {
  Unit::ResetNamingState();
  GGroup* const* lists[2] = {side0Lists, side1Lists};
  for (GGroup* const* side : lists) {
    if (side == nullptr || side[0] == nullptr) continue;
    units.AppendGroup(*side[0]);
    EmptyWithoutDeleting(*side[0]);
  }
  for (int32_t i = 0; i < units.Count(); ++i) {
    NameUnit(*UnitAt(i));
    UnitAt(i)->DropDeadReferences(units);
  }
  if (keepReinforcements) return;
  const bool inOperation = App().GetOperation() != nullptr;
  for (int32_t side = 0; side < 2; ++side) {
    if (lists[side] == nullptr) continue;
    GObjectGroup& groups = reinforcements[side];
    for (int32_t g = 0; g < groups.Count(); ++g) GroupAt(side, g)->DeleteUnits();
    groups.DeleteAll(true);
    for (int32_t slot = 1; slot < kSlots; ++slot) {
      GGroup* list = lists[side][slot];
      if (list == nullptr || list->Count() == 0) continue;
      auto* group = new ReinforcementGroup();
      group->Init(inOperation);
      group->SetUnits(*list);
      EmptyWithoutDeleting(*list);
      for (int32_t i = 0; i < group->units.Count(); ++i) {
        auto* unit = static_cast<Unit*>(group->units.GetItem(i));
        NameUnit(*unit);
        unit->DropDeadReferences(group->units);
      }
      if (settings != nullptr) settings->CopyReinforcementSettings(*group, side, slot - 1);
      groups.Append(group);
    }
  }
}
