#include "game/units/targeting/AITargeting.h"

float AITargeting::SearchDefeatedThickness(const std::function<bool(int32_t)>& defeats) {
  constexpr float kLargestEntry = 32767.0f;
  float t = 0.0f;
  float step = 50.0f;
  bool previous = true;  // the first pass compares with a defeat
  int32_t best = 0;
  while (step > 0.0f || step < -0.5f) {
    t += step;
    // Beyond the armour entry's range there is nothing more to learn.
    if (!(t <= kLargestEntry)) break;
    // No weapon is stopped by less than no armour: a step below 0 turns the search back
    // without asking the entry to hold a negative thickness.
    bool defeated = true;
    if (t >= 0.0f) {
      const int32_t thickness = static_cast<int32_t>(t);
      defeated = defeats(thickness);
      if (defeated && thickness > best) best = thickness;
    }
    if (defeated != previous) step *= -0.4f;
    previous = defeated;
  }
  return static_cast<float>(best);
}
