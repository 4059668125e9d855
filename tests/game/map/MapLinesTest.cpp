// Lines and labels over the terrain: the line bands, ribbons broken only where the ground
// rises into them, the step limit, bad ends, and label anchors handed to the view.
#include <cmath>
#include <limits>
#include <set>

#include "OverGroundRig.h"

namespace {

int64_t LineTriangles(OverGroundWorld& w, bool textured, float x0, float y0, float z0, float x1, float y1, float z1) {
  w.r->ResetTriangleCounts();
  w.device.ClearCalls();
  w.map->DrawTerrainLine(textured, false, x0, y0, z0, x1, y1, z1);
  return w.Given();
}

// Raises the fine grid's ground by the metres over [x0, x1) x [y0, y1).
void RaiseGround(Map& map, float x0, float x1, float y0, float y1, float metres) {
  for (auto cx = static_cast<int32_t>(x0 * 0.5f); cx < static_cast<int32_t>(x1 * 0.5f); ++cx) {
    for (auto cy = static_cast<int32_t>(y0 * 0.5f); cy < static_cast<int32_t>(y1 * 0.5f); ++cy) {
      uint16_t& cell = map.terrain.fineGrid.At(cx, cy);
      const uint16_t code = map.HeightToCode(map.CodeToHeight(cell) + metres);
      cell = static_cast<uint16_t>((cell & ~0x3FFu) | code);
    }
  }
}

}  // namespace

TEST(MapLines, StylesPickTheirBandOfTheLineTexture) {
  OverGroundWorld w;
  GGraph3DTexture* line = w.OverGroundTexture(Map::kLineTexture);
  w.map->SetLineStyle(5);
  EXPECT_EQ(w.r->BoundTexture(), line);
  EXPECT_FLOAT_EQ(w.map->overGround.lineTop, 0.15725f);
  EXPECT_FLOAT_EQ(w.map->overGround.lineBottom, 0.1865f);
  w.map->SetLineStyle(0);
  EXPECT_FLOAT_EQ(w.map->overGround.lineTop, 0.001f);
  EXPECT_FLOAT_EQ(w.map->overGround.lineBottom, 0.03025f);
}

TEST(MapLines, AFlatLineIsOneRidgeEitherWayAndAHillBreaksIt) {
  OverGroundWorld w(40);
  w.Place(4, 200.0f, 100.0f, 1.5707963f);
  const float g = w.map->ElevationAt(100.0f, 100.0f);
  w.map->SetLineStyle(5);
  EXPECT_EQ(LineTriangles(w, true, 180.0f, 100.0f, g, 220.0f, 100.0f, g), 4);
  const auto east = w.device.Calls();
  auto draws = w.Draws();
  ASSERT_EQ(draws.size(), 2u);
  // u 0.96 on the ridge and 0.04 on the sides; v the band's top at the start, bottom at the end.
  std::set<std::pair<float, float>> corners;
  for (const auto* d : draws)
    for (const auto& uv : OverGroundWorld::Uvs(*d)) corners.insert(uv);
  EXPECT_EQ(corners, (std::set<std::pair<float, float>>{
                         {0.04f, 0.15725f}, {0.04f, 0.1865f}, {0.96f, 0.15725f}, {0.96f, 0.1865f}}));
  // Lifted 0.7 m from level 4, the ridge 0.25 m above that, the sides 0.5 m out.
  EXPECT_TRUE(w.Drawn(180.0f, 100.0f, g + 0.95f));
  EXPECT_TRUE(w.Drawn(220.0f, 100.5f, g + 0.7f));
  EXPECT_TRUE(w.Drawn(220.0f, 99.5f, g + 0.7f));
  EXPECT_EQ(LineTriangles(w, true, 220.0f, 100.0f, g, 180.0f, 100.0f, g), 4);
  const auto west = w.device.Calls();
  ASSERT_EQ(east.size(), west.size());
  for (size_t i = 0; i < east.size(); ++i) EXPECT_EQ(east[i].vertices, west[i].vertices) << i;

  RaiseGround(*w.map, 190.0f, 210.0f, 90.0f, 110.0f, 5.0f);
  EXPECT_GT(LineTriangles(w, false, 100.0f, 100.0f, g, 300.0f, 100.0f, g), 4);
}

TEST(MapLines, ShortLinesSampleNothingLongOnesStopAtTheStepLimitAndBadEndsDrawNothing) {
  OverGroundWorld w(40);
  w.Place(2, 200.0f, 100.0f, 1.5707963f);
  const float g = w.map->ElevationAt(100.0f, 100.0f);
  // A 3 m line under ground all along is never sampled; a 10 m line with a bump at 5 m is.
  RaiseGround(*w.map, 100.0f, 104.0f, 90.0f, 110.0f, 5.0f);
  EXPECT_EQ(LineTriangles(w, false, 100.0f, 100.0f, g, 103.0f, 100.0f, g), 4);
  EXPECT_EQ(w.map->overGround.lineSteps, 0);
  RaiseGround(*w.map, 204.0f, 206.0f, 90.0f, 110.0f, 5.0f);
  EXPECT_EQ(LineTriangles(w, false, 200.0f, 100.0f, g, 210.0f, 100.0f, g), 8);

  // 20 km over flat ground: 3000 steps, then the rest in one piece.
  EXPECT_EQ(LineTriangles(w, false, 0.0f, 300.0f, g, 20000.0f, 300.0f, g), 4);
  EXPECT_EQ(w.map->overGround.lineSteps, 3001);
  EXPECT_EQ(LineTriangles(w, false, 0.0f, 300.0f, g, 2000.0f, 300.0f, g), 4);
  EXPECT_LE(std::abs(w.map->overGround.lineSteps - 400), 1);

  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(LineTriangles(w, false, nan, 100.0f, g, 300.0f, 100.0f, g), 0);
  EXPECT_EQ(LineTriangles(w, false, 100.0f, 100.0f, g, 300.0f, inf, g), 0);
}

TEST(MapLabels, TheAnchorRisesWithScaleAndTheTextsReachTheViewUnchanged) {
  OverGroundWorld w(40);
  w.Place(2, 200.0f, 100.0f, 1.5707963f);
  const float z = w.map->ElevationAt(200.0f, 200.0f);
  for (int32_t scale : {0, 3}) {
    w.maps.app.options[4] = static_cast<int8_t>(scale);
    w.maps.app.labels.clear();
    w.map->DrawTextAt("2nd Platoon", 7, "Sgt. Moser", -3, 200.0f, 200.0f, z);
    ASSERT_EQ(w.maps.app.labels.size(), 1u);
    float x = 200.0f;
    float y = 200.0f;
    w.r->ProjectToScreen(&x, &y, z + 2.0f + 0.5f * static_cast<float>(scale), false);
    const FakeApp::Label& label = w.maps.app.labels[0];
    EXPECT_EQ(label.x, static_cast<int32_t>(x));
    EXPECT_EQ(label.y, static_cast<int32_t>(y));
    EXPECT_EQ(label.text1, "2nd Platoon");
    EXPECT_EQ(label.code1, 7);
    EXPECT_EQ(label.text2, "Sgt. Moser");
    EXPECT_EQ(label.code2, -3);
  }
  // Behind the eye: no label.
  w.maps.app.labels.clear();
  w.map->DrawTextAt("x", 0, nullptr, 0, 200.0f, -400.0f, z);
  EXPECT_TRUE(w.maps.app.labels.empty());
}
