// The road steps of the random map generator: roads from the centre and from the edges,
// their clean-up into road pieces, and the town centre.
#include <algorithm>
#include <cmath>
#include <vector>

#include "editor/RandomMapGenerator.h"
#include "editor/RandomMapTables.h"
#include "framework/core/PortableMath.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"

namespace {

// Turning keeps a road within one step of its first direction o and never reverses it.
int32_t Turn(int32_t d, int32_t o) {
  if (d == o) d = d + Random(3) + 7;
  else if (d == o + 1 || d == o - 7) d = d + 8 - Random(2);
  else d = d + Random(2);
  return d % 8;
}

// Bits of the neighbour mask in direction order: 0 (0, +1) gives 1, 1 (+1, +1) gives 2 ...
constexpr int32_t kBit[8] = {1, 2, 4, 8, 16, 32, 64, 128};

}  // namespace

int32_t RandomMapGenerator::FullMask(int32_t x, int32_t y) const {
  const uint8_t v = roadGrid_.GetU8(x, y);
  int32_t mask = 0;
  for (int32_t d = 0; d < RandomMapTables::kDirections; ++d) {
    const int32_t nx = x + RandomMapTables::DirectionX(d);
    const int32_t ny = y + RandomMapTables::DirectionY(d);
    if (InGrid(nx, ny) && roadGrid_.GetU8(nx, ny) == v) mask |= kBit[d];
  }
  return mask;
}

int32_t RandomMapGenerator::ReducedMask(int32_t x, int32_t y) const { return RandomMapTables::ReduceMask(FullMask(x, y)); }

void RandomMapGenerator::Walk(int32_t x, int32_t y, int32_t direction, bool fromCentre) {
  const int32_t first = direction;
  int32_t d = direction;
  int32_t length = 0;
  while (InGrid(x, y)) {
    ++length;
    roadGrid_.SetU8(x, y, roadValue_);
    if (fromCentre ? (length > 6 && Random(12) == 0) : Random(18) == 0) d = Turn(d, first);
    x += RandomMapTables::DirectionX(d);
    y += RandomMapTables::DirectionY(d);
  }
}

void RandomMapGenerator::LayRoads() {
  // Step 1, counts.
  int32_t fromCentre = 0;
  switch (params_.mapType) {
    case 0: fromCentre = Random(4) + 4; break;
    case 1: fromCentre = Random(4) + 3; break;
    case 2: fromCentre = Random(2) + 2; break;
    default: fromCentre = Random(3) == 0 ? 2 : 0; break;
  }
  const double scale = static_cast<double>(RandomFloatTimes(0.8f)) + 0.6;
  const auto edgeRoads = static_cast<int32_t>(static_cast<double>(meanSide_) * scale /
                                              RandomMapTables::EdgeRoadDivisor(params_.mapType));
  bool used[RandomMapTables::kDirections] = {};
  fromCentre = std::min(fromCentre, RandomMapTables::kDirections);

  // Step 2, roads from the centre; later ones tend to branch off earlier ones.
  int32_t previousFirst = 0;
  for (int32_t road = 0; road < fromCentre; ++road) {
    int32_t d = 0;
    if (road == 0 || Random(4) == 0) d = Random(8);
    else d = (previousFirst + 4) % 8;
    while (used[d]) d = Random(8);
    int32_t x = centreX_;
    int32_t y = centreY_;
    const int32_t reach = std::min(w_, h_) / 4;
    if (road > 0 && reach > 0) {
      int32_t r = Random(reach);
      while (r > 0) {
        const int32_t cx = centreX_ + Random(2 * r + 1) - r;
        const int32_t cy = centreY_ + Random(2 * r + 1) - r;
        if (InGrid(cx, cy) && roadGrid_.GetU8(cx, cy) != 0) {
          x = cx;
          y = cy;
          break;
        }
        if (Random(2) == 0) --r;
      }
    }
    used[d] = true;
    previousFirst = d;
    Walk(x, y, d, true);
  }

  // Step 3, roads from the edges, each leading away from its own border side.
  for (int32_t road = 0; road < edgeRoads; ++road) {
    const int32_t side = Random(4);
    int32_t x = 0;
    int32_t y = 0;
    int32_t d = 0;
    switch (side) {
      case 0:
        x = 0;
        y = Random(h_ + 2);
        d = Random(3) + 1;
        break;
      case 1:
        x = w_ + 1;
        y = Random(h_ + 2);
        d = Random(3) + 5;
        break;
      case 2:
        x = Random(w_ + 2);
        y = 0;
        d = (Random(3) + 7) % 8;
        break;
      default:
        x = Random(w_ + 2);
        y = h_ + 1;
        d = Random(3) + 3;
        break;
    }
    Walk(x, y, d, false);
  }
}

void RandomMapGenerator::CloseDiagonalJoins() {
  bool changed = true;
  while (changed) {
    changed = false;
    for (int32_t x = w_; x >= 1; --x) {
      for (int32_t y = h_; y >= 1; --y) {
        const uint8_t v = roadGrid_.GetU8(x, y);
        if (v == 0) continue;
        const int32_t mask = FullMask(x, y);
        for (int32_t i = 0; i < 8; ++i) {
          if (mask != RandomMapTables::ClosingMask(i)) continue;
          roadGrid_.SetU8(x + RandomMapTables::ClosingDx(i), y + RandomMapTables::ClosingDy(i), v);
          changed = true;
          break;
        }
      }
    }
  }
}

// Passes until one removes nothing: a removal can leave a neighbour visited earlier with a
// mask that has no piece, so one pass is not enough.
void RandomMapGenerator::Prune() {
  bool removed = true;
  while (removed) {
    removed = false;
    for (int32_t x = w_; x >= 1; --x) {
      for (int32_t y = h_; y >= 1; --y) {
        if (roadGrid_.GetU8(x, y) == 0) continue;
        if (RandomMapTables::PieceOfMask(ReducedMask(x, y)) != 0) continue;
        roadGrid_.SetU8(x, y, 0);
        removed = true;
      }
    }
  }
}

// Clears the road cells that no longer touch the border ring through other road cells:
// closed loops the pruning cut off. Touching cells always link through their pieces (an
// unlinked diagonal has a road cell beside both), so whole groups go and no piece changes.
void RandomMapGenerator::CutOffUnlinked() {
  const int32_t gw = w_ + 2;
  const int32_t gh = h_ + 2;
  std::vector<uint8_t> reached(static_cast<size_t>(gw) * static_cast<size_t>(gh), 0);
  std::vector<int32_t> queue;
  auto index = [gh](int32_t x, int32_t y) { return static_cast<size_t>(x) * static_cast<size_t>(gh) + static_cast<size_t>(y); };
  for (int32_t x = 0; x < gw; ++x) {
    for (int32_t y = 0; y < gh; ++y) {
      const bool border = x == 0 || y == 0 || x == gw - 1 || y == gh - 1;
      if (!border || roadGrid_.GetU8(x, y) == 0) continue;
      reached[index(x, y)] = 1;
      queue.push_back(x * gh + y);
    }
  }
  while (!queue.empty()) {
    const int32_t at = queue.back();
    queue.pop_back();
    const int32_t x = at / gh;
    const int32_t y = at % gh;
    for (int32_t d = 0; d < RandomMapTables::kDirections; ++d) {
      const int32_t nx = x + RandomMapTables::DirectionX(d);
      const int32_t ny = y + RandomMapTables::DirectionY(d);
      if (!InGrid(nx, ny) || reached[index(nx, ny)] != 0 || roadGrid_.GetU8(nx, ny) == 0) continue;
      reached[index(nx, ny)] = 1;
      queue.push_back(nx * gh + ny);
    }
  }
  for (int32_t x = 1; x <= w_; ++x) {
    for (int32_t y = 1; y <= h_; ++y) {
      if (reached[index(x, y)] == 0) roadGrid_.SetU8(x, y, 0);
    }
  }
}

void RandomMapGenerator::WriteRoadPieces() {
  const int32_t first = params_.mapType == 0 ? RandomMapTables::kFirstPavedByte : RandomMapTables::kFirstDirtByte;
  for (int32_t x = w_; x >= 1; --x) {
    for (int32_t y = h_; y >= 1; --y) {
      if (roadGrid_.GetU8(x, y) == 0) continue;
      const int32_t piece = RandomMapTables::PieceOfMask(ReducedMask(x, y));
      if (piece == 0) continue;
      map_.terrain.tiles.At(x - 1, y - 1).roadCode = static_cast<uint8_t>(piece - 1 + first);
    }
  }
}

void RandomMapGenerator::FinishRoads() {
  CloseDiagonalJoins();
  Prune();
  CutOffUnlinked();
  WriteRoadPieces();
}

void RandomMapGenerator::TownCentre() {
  if (params_.mapType != 0) return;
  roadGrid_.Zero();
  const double scale = static_cast<double>(RandomFloatTimes(0.6f)) + 0.7;
  const auto buildings = static_cast<int32_t>(static_cast<double>(meanSide_) * scale * (1.0 / 22.0));
  const auto radius = static_cast<int32_t>(std::sqrt(static_cast<double>(buildings)) + 1.0);
  for (int32_t i = 0; i < buildings; ++i) {
    const auto angle = static_cast<float>(static_cast<double>(RandomFloatTimes(360.0f)) * 0.017453292519444445);
    const float t = RandomFloatTimes(static_cast<float>(radius));
    const auto x = static_cast<int32_t>(static_cast<float>(centreX_) + PortableCosF(angle) * t);
    const auto y = static_cast<int32_t>(static_cast<float>(centreY_) + PortableSinF(angle) * t);
    if (x < 0 || x >= w_ || y < 0 || y >= h_) continue;
    roadGrid_.SetU8(x, y, static_cast<uint8_t>(Random(4) + RandomMapTables::kFirstTownBuilding));
  }
  // Pavement around every building.
  for (int32_t x = w_; x >= 1; --x) {
    for (int32_t y = h_; y >= 1; --y) {
      const uint8_t v = roadGrid_.GetU8(x, y);
      if (v == 0 || v == RandomMapTables::kPavement) continue;
      for (int32_t nx = x - 1; nx <= x + 1; ++nx) {
        for (int32_t ny = y - 1; ny <= y + 1; ++ny) {
          if (roadGrid_.GetU8(nx, ny) == 0) roadGrid_.SetU8(nx, ny, RandomMapTables::kPavement);
        }
      }
    }
  }
  // Writing, down to the first row and column of the map.
  constexpr int32_t kSideX[4] = {0, 1, 0, -1};
  constexpr int32_t kSideY[4] = {1, 0, -1, 0};
  for (int32_t x = w_; x >= 1; --x) {
    for (int32_t y = h_; y >= 1; --y) {
      const uint8_t v = roadGrid_.GetU8(x, y);
      if (v == 0) continue;
      MapTile& tile = map_.terrain.tiles.At(x - 1, y - 1);
      tile.roadCode = 0;
      if (v != RandomMapTables::kPavement) {
        tile.code = v;
        continue;
      }
      int32_t sides = 0;
      for (int32_t s = 0; s < 4; ++s) {
        const int32_t nx = x + kSideX[s];
        const int32_t ny = y + kSideY[s];
        const uint8_t n = roadGrid_.GetU8(nx, ny);
        bool joined = n == RandomMapTables::kPavement;
        if (n == 0 && map_.terrain.tiles.Contains(nx - 1, ny - 1)) {
          joined = map_.terrain.tiles.At(nx - 1, ny - 1).roadCode > 95;
        }
        if (joined) sides |= 1 << s;
      }
      tile.code = static_cast<uint8_t>(RandomMapTables::PavementTerrain(sides));
    }
  }
}
