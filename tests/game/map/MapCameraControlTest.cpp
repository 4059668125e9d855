// The battle screen's camera operations: turning scaled to the frame rate and zoom, the swing
// about the ground point ahead, moving with its level factor and margin, level changes and
// the numeric keypad.
#include <cmath>

#include "MapTestRig.h"

namespace {

struct ControlWorld {
  MapRig rig;
  FakeBattle& battle = rig.app.MakeBattle();
  std::unique_ptr<Map> map = rig.Default(12, 12);
  ControlWorld() {
    rig.app.options[41] = 1;
    rig.app.currentSide = 1;
    map->camera.x[1] = 100.0f;
    map->camera.y[1] = 120.0f;
    map->camera.bearing[1] = 0.7f;
    map->camera.viewLevel[1] = 2;
  }
};

}  // namespace

TEST(MapTurnCamera, TurnsByTheFrameRateAndZoomWithAFloorOnTheRate) {
  ControlWorld w;
  FakeUnit locked(MapUnitView::kInfantry, 1, 10.0f, 10.0f);
  w.map->camera.selectedUnit = &locked;
  w.map->display.needsRedraw = false;
  w.rig.app.frameRate = 60.0f;
  w.map->TurnCamera(1.0f);
  EXPECT_FLOAT_EQ(w.map->camera.bearing[1], 0.7f + 1.0f / 60.0f);
  EXPECT_EQ(w.map->camera.selectedUnit, nullptr);
  EXPECT_TRUE(w.map->display.needsRedraw);
  EXPECT_EQ(w.rig.app.refreshes, 1);
  // Option 20 off: the position never moves.
  EXPECT_EQ(w.map->camera.x[1], 100.0f);
  EXPECT_EQ(w.map->camera.y[1], 120.0f);

  w.map->camera.bearing[1] = 0.0f;
  w.rig.app.options[41] = 8;
  w.map->TurnCamera(1.0f);
  EXPECT_FLOAT_EQ(w.map->camera.bearing[1], 1.0f / 480.0f);

  w.map->camera.bearing[1] = 0.0f;
  w.rig.app.options[41] = 1;
  w.rig.app.frameRate = 2.0f;
  w.map->TurnCamera(1.0f);
  EXPECT_FLOAT_EQ(w.map->camera.bearing[1], 0.25f);
  // The other side's camera is untouched.
  EXPECT_EQ(w.map->camera.bearing[0], 0.0f);

  w.map->TurnCameraBy(180.0f);
  EXPECT_FLOAT_EQ(w.map->camera.bearing[1], 0.25f + 3.1415927f);
}

TEST(MapTurnCamera, RotatingOnPointKeepsTheGroundPointAheadFixed) {
  ControlWorld w;
  w.rig.app.options[20] = 1;
  w.rig.app.frameRate = 10.0f;
  const auto ahead = [&w](float d) {
    const float h = w.map->camera.bearing[1];
    return std::array<float, 2>{w.map->camera.x[1] + d * std::cos(h), w.map->camera.y[1] + d * std::sin(h)};
  };
  const auto before = ahead(92.0f);
  w.map->TurnCamera(3.0f);
  EXPECT_FLOAT_EQ(w.map->camera.bearing[1], 0.7f + 0.3f);
  const auto after = ahead(92.0f);
  EXPECT_NEAR(after[0], before[0], 1e-3f);
  EXPECT_NEAR(after[1], before[1], 1e-3f);
  // The camera itself swung: it is not where it was.
  EXPECT_GT(std::hypot(w.map->camera.x[1] - 100.0f, w.map->camera.y[1] - 120.0f), 20.0f);

  // At levels 4 and above it turns in place.
  w.map->camera.viewLevel[1] = 5;
  const float x = w.map->camera.x[1];
  const float y = w.map->camera.y[1];
  w.map->TurnCamera(-3.0f);
  EXPECT_EQ(w.map->camera.x[1], x);
  EXPECT_EQ(w.map->camera.y[1], y);
}

TEST(MapMoveCamera, StepsGrowWithTheLevelAndStopAtTheMargin) {
  ControlWorld w;
  w.rig.app.frameRate = 40.0f;
  w.map->camera.bearing[1] = 0.0f;
  w.map->camera.viewLevel[1] = 7;
  w.map->MoveCamera(3, 1.0f);
  EXPECT_NEAR(w.map->camera.x[1], 110.0f, 1e-4f);
  EXPECT_NEAR(w.map->camera.y[1], 120.0f, 1e-4f);
  w.map->camera.viewLevel[1] = 0;
  w.map->MoveCamera(4, 1.0f);
  EXPECT_NEAR(w.map->camera.x[1], 108.8f, 1e-4f);
  // Left is heading + 90 degrees, right heading - 90; an unknown direction goes forward.
  w.map->MoveCamera(1, 1.0f);
  EXPECT_NEAR(w.map->camera.y[1], 121.2f, 1e-4f);
  w.map->MoveCamera(2, 1.0f);
  EXPECT_NEAR(w.map->camera.y[1], 120.0f, 1e-4f);
  w.map->MoveCamera(9, 1.0f);
  EXPECT_NEAR(w.map->camera.x[1], 110.0f, 1e-4f);

  // 200 m beyond the map at most, each side.
  w.map->camera.viewLevel[1] = 7;
  w.map->camera.x[1] = -150.0f;
  w.map->MoveCamera(4, 10.0f);  // 100 m further out
  EXPECT_EQ(w.map->camera.x[1], -200.0f);
  const float width = w.map->size.worldWidth;
  w.map->camera.x[1] = width + 195.0f;
  w.map->MoveCamera(3, 1.0f);
  EXPECT_EQ(w.map->camera.x[1], width + 200.0f);
}

TEST(MapCameraLevel, ChangesBlendOrJumpAndStopAtTheEnds) {
  ControlWorld w;
  w.rig.app.frameRate = 30.0f;
  w.map->display.needsRedraw = false;
  const int32_t resets = w.rig.app.cameraResets;  // the new map asked for one
  w.map->ChangeCameraLevel(true);
  EXPECT_EQ(w.map->camera.viewLevel[1], 3);
  EXPECT_EQ(w.map->frame.previousLevel, 2);
  EXPECT_EQ(w.map->frame.levelBlend, 1.0f);
  EXPECT_EQ(w.rig.app.cameraCounterRaises, 1);
  EXPECT_EQ(w.rig.app.cameraResets, resets + 1);
  EXPECT_EQ(w.rig.app.refreshes, 0);
  // A slow frame rate changes at once.
  w.rig.app.frameRate = 4.0f;
  w.map->frame.levelBlend = 0.0f;
  w.map->ChangeCameraLevel(false);
  EXPECT_EQ(w.map->camera.viewLevel[1], 2);
  EXPECT_EQ(w.map->frame.levelBlend, 0.0f);
  EXPECT_EQ(w.rig.app.refreshes, 1);
  EXPECT_TRUE(w.map->display.needsRedraw);

  // At the top nothing happens beyond keeping the level.
  w.map->camera.viewLevel[1] = 7;
  w.map->display.needsRedraw = false;
  w.map->ChangeCameraLevel(true);
  EXPECT_EQ(w.map->camera.viewLevel[1], 7);
  EXPECT_FALSE(w.map->display.needsRedraw);
  EXPECT_EQ(w.rig.app.cameraResets, resets + 2);
  w.map->camera.viewLevel[1] = 0;
  w.map->ChangeCameraLevel(false);
  EXPECT_EQ(w.map->camera.viewLevel[1], 0);
  EXPECT_EQ(w.rig.app.refreshes, 1);

  w.map->SetCameraLevel(5);
  EXPECT_EQ(w.map->camera.viewLevel[1], 5);
  w.map->SetCameraLevel(8);
  w.map->SetCameraLevel(-1);
  EXPECT_EQ(w.map->camera.viewLevel[1], 5);
  EXPECT_EQ(w.rig.app.cameraResets, resets + 3);
}

TEST(MapKeypadCamera, KeysMoveTurnAndStepLevelsAndSetTheCounter) {
  ControlWorld w;
  w.rig.app.frameRate = 40.0f;
  w.map->camera.bearing[1] = 0.0f;
  w.map->camera.viewLevel[1] = 7;
  w.map->KeypadCamera('+');
  EXPECT_EQ(w.map->camera.viewLevel[1], 7);
  EXPECT_EQ(w.rig.app.cameraCounterSets.size(), 1u);
  w.map->KeypadCamera('8');  // forward, amount 3: 30 m at level 7
  EXPECT_NEAR(w.map->camera.x[1], 130.0f, 1e-3f);
  w.map->KeypadCamera('5');
  EXPECT_NEAR(w.map->camera.x[1], 100.0f, 1e-3f);
  w.map->KeypadCamera('7');
  EXPECT_FLOAT_EQ(w.map->camera.bearing[1], 3.0f / 40.0f);
  w.map->KeypadCamera('-');
  EXPECT_EQ(w.map->camera.viewLevel[1], 6);
  w.map->camera.viewLevel[1] = 0;
  w.map->KeypadCamera('-');
  EXPECT_EQ(w.map->camera.viewLevel[1], 0);
  EXPECT_EQ(w.rig.app.cameraCounterSets.size(), 6u);
  // Other keys do nothing, not even the counter.
  w.map->KeypadCamera('1');
  w.map->KeypadCamera('x');
  EXPECT_EQ(w.rig.app.cameraCounterSets.size(), 6u);
}
