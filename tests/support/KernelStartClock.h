#pragma once
// A quick kernel start for tests. The kernel rates the CPU by counting rounds of a busy loop
// until 100 ms have passed on the millisecond clock; while this object lives that clock is a
// fake that moves on 1 ms every kReadsPerMs readings (from the real clock's time when it was
// made), so the loop ends after 12,000 rounds, a few milliseconds, and the rating is that of a
// fast machine (3057, which gets every sound channel). A fake clock the test installed first
// is left as it is.
#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/PClock.h"

class KernelStartClock {
 public:
  static constexpr uint64_t kReadsPerMs = 120;

  KernelStartClock() : installed_(!PClock::IsFake()) {
    if (!installed_) return;
    const uint64_t start = PClock::TickCount64();
    auto reads = std::make_shared<std::atomic<uint64_t>>(0);
    PClock::SetFake([start, reads] { return start + reads->fetch_add(1) / kReadsPerMs; });
  }
  ~KernelStartClock() {
    if (installed_) PClock::SetFake(nullptr);
  }
  KernelStartClock(const KernelStartClock&) = delete;
  KernelStartClock& operator=(const KernelStartClock&) = delete;

 private:
  bool installed_;
};
