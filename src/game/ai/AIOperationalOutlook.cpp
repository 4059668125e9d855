// The set-up outlook grid: how much of the ground towards the enemy's edges each tile of the
// side's set-up zone overlooks, near (75 and 250 m) and far (500 and 1000 m).
#include <cmath>

#include "framework/core/GDynamicArray.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/battle/Battle.h"
#include "game/map/Map.h"

namespace {

constexpr int32_t kDirections = 16;
constexpr double kNearRing[2] = {75.0, 250.0};
constexpr double kFarRing[2] = {500.0, 1000.0};

struct DirectionTable {
  float x[kDirections];
  float y[kDirections];
  DirectionTable() {
    constexpr double kStep = 22.5 * 3.14159265358979323846 / 180.0;
    for (int32_t k = 0; k < kDirections; ++k) {
      x[k] = static_cast<float>(std::sin(k * kStep));
      y[k] = static_cast<float>(std::cos(k * kStep));
    }
  }
};

const DirectionTable& Directions() {
  static const DirectionTable table;
  return table;
}

struct RingCount {
  float seen = 0.0f;
  float total = 0.0f;
};

// Samples one ring of two radii from the tile centre (x, y) at ground height h.
RingCount SampleRing(const Battle& battle, float x, float y, float h, const double* radii, const bool* mask) {
  const Map& map = *battle.map;
  const DirectionTable& dirs = Directions();
  RingCount ring;
  for (int32_t r = 0; r < 2; ++r) {
    double radius = radii[r];
    const double visibility = battle.visibilityRange;
    if (visibility < radius) radius = (radius / 1000.0 * 0.5 + 0.5) * visibility;
    const auto reach = static_cast<float>(radius);
    for (int32_t k = 0; k < kDirections; ++k) {
      if (!mask[k]) continue;
      const float qx = x + reach * dirs.x[k];
      const float qy = y + reach * dirs.y[k];
      if (!map.IsOnMap(qx, qy)) {
        ring.seen += 0.25f;
        ring.total += 0.5f;
        continue;
      }
      float seenFraction = 0.0f;
      float distance = 0.0f;
      if (map.TraceLine(false, false, false, x, y, h, qx, qy, map.SurfaceHeightAt(qx, qy), seenFraction, distance) &&
          seenFraction > 0.0f) {
        ring.seen += 1.0f;
      }
      ring.total += 1.0f;
    }
  }
  if (ring.total < 1.0f) ring.total = 1.0f;
  return ring;
}

}  // namespace

bool AIOperational::IsSideZoneValue(int32_t side, int32_t zone) {
  return side == 1 ? zone >= 1 && zone <= 3 : zone >= 4 && zone <= 6;
}

uint16_t AIOperational::TileOutlook(const AIPlanContext& context, int32_t tx, int32_t ty, const bool* mask) {
  const Battle& battle = *context.battle;
  const float x = (static_cast<float>(tx) + 0.5f) * Map::kTileSize;
  const float y = (static_cast<float>(ty) + 0.5f) * Map::kTileSize;
  const float h = battle.map->ElevationAt(x, y);
  const RingCount nearRing = SampleRing(battle, x, y, h, kNearRing, mask);
  const RingCount farRing = SampleRing(battle, x, y, h, kFarRing, mask);
  const auto far = static_cast<int32_t>(static_cast<double>(farRing.seen) * 100.0 / farRing.total);
  const double packed = far * 256.0 + static_cast<double>(nearRing.seen) * 100.0 / nearRing.total;
  return static_cast<uint16_t>(static_cast<int32_t>(packed) & 0xFFFF);
}

void AIOperational::BuildOutlookGrid(const AIPlanContext& context, GDynamicArray& grid) {
  const Battle& battle = *context.battle;
  bool mask[kDirections] = {};
  // Edges 0 West, 1 North, 2 East, 3 South; each faces five compass points.
  static constexpr int32_t kEdgeFirstDirection[4] = {10, 14, 2, 6};
  for (int32_t edge = 0; edge < 4; ++edge) {
    const int32_t owner = battle.edgeOwner[edge];
    if (owner == 2 || owner == context.side) continue;
    for (int32_t d = 0; d < 5; ++d) mask[(kEdgeFirstDirection[edge] + d) % kDirections] = true;
  }
  grid.Zero();
  const auto& tiles = battle.map->terrain.tiles;
  for (int32_t tx = tiles.Width() - 1; tx >= 0; --tx) {
    for (int32_t ty = tiles.Height() - 1; ty >= 0; --ty) {
      if (!IsSideZoneValue(context.side, tiles.At(tx, ty).zone)) continue;
      grid.SetU16(ty, tx, TileOutlook(context, tx, ty, mask));
    }
  }
}
