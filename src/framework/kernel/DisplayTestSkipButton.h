#pragma once
#include <cstdint>

#include "framework/ui/GButton.h"

// The "SKIP to next" button of the display test screen: a click posts "skipped" as the
// pending display-change request.
class DisplayTestSkipButton : public GButton {
 public:
  DisplayTestSkipButton() = default;
  ~DisplayTestSkipButton() override = default;

  // Posts the request; no click sound and no command.
  void Activate() override;

  void SetIs3DTest(bool is3D) { is3DTest_ = is3D ? 1 : 0; }

 private:
  uint8_t is3DTest_ = 0;
};
