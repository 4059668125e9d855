#pragma once
#include <cstdint>

#include "platform/PRect.h"

// Where the screen's pixels go inside a window of another size: scaled by the same factor
// both ways, as large as fits, centred, with black bars on the sides left over; and the way
// back from a window position to a screen pixel.
class PLetterbox {
 public:
  void Set(int32_t screenWidth, int32_t screenHeight, int32_t outputWidth, int32_t outputHeight);
  // The rectangle of the output that shows the screen.
  const PRect& Target() const { return target_; }
  // A window position to the screen pixel under it, clamped to the screen.
  void ToScreen(int32_t windowX, int32_t windowY, int32_t& screenX, int32_t& screenY) const;
  // The window position of a screen pixel's centre.
  void ToWindow(int32_t screenX, int32_t screenY, int32_t& windowX, int32_t& windowY) const;
  int32_t ScreenWidth() const { return screenWidth_; }
  int32_t ScreenHeight() const { return screenHeight_; }

 private:
  int32_t screenWidth_ = 1;
  int32_t screenHeight_ = 1;
  PRect target_{0, 0, 1, 1};
};
