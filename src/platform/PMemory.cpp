#include "platform/PMemory.h"

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
