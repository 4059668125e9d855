#include "editor/EditorPurchaseList.h"

#include <algorithm>
#include <string>
#include <vector>

#include "editor/EditorState.h"
#include "editor/EditorUnitDataPanel.h"
#include "editor/EditorValueLabel.h"
#include "framework/core/GString15.h"
#include "framework/core/GString255.h"
#include "framework/ui/GViewHost.h"
#include "framework/core/GErrorLog.h"
#include "game/battle/BattleBase.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/units/infantry/Infantry.h"

void EditorPurchaseList::Setup(GView* parent, int32_t x, int32_t y, int32_t width) {
  EditorUnitList::Setup(parent, x, y, width);
  MoveBattleUnitsIn();
}

GObjectGroup& EditorPurchaseList::Shown() const { return state_.PurchaseList(Side(), state_.GetArrivalSlot()); }

void EditorPurchaseList::MoveBattleUnitsIn() {
  const int32_t side = Side();
  const bool axis = axisFlag != 0;
  BattleBase* base = state_.CurrentBattle();
  if (base == nullptr) return;
  // A side of any size is moved in whole: the limit applies to buying, not to opening.
  auto moveSide = [&](GGroup& from, GObjectGroup& into) {
    for (int32_t i = 0; i < from.Count();) {
      auto* unit = static_cast<Unit*>(from.GetItem(i));
      if (unit->IsAxis() != axis) {
        ++i;
        continue;
      }
      from.RemoveAt(i, false);
      into.Append(unit);
    }
  };
  moveSide(base->units, state_.PurchaseList(side, 0));
  for (int32_t slot = 1; slot <= EditorState::kSlots; ++slot) state_.ResetSlot(side, slot - 1);
  GObjectGroup& groups = base->reinforcements[side];
  if (groups.Count() > EditorState::kSlots && state_.purchaseOnly == 0) {
    GErrorLog::LogError(("Reinforcement groups past the fifth of side " + std::to_string(side) +
                         " joined \"Reinforce 5\"").c_str());
  }
  for (int32_t k = 0; k < groups.Count(); ++k) {
    auto* group = static_cast<ReinforcementGroup*>(groups.GetItem(k));
    const int32_t slot = state_.purchaseOnly != 0 ? 0 : (k < EditorState::kSlots ? k + 1 : EditorState::kSlots);
    if (slot != 0 && k < EditorState::kSlots) {
      state_.Slot(side, slot - 1) = EditorState::ArrivalSlot{group->arrivalTurn, group->chance, group->entryX, group->entryY};
    }
    moveSide(group->units, state_.PurchaseList(side, slot));
  }
  if (state_.preset == 0) state_.SetArrivalSlot(0);
}

void EditorPurchaseList::RemoveSelected() {
  GObjectGroup& list = Shown();
  if (selected < 0 || selected >= list.Count()) return;
  auto* unit = static_cast<Unit*>(list.GetItem(selected));
  if (state_.purchaseOnly != 0 && unit->purchaseDepth >= 1) {
    state_.AppBeep();
    return;
  }
  Unit* linked = unit->IsInfantry() ? static_cast<Infantry*>(unit)->linkedHalf : nullptr;
  const int32_t depth = unit->purchaseDepth;
  // The unit and the members of its formation that follow it.
  std::vector<Unit*> removed{unit};
  list.RemoveAt(selected, false);
  while (list.Count() > 0 && selected < list.Count() &&
         static_cast<Unit*>(list.GetItem(selected))->purchaseDepth > depth) {
    removed.push_back(static_cast<Unit*>(list.GetItem(selected)));
    list.RemoveAt(selected, false);
  }
  // The other half of a split squad goes too, from whichever list holds it, unless it was
  // among the members just removed.
  bool linkedRemoved = false;
  for (Unit* gone : removed) linkedRemoved = linkedRemoved || gone == linked;
  if (linked != nullptr && !linkedRemoved) {
    for (int32_t slot = 0; slot < EditorState::kPurchaseSlots && !linkedRemoved; ++slot) {
      GObjectGroup& other = state_.PurchaseList(Side(), slot);
      if (other.Contains(linked)) {
        other.RemoveObject(linked, false);
        removed.push_back(linked);
        linkedRemoved = true;
      }
    }
  }
  for (Unit* gone : removed) delete gone;
  if (list.Count() == 0) {
    selected = -1;
  } else if (selected >= list.Count()) {
    selected = list.Count() - 1;
  }
  // References to the deleted units go, from every unit the side still holds in any slot.
  GObjectGroup remaining;
  remaining.Init();
  remaining.SetOwnsMembers(false);
  for (int32_t slot = 0; slot < EditorState::kPurchaseSlots; ++slot) remaining.AppendGroup(state_.PurchaseList(Side(), slot));
  for (int32_t i = 0; i < remaining.Count(); ++i) static_cast<Unit*>(remaining.GetItem(i))->DropDeadReferences(remaining);
  remaining.DeleteAll(false);
  rowCount = list.Count();
  if (rowCount <= topRow) StepPage(false);
  UpdatePoints();
}

void EditorPurchaseList::UpdatePoints() {
  const std::array<int32_t, 6> totals = state_.SideCosts(Side());
  int32_t spent[7] = {};
  for (int32_t i = 0; i < 6; ++i) {
    spent[i] = totals[static_cast<size_t>(i)];
    spent[6] += totals[static_cast<size_t>(i)];
  }
  for (int32_t i = 0; i < 7; ++i) {
    EditorValueLabel* label = state_.spentLabels[static_cast<size_t>(i)];
    if (label != nullptr) label->SetLabelValue(spent[i]);
    EditorValueLabel* limit = state_.limitLabels[static_cast<size_t>(i)];
    if (state_.purchaseOnly == 0 || label == nullptr || limit == nullptr) continue;
    const bool over = EditorState::GetControlValue(limit) < spent[i];
    label->SetColor(over ? 255 : 200, over ? 0 : 200, over ? 0 : 255);
    limit->SetColor(over ? 255 : 200, over ? 0 : 200, over ? 0 : 255);
  }
  rowCount = Shown().Count();
  Invalidate();
}

Unit* EditorPurchaseList::UnitAt(int32_t row) const {
  GObjectGroup& list = Shown();
  if (row < 0 || row >= list.Count()) return nullptr;
  return static_cast<Unit*>(list.GetItem(row));
}

void EditorPurchaseList::Draw() {
  EditorUnitList::Draw();
  if (selected >= topRow && selected < topRow + rowsPerPage) {
    GViewHost* host = GViewHost::Current();
    const auto band = static_cast<uint16_t>(host != nullptr ? host->RGBToPixel(155, 155, 0) : 0);
    FillRect(GRect{0, (selected - topRow) * kRowHeight, Width(), (selected - topRow) * kRowHeight + kRowHeight}, band);
  }
  GObjectGroup& list = Shown();
  rowCount = list.Count();
  GString255 text;
  for (int32_t row = topRow; row < rowCount && row < topRow + rowsPerPage; ++row) {
    const auto* unit = static_cast<const Unit*>(list.GetItem(row));
    const Rgb colour = RowColour(unit->GetPurchaseCode());
    const int32_t y = (row - topRow) * kRowHeight + 10;
    if (!unit->IsInanimate()) {
      // Values a stored unit may carry outside the tables are shown at their nearest end.
      const int32_t nationality = std::clamp(unit->nationalityCode, 0, 18);
      const int32_t rating = std::clamp(unit->GetRating(), 0, 5);
      text.LoadResource(static_cast<uint32_t>(5100 + nationality));
      DrawText(&text, 2, y, -1, 1, colour.r, colour.g, colour.b);
      text.LoadResource(static_cast<uint32_t>(1050 + rating));
      DrawText(&text, 30, y, -1, 1, colour.r, colour.g, colour.b);
    }
    text.Clear();
    unit->GetDisplayName(text);
    const int32_t depth = std::clamp<int32_t>(unit->purchaseDepth, 0, 3);
    DrawText(&text, depth * 17 + 57, y, -1, 1, colour.r, colour.g, colour.b);
    text.AssignNumber(static_cast<int32_t>(unit->GetPurchaseCost()));
    DrawText(&text, Width() - 2, y, 1, 1, colour.r, colour.g, colour.b);
  }
}

void EditorPurchaseList::MouseDown(int32_t, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control) {
  const int32_t row = RowAt(y);
  selected = UnitAt(row) != nullptr ? row : -1;
  Invalidate();
  if (doubleClick == 0 || state_.purchaseOnly != 0) return;
  if (shift != 0 && control != 0) {
    if (Unit* unit = UnitAt(selected)) unit->nationalityCode = state_.GetForceCode();
    return;
  }
  DoCommand(166);
}

void EditorPurchaseList::MouseMoved(int32_t, int32_t y) {
  if (state_.unitDataPanel != nullptr) state_.unitDataPanel->ShowUnit(UnitAt(RowAt(y)));
}

void EditorPurchaseList::MouseLeft() {
  if (state_.unitDataPanel != nullptr) state_.unitDataPanel->ShowUnit(nullptr);
}
