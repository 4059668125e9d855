#pragma once
#include <cstdint>

#include "framework/ui/GViewHost.h"

// The background colour the application's panels and full screens share (a light khaki), as
// RGB and as a pixel of the display in use (0 while no display stands).
struct GPanelColor {
  static constexpr int32_t kRed = 206;
  static constexpr int32_t kGreen = 198;
  static constexpr int32_t kBlue = 173;

  static uint16_t Pixel() {
    const GViewHost* host = GViewHost::Current();
    return host != nullptr ? static_cast<uint16_t>(host->RGBToPixel(kRed, kGreen, kBlue)) : 0;
  }
};
