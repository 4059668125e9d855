// The kernel's large memory blocks: as large a block as the machine can give, for pools that
// grow with what is available (the path finder's nodes).
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "platform/PMemory.h"

void* GKernel::AllocLargestBlock(uint32_t* size) {
  if (size == nullptr) FatalError(2726, "GKernel");
  const PMemory::Status status = PMemory::GetStatus();
  return AllocLargestBlockFrom(size, status.available, status.totalPhysical, &PMemory::Allocate);
}

void* GKernel::AllocLargestBlockFrom(uint32_t* size, uint64_t available, uint64_t totalPhysical,
                                     void* (*allocate)(size_t)) {
  if (size == nullptr || allocate == nullptr) FatalError(2726, "GKernel");
  uint64_t request = *size == 0 ? available : (*size < available ? *size : available);
  if (request > totalPhysical) request = totalPhysical;
  if (request < 1) {
    *size = 0;
    return nullptr;
  }
  // The request fits the size's 32 bits: it is at most the asked size, or with size 0 the
  // largest the size can tell.
  if (request > UINT32_MAX) request = UINT32_MAX;
  uint32_t trying = static_cast<uint32_t>(request);
  while (trying > 0) {
    if (void* block = allocate(trying)) {
      *size = trying;
      return block;
    }
    trying /= 2;
  }
  FatalError(2726, "GKernel");
}

void GKernel::FreeMemory(void* block) { PMemory::Free(block); }
