// The map's point queries: terrain type with craters, concealment, elevation beside and on
// structures, surface height, the map edge in a direction and its bearings, and points far
// off the map or not finite.
#include <cmath>
#include <limits>

#include "MapTestRig.h"
#include "game/map/Crater.h"
#include "game/map/FineTerrain.h"
#include "game/map/Heading.h"
#include "game/map/MapObjectList.h"
#include "game/map/MapPointMemo.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

void SetCell(Map& map, int i, int j, int type, int code) {
  map.terrain.fineGrid.At(i, j) = static_cast<uint16_t>((type << 10) | code);
}

void SetType(Map& map, int i, int j, int type) {
  uint16_t& cell = map.terrain.fineGrid.At(i, j);
  cell = static_cast<uint16_t>((type << 10) | (cell & 0x3FF));
}

Crater* AddCrater(Map& map, float x, float y, float radius, bool index = true) {
  auto* crater = new Crater;
  crater->x = x;
  crater->y = y;
  crater->radius = radius;
  crater->lasting = 1;
  map.objects.craters->Append(crater);
  if (index) map.IndexLastingCrater(*crater);
  return crater;
}

TEST(MapTerrainType, ReadsTheCellUnderThePointAndZeroOffTheGrid) {
  MapRig rig;
  auto map = rig.Default(2, 2);
  SetType(*map, 3, 4, 17);
  EXPECT_EQ(map->TerrainTypeAt(6.0f, 8.0f), 17);
  EXPECT_EQ(map->TerrainTypeAt(7.99f, 9.99f), 17);
  EXPECT_EQ(map->TerrainTypeAt(8.0f, 8.0f), 0);
  SetType(*map, 0, 0, 14);
  // Truncation toward zero: -1.0 falls in cell 0.
  EXPECT_EQ(map->TerrainTypeAt(-1.0f, -1.0f), 14);
  EXPECT_EQ(map->TerrainTypeAt(-2.0f, 0.0f), 0);
  SetType(*map, 19, 19, 25);
  EXPECT_EQ(map->TerrainTypeAt(39.9f, 39.9f), 25);
  for (float bad : {kNaN, kInf, -kInf, 1.0e30f, -1.0e30f}) {
    EXPECT_EQ(map->TerrainTypeAt(bad, 5.0f), bad != bad ? map->TerrainTypeAt(0.0f, 5.0f) : 0);
    EXPECT_TRUE(map->IsConcealingAt(bad, 5.0f, false));
    EXPECT_TRUE(std::isfinite(map->ElevationAt(bad, bad)));
    EXPECT_TRUE(std::isfinite(map->SurfaceHeightAt(bad, 5.0f)));
  }
}

TEST(MapTerrainType, CratersShowByTheGroundAroundThem) {
  MapRig rig;
  auto map = rig.Default(2, 2);
  SetType(*map, 2, 2, 14);
  SetType(*map, 3, 2, 13);
  SetType(*map, 4, 2, 8);
  SetType(*map, 5, 2, 37);
  SetType(*map, 6, 2, 31);
  SetType(*map, 7, 2, 25);
  SetType(*map, 8, 2, 18);
  EXPECT_FALSE(map->HasCraterAt(5.0f, 5.0f));
  AddCrater(*map, 10.0f, 5.0f, 8.0f);
  EXPECT_EQ(map->TerrainTypeAt(5.0f, 5.0f), 3);   // woods
  EXPECT_EQ(map->TerrainTypeAt(7.0f, 5.0f), 2);   // scattered trees
  EXPECT_EQ(map->TerrainTypeAt(9.0f, 5.0f), 1);   // road
  EXPECT_EQ(map->TerrainTypeAt(11.0f, 5.0f), 37);  // bridge: no crater shows
  EXPECT_EQ(map->TerrainTypeAt(13.0f, 5.0f), 31);  // building
  EXPECT_EQ(map->TerrainTypeAt(15.0f, 5.0f), 25);  // water
  EXPECT_EQ(map->TerrainTypeAt(17.0f, 5.0f), 1);   // rough, in the wide set
  EXPECT_EQ(map->TerrainTypeAt(2.5f, 5.0f), 1);    // open ground
  // The square's edges belong to it; beyond them the ground shows.
  EXPECT_TRUE(map->HasCraterAt(2.0f, 13.0f));
  EXPECT_FALSE(map->HasCraterAt(1.99f, 5.0f));
  EXPECT_FALSE(map->HasCraterAt(10.0f, 13.01f));
  EXPECT_EQ(map->TerrainTypeAt(19.0f, 5.0f), 0);
}

TEST(MapTerrainType, CraterBucketsAnswerAsTheWholeListDoes) {
  MapRig rig;
  auto map = rig.Default(10, 10);
  // A long bombardment: craters of every size across the map and past its edges.
  for (int k = 0; k < 300; ++k) {
    float x = static_cast<float>((k * 37) % 200) - 5.0f;
    float y = static_cast<float>((k * 53) % 200) - 5.0f;
    AddCrater(*map, x, y, 0.5f + static_cast<float>(k % 13) * 1.7f);
  }
  AddCrater(*map, 100.0f, 100.0f, -3.0f);  // an empty square holds nothing
  auto scan = [&](float x, float y) {
    for (int32_t i = 0; i < map->objects.craters->Count(); ++i) {
      if (static_cast<const Crater*>(map->objects.craters->GetItem(i))->SquareContains(x, y)) return true;
    }
    return false;
  };
  int inside = 0;
  for (float x = -9.0f; x < 210.0f; x += 0.7f) {
    for (float y = -9.0f; y < 210.0f; y += 1.3f) {
      ASSERT_EQ(map->HasCraterAt(x, y), scan(x, y)) << x << ", " << y;
      inside += scan(x, y) ? 1 : 0;
    }
  }
  EXPECT_GT(inside, 1000);
  // A crater appended without telling the index is still found; so after a rebuild.
  AddCrater(*map, 150.0f, 20.0f, 1.0f, false);
  EXPECT_TRUE(map->HasCraterAt(150.5f, 20.5f));
  map->IndexCraters();
  EXPECT_TRUE(map->HasCraterAt(150.5f, 20.5f));
  EXPECT_FALSE(map->HasCraterAt(kNaN, 20.5f));
}

TEST(MapTerrainType, CratersReadWithTheMapAreIndexed) {
  MapRig rig;
  Map source(rig.app);
  ASSERT_TRUE(source.NewMap(100.0f, 100.0f, nullptr));
  auto* crater = new Crater;
  crater->x = 50.0f;
  crater->y = 30.0f;
  crater->radius = 2.0f;
  crater->lasting = 1;
  source.objects.craters->Append(crater);
  auto map = rig.Read(rig.Write(source));
  EXPECT_TRUE(map->HasCraterAt(51.5f, 31.5f));
  EXPECT_EQ(map->TerrainTypeAt(51.5f, 31.5f), 1);
  EXPECT_FALSE(map->HasCraterAt(52.5f, 31.5f));
}

TEST(MapTerrainType, TypeClassesAndConcealment) {
  const int inClass[] = {0, 5, 6, 7, 8, 13, 14, 15, 16, 17, 20, 21, 22, 23};
  const int wideOnly[] = {9, 10, 11, 18};
  const int concealing[] = {1, 2, 3, 6, 7, 13, 14, 15, 16, 17, 18, 19, 21, 22, 23, 31, 32, 33, 34, 35};
  auto contains = [](const int* begin, const int* end, int t) {
    for (const int* p = begin; p != end; ++p)
      if (*p == t) return true;
    return false;
  };
  for (int t = 0; t <= 44; ++t) {
    bool narrow = contains(std::begin(inClass), std::end(inClass), t);
    bool wide = narrow || contains(std::begin(wideOnly), std::end(wideOnly), t);
    EXPECT_EQ(Map::IsTypeInClass(t, false), narrow) << t;
    EXPECT_EQ(Map::IsTypeInClass(t, true), wide) << t;
    bool hides = contains(std::begin(concealing), std::end(concealing), t);
    EXPECT_EQ(Map::IsConcealingType(t, false), hides) << t;
    EXPECT_EQ(Map::IsConcealingType(t, true), hides && t != 16 && t != 17) << t;
  }
}

TEST(MapTerrainType, NamedSetsOfTypes) {
  for (int t = 0; t <= 44; ++t) {
    EXPECT_EQ(IsStructureTerrain(t), t >= 31) << t;
    EXPECT_EQ(IsBridgeTerrain(t), t >= 36) << t;
    EXPECT_EQ(IsBuildingTerrain(t), t >= 31 && t <= 35) << t;
    EXPECT_EQ(IsTwoLevelBuildingTerrain(t), t == 33 || t == 34) << t;
    EXPECT_EQ(Map::IsRoadType(t), t >= 8 && t <= 10) << t;
    bool barred = t == 4 || t == 12 || t == 18 || (t >= 24 && t <= 30) || t >= 31;
    EXPECT_EQ(IsStampableTerrain(t), !barred) << t;
  }
}

TEST(MapConcealment, OffTheMapConcealsAndOnItTheTerrainDecides) {
  MapRig rig;
  auto map = rig.Default(2, 2);
  SetType(*map, 1, 1, 14);
  SetType(*map, 2, 1, 16);
  EXPECT_TRUE(map->IsConcealingAt(-0.1f, 5.0f, false));
  EXPECT_TRUE(map->IsConcealingAt(40.0f, 5.0f, false));
  EXPECT_TRUE(map->IsConcealingAt(5.0f, 40.0f, true));
  EXPECT_FALSE(map->IsConcealingAt(0.0f, 0.0f, false));
  EXPECT_TRUE(map->IsConcealingAt(3.0f, 3.0f, true));
  EXPECT_TRUE(map->IsConcealingAt(5.0f, 3.0f, false));
  EXPECT_FALSE(map->IsConcealingAt(5.0f, 3.0f, true));
}

// A 2 x 2 tile map whose cells rise 1 code per cell along x.
std::unique_ptr<Map> Ramp(MapRig& rig) {
  auto map = rig.Default(2, 2);
  for (int i = 0; i < 20; ++i)
    for (int j = 0; j < 20; ++j) SetCell(*map, i, j, 0, 400 + i);
  return map;
}

TEST(MapElevation, BilinearBetweenTheFourCellsAroundThePoint) {
  MapRig rig;
  auto map = Ramp(rig);
  const float step = map->CodeToHeight(401) - map->CodeToHeight(400);
  EXPECT_FLOAT_EQ(map->ElevationAt(10.0f, 7.0f), map->CodeToHeight(405));
  EXPECT_NEAR(map->ElevationAt(11.0f, 7.0f), map->CodeToHeight(405) + 0.5f * step, 1e-4f);
  EXPECT_NEAR(map->ElevationAt(11.5f, 3.3f), map->CodeToHeight(405) + 0.75f * step, 1e-4f);
}

TEST(MapElevation, PointsOnAndBeyondTheEdgesAreSampledJustInside) {
  MapRig rig;
  auto map = Ramp(rig);
  const float w = map->size.worldWidth;
  EXPECT_EQ(map->ElevationAt(0.0f, 13.0f), map->ElevationAt(0.01f, 13.0f));
  EXPECT_EQ(map->ElevationAt(-50.0f, 13.0f), map->ElevationAt(0.01f, 13.0f));
  EXPECT_EQ(map->ElevationAt(w, 13.0f), map->ElevationAt(w - 0.01f, 13.0f));
  EXPECT_EQ(map->ElevationAt(1.0e30f, 13.0f), map->ElevationAt(w - 0.01f, 13.0f));
  EXPECT_EQ(map->ElevationAt(kInf, kInf), map->ElevationAt(w - 0.01f, 39.99f));
  EXPECT_EQ(map->ElevationAt(kNaN, 13.0f), map->ElevationAt(0.01f, 13.0f));
  // The last cell column has no neighbour beyond it: it stands alone.
  EXPECT_FLOAT_EQ(map->ElevationAt(w, 13.0f), map->CodeToHeight(419));
}

TEST(MapElevation, StructuresAndGroundDoNotMix) {
  MapRig rig;
  auto map = rig.Default(2, 2);
  const float ground = map->CodeToHeight(379);
  SetCell(*map, 10, 10, 31, 500);
  SetCell(*map, 11, 10, 31, 520);
  // Beside the building the ground keeps its height.
  EXPECT_FLOAT_EQ(map->ElevationAt(19.0f, 19.0f), ground);
  EXPECT_FLOAT_EQ(map->ElevationAt(21.0f, 19.5f), ground);
  // On the building only its own cells count: its floor.
  EXPECT_FLOAT_EQ(map->ElevationAt(20.0f, 21.0f), map->CodeToHeight(500));
  EXPECT_NEAR(map->ElevationAt(21.0f, 20.5f), (map->CodeToHeight(500) + map->CodeToHeight(520)) * 0.5f, 1e-4f);
  // A bridge is a structure too.
  SetCell(*map, 4, 4, 37, 700);
  EXPECT_FLOAT_EQ(map->ElevationAt(9.0f, 9.0f), map->CodeToHeight(700));
  EXPECT_FLOAT_EQ(map->ElevationAt(7.0f, 7.0f), ground);
}

TEST(MapElevation, SurfaceStandsSixMetresUpOnUpperFloors) {
  MapRig rig;
  auto map = rig.Default(2, 2);
  SetCell(*map, 3, 3, 35, 500);
  SetCell(*map, 5, 5, 33, 500);
  SetCell(*map, 7, 7, 32, 500);
  EXPECT_FLOAT_EQ(map->SurfaceHeightAt(7.0f, 7.0f), map->ElevationAt(7.0f, 7.0f) + 6.0f);
  EXPECT_FLOAT_EQ(map->SurfaceHeightAt(11.0f, 11.0f), map->ElevationAt(11.0f, 11.0f) + 6.0f);
  EXPECT_FLOAT_EQ(map->SurfaceHeightAt(15.0f, 15.0f), map->ElevationAt(15.0f, 15.0f));
  EXPECT_FLOAT_EQ(map->SurfaceHeightAt(25.0f, 15.0f), map->ElevationAt(25.0f, 15.0f));
}

// A unit's memo of the map's answers must never give a stale one: whatever changed since (a
// cell's type or height, a crater, another map, the point) it answers as the map does.
TEST(MapPointMemo, AnswersAsTheMapDoesWhateverChanged) {
  MapRig rig;
  auto map = rig.Default(2, 2);
  auto other = rig.Default(2, 2);
  MapPointMemo memo;
  const auto same = [&](const Map& m, float x, float y) {
    EXPECT_EQ(m.TerrainTypeAt(x, y, memo), m.TerrainTypeAt(x, y)) << x << ", " << y;
    EXPECT_EQ(m.CellTypeAt(x, y, memo), m.CellTypeAt(x, y)) << x << ", " << y;
    EXPECT_EQ(m.ElevationAt(x, y, memo), m.ElevationAt(x, y)) << x << ", " << y;
  };
  same(*map, 6.5f, 8.5f);
  SetCell(*map, 3, 4, 17, 700);
  same(*map, 6.5f, 8.5f);
  same(*map, 7.5f, 8.5f);  // the same cell, another point
  same(*map, 30.0f, 30.0f);  // a second cell, then both again
  same(*map, 6.5f, 8.5f);
  same(*map, 30.0f, 30.0f);
  same(*map, 20.5f, 12.5f);  // more cells than the memo keeps, each changed after it was kept
  same(*map, 36.5f, 2.5f);
  SetType(*map, 3, 4, 21);
  SetType(*map, 18, 1, 22);
  same(*map, 6.5f, 8.5f);
  same(*map, 36.5f, 2.5f);
  same(*map, 20.5f, 12.5f);
  AddCrater(*map, 6.5f, 8.5f, 3.0f);
  same(*map, 6.5f, 8.5f);
  SetType(*map, 3, 4, 33);
  same(*map, 6.5f, 8.5f);
  same(*other, 6.5f, 8.5f);  // another map at the same point
  same(*map, 6.5f, 8.5f);
  for (float bad : {kNaN, kInf, -1.0e30f}) {
    EXPECT_EQ(map->TerrainTypeAt(bad, 5.0f, memo), map->TerrainTypeAt(bad, 5.0f));
    EXPECT_TRUE(std::isfinite(map->ElevationAt(bad, bad, memo)));
  }
}

TEST(MapEdges, EdgeInDirectionFromAnyPoint) {
  MapRig rig;
  auto map = rig.Default(10, 5);  // 200 x 100 m
  for (float x : {0.0f, 10.0f, 100.0f, 199.0f, 200.0f, -30.0f, 500.0f}) {
    for (float y : {0.0f, 50.0f, 99.0f, 100.0f}) {
      EXPECT_EQ(map->EdgeInDirection(x, y, 0.0f), 2) << x << ", " << y;
    }
  }
  // 180 degrees is not exact in float: a hair off the axis, toward the low edge.
  EXPECT_EQ(map->EdgeInDirection(100.0f, 50.0f, 180.0f), 0);
  // Bearings grow from x toward y: 90 points at the edge y = height, 270 at y = 0.
  EXPECT_EQ(map->EdgeInDirection(100.0f, 50.0f, 90.0f), 1);
  EXPECT_EQ(map->EdgeInDirection(100.0f, 50.0f, 270.0f), 3);
  EXPECT_EQ(map->EdgeInDirection(100.0f, 50.0f, 45.0f), 1);
  EXPECT_EQ(map->EdgeInDirection(180.0f, 50.0f, 45.0f), 2);
  EXPECT_EQ(map->EdgeInDirection(100.0f, 50.0f, 135.0f), 1);
  EXPECT_EQ(map->EdgeInDirection(10.0f, 50.0f, 135.0f), 0);
  EXPECT_EQ(map->EdgeInDirection(100.0f, 50.0f, 225.0f), 3);
  EXPECT_EQ(map->EdgeInDirection(10.0f, 50.0f, 225.0f), 0);
  EXPECT_EQ(map->EdgeInDirection(100.0f, 50.0f, 315.0f), 3);
  EXPECT_EQ(map->EdgeInDirection(190.0f, 50.0f, 315.0f), 2);
  EXPECT_GE(map->EdgeInDirection(kNaN, kNaN, 33.0f), 0);
  EXPECT_LE(map->EdgeInDirection(kNaN, kNaN, 33.0f), 3);
}

TEST(MapEdges, BearingsOfEachEdgeAndItsDistance) {
  MapRig rig;
  auto map = rig.Default(10, 5);  // 200 x 100 m
  float from = 0.0f;
  float to = 0.0f;
  float distance = 0.0f;
  map->EdgeBearings(100.0f, 50.0f, 2, from, to, distance);
  EXPECT_FLOAT_EQ(from, HeadingDegrees(100.0f, -50.0f));
  EXPECT_FLOAT_EQ(to, HeadingDegrees(100.0f, 50.0f) + 360.0f);
  EXPECT_FLOAT_EQ(distance, 100.0f);
  EXPECT_GT(to, 360.0f);
  map->EdgeBearings(100.0f, 50.0f, 1, from, to, distance);
  EXPECT_FLOAT_EQ(from, 26.565052f);
  EXPECT_FLOAT_EQ(to, 153.43495f);
  EXPECT_FLOAT_EQ(distance, 50.0f);
  map->EdgeBearings(100.0f, 50.0f, 0, from, to, distance);
  EXPECT_FLOAT_EQ(from, 153.43495f);
  EXPECT_FLOAT_EQ(to, 206.56505f);
  EXPECT_FLOAT_EQ(distance, 100.0f);
  map->EdgeBearings(100.0f, 30.0f, 3, from, to, distance);
  EXPECT_FLOAT_EQ(from, HeadingDegrees(-100.0f, -30.0f));
  EXPECT_FLOAT_EQ(to, HeadingDegrees(100.0f, -30.0f));
  EXPECT_FLOAT_EQ(distance, 30.0f);
  // Any other edge number reads as edge 2.
  map->EdgeBearings(100.0f, 50.0f, 7, from, to, distance);
  EXPECT_FLOAT_EQ(to, HeadingDegrees(100.0f, 50.0f) + 360.0f);
}

TEST(MapHeading, QuadrantsAndTheVerticals) {
  EXPECT_EQ(HeadingDegrees(0.0f, 5.0f), 90.0f);
  EXPECT_EQ(HeadingDegrees(0.0f, 0.0f), 90.0f);
  EXPECT_EQ(HeadingDegrees(0.0f, -5.0f), 270.0f);
  EXPECT_EQ(HeadingDegrees(-1.0f, 0.0f), 180.0f);
  EXPECT_EQ(HeadingDegrees(1.0f, 0.0f), 0.0f);
  EXPECT_FLOAT_EQ(HeadingDegrees(1.0f, -1.0f), 315.0f);
  EXPECT_FLOAT_EQ(HeadingDegrees(1.0f, 1.0f), 45.0f);
  EXPECT_FLOAT_EQ(HeadingDegrees(-1.0f, 1.0f), 135.0f);
  EXPECT_FLOAT_EQ(HeadingDegrees(-1.0f, -1.0f), 225.0f);
}

}  // namespace
