#include "editor/UnitCatalogue.h"

#include <memory>

#include "editor/EditorState.h"
#include "editor/EditorUnits.h"
#include "editor/PurchaseEntry.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/units/airplane/Airplane.h"
#include "game/units/tables/Hack.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

constexpr const char* kUnitCatalogueSource = "Editor.cpp";

template <class Record>
bool FieldedBy(const Record& record, int32_t forceCode, int32_t maxForces) {
  const int32_t count = record.ForceCount() < maxForces ? record.ForceCount() : maxForces;
  for (int32_t i = 0; i < count; ++i) {
    if (record.Force(i) == forceCode) return true;
  }
  return false;
}

bool FormationFieldedBy(const FormationData& record, int32_t forceCode) {
  const int32_t count = record.NationCount() < FormationData::kMaxNations ? record.NationCount() : FormationData::kMaxNations;
  for (int32_t i = 0; i < count; ++i) {
    if (record.Nation(i) == forceCode) return true;
  }
  return false;
}

template <class Record>
bool Dated(const Record& record, int32_t date) {
  return record.FirstDate() <= date && date <= record.LastDate();
}

PurchaseEntry* NewEntry(int32_t kind, int32_t classIndex, int32_t code, bool axis) {
  auto* entry = new PurchaseEntry(kind, static_cast<int16_t>(classIndex), axis ? 1 : 0);
  entry->purchaseCode = static_cast<uint8_t>(code);
  return entry;
}

}  // namespace

UnitCatalogue::UnitCatalogue() {
  for (GObjectGroup& list : lists_) {
    list.Init();
    list.SetOwnsMembers(true);
  }
}

UnitCatalogue::~UnitCatalogue() {
  for (GObjectGroup& list : lists_) list.DeleteAll(true);
}

GObjectGroup& UnitCatalogue::List(int32_t row, int32_t category) {
  return const_cast<GObjectGroup&>(static_cast<const UnitCatalogue*>(this)->List(row, category));
}

const GObjectGroup& UnitCatalogue::List(int32_t row, int32_t category) const {
  if (row < 0 || row >= kRows || category < 0 || category >= kCategories) FatalError(__LINE__, kUnitCatalogueSource);
  return lists_[static_cast<size_t>(row * kCategories + category)];
}

PurchaseEntry* UnitCatalogue::Entry(int32_t row, int32_t category, int32_t index) const {
  return static_cast<PurchaseEntry*>(List(row, category).GetItem(index));
}

int32_t UnitCatalogue::TotalEntries() const {
  int32_t total = 0;
  for (const GObjectGroup& list : lists_) total += list.Count();
  return total;
}

UnitCatalogue::Conditions UnitCatalogue::ConditionsOf(const EditorState& state) {
  Conditions c;
  c.presetSide = state.presetSide;
  const BattleBase* edited = state.CurrentBattle();
  if (edited != nullptr) {
    c.date = edited->date;
    c.battleType = edited->attacker;
  }
  const Battle* battle = state.AppBattle();
  if (battle != nullptr) {
    c.hasBattle = true;
    c.timeOfDay = battle->timeOfDay;
    c.weather = battle->weather;
  }
  return c;
}

void UnitCatalogue::Fill(const Conditions& conditions, bool weighted, bool attacker) {
  // The temporary units only name and price the entries: what their set-up draws is given back.
  const uint32_t savedRandom = RandomState();
  auto infantry = std::make_unique<Infantry>();
  auto vehicle = std::make_unique<Vehicle>();
  auto fortification = std::make_unique<Inanimate>();
  auto aircraft = std::make_unique<Airplane>();
  for (int32_t row = kRows - 1; row >= 0; --row) {
    for (int32_t category = kCategories - 1; category >= 0; --category) List(row, category).DeleteAll(true);
  }
  const int32_t date = conditions.date;
  const int32_t k = conditions.battleType == conditions.presetSide ? 0 : 1;
  const bool airWeather = !conditions.hasBattle || (conditions.timeOfDay == 0 && conditions.weather == 0);
  GString63 name;
  for (int32_t force = 18; force >= 0; --force) {
    const int32_t row = Editor::CatalogueForceIndex(force);
    if (row < 0) continue;
    const bool axis = KindGroup(force) == 0;
    for (int32_t i = 0; i < gFormations.Count(); ++i) {
      const FormationData record = gFormations[i];
      if (record.InUse() == 0 || !Dated(record, date) || !FormationFieldedBy(record, force)) continue;
      if (weighted && record.Selector(k) <= 0) continue;
      PurchaseEntry* entry = NewEntry(PurchaseEntry::kFormation, i, 7, axis);
      const std::string_view text = record.Name();
      entry->name.Assign(std::string(text).c_str());
      if (weighted) entry->choiceWeight = record.Selector(k);
      List(row, 0).Append(entry);
    }
    for (int32_t i = 0; i < gInfantryClasses.Count(); ++i) {
      const InfantryData record = gInfantryClasses[i];
      if (!Dated(record, date) || !FieldedBy(record, force, InfantryData::kMaxForces)) continue;
      if (weighted && record.ChoiceWeight(k) <= 0) continue;
      if (attacker && record.BuyKind() <= 1) continue;
      infantry->Init(i, force, 2, 0.0f, 0.0f, 0.0f);
      if (infantry->GetLeaderLevel() || infantry->IsSquad()) continue;
      PurchaseEntry* entry = NewEntry(PurchaseEntry::kInfantry, i, infantry->GetPurchaseCode(), axis);
      name.Clear();
      infantry->GetDisplayName(name, true);
      entry->cost = static_cast<int16_t>(infantry->GetPurchaseCost());
      entry->name = name;
      if (weighted) entry->choiceWeight = record.ChoiceWeight(k);
      List(row, entry->purchaseCode == 3 ? 4 : 1).Append(entry);
    }
    for (int32_t i = 0; i < gVehicleClasses.Count(); ++i) {
      const VehicleData record = gVehicleClasses[i];
      if (record.InUse() == 0 || !Dated(record, date) || !FieldedBy(record, force, VehicleData::kMaxForces)) continue;
      if (weighted && record.ChoiceWeight(k) <= 0) continue;
      vehicle->SetClass(i, force, 2, 0.0f, 0.0f, 0.0f);
      const int32_t code = vehicle->GetPurchaseCode();
      int32_t category = 0;
      if (code == 4) {
        category = 3;
      } else if (code == 8) {
        category = 5;
      } else if (code == 9) {
        category = 2;
      } else {
        FatalError(5780, kUnitCatalogueSource);
      }
      PurchaseEntry* entry = NewEntry(PurchaseEntry::kVehicle, i, code, axis);
      name.Clear();
      vehicle->GetDisplayName(name, true);
      entry->cost = static_cast<int16_t>(vehicle->GetPurchaseCost());
      entry->name = name;
      if (weighted) entry->choiceWeight = record.ChoiceWeight(k);
      List(row, category).Append(entry);
    }
    for (int32_t kind = 0; kind <= 6; ++kind) {
      if (kind == 3 || (kind == 2 && weighted)) continue;
      fortification->Init(kind, 0, 0.0f, 0.0f, 0.0f);
      PurchaseEntry* entry = NewEntry(PurchaseEntry::kFortification, kind, 5, axis);
      name.Clear();
      fortification->GetDisplayName(name);
      entry->cost = static_cast<int16_t>(fortification->GetPurchaseCost());
      entry->name = name;
      if (weighted) entry->choiceWeight = 1000;
      List(row, 5).Append(entry);
    }
    if ((!weighted || !axis) && airWeather) {
      // Each row's aircraft is of its own force's nationality.
      aircraft->Initialize(KindGroup(force), 2);
      PurchaseEntry* entry = NewEntry(PurchaseEntry::kAircraft, 0, aircraft->GetPurchaseCode(), axis);
      name.Clear();
      aircraft->GetDisplayName(name);
      entry->cost = static_cast<int16_t>(aircraft->GetPurchaseCost());
      entry->name = name;
      if (weighted) entry->choiceWeight = 250;
      List(row, 4).Append(entry);
    }
  }
  infantry.reset();
  vehicle.reset();
  fortification.reset();
  aircraft.reset();
  SeedRandom(savedRandom);
}
