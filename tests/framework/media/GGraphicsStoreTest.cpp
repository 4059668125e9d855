#include <gtest/gtest.h>

#include <memory>

#include "framework/media/GBlackKeyGraphic.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GGraphicsStore.h"
#include "framework/media/GStub.h"
#include "framework/media/GraphicsTestHost.h"
#include "platform/PSystem.h"

namespace {

constexpr uint32_t kOlive = 0x808000;

TEST(GGraphicsStore, SharesOneStubPerKindAndNumberAndDeletesItWithItsLastUse) {
  GraphicsTestHost host;
  host.WriteSolid(7, 4, 3, kOlive);
  auto a = std::make_unique<GGraphic>();
  auto b = std::make_unique<GGraphic>();
  ASSERT_TRUE(a->Load(0, 7));
  ASSERT_TRUE(b->Load(0, 7));
  ASSERT_EQ(host.store->Count(), 1);
  GStub* stub = host.store->GetStub(0);
  EXPECT_EQ(a->GetStub(), stub);
  EXPECT_EQ(b->GetStub(), stub);
  EXPECT_EQ(stub->GetUseCount(), 2);
  // Only the handle that read the file joins the live-graphics group.
  EXPECT_EQ(host.live.Count(), 1);
  EXPECT_TRUE(host.live.Contains(a.get()));
  GRect bounds;
  b->GetBounds(bounds);
  EXPECT_EQ(bounds, (GRect{0, 0, 4, 3}));
  EXPECT_EQ(a->GetSurface()->Format(), PPixelFormat::kRGB565);
  EXPECT_EQ(a->GetSurface()->Row16(2)[3], PBitmapFile::ToPixel(kOlive, PPixelFormat::kRGB565));
  EXPECT_EQ(stub->GetLevel(), 0);
  EXPECT_FALSE(stub->IsMipmapped());

  a.reset();
  EXPECT_EQ(host.store->Count(), 1);
  EXPECT_EQ(stub->GetUseCount(), 1);
  EXPECT_EQ(host.live.Count(), 0);
  b.reset();
  EXPECT_EQ(host.store->Count(), 0);

  auto asPicture = std::make_unique<GGraphic>();
  auto asButton = std::make_unique<GGraphic>();
  ASSERT_TRUE(asPicture->Load(0, 7));
  ASSERT_TRUE(asButton->Load(1, 7));
  EXPECT_EQ(host.store->Count(), 2);
  EXPECT_NE(asPicture->GetStub(), asButton->GetStub());
  EXPECT_EQ(asButton->GetKind(), 1);
  EXPECT_EQ(asButton->GetNumber(), 7);
}

TEST(GGraphicsStore, ReloadingAHandleGivesItsOldUseBack) {
  GraphicsTestHost host;
  host.WriteSolid(7, 2, 2, kOlive);
  host.WriteSolid(8, 2, 2, kOlive);
  auto h = std::make_unique<GGraphic>();
  ASSERT_TRUE(h->Load(0, 7));
  ASSERT_TRUE(h->Load(0, 7));
  ASSERT_EQ(host.store->Count(), 1);
  EXPECT_EQ(host.store->GetStub(0)->GetUseCount(), 1);
  ASSERT_TRUE(h->Load(0, 8));
  ASSERT_EQ(host.store->Count(), 1);
  EXPECT_EQ(host.store->GetStub(0)->GetNumber(), 8);
  EXPECT_EQ(host.store->GetStub(0)->GetUseCount(), 1);
  // A failed load leaves the handle empty and the store clean; the live list forgets it at
  // deletion.
  host.excluded.insert(9);
  EXPECT_FALSE(h->Load(0, 9));
  EXPECT_EQ(h->GetStub(), nullptr);
  EXPECT_EQ(host.store->Count(), 0);
  EXPECT_TRUE(host.live.Contains(h.get()));
  h.reset();
  EXPECT_EQ(host.live.Count(), 0);
  EXPECT_EQ(host.Log(), "");
}

TEST(GGraphicsStore, ExcludedAndMissingBitmapsFailAndUnreadableFilesAreLogged) {
  GraphicsTestHost host;
  GGraphic g;
  host.excluded.insert(7);
  host.WriteSolid(7, 2, 2, kOlive);
  EXPECT_FALSE(g.Load(0, 7));
  EXPECT_FALSE(g.Load(0, 12, 0, true));  // missing, quiet: no line
  EXPECT_EQ(host.store->Count(), 0);
  EXPECT_EQ(host.Log(), "");

  host.folder.WriteFile("BMP/13.bmp", "BM this is not a bitmap");
  EXPECT_FALSE(g.Load(0, 13, 0, true));
  EXPECT_EQ(host.Log(), "GGraphic::IGraphic failed to load bitmap ID # 13\r\n");

  // The alternate data folder is the second place to look.
  host.alternate = std::make_unique<TestFolder>();
  host.WriteBitmap(12, 1, 1, {kOlive}, host.alternate.get());
  host.WriteBitmap(13, 1, 1, {kOlive}, host.alternate.get());
  EXPECT_TRUE(g.Load(0, 12, 0, true));
  EXPECT_TRUE(g.Load(0, 13, 0, true));
}

TEST(GGraphicsStore, FlushAndRecreateRebuildTwoDimensionalStubsOnly) {
  GraphicsTestHost host;
  host.WriteSolid(7, 3, 2, kOlive);
  host.WriteSolid(8, 16, 16, kOlive);
  GGraphic picture;
  GGraphic picture2;
  GGraphic texture;
  ASSERT_TRUE(picture.Load(0, 7));
  ASSERT_TRUE(picture2.Load(0, 7));
  ASSERT_TRUE(texture.Load(2, 8));
  ASSERT_NE(texture.GetTexture(), nullptr);

  host.store->FlushAll();
  GStub* pictureStub = picture.GetStub();
  EXPECT_EQ(pictureStub->GetSurface(), nullptr);
  EXPECT_EQ(texture.GetTexture(), nullptr);

  host.store->RecreateAll();
  ASSERT_NE(pictureStub->GetSurface(), nullptr);
  EXPECT_EQ(pictureStub->GetUseCount(), 2);
  EXPECT_EQ(pictureStub->GetWidth(), 3);
  EXPECT_EQ(picture.GetSurface()->Row16(1)[2], PBitmapFile::ToPixel(kOlive, PPixelFormat::kRGB565));
  EXPECT_EQ(texture.GetTexture(), nullptr);
  EXPECT_EQ(texture.GetStub()->GetUseCount(), 1);
}

TEST(GGraphicsStore, ReloadRefillsALostSurfaceFromItsFile) {
  GraphicsTestHost host;
  host.WriteSolid(7, 2, 2, kOlive);
  GGraphic g;
  ASSERT_TRUE(g.Load(1, 7));
  const uint16_t olive = static_cast<uint16_t>(PBitmapFile::ToPixel(kOlive, PPixelFormat::kRGB565));

  g.GetSurface()->Row16(0)[0] = 0x1234;
  host.store->ReloadAll();  // not lost: left alone
  EXPECT_EQ(g.GetSurface()->Row16(0)[0], 0x1234);

  PFailureInjection::Arm("IsLost", PResult::kSurfaceLost);
  host.store->ReloadAll();
  EXPECT_EQ(g.GetSurface()->Row16(0)[0], olive);
  EXPECT_EQ(host.Log(), "Attempting a reload\r\n");

  std::remove((host.folder.Native() + "BMP/7.bmp").c_str());
  PFailureInjection::Arm("IsLost", PResult::kSurfaceLost);
  host.store->ReloadAll();
  EXPECT_EQ(g.GetSurface()->Row16(1)[1], 0);  // restored, but blank
  EXPECT_EQ(host.Log(), "Attempting a reload\r\nRestoring: Problem loading BMP # 7\r\n");
}

TEST(GBlackKeyGraphic, KeysBlackOnItsSurface) {
  GraphicsTestHost host;
  host.WriteBitmap(7, 2, 1, {0x000000, 0xFFFFFF});
  GBlackKeyGraphic font;
  EXPECT_TRUE(font.Load(1, 7, 0, false));
  ASSERT_TRUE(font.GetSurface()->HasColorKey());
  EXPECT_EQ(font.GetSurface()->ColorKey(), 0u);
  EXPECT_EQ(font.GetSurface()->Row16(0)[0], 0);
}

using GGraphicsStoreDeathTest = testing::Test;

TEST_F(GGraphicsStoreDeathTest, DeletingTheStoreWithALiveHandleLogsItAndStops) {
  GraphicsTestHost host;
  host.WriteSolid(7, 2, 2, kOlive);
  EXPECT_EXIT(
      {
        GGraphic* a = new GGraphic;
        GGraphic* b = new GGraphic;
        a->Load(0, 7);
        b->Load(0, 7);
        host.store.reset();
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: GGraphic line 754\\. Exiting program\\.");
  EXPECT_EQ(host.Log(),
            "*** Graphics store not empty!\r\n"
            "bitmap ID  7\r\n"
            "  use count =  2\r\n"
            "!!! For ID#  7\r\n"
            "Windows refcount is  0\r\n"
            "My use count is  2\r\n"
            "ERROR: GGraphic line 754\r\n");
}

TEST_F(GGraphicsStoreDeathTest, MisusedHandlesStop) {
  GraphicsTestHost host;
  host.WriteSolid(7, 16, 16, kOlive);
  const auto fatal = testing::ExitedWithCode(PSystem::kFatalExitStatus);
  EXPECT_EXIT(
      {
        GGraphic t;
        t.Load(2, 7);
        t.GetSurface();
      },
      fatal, "GGraphic line 1315\\.");
  EXPECT_EXIT(
      {
        GGraphic p;
        p.Load(0, 7);
        p.GetTexture();
      },
      fatal, "GGraphic line 1328\\.");
  EXPECT_EXIT(
      {
        GGraphic empty;
        GRect r;
        empty.GetBounds(r);
      },
      fatal, "GGraphic line 1358\\.");
  EXPECT_EXIT(
      {
        GGraphic missing;
        missing.Load(0, 99);
      },
      fatal, "GGraphic line 711\\.");
  // The line before the fatal one names the file and why.
  EXPECT_EQ(host.Log(),
            "GGraphic::IGraphic failed to load bitmap ID # 99\r\nBitmap BMP\\99.bmp missing\r\nERROR: GGraphic line 711\r\n");
  EXPECT_EXIT(
      {
        host.excluded.insert(7);
        GBlackKeyGraphic font;
        font.Load(1, 7, 0, false);
      },
      fatal, "GGraphic line 1316\\.");
}

}  // namespace
