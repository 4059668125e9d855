#pragma once
#include <cstdint>

#include "editor/EditorUnitList.h"
#include "editor/UnitCatalogue.h"

class EditorState;
class GObjectGroup;
class PurchaseEntry;

// The AVAILABLE list of the purchase screen: the catalogue entries of the chosen force and
// category, each row its name and what buying it would cost. A click buys the entry into the
// chosen side's list of the chosen arrival slot; the mouse over a row shows its type in the
// data panel.
class EditorCatalogueList : public EditorUnitList {
 public:
  explicit EditorCatalogueList(EditorState& state) : state_(state) {}
  ~EditorCatalogueList() override = default;

  // Places the list (as the base does) and fills the catalogue for the edited scenario.
  void Setup(GView* parent, int32_t x, int32_t y, int32_t width);
  // The data panel cleared, back to the first row, redrawn.
  void Refresh();
  // The entries of the chosen force and category; a force without a catalogue row or no
  // chosen category is a programmer error (fatal).
  GObjectGroup& Entries();
  // The entry of a row, or null past the last.
  PurchaseEntry* EntryAt(int32_t row);

  // The base, then each row on the page: the name at x 2 and the probed cost right-aligned at
  // width - 2, in the entry's colour.
  void Draw() override;
  void MouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control) override;
  void MouseMoved(int32_t x, int32_t y) override;
  void MouseLeft() override;

  UnitCatalogue catalogue;

 private:
  EditorState& state_;
};
