#pragma once
#include <cstdint>

#include "framework/ui/GView.h"

class EditorState;
class GGraphic;

// The row of seven set-up zone choices the zone tool paints with, 39 pixels each.
class EditorZonePanel : public GView {
 public:
  static constexpr int32_t kButton = 39;
  static constexpr int32_t kChoices = 7;

  explicit EditorZonePanel(EditorState& state) : state_(state) {}
  ~EditorZonePanel() override;
  void Draw() override;
  // Only on the picture's row: the choice under the point becomes the selected one.
  void MouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control) override;
  void Setup(GView* parent);
  int32_t Selected() const { return selected_; }

 private:
  EditorState& state_;
  GGraphic* picture_ = nullptr;  // owned
  int32_t selected_ = 0;
};
