#pragma once
#include <cstdint>

// The display's gamma ramp: for each 8-bit channel value, the 16-bit output level.
struct PGammaRamp {
  uint16_t red[256];
  uint16_t green[256];
  uint16_t blue[256];

  // The straight ramp, 0 to 65535 in steps of 257.
  static PGammaRamp Identity() {
    PGammaRamp ramp{};
    for (int i = 0; i < 256; ++i) ramp.red[i] = ramp.green[i] = ramp.blue[i] = static_cast<uint16_t>(i * 257);
    return ramp;
  }
};
