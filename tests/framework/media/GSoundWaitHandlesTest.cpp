#include "framework/media/GSoundWaitHandles.h"

#include <gtest/gtest.h>

#include "platform/PSignal.h"

namespace {

TEST(GSoundWaitHandles, PairsAreAddedInOrderAndARemovedPairIsReplacedByTheLast) {
  GSoundWaitHandles registry;
  PSignal s[6];
  auto* a = reinterpret_cast<GSoundChannel*>(0x10);
  auto* b = reinterpret_cast<GSoundChannel*>(0x20);
  auto* c = reinterpret_cast<GSoundChannel*>(0x30);
  PSignal* pa[2] = {&s[0], &s[1]};
  PSignal* pb[2] = {&s[2], &s[3]};
  PSignal* pc[2] = {&s[4], &s[5]};
  registry.Set(a, pa);
  registry.Set(b, pb);
  registry.Set(c, pc);
  EXPECT_EQ(registry.Count(), 6);
  registry.Set(a, nullptr);
  ASSERT_EQ(registry.Count(), 4);
  EXPECT_EQ(registry.Owner(0), c);
  EXPECT_EQ(registry.Handle(0), &s[4]);
  EXPECT_EQ(registry.Handle(1), &s[5]);
  EXPECT_EQ(registry.Owner(2), b);
  EXPECT_FALSE(registry.Poll());
}

TEST(GSoundWaitHandlesDeathTest, MisuseIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  PSignal s[2];
  PSignal* pair[2] = {&s[0], &s[1]};
  auto* owner = reinterpret_cast<GSoundChannel*>(0x10);
  EXPECT_EXIT(
      {
        GSoundWaitHandles registry;
        for (int i = 0; i < 6; ++i) registry.Set(owner, pair);
      },
      testing::ExitedWithCode(3), "GKernel line 6264");
  EXPECT_EXIT(
      {
        GSoundWaitHandles registry;
        registry.Set(owner, nullptr);
      },
      testing::ExitedWithCode(3), "GKernel line 6276");
  EXPECT_EXIT(
      {
        GSoundWaitHandles registry;
        registry.Set(owner, pair);
        registry.Set(reinterpret_cast<GSoundChannel*>(0x20), nullptr);
      },
      testing::ExitedWithCode(3), "GKernel line 6294");
}

}  // namespace
