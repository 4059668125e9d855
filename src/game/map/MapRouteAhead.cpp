#include "game/map/MapRouteAhead.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>

#include "game/map/Map.h"
#include "platform/PWorkerPool.h"

namespace {
// A search handed over is queued until a worker starts it or it is dropped first.
constexpr int32_t kQueued = 0;
constexpr int32_t kRunning = 1;
constexpr int32_t kDropped = 2;
// Made by the caller while it waited for another: the answer is there, the pool's job for it
// does nothing.
constexpr int32_t kMadeByCaller = 3;
}  // namespace

int32_t MapRouteAhead::gDefaultThreads = PWorkerPool::MachineThreads();

// A copy of a class's grid as it was when searches over it were handed over.
struct MapRouteAhead::Cells {
  int32_t moveClass = -1;
  uint64_t identity = 0;
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> data;
};

// What one worker searches with: its own copy of each class's grid (a search fills the blocks
// of its start and goal and puts them back) and its own search memory.
struct MapRouteAhead::Worker {
  MapPathWork work;
  MapGrid<uint8_t> grid[5];
  std::shared_ptr<const Cells> loaded[5];
};

struct MapRouteAhead::Search {
  Key key;
  const Map* map = nullptr;
  std::shared_ptr<const Cells> cells;
  Answer answer;
  std::atomic<int32_t> state{kQueued};
  // Raised by the caller when it no longer wants a search a worker is making.
  std::atomic<bool> abandon{false};
  std::future<void> done;
};

MapRouteAhead::MapRouteAhead() : threads_(std::clamp(gDefaultThreads, 1, PWorkerPool::kMaxThreads)) {}

MapRouteAhead::~MapRouteAhead() { Drop(); }

void MapRouteAhead::SetThreads(int32_t threads) {
  Forget();
  threads_ = std::clamp(threads, 1, PWorkerPool::kMaxThreads);
}

MapRouteAhead::Search* MapRouteAhead::Find(const Key& key) const {
  for (const auto& s : searches_) {
    if (s->key == key && s->state.load(std::memory_order_acquire) != kDropped &&
        !s->abandon.load(std::memory_order_relaxed)) {
      return s.get();
    }
  }
  return nullptr;
}

bool MapRouteAhead::Holds(const Key& key) const { return Find(key) != nullptr; }

void MapRouteAhead::Cancel(const Key& key) {
  // One a worker is making is told to stop, its answer never read.
  if (Search* s = Find(key)) {
    int32_t queued = kQueued;
    if (!s->state.compare_exchange_strong(queued, kDropped, std::memory_order_acq_rel) && queued == kRunning) {
      s->abandon.store(true, std::memory_order_relaxed);
      ++abandoned;
    }
  }
}

void MapRouteAhead::Ask(const Map& map, const Key& key, const MapGrid<uint8_t>& grid) {
  if (!Active() || key.moveClass < 0 || key.moveClass >= 5 || Holds(key)) return;
  if (!pool_) {
    pool_ = std::make_unique<PWorkerPool>(threads_);
    workers_.clear();
    for (int32_t i = 0; i <= pool_->Threads(); ++i) workers_.push_back(std::make_unique<Worker>());
  }
  std::shared_ptr<const Cells>& kept = cells_[key.moveClass];
  if (!kept || kept->identity != key.identity || kept->width != grid.Width() || kept->height != grid.Height()) {
    auto copy = std::make_shared<Cells>();
    copy->moveClass = key.moveClass;
    copy->identity = key.identity;
    copy->width = grid.Width();
    copy->height = grid.Height();
    copy->data.assign(grid.Data(), grid.Data() + static_cast<size_t>(grid.Width()) * static_cast<size_t>(grid.Height()));
    kept = std::move(copy);
    ++cellCopies;
  }
  auto search = std::make_shared<Search>();
  search->key = key;
  search->map = &map;
  search->cells = kept;
  // The job holds the search weakly: the search holds the job's end, and the two must not
  // keep each other alive once the caller lets the search go.
  search->done = pool_->Submit([this, held = std::weak_ptr<Search>(search)](int32_t worker) {
    if (const std::shared_ptr<Search> s = held.lock()) Run(*s, worker);
  });
  searches_.push_back(std::move(search));
  ++asked;
}

bool MapRouteAhead::Run(Search& search, int32_t worker) {
  int32_t queued = kQueued;
  if (!search.state.compare_exchange_strong(queued, kRunning, std::memory_order_acq_rel)) return false;
  const int64_t cpuStart = PWorkerPool::ThreadCpuNanoseconds();
  Worker& w = *workers_[static_cast<size_t>(worker)];
  const Key& key = search.key;
  const Cells& cells = *search.cells;
  MapGrid<uint8_t>& grid = w.grid[key.moveClass];
  if (w.loaded[key.moveClass] != search.cells) {
    grid.Init(cells.width, cells.height);
    if (!cells.data.empty()) std::memcpy(grid.DataRestoredAfterUse(), cells.data.data(), cells.data.size());
    w.loaded[key.moveClass] = search.cells;
    workerLoads.fetch_add(1, std::memory_order_relaxed);
  }
  w.work.budget = key.budget;
  w.work.abandon = &search.abandon;
  Answer& answer = search.answer;
  answer.result = search.map->SearchRoute(grid, w.work, key.cells[0], key.cells[1], key.cells[2], key.cells[3],
                                          answer.points, -1, key.moveClass, key.identity);
  answer.goalCost = w.work.goalCost;
  answer.expanded = w.work.expanded;
  answer.reopened = w.work.reopened;
  w.work.abandon = nullptr;
  workerNanoseconds.fetch_add(PWorkerPool::ThreadCpuNanoseconds() - cpuStart, std::memory_order_relaxed);
  workerSearches.fetch_add(1, std::memory_order_relaxed);
  return true;
}

bool MapRouteAhead::Take(const Key& key, Answer& answer) {
  Search* s = Find(key);
  if (s == nullptr) return false;
  // A search no worker has started yet is made by the caller at once rather than waited for.
  int32_t queued = kQueued;
  if (s->state.compare_exchange_strong(queued, kDropped, std::memory_order_acq_rel)) {
    ++takenBack;
    return false;
  }
  if (s->state.load(std::memory_order_acquire) == kMadeByCaller) ++helpedTaken;
  if (s->state.load(std::memory_order_acquire) == kRunning) {
    // While a worker makes it, the caller makes the searches next in line that no worker has
    // started; their answers wait for their turn.
    const int32_t own = static_cast<int32_t>(workers_.size()) - 1;
    auto next = std::find_if(searches_.begin(), searches_.end(), [s](const auto& p) { return p.get() == s; });
    for (++next; next != searches_.end(); ++next) {
      if (s->done.wait_for(std::chrono::seconds(0)) == std::future_status::ready) break;
      if (!Run(**next, own)) continue;
      (*next)->state.store(kMadeByCaller, std::memory_order_release);
      ++helped;
    }
    const auto t0 = std::chrono::steady_clock::now();
    s->done.get();
    waitSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  answer = s->answer;
  searches_.erase(std::find_if(searches_.begin(), searches_.end(), [s](const auto& p) { return p.get() == s; }));
  ++taken;
  return true;
}

const MapRouteAhead::Answer* MapRouteAhead::Finished(const Key& key) const {
  const Search* s = Find(key);
  if (s == nullptr) return nullptr;
  const int32_t state = s->state.load(std::memory_order_acquire);
  if (state == kMadeByCaller) return &s->answer;
  // The job's end is reached once the worker has written the answer.
  if (state == kRunning && s->done.wait_for(std::chrono::seconds(0)) == std::future_status::ready) return &s->answer;
  return nullptr;
}

void MapRouteAhead::Drop() {
  for (const auto& search : searches_) {
    int32_t queued = kQueued;
    search->state.compare_exchange_strong(queued, kDropped, std::memory_order_acq_rel);
    search->abandon.store(true, std::memory_order_relaxed);
  }
  for (const auto& search : searches_) search->done.wait();
  searches_.clear();
  for (auto& kept : cells_) kept.reset();
}

void MapRouteAhead::Forget() {
  Drop();
  pool_.reset();
  workers_.clear();
}
