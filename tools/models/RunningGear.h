#pragma once
#include <array>
#include <cstdint>
#include <string>
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

// A band of running gear as a model source describes it: a closed eight-sided ring in the y-z plane
// from y0 to y1 and up to the height, standing on the ground, between an inner and an outer x
// (model units). Its ends are half octagons: the corners are cut by 0.293 of the smaller of its
// length and height. Going round it forward along the bottom, up the front, back along the top and
// down the rear, its corners are "bottom-rear", "bottom-front", "front-low", "front-high",
// "top-front", "top-rear", "rear-high" and "rear-low", with "front-mid" and "rear-mid" halfway up
// its end faces.
struct GearBand {
  float innerX = 0.0f, outerX = 0.0f;
  float y0 = 0.0f, y1 = 0.0f, height = 0.0f;
};

// The distance of a named point round the band from "bottom-rear"; false for an unknown name.
bool GearBandPoint(const GearBand& band, const std::string& name, float& arc);
// The band's length round, and the distance round of the point on the ground at y.
float GearBandLength(const GearBand& band);
float GearBandGroundPoint(const GearBand& band, float y);
// The distance round of the bottom face's middle (the lower piece of a loop holds it).
float GearBandBottom(const GearBand& band);

// The strip of n triangles over the band from distance a round to distance b (going forward round
// it, across "bottom-rear" when b is less than a), its corners kept while n allows. v follows the
// distance at one repeat per 0.457 m, growing the way that rolls the pattern with the strip's sign:
// rearward on the ground, forward on top, down the front and up the rear as the offset grows;
// reversed, the other way. An odd number of corners leaves the last point one vertex, or with
// pairAtEnd the first: then the strip ends on both edges at b.
GearStrip MakeGearPiece(const GearBand& band, float a, float b, int32_t n, int32_t sign, bool reversed,
                        bool pairAtEnd = false);

// Checks one strip of the band as drawn with its sign: a + strip (or any, where both reach the
// ground) has its lowest point within ground of z 0, a - strip lies at least upper above it; and
// along every step v moves as the roll asks. Returns an empty string or the rule broken with its
// figures: "ground (has 0.0040, wants 0.0015)".
std::string CheckGearPiece(const GearBand& band, const GearStrip& strip, int32_t sign, float ground, float upper,
                           bool bothGrounded);
