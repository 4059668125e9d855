#include "platform/PTextureBudget.h"

#include <gtest/gtest.h>

#include "platform/PFailureInjection.h"

namespace {

TEST(PTextureBudget, TexturesTakeTheirBytesWhileTheyLive) {
  PFailureInjection::Reset();
  PTextureBudget budget(1000);
  std::unique_ptr<PSurface> a;
  ASSERT_EQ(budget.CreateTexture(10, 20, a), PResult::kOk);
  EXPECT_EQ(a->Format(), PPixelFormat::kARGB1555);
  EXPECT_EQ(a->Row16(19)[9], 0);
  EXPECT_EQ(budget.Used(), 400u);
  EXPECT_EQ(budget.Free(), 600u);
  std::unique_ptr<PSurface> b;
  EXPECT_EQ(budget.CreateTexture(20, 16, b), PResult::kOutOfVideoMemory);  // 640 > 600
  EXPECT_EQ(b, nullptr);
  ASSERT_EQ(budget.CreateTexture(20, 15, b), PResult::kOk);  // exactly what is left
  EXPECT_EQ(budget.Free(), 0u);
  a.reset();
  EXPECT_EQ(budget.Used(), 600u);

  budget.SetTotal(100);  // shrinking below the use takes nothing away
  EXPECT_EQ(budget.Used(), 600u);
  EXPECT_EQ(budget.Free(), 0u);

  EXPECT_EQ(budget.CreateTexture(0, 5, a), PResult::kInvalidParams);
  EXPECT_EQ(budget.CreateTexture(4097, 1, a), PResult::kInvalidParams);
  budget.SetTotal(1u << 20);
  PFailureInjection::Arm("CreateSurface", PResult::kOutOfMemory);
  EXPECT_EQ(budget.CreateTexture(1, 1, a), PResult::kOutOfMemory);
  EXPECT_EQ(a, nullptr);
}

TEST(PTextureBudget, ATextureMayOutliveItsBudget) {
  std::unique_ptr<PSurface> t;
  {
    PTextureBudget budget(64);
    ASSERT_EQ(budget.CreateTexture(4, 4, t), PResult::kOk);
  }
  EXPECT_EQ(t->Width(), 4);
  t.reset();  // gives its bytes back to the shared count without touching freed memory
}

}  // namespace
