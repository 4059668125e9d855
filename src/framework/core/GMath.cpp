#include "framework/core/GMath.h"

#include <cmath>

namespace GMath {
double Exp(double x) { return std::exp(x); }
double Log(double x) { return std::log(x); }
double Pow(double x, double y) { return std::pow(x, y); }
double Sin(double x) { return std::sin(x); }
double Cos(double x) { return std::cos(x); }
float ExpF(float x) { return std::exp(x); }
float PowF(float x, float y) { return std::pow(x, y); }
double IntSqrt(int32_t n) { return n > 0 ? std::sqrt(static_cast<double>(n)) : 0.0; }
}  // namespace GMath
