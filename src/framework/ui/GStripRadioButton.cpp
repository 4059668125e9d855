#include "framework/ui/GStripRadioButton.h"

#include "framework/core/Quorl.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GGraphicFactory.h"
#include "framework/ui/GStripButton.h"

GStripRadioButton::GStripRadioButton() = default;

GStripRadioButton::~GStripRadioButton() { SafeDelete(graphic_); }

void GStripRadioButton::IStripRadioButton(CRadioGroup* group, int32_t, GView* parent, int32_t left, int32_t top,
                                          int16_t bitmapNumber, int32_t style) {
  // Style 6 is a push button's only.
  if (style < 0 || style > 5) FatalError(__LINE__, "GControl");
  graphic_ = GGraphicFactory::NewGraphicOfKind(0, bitmapNumber);
  const GStripButton::Style s = GStripButton::StyleOf(style);
  frameCount_ = s.frameCount;
  hasDisabledFrame_ = s.hasDisabledFrame;
  hasHoverFrame_ = s.hasHoverFrame;
  hover_ = 0;
  hoverOneShot_ = 0;
  GRect bounds;
  if (!GStripButton::BitmapBounds(graphic_, bounds)) bounds = GRect{0, 0, 1, frameCount_};
  IRadioButton(group, 0, parent, left, top, bounds.Width(), bounds.Height() / frameCount_);
}

int32_t GStripRadioButton::CurrentFrame() const {
  return GStripButton::ChooseFrame(IsEnabled(), pressed_ != 0 || value_ == 1, hover_ != 0,
                                   GStripButton::Style{frameCount_, hasDisabledFrame_, hasHoverFrame_});
}

void GStripRadioButton::Draw() {
  GStripButton::DrawFrame(*this, graphic_, CurrentFrame(), frameCount_, 534);
  if (hoverOneShot_) {
    hoverOneShot_ = 0;
    hover_ = 0;
  }
}

void GStripRadioButton::MouseMoved(int32_t, int32_t) {
  if (hasHoverFrame_ && !hover_) {
    hover_ = 1;
    Invalidate();
  }
}

void GStripRadioButton::MouseLeft() {
  if (!hasHoverFrame_) return;
  hover_ = 0;
  Invalidate();
}

void GStripRadioButton::MouseUp(int32_t x, int32_t y, uint8_t rightButton) {
  if (pressed_ && hasHoverFrame_) {
    hover_ = 1;
    hoverOneShot_ = 1;
  }
  GControl::MouseUp(x, y, rightButton);
}

void GStripRadioButton::SetEnabled(uint8_t enabled) {
  if (!enabled) {
    if (!hasDisabledFrame_) FatalError(582, "GControl");
    hover_ = 0;
  }
  GView::SetEnabled(enabled);
}
