#pragma once
#include <cstddef>
#include <cstdint>
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
  // Tests stand in for a full disk: the files on disk written through PFile take at most
  // bytes more from now on (negative: no limit, as after Reset).
  static void LimitDiskSpace(int64_t bytes);
  // How many of count bytes about to be written to a disk file still fit (all of them unless
  // a limit is set); the room is used up by the answer.
  static size_t TakeDiskSpace(size_t count);
};
