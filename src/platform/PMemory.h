#pragma once
#include <cstddef>
#include <cstdint>

// The machine's memory as the program sees it, and plain blocks of it.
class PMemory {
 public:
  struct Status {
    // Memory the program could still obtain, in bytes (free and reclaimable memory).
    uint64_t available = 0;
    uint64_t totalPhysical = 0;
  };
  static Status GetStatus();
  // A block of size bytes, or null when the system has none that large.
  static void* Allocate(size_t size);
  static void Free(void* block);
  // A block of size bytes for a large table read at scattered places, on a 2 MB boundary and
  // offered the system's huge pages where it has them (fewer address-translation misses); null
  // when the system has none that large. Freed with FreeLarge.
  static void* AllocateLarge(size_t size);
  static void FreeLarge(void* block);
};
