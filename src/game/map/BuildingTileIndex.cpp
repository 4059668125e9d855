#include "game/map/BuildingTileIndex.h"

#include <algorithm>

#include "framework/core/GGroup.h"
#include "game/map/Building.h"

bool BuildingTileIndex::IsCurrent(const GGroup& buildings) const {
  return built_ && list_ == &buildings && stamp_ == buildings.Stamp();
}

void BuildingTileIndex::Rebuild(const GGroup& buildings) {
  const int32_t count = buildings.Count();
  list_ = &buildings;
  stamp_ = buildings.Stamp();
  byTile_.clear();
  bridges_.clear();
  for (int32_t i = 0; i < count; ++i) {
    const auto* building = static_cast<const Building*>(buildings.GetItem(i));
    if (building->IsBridge()) bridges_.push_back({i, building->BridgeBox()});
    else byTile_.emplace_back(KeyOf(building->tileX, building->tileY), i);
  }
  std::sort(byTile_.begin(), byTile_.end());
  // The span of tiles anything can hold. Tile numbers grow with the metres (truncation, then
  // division toward zero), so a box from a to b only reaches the tiles from a's to b's; a box
  // whose edges are out of order or unreadable holds no point at all.
  held_.clear();
  everyTile_ = false;
  int64_t x0 = INT64_MAX, y0 = INT64_MAX, x1 = INT64_MIN, y1 = INT64_MIN;
  const auto widen = [&](int64_t ax, int64_t ay, int64_t bx, int64_t by) {
    x0 = std::min(x0, ax);
    y0 = std::min(y0, ay);
    x1 = std::max(x1, bx);
    y1 = std::max(y1, by);
  };
  for (const auto& [key, index] : byTile_) {
    const auto* building = static_cast<const Building*>(buildings.GetItem(index));
    widen(building->tileX, building->tileY, building->tileX, building->tileY);
  }
  for (const Bridge& bridge : bridges_) {
    if (!(bridge.box.minX <= bridge.box.maxX && bridge.box.minY <= bridge.box.maxY)) continue;
    widen(Building::TileOf(bridge.box.minX), Building::TileOf(bridge.box.minY), Building::TileOf(bridge.box.maxX),
          Building::TileOf(bridge.box.maxY));
  }
  spanW_ = x1 >= x0 ? x1 - x0 + 1 : 0;
  spanH_ = y1 >= y0 ? y1 - y0 + 1 : 0;
  spanX0_ = spanW_ > 0 ? static_cast<int32_t>(x0) : 0;
  spanY0_ = spanH_ > 0 ? static_cast<int32_t>(y0) : 0;
  constexpr int64_t kMostTiles = int64_t{1} << 22;
  if (spanW_ > kMostTiles || spanH_ > kMostTiles || spanW_ * spanH_ > kMostTiles) {
    everyTile_ = true;
  } else {
    held_.assign(static_cast<size_t>((spanW_ * spanH_ + 63) / 64), 0);
    for (const auto& [key, index] : byTile_) {
      const auto* building = static_cast<const Building*>(buildings.GetItem(index));
      MarkTile(building->tileX, building->tileY);
    }
    for (const Bridge& bridge : bridges_) {
      if (!(bridge.box.minX <= bridge.box.maxX && bridge.box.minY <= bridge.box.maxY)) continue;
      for (int32_t ty = Building::TileOf(bridge.box.minY); ty <= Building::TileOf(bridge.box.maxY); ++ty)
        for (int32_t tx = Building::TileOf(bridge.box.minX); tx <= Building::TileOf(bridge.box.maxX); ++tx)
          MarkTile(tx, ty);
    }
  }
  built_ = true;
}

void BuildingTileIndex::MarkTile(int32_t tileX, int32_t tileY) {
  const auto bit = static_cast<size_t>((static_cast<int64_t>(tileY) - spanY0_) * spanW_ +
                                       (static_cast<int64_t>(tileX) - spanX0_));
  held_[bit >> 6] |= uint64_t{1} << (bit & 63);
}

bool BuildingTileIndex::MayHold(const GGroup& buildings, float x, float y) {
  if (buildings.Count() == 0) return false;
  if (!IsCurrent(buildings)) Rebuild(buildings);
  if (everyTile_) return true;
  const int64_t tx = static_cast<int64_t>(Building::TileOf(x)) - spanX0_;
  const int64_t ty = static_cast<int64_t>(Building::TileOf(y)) - spanY0_;
  if (tx < 0 || ty < 0 || tx >= spanW_ || ty >= spanH_) return false;
  const auto bit = static_cast<size_t>(ty * spanW_ + tx);
  return ((held_[bit >> 6] >> (bit & 63)) & 1u) != 0;
}

Building* BuildingTileIndex::Find(const GGroup& buildings, float x, float y, int32_t terrainType) {
  if (buildings.Count() == 0) return nullptr;
  if (!IsCurrent(buildings)) Rebuild(buildings);
  // Outside the lenient test a building holds only points of its own tile, and the entries of
  // one key are in list order, so the first that holds the point is the list's first.
  const int64_t key = KeyOf(Building::TileOf(x), Building::TileOf(y));
  auto it = std::lower_bound(byTile_.begin(), byTile_.end(), std::make_pair(key, INT32_MIN));
  for (; it != byTile_.end() && it->first == key; ++it) {
    auto* building = static_cast<Building*>(buildings.GetItem(it->second));
    if (building->ContainsWithTerrain(x, y, false, terrainType)) return building;
  }
  for (const Bridge& bridge : bridges_) {
    if (bridge.box.Holds(x, y)) return static_cast<Building*>(buildings.GetItem(bridge.index));
  }
  return nullptr;
}
