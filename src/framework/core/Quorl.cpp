#include "framework/core/Quorl.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "framework/core/GErrorLog.h"
#include "platform/PClock.h"
#include "platform/PSystem.h"

namespace {
void (*gFatalCleanup)() = nullptr;
bool gFatalCleanupDone = false;
uint32_t gRandomState = 0;
RandomBoundObserver gRandomBoundObserver = nullptr;

uint32_t Step() {
  gRandomState = gRandomState * 1103515245u + 12345u;
  return (gRandomState >> 16) & 0x7FFFu;
}
}  // namespace

void FatalError(int32_t line, const char* file) {
  char text[256];
  std::snprintf(text, sizeof text, "ERROR: %s line %d", file ? file : "",
                static_cast<int>(static_cast<int16_t>(line)));
  GErrorLog::LogError(text);
  PSystem::Beep();
  if (!gFatalCleanupDone) {
    gFatalCleanupDone = true;
    if (gFatalCleanup) gFatalCleanup();
  }
  char shown[300];
  std::snprintf(shown, sizeof shown, "%s. Exiting program.", text);
  PSystem::FatalExit(shown);
}

void SetFatalErrorCleanup(void (*cleanup)()) { gFatalCleanup = cleanup; }

void SafeDeleteObject(GObject** slot) {
  if (*slot == nullptr) return;
  if ((*slot)->Magic() != GObject::kMagic) FatalError(97, "Quorl");
  GObject* object = *slot;
  *slot = nullptr;
  delete object;
}

void OffsetRect(GRect& r, int32_t dx, int32_t dy) {
  r.left += dx;
  r.right += dx;
  r.top += dy;
  r.bottom += dy;
}

void InflateRect(GRect& r, int32_t dx, int32_t dy) {
  r.left -= dx;
  r.right += dx;
  r.top -= dy;
  r.bottom += dy;
}

void CopyRect(const GRect& source, GRect& destination) { destination = source; }

void BlockMove(const void* source, void* destination, size_t count) {
  if (count == 0) return;
  if (source == nullptr) FatalError(306, "Quorl");
  if (destination == nullptr) FatalError(307, "Quorl");
  std::memmove(destination, source, count);
}

bool LessThanFive(int32_t n) { return n < 5; }

void NullHookA() {}
void NullHookB() {}
void NullHookC() {}

uint32_t TickCount() { return PClock::TickCount(); }

void Delay(uint32_t ms) { PClock::Wait(ms); }

void SeedRandom(uint32_t seed) { gRandomState = seed; }

void SeedRandomFromClock() { SeedRandom(TickCount()); }

RandomBoundObserver SetRandomBoundObserver(RandomBoundObserver observer) {
  const RandomBoundObserver previous = gRandomBoundObserver;
  gRandomBoundObserver = observer;
  return previous;
}

int32_t Random(int32_t n) {
  if (gRandomBoundObserver != nullptr) gRandomBoundObserver(n);
  if (n <= 0) FatalError(455, "Quorl");
  uint32_t a = Step();
  uint32_t b = Step();
  uint32_t value = (a << 16) | b;
  return static_cast<int32_t>(value % static_cast<uint32_t>(n));
}

int32_t RandomOneTo(int32_t n) { return Random(n) + 1; }

float RandomFloat() {
  // The product is formed in double and rounded to float once.
  return static_cast<float>(static_cast<double>(Random(10000000)) * 1e-7);
}

float RandomFloatTimes(float x) {
  return static_cast<float>(static_cast<double>(Random(10000000)) * 1e-7 * static_cast<double>(x));
}

int32_t RandomPreservingSeed() {
  uint32_t saved = gRandomState;
  int32_t value = Random(1000000);
  gRandomState = saved;
  return value;
}

uint32_t RandomState() { return gRandomState; }
