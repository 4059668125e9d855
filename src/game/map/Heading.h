#pragma once

// The direction of the vector (dx, dy) in degrees, 0..360: 0 along x, 90 along y. A vector
// with no x part points at 90 (270 when dy is negative).
float HeadingDegrees(float dx, float dy);
