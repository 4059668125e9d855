#pragma once
#include <cstdint>

// How many lines of sight were traced (Map::TraceLine): the benchmarks read it.
struct TraceLineCounter {
  static int64_t calls;
};
