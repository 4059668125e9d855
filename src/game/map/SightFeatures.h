#pragma once
#include <array>
#include <cstdint>

#include "framework/core/Quorl.h"

// What each fine terrain type 0..30 does to a line through it: the height of its feature
// above the ground, and the factor a sight sample and a shell-arc sample pay within it.
// Types 31 and above are buildings and bridges, which the traces handle themselves.
struct SightFeature {
  float height;  // metres above the cell's ground
  float sight;   // per 2 m sight sample
  float arc;     // per shell-arc sample
};

namespace SightFeatures {

constexpr int32_t kTypes = 31;

inline constexpr std::array<SightFeature, kTypes> kTable = {{
    {0.0f, 1.0f, 1.0f},      // 0 open ground
    {0.0f, 1.0f, 1.0f},      // 1
    {0.0f, 1.0f, 1.0f},      // 2
    {0.0f, 1.0f, 1.0f},      // 3
    {0.0f, 1.0f, 0.0f},      // 4 roadblock: stops a shell
    {0.0f, 1.0f, 1.0f},      // 5 wire
    {0.0f, 0.955f, 0.97f},   // 6 wire among trees
    {0.0f, 0.955f, 0.97f},   // 7 wire among pines
    {0.0f, 1.0f, 1.0f},      // 8 road
    {0.0f, 1.0f, 1.0f},      // 9
    {0.0f, 1.0f, 1.0f},      // 10 track
    {0.0f, 1.0f, 1.0f},      // 11 pavement
    {2.0f, 0.99f, 0.995f},   // 12 marsh
    {6.0f, 0.955f, 0.983f},  // 13 scattered trees
    {6.0f, 0.91f, 0.96f},    // 14 woods
    {12.0f, 0.91f, 0.96f},   // 15 tall pines
    {2.5f, 0.975f, 1.0f},    // 16 wheat
    {2.5f, 0.985f, 0.992f},  // 17
    {2.5f, 0.99f, 0.99f},    // 18 rough
    {2.5f, 0.9f, 0.9f},      // 19
    {0.0f, 1.0f, 1.0f},      // 20 slope
    {6.0f, 0.955f, 0.983f},  // 21 trees on a slope
    {6.0f, 0.91f, 0.96f},    // 22 woods on a slope
    {12.0f, 0.91f, 0.96f},   // 23 pines on a slope
    {0.0f, 1.0f, 1.0f},      // 24 cliff
    {0.0f, 1.0f, 1.0f},      // 25 water
    {0.0f, 1.0f, 1.0f},      // 26 ford
    {0.0f, 1.0f, 1.0f},      // 27
    {4.5f, 0.37f, 0.37f},    // 28 bocage
    {0.0f, 1.0f, 1.0f},      // 29 wall
    {0.0f, 1.0f, 1.0f},      // 30 hedge
}};

// The row of a type; outside 0..30 is a programmer's error.
inline const SightFeature& Of(int32_t type) {
  if (type < 0 || type >= kTypes) FatalError(2301, "SightFeatures");
  return kTable[static_cast<size_t>(type)];
}

}  // namespace SightFeatures
