#pragma once
#include <cstdint>

// How many lines of sight were traced (Map::TraceLine) and how many points along them were
// weighed: the benchmarks read them.
struct TraceLineCounter {
  static int64_t calls;
  static int64_t samples;
};
