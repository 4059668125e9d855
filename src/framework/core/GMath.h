#pragma once
#include <cstdint>

// The game logic's transcendental functions. Every call goes through these out-of-line
// functions of one file, so no compiler folds a constant argument at build time with a
// rounding of its own: every build and machine computes the same values as the run-time
// library does.
namespace GMath {
// Degrees to radians and back, as float: every rules and drawing file converts by these.
inline constexpr float kRadiansPerDegree = 0.017453292519943295f;
inline constexpr float kDegreesPerRadian = 57.29577951308232f;
double Exp(double x);
double Log(double x);
double Pow(double x, double y);
double Sin(double x);
double Cos(double x);
float ExpF(float x);
float PowF(float x, float y);
// The square root of a count as a double; 0 for a count below 1.
double IntSqrt(int32_t n);
}  // namespace GMath
