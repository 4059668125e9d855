// New maps, set-up zones, height rescaling and height bands.
#include <cstring>

#include "MapTestRig.h"
#include "game/map/MapObjectList.h"

namespace {

// An imported terrain block: codes (native 16-bit), levels and zones, 250 x 250 tiles each.
struct Block {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(250000, 0);
  void Set(int32_t x, int32_t y, int16_t code, int8_t level, uint8_t zone) {
    size_t at = static_cast<size_t>(x * 250 + y);
    std::memcpy(bytes.data() + at * 2, &code, sizeof code);
    bytes[125000 + at] = static_cast<uint8_t>(level);
    bytes[187500 + at] = zone;
  }
};

TEST(MapNew, FlatMapOfFourHundredMetres) {
  MapRig rig;
  Map map(rig.app);
  ASSERT_TRUE(map.NewMap(400.0f, 400.0f, nullptr));
  EXPECT_EQ(map.size.tilesX, 20);
  EXPECT_EQ(map.size.tilesY, 20);
  EXPECT_EQ(map.size.worldWidth, 400.0f);
  for (int32_t x = 0; x < 20; ++x) {
    for (int32_t y = 0; y < 20; ++y) {
      EXPECT_EQ(map.terrain.tileHeight.At(x, y), 5.0f);
      uint8_t zone = map.terrain.tiles.At(x, y).zone;
      EXPECT_EQ(zone, x <= 5 ? 1 : (x > 15 ? 4 : 0)) << x;
    }
  }
  // Its lists exist, empty, so that it can be written.
  Bytes bytes = rig.Write(map);
  Bytes tail(bytes.end() - 21, bytes.end());
  Bytes expected = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0};
  EXPECT_EQ(tail, expected);
  auto back = rig.Read(bytes);
  EXPECT_EQ(back->terrain.tileHeight.At(3, 3), 2.0f * (0.833f * 3.0f));
}

TEST(MapNew, SizesOutsideOneTo250TilesAreRefusedAndChangeNothing) {
  MapRig rig;
  Map map(rig.app);
  for (float metres : {0.0f, 18.0f, -40.0f, 5020.0f, 1e30f}) {
    EXPECT_FALSE(map.NewMap(metres, 400.0f, nullptr)) << metres;
    EXPECT_FALSE(map.NewMap(400.0f, metres, nullptr)) << metres;
  }
  EXPECT_EQ(map.size.tilesX, 40);
  EXPECT_FALSE(map.terrain.tiles.IsSized());
  EXPECT_EQ(map.objects.buildings, nullptr);
  EXPECT_TRUE(map.NewMap(19.0f, 5000.0f, nullptr));
  EXPECT_EQ(map.size.tilesX, 1);
  EXPECT_EQ(map.size.tilesY, 250);
}

TEST(MapNew, ABlockFillsTilesThroughTheTerrainCodeTable) {
  MapRig rig;
  Block block;
  block.Set(249, 249, 61, -3, 4);  // burning woods
  block.Set(0, 249, 321, 7, 99);   // paved road piece 10 on open ground
  block.Set(1, 249, 52, 0, 0);     // rubble
  Map map(rig.app);
  ASSERT_TRUE(map.NewMap(5000.0f, 5000.0f, block.bytes.data()));
  EXPECT_EQ(map.size.tilesX, 250);
  const MapTile& corner = map.terrain.tiles.At(249, 249);
  EXPECT_EQ(corner.code, 14);
  EXPECT_EQ(corner.zone, 4);
  EXPECT_EQ(map.fire.state.GetU8(249, 249), 3);
  EXPECT_EQ(map.terrain.tileHeight.At(249, 249), -7.5f);
  EXPECT_EQ(map.terrain.tiles.At(0, 249).code, 0);
  EXPECT_EQ(map.terrain.tiles.At(0, 249).roadCode, 105);
  EXPECT_EQ(map.terrain.tiles.At(1, 249).code, 19);
  EXPECT_EQ(map.terrain.tiles.At(0, 249).zone, 99);
  EXPECT_EQ(map.terrain.tileHeight.At(0, 249), 17.5f);
  EXPECT_EQ(map.terrain.tiles.At(5, 5).code, 0);
  EXPECT_EQ(map.terrain.tileHeight.At(5, 5), 0.0f);
}

TEST(MapNew, ABlockWithAnUnknownCodeIsRefused) {
  MapRig rig;
  Block block;
  block.Set(3, 2, 704, 0, 0);
  Map map(rig.app);
  EXPECT_FALSE(map.NewMap(200.0f, 200.0f, block.bytes.data()));
  block.Set(3, 2, -1, 0, 0);
  EXPECT_FALSE(map.NewMap(200.0f, 200.0f, block.bytes.data()));
  block.Set(3, 2, 120, 0, 0);  // in range, but not used
  EXPECT_FALSE(map.NewMap(200.0f, 200.0f, block.bytes.data()));
  EXPECT_FALSE(map.terrain.tiles.IsSized());
  // Codes beyond the map's own tiles are not read.
  EXPECT_TRUE(map.NewMap(40.0f, 40.0f, block.bytes.data()));
}

TEST(MapZones, PaintingMergesOnlyWhenAsked) {
  MapRig rig;
  Map map(rig.app);
  ASSERT_TRUE(map.NewMap(400.0f, 400.0f, nullptr));
  map.PaintZone(10, 3, false, false);
  EXPECT_EQ(map.terrain.tiles.At(10, 3).zone, 1);
  map.PaintZone(10, 3, true, false);
  EXPECT_EQ(map.terrain.tiles.At(10, 3).zone, 1);
  map.PaintZone(10, 3, true, true);
  EXPECT_EQ(map.terrain.tiles.At(10, 3).zone, 99);
  map.PaintZone(16, 0, false, true);
  EXPECT_EQ(map.terrain.tiles.At(16, 0).zone, 99);
  map.PaintZone(11, 0, true, true);
  EXPECT_EQ(map.terrain.tiles.At(11, 0).zone, 4);
  map.PaintZone(-1, 0, true, true);
  map.PaintZone(20, 0, true, true);
  map.PaintZone(0, 20, true, true);
}

TEST(MapZones, PromotingRaisesOnceAndClipsToTheMap) {
  MapRig rig;
  Map map(rig.app);
  ASSERT_TRUE(map.NewMap(400.0f, 400.0f, nullptr));
  map.PromoteZoneRect(false, -5, 3, 400, -7);
  map.PromoteZoneRect(false, -5, 3, 400, -7);
  EXPECT_EQ(map.terrain.tiles.At(0, 0).zone, 2);
  EXPECT_EQ(map.terrain.tiles.At(2, 19).zone, 2);
  EXPECT_EQ(map.terrain.tiles.At(3, 0).zone, 1);
  map.PromoteZoneRect(true, 0, 20, 1, 0);
  EXPECT_EQ(map.terrain.tiles.At(19, 0).zone, 5);
  EXPECT_EQ(map.terrain.tiles.At(19, 1).zone, 4);
  EXPECT_EQ(map.terrain.tiles.At(0, 0).zone, 2);
}

TEST(MapHeights, ScalingMultipliesEveryTile) {
  MapRig rig;
  Map map(rig.app);
  ASSERT_TRUE(map.NewMap(60.0f, 40.0f, nullptr));
  map.terrain.tileHeight.At(2, 1) = -2.0f;
  map.ScaleHeights(1.5f);
  EXPECT_EQ(map.terrain.tileHeight.At(0, 0), 7.5f);
  EXPECT_EQ(map.terrain.tileHeight.At(2, 1), -3.0f);
}

TEST(MapHeightBands, OneHeightGivesOneBand) {
  MapRig rig;
  Map map(rig.app);
  ASSERT_TRUE(map.NewMap(400.0f, 400.0f, nullptr));
  map.BuildHeightBands();
  for (int32_t band : map.display.heightBand) EXPECT_EQ(band, 3);
}

TEST(MapHeightBands, ARangeIsSpreadAroundTheMiddle) {
  MapRig rig;
  Map map(rig.app);
  ASSERT_TRUE(map.NewMap(80.0f, 20.0f, nullptr));
  // Levels 0..3: bands 1..4, span 6, centred on band 2.
  for (int32_t x = 0; x < 4; ++x) map.terrain.tileHeight.At(x, 0) = Levels(static_cast<float>(x));
  map.BuildHeightBands();
  const int32_t expected[20] = {0, 0, 2, 4, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6};
  for (int32_t i = 0; i < 20; ++i) EXPECT_EQ(map.display.heightBand[i], expected[i]) << i;
}

TEST(MapHeightBands, AWideRangeIsSqueezedIntoTwentyEntries) {
  MapRig rig;
  Map map(rig.app);
  ASSERT_TRUE(map.NewMap(20.0f, 20.0f * 3.0f, nullptr));
  map.terrain.tileHeight.At(0, 0) = Levels(0.0f);
  map.terrain.tileHeight.At(0, 1) = Levels(9.0f);
  map.terrain.tileHeight.At(0, 2) = Levels(15.0f);
  map.BuildHeightBands();
  EXPECT_EQ(map.display.heightBand[0], 0);
  EXPECT_EQ(map.display.heightBand[1], 0);
  EXPECT_EQ(map.display.heightBand[16], 19);
  EXPECT_EQ(map.display.heightBand[19], 19);
  for (int32_t i = 1; i < 20; ++i) EXPECT_GE(map.display.heightBand[i], map.display.heightBand[i - 1]);
}

}  // namespace
