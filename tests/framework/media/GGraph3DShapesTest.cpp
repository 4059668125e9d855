#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "framework/media/GBoundingBox.h"
#include "framework/media/RendererRig.h"
#include "platform/PSystem.h"

namespace {

TEST(GGraph3DShapes, TestBoxInsidePartlyAndOutside) {
  RecordingRig rig;
  EXPECT_EQ(rig.r->TestBox(0, 0, 0, 2, 2, 2), 0);       // around the camera
  EXPECT_EQ(rig.r->TestBox(0, 0, -10, 1, 1, 1), 1);     // straight ahead
  EXPECT_EQ(rig.r->TestBox(-50, 0, -10, 1, 1, 1), -1);  // to the left
  EXPECT_EQ(rig.r->TestBox(0, 0, -200, 1, 1, 1), -1);   // past the far plane
  EXPECT_EQ(rig.r->TestBox(9, 0, -10, 1, 1, 1), 0);     // across the right edge
  rig.r->SetNoZWrite(true);
  EXPECT_EQ(rig.r->TestBox(0, 0, -200, 1, 1, 1), 1);  // no far plane in this mode

  gGraph3D = rig.r.get();
  rig.r->SetNoZWrite(false);
  GBoundingBox box;
  bool out = true;
  box.Set(0, 0, -11, 1.9f, 1.9f, 1.9f);
  EXPECT_FLOAT_EQ(box.z, -10.05f);
  EXPECT_FLOAT_EQ(box.hx, 1.0f);
  EXPECT_TRUE(box.IsVisible(&out));
  EXPECT_FALSE(out);
  box.Set(-50, 0, -11, 1.9f, 1.9f, 1.9f);
  EXPECT_FALSE(box.IsVisible(&out));
  EXPECT_TRUE(out);
  box.Set(0, 0, -1, 1.9f, 1.9f, 1.9f);
  EXPECT_TRUE(box.IsVisible(&out));
  EXPECT_TRUE(out);
  gGraph3D = nullptr;
}

TEST(GGraph3DShapesDeathTest, AnUnsetBoxIsFatal) {
  EXPECT_EXIT(
      {
        RecordingRig rig;
        gGraph3D = rig.r.get();
        GBoundingBox box;
        box.IsVisible();
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: GGraph3D line 5865");
}

TEST(GGraph3DShapes, ProjectToScreen) {
  RecordingRig rig;
  float x = 2, y = 2;
  EXPECT_TRUE(rig.r->ProjectToScreen(&x, &y, -10, false));
  EXPECT_NEAR(x, 32.0f + 6.4f, 1e-4);
  EXPECT_NEAR(y, 24.0f - 6.4f, 1e-4);
  x = 1;
  y = 1;
  EXPECT_FALSE(rig.r->ProjectToScreen(&x, &y, 10, false));  // behind
  x = 1;
  y = 1;
  EXPECT_FALSE(rig.r->ProjectToScreen(&x, &y, 10, true));
  x = 100;
  y = 0;
  EXPECT_FALSE(rig.r->ProjectToScreen(&x, &y, -10, true));  // off to the right, moved onto the edge
  EXPECT_EQ(x, 64.0f);
  x = 3;
  y = 4;
  EXPECT_FALSE(rig.r->ProjectToScreen(&x, &y, 0, false));
  EXPECT_EQ(x, 0.0f);
  EXPECT_EQ(y, 0.0f);
}

TEST(GGraph3DShapes, FillRectLightsItsPixelsInclusive) {
  SoftRig rig;
  rig.r->RenderBegin();
  GRect one{10, 10, 10, 10};
  rig.r->FillRect2D(one, 0xFFFF);
  EXPECT_EQ(rig.Lit(), 1);
  EXPECT_EQ(rig.screen.Row16(10)[10], 0xFFFF);
  uint32_t zFunc = 0;
  rig.device.GetRenderState(P3DState::kZFunc, zFunc);
  EXPECT_EQ(zFunc, P3DCompare::kLessEqual);
  GRect big{-5, 40, 100, 100};  // clamped to the viewport
  rig.r->FillRect2D(big, 0xF800);
  EXPECT_EQ(rig.Lit(), 1 + 64 * 8);
  EXPECT_EQ(rig.screen.Row16(47)[63], 0xF800);
  GRect empty{20, 20, 18, 30};
  rig.r->FillRect2D(empty, 0xFFFF);
  EXPECT_EQ(rig.Lit(), 1 + 64 * 8);
  rig.r->RenderEnd();
}

TEST(GGraph3DShapes, PrepareScreenRectClampsToTheViewport) {
  RecordingRig rig;
  rig.r->SetViewport(10, 10, 20, 20);
  GRect rect{0, 15, 50, 25};
  ColouredScreenVertex v[4];
  ASSERT_TRUE(rig.r->PrepareScreenRect(rect, 0xFFFF, v));
  EXPECT_EQ(rect, (GRect{10, 15, 30, 25}));
  EXPECT_EQ(v[2].x, 30.0f);
  EXPECT_EQ(v[2].y, 25.0f);
  EXPECT_EQ(v[0].rhw, 900000.0f);
  EXPECT_EQ(v[0].colour, 0xFFFFFFFFu);
  GRect left{0, 15, 5, 25};
  EXPECT_FALSE(rig.r->PrepareScreenRect(left, 0, v));
  GRect below{12, 40, 20, 50};
  EXPECT_FALSE(rig.r->PrepareScreenRect(below, 0, v) && below.bottom > below.top);
}

TEST(GGraph3DShapes, FrameRectOutlines) {
  SoftRig rig;
  rig.r->RenderBegin();
  GRect rect{10, 10, 20, 20};
  rig.r->FrameRect2D(rect, 0xFFFF);
  EXPECT_EQ(rect, (GRect{10, 10, 19, 19}));
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      bool lit = rig.screen.Row16(y)[x] != 0;
      bool inBox = x >= 10 && x <= 19 && y >= 10 && y <= 19;
      bool border = inBox && (x == 10 || x == 19 || y == 10 || y == 19);
      if (!border) {
        EXPECT_FALSE(lit) << x << "," << y;
      } else if (!(x == 19 && y == 19)) {
        EXPECT_TRUE(lit) << x << "," << y;
      }
    }
  rig.r->RenderEnd();
}

TEST(GGraph3DShapes, LinesAreQuadsAlongTheirNormal) {
  RecordingRig rig;
  rig.r->SetAlpha(0.5f);
  rig.r->DrawLine2D(5, 5, 5, 15, 0x001F, 3);  // vertical: offset along x only
  auto draws = rig.device.Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0]->type, P3DPrimitive::kTriangleFan);
  EXPECT_NEAR(draws[0]->X(0), 6.5f, 1e-5);
  EXPECT_NEAR(draws[0]->Y(0), 5.0f, 1e-5);
  EXPECT_NEAR(draws[0]->X(2), 3.5f, 1e-5);
  EXPECT_NEAR(draws[0]->Y(2), 15.0f, 1e-5);
  EXPECT_EQ(draws[0]->Colour(0), 0xFF0000FFu);
  EXPECT_EQ(rig.r->Colour(), 0x7FFFFFFFu);  // white, its alpha kept
  rig.device.ClearCalls();
  rig.r->DrawLine2D(0, 0, 10, 0, 0xFFFF, 2);  // horizontal: offset along y
  EXPECT_NEAR(rig.device.Draws()[0]->X(0), 0.0f, 1e-5);
  EXPECT_NEAR(std::fabs(rig.device.Draws()[0]->Y(0)), 1.0f, 1e-5);
}

uint32_t Bits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

TEST(GGraph3DShapes, FogSetters) {
  RecordingRig rig;
  rig.r->SetFog(false);
  rig.device.ClearCalls();
  EXPECT_FALSE(rig.r->SetFog(true));
  EXPECT_TRUE(rig.r->SetFog(true));
  ASSERT_EQ(rig.device.StateCalls(P3DState::kFogEnable).size(), 1u);
  EXPECT_EQ(rig.device.State(P3DState::kFogTableMode), P3DFog::kLinear);
  EXPECT_TRUE(rig.r->SetFog(false));
  EXPECT_EQ(rig.device.State(P3DState::kFogEnable), 0u);
  rig.r->SetFogColor(0.0f, 0.5f, 1.0f);
  EXPECT_EQ(rig.device.State(P3DState::kFogColor), 0x00FF7F00u);
  rig.r->SetFogColor(-3.0f, std::nanf(""), 9.0f);
  EXPECT_EQ(rig.device.State(P3DState::kFogColor), 0x00FF0000u);
  // The switch outlives the renderer: a renderer built while fog is on starts with it on.
  rig.r->SetFog(true);
  RecordingRig rebuilt;
  EXPECT_EQ(rebuilt.device.State(P3DState::kFogEnable), 1u);
  EXPECT_EQ(rebuilt.device.State(P3DState::kFogTableMode), P3DFog::kLinear);
  rebuilt.r->SetFog(false);
  rig.r->SetFogRange(1.0f, 101.0f);
  EXPECT_EQ(rig.device.State(P3DState::kFogTableStart), Bits(1.0f));
  EXPECT_EQ(rig.device.State(P3DState::kFogTableEnd), Bits(101.0f));
}

TEST(GGraph3DShapes, DrawsThroughTheSoftwareDevice) {
  // A whole frame on the software device: a red square in front of a fogged green one.
  SoftRig rig;
  ASSERT_TRUE(rig.r->RenderBegin());
  rig.r->SetFogRange(5.0f, 45.0f);
  rig.r->SetFogColor(0.0f, 0.0f, 0.0f);
  rig.r->SetFog(false);  // the switch is remembered for the whole process
  rig.r->SetFog(true);
  rig.r->SetColor(0, 1, 0);
  const float far[12] = {-30, -30, -25, 30, -30, -25, 30, 30, -25, -30, 30, -25};
  rig.r->DrawColouredFan(false, 2, far);
  rig.r->SetFog(false);
  rig.r->SetColor(1, 0, 0);
  rig.r->DrawColouredQuad(-1, -1, -5, -1, 1, -5, 1, 1, -5, 1, -1, -5);
  rig.r->RenderEnd();
  EXPECT_EQ(rig.screen.Row16(24)[32], 0xF800);
  uint16_t green = rig.screen.Row16(2)[2];
  EXPECT_EQ(green & 0xF81F, 0);
  EXPECT_NEAR(static_cast<int>((green >> 5) & 63), 31, 1);  // half fogged
}

}  // namespace
