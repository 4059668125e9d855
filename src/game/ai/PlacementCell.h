#pragma once
#include <cstdint>

// One tile offered to the fortifications of a kind: its weight for the kind (1 where nothing
// may go or it is taken), the weight jittered for the object being placed, and the tile's
// set-up zone value.
struct PlacementCell {
  int16_t x = 0;
  int16_t y = 0;
  int16_t weight = 0;
  int16_t shuffledWeight = 0;
  uint16_t zone = 0;
};
