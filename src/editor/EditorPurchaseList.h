#pragma once
#include <cstdint>

#include "editor/EditorUnitList.h"

class EditorState;
class GObjectGroup;
class Unit;

// The CHOSEN list of one side on the purchase screen: the units of the side's list of the
// chosen arrival slot, a selected row (-1 none) and the side's spent points.
class EditorPurchaseList : public EditorUnitList {
 public:
  EditorPurchaseList(EditorState& state, bool axis) : axisFlag(axis ? 1 : 0), state_(state) {}
  ~EditorPurchaseList() override = default;

  int32_t Side() const { return axisFlag != 0 ? 0 : 1; }
  // Places the list and moves the edited battle's units of its side into the purchase lists.
  void Setup(GView* parent, int32_t x, int32_t y, int32_t width);
  // The edited battle's units of the side go to "On Map", the units of its reinforcement group
  // k to "Reinforce k + 1" (past the fifth into "Reinforce 5"; everything to "On Map" when
  // only buying), each slot taking its group's arrival settings.
  void MoveBattleUnitsIn();
  // The list the rows show: the side's list of the chosen arrival slot.
  GObjectGroup& Shown() const;
  // Removes the selected unit with the members of its formation and the other half of a split
  // squad (command 167). Only buying, a formation's member is refused with a beep.
  void RemoveSelected();
  // The side's spent points per category and in total into the spent labels; only buying, a
  // column whose allowance is below its spending turns red.
  void UpdatePoints();
  // The unit of a row of the shown list, or null past the last.
  Unit* UnitAt(int32_t row) const;

  // The base, the selected row's band in (155, 155, 0), then each unit on the page: the
  // nationality at x 2 and the rating at x 30 (not for fortifications), the name indented by
  // its formation depth, the cost right-aligned, in the colour of its purchase code.
  void Draw() override;
  // Selects the row (-1 below the last); a double click edits the unit (command 166) outside
  // purchase-only mode, or with Shift and Ctrl gives it the chosen force's nationality.
  void MouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control) override;
  void MouseMoved(int32_t x, int32_t y) override;
  void MouseLeft() override;

  uint8_t axisFlag;
  int32_t selected = -1;

 private:
  EditorState& state_;
};
