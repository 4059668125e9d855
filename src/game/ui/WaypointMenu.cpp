#include "game/map/BattlefieldScreen.h"
#include "game/ui/WaypointMenu.h"

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"

WaypointMenu* WaypointMenu::OpenFor(Battle& battle, Unit& unit) {
  if (!unit.IsInfantry()) {
    GErrorLog::LogValue("Waypoint level menu for a unit that is no infantry, kind", unit.kind);
    return nullptr;
  }
  return OpenQuestion<WaypointMenu>(battle, unit);
}

void WaypointMenu::FillFor(bool create) {
  AddItem(kOrderTopFloor, 20, 'T', create);
  AddItem(kOrderBottomFloor, 21, 'B', create);
}

void WaypointMenu::Execute(int32_t code) {
  Battle* battle = battle_;
  CloseOpenMenu();  // this menu is gone from here on
  if (battle == nullptr) return;
  Unit* unit = battle->selectedUnit;
  if (unit == nullptr || !unit->IsInfantry()) {
    GErrorLog::LogValue("Waypoint level answered without an infantry unit selected, code", code);
    battle->App().Battlefield().Beep();
    return;
  }
  if (auto* squad = unit->AsInfantryUnit()) {
    // The top floor needs a waypoint to raise outside the set-up phase.
    if (battle->IsSetupPhase() || squad->waypointCount > 0) squad->OrderUpperFloor(code == kOrderTopFloor);
  }
  if (battle->IsSetupPhase()) battle->IssueOrder(kOrderSetupFacing, false);
}
