// The feature steps of the random map generator one by one: building sites and codes, grain
// fields, enclosures, water levelling, woods counts, and the narrowing of a quick battle.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "RandomMapTestRig.h"
#include "editor/RandomMapNarrowing.h"
#include "editor/RandomMapTables.h"

namespace {

// A generator run up to (not including) the features; roads optional.
void RunToFeatures(RandomMapGenerator& g, bool roads) {
  g.NewMap();
  g.CentrePoint();
  g.Hills();
  g.Levels();
  if (roads) {
    g.LayRoads();
    g.FinishRoads();
    g.TownCentre();
  }
}

std::vector<uint8_t> Codes(const Map& map) {
  std::vector<uint8_t> codes;
  for (int32_t x = 0; x < map.size.tilesX; ++x)
    for (int32_t y = 0; y < map.size.tilesY; ++y) codes.push_back(map.terrain.tiles.At(x, y).code);
  return codes;
}

TEST(RandomMapTablesFeatures, RotationsComposeAndShapesTurn) {
  for (int32_t p = 100; p <= 129; ++p) {
    for (int32_t a = 0; a < 4; ++a) {
      for (int32_t b = 0; b < 4; ++b) {
        EXPECT_EQ(RandomMapTables::RotatePiece(RandomMapTables::RotatePiece(p, a), b),
                  RandomMapTables::RotatePiece(p, (a + b) % 4))
            << p << " " << a << " " << b;
      }
    }
  }
  EXPECT_EQ(RandomMapTables::RotatePiece(100, 1), 101);
  EXPECT_EQ(RandomMapTables::RotatePiece(116, 3), 116);
  // Shape 4 turned a quarter: the tile of highest x and y takes row 0, column 0 (122), turned.
  EXPECT_EQ(RandomMapTables::RotatePiece(RandomMapTables::ShapePiece(4, 0, 0), 1), 125);
  // Every cell of every shape is empty or a wall piece, and sizes fit the 4 x 4 grid.
  int32_t pieces = 0;
  for (int32_t k = 0; k < RandomMapTables::kShapes; ++k) {
    ASSERT_LE(RandomMapTables::ShapeSizeX(k) * RandomMapTables::ShapeSizeY(k), 16);
    for (int32_t r = 0; r < RandomMapTables::ShapeSizeY(k); ++r)
      for (int32_t c = 0; c < RandomMapTables::ShapeSizeX(k); ++c) {
        const int32_t piece = RandomMapTables::ShapePiece(k, r, c);
        ASSERT_TRUE(piece == 0 || (piece >= 100 && piece <= 129)) << k;
        if (piece != 0) ++pieces;
      }
  }
  EXPECT_EQ(pieces, 4 + 3 + 2 + 1 + 3 + 4 + 2 + 7 + 1 + 2 + 3 + 4 + 4 + 4 + 3 + 3 + 2);
}

TEST(RandomMapTablesFeaturesDeathTest, BadShapesAndPiecesStop) {
  EXPECT_DEATH(RandomMapTables::ShapeSizeX(17), "");
  EXPECT_DEATH(RandomMapTables::ShapePiece(4, 2, 0), "");
  EXPECT_DEATH(RandomMapTables::RotatePiece(130, 1), "");
  EXPECT_DEATH(RandomMapTables::RotatePiece(100, 4), "");
}

// Enclosures take only free tiles, and only wall or hedge pieces that a shape can give.
TEST(RandomMapEnclosures, EnclosuresLieOnFreeTilesWithTheirPieces) {
  MapRig rig;
  for (uint32_t seed = 0; seed < 30; ++seed) {
    Map map(rig.app);
    SeedRandom(seed);
    RandomMapGenerator g(map, Params(1000.0f, 1000.0f, 2, 0));
    RunToFeatures(g, true);
    const std::vector<uint8_t> before = Codes(map);
    std::vector<uint8_t> roads;
    for (int32_t x = 0; x < map.size.tilesX; ++x)
      for (int32_t y = 0; y < map.size.tilesY; ++y) roads.push_back(map.terrain.tiles.At(x, y).roadCode);
    g.Enclosures();
    const std::vector<uint8_t> after = Codes(map);
    int32_t walls = 0;
    for (size_t i = 0; i < after.size(); ++i) {
      if (after[i] == before[i]) continue;
      ASSERT_EQ(before[i], 0);
      ASSERT_EQ(roads[i], 0);
      const int32_t piece = after[i] >= 131 ? after[i] - 31 : after[i];
      ASSERT_TRUE(piece >= 100 && piece <= 129 && piece != 116 && piece != 121) << int{after[i]};
      ++walls;
    }
    EXPECT_GT(walls, 0);
  }
}

TEST(RandomMapBuildings, WithoutRoadsEveryBuildingWaitsForAFreeSite) {
  MapRig rig;
  Map map(rig.app);
  SeedRandom(11);
  RandomMapGenerator g(map, Params(2000.0f, 2000.0f, 1, 1));
  RunToFeatures(g, false);
  g.Buildings();
  // 2000 / 15 buildings; each is free on its first attempt on an empty map but needs a 0
  // from Random(10) (or the 500th attempt).
  EXPECT_EQ(g.BuildingsPlaced(), 133);
  EXPECT_GT(g.SiteAttempts(), 133 * 3);
  EXPECT_LE(g.SiteAttempts(), 133 * 501);
}

TEST(RandomMapBuildings, AFullMapStopsAfterAThousandAttempts) {
  MapRig rig;
  Map map(rig.app);
  SeedRandom(3);
  RandomMapGenerator g(map, Params(1000.0f, 1000.0f, 0, 0));
  RunToFeatures(g, true);
  for (int32_t x = 0; x < map.size.tilesX; ++x)
    for (int32_t y = 0; y < map.size.tilesY; ++y) map.terrain.tiles.At(x, y).code = 14;
  g.Buildings();
  EXPECT_EQ(g.BuildingsPlaced(), 0);
  EXPECT_EQ(g.SiteAttempts(), 1000);
}

TEST(RandomMapBuildings, CodesByMapTypeAndSitesBesideRoads) {
  MapRig rig;
  std::map<int32_t, int32_t> byCode[4];
  for (int32_t type = 0; type < 4; ++type) {
    for (uint32_t seed = 0; seed < 6; ++seed) {
      Map map(rig.app);
      SeedRandom(seed);
      RandomMapGenerator g(map, Params(3000.0f, 3000.0f, type, 0));
      RunToFeatures(g, true);
      const std::vector<uint8_t> before = Codes(map);
      g.Buildings();
      const std::vector<uint8_t> after = Codes(map);
      for (size_t i = 0; i < after.size(); ++i) {
        if (after[i] == before[i]) continue;
        ASSERT_EQ(before[i], 0);
        ++byCode[type][after[i]];
      }
    }
  }
  for (int32_t type = 0; type < 4; ++type) {
    for (const auto& [code, count] : byCode[type]) {
      ASSERT_TRUE(code >= 59 && code <= 90) << code;
      EXPECT_FALSE(code >= 80 && code <= 82) << code;
      if (type == 3) {
        EXPECT_FALSE(code >= 67 && code <= 74) << code;
      }
      if (type != 1) {
        EXPECT_FALSE(code >= 83 && code <= 86) << code;
      }
    }
  }
  // Tall light buildings: every town draw, a third of village ones, a sixth of farmland ones.
  auto tallShare = [&](int32_t type) {
    int32_t tall = 0;
    int32_t light = 0;
    for (const auto& [code, count] : byCode[type]) {
      if (code >= 67 && code <= 74) tall += count;
      if (code >= 59 && code <= 66) light += count;
    }
    return static_cast<double>(tall) / light;
  };
  EXPECT_NEAR(tallShare(0), 1.0, 0.15);
  EXPECT_NEAR(tallShare(1), 1.0 / 3.0, 0.08);
  EXPECT_NEAR(tallShare(2), 1.0 / 6.0, 0.1);
  EXPECT_GT(byCode[1][83] + byCode[1][84] + byCode[1][85] + byCode[1][86], 0);
}

TEST(RandomMapBuildings, TouchingBuildingsTakeTheirGroupsMedianLevel) {
  MapRig rig;
  Map map(rig.app);
  SeedRandom(1);
  RandomMapGenerator g(map, Params(400.0f, 400.0f, 3, 0));
  RunToFeatures(g, false);
  auto& tiles = map.terrain.tiles;
  auto& heights = map.terrain.tileHeight;
  // A group of four (levels 1, 5, 3, 9: median 3, the lower middle) and one of three touching
  // only by corners (levels 2, 8, 4: median 4); a lone building keeps its level.
  const int32_t four[4][3] = {{2, 2, 1}, {3, 2, 5}, {4, 2, 3}, {4, 3, 9}};
  const int32_t corners[3][3] = {{10, 10, 2}, {11, 11, 8}, {12, 10, 4}};
  for (const auto& t : four) {
    tiles.At(t[0], t[1]).code = 60;
    heights.At(t[0], t[1]) = Levels(static_cast<float>(t[2]));
  }
  for (const auto& t : corners) {
    tiles.At(t[0], t[1]).code = 87;
    heights.At(t[0], t[1]) = Levels(static_cast<float>(t[2]));
  }
  tiles.At(15, 2).code = 75;
  heights.At(15, 2) = Levels(7.0f);
  heights.At(5, 5) = Levels(11.0f);  // beside the first group but not a building
  g.LevelBuildingGroups();
  for (const auto& t : four) EXPECT_EQ(heights.At(t[0], t[1]), Levels(3.0f));
  for (const auto& t : corners) EXPECT_EQ(heights.At(t[0], t[1]), Levels(4.0f));
  EXPECT_EQ(heights.At(15, 2), Levels(7.0f));
  EXPECT_EQ(heights.At(5, 5), Levels(11.0f));
  // And the map loads with all eight buildings.
  auto read = rig.Read(rig.Write(map));
  EXPECT_EQ(read->objects.buildings->Count(), 8);
}

TEST(RandomMapGrain, FieldsNeverLieOnRoadsOrOtherCodes) {
  MapRig rig;
  int32_t grain = 0;
  for (uint32_t seed = 0; seed < 12; ++seed) {
    Map map(rig.app);
    SeedRandom(seed);
    RandomMapGenerator g(map, Params(3000.0f, 2000.0f, static_cast<int32_t>(seed % 4), 1));
    RunToFeatures(g, true);
    g.Buildings();
    const std::vector<uint8_t> before = Codes(map);
    g.GrainFields();
    const std::vector<uint8_t> after = Codes(map);
    size_t i = 0;
    for (int32_t x = 0; x < map.size.tilesX; ++x) {
      for (int32_t y = 0; y < map.size.tilesY; ++y, ++i) {
        if (after[i] == before[i]) continue;
        ASSERT_EQ(after[i], 16);
        ASSERT_EQ(before[i], 0);
        ASSERT_EQ(map.terrain.tiles.At(x, y).roadCode, 0);
        ++grain;
      }
    }
  }
  EXPECT_GT(grain, 100);
}

TEST(RandomMapWater, BodiesEndLevelAndTouchingBodiesApart) {
  MapRig rig;
  Map map(rig.app);
  SeedRandom(2);
  RandomMapGenerator g(map, Params(400.0f, 400.0f, 3, 0));
  RunToFeatures(g, false);
  auto& tiles = map.terrain.tiles;
  auto& heights = map.terrain.tileHeight;
  // Water along row 3 rising toward +x from level 3, marsh along row 4 beside it between 6 and 8.
  for (int32_t x = 0; x < 10; ++x) {
    tiles.At(x, 3).code = 25;
    heights.At(x, 3) = Levels(static_cast<float>(x + 3));
    tiles.At(x, 4).code = 12;
    heights.At(x, 4) = Levels(static_cast<float>(8 - (x % 3)));
  }
  heights.At(10, 3) = Levels(0.0f);  // lower ground beside the water, not water
  g.LevelWater();
  for (int32_t x = 0; x < 10; ++x) {
    EXPECT_EQ(heights.At(x, 3), Levels(3.0f)) << x;
    EXPECT_EQ(heights.At(x, 4), Levels(6.0f)) << x;
  }
  EXPECT_EQ(heights.At(10, 3), Levels(0.0f));
  // Against the visiting order (x downward) each pass carries the low level one tile along:
  // nine passes that change and one that finds nothing.
  EXPECT_EQ(g.WaterPasses(), 10);
}

TEST(RandomMapWoods, CoverageScalesTheCountAndWoodsKeepOffOtherCodes) {
  MapRig rig;
  int32_t counts[4] = {};
  for (int32_t trees = 0; trees < 4; ++trees) {
    Map map(rig.app);
    SeedRandom(9);
    RandomMapGenerator g(map, Params(2400.0f, 2400.0f, 1, 2, -1, trees));
    RunToFeatures(g, true);
    g.Buildings();
    g.LevelBuildingGroups();
    g.GrainFields();
    g.Enclosures();
    g.Water();
    g.LevelWater();
    g.Patches();
    const std::vector<uint8_t> before = Codes(map);
    g.Woods();
    counts[trees] = g.WoodsCount();
    const std::vector<uint8_t> after = Codes(map);
    for (size_t i = 0; i < after.size(); ++i) {
      if (after[i] == before[i]) continue;
      ASSERT_EQ(before[i], 0);
      ASSERT_TRUE(after[i] >= 13 && after[i] <= 15);
    }
  }
  // The same seed and size draw the same base count: Heavy seven times Light, Moderate three
  // times, Open a fifth (truncated).
  EXPECT_GT(counts[1], 0);
  EXPECT_EQ(counts[3], counts[1] * 7);
  EXPECT_EQ(counts[2], counts[1] * 3);
  EXPECT_EQ(counts[0], static_cast<int32_t>(counts[1] * 0.2));
}

TEST(RandomMapWoodsDeathTest, TreeCoverageFourStops) {
  MapRig rig;
  Map map(rig.app);
  EXPECT_DEATH(RandomMapGenerator::Generate(map, Params(1000.0f, 1000.0f, 1, 1, -1, 4)), "");
}

TEST(RandomMapNarrowing, QuickBattleWidthsNarrowByTheConditions) {
  // Width, trees, battle type, Axis force, Allied force, time of day, weather.
  EXPECT_EQ(RandomMapNarrowing::NarrowQuickBattleWidth(1600, 2, 0, 0, 0, 0, 5), 1120);
  EXPECT_EQ(RandomMapNarrowing::NarrowQuickBattleWidth(2000, 3, 0, 1, 0, 2, 4), 1040);
  EXPECT_EQ(RandomMapNarrowing::NarrowQuickBattleWidth(2000, 3, 1, 0, 1, 2, 4), 1040);
  // The Infantry force defending does not count.
  EXPECT_EQ(RandomMapNarrowing::NarrowQuickBattleWidth(2000, 3, 0, 0, 1, 2, 4), 1120);
  EXPECT_EQ(RandomMapNarrowing::NarrowQuickBattleWidth(2000, 3, 1, 1, 0, 2, 4), 1120);
  // A meeting engagement: both sides Infantry, or only one.
  EXPECT_EQ(RandomMapNarrowing::NarrowQuickBattleWidth(2000, 3, 2, 1, 1, 2, 4), 1040);
  EXPECT_EQ(RandomMapNarrowing::NarrowQuickBattleWidth(2000, 3, 2, 1, 0, 2, 4), 1120);
  // Nothing narrows: the width is kept even when it is no multiple of 80.
  EXPECT_EQ(RandomMapNarrowing::NarrowQuickBattleWidth(720, 2, 0, 0, 0, 0, 0), 720);
  EXPECT_EQ(RandomMapNarrowing::NarrowQuickBattleWidth(730, 2, 0, 3, 1, 1, 2), 730);
  // A narrowed width already a multiple of 80 stays; fog alone.
  EXPECT_EQ(RandomMapNarrowing::NarrowQuickBattleWidth(800, 0, 0, 0, 0, 0, 3), 720);
}

}  // namespace

// The walks' draws in their pinned order, read back from the bounds of every Random call. A
// patch: its code, its tile, then per tile taken both steps and, unless they left the map, the
// growth draw. A woods clump: angle, the two distances, Random (15), Random (W) and Random (H)
// only for a coordinate off the map, then per tile taken one step and, inside the map, the
// growth draw.
TEST(RandomMapWalks, PatchAndClumpDrawsComeInTheirPinnedOrder) {
  constexpr int32_t F = 10000000;  // every RandomFloat
  MapRig rig;
  Map map(rig.app);
  SeedRandom(29);
  RandomMapGenerator g(map, Params(1000.0f, 700.0f, 3, 2, -1, 3));
  RunToFeatures(g, true);
  g.Buildings();
  g.LevelBuildingGroups();
  g.GrainFields();
  g.Enclosures();
  g.Water();
  g.LevelWater();
  const int32_t w = g.TilesX();
  const int32_t h = g.TilesY();
  ASSERT_EQ(w, 50);
  ASSERT_EQ(h, 35);
  std::vector<int32_t> b;
  {
    BoundRecorder recorder;
    g.Patches();
    b = BoundRecorder::Bounds();
  }
  b.push_back(0);  // an end mark no bound equals
  size_t i = 0;
  ASSERT_EQ(b[i++], 4);
  ASSERT_EQ(b[i++], 8);
  if (b[i] == F && b[i + 1] == F) ++i;
  ASSERT_EQ(b[i++], F);
  int32_t patches = 0;
  int32_t steps = 0;
  while (b[i] != 0) {
    ASSERT_EQ(b[i], 2) << i;
    ASSERT_EQ(b[i + 1], w) << i;
    ASSERT_EQ(b[i + 2], h) << i;
    i += 3;
    ++patches;
    while (b[i] == 8 && b[i + 1] == 8) {
      i += 2;
      ++steps;
      if (b[i] == F) ++i;
    }
  }
  // Every tile a patch takes was free, so each pair of steps stands for one tile of 17 or 18.
  int32_t patchTiles = 0;
  for (uint8_t code : Codes(map)) patchTiles += code == 17 || code == 18 ? 1 : 0;
  EXPECT_GT(patches, 10);
  EXPECT_EQ(steps, patchTiles);

  {
    BoundRecorder recorder;
    g.Woods();
    b = BoundRecorder::Bounds();
  }
  b.push_back(0);
  i = 0;
  ASSERT_EQ(b[i++], F);
  int32_t clumps = 0;
  int32_t offMap = 0;
  const auto clumpStarts = [&b](size_t at) { return b[at] == F && b[at + 1] == F && b[at + 2] == F && b[at + 3] == 15; };
  while (b[i] != 0) {
    ASSERT_TRUE(clumpStarts(i)) << i;
    i += 4;
    ++clumps;
    for (int32_t side : {w, h}) {
      if (b[i] != side) continue;
      ++i;
      ++offMap;
    }
    while (b[i] == 8) {
      ++i;
      if (clumpStarts(i) || b[i] != F) break;  // the step left the map, or the tile ends it
      ++i;
    }
  }
  // Heavy: 0.4, 0.4 and 0.2 of the count.
  const int32_t e = g.WoodsCount();
  EXPECT_EQ(clumps, static_cast<int32_t>(e * 0.4) * 2 + static_cast<int32_t>(e * 0.2));
  EXPECT_GT(clumps, 200);
  EXPECT_GT(offMap, 0);
}
