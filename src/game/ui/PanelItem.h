#pragma once
#include <cstdint>
#include <string>

// One thing a unit display draws: a text (Windows-1252 bytes) at its baseline point, or, when
// picture is not 0, that numbered picture with its top left corner at the point. The panel and
// the balloon compose their items first and then draw them, so that what they show can be read
// back without a screen.
struct PanelItem {
  int32_t picture = 0;
  std::string text;
  int32_t x = 0;
  int32_t y = 0;
  int32_t align = -1;  // -1 left, 0 centred, 1 right
  int32_t font = 0;
  uint8_t r = 255, g = 255, b = 255;
};
