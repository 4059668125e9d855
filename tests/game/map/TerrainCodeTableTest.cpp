// The terrain code table: its groups and counts, decoding, the reverse lookup with its snow
// rules, what the map generator writes, the palette's columns and the kinds' names.
#include "game/map/TerrainCodeTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/PStringTable.h"
#include "support/TestFolder.h"

namespace {

struct Triple {
  int16_t terrain = 0;
  int16_t road = 0;
  uint8_t fire = 0;
};

Triple Decode(int32_t code) {
  Triple t;
  TerrainCodeTable::DecodeTerrainCode(code, t.terrain, t.road, t.fire);
  return t;
}

std::string KindName(int32_t code) {
  char text[64] = {};
  PStringTable::LoadString(static_cast<uint32_t>(TerrainCodeTable::KindString(code)), text, sizeof text);
  return text;
}

// Road bytes of the 50 pieces in the palette's common order.
const int32_t kFirstPieces[13] = {1, 10, 8, 7, 11, 35, 32, 37, 33, 15, 16, 20, 19};

TEST(TerrainCodeTable, HoldsSixHundredTwentyOneCodesInTheirGroups) {
  int32_t used = 0;
  for (int32_t c = 0; c < TerrainCodeTable::kCodeCount; ++c) used += TerrainCodeTable::IsUsed(c) ? 1 : 0;
  EXPECT_EQ(used, 621);
  EXPECT_EQ(TerrainCodeTable::kCodeCount - used, 83);
  EXPECT_FALSE(TerrainCodeTable::IsUsed(-1));
  EXPECT_FALSE(TerrainCodeTable::IsUsed(704));
  // The first code of each group, and the codes between the groups.
  struct First {
    int32_t code, terrain, road, fire;
  };
  const First firsts[] = {{0, 0, 0, 0},    {1, 12, 0, 0},   {10, 25, 0, 0},  {12, 87, 0, 0},   {16, 59, 0, 0},
                          {43, 86, 0, 0},  {44, 91, 0, 0},  {50, 97, 97, 0}, {51, 98, 96, 0},  {52, 19, 0, 0},
                          {53, 59, 0, 1},  {59, 83, 0, 2},  {63, 16, 0, 3},  {64, 0, 45, 0},   {114, 0, 146, 0},
                          {128, 13, 45, 0}, {192, 14, 45, 0}, {256, 15, 45, 0}, {320, 0, 96, 0},  {370, 47, 0, 0},
                          {381, 58, 0, 0}, {384, 13, 96, 0}, {448, 14, 96, 0}, {512, 15, 96, 0}, {576, 100, 0, 0},
                          {605, 129, 0, 0}, {608, 131, 0, 0}, {640, 162, 0, 0}, {669, 191, 0, 0}, {672, 0, 153, 0}};
  for (const First& f : firsts) {
    Triple t = Decode(f.code);
    EXPECT_EQ(std::make_tuple(t.terrain, t.road, t.fire), std::make_tuple(f.terrain, f.road, f.fire)) << f.code;
  }
  std::vector<int32_t> unused;
  for (int32_t c = 0; c < TerrainCodeTable::kCodeCount; ++c) {
    if (!TerrainCodeTable::IsUsed(c)) unused.push_back(c);
  }
  std::vector<int32_t> expected = {11};
  auto range = [&](int32_t a, int32_t b) {
    for (int32_t c = a; c <= b; ++c) expected.push_back(c);
  };
  range(120, 127);
  range(184, 191);
  range(248, 255);
  range(312, 319);
  range(382, 383);
  range(434, 447);
  range(498, 511);
  range(562, 575);
  range(606, 607);
  range(638, 639);
  range(670, 671);
  EXPECT_EQ(unused, expected);
}

TEST(TerrainCodeTable, DecodingWritesTheLowBytesAndFindingReturnsEveryCode) {
  Triple open = Decode(0);
  EXPECT_EQ(std::make_tuple(open.terrain, open.road, open.fire), std::make_tuple(0, 0, 0));
  Triple unused = Decode(120);
  EXPECT_EQ(std::make_tuple(unused.terrain, unused.road, unused.fire), std::make_tuple(255, 0, 0));
  std::set<std::tuple<int, int, int>> seen;
  for (int32_t c = 0; c < TerrainCodeTable::kCodeCount; ++c) {
    if (!TerrainCodeTable::IsUsed(c)) continue;
    Triple t = Decode(c);
    EXPECT_TRUE(seen.insert({t.terrain, t.road, t.fire}).second) << c;
    EXPECT_EQ(TerrainCodeTable::FindTerrainCode(t.terrain, t.road, t.fire), c);
  }
}

TEST(TerrainCodeTableDeathTest, CodesOutsideTheTableAreAProgrammerError) {
  EXPECT_DEATH(Decode(704), "");
  EXPECT_DEATH(Decode(-1), "");
}

TEST(TerrainCodeTable, FindingReadsSnowFormsAndLogsAMiss) {
  EXPECT_EQ(TerrainCodeTable::FindTerrainCode(27, 0, 0), 10);
  EXPECT_EQ(TerrainCodeTable::FindTerrainCode(25, 0, 0), 10);
  EXPECT_EQ(TerrainCodeTable::FindTerrainCode(27, 0, 3), -1);
  // Burning grain read on snow ground: open ground that keeps the grain's fire state.
  const int32_t burningGrain = TerrainCodeTable::FindTerrainCode(16, 0, 3);
  EXPECT_EQ(burningGrain, 63);
  EXPECT_EQ(TerrainCodeTable::FindTerrainCode(0, 0, 3), burningGrain);
  EXPECT_EQ(TerrainCodeTable::FindTerrainCode(16, 0, 0), 6);
  EXPECT_EQ(TerrainCodeTable::FindTerrainCode(0, 0, 0), 0);
  TestFolder folder(true);
  EXPECT_EQ(TerrainCodeTable::FindTerrainCode(0, 200, 0), -1);
  EXPECT_EQ(TerrainCodeTable::FindTerrainCode(-5, 0, 0), -1);
  EXPECT_EQ(TerrainCodeTable::FindTerrainCode(0, 45, 256), -1);
  std::vector<std::string> lines = folder.LogLines();
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[1], "terrain 0");
  EXPECT_EQ(lines[2], "road 200");
  EXPECT_EQ(lines[3], "fireType 0");
  EXPECT_EQ(lines[5], "terrain -5");
}

// Everything the random map generator writes, and every entry read on snow ground.
TEST(TerrainCodeTable, CoversWhatTheMapGeneratorAndSnowGroundMake) {
  std::vector<std::tuple<int, int, int>> triples;
  auto bare = [&](int from, int to, std::set<int> but) {
    for (int t = from; t <= to; ++t) {
      if (but.count(t) == 0) triples.emplace_back(t, 0, 0);
    }
  };
  bare(0, 0, {});
  bare(12, 18, {});
  bare(25, 25, {});
  bare(47, 58, {});
  bare(59, 79, {});
  bare(83, 90, {});
  bare(100, 129, {116, 121});
  bare(131, 160, {147, 152});
  EXPECT_EQ(triples.size(), 106u);
  // The road masks that stay themselves under the generator's reduction.
  std::vector<int> reachable;
  for (int p = 1; p <= 50; ++p) {
    if (p <= 12 || (p >= 25 && p <= 29) || p >= 38) reachable.push_back(p);
  }
  ASSERT_EQ(reachable.size(), 30u);
  for (int ground : {0, 13, 14, 15}) {
    for (int p : reachable) {
      triples.emplace_back(ground, 44 + p, 0);
      triples.emplace_back(ground, 95 + p, 0);
    }
  }
  ASSERT_EQ(triples.size(), 346u);
  for (auto [t, r, f] : triples) EXPECT_GE(TerrainCodeTable::FindTerrainCode(t, r, f), 0) << t << " " << r << " " << f;
  for (int32_t c = 0; c < TerrainCodeTable::kCodeCount; ++c) {
    if (!TerrainCodeTable::IsUsed(c)) continue;
    Triple e = Decode(c);
    int16_t snow = e.terrain;
    if (snow == 12 || snow == 25 || snow == 45 || snow == 46) snow = 27;
    if (snow == 16) snow = 0;
    EXPECT_GE(TerrainCodeTable::FindTerrainCode(snow, e.road, e.fire), 0) << c;
  }
}

TEST(TerrainCodeTable, RoadPiecesKeepTheirColumnsInEveryGroup) {
  std::vector<int32_t> order(kFirstPieces, kFirstPieces + 13);
  auto listed = [&](int p) {
    for (int q : order) if (q == p) return true;
    return false;
  };
  for (int p = 1; p <= 50; ++p) {
    if ((p <= 24 || (p >= 30 && p <= 37)) && !listed(p)) order.push_back(p);
  }
  ASSERT_EQ(order.size(), 32u);
  for (int p = 1; p <= 50; ++p) {
    if (!listed(p)) order.push_back(p);
  }
  struct Group {
    int32_t first, terrain, firstRoad, pieces;
  };
  const Group groups[] = {{64, 0, 44, 50},  {128, 13, 44, 50}, {192, 14, 44, 50}, {256, 15, 44, 50},
                          {320, 0, 95, 50}, {384, 13, 95, 50}, {448, 14, 95, 50}, {512, 15, 95, 50},
                          {672, 0, 152, 32}};
  for (const Group& g : groups) {
    for (int32_t k = 0; k < g.pieces; ++k) {
      const int32_t code = g.first + k;
      EXPECT_EQ(code % 16, k % 16);
      Triple t = Decode(code);
      EXPECT_EQ(t.terrain, g.terrain) << code;
      EXPECT_EQ(t.road, g.firstRoad + order[static_cast<size_t>(k)]) << code;
    }
    if (g.firstRoad == 44) {
      for (int32_t j = 0; j < 6; ++j) EXPECT_EQ(Decode(g.first + 50 + j).road, 146 + j);
    }
  }
  std::set<int> rail;
  for (int32_t c = 672; c < 704; ++c) rail.insert(Decode(c).road);
  std::set<int> expected;
  for (int r = 153; r <= 176; ++r) expected.insert(r);
  for (int r = 182; r <= 189; ++r) expected.insert(r);
  EXPECT_EQ(rail, expected);
}

TEST(TerrainCodeTable, EveryUsedCodeHasANamedKind) {
  for (int32_t c = 0; c < TerrainCodeTable::kCodeCount; ++c) {
    if (!TerrainCodeTable::IsUsed(c)) {
      EXPECT_EQ(TerrainCodeTable::Kind(c), -1);
      continue;
    }
    ASSERT_GE(TerrainCodeTable::Kind(c), 0);
    ASSERT_LT(TerrainCodeTable::Kind(c), TerrainCodeTable::kKindCount);
    EXPECT_FALSE(KindName(c).empty()) << c;
  }
  EXPECT_EQ(KindName(0), "open ground");
  EXPECT_EQ(KindName(2), "scattered trees");
  EXPECT_EQ(KindName(320), "paved road");
  EXPECT_EQ(KindName(61), "burning woods");
  EXPECT_EQ(KindName(375), "pavement");
  EXPECT_EQ(KindName(576), "stone wall");
  EXPECT_EQ(KindName(608), "hedge");
  EXPECT_EQ(TerrainCodeTable::KindString(120), -1);
}

}  // namespace
