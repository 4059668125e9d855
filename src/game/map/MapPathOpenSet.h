#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

// The path finder's open set: keys that leave least first. A key's upper bits are its price
// (f), its lower kLowBits the cell's coordinates, so that keys of one price leave by cell. The
// search never enters one key twice (a cell re-enters only at a lower price), so the order of
// leaving is fixed by the keys alone, as with any exact priority queue.
//
// Prices are kept in a bucket queue: the floor is the least price the buckets held when last
// looked at. The floor's bucket, brought down, becomes a run of its keys sorted least cell
// first; the few keys entered at the floor's own price afterwards wait in a four-way heap.
// A key priced up to kWindow - 1 above the floor waits in the bucket of its exact price (one
// of kWindow, reused in a ring as the floor rises, each a list of cells); a bitmap of the
// filled buckets finds the next price when the floor's keys are gone. The few keys priced
// further ahead (soft blocks) wait in a heap of their own until the floor comes near them, and
// a key priced below the floor (a step to a cell the estimate overprices) goes to a second
// four-way heap; the least key at hand, of the run and those two heaps, leaves first.
class MapPathOpenSet {
 public:
  static constexpr int32_t kLowBits = 24;
  static constexpr uint64_t kNone = ~uint64_t{0};  // never a key

  // Empties the set, keeping its storage.
  void Clear();
  __attribute__((always_inline)) void Push(uint64_t key) {
    const uint64_t price = key >> kLowBits;
    if (price == floor_) {
      atFloor_.Push(key);
    } else if (price > floor_) {
      if (price - floor_ < kWindow) {
        EnterBucket(key);
      } else {
        ahead_.Push(key);
      }
    } else {
      below_.Push(key);
    }
  }
  // Takes out a key that no longer names its cell's price (the cell has re-entered lower) when
  // it waits in a bucket, so that it is not brought down and passed over later; a key in the
  // floor's run or a heap stays, to be passed over when it leaves. A bucket holds no other key
  // of the same cell, since a cell re-enters only at a lower price, and the order of a bucket's
  // cells is not kept, since they are sorted when it comes down.
  __attribute__((always_inline)) void Withdraw(uint64_t key) {
    const uint64_t price = key >> kLowBits;
    if (price <= floor_ || price - floor_ >= kWindow) return;
    const size_t slot = static_cast<size_t>(price & kSlotMask);
    const uint32_t cell = static_cast<uint32_t>(key & ((uint64_t{1} << kLowBits) - 1));
    const uint64_t word = uint64_t{1} << (slot & 63);
    uint64_t& bits = filled_[slot >> 6];
    // An empty bucket's head is left as it was: only the filled bit says whether it holds keys.
    if ((bits & word) == 0) return;
    Head& head = head_[slot];
    if (head.chunk != kEnd) {
      WithdrawFromChunks(head, cell);
    } else if (head.first == cell) {
      --inBuckets_;
      bits &= ~word;
      if (bits == 0) summary_[slot >> 12] &= ~(uint64_t{1} << ((slot >> 6) & 63));
    }
  }
  // A key likely to leave next unless a lower one enters first (kNone for none), for loading
  // its cell ahead: the least at hand, or else the first of the next filled bucket (whose other
  // cells are loaded too).
  uint64_t Likely() const {
    uint64_t key = run_[runAt_];
    if (!atFloor_.Empty() && atFloor_.Top() < key) key = atFloor_.Top();
    if (key == kNone && inBuckets_ > 0) {
      const size_t from = static_cast<size_t>(floor_ & kSlotMask);
      const size_t slot = NextFilled(from);
      const uint64_t price = floor_ + ((slot - from) & kSlotMask);
      const Head& head = head_[slot];
      key = price << kLowBits | head.first;
      // The cells after the first are read when the bucket empties.
      if (head.chunk != kEnd) __builtin_prefetch(&chunks_[head.chunk]);
    }
    if (!below_.Empty() && below_.Top() < key) key = below_.Top();
    return key;
  }
  // The least key, taken out, or kNone when the set is empty.
  uint64_t PopLeast() {
    if (run_[runAt_] == kNone && atFloor_.Empty()) BringLeastDown();
    // Keys entered at the floor's price after its run was made, and keys below the floor, are
    // few: most keys leave from the run.
    const uint64_t first = run_[runAt_];
    if (!below_.Empty() && below_.Top() < first && (atFloor_.Empty() || below_.Top() < atFloor_.Top())) {
      return below_.Pop();
    }
    if (!atFloor_.Empty() && atFloor_.Top() < first) return atFloor_.Pop();
    if (first != kNone) ++runAt_;
    return first;
  }

 private:
  // Storage on 64-byte boundaries.
  template <class T>
  struct LineAligned {
    using value_type = T;
    LineAligned() = default;
    template <class U>
    explicit LineAligned(const LineAligned<U>&) {}
    T* allocate(size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), std::align_val_t{64})); }
    void deallocate(T* p, size_t) { ::operator delete(p, std::align_val_t{64}); }
    bool operator==(const LineAligned&) const { return true; }
  };

  // A four-way min-heap of keys on 64-byte boundaries, laid out so that the four children of
  // every entry share one cache line.
  class Heap {
   public:
    bool Empty() const { return size_ == 0; }
    uint64_t Top() const { return keys_[kStart]; }
    void Clear();
    void Push(uint64_t key) {
      if (keys_.size() < kStart + size_ + 1 + kSpare) Grow();
      RiseFrom(keys_.data() + kStart, size_++, key);
    }
    uint64_t Pop() {
      uint64_t* heap = keys_.data() + kStart;
      const uint64_t top = heap[0];
      const uint64_t last = heap[--size_];
      heap[size_] = kNone;
      if (size_ > 0) RiseFrom(heap, SinkHole(heap, size_), last);
      return top;
    }

   private:
    static constexpr size_t kStart = 3;  // unused keys before the heap's first
    // Places after the last key that hold kNone, above every key, so that the hole sinks by
    // comparing all four children of an entry whether or not the last of them are keys.
    static constexpr size_t kSpare = 3;
    void Grow();
    // Puts key at place i of the heap or above it, where it is no less than its parent.
    static void RiseFrom(uint64_t* heap, size_t i, uint64_t key) {
      while (i > 0) {
        const size_t parent = (i - 1) / 4;
        if (heap[parent] < key) break;
        heap[i] = heap[parent];
        i = parent;
      }
      heap[i] = key;
    }
    // Sinks the hole left at the top of a heap of count keys along the least children to the
    // bottom, and returns its place there.
    static size_t SinkHole(uint64_t* heap, size_t count);
    std::vector<uint64_t, LineAligned<uint64_t>> keys_;
    size_t size_ = 0;
  };

  // Prices from the floor to kWindow - 1 above it have a bucket each, price modulo kWindow.
  // The steps of a search raise its prices by thousands at most, but a soft block's by millions.
  static constexpr int32_t kWindowBits = 16;
  static constexpr uint64_t kWindow = uint64_t{1} << kWindowBits;
  static constexpr uint64_t kSlotMask = kWindow - 1;
  static constexpr size_t kWords = kWindow / 64;       // filled bits, one a bucket
  static constexpr size_t kSummaryWords = kWords / 64;  // one bit a word of filled bits
  // A bucket's first cell is kept with its head, in a table read in the order of prices; the
  // cells entered after it in chunks of one cache line each, the newest chunk first, so that a
  // bucket emptied reads its cells from a line or two, not from a chain of scattered entries.
  static constexpr uint32_t kEnd = ~uint32_t{0};
  static constexpr uint32_t kChunkCells = 14;
  struct alignas(64) Chunk {
    uint32_t next;   // the bucket's next chunk, or when free the next free chunk; kEnd for none
    uint32_t count;  // the cells held
    uint32_t cells[kChunkCells];  // their key bits below kLowBits
  };
  static_assert(sizeof(Chunk) == 64);
  struct Head {
    uint32_t first;  // the first cell's key bits below kLowBits
    uint32_t chunk;  // the first chunk of the cells after it, kEnd for none
  };

  // Puts a key priced 1 to kWindow - 1 above the floor in its price's bucket.
  void EnterBucket(uint64_t key) {
    const size_t slot = static_cast<size_t>((key >> kLowBits) & kSlotMask);
    const uint64_t word = uint64_t{1} << (slot & 63);
    uint64_t& bits = filled_[slot >> 6];
    const uint32_t cell = static_cast<uint32_t>(key & ((uint64_t{1} << kLowBits) - 1));
    ++inBuckets_;
    Head& head = head_[slot];
    // An empty bucket's head is never read: its filled bit says there is none.
    if ((bits & word) == 0) {
      head = {cell, kEnd};
      bits |= word;
      summary_[slot >> 12] |= uint64_t{1} << ((slot >> 6) & 63);
      return;
    }
    uint32_t chunk = head.chunk;
    if (chunk == kEnd || chunks_[chunk].count == kChunkCells) {
      uint32_t fresh = freeChunk_;
      if (fresh != kEnd) {
        freeChunk_ = chunks_[fresh].next;
      } else {
        fresh = static_cast<uint32_t>(chunks_.size());
        chunks_.emplace_back();
      }
      chunks_[fresh].next = chunk;
      chunks_[fresh].count = 0;
      head.chunk = fresh;
      chunk = fresh;
    }
    Chunk& c = chunks_[chunk];
    c.cells[c.count++] = cell;
  }
  // Takes the cell out of a filled bucket that has chunks, if it is there: the newest chunk's
  // last cell takes its place.
  void WithdrawFromChunks(Head& head, uint32_t cell);
  // The place of the cell among the chunk's cells, or -1 when it holds none.
  static int32_t PlaceIn(const Chunk& chunk, uint32_t cell);
  // The first filled bucket from slot on, in the ring's order; some bucket must be filled.
  size_t NextFilled(size_t slot) const {
    const size_t word = slot >> 6;
    if (const uint64_t bits = filled_[word] & (~uint64_t{0} << (slot & 63)); bits != 0) {
      return word * 64 + static_cast<size_t>(std::countr_zero(bits));
    }
    return NextFilledAfter(word);
  }
  // Puts the keys of the price given (its bits above kLowBits) and the first n cells of cells_
  // in run_, least first, kNone after them.
  void MakeRun(uint64_t price, size_t n);
  // The first filled bucket in the words after the word given, round the ring and back to it.
  size_t NextFilledAfter(size_t word) const;
  // Raises the floor to the least price above it and makes that price's bucket the floor's
  // run (keys far ahead at that price go to the floor's heap), if the set holds any key above
  // the floor.
  void BringLeastDown();

  // The floor's keys brought down from its bucket, least first, those from runAt_ on still
  // waiting; kNone follows the last.
  std::vector<uint64_t> run_ = std::vector<uint64_t>(2, kNone);
  size_t runAt_ = 0;
  // The cells of the bucket being brought down; up to kRankMost are put in the run by counting.
  static constexpr size_t kRankLanes = 8;
  static constexpr size_t kRankMost = 64;
  std::vector<int32_t> cells_;
  Heap atFloor_;  // keys entered at the floor's price after its run was made
  Heap below_;
  Heap ahead_;  // keys priced kWindow or more above the floor
  // Left unset: a bucket's head is written when its filled bit is set and read only while it
  // is, and a map that never searches (an operation's or the editor's) then never touches the
  // pages.
  std::unique_ptr<Head[]> head_ = std::unique_ptr<Head[]>(new Head[kWindow]);
  std::vector<Chunk, LineAligned<Chunk>> chunks_;
  uint32_t freeChunk_ = kEnd;  // the first free chunk
  uint64_t filled_[kWords] = {};
  uint64_t summary_[kSummaryWords] = {};
  int64_t inBuckets_ = 0;  // keys in the buckets
  uint64_t floor_ = 0;     // the floor's price
};
