#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "game/map/Building.h"

class GGroup;

// The map's buildings by the tile they stand on, so that finding the building at a point reads
// the few on its tile and the bridges instead of every building of the map. The index keeps the
// list it was made from and the list's stamp (which any change of its members or their order
// changes) and rebuilds itself whenever either differs, so a list changed without telling the
// index is still answered exactly.
class BuildingTileIndex {
 public:
  // The building holding the point, as a search of the whole list in order would give it:
  // the first building that is not a bridge, else the first bridge. The terrain type is the
  // map's at the point.
  Building* Find(const GGroup& buildings, float x, float y, int32_t terrainType);
  // False when no building can hold the point: its tile has no building and no bridge's box
  // reaches it. Find then answers null whatever the terrain, so a caller can skip reading it.
  bool MayHold(const GGroup& buildings, float x, float y);

 private:
  bool IsCurrent(const GGroup& buildings) const;
  void Rebuild(const GGroup& buildings);
  static int64_t KeyOf(int32_t tileX, int32_t tileY) {
    return (static_cast<int64_t>(tileX) << 32) | static_cast<uint32_t>(tileY);
  }

  const GGroup* list_ = nullptr;
  uint64_t stamp_ = 0;
  std::vector<std::pair<int64_t, int32_t>> byTile_;  // (tile key, list index) of non-bridges, sorted
  // List indices of bridges, in order, with each bridge's box (a bridge's corners are fixed
  // once it is made, so the box is read once per rebuild rather than at every search).
  struct Bridge {
    int32_t index;
    Building::Box box;
  };
  std::vector<Bridge> bridges_;
  // One bit a tile over the tiles the buildings and the bridges' boxes cover: whether a
  // building stands on it or a box reaches it. Tiles outside the span hold nothing. When the
  // span would be unreasonably large (damaged corners), every tile is taken as possibly held.
  void MarkTile(int32_t tileX, int32_t tileY);
  std::vector<uint64_t> held_;
  int32_t spanX0_ = 0;
  int32_t spanY0_ = 0;
  int64_t spanW_ = 0;
  int64_t spanH_ = 0;
  bool everyTile_ = false;
  bool built_ = false;
};
