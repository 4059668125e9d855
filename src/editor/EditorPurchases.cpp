// Buying units: the purchase lists, probing a cost, the reinforcement slots' arrival settings.
#include "editor/EditorPurchaseList.h"
#include "editor/EditorState.h"
#include "editor/EditorUnits.h"
#include "editor/PurchaseEntry.h"
#include "framework/core/Quorl.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

constexpr const char* kPurchasesSource = "Editor.cpp";
constexpr int32_t kSideLimit = 250;
constexpr int32_t kMaxDepth = 3;

}  // namespace

Unit* EditorState::MakeUnit(int32_t kind, int32_t classIndex, bool keepAlways) const {
  const int32_t force = GetForceCode();
  Unit* unit = nullptr;
  // The factory makes fortifications for a nationality group, and aircraft for a group at a
  // rating; infantry and vehicles for a force code at an experience.
  if (kind == Unit::kInanimate) {
    unit = CreateUnit(kind, classIndex, KindGroup(force), GetExperience());
  } else if (kind == Unit::kAirplane) {
    unit = CreateUnit(kind, KindGroup(force), GetExperience(), 0);
  } else {
    unit = CreateUnit(kind, classIndex, force, GetExperience());
  }
  if (!keepAlways && GetArrivalSlot() != 0 && (unit->IsInanimate() || (unit->IsVehicle() && static_cast<Vehicle*>(unit)->IsEmplacement()))) {
    delete unit;
    return nullptr;
  }
  return unit;
}

int32_t EditorState::CountSideUnits(int32_t side) {
  int32_t count = 0;
  for (int32_t slot = 0; slot < kPurchaseSlots; ++slot) count += PurchaseList(side, slot).Count();
  return count;
}

std::array<int32_t, 6> EditorState::SideCosts(int32_t side) {
  std::array<int32_t, 6> totals{};
  for (int32_t slot = 0; slot < kPurchaseSlots; ++slot) {
    GObjectGroup& list = PurchaseList(side, slot);
    for (int32_t i = 0; i < list.Count(); ++i) Editor::AddUnitCostByCategory(*static_cast<Unit*>(list.GetItem(i)), totals);
  }
  return totals;
}

void EditorState::AddPurchase(const PurchaseEntry& entry, int32_t depth, bool refuseSlow) {
  const int32_t side = entry.axisFlag != 0 ? 0 : 1;
  if (probing == 0 && CountSideUnits(side) > kSideLimit) return;
  if (entry.kind == PurchaseEntry::kFormation) {
    const FormationData record = gFormations[entry.classIndex];
    const int32_t entries = record.EntryCount() < FormationData::kMaxEntries ? record.EntryCount() : FormationData::kMaxEntries;
    for (int32_t e = 0; e < entries; ++e) {
      const int32_t kind = record.EntryKind(e);
      if (kind != PurchaseEntry::kInfantry && kind != PurchaseEntry::kVehicle && kind != PurchaseEntry::kFormation) {
        FatalError(__LINE__, kPurchasesSource);
      }
      const PurchaseEntry member(kind, record.EntryClass(e), entry.axisFlag);
      for (int32_t n = 0; n < record.EntryNumber(e); ++n) AddPurchase(member, e == 0 ? depth : depth + 1, refuseSlow);
    }
    return;
  }
  Unit* unit = MakeUnit(entry.kind, entry.classIndex, probing != 0);
  if (unit != nullptr && refuseSlow && unit->GetSpeedClass() == 1) {
    delete unit;
    unit = nullptr;
  }
  if (unit == nullptr) return;
  if (unit->kind != Unit::kAirplane) unit->identificationLevel = 4;
  if (depth < 0 || depth > kMaxDepth) FatalError(__LINE__, kPurchasesSource);
  unit->purchaseDepth = static_cast<int8_t>(depth);
  GObjectGroup& list = probing != 0 ? scratchList_ : PurchaseList(side, GetArrivalSlot());
  list.Append(unit);
  if (probing != 0) return;
  if (unit->IsInfantry() && static_cast<Infantry*>(unit)->IsSquad()) {
    auto* squad = static_cast<Infantry*>(unit);
    for (int32_t i = list.Count() - 2; i >= 0; --i) {
      auto* earlier = static_cast<Unit*>(list.GetItem(i));
      if (earlier->purchaseDepth != depth - 1) continue;
      int32_t level = 0;
      if (!earlier->IsInfantry() || !static_cast<Infantry*>(earlier)->GetLeaderLevel(&level) || level != 1) {
        FatalError(__LINE__, kPurchasesSource);
      }
      squad->commandingLeader = earlier;
      break;
    }
  }
  if (preset == 0 && chosenLists[static_cast<size_t>(GetSide())] != nullptr) {
    chosenLists[static_cast<size_t>(GetSide())]->UpdatePoints();
  }
}

int32_t EditorState::ProbePurchaseCost(const PurchaseEntry& entry, std::array<int32_t, 6>* totals, bool refuseSlow) {
  // The probe's units exist only to be priced: the generator is given back as it was, so the
  // purchase that follows draws what the probe drew and pays what it showed.
  const uint32_t savedRandom = RandomState();
  probing = 1;
  AddPurchase(entry, 0, refuseSlow);
  std::array<int32_t, 6> sums{};
  for (int32_t i = 0; i < scratchList_.Count(); ++i) Editor::AddUnitCostByCategory(*static_cast<Unit*>(scratchList_.GetItem(i)), sums);
  scratchList_.DeleteAll(true);
  probing = 0;
  SeedRandom(savedRandom);
  if (totals != nullptr) *totals = sums;
  int32_t total = 0;
  for (int32_t value : sums) total += value;
  return total;
}

void EditorState::GetSlotArrival(int32_t* turn, float* chance) const {
  const ArrivalSlot& slot = At(GetSide(), GetArrivalSlot() - 1);
  if (turn != nullptr) *turn = slot.arrivalTurn;
  if (chance != nullptr) *chance = slot.chance;
}

void EditorState::SetSlotArrival(int32_t turn, float chance) {
  ArrivalSlot& slot = Slot(GetSide(), GetArrivalSlot() - 1);
  slot.arrivalTurn = turn;
  slot.chance = chance;
}

void EditorState::ResetSlot(int32_t side, int32_t slot) {
  const bool inOperation = AppOperation() != nullptr;
  Slot(side, slot) = ArrivalSlot{inOperation ? 4 : 10, 1.0f, 0.0f, 0.0f};
}
