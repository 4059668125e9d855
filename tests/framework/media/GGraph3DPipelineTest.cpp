#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/media/RendererRig.h"
#include "support/TestFolder.h"

namespace {

using Call = PRecording3DDevice::Call;

TEST(GGraph3DPipeline, TriangleCrossingTheNearPlaneLeavesAsAQuad) {
  RecordingRig rig;
  rig.r->SetBackfaceCulling(false);
  rig.r->DrawColouredTriangle(0, 0, -0.5f, -0.5f, 0, -5, 0.5f, 0.5f, -5);
  auto draws = rig.device.Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0]->type, P3DPrimitive::kTriangleFan);
  EXPECT_EQ(draws[0]->format, kP3DColouredFormat);
  ASSERT_EQ(draws[0]->count, 4);
  int onNear = 0;
  for (int i = 0; i < 4; ++i) {
    onNear += draws[0]->Z(i) == 0.0f;
    EXPECT_NEAR(draws[0]->Rhw(i), draws[0]->Z(i) == 0.0f ? 1.0f : 0.2f, 1e-6);  // new corners at distance 1
  }
  EXPECT_EQ(onNear, 2);
}

TEST(GGraph3DPipeline, TriangleAcrossAScreenCornerLeavesAsAFanOfFive) {
  RecordingRig rig;
  rig.r->SetBackfaceCulling(false);
  // At distance 5 the view reaches x = 5 and y = 3.75; the second corner lies past the right
  // edge, the third past the top.
  rig.r->DrawColouredTriangle(0, 0, -5, 6, 2.4f, -5, 2.4f, 4.5f, -5);
  auto draws = rig.device.Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0]->type, P3DPrimitive::kTriangleFan);
  ASSERT_EQ(draws[0]->count, 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_GE(draws[0]->X(i), 32.0f - 1e-3f);
    EXPECT_LE(draws[0]->X(i), 64.0f + 1e-3f);
    EXPECT_GE(draws[0]->Y(i), -1e-3f);
    EXPECT_LE(draws[0]->Y(i), 24.0f + 1e-3f);
  }
}

TEST(GGraph3DPipeline, BehindTheCameraOrOutsideMakesNoCall) {
  RecordingRig rig;
  rig.r->SetBackfaceCulling(false);
  rig.r->DrawColouredTriangle(0, 0, 5, 1, 0, 5, 0, 1, 6);         // behind: dropped by the set-up
  rig.r->DrawColouredTriangle(50, 0, -5, 60, 0, -5, 55, 1, -5);   // wholly right of the view
  rig.r->DrawColouredTriangle(0, 0, -500, 1, 0, -500, 0, 1, -500);  // past the far plane
  EXPECT_TRUE(rig.device.Draws().empty());
  float xyz[12] = {0, 0, 5, 1, 0, 5, 1, 1, 5, 0, 1, 5};
  rig.r->DrawColouredFan(true, 2, xyz);
  EXPECT_TRUE(rig.device.Draws().empty());
  // Clipping off: the same triangle behind the camera goes to the device unclipped.
  rig.r->SetClipping(false);
  rig.r->DrawColouredTriangle(0, 0, 5, 1, 0, 5, 0, 1, 6);
  EXPECT_EQ(rig.device.Draws().size(), 1u);
}

TEST(GGraph3DPipeline, QuadCutByAllSixPlanes) {
  RecordingRig rig;
  rig.r->SetBackfaceCulling(false);
  // The plane through the middle of the view volume, across its main diagonal, meets all
  // six faces: in view-volume coordinates X + Y + (2 Z - 1) = 0. Its quad reaches from
  // behind the camera to past the far plane and wider than the view on every side.
  float a = rig.r->DepthScale(), b = rig.r->DepthOffset(), sx = rig.r->ScaleX(), sy = rig.r->ScaleY();
  auto z = [&](float x, float y) { return (sx * x + sy * y + 2.0f * b) / (2.0f * a - 1.0f); };
  float quad[12] = {-400, -400, z(-400, -400), 400, -400, z(400, -400),
                    400,  400,  z(400, 400),   -400, 400, z(-400, 400)};
  rig.r->DrawColouredQuad(quad[0], quad[1], quad[2], quad[3], quad[4], quad[5], quad[6], quad[7], quad[8], quad[9],
                          quad[10], quad[11]);
  auto draws = rig.device.Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0]->count, 6);
  EXPECT_LE(draws[0]->count, GGraph3D::kMaxPolygon);
  for (int i = 0; i < draws[0]->count; ++i) {
    EXPECT_GE(draws[0]->X(i), -1e-3f);
    EXPECT_LE(draws[0]->X(i), 64.001f);
    EXPECT_GE(draws[0]->Y(i), -1e-3f);
    EXPECT_LE(draws[0]->Y(i), 48.001f);
    EXPECT_GE(draws[0]->Z(i), -1e-5f);
    EXPECT_LE(draws[0]->Z(i), 1.00001f);
  }
  // Textured, the texture coordinates are cut along.
  rig.device.ClearCalls();
  rig.r->DrawTexturedQuad(quad[0], quad[1], quad[2], 0, 0, quad[3], quad[4], quad[5], 1, 0, quad[6], quad[7], quad[8], 1,
                          1, quad[9], quad[10], quad[11], 0, 1);
  draws = rig.device.Draws();
  ASSERT_EQ(draws.size(), 1u);
  for (int i = 0; i < draws[0]->count; ++i) {
    EXPECT_GE(draws[0]->U(i), 0.0f);
    EXPECT_LE(draws[0]->U(i), 1.0f);
    EXPECT_LE(draws[0]->V(i), 0.0f);  // v arrives negated
    EXPECT_GE(draws[0]->V(i), -1.0f);
  }
}

TEST(GGraph3DPipeline, NonFiniteCornersAreDroppedBeforeClipping) {
  RecordingRig rig;
  rig.r->SetBackfaceCulling(false);
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  rig.r->DrawColouredTriangle(nan, 0, -5, 100, 0, -5, 0, 1, -0.5f);
  rig.r->DrawColouredQuad(inf, 0, -5, 1, 0, -5, 1, 1, -0.5f, 0, -inf, -5);
  rig.r->DrawColouredTriangle(0, 0, -5, 1e38f, 0, -5, 0, 3e38f, -0.5f);
  EXPECT_TRUE(rig.device.Draws().empty());
}

TEST(GGraph3DPipeline, BackFacesByWinding) {
  // Seen from the camera (x right, y up), clockwise corners are drawn under the default
  // winding and counter-clockwise ones culled; the winding switch turns that round.
  RecordingRig rig;
  const float ccw[9] = {0, 0, -5, 1, 0, -5, 0, 1, -5};
  const float cw[9] = {0, 0, -5, 0, 1, -5, 1, 0, -5};
  rig.r->DrawColouredTriangleArray(ccw);
  rig.r->DrawColouredTriangleArray(cw);
  ASSERT_EQ(rig.device.Draws().size(), 1u);
  EXPECT_EQ(rig.device.Draws()[0]->X(1), rig.device.Draws()[0]->X(0));  // the clockwise one
  rig.device.ClearCalls();
  rig.r->SetCullWinding(false);
  rig.r->DrawColouredTriangleArray(ccw);
  rig.r->DrawColouredTriangleArray(cw);
  ASSERT_EQ(rig.device.Draws().size(), 1u);
  EXPECT_GT(rig.device.Draws()[0]->X(1), rig.device.Draws()[0]->X(0));
  rig.device.ClearCalls();
  const float flat[9] = {0, 0, -5, 1, 0, -5, 2, 0, -5};  // degenerate: culled either way
  rig.r->DrawColouredTriangleArray(flat);
  rig.r->SetCullWinding(true);
  rig.r->DrawColouredTriangleArray(flat);
  EXPECT_TRUE(rig.device.Draws().empty());
  rig.r->SetBackfaceCulling(false);
  rig.r->DrawColouredTriangleArray(ccw);
  rig.r->DrawColouredTriangleArray(cw);
  EXPECT_EQ(rig.device.Draws().size(), 2u);
}

TEST(GGraph3DPipeline, ProjectionPutsTheAxisOnTheCentre) {
  RecordingRig rig;
  rig.r->SetBackfaceCulling(false);
  rig.r->DrawColouredTriangle(0, 0, -10, 2, 0, -10, 0, 2, -10);
  auto draws = rig.device.Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0]->type, P3DPrimitive::kTriangleList);
  EXPECT_FLOAT_EQ(draws[0]->X(0), 32.0f);
  EXPECT_FLOAT_EQ(draws[0]->Y(0), 24.0f);
  EXPECT_FLOAT_EQ(draws[0]->Rhw(0), 0.1f);
  // 90 degrees across 64 pixels: 2 units at distance 10 is a fifth of the half width.
  EXPECT_NEAR(draws[0]->X(1), 32.0f + 32.0f * 0.2f, 1e-3);
  EXPECT_NEAR(draws[0]->Y(2), 24.0f - 32.0f * 0.2f, 1e-3);  // square pixels
  // Depth: 0 at the near plane, 1 at the far plane.
  float expected = (10.0f * rig.r->DepthScale() + rig.r->DepthOffset()) / 10.0f;
  EXPECT_FLOAT_EQ(draws[0]->Z(0), expected);
  EXPECT_EQ(draws[0]->Colour(0), 0xFFFFFFFFu);
  EXPECT_EQ(draws[0]->flags, kP3DDrawFlags);
}

TEST(GGraph3DPipeline, NoZWriteDrawsPastTheFarPlaneAtTheFixedDepth) {
  RecordingRig rig;
  rig.r->SetBackfaceCulling(false);
  rig.r->SetNoZWrite(true);
  EXPECT_EQ(rig.device.State(P3DState::kZWriteEnable), 0u);
  rig.r->SetAlpha(0.5f);  // never deferred in this mode
  rig.r->DrawColouredTriangle(0, 0, -500, 10, 0, -500, 0, 10, -500);
  auto draws = rig.device.Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0]->count, 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(draws[0]->Z(i), 0.99999f);
  EXPECT_EQ(rig.r->QueueBytes(), 0u);
}

TEST(GGraph3DPipeline, BatchedFansAndStripsComeInTwenties) {
  RecordingRig rig;
  std::vector<float> xyz, uv;
  for (int i = 0; i < 27; ++i) {
    xyz.insert(xyz.end(), {static_cast<float>(i % 5) * 0.1f, static_cast<float>(i / 5) * 0.1f, -5.0f - i * 0.01f});
    uv.insert(uv.end(), {static_cast<float>(i), 0.5f});
  }
  rig.r->DrawTexturedFan(false, 25, xyz.data(), uv.data());
  auto draws = rig.device.Draws();
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0]->type, P3DPrimitive::kTriangleFan);
  EXPECT_EQ(draws[0]->format, kP3DTexturedFormat);
  EXPECT_EQ(draws[0]->count, 22);
  EXPECT_EQ(draws[1]->count, 7);
  const float expectU[7] = {0, 21, 22, 23, 24, 25, 26};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(draws[1]->U(i), expectU[i]);
  EXPECT_EQ(draws[1]->V(0), -0.5f);

  rig.device.ClearCalls();
  rig.r->DrawTexturedStrip(false, 25, xyz.data(), uv.data());
  draws = rig.device.Draws();
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0]->type, P3DPrimitive::kTriangleStrip);
  EXPECT_EQ(draws[0]->count, 22);
  EXPECT_EQ(draws[1]->count, 7);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(draws[1]->U(i), 20.0f + i);

  // Coloured: the current colour; a facing-away fan is drawn too (no culling here).
  rig.device.ClearCalls();
  rig.r->SetColor(1, 0, 0);
  const float away[12] = {0, 0, -5, 0, 1, -5, 1, 1, -5, 1, 0, -5};
  rig.r->DrawColouredFan(false, 2, away);
  draws = rig.device.Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0]->count, 4);
  EXPECT_EQ(draws[0]->Colour(3), 0xFFFF0000u);
  // Zero or fewer triangles draw nothing.
  rig.device.ClearCalls();
  rig.r->DrawColouredFan(false, 0, away);
  rig.r->DrawColouredStrip(true, -3, away);
  EXPECT_TRUE(rig.device.Draws().empty());
}

TEST(GGraph3DPipeline, ClippedOrTranslucentFansGoTriangleByTriangle) {
  RecordingRig rig;
  rig.r->SetBackfaceCulling(false);
  const float xyz[12] = {0, 0, -5, 1, 0, -5, 1, 1, -5, 0, 1, -5};
  const float uv[8] = {0, 0, 1, 0, 1, 1, 0, 1};
  rig.r->DrawTexturedFan(true, 2, xyz, uv);
  auto draws = rig.device.Draws();
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0]->count, 3);
  EXPECT_EQ(draws[1]->U(2), 0.0f);
  EXPECT_EQ(draws[1]->V(2), -1.0f);
  // Strips on the per-triangle path keep the winding of every second triangle.
  rig.device.ClearCalls();
  rig.r->SetBackfaceCulling(true);
  const float strip[15] = {0, 0, -5, 1, 0, -5, 0, 1, -5, 1, 1, -5, 0, 2, -5};
  rig.r->DrawColouredStrip(true, 3, strip);
  EXPECT_TRUE(rig.device.Draws().empty());
  rig.r->SetCullWinding(false);
  rig.r->DrawColouredStrip(true, 3, strip);
  EXPECT_EQ(rig.device.Draws().size(), 3u);
  // A translucent fan with clip false is queued triangle by triangle.
  rig.device.ClearCalls();
  rig.r->SetAlpha(0.5f);
  rig.r->DrawColouredFan(false, 2, xyz);
  EXPECT_TRUE(rig.device.Draws().empty());
  EXPECT_EQ(rig.r->QueueBytes(), 2u * (24 + 3 * 20));
}

TEST(GGraph3DPipeline, TranslucentTrianglesAreDrawnFarthestFirst) {
  for (int order = 0; order < 2; ++order) {
    RecordingRig rig;
    rig.r->SetBackfaceCulling(false);
    ASSERT_TRUE(rig.r->RenderBegin());
    rig.r->SetAlpha(0.5f);
    if (order == 0) {
      rig.r->DrawColouredTriangle(0, 0, -5, 1, 0, -5, 0, 1, -5);
      rig.r->DrawColouredTriangle(0, 0, -50, 1, 0, -50, 0, 1, -50);
    } else {
      rig.r->DrawColouredTriangle(0, 0, -50, 1, 0, -50, 0, 1, -50);
      rig.r->DrawColouredTriangle(0, 0, -5, 1, 0, -5, 0, 1, -5);
    }
    EXPECT_TRUE(rig.device.Draws().empty());
    rig.device.ClearCalls();
    rig.r->RenderEnd();
    auto draws = rig.device.Draws();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_FLOAT_EQ(draws[0]->Rhw(0), 0.02f);
    EXPECT_FLOAT_EQ(draws[1]->Rhw(0), 0.2f);
    EXPECT_EQ(draws[0]->Colour(0) >> 24, 127u);
    // Blending on for the drain, then back as it was; the scene ends after it.
    auto blend = rig.device.StateCalls(P3DState::kAlphaBlendEnable);
    ASSERT_EQ(blend.size(), 2u);
    EXPECT_EQ(blend[0]->value, 1u);
    EXPECT_EQ(blend[1]->value, 1u);  // a hardware device blends by default
    EXPECT_EQ(rig.device.Calls().back().kind, PRecording3DDevice::Kind::kEndScene);
  }
}

TEST(GGraph3DPipeline, SortingIsSafeWithKeysThatAreNotNumbers) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  using Item = RendererProbe::TranslucentItem;
  Item a(2.7f, 0, 0), b(1.2f, 0, 0), n(nan, 0, 0), m(nan, 0, 0);
  auto compare = [](Item& x, Item& y) { return RendererProbe::CompareTranslucentItems(&x, &y, nullptr); };
  EXPECT_EQ(compare(a, b), -1);
  EXPECT_EQ(compare(b, a), 1);
  EXPECT_EQ(compare(a, n), -1);
  EXPECT_EQ(compare(n, a), 1);
  EXPECT_EQ(compare(n, m), 0);

  // A queue of many records, some with keys that are not numbers, drains completely with
  // the numbered ones farthest first and the others last.
  RecordingRig rig;
  rig.r->SetBackfaceCulling(false);
  rig.r->SetClipping(false);
  rig.r->RenderBegin();
  rig.r->SetAlpha(0.5f);
  for (int i = 0; i < 200; ++i) {
    float d = (i % 7 == 3) ? nan : 2.0f + static_cast<float>((i * 37) % 101);
    rig.r->DrawColouredTriangle(0, 0, -d, 1, 0, -d, 0, 1, -d);
  }
  rig.device.ClearCalls();
  rig.r->RenderEnd();
  auto draws = rig.device.Draws();
  ASSERT_EQ(draws.size(), 200u);
  bool seenNaN = false;
  float last = std::numeric_limits<float>::infinity();
  for (const Call* c : draws) {
    float key = c->Z(0) + c->Z(1) + c->Z(2);
    if (std::isnan(key)) {
      seenNaN = true;
    } else {
      EXPECT_FALSE(seenNaN);
      EXPECT_LE(key, last);
      last = key;
    }
  }
  EXPECT_TRUE(seenNaN);
}

TEST(GGraph3DPipeline, TranslucentTexturedRecordsCarryTheirAlpha) {
  RecordingRig rig;
  rig.r->SetBackfaceCulling(false);
  PSurface texture(4, 4, PPixelFormat::kARGB1555);
  FakeGraphic graphic(&texture);
  rig.r->RenderBegin();
  rig.r->SetTexture(&graphic);
  rig.r->SetAlpha(128.0f / 255.0f);
  rig.r->DrawTexturedTriangle(0, 0, -5, 0, 0, 1, 0, -5, 1, 0, 0, 1, -5, 0, 1);
  // A clipped polygon of five corners is one fan record, sorted by its first three.
  rig.r->DrawTexturedTriangle(0, 0, -5, 0, 0, 6, 2.4f, -5, 1, 0, 2.4f, 4.5f, -5, 0, 1);
  EXPECT_EQ(rig.r->AlphaBytes(), 2u);
  rig.device.ClearCalls();
  rig.r->RenderEnd();
  auto draws = rig.device.Draws();
  ASSERT_EQ(draws.size(), 2u);
  int fans = 0;
  for (const Call* c : draws) {
    EXPECT_EQ(c->format, kP3DTexturedFormat);
    if (c->count == 5) {
      EXPECT_EQ(c->type, P3DPrimitive::kTriangleFan);
      ++fans;
    } else {
      EXPECT_EQ(c->type, P3DPrimitive::kTriangleList);
    }
  }
  EXPECT_EQ(fans, 1);
  auto factor = rig.device.StateCalls(P3DState::kTextureFactor);
  ASSERT_EQ(factor.size(), 2u);
  EXPECT_EQ(factor[0]->value, 0x80FFFFFFu);
  // The texture is bound once for both records, and modulated by the factor.
  int binds = 0;
  for (const Call& c : rig.device.Calls()) binds += c.kind == PRecording3DDevice::Kind::kSetTexture;
  EXPECT_EQ(binds, 1);
  EXPECT_EQ(rig.device.StageState(P3DStageState::kAlphaOp), P3DTextureOp::kModulate);
}

TEST(GGraph3DPipeline, OrderIndependentDevicesDrawAtOnce) {
  RecordingRig rig(true);
  rig.r->SetBackfaceCulling(false);
  rig.r->RenderBegin();
  rig.r->SetAlpha(0.5f);
  rig.r->DrawColouredTriangle(0, 0, -5, 1, 0, -5, 0, 1, -5);
  rig.r->DrawColouredTriangle(0, 0, -50, 1, 0, -50, 0, 1, -50);
  auto draws = rig.device.Draws();
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_FLOAT_EQ(draws[0]->Rhw(0), 0.2f);
  EXPECT_EQ(rig.r->QueueBytes(), 0u);
  // A translucent fan with clip false takes the batched path.
  rig.device.ClearCalls();
  const float xyz[12] = {0, 0, -5, 1, 0, -5, 1, 1, -5, 0, 1, -5};
  rig.r->DrawColouredFan(false, 2, xyz);
  ASSERT_EQ(rig.device.Draws().size(), 1u);
  EXPECT_EQ(rig.device.Draws()[0]->count, 4);
}

TEST(GGraph3DPipeline, AFullQueueDrawsAtOnceBlendedAndLogsOnce) {
  TestFolder folder(true);
  GErrorLog::ResetForTests();
  RecordingRig rig;
  rig.r->SetBackfaceCulling(false);
  PSurface texture(4, 4, PPixelFormat::kARGB1555);
  FakeGraphic graphic(&texture);
  rig.r->RenderBegin();
  rig.r->SetTexture(&graphic);
  rig.r->SetAlpha(0.25f);
  // A textured triangle takes 96 bytes: 8,528 of them are queued before the limit; the
  // next two are drawn at once, blended, with the colour's alpha as the texture factor.
  for (int i = 0; i < 8530; ++i) rig.r->DrawTexturedTriangle(0, 0, -5, 0, 0, 1, 0, -5, 1, 0, 0, 1, -5, 0, 1);
  EXPECT_EQ(rig.r->AlphaBytes(), 8528u);
  EXPECT_GE(rig.r->QueueBytes(), GGraph3D::kQueueLimit);
  EXPECT_LE(rig.r->QueueBytes(), GGraph3D::kQueueBytes);
  auto draws = rig.device.Draws();
  ASSERT_EQ(draws.size(), 2u);
  auto blend = rig.device.StateCalls(P3DState::kAlphaBlendEnable);
  ASSERT_EQ(blend.size(), 4u);
  EXPECT_EQ(blend[0]->value, 1u);
  EXPECT_EQ(rig.device.StateCalls(P3DState::kTextureFactor)[0]->value, 0x3FFFFFFFu);
  EXPECT_EQ(rig.device.StageState(P3DStageState::kAlphaOp), P3DTextureOp::kSelectArg1);
  // Coloured ones too.
  rig.r->SetColor(1, 1, 1);
  for (int i = 0; i < 3; ++i) rig.r->DrawColouredTriangle(0, 0, -5, 1, 0, -5, 0, 1, -5);
  EXPECT_EQ(rig.device.Draws().size(), 5u);
  // The end of the frame still draws every queued record.
  rig.device.ClearCalls();
  rig.r->RenderEnd();
  EXPECT_EQ(rig.device.Draws().size(), 8528u);
  GErrorLog::Close();
  EXPECT_EQ(folder.ReadFile("ERRORLOG.TXT"), "Set up pick engine...\r\nTranslucent queue full: drawing at once\r\n");
}

TEST(GGraph3DPipeline, ScreenBoundsFollowTheEmittedCorners) {
  RecordingRig rig;
  rig.r->SetBackfaceCulling(false);
  GRect rect;
  rig.r->BeginScreenBounds();
  rig.r->EndScreenBounds(rect);
  EXPECT_EQ(rect, (GRect{999999, 999999, -999999, -999999}));
  rig.r->BeginScreenBounds();
  rig.r->DrawColouredTriangle(0, 0, -10, 2, 0, -10, 0, 2, -10);
  const float fan[12] = {-2, -2, -10, 0, -2, -10, 0, 0, -10, -2, 0, -10};
  rig.r->DrawColouredFan(false, 2, fan);
  rig.r->EndScreenBounds(rect);
  EXPECT_EQ(rect, (GRect{25, 17, 38, 30}));
}

TEST(GGraph3DPipeline, PickPassesNumberAndLocate) {
  RecordingRig rig;
  PRecording3DDevice pick;
  rig.r->SetBackfaceCulling(false);
  // Numbering pass: each primitive in its number's colour on the pick device, corners held
  // inside the 7 x 7 target; the main device sees nothing.
  rig.r->SetPickMode(1, 1, 0, &pick);
  PSurface texture(4, 4, PPixelFormat::kARGB1555);
  FakeGraphic graphic(&texture);
  rig.r->SetTexture(&graphic);
  EXPECT_EQ(rig.r->BoundTexture(), nullptr);
  rig.r->DrawTexturedTriangle(0, 0, -5, 0, 0, 1, 0, -5, 1, 0, 0, 1, -5, 0, 1);
  rig.r->DrawColouredQuad(-1, -1, -6, 1, -1, -6, 1, 1, -6, -1, 1, -6);
  EXPECT_TRUE(rig.device.Draws().empty());
  auto draws = pick.Draws();
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0]->format, kP3DColouredFormat);
  EXPECT_EQ(draws[0]->Colour(0), 0xFF000001u);
  EXPECT_EQ(draws[1]->Colour(3), 0xFF000002u);
  EXPECT_EQ(draws[1]->type, P3DPrimitive::kTriangleFan);
  for (int i = 0; i < 4; ++i) EXPECT_LE(draws[1]->X(i), 6.99f);
  // Locating pass: nothing drawn; the picked primitive's plane gives the hit point.
  rig.r->SetPickMode(2, 1, 2, &pick);
  rig.r->LookAt(0, 0, 0, 0, 0, -1, 0, 1, 0);  // an identity camera, so its inverse too
  rig.r->DrawColouredTriangle(-1, -1, -9, 1, -1, -9, 0, 1, -9);
  EXPECT_FALSE(rig.r->PickHit());
  rig.r->DrawColouredTriangle(-1, -1, -7, 1, -1, -7, 0, 1, -7);
  EXPECT_TRUE(rig.r->PickHit());
  EXPECT_EQ(pick.Draws().size(), 2u);
  EXPECT_TRUE(rig.device.Draws().empty());
  EXPECT_EQ(rig.r->PrimitiveCounter(), 3);
  EXPECT_FLOAT_EQ(rig.r->PickPoint()[0], 0.0f);
  EXPECT_FLOAT_EQ(rig.r->PickPoint()[1], 0.0f);
  EXPECT_FLOAT_EQ(rig.r->PickPoint()[2], -7.0f);
}

}  // namespace

namespace {

TEST(GGraph3DPipeline, CountsTrianglesGivenAndSentPerFrame) {
  RecordingRig rig;
  rig.r->SetBackfaceCulling(false);
  rig.r->RenderBegin();
  rig.r->DrawColouredTriangle(0, 0, 5, 1, 0, 5, 0, 1, 6);                // behind: given, not sent
  rig.r->DrawColouredTriangle(0, 0, -0.5f, -0.5f, 0, -5, 0.5f, 0.5f, -5);  // clipped to a quad: 2 sent
  float xyz[3 * 25];
  for (int i = 0; i < 25; ++i) {
    xyz[3 * i] = static_cast<float>(i % 2) - 0.5f;
    xyz[3 * i + 1] = static_cast<float>(i) * 0.1f - 1.0f;
    xyz[3 * i + 2] = -10.0f;
  }
  rig.r->DrawColouredStrip(false, 23, xyz);  // two batches: 20 and 3
  rig.r->DrawColouredQuad(-1, -1, -5, 1, -1, -5, 1, 1, -5, -1, 1, -5);
  EXPECT_EQ(rig.r->FrameTriangles().given, 1 + 1 + 23 + 2);
  EXPECT_EQ(rig.r->FrameTriangles().sent, 0 + 2 + 23 + 2);
  rig.r->RenderEnd();
  rig.r->RenderBegin();
  EXPECT_EQ(rig.r->FrameTriangles().given, 0);
  EXPECT_EQ(rig.r->FrameTriangles().sent, 0);
}

}  // namespace

// A corner clipped to the left or top plane lands exactly on the viewport's edge: the
// rasteriser covers the first column's and row's pixel centres only from the edge itself, so
// a corner a rounding inside would leave them undrawn.
TEST(GGraph3DPipeline, CornersClippedToTheLeftOrTopPlaneLieOnTheEdgeExactly) {
  RecordingRig rig;
  rig.r->SetBackfaceCulling(false);
  int32_t misses = 0;
  for (int32_t k = 1; k <= 60; ++k) {
    const float d = 1.3f + 0.737f * static_cast<float>(k);
    rig.device.ClearCalls();
    // From well inside to well past the top-left corner of the view at distance d.
    rig.r->DrawColouredTriangle(0.1f * d, -0.1f * d, -d, -3.0f * d, 0.2f * d, -d, -0.3f * d, 2.5f * d, -d);
    auto draws = rig.device.Draws();
    ASSERT_EQ(draws.size(), 1u) << d;
    float left = 1e9f;
    float top = 1e9f;
    for (int32_t i = 0; i < draws[0]->count; ++i) {
      left = std::min(left, draws[0]->X(i));
      top = std::min(top, draws[0]->Y(i));
    }
    misses += left != 0.0f || top != 0.0f;
  }
  EXPECT_EQ(misses, 0);
}
