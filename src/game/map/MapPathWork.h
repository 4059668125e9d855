#pragma once
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "game/map/MapPathOpenSet.h"
#include "game/map/PathPoints.h"
#include "platform/PMemory.h"

// The path finder's working state, kept by the map between searches so that a search neither
// allocates nor clears a whole grid once the map has been searched: every cell has one record,
// and a search clears only the records of the cells the one before it visited; the open set is
// a priority queue of keys whose stale entries are passed over when they surface.
class MapPathWork {
  // Storage for the table a search reads at scattered places (the cells' records), in blocks
  // the system may back with huge pages.
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
  // Cells one search may visit: as many as 28-byte records in a 20 MB budget taken in 512 KB
  // blocks (40 blocks of 18,724).
  static constexpr int32_t kNodeBudget = 748960;

  // A cell's record, one 32-bit word: whether this search has visited it, whether it is open,
  // and the price of the cheapest way found to it (g). A stored price is at most the impassable
  // price (100,000,000): an open cell's stays below it, and a cell first reached at or above it
  // keeps it exactly. The step back to the cell it was reached from is kept apart, one byte a
  // cell (0 for none, else 1 + (dx + 5) x 11 + (dy + 5) for the step (dx, dy), each -5 to 5),
  // since only the route's own cells are ever read back.
  static constexpr int32_t kPriceBits = 27;
  static constexpr uint32_t kPriceMask = (uint32_t{1} << kPriceBits) - 1;
  static constexpr uint32_t kOpenBit = uint32_t{1} << kPriceBits;
  static constexpr uint32_t kVisitedBit = uint32_t{1} << 31;
  static constexpr uint32_t kNoStep = 0;
  static constexpr uint32_t StepCode(int32_t dx, int32_t dy) { return static_cast<uint32_t>(1 + (dx + 5) * 11 + (dy + 5)); }
  static constexpr int32_t StepDx(uint32_t code) { return static_cast<int32_t>(code - 1) / 11 - 5; }
  static constexpr int32_t StepDy(uint32_t code) { return static_cast<int32_t>(code - 1) % 11 - 5; }

  // The open set's keys order by f, then x, then y: an open cell's g stays below the impassable
  // price and its estimate below a million, so f fits the key's upper 40 bits above 12 bits
  // each of x and y.
  static constexpr int32_t kKeyCellBits = 12;
  static constexpr int64_t kMaxKeyF = (int64_t{1} << 40) - 1;
  static constexpr uint64_t kKeyCellMask = (uint64_t{1} << kKeyCellBits) - 1;
  static_assert(MapPathOpenSet::kLowBits == 2 * kKeyCellBits, "the open set orders a price's keys by cell");

  // The search's frame: the grid's cells with a border one cell wide around them, so that a
  // cell's eight neighbours are read at fixed offsets without testing the grid's edges. Each
  // place has a record (kVisitedBit, kOpenBit and g, 0 when this search has not visited it),
  // a step back (read only for visited cells), and the class grid's value, the border holding
  // the coarse mark so that the few steps that must look closer find it. The three are kept
  // apart, each as dense as it can be, since steps over coarse ground read places five cells
  // apart. Each class has its values, those of the grid they were last loaded from, kept while
  // its cells' identity stands (the classes' searches take turns); blocks a search fills are
  // written to both.
  static constexpr int32_t kClasses = 5;
  // The cost grid's mark of a cell inside a coarse block.
  static constexpr uint8_t kCoarseMark = 5;

  // Makes the frame fit the grid and hold the class's values, unless it holds those of the
  // identity given already, and starts a new search: no cell visited, no node taken, the open
  // set empty. Grids of more than 4,096 cells a side and classes outside 0..4 are programmer
  // errors.
  void Begin(const uint8_t* grid, int32_t width, int32_t height, int32_t moveClass, uint64_t identity);
  // Writes the grid's cells of the rectangle (x, y, size w x h, inside the grid) to the frame's
  // values of the class begun, after the search has changed them in the grid.
  void Reload(const uint8_t* grid, int32_t x0, int32_t y0, int32_t w, int32_t h);
  // Forgets the cells visited and the nodes taken, as at the search's start, keeping the blocks
  // filled for it.
  void Restart();

  // The frame's place of grid cell (x, y), -1 <= x <= width, -1 <= y <= height.
  int32_t CellOf(int32_t x, int32_t y) const { return (x + 1) * stride_ + (y + 1); }
  int32_t Stride() const { return stride_; }
  int32_t XOf(int32_t cell) const { return cell / stride_ - 1; }
  int32_t YOf(int32_t cell) const { return cell % stride_ - 1; }
  uint32_t* Records() { return records_.data(); }
  // The values of the class begun.
  const uint8_t* Values() const { return values_[static_cast<size_t>(class_)].data(); }
  uint8_t* Steps() { return steps_.data(); }
  bool Visited(int32_t cell) const { return (records_[static_cast<size_t>(cell)] & kVisitedBit) != 0; }
  // A visited cell's g, open flag and step back (kNoStep when none).
  int64_t PriceAt(int32_t cell) const { return static_cast<int64_t>(records_[static_cast<size_t>(cell)] & kPriceMask); }
  bool OpenAt(int32_t cell) const { return (records_[static_cast<size_t>(cell)] & kOpenBit) != 0; }
  uint32_t StepAt(int32_t cell) const { return steps_[static_cast<size_t>(cell)]; }
  // Notes a cell visited for the first time by this search, so that the next one finds it
  // cleared; its record is then written by the caller.
  void Touch(int32_t cell) {
    if (touchedCount_ == touched_.size()) touched_.resize(std::max<size_t>(1024, 2 * touched_.size()));
    touched_[touchedCount_++] = cell;
  }
  // Room for n more cells visited, written from the place returned on; TouchedTo counts those
  // written up to the place given.
  int32_t* TouchRoom(size_t n) {
    if (touched_.size() < touchedCount_ + n) touched_.resize(touchedCount_ + n);
    return touched_.data() + touchedCount_;
  }
  void TouchedTo(const int32_t* end) { touchedCount_ = static_cast<size_t>(end - touched_.data()); }
  // Records the cell as visited by this search.
  void Mark(int32_t cell, int64_t g, bool open, uint32_t step) {
    if (!Visited(cell)) Touch(cell);
    records_[static_cast<size_t>(cell)] = kVisitedBit | (open ? kOpenBit : 0) | static_cast<uint32_t>(g);
    steps_[static_cast<size_t>(cell)] = static_cast<uint8_t>(step);
  }

  // Counts a node taken for a newly visited cell; false when the budget is spent.
  bool TakeNode() {
    if (nodesUsed_ >= budget) return false;
    ++nodesUsed_;
    return true;
  }
  int32_t NodesTaken() const { return nodesUsed_; }
  // Sets the nodes taken, for a search that counts them itself.
  void NodesTakenTo(int32_t n) { nodesUsed_ = n; }

  MapPathOpenSet open;
  // A route's cells from the goal back to the start, each with the index of the cell it was
  // reached from (-1 at the start), as the search found them and the tracing changes them.
  struct Link {
    int32_t x = 0;
    int32_t y = 0;
    int32_t parent = -1;
  };
  std::vector<Link> chain;
  int32_t budget = kNodeBudget;
  // When set and raised by another thread, the search stops early with an answer nobody reads
  // (a search made ahead whose answer is no longer wanted); null for the searches asked now.
  const std::atomic<bool>* abandon = nullptr;
  // What the last search did, for tests and benchmarks.
  int64_t goalCost = -1;
  int64_t expanded = 0;
  int64_t reopened = 0;
  // Over every search since the map was made, for benchmarks: searches and nodes expanded,
  // and the searches made that spent the budget with the nodes they expanded.
  int64_t searches = 0;
  int64_t expandedTotal = 0;
  int64_t spentSearches = 0;
  int64_t spentExpanded = 0;
  // ---- Searches remembered ----
  // The answer of a search kept with everything the search reads: the class's cells by their
  // identity (Map::Routes::CellsIdentity: equal identities mean equal cells), the start and goal cells, the
  // budget and the map's size. A search asked again with all of these the same gets the same
  // answer, route and figures without searching (the cell records then stay those of the last
  // search made). With remember false every search is made.
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
  int32_t savedOrigin[2][2] = {{-1, -1}, {-1, -1}};  // x -1 when not filled
  int64_t frameLoads = 0;  // whole grids loaded into the frame since the map was made
  bool savedFlag[2] = {};

 private:
  static constexpr int32_t kFailureClasses = 8;
  uint64_t failedRevision_[kFailureClasses] = {};  // per move class: the revision + 1, 0 none
  std::vector<uint32_t, LargeTable<uint32_t>> records_;
  std::vector<uint8_t, LargeTable<uint8_t>> values_[kClasses];
  std::vector<uint8_t, LargeTable<uint8_t>> steps_;
  int32_t width_ = -1;
  int32_t height_ = -1;
  int32_t stride_ = 2;
  // Per class, the identity of the cells its values were loaded from.
  uint64_t loaded_[kClasses] = {};
  int32_t class_ = 0;
  std::vector<int32_t> touched_;  // the cells this search has visited (the first touchedCount_), cleared at the next
  size_t touchedCount_ = 0;
  std::vector<Remembered> remembered_;
  size_t nextRemembered_ = 0;
  int32_t nodesUsed_ = 0;
};
