#pragma once
#include <cmath>
#include <vector>

// A second-order filter section (the common audio cookbook forms), run in double precision.
class Biquad {
 public:
  enum class Kind { kLowPass, kHighPass, kBandPass, kPeak };

  Biquad(Kind kind, double frequency, double q, double rate = 44100.0, double gainDb = 0.0) {
    Set(kind, frequency, q, rate, gainDb);
  }
  void Set(Kind kind, double frequency, double q, double rate = 44100.0, double gainDb = 0.0) {
    const double pi = 3.14159265358979323846;
    if (frequency > rate * 0.45) frequency = rate * 0.45;
    if (frequency < 5.0) frequency = 5.0;
    const double w = 2.0 * pi * frequency / rate;
    const double c = std::cos(w), alpha = std::sin(w) / (2.0 * q);
    const double a = std::pow(10.0, gainDb / 40.0);
    double b0 = 0, b1 = 0, b2 = 0, a0 = 1, a1 = 0, a2 = 0;
    switch (kind) {
      case Kind::kLowPass: b0 = (1 - c) / 2; b1 = 1 - c; b2 = b0; a0 = 1 + alpha; a1 = -2 * c; a2 = 1 - alpha; break;
      case Kind::kHighPass: b0 = (1 + c) / 2; b1 = -(1 + c); b2 = b0; a0 = 1 + alpha; a1 = -2 * c; a2 = 1 - alpha; break;
      case Kind::kBandPass: b0 = alpha; b1 = 0; b2 = -alpha; a0 = 1 + alpha; a1 = -2 * c; a2 = 1 - alpha; break;
      case Kind::kPeak:
        b0 = 1 + alpha * a; b1 = -2 * c; b2 = 1 - alpha * a; a0 = 1 + alpha / a; a1 = -2 * c; a2 = 1 - alpha / a;
        break;
    }
    b0_ = b0 / a0; b1_ = b1 / a0; b2_ = b2 / a0; a1_ = a1 / a0; a2_ = a2 / a0;
  }
  double Step(double x) {
    const double y = b0_ * x + z1_;
    z1_ = b1_ * x - a1_ * y + z2_;
    z2_ = b2_ * x - a2_ * y;
    return y;
  }
  void Run(std::vector<float>& s) {
    for (float& v : s) v = static_cast<float>(Step(v));
  }

 private:
  double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0, z1_ = 0, z2_ = 0;
};
