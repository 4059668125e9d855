// Regression guards over the reference maps the build writes: they load, write back byte for
// byte, hold what their summaries say, and the digests of the file and of the fine grid after
// loading stay what they are. An optimisation must leave every digest unchanged; a change of
// behaviour updates a digest in the same commit and says why.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ReferenceMaps.h"
#include "Sha256.h"
#include "framework/core/GGroup.h"
#include "game/map/FineTerrain.h"
#include "game/map/MapObjectList.h"

namespace {

// The fine grid row by row (y outer), each cell low byte first.
std::string FineGridDigest(const Map& map) {
  const MapGrid<uint16_t>& grid = map.terrain.fineGrid;
  Sha256 sha;
  for (int32_t y = 0; y < grid.Height(); ++y) {
    for (int32_t x = 0; x < grid.Width(); ++x) {
      const uint16_t cell = grid.At(x, y);
      const uint8_t bytes[2] = {static_cast<uint8_t>(cell & 0xFF), static_cast<uint8_t>(cell >> 8)};
      sha.Add(bytes, 2);
    }
  }
  return sha.FinishHex();
}

int32_t RoadTypeOfCode(int32_t code) {
  if (code >= 45 && code <= 94) return 8;
  if (code >= 96 && code <= 151) return 9;
  if (code >= 153 && code <= 202) return 10;
  return 0;
}

TEST(MapReferenceMaps, Ref250KeepsItsDigestsAndWritesBackByteForByte) {
  const std::string bytes = ReadWholeFile(ReferenceMapPath("ref250"));
  ASSERT_FALSE(bytes.empty()) << ReferenceMapPath("ref250");
  EXPECT_EQ(Sha256::Hex(bytes.data(), bytes.size()),
            "75ce2df5d635456e396452ff59091d89879e3a971c5ee8c04c5578ac020b8c22");
  FakeApp app;
  std::unique_ptr<Map> map = LoadReferenceMap(app, "ref250");
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->size.tilesX, 250);
  EXPECT_EQ(map->size.tilesY, 250);
  EXPECT_EQ(map->terrain.fineGrid.Width(), 2500);
  EXPECT_EQ(FineGridDigest(*map), "44b9e0ed5fe93e5abf2db4a049f87a500010f081e7d74663c7291af33135b839");
  EXPECT_TRUE(WrittenBytes(*map) == bytes);
}

TEST(MapReferenceMaps, Ref250HoldsWhatItsSummarySays) {
  FakeApp app;
  std::unique_ptr<Map> map = LoadReferenceMap(app, "ref250");
  ASSERT_NE(map, nullptr);
  const int32_t buildings = ReferenceSummaryValue("ref250", "building_pieces");
  const int32_t decks = ReferenceSummaryValue("ref250", "bridge_decks");
  const int32_t ramps = ReferenceSummaryValue("ref250", "bridge_ramps");
  const int32_t walls = ReferenceSummaryValue("ref250", "wall_pieces");
  ASSERT_GT(buildings, 500);
  EXPECT_EQ(ReferenceSummaryValue("ref250", "bridges"), 8);
  EXPECT_EQ(decks, 24);
  EXPECT_EQ(ramps, 16);
  EXPECT_EQ(ReferenceSummaryValue("ref250", "ford_tiles"), 12);
  EXPECT_EQ(map->objects.buildings->Count(), buildings + decks + ramps);
  EXPECT_GE(map->objects.walls->Count(), walls);
  // Every tile code the summary counts by family is on the map, and every road tile has fine
  // cells of its own road type.
  int32_t buildingTiles = 0;
  int32_t bridgeTiles = 0;
  int32_t wallTiles = 0;
  int32_t roads[3] = {};
  int32_t roadsWithoutCells = 0;
  for (int32_t y = 0; y < 250; ++y) {
    for (int32_t x = 0; x < 250; ++x) {
      const MapTile& tile = map->terrain.tiles.At(x, y);
      if (tile.code >= 59 && tile.code <= 90) ++buildingTiles;
      if (tile.code >= 91 && tile.code <= 98) ++bridgeTiles;
      if (tile.code >= 100) ++wallTiles;
      const int32_t type = RoadTypeOfCode(tile.roadCode);
      if (type == 0) continue;
      ++roads[type - 8];
      bool found = false;
      for (int32_t j = 0; j < 10 && !found; ++j) {
        for (int32_t i = 0; i < 10 && !found; ++i) {
          found = FineTerrain::TypeOf(map->terrain.fineGrid.At(x * 10 + i, y * 10 + j)) == type;
        }
      }
      if (!found) ++roadsWithoutCells;
    }
  }
  EXPECT_EQ(buildingTiles, buildings);
  EXPECT_EQ(bridgeTiles, decks);
  EXPECT_EQ(wallTiles, walls);
  EXPECT_EQ(roads[0], ReferenceSummaryValue("ref250", "road_tiles_type8"));
  EXPECT_EQ(roads[1], ReferenceSummaryValue("ref250", "road_tiles_type9"));
  EXPECT_EQ(roads[2], ReferenceSummaryValue("ref250", "road_tiles_type10"));
  EXPECT_GT(roads[0] + roads[1] + roads[2], 2500);
  EXPECT_EQ(roadsWithoutCells, 0);
}

TEST(MapReferenceMaps, Ref250BusyLoadsItsFiresSmokeAndCratersAndWritesBack) {
  const std::string bytes = ReadWholeFile(ReferenceMapPath("ref250busy"));
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(Sha256::Hex(bytes.data(), bytes.size()),
            "cac0efdd240694944270b4194578bcaa7ae8fcc8dd9ebfeee6dde3486144fee4");
  FakeApp app;
  std::unique_ptr<Map> map = LoadReferenceMap(app, "ref250busy");
  ASSERT_NE(map, nullptr);
  int32_t burning = 0;
  for (int32_t x = 0; x < 250; ++x)
    for (int32_t y = 0; y < 250; ++y) burning += map->fire.state.GetU8(x, y) != 0 ? 1 : 0;
  EXPECT_EQ(burning, 25);
  EXPECT_EQ(map->objects.smallObjects->Count(), 30);
  EXPECT_EQ(map->objects.craters->Count(), 500);
  EXPECT_EQ(map->objects.craterMarks->Count(), 200);
  EXPECT_EQ(ReferenceSummaryValue("ref250busy", "burning_tiles"), 25);
  EXPECT_EQ(ReferenceSummaryValue("ref250busy", "lasting_craters"), 500);
  EXPECT_TRUE(WrittenBytes(*map) == bytes);
}

TEST(MapReferenceMaps, Ref248LoadsAndWritesBackByteForByte) {
  const std::string bytes = ReadWholeFile(ReferenceMapPath("ref248"));
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(Sha256::Hex(bytes.data(), bytes.size()),
            "5fe9e72d0d8cbbdc6b9eb63b5eb5e05a7365dc05aa99320e32279d7a50a1e4bf");
  FakeApp app;
  std::unique_ptr<Map> map = LoadReferenceMap(app, "ref248");
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->size.tilesX, 248);
  EXPECT_EQ(map->objects.buildings->Count(), ReferenceSummaryValue("ref248", "building_list"));
  EXPECT_TRUE(WrittenBytes(*map) == bytes);
}

}  // namespace
