#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/media/GGraphic.h"
#include "framework/media/GGraphicsStore.h"
#include "framework/media/GStub.h"
#include "framework/media/GraphicsTestHost.h"
#include "platform/PSystem.h"

namespace {

constexpr uint32_t kMagenta = 0xFF00FF;
constexpr uint32_t kGrey = 0x808080;

std::vector<uint32_t> Checked(int32_t w, int32_t h, uint32_t a, uint32_t b) {
  std::vector<uint32_t> px(static_cast<size_t>(w) * h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) px[static_cast<size_t>(y) * w + x] = ((x + y) & 1) ? b : a;
  return px;
}

TEST(GGraphicTexture, ShrinksToTheLargestSideAndCountsItsMemory) {
  GraphicsTestHost host;
  host.WriteSolid(7, 512, 256, kGrey);
  GGraphic g;
  ASSERT_TRUE(g.Load(2, 7));
  const GStub* stub = g.GetStub();
  EXPECT_EQ(stub->GetWidth(), 256);
  EXPECT_EQ(stub->GetHeight(), 128);
  EXPECT_EQ(stub->GetLevel(), 2);
  EXPECT_EQ(host.renderer.memory, 256 * 2 * 128);
  PSurface* t = g.GetTexture();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Format(), PPixelFormat::kARGB1555);
  EXPECT_EQ(t->Width(), 256);
  EXPECT_EQ(t->Height(), 128);
  EXPECT_EQ(t->Row16(127)[255], Texel(kGrey));
  // 2-D kinds are never shrunk.
  GGraphic picture;
  ASSERT_TRUE(picture.Load(0, 7));
  EXPECT_EQ(picture.GetSurface()->Width(), 512);
  EXPECT_EQ(picture.GetStub()->GetLevel(), 0);
}

TEST(GGraphicTexture, LevelFollowsTheRendererTheDetailAndTransparency) {
  GraphicsTestHost host;
  host.renderer.level = 1;
  host.WriteSolid(7, 256, 256, kGrey);
  std::vector<uint32_t> keyed(256 * 256, kGrey);
  keyed[0] = kMagenta;
  host.WriteBitmap(8, 256, 256, keyed);
  GGraphic plain;
  ASSERT_TRUE(plain.Load(2, 7));
  EXPECT_EQ(plain.GetStub()->GetWidth(), 128);  // level 1 halves the width only
  EXPECT_EQ(plain.GetStub()->GetHeight(), 256);
  EXPECT_EQ(plain.GetStub()->GetLevel(), 1);

  GGraphic transparent;
  ASSERT_TRUE(transparent.Load(2, 8));
  EXPECT_EQ(transparent.GetStub()->GetWidth(), 256);
  EXPECT_EQ(transparent.GetStub()->GetLevel(), 0);
  // The transparent texel took the colour of its neighbours, without the alpha bit.
  EXPECT_EQ(transparent.GetTexture()->Row16(0)[0], Texel(kGrey) & 0x7FFF);
  EXPECT_EQ(transparent.GetTexture()->Row16(0)[1], Texel(kGrey));

  host.renderer.level = 2;
  GGraphic fine;
  ASSERT_TRUE(fine.Load(2, 7, 2));
  EXPECT_EQ(fine.GetStub(), plain.GetStub());    // already in the store as (2, 7)
  host.WriteSolid(9, 256, 256, kGrey);
  GGraphic fine9;
  ASSERT_TRUE(fine9.Load(2, 9, 2));
  EXPECT_EQ(fine9.GetStub()->GetLevel(), -1);
  EXPECT_EQ(fine9.GetStub()->GetWidth(), 256);
  EXPECT_EQ(host.renderer.memory, 128 * 2 * 256 + 256 * 2 * 256 * 2);
}

TEST(GGraphicTexture, TintsWithTheRenderersColourScale) {
  GraphicsTestHost host;
  host.WriteBitmap(7, 2, 1, {0xA05020, 0x181818});
  host.renderer.scale[0] = 0.5f;
  host.renderer.scale[1] = 2.0f;
  host.renderer.scale[2] = 1.0f;
  GGraphic g;
  ASSERT_TRUE(g.Load(2, 7));
  // Fields 20, 10, 4 times (0.5, 2, 1): 10, 20, 4; fields 3, 3, 3: 1, 6, 3.
  EXPECT_EQ(g.GetTexture()->Row16(0)[0], 0x8000 | 10 << 10 | 20 << 5 | 4);
  EXPECT_EQ(g.GetTexture()->Row16(0)[1], 0x8000 | 1 << 10 | 6 << 5 | 3);
  const float* kept = g.GetStub()->GetColorScale();
  EXPECT_EQ(kept[0], 0.5f);
  EXPECT_EQ(kept[1], 2.0f);
}

TEST(GGraphicTexture, RunningOutOfTextureMemoryRaisesTheFlagAndMakesNoStub) {
  GraphicsTestHost host;
  host.WriteSolid(7, 64, 64, kGrey);
  host.budget = std::make_unique<PTextureBudget>(64 * 64 * 2 - 1);
  GGraphic g;
  EXPECT_FALSE(g.Load(2, 7));
  EXPECT_TRUE(host.renderer.exhausted);
  EXPECT_EQ(g.GetStub(), nullptr);
  EXPECT_EQ(host.store->Count(), 0);
  EXPECT_EQ(host.Log(), "GGraphic::IGraphic ran out of memory loading ID # 7\r\n");

  // While the flag is up, loads report success and change nothing.
  host.budget->SetTotal(1u << 20);
  GGraphic later;
  EXPECT_TRUE(later.Load(2, 7));
  EXPECT_EQ(later.GetStub(), nullptr);
  EXPECT_EQ(later.GetNumber(), 0);
  EXPECT_EQ(host.store->Count(), 0);
  EXPECT_EQ(host.budget->Used(), 0u);

  // The coarser pass that follows loads, and the memory comes back with the last handle.
  host.renderer.exhausted = false;
  {
    GGraphic again;
    ASSERT_TRUE(again.Load(2, 7));
    EXPECT_EQ(host.budget->Used(), 64u * 64u * 2u);
  }
  EXPECT_EQ(host.budget->Used(), 0u);
}

TEST(GGraphicTexture, RunningOutWhileHalvingRaisesTheFlagToo) {
  GraphicsTestHost host;
  host.WriteBitmap(7, 64, 64, Checked(64, 64, kGrey, 0x102030));
  host.renderer.level = 2;
  host.budget = std::make_unique<PTextureBudget>(64 * 64 * 2 + 100);
  GGraphic g;
  EXPECT_FALSE(g.Load(2, 7));
  EXPECT_TRUE(host.renderer.exhausted);
  EXPECT_EQ(host.store->Count(), 0);
  EXPECT_EQ(host.budget->Used(), 0u);
  EXPECT_EQ(host.renderer.memory, 0);
  EXPECT_EQ(host.Log(), "GGraphic::IGraphic ran out of memory downsampling for ID # 7\r\n");
}

TEST(GGraphicTexture, OtherCreationFailuresStop) {
  GraphicsTestHost host;
  host.WriteSolid(7, 8, 8, kGrey);
  EXPECT_EXIT(
      {
        PFailureInjection::Arm("CreateSurface", PResult::kGeneric);
        GGraphic g;
        g.Load(2, 7);
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "GGraphic line 700\\.");
  EXPECT_EQ(host.Log(),
            "GGraphic::IGraphic failed to create a VRAM surface for ID # 7\r\n"
            "DDERR =  -2147467259\r\n"
            "ERROR: GGraphic line 700\r\n");
  EXPECT_EXIT(
      {
        host.hasRenderer = false;
        GGraphic g;
        g.Load(2, 7);
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "GGraphic line 578\\.");
}

}  // namespace
