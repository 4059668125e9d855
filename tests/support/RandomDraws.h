#pragma once
#include <cstdint>

#include "framework/core/Quorl.h"

// The program generator's state after the given draws from the seed, worked out without
// disturbing the generator: a test compares it with RandomState() in one expression, whose
// operands each compiler may evaluate in either order.
template <class Draws>
uint32_t StateAfter(uint32_t seed, Draws draws) {
  const uint32_t saved = RandomState();
  SeedRandom(seed);
  draws();
  const uint32_t state = RandomState();
  SeedRandom(saved);
  return state;
}

// After `count` draws: every draw takes the same steps whatever its bound.
inline uint32_t StateAfterDraws(uint32_t seed, int32_t count) {
  return StateAfter(seed, [count] {
    for (int32_t i = 0; i < count; ++i) Random(1);
  });
}
