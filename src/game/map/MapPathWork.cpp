#include "game/map/MapPathWork.h"

#include <algorithm>
#include <iterator>

#include "framework/core/Quorl.h"

void MapPathWork::Begin(int32_t width, int32_t height) {
  // The open set's keys hold a cell's coordinates in 12 bits each.
  if (width < 0 || height < 0 || width > (1 << kKeyCellBits) || height > (1 << kKeyCellBits)) {
    FatalError(41, "AIPath.cpp");
  }
  const size_t cells = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (cells_.size() != cells) {
    cells_.assign(cells, 0u);
    steps_.assign(cells, 0u);
    touched_.clear();
  }
  Restart();
  goalCost = -1;
  expanded = 0;
  reopened = 0;
  savedFlag[0] = savedFlag[1] = false;
}

void MapPathWork::Restart() {
  for (const int32_t cell : touched_) cells_[static_cast<size_t>(cell)] = 0u;
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
