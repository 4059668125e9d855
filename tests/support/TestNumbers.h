#pragma once
#include <cstdint>

// The tests' own small generator (not the game's): the same numbers on every build.
struct TestNumbers {
  uint32_t v;
  uint32_t Next() {
    v = v * 1664525u + 1013904223u;
    return v >> 8;
  }
  uint32_t Below(uint32_t n) { return Next() % n; }
  bool Chance(uint32_t percent) { return Below(100) < percent; }
};
