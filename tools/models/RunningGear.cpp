#include "RunningGear.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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

namespace {

// The band's eight corners, going forward round it from "bottom-rear".
std::array<P2, 8> BandCorners(const GearBand& band) {
  const float ya = band.y0, yb = band.y1, h = band.height;
  const float d = 0.293f * std::min(yb - ya, h);
  return {P2{ya + d, 0.0f}, P2{yb - d, 0.0f}, P2{yb, d},     P2{yb, h - d},
          P2{yb - d, h},    P2{ya + d, h},    P2{ya, h - d}, P2{ya, d}};
}

// The distance round from "bottom-rear" to each corner, and round to it again (index 8).
std::array<double, 9> CornerArcs(const std::array<P2, 8>& c) {
  std::array<double, 9> arc{};
  for (size_t i = 1; i <= 8; ++i)
    arc[i] = arc[i - 1] + std::hypot(static_cast<double>(c[i % 8].y) - c[i - 1].y, static_cast<double>(c[i % 8].z) - c[i - 1].z);
  return arc;
}

// The point at distance s round the band (s in 0 to twice round).
P2 BandAt(const std::array<P2, 8>& c, const std::array<double, 9>& arc, double s) {
  const double round = arc[8];
  while (s >= round) s -= round;
  for (size_t i = 1; i <= 8; ++i) {
    if (s <= arc[i]) {
      const double l = arc[i] - arc[i - 1];
      const double t = l > 0.0 ? (s - arc[i - 1]) / l : 0.0;
      const P2 a = c[i - 1], b = c[i % 8];
      return {static_cast<float>(a.y + t * (b.y - a.y)), static_cast<float>(a.z + t * (b.z - a.z))};
    }
  }
  return c[0];
}

}  // namespace

bool GearBandPoint(const GearBand& band, const std::string& name, float& arc) {
  static const char* const kCorners[] = {"bottom-rear", "bottom-front", "front-low", "front-high",
                                         "top-front",   "top-rear",     "rear-high", "rear-low"};
  const std::array<double, 9> arcs = CornerArcs(BandCorners(band));
  for (size_t i = 0; i < 8; ++i)
    if (name == kCorners[i]) {
      arc = static_cast<float>(arcs[i]);
      return true;
    }
  if (name == "front-mid" || name == "rear-mid") {
    const size_t i = name == "front-mid" ? 2 : 6;
    arc = static_cast<float>(0.5 * (arcs[i] + arcs[i + 1]));
    return true;
  }
  return false;
}

float GearBandLength(const GearBand& band) { return static_cast<float>(CornerArcs(BandCorners(band))[8]); }

float GearBandGroundPoint(const GearBand& band, float y) { return y - BandCorners(band)[0].y; }

float GearBandBottom(const GearBand& band) {
  const std::array<double, 9> arcs = CornerArcs(BandCorners(band));
  return static_cast<float>(0.5 * arcs[1]);
}

GearStrip MakeGearPiece(const GearBand& band, float a, float b, int32_t n, int32_t sign, bool reversed,
                        bool pairAtEnd) {
  const std::array<P2, 8> c = BandCorners(band);
  const std::array<double, 9> arc = CornerArcs(c);
  const double from = a;
  const double to = b > a ? static_cast<double>(b) : static_cast<double>(b) + arc[8];
  // The piece's outline: its ends and the corners between (those clear of its ends).
  Path piece{BandAt(c, arc, from)};
  std::vector<double> at{from};
  for (size_t lap = 0; lap < 2; ++lap)
    for (size_t i = 0; i < 8; ++i) {
      const double s = arc[i] + static_cast<double>(lap) * arc[8];
      if (s > from + 1e-7 && s < to - 1e-7) {
        piece.push_back(c[i]);
        at.push_back(s);
      }
    }
  piece.push_back(BandAt(c, arc, to));
  const int32_t corners = n + 2;
  Path points = Sample(piece, (corners + 1) / 2);
  // The ends exactly the cut's points, which the neighbouring pieces start or end on.
  points.front() = piece.front();
  points.back() = piece.back();
  // Going forward round the band runs against the roll everywhere, so a + strip's v grows along
  // it and a - strip's falls.
  const float direction = (sign > 0) != reversed ? 1.0f : -1.0f;
  // An odd number of corners leaves one point with a single vertex: the last, or with pairAtEnd
  // the first, so that the piece ends on a whole edge its neighbour starts from.
  const bool shifted = pairAtEnd && corners % 2 == 1;
  GearStrip g;
  // A piece ending on its neighbour's edge counts back from it, so that v runs on across the
  // edge they share.
  double s = from;
  if (pairAtEnd) {
    s = b;
    for (size_t j = 1; j < points.size(); ++j)
      s -= std::hypot(static_cast<double>(points[j].y) - points[j - 1].y, static_cast<double>(points[j].z) - points[j - 1].z);
  }
  size_t last = 0;
  for (int32_t k = 0; k < corners; ++k) {
    const size_t j = static_cast<size_t>(shifted ? (k + 1) / 2 : k / 2);
    if (j != last)
      s += std::hypot(static_cast<double>(points[j].y) - points[j - 1].y, static_cast<double>(points[j].z) - points[j - 1].z);
    last = j;
    const bool inner = (k % 2 == 0) != shifted;
    g.xyz.insert(g.xyz.end(), {inner ? band.innerX : band.outerX, points[j].y, points[j].z});
    g.uv.insert(g.uv.end(), {inner ? 0.0f : 0.5f, direction * static_cast<float>(s) * kVPerUnit});
  }
  return g;
}

std::string CheckGearPiece(const GearBand& band, const GearStrip& strip, int32_t sign, float ground, float upper,
                           bool bothGrounded) {
  char buffer[96];
  float lowest = strip.xyz.size() >= 3 ? strip.xyz[2] : 0.0f;
  for (size_t k = 2; k < strip.xyz.size(); k += 3) lowest = std::min(lowest, strip.xyz[k]);
  if ((sign > 0 || bothGrounded) && !(std::fabs(lowest) <= ground)) {
    std::snprintf(buffer, sizeof buffer, "ground (has %.4f, wants %.4f)", static_cast<double>(lowest),
                  static_cast<double>(ground));
    return buffer;
  }
  if (sign < 0 && !bothGrounded && !(lowest >= upper)) {
    std::snprintf(buffer, sizeof buffer, "height (has %.4f, wants %.4f)", static_cast<double>(lowest),
                  static_cast<double>(upper));
    return buffer;
  }
  // A growing offset moves the pattern towards lower v for a + strip, higher v for a - strip; the
  // roll about the band's middle moves the bottom rearward, the top forward, the front down and the
  // rear up.
  const float cy = 0.5f * (band.y0 + band.y1), cz = 0.5f * band.height;
  int32_t against = 0;
  const size_t corners = strip.xyz.size() / 3;
  for (size_t j = 0; j + 2 < corners; j += 2) {
    const float dy = strip.xyz[3 * (j + 2) + 1] - strip.xyz[3 * j + 1];
    const float dz = strip.xyz[3 * (j + 2) + 2] - strip.xyz[3 * j + 2];
    const float dv = strip.uv[2 * (j + 2) + 1] - strip.uv[2 * j + 1];
    const float my = 0.5f * (strip.xyz[3 * (j + 2) + 1] + strip.xyz[3 * j + 1]) - cy;
    const float mz = 0.5f * (strip.xyz[3 * (j + 2) + 2] + strip.xyz[3 * j + 2]) - cz;
    const float along = dy * mz - dz * my;  // the step against the roll's motion (mz, -my)
    if (static_cast<float>(sign) * dv * along >= 0.0f && std::fabs(dv) > 0.0f && std::fabs(along) > 1e-9f) ++against;
  }
  if (against > 0) {
    std::snprintf(buffer, sizeof buffer, "roll (has %d steps rolling the wrong way, wants 0)", against);
    return buffer;
  }
  return {};
}
