#pragma once
#include <cstdint>

// The quick battle's narrowing of the proposed map width before its random map is made:
// heavy trees, an Infantry attacker, night and poor weather each make the battlefield
// narrower. A pure function of the battle's conditions, so the random map dialog's generate
// step and the tests call the same thing.
class RandomMapNarrowing {
 public:
  // Width in metres; tree coverage 0-3 (3 Heavy); battle type 0 Axis attacker, 1 Allied
  // attacker, 2 meeting engagement; force types of sides 0 and 1 (1 Infantry); time of day
  // (2 Night); weather (3 Fog, 4 Thick Fog, 5 Snow). The factor is a float product in a fixed
  // order; its product with the width is taken in double and truncated, then raised to the
  // next multiple of 80 m. In a meeting engagement the Infantry factor applies when both
  // sides are Infantry. A width the conditions leave alone is returned unchanged.
  static int32_t NarrowQuickBattleWidth(int32_t width, int32_t treeCoverage, int32_t battleType,
                                        int32_t axisForceType, int32_t alliedForceType, int32_t timeOfDay,
                                        int32_t weather);
};
