#pragma once
// A heading in degrees brought into 0..360, as the vehicle's rules turn, drive and weigh
// threats by it.
#include <cmath>

inline float Normalize360(float a) {
  a = std::fmod(a, 360.0f);
  if (a < 0.0f) a += 360.0f;
  return a;
}
