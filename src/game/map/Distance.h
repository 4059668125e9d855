#pragma once
#include <cmath>
#include <cstdint>

#include "framework/core/Quorl.h"

// The distance between two points in whole squared metres: the squared distance is truncated
// to an integer before its root is taken, so two points less than 1 m apart are 0 apart. The
// game's rules count in these steps, the same on every machine.
inline float Distance(float x0, float y0, float x1, float y1) {
  const float dx = x1 - x0;
  const float dy = y1 - y0;
  return std::sqrt(static_cast<float>(TruncateToInt32(static_cast<double>(dx * dx + dy * dy))));
}
