// The battlefield frame's passes one by one over the test scenario (800 m, its men drawn with
// their figures) on the software device: from every bearing at view level 2 the ground sends
// its blocks to the device, also after the men were drawn, and the men stand in the frame.
#include "ScenarioFrameWorld.h"

TEST(BattlefieldPasses, TheGroundIsSentFromEveryBearingAlsoAfterTheMen) {
  ScenarioFrameWorld w;
  ASSERT_NE(w.battle, nullptr);
  Map& map = *w.battle->map;
  ASSERT_EQ(map.size.worldWidth, 800.0f);
  // The camera point at the map's centre: the eye 92.1 m behind it and 55 m up. Looking
  // south the men of the scenario are in view and drawn before the ground; the frames after
  // keep whatever render state they left.
  int64_t menTriangles = 0;
  for (float bearing : {1.5707964f, -1.5707964f, 0.7f, 0.0f, 3.1415927f}) {
    w.Place(2, 400.0f, 400.0f, bearing);
    w.renderer.RenderBegin();
    map.Invalidate();
    map.SetupCamera();
    map.UpdateViewCulling();
    w.Pass([&map] { map.DrawBackdrop(); });
    menTriangles += w.Pass([&map] { map.DrawUnits(); }).sent;
    const GGraph3D::TriangleCounts ground = w.Pass([&map] { map.DrawTerrain(); });
    w.renderer.RenderEnd();
    w.device.Settle();
    EXPECT_GE(ground.given, 52) << bearing;
    // A few triangles of the blocks at the view's edge may fall outside it, never most.
    EXPECT_GT(ground.sent, ground.given * 3 / 4) << bearing;
  }
  EXPECT_GT(menTriangles, 0);
}

TEST(BattlefieldPasses, TheMenOfTheStartViewAreDrawnAtLevelsOneToThree) {
  // Each side's start view looks over its own men from behind them. Their blocks are only
  // partly in view from low down, so whether they are drawn rests on their own boxes.
  ScenarioFrameWorld w;
  ASSERT_NE(w.battle, nullptr);
  Map& map = *w.battle->map;
  for (int32_t side = 0; side < 2; ++side) map.camera.viewLevel[side] = -1;
  w.battle->SetStartViews();
  for (int32_t level : {1, 2, 3}) {
    for (int32_t side = 0; side < 2; ++side) map.camera.viewLevel[side] = level;
    w.renderer.RenderBegin();
    map.Invalidate();
    map.SetupCamera();
    map.UpdateViewCulling();
    w.Pass([&map] { map.DrawBackdrop(); });
    const GGraph3D::TriangleCounts men = w.Pass([&map] { map.DrawUnits(); });
    w.Pass([&map] { map.DrawTerrain(); });
    w.renderer.RenderEnd();
    w.device.Settle();
    EXPECT_GT(men.sent, 100) << level;
    w.Save("start-view-level" + std::to_string(level) + ".bmp");
  }
  // A box out of view still keeps a man out of the frame: looking away from them, none is sent.
  w.Place(2, 400.0f, 400.0f, 1.5707964f);
  w.renderer.RenderBegin();
  map.Invalidate();
  map.SetupCamera();
  map.UpdateViewCulling();
  EXPECT_EQ(w.Pass([&map] { map.DrawUnits(); }).given, 0);
  w.renderer.RenderEnd();
  w.device.Settle();
}
