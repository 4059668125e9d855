#pragma once
#include <cstdint>

// How many exposure answers (Unit::ExposureAt) were computed: the benchmarks read it.
struct ExposureCounter {
  static int64_t calls;
};
