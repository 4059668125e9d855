// The orders menu as the map asks for it: opened for the battle's selected unit, and keys
// handed to the open one.
#include "app/WRApplication.h"
#include "game/battle/Battle.h"
#include "game/ui/Menu.h"
#include "game/ui/UnitOrdersMenu.h"

GObject* WRApplication::OpenUnitOrdersMenu(bool atWaypoint) {
  if (inPlay_.GetBattle() == nullptr) return nullptr;
  return UnitOrdersMenu::OpenFor(*inPlay_.GetBattle(), atWaypoint);
}

bool WRApplication::OrdersMenuTakesKey(GObject* menu, int32_t key) {
  auto* open = dynamic_cast<Menu*>(menu);
  return open != nullptr && open->HandleKey(key);
}
