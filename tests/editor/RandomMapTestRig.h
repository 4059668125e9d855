#pragma once
// The random map tests' rig: a map in the map tests' world, a recorder of Random's bounds, and
// the checks every generated road network must pass.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "MapTestRig.h"
#include "editor/RandomMapGenerator.h"
#include "editor/RandomMapParams.h"
#include "editor/RandomMapTables.h"
#include "framework/core/Quorl.h"

// Records the bound of every Random call while it lives.
class BoundRecorder {
 public:
  BoundRecorder() {
    Bounds().clear();
    SetRandomBoundObserver([](int32_t n) { Bounds().push_back(n); });
  }
  ~BoundRecorder() { SetRandomBoundObserver(nullptr); }
  BoundRecorder(const BoundRecorder&) = delete;
  BoundRecorder& operator=(const BoundRecorder&) = delete;
  static std::vector<int32_t>& Bounds() {
    static std::vector<int32_t> bounds;
    return bounds;
  }
};

inline RandomMapParams Params(float width, float height, int32_t type, int32_t hilliness, int32_t edge = -1,
                              int32_t trees = 0) {
  RandomMapParams p;
  p.widthMetres = width;
  p.heightMetres = height;
  p.mapType = type;
  p.hilliness = hilliness;
  p.attackerEdge = edge;
  p.treeCoverage = trees;
  return p;
}

inline bool IsPavement(int32_t code) { return code >= 47 && code <= 58; }

inline int32_t PieceOfTile(const Map& map, int32_t x, int32_t y) {
  const int32_t road = map.terrain.tiles.At(x, y).roadCode;
  if (road >= 96) return road - 95;
  if (road >= 45) return road - 44;
  return 0;
}

// Every road piece on the map: its byte is one of the map type's, its shape one that a
// reduced mask can give, and each of its ends leads to a tile whose piece leads back, to
// pavement, or off the map; and every network reaches the edge.
inline void CheckRoadTiles(const Map& map, int32_t type) {
  const int32_t w = map.size.tilesX;
  const int32_t h = map.size.tilesY;
  std::vector<uint8_t> reached(static_cast<size_t>(w * h), 0);
  std::vector<int32_t> queue;
  for (int32_t x = 0; x < w; ++x) {
    for (int32_t y = 0; y < h; ++y) {
      const int32_t road = map.terrain.tiles.At(x, y).roadCode;
      if (road == 0) continue;
      const bool inRange = type == 0 ? (road >= 96 && road <= 145) : (road >= 45 && road <= 94);
      ASSERT_TRUE(inRange) << road;
      const int32_t piece = PieceOfTile(map, x, y);
      ASSERT_FALSE((piece >= 13 && piece <= 24) || (piece >= 30 && piece <= 37)) << piece;
      const int32_t mask = RandomMapTables::MaskOfPiece(piece);
      for (int32_t d = 0; d < 8; ++d) {
        if ((mask & (1 << d)) == 0) continue;
        const int32_t nx = x + RandomMapTables::DirectionX(d);
        const int32_t ny = y + RandomMapTables::DirectionY(d);
        if (!map.terrain.tiles.Contains(nx, ny)) {
          if (reached[static_cast<size_t>(x * h + y)] == 0) queue.push_back(x * h + y);
          reached[static_cast<size_t>(x * h + y)] = 1;
          continue;
        }
        if (IsPavement(map.terrain.tiles.At(nx, ny).code)) continue;
        const int32_t other = PieceOfTile(map, nx, ny);
        ASSERT_NE(other, 0) << x << "," << y << " leads nowhere";
        ASSERT_NE(RandomMapTables::MaskOfPiece(other) & (1 << ((d + 4) % 8)), 0) << x << "," << y;
      }
    }
  }
  // Networks: from the pieces leading off the map along the pieces' ends.
  while (!queue.empty()) {
    const int32_t at = queue.back();
    queue.pop_back();
    const int32_t x = at / h;
    const int32_t y = at % h;
    const int32_t mask = RandomMapTables::MaskOfPiece(PieceOfTile(map, x, y));
    for (int32_t d = 0; d < 8; ++d) {
      const int32_t nx = x + RandomMapTables::DirectionX(d);
      const int32_t ny = y + RandomMapTables::DirectionY(d);
      if ((mask & (1 << d)) == 0 || !map.terrain.tiles.Contains(nx, ny)) continue;
      if (PieceOfTile(map, nx, ny) == 0 || reached[static_cast<size_t>(nx * h + ny)] != 0) continue;
      reached[static_cast<size_t>(nx * h + ny)] = 1;
      queue.push_back(nx * h + ny);
    }
  }
  // Town roads may reach the edge through the pavement instead.
  if (type == 0) return;
  for (int32_t x = 0; x < w; ++x)
    for (int32_t y = 0; y < h; ++y)
      if (map.terrain.tiles.At(x, y).roadCode != 0) {
        ASSERT_EQ(reached[static_cast<size_t>(x * h + y)], 1) << x << "," << y;
      }
}
