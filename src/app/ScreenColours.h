#pragma once
#include <cstdint>

#include "framework/ui/GPanelColor.h"

// The colours the application's screens share: the background of their panels and texts,
// and the dark red of the alert and notice borders.
namespace ScreenColours {
constexpr uint8_t kBackground[3] = {GPanelColor::kRed, GPanelColor::kGreen, GPanelColor::kBlue};
constexpr uint8_t kBorder[3] = {150, 0, 0};
// As a pixel of the current display (0 without one).
uint16_t Pixel(const uint8_t (&rgb)[3]);
}  // namespace ScreenColours
