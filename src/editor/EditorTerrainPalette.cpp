// The map editor's terrain palette.
#include "editor/EditorTerrainPalette.h"

#include <algorithm>

#include "editor/EditorState.h"
#include "framework/media/GGraphic.h"
#include "framework/ui/GControl.h"
#include "framework/ui/GViewHost.h"
#include "game/map/TerrainCodeTable.h"

namespace {

uint16_t TerrainPalettePixel(int32_t r, int32_t g, int32_t b) {
  GViewHost* host = GViewHost::Current();
  return host != nullptr ? static_cast<uint16_t>(host->RGBToPixel(r, g, b)) : 0;
}

}  // namespace

EditorTerrainPalette::~EditorTerrainPalette() { delete sheet_; }

void EditorTerrainPalette::Setup(GView* parent) {
  sheet_ = new GGraphic();
  sheet_->Load(0, 10019);
  rows_ = std::max(1, (parent->Height() - kTop) / kCell);
  Place(parent, 0, kTop, kWidth, rows_ * kCell + 1);
  page_ = 0;
  pages_ = (rows_ + kSheetRows - 1) / rows_;
  selected_ = 0;
  ShowPageButtons();
}

void EditorTerrainPalette::ShowPageButtons() {
  if (state_.paletteBackButton != nullptr) state_.paletteBackButton->SetVisible(page_ > 0 ? 1 : 0);
  if (state_.paletteForwardButton != nullptr) state_.paletteForwardButton->SetVisible(page_ < pages_ - 1 ? 1 : 0);
}

void EditorTerrainPalette::Draw() {
  GView::Draw();
  const int32_t top = page_ * rows_ * kCell;
  const int32_t bottom = std::min(top + rows_ * kCell, kSheetRows * kCell);
  if (bottom > top) DrawGraphicPart(sheet_, GRect{0, top, 16 * kCell, bottom}, 0, 0);
  const int32_t s = selected_ - page_ * rows_ * 16;
  if (s < 0 || s >= rows_ * 16) return;
  const int32_t x = kCell * (s % 16);
  const int32_t y = kCell * (s / 16);
  FrameRect(GRect{x, y, x + 18, y + 18}, TerrainPalettePixel(0, 255, 255));
  FrameRect(GRect{x + 1, y + 1, x + 17, y + 17}, TerrainPalettePixel(255, 255, 0));
}

int32_t EditorTerrainPalette::CodeAt(int32_t x, int32_t y) const {
  if (x < 0 || y < 0) return -1;
  const int32_t column = x / kCell;
  if (column >= 16) return -1;
  const int32_t code = column + (page_ * rows_ + y / kCell) * 16;
  return code < TerrainCodeTable::kCodeCount ? code : -1;
}

void EditorTerrainPalette::MouseDown(int32_t x, int32_t y, uint8_t, uint8_t, uint8_t) {
  const int32_t code = CodeAt(x, y);
  if (!TerrainCodeTable::IsUsed(code)) return;
  selected_ = code;
  Invalidate();
  state_.RedrawStatusLine();
}

void EditorTerrainPalette::StepPage(bool back) {
  if (back) {
    if (page_ <= 0) return;
    --page_;
    selected_ = 0;
  } else {
    if (page_ >= pages_ - 1) return;
    ++page_;
    selected_ = page_ * rows_ * 16;
  }
  Invalidate();
  ShowPageButtons();
  state_.RedrawStatusLine();
}
