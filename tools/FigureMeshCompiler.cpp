#include "FigureMeshCompiler.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "game/units/draw/FigureMesh.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Expected {
  int kind;
  int count;
};

struct Layout {
  bool coloured = false;
  std::vector<Expected> primitives;
};

// "c S18 Q T" into its primitives.
Layout ParseLayout(const char* text) {
  Layout layout;
  std::istringstream words(text);
  std::string word;
  while (words >> word) {
    if (word == "c") {
      layout.coloured = true;
    } else if (word[0] == 'S') {
      layout.primitives.push_back({FigureMesh::kStrip, std::atoi(word.c_str() + 1)});
    } else if (word[0] == 'F') {
      layout.primitives.push_back({FigureMesh::kFan, std::atoi(word.c_str() + 1)});
    } else if (word[0] == 'T') {
      layout.primitives.push_back({FigureMesh::kTriangle, 1});
    } else {
      layout.primitives.push_back({FigureMesh::kQuad, 2});
    }
  }
  return layout;
}

const FigureMesh::Segment* FindSegment(const char* name) {
  for (const FigureMesh::Segment& s : FigureMesh::kSegments) {
    if (std::string(s.name) == name) return &s;
  }
  return nullptr;
}

struct Point {
  double x, y, z, u, v;
};

struct Built {
  int kind = 0;
  int count = 0;
  std::vector<Point> points;
};

bool ReadNumbers(std::istringstream& words, size_t n, std::vector<double>& out) {
  out.clear();
  std::string word;
  while (words >> word) {
    char* end = nullptr;
    const double value = std::strtod(word.c_str(), &end);
    if (end == word.c_str() || *end != '\0') return false;
    out.push_back(value);
  }
  return out.size() == n;
}

// One primitive line into its points; the reason it is refused, or null.
const char* BuildPrimitive(std::istringstream& words, const std::string& what, Built& built) {
  std::vector<double> a;
  if (what == "tri" || what == "quad") {
    const size_t corners = what == "tri" ? 3 : 4;
    if (!ReadNumbers(words, corners * 5, a)) return "a corner needs five numbers";
    built.kind = what == "tri" ? FigureMesh::kTriangle : FigureMesh::kQuad;
    built.count = what == "tri" ? 1 : 2;
    for (size_t i = 0; i < corners; ++i) built.points.push_back({a[i * 5], a[i * 5 + 1], a[i * 5 + 2], a[i * 5 + 3], a[i * 5 + 4]});
    return nullptr;
  }
  long n = 0;
  std::string countWord;
  std::string shape;
  if (!(words >> countWord >> shape)) return "a strip or fan needs a count and a shape";
  char* end = nullptr;
  n = std::strtol(countWord.c_str(), &end, 10);
  if (*end != '\0' || n < 1 || n > 60) return "a triangle count outside 1..60";
  built.count = static_cast<int>(n);
  const int points = built.count + 2;
  if (what == "strip" && (shape == "ring" || shape == "vring" || shape == "xring")) {
    if (!ReadNumbers(words, 16, a)) return "a ring strip needs 16 numbers";
    // A ring lies flat, stands upright across y (a tube along y, as a barrel) or faces along x
    // (a tube along x, as a brace).
    const bool upright = shape == "vring";
    const bool side = shape == "xring";
    built.kind = FigureMesh::kStrip;
    const int pairs = (points + 1) / 2;
    for (int k = 0; k < points; ++k) {
      const int j = k / 2;
      const double t = pairs > 1 ? static_cast<double>(j) / (pairs - 1) : 0.0;
      const double angle = (a[10] + (a[11] - a[10]) * t) * kPi / 180.0;
      const double* ring = k % 2 == 0 ? &a[0] : &a[5];
      const double c = ring[3] * std::cos(angle);
      const double s = ring[4] * std::sin(angle);
      const double u = a[12] + (a[13] - a[12]) * t;
      const double v = k % 2 == 0 ? a[14] : a[15];
      if (upright) {
        built.points.push_back({ring[0] + c, ring[1], ring[2] + s, u, v});
      } else if (side) {
        built.points.push_back({ring[0], ring[1] + c, ring[2] + s, u, v});
      } else {
        built.points.push_back({ring[0] + c, ring[1] + s, ring[2], u, v});
      }
    }
    return nullptr;
  }
  if (what == "fan" && (shape == "disk" || shape == "vdisk" || shape == "xdisk")) {
    if (!ReadNumbers(words, 12, a)) return "a disk fan needs 12 numbers";
    built.kind = FigureMesh::kFan;
    const bool upright = shape == "vdisk";
    const bool side = shape == "xdisk";
    if (upright) {
      built.points.push_back({a[0], a[1] + a[7], a[2], a[8], a[9]});
    } else if (side) {
      built.points.push_back({a[0] + a[7], a[1], a[2], a[8], a[9]});
    } else {
      built.points.push_back({a[0], a[1], a[2] + a[7], a[8], a[9]});
    }
    for (int k = 0; k <= built.count; ++k) {
      const double angle = (a[5] + (a[6] - a[5]) * k / built.count) * kPi / 180.0;
      const double c = std::cos(angle);
      const double s = std::sin(angle);
      const double u = a[8] + a[10] * c;
      const double v = a[9] - a[11] * s;
      if (upright) {
        built.points.push_back({a[0] + a[3] * c, a[1], a[2] + a[4] * s, u, v});
      } else if (side) {
        built.points.push_back({a[0], a[1] + a[3] * c, a[2] + a[4] * s, u, v});
      } else {
        built.points.push_back({a[0] + a[3] * c, a[1] + a[4] * s, a[2], u, v});
      }
    }
    return nullptr;
  }
  return "unknown primitive";
}

std::string Number(double value) {
  if (std::fabs(value) < 1e-9) value = 0.0;
  char text[32];
  std::snprintf(text, sizeof text, "%.7gf", static_cast<double>(static_cast<float>(value)));
  std::string s = text;
  if (s.find_first_of(".e") == std::string::npos) s.insert(s.size() - 1, ".0");
  return s;
}

// The picture a part is drawn with, by its name.
const char* TextureOf(const std::string& name) {
  if (name.rfind("torso", 0) == 0) return "torso (entry 1)";
  if (name.rfind("belt", 0) == 0) return "belt (entry 4)";
  if (name.rfind("face", 0) == 0) return "face (map faces)";
  if (name.rfind("upper_arm", 0) == 0 || name.rfind("forearm", 0) == 0) return "arm (entries 2, 5)";
  if (name.rfind("cap", 0) == 0 || name.rfind("headgear", 0) == 0) return "headgear (entry 0)";
  if (name.rfind("generic_gun", 0) == 0) return "wheel (map texture 1300)";
  return "legs (entry 3)";
}

const char* const kKindNames[] = {"strip", "fan", "triangle", "quad"};

// ---- The contact picture: the code-0 man standing, seen from the front, at each level ----

// An affine transform as the renderer composes them: each step applies in the current frame.
struct Frame {
  double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
  Frame Then(const double t[3][4]) const {
    Frame r;
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 4; ++j) {
        r.m[i][j] = m[i][0] * t[0][j] + m[i][1] * t[1][j] + m[i][2] * t[2][j] + (j == 3 ? m[i][3] : 0.0);
      }
    }
    return r;
  }
  Frame Move(double x, double y, double z) const {
    const double t[3][4] = {{1, 0, 0, x}, {0, 1, 0, y}, {0, 0, 1, z}};
    return Then(t);
  }
  Frame Stretch(double x, double y, double z) const {
    const double t[3][4] = {{x, 0, 0, 0}, {0, y, 0, 0}, {0, 0, z, 0}};
    return Then(t);
  }
  Frame MirrorX() const { return Stretch(-1, 1, 1); }
  void Apply(const Point& p, double& x, double& y, double& z) const {
    x = m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3];
    y = m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3];
    z = m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3];
  }
};

struct Placed {
  int part;
  Frame frame;
};

// The parts of the standing code-0 man at a level, each in its place.
std::vector<Placed> ManAt(int level) {
  using M = FigureMesh;
  std::vector<Placed> all;
  const Frame body;
  static const int kTorsos[7] = {M::kTorso0, M::kTorso1, M::kTorso2, M::kTorso2, M::kTorso4, M::kTorso4, M::kTorso4};
  all.push_back({kTorsos[level], body});
  if (level <= 3) all.push_back({level == 0 ? M::kBelt0 : level == 1 ? M::kBelt1 : M::kBelt2, body});
  if (level == 0) {
    all.push_back({M::kFace0, body});
    all.push_back({M::kCap0Shape4, body.Stretch(0.92, 1, 1)});
  } else if (level == 1) {
    all.push_back({M::kFace1, body});
    all.push_back({M::kCap1Shape4, body});
  } else if (level == 2) {
    all.push_back({M::kFace2, body});
    all.push_back({M::kCap2TexturedPeaked, body});
  } else {
    if (level <= 5) all.push_back({M::kCap3, body});
    all.push_back({M::kSkin, body});
  }
  if (level <= 3) {
    static const int kUpper[4] = {M::kUpperArm0, M::kUpperArm1, M::kUpperArm2, M::kUpperArm3};
    static const int kFore[4] = {M::kForearm0, M::kForearm1, M::kForearm2, M::kForearm3};
    const double z = level <= 1 ? 113.4 : 116.4;
    const Frame first = body.Move(-18.5, 0, z);
    all.push_back({kUpper[level], first});
    all.push_back({kFore[level], first.Move(4.45, 0, -20)});
    const Frame second = body.MirrorX().Move(-15.5, 0, z);
    all.push_back({kUpper[level], second});
    all.push_back({kFore[level], second.Move(4.45, 0, -20).MirrorX()});
  }
  if (level <= 5) {
    static const int kThighs[6] = {M::kThigh0, M::kThigh1, M::kThigh2, M::kThigh3, M::kThigh3, M::kLeg5};
    const double hipY = level == 0 ? -1.5 : level == 1 ? -0.75 : 0.0;
    const double kneeX = level <= 1 ? -1.3 : 0.0;
    for (int side = 0; side < 2; ++side) {
      const Frame hip = (side == 0 ? body : body.MirrorX()).Move(-7.5, hipY, 70);
      all.push_back({kThighs[level], hip});
      if (level == 5) continue;
      Frame knee = hip.Move(side == 0 ? kneeX : -kneeX, 0, -29.5);
      if (side == 1) knee = knee.MirrorX();
      if (level <= 1) {
        all.push_back({M::kShin0, knee});
        all.push_back({M::kBoot, knee});
        all.push_back({M::kFoot0, knee});
      } else {
        all.push_back({level == 2 ? M::kShin2 : M::kShin3, knee});
      }
    }
  }
  return all;
}

// A flat colour per picture the part is drawn with.
void PartColour(int part, double rgb[3]) {
  const std::string name = FigureMesh::kShapes[part].name;
  const std::string texture = TextureOf(name);
  rgb[0] = 0.45, rgb[1] = 0.42, rgb[2] = 0.32;  // cloth
  if (texture[0] == 'f' || name == "skin") rgb[0] = 0.87, rgb[1] = 0.56, rgb[2] = 0.42;
  if (texture[0] == 'h' || name.rfind("cap", 0) == 0 || name.rfind("helmet", 0) == 0) {
    rgb[0] = 0.3, rgb[1] = 0.32, rgb[2] = 0.26;
  }
  if (texture[0] == 'b') rgb[0] = 0.2, rgb[1] = 0.16, rgb[2] = 0.12;
  if (name.rfind("boot", 0) == 0 || name.rfind("foot", 0) == 0) rgb[0] = 0.16, rgb[1] = 0.12, rgb[2] = 0.1;
}

std::string ContactPicture(const std::vector<std::vector<Built>>& parts) {
  constexpr int kCell = 96;
  constexpr int kWidth = kCell * 7;
  constexpr int kHeight = 160;
  constexpr double kUnit = 1.1;  // pixels per model unit
  std::vector<uint8_t> rgb(static_cast<size_t>(kWidth * kHeight * 3), 235);
  std::vector<double> depth(static_cast<size_t>(kWidth * kHeight), -1e9);
  for (int level = 0; level < 7; ++level) {
    const double originX = kCell * level + kCell / 2.0;
    for (const Placed& placed : ManAt(level)) {
      double colour[3];
      PartColour(placed.part, colour);
      for (const Built& b : parts[static_cast<size_t>(placed.part)]) {
        std::vector<std::array<int, 3>> triangles;
        const int n = static_cast<int>(b.points.size());
        if (b.kind == FigureMesh::kStrip) {
          for (int k = 0; k + 2 < n; ++k) triangles.push_back({k, k + 1, k + 2});
        } else if (b.kind == FigureMesh::kFan) {
          for (int k = 1; k + 1 < n; ++k) triangles.push_back({0, k, k + 1});
        } else {
          triangles.push_back({0, 1, 2});
          if (n == 4) triangles.push_back({0, 2, 3});
        }
        for (const auto& t : triangles) {
          double sx[3], sy[3], d[3], wx[3], wy[3], wz[3];
          for (int c = 0; c < 3; ++c) {
            placed.frame.Apply(b.points[static_cast<size_t>(t[c])], wx[c], wy[c], wz[c]);
            sx[c] = originX - wx[c] * kUnit;  // seen from the front: the man's +x on the left
            sy[c] = kHeight - 8 - wz[c] * kUnit;
            d[c] = wy[c];
          }
          // Light from the front and above by the triangle's normal.
          const double ax = wx[1] - wx[0], ay = wy[1] - wy[0], az = wz[1] - wz[0];
          const double bx = wx[2] - wx[0], by = wy[2] - wy[0], bz = wz[2] - wz[0];
          const double nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
          const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
          const double light = len > 0 ? 0.55 + 0.45 * std::fabs(0.8 * ny + 0.6 * nz) / len : 0.55;
          const int x0 = std::max(0, static_cast<int>(std::floor(std::min({sx[0], sx[1], sx[2]}))));
          const int x1 = std::min(kWidth - 1, static_cast<int>(std::ceil(std::max({sx[0], sx[1], sx[2]}))));
          const int y0 = std::max(0, static_cast<int>(std::floor(std::min({sy[0], sy[1], sy[2]}))));
          const int y1 = std::min(kHeight - 1, static_cast<int>(std::ceil(std::max({sy[0], sy[1], sy[2]}))));
          const double area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sx[2] - sx[0]) * (sy[1] - sy[0]);
          if (std::fabs(area) < 1e-9) continue;
          for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
              const double px = x + 0.5, py = y + 0.5;
              const double w0 = ((sx[1] - px) * (sy[2] - py) - (sx[2] - px) * (sy[1] - py)) / area;
              const double w1 = ((sx[2] - px) * (sy[0] - py) - (sx[0] - px) * (sy[2] - py)) / area;
              const double w2 = 1.0 - w0 - w1;
              if (w0 < 0 || w1 < 0 || w2 < 0) continue;
              const double z = w0 * d[0] + w1 * d[1] + w2 * d[2];
              const size_t at = static_cast<size_t>(y * kWidth + x);
              if (z <= depth[at]) continue;
              depth[at] = z;
              for (int c = 0; c < 3; ++c) {
                rgb[at * 3 + static_cast<size_t>(c)] = static_cast<uint8_t>(std::lround(255.0 * colour[c] * light));
              }
            }
          }
        }
      }
    }
  }
  // A 24-bit BMP, rows from the bottom.
  const int rowBytes = kWidth * 3;
  const int size = 54 + rowBytes * kHeight;
  std::string out(54, '\0');
  auto put = [&out](int at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[static_cast<size_t>(at + i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  out[0] = 'B';
  out[1] = 'M';
  put(2, static_cast<uint32_t>(size), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, kWidth, 4);
  put(22, kHeight, 4);
  put(26, 1, 2);
  put(28, 24, 2);
  put(34, static_cast<uint32_t>(rowBytes * kHeight), 4);
  for (int y = kHeight - 1; y >= 0; --y) {
    for (int x = 0; x < kWidth; ++x) {
      const size_t at = static_cast<size_t>(y * kWidth + x) * 3;
      out += static_cast<char>(rgb[at + 2]);
      out += static_cast<char>(rgb[at + 1]);
      out += static_cast<char>(rgb[at]);
    }
  }
  return out;
}

}  // namespace

bool FigureMeshCompiler::Compile(const std::string& source, const std::string& sourceName, Output& out,
                                 std::string& error) {
  auto fail = [&](int line, const std::string& reason) {
    error = sourceName + ":" + std::to_string(line) + ": " + reason;
    return false;
  };
  std::vector<Layout> layouts;
  for (const FigureMesh::Shape& shape : FigureMesh::kShapes) layouts.push_back(ParseLayout(shape.layout));

  std::vector<std::vector<Built>> parts(FigureMesh::kPartCount);
  int part = -1;
  int lineNumber = 0;
  std::istringstream in(source);
  std::string text;
  while (std::getline(in, text)) {
    ++lineNumber;
    const size_t hash = text.find('#');
    if (hash != std::string::npos) text.resize(hash);
    std::istringstream words(text);
    std::string what;
    if (!(words >> what)) continue;
    if (what == "part") {
      std::string name;
      words >> name;
      if (part >= 0 && parts[static_cast<size_t>(part)].size() != layouts[static_cast<size_t>(part)].primitives.size()) {
        return fail(lineNumber, "part " + std::string(FigureMesh::kShapes[part].name) + " has too few primitives");
      }
      ++part;
      if (part >= FigureMesh::kPartCount) return fail(lineNumber, "more parts than the figure has");
      if (name != FigureMesh::kShapes[part].name) {
        return fail(lineNumber, "expected part " + std::string(FigureMesh::kShapes[part].name));
      }
      continue;
    }
    if (part < 0) return fail(lineNumber, "a primitive before the first part");
    Built built;
    if (const char* reason = BuildPrimitive(words, what, built)) return fail(lineNumber, reason);
    const Layout& layout = layouts[static_cast<size_t>(part)];
    std::vector<Built>& list = parts[static_cast<size_t>(part)];
    if (list.size() >= layout.primitives.size()) return fail(lineNumber, "more primitives than the part has");
    const Expected& expected = layout.primitives[list.size()];
    if (expected.kind != built.kind || expected.count != built.count) {
      return fail(lineNumber, std::string("expected a ") + kKindNames[expected.kind] + " of " +
                                  std::to_string(expected.count));
    }
    const FigureMesh::Segment* segment = FindSegment(FigureMesh::kShapes[part].segment);
    for (const Point& p : built.points) {
      for (double value : {p.x, p.y, p.z, p.u, p.v}) {
        if (!std::isfinite(value)) return fail(lineNumber, "a value that is not finite");
      }
      if (p.u < -1e-6 || p.u > 1.000001 || p.v < -1e-6 || p.v > 1.000001) {
        return fail(lineNumber, "a texture coordinate outside 0..1");
      }
      if (segment == nullptr || p.x < segment->minX || p.x > segment->maxX || p.y < segment->minY ||
          p.y > segment->maxY || p.z < segment->minZ - 1e-4 || p.z > segment->maxZ) {
        return fail(lineNumber, "a point beyond the reach of segment " + std::string(FigureMesh::kShapes[part].segment));
      }
    }
    list.push_back(built);
  }
  if (part != FigureMesh::kPartCount - 1) {
    const int missing = part + 1;
    return fail(lineNumber, "part " + std::string(FigureMesh::kShapes[missing].name) + " is missing");
  }
  if (parts.back().size() != layouts.back().primitives.size()) {
    return fail(lineNumber, "part " + std::string(FigureMesh::kShapes[part].name) + " has too few primitives");
  }

  // The tables.
  std::string xyz;
  std::string uv;
  std::string primitives;
  std::string partTable;
  int points = 0;
  int pairs = 0;
  int primitiveCount = 0;
  std::ostringstream sheet;
  sheet << "# Texture layouts of the soldier figure: for every part, the texture it is drawn with\n"
           "# and the rectangle of (u, v) its points use. Generated from data/figures/meshes.txt.\n";
  for (int p = 0; p < FigureMesh::kPartCount; ++p) {
    const Layout& layout = layouts[static_cast<size_t>(p)];
    partTable += "    {" + std::to_string(primitiveCount) + ", " + std::to_string(layout.primitives.size()) + "},  // " +
                 FigureMesh::kShapes[p].name + "\n";
    double u0 = 1.0, u1 = 0.0, v0 = 1.0, v1 = 0.0;
    for (const Built& b : parts[static_cast<size_t>(p)]) {
      primitives += "    {" + std::to_string(b.kind) + ", " + std::to_string(b.count) + ", " +
                    (layout.coloured ? "0" : "1") + ", 0, " + std::to_string(points * 3) + ", " +
                    (layout.coloured ? std::string("-1") : std::to_string(pairs * 2)) + "},\n";
      ++primitiveCount;
      xyz += "   ";
      if (!layout.coloured) uv += "   ";
      for (const Point& pt : b.points) {
        xyz += " " + Number(pt.x) + ", " + Number(pt.y) + ", " + Number(pt.z) + ",";
        ++points;
        if (!layout.coloured) {
          uv += " " + Number(pt.u) + ", " + Number(pt.v) + ",";
          ++pairs;
          u0 = std::min(u0, pt.u);
          u1 = std::max(u1, pt.u);
          v0 = std::min(v0, pt.v);
          v1 = std::max(v1, pt.v);
        }
      }
      xyz += "\n";
      if (!layout.coloured) uv += "\n";
    }
    char line[160];
    if (layout.coloured) {
      std::snprintf(line, sizeof line, "%-22s coloured\n", FigureMesh::kShapes[p].name);
    } else {
      std::snprintf(line, sizeof line, "%-22s %-20s u %.3f..%.3f  v %.3f..%.3f\n", FigureMesh::kShapes[p].name,
                    TextureOf(FigureMesh::kShapes[p].name), u0, u1, v0, v1);
    }
    sheet << line;
  }
  out.tableSource =
      "// Generated by make_figure_meshes from data/figures/meshes.txt; do not edit.\n"
      "#include \"game/units/draw/FigureMesh.h\"\n\n"
      "const float FigureMesh::kXyz[] = {\n" + xyz + "};\n\n"
      "const float FigureMesh::kUv[] = {\n" + uv + "};\n\n"
      "const FigureMesh::Primitive FigureMesh::kPrimitives[] = {\n" + primitives + "};\n\n"
      "const FigureMesh::Part FigureMesh::kParts[FigureMesh::kPartCount] = {\n" + partTable + "};\n\n"
      "const int32_t FigureMesh::kPointCount = " + std::to_string(points) + ";\n"
      "const int32_t FigureMesh::kPrimitiveCount = " + std::to_string(primitiveCount) + ";\n";
  out.layoutSheet = sheet.str();
  out.contactPicture = ContactPicture(parts);
  return true;
}
