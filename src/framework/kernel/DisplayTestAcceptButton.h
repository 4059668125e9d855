#pragma once
#include <cstdint>

#include "framework/ui/GButton.h"

// The ACCEPT button of the display test screen. A click posts "accepted" as the pending
// display-change request; without a click its 25th tick action posts "skipped", so a screen
// the user cannot see moves on by itself.
class DisplayTestAcceptButton : public GButton {
 public:
  // The tick actions before the time-out.
  static constexpr int32_t kTicksBeforeSkip = 24;

  DisplayTestAcceptButton() = default;
  ~DisplayTestAcceptButton() override = default;

  void TickAction() override;
  // Posts the request; no click sound and no command.
  void Activate() override;

  void SetIs3DTest(bool is3D) { is3DTest_ = is3D ? 1 : 0; }
  int32_t GetTickCount() const { return tickCount_; }

 private:
  int32_t tickCount_ = 0;
  uint8_t is3DTest_ = 0;
};
