#include "framework/ui/GStripButton.h"

GStripButton::GStripButton() = default;

GStripButton::~GStripButton() = default;

void GStripButton::IStripButton(GView* parent, int32_t left, int32_t top, int32_t command, int16_t bitmapNumber,
                                int32_t style) {
  style_ = style;
  int32_t width = 1;
  int32_t height = 1;
  frames_.Load(bitmapNumber, style, width, height);
  IControl(0, parent, left, top, width, height, command);
}

int32_t GStripButton::CurrentFrame() const { return frames_.CurrentFrame(IsEnabled(), pressed_ != 0); }

void GStripButton::Draw() {
  if (style_ == 6 && !pressed_) return;
  frames_.Draw(*this, IsEnabled(), pressed_ != 0, 778);
}

void GStripButton::MouseMoved(int32_t, int32_t) {
  if (frames_.StartHover()) Invalidate();
}

void GStripButton::MouseLeft() {
  if (!frames_.EndHover()) return;
  if (style_ == 6) {
    if (GView* parent = GetParent()) parent->Invalidate();
  } else {
    Invalidate();
  }
}

void GStripButton::MouseUp(int32_t x, int32_t y, uint8_t rightButton) {
  if (pressed_ && !frames_.HoverAfterRelease() && style_ == 6) {
    if (GView* parent = GetParent()) parent->Invalidate();
  }
  GButton::MouseUp(x, y, rightButton);
}

void GStripButton::SetEnabled(uint8_t enabled) {
  if (!enabled) frames_.Disable(852);
  GView::SetEnabled(enabled);
}
void GStripButton::SetPressed(uint8_t pressed) {
  if (style_ != 6) {
    GControl::SetPressed(pressed);
    return;
  }
  if (pressed_ == pressed) return;
  pressed_ = pressed;
  if (pressed) {
    Invalidate();
  } else if (GView* parent = GetParent()) {
    parent->Invalidate();
  }
}
