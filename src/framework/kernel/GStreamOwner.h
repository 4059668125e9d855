#pragma once
#include <cstdint>

// The owner of a pair of wait signals: a streamed sound channel, which refills one half of its
// buffer (0 the first, 1 the second) when the event loop finds the matching signal set.
class GStreamOwner {
 public:
  virtual ~GStreamOwner() = default;
  virtual void FillStreamHalf(int32_t half) = 0;
};
