// The battlefield frame allocates nothing once its first frame has been drawn: the renderer's
// translucent list keeps its storage however many records a frame queues, and a whole frame of
// the test scenario (men, ground, sky and rain at view levels 1, 2, 3 and 5, on two drawing
// threads) makes no allocation after the first round. The program counts every allocation of
// its own.
#include "AllocationCounter.h"
#include "app/ScenarioFrameWorld.h"

namespace {

int64_t Allocations() { return gAllocations.load(); }

}  // namespace

TEST(FrameAllocations, TheTranslucentListKeepsItsStorageFromFrameToFrame) {
  ScenarioFrameWorld w;
  GGraph3D& r = w.renderer;
  gGraph3D = &r;
  // Frames of more and more translucent triangles, drawn farthest first at the frame's end.
  auto frame = [&r, &w](int32_t triangles) {
    const int64_t before = Allocations();
    r.RenderBegin();
    r.LoadIdentity();
    r.SetProjection(0, 0, kScenarioFrameWidth, kScenarioFrameHeight, 60.0f, 1.0f, 1000.0f);
    r.SetBackfaceCulling(false);
    r.SetAlpha(0.5f);
    for (int32_t i = 0; i < triangles; ++i) {
      const auto d = static_cast<float>(10 + (i * 37) % 101);
      r.DrawColouredTriangle(0.0f, 0.0f, -d, 1.0f, 0.0f, -d, 0.0f, 1.0f, -d);
    }
    r.SetAlpha(1.0f);
    r.RenderEnd();
    w.device.Settle();
    return Allocations() - before;
  };
  frame(10);
  EXPECT_EQ(frame(10), 0);
  EXPECT_EQ(frame(2000), 0);
  EXPECT_EQ(frame(5000), 0);
  EXPECT_GT(r.FrameTriangles().sent, 0);
}

TEST(FrameAllocations, AWholeFrameOfTheBattlefieldMakesNoneAfterTheFirstRound) {
  ScenarioFrameWorld w;
  ASSERT_NE(w.battle, nullptr);
  Map& map = *w.battle->map;
  HeadlessHost& app = w.headless->Host();
  app.options[12] = 2;  // weather: Full
  app.options[15] = 1;  // smoke
  w.battle->weather = 2;  // rain
  w.device.SetThreadCount(2);
  for (int32_t side = 0; side < 2; ++side) map.camera.viewLevel[side] = -1;
  w.battle->SetStartViews();
  int64_t triangles = 0;
  auto round = [&]() {
    const int64_t before = Allocations();
    for (int32_t level : {1, 2, 3, 5}) {
      for (int32_t side = 0; side < 2; ++side) map.camera.viewLevel[side] = level;
      w.renderer.RenderBegin();
      map.Invalidate();
      map.Draw();
      triangles += w.renderer.FrameTriangles().sent;
      w.renderer.RenderEnd();
      w.device.Settle();
    }
    return Allocations() - before;
  };
  round();
  EXPECT_EQ(round(), 0);
  EXPECT_EQ(round(), 0);
  EXPECT_GT(triangles, 0);
}
