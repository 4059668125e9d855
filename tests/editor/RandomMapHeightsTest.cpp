#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "RandomMapTestRig.h"

namespace {

class RandomMapHills : public ::testing::Test {
 protected:
  MapRig rig;
  Map map{rig.app};
};

// The draws up to the roads: the centre's two, six per hill, then the road counts.
TEST_F(RandomMapHills, BoundTracesOfCentreHillsAndRoadCounts) {
  SeedRandom(1);
  {
    BoundRecorder recorder;
    RandomMapGenerator::Generate(map, Params(400.0f, 400.0f, 1, 1));
    const std::vector<int32_t> start = {10000000, 10000000, 10000000, 10000000, 10000000, 2, 20, 20,
                                        10000000, 10000000, 10000000, 2,        20,       20, 4, 10000000, 8};
    const auto& bounds = BoundRecorder::Bounds();
    ASSERT_GE(bounds.size(), start.size());
    EXPECT_EQ(std::vector<int32_t>(bounds.begin(), bounds.begin() + 2), std::vector<int32_t>(start.begin(), start.begin() + 2));
    EXPECT_EQ(std::vector<int32_t>(bounds.begin() + 2, bounds.begin() + 17), std::vector<int32_t>(start.begin() + 2, start.end()));
  }
  // Flat: no hills, straight on to the road count of the map type.
  const int32_t roadBound[4] = {4, 4, 2, 3};
  for (int32_t type = 0; type < 4; ++type) {
    BoundRecorder recorder;
    RandomMapGenerator::Generate(map, Params(400.0f, 400.0f, type, 0));
    const auto& bounds = BoundRecorder::Bounds();
    ASSERT_GE(bounds.size(), 3u);
    EXPECT_EQ(std::vector<int32_t>(bounds.begin(), bounds.begin() + 3),
              (std::vector<int32_t>{10000000, 10000000, roadBound[type]}))
        << type;
  }
}

TEST_F(RandomMapHills, HillCountsScaleWithTheMeanSideAndHilliness) {
  EXPECT_EQ(RandomMapGenerator::HillCount(5000, 0), 0);
  EXPECT_EQ(RandomMapGenerator::HillCount(5000, 1), 357);
  EXPECT_EQ(RandomMapGenerator::HillCount(5000, 2), 1011);
  EXPECT_EQ(RandomMapGenerator::HillCount(5000, 3), 2218);
  EXPECT_EQ(RandomMapGenerator::HillCount(5000, 4), 4614);
  EXPECT_EQ(RandomMapGenerator::HillCount(3872, 4), 2767);  // 5,000 x 3,000 m
  // In the trace: each hill draws Random(2) for its sign once, among six draws.
  SeedRandom(7);
  RandomMapGenerator generator(map, Params(4720.0f, 1520.0f, 1, 4));
  generator.NewMap();
  generator.CentrePoint();
  EXPECT_EQ(generator.MeanSide(), 2678);
  BoundRecorder recorder;
  generator.Hills();
  const auto& bounds = BoundRecorder::Bounds();
  EXPECT_EQ(std::count(bounds.begin(), bounds.end(), 2), 1323);
  EXPECT_EQ(bounds.size(), size_t{1323} * 6);
}

TEST_F(RandomMapHills, FlatMapsAreLevelSixAndLevelsStayInRange) {
  SeedRandom(3);
  RandomMapGenerator::Generate(map, Params(1000.0f, 600.0f, 2, 0));
  for (int32_t x = 0; x < map.size.tilesX; ++x) {
    for (int32_t y = 0; y < map.size.tilesY; ++y) {
      ASSERT_EQ(map.terrain.tileHeight.At(x, y), 18.0f * map.size.heightScale);
    }
  }
  int32_t lowSeen = 99;
  int32_t highSeen = -99;
  // Large Hills at full hill density, on a fifth of the largest map to keep the test quick.
  for (uint32_t seed = 0; seed < 20; ++seed) {
    SeedRandom(seed);
    RandomMapGenerator generator(map, Params(5000.0f, 1000.0f, 2, 4));
    generator.NewMap();
    generator.CentrePoint();
    generator.Hills();
    generator.Levels();
    for (int32_t x = 0; x < generator.TilesX(); ++x) {
      for (int32_t y = 0; y < generator.TilesY(); ++y) {
        const float level = generator.Field(x, y);
        ASSERT_GE(level, -1.0f);
        ASSERT_LE(level, 18.0f);
        ASSERT_EQ(level, static_cast<float>(static_cast<int32_t>(level)));
        ASSERT_EQ(map.terrain.tileHeight.At(x, y), level * 3.0f * map.size.heightScale);
        lowSeen = std::min(lowSeen, static_cast<int32_t>(level));
        highSeen = std::max(highSeen, static_cast<int32_t>(level));
      }
    }
  }
  // Large hills reach both clamps somewhere.
  EXPECT_EQ(lowSeen, -1);
  EXPECT_EQ(highSeen, 18);
}

TEST_F(RandomMapHills, SmoothingCutsPeaksFillsPitsAndLooksOnlyInsideTheMap) {
  RandomMapGenerator generator(map, Params(200.0f, 200.0f, 1, 0));  // 10 x 10 tiles
  generator.NewMap();
  generator.CentrePoint();
  generator.Hills();  // flat: an empty field
  auto fill = [&](float level) {
    for (int32_t x = 0; x < 10; ++x)
      for (int32_t y = 0; y < 10; ++y) generator.SetField(x, y, level);
  };
  // A lone peak drops to its highest neighbour; a pit rises to its lowest.
  fill(6.0f);
  generator.SetField(4, 4, 12.0f);
  generator.SetField(5, 5, 8.0f);
  generator.SetField(7, 2, 0.0f);
  generator.SetField(6, 2, 3.0f);
  generator.Smooth();
  EXPECT_EQ(generator.Field(4, 4), 8.0f);
  EXPECT_EQ(generator.Field(5, 5), 8.0f);  // level with its neighbour that came down
  EXPECT_EQ(generator.Field(7, 2), 3.0f);
  // A corner looks at three neighbours: (1, 1) being high does not hold up (0, 9)'s corner...
  fill(6.0f);
  generator.SetField(0, 0, 15.0f);
  generator.SetField(1, 1, 9.0f);
  generator.Smooth();
  EXPECT_EQ(generator.Field(0, 0), 9.0f);
  // ...and an edge tile five: the tile two away does not count.
  fill(6.0f);
  generator.SetField(0, 5, 15.0f);
  generator.SetField(2, 5, 14.0f);
  generator.SetField(1, 6, 10.0f);
  generator.Smooth();
  EXPECT_EQ(generator.Field(0, 5), 10.0f);
  // A tile of the same height as its highest neighbour stays.
  fill(6.0f);
  generator.SetField(3, 3, 9.0f);
  generator.SetField(3, 4, 9.0f);
  generator.Smooth();
  EXPECT_EQ(generator.Field(3, 3), 9.0f);
}

// The tabulated hill step gives the plain loop's field, bit for bit, for every hilliness.
TEST_F(RandomMapHills, TabulatedHillsEqualThePlainLoop) {
  for (int32_t hilliness = 1; hilliness <= 4; ++hilliness) {
    for (uint32_t seed = 0; seed < 20; ++seed) {
      // Sizes from 3 to 41 tiles a side, and one of 100 x 100 where the plain loop is cheap.
      const bool large = seed == 19 && hilliness == 1;
      const float side = large ? 2000.0f : 60.0f + 40.0f * static_cast<float>((seed * 7) % 20);
      const float other = large ? 2000.0f : 60.0f + 40.0f * static_cast<float>((seed * 3) % 20);
      RandomMapGenerator generator(map, Params(side, other, 1, hilliness));
      generator.NewMap();
      SeedRandom(seed);
      generator.CentrePoint();
      generator.Hills();
      std::vector<uint32_t> tabulated;
      for (int32_t x = 0; x < generator.TilesX(); ++x)
        for (int32_t y = 0; y < generator.TilesY(); ++y) {
          uint32_t bits;
          const float v = generator.Field(x, y);
          std::memcpy(&bits, &v, 4);
          tabulated.push_back(bits);
        }
      const uint32_t after = RandomState();
      SeedRandom(seed);
      generator.CentrePoint();
      generator.HillsReference();
      EXPECT_EQ(RandomState(), after);
      size_t i = 0;
      for (int32_t x = 0; x < generator.TilesX(); ++x)
        for (int32_t y = 0; y < generator.TilesY(); ++y) {
          const float v = generator.Field(x, y);
          // +0 and -0 are the same height; every other value must match in its bits.
          if (v == 0.0f) {
            ASSERT_EQ(std::bit_cast<float>(tabulated[i]), 0.0f);
          } else {
            uint32_t bits;
            std::memcpy(&bits, &v, 4);
            ASSERT_EQ(bits, tabulated[i]) << hilliness << " " << seed << " " << x << " " << y;
          }
          ++i;
        }
    }
  }
}

TEST(RandomMapGeneratorDeathTest, ParametersOutsideTheEditorsChoicesAreFatal) {
  MapRig rig;
  Map map(rig.app);
  EXPECT_DEATH(RandomMapGenerator(map, Params(1000.0f, 1000.0f, 4, 0)), "");
  EXPECT_DEATH(RandomMapGenerator(map, Params(1000.0f, 1000.0f, 0, 5)), "");
  EXPECT_DEATH(RandomMapGenerator(map, Params(1000.0f, 1000.0f, 0, 0, -1, 4)), "");
  EXPECT_DEATH(RandomMapGenerator(map, Params(40.0f, 1000.0f, 0, 0)), "");
  EXPECT_DEATH(RandomMapGenerator(map, Params(1000.0f, 5100.0f, 0, 0)), "");
}

}  // namespace
