#include "editor/EditorUnitList.h"

#include "framework/ui/GViewHost.h"

void EditorUnitList::Setup(GView* parent, int32_t x, int32_t y, int32_t width) {
  topRow = 0;
  rowCount = 0;
  rowsPerPage = parent != nullptr ? (parent->Height() - y - 87) / kRowHeight : 0;
  if (rowsPerPage < 0) rowsPerPage = 0;
  Place(parent, x, y, width, rowsPerPage * kRowHeight);
}

bool EditorUnitList::StepPage(bool down) {
  const int32_t top = down ? topRow + rowsPerPage : topRow - rowsPerPage;
  if (top < 0 || top >= rowCount) return false;
  topRow = top;
  Invalidate();
  return true;
}

void EditorUnitList::Draw() {
  GView::Draw();
  GViewHost* host = GViewHost::Current();
  const auto frame = static_cast<uint16_t>(host != nullptr ? host->RGBToPixel(50, 50, 75) : 0);
  FrameRect(GRect{0, 0, Width(), Height()}, frame);
}

EditorUnitList::Rgb EditorUnitList::RowColour(int32_t index) {
  static constexpr Rgb kColours[11] = {{255, 255, 255}, {255, 102, 102}, {255, 180, 0},   {133, 255, 133},
                                       {110, 155, 255}, {153, 102, 102}, {0, 255, 255},   {215, 205, 169},
                                       {200, 0, 125},   {153, 204, 255}, {230, 255, 100}};
  if (index < 0 || index >= 11) return kColours[0];
  return kColours[index];
}
