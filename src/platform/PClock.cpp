#include "platform/PClock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace {
std::function<uint64_t()>& Fake() {
  static std::function<uint64_t()> fake;
  return fake;
}
}  // namespace

uint64_t PClock::TickCount64() {
  if (Fake()) return Fake()();
  timespec ts{};
  // CLOCK_BOOTTIME counts from boot, including suspend, and never goes back.
  if (clock_gettime(CLOCK_BOOTTIME, &ts) != 0) clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

void PClock::Wait(uint32_t ms) {
  const uint64_t end = TickCount64() + ms;
  for (uint64_t now = TickCount64(); now < end; now = TickCount64()) {
    if (!IsFake()) std::this_thread::sleep_for(std::chrono::milliseconds(end - now));
  }
}

uint32_t PClock::TickCount() { return static_cast<uint32_t>(TickCount64()); }

void PClock::SetFake(std::function<uint64_t()> fake) { Fake() = std::move(fake); }

bool PClock::IsFake() { return static_cast<bool>(Fake()); }
