#include "game/map/MapPathWork.h"

#include <algorithm>

namespace {

// Heap order: the entry that should leave first compares greatest.
bool LeavesLater(const MapPathWork::OpenEntry& a, const MapPathWork::OpenEntry& b) {
  if (a.f != b.f) return a.f > b.f;
  return a.xy > b.xy;
}

}  // namespace

void MapPathWork::Begin(int32_t width, int32_t height) {
  const size_t cells = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (cells_.size() != cells) {
    cells_.assign(cells, CellRecord{0, -1});
    generation_ = 0;
  }
  if (++generation_ == 0) {
    // After four thousand million searches the stamps start again from a cleared grid.
    std::fill(cells_.begin(), cells_.end(), CellRecord{0, -1});
    generation_ = 1;
  }
  nodesUsed_ = 0;
  open_.clear();
  goalCost = -1;
  expanded = 0;
  reopened = 0;
  savedFlag[0] = savedFlag[1] = false;
}

void MapPathWork::Push(int32_t node) {
  const Node& n = nodes[static_cast<size_t>(node)];
  open_.push_back({n.f, static_cast<uint32_t>(n.x) << 16 | static_cast<uint32_t>(n.y), node});
  std::push_heap(open_.begin(), open_.end(), LeavesLater);
}

int32_t MapPathWork::PopLeast() {
  while (!open_.empty()) {
    std::pop_heap(open_.begin(), open_.end(), LeavesLater);
    const OpenEntry entry = open_.back();
    open_.pop_back();
    const Node& n = nodes[static_cast<size_t>(entry.node)];
    // An entry left behind when the node was priced lower, or closed since, is stale.
    if (n.state == kOpen && n.f == entry.f) return entry.node;
  }
  return -1;
}
