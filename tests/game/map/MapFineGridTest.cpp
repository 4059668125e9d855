// The fine grid of 2 m cells: height codes, the build from the tiles' shapes and roads, the
// road ends, the triangle and tile stamps, the cell-writing rules and the steep edges.
#include <cmath>
#include <limits>

#include "MapTestRig.h"
#include "framework/core/Crc32.h"
#include "game/map/FineTerrain.h"

namespace {

int TypeAt(const Map& map, int i, int j) { return FineTerrain::TypeOf(map.terrain.fineGrid.At(i, j)); }
int CodeAt(const Map& map, int i, int j) { return FineTerrain::HeightCodeOf(map.terrain.fineGrid.At(i, j)); }

// Cells of the given type in one tile.
int CountInTile(const Map& map, int tx, int ty, int type) {
  int n = 0;
  for (int i = 0; i < 10; ++i)
    for (int j = 0; j < 10; ++j) n += TypeAt(map, tx * 10 + i, ty * 10 + j) == type ? 1 : 0;
  return n;
}

int CountInGrid(const Map& map, int type) {
  int n = 0;
  for (int i = 0; i < map.terrain.fineGrid.Width(); ++i)
    for (int j = 0; j < map.terrain.fineGrid.Height(); ++j) n += TypeAt(map, i, j) == type ? 1 : 0;
  return n;
}

void SetType(Map& map, int i, int j, int type) {
  uint16_t& cell = map.terrain.fineGrid.At(i, j);
  cell = static_cast<uint16_t>((type << 10) | (cell & 0x3FF));
}

TEST(MapHeightCodes, EndsOfTheRangeAndHeightsBelowIt) {
  MapRig rig;
  auto map = rig.Default(4, 4);
  const float h = map->size.heightScale;
  EXPECT_EQ(map->HeightToCode(54.0f * h), 1023);
  EXPECT_EQ(map->HeightToCode(80.0f * h), 1023);
  EXPECT_EQ(map->HeightToCode(-3.0f * h), 0);
  // Lower than the grid holds (the editor's height tools make such levels): the lowest code.
  EXPECT_EQ(map->HeightToCode(-10.0f * h), 0);
  EXPECT_EQ(map->HeightToCode(-1.0e30f), 0);
  EXPECT_EQ(map->HeightToCode(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(map->HeightToCode(std::numeric_limits<float>::infinity()), 1023);
  // 15.1 m: (15.1 / 0.8333333 + 3) / 57 x 1024 = 379.4.
  EXPECT_EQ(map->HeightToCode(15.1f), 379);
}

TEST(MapHeightCodes, MapWithLevelsBelowTheGridReadsWithTheLowestCode) {
  MapRig rig;
  auto map = rig.Build(4, 4, [](Map& m) {
    for (int x = 0; x < 4; ++x)
      for (int y = 0; y < 4; ++y) m.terrain.tileHeight.At(x, y) = Levels(-2.0f);
  });
  ASSERT_TRUE(map->terrain.fineGrid.IsSized());
  EXPECT_EQ(CodeAt(*map, 5, 5), 0);
  EXPECT_EQ(CodeAt(*map, 35, 35), 0);
  EXPECT_FLOAT_EQ(map->ElevationAt(70.0f, 10.0f), map->CodeToHeight(0));
}

TEST(MapHeightCodes, TableFollowsTheMapsOwnScale) {
  MapRig rig;
  auto map = rig.Default(4, 4);
  EXPECT_FLOAT_EQ(map->CodeToHeight(0), -3.0f * 0.8333333f);
  EXPECT_FLOAT_EQ(map->CodeToHeight(1023), 54.0f * 0.8333333f);
  map->size.heightScale = 2.0f;
  map->BuildHeightTable();
  for (int code : {0, 1, 379, 512, 1023}) {
    EXPECT_EQ(map->CodeToHeight(code), (static_cast<float>(code) * 3.0f * (19.0f / 1023.0f) - 3.0f) * 2.0f) << code;
  }
  // Forward and back may lose a step (the code multiplies by 1024, the table divides by 1023).
  uint16_t code = map->HeightToCode(33.3f);
  EXPECT_LE(std::fabs(map->CodeToHeight(code) - 33.3f), 2.0f * 57.0f / 1023.0f * 2.0f);
}

TEST(MapFineGridBuild, DefaultMapHoldsOneHeightEverywhere) {
  MapRig rig;
  auto map = rig.Default();
  const auto& grid = map->terrain.fineGrid;
  ASSERT_EQ(grid.Width(), 400);
  ASSERT_EQ(grid.Height(), 400);
  for (int i = 0; i < 400; ++i)
    for (int j = 0; j < 400; ++j) ASSERT_EQ(grid.At(i, j), 379) << i << ", " << j;
  for (float x : {0.0f, 1.0f, 333.3f, 799.99f, 800.0f, -5.0f})
    for (float y : {0.0f, 17.7f, 400.0f, 799.0f, 1.0e9f}) EXPECT_NEAR(map->ElevationAt(x, y), 15.0978f, 1e-4f);
}

TEST(MapFineGridBuild, WheatFillsTheTileAndRoughTakesTheRoundPatch) {
  MapRig rig;
  auto map = rig.Default(3, 3);
  MapTile& wheat = map->terrain.tiles.At(0, 0);
  wheat.terrain = 16;
  wheat.shape = 5;
  wheat.rotation = 2;
  MapTile& rough = map->terrain.tiles.At(1, 1);
  rough.terrain = 18;
  rough.shape = 0;
  rough.rotation = 0;
  MapTile& woods = map->terrain.tiles.At(2, 2);
  woods.terrain = 14;
  woods.shape = 5;
  woods.rotation = 1;
  map->BuildFineGrid();
  EXPECT_EQ(CountInTile(*map, 0, 0, 16), 100);
  // The round patch: 4 + 6 + 8 + 10 x 4 + 8 + 6 + 4 cells, the corners open.
  EXPECT_EQ(CountInTile(*map, 1, 1, 18), 76);
  EXPECT_EQ(TypeAt(*map, 10, 10), 0);
  EXPECT_EQ(TypeAt(*map, 19, 19), 0);
  EXPECT_EQ(TypeAt(*map, 15, 15), 18);
  EXPECT_EQ(TypeAt(*map, 10, 13), 18);
  // Shape 5 (the lone patch) has 52 cells in any rotation; the rest is open ground.
  EXPECT_EQ(CountInTile(*map, 2, 2, 14), 52);
  EXPECT_EQ(CountInTile(*map, 2, 2, 0), 48);
}

TEST(MapFineGridBuild, SlopedTileHeightsFollowItsFourTriangles) {
  MapRig rig;
  auto map = rig.Default(2, 2);
  // Tile (0, 0): centre 10 m, corners 0 except (1, 1) at 20 m.
  map->terrain.tileHeight.At(0, 0) = 10.0f;
  for (int x = 0; x <= 2; ++x)
    for (int y = 0; y <= 2; ++y) map->terrain.vertexHeight.At(x, y) = 0.0f;
  map->terrain.vertexHeight.At(1, 1) = 20.0f;
  map->BuildFineGrid();
  // Cell (0, 0) samples the corner (0, 0): 0 m (+0.1); cell (5, 5) the centre: 10 m.
  EXPECT_EQ(CodeAt(*map, 0, 0), map->HeightToCode(0.1f));
  EXPECT_EQ(CodeAt(*map, 5, 5), map->HeightToCode(10.1f));
  // (16, 4) lies in the triangle of the centre, corner (1, 0) at 0 and corner (0, 0) at 0.
  EXPECT_EQ(CodeAt(*map, 8, 2), map->HeightToCode(10.0f - 10.0f * 0.6f + 0.1f));
  // (16, 16) lies in the triangle of the centre, corner (1, 1) at 20 and corner (1, 0) at 0.
  EXPECT_EQ(CodeAt(*map, 8, 8), map->HeightToCode(16.0f + 0.1f));
}

TEST(MapFineGridBuild, RoadsAreStampedOverTheTerrainKeepingItsHeight) {
  MapRig rig;
  auto map = rig.Build(3, 3, [](Map& m) {
    m.terrain.tiles.At(1, 1).code = 16;  // wheat fills its tile whatever its neighbours
    m.terrain.tiles.At(1, 1).roadCode = 45;  // type 8, straight along y
  });
  // Road mask 0: columns 2..7 of every row; rotation 0 puts columns along x.
  for (int i = 0; i < 10; ++i) {
    for (int j = 0; j < 10; ++j) {
      int expected = (i >= 2 && i <= 7) ? 8 : 16;
      EXPECT_EQ(TypeAt(*map, 10 + i, 10 + j), expected) << i << ", " << j;
      EXPECT_EQ(CodeAt(*map, 10 + i, 10 + j), CodeAt(*map, 0, 0));
    }
  }
}

TEST(MapRoadEnds, CornerFlagStampsTheTenNearestCells) {
  MapRig rig;
  auto map = rig.Build(3, 3, [](Map& m) {
    m.terrain.tiles.At(1, 0).roadCode = 45 + 3;  // type 8, pattern 3: reaches corner 0 of the tile below
  });
  const MapTile& tile = map->terrain.tiles.At(1, 1);
  EXPECT_EQ(tile.roadEnds[0][1], 1);
  EXPECT_EQ(CountInTile(*map, 1, 1, 8), 10);
  for (int i = 0; i < 10; ++i)
    for (int j = 0; j < 10; ++j) EXPECT_EQ(TypeAt(*map, 10 + i, 10 + j) == 8, i + j <= 3) << i << ", " << j;
}

TEST(MapRoadEnds, FlagWhoseProbeCarriesTheRoadIsClearedAndStampsNothing) {
  MapRig rig;
  auto map = rig.Default(2, 2);
  // Corner 2 (high x, high y) of tile (0, 0) has its probe at cell (8, 8).
  SetType(*map, 8, 8, 9);
  map->terrain.tiles.At(0, 0).roadEnds[2][0] = 1;
  map->terrain.tiles.At(1, 1).roadEnds[3][0] = 1;  // probe (18, 11) is open: stamped
  // The marking pass runs first; with no stored road codes it sets nothing more.
  map->terrain.storedRoadCode = new GDynamicArray;
  map->terrain.storedRoadCode->Init(1, 2, 2);
  map->terrain.storedRoadCode->Zero();
  map->StampRoadEnds();
  SafeDelete(map->terrain.storedRoadCode);
  EXPECT_EQ(map->terrain.tiles.At(0, 0).roadEnds[2][0], 0);
  EXPECT_EQ(CountInTile(*map, 0, 0, 9), 1);
  EXPECT_EQ(map->terrain.tiles.At(1, 1).roadEnds[3][0], 1);
  EXPECT_EQ(CountInTile(*map, 1, 1, 9), 10);
  EXPECT_EQ(TypeAt(*map, 19, 10), 9);
  EXPECT_EQ(TypeAt(*map, 16, 10), 9);
  EXPECT_EQ(TypeAt(*map, 15, 10), 0);
}

TEST(MapRoadEnds, LaterRoadKindsOverwriteEarlierOnes) {
  MapRig rig;
  auto map = rig.Default(1, 1);
  map->terrain.storedRoadCode = new GDynamicArray;
  map->terrain.storedRoadCode->Init(1, 1, 1);
  map->terrain.storedRoadCode->Zero();
  MapTile& tile = map->terrain.tiles.At(0, 0);
  // Kinds in painting order: 0 (type 9), 1 (type 8), 2 (type 10).
  tile.roadEnds[0][0] = 1;
  tile.roadEnds[0][1] = 1;
  tile.roadEnds[1][0] = 1;
  tile.roadEnds[1][2] = 1;
  map->StampRoadEnds();
  SafeDelete(map->terrain.storedRoadCode);
  EXPECT_EQ(TypeAt(*map, 0, 0), 8);
  EXPECT_EQ(TypeAt(*map, 0, 9), 10);
  EXPECT_EQ(CountInTile(*map, 0, 0, 8), 10);
  EXPECT_EQ(CountInTile(*map, 0, 0, 10), 10);
  EXPECT_EQ(CountInTile(*map, 0, 0, 9), 0);
}

TEST(MapStamps, TriangleStampsTheCellsWhoseSamplesLieInsideOrOnItsEdges) {
  MapRig rig;
  auto map = rig.Default(2, 2);
  map->StampTriangle({0.0f, 0.0f, 0.0f}, {10.0f, 0.0f, 0.0f}, {0.0f, 10.0f, 0.0f}, 17, 0.0f);
  EXPECT_EQ(CountInGrid(*map, 17), 21);
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 8; ++j) EXPECT_EQ(TypeAt(*map, i, j) == 17, i + j <= 5) << i << ", " << j;
  EXPECT_EQ(CodeAt(*map, 0, 0), 379);
}

TEST(MapStamps, TriangleOffTheGridIsSkippedAndBridgesTakeTheirHeight) {
  MapRig rig;
  auto map = rig.Default(2, 2);
  map->StampTriangle({-30.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, -30.0f, 0.0f}, 17, 0.0f);
  EXPECT_EQ(TypeAt(*map, 0, 0), 17);
  EXPECT_EQ(CountInGrid(*map, 17), 1);
  map->StampTriangle({1.0e30f, 0.0f, 0.0f}, {std::numeric_limits<float>::infinity(), 5.0f, 0.0f}, {1.0e30f, 9.0f, 0.0f}, 17, 0.0f);
  EXPECT_EQ(CountInGrid(*map, 17), 1);
  map->StampTriangle({20.0f, 20.0f, 0.0f}, {24.0f, 20.0f, 0.0f}, {20.0f, 24.0f, 0.0f}, 37, 6.0f);
  EXPECT_EQ(TypeAt(*map, 10, 10), 37);
  EXPECT_EQ(CodeAt(*map, 10, 10), map->HeightToCode(6.0f));
}

TEST(MapStamps, PointInTriangleCountsEdgesAndCornersAsInside) {
  using P = Map::Point3;
  const P a{0.0f, 0.0f, 0.0f};
  const P b{10.0f, 0.0f, 0.0f};
  const P c{0.0f, 10.0f, 0.0f};
  EXPECT_TRUE(Map::IsInTriangle(2.0f, 2.0f, a, b, c));
  EXPECT_TRUE(Map::IsInTriangle(0.0f, 0.0f, a, b, c));
  EXPECT_TRUE(Map::IsInTriangle(5.0f, 5.0f, a, b, c));
  EXPECT_TRUE(Map::IsInTriangle(0.0f, 7.0f, a, b, c));
  EXPECT_TRUE(Map::IsInTriangle(7.0f, 0.0f, a, b, c));
  EXPECT_FALSE(Map::IsInTriangle(6.0f, 6.0f, a, b, c));
  EXPECT_FALSE(Map::IsInTriangle(-0.5f, 2.0f, a, b, c));
  EXPECT_FALSE(Map::IsInTriangle(11.0f, 0.0f, a, b, c));
  EXPECT_FALSE(Map::IsInTriangle(2.0f, -1.0f, a, b, c));
  // The first ray (1,000,000, 1) runs parallel to the edge d-f: it is turned and tried again.
  const P d{0.0f, 0.0f, 0.0f};
  const P e{20.0f, -10.0f, 0.0f};
  const P f{1000000.0f, 1.0f, 0.0f};
  EXPECT_TRUE(Map::IsInTriangle(10.0f, -4.0f, d, e, f));
  EXPECT_FALSE(Map::IsInTriangle(-100.0f, 0.0f, d, e, f));
  // Edges are matched by their parameters: 1 m past the far corner of an edge 1,000 km long
  // is still on it.
  EXPECT_TRUE(Map::IsInTriangle(-1.0f, 0.0f, d, e, f));
}

TEST(MapStamps, FillTileCellsWritesAllHundredCellsThroughTheRules) {
  MapRig rig;
  auto map = rig.Default(2, 2);
  SetType(*map, 12, 13, 25);  // water keeps out a roadblock
  map->FillTileCells(1, 1, 4, 0.0f);
  EXPECT_EQ(CountInTile(*map, 1, 1, 4), 99);
  EXPECT_EQ(TypeAt(*map, 12, 13), 25);
  EXPECT_EQ(CountInGrid(*map, 4), 99);
  map->FillTileCells(0, 0, 40, 12.0f);
  EXPECT_EQ(CountInTile(*map, 0, 0, 40), 100);
  EXPECT_EQ(CodeAt(*map, 9, 9), map->HeightToCode(12.0f));
}

struct WriteCase {
  int old;
  int stamp;
  int result;
};

TEST(MapStamps, WriteCellRespectsWhatLiesThere) {
  const WriteCase cases[] = {
      {21, 5, 6},  {23, 5, 7},  {13, 5, 6},  {14, 5, 6},  {15, 5, 7},  {0, 5, 5},   {8, 5, 5},
      {12, 5, 12}, {25, 5, 25}, {31, 5, 31}, {0, 4, 4},   {25, 4, 25}, {12, 4, 12}, {18, 4, 18},
      {33, 4, 33}, {13, 20, 21}, {14, 20, 22}, {15, 20, 23}, {8, 20, 8},  {9, 20, 9},  {10, 20, 20},
      {25, 20, 20}, {9, 24, 9},  {8, 24, 8},  {10, 24, 24}, {14, 24, 24}, {25, 31, 31}, {8, 29, 29},
  };
  MapRig rig;
  auto map = rig.Default(1, 1);
  for (const WriteCase& c : cases) {
    SetType(*map, 3, 4, c.old);
    map->WriteCell(3, 4, c.stamp, 1000);
    EXPECT_EQ(TypeAt(*map, 3, 4), c.result) << c.stamp << " over " << c.old;
    EXPECT_EQ(CodeAt(*map, 3, 4), 379) << c.stamp << " over " << c.old;
  }
  // Only a bridge replaces the height bits, whatever lay there.
  for (int bridge = 36; bridge <= 44; ++bridge) {
    SetType(*map, 3, 4, 25);
    map->WriteCell(3, 4, bridge, 1000);
    EXPECT_EQ(map->terrain.fineGrid.At(3, 4), (bridge << 10) | 1000);
  }
}

// A 3 x 3 map whose middle tile (centre 0 m) has corner c0 at +half and c3 at -half, so that
// only its low-y edge (c3, c0) spans twice half.
std::unique_ptr<Map> SteepMiddle(MapRig& rig, float half, int middleTerrain) {
  auto map = rig.Default(3, 3);
  for (int x = 0; x < 3; ++x)
    for (int y = 0; y < 3; ++y) map->terrain.tileHeight.At(x, y) = 0.0f;
  for (int x = 0; x <= 3; ++x)
    for (int y = 0; y <= 3; ++y) map->terrain.vertexHeight.At(x, y) = 0.0f;
  map->terrain.vertexHeight.At(1, 1) = half;
  map->terrain.vertexHeight.At(2, 1) = -half;
  map->terrain.tiles.At(1, 1).terrain = middleTerrain;
  map->terrain.tiles.At(1, 1).shape = 0;
  map->BuildFineGrid();
  map->MarkSteepEdges();
  return map;
}

// The edge from (20, 20) to (40, 20) is shared by the middle tile (triangle to its centre
// (30, 30)) and the tile below it (triangle to (30, 10)): 11 + 9 + 7 + 5 + 3 + 1 cells each,
// the 11 on the edge shared.
bool InSteepTriangles(int i, int j) {
  bool middle = j >= 10 && j <= 15 && i >= j && i <= 30 - j;
  bool below = j >= 5 && j <= 10 && i >= 20 - j && i <= j + 10;
  return middle || below;
}

TEST(MapSteepEdges, SpanAboveSixAndAHalfMetresStampsSlope) {
  MapRig rig;
  auto map = SteepMiddle(rig, 3.3f, 0);
  EXPECT_EQ(CountInGrid(*map, 20), 61);
  for (int i = 0; i < 30; ++i)
    for (int j = 0; j < 30; ++j) EXPECT_EQ(TypeAt(*map, i, j) == 20, InSteepTriangles(i, j)) << i << ", " << j;
}

TEST(MapSteepEdges, WoodsUnderASlopeBecomeWoodedSlope) {
  MapRig rig;
  auto map = SteepMiddle(rig, 3.3f, 14);
  // The middle tile stamps first (tiles from the last down): its triangle's woods turn wooded
  // slope; the tile below then stamps its own, whose edge row lies in the woods tile and,
  // being slope over wooded slope, becomes plain slope.
  EXPECT_EQ(CountInGrid(*map, 22), 25);
  EXPECT_EQ(CountInGrid(*map, 14), 65);
  EXPECT_EQ(CountInGrid(*map, 20), 36);
  EXPECT_EQ(TypeAt(*map, 15, 11), 22);
  EXPECT_EQ(TypeAt(*map, 15, 10), 20);
}

TEST(MapSteepEdges, SpanAboveTwelveMetresStampsCliff) {
  MapRig rig;
  auto map = SteepMiddle(rig, 6.05f, 0);
  EXPECT_EQ(CountInGrid(*map, 24), 61);
  EXPECT_EQ(CountInGrid(*map, 20), 0);
}

TEST(MapSteepEdges, SpanOfSixAndAHalfMetresStampsNothing) {
  MapRig rig;
  auto map = SteepMiddle(rig, 3.25f, 0);
  EXPECT_EQ(CountInGrid(*map, 0), 900);
}

}  // namespace

namespace {

// A digest of every cell, x outer.
uint32_t GridDigest(const Map& map) {
  uint32_t crc = 0xFFFFFFFFu;
  const auto& grid = map.terrain.fineGrid;
  for (int i = 0; i < grid.Width(); ++i) {
    for (int j = 0; j < grid.Height(); ++j) {
      crc = Crc32Update(crc, static_cast<uint8_t>(grid.At(i, j) >> 8));
      crc = Crc32Update(crc, static_cast<uint8_t>(grid.At(i, j)));
    }
  }
  return crc ^ 0xFFFFFFFFu;
}

TEST(MapFineGridBuild, HillyMapWithWaterWoodsAndRoadsGivesItsKnownGrid) {
  MapRig rig;
  auto map = rig.Build(12, 12, [](Map& m) {
    for (int x = 0; x < 12; ++x) {
      for (int y = 0; y < 12; ++y) {
        m.terrain.tileHeight.At(x, y) = static_cast<float>(((x * 7) / 3 + (y * 5) / 4) % 7 - 2) * 2.5f;
        MapTile& tile = m.terrain.tiles.At(x, y);
        const uint8_t codes[] = {0, 12, 13, 14, 15, 16, 17, 18, 20, 25, 45, 49, 57};
        tile.code = codes[(x * 5 + y * 3) % 13];
        if (x == 5) tile.roadCode = 96;
        if (y == 7) tile.roadCode = 46;
      }
    }
    m.terrain.tiles.At(5, 7).roadCode = 153 + 41;  // a track crossing
  });
  // The map holds what the digest is meant to cover: every kind of ground, the three roads,
  // slopes over trees and cliffs.
  const int counts[][2] = {{0, 1901},  {8, 660},  {9, 648},  {10, 40},  {11, 1164}, {12, 382}, {13, 137},
                           {14, 494},  {15, 207}, {16, 225}, {17, 132}, {18, 374},  {20, 4241}, {21, 256},
                           {22, 93},   {23, 216}, {24, 1876}, {25, 461}, {26, 893}};
  for (const auto& c : counts) EXPECT_EQ(CountInGrid(*map, c[0]), c[1]) << c[0];
  EXPECT_EQ(GridDigest(*map), 0x2c0c8bf0u);
}

}  // namespace
