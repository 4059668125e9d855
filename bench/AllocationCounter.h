#pragma once
// Counts every allocation of a benchmark program, to show that a pass makes none. It replaces
// the global allocation functions, so exactly one file of a program includes it.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

inline std::atomic<int64_t> gAllocations{0};

// The pair replaces the global one, so the compiler's pairing check does not apply.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop
