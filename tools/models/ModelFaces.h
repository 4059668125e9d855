#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One convex face of an authored model, in model units: its corners in drawing order and their
// texture coordinates. Faces of one closed solid share their edges.
struct ModelFace {
  std::vector<std::array<float, 3>> corners;
  std::vector<std::array<float, 2>> uv;
  bool open = false;     // a one-sided plate: an edge of its own may take a vertex alone
  int32_t want = 0;      // the fan's triangles where they are fixed, 0 where free
  int32_t line = 0;      // the source line that made it
  bool fitUv = false;    // mapped onto a whole detail picture rather than into a band
  int32_t Triangles() const { return static_cast<int32_t>(corners.size()) - 2; }
};

// Whether the face turns the same way at every corner (straight corners allowed), as a fan needs.
bool IsConvex(const ModelFace& face);

// The face as a fan: its corners turned so that the hub is first, the hub being the corner whose
// triangles have the largest smallest angle. Returns false when every hub leaves a flat triangle.
bool FanFromFace(const ModelFace& face, std::vector<float>& xyz, std::vector<float>& uv);

// Brings faces to their triangles by adding vertices at the middle of existing edges (a fan holds
// at most 10): a fixed face to its own figure, the free faces together to `wanted`. A vertex on an
// edge two free faces share goes into both, so a closed solid gets no T-junction; an odd one goes
// on an open plate's edge where there is one. Returns an empty string, or the rule broken as
// "triangles (has H, wants W)" or "fan size (has H, wants W)". Spread: the vertices go to the
// faces with the fewest triangles first (longest edge among them), so as few quads stay as the
// triangles allow; otherwise to the longest edges.
std::string FitFaces(std::vector<ModelFace>& faces, int32_t wanted, bool spread = false);

// The skin's bands, top to bottom in v: top, sides, front and rear, underside, a quarter each.
enum class SkinBand : int32_t { kTop, kSides, kFrontRear, kUnderside };

// The band a face's normal picks (the face wound outwards).
SkinBand BandOf(const ModelFace& face);

// Texture coordinates in the band the face's normal picks: u along the face's longest edge at 64
// texels a metre of a 256-texel skin (wrapping), v across it at the same rate, squeezed where
// the face is wider than its band, and a texel clear of the band's edges. unit: metres a model
// unit.
void BandUv(ModelFace& face, double unit);

// Texture coordinates spanning a whole detail picture: 0 to 1 over the face's extent along its
// longest edge and across it.
void FitUv(ModelFace& face);
