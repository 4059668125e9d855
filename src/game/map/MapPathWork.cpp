#include "game/map/MapPathWork.h"

#include <algorithm>

#include "framework/core/Quorl.h"

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
  open_.assign(kHeapStart, OpenEntry{0, -1});
  goalCost = -1;
  expanded = 0;
  reopened = 0;
  savedFlag[0] = savedFlag[1] = false;
}

void MapPathWork::Push(int32_t node) {
  const Node& n = nodes[static_cast<size_t>(node)];
  if (n.f < 0 || n.f > kMaxKeyF || n.x < 0 || n.y < 0 || n.x >= (1 << kKeyCellBits) || n.y >= (1 << kKeyCellBits)) {
    FatalError(41, "AIPath.cpp");
  }
  const OpenEntry entry{static_cast<uint64_t>(n.f) << (2 * kKeyCellBits) |
                            static_cast<uint64_t>(n.x) << kKeyCellBits | static_cast<uint64_t>(n.y),
                        node};
  if (open_.size() < kHeapStart) open_.assign(kHeapStart, OpenEntry{0, -1});
  size_t i = open_.size() - kHeapStart;
  open_.push_back(entry);
  OpenEntry* heap = open_.data() + kHeapStart;
  while (i > 0) {
    const size_t parent = (i - 1) / 4;
    if (heap[parent].key < entry.key) break;
    heap[i] = heap[parent];
    i = parent;
  }
  heap[i] = entry;
}

int32_t MapPathWork::PopLeast() {
  while (open_.size() > kHeapStart) {
    OpenEntry* heap = open_.data() + kHeapStart;
    const OpenEntry top = heap[0];
    const OpenEntry last = open_.back();
    open_.pop_back();
    const size_t count = open_.size() - kHeapStart;
    if (count > 0) {
      size_t i = 0;
      for (;;) {
        const size_t first = 4 * i + 1;
        if (first >= count) break;
        size_t least = first;
        const size_t end = std::min(first + 4, count);
        for (size_t c = first + 1; c < end; ++c) {
          if (heap[c].key < heap[least].key) least = c;
        }
        if (last.key < heap[least].key) break;
        heap[i] = heap[least];
        i = least;
      }
      heap[i] = last;
    }
    const Node& n = nodes[static_cast<size_t>(top.node)];
    if (n.state == kOpen && static_cast<uint64_t>(n.f) == top.key >> (2 * kKeyCellBits)) return top.node;
  }
  return -1;
}
