#include "game/map/MapPathOpenSet.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <iterator>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

void MapPathOpenSet::Clear() {
  run_[0] = kNone;
  runAt_ = 0;
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
  // The floor's bucket empties into the floor's run, its chunks freed.
  const size_t slot = static_cast<size_t>(floor_ & kSlotMask);
  const uint64_t word = uint64_t{1} << (slot & 63);
  if ((filled_[slot >> 6] & word) == 0) return;
  filled_[slot >> 6] &= ~word;
  if (filled_[slot >> 6] == 0) summary_[slot >> 12] &= ~(uint64_t{1} << ((slot >> 6) & 63));
  runAt_ = 0;
  if (head_[slot].chunk == kEnd) {
    // The bucket holds one key, as most do on some classes' grids.
    run_[0] = floor_ << kLowBits | head_[slot].first;
    run_[1] = kNone;
    --inBuckets_;
    return;
  }
  size_t n = 1;
  for (uint32_t chunk = head_[slot].chunk; chunk != kEnd; chunk = chunks_[chunk].next) n += chunks_[chunk].count;
  // Room for the cells padded to the next multiple of kRankLanes, and for the run.
  if (cells_.size() < n + kRankLanes) cells_.resize(2 * n + kRankLanes);
  if (run_.size() < n + 1) run_.resize(2 * n + 1);
  cells_[0] = static_cast<int32_t>(head_[slot].first);
  n = 1;
  uint32_t chunk = head_[slot].chunk;
  while (chunk != kEnd) {
    Chunk& c = chunks_[chunk];
    for (uint32_t i = 0; i < c.count; ++i) cells_[n++] = static_cast<int32_t>(c.cells[i]);
    const uint32_t next = c.next;
    c.next = freeChunk_;
    freeChunk_ = chunk;
    chunk = next;
  }
  inBuckets_ -= static_cast<int64_t>(n);
  MakeRun(floor_ << kLowBits, n);
}

int32_t MapPathOpenSet::PlaceIn(const Chunk& chunk, uint32_t cell) {
#if defined(__SSE2__)
  // The chunk's sixteen words compared at once: a loop stopping at the cell would mispredict
  // its end at nearly every call, the cell's place following no pattern.
  const __m128i wanted = _mm_set1_epi32(static_cast<int32_t>(cell));
  const auto* words = reinterpret_cast<const __m128i*>(&chunk);
  uint32_t equal = 0;
  for (uint32_t q = 0; q < 4; ++q) {
    const __m128i same = _mm_cmpeq_epi32(_mm_load_si128(words + q), wanted);
    equal |= static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(same))) << (4 * q);
  }
  // The first two words are the link and the count; the cells held follow.
  equal = equal >> 2 & ((uint32_t{1} << chunk.count) - 1);
  return equal == 0 ? -1 : std::countr_zero(equal);
#else
  for (uint32_t i = 0; i < chunk.count; ++i) {
    if (chunk.cells[i] == cell) return static_cast<int32_t>(i);
  }
  return -1;
#endif
}

void MapPathOpenSet::WithdrawFromChunks(Head& head, uint32_t cell) {
  uint32_t* place = head.first == cell ? &head.first : nullptr;
  for (uint32_t chunk = head.chunk; place == nullptr && chunk != kEnd; chunk = chunks_[chunk].next) {
    Chunk& c = chunks_[chunk];
    if (const int32_t i = PlaceIn(c, cell); i >= 0) place = &c.cells[i];
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

void MapPathOpenSet::MakeRun(uint64_t price, size_t n) {
  run_[n] = kNone;
  int32_t* const cells = cells_.data();
  if (n == 2) {
    const uint32_t a = static_cast<uint32_t>(std::min(cells[0], cells[1]));
    const uint32_t b = static_cast<uint32_t>(std::max(cells[0], cells[1]));
    run_[0] = price | a;
    run_[1] = price | b;
    return;
  }
  if (n > kRankMost) {
    std::sort(cells, cells + n);
    for (size_t i = 0; i < n; ++i) run_[i] = price | static_cast<uint32_t>(cells[i]);
    return;
  }
  // A bucket mostly holds a handful of cells, in no order a comparison sort could predict:
  // each cell's place is the number of cells below it (the cells are distinct), counted
  // without a branch over the places up to the next multiple of kRankLanes, those past the
  // cells holding a value above any cell. A cell takes 24 bits, so it compares as a signed
  // 32-bit number, which every x86-64 processor compares four at a time.
  const size_t lanes = (n + kRankLanes - 1) / kRankLanes * kRankLanes;
  std::fill(cells + n, cells + lanes, INT32_MAX);
  for (size_t i = 0; i < n; ++i) {
    const int32_t cell = cells[i];
    size_t below = 0;
    for (size_t j = 0; j < lanes; ++j) below += static_cast<size_t>(cells[j] < cell);
    run_[below] = price | static_cast<uint32_t>(cell);
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
