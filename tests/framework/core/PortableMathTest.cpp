#include "framework/core/PortableMath.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

uint32_t Bits(float f) { return std::bit_cast<uint32_t>(f); }

// Every stride-th float of magnitude lowMagnitude up to highMagnitude, walked by bit pattern.
// With TARVANE_FULL_SWEEP set in the environment the walk takes every 7th float (some 3 x 10^8
// arguments, a minute or two); otherwise every 7 x 1009-th, which keeps the test quick.
uint32_t SweepStride() { return std::getenv("TARVANE_FULL_SWEEP") != nullptr ? 7u : 7u * 1009u; }

template <class Check>
void SweepMagnitudes(float lowMagnitude, float highMagnitude, Check check) {
  const uint32_t stride = SweepStride();
  for (uint32_t b = Bits(lowMagnitude); b <= Bits(highMagnitude); b += stride) check(std::bit_cast<float>(b));
}

TEST(PortableMath, ExpMatchesCorrectlyRoundedReferenceOverTheHillRange) {
  int64_t checked = 0;
  int64_t wrong = 0;
  SweepMagnitudes(0.0f, 110.0f, [&](float m) {
    const float x = -m;
    const float expected = static_cast<float>(std::exp(static_cast<long double>(x)));
    if (Bits(PortableExpF(x)) != Bits(expected)) {
      if (++wrong < 5) ADD_FAILURE() << "exp(" << x << ")";
    }
    ++checked;
  });
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(checked, 1000);
}

TEST(PortableMath, SineAndCosineMatchCorrectlyRoundedReferenceOverOneTurn) {
  int64_t wrong = 0;
  SweepMagnitudes(0.0f, 6.2832f, [&](float x) {
    const long double wx = x;
    if (Bits(PortableSinF(x)) != Bits(static_cast<float>(std::sin(wx)))) {
      if (++wrong < 5) ADD_FAILURE() << "sin(" << x << ")";
    }
    if (Bits(PortableCosF(x)) != Bits(static_cast<float>(std::cos(wx)))) {
      if (++wrong < 5) ADD_FAILURE() << "cos(" << x << ")";
    }
  });
  EXPECT_EQ(wrong, 0);
}

TEST(PortableMath, KnownValuesLimitsAndMonotoneExp) {
  EXPECT_EQ(Bits(PortableExpF(-1.0f)), 0x3EBC5AB2u);
  EXPECT_EQ(Bits(PortableExpF(-100.0f)), 0x0000001Bu);
  EXPECT_EQ(Bits(PortableExpF(0.0f)), Bits(1.0f));
  EXPECT_EQ(Bits(PortableExpF(-110.0f)), 0u);
  EXPECT_TRUE(std::isinf(PortableExpF(100.0f)));
  EXPECT_TRUE(std::isnan(PortableExpF(std::nanf(""))));
  EXPECT_EQ(Bits(PortableSinF(1.0f)), 0x3F576AA4u);
  EXPECT_EQ(Bits(PortableCosF(1.0f)), 0x3F0A5140u);
  EXPECT_EQ(Bits(PortableSinF(3.14159265358979f)), 0xB3BBBD2Eu);
  EXPECT_EQ(Bits(PortableSinF(0.0f)), 0u);
  EXPECT_EQ(Bits(PortableCosF(0.0f)), Bits(1.0f));
  // Monotone: walking down from 0 the result never rises, at every float near the cut-off
  // to zero and at a stride elsewhere.
  float previous = PortableExpF(0.0f);
  for (uint32_t b = 0; b <= Bits(110.0f); b += 4099) {
    float v = PortableExpF(-std::bit_cast<float>(b));
    ASSERT_LE(v, previous) << std::bit_cast<float>(b);
    previous = v;
  }
  previous = PortableExpF(-103.0f);
  for (uint32_t b = Bits(103.0f); b <= Bits(104.5f); ++b) {
    float v = PortableExpF(-std::bit_cast<float>(b));
    ASSERT_LE(v, previous);
    previous = v;
  }
}

}  // namespace
