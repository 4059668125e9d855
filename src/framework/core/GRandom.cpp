#include "framework/core/GRandom.h"

#include "framework/core/Quorl.h"

uint32_t GRandom::Step() {
  state_ = state_ * 1103515245u + 12345u;
  return (state_ >> 16) & 0x7FFFu;
}

int32_t GRandom::Random(int32_t n) {
  if (n <= 0) FatalError(20, "GRandom");
  const uint32_t a = Step();
  const uint32_t b = Step();
  const uint32_t value = (a << 16) | b;
  return static_cast<int32_t>(value % static_cast<uint32_t>(n));
}

float GRandom::RandomFloat() { return static_cast<float>(static_cast<double>(Random(10000000)) * 1e-7); }

float GRandom::RandomFloatTimes(float x) {
  return static_cast<float>(static_cast<double>(Random(10000000)) * 1e-7 * static_cast<double>(x));
}

GRandom& GRandom::Presentation() {
  static GRandom generator(0x5EED1944u);
  return generator;
}
