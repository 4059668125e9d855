#include "game/map/MapPathWork.h"

#include <algorithm>
#include <iterator>

#include "framework/core/Quorl.h"

void MapPathWork::Begin(const uint8_t* grid, int32_t width, int32_t height, int32_t moveClass, uint64_t identity) {
  // The open set's keys hold a cell's coordinates in 12 bits each.
  if (width < 0 || height < 0 || width > (1 << kKeyCellBits) || height > (1 << kKeyCellBits)) {
    FatalError(41, "AIPath.cpp");
  }
  if (width != width_ || height != height_) {
    width_ = width;
    height_ = height;
    stride_ = height + 2;
    const size_t cells = static_cast<size_t>(width + 2) * static_cast<size_t>(stride_);
    cells_.assign(cells, Cell{0u, 0u, 0u, kOutside, 0u});
    touched_.clear();
    loadedClass_ = -1;
  }
  Restart();
  if (moveClass != loadedClass_ || identity != loadedIdentity_) {
    Reload(grid, 0, 0, width, height);
    ++frameLoads;
    loadedClass_ = moveClass;
    loadedIdentity_ = identity;
  }
  goalCost = -1;
  expanded = 0;
  reopened = 0;
  savedFlag[0] = savedFlag[1] = false;
}

void MapPathWork::Reload(const uint8_t* grid, int32_t x0, int32_t y0, int32_t w, int32_t h) {
  const size_t gh = static_cast<size_t>(height_);
  for (int32_t x = x0; x < x0 + w; ++x) {
    const uint8_t* column = grid + static_cast<size_t>(x) * gh;
    const uint8_t* blockColumn = grid + static_cast<size_t>(x / 10 * 10) * gh;
    Cell* out = cells_.data() + CellOf(x, 0);
    for (int32_t y = y0; y < y0 + h; ++y) {
      const uint8_t v = column[y];
      out[y].cost = v;
      out[y].kind = static_cast<uint8_t>(KindOf(v) | (blockColumn[y / 10 * 10] == kCoarseMark ? kInCoarseBlock : 0));
    }
  }
}

void MapPathWork::Restart() {
  for (const int32_t cell : touched_) cells_[static_cast<size_t>(cell)].record = 0u;
  touched_.clear();
  nodesUsed_ = 0;
  open.Clear();
}

const MapPathWork::Remembered* MapPathWork::Recall(int32_t moveClass, uint64_t revision, const int32_t (&cells)[6],
                                                   float worldWidth, float worldHeight) const {
  if (!remember) return nullptr;
  for (const Remembered& r : remembered_) {
    if (r.moveClass == moveClass && r.revision == revision && r.budget == budget &&
        std::equal(std::begin(cells), std::end(cells), std::begin(r.cells)) && r.worldWidth == worldWidth &&
        r.worldHeight == worldHeight) {
      return &r;
    }
  }
  return nullptr;
}

void MapPathWork::Keep(int32_t moveClass, uint64_t revision, const int32_t (&cells)[6], float worldWidth,
                       float worldHeight, int32_t result, const PathPoints* route) {
  if (!remember) return;
  Remembered r;
  r.moveClass = moveClass;
  r.revision = revision;
  std::copy(std::begin(cells), std::end(cells), std::begin(r.cells));
  r.budget = budget;
  r.worldWidth = worldWidth;
  r.worldHeight = worldHeight;
  r.result = result;
  r.goalCost = goalCost;
  r.expanded = expanded;
  r.reopened = reopened;
  if (route != nullptr) r.points = *route;
  if (remembered_.size() < kRemembered) {
    remembered_.push_back(r);
    return;
  }
  remembered_[nextRemembered_] = r;
  nextRemembered_ = (nextRemembered_ + 1) % kRemembered;
}
