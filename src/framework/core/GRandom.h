#pragma once
#include <cstdint>

// A random number generator with a state of its own, drawing exactly as the program's one
// generator (Quorl.h) does. Drawing and sound take their randomness from one of these, so the
// game's generator is neither advanced nor reseeded by anything shown on the screen.
class GRandom {
 public:
  GRandom() = default;
  explicit GRandom(uint32_t seed) : state_(seed) {}

  void Seed(uint32_t seed) { state_ = seed; }
  uint32_t State() const { return state_; }
  // An integer in [0, n) from two generator steps; n <= 0 is a programmer error.
  int32_t Random(int32_t n);
  // [0, 1) in steps of 1e-7, and that times x.
  float RandomFloat();
  float RandomFloatTimes(float x);

  // The presentation's generator: muzzle flashes, smoke and other short-lived looks.
  static GRandom& Presentation();

 private:
  uint32_t Step();
  uint32_t state_ = 0;
};
