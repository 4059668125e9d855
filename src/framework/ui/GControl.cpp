#include "framework/ui/GControl.h"

#include "framework/core/GString.h"
#include "framework/core/GString63.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/media/GSoundManager.h"

GControl::GControl() = default;

GControl::~GControl() { SafeDelete(label_); }

// The mouse cycle. The kernel makes the control its mouse tracker at the mouse-down (its
// tracking byte is set), calls Track on every move while the button is held (and once per
// idle pass), and MouseUp at the release.
void GControl::MouseDown(int32_t x, int32_t y, uint8_t, uint8_t, uint8_t) {
  if (!IsEnabled()) FatalError(58, "GControl");
  UpdatePressed(x, y);
  if (autoRepeat_) {
    lastFire_ = TickCount();
    Activate();
  }
}

void GControl::Track(int32_t, int32_t, uint8_t inside, uint8_t) {
  SetPressed(inside);
  if (autoRepeat_ && pressed_) {
    const uint32_t now = TickCount();
    if (now - lastFire_ >= repeatInterval_) {
      lastFire_ = now;
      Activate();
    }
  }
}

void GControl::MouseUp(int32_t, int32_t, uint8_t) {
  if (!pressed_) return;
  SetPressed(0);
  if (!autoRepeat_) Activate();
}

void GControl::Activate() {
  if (clickSound_ != 0 && gSoundManager != nullptr) gSoundManager->PlaySound(static_cast<int16_t>(clickSound_), 0);
  if (command_ >= 0) DoCommand(command_);
}

void GControl::SetPressed(uint8_t pressed) {
  if (pressed_ == pressed) return;
  pressed_ = pressed;
  Invalidate();
}

void GControl::UpdatePressed(int32_t x, int32_t y) {
  if (pressed_) {
    if (!ContainsLocalPoint(x, y)) SetPressed(0);
  } else if (ContainsLocalPoint(x, y)) {
    SetPressed(1);
  }
}

void GControl::Place(GView* parent, int32_t left, int32_t top, int32_t width, int32_t height) {
  GView::Place(parent, left, top, width, height);
  SetTracking();
  command_ = -1;
}

void GControl::IControl(int16_t labelStringId, GView* parent, int32_t left, int32_t top, int32_t width,
                        int32_t height, int32_t command) {
  Place(parent, left, top, width, height);
  SetLabelResource(labelStringId);
  command_ = command;
}

void GControl::SetLabel(const GString* text) {
  if (text == nullptr) {
    SafeDelete(label_);
    return;
  }
  if (label_ == nullptr) label_ = new GString63;
  label_->AssignString(*text);
}

void GControl::SetLabelResource(int16_t id) {
  if (id == 0) {
    SafeDelete(label_);
    return;
  }
  GString255 text;
  text.LoadResource(static_cast<uint32_t>(static_cast<uint16_t>(id)));
  SetLabel(&text);
}

void GControl::SetValue(int32_t value) {
  if (value_ == value) return;
  value_ = value;
  if (IsVisible()) {
    valueRedraw_ = 1;
    Invalidate();
    valueRedraw_ = 0;
  }
}
