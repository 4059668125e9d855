// The map editor's zone panel.
#include "editor/EditorZonePanel.h"

#include "editor/EditorState.h"
#include "framework/media/GGraphic.h"
#include "framework/ui/GViewHost.h"

namespace {

uint16_t ZonePanelPixel(int32_t r, int32_t g, int32_t b) {
  GViewHost* host = GViewHost::Current();
  return host != nullptr ? static_cast<uint16_t>(host->RGBToPixel(r, g, b)) : 0;
}

}  // namespace

EditorZonePanel::~EditorZonePanel() { delete picture_; }

void EditorZonePanel::Setup(GView* parent) {
  picture_ = new GGraphic();
  picture_->Load(0, 10013);
  Place(parent, 0, 209, 280, parent->Height() - 83);
  selected_ = 0;
}

void EditorZonePanel::Draw() {
  GView::Draw();
  DrawGraphic(picture_, 0, 0);
  const int32_t x = selected_ * kButton;
  FrameRect(GRect{x, 0, x + kButton + 1, kButton + 1}, ZonePanelPixel(0, 255, 255));
  FrameRect(GRect{x + 1, 1, x + kButton, kButton}, ZonePanelPixel(255, 255, 0));
}

void EditorZonePanel::MouseDown(int32_t x, int32_t y, uint8_t, uint8_t, uint8_t) {
  if (y > kButton || x < 0) return;
  const int32_t zone = x / kButton;
  if (zone >= kChoices) return;
  selected_ = zone;
  Invalidate();
  state_.RedrawStatusLine();
}
