#pragma once
#include <cstdint>

#include <vector>

#include "framework/ui/GView.h"
#include "game/ui/PanelItem.h"

class Map;

// The key help window: the battle screen's keyboard commands in two columns over the
// battlefield view, and a last line saying how to close it. A click anywhere in it closes it;
// the map holds the one open window and is told when it goes.
class MessageWindow : public GView {
 public:
  static constexpr int32_t kWidth = 620;
  static constexpr int32_t kHeight = 335;
  static constexpr int32_t kLines = 23;

  explicit MessageWindow(Map* map) : map_(map) {}
  ~MessageWindow() override;

  void Draw() override;
  // The texts the window draws: two columns of 23 lines (missing entries as empty lines), then
  // the closing line.
  static std::vector<PanelItem> Compose();
  void MouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control) override;

 private:
  Map* map_;  // not owned
};

// Places a large window 620 x 335 in the parent: centred across, two thirds of the way down
// the free height (both divisions truncated toward zero).
void PositionLargeWindow(GView* window, GView* parent);
