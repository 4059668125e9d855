#pragma once
#include <cstdint>

// A route found by the path finder: at most 50 points in metres, index 0 the first point after
// the start and index count - 1 the last (the goal, unless the route was cut to 50 points).
struct PathPoints {
  static constexpr int32_t kMaxPoints = 50;
  int32_t count = 0;
  float x[kMaxPoints] = {};
  float y[kMaxPoints] = {};
};
