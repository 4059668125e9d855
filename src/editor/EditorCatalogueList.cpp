#include "editor/EditorCatalogueList.h"

#include "editor/EditorState.h"
#include "editor/EditorUnitDataPanel.h"
#include "editor/EditorUnits.h"
#include "editor/PurchaseEntry.h"
#include "framework/core/GString15.h"
#include "framework/core/Quorl.h"

void EditorCatalogueList::Setup(GView* parent, int32_t x, int32_t y, int32_t width) {
  EditorUnitList::Setup(parent, x, y, width);
  catalogue.Fill(state_, false, false);
}

void EditorCatalogueList::Refresh() {
  if (state_.unitDataPanel != nullptr) state_.unitDataPanel->ShowUnit(nullptr);
  topRow = 0;
  Invalidate();
}

GObjectGroup& EditorCatalogueList::Entries() {
  const int32_t row = Editor::CatalogueForceIndex(state_.GetForceCode());
  const int32_t category = state_.GetCategory();
  if (row < 0 || category < 0 || category >= UnitCatalogue::kCategories) FatalError(5854, "Editor.cpp");
  return catalogue.List(row, category);
}

PurchaseEntry* EditorCatalogueList::EntryAt(int32_t row) {
  GObjectGroup& entries = Entries();
  rowCount = entries.Count();
  if (row < 0 || row >= rowCount) return nullptr;
  return static_cast<PurchaseEntry*>(entries.GetItem(row));
}

void EditorCatalogueList::Draw() {
  EditorUnitList::Draw();
  GObjectGroup& entries = Entries();
  rowCount = entries.Count();
  GString15 cost;
  for (int32_t row = topRow; row < rowCount && row < topRow + rowsPerPage; ++row) {
    auto* entry = static_cast<PurchaseEntry*>(entries.GetItem(row));
    const Rgb colour = RowColour(entry->purchaseCode);
    const int32_t y = (row - topRow) * kRowHeight + 10;
    DrawText(&entry->name, 2, y, -1, 1, colour.r, colour.g, colour.b);
    cost.AssignNumber(state_.ProbePurchaseCost(*entry, nullptr, false));
    DrawText(&cost, Width() - 2, y, 1, 1, colour.r, colour.g, colour.b);
  }
}

void EditorCatalogueList::MouseDown(int32_t, int32_t y, uint8_t, uint8_t, uint8_t) {
  PurchaseEntry* entry = EntryAt(RowAt(y));
  if (entry != nullptr) state_.AddPurchase(*entry, 0, false);
}

void EditorCatalogueList::MouseMoved(int32_t, int32_t y) {
  if (state_.unitDataPanel == nullptr) return;
  PurchaseEntry* entry = EntryAt(RowAt(y));
  if (entry == nullptr) {
    state_.unitDataPanel->ShowUnit(nullptr);
  } else {
    state_.unitDataPanel->ShowEntry(entry->kind, entry->classIndex);
  }
}

void EditorCatalogueList::MouseLeft() {
  if (state_.unitDataPanel != nullptr) state_.unitDataPanel->ShowUnit(nullptr);
}
