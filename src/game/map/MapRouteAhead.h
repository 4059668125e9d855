#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <vector>

#include "game/map/MapGrid.h"
#include "game/map/MapPathWork.h"
#include "game/map/PathPoints.h"

class Map;
class PWorkerPool;

// Route searches made ahead of their turn on worker threads. A planner that knows a search it
// will ask for later hands it over here; when the search is then asked, its answer is taken
// from here instead of searching, and it is the answer the search would have given: a search
// reads nothing but its grid's cells (named by their identity), its two cells, its budget and
// the map's size, all of which are in the key an answer is kept under, and each worker
// searches its own copy of the grid with work of its own, so nothing a worker touches is
// shared. A search whose key no longer matches what is asked is simply not taken.
//
// Answers are taken in the order the planner asks its searches, whatever order the workers
// finish in, so the plan is the same at any number of threads. With one thread nothing is
// searched ahead. A caller waiting for an answer a worker is still making makes the searches
// next in line that no worker has started yet, with search memory of its own, rather than
// sit idle: the same answers, found by whichever thread comes first.
class MapRouteAhead {
 public:
  struct Key {
    int32_t moveClass = -1;
    uint64_t identity = 0;  // Map::Routes::CellsIdentity
    int32_t cells[6] = {};  // start x, y, goal x, y, grid width, height
    int32_t budget = 0;
    float worldWidth = 0.0f;
    float worldHeight = 0.0f;
    bool operator==(const Key&) const = default;
  };
  // What a search gave: its result, the figures the path finder keeps of its last search, and
  // the route when one was found.
  struct Answer {
    int32_t result = 0;
    int64_t goalCost = -1;
    int64_t expanded = 0;
    int64_t reopened = 0;
    PathPoints points;
  };

  // The number of threads maps made from now on search with (1 .. 8); the machine's, at most
  // 8, unless set.
  static int32_t gDefaultThreads;

  MapRouteAhead();
  ~MapRouteAhead();
  MapRouteAhead(const MapRouteAhead&) = delete;
  MapRouteAhead& operator=(const MapRouteAhead&) = delete;

  // Sets the threads searches run on; 1 searches nothing ahead. Waits for the searches handed
  // over before.
  void SetThreads(int32_t threads);
  int32_t Threads() const { return threads_; }
  bool Active() const { return threads_ > 1; }
  // Whether a search of the key is handed over and not yet taken nor dropped.
  bool Holds(const Key& key) const;
  // Drops the search of key; a worker making it stops early.
  void Cancel(const Key& key);
  // Hands over the search of key over the grid's cells (a copy of them is kept for the
  // workers, so the grid may change afterwards). map answers the search; it must outlive
  // every search handed over. Nothing happens when the search is held already.
  void Ask(const Map& map, const Key& key, const MapGrid<uint8_t>& grid);
  // The answer of the search of key when a worker has made or is making it (waiting for it),
  // forgetting it; false when it was not handed over or no worker had started it yet (it is
  // then dropped, for the caller to search at once).
  bool Take(const Key& key, Answer& answer);
  // The answer of the search of key when a worker has finished it, left to be taken; null
  // while it is queued or being made, or when it is not held.
  const Answer* Finished(const Key& key) const;
  // Forgets every search handed over: those not started are not made, those running are
  // waited for. The workers' memory is kept for the next plan.
  void Drop();
  // Frees the workers' memory too.
  void Forget();

  // Since the map was made, for tests and benchmarks: searches handed over, answers taken,
  // searches taken back to be made by the caller since no worker had started them, the time
  // callers waited for answers, and the searches the workers made with their processor time.
  int64_t asked = 0;
  int64_t taken = 0;
  int64_t takenBack = 0;
  double waitSeconds = 0.0;
  std::atomic<int64_t> workerSearches{0};
  std::atomic<int64_t> workerNanoseconds{0};
  // Copies of a grid's cells taken by the caller for the searches over them (one per build of
  // a class's grid), and copies of them loaded by the workers.
  int64_t cellCopies = 0;
  std::atomic<int64_t> workerLoads{0};
  // Searches the caller made itself, from the queue, while it waited for another's answer,
  // and those of them whose answers were taken.
  int64_t helped = 0;
  int64_t helpedTaken = 0;
  // Searches dropped while a worker was making them.
  int64_t abandoned = 0;
  // Searches the caller made at once while workers were there (not asked ahead, guessed wrong
  // or taken back), with the nodes they expanded: the plan's part that runs on one thread.
  int64_t madeAtOnce = 0;
  int64_t madeAtOnceNodes = 0;

 private:
  struct Cells;
  struct Worker;
  struct Search;
  // Makes the search on the worker's memory (the caller's is the last) unless it was started
  // or dropped already; whether it made it.
  bool Run(Search& search, int32_t worker);
  Search* Find(const Key& key) const;

  int32_t threads_ = 1;
  std::unique_ptr<PWorkerPool> pool_;
  // One a pool thread, and one more for the caller.
  std::vector<std::unique_ptr<Worker>> workers_;
  // Each held weakly by its job in the pool, which may run after the caller has taken a
  // search it made itself and let it go.
  std::deque<std::shared_ptr<Search>> searches_;
  // The last cells copied for each class, shared by the searches over them.
  std::shared_ptr<const Cells> cells_[5];
};
