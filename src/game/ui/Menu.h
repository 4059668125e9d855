#pragma once
#include <array>
#include <cstdint>

#include "framework/core/GRect.h"
#include "framework/ui/GView.h"
#include "game/map/OrderMenuTarget.h"

class Battle;
class GGraphic;
class Unit;

// A pop-up list of orders over the battlefield view: 160 pixels wide, a 20-pixel frame top and
// one 20-pixel item per order, each with its hot-key letter. Modal while open; the battle's
// map owns it. The kinds of menu fill it and act on the chosen code.
class Menu : public GView, public OrderMenuTarget {
 public:
  static constexpr int32_t kMaxItems = 100;
  static constexpr int32_t kWidth = 160;
  static constexpr int32_t kItemHeight = 20;

  // The menu's rectangle for count items opened at (x, y) in a parent of this size: centred
  // on x and kept inside the parent.
  static GRect PlaceAt(int32_t x, int32_t y, int32_t count, int32_t parentWidth, int32_t parentHeight);
  // The key presses the item: its letter, either case.
  static bool MatchHotKey(uint8_t hotKey, int32_t key);

  // Counts the items, places the menu in the parent (modal when placed in a view) and makes
  // the items.
  void Open(Battle& battle, Unit* unit, int32_t x, int32_t y, GView* parent);
  // Adds one order unless the menu is full or an item has its code or (a letter given) its
  // letter already; makes its item when create is set. True when added.
  bool AddItem(int32_t code, int32_t picture, uint8_t hotKey, bool create);
  // Presses the item of the key; false when no item takes it (nothing changes then).
  bool HandleKey(int32_t key);

  int32_t Count() const { return count_; }
  int32_t CodeAt(int32_t index) const;
  uint8_t HotKeyAt(int32_t index) const;
  Unit* GetUnit() const { return unit_; }

  // The frame picture of GetStyle at the top; the items draw themselves.
  void Draw() override;
  // The battle's menu frame (0..6) and order word (0..34) pictures; null when the index is
  // outside them or the battle has not loaded the picture.
  GGraphic* FramePicture(int32_t index) const;
  GGraphic* WordPicture(int32_t index) const;

  void MouseDown(int32_t, int32_t, uint8_t, uint8_t, uint8_t) override {}
  // A click elsewhere closes the menu without an order.
  void ClickOutside() override;

  // What the chosen code does; the frame's picture; the orders of the menu's unit.
  void Execute(int32_t code) override = 0;
  virtual int32_t GetStyle() const = 0;
  virtual void FillFor(bool create) = 0;
  // The orders menu lists what the selected group can take; the question menus ask one unit.
  virtual bool ListsGroupOrders() const { return true; }

 protected:
  // Makes a question menu of the kind for the selected unit at the map's question point (the
  // last click) in the battlefield view, as the map's only open menu; null, with a log line,
  // when the unit is not the selected one.
  template <class Kind>
  static Kind* OpenQuestion(Battle& battle, Unit& unit) {
    if (!CanAsk(battle, unit)) return nullptr;
    auto* menu = new Kind;
    menu->AskAt(battle, unit);
    return menu;
  }
  static bool CanAsk(const Battle& battle, const Unit& unit);
  void AskAt(Battle& battle, Unit& unit);
  // The orders of the selection: the menu's unit alone, or every order some member of the
  // selected group can take, infantry first.
  void Fill(bool create);
  // Deletes the battle map's open menu (this one, when it is open).
  void CloseOpenMenu();

  Battle* battle_ = nullptr;
  Unit* unit_ = nullptr;
  int32_t count_ = 0;
  std::array<int32_t, kMaxItems> codes_{};
  std::array<uint8_t, kMaxItems> hotKeys_{};
};
