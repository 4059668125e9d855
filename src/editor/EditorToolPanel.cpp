// The map editor's tool panel.
#include "editor/EditorToolPanel.h"

#include "editor/EditorState.h"
#include "framework/ui/GStripButton.h"
#include "framework/ui/GViewHost.h"

void EditorToolPanel::Setup(GView* parent) {
  Place(parent, 120, 0, 55, 104);
  for (int32_t i = 0; i < 3; ++i) {
    auto* button = new GStripButton();
    button->IStripButton(this, 2, 2 + 34 * i, 138 + i, static_cast<int16_t>(10034 + i), 0);
    button->SetClickSound(151);
    if (i == 0) state_.toolMode = 0;
  }
}

void EditorToolPanel::Draw() {
  GView::Draw();
  GViewHost* host = GViewHost::Current();
  const auto cyan = static_cast<uint16_t>(host != nullptr ? host->RGBToPixel(50, 255, 255) : 0);
  // The frame lies under the buttons' own pictures, around the current one.
  const int32_t top = 34 * state_.toolMode;
  FrameRect(GRect{0, top, 55, top + 37}, cyan);
  FrameRect(GRect{1, top + 1, 54, top + 36}, cyan);
}
