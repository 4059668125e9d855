// The hill step of the random map generator: hills summed into the field, quantised to
// height levels, smoothed once and written as tile heights.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "editor/RandomMapGenerator.h"
#include "editor/RandomMapTables.h"
#include "framework/core/PortableMath.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"

namespace {

constexpr int32_t kFieldSide = 256;
constexpr int32_t kLowestLevel = -1;
constexpr int32_t kHighestLevel = 18;

// What a hill of radius r and peak a adds at squared distance dsq; r is not 0.
float HillTerm(int32_t dsq, float r, float a) {
  const float d = std::sqrt(static_cast<float>(dsq));
  const float q = d / r;
  return PortableExpF(-2.0f * q * q) * a;
}

// The largest n with n x n <= v, for v >= 0.
int32_t IntegerRoot(int32_t v) {
  auto n = static_cast<int32_t>(std::sqrt(static_cast<double>(v)));
  while (n > 0 && n * n > v) --n;
  while ((n + 1) * (n + 1) <= v) ++n;
  return n;
}

struct Hill {
  float r;
  float a;
  int32_t hx;
  int32_t hy;
};

// The draws of one hill, in their fixed order.
Hill DrawHill(float amplitude, int32_t w, int32_t h) {
  Hill hill{};
  const float spread = 50.0f - 13.0f * amplitude;
  const float r1 = RandomFloatTimes(spread) + 1.0f;
  const float r2 = RandomFloatTimes(spread) + 1.0f;
  hill.r = std::min(r1, r2);
  hill.a = RandomFloatTimes(amplitude) + 1.0f;
  if (Random(2) == 0) hill.a = -hill.a;
  hill.hx = Random(w);
  hill.hy = Random(h);
  return hill;
}

}  // namespace

int32_t RandomMapGenerator::HillCount(int32_t meanSide, int32_t hilliness) {
  const double amplitude = RandomMapTables::HillAmplitude(hilliness);
  const auto power = static_cast<float>(amplitude * std::sqrt(amplitude));
  const double side = meanSide;
  return static_cast<int32_t>(side * side * static_cast<double>(power) * 0.00002);
}

void RandomMapGenerator::Hills() {
  field_.Init(4, kFieldSide, kFieldSide);
  field_.Zero();
  const float amplitude = RandomMapTables::HillAmplitude(params_.hilliness);
  const int32_t hills = HillCount(meanSide_, params_.hilliness);
  const int32_t maxDsq = (w_ - 1) * (w_ - 1) + (h_ - 1) * (h_ - 1);
  term_.assign(static_cast<size_t>(maxDsq) + 1, 0.0f);
  termStamp_.assign(static_cast<size_t>(maxDsq) + 1, -1);
  for (int32_t i = 0; i < hills; ++i) {
    const Hill hill = DrawHill(amplitude, w_, h_);
    hillStamp_ = i;
    AddHillTabulated(hill.r, hill.a, hill.hx, hill.hy);
  }
}

// A hill's term depends only on the integer squared distance and shrinks toward +0 as it
// grows, so the terms are worked out once per distance that occurs, and only up to the first
// distance whose term is exactly 0: adding 0 changes no tile, so the sums are those of the
// plain loop over every tile.
void RandomMapGenerator::AddHillTabulated(float r, float a, int32_t hx, int32_t hy) {
  if (r == 0.0f) {
    field_.SetFloat(hx, hy, field_.GetFloat(hx, hy) + a);
    return;
  }
  const int32_t farX = std::max(hx, w_ - 1 - hx);
  const int32_t farY = std::max(hy, h_ - 1 - hy);
  // First squared distance (up to the farthest tile's, plus one) whose term is 0.
  int32_t low = 0;
  int32_t high = farX * farX + farY * farY + 1;
  while (low < high) {
    const int32_t mid = low + (high - low) / 2;
    if (HillTerm(mid, r, a) == 0.0f) high = mid;
    else low = mid + 1;
  }
  const int32_t cutoff = low;
  if (cutoff == 0) return;
  for (int32_t x = 0; x < w_; ++x) {
    const int32_t dx2 = (x - hx) * (x - hx);
    if (dx2 >= cutoff) continue;
    const int32_t reach = IntegerRoot(cutoff - 1 - dx2);
    const int32_t y0 = std::max(0, hy - reach);
    const int32_t y1 = std::min(h_ - 1, hy + reach);
    // The field's row x holds y0..y1 side by side; the first and last are index-checked.
    uint8_t* row = field_.ElementPtr(x, y0);
    field_.ElementPtr(x, y1);
    for (int32_t y = y0; y <= y1; ++y, row += sizeof(float)) {
      const int32_t dsq = dx2 + (y - hy) * (y - hy);
      const auto at = static_cast<size_t>(dsq);
      if (termStamp_[at] != hillStamp_) {
        term_[at] = HillTerm(dsq, r, a);
        termStamp_[at] = hillStamp_;
      }
      float v;
      std::memcpy(&v, row, sizeof v);
      v += term_[at];
      std::memcpy(row, &v, sizeof v);
    }
  }
}

void RandomMapGenerator::HillsReference() {
  field_.Init(4, kFieldSide, kFieldSide);
  field_.Zero();
  const float amplitude = RandomMapTables::HillAmplitude(params_.hilliness);
  const int32_t hills = HillCount(meanSide_, params_.hilliness);
  for (int32_t i = 0; i < hills; ++i) {
    const Hill hill = DrawHill(amplitude, w_, h_);
    for (int32_t x = 0; x < w_; ++x) {
      for (int32_t y = 0; y < h_; ++y) {
        const int32_t dsq = (x - hill.hx) * (x - hill.hx) + (y - hill.hy) * (y - hill.hy);
        float term = 0.0f;
        if (hill.r != 0.0f) term = HillTerm(dsq, hill.r, hill.a);
        else if (dsq == 0) term = hill.a;
        field_.SetFloat(x, y, field_.GetFloat(x, y) + term);
      }
    }
  }
}

void RandomMapGenerator::Quantise() {
  for (int32_t x = 0; x < w_; ++x) {
    for (int32_t y = 0; y < h_; ++y) {
      const float v = std::clamp(field_.GetFloat(x, y) + 6.5f, -1000.0f, 1000.0f);
      const int32_t level = std::clamp(static_cast<int32_t>(v), kLowestLevel, kHighestLevel);
      field_.SetFloat(x, y, static_cast<float>(level));
    }
  }
}

void RandomMapGenerator::Smooth() {
  for (int32_t x = 0; x < w_; ++x) {
    for (int32_t y = 0; y < h_; ++y) {
      float highest = -1.0e9f;
      float lowest = 1.0e9f;
      for (int32_t nx = x - 1; nx <= x + 1; ++nx) {
        for (int32_t ny = y - 1; ny <= y + 1; ++ny) {
          if ((nx == x && ny == y) || nx < 0 || ny < 0 || nx >= w_ || ny >= h_) continue;
          const float v = field_.GetFloat(nx, ny);
          highest = std::max(highest, v);
          lowest = std::min(lowest, v);
        }
      }
      const float level = field_.GetFloat(x, y);
      if (level > highest) field_.SetFloat(x, y, highest);
      else if (level < lowest) field_.SetFloat(x, y, lowest);
    }
  }
}

void RandomMapGenerator::Levels() {
  Quantise();
  Smooth();
  for (int32_t x = 0; x < w_; ++x) {
    for (int32_t y = 0; y < h_; ++y) {
      map_.terrain.tileHeight.At(x, y) = field_.GetFloat(x, y) * 3.0f * map_.size.heightScale;
    }
  }
}
