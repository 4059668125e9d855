#include "game/map/MapPathOpenSet.h"

#include <algorithm>
#include <bit>
#include <iterator>

void MapPathOpenSet::Clear() {
  atFloor_.Clear();
  below_.Clear();
  ahead_.Clear();
  // The buckets' heads are left as they are: a bucket is filled only by its bit.
  if (inBuckets_ > 0) {
    std::fill(std::begin(filled_), std::end(filled_), 0u);
    std::fill(std::begin(summary_), std::end(summary_), 0u);
  }
  chunks_.clear();
  freeChunk_ = kEnd;
  inBuckets_ = 0;
  floor_ = 0;
}

size_t MapPathOpenSet::NextFilledAfter(size_t word) const {
  // The words after slot's, round the ring and back to slot's own (whose bits below slot are
  // the prices furthest ahead).
  const size_t after = (word + 1) % kWords;
  size_t s = after >> 6;
  uint64_t words = summary_[s] & (~uint64_t{0} << (after & 63));
  for (size_t n = 0; words == 0 && n < kSummaryWords; ++n) {
    s = (s + 1) % kSummaryWords;
    words = summary_[s];
  }
  const size_t filledWord = s * 64 + static_cast<size_t>(std::countr_zero(words));
  return filledWord * 64 + static_cast<size_t>(std::countr_zero(filled_[filledWord]));
}

void MapPathOpenSet::BringLeastDown() {
  if (inBuckets_ > 0) {
    const size_t from = static_cast<size_t>(floor_ & kSlotMask);
    floor_ += (NextFilled(from) - from) & kSlotMask;
  } else if (!ahead_.Empty()) {
    floor_ = ahead_.Top() >> kLowBits;
  } else {
    return;
  }
  // The keys far ahead that the raised floor brings within reach of the buckets.
  while (!ahead_.Empty() && (ahead_.Top() >> kLowBits) - floor_ < kWindow) {
    const uint64_t key = ahead_.Pop();
    if (key >> kLowBits == floor_) {
      atFloor_.Push(key);
    } else {
      EnterBucket(key);
    }
  }
  // The floor's bucket empties into the floor's heap, its chunks freed.
  const size_t slot = static_cast<size_t>(floor_ & kSlotMask);
  const uint64_t word = uint64_t{1} << (slot & 63);
  if ((filled_[slot >> 6] & word) == 0) return;
  const uint64_t price = floor_ << kLowBits;
  atFloor_.Push(price | head_[slot].first);
  --inBuckets_;
  uint32_t chunk = head_[slot].chunk;
  while (chunk != kEnd) {
    Chunk& c = chunks_[chunk];
    for (uint32_t i = 0; i < c.count; ++i) atFloor_.Push(price | c.cells[i]);
    inBuckets_ -= c.count;
    const uint32_t next = c.next;
    c.next = freeChunk_;
    freeChunk_ = chunk;
    chunk = next;
  }
  filled_[slot >> 6] &= ~word;
  if (filled_[slot >> 6] == 0) summary_[slot >> 12] &= ~(uint64_t{1} << ((slot >> 6) & 63));
}

void MapPathOpenSet::WithdrawFromChunks(Head& head, uint32_t cell) {
  uint32_t* place = head.first == cell ? &head.first : nullptr;
  for (uint32_t chunk = head.chunk; place == nullptr && chunk != kEnd; chunk = chunks_[chunk].next) {
    Chunk& c = chunks_[chunk];
    for (uint32_t i = 0; i < c.count; ++i) {
      if (c.cells[i] == cell) {
        place = &c.cells[i];
        break;
      }
    }
  }
  if (place == nullptr) return;
  Chunk& newest = chunks_[head.chunk];
  *place = newest.cells[--newest.count];
  --inBuckets_;
  if (newest.count == 0) {
    const uint32_t emptied = head.chunk;
    head.chunk = newest.next;
    newest.next = freeChunk_;
    freeChunk_ = emptied;
  }
}

void MapPathOpenSet::Heap::Grow() {
  keys_.resize(std::max<size_t>(kStart + 64, 2 * (kStart + size_ + 1 + kSpare)), kNone);
}

void MapPathOpenSet::Heap::Clear() {
  // The places the keys took hold kNone again.
  std::fill(keys_.begin() + static_cast<std::ptrdiff_t>(std::min(keys_.size(), kStart)),
            keys_.begin() + static_cast<std::ptrdiff_t>(std::min(keys_.size(), kStart + size_)), kNone);
  size_ = 0;
}

size_t MapPathOpenSet::Heap::SinkHole(uint64_t* heap, size_t count) {
  // The hole sinks to the bottom and the last key rises from there: the last key mostly
  // belongs near the bottom, so this compares less than sinking it from the top, and the keys
  // being distinct, the order is the same. Places past the last key hold kNone, so an entry's
  // four children are compared alike however many of them are keys.
  size_t i = 0;
  for (size_t first = 1; first < count; first = 4 * i + 1) {
    const size_t a = heap[first + 1] < heap[first] ? first + 1 : first;
    const size_t b = heap[first + 3] < heap[first + 2] ? first + 3 : first + 2;
    const size_t least = heap[b] < heap[a] ? b : a;
    heap[i] = heap[least];
    i = least;
  }
  return i;
}
