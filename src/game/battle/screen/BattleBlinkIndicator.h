#pragma once
#include <cstdint>

#include "framework/ui/GView.h"

class GGraphic;

// The replay's blinking "next turn" light: picture A (bitmap 2012) for the first 1300 ms of
// each 1700 ms cycle, picture B (2013) for the rest; only the background while disabled.
class BattleBlinkIndicator : public GView {
 public:
  static constexpr int32_t kPictureA = 2012;
  static constexpr int32_t kPictureB = 2013;
  static constexpr int32_t kSwitchMs = 1300;
  static constexpr int32_t kCycleMs = 1700;

  BattleBlinkIndicator();
  ~BattleBlinkIndicator() override;

  // Enabling starts the cycle at 0 and ticks every idle pass; disabling stops the ticks.
  void SetEnabled(uint8_t enabled) override;
  void Draw() override;
  // Adds the kernel's frame time to the phase.
  void TickAction() override;

  // Adds elapsed milliseconds to the phase while enabled.
  void Advance(int32_t ms);
  int32_t GetPhase() const { return phase_; }
  // The picture the phase shows (kPictureA or kPictureB).
  int32_t ShownPicture() const { return phase_ <= kSwitchMs ? kPictureA : kPictureB; }

 private:
  GGraphic* pictureA_ = nullptr;  // owned; null when the bitmap is missing
  GGraphic* pictureB_ = nullptr;
  int32_t phase_ = 0;
};
