#pragma once
#include <string>

#include "platform/PResult.h"

// Tests make chosen calls of the display layer fail: a named call point (for example
// "SetDisplayMode", "CreateSurface", "BltFast", "OpenWindow") is armed with a result and a
// count; each of the next count calls that pass the point returns that result, after
// skipping the first `skip` calls. Nothing is armed in a normal run, and the check is then a
// single test of an empty table.
class PFailureInjection {
 public:
  static void Arm(const std::string& point, PResult result, int count = 1, int skip = 0);
  // The result the call point must give now: kOk unless armed.
  static PResult Check(const char* point);
  static void Reset();
};
