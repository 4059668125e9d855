// The terrain set-up passes that Read runs: corner heights and the low-detail mesh, levelling,
// tile shapes, road pieces and ends, height pyramids, and the random draws in their order.
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "MapTestRig.h"
#include "framework/core/Quorl.h"

namespace {

// The height of a level on a map read back from a stream (scale 0.833).
constexpr float kReadLevel = 0.833f * 3.0f;

// Every draw that reading a map of plain codes makes after its terrain codes: the ground
// variation of the height pyramids, the trees of woods tiles whose first points all stand
// clear, then the drawing tables.
void DrawPyramidsAndTables(bool pyramids, int woodsTiles = 0) {
  if (pyramids)
    for (int i = 0; i < 64; ++i) Random(5);
  for (int i = 0; i < woodsTiles * 4; ++i) {
    RandomFloatTimes(i % 4 == 1 ? 0.5f : 0.8f);
    RandomFloatTimes(i % 4 == 1 ? 0.5f : 0.8f);
    RandomFloatTimes(0.5f);
    RandomFloatTimes(360.0f);
    Random(2);
    Random(8);
  }
  for (int i = 0; i < 29 * 16; ++i) {
    for (int k = 0; k < 4; ++k) RandomFloatTimes(20.0f);
    RandomFloatTimes(3.5f);
    RandomFloatTimes(3.0f);
    Random(4);
  }
}

TEST(MapRandomDraws, DefaultMapLeavesTheGeneratorWhereItsDrawsDo) {
  MapRig rig;
  SeedRandom(424242);
  auto map = rig.Default();
  uint32_t afterRead = RandomState();
  SeedRandom(424242);
  DrawPyramidsAndTables(true);
  EXPECT_EQ(afterRead, RandomState());
  for (auto& row : map->terrain.groundVariation)
    for (uint8_t v : row) EXPECT_TRUE(v >= 3 && v <= 7);
  const auto& record = map->display.tables.records[0][0];
  EXPECT_TRUE(record.offsets[0] >= -10.0f && record.offsets[0] < 10.0f);
  EXPECT_TRUE(record.size >= 0.5f && record.size < 4.0f);
  EXPECT_EQ(map->display.tables.steps[12], 923);
}

TEST(MapRandomDraws, UnshapedTerrainTakesARandomRotationBeforeThePyramids) {
  MapRig rig;
  Map source(rig.app);
  ASSERT_TRUE(source.NewMap(60.0f, 60.0f, nullptr));
  source.terrain.tiles.At(2, 2).code = 20;
  source.terrain.tiles.At(0, 1).code = 14;  // shaped: no draw, but four trees later
  Bytes bytes = rig.Write(source);
  SeedRandom(99);
  auto map = rig.Read(bytes);
  uint32_t afterRead = RandomState();
  SeedRandom(99);
  int32_t rotation = Random(4);
  DrawPyramidsAndTables(true, 1);
  EXPECT_EQ(afterRead, RandomState());
  EXPECT_EQ(map->terrain.tiles.At(2, 2).rotation, rotation);
  EXPECT_EQ(map->terrain.tiles.At(2, 2).terrain, 20);
}

TEST(MapRandomDraws, TheOperationsOwnMapBuildsNoPyramidsButStillHasCorners) {
  MapRig rig;
  FakeBattle& operation = rig.app.MakeOperation();
  operation.map = std::make_unique<Map>(rig.app);
  SeedRandom(7);
  ASSERT_TRUE(operation.map->Read(nullptr));
  uint32_t afterRead = RandomState();
  SeedRandom(7);
  DrawPyramidsAndTables(false);
  EXPECT_EQ(afterRead, RandomState());
  EXPECT_FALSE(operation.map->terrain.blockFlags.IsSized());
  // The corners are computed all the same, so levelling never sees an empty grid.
  EXPECT_EQ(operation.map->terrain.vertexHeight.At(20, 20), 15.0f);
}

namespace {

std::vector<int32_t> gBounds;
void RecordBound(int32_t n) { gBounds.push_back(n); }

}  // namespace

TEST(MapRandomDraws, AStandInTakesTheDefaultMapsDrawsAndImportsTheSameBytes) {
  MapRig rig;
  // An import block (codes, levels, zones of 250 x 250 tiles): burning woods, a paved road
  // piece and rubble on rising ground.
  std::vector<uint8_t> block(250000, 0);
  auto set = [&](int32_t x, int32_t y, int16_t code, int8_t level, uint8_t zone) {
    const size_t at = static_cast<size_t>(x * 250 + y);
    std::memcpy(block.data() + at * 2, &code, sizeof code);
    block[125000 + at] = static_cast<uint8_t>(level);
    block[187500 + at] = zone;
  };
  for (int32_t x = 0; x < 12; ++x)
    for (int32_t y = 0; y < 9; ++y) set(x, y, 0, static_cast<int8_t>((x + 2 * y) % 5 - 1), x < 3 ? 1 : 4);
  set(2, 3, 61, 3, 0);
  set(5, 5, 321, 1, 0);
  set(7, 1, 52, 0, 2);
  struct Built {
    uint32_t state;
    std::vector<int32_t> bounds;
    Bytes imported;
  };
  auto build = [&](bool standIn, int32_t w, int32_t h) {
    Map map(rig.app);
    map.size.tilesX = w;
    map.size.tilesY = h;
    SeedRandom(31337);
    gBounds.clear();
    SetRandomBoundObserver(RecordBound);
    if (standIn) map.SetUpStandIn();
    else EXPECT_TRUE(map.Read(nullptr));
    SetRandomBoundObserver(nullptr);
    Built built{RandomState(), gBounds, {}};
    map.size.heightScale = 1.25f;
    EXPECT_TRUE(map.NewMap(240.0f, 180.0f, block.data()));
    built.imported = rig.Write(map);
    return built;
  };
  for (auto [w, h] : {std::pair{40, 40}, std::pair{3, 97}}) {
    const Built full = build(false, w, h);
    const Built standIn = build(true, w, h);
    EXPECT_EQ(standIn.state, full.state) << w << " x " << h;
    EXPECT_EQ(standIn.bounds, full.bounds) << w << " x " << h;
    EXPECT_EQ(standIn.bounds.size(), 64u + 29u * 16u * 7u);
    EXPECT_EQ(standIn.imported, full.imported) << w << " x " << h;
  }
}

TEST(MapVertexHeights, MapsOfAnySizeFrom1To250Load) {
  MapRig rig;
  auto one = rig.Build(1, 1, [](Map& m) { m.terrain.tileHeight.At(0, 0) = Levels(3.0f); });
  for (int32_t x = 0; x <= 1; ++x)
    for (int32_t y = 0; y <= 1; ++y) {
      EXPECT_EQ(one->terrain.vertexHeight.At(x, y), 3.0f * kReadLevel);
      EXPECT_EQ(one->terrain.lodVertexHeight.At(x, y), 3.0f * kReadLevel);
    }
  EXPECT_EQ(one->terrain.blockFlags.Width(), 1);
  EXPECT_EQ(one->terrain.flatHeight[2].Width(), 1);
  auto big = rig.Build(250, 250);
  EXPECT_EQ(big->terrain.blockFlags.Width(), 63);
  EXPECT_EQ(big->terrain.blockMinHeight.Width(), 63);
  EXPECT_EQ(big->terrain.lodTileHeight.At(249, 249), 2.0f * kReadLevel);
}

TEST(MapVertexHeights, APartialBlockKeepsTheFullDetailCorners) {
  MapRig rig;
  auto map = rig.Build(5, 3, [](Map& m) {
    for (int32_t x = 0; x < 5; ++x)
      for (int32_t y = 0; y < 3; ++y) m.terrain.tileHeight.At(x, y) = Levels(static_cast<float>((x * 3 + y * 5) % 4));
  });
  const auto& t = map->terrain;
  for (int32_t x = 0; x <= 5; ++x)
    for (int32_t y = 0; y <= 3; ++y) EXPECT_EQ(t.lodVertexHeight.At(x, y), t.vertexHeight.At(x, y)) << x << "," << y;
  // Tile (1, 0): i + j odd, split along the other diagonal.
  EXPECT_EQ(t.lodTileHeight.At(1, 0), (t.vertexHeight.At(1, 1) + t.vertexHeight.At(2, 0)) * 0.5f);
  EXPECT_EQ(t.lodTileHeight.At(4, 2), (t.vertexHeight.At(4, 2) + t.vertexHeight.At(5, 3)) * 0.5f);
  EXPECT_EQ(t.blockFlags.Width(), 2);
  EXPECT_EQ(t.blockFlags.Height(), 1);
  EXPECT_EQ(t.flatHeight[1].Width(), 3);
  EXPECT_EQ(t.flatHeight[1].Height(), 2);
}

TEST(MapVertexHeights, AWholeBlockInterpolatesFromItsCornersAndCentre) {
  MapRig rig;
  auto map = rig.Build(8, 4, [](Map& m) {
    for (int32_t x = 0; x < 8; ++x)
      for (int32_t y = 0; y < 4; ++y) m.terrain.tileHeight.At(x, y) = Levels(static_cast<float>(x + 2 * y));
  });
  const auto& V = map->terrain.vertexHeight;
  const auto& L = map->terrain.lodVertexHeight;
  EXPECT_EQ(L.At(0, 1), (3.0f * V.At(0, 0) + V.At(0, 4)) * 0.25f);
  EXPECT_EQ(L.At(2, 0), (V.At(0, 0) + V.At(4, 0)) * 0.5f);
  EXPECT_EQ(L.At(2, 2), V.At(2, 2));
  EXPECT_EQ(L.At(3, 3), (V.At(2, 2) + V.At(4, 4)) * 0.5f);
  EXPECT_EQ(L.At(2, 3), V.At(2, 2) * 0.5f + (V.At(0, 4) + V.At(4, 4)) * 0.25f);
  EXPECT_EQ(L.At(8, 2), V.At(8, 2));
  EXPECT_EQ(map->terrain.lodTileHeight.At(0, 0), (L.At(0, 0) + L.At(1, 1)) * 0.5f);
}

TEST(MapVertexHeights, PeaksTakeTheirTopAndPitsTheirBottom) {
  MapRig rig;
  auto raised = rig.Build(4, 3, [](Map& m) {
    m.terrain.tileHeight.At(1, 1) = Levels(4.0f);
    m.terrain.tileHeight.At(2, 1) = Levels(4.0f);
  });
  const auto& V = raised->terrain.vertexHeight;
  EXPECT_EQ(V.At(2, 1), 4.0f * kReadLevel);
  EXPECT_EQ(V.At(2, 2), 4.0f * kReadLevel);
  EXPECT_NEAR(V.At(1, 1), 2.5f * kReadLevel, 1e-5f);
  auto lowered = rig.Build(4, 3, [](Map& m) {
    m.terrain.tileHeight.At(1, 1) = Levels(0.0f);
    m.terrain.tileHeight.At(2, 1) = Levels(0.0f);
  });
  const auto& W = lowered->terrain.vertexHeight;
  EXPECT_EQ(W.At(2, 1), 0.0f);
  EXPECT_EQ(W.At(2, 2), 0.0f);
  EXPECT_NEAR(W.At(1, 1), 1.5f * kReadLevel, 1e-5f);
  // Edges are the mean of their two tiles; the map's corners take their tile.
  EXPECT_EQ(W.At(2, 0), 2.0f * kReadLevel);
  EXPECT_EQ(W.At(0, 3), 2.0f * kReadLevel);
}

TEST(MapLevelling, ABuildingWhoseCornersAreHeldIsDropped) {
  MapRig rig;
  auto map = rig.Build(4, 3, [](Map& m) {
    m.terrain.tileHeight.At(1, 1) = Levels(3.0f);
    m.terrain.tiles.At(1, 1).code = 60;
    m.fire.state.SetU8(1, 1, 2);
    m.terrain.tiles.At(2, 1).code = 61;
  });
  const auto& t = map->terrain;
  EXPECT_EQ(t.tiles.At(1, 1).code, 0);
  EXPECT_EQ(map->fire.state.GetU8(1, 1), 0);
  // Its neighbour then stands level.
  EXPECT_EQ(t.tiles.At(2, 1).code, 61);
  EXPECT_EQ(t.vertexHeight.At(2, 1), 2.0f * kReadLevel);
  EXPECT_EQ(t.vertexHeight.At(3, 2), 2.0f * kReadLevel);
}

TEST(MapLevelling, WaterIsLevelledWhereNothingHoldsItsCorners) {
  MapRig rig;
  auto map = rig.Build(3, 3, [](Map& m) {
    m.terrain.tileHeight.At(1, 1) = Levels(1.0f);
    m.terrain.tiles.At(1, 1).code = 25;
  });
  for (int32_t x = 1; x <= 2; ++x)
    for (int32_t y = 1; y <= 2; ++y) EXPECT_EQ(map->terrain.vertexHeight.At(x, y), kReadLevel);
}

TEST(MapLevelling, AStraightRoadIsLevelledOnlyBetweenEqualTilesOrAtTheEdge) {
  MapRig rig;
  auto map = rig.Build(3, 5, [](Map& m) {
    m.terrain.tileHeight.At(1, 2) = Levels(3.0f);
    m.terrain.tiles.At(1, 2).roadCode = 45;
    m.terrain.tileHeight.At(1, 0) = Levels(3.0f);
    m.terrain.tiles.At(1, 0).roadCode = 96;
  });
  const auto& V = map->terrain.vertexHeight;
  const float t = 3.0f * kReadLevel;
  EXPECT_FALSE(V.At(1, 2) == t && V.At(2, 3) == t);
  EXPECT_EQ(V.At(1, 0), t);
  EXPECT_EQ(V.At(2, 0), t);
  EXPECT_EQ(V.At(1, 1), t);
  EXPECT_EQ(V.At(2, 1), t);
  EXPECT_EQ(map->terrain.tiles.At(1, 2).road, 8);
  EXPECT_EQ(map->terrain.tiles.At(1, 0).road, 9);
}

TEST(MapTileShapes, WaterCountsBridgesAndFordsAsWaterAndMarshDoesNot) {
  MapRig rig;
  auto map = rig.Build(3, 3, [](Map& m) {
    m.terrain.tiles.At(1, 1).code = 25;
    m.terrain.tiles.At(0, 1).code = 93;
    m.terrain.tiles.At(2, 1).code = 45;
    m.terrain.tiles.At(1, 0).code = 12;
  });
  const auto& water = map->terrain.tiles.At(1, 1);
  EXPECT_EQ(water.shape, 3);
  EXPECT_EQ(water.rotation, 0);
  const auto& marsh = map->terrain.tiles.At(1, 0);
  EXPECT_EQ(marsh.shape, 4);  // only the map's edge matches
  EXPECT_EQ(marsh.rotation, 0);
  const auto& ford = map->terrain.tiles.At(2, 1);
  EXPECT_EQ(ford.terrain, 26);
  EXPECT_EQ(ford.rotation, 1);
  const auto& bridge = map->terrain.tiles.At(0, 1);
  EXPECT_EQ(bridge.terrain, 25);
  EXPECT_EQ(bridge.code, 93);
}

TEST(MapTileShapes, AllSixteenNeighbourSetsGiveTheirShape) {
  struct Row {
    bool w, e, n, s;
    int16_t shape;
    uint8_t rotation;
  };
  const Row rows[16] = {
      {true, true, true, true, 0, 0},     {true, true, true, false, 1, 0},  {true, false, true, true, 1, 1},
      {true, true, false, true, 1, 2},    {false, true, true, true, 1, 3},  {true, false, true, false, 2, 0},
      {true, false, false, true, 2, 1},   {false, true, false, true, 2, 2}, {false, true, true, false, 2, 3},
      {true, true, false, false, 3, 0},   {false, false, true, true, 3, 1}, {false, false, true, false, 4, 0},
      {true, false, false, false, 4, 1},  {false, false, false, true, 4, 2}, {false, true, false, false, 4, 3},
      {false, false, false, false, 5, 0},
  };
  MapRig rig;
  for (const Row& row : rows) {
    auto map = rig.Build(3, 3, [&](Map& m) {
      m.terrain.tiles.At(1, 1).code = 14;
      if (row.w) m.terrain.tiles.At(0, 1).code = 14;
      if (row.e) m.terrain.tiles.At(2, 1).code = 14;
      if (row.n) m.terrain.tiles.At(1, 0).code = 14;
      if (row.s) m.terrain.tiles.At(1, 2).code = 14;
    });
    const MapTile& tile = map->terrain.tiles.At(1, 1);
    EXPECT_EQ(tile.shape, row.shape) << row.w << row.e << row.n << row.s;
    EXPECT_EQ(tile.rotation, row.rotation) << row.w << row.e << row.n << row.s;
  }
}

TEST(MapTileShapes, PavementHasFixedShapes) {
  MapRig rig;
  auto map = rig.Build(4, 2, [](Map& m) {
    m.terrain.tiles.At(0, 0).code = 48;
    m.terrain.tiles.At(1, 0).code = 51;
    m.terrain.tiles.At(2, 0).code = 56;
    m.terrain.tiles.At(3, 0).code = 57;
  });
  const auto& t = map->terrain.tiles;
  EXPECT_EQ(t.At(0, 0).terrain, 11);
  EXPECT_EQ(t.At(0, 0).rotation, 1);
  EXPECT_EQ(t.At(1, 0).shape, 3);
  EXPECT_EQ(t.At(1, 0).rotation, 2);
  EXPECT_EQ(t.At(2, 0).shape, 4);
  EXPECT_EQ(t.At(2, 0).rotation, 3);
  EXPECT_EQ(t.At(3, 0).shape, 2);
}

TEST(MapRoads, RoadCodesGivePiecesAndNeighboursMarkRoadEnds) {
  MapRig rig;
  auto map = rig.Build(2, 3, [](Map& m) {
    m.terrain.tiles.At(0, 0).roadCode = 45 + 3;  // type 8, pattern 3: reaches corner 0 below
    m.terrain.tiles.At(0, 1).roadCode = 45 + 13;
    m.terrain.tiles.At(0, 2).roadCode = 45 + 2;  // pattern 2: reaches corner 1 above
    m.terrain.tiles.At(1, 1).roadCode = 96 + 4;
  });
  const auto& t = map->terrain.tiles;
  EXPECT_EQ(t.At(0, 1).road, 8);
  EXPECT_EQ(t.At(0, 1).roadShape, 3);
  EXPECT_EQ(t.At(0, 1).roadRotation, 0);
  EXPECT_EQ(t.At(0, 1).roadMirrored, 1);
  EXPECT_EQ(t.At(1, 1).road, 9);
  EXPECT_EQ(t.At(1, 1).roadShape, 2);
  const MapTile& middle = t.At(0, 1);
  EXPECT_EQ(middle.roadEnds[0][1], 1);
  EXPECT_EQ(middle.roadEnds[3][1], 0);
  // The road of the middle tile itself reaches corner 1's probe cell: that flag is cleared
  // when the ends are painted into the fine grid.
  EXPECT_EQ(middle.roadEnds[1][1], 0);
  EXPECT_EQ(middle.roadEnds[2][1], 0);
  EXPECT_EQ(middle.roadEnds[0][0], 0);
  EXPECT_EQ(t.At(1, 1).roadEnds[0][1], 0);
}

TEST(MapPyramids, FlatGroundKeepsItsHeightAtEveryLevel) {
  MapRig rig;
  auto map = rig.Default();
  const auto& t = map->terrain;
  EXPECT_EQ(t.flatHeight[0].At(5, 5), 15);
  EXPECT_EQ(t.flatHeight[1].Width(), 20);
  EXPECT_EQ(t.flatHeight[1].At(19, 19), 15);
  EXPECT_EQ(t.flatHeight[2].Width(), 10);
  EXPECT_EQ(t.flatHeight[2].At(3, 7), 15);
  EXPECT_EQ(t.blockMinHeight.At(9, 9), 15.0f);
  EXPECT_EQ(t.blockMaxHeight.At(9, 9), 33.0f);
  EXPECT_EQ(t.blockFlags.Width(), 10);
  for (float m : t.edgeMinHeight) EXPECT_EQ(m, 15.0f);
}

TEST(MapPyramids, SlopesGiveNoFlatHeightAndTheirRange) {
  MapRig rig;
  auto map = rig.Build(4, 4, [](Map& m) {
    m.terrain.tileHeight.At(3, 3) = Levels(-2.0f);
  });
  const auto& t = map->terrain;
  EXPECT_EQ(t.flatHeight[0].At(3, 3), -999);
  EXPECT_EQ(t.flatHeight[0].At(0, 0), 5);  // 4.998 m, nudged up by 0.01
  EXPECT_EQ(t.flatHeight[1].At(1, 1), -999);
  EXPECT_EQ(t.flatHeight[1].At(0, 0), 5);
  EXPECT_EQ(t.blockMinHeight.At(0, 0), -5.0f);  // -4.998 m, nudged down
  EXPECT_EQ(t.blockMaxHeight.At(0, 0), 5.0f + 18.0f);
  EXPECT_EQ(t.edgeMinHeight[1], -2.0f * kReadLevel);
  EXPECT_EQ(t.edgeMinHeight[0], 2.0f * kReadLevel);
}

}  // namespace
