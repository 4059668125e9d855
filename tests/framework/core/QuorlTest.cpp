#include "framework/core/Quorl.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <cstring>
#include <new>
#include <set>

#include "framework/core/GErrorLog.h"
#include "platform/PClock.h"
#include "platform/PSystem.h"
#include "support/TestFolder.h"

namespace {

TEST(Random, FollowsTheClassicGeneratorTwoStepsPerDraw) {
  // Seed 1 gives the classic sequence 16838, 5758, 10113, 17515, ...; a draw joins two steps.
  SeedRandom(1);
  EXPECT_EQ(Random(INT32_MAX), static_cast<int32_t>((16838u << 16 | 5758u) % 2147483647u));
  EXPECT_EQ(Random(INT32_MAX), static_cast<int32_t>((10113u << 16 | 17515u) % 2147483647u));
  SeedRandom(1);
  EXPECT_EQ(Random(1000), static_cast<int32_t>((16838u << 16 | 5758u) % 1000u));
}

TEST(Random, SameSeedSameSequenceAndRandomOneTakesTwoSteps) {
  SeedRandom(12345);
  std::vector<int32_t> first;
  for (int i = 0; i < 100; ++i) first.push_back(Random(97));
  SeedRandom(12345);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(Random(97), first[static_cast<size_t>(i)]);

  SeedRandom(7);
  EXPECT_EQ(Random(1), 0);
  uint32_t afterOne = RandomState();
  SeedRandom(7);
  Random(50);
  EXPECT_EQ(RandomState(), afterOne);
}

TEST(Random, PreservingSeedPeeksWithoutAdvancing) {
  SeedRandom(99);
  int32_t peek = RandomPreservingSeed();
  EXPECT_EQ(RandomPreservingSeed(), peek);
  EXPECT_EQ(Random(1000000), peek);
}

TEST(Random, RangesAndFloats) {
  SeedRandom(3);
  std::set<int32_t> seen;
  for (int i = 0; i < 1000; ++i) {
    int32_t v = RandomOneTo(6);
    ASSERT_GE(v, 1);
    ASSERT_LE(v, 6);
    seen.insert(v);
  }
  EXPECT_EQ(seen.size(), 6u);
  for (int i = 0; i < 10000; ++i) {
    float f = RandomFloat();
    ASSERT_GE(f, 0.0f);
    ASSERT_LT(f, 1.0f);
  }
  // The largest integer draw, 9999999, times 1e-7 rounds to a float below 1.
  EXPECT_LT(static_cast<float>(9999999.0 * 1e-7), 1.0f);
  SeedRandom(5);
  float a = RandomFloatTimes(10000.0f);
  SeedRandom(5);
  int32_t n = Random(10000000);
  EXPECT_EQ(a, static_cast<float>(static_cast<double>(n) * 1e-7 * 10000.0));
}

TEST(RandomDeathTest, ZeroIsFatal) {
  TestFolder folder(true);
  EXPECT_EXIT(Random(0), testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: Quorl line 455");
}

class Probe : public GObject {
 public:
  explicit Probe(int* deletions) : deletions_(deletions) {}
  ~Probe() override { ++*deletions_; }

 private:
  int* deletions_;
};

TEST(SafeDelete, DeletesOnceAndClearsTheSlot) {
  int deletions = 0;
  Probe* p = new Probe(&deletions);
  SafeDelete(p);
  EXPECT_EQ(p, nullptr);
  SafeDelete(p);
  EXPECT_EQ(deletions, 1);
  GObject* none = nullptr;
  SafeDelete(none);
  EXPECT_EQ(none, nullptr);
}

TEST(SafeDeleteDeathTest, WrongMagicAtDestructionIsFatal) {
  TestFolder folder(true);
  EXPECT_EXIT(
      {
        // A foreign object whose magic word was overwritten.
        alignas(GObject) unsigned char storage[sizeof(GObject)];
        GObject* o = new (storage) GObject();
        uint32_t bad = 0;
        std::memcpy(storage + sizeof(void*), &bad, sizeof bad);
        o->~GObject();
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: GObject line 17");
}

TEST(FatalErrorDeathTest, LogsShowsAndExits) {
  TestFolder folder(true);
  EXPECT_EXIT(FatalError(1234, "GGroup"), testing::ExitedWithCode(PSystem::kFatalExitStatus),
              "ERROR: GGroup line 1234\\. Exiting program\\.");
  std::string log = folder.ReadFile("ERRORLOG.TXT");
  EXPECT_EQ(log, "ERROR: GGroup line 1234\r\n");
}

TEST(FatalErrorDeathTest, LineIsSixteenBitsAndCleanupRunsOnce) {
  TestFolder folder(true);
  static int cleanups = 0;
  EXPECT_EXIT(
      {
        SetFatalErrorCleanup([] {
          ++cleanups;
          if (cleanups == 1) FatalError(2, "Inner");  // a fault while tearing down
        });
        FatalError(40000, "Outer");
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: Inner line 2\\. Exiting");
  EXPECT_EQ(folder.ReadFile("ERRORLOG.TXT"), "ERROR: Outer line -25536\r\nERROR: Inner line 2\r\n");
}

TEST(Rectangles, OffsetInflateCopy) {
  GRect r{10, 20, 30, 40};
  OffsetRect(r, 5, -5);
  EXPECT_EQ(r, (GRect{15, 15, 35, 35}));
  InflateRect(r, -2, 3);
  EXPECT_EQ(r, (GRect{17, 12, 33, 38}));
  GRect c;
  CopyRect(r, c);
  EXPECT_EQ(c, r);
}

TEST(BlockMove, OverlapsAndZeroCount) {
  char buf[] = "abcdef";
  BlockMove(buf, buf + 2, 4);
  EXPECT_STREQ(buf, "ababcd");
  BlockMove(nullptr, nullptr, 0);
  EXPECT_TRUE(LessThanFive(4));
  EXPECT_FALSE(LessThanFive(5));
}

TEST(Delay, WaitsOnTheClock) {
  uint64_t now = 1000;
  PClock::SetFake([&now] { return now += 3; });
  Delay(0);
  uint64_t before = now;
  Delay(30);
  EXPECT_GE(now - before, 30u);
  PClock::SetFake(nullptr);
}

}  // namespace

namespace {

TEST(TruncateToInt32, TowardZeroAndHeldInRange) {
  EXPECT_EQ(TruncateToInt32(2.9), 2);
  EXPECT_EQ(TruncateToInt32(-2.9), -2);
  EXPECT_EQ(TruncateToInt32(1e30), INT32_MAX);
  EXPECT_EQ(TruncateToInt32(-1e30), INT32_MIN);
  EXPECT_EQ(TruncateToInt32(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(TruncateToInt32(static_cast<double>(std::numeric_limits<float>::infinity())), INT32_MAX);
}

}  // namespace
