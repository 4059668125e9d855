#pragma once
#include <cstdint>

// One order point of a unit: where, at what height, how to move there and what kind of point
// it is (2 a route point, 3 the last point of a route).
struct Waypoint {
  static constexpr uint8_t kRoutePoint = 2;
  static constexpr uint8_t kRouteEnd = 3;
  float x = 0.0f;
  float y = 0.0f;
  float height = 0.0f;  // metres
  int8_t moveMode = 0;
  uint8_t pointKind = 0;
  uint8_t upperLevel = 0;
  uint8_t flags = 0;
};
