#include "framework/media/GGraphicFactory.h"

#include <gtest/gtest.h>

#include <memory>

#include "framework/core/GGroup.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GLiveGraphics.h"
#include "framework/media/GStub.h"
#include "framework/media/GraphicsTestHost.h"
#include "platform/PSystem.h"

namespace {

TEST(GGraphicFactory, MakesGraphicsOfEachKindAndDetail) {
  GraphicsTestHost host;
  host.renderer.level = 2;
  host.WriteSolid(7, 256, 256, 0x336699);
  host.WriteSolid(8, 256, 256, 0x336699);
  host.WriteSolid(9, 256, 256, 0x336699);

  EXPECT_EQ(GGraphicFactory::NewGraphic(0), nullptr);
  EXPECT_EQ(GGraphicFactory::NewGraphic(-3), nullptr);
  EXPECT_EQ(GGraphicFactory::NewTexture(0), nullptr);

  std::unique_ptr<GGraphic> normal(GGraphicFactory::NewGraphic(7));
  std::unique_ptr<GGraphic> detailed(GGraphicFactory::NewDetailedTexture(8));
  std::unique_ptr<GGraphic> finest(GGraphicFactory::NewTexture(9));
  EXPECT_EQ(normal->GetKind(), 2);
  EXPECT_EQ(normal->GetStub()->GetLevel(), 2);
  EXPECT_EQ(normal->GetStub()->GetWidth(), 128);
  EXPECT_EQ(detailed->GetStub()->GetLevel(), 1);
  EXPECT_EQ(detailed->GetStub()->GetWidth(), 128);
  EXPECT_EQ(detailed->GetStub()->GetHeight(), 256);
  EXPECT_EQ(finest->GetStub()->GetLevel(), -1);
  EXPECT_EQ(finest->GetStub()->GetWidth(), 256);

  std::unique_ptr<GGraphic> button(GGraphicFactory::NewGraphicOfKind(1, 7));
  EXPECT_EQ(button->GetKind(), 1);
  EXPECT_EQ(button->GetSurface()->Width(), 256);
  EXPECT_EQ(host.live.Count(), 4);

  // A failed load still hands the graphic over, except from TryNewGraphic.
  host.excluded.insert(7);
  std::unique_ptr<GGraphic> excluded(GGraphicFactory::NewGraphicOfKind(0, 7));
  ASSERT_NE(excluded, nullptr);
  EXPECT_EQ(excluded->GetStub(), nullptr);
  EXPECT_EQ(GGraphicFactory::TryNewGraphic(0, 7), nullptr);
  EXPECT_EQ(GGraphicFactory::TryNewGraphic(0, 55), nullptr);
  std::unique_ptr<GGraphic> tried(GGraphicFactory::TryNewGraphic(0, 8));
  ASSERT_NE(tried, nullptr);
  EXPECT_NE(tried->GetStub(), nullptr);
  EXPECT_EQ(host.Log(), "");
}

TEST(GGraphicFactory, TrackGraphicKeepsOneEntryAndLeavesAWalkedGroupAlone) {
  GraphicsTestHost host;
  GGroup group;
  group.SetOwnsMembers(false);
  group.Init();
  GGraphic a;
  GGraphicFactory::TrackGraphic(&group, false, &a, true);
  GGraphicFactory::TrackGraphic(&group, false, &a, true);
  EXPECT_EQ(group.Count(), 1);
  GGraphicFactory::TrackGraphic(&group, true, &a, false);
  EXPECT_EQ(group.Count(), 1);
  GGraphicFactory::TrackGraphic(&group, false, &a, false);
  EXPECT_EQ(group.Count(), 0);
  GGraphicFactory::TrackGraphic(&group, false, &a, false);  // not a member: nothing
  EXPECT_EQ(group.Count(), 0);

  // Deleting the live group at shut-down deletes its graphics, which do not take themselves
  // out of it meanwhile.
  host.WriteSolid(7, 2, 2, 0x336699);
  auto* owning = new GGroup;
  owning->Init();
  GGraphic* g = GGraphicFactory::NewGraphicOfKind(0, 7);
  owning->Append(g);
  host.walking = true;
  delete owning;
  EXPECT_EQ(host.store->Count(), 0);
  EXPECT_EQ(host.live.Count(), 1);  // still listed: the graphic left the walked group alone

  EXPECT_EXIT(GGraphicFactory::TrackGraphic(nullptr, false, &a, true),
              testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: GKernel line 6133\\.");
}

}  // namespace

namespace {

// A graphics host whose live graphics are a GLiveGraphics, as the kernel's are.
struct LiveGraphicsHost : GraphicsTestHost {
  void TrackGraphic(GGraphic* graphic, bool add) override { live3.Track(graphic, add); }
  GLiveGraphics live3;
};

}  // namespace

TEST(GLiveGraphics, HoldsLoadedGraphicsAndDeletesThoseLeftWhenItGoes) {
  LiveGraphicsHost host;
  for (int32_t n : {7, 8, 9}) host.WriteSolid(n, 8, 8, 0x336699);
  GGraphic* kept = GGraphicFactory::NewGraphicOfKind(1, 7);
  GGraphic* deleted = GGraphicFactory::NewGraphicOfKind(1, 8);
  GGraphic* alsoKept = GGraphicFactory::NewGraphicOfKind(1, 9);
  ASSERT_NE(host.live3.Group(), nullptr);
  EXPECT_EQ(host.live3.Group()->Count(), 3);
  delete deleted;  // takes itself out
  EXPECT_EQ(host.live3.Group()->Count(), 2);
  EXPECT_TRUE(host.live3.Group()->Contains(kept));
  EXPECT_TRUE(host.live3.Group()->Contains(alsoKept));
  // The graphics left are deleted with the group; each leaving it on the way is no harm.
  host.live3.DeleteAll();
  EXPECT_TRUE(host.live3.IsWalking());
  EXPECT_EQ(host.live3.Group(), nullptr);
}
