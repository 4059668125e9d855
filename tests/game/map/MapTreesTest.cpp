// Trees scattered on wooded tiles when a map is read: how many, their detail classes and
// looks, the points they refuse, the draws they make in order, and the same trees and fine
// grid on every read of the same file from the same seed.
#include <cstring>

#include "MapTestRig.h"
#include "framework/core/Quorl.h"
#include "game/map/Crater.h"
#include "game/map/MapObjectList.h"
#include "game/map/MapTree.h"

namespace {

// Bytes of a 3 x 3 map whose middle tile has the terrain code (and road code), with a lasting
// crater of the given half side on the middle tile's centre when it is above 0.
Bytes MiddleTileMap(MapRig& rig, uint8_t code, uint8_t road = 0, float craterRadius = 0.0f) {
  Map source(rig.app);
  EXPECT_TRUE(source.NewMap(60.0f, 60.0f, nullptr));
  source.terrain.tiles.At(1, 1).code = code;
  source.terrain.tiles.At(1, 1).roadCode = road;
  if (craterRadius > 0.0f) {
    auto* crater = new Crater;
    crater->x = 30.0f;
    crater->y = 30.0f;
    crater->radius = craterRadius;
    crater->lasting = 1;
    source.objects.craters->Append(crater);
  }
  return rig.Write(source);
}

std::unique_ptr<Map> ReadSeeded(MapRig& rig, const Bytes& bytes, uint32_t seed) {
  SeedRandom(seed);
  return rig.Read(bytes);
}

void DrawPyramids() {
  for (int i = 0; i < 64; ++i) Random(5);
}

void DrawTables() {
  for (int i = 0; i < 29 * 16; ++i) {
    for (int k = 0; k < 4; ++k) RandomFloatTimes(20.0f);
    RandomFloatTimes(3.5f);
    RandomFloatTimes(3.0f);
    Random(4);
  }
}

// The draws of one accepted tree's looks.
void DrawLooks(bool pine) {
  RandomFloatTimes(0.5f);
  RandomFloatTimes(360.0f);
  Random(2);
  pine ? Random(3) : Random(8);
}

std::vector<const MapTree*> TreesOf(const Map& map, int detail) {
  std::vector<const MapTree*> trees;
  const GObjectGroup& group = map.objects.trees[detail];
  for (int32_t i = 0; i < group.Count(); ++i) trees.push_back(static_cast<const MapTree*>(group.GetItem(i)));
  return trees;
}

int TreeCount(const Map& map) {
  int n = 0;
  for (const auto& group : map.objects.trees) n += group.Count();
  return n;
}

TEST(MapTrees, WoodsTileGrowsFourTreesInDetailClassesZeroZeroOneTwo) {
  MapRig rig;
  Bytes bytes = MiddleTileMap(rig, 14);
  auto map = ReadSeeded(rig, bytes, 2024);
  uint32_t after = RandomState();
  ASSERT_EQ(map->objects.trees[0].Count(), 2);
  ASSERT_EQ(map->objects.trees[1].Count(), 1);
  ASSERT_EQ(map->objects.trees[2].Count(), 1);
  // Tree 1, the second of class 0, stands nearer the middle of the tile.
  const MapTree* second = TreesOf(*map, 0)[1];
  EXPECT_TRUE(second->x >= 25.0f && second->x <= 35.0f && second->y >= 25.0f && second->y <= 35.0f);
  for (int d = 0; d < 3; ++d) {
    for (const MapTree* tree : TreesOf(*map, d)) {
      EXPECT_TRUE(tree->x >= 22.0f && tree->x <= 38.0f && tree->y >= 22.0f && tree->y <= 38.0f);
      EXPECT_GE(tree->height, 4.8f);
      EXPECT_LE(tree->height, 7.8f);
      EXPECT_FLOAT_EQ(tree->baseHeight, map->ElevationAt(tree->x, tree->y) - 0.2f);
      EXPECT_EQ(tree->pine, 0);
      EXPECT_TRUE(tree->variant >= 3 && tree->variant <= 10);
      EXPECT_TRUE(tree->turn >= 0.0f && tree->turn < 360.0f);
    }
  }
  // The draws in order: pyramids, for each tree its point then its looks, the tables.
  SeedRandom(2024);
  DrawPyramids();
  const float first[4] = {0.8f, 0.5f, 0.8f, 0.8f};
  float x[4];
  float y[4];
  for (int i = 0; i < 4; ++i) {
    float offset = i == 1 ? 0.25f : 0.1f;
    x[i] = 20.0f + (RandomFloatTimes(first[i]) + offset) * 20.0f;
    y[i] = 20.0f + (RandomFloatTimes(first[i]) + offset) * 20.0f;
    DrawLooks(false);
  }
  DrawTables();
  EXPECT_EQ(after, RandomState());
  EXPECT_EQ(TreesOf(*map, 0)[0]->x, x[0]);
  EXPECT_EQ(TreesOf(*map, 0)[1]->y, y[1]);
  EXPECT_EQ(TreesOf(*map, 1)[0]->x, x[2]);
  EXPECT_EQ(TreesOf(*map, 2)[0]->y, y[3]);
}

TEST(MapTrees, TallPinesGrowThreePinesOneInEachClass) {
  MapRig rig;
  auto map = ReadSeeded(rig, MiddleTileMap(rig, 15), 5);
  for (int d = 0; d < 3; ++d) {
    ASSERT_EQ(map->objects.trees[d].Count(), 1);
    const MapTree* tree = TreesOf(*map, d)[0];
    EXPECT_EQ(tree->pine, 1);
    EXPECT_LE(tree->variant, 2);
  }
}

TEST(MapTrees, MarshGrowsOneTreeWhenItsDrawAllows) {
  MapRig rig;
  Bytes bytes = MiddleTileMap(rig, 12);
  int grown = 0;
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    auto map = ReadSeeded(rig, bytes, seed);
    uint32_t after = RandomState();
    SeedRandom(seed);
    DrawPyramids();
    bool grows = Random(3) == 0;
    if (grows) {
      RandomFloatTimes(0.8f);
      RandomFloatTimes(0.8f);
      DrawLooks(false);
    }
    DrawTables();
    EXPECT_EQ(after, RandomState()) << seed;
    ASSERT_EQ(TreeCount(*map), grows ? 1 : 0) << seed;
    if (grows) {
      const MapTree* tree = TreesOf(*map, 0)[0];
      EXPECT_TRUE(tree->variant == 11 || tree->variant == 12);
      ++grown;
    }
  }
  EXPECT_GT(grown, 0);
}

TEST(MapTrees, NoTreeStandsOnARoad) {
  MapRig rig;
  Bytes bytes = MiddleTileMap(rig, 14, 45);  // road type 8 across the tile
  int trees = 0;
  for (uint32_t seed = 1; seed <= 25; ++seed) {
    auto map = ReadSeeded(rig, bytes, seed);
    for (int d = 0; d < 3; ++d) {
      for (const MapTree* tree : TreesOf(*map, d)) {
        EXPECT_NE(map->TerrainTypeAt(tree->x, tree->y), 8) << seed;
        ++trees;
      }
    }
  }
  EXPECT_GT(trees, 50);
}

TEST(MapTrees, TreeWithEveryPointRefusedIsGivenUpAfterSixteenDraws) {
  MapRig rig;
  // A crater over the whole tile: every point of it shows a crater.
  auto map = ReadSeeded(rig, MiddleTileMap(rig, 14, 0, 10.0f), 77);
  uint32_t after = RandomState();
  EXPECT_EQ(TreeCount(*map), 0);
  SeedRandom(77);
  DrawPyramids();
  for (int i = 0; i < 4; ++i) {
    for (int draw = 0; draw < 16; ++draw) {
      RandomFloatTimes(i == 1 ? 0.5f : 0.8f);
      RandomFloatTimes(i == 1 ? 0.5f : 0.8f);
    }
  }
  DrawTables();
  EXPECT_EQ(after, RandomState());
}

TEST(MapTrees, TheNextTreeIsStillTriedAfterOneIsGivenUp) {
  MapRig rig;
  // A crater over the middle of the tile, 24.5 to 35.5 m: the second tree's points all lie
  // in it; the others' only some of the time.
  Bytes bytes = MiddleTileMap(rig, 14, 0, 5.5f);
  for (uint32_t seed = 1; seed <= 5; ++seed) {
    auto map = ReadSeeded(rig, bytes, seed);
    uint32_t after = RandomState();
    SeedRandom(seed);
    DrawPyramids();
    int placed[3] = {0, 0, 0};
    const int detail[4] = {0, 0, 1, 2};
    for (int i = 0; i < 4; ++i) {
      for (int draw = 0; draw < 16; ++draw) {
        float scale = i == 1 ? 0.5f : 0.8f;
        float offset = i == 1 ? 0.25f : 0.1f;
        float x = 20.0f + (RandomFloatTimes(scale) + offset) * 20.0f;
        float y = 20.0f + (RandomFloatTimes(scale) + offset) * 20.0f;
        bool inCrater = x >= 24.5f && x <= 35.5f && y >= 24.5f && y <= 35.5f;
        if (inCrater) continue;
        DrawLooks(false);
        ++placed[detail[i]];
        break;
      }
    }
    DrawTables();
    EXPECT_EQ(after, RandomState()) << seed;
    EXPECT_EQ(map->objects.trees[0].Count(), placed[0]) << seed;
    EXPECT_EQ(map->objects.trees[1].Count(), placed[1]) << seed;
    EXPECT_EQ(map->objects.trees[2].Count(), placed[2]) << seed;
    EXPECT_LE(placed[0], 1);
  }
}

// Everything a tree holds, as bytes in field order.
Bytes TreeBytes(const MapTree& tree) {
  Bytes bytes(4 * 5 + 3);
  std::memcpy(&bytes[0], &tree.x, 4);
  std::memcpy(&bytes[4], &tree.y, 4);
  std::memcpy(&bytes[8], &tree.baseHeight, 4);
  std::memcpy(&bytes[12], &tree.height, 4);
  std::memcpy(&bytes[16], &tree.turn, 4);
  bytes[20] = tree.pine;
  bytes[21] = tree.mirrored ? 1 : 0;
  bytes[22] = tree.variant;
  return bytes;
}

TEST(MapTrees, SameFileAndSeedGiveTheSameGridAndTrees) {
  MapRig rig;
  Map source(rig.app);
  ASSERT_TRUE(source.NewMap(200.0f, 160.0f, nullptr));
  for (int x = 0; x < 10; ++x) {
    for (int y = 0; y < 8; ++y) {
      MapTile& tile = source.terrain.tiles.At(x, y);
      const uint8_t codes[] = {0, 12, 13, 14, 15, 17, 18, 20, 25};
      tile.code = codes[(x * 3 + y * 5) % 9];
      source.terrain.tileHeight.At(x, y) = static_cast<float>((x * y) % 5) * 2.5f;
      if (x == 4) tile.roadCode = 96;
    }
  }
  Bytes bytes = rig.Write(source);
  auto a = ReadSeeded(rig, bytes, 31337);
  auto b = ReadSeeded(rig, bytes, 31337);
  ASSERT_EQ(a->terrain.fineGrid.Width(), 100);
  ASSERT_EQ(a->terrain.fineGrid.Height(), 80);
  for (int i = 0; i < 100; ++i)
    for (int j = 0; j < 80; ++j) ASSERT_EQ(a->terrain.fineGrid.At(i, j), b->terrain.fineGrid.At(i, j)) << i << ", " << j;
  int trees = 0;
  for (int d = 0; d < 3; ++d) {
    auto ta = TreesOf(*a, d);
    auto tb = TreesOf(*b, d);
    ASSERT_EQ(ta.size(), tb.size());
    for (size_t k = 0; k < ta.size(); ++k) EXPECT_EQ(TreeBytes(*ta[k]), TreeBytes(*tb[k]));
    trees += static_cast<int>(ta.size());
  }
  EXPECT_GT(trees, 40);
}

}  // namespace
