#include "platform/PSignal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

TEST(PSignal, PollResetsSoEachSetIsTakenOnce) {
  PSignal signal;
  EXPECT_FALSE(signal.Poll());
  signal.Set();
  signal.Set();
  EXPECT_TRUE(signal.Poll());
  EXPECT_FALSE(signal.Poll());
}

TEST(PSignal, WaitAnyGivesTheLowestSetIndexAndResetsOnlyIt) {
  PSignal a, b, c;
  PSignal* all[3] = {&a, &b, &c};
  EXPECT_EQ(PSignal::WaitAny(all, 3, 0), -1);
  c.Set();
  b.Set();
  EXPECT_EQ(PSignal::WaitAny(all, 3, 0), 1);
  EXPECT_TRUE(c.IsSet());
  EXPECT_EQ(PSignal::WaitAny(all, 3, 0), 2);
  EXPECT_EQ(PSignal::WaitAny(all, 3, 0), -1);
}

TEST(PSignal, WaitAnyWakesForASetFromAnotherThreadAndTimesOut) {
  PSignal a, b;
  PSignal* all[2] = {&a, &b};
  std::thread setter([&b] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    b.Set();
  });
  EXPECT_EQ(PSignal::WaitAny(all, 2, 5000), 1);
  setter.join();
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(PSignal::WaitAny(all, 2, 30), -1);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(25));
}

}  // namespace
