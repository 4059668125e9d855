#include "game/map/BattlefieldScreen.h"
#include "game/ui/UnitOrdersMenu.h"

#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/units/orders/Waypoint.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"
#include "game/units/ports/VehicleServices.h"

void UnitOrdersMenu::Offer(int32_t code, int32_t picture, uint8_t hotKey, bool create, bool singleOnly) {
  if (singleOnly && battle_ != nullptr && battle_->multiSelection != 0) return;
  if (unit_ != nullptr && unit_->CanTakeOrder(code)) AddItem(code, picture, hotKey, create);
}

int32_t UnitOrdersMenu::GetStyle() const {
  if (onWaypoint_ != 0) return 6;
  return battle_ != nullptr && battle_->IsSetupPhase() ? 5 : 0;
}

void UnitOrdersMenu::FillFor(bool create) {
  if (unit_ == nullptr || battle_ == nullptr) return;
  const int32_t hidePicture = unit_->WantsToFire() ? 2 : 11;
  if (!battle_->IsSetupPhase()) {
    onWaypoint_ = battle_->selectedWaypoint >= 0 ? 1 : 0;
    bool fastLater = false;
    Offer(kOrderCancelMoves, 10, 0, create);
    Offer(kOrderRun, 12, 'F', create);
    if (unit_->IsVehicle()) {
      Offer(kOrderFastMove, 8, 'F', create);
    } else if (unit_->GetSpeedClass() >= 3) {
      Offer(kOrderFastMove, 4, 'M', create);
    } else if (unit_->GetSpeedClass() == 2) {
      Offer(kOrderFastMove, 5, 'M', create);
    } else {
      fastLater = true;
    }
    Offer(kOrderHunt, 6, 'U', create);
    Offer(kOrderMove, 5, 'M', create);
    Offer(kOrderReverse, 9, 'R', create);
    Offer(kOrderCrawl, 25, 'C', create);
    Offer(kOrderSneak, 3, 'S', create);
    Offer(kOrderWithdraw, 26, 'W', create);
    Offer(kOrderRotate, 23, 'O', create);
    Offer(kOrderHide, hidePicture, 'H', create);
    Offer(kOrderPause, 1, 'P', create);
    Offer(kOrderTarget, 14, 'T', create);
    Offer(kOrderAmbush, 13, 'I', create);
    Offer(kOrderNextTarget, 33, 'N', create, true);
    Offer(kOrderSmoke, 16, 'K', create);
    Offer(kOrderCancelTarget, 15, 'X', create);
    if (fastLater) {
      // A slow squad's fast move is its only move when it cannot take the plain one.
      const auto* squad = unit_->AsInfantryUnit();
      if (squad != nullptr && squad->IsTypeClassBelow9()) Offer(kOrderFastMove, 5, 'M', create);
      else if (squad != nullptr && squad->IsTypeClass9OrMore()) Offer(kOrderFastMove, 7, 'M', create);
    }
  } else {
    onWaypoint_ = 0;
    Offer(kOrderSetupMove, 5, 'M', create, true);
    Offer(kOrderSetupPlace, 22, 'P', create);
    Offer(kOrderSetupFacing, 23, 'O', create);
    Offer(kOrderHide, hidePicture, 'H', create);
    Offer(kOrderDugIn, 24, 'D', create);
    Offer(kOrderFlagPick, 27, 0, create, true);
    Offer(kOrderHoldPlace, unit_->setupZone == 7 ? 29 : 28, 0, create);
  }
  Offer(kOrderAreaTarget, 0, 'A', create, true);
  const VehicleServices* vehicle = unit_->AsVehicle();
  Offer(kOrderButtonUp, vehicle != nullptr && vehicle->IsButtoned() ? 30 : 31, 'Z', create);
  Offer(kOrderSplit, 32, 0, create, true);
  Offer(kOrderLineOfSight, 17, 'L', create, true);
}

void UnitOrdersMenu::Execute(int32_t code) {
  Battle* battle = battle_;
  Unit* unit = unit_;
  const bool onWaypoint = onWaypoint_ != 0;
  CloseOpenMenu();  // this menu is gone from here on
  if (battle == nullptr) return;
  if (battle->multiSelection == 0) {
    battle->IssueOrder(code, onWaypoint);
    return;
  }
  auto lastSelected = [battle](auto&& test) -> Unit* {
    for (int32_t i = battle->UnitCount() - 1; i >= 0; --i) {
      Unit* member = battle->UnitAt(i);
      if (member->boxSelection != 0 && test(*member)) return member;
    }
    return nullptr;
  };
  if (unit == nullptr || !unit->CanTakeOrder(code)) {
    Unit* leader = lastSelected([code](Unit& u) { return u.CanTakeOrder(code); });
    if (leader != nullptr) battle->SelectUnit(leader);
    if (code == kOrderRun) {
      leader = lastSelected([](Unit& u) { return u.IsInfantry() && u.CanTakeOrder(kOrderFastMove); });
      if (leader != nullptr) battle->SelectUnit(leader);
    }
    if (leader == nullptr) return;
  } else if (unit->IsVehicle() && code == kOrderFastMove) {
    const uint8_t side = unit->side;
    if (lastSelected([side](Unit& u) { return u.IsInfantry() && u.side == side; }) != nullptr) {
      Unit* leader = lastSelected([](Unit& u) { return u.IsInfantry() && u.CanTakeOrder(kOrderFastMove); });
      if (leader == nullptr) return;
      battle->SelectUnit(leader);
    }
  }
  battle->BeginGroupOrder(code);
}

UnitOrdersMenu* UnitOrdersMenu::OpenFor(Battle& battle, bool clearWaypoint) {
  Unit* unit = battle.selectedUnit;
  if (unit == nullptr || battle.map == nullptr) {
    battle.App().Battlefield().Beep();
    return nullptr;
  }
  if (!unit->IsCommandable()) {
    battle.App().Battlefield().Beep();
    return nullptr;
  }
  if (clearWaypoint || battle.multiSelection != 0) battle.SetSelectedWaypoint(-1);
  Map& map = *battle.map;
  if (map.camera.openMenu != nullptr) {
    SafeDelete(map.camera.openMenu);
    return nullptr;
  }
  if (!unit->IsAlive()) return nullptr;
  const int32_t waypoint = battle.selectedWaypoint;
  if (waypoint >= 0 && waypoint < unit->waypointCount && unit->WaypointAt(waypoint).moveMode == Waypoint::kRotateTo) {
    return nullptr;
  }
  auto* menu = new UnitOrdersMenu;
  menu->Open(battle, unit, map.orders.menuX, map.orders.menuY, dynamic_cast<GView*>(map.display.battleView));
  return menu;
}
