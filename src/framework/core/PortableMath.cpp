#include "framework/core/PortableMath.h"

#include <cstdint>
#include <limits>

namespace {

using Wide = long double;

// ln 2 in two parts: the first has 40 significant bits, so k x it is exact for |k| < 2^24.
constexpr Wide kLn2Hi = 0xb17217f7d2000000p-64L;
constexpr Wide kLn2Lo = -0xc21950d871319ff0p-106L;
constexpr Wide kInvLn2 = 0xb8aa3b295c17f0bcp-63L;
// pi / 2 in three parts, the first two with 40 significant bits.
constexpr Wide kHalfPi1 = 0xc90fdaa221000000p-63L;
constexpr Wide kHalfPi2 = 0xd18469898d000000p-104L;
constexpr Wide kHalfPi3 = -0xeba3f91f1976b7eep-146L;
constexpr Wide kTwoOverPi = 0xa2f9836e4e44152ap-64L;

int64_t Nearest(Wide v) { return static_cast<int64_t>(v >= 0 ? v + 0.5L : v - 0.5L); }

// 2 to the power k, exactly, by repeated squaring.
Wide PowerOfTwo(int64_t k) {
  Wide base = k >= 0 ? 2.0L : 0.5L;
  uint64_t n = static_cast<uint64_t>(k >= 0 ? k : -k);
  Wide result = 1.0L;
  while (n != 0) {
    if ((n & 1) != 0) result *= base;
    base *= base;
    n >>= 1;
  }
  return result;
}

// Taylor series in Horner form; |r| <= 0.35 for exp and |r| <= 0.8 for sine and cosine, where
// the first term left out is below 2^-70 of the result.
Wide ExpSmall(Wide r) {
  Wide p = 1.0L;
  for (int n = 18; n >= 1; --n) p = 1.0L + r * p / static_cast<Wide>(n);
  return p;
}

Wide SinSmall(Wide r) {
  const Wide r2 = r * r;
  Wide p = 1.0L;
  for (int n = 13; n >= 1; --n) p = 1.0L - r2 * p / static_cast<Wide>((2 * n) * (2 * n + 1));
  return r * p;
}

Wide CosSmall(Wide r) {
  const Wide r2 = r * r;
  Wide p = 1.0L;
  for (int n = 13; n >= 1; --n) p = 1.0L - r2 * p / static_cast<Wide>((2 * n - 1) * (2 * n));
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
  const int64_t k = Nearest(static_cast<Wide>(x) * kInvLn2);
  const Wide kw = static_cast<Wide>(k);
  const Wide r = (static_cast<Wide>(x) - kw * kLn2Hi) - kw * kLn2Lo;
  return static_cast<float>(ExpSmall(r) * PowerOfTwo(k));
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
