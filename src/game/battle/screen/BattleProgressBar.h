#pragma once
#include <cstdint>

#include "framework/ui/GView.h"

// The bar that fills while the turn's action is computed: a light-blue frame and, once the
// fill passes 1, a blue bar from the left edge to x = fill.
class BattleProgressBar : public GView {
 public:
  static constexpr int32_t kLastSlice = 2400;

  void Draw() override;

  // The fill for a slice over the bar's full width; true when it changed (or the slice is
  // below 1), and then the bar is invalidated.
  bool SetSlice(int32_t slice);
  // The fill in pixels a slice gives on a bar this wide.
  static int32_t FillFor(int32_t slice, int32_t fullWidth);
  int32_t GetFill() const { return fill_; }
  void SetFullWidth(int32_t width) { fullWidth_ = width; }

 private:
  int32_t fill_ = 0;
  int32_t fullWidth_ = 0;
};
