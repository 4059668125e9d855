// The map editor's grids: filling from the map, re-laying for size changes, raising the whole
// map, the fall-back for tiles without a code, and committing back into the map.
#include <gtest/gtest.h>

#include "MapTestRig.h"
#include "editor/EditorMapGrids.h"
#include "game/map/TerrainCodeTable.h"

namespace {

// Marks each cell of the grids with its column, row and a zone so that moves can be traced.
void Mark(EditorMapGrids& g, int32_t w, int32_t h) {
  for (int32_t x = 0; x < w; ++x) {
    for (int32_t y = 0; y < h; ++y) {
      g.SetCode(x, y, static_cast<int16_t>(1 + (x % 5)));
      g.SetLevel(x, y, static_cast<int8_t>(y % 10));
      g.SetZone(x, y, static_cast<uint8_t>(x));
    }
  }
}

}  // namespace

TEST(EditorMapGrids, FillsTheMapAndFlatCodeZeroOutsideIt) {
  MapRig rig;
  Map map(rig.app);
  ASSERT_TRUE(map.NewMap(1200.0f, 800.0f, nullptr));
  map.terrain.tiles.At(3, 4).code = 14;
  map.terrain.tileHeight.At(3, 4) = Levels(-1.0f);
  map.terrain.tileHeight.At(5, 5) = Levels(25.0f);
  map.terrain.tiles.At(7, 7).zone = 99;
  EditorMapGrids grids;
  int32_t w = 0;
  int32_t h = 0;
  grids.FillFrom(map, w, h);
  EXPECT_EQ(w, 60);
  EXPECT_EQ(h, 40);
  EXPECT_EQ(grids.Code(3, 4), TerrainCodeTable::FindTerrainCode(14, 0, 0));
  EXPECT_EQ(grids.Level(3, 4), -1);
  EXPECT_EQ(grids.Level(5, 5), 25);  // kept, though the tools stop at 18
  EXPECT_EQ(grids.Level(0, 0), 2);
  EXPECT_EQ(grids.Zone(7, 7), 99);
  EXPECT_EQ(grids.Zone(0, 0), 1);
  for (auto [x, y] : {std::pair{60, 0}, std::pair{249, 39}, std::pair{0, 40}, std::pair{249, 249}}) {
    EXPECT_EQ(grids.Code(x, y), 0);
    EXPECT_EQ(grids.Level(x, y), 6);
    EXPECT_EQ(grids.Zone(x, y), 0);
  }
}

TEST(EditorMapGrids, TilesOfAFieldTruncateAfterAddingAMetre) {
  EXPECT_EQ(EditorMapGrids::TilesFor(1280), 64);
  EXPECT_EQ(EditorMapGrids::TilesFor(1200), 60);
  EXPECT_EQ(EditorMapGrids::TilesFor(1279), 64);
  EXPECT_EQ(EditorMapGrids::TilesFor(1278), 63);
  EXPECT_EQ(EditorMapGrids::TilesFor(9000), 250);
}

TEST(EditorMapGrids, ShiftedWidthGrowthMovesColumnsUpAndKeepsTheZoneStrip) {
  EditorMapGrids g;
  Mark(g, 60, 40);
  g.ShiftForResize(60, 40, 64, 40);
  EXPECT_EQ(g.Code(4, 7), 1);  // was column 0
  EXPECT_EQ(g.Zone(4, 7), 0);
  EXPECT_EQ(g.Code(63, 7), 1 + (59 % 5));
  EXPECT_EQ(g.Zone(63, 7), 59);
  EXPECT_EQ(g.Level(63, 7), 7);
  for (int32_t x = 0; x < 4; ++x) {
    EXPECT_EQ(g.Code(x, 7), 0);
    EXPECT_EQ(g.Level(x, 7), 6);
    EXPECT_EQ(g.Zone(x, 7), x);  // not written
  }
}

TEST(EditorMapGrids, ShiftedShrinksDropTheLowColumnsAndRows) {
  EditorMapGrids g;
  Mark(g, 60, 40);
  g.ShiftForResize(60, 40, 56, 40);
  EXPECT_EQ(g.Zone(0, 3), 4);
  EXPECT_EQ(g.Zone(55, 3), 59);
  // Past the new edge the old cells stay.
  EXPECT_EQ(g.Zone(59, 3), 59);

  EditorMapGrids rows;
  Mark(rows, 60, 40);
  rows.ShiftForResize(60, 40, 60, 36);
  EXPECT_EQ(rows.Level(0, 0), 4);
  EXPECT_EQ(rows.Level(0, 35), 9);
  rows.ShiftForResize(60, 36, 60, 40);
  EXPECT_EQ(rows.Level(0, 4), 4);
  EXPECT_EQ(rows.Level(0, 3), 6);
  EXPECT_EQ(rows.Code(0, 3), 0);
}

TEST(EditorMapGrids, OnlyTheWidthMovesWhenBothChange) {
  EditorMapGrids g;
  Mark(g, 60, 40);
  g.ShiftForResize(60, 40, 64, 44);
  EXPECT_EQ(g.Level(4, 0), 0);  // rows stayed where they were
  EXPECT_EQ(g.Zone(4, 0), 0);
}

TEST(EditorMapGrids, RaisingAndLoweringStopAtTheToolsRangeAndKeepLevelsBeyondIt) {
  EditorMapGrids g;
  g.SetLevel(0, 0, 18);
  g.SetLevel(1, 0, -1);
  g.SetLevel(2, 0, 25);
  g.SetLevel(249, 249, 3);
  g.RaiseLower(true);
  EXPECT_EQ(g.Level(0, 0), 18);
  EXPECT_EQ(g.Level(1, 0), 0);
  EXPECT_EQ(g.Level(2, 0), 25);
  EXPECT_EQ(g.Level(249, 249), 4);
  EXPECT_EQ(g.Level(100, 100), 7);
  g.RaiseLower(false);
  g.RaiseLower(false);
  EXPECT_EQ(g.Level(1, 0), -1);
  EXPECT_EQ(g.Level(2, 0), 23);
}

TEST(EditorMapGrids, TilesWithoutACodeFallBackAndAreLogged) {
  MapRig rig;
  Map map(rig.app);
  ASSERT_TRUE(map.NewMap(100.0f, 20.0f, nullptr));
  // Woods with a railroad piece: the table has woods alone.
  map.terrain.tiles.At(1, 0).code = 14;
  map.terrain.tiles.At(1, 0).roadCode = 160;
  // A terrain the table does not know at all.
  map.terrain.tiles.At(2, 0).code = 200;
  // A burning road tile that burns in no table entry keeps its road.
  map.terrain.tiles.At(3, 0).roadCode = 45;
  map.fire.state.SetU8(3, 0, 2);
  rig.Log();
  EXPECT_EQ(EditorMapGrids::CodeOfTile(map, 1, 0), TerrainCodeTable::FindTerrainCode(14, 0, 0));
  EXPECT_EQ(EditorMapGrids::CodeOfTile(map, 2, 0), 0);
  EXPECT_EQ(EditorMapGrids::CodeOfTile(map, 3, 0), TerrainCodeTable::FindTerrainCode(0, 45, 0));
  int32_t named = 0;
  for (const std::string& line : rig.Log())
    if (line.find("no terrain code for the tile at column") != std::string::npos) ++named;
  EXPECT_EQ(named, 3);
}

TEST(EditorMapGrids, CommittingRebuildsTheMapAtTheGridsSize) {
  MapRig rig;
  Map map(rig.app);
  ASSERT_TRUE(map.NewMap(400.0f, 400.0f, nullptr));
  EditorMapGrids g;
  const int16_t woods = static_cast<int16_t>(TerrainCodeTable::FindTerrainCode(14, 0, 0));
  g.SetCode(63, 47, woods);
  g.SetLevel(63, 47, -1);
  g.SetZone(63, 47, 5);
  ASSERT_TRUE(g.CommitTo(map, 64, 48));
  EXPECT_EQ(map.size.worldWidth, 1280.0f);
  EXPECT_EQ(map.size.worldHeight, 960.0f);
  EXPECT_EQ(map.size.tilesX, 64);
  EXPECT_EQ(map.size.tilesY, 48);
  EXPECT_EQ(map.terrain.tiles.At(63, 47).code, 14);
  EXPECT_EQ(map.terrain.tiles.At(63, 47).zone, 5);
  EXPECT_EQ(EditorMapGrids::TileHeightLevel(map, 63, 47), -1);
  EXPECT_EQ(EditorMapGrids::TileHeightLevel(map, 0, 0), 6);
  EXPECT_EQ(EditorMapGrids::TileHeightLevel(map, 64, 0), 0);
}
