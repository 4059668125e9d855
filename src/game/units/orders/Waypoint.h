#pragma once
#include <cstdint>

// One order point of a unit.
struct Waypoint {
  // Move modes.
  static constexpr int32_t kReverse = -1;
  static constexpr int32_t kRotateTo = 9;
  // Point kinds of a computed path.
  static constexpr int32_t kRoutePoint = 2;
  static constexpr int32_t kRouteEnd = 3;

  float x = 0.0f;
  float y = 0.0f;
  float height = 0.0f;
  int32_t moveMode = 0;
  // 2 an intermediate point of a computed path, 3 its last point; the orders set the others.
  int32_t pointKind = 0;
  // The point lies on the upper level.
  uint8_t upperLevel = 0;
  // Set: the unit hides on reaching the point.
  uint8_t flags = 0;
};
