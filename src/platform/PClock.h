#pragma once
#include <cstdint>
#include <functional>

// The millisecond clock: a 32-bit count since the machine started, from a monotonic source.
// Tests replace it with a clock of their own.
class PClock {
 public:
  static uint32_t TickCount();
  // A 64-bit millisecond count from the same source (never wraps in practice).
  static uint64_t TickCount64();
  // Installs a fake clock; every later reading comes from it. Pass nullptr to restore.
  static void SetFake(std::function<uint64_t()> fake);
  static bool IsFake();
};
