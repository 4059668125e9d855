#pragma once
#include "framework/core/GFuzzySet.h"

// How one unit of the computer's side stands, as six fuzzy sets the situation scores combine:
// how shaken it is (ids 0 fresh .. 4 broken), how far its goal lies, how far past its weapon
// reach, how much fire it draws, how exposed it is (id 0 the most exposed) and how much harm it
// can do (ids 0..3 each). Lives for one evaluation.
struct SituationRecord {
  GFuzzySet morale;
  GFuzzySet distance;
  GFuzzySet pastReach;
  GFuzzySet threat;
  GFuzzySet exposure;
  GFuzzySet attack;
  // The unit is armoured and its settled target carries a gun: neither score applies.
  bool notApplicable = false;
};
