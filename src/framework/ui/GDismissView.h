#pragma once
#include <cstdint>

#include "framework/ui/GView.h"

// A view that deletes itself at the first mouse-down on it or, placed modally, anywhere on
// the screen.
class GDismissView : public GView {
 public:
  GDismissView() = default;
  ~GDismissView() override = default;

  void MouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control) override;
  void ClickOutside() override;
};
