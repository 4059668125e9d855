#pragma once
#include <cstdint>

#include "game/battle/ReplayEffect.h"

// The burst a landed shot leaves: variant 0..2, where, how large. Its particles are the
// battlefield drawing's.
class ImpactEffect : public ReplayEffect {
 public:
  int32_t variant = 0;
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float size = 0.0f;
  uint8_t firstByte = 0;
};
