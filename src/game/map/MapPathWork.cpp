#include "game/map/MapPathWork.h"

#include <algorithm>
#include <bit>
#include <iterator>

#include "framework/core/Quorl.h"

void MapPathWork::Begin(int32_t width, int32_t height) {
  const size_t cells = static_cast<size_t>(width) * static_cast<size_t>(height);
  // A budget past what a record can name is a programmer error.
  if (budget > static_cast<int32_t>(kNodeMask) + 1) FatalError(24, "AIPath.cpp");
  if (cells_.size() != cells) {
    cells_.assign(cells, 0u);
    generation_ = 0;
  }
  Restart();
  goalCost = -1;
  expanded = 0;
  reopened = 0;
  savedFlag[0] = savedFlag[1] = false;
}

void MapPathWork::Restart() {
  if (++generation_ == kStampLimit) {
    // The stamps start again from cleared records.
    std::fill(cells_.begin(), cells_.end(), 0u);
    generation_ = 1;
  }
  nodesUsed_ = 0;
  open_.assign(kHeapStart, OpenEntry{0, -1});
  for (std::vector<OpenEntry>& bucket : buckets_) bucket.clear();
  filled_ = 0;
  zeroFilled_ = false;
  least_ = 0;
}

void MapPathWork::Push(int32_t node) {
  const Node& n = nodes[static_cast<size_t>(node)];
  if (n.f < 0 || n.f > kMaxKeyF || n.x < 0 || n.y < 0 || n.x >= (1 << kKeyCellBits) || n.y >= (1 << kKeyCellBits)) {
    FatalError(41, "AIPath.cpp");
  }
  const OpenEntry entry{static_cast<uint64_t>(n.f) << (2 * kKeyCellBits) |
                            static_cast<uint64_t>(n.x) << kKeyCellBits | static_cast<uint64_t>(n.y),
                        node};
  if (entry.key < least_) {
    PushBelow(entry);
    return;
  }
  const int32_t b = BucketOf(entry.key);
  buckets_[b].push_back(entry);
  if (b == 0) zeroFilled_ = true;
  else filled_ |= uint64_t{1} << (b - 1);
}

int32_t MapPathWork::BucketOf(uint64_t key) const {
  return key == least_ ? 0 : 64 - std::countl_zero(key ^ least_);
}

bool MapPathWork::BringLeastDown() {
  if (zeroFilled_) return true;
  if (filled_ == 0) return false;
  // The lowest filled bucket holds the least keys; its least becomes the floor, and its entries
  // move to the buckets below by their distance from it.
  const int32_t b = std::countr_zero(filled_) + 1;
  std::vector<OpenEntry>& from = buckets_[b];
  uint64_t least = from.front().key;
  for (const OpenEntry& e : from) least = std::min(least, e.key);
  least_ = least;
  filled_ &= ~(uint64_t{1} << (b - 1));
  for (const OpenEntry& e : from) {
    const int32_t to = BucketOf(e.key);
    buckets_[to].push_back(e);
    if (to == 0) zeroFilled_ = true;
    else filled_ |= uint64_t{1} << (to - 1);
  }
  from.clear();
  return true;
}

int32_t MapPathWork::PopLeast() {
  for (;;) {
    const bool above = BringLeastDown();
    const bool below = open_.size() > kHeapStart;
    if (!above && !below) return -1;
    OpenEntry top;
    if (below && (!above || open_[kHeapStart].key < least_)) {
      top = PopBelow();
    } else {
      top = buckets_[0].back();
      buckets_[0].pop_back();
      zeroFilled_ = !buckets_[0].empty();
    }
    const Node& n = nodes[static_cast<size_t>(top.node)];
    if (n.state == kOpen && static_cast<uint64_t>(n.f) == top.key >> (2 * kKeyCellBits)) return top.node;
  }
}

void MapPathWork::PushBelow(const OpenEntry& entry) {
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

MapPathWork::OpenEntry MapPathWork::PopBelow() {
  OpenEntry* heap = open_.data() + kHeapStart;
  const OpenEntry top = heap[0];
  const OpenEntry last = open_.back();
  open_.pop_back();
  const size_t count = open_.size() - kHeapStart;
  if (count > 0) {
    // The hole left at the top sinks along the least children to the bottom, then the last
    // entry rises from there: the last entry mostly belongs near the bottom, so this compares
    // less than sinking it from the top. Keys are distinct (a node re-enters only at a lower
    // f), so the least entry, and every pop, is the same either way.
    size_t i = 0;
    for (;;) {
      const size_t first = 4 * i + 1;
      if (first + 4 <= count) {
        const size_t a = heap[first + 1].key < heap[first].key ? first + 1 : first;
        const size_t b = heap[first + 3].key < heap[first + 2].key ? first + 3 : first + 2;
        const size_t least = heap[b].key < heap[a].key ? b : a;
        heap[i] = heap[least];
        i = least;
        continue;
      }
      if (first < count) {
        size_t least = first;
        for (size_t c = first + 1; c < count; ++c) {
          if (heap[c].key < heap[least].key) least = c;
        }
        heap[i] = heap[least];
        i = least;
      }
      break;
    }
    while (i > 0) {
      const size_t parent = (i - 1) / 4;
      if (heap[parent].key < last.key) break;
      heap[i] = heap[parent];
      i = parent;
    }
    heap[i] = last;
  }
  return top;
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
