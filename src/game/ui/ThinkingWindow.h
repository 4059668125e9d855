#pragma once
#include <cstdint>

#include "framework/ui/GView.h"

// The window in the middle of the screen while the computer player plans: a blue frame,
// "Computer Player Thinking..." and a bar that fills as the plan proceeds.
class ThinkingWindow : public GView {
 public:
  static constexpr int32_t kWidth = 350;
  static constexpr int32_t kHeight = 110;
  static constexpr int16_t kTextId = 410;

  // Places the window, centred, over the root view with its frame and text; null when there is
  // no root view to show it on. The root view owns it until it is deleted.
  static ThinkingWindow* Open();
  // The filled fraction, 0.0 .. 1.0; the window is redrawn.
  void SetProgress(float progress);
  float Progress() const { return progress_; }
  // The fill's right edge in the window, truncated.
  int32_t FillRight() const;
  // The background, the bar's green frame and its fill.
  void Draw() override;

 private:
  float progress_ = 0.0f;
};
