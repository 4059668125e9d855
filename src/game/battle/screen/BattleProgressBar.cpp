#include "game/battle/screen/BattleProgressBar.h"

#include "framework/core/GRect.h"
#include "framework/ui/GViewHost.h"

namespace {

uint16_t Pixel(int32_t r, int32_t g, int32_t b) {
  const GViewHost* host = GViewHost::Current();
  return host != nullptr ? static_cast<uint16_t>(host->RGBToPixel(r, g, b)) : 0;
}

}  // namespace

int32_t BattleProgressBar::FillFor(int32_t slice, int32_t fullWidth) {
  const int32_t s = slice < kLastSlice ? slice : kLastSlice;
  // Worked in float: slice 39 of a 157-pixel bar is 4, the last slice 158.
  return static_cast<int32_t>(static_cast<float>(s) * static_cast<float>(fullWidth) / static_cast<float>(kLastSlice) +
                              1.5f);
}

bool BattleProgressBar::SetSlice(int32_t slice) {
  const int32_t fill = FillFor(slice, fullWidth_);
  if (fill == fill_ && slice >= 1) return false;
  fill_ = fill;
  Invalidate();
  return true;
}

void BattleProgressBar::Draw() {
  GView::Draw();
  GRect frame;
  GetLocalBounds(frame);
  FrameRect(frame, Pixel(50, 150, 255));
  if (fill_ > 1) {
    const GRect bar{1, 1, fill_ < Width() ? fill_ : Width(), Height() - 1};
    FillRect(bar, Pixel(0, 0, 255));
  }
}
