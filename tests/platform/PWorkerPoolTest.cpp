#include "platform/PWorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <set>
#include <stdexcept>
#include <vector>

// Every job handed over runs exactly once, on a worker whose index is in range, each worker's
// scratch touched only by its own thread; a job's failure reaches its future; the jobs queued
// when the pool goes still run.
TEST(PWorkerPool, RunsEveryJobOnceOnItsWorkersAndFinishesTheQueueWhenStopped) {
  EXPECT_GE(PWorkerPool::MachineThreads(), 1);
  EXPECT_LE(PWorkerPool::MachineThreads(), PWorkerPool::kMaxThreads);
  EXPECT_EQ(PWorkerPool(0).Threads(), 1);
  EXPECT_EQ(PWorkerPool(99).Threads(), PWorkerPool::kMaxThreads);

  constexpr int kJobs = 200;
  std::vector<int> ran(kJobs, 0);
  std::vector<int64_t> scratch(4, 0);  // one slot per worker, written without a lock
  std::atomic<int> outOfRange{0};
  std::atomic<int> late{0};
  {
    PWorkerPool pool(4);
    ASSERT_EQ(pool.Threads(), 4);
    std::vector<std::future<void>> done;
    for (int i = 0; i < kJobs; ++i) {
      done.push_back(pool.Submit([&, i](int32_t worker) {
        if (worker < 0 || worker >= 4) {
          ++outOfRange;
          return;
        }
        scratch[static_cast<size_t>(worker)] += i;
        ++ran[static_cast<size_t>(i)];
      }));
    }
    auto failing = pool.Submit([](int32_t) { throw std::runtime_error("job failed"); });
    for (auto& d : done) d.get();
    EXPECT_THROW(failing.get(), std::runtime_error);
    // Handed over just before the pool goes: they still run.
    for (int i = 0; i < 4; ++i) pool.Submit([&](int32_t) { ++late; });
  }
  EXPECT_EQ(outOfRange.load(), 0);
  EXPECT_EQ(late.load(), 4);
  EXPECT_EQ(ran[0], 1);
  for (int i = 1; i < kJobs; ++i) EXPECT_EQ(ran[static_cast<size_t>(i)], 1) << i;
  EXPECT_EQ(scratch[0] + scratch[1] + scratch[2] + scratch[3], int64_t{kJobs} * (kJobs - 1) / 2);
}
