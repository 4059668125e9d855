// The terrain set-up passes that turn the stored heights and codes into corner heights, the
// low-detail mesh, level ground, tile shapes, road pieces, road ends and the height pyramids.
#include <algorithm>
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapMask.h"

namespace {

// The road kinds of the road-end flags: their fine-grid road type and first road code.
constexpr int32_t kRoadKindFirstCode[3] = {96, 45, 153};

// Bit per matching neighbour of a shaped tile.
constexpr int32_t kW = 1;
constexpr int32_t kE = 2;
constexpr int32_t kN = 4;
constexpr int32_t kS = 8;

// (shape, rotation) of a shaped tile by the set of neighbours that match it.
struct ShapeEntry {
  int16_t shape;
  uint8_t rotation;
};
constexpr ShapeEntry ShapeFor(int32_t m) {
  switch (m) {
    case kW | kE | kN | kS: return {0, 0};
    case kW | kE | kN: return {1, 0};
    case kW | kN | kS: return {1, 1};
    case kW | kE | kS: return {1, 2};
    case kE | kN | kS: return {1, 3};
    case kW | kN: return {2, 0};
    case kW | kS: return {2, 1};
    case kE | kS: return {2, 2};
    case kE | kN: return {2, 3};
    case kW | kE: return {3, 0};
    case kN | kS: return {3, 1};
    case kN: return {4, 0};
    case kW: return {4, 1};
    case kS: return {4, 2};
    case kE: return {4, 3};
    default: return {5, 0};
  }
}

// Fixed (shape, rotation) of the pavement codes 47 to 58.
constexpr ShapeEntry kPavementShapes[12] = {
    {0, 0}, {0, 1}, {3, 0}, {3, 1}, {3, 2}, {3, 3}, {4, 0}, {4, 1}, {4, 2}, {4, 3}, {2, 0}, {1, 0},
};

// Pattern indices of the neighbouring road pieces that reach each tile corner.
constexpr int32_t kCorner0FromAbove[] = {3, 5, 10, 13, 16, 21, 22, 29, 30, 31, 32, 37, 39, 40, 41, 46, 49};
constexpr int32_t kCorner3FromAbove[] = {2, 6, 11, 12, 17, 20, 23, 33, 34, 35, 36, 37, 38, 39, 41, 48, 49};
constexpr int32_t kCorner1FromBelow[] = {2, 4, 9, 15, 18, 20, 23, 33, 34, 35, 36, 37, 38, 40, 41, 46, 47};
constexpr int32_t kCorner2FromBelow[] = {3, 7, 8, 14, 19, 21, 22, 29, 30, 31, 32, 38, 39, 40, 41, 47, 48};

// A list of pattern indices as one bit each, so that a road end is looked up, not searched
// for, on every tile of every map read.
template <size_t N>
constexpr uint64_t BitsOf(const int32_t (&list)[N]) {
  uint64_t bits = 0;
  for (int32_t index : list) bits |= uint64_t{1} << index;
  return bits;
}

constexpr uint64_t kCorner0Bits = BitsOf(kCorner0FromAbove);
constexpr uint64_t kCorner3Bits = BitsOf(kCorner3FromAbove);
constexpr uint64_t kCorner1Bits = BitsOf(kCorner1FromBelow);
constexpr uint64_t kCorner2Bits = BitsOf(kCorner2FromBelow);

bool InList(uint64_t bits, int32_t index) { return index >= 0 && index < 64 && (bits >> index & 1u) != 0; }

// Height in whole metres as the pyramids keep it: nudged away from zero and truncated.
int16_t RoundedHeight(float t) {
  double nudged = t < 0.0f ? static_cast<double>(t) - 0.01 : static_cast<double>(t) + 0.01;
  return static_cast<int16_t>(std::clamp(std::trunc(nudged), -32768.0, 32767.0));
}

}  // namespace

// The stored codes exist only while Read runs its passes.
uint8_t Map::StoredCodeAt(int32_t x, int32_t y) const {
  if (terrain.storedCode == nullptr) FatalError(1060, "Map.cpp");
  return terrain.storedCode->GetU8(x, y);
}

int32_t Map::StoredRoadCodeAt(int32_t x, int32_t y) const {
  if (terrain.storedRoadCode == nullptr) FatalError(1066, "Map.cpp");
  return terrain.storedRoadCode->GetU8(x, y);
}

void Map::ComputeVertexHeights() {
  MapGrid<float>& V = terrain.vertexHeight;
  const MapGrid<float>& T = terrain.tileHeight;
  const int32_t w = size.tilesX;
  const int32_t h = size.tilesY;
  // Edges and corners of the map.
  for (int32_t x = w - 1; x >= 1; --x) {
    V.At(x, 0) = (T.At(x - 1, 0) + T.At(x, 0)) * 0.5f;
    V.At(x, h) = (T.At(x - 1, h - 1) + T.At(x, h - 1)) * 0.5f;
  }
  for (int32_t y = h - 1; y >= 1; --y) {
    V.At(0, y) = (T.At(0, y - 1) + T.At(0, y)) * 0.5f;
    V.At(w, y) = (T.At(w - 1, y - 1) + T.At(w - 1, y)) * 0.5f;
  }
  V.At(0, 0) = T.At(0, 0);
  V.At(0, h) = T.At(0, h - 1);
  V.At(w, 0) = T.At(w - 1, 0);
  V.At(w, h) = T.At(w - 1, h - 1);
  // Slope class of every tile: +lower neighbours on a rise, -higher ones in a hollow.
  MapGrid<int8_t> slope;
  slope.Init(w, h);
  for (int32_t x = 0; x < w; ++x) {
    for (int32_t y = 0; y < h; ++y) {
      const float t = T.At(x, y);
      int32_t lower = 0;
      int32_t higher = 0;
      const int32_t dx[4] = {-1, 1, 0, 0};
      const int32_t dy[4] = {0, 0, -1, 1};
      for (int32_t k = 0; k < 4; ++k) {
        if (!T.Contains(x + dx[k], y + dy[k])) continue;
        float n = T.At(x + dx[k], y + dy[k]);
        if (n < t) ++lower;
        else if (n > t) ++higher;
      }
      slope.At(x, y) = static_cast<int8_t>(higher == 0 ? lower : (lower == 0 ? -higher : 0));
    }
  }
  // Inner corners: the peak or pit rule, else the mean of the four tiles.
  for (int32_t y = 1; y < h; ++y) {
    for (int32_t x = 1; x < w; ++x) {
      const float heights[4] = {T.At(x - 1, y - 1), T.At(x - 1, y), T.At(x, y - 1), T.At(x, y)};
      const int32_t classes[4] = {slope.At(x - 1, y - 1), slope.At(x - 1, y), slope.At(x, y - 1), slope.At(x, y)};
      int32_t p = 0;
      int32_t n = 0;
      for (int32_t c : classes) {
        p = std::max(p, c);
        n = std::min(n, c);
      }
      const bool peak = p != 0 && p > -n;
      const bool pit = !peak && n != 0 && p < -n;
      float sorted[4] = {heights[0], heights[1], heights[2], heights[3]};
      std::sort(sorted, sorted + 4);
      float v;
      if (peak && sorted[2] == sorted[3]) v = sorted[3];
      else if (pit && sorted[0] == sorted[1]) v = sorted[0];
      else v = (heights[0] + heights[1] + heights[2] + heights[3]) * 0.25f;
      V.At(x, y) = v;
    }
  }
  // The low-detail mesh, block by block of 4 x 4 tiles.
  MapGrid<float>& L = terrain.lodVertexHeight;
  for (int32_t y = 0; y <= h; ++y) L.At(w, y) = V.At(w, y);
  for (int32_t x = 0; x < w; ++x) L.At(x, h) = V.At(x, h);
  for (int32_t y = 0; y < h; y += 4) {
    for (int32_t x = 0; x < w; x += 4) {
      if (x + 4 > w || y + 4 > h) {
        // A block reaching past the map keeps the full-detail corners inside the map.
        for (int32_t i = 0; i < 4 && x + i <= w; ++i)
          for (int32_t j = 0; j < 4 && y + j <= h; ++j) L.At(x + i, y + j) = V.At(x + i, y + j);
        continue;
      }
      const float a = V.At(x, y);
      L.At(x, y) = a;
      float b = V.At(x, y + 4);
      L.At(x, y + 1) = (3.0f * a + b) * 0.25f;
      L.At(x, y + 2) = (a + b) * 0.5f;
      L.At(x, y + 3) = (3.0f * b + a) * 0.25f;
      b = V.At(x + 4, y);
      L.At(x + 1, y) = (3.0f * a + b) * 0.25f;
      L.At(x + 2, y) = (a + b) * 0.5f;
      L.At(x + 3, y) = (3.0f * b + a) * 0.25f;
      const float c = V.At(x + 2, y + 2);
      L.At(x + 2, y + 2) = c;
      L.At(x + 1, y + 1) = (c + V.At(x, y)) * 0.5f;
      L.At(x + 3, y + 1) = (c + V.At(x + 4, y)) * 0.5f;
      L.At(x + 1, y + 3) = (c + V.At(x, y + 4)) * 0.5f;
      L.At(x + 3, y + 3) = (c + V.At(x + 4, y + 4)) * 0.5f;
      L.At(x + 2, y + 1) = c * 0.5f + (V.At(x, y) + V.At(x + 4, y)) * 0.25f;
      L.At(x + 1, y + 2) = c * 0.5f + (V.At(x, y) + V.At(x, y + 4)) * 0.25f;
      L.At(x + 3, y + 2) = c * 0.5f + (V.At(x + 4, y) + V.At(x + 4, y + 4)) * 0.25f;
      L.At(x + 2, y + 3) = c * 0.5f + (V.At(x, y + 4) + V.At(x + 4, y + 4)) * 0.25f;
    }
  }
  // Tile centres of the low-detail mesh, along the diagonal that splits each tile.
  for (int32_t x = 0; x < w; ++x) {
    for (int32_t y = 0; y < h; ++y) {
      bool even = (((x & 3) + (y & 3)) & 1) == 0;
      terrain.lodTileHeight.At(x, y) = even ? (L.At(x, y) + L.At(x + 1, y + 1)) * 0.5f
                                            : (L.At(x, y + 1) + L.At(x + 1, y)) * 0.5f;
    }
  }
}

void Map::ApplyRoadCodes() {
  for (int32_t y = 0; y < size.tilesY; ++y) {
    for (int32_t x = 0; x < size.tilesX; ++x) {
      MapTile& tile = terrain.tiles.At(x, y);
      tile.roadCode = static_cast<uint8_t>(StoredRoadCodeAt(x, y));
      int32_t type = 0;
      int32_t index = 0;
      if (!MapMask::DecodeRoadCode(tile.roadCode, type, index)) continue;
      if (index < 0 || index >= MapMask::kRoadPieceCount) FatalError(483, "MapIO.cpp");
      tile.road = type;
      tile.roadShape = kRoadPieces[index].shape;
      tile.roadRotation = kRoadPieces[index].rotation;
      tile.roadMirrored = kRoadPieces[index].mirrored != 0;
    }
  }
}

void Map::ApplyTerrainCodes() {
  const int32_t w = size.tilesX;
  const int32_t h = size.tilesY;
  // Level ground under buildings, water and straight roads.
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      int32_t c = StoredCodeAt(x, y);
      if (c >= 59 && c <= 90) {
        FlattenTile(x, y, true, 0);
      } else if (c == 12 || c == 25 || c == 27 || c == 45 || c == 46) {
        FlattenTile(x, y, false, 0);
      } else {
        int32_t road = StoredRoadCodeAt(x, y);
        if (road == 45 || road == 96 || road == 153) FlattenTile(x, y, false, 1);
        else if (road == 46 || road == 97 || road == 154) FlattenTile(x, y, false, 2);
      }
    }
  }
  // Terrain fields and the objects the codes make.
  const bool snow = IsSnowGround();
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      MapTile& tile = terrain.tiles.At(x, y);
      int32_t c = StoredCodeAt(x, y);
      tile.code = static_cast<uint8_t>(c);
      if (c == 0) continue;
      if (c >= 91 && c <= 98) {
        SetTileTerrain(x, y, c >= 97 ? 0 : (snow ? 27 : 25), tile);
        MakeBridgePieces(x, y, c);
      } else if (c < 59) {
        SetTileTerrain(x, y, c, tile);
      } else if (c <= 90) {
        MakeBuildings(x, y, c);
      } else if (c > 99) {
        MakeWalls(x, y, c);
      }
    }
  }
}

bool Map::HoldsCorner(int32_t x, int32_t y, float t) const {
  if (!terrain.tiles.Contains(x, y)) return false;
  int32_t code = StoredCodeAt(x, y);
  return code >= 59 && code <= 99 && terrain.tileHeight.At(x, y) != t;
}

void Map::FlattenTile(int32_t x, int32_t y, bool dropIfBlocked, int32_t axis) {
  const MapGrid<float>& T = terrain.tileHeight;
  MapGrid<float>& V = terrain.vertexHeight;
  const float t = T.At(x, y);
  float& c00 = V.At(x, y);
  float& c01 = V.At(x, y + 1);
  float& c11 = V.At(x + 1, y + 1);
  float& c10 = V.At(x + 1, y);
  if (t == c00 && t == c01 && t == c11 && t == c10) return;
  if (axis == 1 && y >= 1 && y < size.tilesY - 1 && (T.At(x, y - 1) != t || T.At(x, y + 1) != t)) return;
  if (axis == 2 && x >= 1 && x < size.tilesX - 1 && (T.At(x - 1, y) != t || T.At(x + 1, y) != t)) return;
  auto mayMove = [&](float corner, int32_t ax, int32_t ay, int32_t bx, int32_t by, int32_t cx, int32_t cy) {
    return corner == t || !(HoldsCorner(ax, ay, t) || HoldsCorner(bx, by, t) || HoldsCorner(cx, cy, t));
  };
  bool free = mayMove(c00, x - 1, y, x - 1, y - 1, x, y - 1) && mayMove(c01, x - 1, y, x - 1, y + 1, x, y + 1) &&
              mayMove(c11, x + 1, y, x + 1, y + 1, x, y + 1) && mayMove(c10, x + 1, y, x + 1, y - 1, x, y - 1);
  if (free) {
    c00 = t;
    c01 = t;
    c11 = t;
    c10 = t;
  } else if (dropIfBlocked) {
    // The building cannot stand level here: it is not built.
    terrain.storedCode->SetU8(x, y, 0);
    SetTileBurning(x, y, 0);
  }
}

int32_t Map::BridgeNeighbourCode(int32_t code) const {
  if (code == 97 || code == 98) return 9;
  if ((code >= 91 && code <= 96) || code == 45 || code == 46) return IsSnowGround() ? 27 : 25;
  return code;
}

void Map::SetTileTerrain(int32_t x, int32_t y, int32_t code, MapTile& tile) {
  tile.terrain = code;
  tile.mirrored = 0;
  if (code == 45 || code == 46) {
    tile.terrain = 26;
    tile.rotation = code == 45 ? 1 : 0;
    tile.shape = 0;
  } else if (code >= 47 && code <= 58) {
    tile.terrain = 11;
    const ShapeEntry& e = kPavementShapes[code - 47];
    tile.shape = e.shape;
    tile.rotation = e.rotation;
  } else if ((code >= 12 && code <= 17) || code == 25 || code == 27) {
    auto matches = [&](int32_t nx, int32_t ny) {
      return !terrain.tiles.Contains(nx, ny) || BridgeNeighbourCode(StoredCodeAt(nx, ny)) == code;
    };
    int32_t m = (matches(x - 1, y) ? kW : 0) | (matches(x + 1, y) ? kE : 0) | (matches(x, y - 1) ? kN : 0) |
                (matches(x, y + 1) ? kS : 0);
    ShapeEntry e = ShapeFor(m);
    tile.shape = e.shape;
    tile.rotation = e.rotation;
  } else {
    tile.rotation = static_cast<uint8_t>(Random(4));
    tile.shape = 0;
  }
}

void Map::DrawGroundVariation() {
  for (int32_t i = 7; i >= 0; --i)
    for (int32_t j = 7; j >= 0; --j) terrain.groundVariation[i][j] = static_cast<uint8_t>(Random(5) + 3);
}

void Map::BuildHeightPyramids() {
  DrawGroundVariation();
  const int32_t w = size.tilesX;
  const int32_t h = size.tilesY;
  // Blocks of 4 x 4 tiles, a partial block at the far edges included.
  terrain.blockFlags.Init((w + 3) / 4, (h + 3) / 4);
  terrain.flatHeight[0].Init(w, h);
  MapGrid<int16_t> low;
  MapGrid<int16_t> high;
  low.Init(w, h);
  high.Init(w, h);
  const MapGrid<float>& V = terrain.vertexHeight;
  for (int32_t x = 0; x < w; ++x) {
    for (int32_t y = 0; y < h; ++y) {
      const float t = terrain.tileHeight.At(x, y);
      const float corners[4] = {V.At(x, y), V.At(x, y + 1), V.At(x + 1, y + 1), V.At(x + 1, y)};
      if (corners[0] == t && corners[1] == t && corners[2] == t && corners[3] == t) {
        int16_t r = RoundedHeight(t);
        low.At(x, y) = r;
        high.At(x, y) = r;
        terrain.flatHeight[0].At(x, y) = r;
      } else {
        float mn = t;
        float mx = t;
        for (float c : corners) {
          mn = std::min(mn, c);
          mx = std::max(mx, c);
        }
        low.At(x, y) = RoundedHeight(mn);
        high.At(x, y) = RoundedHeight(mx);
        terrain.flatHeight[0].At(x, y) = -999;
      }
    }
  }
  for (int32_t level = 1; level <= 2; ++level) {
    const MapGrid<int16_t>& below = terrain.flatHeight[level - 1];
    const int32_t lw = std::max(1, (below.Width() + 1) / 2);
    const int32_t lh = std::max(1, (below.Height() + 1) / 2);
    terrain.flatHeight[level].Init(lw, lh);
    MapGrid<int16_t> nextLow;
    MapGrid<int16_t> nextHigh;
    if (level == 1) {
      nextLow.Init(lw, lh);
      nextHigh.Init(lw, lh);
    } else {
      terrain.blockMinHeight.Init(lw, lh);
      terrain.blockMaxHeight.Init(lw, lh);
      terrain.blockViewState.Init(lw, lh);
    }
    for (int32_t i = 0; i < lw; ++i) {
      for (int32_t j = 0; j < lh; ++j) {
        // A missing child counts as the first child.
        const int32_t cx[4] = {2 * i, 2 * i + 1, 2 * i, 2 * i + 1};
        const int32_t cy[4] = {2 * j, 2 * j, 2 * j + 1, 2 * j + 1};
        int16_t flat[4];
        int16_t mn = low.At(2 * i, 2 * j);
        int16_t mx = high.At(2 * i, 2 * j);
        for (int32_t k = 0; k < 4; ++k) {
          int32_t x = below.Contains(cx[k], cy[k]) ? cx[k] : 2 * i;
          int32_t y = below.Contains(cx[k], cy[k]) ? cy[k] : 2 * j;
          flat[k] = below.At(x, y);
          mn = std::min(mn, low.At(x, y));
          mx = std::max(mx, high.At(x, y));
        }
        bool common = below.Contains(2 * i + 1, 2 * j + 1) && flat[0] == flat[1] && flat[0] == flat[2] &&
                      flat[0] == flat[3];
        terrain.flatHeight[level].At(i, j) = common ? flat[0] : -999;
        if (level == 1) {
          nextLow.At(i, j) = mn;
          nextHigh.At(i, j) = mx;
        } else {
          terrain.blockMinHeight.At(i, j) = static_cast<float>(mn);
          terrain.blockMaxHeight.At(i, j) = static_cast<float>(mx) + 18.0f;
        }
      }
    }
    if (level == 1) {
      low = std::move(nextLow);
      high = std::move(nextHigh);
    }
  }
}

void Map::MarkRoadEnds(int32_t y, int32_t x, MapTile& tile, int32_t kind) {
  const int32_t first = kRoadKindFirstCode[kind];
  if (y - 1 >= 0) {
    int32_t index = StoredRoadCodeAt(x, y - 1) - first;
    if (InList(kCorner0Bits, index)) tile.roadEnds[0][kind] = 1;
    if (InList(kCorner3Bits, index)) tile.roadEnds[3][kind] = 1;
  }
  if (y + 1 < size.tilesY) {
    int32_t index = StoredRoadCodeAt(x, y + 1) - first;
    if (InList(kCorner1Bits, index)) tile.roadEnds[1][kind] = 1;
    if (InList(kCorner2Bits, index)) tile.roadEnds[2][kind] = 1;
  }
}
