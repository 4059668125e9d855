#pragma once
#include <cstdint>
#include <vector>

#include "platform/PGammaRamp.h"
#include "platform/PSurface.h"

// Turns a 16-bit screen buffer into the 32-bit picture the window shows, through the gamma
// ramp: one table look-up per pixel, the table rebuilt when the ramp or the format changes.
class PPresenter {
 public:
  PPresenter();
  void SetGammaRamp(const PGammaRamp& ramp);
  const PGammaRamp& GammaRamp() const { return ramp_; }
  // Converts the whole buffer into Frame() (0x00RRGGBB, rows top-down, no padding).
  void Convert(const PSurface& screen);
  const std::vector<uint32_t>& Frame() const { return frame_; }
  int32_t FrameWidth() const { return width_; }
  int32_t FrameHeight() const { return height_; }

  // The 8-bit channels a 16-bit pixel stands for before the ramp: each field widened by
  // repeating its top bits, so the darkest and brightest values reach 0 and 255.
  static uint32_t ExpandPixel(uint16_t pixel, PPixelFormat format);

 private:
  void BuildTable(PPixelFormat format);

  PGammaRamp ramp_;
  std::vector<uint32_t> table_;
  PPixelFormat tableFormat_ = PPixelFormat::kRGB565;
  bool tableValid_ = false;
  std::vector<uint32_t> frame_;
  int32_t width_ = 0;
  int32_t height_ = 0;
};
