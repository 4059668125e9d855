#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "framework/core/GErrorLog.h"
#include "framework/media/GraphicsTestHost.h"
#include "framework/media/RendererRig.h"
#include "platform/PFailureInjection.h"
#include "platform/PSystem.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// A view of 64 x 48 pixels, 90 degrees wide, near 1, far 100, picked as the view tree does:
// begin, draw, finish, draw again, end, then the view's projection back.
struct PickRig : SoftRig {
  PickRig() { r->SetBackfaceCulling(false); }

  // The scene's drawing, given the pass (1 numbering, 2 locating).
  void Pick(int x, int y, const std::function<void(int)>& draw) {
    r->SetViewport(0, 0, kWidth, kHeight);
    r->PushMatrix();
    r->BeginPick(x, y, kWidth, kHeight, 90.0f, 1.0f, 100.0f);
    draw(1);
    r->FinishPick();
    draw(2);
    r->EndPick();
    r->SetProjection(0, 0, kWidth, kHeight, 90.0f, 1.0f, 100.0f);
    r->PopMatrix();
  }
  // A wall facing the camera at depth z, x from x0 to x1, y from -20 to 20.
  void Wall(float x0, float x1, float z) { r->DrawColouredQuad(x0, -20, z, x1, -20, z, x1, 20, z, x0, 20, z); }
};

// Looking down from 10 above (3, 0, 2), the top of the screen toward -z.
void LookDown(GGraph3D& r) { r.LookAt(3, 10, 2, 3, 0, 2, 0, 0, -1); }
void Ground(GGraph3D& r) { r.DrawColouredQuad(-40, 0, -40, 40, 0, -40, 40, 0, 40, -40, 0, 40); }

TEST(GGraph3DPick, EmptyBackgroundPicksNothing) {
  PickRig rig;
  bool hit = true;
  rig.Pick(32, 24, [&](int pass) {
    rig.r->LookAt(0, 0, 0, 0, 0, -1, 0, 1, 0);
    rig.Wall(-20, 20, 10);  // behind the camera
    if (pass == 2) hit = rig.r->GetPickHit();
  });
  EXPECT_EQ(rig.r->PickedPrimitive(), 0);
  EXPECT_FALSE(hit);
  float x = 0, y = 0, z = 0;
  EXPECT_FALSE(rig.r->GetPickPoint(&x, &y, &z));
  EXPECT_FALSE(rig.r->IsPickMode());
}

TEST(GGraph3DPick, GroundPointUnderTheCursor) {
  PickRig rig;
  rig.Pick(32, 24, [&](int) {
    LookDown(*rig.r);
    Ground(*rig.r);
  });
  EXPECT_EQ(rig.r->PickAngle(0), 0.0f);
  EXPECT_EQ(rig.r->PickAngle(1), 0.0f);
  float x = 0, y = 0, z = 0;
  ASSERT_TRUE(rig.r->GetPickPoint(&x, &y, &z));
  EXPECT_NEAR(x, 3.0f, 1e-3);
  EXPECT_NEAR(y, 0.0f, 1e-3);
  EXPECT_NEAR(z, 2.0f, 1e-3);

  // Away from the centre the point found lies under the cursor: projected back into the
  // view it lands within a pixel of where the pick was made.
  const int places[4][2] = {{48, 12}, {10, 40}, {60, 30}, {5, 3}};
  for (const auto& place : places) {
    rig.Pick(place[0], place[1], [&](int) {
      LookDown(*rig.r);
      Ground(*rig.r);
    });
    ASSERT_TRUE(rig.r->GetPickPoint(&x, &y, &z));
    EXPECT_NEAR(y, 0.0f, 1e-3);
    // The pixel a ground point is drawn at, by the view's own projection.
    rig.r->PushMatrix();
    LookDown(*rig.r);
    float cx = x, cy = y, cz = z;
    rig.r->TransformToCamera(&cx, &cy, &cz);
    rig.r->PopMatrix();
    const float screenX = 32.0f + cx / cz * 32.0f;
    const float screenY = 24.0f - cy / cz * 32.0f;
    EXPECT_NEAR(screenX, place[0], 1.0f) << place[0] << "," << place[1];
    EXPECT_NEAR(screenY, place[1], 1.0f) << place[0] << "," << place[1];
  }
}

TEST(GGraph3DPick, NearestWinsUnlessAMarkPutsAnEarlierObjectFirst) {
  PickRig rig;
  for (bool mark : {false, true}) {
    bool farHit = false, nearHit = false;
    rig.Pick(32, 24, [&](int pass) {
      rig.r->LookAt(0, 0, 0, 0, 0, -1, 0, 1, 0);
      rig.r->ClearPickHit();
      rig.Wall(-20, 20, -20);
      if (pass == 2) farHit = rig.r->GetPickHit();
      if (mark) rig.r->PushPickMark();
      rig.r->ClearPickHit();
      rig.Wall(0.2f, 5, -10);  // over part of the block only
      if (pass == 2) nearHit = rig.r->GetPickHit();
    });
    EXPECT_EQ(farHit, mark);
    EXPECT_EQ(nearHit, !mark);
    float x = 0, y = 0, z = 0;
    ASSERT_TRUE(rig.r->GetPickPoint(&x, &y, &z));
    EXPECT_NEAR(z, mark ? -20.0f : -10.0f, 1e-3);
  }
  // The depth decides, not the order: drawn the other way round the near wall still wins.
  float z = 0, unused = 0;
  rig.Pick(32, 24, [&](int) {
    rig.r->LookAt(0, 0, 0, 0, 0, -1, 0, 1, 0);
    rig.Wall(0.2f, 5, -10);
    rig.Wall(-20, 20, -20);
  });
  ASSERT_TRUE(rig.r->GetPickPoint(&unused, &unused, &z));
  EXPECT_NEAR(z, -10.0f, 1e-3);
}

TEST(GGraph3DPick, OfCellsAtEqualDepthTheFirstInTheBlockWins) {
  // Two walls at one depth meet under the cursor; the block's cells are read column by
  // column from its left edge, so the left wall wins in whichever order they are drawn.
  PickRig rig;
  for (bool leftFirst : {true, false}) {
    SCOPED_TRACE(leftFirst);
    rig.Pick(32, 24, [&](int) {
      rig.r->LookAt(0, 0, 0, 0, 0, -1, 0, 1, 0);
      if (leftFirst) rig.Wall(-20, 0, -10);
      rig.Wall(0, 20, -10);
      if (!leftFirst) rig.Wall(-20, 0, -10);
    });
    // The walls' quads are primitives 1 and 2 in drawing order.
    EXPECT_EQ(rig.r->PickedPrimitive(), leftFirst ? 1 : 2);
    float x = 0, y = 0, z = 0;
    ASSERT_TRUE(rig.r->GetPickPoint(&x, &y, &z));
    EXPECT_LE(x, 0.0f);
    EXPECT_NEAR(z, -10.0f, 1e-3);
  }
}

TEST(GGraph3DPick, AFanDrawnWithoutClippingIsNumberedAndPickedLikeAnyShape) {
  // Unclipped fans go straight to the screen outside a pick; inside one they must take the
  // numbered path, or the pick would not see them.
  PickRig rig;
  const float fan[] = {-5, -5, -10, 5, -5, -10, 5, 5, -10, -5, 5, -10};
  bool hit = false;
  rig.Pick(32, 24, [&](int pass) {
    rig.r->LookAt(0, 0, 0, 0, 0, -1, 0, 1, 0);
    rig.Wall(-20, 20, -20);
    rig.r->ClearPickHit();
    rig.r->DrawColouredFan(false, 2, fan);
    if (pass == 2) hit = rig.r->GetPickHit();
  });
  EXPECT_TRUE(hit);
  EXPECT_GE(rig.r->PickedPrimitive(), 2);  // one of the fan's triangles, after the wall
  float x = 0, y = 0, z = 0;
  ASSERT_TRUE(rig.r->GetPickPoint(&x, &y, &z));
  EXPECT_NEAR(z, -10.0f, 1e-3);
}

TEST(GGraph3DPick, MarksGroupPrimitivesFromTheLastOneDrawn) {
  // Three walls, nearest last; marks after the first and the second. Cells of the second
  // and third wall only: the second (the earliest group present) wins over the nearer third.
  PickRig rig;
  rig.Pick(32, 24, [&](int) {
    rig.r->LookAt(0, 0, 0, 0, 0, -1, 0, 1, 0);
    rig.Wall(30, 40, -30);  // off to the side, not under the block
    rig.r->PushPickMark();
    rig.Wall(-20, 20, -20);
    rig.r->PushPickMark();
    rig.Wall(0.2f, 5, -10);
  });
  EXPECT_EQ(rig.r->PickedPrimitive(), 1);  // the first wall is outside the pick camera: not numbered
  float x = 0, y = 0, z = 0;
  ASSERT_TRUE(rig.r->GetPickPoint(&x, &y, &z));
  EXPECT_NEAR(z, -20.0f, 1e-3);
}

TEST(GGraph3DPickDeathTest, TheHundredthMarkIsFatal) {
  EXPECT_EXIT(
      {
        PickRig rig;
        rig.r->BeginPick(32, 24, kWidth, kHeight, 90, 1, 100);
        for (int i = 0; i < 99; ++i) rig.r->PushPickMark();
        std::fputs("99 marks taken\n", stderr);
        rig.r->PushPickMark();
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "99 marks taken\n.*ERROR: GGraph3D line 2344");
}

TEST(GGraph3DPick, StateCallsDuringAPickChangeNothing) {
  PickRig rig;
  PSurface texture(4, 4, PPixelFormat::kARGB1555);
  FakeGraphic graphic(&texture);
  const uint16_t before = rig.screen.Row16(24)[32];
  for (int pass = 1; pass <= 2; ++pass) {
    rig.r->SetViewport(0, 0, kWidth, kHeight);
    rig.r->BeginPick(32, 24, kWidth, kHeight, 90, 1, 100);
    if (pass == 2) rig.r->FinishPick();
    const uint32_t colour = rig.r->Colour();
    const float scaleX = rig.r->ScaleX(), halfWidth = rig.r->HalfWidth();
    rig.r->SetColor(1, 0, 0);
    rig.r->SetAlpha(0.25f);
    rig.r->SetTexture(&graphic);
    rig.r->SetProjection(0, 0, 640, 480, 30, 2, 50);
    rig.r->SetClipping(false);
    EXPECT_EQ(rig.r->Colour(), colour);
    EXPECT_EQ(rig.r->BoundTexture(), nullptr);
    EXPECT_EQ(rig.r->ScaleX(), scaleX);
    EXPECT_EQ(rig.r->HalfWidth(), halfWidth);
    EXPECT_EQ(halfWidth, 3.5f);
    EXPECT_TRUE(rig.r->Clipping());
    // The main screen is never drawn on.
    rig.r->LookAt(0, 0, 0, 0, 0, -1, 0, 1, 0);
    rig.Wall(-20, 20, -10);
    EXPECT_EQ(rig.screen.Row16(24)[32], before);
    if (pass == 1) rig.r->FinishPick();
    rig.r->EndPick();
  }
}

TEST(GGraph3DPick, ThePointOutlivesThePickUntilTheNextOne) {
  PickRig rig;
  rig.Pick(32, 24, [&](int) {
    rig.r->LookAt(0, 0, 0, 0, 0, -1, 0, 1, 0);
    rig.Wall(-20, 20, -15);
  });
  float x = 0, y = 0, z = 0;
  ASSERT_TRUE(rig.r->GetPickPoint(&x, &y, &z));
  EXPECT_NEAR(z, -15.0f, 1e-3);
  EXPECT_FALSE(rig.r->GetPickHit());  // ended
  rig.r->BeginPick(32, 24, kWidth, kHeight, 90, 1, 100);
  EXPECT_FALSE(rig.r->GetPickPoint(&x, &y, &z));
  rig.r->FinishPick();
  rig.r->EndPick();
  EXPECT_FALSE(rig.r->GetPickPoint(&x, &y, &z));
}

TEST(GGraph3DPick, APlaneAlongTheAxisIsHitWithoutAPoint) {
  // A wall seen at a slant just right of the centre, its plane parallel to the view's axis.
  PickRig rig;
  bool hit = false;
  rig.Pick(32, 24, [&](int pass) {
    rig.r->LookAt(0, 0, 0, 0, 0, -1, 0, 1, 0);
    rig.r->DrawColouredQuad(0.3f, -20, -5, 0.3f, -20, -15, 0.3f, 20, -15, 0.3f, 20, -5);
    if (pass == 2) hit = rig.r->GetPickHit();
  });
  EXPECT_EQ(rig.r->PickedPrimitive(), 1);
  EXPECT_TRUE(hit);
  float x = 0, y = 0, z = 0;
  EXPECT_FALSE(rig.r->GetPickPoint(&x, &y, &z));
}

TEST(GGraph3DPick, APassPastTheLastIdentifierCountsOnButDrawsNoMore) {
  RecordingRig rig;
  PRecording3DDevice pick;
  rig.r->SetBackfaceCulling(false);
  rig.r->SetPickMode(1, 1, 0, &pick);
  for (int i = 0; i < GGraph3D::kMaxPickPrimitive + 5; ++i) rig.r->DrawColouredTriangle(0, 0, -5, 1, 0, -5, 0, 1, -5);
  EXPECT_EQ(rig.r->PrimitiveCounter(), GGraph3D::kMaxPickPrimitive + 6);
  const auto draws = pick.Draws();
  ASSERT_EQ(draws.size(), static_cast<size_t>(GGraph3D::kMaxPickPrimitive));
  EXPECT_EQ(draws.back()->Colour(0), 0xFF000000u + GGraph3D::kMaxPickPrimitive);
}

TEST(GGraph3DPick, SetUpFailuresAreLoggedAndFailTheRenderer) {
  GraphicsTestHost graphics;
  graphics.Log();
  PSurface screen(64, 48, PPixelFormat::kRGB565);
  PSoft3DDevice device(&screen, kRendererTestThreads);
  GGraph3DHost host(&device, &screen);
  host.SetDisplay(graphics.display.get());
  {
    PFailureInjection::Arm("CreateSurface", PResult::kOutOfVideoMemory);
    GGraph3D renderer(&host);
    EXPECT_FALSE(renderer.Init3D());
    EXPECT_EQ(graphics.Log(), "Set up pick engine...\r\n  error in DirectDraw->CreateSurface:  -2005532292\r\n");
  }
  {
    PFailureInjection::Arm("CreateSurface", PResult::kOutOfVideoMemory, 1, 1);  // the mixer
    GGraph3D renderer(&host);
    EXPECT_FALSE(renderer.Init3D());
    EXPECT_EQ(graphics.Log(), "Set up pick engine...\r\nfont mixer failed =  -2005532292\r\n");
  }
}

}  // namespace
