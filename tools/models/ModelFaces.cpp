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

std::string FitFaces(std::vector<ModelFace>& faces, int32_t wanted) {
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
          if (l > length) {
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
      double area = -1.0;
      for (size_t i = 0; i < faces.size(); ++i) {
        const ModelFace& f = faces[i];
        if (f.want != 0 || f.Triangles() >= 10 || (pass == 0 && !f.open)) continue;
        const size_t e = EdgeToSplit(f);
        if (e == f.corners.size()) continue;
        const double l = Length(f.corners[e], f.corners[(e + 1) % f.corners.size()]);
        if (l > area) {
          area = l;
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
