// The battlefield frame with a battle's units in it (the test scenario, read through the
// headless battle with the real unit kinds and their models), drawn whole by Map::Draw on the
// software device with a stand-in picture for every texture: the same pixels at one and two
// drawing threads, and drawing leaves the game's generator alone. The line-of-sight and movement
// picks of a selected unit draw their lines over that frame.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/BusyFrameHosts.h"
#include "app/ScenarioFrameWorld.h"
#include "app/GameFile.h"
#include "app/GameFileSettings.h"
#include "framework/core/GFile.h"
#include "framework/core/GRandom.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "framework/media/GraphicsTestHost.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/HeadlessHost.h"
#include "game/draw/VehicleDraw.h"
#include "game/map/Map.h"
#include "game/map/OrderState.h"
#include "game/models/InfantryModelDraw.h"
#include "game/ui/OrderOverlay.h"
#include "game/units/tables/Hack.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitContextScope.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/units/vehicle/Vehicle.h"
#include "platform/PBitmapFile.h"
#include "platform/PClock.h"
#include "platform/PFile.h"
#include "platform/PPath.h"
#include "platform/PSoft3DDevice.h"
#include "platform/PSurface.h"
#include "support/PixelHash.h"
#include "support/TestFolder.h"

namespace {

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 240;

// A scenario read as the program opens one, prepared as the battle screen prepares it.
bool Load(HeadlessBattle& headless, const std::string& native) { return LoadScenario(headless, native); }

struct Drawn {
  uint64_t hash = 0;
  int64_t triangles = 0;
  uint32_t generatorBefore = 0;
  uint32_t generatorAfter = 0;
  // With a pick: the frame's triangles without and with the pick's lines, and its texts.
  int64_t pickTriangles[2] = {};
  std::vector<std::string> pickTexts;
};

// A frame at view level 3 looking past the unit at a point 100 m ahead, drawn without and
// then with the pick's lines; with TARVANE_SAVE_PICTURES the second is kept as a bitmap.
void DrawPick(Drawn& drawn, Battle& battle, Unit& unit, int32_t pickMode, GGraph3D& renderer, PSoft3DDevice& device,
              PSurface& screen) {
  Map& map = *battle.map;
  auto& host = static_cast<HeadlessHost&>(battle.App());
  battle.setupPhase = 0;
  battle.SelectUnit(&unit);
  host.inputMode = pickMode;
  const float ahead = unit.IsAxis() ? 100.0f : -100.0f;
  map.orders.pickX = unit.x;
  map.orders.pickY = unit.y + ahead;
  map.orders.groundZ = map.ElevationAt(map.orders.pickX, map.orders.pickY);
  map.orders.pendingMoveCode = kOrderFastMove;
  for (int32_t side = 0; side < 2; ++side) {
    map.camera.viewLevel[side] = 3;
    map.camera.bearing[side] = unit.IsAxis() ? 1.5707964f : -1.5707964f;
    map.camera.x[side] = unit.x;
    map.camera.y[side] = unit.y - ahead * 0.6f;
  }
  for (int32_t pass = 0; pass < 2; ++pass) {
    renderer.RenderBegin();
    map.Invalidate();
    map.Draw();
    if (pass == 1) {
      OrderOverlay overlay;
      overlay.Build(battle, pickMode, OrderOverlay::ScreenProjector());
      overlay.DrawLines(map);
      for (const MapView::Text& text : overlay.texts) drawn.pickTexts.push_back(text.text);
    }
    drawn.pickTriangles[pass] = renderer.FrameTriangles().given;
    renderer.RenderEnd();
    device.Settle();
  }
  if (const char* save = std::getenv("TARVANE_SAVE_PICTURES")) {
    PBitmapFile::WriteSurface(screen, std::string(save) + "pick" + std::to_string(pickMode) + ".bmp");
  }
  host.inputMode = InputModes::kNoPick;
  battle.SelectUnit(nullptr);
}

// Two frames at view levels 3 and 5 over the first unit of the side at the screen, everything
// made afresh. With a pick mode (1 the line of sight, 2 a movement) the unit is selected and
// one more frame at level 3 draws the pick's lines to a point 100 m ahead of it.
Drawn DrawScenario(int32_t threads, int32_t pickMode = 0) {
  Drawn drawn;
  TestFolder folder(true);  // the program folder, so that the error log stays out of the build
  PClock::SetFake([] { return uint64_t{5000}; });
  GRandom::Presentation().Seed(1);
  PSurface screen(kWidth, kHeight, PPixelFormat::kRGB565);
  PSoft3DDevice device(&screen, threads);
  GGraph3DHost host(&device, &screen, true);
  GGraph3D renderer(&host);
  renderer.Init3D();  // before the bitmaps' host: the renderer takes no fonts from stand-ins
  StandInTextureHost textures(16);
  GKernel kernel;
  kernel.FindProgramFolder();
  Hack::LoadTables();
  Infantry::Register();
  Vehicle::Register();
  Inanimate::Register();
  VehicleDraw::Install();
  InfantryModelDraw::Install();
  MapUnitDrawHost unitHost;
  {
    const UnitContextScope drawing(UnitContext{.draw = &unitHost});
    HeadlessBattle headless;
    headless.SetHost(std::make_unique<ScreenHost>(kWidth, kHeight));
    const bool loaded = Load(headless, std::string(TARVANE_TEST_GAMES_DIR) + "/Scenarios/Test Scenario.wrb");
    Battle* battle = headless.GetBattle();
    EXPECT_TRUE(loaded);
    if (loaded && battle != nullptr && battle->map != nullptr && battle->UnitCount() > 0) {
      Map& map = *battle->map;
      unitHost.map = &map;
      gGraph3D = &renderer;
      EXPECT_TRUE(battle->LoadTextures(false));
      headless.Host().options[2] = 2;
      headless.Host().options[4] = 2;
      headless.Host().options[9] = 2;
      map.display.drawState = 2;
      // The first unit of the side at the screen: the other side's are hidden until spotted.
      Unit* first = battle->UnitAt(0);
      for (int32_t i = battle->UnitCount() - 1; i >= 0; --i) {
        if (battle->UnitAt(i)->IsCurrentSide()) first = battle->UnitAt(i);
      }
      Unit& unit = *first;
      drawn.generatorBefore = RandomState();
      for (int32_t level : {3, 5}) {
        for (int32_t side = 0; side < 2; ++side) {
          map.camera.viewLevel[side] = level;
          map.camera.bearing[side] = 1.2f;
          map.camera.x[side] = unit.x - Map::kOrbitDistance[level] * 0.3623578f;
          map.camera.y[side] = unit.y - Map::kOrbitDistance[level] * 0.9320391f;
        }
        renderer.RenderBegin();
        map.Invalidate();
        map.Draw();
        drawn.triangles += renderer.FrameTriangles().given;
        renderer.RenderEnd();
        device.Settle();
        drawn.hash = drawn.hash * 31u + PixelHash(screen, device);
      }
      drawn.generatorAfter = RandomState();
      if (pickMode != 0) DrawPick(drawn, *battle, unit, pickMode, renderer, device, screen);
      gGraph3D = nullptr;
    }
  }
  Hack::FreeTables();
  PClock::SetFake(nullptr);
  return drawn;
}

// The same frames on one and two drawing threads, and with every span drawn one pixel at a
// time rather than four at a time: the same pixels.
TEST(BusyFramePicture, UnitsOnTheBattlefieldDrawTheSamePixelsAtOneAndTwoThreadsAndPixelByPixel) {
  const Drawn one = DrawScenario(1);
  const Drawn two = DrawScenario(2);
  PSoft3DDevice::SetWideSpans(false);
  const Drawn narrow = DrawScenario(1);
  PSoft3DDevice::SetWideSpans(true);
  EXPECT_GT(one.triangles, 0);
  EXPECT_EQ(one.triangles, two.triangles);
  EXPECT_EQ(one.hash, two.hash);
  EXPECT_EQ(one.hash, narrow.hash);
  EXPECT_EQ(one.generatorBefore, one.generatorAfter);
}

TEST(BusyFramePicture, ThePicksOfASelectedUnitDrawTheirLinesOverTheFrame) {
  // The line of sight: a line from the unit to the point, with its distance among the texts.
  const Drawn sight = DrawScenario(1, 1);
  EXPECT_GT(sight.pickTriangles[1], sight.pickTriangles[0]);
  bool distance = false;
  for (const std::string& text : sight.pickTexts) distance = distance || text == "100m";
  EXPECT_TRUE(distance) << (sight.pickTexts.empty() ? std::string("no texts") : sight.pickTexts.front());
  // A movement: the pending leg from the unit to the point.
  const Drawn move = DrawScenario(1, 2);
  EXPECT_GT(move.pickTriangles[1], move.pickTriangles[0]);
}

}  // namespace
