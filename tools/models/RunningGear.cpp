#include "RunningGear.h"

#include <algorithm>
#include <cmath>

namespace {

struct P2 {
  float y = 0.0f;
  float z = 0.0f;
};

using Path = std::vector<P2>;

float Length(const Path& path) {
  float l = 0.0f;
  for (size_t i = 1; i < path.size(); ++i) l += std::hypot(path[i].y - path[i - 1].y, path[i].z - path[i - 1].z);
  return l;
}

// The point at arc length s along the path.
P2 At(const Path& path, float s) {
  for (size_t i = 1; i < path.size(); ++i) {
    const float l = std::hypot(path[i].y - path[i - 1].y, path[i].z - path[i - 1].z);
    if (s <= l || i + 1 == path.size()) {
      const float t = l > 0.0f ? std::min(1.0f, s / l) : 0.0f;
      return {path[i - 1].y + t * (path[i].y - path[i - 1].y), path[i - 1].z + t * (path[i].z - path[i - 1].z)};
    }
    s -= l;
  }
  return path.back();
}

// count points along the path, its ends included: its corners are kept when there are enough
// points, the rest spread over the longest stretches; otherwise spread evenly by length.
Path Sample(const Path& path, int32_t count) {
  Path out;
  if (count >= static_cast<int32_t>(path.size())) {
    out = path;
    while (static_cast<int32_t>(out.size()) < count) {
      size_t longest = 1;
      float best = -1.0f;
      for (size_t i = 1; i < out.size(); ++i) {
        const float l = std::hypot(out[i].y - out[i - 1].y, out[i].z - out[i - 1].z);
        if (l > best) {
          best = l;
          longest = i;
        }
      }
      const P2 mid{0.5f * (out[longest].y + out[longest - 1].y), 0.5f * (out[longest].z + out[longest - 1].z)};
      out.insert(out.begin() + static_cast<std::ptrdiff_t>(longest), mid);
    }
    return out;
  }
  const float total = Length(path);
  for (int32_t i = 0; i < count; ++i) out.push_back(At(path, total * static_cast<float>(i) / static_cast<float>(count - 1)));
  return out;
}

// The piece of the path from arc length a to b, with the corners between.
Path Piece(const Path& path, float a, float b) {
  Path out{At(path, a)};
  float s = 0.0f;
  for (size_t i = 1; i + 1 < path.size(); ++i) {
    s += std::hypot(path[i].y - path[i - 1].y, path[i].z - path[i - 1].z);
    if (s > a && s < b) out.push_back(path[i]);
  }
  out.push_back(At(path, b));
  return out;
}

// Arc length of a point of the path (the point lies on it).
float ArcOf(const Path& path, P2 p) {
  float s = 0.0f;
  for (size_t i = 1; i < path.size(); ++i) {
    const float l = std::hypot(path[i].y - path[i - 1].y, path[i].z - path[i - 1].z);
    const float d0 = std::hypot(p.y - path[i - 1].y, p.z - path[i - 1].z);
    const float d1 = std::hypot(p.y - path[i].y, p.z - path[i].z);
    if (std::fabs(d0 + d1 - l) < 1e-6f) return s + d0;
    s += l;
  }
  return s;
}

// One repeat of the track pattern per 0.457 m of run (a model unit is 28.867 m).
constexpr float kVPerUnit = static_cast<float>(28.867 / 0.457);

GearStrip MakeStrip(int32_t n, const Path& piece, float v0, float innerX, float outerX) {
  GearStrip g;
  const int32_t corners = n + 2;
  const Path points = Sample(piece, (corners + 1) / 2);
  float s = v0;
  for (int32_t c = 0; c < corners; ++c) {
    const size_t j = static_cast<size_t>(c / 2);
    if (j > 0 && c % 2 == 0) s += std::hypot(points[j].y - points[j - 1].y, points[j].z - points[j - 1].z) * kVPerUnit;
    const bool inner = c % 2 == 0;
    g.xyz.insert(g.xyz.end(), {inner ? innerX : outerX, points[j].y, points[j].z});
    // The running-gear pictures carry track links on u 0 to 0.5 (tyre tread on 0.5 to 1).
    g.uv.insert(g.uv.end(), {inner ? 0.0f : 0.5f, s});
  }
  return g;
}

}  // namespace

std::vector<GearStrip> MakeRunningGear(const std::vector<ContractStrip>& strips, const RunningGearShape& shape) {
  std::vector<GearStrip> out(strips.size());
  const float y0 = shape.footprint[1] + 0.004f;
  const float y1 = shape.footprint[3] - 0.004f;
  for (int32_t side = 0; side < 2; ++side) {
    // The outer edge on a 0.002 grid inside the footprint, so hulls whose footprints differ by
    // less share their running gear.
    const float edge = side == 0 ? std::floor(shape.footprint[2] / 0.002f + 0.001f) * 0.002f
                                 : std::ceil(shape.footprint[0] / 0.002f - 0.001f) * 0.002f;
    const float width = std::min(0.012f, 0.3f * std::fabs(edge));
    const float outerX = edge;
    const float innerX = side == 0 ? edge - width : edge + width;
    std::vector<size_t> plus, minus;
    for (size_t i = 0; i < strips.size(); ++i) {
      if (strips[i].side != side) continue;
      (strips[i].sign > 0 ? plus : minus).push_back(i);
    }
    const size_t bands = std::max<size_t>(1, minus.size());
    const float gap = 0.002f;
    const float length = (y1 - y0 - gap * static_cast<float>(bands - 1)) / static_cast<float>(bands);
    for (size_t b = 0; b < bands; ++b) {
      const float ya = y0 + static_cast<float>(b) * (length + gap);
      const float yb = ya + length;
      // An eight-sided band: bottom, lower slopes, rear and front faces, upper slopes, top.
      const float d = std::min(shape.junction, 0.25f * length);
      const float h = std::max(shape.top, 2.0f * d + 0.006f);
      const P2 v0{ya + d, 0.0f}, v1{yb - d, 0.0f}, v2{yb, d}, v3{yb, h - d}, v4{yb - d, h}, v5{ya + d, h}, v6{ya, h - d},
          v7{ya, d};
      const P2 rearGround = v0, frontGround = v1;
      Path lower, upper;
      if (shape.bothGrounded) {
        lower = {v1, v2, v3, v4};
        upper = {v0, v7, v6, v5, v4};
      } else {
        lower = {v7, v0, v1, v2, v3};
        upper = {v7, v6, v5, v4, v3};
      }
      if (b < minus.size()) {
        const ContractStrip& s = strips[minus[b]];
        out[minus[b]] = MakeStrip(s.n, upper, 0.0f, innerX, outerX);
      }
      // The band's share of the side's + strips, each a piece of the lower path that ends (or
      // starts) on the ground.
      const size_t first = (b * plus.size() + bands - 1) / bands;
      const size_t last = ((b + 1) * plus.size() + bands - 1) / bands;
      const size_t pieces = last - first;
      const float total = Length(lower);
      const float groundA = ArcOf(lower, shape.bothGrounded ? frontGround : rearGround);
      const float groundB = ArcOf(lower, frontGround);
      for (size_t p = 0; p < pieces; ++p) {
        const float a = p == 0 ? 0.0f : groundA + (groundB - groundA) * static_cast<float>(p) / static_cast<float>(pieces);
        const float e = p + 1 == pieces ? total
                                        : groundA + (groundB - groundA) * static_cast<float>(p + 1) / static_cast<float>(pieces);
        const ContractStrip& s = strips[plus[first + p]];
        out[plus[first + p]] = MakeStrip(s.n, Piece(lower, a, e), a * kVPerUnit, innerX, outerX);
      }
    }
  }
  return out;
}
