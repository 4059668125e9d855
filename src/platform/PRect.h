#pragma once
#include <cstdint>

// A rectangle of the display layer: left, top, right, bottom; right and bottom exclusive.
struct PRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  friend bool operator==(const PRect&, const PRect&) = default;
};
