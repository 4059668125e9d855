// The battle screen's keys: camera moves, the orders menu and waypoints, unit cycling, the
// TCP/IP pause and the question boxes; and the battle's small selection operations.
#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/screen/BattleScreenParts.h"
#include "game/battle/BattleKeyHost.h"
#include "game/map/BattlefieldScreen.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/TurnExchange.h"
#include "game/map/OrderState.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"

namespace {

constexpr int32_t kTcpIp = 2;

// Input modes in which an order waits for the mouse: only camera, menu and hot keys act.
bool IsPickMode(int32_t mode) {
  return (mode >= InputModes::kLinePick && mode <= InputModes::kTargetPick) ||
         (mode >= InputModes::kPlacePick && mode <= InputModes::kFlagPick);
}

bool IsHotKey(uint8_t key) { return (key >= 'A' && key <= 'Z') || (key >= '[' && key <= 'z'); }

uint8_t Upper(uint8_t key) { return key >= 'a' && key <= 'z' ? static_cast<uint8_t>(key - 32) : key; }

// A unit's multi-selection state for a confirmed member of the group.
constexpr int32_t kGroupMember = 2;

// A dead squad whose figures no longer show (it left with its other half).
bool HidesDeadFigure(const Unit& unit) {
  const auto* infantry = unit.AsInfantryUnit();
  return infantry != nullptr && infantry->HidesDeadFigure();
}

}  // namespace

bool Battle::HasBattlefieldView() const { return keyHost != nullptr && keyHost->HasBattlefieldView(); }

bool Battle::IsBattlefieldViewVisible() const { return keyHost != nullptr && keyHost->IsBattlefieldViewVisible(); }

void Battle::SelectUnit(Unit* unit) {
  if (unit == nullptr) mapViewFlag = 0;
  selectedUnit = unit;
  selectedWaypoint = -1;
  InvalidateInfoPanel();
  if (map == nullptr) return;
  map->UpdateUnitInfoBalloon(unit);
  map->Invalidate();
  if (unit == nullptr && App().GetInputMode() != InputModes::kReplay) map->camera.selectedUnit = nullptr;
  App().Battlefield().RefreshBattleScreen();
}

void Battle::DropUnshowableSelection() {
  Unit* unit = selectedUnit;
  if (unit == nullptr) return;
  const bool offMap = map != nullptr && !map->IsOnMap(unit->GetX(), unit->GetY());
  if (unit->GetIdentificationLevel() == 0 || offMap || HidesDeadFigure(*unit)) SelectUnit(nullptr);
}

void Battle::ValidateSelection() {
  DropUnshowableSelection();
  if (selectedUnit != nullptr && selectedUnit->IsWaitingForLink()) SelectUnit(nullptr);
}

void Battle::DeselectAll() {
  float share0 = 0.0f;
  float share1 = 0.0f;
  if (screenParts_ != nullptr && screenParts_->views.infoPanel != nullptr) {
    ComputeScoreShares(true, &share0, &share1);
    InvalidateInfoPanel();
  }
  if (map != nullptr) {
    map->camera.selectedUnit = nullptr;
    map->Invalidate();
  }
  SelectUnit(nullptr);
}

void Battle::SelectNextOwnUnit(bool forward) {
  if (map == nullptr) FatalError(2688, "Battle");
  if (map->camera.openMenu != nullptr) return;
  const int32_t side = App().GetCurrentSide() == 1 ? 1 : 0;
  auto isOwn = [side](const Unit& u) {
    const int32_t shown = u.HasSurrendered() ? 1 - u.GetSideIndex() : u.GetSideIndex();
    return shown == side;
  };
  // Inanimate objects, aircraft, units that left and the dead (but for ground units that
  // still show a figure) are never picked.
  auto pickable = [&isOwn](const Unit& u) {
    if (u.IsInanimate() || u.IsAirplane() || u.status != 0) return false;
    if (!u.IsAlive() && HidesDeadFigure(u)) return false;
    return isOwn(u);
  };
  const int32_t count = units.Count();
  if (count == 0) return;
  Unit* found = nullptr;
  if (selectedUnit == nullptr) {
    for (int32_t k = 0; k < count && found == nullptr; ++k) {
      Unit* u = UnitAt(forward ? k : count - 1 - k);
      if (u != nullptr && pickable(*u)) found = u;
    }
  } else {
    // Wrapping from the selection, only from an own unit (or in the editor, or once over).
    if (!isOwn(*selectedUnit) && !App().IsEditorOpen() && !IsOver()) return;
    const int32_t start = units.IndexOf(selectedUnit);
    if (start < 0) return;
    for (int32_t k = 1; k < count && found == nullptr; ++k) {
      const int32_t i = forward ? (start + k) % count : (start - k + count) % count;
      Unit* u = UnitAt(i);
      if (u != nullptr && pickable(*u)) found = u;
    }
  }
  if (found == nullptr) return;
  SelectUnit(found);
  map->AimCamera(found->GetX(), found->GetY());
  if (map->camera.selectedUnit != nullptr) map->camera.selectedUnit = found;
}

void Battle::HandleKey(uint8_t key, bool alt, bool keypad) {
  DropUnshowableSelection();
  if (map == nullptr) return;
  MapAppServices& app = App();
  const int32_t mode = app.GetInputMode();
  const uint8_t upper = Upper(key);

  // Camera keys, the balloon, the menu and waypoint keys, the view lock and the hot keys act
  // in every input mode.
  if (!alt && !keypad && key >= 1 && key <= 4) {
    map->MoveCamera(key, key >= 3 ? 0.4f : 0.2f);
    return;
  }
  if (!alt && (key == '.' || key == '>')) {
    map->TurnCamera(-0.24f);
    return;
  }
  if (!alt && (key == ',' || key == '<')) {
    map->TurnCamera(0.24f);
    return;
  }
  if (!alt && key == '/') {
    map->TurnCameraBy(180.0f);
    return;
  }
  if (key == '\r') {
    if (keyHost != nullptr) keyHost->ToggleInfoBalloon();
    return;
  }
  if (!alt && !keypad && key >= '1' && key <= '8') {
    map->SetCameraLevel(key - '1');
    return;
  }
  if (keypad && ((key >= '2' && key <= '9') || key == '-' || key == '+')) {
    map->KeypadCamera(key);
    return;
  }
  if (key == ' ') {
    if (selectedUnit != nullptr && mode == InputModes::kNoPick) {
      if (map->camera.openMenu == nullptr) map->camera.openMenu = app.OpenUnitOrdersMenu(false);
    } else if (IsPickMode(mode)) {
      app.SetInputMode(InputModes::kNoPick);
    }
    return;
  }
  if (key == '\b') {
    SafeDelete(map->camera.openMenu);
    if (mapViewFlag == 0) {
      if (selectedUnit != nullptr && selectedUnit->IsCommandable()) selectedUnit->RemoveLastWaypoint();
    } else {
      // The group's members give up their moves.
      selectedWaypoint = -1;
      for (int32_t i = 0; i < units.Count(); ++i) {
        Unit* u = UnitAt(i);
        if (u != nullptr && u->boxSelection == kGroupMember) u->CancelMoveOrders();
      }
    }
    return;
  }
  if (key == '\t') {
    map->SelectUnit(selectedUnit);
    return;
  }
  if (!alt && IsHotKey(key) && selectedUnit != nullptr && selectedUnit->IsAlive() && mode != InputModes::kReplay) {
    map->OrdersMenuKey(key);
    return;
  }
  const bool tcpip = app.GetConnectionType() == kTcpIp;
  if (alt && upper == 'P') {
    if (tcpip && keyHost != nullptr && keyHost->IsOrdersClockEnabled() && keyHost->IsOrdersClockRunning() &&
        HasBattlefieldView() && (mode == InputModes::kNoPick || mode == InputModes::kReplay) && !IsOver()) {
      const bool paused = !keyHost->IsPaused();
      keyHost->SetPaused(paused);
      if (paused) {
        const uint8_t message[1] = {0x0F};
        app.Exchange().NetSend(message, 1);
      } else {
        const uint8_t message[2] = {0x10, 0x00};
        app.Exchange().NetSend(message, 2);
      }
    }
    return;
  }

  // The rest only with nothing waiting for the mouse, and with the editor or the view shown.
  if (mode != InputModes::kNoPick && mode != InputModes::kReplay) return;
  const bool editor = app.IsEditorOpen();
  if (!editor && !IsBattlefieldViewVisible()) return;
  const bool over = IsOver();
  if (!alt && (key == '+' || key == '=')) {
    SelectNextOwnUnit(true);
  } else if (!alt && (key == '-' || key == '_')) {
    SelectNextOwnUnit(false);
  } else if (!alt && key == '\\') {
    if (map->camera.openMenu == nullptr && (editor || (over && resultsScreen != nullptr && app.GetOperation() == nullptr)) &&
        keyHost != nullptr) {
      keyHost->SwitchSides();
    }
  } else if (alt && upper == 'S') {
    if (mode == InputModes::kNoPick && !editor && !over && keyHost != nullptr) keyHost->SaveGame();
    else app.Battlefield().Beep();
  } else if (alt && (upper == 'C' || upper == 'U')) {
    const int32_t state = keyHost != nullptr ? keyHost->GetNetworkState() : 0;
    const bool linkAllows = !tcpip || state == 6 || state == 10 || state == 12;
    if (mode == InputModes::kNoPick && !editor && HasBattlefieldView() && !over && linkAllows && keyHost != nullptr) {
      keyHost->ShowAlert(upper == 'C' ? 17 : 16);
    }
  } else if (alt && upper == 'A') {
    if (!editor && HasBattlefieldView() && !over && keyHost != nullptr) keyHost->ShowAlert(19);
  } else if (alt && upper == 'B') {
    const int32_t side = app.GetCurrentSide();
    if (mode == InputModes::kNoPick && IsBattlefieldViewVisible() && !over && keyHost != nullptr &&
        keyHost->HasBriefing(side)) {
      keyHost->ShowBriefing(side);
    }
  }
}
