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
  // Returns once the clock has moved ms milliseconds on. The real clock is slept on (the
  // processor stays free for the wait); a fake clock is read until it has moved on, as its
  // test makes it.
  static void Wait(uint32_t ms);
  // Installs a fake clock; every later reading comes from it. Pass nullptr to restore.
  static void SetFake(std::function<uint64_t()> fake);
  static bool IsFake();
};
