#pragma once
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "game/map/PathPoints.h"
#include "platform/PMemory.h"

// The path finder's working state, kept by the map between searches so that a search neither
// allocates nor clears a grid once the map has been searched: the cells' visit records are
// cleared in constant time by a generation stamp, the nodes live in one pool reused by every
// search, and the open set is a binary heap whose stale entries are skipped when they surface.
class MapPathWork {
  // Storage for the tables a search reads at scattered places (the cells' records, the node
  // pool), in blocks the system may back with huge pages.
  template <class T>
  struct LargeTable {
    using value_type = T;
    LargeTable() = default;
    template <class U>
    explicit LargeTable(const LargeTable<U>&) {}
    T* allocate(size_t n) {
      void* block = PMemory::AllocateLarge(n * sizeof(T));
      if (block == nullptr) throw std::bad_alloc();
      return static_cast<T*>(block);
    }
    void deallocate(T* p, size_t) { PMemory::FreeLarge(p); }
    bool operator==(const LargeTable&) const { return true; }
  };

 public:
  // Cell nodes one search may create: the 28-byte records that fit a 20 MB budget taken in
  // 512 KB blocks (40 blocks of 18,724).
  static constexpr int32_t kNodeBudget = 748960;
  static constexpr uint8_t kOpen = 1;
  static constexpr uint8_t kClosed = 2;

  struct Node {
    int64_t g = 0;
    int64_t f = 0;
    int32_t parent = -1;  // index into the pool, -1 for none
    int16_t x = 0;
    int16_t y = 0;
    uint8_t state = 0;
  };

  // One entry of the open set. Its key orders by f, then x, then y: an open node's g stays
  // below the impassable price (100,000,000) and its estimate below a million, so f fits the
  // key's upper 40 bits above 12 bits each of x and y.
  struct OpenEntry {
    uint64_t key;
    int32_t node;
  };
  static constexpr int32_t kKeyCellBits = 12;
  static constexpr int64_t kMaxKeyF = (int64_t{1} << 40) - 1;

  // Makes the cell records fit a grid of width x height cells and starts a new search: no cell
  // visited, no node taken, the open set empty.
  void Begin(int32_t width, int32_t height);
  // Forgets the cells visited and the nodes taken, as at the search's start, keeping the blocks
  // filled for it.
  void Restart();

  // The node of the cell, or -1 when this search has not visited it.
  int32_t NodeAt(int32_t cell) const {
    const uint32_t record = cells_[static_cast<size_t>(cell)];
    return record >> kNodeBits == generation_ ? static_cast<int32_t>(record & kNodeMask) : -1;
  }
  void SetNodeAt(int32_t cell, int32_t node) {
    cells_[static_cast<size_t>(cell)] = generation_ << kNodeBits | static_cast<uint32_t>(node);
  }

  // A new node, or -1 when the budget is spent.
  int32_t TakeNode() {
    if (static_cast<int32_t>(nodesUsed_) >= budget) return -1;
    if (nodesUsed_ == nodes.size()) nodes.emplace_back();
    return static_cast<int32_t>(nodesUsed_++);
  }
  int32_t NodesTaken() const { return static_cast<int32_t>(nodesUsed_); }

  // Enters the open node by its f and cell. An entry left behind when its node was priced
  // lower, or closed since, is passed over when it surfaces.
  //
  // The open set is a radix heap over the keys: bucket 0 holds the floor key, bucket b the
  // keys whose highest bit apart from the floor is bit b - 1, so the least entry is found by
  // taking the lowest filled bucket's least as the new floor and spreading that bucket below
  // it. A key entered below the floor (a step to a cell the estimate overprices) goes to a
  // four-way heap instead, and the least of the two leaves first. Keys are distinct (a node
  // re-enters only at a lower f), so every pop is the least entry, as with any exact heap.
  void Push(int32_t node);
  int32_t PopLeast();

  std::vector<Node, LargeTable<Node>> nodes;
  int32_t budget = kNodeBudget;
  // What the last search did, for tests and benchmarks.
  int64_t goalCost = -1;
  int64_t expanded = 0;
  int64_t reopened = 0;
  // Over every search since the map was made, for benchmarks: searches and nodes expanded.
  int64_t searches = 0;
  int64_t expandedTotal = 0;
  // ---- Searches remembered ----
  // The answer of a search kept with everything the search reads: the class's cells by their
  // identity (Map::Routes::CellsIdentity: equal identities mean equal cells), the start and goal cells, the
  // budget and the map's size. A search asked again with all of these the same gets the same
  // answer, route and figures without searching (the cell records and nodes then stay those
  // of the last search made). With remember false every search is made.
  struct Remembered {
    int32_t moveClass = -1;
    uint64_t revision = 0;
    int32_t cells[6] = {};  // start x, y, goal x, y, grid width, height
    int32_t budget = 0;
    float worldWidth = 0.0f;
    float worldHeight = 0.0f;
    int32_t result = 0;
    int64_t goalCost = -1;
    int64_t expanded = 0;
    int64_t reopened = 0;
    PathPoints points;  // the route, when one was found
  };
  static constexpr size_t kRemembered = 64;
  // The remembered answer for the search, or null.
  const Remembered* Recall(int32_t moveClass, uint64_t revision, const int32_t (&cells)[6], float worldWidth,
                           float worldHeight) const;
  // Keeps the last search's answer (its result, and its route when it found one, else null),
  // replacing the oldest kept when all places are taken.
  void Keep(int32_t moveClass, uint64_t revision, const int32_t (&cells)[6], float worldWidth, float worldHeight,
            int32_t result, const PathPoints* route);
  bool remember = true;
  int64_t recalled = 0;  // searches answered from memory since the map was made

  // ---- Goals outside the start's region ----
  // With settle on, a search to a goal the start's region does not hold ends without taking a
  // node when its end is certain (no route, or the budget spent), with the same result.
  bool settleUnreachable = true;
  int64_t settled = 0;        // searches so ended since the map was made
  std::vector<int32_t> flood;  // the cells a settling flood has still to step from
  // Regions are found only for a grid on which a search has already ended without a route:
  // most grids never see one, and labelling a large map's grid costs time and memory (several
  // bytes a cell) that such grids would never win back.
  bool SawFailure(int32_t moveClass, uint64_t revision) const {
    return moveClass >= 0 && moveClass < kFailureClasses && failedRevision_[moveClass] == revision + 1;
  }
  void NoteFailure(int32_t moveClass, uint64_t revision) {
    if (moveClass >= 0 && moveClass < kFailureClasses) failedRevision_[moveClass] = revision + 1;
  }

  // The start and goal blocks of coarse cells filled for the search, restored afterwards.
  uint8_t saved[2][100] = {};
  int32_t savedOrigin[2][2] = {};
  bool savedFlag[2] = {};

 private:
  static constexpr int32_t kFailureClasses = 8;
  uint64_t failedRevision_[kFailureClasses] = {};  // per move class: the revision + 1, 0 none
  // A cell's record is one word: the stamp of the search that visited it in the upper 12 bits,
  // its node in the lower 20 (the node budget fits), so that twice as many records share a
  // cache line as with a word each. The stamps run 1 to 4,095, then the records are cleared.
  static constexpr int32_t kNodeBits = 20;
  static constexpr uint32_t kNodeMask = (uint32_t{1} << kNodeBits) - 1;
  static constexpr uint32_t kStampLimit = uint32_t{1} << (32 - kNodeBits);
  // Storage on 64-byte boundaries, so that with the heap's first entry at kHeapStart the four
  // children of every entry share one cache line.
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
  static constexpr size_t kHeapStart = 3;  // unused entries before the heap's first

  std::vector<uint32_t, LargeTable<uint32_t>> cells_;
  std::vector<Remembered> remembered_;
  size_t nextRemembered_ = 0;
  std::vector<OpenEntry, LineAligned<OpenEntry>> open_;  // the heap of keys below the floor
  std::vector<OpenEntry> buckets_[65];
  uint64_t filled_ = 0;      // bit b - 1 set while bucket b (1..64) holds entries
  bool zeroFilled_ = false;  // bucket 0 holds entries
  uint64_t least_ = 0;       // the floor: no bucket holds a smaller key
  int32_t BucketOf(uint64_t key) const;
  // Brings the radix buckets' least entry into bucket 0; false when they are empty.
  bool BringLeastDown();
  void PushBelow(const OpenEntry& entry);
  OpenEntry PopBelow();
  uint32_t generation_ = 0;
  size_t nodesUsed_ = 0;
};
