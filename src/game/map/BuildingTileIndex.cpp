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
  built_ = true;
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
