#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

// An auto-reset signal: set by any thread (the audio mixer sets it when a play cursor passes
// a notification position), taken by the program's own thread. Taking it, by a poll or by a
// wait, resets it, so each Set is seen at most once.
class PSignal {
 public:
  PSignal() = default;
  PSignal(const PSignal&) = delete;
  PSignal& operator=(const PSignal&) = delete;

  void Set();
  // True when the signal was set; it is reset. Never waits.
  bool Poll();
  // Tests only: whether it is set, without resetting it.
  bool IsSet() const { return set_.load(std::memory_order_acquire); }

  // Waits until one of the signals is set, at most timeoutMs milliseconds (0: a poll that never
  // waits). Returns the lowest index of a set signal, which is reset, or -1 on time-out.
  // Null entries are skipped.
  static int32_t WaitAny(PSignal* const* signals, size_t count, uint32_t timeoutMs);

 private:
  std::atomic<bool> set_{false};
};
