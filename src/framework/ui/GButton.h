#pragma once
#include <cstdint>

#include "framework/ui/GControl.h"

// The push button. It draws nothing itself: its drawn forms are GStripButton and
// GPictureButton. An auto-repeating button may also send a release command to its parent
// when the mouse button goes up. A default button is pressed by the kernel on Enter.
class GButton : public GControl {
 public:
  GButton();
  // Leaves the kernel's default-button group.
  ~GButton() override;

  void Draw() override;
  // Runs the control's release, then sends the release command (when >= 0) to the parent
  // whether or not the button fired.
  void MouseUp(int32_t x, int32_t y, uint8_t rightButton) override;
  // Presses the button for the user: shown pressed (140 ms with pause), then released and
  // fired as a mouse-up over it would. Nothing when disabled.
  virtual void Press(uint8_t pause);
  // Fatal for a negative command or a button without auto-repeat.
  virtual void SetReleaseCommand(int32_t command);
  int32_t GetReleaseCommand() const { return releaseCommand_; }

  // Puts the button at the front of the kernel's default-button group.
  void MakeDefault();

 protected:
  // The release command as it stood at the mouse-up, sent after the control's release.
  void SendReleaseCommand(int32_t releaseCommand);

  int32_t releaseCommand_ = -1;
};
