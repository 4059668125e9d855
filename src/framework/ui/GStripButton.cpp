#include "framework/ui/GStripButton.h"

#include "framework/core/Quorl.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GGraphicFactory.h"

GStripButton::Style GStripButton::StyleOf(int32_t style) {
  static const Style kStyles[7] = {
      {2, 0, 0}, {2, 0, 1}, {3, 1, 0}, {3, 0, 1}, {4, 1, 1}, {1, 0, 0}, {1, 0, 0},
  };
  if (style < 0 || style > 6) FatalError(__LINE__, "GControl");
  return kStyles[style];
}

int32_t GStripButton::ChooseFrame(bool enabled, bool pressed, bool hover, const Style& style) {
  if (!enabled) return style.hasDisabledFrame ? 2 : 0;
  if (pressed) return style.frameCount > 1 ? 1 : 0;
  if (hover && style.hasHoverFrame) return style.frameCount - 1;
  return 0;
}

bool GStripButton::BitmapBounds(const GGraphic* graphic, GRect& out) {
  out = GRect{};
  if (graphic == nullptr || graphic->GetStub() == nullptr) return false;
  graphic->GetBounds(out);
  return true;
}

void GStripButton::DrawFrame(GView& view, GGraphic* graphic, int32_t frame, int32_t frameCount, int32_t line) {
  GRect bounds;
  // A bitmap that could not be loaded shows nothing.
  if (!BitmapBounds(graphic, bounds)) return;
  const int32_t height = bounds.Height();
  if (frameCount < 1 || height % frameCount != 0) FatalError(line, "GControl");
  const int32_t frameHeight = height / frameCount;
  const GRect source{0, frame * frameHeight, bounds.Width(), (frame + 1) * frameHeight};
  view.DrawGraphicPart(graphic, source, 0, 0);
}

GStripButton::GStripButton() = default;

GStripButton::~GStripButton() { SafeDelete(graphic_); }

void GStripButton::IStripButton(GView* parent, int32_t left, int32_t top, int32_t command, int16_t bitmapNumber,
                                int32_t style) {
  graphic_ = GGraphicFactory::NewGraphicOfKind(0, bitmapNumber);
  style_ = style;
  const Style s = StyleOf(style);
  frameCount_ = s.frameCount;
  hasDisabledFrame_ = s.hasDisabledFrame;
  hasHoverFrame_ = s.hasHoverFrame;
  hover_ = 0;
  hoverOneShot_ = 0;
  GRect bounds;
  // Without its bitmap the button takes one pixel.
  if (!BitmapBounds(graphic_, bounds)) bounds = GRect{0, 0, 1, frameCount_};
  IControl(0, parent, left, top, bounds.Width(), bounds.Height() / frameCount_, command);
}

int32_t GStripButton::CurrentFrame() const {
  return ChooseFrame(IsEnabled(), pressed_ != 0, hover_ != 0,
                     Style{frameCount_, hasDisabledFrame_, hasHoverFrame_});
}

void GStripButton::Draw() {
  if (style_ == 6 && !pressed_) return;
  DrawFrame(*this, graphic_, CurrentFrame(), frameCount_, 778);
  // After a release the hover frame shows for this one drawing.
  if (hoverOneShot_) {
    hoverOneShot_ = 0;
    hover_ = 0;
  }
}

void GStripButton::MouseMoved(int32_t, int32_t) {
  if (hasHoverFrame_ && !hover_) {
    hover_ = 1;
    Invalidate();
  }
}

void GStripButton::MouseLeft() {
  if (!hasHoverFrame_) return;
  hover_ = 0;
  if (style_ == 6) {
    if (GView* parent = GetParent()) parent->Invalidate();
  } else {
    Invalidate();
  }
}

void GStripButton::MouseUp(int32_t x, int32_t y, uint8_t rightButton) {
  if (pressed_) {
    if (hasHoverFrame_) {
      hover_ = 1;
      hoverOneShot_ = 1;
    } else if (style_ == 6) {
      if (GView* parent = GetParent()) parent->Invalidate();
    }
  }
  GButton::MouseUp(x, y, rightButton);
}

void GStripButton::SetEnabled(uint8_t enabled) {
  if (!enabled) {
    if (!hasDisabledFrame_) FatalError(852, "GControl");
    hover_ = 0;
  }
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
