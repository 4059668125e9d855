// The battlefield frame: the camera's numbers, the draw states and the order of the passes,
// fog, shake, culling, the backdrop and the terrain's quads, fans and far blocks, on the
// recording device at 1024 x 768.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "MapTestRig.h"
#include "framework/core/Quorl.h"
#include "framework/media/RendererRig.h"
#include "game/map/MapUnitView.h"

namespace {

using Draw = PRecording3DDevice::Call;

// A renderer on the recording device with a 1024 x 768 screen.
struct WideRig {
  PSurface screen{1024, 768, PPixelFormat::kRGB565};
  PRecording3DDevice device;
  GGraph3DHost host{&device, &screen};
  std::unique_ptr<RendererProbe> r;
  WideRig() {
    P3DCaps caps;
    caps.fog = true;
    caps.translucentSortIndependent = true;
    device.SetCaps(caps);
    r = std::make_unique<RendererProbe>(&host);
    r->Init3D();
    device.ClearCalls();
  }
};

// A map of tiles x tiles in a battle, seen by side 0 at level 2 from its south-west quarter;
// flat unless edited. stretch gives it the size in metres of a 250-tile map (the camera's
// numbers read only the size) while its grids stay small.
struct FrameWorld {
  WideRig rig;
  MapRig maps;
  FakeBattle& battle = maps.app.MakeBattle();
  std::unique_ptr<Map> map;

  explicit FrameWorld(int32_t tiles = 8, bool stretch = true) {
    maps.app.screenWidth = 1024;
    maps.app.options[41] = 1;
    map = maps.Default(tiles, tiles);
    if (stretch) {
      map->size.worldWidth = 5000.0f;
      map->size.worldHeight = 5000.0f;
    }
    gGraph3D = rig.r.get();
    Place(2, 1000.0f, 1000.0f, 0.0f);
  }
  ~FrameWorld() { gGraph3D = nullptr; }
  void Place(int32_t level, float x, float y, float bearing) {
    map->camera.viewLevel[0] = level;
    map->camera.x[0] = x;
    map->camera.y[0] = y;
    map->camera.bearing[0] = bearing;
  }
  void Camera() {
    rig.r->LoadIdentity();
    map->SetupCamera();
  }
  int64_t Given() const { return rig.r->FrameTriangles().given; }
  // Whether a drawn vertex lies where the world point projects (the camera as last set up).
  bool Drawn(float x, float y, float z) const {
    float sx = x;
    float sy = y;
    if (!rig.r->ProjectToScreen(&sx, &sy, z, false)) return false;
    for (const Draw* d : rig.device.Draws()) {
      for (int32_t i = 0; i < d->count; ++i) {
        if (std::fabs(d->X(i) - sx) < 0.05f && std::fabs(d->Y(i) - sy) < 0.05f) return true;
      }
    }
    return false;
  }
};

// A unit to lock the view on.
class LockUnit : public FakeUnit {
 public:
  using FakeUnit::FakeUnit;
  float GetViewFacing() const override { return facing; }
  float facing = 0.0f;
};

}  // namespace

TEST(MapFrameCamera, LevelTwoOverALargeMapAndItsHorizonLimits) {
  FrameWorld w;
  w.Camera();
  const Map::Frame& f = w.map->frame;
  EXPECT_FLOAT_EQ(f.fieldOfView, 48.0f);
  EXPECT_FLOAT_EQ(f.nearPlane, 30.0f);
  EXPECT_NEAR(f.farPlane, 7871.07f, 0.01f);
  EXPECT_FLOAT_EQ(f.pitch, 14.5f);
  EXPECT_NEAR(f.eyeX, 907.9f, 0.001f);
  EXPECT_NEAR(f.eyeY, 1000.0f, 0.001f);
  EXPECT_FLOAT_EQ(w.map->camera.height, 55.0f);
  EXPECT_FLOAT_EQ(f.weatherFieldSize, 137.5f);
  EXPECT_FLOAT_EQ(w.maps.app.soundOffset, 131.0f);
  EXPECT_EQ(w.maps.app.projection, (std::array<float, 3>{48.0f, 30.0f, f.farPlane}));
  w.maps.app.inputMode = InputModes::kReplay;
  w.Camera();
  EXPECT_FLOAT_EQ(w.maps.app.soundOffset, 6.0f);

  // Horizon 2: 1500 m at levels 0-3, the map's reach from level 4.
  w.maps.app.options[9] = 2;
  for (int32_t level = 0; level <= 4; ++level) {
    w.Place(level, 1000.0f, 1000.0f, 0.0f);
    w.Camera();
    EXPECT_NEAR(f.farPlane, level < 4 ? 1500.0f : 7871.07f, 0.01f) << level;
  }
  // A blend down from level 5 keeps the far plane beyond level 5's eye.
  w.maps.app.options[9] = 0;
  FrameWorld small(4, false);
  small.Place(7, 40.0f, 40.0f, 0.0f);
  small.Camera();
  EXPECT_FLOAT_EQ(small.map->frame.farPlane, 1650.0f);
}

TEST(MapFrameCamera, DipZoomAndAViewLockedOnAUnit) {
  FrameWorld w;
  w.maps.app.options[40] = -10;
  w.Place(0, 1000.0f, 1000.0f, 0.0f);
  w.Camera();
  EXPECT_FLOAT_EQ(w.map->frame.nearPlane, 1.0f);
  EXPECT_FLOAT_EQ(w.map->frame.pitch, 36.0f);

  w.maps.app.options[40] = 0;
  w.maps.app.options[41] = 4;
  w.Place(1, 1000.0f, 1000.0f, 0.0f);
  w.Camera();
  EXPECT_FLOAT_EQ(w.map->frame.fieldOfView, 12.5f);
  EXPECT_FLOAT_EQ(w.map->frame.pitch, 3.0f);
  EXPECT_FLOAT_EQ(w.map->camera.zoom, 4.0f);

  w.maps.app.options[41] = 1;
  LockUnit unit(MapUnitView::kInfantry, 1, 1000.0f, 1000.0f);
  unit.facing = 90.0f;
  w.map->camera.selectedUnit = &unit;
  w.map->display.needsRedraw = false;
  w.Camera();
  EXPECT_NEAR(w.map->camera.x[0], 1000.0f, 0.001f);
  EXPECT_NEAR(w.map->camera.y[0], 994.0f, 0.001f);
  EXPECT_TRUE(w.map->display.needsRedraw);
  // An enemy the side has not identified loses the lock; the camera stays where it was.
  unit.side = 0;
  unit.identified = false;
  unit.x = 2000.0f;
  w.Camera();
  EXPECT_EQ(w.map->camera.selectedUnit, nullptr);
  EXPECT_NEAR(w.map->camera.y[0], 994.0f, 0.001f);
}

TEST(MapFrameCamera, BadOptionsAndAnUnsetCameraAreHeldAndLoggedOnce) {
  FrameWorld w;
  w.maps.app.options[41] = 3;    // not a zoom: 1
  w.maps.app.options[40] = -30;  // dip held to -10
  w.maps.app.options[4] = 9;     // scale held to 4
  w.maps.app.options[9] = -2;    // horizon held to 0
  w.Place(Map::kViewLevelUnset, 1000.0f, 1000.0f, 0.0f);
  w.Camera();
  EXPECT_EQ(w.map->GetViewLevel(), 3);
  EXPECT_FLOAT_EQ(w.map->camera.x[0], 2500.0f);
  EXPECT_FLOAT_EQ(w.map->camera.bearing[0], 1.5707963f);
  EXPECT_FLOAT_EQ(w.map->frame.fieldOfView, 58.0f);
  EXPECT_FLOAT_EQ(w.map->frame.pitch, 23.0f + 35.0f);
  EXPECT_NEAR(w.map->frame.farPlane, 7871.07f, 0.01f);
  w.map->DrawUnits();
  EXPECT_FLOAT_EQ(w.battle.unitPasses.back()[0], 2.45f);
  w.map->camera.x[0] = std::nanf("");
  w.Camera();
  EXPECT_FLOAT_EQ(w.map->camera.x[0], 2500.0f);
  const auto log = w.maps.Log();
  int32_t optionLines = 0;
  int32_t cameraLines = 0;
  for (const std::string& line : log) {
    optionLines += line.find("Display option") != std::string::npos;
    cameraLines += line.find("Camera not set") != std::string::npos;
  }
  EXPECT_LE(optionLines, 1);
  EXPECT_LE(cameraLines, 1);
}

TEST(MapFrameCamera, FogByWeatherAndTimeOfDay) {
  FrameWorld w;
  w.maps.app.options[12] = 2;
  w.battle.weather = 4;
  w.battle.timeOfDay = 2;
  w.Camera();
  EXPECT_EQ(w.rig.device.State(P3DState::kFogEnable), 1u);
  EXPECT_EQ(w.rig.device.State(P3DState::kFogColor) & 0xFFFFFFu, 0x191919u);
  auto fogEnd = [&w] {
    float end = 0.0f;
    const uint32_t bits = w.rig.device.State(P3DState::kFogTableEnd);
    std::memcpy(&end, &bits, sizeof end);
    return end;
  };
  EXPECT_FLOAT_EQ(fogEnd(), 350.0f);
  w.Place(5, 1000.0f, 1000.0f, 0.0f);
  w.Camera();
  EXPECT_FLOAT_EQ(fogEnd(), 1500.0f);
  w.battle.weather = 0;
  w.Camera();
  EXPECT_EQ(w.rig.device.State(P3DState::kFogEnable), 0u);
}

TEST(MapFrameCamera, ShakeDrawsFromThePresentationsGeneratorAndStopsWithItsOption) {
  FrameWorld w;
  w.maps.app.frameTime = 20;
  w.map->frame.shake = 3.0f;
  SeedRandom(12345u);
  const uint32_t before = RandomState();
  w.maps.app.options[8] = 1;
  for (int32_t n = 0; n < 100; ++n) {
    w.map->frame.shake = std::max(w.map->frame.shake, 0.5f);
    w.Camera();
  }
  EXPECT_EQ(RandomState(), before);
  EXPECT_GT(w.map->frame.shake, 0.0f);
  w.maps.app.options[8] = 0;
  w.Camera();
  EXPECT_EQ(w.map->frame.shake, 0.0f);
  EXPECT_NEAR(w.map->frame.eyeX, 907.9f, 0.001f);
}

TEST(MapFrameCamera, UnitScaleValuesBlendWithTheLevelLeft) {
  FrameWorld w;
  w.maps.app.options[4] = 2;
  w.Place(6, 1000.0f, 1000.0f, 0.0f);
  w.map->DrawUnits();
  EXPECT_EQ(w.battle.unitPasses.back(), (std::array<float, 3>{2.5f, 0.45f, 0.15f}));
  w.map->frame.previousLevel = 5;
  w.map->frame.levelBlend = 0.5f;
  w.map->DrawUnits();
  EXPECT_FLOAT_EQ(w.battle.unitPasses.back()[0], 2.25f);
  // The blend runs down by 3 / frame rate a frame and asks for new culling meanwhile.
  w.maps.app.frameRate = 12.0f;
  w.map->display.needsRedraw = false;
  w.Camera();
  EXPECT_FLOAT_EQ(w.map->frame.levelBlend, 0.25f);
  EXPECT_TRUE(w.map->display.needsRedraw);
  w.Camera();
  EXPECT_EQ(w.map->frame.levelBlend, 0.0f);
}

TEST(MapFrameDraw, DrawStatesAndThePassesInTheirOrder) {
  FrameWorld w(8, false);
  w.Place(2, 80.0f, -40.0f, 1.5707963f);
  FakeApp& app = w.maps.app;
  w.map->display.drawState = 0;
  w.map->Draw();
  EXPECT_FALSE(app.IsSceneDrawn());
  EXPECT_TRUE(app.frameLog.empty());
  EXPECT_TRUE(w.rig.device.Draws().empty());
  app.SetSceneDrawn(true);
  w.map->display.drawState = 1;
  w.map->Draw();
  EXPECT_FALSE(app.IsSceneDrawn());
  EXPECT_EQ(app.frameLog, (std::vector<std::string>{"background@0"}));
  EXPECT_TRUE(w.rig.device.Draws().empty());

  // The picture: backdrop (sky, ground, marker) before the units, the replay's effects,
  // terrain after them, then fire, smoke with its option, and the sounds.
  app.frameLog.clear();
  app.SetSceneDrawn(true);
  app.options[15] = 1;
  w.map->display.drawState = 2;
  w.map->Draw();
  EXPECT_TRUE(app.IsSceneDrawn());
  // Before the units: 4 walls, 4 ground quads, the marker and 8 skirt quads (the eye is south
  // of the map); after them 4 flat blocks.
  EXPECT_EQ(app.frameLog,
            (std::vector<std::string>{"units@34", "effects@34", "fires@42", "smoke@42", "sounds@42"}));

  // The pick frame: units first, then the passes (effects are never picked), the backdrop
  // last without the marker.
  app.frameLog.clear();
  w.rig.r->ResetTriangleCounts();
  w.rig.r->SetPickMode(2, 0, -1, &w.rig.device);
  w.map->Draw();
  w.rig.r->SetPickMode(0, 0, -1, nullptr);
  EXPECT_EQ(app.frameLog, (std::vector<std::string>{"units@0"}));
  EXPECT_EQ(w.Given(), 8 + 8 + 8);

  // The sounds move once a second.
  app.frameLog.clear();
  app.frameTime = 600;
  w.map->Draw();
  w.map->Draw();
  EXPECT_EQ(app.frameLog.back(), "sounds moved@" + app.frameLog.back().substr(app.frameLog.back().find('@') + 1));
  EXPECT_EQ(w.map->frame.soundClock, 200);
}

TEST(MapFrameDraw, BlockStatesChangeOnlyAfterInvalidate) {
  FrameWorld w(16, false);
  w.Place(2, 160.0f, -100.0f, 1.5707963f);
  w.Camera();
  w.map->UpdateViewCulling();
  const auto& states = w.map->terrain.blockViewState;
  // Looking north over the map from its south edge: the near middle block wholly, the
  // far corners not or partly.
  std::string grid;
  for (int32_t j = 3; j >= 0; --j) {
    for (int32_t i = 0; i < 4; ++i) grid += std::to_string(states.At(i, j));
    grid += "/";
  }
  EXPECT_EQ(grid, "2222/1221/1221/1221/");
  const MapGrid<uint8_t> before = states;
  // Turned round, but not yet invalidated: the old states stay.
  w.Place(2, 160.0f, -100.0f, -1.5707963f);
  w.Camera();
  w.map->display.needsRedraw = false;
  w.map->UpdateViewCulling();
  EXPECT_EQ(states.At(1, 0), before.At(1, 0));
  w.map->Invalidate();
  w.map->UpdateViewCulling();
  for (int32_t i = 0; i < 4; ++i)
    for (int32_t j = 0; j < 4; ++j) EXPECT_EQ(states.At(i, j), 0) << i << "," << j;
}

TEST(MapFrameBackdrop, SkyGroundMarkerSkirtsAndExitBands) {
  FrameWorld w;
  auto backdrop = [&w] {
    w.Camera();
    w.rig.r->ResetTriangleCounts();
    w.rig.device.ClearCalls();
    w.map->DrawBackdrop();
    return w.Given();
  };
  // Level 2, horizon unlimited: four walls, four ground quads round the map, the marker.
  EXPECT_EQ(backdrop(), 8 + 8 + 2);
  EXPECT_TRUE(w.rig.r->IsBackfaceCulling());
  w.maps.app.options[9] = 2;
  EXPECT_EQ(backdrop(), 8 + 2 + 2);
  // Level 4: walls only while blending from level 3; level 5 none.
  w.Place(4, 1000.0f, 1000.0f, 0.0f);
  EXPECT_EQ(backdrop(), 4);
  w.map->frame.previousLevel = 3;
  w.map->frame.levelBlend = 1.0f;
  EXPECT_EQ(backdrop(), 12);
  w.map->frame.levelBlend = 0.0f;
  w.Place(5, 1000.0f, 1000.0f, 0.0f);
  EXPECT_EQ(backdrop(), 4);
  // The north exit band from high up (level 7, over a map 400 m a side): flat, 0.5 m over the
  // edge height, one repeat per 40 m along the edge.
  w.maps.app.options[43] = 1;
  w.battle.exitZone = {false, true};
  w.battle.exitEdge = {0, 1};
  w.map->size.worldWidth = 400.0f;
  w.map->size.worldHeight = 400.0f;
  w.Place(7, 200.0f, 300.0f, 0.0f);
  backdrop();
  float uMax = 0.0f;
  for (const Draw* d : w.rig.device.Draws())
    for (int32_t i = 0; i < d->count; ++i) uMax = std::max(uMax, d->U(i));
  EXPECT_FLOAT_EQ(uMax, 10.0f);
  const float edgeHeight = w.map->terrain.edgeMinHeight[1];
  EXPECT_TRUE(w.Drawn(0.0f, 413.0f, edgeHeight + 0.5f));
  EXPECT_TRUE(w.Drawn(400.0f, 400.0f, edgeHeight + 0.5f));
  // Seen from low down it stands up: 13 m at its outer edge.
  w.map->camera.viewLevel[0] = 3;
  w.map->DrawExitZone(1, true);
  EXPECT_TRUE(w.Drawn(0.0f, 413.0f, edgeHeight + 13.0f));
  // Not with an editor open; an edge outside 0..3 is the caller's error.
  w.map->camera.viewLevel[0] = 7;
  EXPECT_EQ(backdrop(), 4 + 2);
  w.maps.app.editorOpen = true;
  EXPECT_EQ(backdrop(), 4);
  EXPECT_DEATH(w.map->DrawExitZone(4, true), "");
}

TEST(MapFrameBackdrop, AnEyeAtTheWestEdgeSeesOneSkirtQuadPerTileFromTheFloorUp) {
  FrameWorld w(250, false);
  w.maps.app.options[9] = 2;
  w.Place(2, 1.0f, 2500.0f, 1.5707963f);
  w.Camera();
  ASSERT_LT(w.map->frame.eyeX, 2.0f);
  w.rig.r->ResetTriangleCounts();
  w.rig.device.ClearCalls();
  w.map->DrawBackdrop();
  EXPECT_EQ(w.Given(), 12 + 2 * 250);
  // The skirt ahead along x = 0 reaches from the floor (3.5 m down) to the edge's heights.
  EXPECT_TRUE(w.Drawn(0.0f, 2700.0f, -3.5f));
  EXPECT_TRUE(w.Drawn(0.0f, 2700.0f, w.map->terrain.vertexHeight.At(0, 135)));
  // Inside the map by more than 2 m: none.
  w.Place(2, 100.0f, 2500.0f, 1.5707963f);
  w.Camera();
  w.rig.r->ResetTriangleCounts();
  w.map->DrawBackdrop();
  EXPECT_EQ(w.Given(), 12);
}

TEST(MapFrameTerrain, FlatBlocksAreOneQuadAndTilesAreFans) {
  FrameWorld w(8, false);
  w.Place(4, 80.0f, 80.0f, 1.5707963f);
  w.Camera();
  w.rig.device.ClearCalls();
  w.map->DrawFlatSquare(2, 1, 1, false);
  EXPECT_TRUE(w.rig.r->Clipping());
  auto draws = w.rig.device.Draws();
  ASSERT_EQ(draws.size(), 1u);
  float u0 = 1.0f, u1 = 0.0f, v0 = 1.0f, v1 = 0.0f;
  for (int32_t i = 0; i < draws[0]->count; ++i) {
    u0 = std::min(u0, draws[0]->U(i));
    u1 = std::max(u1, draws[0]->U(i));
    v0 = std::min(v0, -draws[0]->V(i));
    v1 = std::max(v1, -draws[0]->V(i));
  }
  EXPECT_FLOAT_EQ(u0, 0.012f);
  EXPECT_FLOAT_EQ(u1, 0.988f);
  EXPECT_FLOAT_EQ(v0, 0.012f);
  EXPECT_FLOAT_EQ(v1, 0.988f);

  // Tile (5, 6) as a fan: centre, then the corners round.
  w.rig.device.ClearCalls();
  w.map->DrawTerrainTile(5, 6, false);
  draws = w.rig.device.Draws();
  ASSERT_EQ(draws.size(), 1u);
  ASSERT_EQ(draws[0]->count, 6);
  const float uv[6][2] = {{0.375f, 0.625f}, {0.25f, 0.5f}, {0.25f, 0.75f}, {0.5f, 0.75f}, {0.5f, 0.5f}, {0.25f, 0.5f}};
  for (int32_t i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(draws[0]->U(i), uv[i][0]) << i;
    EXPECT_FLOAT_EQ(-draws[0]->V(i), uv[i][1]) << i;
  }
  float fan[18];
  w.map->terrain.vertexHeight.At(5, 7) = 4.0f;
  w.map->BuildTileFan(5, 6, fan, false, false);
  EXPECT_EQ(fan[0], 110.0f);
  EXPECT_EQ(fan[1], 130.0f);
  EXPECT_EQ(fan[3], 100.0f);
  EXPECT_EQ(fan[4], 120.0f);
  EXPECT_EQ(fan[6], 100.0f);
  EXPECT_EQ(fan[7], 140.0f);
  EXPECT_EQ(fan[8], 4.0f);
  EXPECT_EQ(fan[15], 100.0f);
  EXPECT_EQ(fan[16], 120.0f);
}

TEST(MapFrameTerrain, HeightBandsBindTheirSlots) {
  FrameWorld w(4, false);
  const float s = w.map->size.heightScale;
  for (int32_t n = 0; n < Map::kHeightBands; ++n) w.map->display.heightBand[n] = n;
  EXPECT_EQ(w.map->HeightBandOf(-3.0f * s), 0);
  EXPECT_EQ(w.map->HeightBandOf(0.0f), 1);
  EXPECT_EQ(w.map->HeightBandOf(10.0f), 5);
  EXPECT_EQ(w.map->HeightBandOf(54.0f * s), 19);
  EXPECT_DEATH(w.map->BindHeightTexture(60.0f * s), "");
  w.map->display.heightBand[3] = 7;
  EXPECT_TRUE(w.map->UsesTerrainTexture(7));
  EXPECT_FALSE(w.map->UsesTerrainTexture(3));
}

TEST(MapFrameTerrain, FarBlocksAreOneFanWhenFarOffInBothDirections) {
  // A 60-tile map: block (13, 13) centred at 1080 m, block (1, 1) at 120 m.
  FrameWorld w(60, false);
  w.maps.app.options[9] = 2;
  auto fans = [&w](int32_t i, int32_t j) {
    w.map->frame.farFans = 0;
    w.map->DrawTerrainQuadtree(2, i, j, true);
    return w.map->frame.farFans;
  };
  w.Place(1, 180.0f, 180.0f, 0.785398f);
  EXPECT_EQ(fans(13, 13), 1);
  w.Place(1, 1020.0f, 1020.0f, 3.926991f);
  EXPECT_EQ(fans(1, 1), 1);
  // 500 m east but only 100 m north: full detail.
  w.Place(1, 580.0f, 980.0f, 0.0f);
  EXPECT_EQ(fans(13, 13), 0);
  // Unlimited horizon, or a high view: never.
  w.Place(1, 180.0f, 180.0f, 0.785398f);
  w.maps.app.options[9] = 0;
  EXPECT_EQ(fans(13, 13), 0);
  w.maps.app.options[9] = 2;
  w.Place(4, 180.0f, 180.0f, 0.785398f);
  EXPECT_EQ(fans(13, 13), 0);
}

TEST(MapFrameTerrain, SquaresReachingPastTheEdgeAreDrawnThroughTheirTiles) {
  // A flat 10-tile map: the last blocks are 2 tiles wide, so four whole blocks, four blocks of
  // two 40 m squares and one single square: 13 quads, none reaching past 200 m.
  FrameWorld w(10, false);
  w.Place(5, 100.0f, 100.0f, 1.5707963f);
  w.Camera();
  w.map->terrain.blockViewState.Fill(2);
  w.rig.r->ResetTriangleCounts();
  w.map->DrawTerrain();
  EXPECT_EQ(w.Given(), 26);
  EXPECT_EQ(w.map->frame.blocksTested, 9);
  w.map->terrain.blockViewState.Fill(0);
  w.rig.r->ResetTriangleCounts();
  w.map->DrawTerrain();
  EXPECT_EQ(w.Given(), 0);
}
