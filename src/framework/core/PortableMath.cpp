#include "framework/core/PortableMath.h"

#include <cstdint>
#include <limits>

namespace {

using Wide = long double;

// ln 2 / 32 in two parts: the first has 40 significant bits, so k x it is exact for
// |k| < 2^24; and 32 / ln 2.
constexpr Wide kLn2By32Hi = 0xb17217f7d2000000p-69L;
constexpr Wide kLn2By32Lo = -0xc21950d871319ff0p-111L;
constexpr Wide kThirtyTwoByLn2 = 0xb8aa3b295c17f0bcp-58L;
// 2^(j / 32) for j = 0..31, each rounded to 64 bits.
constexpr Wide kTwoToJBy32[32] = {
    0x8000000000000000p-63L, 0x82cd8698ac2ba1d7p-63L, 0x85aac367cc487b15p-63L, 0x88980e8092da8527p-63L,
    0x8b95c1e3ea8bd6e7p-63L, 0x8ea4398b45cd53c0p-63L, 0x91c3d373ab11c336p-63L, 0x94f4efa8fef70961p-63L,
    0x9837f0518db8a96fp-63L, 0x9b8d39b9d54e5539p-63L, 0x9ef5326091a111aep-63L, 0xa27043030c496819p-63L,
    0xa5fed6a9b15138eap-63L, 0xa9a15ab4ea7c0ef8p-63L, 0xad583eea42a14ac6p-63L, 0xb123f581d2ac2590p-63L,
    0xb504f333f9de6484p-63L, 0xb8fbaf4762fb9ee9p-63L, 0xbd08a39f580c36bfp-63L, 0xc12c4cca66709456p-63L,
    0xc5672a115506daddp-63L, 0xc9b9bd866e2f27a3p-63L, 0xce248c151f8480e4p-63L, 0xd2a81d91f12ae45ap-63L,
    0xd744fccad69d6af4p-63L, 0xdbfbb797daf23755p-63L, 0xe0ccdeec2a94e111p-63L, 0xe5b906e77c8348a8p-63L,
    0xeac0c6e7dd24392fp-63L, 0xefe4b99bdcdaf5cbp-63L, 0xf5257d152486cc2cp-63L, 0xfa83b2db722a033ap-63L};
// 2^m for m = -160..129, exact.
struct PowersOfTwo {
  static constexpr int kLowest = -160;
  Wide value[290] = {};
  constexpr PowersOfTwo() {
    Wide v = 1.0L;
    for (int m = 0; m >= kLowest; --m, v *= 0.5L) value[m - kLowest] = v;
    v = 1.0L;
    for (int m = 0; m - kLowest < 290; ++m, v *= 2.0L) value[m - kLowest] = v;
  }
};
constexpr PowersOfTwo kPowersOfTwo;
// pi / 2 in three parts, the first two with 40 significant bits.
constexpr Wide kHalfPi1 = 0xc90fdaa221000000p-63L;
constexpr Wide kHalfPi2 = 0xd18469898d000000p-104L;
constexpr Wide kHalfPi3 = -0xeba3f91f1976b7eep-146L;
constexpr Wide kTwoOverPi = 0xa2f9836e4e44152ap-64L;

int64_t Nearest(Wide v) { return static_cast<int64_t>(v >= 0 ? v + 0.5L : v - 0.5L); }

// Reciprocals of the Horner steps' divisors, rounded once each by the compiler.
struct Reciprocals {
  Wide exp[19] = {};  // 1 / n
  Wide sin[14] = {};  // 1 / (2n (2n + 1))
  Wide cos[14] = {};  // 1 / ((2n - 1) 2n)
  constexpr Reciprocals() {
    for (int n = 1; n < 19; ++n) exp[n] = 1.0L / static_cast<Wide>(n);
    for (int n = 1; n < 14; ++n) {
      sin[n] = 1.0L / static_cast<Wide>((2 * n) * (2 * n + 1));
      cos[n] = 1.0L / static_cast<Wide>((2 * n - 1) * (2 * n));
    }
  }
};
constexpr Reciprocals kReciprocal;

// Taylor series in Horner form; |r| <= ln 2 / 64 for exp and |r| <= 0.8 for sine and cosine,
// where the first term left out is below 2^-70 of the result.
Wide ExpSmall(Wide r) {
  Wide p = 1.0L;
  for (int n = 9; n >= 1; --n) p = 1.0L + r * p * kReciprocal.exp[n];
  return p;
}

Wide SinSmall(Wide r) {
  const Wide r2 = r * r;
  Wide p = 1.0L;
  for (int n = 13; n >= 1; --n) p = 1.0L - r2 * p * kReciprocal.sin[n];
  return r * p;
}

Wide CosSmall(Wide r) {
  const Wide r2 = r * r;
  Wide p = 1.0L;
  for (int n = 13; n >= 1; --n) p = 1.0L - r2 * p * kReciprocal.cos[n];
  return p;
}

// x = k x pi / 2 + r with |r| a little over pi / 4 at most.
Wide ReduceQuarter(float x, int64_t& k) {
  const Wide wx = x;
  k = Nearest(wx * kTwoOverPi);
  const Wide kw = static_cast<Wide>(k);
  return ((wx - kw * kHalfPi1) - kw * kHalfPi2) - kw * kHalfPi3;
}

}  // namespace

float PortableExpF(float x) {
  if (x != x) return x;
  if (x < -104.0f) return 0.0f;
  if (x > 89.0f) return std::numeric_limits<float>::infinity();
  // x = (32 m + j) ln 2 / 32 + r.
  const int64_t k = Nearest(static_cast<Wide>(x) * kThirtyTwoByLn2);
  const Wide kw = static_cast<Wide>(k);
  const Wide r = (static_cast<Wide>(x) - kw * kLn2By32Hi) - kw * kLn2By32Lo;
  const int64_t j = k & 31;
  const int64_t m = (k - j) / 32;
  const Wide scaled = kTwoToJBy32[j] * ExpSmall(r);
  return static_cast<float>(scaled * kPowersOfTwo.value[m - PowersOfTwo::kLowest]);
}

float PortableSinF(float x) {
  if (x != x) return x;
  int64_t k = 0;
  const Wide r = ReduceQuarter(x, k);
  switch (k & 3) {
    case 0: return static_cast<float>(SinSmall(r));
    case 1: return static_cast<float>(CosSmall(r));
    case 2: return static_cast<float>(-SinSmall(r));
    default: return static_cast<float>(-CosSmall(r));
  }
}

float PortableCosF(float x) {
  if (x != x) return x;
  int64_t k = 0;
  const Wide r = ReduceQuarter(x, k);
  switch (k & 3) {
    case 0: return static_cast<float>(CosSmall(r));
    case 1: return static_cast<float>(-SinSmall(r));
    case 2: return static_cast<float>(-CosSmall(r));
    default: return static_cast<float>(SinSmall(r));
  }
}
