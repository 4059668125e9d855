#include "framework/ui/GButton.h"

#include "framework/core/Quorl.h"
#include "framework/ui/GViewGuard.h"
#include "framework/ui/GViewHost.h"

GButton::GButton() = default;

GButton::~GButton() {
  if (GViewHost* host = GViewHost::Current()) host->RemoveDefaultButton(this);
}

void GButton::Draw() {}

void GButton::MouseUp(int32_t x, int32_t y, uint8_t rightButton) {
  // Firing may close the screen the button stands on, so what the release command needs is
  // kept first and the parent is watched across the release.
  const int32_t releaseCommand = releaseCommand_;
  GViewGuard parent(GetParent());
  GControl::MouseUp(x, y, rightButton);
  if (releaseCommand >= 0 && parent.Alive()) parent.Get()->DoCommand(releaseCommand);
}

void GButton::Press(uint8_t pause) {
  if (!IsEnabled()) return;
  SetPressed(1);
  if (pause) Delay(140);
  if (!autoRepeat_ || releaseCommand_ > 0) {
    MouseUp(0, 0, 0);
    return;
  }
  SetPressed(0);
  if (command_ > 0) {
    if (GView* parent = GetParent()) parent->DoCommand(command_);
    else DoCommand(command_);
  }
}

void GButton::SetReleaseCommand(int32_t command) {
  if (command < 0) FatalError(344, "GControl");
  if (!autoRepeat_) FatalError(345, "GControl");
  releaseCommand_ = command;
}

void GButton::MakeDefault() {
  if (GViewHost::Current() == nullptr) FatalError(__LINE__, "GControl");
  GViewHost::Current()->AddDefaultButton(this);
}
