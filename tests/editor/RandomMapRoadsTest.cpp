#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "RandomMapTestRig.h"
#include "editor/RandomMapTables.h"

namespace {

bool IsBuilding(int32_t code) { return code >= 83 && code <= 86; }

// The road bytes against the final road grid: 44 (or 95) + the piece of the cell's reduced
// mask, and no road cell without a piece.
void CheckAgainstGrid(const RandomMapGenerator& g, const Map& map, int32_t type) {
  for (int32_t x = 1; x <= g.TilesX(); ++x) {
    for (int32_t y = 1; y <= g.TilesY(); ++y) {
      const int32_t road = map.terrain.tiles.At(x - 1, y - 1).roadCode;
      if (g.RoadCell(x, y) == 0) {
        ASSERT_EQ(road, 0);
        continue;
      }
      const int32_t piece = RandomMapTables::PieceOfMask(g.ReducedMask(x, y));
      ASSERT_NE(piece, 0) << x << "," << y;
      ASSERT_EQ(road, (type == 0 ? 95 : 44) + piece);
    }
  }
}

// The pavement of each pavement tile from the final map: a side joins pavement or a paved road.
void CheckPavement(const Map& map, int32_t* joinedRoads = nullptr, int32_t* dirtBeside = nullptr) {
  const int32_t sx[4] = {0, 1, 0, -1};
  const int32_t sy[4] = {1, 0, -1, 0};
  for (int32_t x = 0; x < map.size.tilesX; ++x) {
    for (int32_t y = 0; y < map.size.tilesY; ++y) {
      const MapTile& tile = map.terrain.tiles.At(x, y);
      if (!IsPavement(tile.code)) continue;
      ASSERT_EQ(tile.roadCode, 0);
      int32_t sides = 0;
      bool offMap = false;
      for (int32_t s = 0; s < 4; ++s) {
        if (!map.terrain.tiles.Contains(x + sx[s], y + sy[s])) {
          offMap = true;
          continue;
        }
        const MapTile& n = map.terrain.tiles.At(x + sx[s], y + sy[s]);
        if (IsPavement(n.code) || n.roadCode > 95) sides |= 1 << s;
        if (joinedRoads && n.roadCode > 95) ++*joinedRoads;
        if (dirtBeside && n.roadCode >= 45 && n.roadCode <= 94) ++*dirtBeside;
      }
      if (!offMap) {
        ASSERT_EQ(tile.code, RandomMapTables::PavementTerrain(sides)) << x << "," << y;
      }
    }
  }
}

TEST(RandomMapRoads, GeneratedNetworksAreWholeOverManySeeds) {
  MapRig rig;
  Map map(rig.app);
  for (uint32_t seed = 0; seed < 200; ++seed) {
    const float w = 60.0f + 80.0f * static_cast<float>((seed * 37) % 25);
    const float h = 60.0f + 80.0f * static_cast<float>((seed * 53) % 25);
    for (int32_t type = 0; type < 4; ++type) {
      SeedRandom(seed * 4 + static_cast<uint32_t>(type));
      RandomMapGenerator g(map, Params(seed % 50 == 0 ? 5000.0f : w, seed % 50 == 0 ? 5000.0f : h, type, 0,
                                       static_cast<int32_t>(seed % 5) - 1));
      g.NewMap();
      g.CentrePoint();
      g.Hills();
      g.Levels();
      g.LayRoads();
      g.FinishRoads();
      CheckAgainstGrid(g, map, type);
      CheckRoadTiles(map, type);
      g.TownCentre();
      CheckRoadTiles(map, type);
      if (type == 0) CheckPavement(map);
      if (HasFatalFailure()) return;
    }
  }
}

class RandomMapBuiltGrid : public ::testing::Test {
 protected:
  void SetUp() override {
    generator.NewMap();  // 20 x 20 tiles, cells 0-21
  }
  void Road(int32_t x, int32_t y) { generator.SetRoadCell(x, y, generator.RoadValue()); }
  void StraightRoad() {
    for (int32_t x = 0; x <= 21; ++x) Road(x, 10);
  }
  std::set<std::pair<int32_t, int32_t>> Cells() const {
    std::set<std::pair<int32_t, int32_t>> cells;
    for (int32_t x = 0; x <= 21; ++x)
      for (int32_t y = 0; y <= 21; ++y)
        if (generator.RoadCell(x, y) != 0) cells.insert({x, y});
    return cells;
  }
  MapRig rig;
  Map map{rig.app};
  RandomMapGenerator generator{map, Params(400.0f, 400.0f, 1, 0)};
};

TEST_F(RandomMapBuiltGrid, EachClosingMaskSetsItsCell) {
  for (int32_t i = 0; i < 8; ++i) {
    generator.NewMap();
    const int32_t mask = RandomMapTables::ClosingMask(i);
    Road(10, 10);
    for (int32_t d = 0; d < 8; ++d)
      if ((mask & (1 << d)) != 0) Road(10 + RandomMapTables::DirectionX(d), 10 + RandomMapTables::DirectionY(d));
    const int32_t tx = 10 + RandomMapTables::ClosingDx(i);
    const int32_t ty = 10 + RandomMapTables::ClosingDy(i);
    ASSERT_EQ(generator.RoadCell(tx, ty), 0);
    generator.CloseDiagonalJoins();
    EXPECT_EQ(generator.RoadCell(tx, ty), generator.RoadValue()) << mask;
  }
}

TEST_F(RandomMapBuiltGrid, StubsInEveryDirectionAreRemovedBackToTheRoad) {
  generator.NewMap();
  StraightRoad();
  const auto road = Cells();
  for (int32_t d = 0; d < 8; ++d) {
    generator.NewMap();
    StraightRoad();
    for (int32_t step = 1; step <= 4; ++step)
      Road(10 + step * RandomMapTables::DirectionX(d), 10 + step * RandomMapTables::DirectionY(d));
    generator.Prune();
    generator.CutOffUnlinked();
    EXPECT_EQ(Cells(), road) << "direction " << d;
  }
}

TEST_F(RandomMapBuiltGrid, LoopsCutOffFromTheBorderAreCleared) {
  StraightRoad();
  // A 2 x 2 block is a closed loop of valid pieces; alone, nothing leads it to the edge.
  Road(5, 4);
  Road(6, 4);
  Road(5, 5);
  Road(6, 5);
  generator.Prune();
  EXPECT_EQ(generator.RoadCell(5, 4), generator.RoadValue());
  generator.CutOffUnlinked();
  EXPECT_EQ(generator.RoadCell(5, 4), 0);
  EXPECT_EQ(generator.RoadCell(6, 5), 0);
  EXPECT_EQ(generator.RoadCell(10, 10), generator.RoadValue());
  generator.WriteRoadPieces();
  EXPECT_EQ(map.terrain.tiles.At(9, 9).roadCode, 44 + 2);  // straight along x
  EXPECT_EQ(map.terrain.tiles.At(4, 3).roadCode, 0);
}

TEST(RandomMapTown, PavementJoinsPavedRoadsNotDirtOnes) {
  MapRig rig;
  Map map(rig.app);
  int32_t joined = 0;
  int32_t dirt = 0;
  for (uint32_t seed = 0; seed < 10; ++seed) {
    SeedRandom(seed);
    RandomMapGenerator g(map, Params(400.0f, 400.0f, 0, 0));
    g.NewMap();
    g.CentrePoint();
    // Paved and dirt road bytes in a checkerboard under the town.
    for (int32_t x = 0; x < g.TilesX(); ++x)
      for (int32_t y = 0; y < g.TilesY(); ++y) map.terrain.tiles.At(x, y).roadCode = ((x + y) % 2) != 0 ? 96 : 45;
    g.TownCentre();
    CheckPavement(map, &joined, &dirt);
  }
  EXPECT_GT(joined, 0);
  EXPECT_GT(dirt, 0);
}

TEST(RandomMapTown, BuildingsInTheFirstRowAndColumnAreWrittenAndOffMapOnesDrawNothing) {
  MapRig rig;
  Map map(rig.app);
  int32_t inFirstColumn = 0;
  int32_t skipped = 0;
  for (uint32_t seed = 0; seed < 60; ++seed) {
    SeedRandom(seed);
    RandomMapGenerator g(map, Params(60.0f, 60.0f, 0, 0));  // 3 x 3 tiles; the centre is cell 3
    g.NewMap();
    g.CentrePoint();
    BoundRecorder recorder;
    g.TownCentre();
    const auto& bounds = BoundRecorder::Bounds();
    ASSERT_FALSE(bounds.empty());
    EXPECT_EQ(bounds[0], 10000000);
    // Each building draws its angle and distance, then its code only when it is on the map.
    size_t i = 1;
    while (i < bounds.size()) {
      ASSERT_EQ(bounds[i], 10000000);
      ASSERT_EQ(bounds[i + 1], 10000000);
      i += 2;
      if (i < bounds.size() && bounds[i] == 4) ++i;
      else ++skipped;
    }
    for (int32_t y = 0; y < 3; ++y) inFirstColumn += IsBuilding(map.terrain.tiles.At(0, y).code) ? 1 : 0;
    for (int32_t x = 0; x < 3; ++x) inFirstColumn += IsBuilding(map.terrain.tiles.At(x, 0).code) ? 1 : 0;
  }
  EXPECT_GT(inFirstColumn, 0);
  EXPECT_GT(skipped, 0);
}

TEST(RandomMapCentre, TheCentreMovesAwayFromTheAttackersEdge) {
  MapRig rig;
  Map map(rig.app);
  for (uint32_t seed = 0; seed < 200; ++seed) {
    SeedRandom(seed);
    RandomMapGenerator none(map, Params(2000.0f, 1200.0f, 1, 0));
    none.NewMap();
    none.CentrePoint();
    EXPECT_GE(none.CentreX(), static_cast<int32_t>(2000.0 * 0.05 * 0.4 + 1.5));
    EXPECT_LE(none.CentreX(), static_cast<int32_t>(2000.0 * 0.05 * 0.6 + 1.5));
    EXPECT_GE(none.CentreY(), static_cast<int32_t>(1200.0 * 0.05 * 0.4 + 1.5));
    EXPECT_LE(none.CentreY(), static_cast<int32_t>(1200.0 * 0.05 * 0.6 + 1.5));
    EXPECT_EQ(none.MeanSide(), 1549);
    SeedRandom(seed);
    RandomMapGenerator west(map, Params(2000.0f, 1200.0f, 1, 0, 0));
    west.NewMap();
    west.CentrePoint();
    EXPECT_GE(west.CentreX(), static_cast<int32_t>(2000.0 * 0.05 * 0.6 + 1.5));
    EXPECT_LE(west.CentreX(), static_cast<int32_t>(2000.0 * 0.05 * 0.8 + 1.5));
  }
}

}  // namespace
