#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

// The path finder's open set: keys that leave least first. A key's upper bits are its price
// (f), its lower kLowBits the cell's coordinates, so that keys of one price leave by cell. The
// search never enters one key twice (a cell re-enters only at a lower price), so the order of
// leaving is fixed by the keys alone, as with any exact priority queue.
//
// Prices are kept in a radix heap: the floor is the least price the buckets held when last
// looked at; bucket b (1..64) holds the keys whose price's highest bit apart from the floor's
// is bit b - 1, and the keys of the floor's own price wait in a four-way heap, least cell
// first. When that heap empties, the lowest filled bucket's least price becomes the floor and
// the bucket is spread below it. A key priced below the floor (a step to a cell the estimate
// overprices) goes to a second four-way heap, and the least of the two heaps leaves first.
class MapPathOpenSet {
 public:
  static constexpr int32_t kLowBits = 24;
  static constexpr uint64_t kNone = ~uint64_t{0};  // never a key

  // Empties the set, keeping its storage.
  void Clear();
  void Push(uint64_t key) {
    const uint64_t price = key >> kLowBits;
    if (price == floor_) {
      atFloor_.Push(key);
    } else if (price > floor_) {
      const int32_t b = 64 - std::countl_zero(price ^ floor_);
      buckets_[b].push_back(key);
      filled_ |= uint64_t{1} << (b - 1);
    } else {
      below_.Push(key);
    }
  }
  // A key likely to leave next (kNone for none), for loading its cell ahead.
  uint64_t Likely() const { return atFloor_.Empty() ? kNone : atFloor_.Top(); }
  // The least key, taken out, or kNone when the set is empty.
  uint64_t PopLeast() {
    if (atFloor_.Empty()) BringLeastDown();
    if (below_.Empty()) return atFloor_.Empty() ? kNone : atFloor_.Pop();
    if (atFloor_.Empty() || below_.Top() < atFloor_.Top()) return below_.Pop();
    return atFloor_.Pop();
  }

 private:
  // A four-way min-heap of keys on 64-byte boundaries, laid out so that the four children of
  // every entry share one cache line.
  class Heap {
   public:
    bool Empty() const { return size_ == 0; }
    uint64_t Top() const { return keys_[kStart]; }
    void Clear() { size_ = 0; }
    void Push(uint64_t key);
    uint64_t Pop();

   private:
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
    static constexpr size_t kStart = 3;  // unused keys before the heap's first
    std::vector<uint64_t, LineAligned<uint64_t>> keys_;
    size_t size_ = 0;
  };

  // Fills the floor's heap from the lowest filled bucket, if any.
  void BringLeastDown();

  Heap atFloor_;
  Heap below_;
  std::vector<uint64_t> buckets_[65];
  uint64_t filled_ = 0;  // bit b - 1 set while bucket b holds keys
  uint64_t floor_ = 0;   // the floor's price
};
