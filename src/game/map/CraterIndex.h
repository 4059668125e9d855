#pragma once
#include <cstdint>
#include <vector>

#include "game/map/MapGrid.h"

class Crater;
class GGroup;

// The map's lasting craters bucketed by the 20 m tiles their squares touch, so that asking
// whether a point lies in a crater reads one small bucket instead of the whole list, however
// long a bombardment has made it. The index remembers the list it was built from and how many
// craters it held: when the list is another one or its count changed without the index being
// told, the answer falls back to a scan of the whole list, so it is never wrong, only slower.
class CraterIndex {
 public:
  // Buckets every crater of the list (which may be null) on a map of the given tiles.
  void Rebuild(const GGroup* craters, int32_t tilesX, int32_t tilesY);
  // Adds a crater just appended to the indexed list.
  void Add(const GGroup* craters, const Crater& crater);
  // Whether a crater of the list holds the point in its square. Allocates nothing.
  bool Contains(const GGroup* craters, float x, float y) const;

 private:
  void Bucket(const Crater& crater);
  int32_t TileOf(float metres, int32_t tiles) const;

  // One bit a tile: whether its bucket holds anything. Most tiles have no crater, and the bits
  // of a whole map fit in the first-level cache where the buckets do not.
  bool MayHold(int32_t tileX, int32_t tileY) const {
    const auto bit = static_cast<size_t>(tileY) * static_cast<size_t>(tilesX_) + static_cast<size_t>(tileX);
    return ((occupied_[bit >> 6] >> (bit & 63)) & 1u) != 0;
  }

  MapGrid<std::vector<const Crater*>> buckets_;
  std::vector<uint64_t> occupied_;
  int32_t tilesX_ = 0;
  int32_t tilesY_ = 0;
  const GGroup* list_ = nullptr;
  int32_t indexed_ = 0;
};
