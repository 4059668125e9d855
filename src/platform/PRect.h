#pragma once
#include <cstdint>

// A rectangle: left, top, right, bottom; right and bottom exclusive. The framework knows it
// as GRect.
struct PRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
  friend bool operator==(const PRect&, const PRect&) = default;
};
