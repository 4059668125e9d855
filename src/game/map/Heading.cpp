#include "game/map/Heading.h"

#include <cmath>

float HeadingDegrees(float dx, float dy) {
  if (dx == 0.0f) return dy < 0.0f ? 270.0f : 90.0f;
  double a = std::atan(static_cast<double>(dy / dx)) * 57.29577951471995;
  if (dx < 0.0f) a += 180.0;
  else if (a < 0.0) a += 360.0;
  return static_cast<float>(a);
}
