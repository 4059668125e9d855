#include "platform/PSignal.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {
// One wake-up for every waiter: signals are few and waits are rare, so a shared condition is
// simpler than one per signal and cannot miss a Set (the flag is written before the notify,
// and the waiter tests the flags under the same mutex).
std::mutex& WaitMutex() {
  static std::mutex m;
  return m;
}
std::condition_variable& WaitCondition() {
  static std::condition_variable c;
  return c;
}

int32_t TakeFirst(PSignal* const* signals, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (signals[i] != nullptr && signals[i]->Poll()) return static_cast<int32_t>(i);
  }
  return -1;
}
}  // namespace

void PSignal::Set() {
  set_.store(true, std::memory_order_release);
  std::lock_guard<std::mutex> lock(WaitMutex());
  WaitCondition().notify_all();
}

bool PSignal::Poll() { return set_.exchange(false, std::memory_order_acq_rel); }

int32_t PSignal::WaitAny(PSignal* const* signals, size_t count, uint32_t timeoutMs) {
  int32_t found = TakeFirst(signals, count);
  if (found >= 0 || timeoutMs == 0) return found;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::unique_lock<std::mutex> lock(WaitMutex());
  for (;;) {
    found = TakeFirst(signals, count);
    if (found >= 0) return found;
    if (WaitCondition().wait_until(lock, deadline) == std::cv_status::timeout) {
      return TakeFirst(signals, count);
    }
  }
}
