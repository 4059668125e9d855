// The arrival of reinforcement groups: the check per group, the boarding of the infantry onto
// the group's carriers and the entry of the units at the group's entry point.
#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleBase.h"
#include "game/battle/Campaign.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/map/MapAppServices.h"
#include "game/map/TurnExchange.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/ports/VehicleServices.h"

namespace {

Unit* AsUnit(GObject* member) { return static_cast<Unit*>(member); }

// The class record's passenger capacity; 0 for a unit that is not a vehicle.
int32_t Capacity(Unit& unit) {
  const VehicleServices* vehicle = unit.AsVehicle();
  return vehicle != nullptr ? vehicle->GetClassData(0).TransportClass() : 0;
}

bool HasLeaderLevel(Unit& unit) {
  const InfantryServices* infantry = unit.AsInfantry();
  return infantry != nullptr && infantry->GetClassData().LeaderLevel() >= 1;
}

// The infantry class record's loading value: the size class a carrier must take.
int32_t LoadingValue(Unit& unit) {
  const InfantryServices* infantry = unit.AsInfantry();
  return infantry != nullptr ? infantry->GetClassData().ClassCode() : 0;
}

// Larger capacity first, then armoured first, then the smaller class byte.
int32_t CompareCarriers(GObject* a, GObject* b, void* /*arg*/) {
  Unit& u = *AsUnit(a);
  Unit& v = *AsUnit(b);
  const int32_t cu = Capacity(u);
  const int32_t cv = Capacity(v);
  if (cu != cv) return cu > cv ? -1 : 1;
  const bool au = u.IsArmored(false);
  const bool av = v.IsArmored(false);
  if (au != av) return au ? -1 : 1;
  const int32_t bu = u.AsVehicle()->GetClassData(0).PassengerPlaces();
  const int32_t bv = v.AsVehicle()->GetClassData(0).PassengerPlaces();
  if (bu != bv) return bu < bv ? -1 : 1;
  return 0;
}

// Slower first, then the larger loading value, then seven or more men, then no leader, then
// the smaller letter.
int32_t CompareRiders(GObject* a, GObject* b, void* /*arg*/) {
  Unit& u = *AsUnit(a);
  Unit& v = *AsUnit(b);
  const int32_t su = u.GetSpeedClass();
  const int32_t sv = v.GetSpeedClass();
  if (su != sv) return su < sv ? -1 : 1;
  const int32_t lu = LoadingValue(u);
  const int32_t lv = LoadingValue(v);
  if (lu != lv) return lu > lv ? -1 : 1;
  const bool bu = u.GetMenPresent() >= 7;
  const bool bv = v.GetMenPresent() >= 7;
  if (bu != bv) return bu ? -1 : 1;
  const bool hu = HasLeaderLevel(u);
  const bool hv = HasLeaderLevel(v);
  if (hu != hv) return hu ? 1 : -1;
  const int32_t gu = u.GetLetterCode();
  const int32_t gv = v.GetLetterCode();
  if (gu != gv) return gu < gv ? -1 : 1;
  return 0;
}

int32_t CompareVehiclesFirst(GObject* a, GObject* b, void* /*arg*/) {
  const bool va = AsUnit(a)->IsVehicle();
  const bool vb = AsUnit(b)->IsVehicle();
  if (va == vb) return 0;
  return va ? -1 : 1;
}

}  // namespace

void ReinforcementGroup::LoadCarriers() {
  GGroup carriers;
  GGroup riders;
  carriers.IGroup();
  riders.IGroup();
  carriers.SetOwnsMembers(false);
  riders.SetOwnsMembers(false);
  for (int32_t i = units.Count() - 1; i >= 0; --i) {
    Unit* unit = AsUnit(units.GetItem(i));
    if (unit->IsInfantry()) {
      riders.Append(unit);
    } else if (unit->AsVehicle() != nullptr && Capacity(*unit) > 0 &&
               (!unit->IsArmored(false) || unit->AsVehicle()->GetClassData(0).RidersProtected() != 0)) {
      carriers.Append(unit);
    }
  }
  if (carriers.Count() == 0 || riders.Count() == 0) return;
  carriers.QuickSort(CompareCarriers, nullptr);
  riders.QuickSort(CompareRiders, nullptr);
  for (int32_t c = 0; c < carriers.Count(); ++c) {
    Unit* carrier = AsUnit(carriers.GetItem(c));
    VehicleServices* vehicle = carrier->AsVehicle();
    int32_t i = 0;
    while (i < riders.Count()) {
      Unit* rider = AsUnit(riders.GetItem(i));
      if (!vehicle->CanCarry(rider, false, true)) {
        ++i;
        continue;
      }
      rider->AsInfantry()->SetCarrierReference(carrier);
      rider->SetPosition(carrier->x, carrier->y);
      vehicle->AddPassenger(rider);
      riders.RemoveAt(i, false);
    }
  }
}

void ReinforcementGroup::ReleaseAppearance() {
  for (int32_t i = 0; i < units.Count(); ++i) AsUnit(units.GetItem(i))->ReleaseAppearance();
}

bool ReinforcementGroup::CheckArrival(MapAppServices& app) {
  if (arrivalTurn < 0) return false;
  auto* operation = dynamic_cast<Campaign*>(app.GetOperation());
  BattleBase* reference = operation;
  if (reference == nullptr) reference = dynamic_cast<BattleBase*>(app.GetBattleOrOperation());
  if (reference == nullptr || reference->currentTurn < arrivalTurn) return false;
  if (RandomFloat() > chance) return false;
  if (units.Count() == 0) return true;
  if (operation != nullptr) {
    operation->PlaceArrivingGroup(*this);
    units.DeleteAll(false);
    return true;
  }
  auto* battle = dynamic_cast<Battle*>(reference);
  if (battle == nullptr) return false;
  LoadCarriers();
  battle->AddUnitToAIGroups(units);
  units.Sort(CompareVehiclesFirst, nullptr);
  for (int32_t i = 0; i < units.Count(); ++i) battle->AddUnitToMap(AsUnit(units.GetItem(i)), entryX, entryY);
  units.DeleteAll(false);
  return true;
}

void BattleBase::BringReinforcements() {
  MapAppServices& app = App();
  if (app.GetHumanPlayers() == 2 && app.GetConnectionType() == 1) SeedRandom(app.Exchange().GetEmailSeed());
  for (GObjectGroup& list : reinforcements) {
    // Checked in order; the arrived groups are removed afterwards, the others keep theirs.
    const int32_t count = list.Count();
    std::vector<uint8_t> arrived(static_cast<size_t>(count), 0);
    for (int32_t g = 0; g < count; ++g) {
      arrived[static_cast<size_t>(g)] = static_cast<ReinforcementGroup*>(list.GetItem(g))->CheckArrival(app) ? 1 : 0;
    }
    for (int32_t g = count - 1; g >= 0; --g) {
      if (arrived[static_cast<size_t>(g)] != 0) list.RemoveAt(g, true);
    }
  }
}
