#include "framework/ui/GStripRadioButton.h"

#include "framework/core/Quorl.h"

GStripRadioButton::GStripRadioButton() = default;

GStripRadioButton::~GStripRadioButton() = default;

void GStripRadioButton::IStripRadioButton(CRadioGroup* group, int32_t, GView* parent, int32_t left, int32_t top,
                                          int16_t bitmapNumber, int32_t style) {
  // Style 6 is a push button's only.
  if (style < 0 || style > 5) FatalError(__LINE__, "GControl");
  int32_t width = 1;
  int32_t height = 1;
  frames_.Load(bitmapNumber, style, width, height);
  IRadioButton(group, 0, parent, left, top, width, height);
}

int32_t GStripRadioButton::CurrentFrame() const {
  return frames_.CurrentFrame(IsEnabled(), pressed_ != 0 || value_ == 1);
}

void GStripRadioButton::Draw() { frames_.Draw(*this, IsEnabled(), pressed_ != 0 || value_ == 1, 534); }

void GStripRadioButton::MouseMoved(int32_t, int32_t) {
  if (frames_.StartHover()) Invalidate();
}

void GStripRadioButton::MouseLeft() {
  if (frames_.EndHover()) Invalidate();
}

void GStripRadioButton::MouseUp(int32_t x, int32_t y, uint8_t rightButton) {
  if (pressed_) frames_.HoverAfterRelease();
  GControl::MouseUp(x, y, rightButton);
}

void GStripRadioButton::SetEnabled(uint8_t enabled) {
  if (!enabled) frames_.Disable(582);
  GView::SetEnabled(enabled);
}
