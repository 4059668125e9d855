#include "game/map/MapPathWork.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "framework/core/Quorl.h"

void MapPathWork::Begin(const uint8_t* grid, int32_t width, int32_t height, int32_t moveClass, uint64_t identity) {
  // The open set's keys hold a cell's coordinates in 12 bits each.
  if (width < 0 || height < 0 || width > (1 << kKeyCellBits) || height > (1 << kKeyCellBits)) {
    FatalError(41, "AIPath.cpp");
  }
  if (moveClass < 0 || moveClass >= kClasses) FatalError(42, "AIPath.cpp");
  const size_t cells = static_cast<size_t>(width + 2) * static_cast<size_t>(height + 2);
  if (width != width_ || height != height_) {
    width_ = width;
    height_ = height;
    stride_ = height + 2;
    records_.assign(cells, 0u);
    steps_.assign(cells, 0u);
    touchedCount_ = 0;
    for (auto& values : values_) values.clear();
  }
  Restart();
  class_ = moveClass;
  std::vector<uint8_t, LargeTable<uint8_t>>& values = values_[static_cast<size_t>(moveClass)];
  if (values.size() != cells || loaded_[moveClass] != identity) {
    if (values.size() != cells) values.assign(cells, kCoarseMark);
    Reload(grid, 0, 0, width, height);
    ++frameLoads;
    loaded_[moveClass] = identity;
  }
  goalCost = -1;
  expanded = 0;
  reopened = 0;
  savedFlag[0] = savedFlag[1] = false;
}

void MapPathWork::Reload(const uint8_t* grid, int32_t x0, int32_t y0, int32_t w, int32_t h) {
  const size_t gh = static_cast<size_t>(height_);
  uint8_t* values = values_[static_cast<size_t>(class_)].data();
  for (int32_t x = x0; x < x0 + w; ++x) {
    std::memcpy(values + CellOf(x, y0), grid + static_cast<size_t>(x) * gh + static_cast<size_t>(y0), static_cast<size_t>(h));
  }
}

void MapPathWork::Restart() {
  for (size_t i = 0; i < touchedCount_; ++i) records_[static_cast<size_t>(touched_[i])] = 0u;
  touchedCount_ = 0;
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
