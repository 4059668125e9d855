// The fine grid of 2 m cells: its build from the tile map, the roads and road ends stamped
// into it, the steep edges, the triangle and tile stamps the map objects use, and the trees
// scattered on wooded tiles.
#include <algorithm>
#include <array>
#include <cmath>

#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "game/map/Building.h"
#include "game/map/Map.h"
#include "game/map/MapMask.h"
#include "game/map/MapTree.h"
#include "game/map/Wall.h"

namespace {

constexpr const char* kFineGridSource = "Map";
constexpr int32_t kCellsPerTile = 10;

}  // namespace

void Map::BuildHeightTable() {
  ++heightEpoch_;
  const float scale = size.heightScale;
  for (int32_t code = 0; code < FineTerrain::kHeightCodes; ++code) {
    terrain.heightOfCode[code] = (static_cast<float>(code) * 3.0f * (19.0f / 1023.0f) - 3.0f) * scale;
  }
}

uint16_t Map::HeightToCode(float metres) const {
  float t = metres / size.heightScale + 3.0f;
  // Heights below the lowest the grid holds (the editor makes them) take the lowest code, as
  // heights above the highest take the highest.
  if (!(t >= 0.0f)) return 0;
  t = t / 57.0f;
  if (t >= 1.0f) return 1023;
  return static_cast<uint16_t>(1024.0f * t);
}

namespace {

// The heights a tile's surface is made of: its centre and its four corners.
struct TileSurface {
  int32_t tx;
  int32_t ty;
  float centre;
  float corner[2][2];  // [x offset][y offset]
};

TileSurface SurfaceOf(const Map& map, int32_t tx, int32_t ty) {
  TileSurface t{};
  t.tx = tx;
  t.ty = ty;
  t.centre = map.terrain.tileHeight.At(tx, ty);
  for (int32_t dx = 0; dx < 2; ++dx)
    for (int32_t dy = 0; dy < 2; ++dy) t.corner[dx][dy] = map.terrain.vertexHeight.At(tx + dx, ty + dy);
  return t;
}

// A tile's surface as four triangles around its centre, each holding the centre and two
// corners, with the triangles' normals worked out once for the tile's hundred samples.
class TilePlanes {
 public:
  explicit TilePlanes(const TileSurface& t) : t_(t), level_(IsLevelSurface(t)) {
    x0_ = (static_cast<float>(t.tx) + 0.5f) * 20.0f;
    y0_ = (static_cast<float>(t.ty) + 0.5f) * 20.0f;
    if (level_) return;
    for (int32_t ax = 0; ax < 2; ++ax) {
      for (int32_t bx = 0; bx < 2; ++bx) {
        const int32_t by = 1 - bx;
        const float z0 = t.centre;
        const float ux = static_cast<float>(t.tx + ax) * 20.0f - x0_;
        const float uy = static_cast<float>(t.ty + ax) * 20.0f - y0_;
        const float uz = t.corner[ax][ax] - z0;
        const float vx = static_cast<float>(t.tx + bx) * 20.0f - x0_;
        const float vy = static_cast<float>(t.ty + by) * 20.0f - y0_;
        const float vz = t.corner[bx][by] - z0;
        Plane& plane = planes_[ax][bx];
        plane.nx = uy * vz - uz * vy;
        plane.ny = uz * vx - ux * vz;
        plane.nz = ux * vy - uy * vx;
      }
    }
  }

  // Height of the surface at (px, py), the sample point already moved back by 1 m, plus
  // 0.1 m: the height of the plane of the point's triangle.
  float At(float px, float py) const {
    if (level_) return t_.centre + 0.1f;
    const float lx = px - 20.0f * static_cast<float>(t_.tx);
    const float ly = py - 20.0f * static_cast<float>(t_.ty);
    const Plane& plane = planes_[lx + ly <= 20.0f ? 0 : 1][ly <= lx ? 1 : 0];
    float height = 0.0f;
    if (plane.nz != 0.0f) height = t_.centre - (plane.nx * (px - x0_) + plane.ny * (py - y0_)) / plane.nz;
    return height + 0.1f;
  }

  // Whether every point of the tile stands at the same finite height, the centre's plus the
  // 0.1 m: the planes are level (their normals upright, never flat), so each sample's slope
  // terms are zeros, which leave the centre's height exact.
  bool IsLevel() const { return level_; }

 private:
  struct Plane {
    float nx;
    float ny;
    float nz;
  };
  static bool IsLevelSurface(const TileSurface& t) {
    const float c = t.centre;
    return std::isfinite(c) && t.corner[0][0] == c && t.corner[0][1] == c && t.corner[1][0] == c && t.corner[1][1] == c;
  }

  TileSurface t_;
  bool level_;
  float x0_ = 0.0f;
  float y0_ = 0.0f;
  Plane planes_[2][2] = {};  // [a][b]: a 1 where lx + ly > 20, b 1 where ly <= lx
};

// The cells of a tile a mask covers, turned and mirrored: the quarter turns a tile holds come
// from a table made once, any other turn is worked out cell by cell.
struct TileCover {
  bool cell[kCellsPerTile][kCellsPerTile];  // [i][j]
  bool all;   // every cell covered
  bool none;  // no cell covered
};

TileCover CoverOf(const MapMask& mask, int32_t rotation, bool mirrored) {
  TileCover cover{};
  cover.all = true;
  cover.none = true;
  for (int32_t i = 0; i < kCellsPerTile; ++i) {
    for (int32_t j = 0; j < kCellsPerTile; ++j) {
      cover.cell[i][j] = mask.Covers(rotation, mirrored, i, j);
      cover.all = cover.all && cover.cell[i][j];
      cover.none = cover.none && !cover.cell[i][j];
    }
  }
  return cover;
}

const TileCover& ShapeCover(int32_t shape, int32_t rotation, bool mirrored, TileCover& scratch) {
  using Turns = std::array<std::array<TileCover, 2>, 4>;  // [rotation][mirrored]
  static const std::array<Turns, MapMask::kShapeCount> table = [] {
    std::array<Turns, MapMask::kShapeCount> made{};
    for (int32_t s = 0; s < MapMask::kShapeCount; ++s)
      for (int32_t r = 0; r < 4; ++r)
        for (int32_t m = 0; m < 2; ++m) made[s][r][m] = CoverOf(kShapeMasks[s], r, m != 0);
    return made;
  }();
  if (rotation >= 0 && rotation < 4) return table[shape][rotation][mirrored ? 1 : 0];
  scratch = CoverOf(kShapeMasks[shape], rotation, mirrored);
  return scratch;
}

// The shape of a tile's terrain piece in the fine grid, -1 for a tile no grid can hold (a road
// type, or a shape outside 0..5) with the fatal line that names it.
int32_t FineShapeOf(const MapTile& tile, int32_t& fatalLine) {
  const int32_t type = tile.terrain;
  if (Map::IsRoadType(type)) {
    fatalLine = 1601;
    return -1;
  }
  if (type == 0 || type == 11 || type == 26 || type == 16) return 0;
  if (type == 18) return 6;
  if (tile.shape < 0 || tile.shape > 5) {
    fatalLine = 1605;
    return -1;
  }
  return tile.shape;
}

// One tile's cells: its terrain, where its piece covers it, and its surface. A sample point is
// moved back by 1 m to find its tile: that is always this tile (20x to 20x + 18 m), so its
// heights are read once.
class FineTile {
 public:
  FineTile(const Map& map, int32_t x, int32_t y, int32_t shape, TileCover& scratch)
      : cover_(ShapeCover(shape, map.terrain.tiles.At(x, y).rotation, map.terrain.tiles.At(x, y).mirrored != 0, scratch)),
        surface_(SurfaceOf(map, x, y)),
        cornerX_(20.0f * static_cast<float>(x) + 1.0f),
        cornerY_(20.0f * static_cast<float>(y) + 1.0f),
        typeBits_(static_cast<uint16_t>(map.terrain.tiles.At(x, y).terrain << FineTerrain::kTypeShift)),
        level_(surface_.IsLevel()),
        levelCode_(level_ ? map.HeightToCode(surface_.At(cornerX_ - 1.0f, cornerY_ - 1.0f)) : 0) {}

  // The cell at offset (i, j) of the tile.
  uint16_t Cell(const Map& map, int32_t i, int32_t j) const {
    uint16_t code = levelCode_;
    if (!level_) {
      const float sampleX = cornerX_ + 2.0f * static_cast<float>(i);
      const float sampleY = cornerY_ + 2.0f * static_cast<float>(j);
      code = map.HeightToCode(surface_.At(sampleX - 1.0f, sampleY - 1.0f));
    }
    return static_cast<uint16_t>((cover_.cell[i][j] ? typeBits_ : 0) | code);
  }

  // The one value of every cell of a level tile whose piece covers all of it or none of it
  // (or whose terrain is open ground), else -1.
  int32_t Uniform() const {
    if (!level_) return -1;
    if (typeBits_ == 0 || cover_.none) return levelCode_;
    if (cover_.all) return typeBits_ | levelCode_;
    return -1;
  }

 private:
  const TileCover& cover_;
  TilePlanes surface_;
  float cornerX_;
  float cornerY_;
  uint16_t typeBits_;
  bool level_;
  uint16_t levelCode_;
};

}  // namespace

void Map::BuildFineGrid() {
  BuildHeightTable();
  const int32_t cellsX = TruncateToInt32(size.worldWidth * 0.5f + 0.1f);
  const int32_t cellsY = TruncateToInt32(size.worldHeight * 0.5f + 0.1f);
  terrain.fineGrid.Init(std::max(cellsX, 0), std::max(cellsY, 0));
  const int32_t gridW = terrain.fineGrid.Width();
  const int32_t gridH = terrain.fineGrid.Height();
  TileCover scratch{};
  int32_t fatalLine = 0;
  // Most of a map is level ground of one kind: when the tiles fill the grid exactly, it is
  // filled with the cells of its middle tile, and a tile whose cells all hold that already is
  // passed over.
  int32_t filled = -1;
  if (gridW > 0 && gridH > 0 && gridW == kCellsPerTile * size.tilesX && gridH == kCellsPerTile * size.tilesY) {
    const int32_t mx = size.tilesX / 2;
    const int32_t my = size.tilesY / 2;
    const int32_t shape = FineShapeOf(terrain.tiles.At(mx, my), fatalLine);
    if (shape >= 0) filled = FineTile(*this, mx, my, shape, scratch).Uniform();
    if (filled >= 0) terrain.fineGrid.Fill(static_cast<uint16_t>(filled));
  }
  uint16_t* cells = terrain.fineGrid.Data();
  for (int32_t x = size.tilesX - 1; x >= 0; --x) {
    for (int32_t y = size.tilesY - 1; y >= 0; --y) {
      const int32_t shape = FineShapeOf(terrain.tiles.At(x, y), fatalLine);
      if (shape < 0) FatalError(fatalLine, kFineGridSource);
      const FineTile tile(*this, x, y, shape, scratch);
      if (filled >= 0 && tile.Uniform() == filled) continue;
      for (int32_t i = 0; i < kCellsPerTile; ++i) {
        const int32_t cx = kCellsPerTile * x + i;
        if (cx >= gridW) break;
        uint16_t* column = cells + static_cast<size_t>(cx) * static_cast<size_t>(gridH);
        for (int32_t j = 0; j < kCellsPerTile; ++j) {
          const int32_t cy = kCellsPerTile * y + j;
          if (cy >= gridH) break;
          column[cy] = tile.Cell(*this, i, j);
        }
      }
    }
  }
  StampRoads(FineTerrain::kRoad);
  StampRoads(FineTerrain::kRoadOther);
  StampRoads(FineTerrain::kTrack);
}

void Map::StampRoads(int32_t roadType) {
  const uint16_t typeBits = static_cast<uint16_t>(roadType << FineTerrain::kTypeShift);
  for (int32_t x = size.tilesX - 1; x >= 0; --x) {
    for (int32_t y = size.tilesY - 1; y >= 0; --y) {
      const MapTile& tile = terrain.tiles.At(x, y);
      if (tile.road != roadType) continue;
      if (tile.roadShape < 0 || tile.roadShape >= MapMask::kRoadCount) FatalError(1631, kFineGridSource);
      const MapMask& mask = kRoadMasks[tile.roadShape];
      for (int32_t i = 0; i < kCellsPerTile; ++i) {
        for (int32_t j = 0; j < kCellsPerTile; ++j) {
          const int32_t cx = kCellsPerTile * x + i;
          const int32_t cy = kCellsPerTile * y + j;
          if (!terrain.fineGrid.Contains(cx, cy) || !mask.Covers(tile.roadRotation, tile.roadMirrored != 0, i, j)) continue;
          uint16_t& cell = terrain.fineGrid.At(cx, cy);
          cell = static_cast<uint16_t>(typeBits | (cell & FineTerrain::kHeightMask));
        }
      }
    }
  }
}

void Map::MarkSteepEdges() {
  static constexpr float kOffsetX[4] = {-10.0f, -10.0f, 10.0f, 10.0f};
  static constexpr float kOffsetY[4] = {-10.0f, 10.0f, 10.0f, -10.0f};
  // Edges as (first corner, second corner), corners numbered c0 low x low y, c1 low x high y,
  // c2 high x high y, c3 high x low y.
  static constexpr int32_t kEdges[4][2] = {{3, 0}, {2, 3}, {1, 2}, {0, 1}};
  for (int32_t x = size.tilesX - 1; x >= 0; --x) {
    for (int32_t y = size.tilesY - 1; y >= 0; --y) {
      const float t = terrain.tileHeight.At(x, y);
      const float corner[4] = {terrain.vertexHeight.At(x, y), terrain.vertexHeight.At(x, y + 1),
                               terrain.vertexHeight.At(x + 1, y + 1), terrain.vertexHeight.At(x + 1, y)};
      const Point3 centre{(static_cast<float>(x) + 0.5f) * 20.0f, (static_cast<float>(y) + 0.5f) * 20.0f, t};
      for (const auto& edge : kEdges) {
        const float a = corner[edge[0]];
        const float b = corner[edge[1]];
        const float d = std::max({t, a, b}) - std::min({t, a, b});
        if (!(d > 6.5f)) continue;
        const Point3 first{centre.x + kOffsetX[edge[0]], centre.y + kOffsetY[edge[0]], a};
        const Point3 second{centre.x + kOffsetX[edge[1]], centre.y + kOffsetY[edge[1]], b};
        StampTriangle(centre, first, second, d <= 12.0f ? FineTerrain::kSlope : FineTerrain::kCliff, 0.0f);
      }
    }
  }
}

void Map::StampMapObjects() {
  for (int32_t i = 0; i < objects.walls->Count(); ++i) static_cast<Wall*>(objects.walls->GetItem(i))->Stamp();
  for (int32_t i = 0; i < objects.buildings->Count(); ++i) static_cast<Building*>(objects.buildings->GetItem(i))->StampFootprint();
  for (int32_t i = 0; i < objects.buildings->Count(); ++i) static_cast<Building*>(objects.buildings->GetItem(i))->StampJoins();
  GGroup halves;
  halves.IGroup();
  halves.SetOwnsMembers(false);
  for (int32_t i = 0; i < objects.walls->Count(); ++i) static_cast<Wall*>(objects.walls->GetItem(i))->SplitIfUneven(halves);
  objects.walls->AppendGroup(halves);
}

void Map::StampRoadEnds() {
  for (int32_t y = 0; y < size.tilesY; ++y) {
    for (int32_t x = 0; x < size.tilesX; ++x) {
      MapTile& tile = terrain.tiles.At(x, y);
      if (tile.code >= 83 && tile.code <= 90) continue;
      for (int32_t kind = 0; kind < MapTile::kRoadKinds; ++kind) MarkRoadEnds(y, x, tile, kind);
    }
  }
  if (terrain.fineGrid.IsSized()) StampRoadEndLinks();
}

void Map::StampRoadEndLinks() {
  // Road kinds in flag order: types 9, 8, 10.
  static constexpr int32_t kKindType[MapTile::kRoadKinds] = {9, 8, 10};
  const MapMask& mask = kRoadMasks[MapMask::kRoadEnd];
  for (int32_t kind = 0; kind < MapTile::kRoadKinds; ++kind) {
    const int32_t type = kKindType[kind];
    const uint16_t typeBits = static_cast<uint16_t>(type << FineTerrain::kTypeShift);
    for (int32_t x = size.tilesX - 1; x >= 0; --x) {
      for (int32_t y = size.tilesY - 1; y >= 0; --y) {
        MapTile& tile = terrain.tiles.At(x, y);
        for (int32_t s = 0; s < MapTile::kCorners; ++s) {
          if (tile.roadEnds[s][kind] == 0) continue;
          const int32_t probeX = kCellsPerTile * x + (s == 0 || s == 1 ? 1 : 8);
          const int32_t probeY = kCellsPerTile * y + (s == 0 || s == 3 ? 1 : 8);
          if (terrain.fineGrid.Contains(probeX, probeY) && FineTerrain::TypeOf(terrain.fineGrid.At(probeX, probeY)) == type) {
            tile.roadEnds[s][kind] = 0;
            continue;
          }
          for (int32_t i = 0; i < kCellsPerTile; ++i) {
            for (int32_t j = 0; j < kCellsPerTile; ++j) {
              const int32_t cx = kCellsPerTile * x + i;
              const int32_t cy = kCellsPerTile * y + j;
              if (!terrain.fineGrid.Contains(cx, cy) || !mask.Covers(s, false, i, j)) continue;
              uint16_t& cell = terrain.fineGrid.At(cx, cy);
              cell = static_cast<uint16_t>(typeBits | (cell & FineTerrain::kHeightMask));
            }
          }
        }
      }
    }
  }
}

namespace {

// Whether the point lies on the edge from b to a, within the tolerances of the stamp.
bool IsOnEdge(double px, double py, const Map::Point3& b, const Map::Point3& a) {
  const double dx = static_cast<double>(a.x) - b.x;
  const double dy = static_cast<double>(a.y) - b.y;
  if (dx == 0.0 && dy == 0.0) return px == b.x && py == b.y;
  if (dx == 0.0) {
    if (px != b.x) return false;
    const double ty = (py - b.y) / dy;
    return ty >= 0.0 && ty <= 1.0;
  }
  if (dy == 0.0) {
    if (py != b.y) return false;
    const double tx = (px - b.x) / dx;
    return tx >= 0.0 && tx <= 1.0;
  }
  const double tx = (px - b.x) / dx;
  const double ty = (py - b.y) / dy;
  return std::fabs(tx - ty) < 0.0001 && tx >= -0.00001 && tx <= 1.00001 && ty >= -0.00001 && ty <= 1.00001;
}

constexpr double kNear = 1e-7;

bool IsNearEnd(double t) { return std::fabs(t) < kNear || std::fabs(t - 1.0) < kNear; }

}  // namespace

bool Map::IsInTriangle(float x, float y, const Point3& a, const Point3& b, const Point3& c) {
  const double px = x;
  const double py = y;
  if (IsOnEdge(px, py, a, b) || IsOnEdge(px, py, b, c) || IsOnEdge(px, py, c, a)) return true;
  // A ray from the point crosses exactly one edge when the point is inside. A ray through a
  // corner or along an edge proves nothing: it is turned and tried again.
  const Point3* edges[3][2] = {{&a, &c}, {&b, &a}, {&c, &b}};
  constexpr double kReach = 1000000.0;
  double d = 1.0;
  for (int32_t attempt = 0; attempt < 6; ++attempt, d += 100.0) {
    int32_t crossings = 0;
    bool degenerate = false;
    for (const auto& edge : edges) {
      const double ex = static_cast<double>(edge[1]->x) - edge[0]->x;
      const double ey = static_cast<double>(edge[1]->y) - edge[0]->y;
      const double denominator = kReach * ey - d * ex;
      if (denominator == 0.0) {
        degenerate = true;
        break;
      }
      const double wx = edge[0]->x - px;
      const double wy = edge[0]->y - py;
      const double u = (wx * ey - wy * ex) / denominator;        // along the ray
      const double t = (wx * d - wy * kReach) / denominator;     // along the edge
      // Only a meeting within both segments can be a crossing; one at an end of either
      // (through a corner, or from a point on an edge's line) cannot be told.
      if (u < -kNear || u > 1.0 + kNear || t < -kNear || t > 1.0 + kNear) continue;
      if (IsNearEnd(u) || IsNearEnd(t)) {
        degenerate = true;
        break;
      }
      ++crossings;
    }
    if (!degenerate) return crossings == 1;
  }
  return true;
}

void Map::StampTriangle(const Point3& a, const Point3& b, const Point3& c, int32_t type, float height) {
  const float minX = std::min({a.x, b.x, c.x});
  const float maxX = std::max({a.x, b.x, c.x});
  const float minY = std::min({a.y, b.y, c.y});
  const float maxY = std::max({a.y, b.y, c.y});
  // Sample points lie on the even metres from the rounded low corner; cell i samples x = 2i.
  const int32_t firstX = std::max(TruncateToInt32(minX * 0.5f + 0.5f), 0);
  const int32_t firstY = std::max(TruncateToInt32(minY * 0.5f + 0.5f), 0);
  const int32_t lastX = std::min(TruncateToInt32(std::floor(static_cast<double>(maxX) * 0.5)), terrain.fineGrid.Width() - 1);
  const int32_t lastY = std::min(TruncateToInt32(std::floor(static_cast<double>(maxY) * 0.5)), terrain.fineGrid.Height() - 1);
  const uint16_t code = IsBridgeTerrain(type) ? HeightToCode(height) : 0;
  for (int32_t j = firstY; j <= lastY; ++j) {
    for (int32_t i = firstX; i <= lastX; ++i) {
      if (IsInTriangle(2.0f * static_cast<float>(i), 2.0f * static_cast<float>(j), a, b, c)) WriteCell(i, j, type, code);
    }
  }
}

void Map::FillTileCells(int32_t tileX, int32_t tileY, int32_t type, float height) {
  const uint16_t code = IsBridgeTerrain(type) ? HeightToCode(height) : 0;
  for (int32_t i = kCellsPerTile - 1; i >= 0; --i) {
    for (int32_t j = kCellsPerTile - 1; j >= 0; --j) {
      const int32_t cx = kCellsPerTile * tileX + i;
      const int32_t cy = kCellsPerTile * tileY + j;
      if (terrain.fineGrid.Contains(cx, cy)) WriteCell(cx, cy, type, code);
    }
  }
}

void Map::WriteCell(int32_t cellX, int32_t cellY, int32_t type, uint16_t heightCode) {
  uint16_t& cell = terrain.fineGrid.At(cellX, cellY);
  const int32_t old = FineTerrain::TypeOf(cell);
  if (IsBridgeTerrain(type)) {
    cell = static_cast<uint16_t>((type << FineTerrain::kTypeShift) | (heightCode & FineTerrain::kHeightMask));
    return;
  }
  int32_t written = type;
  switch (type) {
    case FineTerrain::kWire:
      if (old == 13 || old == 14 || old == 21 || old == 22) written = FineTerrain::kWireAmongTrees;
      else if (old == 15 || old == 23) written = FineTerrain::kWireAmongPines;
      else if (!IsStampableTerrain(old)) return;
      break;
    case FineTerrain::kRoadblock:
      if (!IsStampableTerrain(old)) return;
      break;
    case FineTerrain::kSlope:
      if (old == 13) written = FineTerrain::kTreesOnSlope;
      else if (old == 14) written = FineTerrain::kWoodedSlope;
      else if (old == 15) written = FineTerrain::kPinesOnSlope;
      else if (old == 8 || old == 9) return;
      break;
    case FineTerrain::kCliff:
      if (old == 8 || old == 9) return;
      break;
    default:
      break;
  }
  cell = static_cast<uint16_t>((written << FineTerrain::kTypeShift) | (cell & FineTerrain::kHeightMask));
}

void Map::ScatterTrees(int32_t x, int32_t y, int32_t terrainType) {
  const bool pines = terrainType == 15 || terrainType == 23;
  const bool woods = terrainType == 14 || terrainType == 22;
  const int32_t count = pines ? 3 : (woods ? 4 : 1);
  // Trees below these numbers go to detail classes 0 and 1; the rest to class 2.
  const int32_t firstClassEnd = pines ? 1 : (woods ? 2 : count);
  const int32_t secondClassEnd = pines ? 2 : 3;
  const float lowX = static_cast<float>(x) * 20.0f;
  const float lowY = static_cast<float>(y) * 20.0f;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t detail = i < firstClassEnd ? 0 : (i < secondClassEnd ? 1 : 2);
    for (int32_t attempt = 0; attempt < 16; ++attempt) {
      float px;
      float py;
      if (i == 1) {
        px = lowX + (RandomFloatTimes(0.5f) + 0.25f) * 20.0f;
        py = lowY + (RandomFloatTimes(0.5f) + 0.25f) * 20.0f;
      } else {
        px = lowX + (RandomFloatTimes(0.8f) + 0.1f) * 20.0f;
        py = lowY + (RandomFloatTimes(0.8f) + 0.1f) * 20.0f;
      }
      // No tree on a road, a bridge or in a crater.
      const int32_t type = TerrainTypeAt(px, py);
      if (IsRoadType(type) || IsBridgeTerrain(type) || (type >= 1 && type <= 3)) continue;
      objects.trees[detail].Append(new MapTree(px, py, ElevationAt(px, py), pines, terrainType == 12));
      break;
    }
  }
}
