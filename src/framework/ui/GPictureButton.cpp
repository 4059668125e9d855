#include "framework/ui/GPictureButton.h"

#include "framework/core/Quorl.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GGraphicFactory.h"
#include "framework/ui/GStripFrames.h"

GPictureButton::GPictureButton() = default;

GPictureButton::~GPictureButton() {
  SafeDelete(disabledPicture_);
  SafeDelete(pressedPicture_);
  SafeDelete(hoverPicture_);
}

void GPictureButton::IPictureButton(GView* parent, int32_t left, int32_t top, int32_t command,
                                    int16_t disabledNumber, int16_t pressedNumber, int16_t hoverNumber) {
  highlightAlways_ = 0;
  highlight_ = 0;
  highlightOneShot_ = 0;
  // Without a picture the size is the view's current right and bottom edges: the parent's
  // size for a view not placed yet.
  int32_t width = Bounds().right;
  int32_t height = Bounds().bottom;
  auto make = [&](int16_t number) -> GGraphic* {
    if (number == 0) return nullptr;
    GGraphic* graphic = GGraphicFactory::NewGraphicOfKind(1, number);
    GRect bounds;
    if (!GStripFrames::BitmapBounds(graphic, bounds)) bounds = GRect{0, 0, 1, 1};
    width = bounds.Width();
    height = bounds.Height();
    return graphic;
  };
  disabledPicture_ = make(disabledNumber);
  pressedPicture_ = make(pressedNumber);
  hoverPicture_ = make(hoverNumber);
  IControl(0, parent, left, top, width, height, command);
}

GGraphic* GPictureButton::CurrentPicture() const {
  if (!IsEnabled()) return disabledPicture_;
  if (pressed_) return pressedPicture_;
  if (highlight_) return hoverPicture_;
  return nullptr;
}

void GPictureButton::Draw() {
  if (GGraphic* picture = CurrentPicture()) DrawGraphic(picture, 0, 0);
  if (highlightOneShot_) {
    highlightOneShot_ = 0;
    highlight_ = 0;
  }
}

void GPictureButton::MouseMoved(int32_t, int32_t) {
  if (hoverPicture_ == nullptr && !highlightAlways_) return;
  highlight_ = 1;
  Invalidate();
}

void GPictureButton::MouseLeft() {
  if (hoverPicture_ == nullptr && !highlightAlways_) return;
  highlight_ = 0;
  if (GView* parent = GetParent()) parent->Invalidate();
}

void GPictureButton::MouseUp(int32_t x, int32_t y, uint8_t rightButton) {
  if (pressed_) {
    if (hoverPicture_ != nullptr) {
      highlight_ = 1;
      highlightOneShot_ = 1;
    } else if (GView* parent = GetParent()) {
      parent->Invalidate();
    }
  }
  GButton::MouseUp(x, y, rightButton);
}

void GPictureButton::SetPressed(uint8_t pressed) {
  if (pressed_ == pressed) return;
  pressed_ = pressed;
  if (pressed) {
    Invalidate();
  } else if (GView* parent = GetParent()) {
    parent->Invalidate();
  }
}

void GPictureButton::SetEnabled(uint8_t enabled) {
  if (!enabled) {
    if (disabledPicture_ == nullptr) FatalError(1010, "GControl");
    highlight_ = 0;
  }
  GView::SetEnabled(enabled);
}
