#pragma once
#include <cstdint>

// The synthesiser's own generator (SplitMix64): each sound seeds one from its number, so
// every run and every machine makes the same bytes. Never the game's generator.
class SynthRandom {
 public:
  explicit SynthRandom(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  // Uniform in [-1, 1).
  double Signed() { return Unit() * 2.0 - 1.0; }
  double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }
  int Below(int n) { return static_cast<int>(Unit() * n); }

 private:
  uint64_t state_;
};
