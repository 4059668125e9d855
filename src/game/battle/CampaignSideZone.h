#pragma once
// The zone an operation's map marks as a side's own: 4 for side 0, 1 for side 1.
#include <cstdint>

inline uint8_t ZoneOfSide(int32_t side) { return side == 0 ? 4 : 1; }
