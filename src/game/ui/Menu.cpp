#include "game/ui/Menu.h"

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/screen/BattleScreenParts.h"
#include "game/map/Map.h"
#include "game/ui/MapView.h"
#include "game/ui/MenuItem.h"
#include "game/units/Unit.h"

GRect Menu::PlaceAt(int32_t x, int32_t y, int32_t count, int32_t parentWidth, int32_t parentHeight) {
  const int32_t height = kItemHeight * count + kItemHeight;
  int32_t left = x - kWidth / 2;
  if (left < 0) left = 0;
  else if (x + kWidth / 2 > parentWidth) left = parentWidth - kWidth;
  int32_t top = y;
  if (top < 0) top = 0;
  else if (y + height > parentHeight) top = parentHeight - height;
  return GRect{left, top, left + kWidth, top + height};
}

bool Menu::MatchHotKey(uint8_t hotKey, int32_t key) {
  if (hotKey == 0) return false;
  if (key == hotKey) return true;
  return key >= 'a' && key <= 'z' && key - 'a' + 'A' == hotKey;
}

int32_t Menu::CodeAt(int32_t index) const {
  return index >= 0 && index < count_ ? codes_[static_cast<size_t>(index)] : 0;
}

uint8_t Menu::HotKeyAt(int32_t index) const {
  return index >= 0 && index < count_ ? hotKeys_[static_cast<size_t>(index)] : 0;
}

void Menu::Open(Battle& battle, Unit* unit, int32_t x, int32_t y, GView* parent) {
  battle_ = &battle;
  unit_ = unit;
  count_ = 0;
  Fill(false);
  const int32_t width = parent != nullptr ? parent->Width() : 0;
  const int32_t height = parent != nullptr ? parent->Height() : 0;
  const GRect rect = PlaceAt(x, y, count_, width, height);
  Place(parent, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  if (parent != nullptr) BeginModal();
  count_ = 0;
  Fill(true);
  MapView::showOrdersMenuTip = false;
}

bool Menu::AddItem(int32_t code, int32_t picture, uint8_t hotKey, bool create) {
  if (count_ >= kMaxItems) return false;
  for (int32_t i = count_ - 1; i >= 0; --i) {
    const auto at = static_cast<size_t>(i);
    if (codes_[at] == code || (hotKey != 0 && hotKeys_[at] == hotKey)) return false;
  }
  if (create) {
    auto* item = new MenuItem;
    item->Place(code, hotKey, picture, *this, kItemHeight * count_ + kItemHeight);
  }
  codes_[static_cast<size_t>(count_)] = code;
  hotKeys_[static_cast<size_t>(count_)] = hotKey;
  ++count_;
  return true;
}

bool Menu::HandleKey(int32_t key) {
  const int32_t children = GetChildCount();
  if (children == 0) return false;
  if (key >= 'a' && key <= 'z') key = key - 'a' + 'A';
  for (int32_t i = 0; i < children; ++i) {
    auto* item = dynamic_cast<MenuItem*>(GetChild(i));
    if (item == nullptr || !MatchHotKey(item->GetHotKey(), key)) continue;
    item->Press(1);
    return true;
  }
  return false;
}

void Menu::ClickOutside() { CloseOpenMenu(); }

void Menu::Draw() {
  GView::Draw();
  if (GGraphic* frame = FramePicture(GetStyle())) DrawGraphic(frame, 0, 0);
}

GGraphic* Menu::FramePicture(int32_t index) const {
  if (battle_ == nullptr || index < 0 || index >= BattleScreenParts::kPanelPictures) return nullptr;
  return battle_->Screen().panelPictures[static_cast<size_t>(index)];
}

GGraphic* Menu::WordPicture(int32_t index) const {
  if (battle_ == nullptr || index < 0 || index >= BattleScreenParts::kUnitPictures) return nullptr;
  return battle_->Screen().unitPictures[static_cast<size_t>(index)];
}

void Menu::CloseOpenMenu() {
  if (battle_ == nullptr || battle_->map == nullptr) return;
  Map& map = *battle_->map;
  if (map.camera.openMenu == this) SafeDelete(map.camera.openMenu);
}

bool Menu::CanAsk(const Battle& battle, const Unit& unit) {
  if (battle.map != nullptr && battle.selectedUnit == &unit) return true;
  GErrorLog::LogError("A question menu for a unit that is not the selected one");
  return false;
}

void Menu::AskAt(Battle& battle, Unit& unit) {
  Map& map = *battle.map;
  SafeDelete(map.camera.openMenu);
  map.camera.openMenu = this;
  Open(battle, &unit, map.orders.questionX, map.orders.questionY, dynamic_cast<GView*>(map.display.battleView));
}

void Menu::Fill(bool create) {
  if (battle_ == nullptr || battle_->multiSelection == 0 || !ListsGroupOrders()) {
    FillFor(create);
    return;
  }
  bool fastVehicles = false;
  bool infantry = false;
  bool runners = false;
  for (int32_t i = 0; i < battle_->UnitCount(); ++i) {
    Unit* unit = battle_->UnitAt(i);
    if (unit->boxSelection == 0) continue;
    if (unit->IsVehicle() && unit->CanTakeOrder(kOrderFastMove)) fastVehicles = true;
    if (unit->IsInfantry()) {
      infantry = true;
      if (unit->CanTakeOrder(kOrderRun)) runners = true;
    }
  }
  // Fast vehicles with infantry that cannot run: the vehicles' fast move takes the run's place.
  if (fastVehicles && infantry && !runners) AddItem(kOrderRun, 8, 'F', create);
  Unit* saved = unit_;
  for (int32_t pass = 0; pass < 2; ++pass) {
    for (int32_t i = battle_->UnitCount() - 1; i >= 0; --i) {
      Unit* unit = battle_->UnitAt(i);
      if (unit->boxSelection == 0 || unit->IsInfantry() != (pass == 0)) continue;
      unit_ = unit;
      FillFor(create);
    }
  }
  unit_ = saved;
}
