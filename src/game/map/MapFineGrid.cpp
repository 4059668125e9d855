// The fine grid of 2 m cells: its build from the tile map, the roads and road ends stamped
// into it, the steep edges, the triangle and tile stamps the map objects use, and the trees
// scattered on wooded tiles.
#include <algorithm>
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapMask.h"
#include "game/map/MapTree.h"

namespace {

constexpr const char* kSource = "Map";
constexpr int32_t kCellsPerTile = 10;

}  // namespace

void Map::BuildHeightTable() {
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

// Height of the tile surface at (px, py), the sample point already moved back by 1 m: the
// tile is four triangles around its centre, and the point's triangle holds the centre and two
// corners.
float SurfaceOnTile(const TileSurface& t, float px, float py) {
  const float lx = px - 20.0f * static_cast<float>(t.tx);
  const float ly = py - 20.0f * static_cast<float>(t.ty);
  const int32_t ax = lx + ly <= 20.0f ? 0 : 1;
  const int32_t bx = ly <= lx ? 1 : 0;
  const int32_t by = 1 - bx;
  const float x0 = (static_cast<float>(t.tx) + 0.5f) * 20.0f;
  const float y0 = (static_cast<float>(t.ty) + 0.5f) * 20.0f;
  const float z0 = t.centre;
  const float ux = static_cast<float>(t.tx + ax) * 20.0f - x0;
  const float uy = static_cast<float>(t.ty + ax) * 20.0f - y0;
  const float uz = t.corner[ax][ax] - z0;
  const float vx = static_cast<float>(t.tx + bx) * 20.0f - x0;
  const float vy = static_cast<float>(t.ty + by) * 20.0f - y0;
  const float vz = t.corner[bx][by] - z0;
  const float nx = uy * vz - uz * vy;
  const float ny = uz * vx - ux * vz;
  const float nz = ux * vy - uy * vx;
  float height = 0.0f;
  if (nz != 0.0f) height = z0 - (nx * (px - x0) + ny * (py - y0)) / nz;
  return height + 0.1f;
}

TileSurface SurfaceOf(const Map& map, int32_t tx, int32_t ty) {
  TileSurface t{};
  t.tx = tx;
  t.ty = ty;
  t.centre = map.terrain.tileHeight.At(tx, ty);
  for (int32_t dx = 0; dx < 2; ++dx)
    for (int32_t dy = 0; dy < 2; ++dy) t.corner[dx][dy] = map.terrain.vertexHeight.At(tx + dx, ty + dy);
  return t;
}

}  // namespace

void Map::BuildFineGrid() {
  BuildHeightTable();
  const int32_t cellsX = TruncateToInt32(size.worldWidth * 0.5f + 0.1f);
  const int32_t cellsY = TruncateToInt32(size.worldHeight * 0.5f + 0.1f);
  terrain.fineGrid.Init(std::max(cellsX, 0), std::max(cellsY, 0));
  for (int32_t x = size.tilesX - 1; x >= 0; --x) {
    for (int32_t y = size.tilesY - 1; y >= 0; --y) {
      const MapTile& tile = terrain.tiles.At(x, y);
      const int32_t type = tile.terrain;
      if (IsRoadType(type)) FatalError(1601, kSource);
      int32_t shape = tile.shape;
      if (type == 0 || type == 11 || type == 26 || type == 16) shape = 0;
      else if (type == 18) shape = 6;
      else if (shape < 0 || shape > 5) FatalError(1605, kSource);
      const MapMask& mask = kShapeMasks[shape];
      const float cornerX = 20.0f * static_cast<float>(x) + 1.0f;
      const float cornerY = 20.0f * static_cast<float>(y) + 1.0f;
      // A sample point is moved back by 1 m to find its tile: that is always this tile (20x
      // to 20x + 18 m), so its heights are read once.
      const TileSurface surface = SurfaceOf(*this, x, y);
      for (int32_t i = 0; i < kCellsPerTile; ++i) {
        for (int32_t j = 0; j < kCellsPerTile; ++j) {
          const int32_t cx = kCellsPerTile * x + i;
          const int32_t cy = kCellsPerTile * y + j;
          if (!terrain.fineGrid.Contains(cx, cy)) continue;
          const float sampleX = cornerX + 2.0f * static_cast<float>(i);
          const float sampleY = cornerY + 2.0f * static_cast<float>(j);
          const float height = SurfaceOnTile(surface, sampleX - 1.0f, sampleY - 1.0f);
          int32_t cellType = mask.Covers(tile.rotation, tile.mirrored != 0, i, j) ? type : 0;
          terrain.fineGrid.At(cx, cy) = static_cast<uint16_t>((cellType << FineTerrain::kTypeShift) | HeightToCode(height));
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
      if (tile.roadShape < 0 || tile.roadShape >= MapMask::kRoadCount) FatalError(1631, kSource);
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
  // Walls and buildings stamp their own footprints; they come with the map objects.
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
