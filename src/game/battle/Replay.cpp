#include "game/battle/Replay.h"

#include "framework/core/Quorl.h"

int32_t Replay::ClockSlice() const {
  const uint32_t elapsed = TickCount() - startTick;
  return static_cast<int32_t>(static_cast<uint64_t>(elapsed) * kSlicesPerSecond / 1000u);
}

void Replay::SetClockTo(int32_t slice) {
  startTick = TickCount() - static_cast<uint32_t>(static_cast<int32_t>(static_cast<float>(slice) * 25.0f));
}
