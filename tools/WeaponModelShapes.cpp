#include "WeaponModelShapes.h"

#include <algorithm>
#include <cmath>

#include "game/models/WeaponModelData.h"

namespace {

constexpr double kTau = 6.283185307179586;

struct V {
  double x = 0.0, y = 0.0, z = 0.0;
};
V operator+(V a, V b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V operator-(V a, V b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V operator*(V a, double k) { return {a.x * k, a.y * k, a.z * k}; }
V Cross(V a, V b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Length(V a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }
V Unit(V a) {
  const double l = Length(a);
  return l > 0.0 ? a * (1.0 / l) : V{1.0, 0.0, 0.0};
}
V Lerp(V a, V b, double t) { return a + (b - a) * t; }

// One piece of a part: a flat panel (four corners, in order round it), a prism (a beam or a
// tube from p0 to p1, with half extents across and up at each end) or a wheel-like disc (its
// faces are the outer and inner sides, the hub and rings; as a strip, its tyre).
struct Piece {
  enum Kind { kPanel, kPrism, kDisc } kind = kPanel;
  V c[4];
  V p0, p1;
  double a0 = 0.0, b0 = 0.0, a1 = 0.0, b1 = 0.0;
  bool round = false;
  V centre;
  V normal;  // a disc's axis, pointing outward
  double radius = 0.0, thickness = 0.0;
};

Piece Panel(V a, V b, V c, V d) {
  Piece p;
  p.kind = Piece::kPanel;
  p.c[0] = a;
  p.c[1] = b;
  p.c[2] = c;
  p.c[3] = d;
  return p;
}

Piece Prism(V p0, V p1, double a0, double b0, double a1, double b1, bool round) {
  Piece p;
  p.kind = Piece::kPrism;
  p.p0 = p0;
  p.p1 = p1;
  p.a0 = a0;
  p.b0 = b0;
  p.a1 = a1;
  p.b1 = b1;
  p.round = round;
  return p;
}

Piece Box(V p0, V p1, double a, double b) { return Prism(p0, p1, a, b, a, b, false); }
Piece Tube(V p0, V p1, double r0, double r1) { return Prism(p0, p1, r0, r0, r1, r1, true); }

Piece Disc(V centre, V normal, double radius, double thickness) {
  Piece p;
  p.kind = Piece::kDisc;
  p.centre = centre;
  p.normal = normal;
  p.radius = radius;
  p.thickness = thickness;
  return p;
}

// The output of one step.
struct Out {
  std::vector<float>& xyz;
  std::vector<float>& uv;
  void Put(V p, double u, double v) {
    xyz.push_back(static_cast<float>(p.x));
    xyz.push_back(static_cast<float>(p.y));
    xyz.push_back(static_cast<float>(p.z));
    uv.push_back(static_cast<float>(u));
    uv.push_back(static_cast<float>(v));
  }
};

// A quadrilateral outline as a fan of n triangles from its first corner: the points after
// the second corner are spread over the two far edges, so the fan covers the quad whatever n.
void QuadFan(const V c[4], int n, Out& out) {
  out.Put(c[0], 0.0, 0.0);
  out.Put(c[1], 1.0, 0.0);
  const int first = std::max(1, n / 2);
  const int second = std::max(0, n - first);
  for (int i = 1; i <= first; ++i) {
    const double t = static_cast<double>(i) / first;
    out.Put(Lerp(c[1], c[2], t), 1.0, t);
  }
  for (int i = 1; i <= second; ++i) {
    const double t = static_cast<double>(i) / second;
    out.Put(Lerp(c[2], c[3], t), 1.0 - t, 1.0);
  }
}

// A quadrilateral as a ladder of n triangles from edge c0-c1 to edge c3-c2.
void QuadStrip(const V c[4], int n, Out& out) {
  const int pairs = (n + 2) / 2;
  for (int i = 0; i < pairs; ++i) {
    const double t = pairs > 1 ? static_cast<double>(i) / (pairs - 1) : 0.0;
    out.Put(Lerp(c[0], c[3], t), 0.0, t);
    out.Put(Lerp(c[1], c[2], t), 1.0, t);
  }
  if ((n + 2) % 2 != 0) out.Put(Lerp(c[1], c[2], 1.0), 1.0, 1.0);
}

void Triangle(const V c[4], Out& out) {
  out.Put(c[0], 0.0, 0.0);
  out.Put(c[1], 1.0, 0.0);
  out.Put(c[2], 1.0, 1.0);
}

// A circle of count points about centre in the plane across axis, starting at angle start.
void Ring(V centre, V axis, double ra, double rb, int count, double start, Out& out) {
  const V a = Unit(axis);
  V s = Cross(a, V{0.0, 0.0, 1.0});
  if (Length(s) < 1e-6) s = V{1.0, 0.0, 0.0};
  s = Unit(s);
  const V u = Cross(s, a);
  for (int i = 0; i < count; ++i) {
    const double t = start + kTau * i / count;
    out.Put(centre + s * (ra * std::cos(t)) + u * (rb * std::sin(t)), 0.5 + 0.5 * std::cos(t), 0.5 + 0.5 * std::sin(t));
  }
}

// The frame across a prism: side (level) and up.
void PrismFrame(const Piece& p, V& d, V& s, V& u) {
  d = Unit(p.p1 - p.p0);
  s = Cross(d, V{0.0, 0.0, 1.0});
  if (Length(s) < 1e-6) s = V{1.0, 0.0, 0.0};
  s = Unit(s);
  u = Cross(s, d);
}

// Face f of a prism as four corners: a box's top, two sides, bottom and ends; a tube's fins
// through its axis (upright, level, two diagonals) and its end caps.
void PrismFace(const Piece& p, int f, V c[4]) {
  V d, s, u;
  PrismFrame(p, d, s, u);
  auto at = [&](bool end, double x, double y) {
    return (end ? p.p1 : p.p0) + s * (x * (end ? p.a1 : p.a0)) + u * (y * (end ? p.b1 : p.b0));
  };
  if (p.round && f < 4) {
    const double t = f == 0 ? kTau / 4 : f == 1 ? 0.0 : f == 2 ? kTau / 8 : 3 * kTau / 8;
    const double x = std::cos(t), y = std::sin(t);
    c[0] = at(false, -x, -y);
    c[1] = at(true, -x, -y);
    c[2] = at(true, x, y);
    c[3] = at(false, x, y);
    return;
  }
  switch (f) {
    case 0:  // top
      c[0] = at(false, -1, 1), c[1] = at(true, -1, 1), c[2] = at(true, 1, 1), c[3] = at(false, 1, 1);
      break;
    case 1:  // one side
      c[0] = at(false, 1, 1), c[1] = at(true, 1, 1), c[2] = at(true, 1, -1), c[3] = at(false, 1, -1);
      break;
    case 2:  // the other
      c[0] = at(false, -1, 1), c[1] = at(true, -1, 1), c[2] = at(true, -1, -1), c[3] = at(false, -1, -1);
      break;
    case 3:  // bottom
      c[0] = at(false, -1, -1), c[1] = at(true, -1, -1), c[2] = at(true, 1, -1), c[3] = at(false, 1, -1);
      break;
    case 4:  // far end
      c[0] = at(true, -1, -1), c[1] = at(true, 1, -1), c[2] = at(true, 1, 1), c[3] = at(true, -1, 1);
      break;
    default:  // near end
      c[0] = at(false, -1, -1), c[1] = at(false, 1, -1), c[2] = at(false, 1, 1), c[3] = at(false, -1, 1);
      break;
  }
}

// A piece made smaller for the repeat-th time it is drawn again: panels step back along their
// normal, prisms thin about their axis, discs lose radius (rings on the face).
Piece Repeated(Piece p, int repeat) {
  if (repeat <= 0) return p;
  const double k = std::max(0.35, 1.0 - 0.18 * repeat);
  switch (p.kind) {
    case Piece::kPanel: {
      const V n = Unit(Cross(p.c[1] - p.c[0], p.c[3] - p.c[0]));
      V mid;
      for (const V& c : p.c) mid = mid + c * 0.25;
      for (V& c : p.c) c = Lerp(mid, c, k) + n * (0.0008 * repeat);
      break;
    }
    case Piece::kPrism:
      p.a0 *= k, p.b0 *= k, p.a1 *= k, p.b1 *= k;
      break;
    case Piece::kDisc:
      p.radius *= k;
      p.thickness *= 1.0 + 0.1 * repeat;
      break;
  }
  return p;
}

void Draw(const Piece& piece, int face, int op, int n, Out& out) {
  const bool fan = op == WeaponModelData::kFan;
  const bool strip = op == WeaponModelData::kStrip;
  switch (piece.kind) {
    case Piece::kPanel: {
      const Piece p = Repeated(piece, face);
      if (fan) QuadFan(p.c, n, out);
      else if (strip) QuadStrip(p.c, n, out);
      else Triangle(p.c, out);
      return;
    }
    case Piece::kPrism: {
      const Piece p = Repeated(piece, face / 6);
      const int f = face % 6;
      if (strip && n >= 6) {
        // A closed band round the prism: k sides of two triangles, the first pair again last.
        const int sides = n / 2;
        V d, s, u;
        PrismFrame(p, d, s, u);
        const double corner = !p.round && sides == 4 ? std::sqrt(2.0) : 1.0;
        const double start = p.round ? 0.0 : kTau / 8;
        for (int i = 0; i <= sides; ++i) {
          const double t = start + kTau * (i % sides) / sides;
          const double x = corner * std::cos(t), y = corner * std::sin(t);
          out.Put(p.p0 + s * (x * p.a0) + u * (y * p.b0), static_cast<double>(i) / sides, 0.0);
          out.Put(p.p1 + s * (x * p.a1) + u * (y * p.b1), static_cast<double>(i) / sides, 1.0);
        }
        if (n % 2 != 0) out.Put(p.p1 + s * (corner * std::cos(start) * p.a1) + u * (corner * std::sin(start) * p.b1), 0.0, 1.0);
        return;
      }
      if (fan && !p.round && f == 0 && n >= 6 && face < 6) {
        // Three faces from one corner: the top, a side and the far end, seen from most places.
        V c[4];
        PrismFace(p, 0, c);  // top: near -, far -, far +, near +
        V d, s, u;
        PrismFrame(p, d, s, u);
        const V a = c[2];
        const V below = u * (-(p.b1 + p.b1));
        const V belowNear = u * (-(p.b0 + p.b0));
        out.Put(a, 1.0, 1.0);
        out.Put(c[3], 0.0, 1.0);
        out.Put(c[0], 0.0, 0.0);
        out.Put(c[1], 1.0, 0.0);
        out.Put(c[1] + below, 1.0, 0.5);
        out.Put(c[2] + below, 0.5, 0.5);
        out.Put(c[3] + belowNear, 0.0, 0.5);
        for (int i = 7; i < n + 2; ++i) out.Put(c[3], 0.0, 1.0);
        return;
      }
      if (fan && p.round && f >= 4) {
        Ring(f == 4 ? p.p1 : p.p0, p.p1 - p.p0, f == 4 ? p.a1 : p.a0, f == 4 ? p.b1 : p.b0, n + 2, 0.0, out);
        return;
      }
      V c[4];
      PrismFace(p, strip ? 0 : f, c);
      if (fan) QuadFan(c, n, out);
      else if (strip) QuadStrip(c, n, out);
      else Triangle(c, out);
      return;
    }
    case Piece::kDisc: {
      // Faces: the outer side, the inner side, the hub, then rings on the outer side.
      const V a = Unit(piece.normal);
      const double t = piece.thickness;
      V centre = piece.centre + a * t;
      double radius = piece.radius;
      if (face == 1) {
        centre = piece.centre - a * t;
      } else if (face == 2) {
        centre = piece.centre + a * (t * 1.6);
        radius = piece.radius * 0.38;
      } else if (face >= 3) {
        centre = piece.centre + a * (t * (1.0 + 0.15 * (face - 2)));
        radius = piece.radius * std::max(0.25, 0.82 - 0.14 * (face - 3));
      }
      if (fan) {
        // From the lowest point, so that a wheel always has a corner on the ground.
        Ring(centre, a, radius, radius, n + 2, -kTau / 4, out);
      } else if (strip) {
        const int sides = std::max(1, n / 2);
        const double r = piece.radius;
        V s = Cross(a, V{0.0, 0.0, 1.0});
        if (Length(s) < 1e-6) s = V{1.0, 0.0, 0.0};
        s = Unit(s);
        const V u = Cross(s, a);
        for (int i = 0; i <= sides; ++i) {
          const double w = kTau * (i % sides) / sides;
          const V rim = s * (r * std::cos(w)) + u * (r * std::sin(w));
          out.Put(piece.centre + a * t + rim, static_cast<double>(i) / sides, 0.0);
          out.Put(piece.centre - a * t + rim, static_cast<double>(i) / sides, 1.0);
        }
        if (n % 2 != 0) out.Put(piece.centre + a * t + s * r, 0.0, 0.0);
      } else {
        Ring(centre, a, radius, radius, 3, kTau / 4, out);
      }
      return;
    }
  }
}

const char* const kParts[] = {"wheel",  "axle",   "trail", "spade",       "shield", "carriage", "cradle", "breech",
                              "recuperator", "barrel", "brake", "platform",    "pedestal", "ammo",   "sight"};

// The pieces of a part on a gun, in the order its steps take them.
std::vector<Piece> Pieces(const WeaponModelShapes::Gun& g, const std::string& part) {
  using Style = WeaponModelShapes::Style;
  const double px = g.pivot[0], py = g.pivot[1], pz = g.pivot[2];
  const double R = g.wheelRadius, W = g.wheelX, b = g.bore;
  const bool cross = g.style == Style::kCross;
  const bool rockets = g.style == Style::kRockets;
  const bool split = g.style == Style::kSplitTrail || rockets;
  const double yA = py - 0.003;             // the axle, just behind the trunnions
  const double zA = cross ? 0.010 : R;      // the carriage's floor
  const double gap = std::max(2.2 * b, 0.004);  // half the shield's slot for the barrel
  const double cheekX = rockets ? 0.016 : gap + 0.0025;
  std::vector<Piece> out;
  if (part == "wheel") {
    if (cross) {
      // Four wheels at the ends of the fore and aft outriggers.
      for (double y : {0.55 * g.platform, -0.55 * g.platform})
        for (double x : {-W, W}) out.push_back(Disc({x, py + y, R}, {x < 0 ? -1.0 : 1.0, 0, 0}, R, 0.12 * R + 0.0008));
    } else {
      for (double x : {-W, W}) out.push_back(Disc({x, yA, R}, {x < 0 ? -1.0 : 1.0, 0, 0}, R, 0.12 * R + 0.0008));
    }
  } else if (part == "axle") {
    if (cross) {
      for (double y : {0.55 * g.platform, -0.55 * g.platform}) out.push_back(Box({-W, py + y, R}, {W, py + y, R}, 0.0025, 0.0025));
    } else {
      out.push_back(Box({-W, yA, zA}, {W, yA, zA}, 0.0025, 0.0025));
    }
  } else if (part == "trail") {
    if (split) {
      for (double side : {-1.0, 1.0})
        out.push_back(Prism({side * 0.006, yA - 0.002, zA * 0.85}, {side * g.trailSpread, yA - g.trailLength, 0.0035}, 0.0035,
                            0.0045, 0.003, 0.0022, false));
    } else if (cross) {
      // The outriggers: two across, one ahead and one behind, from the pedestal's foot.
      const double h = 0.009;
      for (const V end : {V{-g.platform, py, 0.003}, V{g.platform, py, 0.003}, V{px, py + g.platform, 0.003},
                          V{px, py - g.platform, 0.003}})
        out.push_back(Prism({px, py, h}, end, 0.004, 0.004, 0.003, 0.0022, false));
    } else {
      out.push_back(Prism({0.0, yA - 0.002, zA * 0.85}, {0.0, yA - g.trailLength, 0.004}, 0.0085, 0.005, 0.0055, 0.0028, false));
    }
  } else if (part == "spade") {
    const double y = yA - g.trailLength + 0.0015;
    const std::vector<double> xs = split ? std::vector<double>{-g.trailSpread, g.trailSpread} : std::vector<double>{0.0};
    for (double x : xs) {
      if (cross) {
        // Levelling feet under the outriggers' ends.
        out.push_back(Disc({x, py, 0.0012}, {0, 0, 1}, 0.006, 0.0008));
        continue;
      }
      const double w = split ? 0.0075 : 0.011;
      out.push_back(Panel({x - w, y + 0.002, -0.003}, {x + w, y + 0.002, -0.003}, {x + w, y - 0.002, 0.011},
                          {x - w, y - 0.002, 0.011}));
    }
  } else if (part == "shield") {
    // Upright plates ahead of the trunnions, leaning back a little, with a slot for the barrel.
    const double ws = g.shieldHalfWidth;
    const double zb = cross ? pz - 0.012 : std::max(0.6 * R, 0.006);
    const double zt = pz + g.shieldHeight;
    const double y0 = py + 0.013;
    auto at = [&](double x, double z) { return V{x, y0 - 0.12 * (z - zb), z}; };
    out.push_back(Panel(at(-ws, zb), at(-gap, zb), at(-gap, zt), at(-ws, zt)));
    out.push_back(Panel(at(gap, zb), at(ws, zb), at(ws, zt), at(gap, zt)));
    out.push_back(Panel(at(-gap, pz + gap), at(gap, pz + gap), at(gap, zt), at(-gap, zt)));
    out.push_back(Panel(at(-gap, zb), at(gap, zb), at(gap, pz - gap), at(-gap, pz - gap)));
  } else if (part == "carriage") {
    // The cheeks that carry the trunnions, and the saddle between them on the axle.
    const double zFoot = cross ? pz - 0.012 : zA * 0.9;
    for (double side : {-1.0, 1.0}) {
      const double x = side * cheekX;
      out.push_back(Panel({x, py - 0.011, zFoot}, {x, py + 0.009, zFoot}, {x, py + 0.004, pz + 0.004},
                          {x, py - 0.006, pz + 0.004}));
    }
    out.push_back(Box({0.0, py - 0.013, zFoot}, {0.0, py + 0.010, zFoot}, cheekX + 0.001, 0.0025));
  } else if (part == "pedestal") {
    out.push_back(Tube({px, py, 0.004}, {px, py, pz - 0.010}, 0.0075, 0.006));
    out.push_back(Disc({px, py, pz - 0.011}, {0, 0, 1}, 0.013, 0.0012));
  } else if (part == "platform") {
    if (g.style == Style::kPlatform) {
      out.push_back(Disc({0.0, yA, 0.0012}, {0, 0, 1}, g.platform, 0.0008));
    } else {
      out.push_back(Box({px - g.platform, py, 0.006}, {px + g.platform, py, 0.006}, 0.004, 0.003));
      out.push_back(Box({px, py - g.platform, 0.006}, {px, py + g.platform, 0.006}, 0.004, 0.003));
    }
  } else if (part == "cradle") {
    if (rockets) {
      out.push_back(Box({px, py - 0.014, pz}, {px, py + 0.020, pz}, 0.0035, 0.0035));
    } else {
      out.push_back(Box({px, py - 0.012, pz - 1.2 * b - 0.0022}, {px, py + 0.026, pz - 1.2 * b - 0.0022}, 1.5 * b + 0.0012,
                        0.0022));
    }
  } else if (part == "recuperator") {
    out.push_back(Tube({px, py - 0.008, pz + 1.3 * b + 0.0026}, {px, py + 0.028, pz + 1.3 * b + 0.0026}, 0.0024, 0.0022));
  } else if (part == "breech") {
    out.push_back(Box({px, py - 0.021, pz}, {px, py - 0.005, pz}, 1.7 * b + 0.0012, 1.7 * b + 0.0012));
  } else if (part == "sight") {
    out.push_back(Box({px - 1.7 * b - 0.003, py - 0.010, pz + 0.003}, {px - 1.7 * b - 0.003, py - 0.002, pz + 0.003}, 0.0012,
                      0.0016));
  } else if (part == "barrel") {
    if (rockets) {
      for (int i = 0; i < 6; ++i) {
        const double t = kTau * i / 6;
        const V o{0.0065 * std::cos(t), 0.0, 0.0065 * std::sin(t)};
        out.push_back(Tube(V{px, py - 0.018, pz} + o, V{px, g.muzzle, pz} + o, b, b));
      }
    } else {
      out.push_back(Tube({px, py - 0.008, pz}, {px, g.muzzle, pz}, 1.3 * b, b));
    }
  } else if (part == "brake") {
    if (rockets) {
      for (double y : {py - 0.012, g.muzzle - 0.008}) out.push_back(Box({px, y - 0.002, pz}, {px, y + 0.002, pz}, 0.0098, 0.0098));
    } else if (g.brake) {
      out.push_back(Box({px, g.muzzle - 0.008, pz}, {px, g.muzzle + 0.0005, pz}, 2.0 * b, 1.5 * b));
    } else {
      out.push_back(Tube({px, g.muzzle - 0.004, pz}, {px, g.muzzle + 0.0005, pz}, 1.3 * b, 1.3 * b));
    }
  } else if (part == "ammo") {
    // Ready rounds in their boxes on the ground round the gun.
    const double place[][2] = {{-0.05, -0.045}, {0.052, -0.04}, {-0.062, -0.02}, {0.064, -0.012}, {-0.04, -0.07}, {0.042, -0.07}};
    for (const auto& p : place) out.push_back(Box({p[0] - 0.006, p[1], 0.003}, {p[0] + 0.006, p[1], 0.003}, 0.004, 0.003));
  }
  return out;
}

}  // namespace

bool WeaponModelShapes::KnownPart(const std::string& part) {
  return std::find(std::begin(kParts), std::end(kParts), part) != std::end(kParts);
}

void WeaponModelShapes::Shape(const Gun& gun, const std::string& part, int occurrence, int op, int triangles,
                              std::vector<float>& xyz, std::vector<float>& uv) {
  Out out{xyz, uv};
  std::vector<Piece> pieces = Pieces(gun, part);
  if (pieces.empty()) pieces.push_back(Box({0, 0, 0.0}, {0, 0.001, 0.0}, 0.0, 0.0));  // a part this gun lacks: nothing shows
  const int count = static_cast<int>(pieces.size());
  Draw(pieces[static_cast<size_t>(occurrence % count)], occurrence / count, op, triangles, out);
}
