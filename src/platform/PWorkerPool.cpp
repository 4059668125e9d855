#include "platform/PWorkerPool.h"

#include <algorithm>
#include <ctime>
#include <utility>

int32_t PWorkerPool::MachineThreads() {
  const unsigned hardware = std::thread::hardware_concurrency();
  return std::clamp(static_cast<int32_t>(hardware), 1, kMaxThreads);
}

int64_t PWorkerPool::ThreadCpuNanoseconds() {
  timespec now{};
  if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) != 0) return 0;
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

PWorkerPool::PWorkerPool(int32_t threads) {
  const int32_t n = std::clamp(threads, 1, kMaxThreads);
  workers_.reserve(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) workers_.emplace_back([this, i] { Work(i); });
}

PWorkerPool::~PWorkerPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

std::future<void> PWorkerPool::Submit(std::function<void(int32_t worker)> job) {
  std::packaged_task<void(int32_t)> task(std::move(job));
  std::future<void> done = task.get_future();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(task));
  }
  wake_.notify_one();
  return done;
}

void PWorkerPool::Work(int32_t index) {
  for (;;) {
    std::packaged_task<void(int32_t)> task;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      // Jobs handed over before the pool is stopped still run.
      if (queue_.empty()) return;
      task = std::move(queue_.front());
      queue_.pop_front();
    }
    task(index);
  }
}
