#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

// A fixed set of worker threads that run jobs handed to them, first handed first started.
// Each job is told the index of the worker running it (0 .. Threads() - 1), so that it can use
// scratch memory of that worker's own without locking. The pool's owner takes each job's end
// through the future Submit gives back; the pool's destructor lets the jobs already handed
// over finish and then stops the workers.
class PWorkerPool {
 public:
  // The most workers a pool is given.
  static constexpr int32_t kMaxThreads = 8;
  // The machine's hardware threads, at least 1 and at most kMaxThreads.
  static int32_t MachineThreads();
  // The processor time the calling thread has used, in nanoseconds (for measurements).
  static int64_t ThreadCpuNanoseconds();

  // Starts threads workers (clamped to 1 .. kMaxThreads).
  explicit PWorkerPool(int32_t threads);
  ~PWorkerPool();
  PWorkerPool(const PWorkerPool&) = delete;
  PWorkerPool& operator=(const PWorkerPool&) = delete;

  int32_t Threads() const { return static_cast<int32_t>(workers_.size()); }
  // Queues job to run on a worker; the future is ready once it has run (and holds what it
  // threw, if it threw).
  std::future<void> Submit(std::function<void(int32_t worker)> job);

 private:
  void Work(int32_t index);

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::packaged_task<void(int32_t)>> queue_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};
