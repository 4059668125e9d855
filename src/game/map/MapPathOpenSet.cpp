#include "game/map/MapPathOpenSet.h"

#include <algorithm>
#include <bit>

void MapPathOpenSet::Clear() {
  atFloor_.Clear();
  below_.Clear();
  for (std::vector<uint64_t>& bucket : buckets_) bucket.clear();
  filled_ = 0;
  floor_ = 0;
}

void MapPathOpenSet::BringLeastDown() {
  if (filled_ == 0) return;
  // The lowest filled bucket holds the least prices; its least becomes the floor, and its keys
  // move to the floor's heap or to the buckets below by their distance from it.
  const int32_t b = std::countr_zero(filled_) + 1;
  std::vector<uint64_t>& from = buckets_[b];
  uint64_t least = from.front();
  for (const uint64_t key : from) least = std::min(least, key);
  floor_ = least >> kLowBits;
  filled_ &= ~(uint64_t{1} << (b - 1));
  for (const uint64_t key : from) {
    const uint64_t price = key >> kLowBits;
    if (price == floor_) {
      atFloor_.Push(key);
      continue;
    }
    const int32_t to = 64 - std::countl_zero(price ^ floor_);
    buckets_[to].push_back(key);
    filled_ |= uint64_t{1} << (to - 1);
  }
  from.clear();
}

namespace {

// Puts key at place i of the four-way heap or above it, where it is no less than its parent.
void RiseFrom(uint64_t* heap, size_t i, uint64_t key) {
  while (i > 0) {
    const size_t parent = (i - 1) / 4;
    if (heap[parent] < key) break;
    heap[i] = heap[parent];
    i = parent;
  }
  heap[i] = key;
}

}  // namespace

void MapPathOpenSet::Heap::Push(uint64_t key) {
  if (keys_.size() < kStart + size_ + 1) keys_.resize(std::max<size_t>(kStart + 64, 2 * (kStart + size_ + 1)));
  RiseFrom(keys_.data() + kStart, size_++, key);
}

uint64_t MapPathOpenSet::Heap::Pop() {
  uint64_t* heap = keys_.data() + kStart;
  const uint64_t top = heap[0];
  const uint64_t last = heap[--size_];
  const size_t count = size_;
  if (count > 0) {
    // The hole left at the top sinks along the least children to the bottom, then the last
    // key rises from there: the last key mostly belongs near the bottom, so this compares
    // less than sinking it from the top, and the keys being distinct, the order is the same.
    size_t i = 0;
    for (;;) {
      const size_t first = 4 * i + 1;
      if (first + 4 <= count) {
        const size_t a = heap[first + 1] < heap[first] ? first + 1 : first;
        const size_t b = heap[first + 3] < heap[first + 2] ? first + 3 : first + 2;
        const size_t least = heap[b] < heap[a] ? b : a;
        heap[i] = heap[least];
        i = least;
        continue;
      }
      if (first < count) {
        size_t least = first;
        for (size_t c = first + 1; c < count; ++c) {
          if (heap[c] < heap[least]) least = c;
        }
        heap[i] = heap[least];
        i = least;
      }
      break;
    }
    RiseFrom(heap, i, last);
  }
  return top;
}
