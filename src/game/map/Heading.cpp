#include "game/map/Heading.h"

#include <cmath>

float HeadingDegrees(float dx, float dy) {
  if (dx == 0.0f) return dy < 0.0f ? 270.0f : 90.0f;
  double a = std::atan(static_cast<double>(dy / dx)) * 57.29577951471995;
  if (dx < 0.0f) a += 180.0;
  else if (a < 0.0) a += 360.0;
  return static_cast<float>(a);
}

float NormalizeAngle(float a) {
  // Far beyond any turn count an int holds: only the remainder matters.
  if (std::fabs(a) >= 1.0e9f) a = std::fmod(a, 360.0f);
  if (a < 0.0f) {
    a += static_cast<float>(static_cast<int32_t>(a * (-1.0f / 360.0f)) + 1) * 360.0f;
  } else if (a >= 360.0f) {
    a -= static_cast<float>(static_cast<int32_t>(a * (1.0f / 360.0f))) * 360.0f;
  }
  // A whole negative number of turns lands on 360 above, and rounding can leave a hair
  // outside the range either way.
  if (a >= 360.0f) a -= 360.0f;
  if (a < 0.0f) a = 0.0f;
  return a;
}

float RelativeBearing(float heading, float x0, float y0, float x1, float y1, bool absolute) {
  float d = NormalizeAngle(heading) - HeadingDegrees(x1 - x0, y1 - y0);
  if (!absolute) {
    if (d > 180.0f) d -= 360.0f;
    else if (d < -180.0f) d += 360.0f;
    return d;
  }
  d = std::fabs(d);
  return d > 180.0f ? 360.0f - d : d;
}

int32_t SeasonOfDate(int32_t date) {
  switch (date % 100) {
    case 1:
    case 2:
    case 12: return 3;
    case 6:
    case 7:
    case 8: return 1;
    case 9:
    case 10:
    case 11: return 2;
    default: return 0;
  }
}
