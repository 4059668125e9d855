#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "ModelContract.h"

// The running gear of a placeholder hull: every strip of the list placed on its side as part of a
// closed eight-sided band in the y-z plane, between an inner and an outer x. Each band (a track loop or a
// wheel's tread) has one upper piece, drawn by a - strip over the top, and a lower piece cut into
// the side's + strips, each of which reaches the ground; the band's bottom face between the
// lower pieces is left out when the upper piece comes down to the ground as well (both
// grounded). Along every piece v grows from the rear towards the front, so a growing track
// offset rolls the pattern rearward on the ground, forward on top, down the front and up the
// rear.
struct GearStrip {
  std::vector<float> xyz;  // n + 2 corners, alternately inner and outer
  std::vector<float> uv;
};

struct RunningGearShape {
  std::array<float, 4> footprint{};  // min x, min y, max x, max y
  float junction = 0.012f;  // height where upper and lower pieces meet (the cut of the corners)
  float top = 0.022f;       // least height of the upper run
  bool bothGrounded = false;
};

std::vector<GearStrip> MakeRunningGear(const std::vector<ContractStrip>& strips, const RunningGearShape& shape);
