#include "game/map/CraterIndex.h"

#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "game/map/Crater.h"

int32_t CraterIndex::TileOf(float metres, int32_t tiles) const {
  // The tile is the floor of metres / 20 held to the map; truncation differs from the floor
  // only below zero, where both are held to tile 0, so no floor is taken.
  int32_t tile = TruncateToInt32(static_cast<double>(metres * 0.05f));
  if (tile < 0) return 0;
  if (tile >= tiles) return tiles - 1;
  return tile;
}

void CraterIndex::Bucket(const Crater& crater) {
  // An empty or unreadable square holds no point.
  if (!(crater.radius >= 0.0f)) return;
  if (!buckets_.IsSized()) {
    buckets_.Init(tilesX_, tilesY_);
    occupied_.assign((static_cast<size_t>(tilesX_) * static_cast<size_t>(tilesY_) + 63) / 64, 0);
  }
  const int32_t x0 = TileOf(crater.x - crater.radius, tilesX_);
  const int32_t x1 = TileOf(crater.x + crater.radius, tilesX_);
  const int32_t y0 = TileOf(crater.y - crater.radius, tilesY_);
  const int32_t y1 = TileOf(crater.y + crater.radius, tilesY_);
  for (int32_t x = x0; x <= x1; ++x)
    for (int32_t y = y0; y <= y1; ++y) {
      buckets_.At(x, y).push_back(&crater);
      const auto bit = static_cast<size_t>(y) * static_cast<size_t>(tilesX_) + static_cast<size_t>(x);
      occupied_[bit >> 6] |= uint64_t{1} << (bit & 63);
    }
}

void CraterIndex::Rebuild(const GGroup* craters, int32_t tilesX, int32_t tilesY) {
  buckets_.Free();
  occupied_.clear();
  tilesX_ = tilesX;
  tilesY_ = tilesY;
  list_ = craters;
  indexed_ = 0;
  if (craters == nullptr || tilesX < 1 || tilesY < 1) return;
  for (int32_t i = 0; i < craters->Count(); ++i) Bucket(*static_cast<const Crater*>(craters->GetItem(i)));
  indexed_ = craters->Count();
}

void CraterIndex::Add(const GGroup* craters, const Crater& crater) {
  if (craters != list_ || craters == nullptr || craters->Count() != indexed_ + 1) {
    Rebuild(craters, tilesX_, tilesY_);
    return;
  }
  if (tilesX_ >= 1 && tilesY_ >= 1) Bucket(crater);
  indexed_ = craters->Count();
}

bool CraterIndex::Contains(const GGroup* craters, float x, float y) const {
  if (craters == nullptr) return false;
  if (craters != list_ || craters->Count() != indexed_) {
    for (int32_t i = 0; i < craters->Count(); ++i) {
      if (static_cast<const Crater*>(craters->GetItem(i))->SquareContains(x, y)) return true;
    }
    return false;
  }
  if (!buckets_.IsSized()) return false;
  const int32_t tileX = TileOf(x, tilesX_);
  const int32_t tileY = TileOf(y, tilesY_);
  if (!MayHold(tileX, tileY)) return false;
  for (const Crater* crater : buckets_.At(tileX, tileY)) {
    if (crater->SquareContains(x, y)) return true;
  }
  return false;
}
