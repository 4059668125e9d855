#include "app/AlertButton.h"

#include "app/WRApplication.h"
#include "framework/core/GString63.h"
#include "framework/ui/GViewHost.h"

AlertButton::~AlertButton() {
  if (app_ != nullptr) {
    // Only this button's own box is forgotten: a box that the other button's command opened
    // while this one's box was going stays the open one.
    app_->ForgetAlertBox(GetParent());
    app_->DoCommand(pendingCommand_);
  }
}

void AlertButton::Init(WRApplication* app, int32_t savedInputMode, int32_t kind, GView* parent, int32_t x,
                       int32_t y, int32_t width, int32_t height) {
  const int16_t label = kind == kOk ? 310 : kind == kYes ? 311 : 312;
  IControl(label, parent, x, y, width, height, kNothing);
  app_ = app;
  savedInputMode_ = savedInputMode;
  pendingCommand_ = kNothing;
}

void AlertButton::Draw() {
  GView::Draw();
  GRect bounds;
  GetLocalBounds(bounds);
  if (GViewHost::Current() != nullptr)
    FrameRect(bounds, static_cast<uint16_t>(GViewHost::Current()->RGBToPixel(0, 150, 255)));
  if (GetLabel() != nullptr) DrawText(GetLabel(), Width() / 2, Height() / 2 + 4, 0, 0, 255, 255, 255);
}

void AlertButton::DoCommand(int32_t command) {
  pendingCommand_ = command;
  // Restoring the input mode deletes the box and with it this button.
  if (app_ != nullptr) app_->SetInputMode(savedInputMode_);
}
