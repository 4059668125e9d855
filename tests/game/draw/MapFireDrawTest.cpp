// The flame and smoke passes on the recording renderer: the animation clock, what each view
// level draws for a burning tile, the flame box, the smoke columns and clouds, the puff
// drift, and that nothing shown moves the game's generator.
#include <cmath>
#include <vector>

#include "MapTestRig.h"
#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "framework/media/RendererRig.h"
#include "game/map/Building.h"
#include "game/map/SmokeCloud.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

using Draw = PRecording3DDevice::Call;

// A 6 x 6 tile map seen from 30 m south of tile (2, 3) and 25 m up, every block wholly in
// view, view level 2.
struct FireWorld {
  RecordingRig rig{true};
  MapRig maps;
  FakeBattle& battle = maps.app.MakeBattle();
  std::unique_ptr<Map> map = maps.Default(6, 6);
  float ground = map->ElevationAt(50.0f, 70.0f);

  FireWorld() {
    gGraph3D = rig.r.get();
    rig.r->LookAt(50.0f, 40.0f, ground + 25.0f, 50.0f, 70.0f, ground, 0.0f, 0.0f, 1.0f);
    map->terrain.blockViewState.Fill(2);
    map->camera.viewLevel[0] = 2;
    map->frame.eyeX = 50.0f;
    map->frame.eyeY = 40.0f;
    maps.app.options[15] = 2;
    rig.device.ClearCalls();
  }
  ~FireWorld() { gGraph3D = nullptr; }

  Building& AddBuilding(int32_t type) {
    auto* b = new Building(*map);
    const MapCorner c[4] = {{45.2f, 74.8f}, {54.8f, 74.8f}, {54.8f, 65.2f}, {45.2f, 65.2f}};
    b->Setup(type, ground, false, c);
    map->objects.buildings->Append(b);
    return *b;
  }
  // Triangles handed to the renderer while f runs.
  template <class F>
  int64_t Triangles(F&& f) {
    const auto before = rig.r->FrameTriangles().given;
    f();
    return static_cast<int64_t>(rig.r->FrameTriangles().given - before);
  }
  // Whether a drawn vertex lies where the world point projects.
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
  std::vector<float> Vertices() const {
    std::vector<float> v;
    for (const Draw* d : rig.device.Draws())
      for (int32_t i = 0; i < d->count; ++i) {
        v.push_back(d->X(i));
        v.push_back(d->Y(i));
      }
    return v;
  }
};

TEST(MapFireDraw, TheAnimationClockAdvancesByTheFrameRateAndWraps) {
  FireWorld w;
  Map::fireFrameClock = 0.0f;
  w.maps.app.frameRate = 0.5f;  // held at 1: 9.3 frames a drawn frame
  w.map->DrawBurningTiles();
  EXPECT_FLOAT_EQ(Map::fireFrameClock, 9.3f);
  EXPECT_EQ(w.map->display.animatedFrame, 9);
  w.map->DrawBurningTiles();
  EXPECT_NEAR(Map::fireFrameClock, 0.6f, 1e-5f);
  EXPECT_EQ(w.map->display.animatedFrame, 0);
  w.maps.app.frameRate = 60.0f;
  w.map->DrawBurningTiles();
  EXPECT_NEAR(Map::fireFrameClock, 1.05f, 1e-5f);
  EXPECT_EQ(w.map->display.animatedFrame, 1);
}

TEST(MapFireDraw, GroundWallAndTopViewFlamesOfABurningTile) {
  FireWorld w;
  const uint32_t generator = RandomState();
  w.map->SetTileBurning(2, 3, 3);
  const int32_t p = (2 * 3 + 2 + 3) % 29;
  const Map::DrawTables::Record& r = w.map->display.tables.records[p][0];
  // Ground flames: 16 records of two quads.
  EXPECT_EQ(w.Triangles([&] { w.map->DrawBurningTiles(); }), 64);
  EXPECT_TRUE(w.Drawn(50.0f + r.offsets[0], 70.0f + r.offsets[1], w.map->ElevationAt(50.0f + r.offsets[0], 70.0f + r.offsets[1])));
  EXPECT_TRUE(w.rig.r->Clipping());

  // A standing building of a heavy fire: its walls burn, bases raised twice the offset.
  Building& b = w.AddBuilding(34);
  w.map->SetTileBurning(2, 3, 2);
  w.rig.device.ClearCalls();
  EXPECT_EQ(w.Triangles([&] { w.map->DrawBurningTiles(); }), 64);
  const int32_t c = w.map->display.tables.recordVariant[p][0] & 3;
  const MapCorner& from = b.corners[c];
  const MapCorner& to = b.corners[(c + 1) & 3];
  const float t = r.offsets[0] * 0.05f + 0.5f;
  const float ax = from.x + (to.x - from.x) * t;
  const float ay = from.y + (to.y - from.y) * t;
  const float base = 2.0f * r.phase + w.map->ElevationAt(50.0f, 70.0f);
  EXPECT_TRUE(w.Drawn(ax, ay, base));
  // Collapsed: ground flames again.
  b.destroyed = 1;
  w.rig.device.ClearCalls();
  w.map->DrawBurningTiles();
  EXPECT_FALSE(w.Drawn(ax, ay, base));
  EXPECT_TRUE(w.Drawn(50.0f + r.offsets[0], 70.0f + r.offsets[1], w.map->ElevationAt(50.0f + r.offsets[0], 70.0f + r.offsets[1])));

  // High views: one flame box of two quads.
  w.map->camera.viewLevel[0] = 5;
  EXPECT_EQ(w.Triangles([&] { w.map->DrawBurningTiles(); }), 4);
  // Out of view: nothing.
  w.map->terrain.blockViewState.Fill(0);
  EXPECT_EQ(w.Triangles([&] { w.map->DrawBurningTiles(); }), 0);
  EXPECT_EQ(RandomState(), generator);
}

TEST(MapFireDraw, AFlameBoxHasEightSidesBelowTheHighViews) {
  FireWorld w;
  EXPECT_EQ(w.Triangles([&] { w.map->DrawFlameBox(50.0f, 70.0f, 3.0f, 4.0f, 0.5f, false); }), 16);
  w.map->camera.viewLevel[0] = 4;
  EXPECT_EQ(w.Triangles([&] { w.map->DrawFlameBox(50.0f, 70.0f, 3.0f, 4.0f, 0.5f, true); }), 4);
}

TEST(MapFireDraw, SmokeColumnsAndCloudsByQuality) {
  FireWorld w;
  const uint32_t generator = RandomState();
  w.map->display.tables.steps[(50 * 70 + 50 + 70) % 13] = 0;
  EXPECT_EQ(w.Triangles([&] { w.map->DrawSmokeColumn(-1, 50.0f, 70.0f, 8.0f, false, true); }), 24);
  // The last puff drawn is the lowest: alpha 0.9 at t = 0.
  EXPECT_EQ(w.rig.r->Colour() >> 24, static_cast<uint32_t>(0.9f * 255.0f));
  EXPECT_EQ(w.Triangles([&] { w.map->DrawSmokeColumn(-1, 50.0f, 70.0f, 8.0f, true, false); }), 12);
  w.maps.app.options[15] = 1;
  w.rig.r->SetAlpha(1.0f);
  EXPECT_EQ(w.Triangles([&] { w.map->DrawSmokeColumn(-1, 50.0f, 70.0f, 8.0f, false, true); }), 12);
  EXPECT_EQ(w.Triangles([&] { w.map->DrawSmokeColumn(-1, 50.0f, 70.0f, 8.0f, true, false); }), 6);
  EXPECT_EQ(w.rig.r->Colour() >> 24, 255u);
  // Off the map or out of view: nothing.
  EXPECT_EQ(w.Triangles([&] { w.map->DrawSmokeColumn(-1, -5.0f, 70.0f, 8.0f, false, true); }), 0);
  w.map->terrain.blockViewState.Fill(0);
  EXPECT_EQ(w.Triangles([&] { w.map->DrawSmokeColumn(-1, 50.0f, 70.0f, 8.0f, false, true); }), 0);
  EXPECT_EQ(RandomState(), generator);
}

TEST(MapFireDraw, VehicleSmokePicksItsPuffSetByListPositionModulo13) {
  FireWorld w;
  Map::DrawTables& t = w.map->display.tables;
  for (int32_t i = 0; i < 13; ++i)
    for (int32_t j = 0; j < 12; ++j) t.stepPairs[i][j][0] = static_cast<float>(i) * 0.7f;
  auto drawn = [&](int32_t id) {
    w.rig.device.ClearCalls();
    w.map->DrawSmokeColumn(id, 50.0f, 70.0f, 4.0f, false, true);
    return w.Vertices();
  };
  const std::vector<float> first = drawn(0);
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(drawn(13), first);
  EXPECT_NE(drawn(1), first);
}

TEST(MapFireDraw, ThePuffsDriftAndMoveUpOnceASecond) {
  FireWorld w;
  Map::DrawTables& t = w.map->display.tables;
  t.steps[0] = 1000;
  t.steps[1] = 0;
  t.stepPairs[0][0][0] = 3.0f;
  t.stepValues[0][0] = 100.0f;
  t.stepValues[1][0] = 100.0f;
  w.maps.app.frameTime = 1;
  const uint32_t generator = RandomState();
  w.map->DrawSmoke();
  EXPECT_EQ(RandomState(), generator);
  EXPECT_EQ(t.steps[0], 1);
  EXPECT_NEAR(t.stepPairs[0][1][0], 3.0f, 0.003f);
  EXPECT_NEAR(t.stepValues[0][1], 100.0f, 0.05f);
  EXPECT_GE(t.stepPairs[0][0][0], -0.5f);
  EXPECT_LT(t.stepPairs[0][0][0], 0.5f);
  EXPECT_LE(t.stepPairs[0][0][1], 0.0f);
  EXPECT_GT(t.stepPairs[0][0][1], -1.0f);
  // A set whose timer has not passed the second keeps its puffs in place.
  EXPECT_EQ(t.steps[1], 1);
  EXPECT_NEAR(t.stepValues[1][0], 100.0f, 0.05f);
  // Burning tiles, and clouds lying anywhere on the map, each draw one column.
  w.map->SetTileBurning(2, 3, 1);
  w.map->objects.smallObjects->Append(new SmokeCloud(30.0f, 30.0f, 0, 100, 6.0f));
  w.maps.app.frameTime = 0;
  EXPECT_EQ(w.Triangles([&] { w.map->DrawSmoke(); }), 24 + 12);
  // A burning vehicle of the battle's list smokes; one not burning does not.
  Vehicle burning;
  burning.x = 70.0f;
  burning.y = 90.0f;
  burning.burning = 1;
  burning.sizeFactor = 3.0f;
  Vehicle intact;
  intact.x = 70.0f;
  intact.y = 90.0f;
  w.battle.joined = {&intact, &burning};
  EXPECT_EQ(w.Triangles([&] { w.map->DrawSmoke(); }), 24 + 12 + 24);
}

}  // namespace
