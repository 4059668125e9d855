#pragma once
#include <cstdint>

// The direction of the vector (dx, dy) in degrees, 0..360: 0 along x, 90 along y. A vector
// with no x part points at 90 (270 when dy is negative).
float HeadingDegrees(float dx, float dy);

// The angle brought into [0, 360) by whole turns. (A negative whole number of turns gives 0,
// never 360.)
float NormalizeAngle(float a);

// How far the point (x1, y1) lies off the heading when seen from (x0, y0): -180..180 degrees,
// or its magnitude 0..180 when absolute.
float RelativeBearing(float heading, float x0, float y0, float x1, float y1, bool absolute);

// The season of a scenario date coded YYMM: 0 spring (and a month that is no month), 1 summer
// (6-8), 2 autumn (9-11), 3 winter (12, 1, 2).
int32_t SeasonOfDate(int32_t date);
