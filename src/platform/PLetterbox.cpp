#include "platform/PLetterbox.h"

#include <algorithm>
#include <cmath>

void PLetterbox::Set(int32_t screenWidth, int32_t screenHeight, int32_t outputWidth, int32_t outputHeight) {
  screenWidth_ = std::max(screenWidth, 1);
  screenHeight_ = std::max(screenHeight, 1);
  outputWidth = std::max(outputWidth, 1);
  outputHeight = std::max(outputHeight, 1);
  // Compare the two aspect ratios in integers, so a window of exactly the screen's shape gets
  // no bar at all.
  int64_t w;
  int64_t h;
  if (static_cast<int64_t>(outputWidth) * screenHeight_ <= static_cast<int64_t>(outputHeight) * screenWidth_) {
    w = outputWidth;
    h = static_cast<int64_t>(outputWidth) * screenHeight_ / screenWidth_;
  } else {
    h = outputHeight;
    w = static_cast<int64_t>(outputHeight) * screenWidth_ / screenHeight_;
  }
  w = std::max<int64_t>(w, 1);
  h = std::max<int64_t>(h, 1);
  const int32_t left = static_cast<int32_t>((outputWidth - w) / 2);
  const int32_t top = static_cast<int32_t>((outputHeight - h) / 2);
  target_ = PRect{left, top, left + static_cast<int32_t>(w), top + static_cast<int32_t>(h)};
}

void PLetterbox::ToScreen(int32_t windowX, int32_t windowY, int32_t& screenX, int32_t& screenY) const {
  const int64_t dx = static_cast<int64_t>(windowX) - target_.left;
  const int64_t dy = static_cast<int64_t>(windowY) - target_.top;
  // Floor division: positions left of or above the picture land on pixel 0.
  auto floorDiv = [](int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
  int64_t x = floorDiv(dx * screenWidth_, target_.Width());
  int64_t y = floorDiv(dy * screenHeight_, target_.Height());
  screenX = static_cast<int32_t>(std::clamp<int64_t>(x, 0, screenWidth_ - 1));
  screenY = static_cast<int32_t>(std::clamp<int64_t>(y, 0, screenHeight_ - 1));
}

void PLetterbox::ToWindow(int32_t screenX, int32_t screenY, int32_t& windowX, int32_t& windowY) const {
  const int64_t x = std::clamp<int64_t>(screenX, 0, screenWidth_ - 1);
  const int64_t y = std::clamp<int64_t>(screenY, 0, screenHeight_ - 1);
  windowX = static_cast<int32_t>(target_.left + (2 * x + 1) * target_.Width() / (2 * screenWidth_));
  windowY = static_cast<int32_t>(target_.top + (2 * y + 1) * target_.Height() / (2 * screenHeight_));
}
