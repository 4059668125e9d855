#pragma once
#include "framework/media/GSoundChannel.h"

// A channel without a buffer that stands for a sound asking for a channel while the manager
// ranks the busy ones: it carries the new sound's distance, priority and instance limit.
class GSoundProbeChannel : public GSoundChannel {
 public:
  GSoundProbeChannel(float distance, int32_t priority, int32_t instanceLimit) {
    rankDistance_ = distance;
    rankPriority_ = priority;
    rankLimit_ = instanceLimit;
  }
};
