#pragma once
#include <cstdint>

// A replay effect: data the battlefield draws while the replay runs, from its start slice for
// its duration in slices. The battle's replay owns its effects and removes each at its end.
class ReplayEffect {
 public:
  virtual ~ReplayEffect() = default;

  int32_t End() const { return start + duration; }
  // The step of each replay frame: a fire effect that reached its end may leave an impact
  // effect behind (null for none; the caller owns it).
  virtual ReplayEffect* Step(int32_t /*replaySlice*/) { return nullptr; }

  int32_t start = 0;
  int32_t duration = 0;
};
