#pragma once
#include <cstdint>

#include "framework/core/GObject.h"

// A 40 m cell of the map as an area-fire target: its centre, what it is worth to the side,
// and that worth as the unit being handled sees it.
class AIFireCell : public GObject {
 public:
  AIFireCell() = default;
  ~AIFireCell() override = default;

  float x = 0.0f;
  float y = 0.0f;
  int16_t score = 0;
  int16_t adjusted = 0;
  // The score was taken from what lies beyond the cell as seen from the side's edge.
  bool fromBehind = false;
};
