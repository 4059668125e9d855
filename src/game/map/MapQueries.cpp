// The map's point queries: terrain type, concealment, elevation, surface height, the map edge
// in a direction, and lasting craters at a point. They are asked for every unit, shot and
// sight-line step, so they allocate nothing and read at most four cells of the fine grid
// (plus one crater bucket); any point is accepted, however far off the map or not finite.
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/map/Heading.h"
#include "game/map/Map.h"
#include "game/map/MapPointMemo.h"
#include "game/map/MapObjectList.h"

int32_t Map::CellTypeAt(float x, float y) const {
  const int32_t cx = TruncateToInt32(x * 0.5f);
  const int32_t cy = TruncateToInt32(y * 0.5f);
  if (!terrain.fineGrid.Contains(cx, cy)) return FineTerrain::kOpenGround;
  const int32_t type = FineTerrain::TypeOf(terrain.fineGrid.At(cx, cy));
  if (type > FineTerrain::kLastType) FatalError(2201, "Map");
  return type;
}

int32_t Map::TerrainTypeAt(float x, float y) const { return WithCrater(CellTypeAt(x, y), x, y); }

int32_t Map::WithCrater(int32_t type, float x, float y) const {
  if (!IsTypeInClass(type, true) || !HasCraterAt(x, y)) return type;
  switch (type) {
    case 14: case 15: case 22: case 23:
      return 3;
    case 13: case 21:
      return 2;
    default:
      return 1;
  }
}

bool Map::IsTypeInClass(int32_t type, bool wide) {
  switch (type) {
    case 0: case 5: case 6: case 7: case 8: case 13: case 14: case 15: case 16: case 17: case 20:
    case 21: case 22: case 23:
      return true;
    case 9: case 10: case 11: case 18:
      return wide;
    default:
      return false;
  }
}

bool Map::IsConcealingType(int32_t type, bool strict) {
  switch (type) {
    case 1: case 2: case 3: case 6: case 7: case 13: case 14: case 15: case 18: case 19: case 21:
    case 22: case 23: case 31: case 32: case 33: case 34: case 35:
      return true;
    case 16: case 17:
      return !strict;
    default:
      return false;
  }
}

bool Map::IsConcealingAt(float x, float y, bool strict) const {
  if (!IsOnMap(x, y)) return true;
  return IsConcealingType(TerrainTypeAt(x, y), strict);
}

float Map::ElevationAt(float x, float y) const {
  // Onto the map, just inside its edges; a point that is not a number goes to the low edge.
  if (!(x > 0.0f)) x = 0.01f;
  else if (x >= size.worldWidth) x = size.worldWidth - 0.01f;
  if (!(y > 0.0f)) y = 0.01f;
  else if (y >= size.worldHeight) y = size.worldHeight - 0.01f;
  const float fx = x * 0.5f;
  const float fy = y * 0.5f;
  const int32_t cx = TruncateToInt32(fx);
  const int32_t cy = TruncateToInt32(fy);
  const MapGrid<uint16_t>& grid = terrain.fineGrid;
  // The point's own cell says whether it stands on a structure (a crater never shows on one).
  const bool structure = grid.Contains(cx, cy) && IsStructureTerrain(FineTerrain::TypeOf(grid.At(cx, cy)));
  const float wx0 = static_cast<float>(cx + 1) - fx;
  const float wx1 = fx - static_cast<float>(cx);
  const float wy0 = static_cast<float>(cy + 1) - fy;
  const float wy1 = fy - static_cast<float>(cy);
  struct Sample {
    int32_t i;
    int32_t j;
    float weight;
  };
  const Sample samples[4] = {{cx, cy, wx0 * wy0}, {cx, cy + 1, wx0 * wy1}, {cx + 1, cy + 1, wx1 * wy1}, {cx + 1, cy, wx1 * wy0}};
  float sum = 0.0f;
  float weights = 0.0f;
  for (const Sample& s : samples) {
    if (!grid.Contains(s.i, s.j)) continue;
    const uint16_t word = grid.At(s.i, s.j);
    if (IsStructureTerrain(FineTerrain::TypeOf(word)) != structure) continue;
    sum += s.weight * CodeToHeight(FineTerrain::HeightCodeOf(word));
    weights += s.weight;
  }
  if (!(weights > 0.0f)) return 0.0f;
  return sum / weights;
}

bool Map::MemoStands(MapPointMemo& memo) const {
  if (memo.mapSerial_ == serial_ && memo.gridRevision_ == terrain.fineGrid.Revision() &&
      memo.heightEpoch_ == heightEpoch_ && memo.worldWidth_ == size.worldWidth && memo.worldHeight_ == size.worldHeight) {
    return true;
  }
  memo.mapSerial_ = serial_;
  memo.gridRevision_ = terrain.fineGrid.Revision();
  memo.heightEpoch_ = heightEpoch_;
  memo.worldWidth_ = size.worldWidth;
  memo.worldHeight_ = size.worldHeight;
  memo.elevationKnown_ = false;
  for (MapPointMemo::Cell& cell : memo.cells_) cell.known = false;
  return false;
}

int32_t Map::CellTypeAt(float x, float y, MapPointMemo& memo) const {
  // The stored type depends on the cell alone (CellTypeAt reads nothing else).
  const int32_t cx = TruncateToInt32(x * 0.5f);
  const int32_t cy = TruncateToInt32(y * 0.5f);
  if (MemoStands(memo)) {
    for (const MapPointMemo::Cell& cell : memo.cells_) {
      if (cell.known && cell.x == cx && cell.y == cy) return cell.type;
    }
  }
  memo.newerCell_ = (memo.newerCell_ + 1) % MapPointMemo::kCells;
  MapPointMemo::Cell& cell = memo.cells_[memo.newerCell_];
  cell.type = CellTypeAt(x, y);
  cell.x = cx;
  cell.y = cy;
  cell.known = true;
  return cell.type;
}

int32_t Map::TerrainTypeAt(float x, float y, MapPointMemo& memo) const {
  return WithCrater(CellTypeAt(x, y, memo), x, y);
}

float Map::ElevationAt(float x, float y, MapPointMemo& memo) const {
  // Kept by the point's exact bits (a point that is not a number is never kept).
  if (MemoStands(memo) && memo.elevationKnown_ && memo.elevationX_ == x && memo.elevationY_ == y) {
    return memo.elevation_;
  }
  memo.elevation_ = ElevationAt(x, y);
  memo.elevationX_ = x;
  memo.elevationY_ = y;
  memo.elevationKnown_ = true;
  return memo.elevation_;
}

float Map::SurfaceHeightAt(float x, float y) const {
  const float ground = ElevationAt(x, y);
  const int32_t type = CellTypeAt(x, y);
  return type >= 33 && type <= 35 ? ground + 6.0f : ground;
}

int32_t Map::EdgeInDirection(float x, float y, float bearing) const {
  const float c = std::cos(bearing * 0.017453292f);
  const float s = std::sin(bearing * 0.017453292f);
  if (s == 0.0f) return c <= 0.0f ? 0 : 2;
  if (c == 0.0f) return s <= 0.0f ? 3 : 1;
  const float w = size.worldWidth;
  const float h = size.worldHeight;
  if (!(x > 0.0f)) x = 0.0f;
  else if (x > w) x = w;
  if (!(y > 0.0f)) y = 0.0f;
  else if (y > h) y = h;
  if (s <= 0.0f) {
    if (c < 0.0f) return x - y * (-c) / (-s) < 0.0f ? 0 : 3;
    return x + y * c / (-s) < w ? 3 : 2;
  }
  if (c < 0.0f) return x - (h - y) * (-c) / s < 0.0f ? 0 : 1;
  return x + (h - y) * c / s < w ? 1 : 2;
}

void Map::EdgeBearings(float x, float y, int32_t edge, float& from, float& to, float& distance) const {
  const float w = size.worldWidth;
  const float h = size.worldHeight;
  switch (edge) {
    case 1:
      from = HeadingDegrees(w - x, h - y);
      to = HeadingDegrees(-x, h - y);
      distance = h - y;
      break;
    case 0:
      from = HeadingDegrees(-x, h - y);
      to = HeadingDegrees(-x, -y);
      distance = x;
      break;
    case 3:
      from = HeadingDegrees(-x, -y);
      to = HeadingDegrees(w - x, -y);
      distance = y;
      break;
    default:
      from = HeadingDegrees(w - x, -y);
      to = HeadingDegrees(w - x, h - y) + 360.0f;
      distance = w - x;
      break;
  }
}

bool Map::HasCraterAt(float x, float y) const { return objects.craterIndex.Contains(objects.craters, x, y); }

void Map::IndexCraters() { objects.craterIndex.Rebuild(objects.craters, size.tilesX, size.tilesY); }

void Map::IndexLastingCrater(const Crater& crater) { objects.craterIndex.Add(objects.craters, crater); }
