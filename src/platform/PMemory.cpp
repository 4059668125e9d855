#include "platform/PMemory.h"

#include <sys/mman.h>
#include <sys/sysinfo.h>

#include <cstdlib>

PMemory::Status PMemory::GetStatus() {
  Status status;
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return status;
  const uint64_t unit = info.mem_unit != 0 ? info.mem_unit : 1;
  status.totalPhysical = static_cast<uint64_t>(info.totalram) * unit;
  status.available = (static_cast<uint64_t>(info.freeram) + info.bufferram + info.freeswap) * unit;
  return status;
}

void* PMemory::Allocate(size_t size) { return size == 0 ? nullptr : std::malloc(size); }

void PMemory::Free(void* block) { std::free(block); }

void* PMemory::AllocateLarge(size_t size) {
  constexpr size_t kHugePage = size_t{2} << 20;
  if (size == 0) return nullptr;
  if (size < kHugePage) return std::malloc(size);
  void* block = nullptr;
  if (posix_memalign(&block, kHugePage, size) != 0) return nullptr;
#ifdef MADV_HUGEPAGE
  // Only advice: without huge pages the block is used as it is.
  (void)madvise(block, size / kHugePage * kHugePage, MADV_HUGEPAGE);
#endif
  return block;
}

void PMemory::FreeLarge(void* block) { std::free(block); }
