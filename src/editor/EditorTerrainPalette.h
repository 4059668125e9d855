#pragma once
#include <cstdint>

#include "framework/ui/GView.h"

class EditorState;
class GGraphic;

// The paged grid of terrain codes to paint with: whole rows of the terrain sheet, 16 codes of
// 17 pixels a row, as many rows as fit under the screen's controls. A click on a used code
// selects it; the page buttons step through the pages.
class EditorTerrainPalette : public GView {
 public:
  static constexpr int32_t kTop = 209;
  static constexpr int32_t kWidth = 280;
  static constexpr int32_t kCell = 17;
  static constexpr int32_t kSheetRows = 44;

  explicit EditorTerrainPalette(EditorState& state) : state_(state) {}
  ~EditorTerrainPalette() override;

  void Draw() override;
  void MouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control) override;

  void Setup(GView* parent);
  // Back (command 150) or forward (151) one page.
  void StepPage(bool back);

  int32_t RowsPerPage() const { return rows_; }
  int32_t PageCount() const { return pages_; }
  int32_t Page() const { return page_; }
  int32_t SelectedCode() const { return selected_; }
  // The code at a palette point; -1 right of the sixteenth column or past the sheet.
  int32_t CodeAt(int32_t x, int32_t y) const;

 private:
  void ShowPageButtons();

  EditorState& state_;
  GGraphic* sheet_ = nullptr;  // owned
  int32_t rows_ = 1;
  int32_t pages_ = 1;
  int32_t page_ = 0;
  int32_t selected_ = 0;
};
