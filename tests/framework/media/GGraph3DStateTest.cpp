#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/media/RendererRig.h"
#include "platform/PSystem.h"
#include "support/TestFolder.h"

namespace {

using Kind = PRecording3DDevice::Kind;

TEST(GGraph3DTransformDeathTest, StackHoldsNinetyNineSavedTransforms) {
  EXPECT_EXIT(
      {
        RecordingRig rig;
        for (int i = 0; i < 99; ++i) rig.r->PushMatrix();
        if (rig.r->Depth() != 99) std::exit(0);
        rig.r->PushMatrix();
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: Quorl line 2343");
  EXPECT_EXIT(
      {
        PSurface screen(8, 8, PPixelFormat::kRGB565);
        PRecording3DDevice device;
        GGraph3DHost host(&device, &screen);
        GGraph3D renderer(&host);
        renderer.PopMatrix();
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: Quorl line 2344");
}

TEST(GGraph3DTransform, PushCopiesAndPopReturns) {
  RecordingRig rig;
  rig.r->Translate(1, 2, 3);
  rig.r->PushMatrix();
  EXPECT_EQ(rig.r->CurrentTransform().m[3][1], 2.0f);
  rig.r->Translate(1, 0, 0);
  EXPECT_EQ(rig.r->CurrentTransform().m[3][0], 2.0f);
  rig.r->PopMatrix();
  EXPECT_EQ(rig.r->CurrentTransform().m[3][0], 1.0f);
}

TEST(GGraph3DTransform, OperationsApplyInLocalAxes) {
  RecordingRig rig;
  rig.r->RotateZ(90);
  rig.r->Translate(1, 0, 0);  // along the old Y row
  const GTransform& t = rig.r->CurrentTransform();
  EXPECT_NEAR(t.m[3][0], 0.0f, 1e-6);
  EXPECT_NEAR(t.m[3][1], 1.0f, 1e-6);
  rig.r->LoadIdentity();
  rig.r->RotateX(90);  // Y row turns toward Z
  EXPECT_NEAR(t.m[1][2], 1.0f, 1e-6);
  EXPECT_NEAR(t.m[2][1], -1.0f, 1e-6);
  rig.r->LoadIdentity();
  rig.r->RotateY(90);  // X row turns toward -Z
  EXPECT_NEAR(t.m[0][2], -1.0f, 1e-6);
  EXPECT_NEAR(t.m[2][0], 1.0f, 1e-6);
  rig.r->LoadIdentity();
  rig.r->Scale(2, 3, 4);
  rig.r->TranslateXZ(1, 1);
  EXPECT_EQ(t.m[3][0], 2.0f);
  EXPECT_EQ(t.m[3][2], 4.0f);
  rig.r->Mirror(true, false, true);
  EXPECT_EQ(t.m[0][0], -2.0f);
  EXPECT_EQ(t.m[1][1], 3.0f);
  EXPECT_EQ(t.m[2][2], -4.0f);
  EXPECT_EQ(t.m[3][3], 1.0f);
}

TEST(GGraph3DTransform, LookAtBuildsTheCameraAndItsInverse) {
  RecordingRig rig;
  rig.r->LookAt(10, 5, 20, 0, 0, 0, 0, 1, 0);
  float x = 0, y = 0, z = 0;  // the target lies straight ahead
  rig.r->TransformToCamera(&x, &y, &z);
  EXPECT_NEAR(x, 0.0f, 1e-5);
  EXPECT_NEAR(y, 0.0f, 1e-5);
  EXPECT_NEAR(z, std::sqrt(525.0f), 1e-4);
  const GTransform& m = rig.r->CurrentTransform();
  const GTransform& inv = rig.r->InverseViewTransform();
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += m.m[r][k] * inv.m[k][c];
      EXPECT_NEAR(sum, r == c ? 1.0f : 0.0f, 1e-5) << r << "," << c;
    }
  // The inverse's translation row is the eye.
  EXPECT_NEAR(inv.m[3][0], 10.0f, 1e-4);
  EXPECT_NEAR(inv.m[3][2], 20.0f, 1e-4);
}

TEST(GGraph3DTransform, ProjectionClampsItsArgumentsAndResetsTheTransform) {
  RecordingRig rig;
  rig.r->Translate(5, 5, 5);
  rig.r->SetViewport(10, 20, 100, 50);
  EXPECT_EQ(rig.r->CurrentTransform().m[3][0], 5.0f);
  EXPECT_EQ(rig.r->CentreX(), 60.0f);
  EXPECT_EQ(rig.r->CentreY(), 45.0f);
  rig.r->SetProjection(0, 0, 64, 48, 180.0f, 0.0f, 0.0f);
  EXPECT_EQ(rig.r->CurrentTransform().m[3][0], 0.0f);
  EXPECT_EQ(rig.r->CurrentTransform().m[0][0], 1.0f);
  // near 1e-7, far 2e-7: depth scale 2, offset -2e-7.
  EXPECT_FLOAT_EQ(rig.r->DepthScale(), 2.0f);
  EXPECT_FLOAT_EQ(rig.r->DepthOffset(), -2e-7f);
  // 179.9 degrees: the scale is 1 / tan(89.95 degrees).
  EXPECT_NEAR(rig.r->ScaleX(), std::tan(0.05 * 3.14159265358979 / 180.0), 1e-4);
  EXPECT_NEAR(rig.r->ScaleY() / rig.r->ScaleX(), 64.0 / 48.0, 1e-4);
}

TEST(GGraph3DState, ColourClampsTruncatesAndScales) {
  RecordingRig rig;
  EXPECT_EQ(rig.r->Colour(), 0xFFFFFFFFu);
  rig.r->SetColor(2, -1, 0.5f);
  EXPECT_EQ(rig.r->Colour(), 0xFFFF007Fu);
  EXPECT_EQ(rig.r->PreparedColour(GGraph3D::kMaxPolygon - 1), 0xFFFF007Fu);
  rig.r->SetColor(std::nanf(""), 1, 1);
  EXPECT_EQ(rig.r->Colour(), 0xFF00FFFFu);
  const float half[3] = {0.5f, 0.5f, 0.5f};
  float old[3];
  rig.r->SwapColorScale(half, old);
  EXPECT_EQ(old[0], 1.0f);
  rig.r->SetColor(1, 1, 1);
  EXPECT_EQ(rig.r->Colour(), 0xFF7F7F7Fu);
  rig.r->SetColorScale(1.0f);
  float now[3];
  rig.r->GetColorScale(now);
  EXPECT_EQ(now[2], 1.0f);
  rig.r->SetAlpha(0.999f);
  EXPECT_EQ(rig.r->Colour() >> 24, 254u);
  EXPECT_TRUE(rig.r->IsTranslucent());
  rig.r->SetAlpha(7.0f);
  EXPECT_FALSE(rig.r->IsTranslucent());
}

TEST(GGraph3DStateDeathTest, NullColourScalesAreFatal) {
  EXPECT_EXIT(
      {
        RecordingRig rig;
        rig.r->SwapColorScale(nullptr, nullptr);
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: GGraph3D line 2584");
  EXPECT_EXIT(
      {
        RecordingRig rig;
        rig.r->GetColorScale(nullptr);
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: GGraph3D line 2603");
}

TEST(GGraph3DState, TexturesBindOnceAndColourUnbinds) {
  TestFolder folder(true);
  GErrorLog::ResetForTests();
  RecordingRig rig;
  PSurface surface(8, 8, PPixelFormat::kARGB1555);
  FakeGraphic graphic(&surface), empty(nullptr);
  rig.r->SetTexture(&graphic);
  rig.r->SetTexture(&graphic);
  rig.r->SetTexture(nullptr);  // leaves it bound
  EXPECT_EQ(rig.r->BoundTexture(), &graphic);
  EXPECT_EQ(rig.device.Texture(), &surface);
  EXPECT_EQ(rig.device.StageState(P3DStageState::kColorOp), P3DTextureOp::kSelectArg1);
  EXPECT_EQ(rig.device.StageState(P3DStageState::kAlphaOp), P3DTextureOp::kSelectArg1);
  int binds = 0;
  for (const auto& c : rig.device.Calls()) binds += c.kind == Kind::kSetTexture;
  EXPECT_EQ(binds, 1);
  rig.r->SetColor(1, 1, 1);
  EXPECT_EQ(rig.r->BoundTexture(), nullptr);
  EXPECT_EQ(rig.device.StageState(P3DStageState::kColorOp), P3DTextureOp::kDisable);
  EXPECT_EQ(rig.device.StageState(P3DStageState::kAlphaOp), P3DTextureOp::kDisable);
  // A graphic without a texture binds none, yet becomes the current one.
  rig.r->SetTexture(&empty);
  rig.r->SetTexture(&empty);
  EXPECT_EQ(rig.r->BoundTexture(), &empty);
  EXPECT_EQ(rig.device.Texture(), nullptr);
  GErrorLog::Close();
  EXPECT_EQ(folder.ReadFile("ERRORLOG.TXT"), "Set up pick engine...\r\n>>> Set NULL Texture\r\n");
}

TEST(GGraph3DState, AGraphicMadeWhereADeletedOneLivedIsBound) {
  // A squad's uniform pictures are deleted with the squad and the next squad's may be made at
  // the same addresses; each must still draw with its own picture, in every build.
  RecordingRig rig;
  PSurface first(8, 8, PPixelFormat::kARGB1555), second(8, 8, PPixelFormat::kARGB1555);
  alignas(FakeGraphic) unsigned char storage[sizeof(FakeGraphic)];
  auto* a = new (storage) FakeGraphic(&first);
  rig.r->SetTexture(a);
  a->~FakeGraphic();
  auto* b = new (storage) FakeGraphic(&second);
  rig.r->SetTexture(b);
  EXPECT_EQ(rig.device.Texture(), &second);
  EXPECT_EQ(rig.r->BoundTexture(), b);
  // Another graphic of the same picture needs no new bind.
  FakeGraphic same(&second);
  rig.r->SetTexture(&same);
  int binds = 0;
  for (const auto& c : rig.device.Calls()) binds += c.kind == Kind::kSetTexture;
  EXPECT_EQ(binds, 2);
  EXPECT_EQ(rig.r->BoundTexture(), &same);
  b->~FakeGraphic();
}

TEST(GGraph3DState, PickModeIgnoresStateCalls) {
  RecordingRig rig;
  PSurface surface(8, 8, PPixelFormat::kARGB1555);
  FakeGraphic graphic(&surface);
  rig.r->SetPickMode(1, 1, 0, nullptr);
  rig.r->SetColor(0, 0, 0);
  rig.r->SetAlpha(0);
  rig.r->SetTexture(&graphic);
  rig.r->SetProjection(0, 0, 10, 10, 30, 1, 2);
  rig.r->SetClipping(false);
  GRect rect{0, 0, 5, 5};
  rig.r->FillRect2D(rect, 0xFFFF);
  EXPECT_EQ(rig.r->Colour(), 0xFFFFFFFFu);
  EXPECT_EQ(rig.r->BoundTexture(), nullptr);
  EXPECT_EQ(rig.r->HalfWidth(), 32.0f);
  EXPECT_TRUE(rig.device.Calls().empty());
  // Clipping stays on through the pick.
  rig.r->SetPickMode(0, 0, 0, nullptr);
  rig.r->SetBackfaceCulling(false);
  rig.r->DrawColouredTriangle(0, 0, 5, 1, 0, 5, 0, 1, 6);
  EXPECT_TRUE(rig.device.Draws().empty());
}

TEST(GGraph3DState, SetUpReadsTheDeviceCapabilities) {
  TestFolder folder(true);
  GErrorLog::ResetForTests();
  RecordingRig rig(true);
  EXPECT_TRUE(rig.r->IsReady());
  EXPECT_TRUE(rig.r->SortIndependent());
  EXPECT_EQ(rig.r->GetMaxTextureSize(), 512);
  EXPECT_EQ(rig.device.State(P3DState::kTranslucentSortIndependent), 1u);
  // The display's defaults.
  EXPECT_EQ(rig.device.State(P3DState::kZFunc), P3DCompare::kLessEqual);
  EXPECT_EQ(rig.device.State(P3DState::kAlphaFunc), P3DCompare::kGreater);
  EXPECT_EQ(rig.device.State(P3DState::kCullMode), P3DCull::kNone);
  EXPECT_EQ(rig.device.StageState(P3DStageState::kMagFilter), P3DFilter::kLinear);

  PSurface screen(8, 8, PPixelFormat::kRGB565);
  PRecording3DDevice device;
  device.Fail(Kind::kGetCaps, PResult::kInvalidParams);
  GGraph3DHost host(&device, &screen, false);
  RendererProbe renderer(&host);
  EXPECT_TRUE(renderer.Init3D());
  EXPECT_FALSE(renderer.FogCapable());
  EXPECT_EQ(renderer.GetMaxTextureSize(), 256);
  EXPECT_EQ(device.StageState(P3DStageState::kMagFilter), P3DFilter::kPoint);
  EXPECT_EQ(device.State(P3DState::kAlphaBlendEnable), 0u);
  GErrorLog::Close();
  EXPECT_EQ(folder.ReadFile("ERRORLOG.TXT"),
            "Set up pick engine...\r\nSet up pick engine...\r\nFAILED 3D: Device GetCaps\r\n");
}

TEST(GGraph3DState, FramesBeginAndEnd) {
  TestFolder folder(true);
  GErrorLog::ResetForTests();
  RecordingRig rig;
  ASSERT_TRUE(rig.r->RenderBegin());
  const auto& calls = rig.device.Calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0].kind, Kind::kClear);
  EXPECT_EQ(calls[0].flags, kP3DClearZBuffer);
  EXPECT_EQ(calls[0].depth, 1.0f);
  EXPECT_EQ(calls[1].kind, Kind::kBeginScene);
  EXPECT_EQ(rig.device.StageState(P3DStageState::kAlphaArg2), P3DTextureArg::kTextureFactor);
  EXPECT_EQ(rig.device.StageState(P3DStageState::kColorOp), P3DTextureOp::kDisable);
  // An empty queue: the end changes no render state.
  rig.device.ClearCalls();
  rig.r->RenderEnd();
  ASSERT_EQ(rig.device.Calls().size(), 1u);
  EXPECT_EQ(rig.device.Calls()[0].kind, Kind::kEndScene);

  rig.device.Fail(Kind::kBeginScene, static_cast<PResult>(-5));
  EXPECT_FALSE(rig.r->RenderBegin());
  rig.device.Fail(Kind::kBeginScene, PResult::kOk);
  rig.device.Fail(Kind::kEndScene, static_cast<PResult>(-7));
  rig.r->RenderEnd();
  GErrorLog::Close();
  EXPECT_EQ(folder.ReadFile("ERRORLOG.TXT"),
            "Set up pick engine...\r\n"
            "GGraph3D::RenderBegin failure (BeginScene) error code  -5\r\n"
            "  NOTE: DDERR_SURFACELOST =  -2005532222\r\n"
            "EndScene error:  -7\r\n");
}

TEST(GGraph3DState, TextureMemoryAndDownsampling) {
  TestFolder folder(true);
  GErrorLog::ResetForTests();
  RecordingRig rig;
  rig.r->AddTextureMemory(5000);
  rig.r->AddTextureMemory(-1000);
  EXPECT_EQ(rig.r->GetTextureMemory(), 4000);
  int32_t previous = -1;
  EXPECT_FALSE(rig.r->DownsampleTexture(&previous));
  EXPECT_EQ(previous, 0);
  rig.r->NoteTextureMemoryExhausted();
  EXPECT_TRUE(rig.r->TextureMemoryExhausted());
  EXPECT_TRUE(rig.r->DownsampleTexture(&previous));
  EXPECT_EQ(previous, 0);
  EXPECT_EQ(rig.r->GetDownsampleLevel(), 1);
  EXPECT_EQ(rig.r->GetTextureMemory(), 0);
  EXPECT_FALSE(rig.r->TextureMemoryExhausted());
  EXPECT_FALSE(rig.r->SetMipmapsWanted(true));
  // The bitmap loading sees the same state through its interface.
  GGraphicRenderer& loading = *rig.r;
  loading.NoteTextureMemoryExhausted();
  EXPECT_TRUE(rig.r->TextureMemoryExhausted());
  EXPECT_EQ(loading.GetDownsampleLevel(), 1);
  EXPECT_EQ(loading.GetMaxTextureSize(), 512);
  GErrorLog::Close();
  EXPECT_EQ(folder.ReadFile("ERRORLOG.TXT"), "Set up pick engine...\r\n** DOWNSAMPLE level  1\r\n");
}

TEST(GGraph3DStateDeathTest, AFatalErrorGivesTheDisplayBack) {
  // The renderer's release is registered with the fatal assertion: the host sees the
  // display handed back before the process ends.
  struct NoisyHost : GGraph3DHost {
    using GGraph3DHost::GGraph3DHost;
    void FlipToGDISurface() override { std::fputs("display given back\n", stderr); }
  };
  EXPECT_EXIT(
      {
        PSurface screen(8, 8, PPixelFormat::kRGB565);
        PRecording3DDevice device;
        NoisyHost host(&device, &screen);
        gGraph3D = new GGraph3D(&host);
        gGraph3D->Init3D();
        FatalError(12, "Test");
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "display given back");
}

}  // namespace
