#pragma once
// The framework's utility module: the fatal assertion, safe deletion, rectangle helpers,
// block moves, the clock and the program's one random number generator.
#include <cstddef>
#include <cstdint>

#include "framework/core/GObject.h"
#include "framework/core/GRect.h"

// Logs "ERROR: <file> line <n>", beeps, gives the display back, shows the message with
// ". Exiting program." and ends the process. The line is taken as a signed 16-bit value.
[[noreturn]] void FatalError(int32_t line, const char* file);

// The display layer registers how to release the renderer when a fatal error strikes; it is
// called once, on the first fatal error only.
void SetFatalErrorCleanup(void (*cleanup)());

// Deletes the object in slot after testing its magic word, and clears the slot. A null slot
// is left alone.
void SafeDeleteObject(GObject** slot);
template <class T>
void SafeDelete(T*& slot) {
  if (slot == nullptr) return;
  GObject* object = slot;
  SafeDeleteObject(&object);
  slot = nullptr;
}

void OffsetRect(GRect& r, int32_t dx, int32_t dy);
void InflateRect(GRect& r, int32_t dx, int32_t dy);
void CopyRect(const GRect& source, GRect& destination);

// Copies count bytes from source to destination; the ranges may overlap. With count 0
// nothing is tested; otherwise a null pointer is fatal.
void BlockMove(const void* source, void* destination, size_t count);

bool LessThanFive(int32_t n);
// Truncation toward zero, as the display code turns floats into integers, held inside the
// i32 range instead of overflowing; not-a-number gives 0. Inline: the map's cell lookups call
// it in their innermost loops.
inline int32_t TruncateToInt32(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}
void NullHookA();
void NullHookB();
void NullHookC();

// Milliseconds since the machine started, 32 bits.
uint32_t TickCount();
// Waits until ms milliseconds of the tick count have passed, asleep (PClock::Wait).
void Delay(uint32_t ms);

void SeedRandom(uint32_t seed);
void SeedRandomFromClock();
// An integer in [0, n) from two generator steps; n <= 0 is fatal.
int32_t Random(int32_t n);
// Test-only: an observer told the bound of every Random call before it draws (null, the
// program's setting, tells nobody). Tests record the order and bounds of a run's draws.
using RandomBoundObserver = void (*)(int32_t n);
// Gives back the observer it replaces.
RandomBoundObserver SetRandomBoundObserver(RandomBoundObserver observer);
int32_t RandomOneTo(int32_t n);
float RandomFloat();
float RandomFloatTimes(float x);
// What Random(1000000) would give now, leaving the generator as it was.
int32_t RandomPreservingSeed();
// The generator's state, for tests and check values.
uint32_t RandomState();
