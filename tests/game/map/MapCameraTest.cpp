// The camera, the selection box, the orders-menu key, block and footprint view states, tile
// texture indices, the water tint and the apparent size of things at a distance.
#include <cmath>

#include "MapTestRig.h"
#include "framework/media/RendererRig.h"
#include "game/map/Heading.h"

namespace {

// A renderer on the recording device made the program's renderer for one test.
struct CurrentRenderer {
  RecordingRig rig;
  CurrentRenderer() { gGraph3D = rig.r.get(); }
  ~CurrentRenderer() { gGraph3D = nullptr; }
};

struct CameraWorld {
  MapRig rig;
  FakeBattle& battle = rig.app.MakeBattle();
  std::unique_ptr<Map> map = rig.Default(12, 12);
};

}  // namespace

TEST(MapSelectUnit, SelectingTwiceOrAPoorlyIdentifiedUnitLeavesNothingSelected) {
  CameraWorld w;
  FakeUnit unit(MapUnitView::kInfantry, 1, 10.0f, 10.0f);
  w.map->SelectUnit(&unit);
  EXPECT_EQ(w.map->camera.selectedUnit, &unit);
  w.map->SelectUnit(&unit);
  EXPECT_EQ(w.map->camera.selectedUnit, nullptr);

  FakeUnit enemy(MapUnitView::kVehicle, 0, 20.0f, 20.0f);
  enemy.identificationLevel = 1;
  w.map->SelectUnit(&unit);
  w.map->SelectUnit(&enemy);
  EXPECT_EQ(w.map->camera.selectedUnit, nullptr);
  enemy.identificationLevel = 2;
  w.map->SelectUnit(&enemy);
  EXPECT_EQ(w.map->camera.selectedUnit, &enemy);
  w.map->SelectUnit(nullptr);
  EXPECT_EQ(w.map->camera.selectedUnit, nullptr);
  EXPECT_EQ(w.rig.app.refreshes, 6);
  EXPECT_TRUE(w.map->display.needsRedraw);
}

TEST(MapAimCamera, TurnsAtLowLevelsMovesAtHighOnesAndKeepsAPointOnTheScreen) {
  CameraWorld w;
  w.rig.app.currentSide = 1;
  w.map->camera.x[1] = 100.0f;
  w.map->camera.y[1] = 100.0f;
  w.map->camera.viewLevel[1] = 2;
  // No renderer: no point is on the screen.
  w.map->AimCamera(200.0f, 150.0f);
  EXPECT_FLOAT_EQ(w.map->camera.bearing[1], HeadingDegrees(100.0f, 50.0f) * 0.017453292519444445f);
  EXPECT_FLOAT_EQ(w.map->camera.x[1], 100.0f);
  EXPECT_FLOAT_EQ(w.map->camera.bearing[0], 0.0f);

  w.map->camera.viewLevel[1] = 5;
  w.map->AimCamera(30.0f, 40.0f);
  EXPECT_FLOAT_EQ(w.map->camera.x[1], 30.0f);
  EXPECT_FLOAT_EQ(w.map->camera.y[1], 40.0f);
  EXPECT_EQ(w.rig.app.refreshes, 2);

  // A camera 20 m above the point at (50, 50) sees it in the middle of the screen.
  CurrentRenderer renderer;
  const float z = w.map->ElevationAt(50.0f, 50.0f);
  renderer.rig.r->Translate(-50.0f, -50.0f, -(z + 20.0f));
  w.map->AimCamera(50.0f, 50.0f);
  EXPECT_FLOAT_EQ(w.map->camera.x[1], 30.0f);
  EXPECT_EQ(w.rig.app.refreshes, 2);
  // One far to the side is not on the screen.
  w.map->AimCamera(200.0f, 50.0f);
  EXPECT_FLOAT_EQ(w.map->camera.x[1], 200.0f);
}

TEST(MapSelectionBox, TheRectangleIsTheSameFromEitherCornerAndStartsTheBoxSelection) {
  CameraWorld w;
  w.map->camera.selectionCorners[0][0] = 300;
  w.map->camera.selectionCorners[0][1] = 40;
  w.map->SetSelectionCorner(120.9f, 210.7f);
  int32_t a[4];
  w.map->GetSelectionRect(a);
  EXPECT_EQ(a[0], 120);
  EXPECT_EQ(a[1], 40);
  EXPECT_EQ(a[2], 300);
  EXPECT_EQ(a[3], 210);
  EXPECT_EQ(w.rig.app.inputMode, InputModes::kSelectionDrag);
  EXPECT_TRUE(w.battle.selectionDrag);

  w.map->camera.selectionCorners[0][0] = 120;
  w.map->camera.selectionCorners[0][1] = 210;
  w.map->SetSelectionCorner(300.0f, 40.0f);
  int32_t b[4];
  w.map->GetSelectionRect(b);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(a[i], b[i]);
  // Negative corners truncate toward zero.
  w.map->SetSelectionCorner(-3.7f, -0.5f);
  w.map->GetSelectionRect(b);
  EXPECT_EQ(b[0], -3);
  EXPECT_EQ(b[1], 0);
}

TEST(MapOrdersMenuKey, OpensPassesKeysAndClosesWithABeepAndOnlyBeepsWithNothingSelected) {
  CameraWorld w;
  w.map->OrdersMenuKey(65);
  EXPECT_EQ(w.rig.app.beeps, 1);
  EXPECT_EQ(w.rig.app.menusOpened, 0);

  FakeUnit unit(MapUnitView::kInfantry, 1, 10.0f, 10.0f);
  w.battle.selectedUnit = &unit;
  w.map->OrdersMenuKey(65);
  EXPECT_EQ(w.rig.app.menusOpened, 1);
  EXPECT_FALSE(w.rig.app.menuAtWaypoint);
  ASSERT_NE(w.map->camera.openMenu, nullptr);
  w.map->OrdersMenuKey(66);
  EXPECT_NE(w.map->camera.openMenu, nullptr);
  EXPECT_EQ(w.rig.app.beeps, 1);
  w.rig.app.menuTakesKeys = false;
  w.map->OrdersMenuKey(67);
  EXPECT_EQ(w.map->camera.openMenu, nullptr);
  EXPECT_EQ(w.rig.app.beeps, 2);
  EXPECT_EQ(w.rig.app.keysToMenu, (std::vector<int32_t>{66, 67}));
  // A menu left open goes with the map.
  w.map->OrdersMenuKey(68);
  EXPECT_NE(w.map->camera.openMenu, nullptr);
}

TEST(MapViewStates, BlocksByTileAndFootprintsOverOneOrSeveralBlocks) {
  CameraWorld w;
  MapGrid<uint8_t>& blocks = w.map->terrain.blockViewState;
  ASSERT_EQ(blocks.Width(), 3);
  ASSERT_EQ(blocks.Height(), 3);
  blocks.At(0, 0) = 2;
  blocks.At(1, 0) = 0;
  blocks.At(0, 1) = 2;
  blocks.At(1, 1) = 2;
  blocks.At(2, 2) = 1;
  EXPECT_EQ(w.map->BlockViewState(3, 3), 2);
  EXPECT_EQ(w.map->BlockViewState(4, 0), 0);
  EXPECT_EQ(w.map->BlockViewState(11, 11), 1);
  EXPECT_EQ(w.map->BlockViewState(12, 0), 0);
  EXPECT_EQ(w.map->BlockViewState(-1, 0), 0);

  // Inside one block: its state.
  EXPECT_EQ(w.map->FootprintViewState(40.0f, 40.0f, 5.0f), 2);
  EXPECT_EQ(w.map->FootprintViewState(100.0f, 20.0f, 5.0f), 0);
  EXPECT_EQ(w.map->FootprintViewState(200.0f, 200.0f, 5.0f), 1);
  // Over the blocks of states 2 and 0: partly in view.
  EXPECT_EQ(w.map->FootprintViewState(78.0f, 20.0f, 5.0f), 1);
  // Over four blocks all wholly in view ... but (1, 0) is out, so partly.
  EXPECT_EQ(w.map->FootprintViewState(80.0f, 80.0f, 5.0f), 1);
  blocks.At(1, 0) = 2;
  EXPECT_EQ(w.map->FootprintViewState(80.0f, 80.0f, 5.0f), 2);
  // A footprint wider than a block spans three on each axis.
  EXPECT_EQ(w.map->FootprintViewState(120.0f, 120.0f, 70.0f), 1);
  // Off the map every block is out of view.
  EXPECT_EQ(w.map->FootprintViewState(-500.0f, 2000.0f, 5.0f), 0);
}

TEST(MapViewStates, TheViewLevelIsTheCurrentSides) {
  CameraWorld w;
  w.map->camera.viewLevel[0] = 3;
  w.map->camera.viewLevel[1] = 6;
  EXPECT_EQ(w.map->GetViewLevel(), 3);
  w.rig.app.currentSide = 1;
  EXPECT_EQ(w.map->GetViewLevel(), 6);
}

TEST(MapTileTextureIndex, TerrainAndRoadPiecesBySeasonAndSnow) {
  CameraWorld w;
  MapTile tile;
  int32_t second = -5;
  tile.terrain = 13;
  tile.shape = 2;
  w.battle.season = 2;
  EXPECT_EQ(w.map->TileTextureIndex(tile, 0, &second), 93);
  EXPECT_EQ(second, 0);
  w.battle.season = 1;
  EXPECT_EQ(w.map->TileTextureIndex(tile, 0), 87);
  tile.terrain = 16;
  EXPECT_EQ(w.map->TileTextureIndex(tile, 0), 36);
  w.battle.season = 3;
  EXPECT_EQ(w.map->TileTextureIndex(tile, 0), 99);
  tile.terrain = 27;
  EXPECT_EQ(w.map->TileTextureIndex(tile, 0), -1);
  tile.terrain = 3;
  EXPECT_EQ(w.map->TileTextureIndex(tile, 0), -1);
  tile.road = 8;
  tile.roadShape = 3;
  EXPECT_EQ(w.map->TileTextureIndex(tile, 1, &second), 3);
  EXPECT_EQ(second, 0);
  tile.road = 10;
  EXPECT_EQ(w.map->TileTextureIndex(tile, 1), 62);

  w.battle.ground = 7;  // snow
  tile.road = 8;
  EXPECT_EQ(w.map->TileTextureIndex(tile, 1, &second), 16);
  EXPECT_EQ(second, 217);
  EXPECT_EQ(600 + 16 + second, 833);
  tile.terrain = 11;
  tile.shape = 3;
  EXPECT_EQ(w.map->TileTextureIndex(tile, 0, &second), 23);
  EXPECT_EQ(second, 217);
  tile.shape = 0;
  EXPECT_EQ(w.map->TileTextureIndex(tile, 0), 13);
  tile.terrain = 27;
  tile.shape = 1;
  EXPECT_EQ(w.map->TileTextureIndex(tile, 0, &second), 42);
  EXPECT_EQ(second, 179);
  tile.terrain = 12;
  EXPECT_EQ(w.map->TileTextureIndex(tile, 0, &second), 29);
  EXPECT_EQ(second, 0);
  tile.terrain = 14;
  EXPECT_EQ(w.map->TileTextureIndex(tile, 0, &second), 54);
  EXPECT_EQ(second, 197);
}

TEST(MapTileTextureIndexDeathTest, ABadLayerOrSnowPavementShapeIsAProgrammerError) {
  CameraWorld w;
  MapTile tile;
  tile.terrain = 13;
  EXPECT_DEATH(w.map->TileTextureIndex(tile, 2), "");
  w.battle.ground = 6;
  tile.terrain = 11;
  tile.shape = 5;
  EXPECT_DEATH(w.map->TileTextureIndex(tile, 0), "");
}

TEST(MapTintWaterTexture, DarkensWaterOnWetGroundOffSnowAndHandsThePreviousScaleBack) {
  CameraWorld w;
  CurrentRenderer renderer;
  const float base[3] = {1.0f, 0.5f, 0.25f};
  float previous[3] = {};
  renderer.rig.r->SwapColorScale(base, previous);
  const float expected[6] = {0.9f, 0.9f, 0.8f, 0.7f, 0.6f, 0.6f};
  for (int32_t condition = 1; condition <= 6; ++condition) {
    w.battle.ground = condition;
    for (int32_t kind : {7, 8, 9}) {
      float back[3] = {-1.0f, -1.0f, -1.0f};
      const bool tinted = w.map->TintWaterTexture(back, kind);
      const bool wanted = condition >= 2 && condition <= 5 && kind != 7;
      EXPECT_EQ(tinted, wanted) << condition << " " << kind;
      float now[3];
      renderer.rig.r->GetColorScale(now);
      if (wanted) {
        for (int i = 0; i < 3; ++i) {
          EXPECT_FLOAT_EQ(back[i], base[i]);
          EXPECT_FLOAT_EQ(now[i], base[i] * expected[condition - 1]);
        }
        renderer.rig.r->SwapColorScale(back, nullptr);
      } else {
        EXPECT_FLOAT_EQ(back[0], -1.0f);
        EXPECT_FLOAT_EQ(now[0], base[0]);
      }
    }
  }
}

TEST(MapPerspectiveScale, ApparentSizeFallsWithDepthAndGrowsWithZoom) {
  CameraWorld w;
  w.rig.app.screenWidth = 1024;
  Map& map = *w.map;
  map.camera.bearing[0] = 3.14159265f / 2.0f;  // facing +y
  map.camera.height = 15.0f;
  EXPECT_NEAR(map.PerspectiveScaleAt(0.0f, 100.0f, 15.0f), 1024.0f / 5120.0f, 1e-5f);
  // Sideways offsets do not count; a camera high above the point does.
  EXPECT_NEAR(map.PerspectiveScaleAt(40.0f, 100.0f, 15.0f), 0.2f, 1e-5f);
  EXPECT_NEAR(map.PerspectiveScaleAt(0.0f, 10.0f, -185.0f), 0.1f, 1e-5f);
  map.camera.zoom = 2.0f;
  EXPECT_NEAR(map.PerspectiveScaleAt(0.0f, 100.0f, 15.0f), 0.4f, 1e-5f);
  // At the camera itself the depth is held at 0.0001.
  EXPECT_NEAR(map.PerspectiveScaleAt(0.0f, 0.0f, 15.0f), 20.0f / 0.0001f, 1.0f);

  // The detail factor: 0.023 over the scale held within [0.024, 0.2]; 0.5 at far levels.
  map.camera.zoom = 1.0f;
  map.camera.height = 0.0f;
  map.camera.viewLevel[0] = 2;
  EXPECT_NEAR(map.DetailFactorAt(0.0f, 100.0f), 0.023f / 0.2f, 1e-5f);
  EXPECT_NEAR(map.DetailFactorAt(0.0f, 400.0f), 0.023f / 0.05f, 1e-5f);
  EXPECT_NEAR(map.DetailFactorAt(0.0f, 5000.0f), 0.023f / 0.024f, 1e-5f);
  EXPECT_NEAR(map.DetailFactorAt(0.0f, 1.0f), 0.023f / 0.2f, 1e-5f);
  map.camera.viewLevel[0] = 4;
  EXPECT_FLOAT_EQ(map.DetailFactorAt(0.0f, 100.0f), 0.5f);

  float zoom = 0.0f;
  map.camera.x[0] = 1.0f;
  map.camera.y[0] = 2.0f;
  map.camera.height = 3.0f;
  map.camera.zoom = 1.5f;
  EXPECT_FLOAT_EQ(map.CameraDistance(4.0f, 6.0f, 15.0f, &zoom), 13.0f);
  EXPECT_FLOAT_EQ(zoom, 1.5f);
}
