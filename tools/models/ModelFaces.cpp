#include "ModelFaces.h"

#include <cmath>

namespace {

using P3 = std::array<float, 3>;

double Angle(const P3& at, const P3& a, const P3& b) {
  double u[3], v[3];
  for (int i = 0; i < 3; ++i) {
    u[i] = static_cast<double>(a[static_cast<size_t>(i)]) - at[static_cast<size_t>(i)];
    v[i] = static_cast<double>(b[static_cast<size_t>(i)]) - at[static_cast<size_t>(i)];
  }
  const double dot = u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
  const double cx = u[1] * v[2] - u[2] * v[1], cy = u[2] * v[0] - u[0] * v[2], cz = u[0] * v[1] - u[1] * v[0];
  return std::atan2(std::sqrt(cx * cx + cy * cy + cz * cz), dot);
}

double SmallestAngle(const P3& a, const P3& b, const P3& c) {
  return std::fmin(Angle(a, b, c), std::fmin(Angle(b, c, a), Angle(c, a, b)));
}

double Length(const P3& a, const P3& b) {
  const double dx = static_cast<double>(a[0]) - b[0], dy = static_cast<double>(a[1]) - b[1],
               dz = static_cast<double>(a[2]) - b[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Inserts the middle of edge i (corner i to the next) into the face.
void Split(ModelFace& f, size_t i) {
  const size_t j = (i + 1) % f.corners.size();
  P3 m;
  std::array<float, 2> t;
  for (size_t k = 0; k < 3; ++k) m[k] = 0.5f * (f.corners[i][k] + f.corners[j][k]);
  for (size_t k = 0; k < 2; ++k) t[k] = 0.5f * (f.uv[i][k] + f.uv[j][k]);
  f.corners.insert(f.corners.begin() + static_cast<std::ptrdiff_t>(i + 1), m);
  f.uv.insert(f.uv.begin() + static_cast<std::ptrdiff_t>(i + 1), t);
}

bool SplitKeepsFan(const ModelFace& f, size_t i);

// The edge of face f that face g holds too (either way round) and both can take a vertex on, or
// -1; the longest such edge.
int32_t SharedEdge(const ModelFace& f, const ModelFace& g, size_t& inG) {
  int32_t best = -1;
  double length = -1.0;
  const size_t n = f.corners.size(), m = g.corners.size();
  for (size_t i = 0; i < n; ++i) {
    const P3& a = f.corners[i];
    const P3& b = f.corners[(i + 1) % n];
    for (size_t k = 0; k < m; ++k) {
      const P3& c = g.corners[k];
      const P3& d = g.corners[(k + 1) % m];
      if (((a == c && b == d) || (a == d && b == c)) && Length(a, b) > length && SplitKeepsFan(f, i) &&
          SplitKeepsFan(g, k)) {
        length = Length(a, b);
        best = static_cast<int32_t>(i);
        inG = k;
      }
    }
  }
  return best;
}

bool FanFromFaceCheck(const ModelFace& f);

// Whether splitting edge i still leaves the face a hub without a flat triangle.
bool SplitKeepsFan(const ModelFace& f, size_t i) {
  ModelFace t = f;
  Split(t, i);
  return FanFromFaceCheck(t);
}

// The longest edge whose middle the face can take, or the face's size when there is none.
size_t EdgeToSplit(const ModelFace& f) {
  size_t best = f.corners.size();
  double length = -1.0;
  for (size_t i = 0; i < f.corners.size(); ++i) {
    const double l = Length(f.corners[i], f.corners[(i + 1) % f.corners.size()]);
    if (l > length && SplitKeepsFan(f, i)) {
      length = l;
      best = i;
    }
  }
  return best;
}

std::string Figures(const char* rule, int64_t has, int64_t wants) {
  return std::string(rule) + " (has " + std::to_string(has) + ", wants " + std::to_string(wants) + ")";
}

}  // namespace

bool IsConvex(const ModelFace& face) {
  const size_t n = face.corners.size();
  double ref[3] = {0, 0, 0};
  std::vector<std::array<double, 3>> turns;
  for (size_t i = 0; i < n; ++i) {
    const P3& a = face.corners[i];
    const P3& b = face.corners[(i + 1) % n];
    const P3& c = face.corners[(i + 2) % n];
    const double u[3] = {static_cast<double>(b[0]) - a[0], static_cast<double>(b[1]) - a[1],
                         static_cast<double>(b[2]) - a[2]};
    const double v[3] = {static_cast<double>(c[0]) - b[0], static_cast<double>(c[1]) - b[1],
                         static_cast<double>(c[2]) - b[2]};
    turns.push_back({u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]});
    for (size_t k = 0; k < 3; ++k) ref[k] += turns.back()[k];
  }
  double scale = 0;
  for (const auto& t : turns) scale = std::fmax(scale, std::sqrt(t[0] * t[0] + t[1] * t[1] + t[2] * t[2]));
  for (const auto& t : turns)
    if (t[0] * ref[0] + t[1] * ref[1] + t[2] * ref[2] < -1e-9 * scale * scale) return false;
  return true;
}

bool FanFromFace(const ModelFace& face, std::vector<float>& xyz, std::vector<float>& uv) {
  const size_t n = face.corners.size();
  if (n < 3) return false;
  size_t hub = 0;
  double best = -1.0;
  for (size_t h = 0; h < n; ++h) {
    double smallest = 10.0;
    for (size_t i = 1; i + 1 < n; ++i)
      smallest = std::fmin(smallest, SmallestAngle(face.corners[h], face.corners[(h + i) % n],
                                                   face.corners[(h + i + 1) % n]));
    if (smallest > best + 1e-12) {
      best = smallest;
      hub = h;
    }
  }
  if (best <= 1e-9) return false;
  xyz.clear();
  uv.clear();
  for (size_t i = 0; i < n; ++i) {
    const size_t k = (hub + i) % n;
    xyz.insert(xyz.end(), face.corners[k].begin(), face.corners[k].end());
    uv.insert(uv.end(), face.uv[k].begin(), face.uv[k].end());
  }
  return true;
}

std::string FitFaces(std::vector<ModelFace>& faces, int32_t wanted, bool spread) {
  // Fixed faces first, each on its own longest edges.
  for (ModelFace& f : faces) {
    if (f.want == 0) continue;
    if (f.Triangles() > f.want) return Figures("fan size", f.Triangles(), f.want);
    while (f.Triangles() < f.want) {
      const size_t e = EdgeToSplit(f);
      if (e == f.corners.size()) return Figures("fan size", f.Triangles(), f.want);
      Split(f, e);
    }
  }
  int32_t has = 0;
  for (const ModelFace& f : faces)
    if (f.want == 0) has += f.Triangles();
  if (has > wanted) return Figures("triangles", has, wanted);
  int32_t room = 0;
  for (const ModelFace& f : faces)
    if (f.want == 0) room += 10 - f.Triangles();
  if (wanted - has > room) return Figures("triangles", has + room, wanted);
  while (has < wanted) {
    // Two free faces with room sharing an edge take a vertex each: the longest such edge.
    size_t bestF = 0, bestG = 0, edgeF = 0, edgeG = 0;
    double length = -1.0;
    int32_t fewest = 0;
    if (wanted - has >= 2) {
      for (size_t i = 0; i < faces.size(); ++i) {
        if (faces[i].want != 0 || faces[i].Triangles() >= 10) continue;
        for (size_t j = i + 1; j < faces.size(); ++j) {
          if (faces[j].want != 0 || faces[j].Triangles() >= 10) continue;
          size_t inG = 0;
          const int32_t e = SharedEdge(faces[i], faces[j], inG);
          if (e < 0) continue;
          const size_t ue = static_cast<size_t>(e);
          const double l = Length(faces[i].corners[ue], faces[i].corners[(ue + 1) % faces[i].corners.size()]);
          const int32_t held = spread ? faces[i].Triangles() + faces[j].Triangles() : 0;
          if (length < 0.0 || held < fewest || (held == fewest && l > length)) {
            fewest = held;
            length = l;
            bestF = i;
            bestG = j;
            edgeF = ue;
            edgeG = inG;
          }
        }
      }
    }
    if (length >= 0.0) {
      Split(faces[bestF], edgeF);
      Split(faces[bestG], edgeG);
      has += 2;
      continue;
    }
    // One vertex alone: on an open plate where there is one with room, else the largest face.
    size_t pick = faces.size();
    for (int pass = 0; pass < 2 && pick == faces.size(); ++pass) {
      double longest = -1.0;
      int32_t least = 0;
      for (size_t i = 0; i < faces.size(); ++i) {
        const ModelFace& f = faces[i];
        if (f.want != 0 || f.Triangles() >= 10 || (pass == 0 && !f.open)) continue;
        const size_t e = EdgeToSplit(f);
        if (e == f.corners.size()) continue;
        const double l = Length(f.corners[e], f.corners[(e + 1) % f.corners.size()]);
        const int32_t held = spread ? f.Triangles() : 0;
        if (longest < 0.0 || held < least || (held == least && l > longest)) {
          least = held;
          longest = l;
          pick = i;
        }
      }
    }
    if (pick == faces.size()) return Figures("triangles", has, wanted);
    Split(faces[pick], EdgeToSplit(faces[pick]));
    ++has;
  }
  return {};
}

namespace {
bool FanFromFaceCheck(const ModelFace& f) {
  std::vector<float> xyz, uv;
  return FanFromFace(f, xyz, uv);
}
}  // namespace

namespace {

// The face's normal (Newell's sum) and its in-plane axes: u along the longest edge.
void Axes(const ModelFace& f, double n[3], double u[3], double v[3]) {
  n[0] = n[1] = n[2] = 0.0;
  const size_t count = f.corners.size();
  for (size_t i = 0; i < count; ++i) {
    const P3& a = f.corners[i];
    const P3& b = f.corners[(i + 1) % count];
    n[0] += (static_cast<double>(a[1]) - b[1]) * (static_cast<double>(a[2]) + b[2]);
    n[1] += (static_cast<double>(a[2]) - b[2]) * (static_cast<double>(a[0]) + b[0]);
    n[2] += (static_cast<double>(a[0]) - b[0]) * (static_cast<double>(a[1]) + b[1]);
  }
  size_t e = 0;
  double best = -1.0;
  for (size_t i = 0; i < count; ++i) {
    const double l = Length(f.corners[i], f.corners[(i + 1) % count]);
    if (l > best) {
      best = l;
      e = i;
    }
  }
  const P3& a = f.corners[e];
  const P3& b = f.corners[(e + 1) % count];
  for (size_t k = 0; k < 3; ++k) u[k] = (static_cast<double>(b[k]) - a[k]) / (best > 0.0 ? best : 1.0);
  const double nl = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  const double m[3] = {n[0] / (nl > 0 ? nl : 1), n[1] / (nl > 0 ? nl : 1), n[2] / (nl > 0 ? nl : 1)};
  v[0] = m[1] * u[2] - m[2] * u[1];
  v[1] = m[2] * u[0] - m[0] * u[2];
  v[2] = m[0] * u[1] - m[1] * u[0];
}

double Dot(const P3& p, const double a[3]) { return p[0] * a[0] + p[1] * a[1] + p[2] * a[2]; }

}  // namespace

SkinBand BandOf(const ModelFace& face) {
  double n[3], u[3], v[3];
  Axes(face, n, u, v);
  const double ax = std::fabs(n[0]), ay = std::fabs(n[1]), az = std::fabs(n[2]);
  if (az >= ax && az >= ay) return n[2] >= 0.0 ? SkinBand::kTop : SkinBand::kUnderside;
  return ax >= ay ? SkinBand::kSides : SkinBand::kFrontRear;
}

void BandUv(ModelFace& face, double unit) {
  constexpr double kTexels = 256.0, kPerMetre = 64.0, kBand = 0.25, kMargin = 1.0 / kTexels;
  double n[3], u[3], v[3];
  Axes(face, n, u, v);
  const double band = static_cast<double>(static_cast<int32_t>(BandOf(face))) * kBand;
  double v0 = 1e300, v1 = -1e300;
  for (const P3& p : face.corners) {
    v0 = std::fmin(v0, Dot(p, v) * unit);
    v1 = std::fmax(v1, Dot(p, v) * unit);
  }
  const double room = kBand - 2.0 * kMargin;
  const double across = (v1 - v0) * kPerMetre / kTexels;
  const double squeeze = across > room ? room / across : 1.0;
  face.uv.clear();
  for (const P3& p : face.corners) {
    const double tu = Dot(p, u) * unit * kPerMetre / kTexels;
    const double tv = band + kMargin + (Dot(p, v) * unit - v0) * kPerMetre / kTexels * squeeze;
    face.uv.push_back({static_cast<float>(tu), static_cast<float>(tv)});
  }
}

void FitUv(ModelFace& face) {
  double n[3], u[3], v[3];
  Axes(face, n, u, v);
  double u0 = 1e300, u1 = -1e300, v0 = 1e300, v1 = -1e300;
  for (const P3& p : face.corners) {
    u0 = std::fmin(u0, Dot(p, u));
    u1 = std::fmax(u1, Dot(p, u));
    v0 = std::fmin(v0, Dot(p, v));
    v1 = std::fmax(v1, Dot(p, v));
  }
  face.uv.clear();
  for (const P3& p : face.corners)
    face.uv.push_back({static_cast<float>((Dot(p, u) - u0) / (u1 > u0 ? u1 - u0 : 1.0)),
                       static_cast<float>((Dot(p, v) - v0) / (v1 > v0 ? v1 - v0 : 1.0))});
}
