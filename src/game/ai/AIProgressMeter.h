#pragma once
#include <cstdint>

class ComputerPlayerHost;

// The bar that fills while the computer player plans. Every advance redraws the screen, with
// the side to play briefly given back to the player at the machine. The window itself is the
// host's; the meter keeps the fraction it shows.
class AIProgressMeter {
 public:
  // The window: 350 x 110 pixels, centred; the bar's frame runs from 20 to W - 20 and the fill
  // starts at 21.
  static constexpr int32_t kWidth = 350;
  static constexpr int32_t kHeight = 110;
  static constexpr int32_t kFillLeft = 21;

  explicit AIProgressMeter(ComputerPlayerHost& host) : host_(host) {}
  AIProgressMeter(const AIProgressMeter&) = delete;
  AIProgressMeter& operator=(const AIProgressMeter&) = delete;
  // Closes the window.
  ~AIProgressMeter();

  // Shows the window with an empty bar (one step fills it) and redraws twice around it.
  void Open();
  // From now on each advance adds 1 / n of the whole bar to the fraction it showed when the
  // count was set.
  void SetSteps(int32_t n);
  void Advance() { AdvanceSteps(1); }
  // Advances n steps at once, with one redraw.
  void AdvanceSteps(int32_t n);

  // 0.0 .. 1.0; never more than full.
  float Progress() const;
  // The fill's right edge in the window (truncated), or kFillLeft when the bar is empty.
  int32_t FillRight() const;

 private:
  ComputerPlayerHost& host_;
  bool open_ = false;
  // The fraction when the step count was set, the count and the advances since: summing a
  // float step per advance would leave a full bar a pixel short.
  float base_ = 0.0f;
  int32_t steps_ = 1;
  int64_t advances_ = 0;
};
