#include "framework/media/GSoundWaitHandles.h"

#include "framework/core/Quorl.h"
#include "framework/media/GSoundChannel.h"
#include "platform/PSignal.h"

GSoundWaitHandles& GSoundWaitHandles::Global() {
  static GSoundWaitHandles registry;
  return registry;
}

void GSoundWaitHandles::Set(GSoundChannel* owner, PSignal* const* pair) {
  if (pair != nullptr) {
    if (count_ >= kMaxHandles) FatalError(6264, "GKernel");
    handles_[count_] = pair[0];
    handles_[count_ + 1] = pair[1];
    owners_[count_] = owner;
    owners_[count_ + 1] = owner;
    count_ += 2;
    return;
  }
  if (count_ < 2) FatalError(6276, "GKernel");
  int32_t at = count_ - 2;
  while (at >= 0 && owners_[at] != owner) at -= 2;
  if (at < 0) FatalError(6294, "GKernel");
  if (at != count_ - 2) {
    handles_[at] = handles_[count_ - 2];
    handles_[at + 1] = handles_[count_ - 1];
    owners_[at] = owners_[count_ - 2];
    owners_[at + 1] = owners_[count_ - 1];
  }
  count_ -= 2;
  handles_[count_] = handles_[count_ + 1] = nullptr;
  owners_[count_] = owners_[count_ + 1] = nullptr;
}

bool GSoundWaitHandles::Poll(uint32_t timeoutMs) {
  if (count_ == 0) return false;
  int32_t i = PSignal::WaitAny(handles_, static_cast<size_t>(count_), timeoutMs);
  if (i < 0) return false;
  owners_[i]->FillStreamHalf((i & 1) != 0);
  return true;
}
