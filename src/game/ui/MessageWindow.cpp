#include "game/ui/MessageWindow.h"

#include "framework/core/GString255.h"
#include "game/map/Map.h"
#include "game/ui/BalloonText.h"

MessageWindow::~MessageWindow() {
  if (map_ != nullptr && map_->display.messageWindow == this) map_->display.messageWindow = nullptr;
}

std::vector<PanelItem> MessageWindow::Compose() {
  std::vector<PanelItem> items;
  for (int32_t column = 0; column < 2; ++column) {
    for (int32_t line = 0; line < kLines; ++line) {
      items.push_back(BalloonText::Line(BalloonText::Load(static_cast<uint32_t>(1200 + 50 * column + line)),
                                        341 * column + 4, 13 * line + 10, 2, BalloonText::kWhite));
    }
  }
  PanelItem close = BalloonText::Line(BalloonText::Load(1190), 310, 326, 2, {255, 80, 80});
  close.align = 0;
  items.push_back(close);
  return items;
}

void MessageWindow::Draw() {
  GView::Draw();
  for (const PanelItem& item : Compose()) {
    GString255 text;
    text.Assign(item.text.c_str());
    DrawText(&text, item.x, item.y, item.align, item.font, item.r, item.g, item.b);
  }
}

void MessageWindow::MouseDown(int32_t, int32_t, uint8_t, uint8_t, uint8_t) { delete this; }

void PositionLargeWindow(GView* window, GView* parent) {
  const int32_t x = (parent->Width() - MessageWindow::kWidth) / 2;
  const int32_t y = (parent->Height() - MessageWindow::kHeight) * 2 / 3;
  window->Place(parent, x, y, MessageWindow::kWidth, MessageWindow::kHeight);
}

// The map's library lies below the windows, so the map's opening of its window lives here,
// with the window.
void Map::OpenKeyHelpWindow() {
  if (display.messageWindow != nullptr) return;
  auto* parent = dynamic_cast<GView*>(display.battleView);
  if (parent == nullptr) return;
  auto* window = new MessageWindow(this);
  display.messageWindow = window;
  PositionLargeWindow(window, parent);
}
