#include "game/map/BattlefieldScreen.h"
#include "game/ui/VehicleQuestionMenu.h"

#include "framework/core/GErrorLog.h"
#include "game/battle/Battle.h"
#include "game/map/MapAppServices.h"
#include "game/units/Unit.h"
#include "game/units/ports/VehicleServices.h"

VehicleQuestionMenu* VehicleQuestionMenu::OpenFor(Battle& battle, Unit& vehicle) {
  if (!vehicle.IsVehicle()) {
    GErrorLog::LogValue("Vehicle question for a unit that is no vehicle, kind", vehicle.kind);
    return nullptr;
  }
  return OpenQuestion<VehicleQuestionMenu>(battle, vehicle);
}

void VehicleQuestionMenu::FillFor(bool create) {
  AddItem(kOrderYes, 18, 'Y', create);
  AddItem(kOrderNo, 19, 'N', create);
}

void VehicleQuestionMenu::Execute(int32_t code) {
  Battle* battle = battle_;
  CloseOpenMenu();  // this menu is gone from here on
  if (battle == nullptr) return;
  Unit* unit = battle->selectedUnit;
  VehicleServices* vehicle = unit != nullptr && unit->IsVehicle() ? unit->AsVehicle() : nullptr;
  if (vehicle == nullptr) {
    GErrorLog::LogValue("Vehicle question answered without a vehicle selected, code", code);
    battle->App().Battlefield().Beep();
    return;
  }
  vehicle->SetQuestionAnswer(code == kOrderYes);
}
