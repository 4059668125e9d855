// Sight lines, lines of fire, shell arcs, the wall in front of a firer and the feature table,
// on small flat maps with hand-placed features, and on a busy battlefield for the order rules.
#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>

#include "MapTestRig.h"
#include "framework/core/GGroup.h"
#include "game/map/FineTerrain.h"
#include "game/map/SightFeatures.h"
#include "game/map/SmokeCloud.h"

namespace {

constexpr float kY = 201.0f;  // the row the straight test lines run along

// Gives the cells whose x lies in [x0, x1) metres, across the whole map, the type.
void FillColumns(Map& map, float x0, float x1, int type) {
  MapGrid<uint16_t>& grid = map.terrain.fineGrid;
  for (int i = static_cast<int>(x0 / 2.0f); i < static_cast<int>(x1 / 2.0f); ++i) {
    for (int j = 0; j < grid.Height(); ++j) {
      uint16_t& cell = grid.At(i, j);
      cell = static_cast<uint16_t>((type << 10) | (cell & 0x3FF));
    }
  }
}

float Pow(float f, int n) {
  float r = 1.0f;
  for (int i = 0; i < n; ++i) r *= f;
  return r;
}

class MapSight : public ::testing::Test {
 protected:
  void SetUp() override {
    battle = &rig.app.MakeBattle();
    map = rig.Default(25, 20);  // 500 x 400 m, flat
    ground = map->ElevationAt(100.0f, kY);
  }
  // Visibility of the line along the test row from x0 to x1.
  float Along(float x0, float x1, bool terrainOnly = false, bool stop = false, float y = kY) {
    float v = -1.0f;
    float d = 0.0f;
    EXPECT_TRUE(map->TraceLine(false, stop, terrainOnly, x0, y, ground, x1, y, ground, v, d));
    return v;
  }
  FakeUnit& AddVehicle(float x, float y, float size) {
    battle->units.push_back(std::make_unique<FakeUnit>(MapUnitView::kVehicle, 0, x, y, ground));
    FakeUnit& unit = *battle->units.back();
    unit.blocksSight = true;
    unit.vehicleSize = size;
    return unit;
  }

  MapRig rig;
  FakeBattle* battle = nullptr;
  std::unique_ptr<Map> map;
  float ground = 0.0f;
};

}  // namespace

TEST(SightFeatureTable, MatchesTheTableRowByRow) {
  struct Row {
    int from, to;
    float height, sight, arc;
  };
  const Row rows[] = {{0, 3, 0.0f, 1.0f, 1.0f},      {4, 4, 0.0f, 1.0f, 0.0f},     {5, 5, 0.0f, 1.0f, 1.0f},
                      {6, 7, 0.0f, 0.955f, 0.97f},   {8, 11, 0.0f, 1.0f, 1.0f},    {12, 12, 2.0f, 0.99f, 0.995f},
                      {13, 13, 6.0f, 0.955f, 0.983f}, {14, 14, 6.0f, 0.91f, 0.96f}, {15, 15, 12.0f, 0.91f, 0.96f},
                      {16, 16, 2.5f, 0.975f, 1.0f},  {17, 17, 2.5f, 0.985f, 0.992f}, {18, 18, 2.5f, 0.99f, 0.99f},
                      {19, 19, 2.5f, 0.9f, 0.9f},    {20, 20, 0.0f, 1.0f, 1.0f},   {21, 21, 6.0f, 0.955f, 0.983f},
                      {22, 22, 6.0f, 0.91f, 0.96f},  {23, 23, 12.0f, 0.91f, 0.96f}, {24, 27, 0.0f, 1.0f, 1.0f},
                      {28, 28, 4.5f, 0.37f, 0.37f},  {29, 30, 0.0f, 1.0f, 1.0f}};
  int covered = 0;
  for (const Row& row : rows) {
    for (int t = row.from; t <= row.to; ++t, ++covered) {
      EXPECT_EQ(SightFeatures::Of(t).height, row.height) << t;
      EXPECT_EQ(SightFeatures::Of(t).sight, row.sight) << t;
      EXPECT_EQ(SightFeatures::Of(t).arc, row.arc) << t;
    }
  }
  EXPECT_EQ(covered, SightFeatures::kTypes);
  EXPECT_DEATH(SightFeatures::Of(31), "");
  EXPECT_DEATH(SightFeatures::Of(-1), "");
}

TEST_F(MapSight, OpenGroundWoodsAndSeasons) {
  EXPECT_EQ(Along(100.0f, 300.0f, true), 1.0f);
  EXPECT_EQ(Along(100.0f, 300.0f, false), 1.0f);
  FillColumns(*map, 190.0f, 210.0f, 14);  // ten samples inside: x = 190 .. 208
  EXPECT_NEAR(Along(100.0f, 300.0f), 0.38942f, 1e-5);
  EXPECT_NEAR(Along(100.0f, 300.0f, true), 0.38942f, 1e-5);
  battle->season = 3;
  EXPECT_NEAR(Along(100.0f, 300.0f), 0.69305f, 1e-5);
  // The battle's factor applies per sample unless terrain only.
  battle->season = 1;
  battle->visibilityFactor = 0.999f;
  const float withFactor = Along(100.0f, 300.0f);
  EXPECT_NEAR(withFactor, 0.38942f * std::pow(0.999f, 100.0f), 1e-3);
  EXPECT_LT(withFactor, 0.38942f);
  EXPECT_NEAR(Along(100.0f, 300.0f, true), 0.38942f, 1e-5);
  // Wheat thins out of summer, not in it.
  FillColumns(*map, 190.0f, 210.0f, 16);
  battle->visibilityFactor = 1.0f;
  EXPECT_NEAR(Along(100.0f, 300.0f), Pow(0.975f, 10), 1e-6);
  battle->season = 0;
  EXPECT_NEAR(Along(100.0f, 300.0f), Pow(0.975f * 0.4f + 0.6f, 10), 1e-6);
}

TEST_F(MapSight, BocageBlocksExceptOnceNearAnEnd) {
  FillColumns(*map, 200.0f, 202.0f, 28);
  EXPECT_EQ(Along(100.0f, 300.0f), 0.0f);
  FillColumns(*map, 200.0f, 202.0f, 0);
  FillColumns(*map, 100.0f, 108.0f, 28);  // samples 100 .. 106, all within the first 8.1 m
  EXPECT_NEAR(Along(100.0f, 300.0f), 0.37f, 1e-6);
  // Above the hedge it costs nothing.
  float v = 0.0f, d = 0.0f;
  ASSERT_TRUE(map->TraceLine(false, false, false, 100.0f, kY, ground + 5.0f, 300.0f, kY, ground + 5.0f, v, d));
  EXPECT_EQ(v, 1.0f);
}

TEST_F(MapSight, BuildingsBlockThroughButNotAtTheEnd) {
  FillColumns(*map, 190.0f, 210.0f, 31);
  // Enters at 190 (0.45), nine samples inside (0.88), the first sample after it blocks.
  EXPECT_NEAR(Along(100.0f, 211.0f), 0.45f * Pow(0.88f, 9), 1e-6);
  EXPECT_EQ(Along(100.0f, 212.5f), 0.0f);
  EXPECT_EQ(Along(100.0f, 300.0f), 0.0f);
  FillColumns(*map, 190.0f, 210.0f, 0);
  // A line ending inside: 0.95 on entering within 8.1 m of its end, then 0.88 a sample.
  FillColumns(*map, 290.0f, 300.0f, 32);
  EXPECT_NEAR(Along(100.0f, 299.0f), 0.95f * Pow(0.88f, 3), 1e-6);
  // A solid tall building blocks at once.
  FillColumns(*map, 290.0f, 300.0f, 35);
  EXPECT_EQ(Along(100.0f, 299.0f), 0.0f);
}

TEST_F(MapSight, RangeLimitAndPointsThatAreNotNumbers) {
  float v = 1.0f, d = 0.0f;
  EXPECT_FALSE(map->TraceLine(false, false, true, 0.0f, 0.0f, 0.0f, 5000.1f, 0.0f, 0.0f, v, d));
  EXPECT_EQ(v, 0.0f);
  EXPECT_NEAR(d, 5000.1f, 1e-3);
  EXPECT_TRUE(map->TraceLine(false, false, true, 0.0f, 0.0f, 0.0f, 4999.9f, 0.0f, 0.0f, v, d));
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  v = 1.0f;
  EXPECT_FALSE(map->TraceLine(false, false, false, nan, kY, ground, 300.0f, kY, ground, v, d));
  EXPECT_EQ(v, 0.0f);
  v = 1.0f;
  EXPECT_FALSE(map->TraceLine(false, true, false, 100.0f, kY, ground, 300.0f, inf, ground, v, d));
  EXPECT_EQ(v, 0.0f);
  // A zero-length line is open.
  EXPECT_TRUE(map->TraceLine(false, true, false, 100.0f, kY, ground, 100.0f, kY, ground, v, d));
  EXPECT_EQ(v, 1.0f);
  EXPECT_EQ(d, 0.0f);
}

TEST_F(MapSight, StopWhenBlockedAndTheCallersOrder) {
  FillColumns(*map, 150.0f, 152.0f, 28);
  FillColumns(*map, 250.0f, 252.0f, 28);
  float v = 1.0f, d = 0.0f, bx = 0.0f, by = 0.0f, bz = 0.0f;
  ASSERT_TRUE(map->TraceLine(false, true, false, 100.0f, kY, ground, 300.0f, kY, ground, v, d, &bx, &by, &bz));
  EXPECT_EQ(v, 0.0f);
  EXPECT_EQ(bx, 150.0f);
  EXPECT_EQ(by, kY);
  EXPECT_NEAR(bz, ground, 1e-4);
  // The caller's start is the end the canonical order moves: the re-trace finds its first block.
  ASSERT_TRUE(map->TraceLine(false, true, false, 300.0f, kY, ground, 100.0f, kY, ground, v, d, &bx, &by, &bz));
  EXPECT_EQ(v, 0.0f);
  EXPECT_EQ(bx, 250.0f);
  // Without the block outputs the answer is the same.
  ASSERT_TRUE(map->TraceLine(false, true, false, 300.0f, kY, ground, 100.0f, kY, ground, v, d));
  EXPECT_EQ(v, 0.0f);
  // The block point is not put below the ground.
  ASSERT_TRUE(map->TraceLine(false, true, false, 100.0f, kY, ground - 1.0f, 300.0f, kY, ground - 1.0f, v, d, &bx,
                             &by, &bz));
  EXPECT_NEAR(bz, map->ElevationAt(150.0f, kY), 1e-4);
}

TEST_F(MapSight, ReTraceThatFindsTheLineOpen) {
  // A solid cell under the low end's first sample: blocked only when traced from that end.
  FillColumns(*map, 100.0f, 102.0f, 35);
  float v = 1.0f, d = 0.0f, bx = 0.0f, by = 0.0f, bz = 0.0f;
  ASSERT_TRUE(map->TraceLine(false, true, false, 300.0f, kY, ground, 100.0f, kY, ground + 2.0f, v, d, &bx, &by, &bz));
  EXPECT_EQ(v, 0.0f);
  EXPECT_FLOAT_EQ(bx, 300.0f + 0.999f * -200.0f);
  EXPECT_EQ(by, kY);
  EXPECT_FLOAT_EQ(bz, ground + 0.999f * 2.0f);
  // The lowered target changes the heights traced but not the reported point.
  ASSERT_TRUE(map->TraceLine(true, true, false, 300.0f, kY, ground, 100.0f, kY, ground + 2.0f, v, d, &bx, &by, &bz));
  EXPECT_FLOAT_EQ(bz, ground + 0.999f * 2.0f);
}

TEST_F(MapSight, EveryTraceStartsClear) {
  // A building at the far end leaves a trace "inside"; a line starting on a bridge cell
  // must not pay for it.
  FillColumns(*map, 290.0f, 300.0f, 31);
  FillColumns(*map, 100.0f, 104.0f, 36);
  const float fresh = Along(100.0f, 250.0f);
  EXPECT_EQ(fresh, 1.0f);
  Along(200.0f, 299.0f);
  EXPECT_EQ(Along(100.0f, 250.0f), fresh);
  // The end-zone flag is not carried over either.
  FillColumns(*map, 240.0f, 250.0f, 32);
  const float intoBuilding = Along(100.0f, 249.0f);
  Along(100.0f, 299.0f);
  EXPECT_EQ(Along(100.0f, 249.0f), intoBuilding);
}

TEST_F(MapSight, TracesCopyTheCellsOnceAndAgainOnlyAfterAChange) {
  EXPECT_EQ(map->SightCellCopies(), 0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Along(100.0f, 300.0f - 10.0f * static_cast<float>(i)), 1.0f);
  EXPECT_EQ(Along(100.0f, 300.0f, true), 1.0f);
  EXPECT_EQ(map->SightCellCopies(), 1);
  // Woods written into the grid between two traces are seen by the next one.
  FillColumns(*map, 180.0f, 190.0f, 15);
  EXPECT_NEAR(Along(100.0f, 300.0f, true), Pow(0.91f, 5), 1e-6);
  EXPECT_EQ(map->SightCellCopies(), 2);
  EXPECT_NEAR(Along(100.0f, 300.0f, true), Pow(0.91f, 5), 1e-6);
  EXPECT_EQ(map->SightCellCopies(), 2);
}

TEST_F(MapSight, VehiclesFireAndSmoke) {
  AddVehicle(200.0f, kY, 3.0f);  // samples 198, 200, 202 lie within its circle
  EXPECT_NEAR(Along(100.0f, 300.0f), Pow(0.83f, 9), 1e-6);
  EXPECT_EQ(Along(100.0f, 300.0f, true), 1.0f);
  battle->units.back()->blocksSight = false;
  EXPECT_EQ(Along(100.0f, 300.0f), 1.0f);
  battle->units.back()->blocksSight = true;
  battle->units.back()->y = kY + 25.0f;  // beyond its circle, though gathered
  EXPECT_EQ(Along(100.0f, 300.0f), 1.0f);
  battle->units.clear();
  // A tile burning with value 3: samples within 8 m of its centre (210, 210) on both axes.
  map->fire.state.SetU8(10, 10, 3);
  EXPECT_NEAR(Along(100.0f, 300.0f, false, false, 207.0f), Pow(0.83f, 9), 1e-6);  // x = 202 .. 218
  EXPECT_EQ(Along(100.0f, 300.0f, false, false, 201.0f), 1.0f);                    // 9 m off the centre
  map->fire.state.SetU8(10, 10, 1);
  EXPECT_NEAR(Along(100.0f, 300.0f, false, false, 207.0f), Pow(0.83f, 5), 1e-6);  // x = 206 .. 214
  EXPECT_EQ(Along(100.0f, 300.0f, true, false, 207.0f), 1.0f);
  map->fire.state.SetU8(10, 10, 0);
  // A smoke cloud counts from its start slice, or always when the replay flags say so.
  map->objects.smallObjects->Append(new SmokeCloud(150.0f, kY, 100, 50, 5.0f));  // x = 146 .. 154
  battle->slice = 50;
  EXPECT_EQ(Along(100.0f, 300.0f), 1.0f);
  battle->replayFlags[1] = true;
  EXPECT_NEAR(Along(100.0f, 300.0f), Pow(0.83f, 5), 1e-6);
  battle->replayFlags[1] = false;
  battle->slice = 100;
  EXPECT_NEAR(Along(100.0f, 300.0f), Pow(0.83f, 5), 1e-6);
  // Counting directly; a missing vehicle list is a programmer's error.
  SightUnitList none;
  EXPECT_EQ(map->CountObstaclesAt(150.0f, kY, &none, {}, false), 0);
  EXPECT_DEATH(map->CountObstaclesAt(150.0f, kY, nullptr, {}, false), "");
}

// Of the vehicles and clouds gathered near a line, only those that can reach one of its points
// are weighed at every sample; the rest change nothing.
TEST_F(MapSight, OnlyObstaclesThatReachTheLineAreWeighed) {
  AddVehicle(200.0f, kY, 3.0f);         // on the line: three samples inside
  AddVehicle(303.0f, kY, 3.0f);         // past the far end by its size: reaches, no sample inside
  AddVehicle(310.0f, kY, 3.0f);         // past the far end, within the gathering margin
  AddVehicle(150.0f, kY + 15.0f, 3.0f);  // beside the line, within the margin
  EXPECT_NEAR(Along(100.0f, 300.0f), Pow(0.83f, 9), 1e-6);
  EXPECT_EQ(map->SightVehiclesWeighed(), 2);
  // Moved onto the line between two traces, the vehicle beside it is weighed and counted.
  battle->units[3]->y = kY;
  EXPECT_NEAR(Along(100.0f, 300.0f), Pow(0.83f, 18), 1e-6);
  EXPECT_EQ(map->SightVehiclesWeighed(), 3);
  // Out of the battle, or no longer blocking sight, it is gone from the next trace.
  battle->units[3]->blocksSight = false;
  EXPECT_NEAR(Along(100.0f, 300.0f), Pow(0.83f, 9), 1e-6);
  EXPECT_EQ(map->SightVehiclesWeighed(), 2);
  battle->units.erase(battle->units.begin());
  EXPECT_EQ(Along(100.0f, 300.0f), 1.0f);
  EXPECT_EQ(map->SightVehiclesWeighed(), 1);
  // A diagonal line gathers the vehicle in its box's far corner but never weighs it.
  battle->units.clear();
  AddVehicle(290.0f, 110.0f, 3.0f);
  float v = 0.0f, d = 0.0f;
  ASSERT_TRUE(map->TraceLine(false, false, false, 100.0f, 100.0f, ground, 300.0f, 300.0f, ground, v, d));
  EXPECT_EQ(v, 1.0f);
  EXPECT_EQ(map->SightVehiclesWeighed(), 0);
  // Clouds likewise: one over the line, one beside it within the margin; a cloud counts over
  // the square of its radius, so one whose corner just reaches the line is weighed too.
  battle->units.clear();
  map->objects.smallObjects->Append(new SmokeCloud(150.0f, kY, 0, 50, 5.0f));
  map->objects.smallObjects->Append(new SmokeCloud(250.0f, kY + 20.0f, 0, 50, 5.0f));
  map->objects.smallObjects->Append(new SmokeCloud(304.5f, kY + 4.5f, 0, 50, 5.0f));
  battle->slice = 10;
  EXPECT_NEAR(Along(100.0f, 300.0f), Pow(0.83f, 5), 1e-6);
  EXPECT_EQ(map->SightCloudsWeighed(), 2);
  // A trace of the terrain alone weighs nothing.
  EXPECT_EQ(Along(100.0f, 300.0f, true), 1.0f);
  EXPECT_EQ(map->SightCloudsWeighed(), 0);
}

TEST_F(MapSight, FirstObstacleAlong) {
  const float z = ground;
  FillColumns(*map, 110.0f, 112.0f, 29);
  EXPECT_EQ(map->FirstObstacleAlong(200.0f, kY, z, 100.0f, kY, z), 29);
  EXPECT_EQ(Along(100.0f, 200.0f), 1.0f);
  FillColumns(*map, 110.0f, 112.0f, 30);
  EXPECT_EQ(map->FirstObstacleAlong(200.0f, kY, z, 100.0f, kY, z), 30);
  FillColumns(*map, 110.0f, 112.0f, 28);
  EXPECT_EQ(map->FirstObstacleAlong(200.0f, kY, z, 100.0f, kY, z), 28);
  // Fired from above the hedge: nothing.
  EXPECT_EQ(map->FirstObstacleAlong(200.0f, kY, z + 10.0f, 100.0f, kY, z + 10.0f), -1);
  FillColumns(*map, 110.0f, 112.0f, 0);
  FillColumns(*map, 116.0f, 118.0f, 29);
  EXPECT_EQ(map->FirstObstacleAlong(200.0f, kY, z, 100.0f, kY, z), -1);
  EXPECT_EQ(map->FirstObstacleAlong(100.0f, kY, z, 100.0f, kY, z), -1);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(map->FirstObstacleAlong(nan, kY, z, 100.0f, kY, z), -1);
  EXPECT_EQ(map->FirstObstacleAlong(5200.0f, kY, z, 100.0f, kY, z), -1);
}

TEST_F(MapSight, ShellArcs) {
  // Zero length: at the target at once; not a number: not traced.
  float x = 100.0f, y = kY, z = ground;
  EXPECT_EQ(map->TraceArc(1.0f, 100.0f, kY, ground, x, y, z), 1.0f);
  EXPECT_EQ(x, 100.0f);
  EXPECT_EQ(z, ground);
  x = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(map->TraceArc(1.0f, 100.0f, kY, ground, x, y, z), 0.0f);
  x = 300.0f;
  EXPECT_EQ(map->TraceArc(std::numeric_limits<float>::infinity(), 100.0f, kY, ground, x, y, z), 0.0f);
  // Wild but finite input ends.
  x = 300.0f, y = kY, z = ground;
  EXPECT_TRUE(std::isfinite(map->TraceArc(1.0e20f, 100.0f, kY, ground, x, y, z)));
  x = 1.0e30f, y = 1.0e30f, z = 0.0f;
  EXPECT_TRUE(std::isfinite(map->TraceArc(5.0f, 1.0e30f - 1.0e24f, 1.0e30f, 0.0f, x, y, z)));
  // Over open ground the shell comes down at its target.
  x = 300.0f, y = kY, z = ground;
  const float reached = map->TraceArc(1.0f, 100.0f, kY, ground, x, y, z);
  EXPECT_NEAR(reached, 1.0f, 1e-3);
  EXPECT_NEAR(x, 300.0f, 1e-3);
  EXPECT_LE(z, map->ElevationAt(x, y));
  // Into deep tall pines it stops after its 30th sample inside and steps back one.
  FillColumns(*map, 100.0f, 500.0f, 15);
  x = 400.0f, y = kY, z = ground;
  map->TraceArc(1.0f, 100.0f, kY, ground, x, y, z);
  EXPECT_FLOAT_EQ(x, 100.0f + 28.0f * 2.0f);
  // A wall of tall building in the way stops it before the wall.
  FillColumns(*map, 100.0f, 500.0f, 0);
  FillColumns(*map, 200.0f, 202.0f, 35);
  x = 300.0f, y = kY, z = ground;
  EXPECT_LT(map->TraceArc(1.0f, 100.0f, kY, ground, x, y, z), 0.5f);
  EXPECT_FLOAT_EQ(x, 198.0f);
}

// ---- The busy battlefield: order never matters ----

TEST(MapSightBusy, SymmetricAndIndependentOfOrder) {
  FakeApp app;
  app.MakeBattle();
  Map& map = BuildBusySightMap(app, 23, 60);  // 1.2 km square
  const auto pairs = SightPairs(map, 7, 10000);
  std::vector<std::array<float, 2>> forward(pairs.size());
  int blocked = 0;
  uint32_t digest = 2166136261u;
  for (size_t i = 0; i < pairs.size(); ++i) {
    const auto& p = pairs[i];
    float v = 0.0f, d = 0.0f, vb = 0.0f, db = 0.0f;
    ASSERT_TRUE(map.TraceLine(false, false, false, p[0], p[1], p[2], p[3], p[4], p[5], v, d));
    ASSERT_TRUE(map.TraceLine(false, false, false, p[3], p[4], p[5], p[0], p[1], p[2], vb, db));
    ASSERT_EQ(std::bit_cast<uint32_t>(v), std::bit_cast<uint32_t>(vb)) << i;
    ASSERT_EQ(std::bit_cast<uint32_t>(d), std::bit_cast<uint32_t>(db)) << i;
    forward[i] = {v, d};
    if (v < 0.3f) ++blocked;
    digest = (digest ^ std::bit_cast<uint32_t>(v)) * 16777619u;
  }
  std::vector<size_t> order(pairs.size());
  std::iota(order.begin(), order.end(), size_t{0});
  uint32_t shuffle = 99;
  for (size_t i = order.size() - 1; i > 0; --i) {
    shuffle = shuffle * 1664525u + 1013904223u;
    std::swap(order[i], order[(shuffle >> 8) % (i + 1)]);
  }
  for (size_t i : order) {
    const auto& p = pairs[i];
    float v = 0.0f, d = 0.0f;
    ASSERT_TRUE(map.TraceLine(false, false, false, p[0], p[1], p[2], p[3], p[4], p[5], v, d));
    ASSERT_EQ(std::bit_cast<uint32_t>(v), std::bit_cast<uint32_t>(forward[i][0])) << i;
    ASSERT_EQ(std::bit_cast<uint32_t>(d), std::bit_cast<uint32_t>(forward[i][1])) << i;
  }
  // A mix of open, thinned and blocked lines.
  EXPECT_GT(blocked, 1000);
  EXPECT_LT(blocked, 9000);
  // The regression digest of every visibility: it changes only when some answer changes.
  EXPECT_EQ(digest, 1018986681u);
}

// A line asked only whether it is seen (stopping when blocked, no block point wanted) is
// weighed without the vehicles, smoke and fire near it first and with them only when found
// open: every answer equals the one weighed with them from the start (as a trace that wants
// the block point still is), bit for bit, on the busy battlefield.
TEST(MapSightBusy, ObstaclesWeighedOnlyForOpenLinesGiveTheSameAnswers) {
  FakeApp app;
  app.MakeBattle();
  Map& map = BuildBusySightMap(app, 23, 60);
  const auto pairs = SightPairs(map, 7, 4000);
  int blocked = 0;
  int weighedAgain = 0;
  int blockedByObstacles = 0;
  for (size_t i = 0; i < pairs.size(); ++i) {
    const auto& p = pairs[i];
    float first = -1.0f, firstDistance = -1.0f;
    ASSERT_TRUE(map.TraceLine(false, true, false, p[0], p[1], p[2], p[3], p[4], p[5], first, firstDistance));
    const int32_t weighed = map.SightVehiclesWeighed() + map.SightCloudsWeighed();
    float all = -1.0f, allDistance = -1.0f, bx = 0.0f, by = 0.0f, bz = 0.0f;
    ASSERT_TRUE(
        map.TraceLine(false, true, false, p[0], p[1], p[2], p[3], p[4], p[5], all, allDistance, &bx, &by, &bz));
    ASSERT_EQ(std::bit_cast<uint32_t>(first), std::bit_cast<uint32_t>(all)) << i;
    ASSERT_EQ(std::bit_cast<uint32_t>(firstDistance), std::bit_cast<uint32_t>(allDistance)) << i;
    if (weighed == 0) {
      blocked += first == 0.0f ? 1 : 0;
    } else {
      ++weighedAgain;
      blockedByObstacles += first == 0.0f ? 1 : 0;
    }
  }
  // Every way is taken often: lines blocked before anything was gathered, and lines open
  // without the obstacles that were weighed again, some of them blocked only by those.
  EXPECT_GT(blocked, 500);
  EXPECT_GT(weighedAgain, 50);
  EXPECT_GT(blockedByObstacles, 10);
}
