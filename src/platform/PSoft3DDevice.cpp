#include "platform/PSoft3DDevice.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#if defined(__linux__)
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <ctime>
#endif

#if defined(__SSE2__) && !defined(TARVANE_PORTABLE_SPANS)
#define TARVANE_SSE2_SPANS 1
#include <emmintrin.h>
#endif

#include "platform/PSurface.h"

// A triangle corner: screen position, depth, rhw, texture coordinates and colour.
struct PSoft3DDevice::Vertex {
  float x, y, z, q, u, v;
  uint32_t colour;
};

// The state of one DrawPrimitive call, resolved once.
struct PSoft3DDevice::Setup {
  // Texture (null when stage 0 reads no texture or none is bound).
  const uint16_t* texels = nullptr;
  int32_t texPitch = 0;  // in texels
  int32_t texWidth = 1;
  int32_t texHeight = 1;
  bool texPow2 = true;
  float texScaleU = 0.0f;  // width * 256: u in 1/256 texel
  float texScaleV = 0.0f;
  float texArea = 0.0f;  // width * height
  bool magLinear = false;
  bool minLinear = false;

  // Stage 0 as two operations, each reading the texture, the diffuse colour or the factor.
  uint32_t colourOp = 0, colourArg1 = 0, colourArg2 = 0;
  uint32_t alphaOp = 0, alphaArg1 = 0, alphaArg2 = 0;
  uint32_t textureFactor = 0;

  bool depthTest = false;
  uint32_t depthFunc = P3DCompare::kLessEqual;
  bool depthWrite = false;
  // The alpha test as a range: a passes when (a - alphaLow) <= alphaSpan differs from
  // alphaInvert (not-equal and never are inverted ranges).
  uint32_t alphaLow = 0;
  uint32_t alphaSpan = 255;
  bool alphaInvert = false;
  bool blend = false;
  bool standardBlend = false;  // source alpha, inverse source alpha
  uint32_t srcBlend = P3DBlend::kOne;
  uint32_t destBlend = P3DBlend::kZero;
  bool fog = false;
  float fogEnd = 0.0f;
  float fogScale = 0.0f;  // 256 / (end - start)
  uint32_t fogColour = 0;

  bool operator==(const Setup&) const = default;
};

namespace {

// Depth-test kinds the span loops are specialised for.
constexpr int kDepthAlways = 0;
constexpr int kDepthLessEqual = 1;
constexpr int kDepthOther = 2;

// ARGB1555 to ARGB8888, each channel widened by repeating its top bits. The widening adds
// up separately over the low and the high byte of a texel (green's top bits included), so
// two small tables that stay in the first-level cache do it.
struct Expand1555 {
  uint32_t low[256];
  uint32_t high[256];
  Expand1555() {
    for (uint32_t byte = 0; byte < 256; ++byte) {
      uint32_t b = byte & 31, gLow = byte >> 5;
      low[byte] = ((gLow << 3) + (gLow >> 2)) << 8 | ((b << 3) | (b >> 2));
      uint32_t gHigh = byte & 3, r = (byte >> 2) & 31, a = (byte & 0x80) ? 255 : 0;
      high[byte] = a << 24 | ((r << 3) | (r >> 2)) << 16 | ((gHigh << 6) + (gHigh << 1)) << 8;
    }
  }
};

// Rounded x / 255 for x in [0, 65535 * 2].
inline uint32_t Div255(uint32_t x) {
  x += 128;
  return (x + (x >> 8)) >> 8;
}

inline bool Compare(uint32_t func, uint32_t value, uint32_t reference) {
  switch (func) {
    case P3DCompare::kNever: return false;
    case P3DCompare::kLess: return value < reference;
    case P3DCompare::kEqual: return value == reference;
    case P3DCompare::kLessEqual: return value <= reference;
    case P3DCompare::kGreater: return value > reference;
    case P3DCompare::kNotEqual: return value != reference;
    case P3DCompare::kGreaterEqual: return value >= reference;
    default: return true;
  }
}

// A float clamped to [lo, hi]; not-a-number gives lo. Written so that the compiler can use
// the processor's minimum and maximum, which give exactly these results (a zero may lose
// its sign, which no caller sees: they all convert to an integer).
inline float Clamp(float f, float lo, float hi) {
  f = f > lo ? f : lo;
  return f < hi ? f : hi;
}

// A double as a finite float: out-of-range values are clamped, not-a-number gives 0.
inline float ToFloat(double d) {
  if (!(d == d)) return 0.0f;
  if (d > FLT_MAX) return FLT_MAX;
  if (d < -FLT_MAX) return -FLT_MAX;
  return static_cast<float>(d);
}

// The smallest integer not below x, held in [0, limit]; not-a-number gives 0. (Always inlined:
// twice a span, it would otherwise be a call each time.)
__attribute__((always_inline)) inline int32_t CeilInto(double x, int32_t limit) {
  if (!(x > 0.0)) return 0;
  if (x >= static_cast<double>(limit)) return limit;
  int32_t i = static_cast<int32_t>(x);
  return static_cast<double>(i) < x ? i + 1 : i;
}

inline uint16_t DepthOf(float z) {
  return static_cast<uint16_t>(Clamp(z, 0.0f, 1.0f) * 65535.0f + 0.5f);
}

inline int32_t Wrap(int32_t i, int32_t size, bool pow2) {
  if (pow2) return i & (size - 1);
  int32_t m = i % size;
  return m < 0 ? m + size : m;
}

// Per-triangle constants of the colour computation.
struct Shading {
  bool colourFromTexture;  // colour = texel * colourMul / 255, else colourConst
  bool alphaFromTexture;
  bool colourMulIsOne;
  bool alphaMulIsOne;
  uint32_t colour;  // 0x00RRGGBB: the constant or the multiplier
  uint32_t alpha;   // 0..255
  float dz, dq, ds, dt;
  float magnifyBelow;  // texel area per pixel < 1 where q^3 > this
};

inline uint32_t Channel(uint32_t c, int shift) { return (c >> shift) & 255; }

// Red, green and blue in the low bytes of the 16-bit lanes at 32, 16 and 0.
inline uint64_t SpreadRGB(uint32_t r, uint32_t g, uint32_t b) {
  return static_cast<uint64_t>(r) << 32 | static_cast<uint64_t>(g) << 16 | b;
}

// One argument of a stage operation: the texture (flag) or a constant.
struct Operand {
  bool texture;
  uint32_t value;  // ARGB
};

Operand Argument(uint32_t arg, uint32_t diffuse, uint32_t factor, bool haveTexture) {
  switch (arg & 0xF) {
    case P3DTextureArg::kTexture:
      if (haveTexture) return {true, 0xFFFFFFFFu};
      return {false, 0xFFFFFFFFu};  // no texture reads as opaque white
    case P3DTextureArg::kTextureFactor: return {false, factor};
    default: return {false, diffuse};
  }
}

uint32_t Modulate(uint32_t a, uint32_t b) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) out |= Div255(Channel(a, shift) * Channel(b, shift)) << shift;
  return out;
}

// Evaluates a stage operation on constants; a texture operand stays a multiplier.
Operand Operate(uint32_t op, Operand a, Operand b, uint32_t diffuse) {
  switch (op) {
    case P3DTextureOp::kSelectArg1: return a;
    case P3DTextureOp::kSelectArg2: return b;
    case P3DTextureOp::kModulate:
      if (a.texture && b.texture) return a;  // the texture with itself is not needed
      if (a.texture) return {true, b.value};
      if (b.texture) return {true, a.value};
      return {false, Modulate(a.value, b.value)};
    default: return {false, diffuse};
  }
}

template <class Pixel>
struct TargetFormat;

template <>
struct TargetFormat<uint16_t> {
  static uint32_t Read(uint16_t p) {
    uint32_t r = p >> 11, g = (p >> 5) & 63, b = p & 31;
    return ((r << 3) | (r >> 2)) << 16 | ((g << 2) | (g >> 4)) << 8 | ((b << 3) | (b >> 2));
  }
  static uint16_t Make(uint32_t r, uint32_t g, uint32_t b) {
    return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
  }
  static uint16_t MakeSpread(uint64_t c) {
    return static_cast<uint16_t>((c >> 35) << 11 | ((c >> 18) & 63) << 5 | ((c >> 3) & 31));
  }
};

template <>
struct TargetFormat<uint32_t> {
  static uint32_t Read(uint32_t p) { return p & 0x00FFFFFFu; }
  static uint32_t Make(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }
  static uint64_t ReadSpread(uint32_t p) { return SpreadRGB((p >> 16) & 255, (p >> 8) & 255, p & 255); }
  static uint32_t MakeSpread(uint64_t c) {
    return static_cast<uint32_t>(c >> 16 & 0x00FF0000u) | static_cast<uint32_t>(c >> 8 & 0xFF00u) |
           static_cast<uint32_t>(c & 255);
  }
};

inline uint32_t BlendFactor(uint32_t kind, uint32_t alpha) {
  switch (kind) {
    case P3DBlend::kZero: return 0;
    case P3DBlend::kSrcAlpha: return alpha;
    case P3DBlend::kInvSrcAlpha: return 255 - alpha;
    default: return 255;
  }
}

// How a span samples its texture.
constexpr int kUntextured = 0;
constexpr int kPointOnly = 1;
constexpr int kBilinearOnly = 2;
constexpr int kByScale = 3;  // bilinear where magnified, point elsewhere
constexpr int kFilterMask = 3;
constexpr int kAnySize = 4;  // added for a texture whose sides are not both powers of two
// Added where the texture gives colour and alpha unchanged and depth is written: the most
// common case, whose pixels then test none of these.
constexpr int kPlainTexture = 8;

// ARGB8888 spread over 64 bits, a channel per 16 bits (alpha at 48, blue at 0), so that one
// multiply lerps all four channels exactly as an 8-bit lerp per channel would.
struct Spread1555 {
  uint64_t low[256];
  uint64_t high[256];
  Spread1555() {
    const Expand1555 e;
    auto spread = [](uint32_t c) {
      return static_cast<uint64_t>(c >> 24) << 48 | static_cast<uint64_t>((c >> 16) & 255) << 32 |
             static_cast<uint64_t>((c >> 8) & 255) << 16 | (c & 255);
    };
    for (uint32_t byte = 0; byte < 256; ++byte) {
      low[byte] = spread(e.low[byte]);
      high[byte] = spread(e.high[byte]);
    }
  }
};
const Spread1555& SpreadTable() {
  static const Spread1555 spread;
  return spread;
}
inline uint64_t Spread(const Spread1555& t, uint16_t texel) {
  return t.low[texel & 255] + t.high[texel >> 8];
}

constexpr uint64_t kLanesRGB = 0x000000FF00FF00FFull;
constexpr uint64_t kLanesHalf = 0x0000008000800080ull;

// RGB565 as spread channels (see SpreadRGB), each byte of a pixel looked up on its own: the
// widened channels add up without overlapping bits (green's top bits come from the high byte).
struct Spread565 {
  uint64_t low[256];
  uint64_t high[256];
  Spread565() {
    for (uint32_t byte = 0; byte < 256; ++byte) {
      uint32_t b = byte & 31, gLow = byte >> 5;
      low[byte] = SpreadRGB(0, gLow << 2, (b << 3) | (b >> 2));
      uint32_t gHigh = byte & 7, r = byte >> 3;
      high[byte] = SpreadRGB((r << 3) | (r >> 2), (gHigh << 5) | (gHigh >> 1), 0);
    }
  }
};
const Spread565& Spread565Table() {
  static const Spread565 table;
  return table;
}

// A target pixel as spread channels.
inline uint64_t ReadSpread(const Spread565& t, uint16_t p) { return t.low[p & 255] + t.high[p >> 8]; }
inline uint64_t ReadSpread(const Spread565&, uint32_t p) { return TargetFormat<uint32_t>::ReadSpread(p); }

// Lerps spread channels by f / 256, rounding each down as an 8-bit lerp per channel would.
inline uint64_t Lerp64(uint64_t p0, uint64_t p1, uint64_t f) {
  return ((p0 * (256 - f) + p1 * f) >> 8) & 0x00FF00FF00FF00FFull;
}

// Four single-precision lanes: SSE2 where the build has it (every x86-64 machine), plain
// arrays elsewhere. Every operation is the lane-wise IEEE operation, rounded as one float
// operation of the scalar code is, so the lanes hold exactly what that code computes.
#if defined(TARVANE_SSE2_SPANS)
struct F4 {
  __m128 v;
  static F4 Splat(float f) { return {_mm_set1_ps(f)}; }
  static F4 Of(float a, float b, float c, float d) { return {_mm_setr_ps(a, b, c, d)}; }
  friend F4 operator+(F4 a, F4 b) { return {_mm_add_ps(a.v, b.v)}; }
  friend F4 operator-(F4 a, F4 b) { return {_mm_sub_ps(a.v, b.v)}; }
  friend F4 operator*(F4 a, F4 b) { return {_mm_mul_ps(a.v, b.v)}; }
  friend F4 operator/(F4 a, F4 b) { return {_mm_div_ps(a.v, b.v)}; }
  // a > b ? a : b and a < b ? a : b, as the processor's maximum and minimum give them.
  static F4 Max(F4 a, F4 b) { return {_mm_max_ps(a.v, b.v)}; }
  static F4 Min(F4 a, F4 b) { return {_mm_min_ps(a.v, b.v)}; }
  // Truncated to integers (all callers hold their values in range first).
  void Truncate(int32_t out[4]) const { _mm_store_si128(reinterpret_cast<__m128i*>(out), _mm_cvttps_epi32(v)); }
  void Store(float out[4]) const { _mm_store_ps(out, v); }
  // Bit i set where lane i of a is greater than that of b (false for not-a-number).
  static int GreaterMask(F4 a, F4 b) { return _mm_movemask_ps(_mm_cmpgt_ps(a.v, b.v)); }
  float First() const { return _mm_cvtss_f32(v); }
  float Last() const { return _mm_cvtss_f32(_mm_shuffle_ps(v, v, _MM_SHUFFLE(3, 3, 3, 3))); }
  // The least and the greatest of the lanes (none of them not-a-number).
  float Least() const {
    const __m128 m = _mm_min_ps(v, _mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 0, 3, 2)));
    return _mm_cvtss_f32(_mm_min_ps(m, _mm_shuffle_ps(m, m, _MM_SHUFFLE(2, 3, 0, 1))));
  }
  float Greatest() const {
    const __m128 m = _mm_max_ps(v, _mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 0, 3, 2)));
    return _mm_cvtss_f32(_mm_max_ps(m, _mm_shuffle_ps(m, m, _MM_SHUFFLE(2, 3, 0, 1))));
  }
};
#else
struct F4 {
  float v[4];
  static F4 Splat(float f) { return {{f, f, f, f}}; }
  static F4 Of(float a, float b, float c, float d) { return {{a, b, c, d}}; }
  template <class Op>
  static F4 Each(F4 a, F4 b, Op op) {
    return {{op(a.v[0], b.v[0]), op(a.v[1], b.v[1]), op(a.v[2], b.v[2]), op(a.v[3], b.v[3])}};
  }
  friend F4 operator+(F4 a, F4 b) { return Each(a, b, [](float x, float y) { return x + y; }); }
  friend F4 operator-(F4 a, F4 b) { return Each(a, b, [](float x, float y) { return x - y; }); }
  friend F4 operator*(F4 a, F4 b) { return Each(a, b, [](float x, float y) { return x * y; }); }
  friend F4 operator/(F4 a, F4 b) { return Each(a, b, [](float x, float y) { return x / y; }); }
  static F4 Max(F4 a, F4 b) { return Each(a, b, [](float x, float y) { return x > y ? x : y; }); }
  static F4 Min(F4 a, F4 b) { return Each(a, b, [](float x, float y) { return x < y ? x : y; }); }
  void Truncate(int32_t out[4]) const {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<int32_t>(v[i]);
  }
  void Store(float out[4]) const {
    for (int i = 0; i < 4; ++i) out[i] = v[i];
  }
  static int GreaterMask(F4 a, F4 b) {
    int mask = 0;
    for (int i = 0; i < 4; ++i) mask |= (a.v[i] > b.v[i] ? 1 : 0) << i;
    return mask;
  }
  float First() const { return v[0]; }
  float Last() const { return v[3]; }
  float Least() const { return std::min({v[0], v[1], v[2], v[3]}); }
  float Greatest() const { return std::max({v[0], v[1], v[2], v[3]}); }
};
#endif

// The cells of four texels a run of pixels is filtered from: u in [uLow, uHigh] and v in
// [vLow, vHigh], each cell named by its top-left texel (before wrapping).
struct CellRange {
  int32_t uLow, uHigh, vLow, vHigh;
};

// What four neighbouring pixels of a span need from its attributes.
struct LaneValues {
  alignas(16) int32_t depth[4];
  alignas(16) int32_t tu[4];  // texture coordinates in 1/256 texel
  alignas(16) int32_t tv[4];
  alignas(16) int32_t fog[4];  // the own colour's share in 1/256
  int magnified;  // bit i set where pixel i's texel covers less than the pixel (q^3 above the bound)
};

// Where repeated single-precision additions of step to x can be written in closed form:
// while x and every sum stay inside x's binade, where all values are multiples of one ulp u,
// each addition adds the same multiple K of u (d / u rounded to nearest; a tie, rounded to
// even, would depend on x and is left out), so that n additions give exactly x + n K u. Gives
// the change over one group of four additions (exact as a float, and exact when multiplied by
// any group count up to groups) and the groups, at least 1, for which it holds; false where
// it cannot be said (x zero, subnormal or not finite, a tie, the binade's edge too near).
// Said at once of two starting values of one binade (sign and exponent), first and last: the
// change is the same for both, and the groups are those that hold for both.
bool ClosedSteps(float x, float last, float d, float& perGroup, int32_t& groups) {
  uint32_t bits, lastBits;
  std::memcpy(&bits, &x, sizeof(bits));
  std::memcpy(&lastBits, &last, sizeof(lastBits));
  if ((bits >> 23) != (lastBits >> 23)) return false;
  if (d == 0.0f) {  // x + 0 is x (a zero keeps the sign the first addition gives it)
    perGroup = d;
    groups = INT32_MAX;
    return true;
  }
  const uint32_t exponent = bits >> 23 & 255;
  if (exponent == 0 || exponent == 255 || !std::isfinite(d)) return false;
  // x = +-m u with m in [2^23, 2^24), u = 2^(exponent - 150); r = d / u with x's sign taken off.
  const double mFirst = static_cast<double>((bits & 0x7FFFFFu) | 0x800000u);
  const double mLast = static_cast<double>((lastBits & 0x7FFFFFu) | 0x800000u);
  const double mLow = std::min(mFirst, mLast), mHigh = std::max(mFirst, mLast);
  auto power = [](int32_t e) {  // 2^e as a double, e well inside the double's range
    const uint64_t b = static_cast<uint64_t>(1023 + e) << 52;
    double p;
    std::memcpy(&p, &b, sizeof(p));
    return p;
  };
  const double r = static_cast<double>(x < 0.0f ? -d : d) * power(150 - static_cast<int32_t>(exponent));
  if (!(std::fabs(r) < 1048576.0)) return false;
  const auto truncated = static_cast<int64_t>(r);
  const double whole = static_cast<double>(truncated) > r ? static_cast<double>(truncated - 1)
                                                          : static_cast<double>(truncated);
  const double part = r - whole;
  if (part == 0.5) return false;
  const double k = part < 0.5 ? whole : whole + 1.0;
  // Every value m + j k (in ulps) kept far enough inside [2^23, 2^24) that m + j k + r, the
  // exact sum, is too.
  const double lo = 8388608.0 + std::fabs(k) + 1.0, hi = 16777216.0 - std::fabs(k) - 2.0;
  if (mLow < lo || mHigh > hi) return false;
  double steps = 4e8;
  if (k > 0.0) steps = (hi - mHigh) / k;
  if (k < 0.0) steps = (mLow - lo) / -k;
  if (steps < 4.0) return false;
  groups = static_cast<int32_t>(steps / 4.0);  // rounded down, at least 1
  perGroup = static_cast<float>((x < 0.0f ? -4.0 * k : 4.0 * k) * power(static_cast<int32_t>(exponent) - 150));
  return true;
}

// A span's attributes four pixels at a time. Lane i starts at pixel i, reached by i steps of
// the gradients one after another, and every group of four moves each lane on by four such
// steps: each pixel gets its attributes by the very additions the one-pixel loop makes.
// Those additions are a chain, each waiting for the one before; over a long span the lanes
// instead go in closed form (ClosedSteps) wherever it gives exactly the same values.
struct SpanLanes {
  F4 z, q, s, t;
  F4 dz, dq, ds, dt;
  // The closed-form stretch: the values at its start, their change per group, and the groups
  // gone and to go; after a failed try, the groups to wait before the next.
  F4 baseZ{}, baseQ{}, baseS{}, baseT{};
  F4 stepZ{}, stepQ{}, stepS{}, stepT{};
  int32_t closedAt = 0, closedEnd = 0;
  int32_t wait = 0;
  bool closable = false;  // whether the span may go in closed form (see RunCells)

  // Groups worth a try at closed form: fewer are done by additions.
  static constexpr int32_t kClosedAtLeast = 6;

  // The lanes hold four values in a row of the same additions, so they lie in order between
  // the first and the last: when those two share a binade, all four do, the change per group is
  // the same for all, and the two ends bound the groups.
  static bool Close(const F4& values, float step, F4& perGroup, int32_t& groups) {
    alignas(16) float x[4];
    values.Store(x);
    float out = 0.0f;
    int32_t n = 0;
    if (!ClosedSteps(x[0], x[3], step, out, n)) return false;
    groups = std::min(groups, n);
    perGroup = F4::Splat(out);
    return true;
  }
  // Starts a closed-form stretch here when the next groups (left of them) allow one.
  template <bool kTextured>
  void TryClose(int32_t left, bool withDepth) {
    int32_t groups = left;
    if (!Close(q, dq.First(), stepQ, groups)) return Failed();
    if (kTextured && (!Close(s, ds.First(), stepS, groups) || !Close(t, dt.First(), stepT, groups))) return Failed();
    if (withDepth && !Close(z, dz.First(), stepZ, groups)) return Failed();
    if (groups < kClosedAtLeast) return Failed();
    baseZ = z;
    baseQ = q;
    baseS = s;
    baseT = t;
    closedAt = 0;
    closedEnd = groups;
  }
  void Failed() { wait = 4; }

  // Moves every lane on by four pixels; left: the groups of the span after this one. (Always
  // inlined: once a group, as a call it keeps the lanes in memory.)
  template <bool kTextured>
  __attribute__((always_inline)) void Advance(int32_t left, bool withDepth) {
    if (closedAt < closedEnd) {
      const F4 g = F4::Splat(static_cast<float>(++closedAt));
      q = baseQ + g * stepQ;
      if constexpr (kTextured) {
        s = baseS + g * stepS;
        t = baseT + g * stepT;
      }
      if (withDepth) z = baseZ + g * stepZ;
      return;
    }
    for (int step = 0; step < 4; ++step) {
      if (withDepth) z = z + dz;
      q = q + dq;
      if constexpr (kTextured) {
        s = s + ds;
        t = t + dt;
      }
    }
    if (closable && left > kClosedAtLeast && --wait < 0) TryClose<kTextured>(left - 1, withDepth);
  }

  // The groups from this one that can be looked at as one run: inside the closed-form stretch.
  int32_t RunRoom() const { return closedEnd - closedAt; }
  // The cells of four texels (u, v) that the pixels of the next groups (count of them, within
  // RunRoom) are filtered from, as ranges found from the run's first and last values alone.
  // Along a closed-form stretch each lane's values move one way, so they lie between those
  // ends, and every step from them to a pixel's texel (reciprocal, products, clamp,
  // truncation) keeps order: the bounds found from the ends hold every pixel's. A pixel that is
  // point sampled rather than filtered takes one of the four texels of its cell.
  bool RunCells(int32_t count, float scaleU, float scaleV, CellRange& cells) const {
    const F4 g = F4::Splat(static_cast<float>(closedAt + count - 1));
    const F4 qEnd = baseQ + g * stepQ, sEnd = baseS + g * stepS, tEnd = baseT + g * stepT;
    const F4 qLow = F4::Min(q, qEnd), qHigh = F4::Max(q, qEnd);
    if (F4::GreaterMask(qLow, F4::Splat(0.0f)) != 15) return false;
    const F4 eyeLow = F4::Splat(1.0f) / qHigh, eyeHigh = F4::Splat(1.0f) / qLow;
    const F4 lo = F4::Splat(-1073741824.0f), hi = F4::Splat(1073741824.0f);
    // Every lane's bounds held in range as the pixels' coordinates are; the truncation and
    // the cell (from the texel centres, as the filtered path finds it) keep order, so the
    // least and the greatest bound of all lanes decide.
    auto range = [&](F4 a, F4 b, float scale, int32_t& low, int32_t& high) {
      const F4 aLow = F4::Min(a, b), aHigh = F4::Max(a, b);
      const F4 least = F4::Min(aLow * eyeLow, aLow * eyeHigh) * F4::Splat(scale);
      const F4 most = F4::Max(aHigh * eyeLow, aHigh * eyeHigh) * F4::Splat(scale);
      low = (static_cast<int32_t>(F4::Min(F4::Max(least, lo), hi).Least()) - 128) >> 8;
      high = (static_cast<int32_t>(F4::Min(F4::Max(most, lo), hi).Greatest()) - 128) >> 8;
    };
    range(s, sEnd, scaleU, cells.uLow, cells.uHigh);
    range(t, tEnd, scaleV, cells.vLow, cells.vHigh);
    return true;
  }
  // An estimate of how many groups from this one (at most room, within RunRoom) lie wholly in
  // the cells alike to that of this group's first pixel: the texel coordinates of that pixel
  // and of the last pixel room groups on, with the edge of the cells alike found between them
  // as if they changed evenly. same(u, v, axis, way) tells how many cells on from cell (u, v)
  // along axis (0: u, 1: v) one way (+1 or -1) have the same four equal texels as it.
  // Only a guess, which RunCells then proves or refutes: it saves trying lengths one by one.
  template <class Same>
  int32_t CellGroups(int32_t room, float scaleU, float scaleV, Same same) const {
    const F4 g = F4::Splat(static_cast<float>(closedAt + room - 1));
    // The first pixel's q, s, t and the last pixel's.
    const float now[3] = {q.First(), s.First(), t.First()};
    const float end[3] = {(baseQ + g * stepQ).Last(), (baseS + g * stepS).Last(), (baseT + g * stepT).Last()};
    if (!(now[0] > 0.0f) || !(end[0] > 0.0f)) return 0;
    const float pixels = static_cast<float>(room * 4 - 1);
    const float from[2] = {now[1] / now[0] * scaleU - 128.0f, now[2] / now[0] * scaleV - 128.0f};
    const float to[2] = {end[1] / end[0] * scaleU - 128.0f, end[2] / end[0] * scaleV - 128.0f};
    int32_t cell[2];
    for (int axis = 0; axis < 2; ++axis) {
      if (!(std::fabs(from[axis]) < 1e9f) || !(std::fabs(to[axis]) < 1e9f)) return 0;
      // The cell's first coordinate: from / 256 rounded down (|from| is well inside int range).
      const float cells = from[axis] * (1.0f / 256.0f);
      cell[axis] = static_cast<int32_t>(cells);
      if (static_cast<float>(cell[axis]) > cells) --cell[axis];
    }
    float reach = pixels;  // pixels from the first to the edge
    for (int axis = 0; axis < 2; ++axis) {
      const float first = static_cast<float>(cell[axis]) * 256.0f;
      float edge;
      if (to[axis] >= first + 256.0f) {
        edge = first + 256.0f * static_cast<float>(1 + same(cell[0], cell[1], axis, 1));
        if (to[axis] < edge) continue;
      } else if (to[axis] < first) {
        edge = first - 256.0f * static_cast<float>(same(cell[0], cell[1], axis, -1));
        if (to[axis] >= edge) continue;
      } else {
        continue;  // the far end is in the same cell
      }
      reach = std::min(reach, (edge - from[axis]) / (to[axis] - from[axis]) * pixels);
    }
    // Groups whose four pixels all come before the edge, one fewer for the curve of the
    // perspective between the two ends.
    const int32_t groups = static_cast<int32_t>((reach + 1.0f) / 4.0f) - (reach < pixels ? 1 : 0);
    return std::clamp(groups, int32_t{0}, room);
  }
  // Moves every lane on by count groups inside the stretch.
  void Skip(int32_t count) {
    closedAt += count;
    const F4 g = F4::Splat(static_cast<float>(closedAt));
    q = baseQ + g * stepQ;
    s = baseS + g * stepS;
    t = baseT + g * stepT;
  }

  static F4 Start(float first, float step) {
    float a = first, b = a + step, c = b + step, d = c + step;
    return F4::Of(a, b, c, d);
  }
  __attribute__((always_inline)) SpanLanes(float z0, float q0, float s0, float t0, float dzdx, float dqdx,
                                           float dsdx, float dtdx)
      : z(Start(z0, dzdx)), q(Start(q0, dqdx)), s(Start(s0, dsdx)), t(Start(t0, dtdx)),
        dz(F4::Splat(dzdx)), dq(F4::Splat(dqdx)), ds(F4::Splat(dsdx)), dt(F4::Splat(dtdx)) {}

  // The depth as DepthOf gives it, before truncation.
  F4 Depth() const {
    return F4::Min(F4::Max(z, F4::Splat(0.0f)), F4::Splat(1.0f)) * F4::Splat(65535.0f) + F4::Splat(0.5f);
  }
  // A texture coordinate (s or t) in 1/256 texel, before truncation: clamped far inside the
  // integers' range (to 2^30).
  static F4 Texel(F4 coordinate, F4 eye, float scale) {
    const F4 lo = F4::Splat(-1073741824.0f), hi = F4::Splat(1073741824.0f);
    return F4::Min(F4::Max((coordinate * eye) * F4::Splat(scale), lo), hi);
  }

  // The depth only where it is tested or written (withDepth).
  template <bool kTextured, bool kFog, bool kMagnified>
  void Next(LaneValues& out, float scaleU, float scaleV, float fogEnd, float fogScale, float magnifyBelow,
            bool withDepth, int32_t left) {
    if (withDepth) Depth().Truncate(out.depth);
    if constexpr (kTextured || kFog) {
      const F4 eye = F4::Splat(1.0f) / q;
      if constexpr (kTextured) {
        Texel(s, eye, scaleU).Truncate(out.tu);
        Texel(t, eye, scaleV).Truncate(out.tv);
      }
      if constexpr (kFog) {
        const F4 k = (F4::Splat(fogEnd) - eye) * F4::Splat(fogScale) + F4::Splat(0.5f);
        F4::Min(F4::Max(k, F4::Splat(0.0f)), F4::Splat(256.0f)).Truncate(out.fog);
      }
    }
    if constexpr (kMagnified) out.magnified = F4::GreaterMask(q * q * q, F4::Splat(magnifyBelow));
    Advance<kTextured>(left, withDepth);
  }

#if defined(TARVANE_SSE2_SPANS)
  // What Next finds for a point-sampled span without fog, left in registers: the depth (zero
  // where not asked for) and the texture coordinates.
  void NextPoint(__m128i& depth, __m128i& tu, __m128i& tv, float scaleU, float scaleV, bool withDepth,
                 int32_t left) {
    depth = withDepth ? _mm_cvttps_epi32(Depth().v) : _mm_setzero_si128();
    const F4 eye = F4::Splat(1.0f) / q;
    tu = _mm_cvttps_epi32(Texel(s, eye, scaleU).v);
    tv = _mm_cvttps_epi32(Texel(t, eye, scaleV).v);
    Advance<true>(left, withDepth);
  }
#endif
};

std::atomic<bool> gWideSpans{true};

// The target's rows are cut into strips of 2^kStripShift rows, dealt round the drawing
// threads, so that every thread gets its share of sky, ground and smoke.
constexpr int32_t kStripShift = 3;
constexpr int32_t kStripMask = (1 << kStripShift) - 1;

// The rows one thread draws: every row, or the strips a table names. The table holds, for
// each strip of the target and one past the last, the first strip at or after it that the
// thread owns (the strip count where none is left).
struct Band {
  const int32_t* firstOwned;  // null: every row
};
constexpr Band kEveryRow{nullptr};

// The first row at or below y (y >= 0, inside the target) that the band owns.
inline int32_t FirstRow(int32_t y, Band band) {
  if (band.firstOwned == nullptr) return y;
  const int32_t strip = y >> kStripShift, owned = band.firstOwned[strip];
  return owned == strip ? y : owned << kStripShift;
}

// The band's next row after y.
inline int32_t NextRow(int32_t y, Band band) {
  ++y;
  if ((y & kStripMask) == 0 && band.firstOwned != nullptr) y = band.firstOwned[y >> kStripShift] << kStripShift;
  return y;
}

#if defined(TARVANE_SSE2_SPANS)
// Four neighbouring pixels of a span on a 16-bit target at once, all point-sampled or all
// filtered, without a branch per pixel: the texels are fetched one by one, everything else is
// done on the four together, with the rounding of the one-pixel loop in every channel, and the
// pixels that fail the depth or alpha test, or lie past the span's end, are written back as
// they were.
template <bool kFog, bool kBlend, int kDepth>
class QuadShader {
 public:
  QuadShader(const PSoft3DDevice::Setup& s, const Shading& sh)
      : texels_(s.texels),
        texPitch_(static_cast<size_t>(s.texPitch)),
        uMask_(s.texWidth - 1),
        vMask_(s.texHeight - 1),
        colourFromTexture_(sh.colourFromTexture),
        colourMul_(!sh.colourMulIsOne),
        alphaFromTexture_(sh.alphaFromTexture),
        alphaMul_(!sh.alphaMulIsOne),
        depthWrite_(s.depthWrite),
        plain_(!kFog && !kBlend && sh.colourFromTexture && sh.colourMulIsOne && sh.alphaFromTexture &&
               sh.alphaMulIsOne),
        passOpaque_(PassMask(s, 255)),
        passClear_(PassMask(s, 0)),
        invert_(s.alphaInvert ? _mm_set1_epi32(-1) : _mm_setzero_si128()),
        alphaLow_(_mm_set1_epi32(static_cast<int32_t>(s.alphaLow))),
        alphaHigh_(_mm_set1_epi32(static_cast<int32_t>(s.alphaLow + s.alphaSpan))),
        cr_(_mm_set1_epi32(static_cast<int32_t>(Channel(sh.colour, 16)))),
        cg_(_mm_set1_epi32(static_cast<int32_t>(Channel(sh.colour, 8)))),
        cb_(_mm_set1_epi32(static_cast<int32_t>(Channel(sh.colour, 0)))),
        ca_(_mm_set1_epi32(static_cast<int32_t>(sh.alpha))),
        fr_(_mm_set1_epi32(static_cast<int32_t>(Channel(s.fogColour, 16)))),
        fg_(_mm_set1_epi32(static_cast<int32_t>(Channel(s.fogColour, 8)))),
        fb_(_mm_set1_epi32(static_cast<int32_t>(Channel(s.fogColour, 0)))),
        uMaskLanes_(_mm_set1_epi32(uMask_)),
        vMaskLanes_(_mm_set1_epi32(vMask_)),
        pitchLanes_(_mm_set1_epi32(static_cast<int32_t>(1u | texPitch_ << 16))) {}

  // Whether the span of this triangle can take this path.
  static bool Suits(const PSoft3DDevice::Setup& s) { return !kBlend || s.standardBlend; }

  // The first count (1 to 4) of the four pixels are the span's; the others are left as they are.
  void Draw(const LaneValues& v, int32_t count, uint16_t* row, uint16_t* depthRow) const {
    const __m128i depth = _mm_load_si128(reinterpret_cast<const __m128i*>(v.depth));
    const __m128i oldDepth = OldDepth(depthRow);
    const __m128i pass = DepthPass(depth, oldDepth, count);
    if (_mm_movemask_epi8(pass) == 0) return;
    const __m128i texel = Fetch(_mm_load_si128(reinterpret_cast<const __m128i*>(v.tu)),
                                _mm_load_si128(reinterpret_cast<const __m128i*>(v.tv)));
    if (plain_) return DrawPlain(pass, depth, oldDepth, texel, row, depthRow);
    __m128i r, g, b, a;
    Channels(texel, r, g, b, a);
    Finish(v, pass, depth, oldDepth, r, g, b, a, row, depthRow);
  }

  // Whether the texture's colour and alpha reach the target as they are (see plain_).
  bool Plain() const { return plain_; }
  // Draw for a plain texture, from the depth and texture coordinates in registers (see
  // SpanLanes::NextPoint). Always inlined, as it is the common span's whole work.
  __attribute__((always_inline)) void DrawPlainPoint(__m128i depth, __m128i tu, __m128i tv, int32_t count,
                                                     uint16_t* row, uint16_t* depthRow) const {
    const __m128i oldDepth = OldDepth(depthRow);
    const __m128i pass = DepthPass(depth, oldDepth, count);
    if (_mm_movemask_epi8(pass) == 0) return;
    DrawPlain(pass, depth, oldDepth, Fetch(tu, tv), row, depthRow);
  }

  // The point-sampled texels of four texture coordinates (in 1/256 texel, wrapped), one a
  // lane. A texel's place in the texture, v * pitch + u, is one multiply-add of 16-bit halves:
  // the texture's side, and so v and its pitch in texels (the side rounded up to two), stay
  // below 2^15, and the sum below 2^31.
  static_assert(PSoft3DDevice::kMaxTextureSide < 16384);
  __m128i Fetch(__m128i tu, __m128i tv) const {
    const __m128i tx = _mm_and_si128(_mm_srai_epi32(tu, 8), uMaskLanes_);
    const __m128i ty = _mm_and_si128(_mm_srai_epi32(tv, 8), vMaskLanes_);
    alignas(16) int32_t at[4];
    const __m128i place = _mm_madd_epi16(_mm_or_si128(tx, _mm_slli_epi32(ty, 16)), pitchLanes_);
    _mm_store_si128(reinterpret_cast<__m128i*>(at), place);
    __m128i texel = _mm_cvtsi32_si128(texels_[at[0]]);
    texel = _mm_insert_epi16(texel, texels_[at[1]], 2);
    texel = _mm_insert_epi16(texel, texels_[at[2]], 4);
    return _mm_insert_epi16(texel, texels_[at[3]], 6);
  }

  // Four texels of a plain texture (see plain_) written where they pass: each texel's five
  // bits of red and blue are the target's, and green's sixth bit repeats its top bit, as
  // widening to eight bits and narrowing again does.
  void DrawPlain(__m128i pass, __m128i depth, __m128i oldDepth, __m128i texel, uint16_t* row,
                 uint16_t* depthRow) const {
    const __m128i opaque = _mm_srai_epi32(_mm_slli_epi32(texel, 16), 31);
    pass = _mm_and_si128(pass, Select(opaque, passOpaque_, passClear_));
    const int passing = _mm_movemask_epi8(pass);
    if (passing == 0) return;
    const __m128i pixel =
        _mm_or_si128(_mm_or_si128(_mm_slli_epi32(_mm_and_si128(texel, _mm_set1_epi32(0x7FE0)), 1),
                                  _mm_and_si128(_mm_srli_epi32(texel, 4), _mm_set1_epi32(0x20))),
                     _mm_and_si128(texel, _mm_set1_epi32(0x1F)));
    if (passing == 0xFFFF) {  // all four written: what was there is not needed
      _mm_storel_epi64(reinterpret_cast<__m128i*>(row), Narrow(pixel));
      if (depthWrite_) _mm_storel_epi64(reinterpret_cast<__m128i*>(depthRow), Narrow(depth));
      return;
    }
    const __m128i old = _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row)), _mm_setzero_si128());
    _mm_storel_epi64(reinterpret_cast<__m128i*>(row), Narrow(Select(pass, pixel, old)));
    if (depthWrite_) _mm_storel_epi64(reinterpret_cast<__m128i*>(depthRow), Narrow(Select(pass, depth, oldDepth)));
  }
  // All lanes set where an alpha passes the triangle's alpha test, none where it fails.
  static __m128i PassMask(const PSoft3DDevice::Setup& s, uint32_t alpha) {
    const bool passes = ((alpha - s.alphaLow) <= s.alphaSpan) != s.alphaInvert;
    return passes ? _mm_set1_epi32(-1) : _mm_setzero_si128();
  }

  // Four pixels of an untextured span: the triangle's own colour and alpha.
  void DrawFlat(const LaneValues& v, int32_t count, uint16_t* row, uint16_t* depthRow) const {
    const __m128i depth = _mm_load_si128(reinterpret_cast<const __m128i*>(v.depth));
    const __m128i oldDepth = OldDepth(depthRow);
    const __m128i pass = DepthPass(depth, oldDepth, count);
    if (_mm_movemask_epi8(pass) == 0) return;
    const __m128i none = _mm_setzero_si128();
    Finish(v, pass, depth, oldDepth, none, none, none, none, row, depthRow);
  }

  // The same four pixels, each of them magnified and filtered: the four texels round each
  // sample lerped channel by channel as the one-pixel loop lerps them (rounded down). A pair of
  // neighbouring texels is lerped across in one multiply-add. Where the four samples fall in
  // the same four texels (a texture magnified several times over, as the sky and the ground
  // below the battlefield are), their channels are made once and kept for the groups after.
  // Always inlined: as a call it spills the span's registers at every group.
  __attribute__((always_inline)) void DrawBilinear(const LaneValues& v, int32_t count, uint16_t* row,
                                                   uint16_t* depthRow) {
    const __m128i depth = _mm_load_si128(reinterpret_cast<const __m128i*>(v.depth));
    const __m128i oldDepth = OldDepth(depthRow);
    const __m128i pass = DepthPass(depth, oldDepth, count);
    if (_mm_movemask_epi8(pass) == 0) return;

    // From the texel centres: the fractions in the lanes, the whole texels for the addresses.
    const __m128i half = _mm_set1_epi32(128), byte = _mm_set1_epi32(255), whole = _mm_set1_epi32(256);
    const __m128i fu = _mm_sub_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(v.tu)), half);
    const __m128i fv = _mm_sub_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(v.tv)), half);
    const __m128i iu = _mm_srai_epi32(fu, 8), iv = _mm_srai_epi32(fv, 8);
    const int32_t u0 = _mm_cvtsi128_si32(iu), v0 = _mm_cvtsi128_si32(iv);
    const bool oneCell = _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi32(iu, _mm_set1_epi32(u0)),
                                                         _mm_cmpeq_epi32(iv, _mm_set1_epi32(v0)))) == 0xFFFF;
    __m128i out[4];  // r, g, b, a
    if (oneCell) {
      if (!cell_.valid || cell_.u != u0 || cell_.v != v0) LoadCell(u0, v0);
      if (cell_.flat) {
        // Four equal texels lerp to themselves whatever the fractions: the cell's shading was
        // found when it was loaded, and a texture magnified many times over (the sky, the
        // ground plane) draws most of its groups from such cells.
        if (cell_.rejected) return;
        if (cell_.solid) {
          if (count == 4 && kDepth == kDepthAlways) {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(row), cell_.packed);
          } else {
            const __m128i old = _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row)),
                                                   _mm_setzero_si128());
            _mm_storel_epi64(reinterpret_cast<__m128i*>(row), Narrow(Select(pass, cell_.pixel, old)));
          }
          if (depthWrite_)
            _mm_storel_epi64(reinterpret_cast<__m128i*>(depthRow), Narrow(Select(pass, depth, oldDepth)));
          return;
        }
        for (int ch = 0; ch < 4; ++ch) out[ch] = _mm_srli_epi32(cell_.top[ch], 16);
        Finish(v, pass, depth, oldDepth, out[0], out[1], out[2], out[3], row, depthRow);
        return;
      }
    }
    const __m128i fx = _mm_and_si128(fu, byte), fy = _mm_and_si128(fv, byte);
    const __m128i gy = _mm_sub_epi32(whole, fy);
    // The weights of a pair's left texel (low half) and right texel (high half).
    const __m128i wx = _mm_or_si128(_mm_sub_epi32(whole, fx), _mm_slli_epi32(fx, 16));
    if (oneCell) {
      LerpPairs(cell_.top, cell_.bottom, cell_.opaque, wx, fy, gy, out);
    } else {
      // Each lane's top and bottom pairs of texels: one load a pair where the right texel
      // follows the left in memory, and the lanes are put together in registers (a vector
      // read back from narrower stores would stall).
      alignas(16) int32_t u[4], w[4];
      _mm_store_si128(reinterpret_cast<__m128i*>(u), iu);
      _mm_store_si128(reinterpret_cast<__m128i*>(w), iv);
      uint32_t top[4], bottom[4];
      for (int i = 0; i < 4; ++i) {
        const int32_t xa = u[i] & uMask_;
        top[i] = Pair(texels_ + static_cast<size_t>(w[i] & vMask_) * texPitch_, xa);
        bottom[i] = Pair(texels_ + static_cast<size_t>((w[i] + 1) & vMask_) * texPitch_, xa);
      }
      const __m128i topPairs = Lanes(top), bottomPairs = Lanes(bottom);
      __m128i t[4], b[4];
      PairChannels(topPairs, t);
      PairChannels(bottomPairs, b);
      LerpPairs(t, b, Opaque(topPairs, bottomPairs), wx, fy, gy, out);
    }
    Finish(v, pass, depth, oldDepth, out[0], out[1], out[2], out[3], row, depthRow);
  }

  // A run of whole groups, all filtered from the cells of the range, drawn at once where every
  // texel of those cells is the same and so shades every pixel alike: nothing where it fails
  // the alpha test, one colour where it covers what is there. False (nothing drawn)
  // otherwise. For spans that neither test nor write depth.
  bool DrawRun(const CellRange& cells, uint16_t* row, int32_t pixels) {
    if (!cell_.valid || cell_.u != cells.uLow || cell_.v != cells.vLow) LoadCell(cells.uLow, cells.vLow);
    if (!cell_.flat) return false;
    if (!cell_.rejected && !cell_.solid) return false;
    if ((cells.uHigh != cells.uLow || cells.vHigh != cells.vLow) && !AllTexels(cells, Texel(cells.uLow, cells.vLow)))
      return false;
    if (!cell_.rejected) std::fill(row, row + pixels, static_cast<uint16_t>(_mm_cvtsi128_si32(cell_.pixel)));
    return true;
  }

  // How many cells on from cell (u, v), along u (axis 0) or v (axis 1) one way (way +1 or
  // -1), have four texels all equal to those of (u, v), themselves all equal; at most
  // kSameCells. Tells a span how far a run may reach.
  int32_t SameCells(int32_t u, int32_t v, int axis, int way) {
    if (!cell_.valid || cell_.u != u || cell_.v != v) LoadCell(u, v);
    if (!cell_.flat || (!cell_.rejected && !cell_.solid)) return 0;
    const uint16_t texel = Texel(u, v);
    // The line of texel pairs across the axis that the next cell adds.
    int32_t line = way > 0 ? (axis == 0 ? u : v) + 2 : (axis == 0 ? u : v) - 1;
    int32_t same = 0;
    for (; same < kSameCells; ++same, line += way) {
      const bool equal = axis == 0 ? Texel(line, v) == texel && Texel(line, v + 1) == texel
                                   : Texel(u, line) == texel && Texel(u + 1, line) == texel;
      if (!equal) break;
    }
    return same;
  }

 private:
  static constexpr int32_t kSameCells = 64;
  // The most texels a run's cells are compared over: a run over more is not drawn at once.
  static constexpr int32_t kMostTexels = 1024;

  uint16_t Texel(int32_t u, int32_t v) const {
    return texels_[static_cast<size_t>(v & vMask_) * texPitch_ + static_cast<size_t>(u & uMask_)];
  }
  // Whether every texel of the cells is texel.
  bool AllTexels(const CellRange& cells, uint16_t texel) const {
    const int32_t columns = std::min(cells.uHigh - cells.uLow + 2, uMask_ + 1);
    const int32_t lines = std::min(cells.vHigh - cells.vLow + 2, vMask_ + 1);
    if (columns * lines > kMostTexels) return false;
    for (int32_t v = cells.vLow; v < cells.vLow + lines; ++v) {
      const uint16_t* line = texels_ + static_cast<size_t>(v & vMask_) * texPitch_;
      for (int32_t u = cells.uLow; u < cells.uLow + columns; ++u)
        if (line[u & uMask_] != texel) return false;
    }
    return true;
  }

  // The four texels of a cell, as channels of its top and bottom pairs (see PairChannels).
  struct Cell {
    bool valid = false;
    bool flat = false;    // all four texels the same
    bool opaque = false;  // all four texels opaque
    // Of a flat cell: no pixel passes the alpha test; or every pixel that passes it comes out
    // as pixel (unfogged, and opaque where blended).
    bool rejected = false;
    bool solid = false;
    __m128i pixel = {};
    __m128i packed = {};  // the four pixels as the row holds them
    int32_t u = 0, v = 0;
    __m128i top[4] = {}, bottom[4] = {};
  };

  void LoadCell(int32_t u, int32_t v) {
    const int32_t xa = u & uMask_;
    const uint32_t top = Pair(texels_ + static_cast<size_t>(v & vMask_) * texPitch_, xa);
    const uint32_t bottom = Pair(texels_ + static_cast<size_t>((v + 1) & vMask_) * texPitch_, xa);
    const __m128i topPairs = _mm_set1_epi32(static_cast<int32_t>(top));
    const __m128i bottomPairs = _mm_set1_epi32(static_cast<int32_t>(bottom));
    PairChannels(topPairs, cell_.top);
    PairChannels(bottomPairs, cell_.bottom);
    cell_.opaque = Opaque(topPairs, bottomPairs);
    cell_.flat = top == bottom && (top >> 16) == (top & 0xFFFFu);
    cell_.rejected = cell_.solid = false;
    if (cell_.flat) {
      __m128i c[4];
      for (int ch = 0; ch < 4; ++ch) c[ch] = _mm_srli_epi32(cell_.top[ch], 16);
      cell_.rejected = _mm_movemask_epi8(Shade(c[0], c[1], c[2], c[3])) == 0;
      const bool opaque = _mm_cvtsi128_si32(c[3]) == 255;
      cell_.solid = !cell_.rejected && !kFog && (!kBlend || opaque);
      cell_.pixel = Pack(c[0], c[1], c[2]);
      cell_.packed = Narrow(cell_.pixel);
    }
    cell_.u = u;
    cell_.v = v;
    cell_.valid = true;
  }

  // Whether all sixteen texels of four lanes' pairs are opaque: they lerp to alpha 255.
  static bool Opaque(__m128i topPairs, __m128i bottomPairs) {
    const __m128i bothOpaque = _mm_set1_epi32(static_cast<int32_t>(0x80008000u));
    return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(_mm_and_si128(topPairs, bottomPairs), bothOpaque),
                                             bothOpaque)) == 0xFFFF;
  }

  // A pair of 1555 texels a lane (left in the low half) as four registers of channel pairs
  // widened to eight bits, red, green, blue and alpha (0 or 255).
  static void PairChannels(__m128i pairs, __m128i (&c)[4]) {
    const __m128i five = _mm_set1_epi16(31);
    c[0] = Widen5Pairs(_mm_and_si128(_mm_srli_epi16(pairs, 10), five));
    c[1] = Widen5Pairs(_mm_and_si128(_mm_srli_epi16(pairs, 5), five));
    c[2] = Widen5Pairs(_mm_and_si128(pairs, five));
    c[3] = _mm_and_si128(_mm_srai_epi16(pairs, 15), _mm_set1_epi16(255));
  }
  static __m128i Widen5Pairs(__m128i c) { return _mm_or_si128(_mm_slli_epi16(c, 3), _mm_srli_epi16(c, 2)); }

  // Across each pair by its weights (left * (256 - fx) + right * fx, rounded down, in one
  // multiply-add: every term is below 2^15), then down between the top and bottom results.
  static void LerpPairs(const __m128i (&top)[4], const __m128i (&bottom)[4], bool opaque, __m128i wx, __m128i fy,
                        __m128i gy, __m128i (&out)[4]) {
    for (int ch = 0; ch < 4; ++ch) {
      if (ch == 3 && opaque) {
        out[ch] = _mm_set1_epi32(255);
        break;
      }
      const __m128i t = _mm_srli_epi32(_mm_madd_epi16(top[ch], wx), 8);
      const __m128i b = _mm_srli_epi32(_mm_madd_epi16(bottom[ch], wx), 8);
      out[ch] = Lerp(t, b, gy, fy);
    }
  }

  // Four values put together register to register.
  static __m128i Lanes(const uint32_t (&x)[4]) {
    const __m128i ab = _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int32_t>(x[0])),
                                          _mm_cvtsi32_si128(static_cast<int32_t>(x[1])));
    const __m128i cd = _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int32_t>(x[2])),
                                          _mm_cvtsi32_si128(static_cast<int32_t>(x[3])));
    return _mm_unpacklo_epi64(ab, cd);
  }
  // Texels x and x + 1 (wrapping) of a row: x in the low half, its right neighbour in the high.
  uint32_t Pair(const uint16_t* row, int32_t x) const {
    if (x != uMask_) {
      uint32_t pair;
      std::memcpy(&pair, row + x, sizeof(pair));  // little-endian, as every SSE2 machine is
      return pair;
    }
    return static_cast<uint32_t>(row[x]) | static_cast<uint32_t>(row[0]) << 16;
  }
  // The depths there, read only where they are tested or written over (a backdrop drawn
  // without either leaves the depth buffer out of the caches).
  __m128i OldDepth(const uint16_t* depthRow) const {
    if (kDepth == kDepthAlways && !depthWrite_) return _mm_setzero_si128();
    return _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(depthRow)), _mm_setzero_si128());
  }
  // The span's pixels of the four that pass the depth test.
  static __m128i DepthPass(__m128i depth, __m128i oldDepth, int32_t count) {
    __m128i pass = _mm_cmpgt_epi32(_mm_set1_epi32(count), _mm_setr_epi32(0, 1, 2, 3));
    if constexpr (kDepth == kDepthLessEqual) pass = _mm_andnot_si128(_mm_cmpgt_epi32(depth, oldDepth), pass);
    return pass;
  }
  // A 1555 texel's channels widened to eight bits: alpha 0 or 255.
  static void Channels(__m128i texel, __m128i& r, __m128i& g, __m128i& b, __m128i& a) {
    const __m128i five = _mm_set1_epi32(31);
    r = Widen5(_mm_and_si128(_mm_srli_epi32(texel, 10), five));
    g = Widen5(_mm_and_si128(_mm_srli_epi32(texel, 5), five));
    b = Widen5(_mm_and_si128(texel, five));
    const __m128i bit = _mm_srli_epi32(texel, 15);
    a = _mm_sub_epi32(_mm_slli_epi32(bit, 8), bit);
  }
  // (p0 * (256 - f) + p1 * f) >> 8 per lane: the products stay below 65536.
  static __m128i Lerp(__m128i p0, __m128i p1, __m128i inverse, __m128i f) {
    return _mm_srli_epi32(_mm_add_epi32(_mm_mullo_epi16(p0, inverse), _mm_mullo_epi16(p1, f)), 8);
  }

  // The texture's colour and alpha through the stage's operation; the lanes that pass the
  // alpha test.
  __m128i Shade(__m128i& r, __m128i& g, __m128i& b, __m128i& a) const {
    if (colourFromTexture_) {
      if (colourMul_) {
        r = Div255(_mm_mullo_epi16(r, cr_));
        g = Div255(_mm_mullo_epi16(g, cg_));
        b = Div255(_mm_mullo_epi16(b, cb_));
      }
    } else {
      r = cr_;
      g = cg_;
      b = cb_;
    }
    if (alphaFromTexture_) {
      if (alphaMul_) a = Div255(_mm_mullo_epi16(a, ca_));
    } else {
      a = ca_;
    }
    // The alpha test: inside [low, high], unless inverted.
    const __m128i inside = _mm_andnot_si128(_mm_or_si128(_mm_cmplt_epi32(a, alphaLow_), _mm_cmpgt_epi32(a, alphaHigh_)),
                                            _mm_set1_epi32(-1));
    return _mm_xor_si128(inside, invert_);
  }

  // The texture's colour and alpha through the stage's operation, the alpha test, fog and
  // blending, written where the tests pass.
  void Finish(const LaneValues& v, __m128i pass, __m128i depth, __m128i oldDepth, __m128i r, __m128i g, __m128i b,
              __m128i a, uint16_t* row, uint16_t* depthRow) const {
    const __m128i zero = _mm_setzero_si128();
    const __m128i five = _mm_set1_epi32(31);
    pass = _mm_and_si128(pass, Shade(r, g, b, a));
    if (_mm_movemask_epi8(pass) == 0) return;

    if constexpr (kFog) {
      const __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(v.fog));
      const __m128i rest = _mm_sub_epi32(_mm_set1_epi32(256), k);
      r = _mm_srli_epi32(_mm_add_epi32(_mm_mullo_epi16(r, k), _mm_mullo_epi16(fr_, rest)), 8);
      g = _mm_srli_epi32(_mm_add_epi32(_mm_mullo_epi16(g, k), _mm_mullo_epi16(fg_, rest)), 8);
      b = _mm_srli_epi32(_mm_add_epi32(_mm_mullo_epi16(b, k), _mm_mullo_epi16(fb_, rest)), 8);
    }
    const __m128i old = _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row)), zero);
    // Source alpha over the target, rounded per channel as the one-pixel loop does; an
    // opaque source comes out as it is by the same sum, so four opaque pixels skip it.
    if (kBlend && _mm_movemask_epi8(_mm_cmpeq_epi32(a, _mm_set1_epi32(255))) != 0xFFFF) {
      const __m128i inverse = _mm_sub_epi32(_mm_set1_epi32(255), a);
      const __m128i dr = Widen5(_mm_srli_epi32(old, 11));
      const __m128i dg = Widen6(_mm_and_si128(_mm_srli_epi32(old, 5), _mm_set1_epi32(63)));
      const __m128i db = Widen5(_mm_and_si128(old, five));
      r = Over(r, dr, a, inverse);
      g = Over(g, dg, a, inverse);
      b = Over(b, db, a, inverse);
    }
    _mm_storel_epi64(reinterpret_cast<__m128i*>(row), Narrow(Select(pass, Pack(r, g, b), old)));
    if (depthWrite_) _mm_storel_epi64(reinterpret_cast<__m128i*>(depthRow), Narrow(Select(pass, depth, oldDepth)));
  }

  // Eight-bit channels to RGB565.
  static __m128i Pack(__m128i r, __m128i g, __m128i b) {
    return _mm_or_si128(
        _mm_or_si128(_mm_slli_epi32(_mm_srli_epi32(r, 3), 11), _mm_slli_epi32(_mm_srli_epi32(g, 2), 5)),
        _mm_srli_epi32(b, 3));
  }
  static __m128i Widen5(__m128i c) { return _mm_or_si128(_mm_slli_epi32(c, 3), _mm_srli_epi32(c, 2)); }
  static __m128i Widen6(__m128i c) { return _mm_or_si128(_mm_slli_epi32(c, 2), _mm_srli_epi32(c, 4)); }
  // Rounded x / 255 as the scalar Div255, for x below 65536 - 256.
  static __m128i Div255(__m128i x) {
    x = _mm_add_epi32(x, _mm_set1_epi32(128));
    return _mm_srli_epi32(_mm_add_epi32(x, _mm_srli_epi32(x, 8)), 8);
  }
  static __m128i Over(__m128i source, __m128i dest, __m128i a, __m128i inverse) {
    const __m128i x = _mm_add_epi32(_mm_add_epi32(_mm_mullo_epi16(source, a), _mm_mullo_epi16(dest, inverse)),
                                    _mm_set1_epi32(128));
    return _mm_srli_epi32(_mm_add_epi32(x, _mm_srli_epi32(x, 8)), 8);
  }
  static __m128i Select(__m128i mask, __m128i yes, __m128i no) {
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
  }
  // Four 32-bit lanes holding 16-bit values to four 16-bit values in the low half.
  static __m128i Narrow(__m128i x) {
    x = _mm_srai_epi32(_mm_slli_epi32(x, 16), 16);
    return _mm_packs_epi32(x, x);
  }

  const uint16_t* texels_;
  size_t texPitch_;
  int32_t uMask_, vMask_;
  bool colourFromTexture_, colourMul_, alphaFromTexture_, alphaMul_, depthWrite_;
  // The texture's colour and alpha as they are, neither fogged nor blended: a texel goes
  // straight to the target's format, and its alpha (0 or 255) passes the test or not as
  // passOpaque_ and passClear_ say.
  bool plain_;
  __m128i passOpaque_, passClear_;
  __m128i invert_, alphaLow_, alphaHigh_;
  __m128i cr_, cg_, cb_, ca_;
  __m128i fr_, fg_, fb_;
  Cell cell_;  // the cell of the last group that fell in one
  __m128i uMaskLanes_, vMaskLanes_;
  __m128i pitchLanes_;  // 1 and the pitch in 16-bit halves: a texel's place in one multiply-add (see Fetch)
};
#endif

// The rows of one triangle: its edges and attribute planes, from its top corner a.
struct Rows {
  uint8_t* target;
  size_t pitch;  // in bytes
  uint16_t* depth;
  int32_t width;
  int32_t y0, y1;
  double ax, ay, by, bx;
  double slopeAC, slopeAB, slopeBC;
  bool shortEdgesLeft;
  float axf, ayf, az, aq, as, at;
  float dzdy, dqdy, dsdy, dtdy;
};

// Draws a triangle row by row; one call per triangle, so that the state is read into
// registers once and not once per row.
template <class Pixel, int kTex, bool kBlend, bool kFog, int kDepth>
void DrawRows(const PSoft3DDevice::Setup& s, const Shading& sh, const Rows& rows, Band band) {
  using Format = TargetFormat<Pixel>;
  constexpr int kFilter = kTex & kFilterMask;
  constexpr bool kPow2 = (kTex & kAnySize) == 0;
  constexpr bool kPlain = (kTex & kPlainTexture) != 0;
  const Spread1555& spread = SpreadTable();
  const Spread565& spread565 = Spread565Table();

  // Everything the pixels read, in locals: the stores into the rows would otherwise make
  // the compiler read them again for every pixel.
  const uint16_t* const texels = s.texels;
  const size_t texPitch = static_cast<size_t>(s.texPitch);
  const int32_t texWidth = s.texWidth, texHeight = s.texHeight;
  const bool magLinear = s.magLinear, minLinear = s.minLinear;
  const float magnifyBelow = sh.magnifyBelow;
  const uint32_t depthFunc = s.depthFunc;
  const bool depthWrite = kPlain || s.depthWrite;
  // Neither tested nor written (a backdrop over a cleared depth buffer): no depth is found.
  const bool withDepth = kDepth != kDepthAlways || depthWrite;
  const uint32_t alphaLow = s.alphaLow, alphaSpan = s.alphaSpan;
  const bool alphaInvert = s.alphaInvert;
  const bool standardBlend = s.standardBlend;
  const uint32_t srcBlend = s.srcBlend, destBlend = s.destBlend;
  const bool colourFromTexture = kPlain || sh.colourFromTexture;
  const bool alphaFromTexture = kPlain || sh.alphaFromTexture;
  const bool colourMulIsOne = kPlain || sh.colourMulIsOne, alphaMulIsOne = kPlain || sh.alphaMulIsOne;
  const uint32_t cr = Channel(sh.colour, 16), cg = Channel(sh.colour, 8), cb = Channel(sh.colour, 0);
  const uint32_t ca = sh.alpha;
  const uint64_t constColour = SpreadRGB(cr, cg, cb);
  const uint64_t fogColour =
      SpreadRGB(Channel(s.fogColour, 16), Channel(s.fogColour, 8), Channel(s.fogColour, 0));
  const float dz = sh.dz, dq = sh.dq;

  const float ds = sh.ds, dt = sh.dt;
  const float scaleU = s.texScaleU, scaleV = s.texScaleV;
  const float fogEnd = s.fogEnd, fogScale = s.fogScale;

  const double ax = rows.ax, ay = rows.ay, bx = rows.bx, by = rows.by;
  const double slopeAC = rows.slopeAC, slopeAB = rows.slopeAB, slopeBC = rows.slopeBC;
  const bool shortEdgesLeft = rows.shortEdgesLeft;
  const int32_t width = rows.width;
  // A solid colour drawn over whatever is there: the spans are plain fills (the alpha test
  // gives the same answer for every pixel), and the depth, when written, is the plane's.
  constexpr bool kSolid = kFilter == kUntextured && !kFog && !kBlend && kDepth == kDepthAlways;
  if constexpr (kSolid) {
    if (((ca - alphaLow) <= alphaSpan) == alphaInvert) return;
  }
  const Pixel solid = Format::MakeSpread(constColour);
#if defined(TARVANE_SSE2_SPANS)
  // Whole groups of four pixels of the common spans go the branch-free way.
  // (Bilinear where magnified goes this way for the groups whose four pixels are all point
  // sampled, the far part of the ground, or all filtered, the near part.)
  // (An untextured span goes this way too, unless it is a plain fill.)
  constexpr bool kQuads = sizeof(Pixel) == 2 && !kSolid &&
                          (kFilter == kUntextured || kFilter == kPointOnly || kFilter == kByScale) && kPow2 &&
                          (kDepth == kDepthLessEqual || kDepth == kDepthAlways);
  QuadShader<kFog, kBlend, kDepth> quads(s, sh);
  const bool useQuads =
      kQuads && QuadShader<kFog, kBlend, kDepth>::Suits(s) && gWideSpans.load(std::memory_order_relaxed);
  // A texture magnified many times over behind everything (the sky, the ground plane below the
  // battlefield) is drawn run by run where the runs fall in cells whose texels are all the same.
  constexpr bool kRuns = kQuads && kFilter == kByScale && kDepth == kDepthAlways && !kFog;
  const bool runs = kRuns && useQuads && magLinear && !depthWrite;
  // A point-sampled texture that reaches the target as it is (the terrain, and the backdrop
  // behind it) keeps each group's values in registers from the attributes to the pixels.
  constexpr bool kPlainPoints = kQuads && kFilter == kPointOnly && !kFog && !kBlend;
  const bool plainPoints = kPlainPoints && useQuads && quads.Plain();
#else
  constexpr bool runs = false;
#endif
  // Pixels whose centre lies in [left, right) on row y.
  auto span = [&](int32_t y, int32_t& left, int32_t& right) {
    double yc = y;
    double longX = ax + (yc - ay) * slopeAC;
    double shortX = yc < by ? ax + (yc - ay) * slopeAB : bx + (yc - by) * slopeBC;
    left = CeilInto(shortEdgesLeft ? shortX : longX, width);
    right = CeilInto(shortEdgesLeft ? longX : shortX, width);
  };
  int32_t y = FirstRow(rows.y0, band);
  int32_t nextX0 = 0, nextX1 = 0;
  if (y < rows.y1) span(y, nextX0, nextX1);
  // (The next row is found once a row, and kept for the step to it.)
  for (int32_t next = 0; y < rows.y1; y = next) {
    const int32_t x0 = nextX0, x1 = nextX1;
    // The next row's span is found now, and its pixels and depth asked of the memory while
    // this row is drawn: a small triangle's rows are each a line of the target not yet read.
    next = NextRow(y, band);
    if (next < rows.y1) {
      span(next, nextX0, nextX1);
      if (nextX0 < nextX1) {
        const size_t first = static_cast<size_t>(nextX0);
        __builtin_prefetch(rows.target + static_cast<size_t>(next) * rows.pitch + first * sizeof(Pixel), 1);
        if (withDepth)
          __builtin_prefetch(rows.depth + static_cast<size_t>(next) * static_cast<size_t>(width) + first, 1);
      }
    }
    if (x0 >= x1) continue;
    // The attributes at the first pixel, from corner a; single precision is plenty here,
    // and anything out of range is held in range where it is used.
    float fx = static_cast<float>(x0) - rows.axf, py = static_cast<float>(y) - rows.ayf;
    float z = rows.az + fx * dz + py * rows.dzdy;
    float q = rows.aq + fx * dq + py * rows.dqdy;
    float su = 0, sv = 0;
    if constexpr (kFilter != kUntextured) {
      su = rows.as + fx * ds + py * rows.dsdy;
      sv = rows.at + fx * dt + py * rows.dtdy;
    }
    Pixel* row = reinterpret_cast<Pixel*>(rows.target + static_cast<size_t>(y) * rows.pitch);
    uint16_t* depthRow = rows.depth + static_cast<size_t>(y) * static_cast<size_t>(width);
    if constexpr (kSolid) {
      std::fill(row + x0, row + x1, solid);
      if (!depthWrite) continue;
    }
    SpanLanes lanes(z, q, su, sv, dz, dq, ds, dt);
    lanes.closable = runs;
    LaneValues v{};
#if defined(TARVANE_SSE2_SPANS)
    int32_t runWait = 0;  // groups before the next try at a run
#endif
    for (int32_t group = x0; group < x1; group += 4) {
#if defined(TARVANE_SSE2_SPANS)
      if constexpr (kRuns) {
        if (runs && --runWait < 0) {
          const int32_t room = std::min(lanes.RunRoom(), (x1 - group) >> 2);
          const auto same = [&quads](int32_t u, int32_t w, int axis, int way) {
            return quads.SameCells(u, w, axis, way);
          };
          int32_t count = room >= 2 ? lanes.CellGroups(room, scaleU, scaleV, same) : 0;
          CellRange cells{};
          bool proven = false, drawn = false;
          auto oneCell = [&cells] { return cells.uLow == cells.uHigh && cells.vLow == cells.vHigh; };
          auto tryRun = [&] {
            proven = lanes.RunCells(count, scaleU, scaleV, cells);
            drawn = proven && quads.DrawRun(cells, reinterpret_cast<uint16_t*>(row) + group, count * 4);
          };
          if (count >= 2) tryRun();
          // The guess went too far (beyond the cells alike to the first): half of it.
          if (!drawn && count >= 4 && !(proven && oneCell())) {
            count /= 2;
            tryRun();
          }
          if (drawn) {
            lanes.Skip(count);
            group += (count - 1) * 4;
            // Stopped short of the room at the edge: the next group holds it.
            if (count < room) runWait = 1;
            continue;
          }
          // A cell of unequal texels: its groups are drawn one by one.
          if (proven && oneCell()) runWait = count - 1;
          else if (count >= 2) runWait = 1;
        }
      }
#endif
#if defined(TARVANE_SSE2_SPANS)
      if constexpr (kPlainPoints) {
        if (plainPoints && group + 4 <= width) {
          __m128i depth, tu, tv;
          lanes.NextPoint(depth, tu, tv, scaleU, scaleV, withDepth, (x1 - group - 1) >> 2);
          quads.DrawPlainPoint(depth, tu, tv, std::min(4, x1 - group), reinterpret_cast<uint16_t*>(row) + group,
                               depthRow + group);
          continue;
        }
      }
#endif
      lanes.Next<kFilter != kUntextured, kFog, kFilter == kByScale>(v, scaleU, scaleV, fogEnd, fogScale,
                                                                    magnifyBelow, withDepth, (x1 - group - 1) >> 2);
      const int32_t groupEnd = std::min(group + 4, x1);
      // The pixels filtered, bit i for pixel i.
      int linear = 0;
      if constexpr (kFilter == kByScale) linear = (magLinear ? v.magnified : 0) | (minLinear ? ~v.magnified & 15 : 0);
#if defined(TARVANE_SSE2_SPANS)
      // The last group of a span may hold fewer than four of its pixels: the rest of the four,
      // still inside the target's row and drawn by no other thread, are written back as they
      // were.
      if constexpr (kQuads) {
        if (useQuads && group + 4 <= width) {
          const int32_t count = groupEnd - group;
          const int inside = (1 << count) - 1;
          if constexpr (kFilter == kUntextured) {
            quads.DrawFlat(v, count, reinterpret_cast<uint16_t*>(row) + group, depthRow + group);
            continue;
          }
          if ((linear & inside) == 0) {
            quads.Draw(v, count, reinterpret_cast<uint16_t*>(row) + group, depthRow + group);
            continue;
          }
          if ((linear & inside) == inside) {
            quads.DrawBilinear(v, count, reinterpret_cast<uint16_t*>(row) + group, depthRow + group);
            continue;
          }
        }
      }
#endif
      for (int32_t px = group; px < groupEnd; ++px) {
        const int32_t lane = px - group;
        uint16_t depth = static_cast<uint16_t>(v.depth[lane]);
        if constexpr (kSolid) {
          depthRow[px] = depth;
          continue;
        }
        if constexpr (kDepth == kDepthLessEqual) {
          if (depth > depthRow[px]) continue;
        } else if constexpr (kDepth == kDepthOther) {
          if (!Compare(depthFunc, depth, depthRow[px])) continue;
        }
        // The colour as blue, green and red in the low bytes of three 16-bit lanes, so that
        // fog and blending work on all three at once with the same rounding per channel.
        uint64_t c;
        uint32_t a;
        if constexpr (kFilter != kUntextured) {
          int32_t tu = v.tu[lane], tv = v.tv[lane];
          bool filtered;
          if constexpr (kFilter == kPointOnly) filtered = false;
          else if constexpr (kFilter == kBilinearOnly) filtered = true;
          else filtered = (linear >> lane) & 1;
          uint64_t texel;
          if (filtered) {
            int32_t fu = tu - 128, fv = tv - 128;  // from the texel centres
            uint64_t ax = static_cast<uint32_t>(fu) & 255, ay = static_cast<uint32_t>(fv) & 255;
            int32_t xa = Wrap(fu >> 8, texWidth, kPow2), xb = Wrap((fu >> 8) + 1, texWidth, kPow2);
            int32_t ya = Wrap(fv >> 8, texHeight, kPow2), yb = Wrap((fv >> 8) + 1, texHeight, kPow2);
            const uint16_t* row0 = texels + static_cast<size_t>(ya) * texPitch;
            const uint16_t* row1 = texels + static_cast<size_t>(yb) * texPitch;
            uint64_t top = Lerp64(Spread(spread, row0[xa]), Spread(spread, row0[xb]), ax);
            uint64_t bottom = Lerp64(Spread(spread, row1[xa]), Spread(spread, row1[xb]), ax);
            texel = Lerp64(top, bottom, ay);
          } else {
            int32_t tx = Wrap(tu >> 8, texWidth, kPow2), ty = Wrap(tv >> 8, texHeight, kPow2);
            uint16_t t = texels[static_cast<size_t>(ty) * texPitch + static_cast<size_t>(tx)];
            if constexpr (kPlain && !kFog && !kBlend && sizeof(Pixel) == 2) {
              // The texel as it is: its five bits of red and blue are the target's, and green's
              // sixth bit repeats its top bit, as widening to eight bits and narrowing again does.
              a = (t & 0x8000) ? 255 : 0;
              if (((a - alphaLow) <= alphaSpan) == alphaInvert) continue;
              row[px] = static_cast<Pixel>(((t & 0x7FE0u) << 1) | ((t >> 4) & 0x20u) | (t & 0x1Fu));
              depthRow[px] = depth;
              continue;
            }
            texel = Spread(spread, t);
          }
          c = texel & kLanesRGB;
          if (colourFromTexture) {
            if (!colourMulIsOne) {
              uint32_t r = Div255(static_cast<uint32_t>(c >> 32) * cr);
              uint32_t g = Div255(static_cast<uint32_t>(c >> 16 & 255) * cg);
              uint32_t b = Div255(static_cast<uint32_t>(c & 255) * cb);
              c = SpreadRGB(r, g, b);
            }
          } else {
            c = constColour;
          }
          a = static_cast<uint32_t>(texel >> 48);
          if (alphaFromTexture) {
            if (!alphaMulIsOne) a = Div255(a * ca);
          } else {
            a = ca;
          }
        } else {
          c = constColour;
          a = ca;
        }
        if (((a - alphaLow) <= alphaSpan) == alphaInvert) continue;
        if constexpr (kFog) {
          // Fraction k / 256 of the own colour: (end - distance) / (end - start). Per channel
          // this is fog + ((own - fog) * k >> 8), written without the negative difference.
          uint64_t k = static_cast<uint32_t>(v.fog[lane]);
          c = ((c * k + fogColour * (256 - k)) >> 8) & kLanesRGB;
        }
        if constexpr (kBlend) {
          if (standardBlend) {
            if (a != 255) {  // opaque under source-alpha blending: the source as it is
              // Per lane at most 255 * 255 + 128 + 254: the lanes never carry into each other.
              uint64_t x = c * a + ReadSpread(spread565, row[px]) * (255 - a) + kLanesHalf;
              c = ((x + ((x >> 8) & kLanesRGB)) >> 8) & kLanesRGB;
            }
          } else {
            uint64_t dest = ReadSpread(spread565, row[px]);
            uint32_t fs = BlendFactor(srcBlend, a), fd = BlendFactor(destBlend, a);
            uint32_t r = std::min<uint32_t>(255, Div255(static_cast<uint32_t>(c >> 32) * fs +
                                                        static_cast<uint32_t>(dest >> 32) * fd));
            uint32_t g = std::min<uint32_t>(255, Div255(static_cast<uint32_t>(c >> 16 & 255) * fs +
                                                        static_cast<uint32_t>(dest >> 16 & 255) * fd));
            uint32_t b = std::min<uint32_t>(255, Div255(static_cast<uint32_t>(c & 255) * fs +
                                                        static_cast<uint32_t>(dest & 255) * fd));
            c = SpreadRGB(r, g, b);
          }
        }
        row[px] = Format::MakeSpread(c);
        if (depthWrite) depthRow[px] = depth;
      }
    }
  }
}

using RowsFunction = void (*)(const PSoft3DDevice::Setup&, const Shading&, const Rows&, Band);

template <class Pixel, int kTex, bool kBlend, bool kFog>
RowsFunction PickDepth(int kind) {
  if (kind == kDepthAlways) return &DrawRows<Pixel, kTex, kBlend, kFog, kDepthAlways>;
  if (kind == kDepthLessEqual) return &DrawRows<Pixel, kTex, kBlend, kFog, kDepthLessEqual>;
  return &DrawRows<Pixel, kTex, kBlend, kFog, kDepthOther>;
}

template <class Pixel, int kTex>
RowsFunction PickBlendFog(bool blend, bool fog, int depth) {
  if (blend)
    return fog ? PickDepth<Pixel, kTex, true, true>(depth) : PickDepth<Pixel, kTex, true, false>(depth);
  return fog ? PickDepth<Pixel, kTex, false, true>(depth) : PickDepth<Pixel, kTex, false, false>(depth);
}

template <class Pixel, int kFilter>
RowsFunction PickSize(int tex, bool blend, bool fog, int depth) {
  switch (tex & (kAnySize | kPlainTexture)) {
    case 0: return PickBlendFog<Pixel, kFilter>(blend, fog, depth);
    case kAnySize: return PickBlendFog<Pixel, kFilter + kAnySize>(blend, fog, depth);
    case kPlainTexture: return PickBlendFog<Pixel, kFilter + kPlainTexture>(blend, fog, depth);
    default: return PickBlendFog<Pixel, kFilter + kAnySize + kPlainTexture>(blend, fog, depth);
  }
}

template <class Pixel>
RowsFunction ChooseRows(int tex, bool blend, bool fog, int depth) {
  switch (tex & kFilterMask) {
    case kPointOnly: return PickSize<Pixel, kPointOnly>(tex, blend, fog, depth);
    case kBilinearOnly: return PickSize<Pixel, kBilinearOnly>(tex, blend, fog, depth);
    case kByScale: return PickSize<Pixel, kByScale>(tex, blend, fog, depth);
    default: return PickBlendFog<Pixel, kUntextured>(blend, fog, depth);
  }
}

bool Finite(const PSoft3DDevice::Vertex& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.q);
}

// A triangle set up for its rows, or the state of the triangles after it (its drawing
// function, noted beside it, tells which: see Workers). One or the other, so that a slot is
// no larger than the larger of them: the ring is read soon after it is written, while it is
// still in the caches, the fewer bytes it takes the more so.
union Command {
  struct Triangle {
    Shading sh;
    Rows rows;
  } triangle;
  PSoft3DDevice::Setup setup;
  Command() : triangle() {}
};

// Whether two setups draw alike: every field equal, the floats bit for bit (a zero's sign
// too), so that no change that could reach a pixel is taken for none.
bool SameSetup(const PSoft3DDevice::Setup& a, const PSoft3DDevice::Setup& b) {
  const auto bits = [](float f) { return std::bit_cast<uint32_t>(f); };
  return a == b && bits(a.texScaleU) == bits(b.texScaleU) && bits(a.texScaleV) == bits(b.texScaleV) &&
         bits(a.texArea) == bits(b.texArea) && bits(a.fogEnd) == bits(b.fogEnd) &&
         bits(a.fogScale) == bits(b.fogScale);
}

std::atomic<int32_t> gDefaultThreads{0};

int32_t HeldThreads(int32_t threads) {
  return std::clamp(threads, int32_t{1}, PSoft3DDevice::kMaxThreads);
}

// A short pause in a busy wait, easing the core for its other hardware thread.
inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#else
  std::this_thread::yield();
#endif
}

// Sleeps while word holds seen, at most limit (or less: the caller looks again anyway);
// WakeAll ends every such sleep on word.
#if defined(__linux__)
void SleepWhile(std::atomic<uint32_t>& word, uint32_t seen, std::chrono::nanoseconds limit) {
  static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t) && std::atomic<uint32_t>::is_always_lock_free);
  timespec time{0, static_cast<long>(limit.count())};
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAIT_PRIVATE, seen, &time, nullptr, 0);
}
void WakeAll(std::atomic<uint32_t>& word) {
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAKE_PRIVATE, INT32_MAX, nullptr, nullptr, 0);
}
#else
void SleepWhile(std::atomic<uint32_t>& word, uint32_t seen, std::chrono::nanoseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (word.load(std::memory_order_acquire) == seen && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::microseconds(50));
}
void WakeAll(std::atomic<uint32_t>&) {}
#endif

// A counter one thread moves on (it only ever grows) and others wait for. Waiters spin a
// while first (the work comes in quick succession within a frame) and then sleep on a count
// of wakes, never on a bare signal: a sleeper counts itself among the sleepers and looks at
// the counter before it sleeps, and looks again whenever it wakes. The writer wakes sleepers
// only when there are any, so that handing out work costs no system call while they are
// awake, and a wake takes the sleepers' count with it: a woken thread may take a while to
// run again (on a busy machine, milliseconds), and the writer's next moves meanwhile need no
// call. The count taken may include a thread that began to wait after the value was stored,
// for the next one: woken, it finds the value unchanged and counts itself again before it
// sleeps again. (Sleeping on the counter itself, it would sleep through that wake uncounted,
// and the next move would find no sleepers and wake nobody: the threads once hung so.) A
// sleeper also looks again of its own accord, after kRecheck and then after twice as long
// each time up to kLongestRecheck, so that a wake gone astray could only ever lengthen a
// wait, while threads with nothing to draw (a screen at rest) hardly ever wake.
struct Signal {
  static constexpr int kSpins = 128;
  static constexpr std::chrono::milliseconds kRecheck{10};
  static constexpr std::chrono::milliseconds kLongestRecheck{160};
  std::atomic<uint64_t> value{0};
  std::atomic<int64_t> sleepers{0};
  std::atomic<uint32_t> wakes{0};  // moved on by every wake

  // Returns the value once it differs from old.
  uint64_t AwaitChange(uint64_t old) {
    for (int spin = 0; spin < kSpins; ++spin) {
      const uint64_t now = value.load(std::memory_order_acquire);
      if (now != old) return now;
      Pause();
    }
    std::chrono::milliseconds limit = kRecheck;
    for (;;) {
      // The wakes so far, then the count, then the look: the writer stores the value before
      // it looks for sleepers, so either this look sees the new value, or the writer sees
      // this count and moves the wakes on, past those seen here, before it wakes anyone.
      // (A count left behind by a look that saw the new value, or by a sleeper that woke at
      // the time limit, costs the writer one needless wake, which clears it.)
      const uint32_t seen = wakes.load(std::memory_order_seq_cst);
      sleepers.fetch_add(1, std::memory_order_seq_cst);
      uint64_t now = value.load(std::memory_order_seq_cst);
      if (now != old) return now;
      SleepWhile(wakes, seen, limit);
      now = value.load(std::memory_order_acquire);
      if (now != old) return now;
      limit = std::min(limit * 2, kLongestRecheck);
    }
  }
  void Set(uint64_t v) {
    value.store(v, std::memory_order_seq_cst);
    if (sleepers.load(std::memory_order_seq_cst) == 0 || sleepers.exchange(0, std::memory_order_seq_cst) == 0)
      return;
    wakes.fetch_add(1, std::memory_order_seq_cst);
    WakeAll(wakes);
  }
};

}  // namespace

// The drawing threads and the ring of commands the workers among them read. The calling
// thread sets every triangle up and draws the rows of its own strips at once; it writes the
// triangles that touch the workers' strips, and every change of state, into the ring and
// hands them out in batches. Every worker goes through every command in order and draws the
// rows of its own strips. Beside each command the calling thread notes which threads' strips
// it touches, so that a worker passes over the others' triangles reading no more than that
// note, and no worker starts on a triangle that has no rows for it. A slot is written again
// only when every worker is past it. The calling thread, which also sets every triangle up,
// owns fewer strips than a worker (see Deal): the threads then finish a frame together.
struct PSoft3DDevice::Workers final : PSurfaceFence {
  static constexpr uint64_t kRing = 8192;
  static constexpr uint64_t kBatch = 32;
  static constexpr uint64_t kReportEvery = 256;  // a worker tells how far it is at least this often
  static constexpr uint64_t kStop = uint64_t{1} << 63;
  static constexpr uint64_t kAhead = 8;  // commands fetched ahead of their turn
  // Strips dealt to a worker for every kWorkerWeight dealt: setting a triangle up takes about
  // kSetupShare of the time drawing it takes (on the busy battlefield), and the calling
  // thread's share of the strips is less by as much.
  static constexpr int32_t kWorkerWeight = 8;
  static constexpr float kSetupShare = 0.14f;

  // Each worker's count of commands done, on a cache line of its own.
  struct alignas(64) Progress {
    Signal done;
  };

  // A command's note: its drawing function (null for a change of state, which every worker
  // takes) and bit i set where thread i (0 the calling thread) owns rows of its triangle.
  struct Head {
    RowsFunction draw;
    uint32_t threads;
  };

  // Threads: the calling one and count - 1 workers, over a target of the given strips.
  Workers(int32_t count, int32_t strips)
      : count_(count),
        strips_(strips),
        progress_(static_cast<size_t>(count - 1)),
        heads_(kRing),
        ring_(kRing) {
    Deal();
    for (int32_t i = 1; i < count; ++i) threads_.emplace_back([this, i] { Run(i); });
  }
  ~Workers() override { Stop(); }
  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;

  // The rows the calling thread draws.
  Band CallerBand() const { return BandOf(0); }
  // Bit i set where thread i owns a strip among the rows [y0, y1) (inside the target).
  uint32_t Owners(int32_t y0, int32_t y1) const {
    const uint32_t all = (1u << count_) - 1;
    uint32_t threads = 0;
    const int32_t last = (y1 - 1) >> kStripShift;
    for (int32_t strip = y0 >> kStripShift; strip <= last && threads != all; ++strip)
      threads |= 1u << owner_[static_cast<size_t>(strip)];
    return threads;
  }

  // The slot of the next command; waits while the slowest worker is a whole ring behind.
  Command& Next() {
    for (;;) {
      Progress* slowest = nullptr;
      uint64_t least = head_;
      for (Progress& p : progress_) {
        uint64_t done = p.done.value.load(std::memory_order_acquire);
        if (done < least) {
          least = done;
          slowest = &p;
        }
      }
      if (head_ - least < kRing) {
        // The slot kAhead on is made ready for writing meanwhile (the slowest worker is
        // seldom that close to a lap behind).
        Fetch<1>(ring_[(head_ + kAhead) % kRing]);
        return ring_[head_ % kRing];
      }
      Publish();
      slowest->done.AwaitChange(least);
    }
  }
  // The slot from Next is written: it goes out with the next batch, to the workers among
  // threads (see Owners); a change of state (draw null) goes to every worker.
  void Commit(RowsFunction draw, uint32_t threads = ~0u) {
    heads_[head_ % kRing] = {draw, threads};
    if (++head_ - published_ >= kBatch) Publish();
  }
  // The state of the triangles to come goes out, unless it is that of those before.
  void SendState(const Setup& setup) {
    if (sentAny_ && SameSetup(sent_, setup)) return;
    Next().setup = setup;
    Commit(nullptr);
    sent_ = setup;
    sentAny_ = true;
  }
  void Publish() {
    if (published_ == head_) return;
    published_ = head_;
    shared_.Set(head_);
  }
  // Called for every row a 2-D routine touches: once the workers have done everything
  // handed out, nothing is looked at again until more is.
  void Settle() override {
    if (stopped_ || head_ == settled_) return;
    Publish();
    for (Progress& p : progress_) {
      uint64_t done = p.done.value.load(std::memory_order_acquire);
      while (done != head_) done = p.done.AwaitChange(done);
    }
    settled_ = head_;
  }
  void Stop() {
    if (stopped_) return;
    Settle();
    stopped_ = true;
    shared_.Set(head_ | kStop);
    for (std::thread& t : threads_) t.join();
    // Textures may keep this fence a while yet: the ring goes now.
    std::vector<Command>().swap(ring_);
    std::vector<Head>().swap(heads_);
  }

 private:
  // Asks the memory for every line of a slot, to read (kWrite 0) or to write (1).
  template <int kWrite>
  static void Fetch(const Command& slot) {
    const char* bytes = reinterpret_cast<const char*>(&slot);
    for (size_t at = 0; at < sizeof(Command); at += 64) __builtin_prefetch(bytes + at, kWrite);
    __builtin_prefetch(bytes + sizeof(Command) - 1, kWrite);
  }

  Band BandOf(int32_t thread) const {
    return {firstOwned_.data() + static_cast<size_t>(thread) * static_cast<size_t>(strips_ + 1)};
  }

  // Deals the strips round the threads by weight, each in turn to the one furthest behind
  // its share (the calling thread's weight less by its setting up), so that every thread's
  // strips spread evenly over the target; then notes for each thread and strip the first
  // strip at or after it that the thread owns.
  void Deal() {
    const float setup = kSetupShare * static_cast<float>(count_ - 1);
    const auto caller = static_cast<int32_t>(
        std::max(0.0f, static_cast<float>(kWorkerWeight) * (1.0f - setup) / (1.0f + kSetupShare) + 0.5f));
    std::vector<int32_t> weight(static_cast<size_t>(count_), kWorkerWeight), credit(weight.size(), 0);
    weight[0] = caller;
    const int32_t total = caller + kWorkerWeight * (count_ - 1);
    owner_.resize(static_cast<size_t>(strips_));
    for (uint8_t& owner : owner_) {
      size_t pick = 0;
      for (size_t t = 0; t < weight.size(); ++t) {
        credit[t] += weight[t];
        if (credit[t] > credit[pick]) pick = t;
      }
      credit[pick] -= total;
      owner = static_cast<uint8_t>(pick);
    }
    const auto row = static_cast<size_t>(strips_ + 1);
    firstOwned_.assign(static_cast<size_t>(count_) * row, strips_);
    for (int32_t t = 0; t < count_; ++t)
      for (int32_t strip = strips_ - 1; strip >= 0; --strip) {
        const size_t at = static_cast<size_t>(t) * row + static_cast<size_t>(strip);
        firstOwned_[at] = owner_[static_cast<size_t>(strip)] == t ? strip : firstOwned_[at + 1];
      }
  }

  void Run(int32_t index) {
    const Band band = BandOf(index);
    const uint32_t mine = 1u << index;
    Setup setup;
    // The last change of state, read from its slot only when a triangle of this thread's
    // needs it: most changes are followed by a few small triangles, often none of them in
    // this thread's strips. Copied at the latest before the slot is reported done (and may be
    // written again).
    const Setup* latest = nullptr;
    uint64_t next = 0;
    Signal& done = progress_[static_cast<size_t>(index - 1)].done;
    for (;;) {
      const uint64_t end = shared_.AwaitChange(next);
      if (end & kStop) return;  // only ever after everything is done
      while (next < end) {
        const uint64_t stop = std::min(end, next + kReportEvery);
        for (; next < stop; ++next) {
          // The command kAhead on was written by another core: it is asked for now, to be
          // here when its turn comes.
          if (next + kAhead < end) Fetch<0>(ring_[(next + kAhead) % kRing]);
          const Head& h = heads_[next % kRing];
          if ((h.threads & mine) == 0) continue;
          const Command& c = ring_[next % kRing];
          if (h.draw == nullptr) {
            latest = &c.setup;
          } else {
            if (latest != nullptr) {
              setup = *latest;
              latest = nullptr;
            }
            h.draw(setup, c.triangle.sh, c.triangle.rows, band);
          }
        }
        if (latest != nullptr) {
          setup = *latest;
          latest = nullptr;
        }
        done.Set(next);
      }
    }
  }

  const int32_t count_;
  const int32_t strips_;
  std::vector<uint8_t> owner_;       // each strip's thread
  std::vector<int32_t> firstOwned_;  // the bands' tables (see Band), thread by thread
  std::vector<Progress> progress_;
  std::vector<Head> heads_;
  std::vector<Command> ring_;
  alignas(64) Signal shared_;  // commands handed out (kStop: the threads end)
  alignas(64) uint64_t head_ = 0;  // the calling thread's: commands written
  uint64_t published_ = 0;         // and handed out
  uint64_t settled_ = 0;           // and known to be done
  bool stopped_ = false;
  Setup sent_;  // the state last sent, if any
  bool sentAny_ = false;
  std::vector<std::thread> threads_;  // last: started once everything else is made
};

int32_t PSoft3DDevice::DefaultThreadCount() {
  int32_t set = gDefaultThreads.load(std::memory_order_relaxed);
  if (set > 0) return set;
  return HeldThreads(static_cast<int32_t>(std::thread::hardware_concurrency()));
}

void PSoft3DDevice::SetDefaultThreadCount(int32_t threads) {
  gDefaultThreads.store(threads <= 0 ? 0 : HeldThreads(threads), std::memory_order_relaxed);
}

void PSoft3DDevice::SetWideSpans(bool wide) { gWideSpans.store(wide, std::memory_order_relaxed); }

void PSoft3DDevice::SetThreadCount(int32_t threads) {
  StopWorkers();
  threads_ = threads == 0 ? DefaultThreadCount() : HeldThreads(threads);
  // More threads than strips would have nothing to draw (a pick target is a few pixels).
  const int32_t strips = (height_ + kStripMask) >> kStripShift;
  drawing_ = std::max(1, std::min(threads_, strips));
}

void PSoft3DDevice::Settle() const {
  if (workers_ != nullptr) workers_->Settle();
}

void PSoft3DDevice::StopWorkers() {
  if (workers_ == nullptr) return;
  workers_->Stop();
  if (target_ != nullptr && target_->Fence() == workers_.get()) target_->AttachFence(nullptr);
  workers_.reset();
}

PSoft3DDevice::PSoft3DDevice(PSurface* target, int32_t threads)
    : target_(target),
      width_(target ? target->Width() : 0),
      height_(target ? target->Height() : 0),
      depth_(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0xFFFF) {
  auto set = [this](P3DState s, uint32_t v) { states_[static_cast<uint32_t>(s)] = v; };
  set(P3DState::kZEnable, 1);
  set(P3DState::kShadeMode, P3DShade::kGouraud);
  set(P3DState::kZWriteEnable, 1);
  set(P3DState::kSrcBlend, P3DBlend::kOne);
  set(P3DState::kDestBlend, P3DBlend::kZero);
  set(P3DState::kCullMode, P3DCull::kCounterClockwise);
  set(P3DState::kZFunc, P3DCompare::kLessEqual);
  set(P3DState::kAlphaFunc, P3DCompare::kAlways);
  set(P3DState::kFogTableEnd, 0x3F800000u);  // 1.0
  set(P3DState::kTextureFactor, 0xFFFFFFFFu);
  stage_[static_cast<uint32_t>(P3DStageState::kColorOp)] = P3DTextureOp::kModulate;
  stage_[static_cast<uint32_t>(P3DStageState::kColorArg1)] = P3DTextureArg::kTexture;
  stage_[static_cast<uint32_t>(P3DStageState::kColorArg2)] = P3DTextureArg::kCurrent;
  stage_[static_cast<uint32_t>(P3DStageState::kAlphaOp)] = P3DTextureOp::kSelectArg1;
  stage_[static_cast<uint32_t>(P3DStageState::kAlphaArg1)] = P3DTextureArg::kTexture;
  stage_[static_cast<uint32_t>(P3DStageState::kAlphaArg2)] = P3DTextureArg::kCurrent;
  stage_[static_cast<uint32_t>(P3DStageState::kMagFilter)] = P3DFilter::kPoint;
  stage_[static_cast<uint32_t>(P3DStageState::kMinFilter)] = P3DFilter::kPoint;
  SetThreadCount(threads);
}

PSoft3DDevice::~PSoft3DDevice() { StopWorkers(); }

PResult PSoft3DDevice::GetCaps(P3DCaps& caps) {
  caps.fog = true;
  caps.translucentSortIndependent = false;
  caps.maxTextureWidth = kMaxTextureSide;
  caps.maxTextureHeight = kMaxTextureSide;
  return PResult::kOk;
}

PResult PSoft3DDevice::SetRenderState(P3DState state, uint32_t value) {
  uint32_t index = static_cast<uint32_t>(state);
  if (index >= kP3DStateCount) return PResult::kInvalidParams;
  switch (state) {
    case P3DState::kZFunc:
    case P3DState::kAlphaFunc:
      if (value < P3DCompare::kNever || value > P3DCompare::kAlways) return PResult::kInvalidParams;
      break;
    case P3DState::kSrcBlend:
    case P3DState::kDestBlend:
      if (value != P3DBlend::kZero && value != P3DBlend::kOne && value != P3DBlend::kSrcAlpha &&
          value != P3DBlend::kInvSrcAlpha)
        return PResult::kUnsupported;
      break;
    default: break;
  }
  states_[index] = value;
  return PResult::kOk;
}

PResult PSoft3DDevice::GetRenderState(P3DState state, uint32_t& value) {
  uint32_t index = static_cast<uint32_t>(state);
  if (index >= kP3DStateCount) return PResult::kInvalidParams;
  value = states_[index];
  return PResult::kOk;
}

PResult PSoft3DDevice::SetTextureStageState(int32_t stage, P3DStageState state, uint32_t value) {
  uint32_t index = static_cast<uint32_t>(state);
  if (stage != 0 || index >= kP3DStageStateCount) return PResult::kInvalidParams;
  switch (state) {
    case P3DStageState::kColorOp:
    case P3DStageState::kAlphaOp:
      if (value < P3DTextureOp::kDisable || value > P3DTextureOp::kModulate) return PResult::kUnsupported;
      break;
    case P3DStageState::kMagFilter:
    case P3DStageState::kMinFilter:
      if (value != P3DFilter::kPoint && value != P3DFilter::kLinear) return PResult::kUnsupported;
      break;
    default: break;
  }
  stage_[index] = value;
  return PResult::kOk;
}

PResult PSoft3DDevice::SetTexture(int32_t stage, const PSurface* texture) {
  if (stage != 0) return PResult::kInvalidParams;
  if (texture != nullptr &&
      (texture->Format() != PPixelFormat::kARGB1555 || texture->Width() < 1 || texture->Height() < 1 ||
       texture->Width() > kMaxTextureSide || texture->Height() > kMaxTextureSide))
    return PResult::kInvalidParams;
  texture_ = texture;
  return PResult::kOk;
}

PResult PSoft3DDevice::BeginScene() {
  if (inScene_) return PResult::kInvalidParams;
  inScene_ = true;
  return PResult::kOk;
}

PResult PSoft3DDevice::EndScene() {
  if (!inScene_) return PResult::kInvalidParams;
  inScene_ = false;
  return PResult::kOk;
}

PResult PSoft3DDevice::Clear(const P3DRect* rects, int32_t count, uint32_t flags, uint32_t colour,
                               float depth) {
  if (count < 0 || (count > 0 && rects == nullptr)) return PResult::kInvalidParams;
  Settle();
  uint16_t depthValue = DepthOf(depth);
  for (int32_t i = 0; i < count; ++i) {
    int32_t left = std::max(rects[i].left, 0), top = std::max(rects[i].top, 0);
    int32_t right = std::min(rects[i].right, width_), bottom = std::min(rects[i].bottom, height_);
    if (left >= right || top >= bottom) continue;
    if (flags & kP3DClearZBuffer) {
      if (depthValue != 0xFFFF)
        depthFar_ = false;
      else if (left == 0 && top == 0 && right == width_ && bottom == height_)
        depthFar_ = true;
    }
    for (int32_t y = top; y < bottom; ++y) {
      if (flags & kP3DClearZBuffer) {
        uint16_t* row = depth_.data() + static_cast<size_t>(y) * width_;
        std::fill(row + left, row + right, depthValue);
      }
      if (flags & kP3DClearTarget) {
        if (target_->Format() == PPixelFormat::kXRGB8888) {
          uint32_t* row = target_->Row32(y);
          std::fill(row + left, row + right, colour & 0x00FFFFFFu);
        } else {
          uint16_t* row = target_->Row16(y);
          uint16_t pixel =
              TargetFormat<uint16_t>::Make(Channel(colour, 16), Channel(colour, 8), Channel(colour, 0));
          std::fill(row + left, row + right, pixel);
        }
      }
    }
  }
  return PResult::kOk;
}

void PSoft3DDevice::ResolveState(Setup& s, bool textured) const {
  auto state = [this](P3DState st) { return states_[static_cast<uint32_t>(st)]; };
  auto stage = [this](P3DStageState st) { return stage_[static_cast<uint32_t>(st)]; };
  s.colourOp = stage(P3DStageState::kColorOp);
  s.colourArg1 = stage(P3DStageState::kColorArg1);
  s.colourArg2 = stage(P3DStageState::kColorArg2);
  s.alphaOp = stage(P3DStageState::kAlphaOp);
  s.alphaArg1 = stage(P3DStageState::kAlphaArg1);
  s.alphaArg2 = stage(P3DStageState::kAlphaArg2);
  s.textureFactor = state(P3DState::kTextureFactor);
  s.magLinear = stage(P3DStageState::kMagFilter) == P3DFilter::kLinear;
  s.minLinear = stage(P3DStageState::kMinFilter) == P3DFilter::kLinear;
  s.texels = nullptr;
  if (textured && texture_ != nullptr) {
    s.texels = reinterpret_cast<const uint16_t*>(texture_->UnfencedPixels());
    s.texPitch = texture_->Pitch() / 2;
    s.texWidth = texture_->Width();
    s.texHeight = texture_->Height();
    s.texPow2 = (s.texWidth & (s.texWidth - 1)) == 0 && (s.texHeight & (s.texHeight - 1)) == 0;
    s.texScaleU = static_cast<float>(s.texWidth) * 256.0f;
    s.texScaleV = static_cast<float>(s.texHeight) * 256.0f;
    s.texArea = static_cast<float>(s.texWidth) * static_cast<float>(s.texHeight);
  }
  bool zEnable = state(P3DState::kZEnable) != 0;
  s.depthFunc = state(P3DState::kZFunc);
  s.depthWrite = zEnable && state(P3DState::kZWriteEnable) != 0;
  // Over depths all at the farthest, left so by this primitive too, less-or-equal always passes.
  const bool passes = depthFar_ && !s.depthWrite && s.depthFunc == P3DCompare::kLessEqual;
  s.depthTest = zEnable && s.depthFunc != P3DCompare::kAlways && !passes;
  uint32_t ref = state(P3DState::kAlphaRef) & 255;
  uint32_t low = 0, high = 255;
  bool invert = false;
  if (state(P3DState::kAlphaTestEnable) != 0) {
    switch (state(P3DState::kAlphaFunc)) {
      case P3DCompare::kNever: invert = true; break;
      case P3DCompare::kLess: high = ref - 1; break;  // ref 0: high wraps below low, none pass
      case P3DCompare::kEqual: low = high = ref; break;
      case P3DCompare::kLessEqual: high = ref; break;
      case P3DCompare::kGreater: low = ref + 1; break;  // ref 255: low 256, none pass
      case P3DCompare::kNotEqual: low = high = ref; invert = true; break;
      case P3DCompare::kGreaterEqual: low = ref; break;
      default: break;
    }
  }
  if (high < low || high == 0xFFFFFFFFu) {  // an empty range: nothing passes
    low = 0;
    high = 255;
    invert = true;
  }
  s.alphaLow = low;
  s.alphaSpan = high - low;
  s.alphaInvert = invert;
  s.srcBlend = state(P3DState::kSrcBlend);
  s.destBlend = state(P3DState::kDestBlend);
  s.blend = state(P3DState::kAlphaBlendEnable) != 0 &&
            !(s.srcBlend == P3DBlend::kOne && s.destBlend == P3DBlend::kZero);
  s.standardBlend = s.srcBlend == P3DBlend::kSrcAlpha && s.destBlend == P3DBlend::kInvSrcAlpha;
  s.fog = state(P3DState::kFogEnable) != 0 && state(P3DState::kFogTableMode) == P3DFog::kLinear;
  if (s.fog) {
    float start, end;
    uint32_t bits = state(P3DState::kFogTableStart);
    std::memcpy(&start, &bits, 4);
    bits = state(P3DState::kFogTableEnd);
    std::memcpy(&end, &bits, 4);
    s.fogEnd = Clamp(end, -FLT_MAX, FLT_MAX);
    float range = end - start;
    // An empty or reversed range fogs everything past its end fully.
    s.fogScale = (range > 0.0f && std::isfinite(range)) ? Clamp(256.0f / range, 0.0f, FLT_MAX) : FLT_MAX;
    s.fogColour = state(P3DState::kFogColor) & 0x00FFFFFFu;
  }
}

void PSoft3DDevice::DrawTriangle(const Setup& s, const Vertex& v0, const Vertex& v1, const Vertex& v2) {
  if (!Finite(v0) || !Finite(v1) || !Finite(v2)) return;
  if (!(v0.q > 0.0f) || !(v1.q > 0.0f) || !(v2.q > 0.0f)) return;

  // Sort the corners from top to bottom.
  const Vertex* a = &v0;
  const Vertex* b = &v1;
  const Vertex* c = &v2;
  if (b->y < a->y) std::swap(a, b);
  if (c->y < b->y) std::swap(b, c);
  if (b->y < a->y) std::swap(a, b);

  double ax = a->x, ay = a->y;
  double dx1 = static_cast<double>(b->x) - ax, dy1 = static_cast<double>(b->y) - ay;
  double dx2 = static_cast<double>(c->x) - ax, dy2 = static_cast<double>(c->y) - ay;
  double area = dx1 * dy2 - dx2 * dy1;
  if (!(area != 0.0) || !std::isfinite(area)) return;

  // Pixel centres lie on integer coordinates. Rows whose centre lies in [top, bottom).
  // (CeilInto: the ceiling held in [0, height], without a library call per triangle.)
  int32_t y0 = CeilInto(ay, height_), y1 = CeilInto(static_cast<double>(c->y), height_);
  if (y0 >= y1) return;

  // The shading of this triangle: the flat colour is the caller's choice of corner (v0).
  // Every field is set below (no zero fill first: it is measurable at thirty thousand
  // triangles a frame).
  Shading sh;
  sh.magnifyBelow = 0.0f;
  uint32_t diffuse = v0.colour;
  bool haveTexture = s.texels != nullptr;
  Operand colour, alpha;
  if (s.colourOp == P3DTextureOp::kDisable) {
    colour = alpha = {false, diffuse};
  } else {
    colour = Operate(s.colourOp, Argument(s.colourArg1, diffuse, s.textureFactor, haveTexture),
                     Argument(s.colourArg2, diffuse, s.textureFactor, haveTexture), diffuse);
    alpha = Operate(s.alphaOp, Argument(s.alphaArg1, diffuse, s.textureFactor, haveTexture),
                    Argument(s.alphaArg2, diffuse, s.textureFactor, haveTexture), diffuse);
  }
  sh.colourFromTexture = colour.texture;
  sh.alphaFromTexture = alpha.texture;
  sh.colour = colour.value & 0x00FFFFFFu;
  sh.alpha = alpha.value >> 24;
  sh.colourMulIsOne = sh.colour == 0x00FFFFFFu;
  sh.alphaMulIsOne = sh.alpha == 255;
  bool textured = sh.colourFromTexture || sh.alphaFromTexture;

  // Attribute planes, from corner a: depth and rhw are linear on the screen, and so are u and
  // v multiplied by rhw, which gives perspective-correct texture coordinates.
  // (Inlined, so that the divisions of the four planes overlap.)
  auto gradient = [&](double fa, double fb, double fc, float& ddx, float& ddy) __attribute__((always_inline)) {
    double d1 = fb - fa, d2 = fc - fa;
    ddx = ToFloat((d1 * dy2 - d2 * dy1) / area);
    ddy = ToFloat((d2 * dx1 - d1 * dx2) / area);
  };
  float dzdx, dzdy, dqdx, dqdy, dsdx = 0, dsdy = 0, dtdx = 0, dtdy = 0;
  gradient(a->z, b->z, c->z, dzdx, dzdy);
  gradient(a->q, b->q, c->q, dqdx, dqdy);
  double sa = 0, ta = 0;
  if (textured) {
    sa = static_cast<double>(a->u) * a->q;
    ta = static_cast<double>(a->v) * a->q;
    gradient(sa, static_cast<double>(b->u) * b->q, static_cast<double>(c->u) * c->q, dsdx, dsdy);
    gradient(ta, static_cast<double>(b->v) * b->q, static_cast<double>(c->v) * c->q, dtdx, dtdy);
    // The texel area one pixel covers is |det| / q^3, det being that of the projective map
    // from the screen to texels; a texel is magnified where it is below 1.
    double m00 = dsdx, m01 = dsdy, m02 = sa, m10 = dtdx, m11 = dtdy, m12 = ta, m20 = dqdx, m21 = dqdy,
           m22 = a->q;
    double det = m00 * (m11 * m22 - m12 * m21) - m01 * (m10 * m22 - m12 * m20) + m02 * (m10 * m21 - m11 * m20);
    sh.magnifyBelow = ToFloat(std::fabs(det) * s.texArea);
  }
  sh.dz = dzdx;
  sh.dq = dqdx;
  sh.ds = dsdx;
  sh.dt = dtdx;

  int depthKind = !s.depthTest ? kDepthAlways
                  : s.depthFunc == P3DCompare::kLessEqual ? kDepthLessEqual
                                                          : kDepthOther;
  bool is32 = target_->Format() == PPixelFormat::kXRGB8888;
  // Source-alpha blending of a triangle that is opaque throughout changes nothing.
  bool blend = s.blend && !(s.standardBlend && !sh.alphaFromTexture && sh.alpha == 255);
  int texKind = !textured                      ? kUntextured
                : s.magLinear != s.minLinear ? kByScale
                : s.magLinear                ? kBilinearOnly
                                             : kPointOnly;
  if (textured && !s.texPow2) texKind += kAnySize;
  if (textured && sh.colourFromTexture && sh.colourMulIsOne && sh.alphaFromTexture && sh.alphaMulIsOne &&
      s.depthWrite)
    texKind += kPlainTexture;
  RowsFunction draw = is32 ? ChooseRows<uint32_t>(texKind, blend, s.fog, depthKind)
                           : ChooseRows<uint16_t>(texKind, blend, s.fog, depthKind);

  // Edges, each from its upper to its lower corner, so that an edge shared by two triangles
  // gives the same x on every row in both.
  Rows rows;
  rows.target = target_->UnfencedPixels();
  rows.pitch = static_cast<size_t>(target_->Pitch());
  rows.depth = depth_.data();
  rows.width = width_;
  rows.y0 = y0;
  rows.y1 = y1;
  rows.ax = ax;
  rows.ay = ay;
  rows.bx = b->x;
  rows.by = b->y;
  rows.slopeAC = dx2 / dy2;
  rows.slopeAB = dy1 > 0 ? dx1 / dy1 : 0.0;
  double dy3 = static_cast<double>(c->y) - b->y;
  rows.slopeBC = dy3 > 0 ? (static_cast<double>(c->x) - b->x) / dy3 : 0.0;
  rows.shortEdgesLeft = area < 0;
  rows.axf = a->x;
  rows.ayf = a->y;
  rows.az = a->z;
  rows.aq = a->q;
  rows.as = ToFloat(sa);
  rows.at = ToFloat(ta);
  rows.dzdy = dzdy;
  rows.dqdy = dqdy;
  rows.dsdy = dsdy;
  rows.dtdy = dtdy;
  if (workers_ == nullptr) {
    draw(s, sh, rows, kEveryRow);
    return;
  }
  // The workers' share goes out first, so that they draw it while this thread draws its own.
  const uint32_t owners = workers_->Owners(y0, y1);
  if ((owners & ~1u) != 0) {
    Command& command = workers_->Next();
    command.triangle = {sh, rows};
    workers_->Commit(draw, owners);
  }
  if ((owners & 1u) != 0) draw(s, sh, rows, workers_->CallerBand());
}

PResult PSoft3DDevice::DrawPrimitive(P3DPrimitive type, uint32_t format, const void* vertices, int32_t count,
                                       uint32_t /*flags*/) {
  if (format != kP3DColouredFormat && format != kP3DTexturedFormat) return PResult::kInvalidParams;
  if (type != P3DPrimitive::kTriangleList && type != P3DPrimitive::kTriangleStrip &&
      type != P3DPrimitive::kTriangleFan)
    return PResult::kInvalidParams;
  if (count < 0 || (count > 0 && vertices == nullptr)) return PResult::kInvalidParams;
  if (target_ == nullptr || width_ == 0 || height_ == 0 || count < 3) return PResult::kOk;

  bool textured = format == kP3DTexturedFormat;
  Setup s;
  ResolveState(s, textured);
  if (s.depthWrite) depthFar_ = false;
  if (drawing_ > 1) {
    if (workers_ == nullptr) {
      workers_ = std::make_shared<Workers>(drawing_, (height_ + kStripMask) >> kStripShift);
      target_->AttachFence(workers_);
    }
    // The threads read the texture from now on: whoever changes it waits for them first.
    if (s.texels != nullptr) texture_->AttachFence(workers_);
    workers_->SendState(s);
  }
  const uint8_t* bytes = static_cast<const uint8_t*>(vertices);
  size_t size = textured ? kP3DTexturedVertexSize : kP3DColouredVertexSize;
  auto read = [&](int32_t i) {
    Vertex v{};
    const uint8_t* p = bytes + static_cast<size_t>(i) * size;
    std::memcpy(&v.x, p, 4);
    std::memcpy(&v.y, p + 4, 4);
    std::memcpy(&v.z, p + 8, 4);
    std::memcpy(&v.q, p + 12, 4);
    if (textured) {
      std::memcpy(&v.u, p + 16, 4);
      std::memcpy(&v.v, p + 20, 4);
      v.colour = 0xFFFFFFFFu;  // textured vertices carry no colour: white
    } else {
      std::memcpy(&v.colour, p + 16, 4);
    }
    return v;
  };

  switch (type) {
    case P3DPrimitive::kTriangleList:
      for (int32_t i = 0; i + 2 < count; i += 3) DrawTriangle(s, read(i), read(i + 1), read(i + 2));
      break;
    case P3DPrimitive::kTriangleStrip: {
      Vertex p0 = read(0), p1 = read(1);
      for (int32_t i = 2; i < count; ++i) {
        Vertex p2 = read(i);
        DrawTriangle(s, p0, p1, p2);
        p0 = p1;
        p1 = p2;
      }
      break;
    }
    case P3DPrimitive::kTriangleFan: {
      // Flat colour of a fan triangle comes from its second corner, as on the classic devices.
      Vertex centre = read(0), p1 = read(1);
      for (int32_t i = 2; i < count; ++i) {
        Vertex p2 = read(i);
        Vertex first = p1;
        DrawTriangle(s, first, p2, centre);
        p1 = p2;
      }
      break;
    }
  }
  return PResult::kOk;
}
