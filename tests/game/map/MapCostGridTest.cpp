// Movement-cost grids: the price table against its printed rows, the ground and the date,
// corners, fringes, bridges, road edges, fires, minefields and coarse blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <sstream>
#include <string>

#include "MapTestRig.h"
#include "framework/core/Crc32.h"
#include "game/map/FineTerrain.h"

namespace {

// The price table as printed: type, then the prices of move classes 0 to 4.
const char* const kPrintedTable = R"(
0 80 80 12 12 12
1 28 28 18 18 28
2 10 10 220 220 220
3 10 10 255 255 255
4 140 255 255 255 255
5 220 255 18 255 255
6 220 255 80 255 255
7 220 255 255 255 255
8 80 80 10 10 10
9 80 80 10 10 10
10 110 110 110 110 110
11 80 80 10 10 10
12 140 255 255 255 255
13 18 18 45 45 80
14 10 10 255 255 255
15 10 10 255 255 255
16 28 28 18 18 28
17 28 28 18 18 28
18 18 18 255 255 255
19 18 255 255 255 255
20 110 110 255 255 255
21 18 18 255 255 255
22 18 18 255 255 255
23 18 18 255 255 255
24 255 255 255 255 255
25 255 255 255 255 255
26 220 255 255 255 255
27 110 110 255 255 255
28 220 255 255 255 255
29 140 255 80 255 255
30 140 255 80 80 255
31 12 255 255 255 255
32 10 255 255 255 255
33 12 255 255 255 255
34 10 255 255 255 255
35 255 255 255 255 255
36 80 80 10 10 10
37 80 80 10 10 10
38 80 80 10 10 10
39 80 80 10 10 10
40 80 80 10 10 10
41 80 80 10 10 10
42 80 80 10 10 10
43 255 255 255 255 255
44 255 255 255 255 255
)";

int PrintedCost(int type, int moveClass) {
  std::istringstream in(kPrintedTable);
  int row[6];
  while (in >> row[0] >> row[1] >> row[2] >> row[3] >> row[4] >> row[5]) {
    if (row[0] == type) return row[1 + moveClass];
  }
  ADD_FAILURE() << "no printed row for type " << type;
  return -1;
}

class CostGrid : public ::testing::Test {
 protected:
  // A flat map of 3 x 3 tiles (30 x 30 cells) of one fine type, in a battle.
  void SetUp() override {
    battle = &rig.app.MakeBattle();
    map = rig.Default(3, 3);
    Fill(0);
  }
  void Fill(int type) {
    for (int x = 0; x < 30; ++x) {
      for (int y = 0; y < 30; ++y) Set(x, y, type);
    }
  }
  void Set(int x, int y, int type) { map->terrain.fineGrid.At(x, y) = static_cast<uint16_t>(type << 10 | 100); }
  void Rect(int x0, int y0, int x1, int y1, int type) {
    for (int x = x0; x <= x1; ++x) {
      for (int y = y0; y <= y1; ++y) Set(x, y, type);
    }
  }
  const MapGrid<uint8_t>& Build(int moveClass, int sideFlag = 1) {
    map->FreeCostGrids();
    map->BuildCostGrid(sideFlag, moveClass);
    return map->routes.cost[moveClass];
  }
  int Count(const MapGrid<uint8_t>& grid, int value) {
    int n = 0;
    for (int x = 0; x < grid.Width(); ++x) {
      for (int y = 0; y < grid.Height(); ++y) n += grid.At(x, y) == value;
    }
    return n;
  }

  MapRig rig;
  FakeBattle* battle = nullptr;
  std::unique_ptr<Map> map;
};

TEST_F(CostGrid, TableHoldsThePrintedPricesAndEveryUniformMapGivesThem) {
  for (int type = 0; type < Map::kCostTypes; ++type) {
    Fill(type);
    for (int c = 0; c < Map::kMoveClasses; ++c) {
      const int printed = PrintedCost(type, c);
      EXPECT_EQ(Map::TableMoveCost(type, c), printed) << type << " " << c;
      // The anchor of the middle block holds the price whether or not the block coarsened.
      EXPECT_EQ(Build(c).At(12, 12), printed) << type << " " << c;
    }
  }
}

TEST_F(CostGrid, GroundSoftensOpenGroundRoadsAndFieldsForVehiclesOnly) {
  struct Case {
    int ground, type, moveClass, cost;
  };
  const Case cases[] = {
      {5, 0, 2, 28},   {5, 0, 4, 28},  {5, 8, 3, 12},  {5, 9, 3, 10},  {5, 0, 0, 80},  {3, 0, 2, 18},
      {3, 8, 2, 10},   {8, 0, 3, 28},  {4, 13, 2, 110}, {4, 13, 4, 140}, {5, 13, 3, 140}, {5, 13, 4, 220},
      {6, 16, 2, 28},  {6, 1, 4, 45},  {5, 17, 3, 45}, {8, 16, 4, 80},  {7, 6, 2, 140}, {5, 6, 2, 220},
      {5, 6, 0, 220},  {2, 0, 2, 12},  {1, 13, 4, 80}, {0, 16, 4, 28},
  };
  for (const Case& k : cases) {
    battle->ground = k.ground;
    Fill(k.type);
    EXPECT_EQ(Build(k.moveClass).At(12, 12), k.cost) << k.ground << " " << k.type << " " << k.moveClass;
  }
}

TEST_F(CostGrid, RoadEdgesTakeTwoRowsAndTwelveIsRoadOnlyInDeepMud) {
  // A road of type 8 from x = 8 to 17 beside track (110) on both sides.
  Fill(10);
  Rect(8, 0, 17, 29, 8);
  battle->ground = 5;  // road costs 12 and counts as road
  const auto& deep = Build(2);
  EXPECT_EQ(deep.At(8, 15), 18);
  EXPECT_EQ(deep.At(9, 15), 18);
  EXPECT_EQ(deep.At(10, 15), 12);
  EXPECT_EQ(deep.At(15, 15), 12);
  EXPECT_EQ(deep.At(16, 15), 18);
  EXPECT_EQ(deep.At(17, 15), 18);
  EXPECT_EQ(deep.At(7, 15), 110);
  // Firm open ground at 12 beside the track is no road.
  battle->ground = 0;
  Rect(8, 0, 17, 29, 0);
  const auto& firm = Build(3);
  EXPECT_EQ(firm.At(8, 15), 12);
  EXPECT_EQ(firm.At(9, 15), 12);
  // Firm road at 10 beside the open ground is edged.
  Rect(10, 0, 15, 29, 8);
  const auto& road = Build(3);
  EXPECT_EQ(road.At(10, 15), 18);
  EXPECT_EQ(road.At(11, 15), 18);
  EXPECT_EQ(road.At(12, 15), 10);
  EXPECT_EQ(road.At(13, 15), 10);
  EXPECT_EQ(road.At(15, 15), 18);
  EXPECT_EQ(road.At(9, 15), 12);
  // Foot classes have no road edges.
  EXPECT_EQ(Build(0).At(10, 15), 80);
}

TEST_F(CostGrid, InnerCornersCloseAndImpassableOnOneAxisLeavesAFringe) {
  Set(10, 11, 25);
  Set(11, 10, 25);
  Set(20, 15, 25);
  Set(22, 15, 25);
  const auto& grid = Build(0);
  EXPECT_EQ(grid.At(11, 11), 255);
  EXPECT_EQ(grid.At(10, 10), 255);
  EXPECT_EQ(grid.At(21, 15), 220);
  EXPECT_EQ(grid.At(12, 12), 220);  // beside the closed corner
  EXPECT_EQ(grid.At(13, 13), 80);
  EXPECT_EQ(Count(grid, 255), 6);
}

TEST_F(CostGrid, BridgeSidesCloseAndItsMiddleKeepsItsPrice) {
  Fill(25);
  Rect(8, 8, 20, 20, 36);
  const auto& grid = Build(2);
  EXPECT_EQ(grid.At(8, 14), 255);   // beside the water
  EXPECT_EQ(grid.At(9, 9), 255);    // an inner corner
  EXPECT_EQ(grid.At(9, 14), 220);   // beside the closed side
  EXPECT_EQ(grid.At(14, 14), 10);   // surrounded by bridge
  EXPECT_EQ(grid.At(10, 14), 18);   // the road edge
  // A bridge type outside 36..39 beside the water keeps its price.
  Rect(8, 8, 20, 20, 40);
  EXPECT_EQ(Build(2).At(8, 14), 220);
}

TEST_F(CostGrid, BurningTileSoftBlocksElevenByElevenCells) {
  map->fire.state.SetU8(1, 1, 2);
  const auto& grid = Build(0);
  EXPECT_EQ(Count(grid, 254), 121);
  EXPECT_EQ(grid.At(10, 10), 254);
  EXPECT_EQ(grid.At(20, 20), 254);
  EXPECT_EQ(grid.At(21, 20), 80);
  EXPECT_EQ(grid.At(21, 15), 80);
}

TEST_F(CostGrid, MinefieldsTheSideKnowsOfBlockTheirClasses) {
  auto mine = [&](int side, int kind, bool identified) {
    battle->units.clear();
    battle->units.push_back(std::make_unique<FakeUnit>(MapUnitView::kInanimate, side, 30.0f, 31.0f));
    battle->units.back()->inanimateKind = kind;
    battle->units.back()->identified = identified;
  };
  auto blocked = [&](int moveClass, int sideFlag) {
    const auto& grid = Build(moveClass, sideFlag);
    return Count(grid, 254);
  };
  mine(0, 4, false);  // own antipersonnel mines of the planning side 0
  EXPECT_EQ(blocked(0, 1), 121);
  EXPECT_EQ(blocked(1, 1), 121);
  EXPECT_EQ(blocked(2, 1), 0);
  EXPECT_EQ(blocked(0, 0), 0);  // unidentified for the other side
  mine(0, 4, true);
  EXPECT_EQ(blocked(0, 0), 121);  // identified
  mine(1, 5, false);
  EXPECT_EQ(blocked(2, 0), 121);
  EXPECT_EQ(blocked(4, 0), 121);
  EXPECT_EQ(blocked(0, 0), 0);
  EXPECT_EQ(blocked(3, 1), 0);
  mine(1, 6, true);
  EXPECT_EQ(blocked(3, 1), 121);
  mine(0, 2, true);  // a target reference point
  EXPECT_EQ(blocked(0, 1), 0);
  // The block starts at (x - 10) / 2 cells: (30 - 10) / 2 = 10 and (31 - 10) / 2 = 10.5 -> 10.
  mine(0, 4, false);
  const auto& grid = Build(0, 1);
  EXPECT_EQ(grid.At(10, 10), 254);
  EXPECT_EQ(grid.At(20, 20), 254);
  EXPECT_EQ(grid.At(21, 20), 80);
  battle->units.back()->present = false;
  EXPECT_EQ(blocked(0, 1), 0);
  // Minefields at the map's edges block what lies on the map; far off it, nothing.
  const float corners[][3] = {{0.0f, 0.0f, 36}, {59.0f, 59.0f, 36}, {-30.0f, 25.0f, 0}, {3e9f, 3e9f, 0},
                              {-3e9f, 25.0f, 0}, {25.0f, 1e30f, 0}};
  for (const auto& c : corners) {
    mine(0, 4, false);
    battle->units.back()->x = c[0];
    battle->units.back()->y = c[1];
    EXPECT_EQ(blocked(0, 1), static_cast<int>(c[2])) << c[0] << " " << c[1];
  }
}

TEST_F(CostGrid, AlliedLightVehiclesCrossBocageAfterJune44) {
  Fill(28);
  battle->date = 4407;
  EXPECT_EQ(Build(2, 1).At(12, 12), 80);
  EXPECT_EQ(Build(2, 0).At(12, 12), 255);
  EXPECT_EQ(Build(3, 1).At(12, 12), 255);
  battle->date = 4406;
  EXPECT_EQ(Build(2, 1).At(12, 12), 255);
  // Without a battle the operation's date counts; deep mud leaves bocage alone.
  rig.app.battle.reset();
  FakeBattle& operation = rig.app.MakeOperation();
  operation.date = 4501;
  operation.ground = 5;
  EXPECT_EQ(Build(2, 1).At(12, 12), 80);
}

TEST_F(CostGrid, UniformCheapBlocksBecomeCoarseWithFourAnchors) {
  const auto& open = Build(0);
  for (int x = 0; x < 10; ++x) {
    for (int y = 0; y < 10; ++y) {
      const bool anchor = (x == 2 || x == 7) && (y == 2 || y == 7);
      EXPECT_EQ(open.At(x, y), anchor ? 80 : 5) << x << " " << y;
    }
  }
  Fill(12);  // marsh: 140 on foot
  EXPECT_EQ(Count(Build(0), 140), 900);
  Fill(10);  // track: 110 coarsens
  EXPECT_EQ(Count(Build(0), 5), 9 * 96);
  Fill(26);  // ford: 220
  EXPECT_EQ(Count(Build(0), 220), 900);
  // One different cell keeps its block as it is.
  Fill(0);
  Set(15, 15, 13);
  const auto& mixed = Build(0);
  EXPECT_EQ(mixed.At(15, 15), 18);
  EXPECT_EQ(mixed.At(11, 11), 80);
  EXPECT_EQ(mixed.At(1, 1), 5);
}

TEST_F(CostGrid, BuiltClassIsNotRebuiltUntilFreed) {
  Fill(28);
  battle->date = 4407;
  map->FreeCostGrids();
  map->BuildCostGrid(0, 2);
  EXPECT_EQ(map->routes.cost[2].At(12, 12), 255);
  map->BuildCostGrid(1, 2);
  EXPECT_EQ(map->routes.cost[2].At(12, 12), 255);
  map->fire.state.SetU8(0, 0, 1);
  map->BuildCostGrid(1, 2);
  EXPECT_EQ(Count(map->routes.cost[2], 254), 0);
  map->FreeCostGrids();
  EXPECT_FALSE(map->routes.cost[2].IsSized());
  map->BuildCostGrid(1, 2);
  EXPECT_EQ(map->routes.cost[2].At(12, 12), 80);
  EXPECT_EQ(Count(map->routes.cost[2], 254), 121);
  // Allocating all five leaves them unbuilt: the next build fills the class.
  map->BuildCostGrid(0, -1);
  for (int c = 0; c < Map::kMoveClasses; ++c) {
    EXPECT_TRUE(map->routes.cost[c].IsSized());
    EXPECT_FALSE(map->routes.built[c]);
  }
  EXPECT_EQ(map->routes.cost[2].At(12, 12), 0);
  map->BuildCostGrid(0, 2);
  EXPECT_EQ(map->routes.cost[2].At(12, 12), 255);
}

TEST_F(CostGrid, ClassAboveFourIsAProgrammerError) {
  EXPECT_DEATH(map->BuildCostGrid(1, 5), "");
}

// Every class's grid on three generated maps, under firm, soft and deep ground, before and
// after the bocage date, for both side flags, with burning tiles and minefields of each kind
// (some at the map's edges), as one checksum per map and class: the pinned values were made by
// the plain cell-by-cell passes, so any faster build must give the same bytes.
TEST(CostGridChecksums, GeneratedMapsGiveTheirKnownGridsForEveryClassAndCondition) {
  MapRig rig;
  FakeBattle& battle = rig.app.MakeBattle();

  // Map 0: hills, lakes, woods, fields, slopes and roads, read back through every pass.
  Map painted(rig.app);
  PaintRouteWorld(painted, 30, 7);
  std::unique_ptr<Map> routeMap = rig.Read(rig.Write(painted));

  // Map 1: a patchwork of every fine type in rectangles of all sizes, over open ground and
  // scattered trees, with bridges over water, some touching the map's edges.
  std::unique_ptr<Map> patchMap = rig.Default(30, 30);
  {
    MapGrid<uint16_t>& fine = patchMap->terrain.fineGrid;
    uint32_t v = 2024;
    auto next = [&v](uint32_t n) {
      v = v * 1664525u + 1013904223u;
      return static_cast<int>((v >> 8) % n);
    };
    auto rect = [&fine](int x0, int y0, int x1, int y1, int type) {
      for (int x = std::max(x0, 0); x <= x1 && x < fine.Width(); ++x) {
        for (int y = std::max(y0, 0); y <= y1 && y < fine.Height(); ++y) {
          fine.At(x, y) = static_cast<uint16_t>(type << FineTerrain::kTypeShift | 100);
        }
      }
    };
    rect(0, 0, 299, 299, 0);
    rect(150, 0, 299, 149, 13);
    const int favoured[] = {8, 9, 11, 25, 36, 37, 38, 39, 40, 42, 43, 28, 10};
    for (int i = 0; i < 500; ++i) {
      const int type = next(3) == 0 ? favoured[next(13)] : next(Map::kCostTypes);
      const int x = next(310) - 5;
      const int y = next(310) - 5;
      // Drawn one after the other: the order of a call's arguments is the compiler's.
      const int height = next(14);
      const int width = next(14);
      rect(x, y, x + width, y + height, type);
    }
    for (int i = 0; i < 12; ++i) {
      const int x = next(280) - 10;
      const int y = next(280) - 10;
      rect(x, y, x + 24, y + 16, 25);
      rect(x + 2, y + 6, x + 22, y + 10, 36 + next(7));
    }
    rect(0, 40, 12, 44, 37);
    rect(296, 200, 299, 215, 39);
    rect(100, 296, 110, 299, 38);
  }

  // Map 2: the busy battlefield of buildings, walls, hedges, bocage, marsh and burning tiles.
  Map& busyMap = BuildBusySightMap(rig.app, 5, 30);

  // Burning tiles of the two maps that have none, at corners, edges and inside.
  for (Map* map : {routeMap.get(), patchMap.get()}) {
    map->fire.state.SetU8(0, 0, 1);
    map->fire.state.SetU8(29, 7, 2);
    map->fire.state.SetU8(13, 29, 3);
    map->fire.state.SetU8(17, 16, 1);
  }
  // Minefields of each kind and side, known or not, some at or beyond the map's edges.
  struct Mine {
    int kind, side;
    float x, y;
    bool identified;
  };
  const Mine mines[] = {
      {4, 0, 30.0f, 31.0f, false},  {4, 1, 200.0f, 305.0f, true},  {5, 1, 401.0f, 100.0f, false},
      {6, 0, 595.0f, 590.0f, true}, {5, 0, -5.0f, 250.0f, true},   {4, 1, 300.0f, 598.0f, false},
      {6, 1, 120.0f, 480.0f, false}, {5, 1, 250.0f, 250.0f, true}, {2, 0, 60.0f, 60.0f, true},
  };
  for (const Mine& m : mines) {
    battle.units.push_back(std::make_unique<FakeUnit>(MapUnitView::kInanimate, m.side, m.x, m.y));
    battle.units.back()->inanimateKind = m.kind;
    battle.units.back()->identified = m.identified;
  }

  struct Condition {
    int ground, date, sideFlag;
  };
  const Condition conditions[] = {{0, 4406, 1}, {0, 4407, 1}, {2, 4407, 0}, {3, 4406, 0}, {4, 4500, 1},
                                  {5, 4500, 1}, {5, 4406, 0}, {7, 4500, 0}, {8, 4407, 1}, {6, 4406, 1}};
  const std::array<std::array<uint32_t, Map::kMoveClasses>, 3> pinned = {{
      {0xcf1b873cu, 0xcf1b873cu, 0x9414f96fu, 0x9414f96fu, 0x3a1f5f77u},
      {0x9701a25eu, 0x540769ebu, 0x7ea066b3u, 0xa521e4ceu, 0xe711dd5au},
      {0x04d450ddu, 0xab5b06adu, 0x3d0a1751u, 0x8e0c3183u, 0x5ff4d4cbu},
  }};
  Map* maps[] = {routeMap.get(), patchMap.get(), &busyMap};
  for (int m = 0; m < 3; ++m) {
    for (int c = 0; c < Map::kMoveClasses; ++c) {
      uint32_t crc = 0xFFFFFFFFu;
      for (const Condition& k : conditions) {
        battle.ground = k.ground;
        battle.date = k.date;
        Map& map = *maps[m];
        map.FreeCostGrids();
        map.ForgetKeptCostGrids();
        map.BuildCostGrid(k.sideFlag, c);
        const MapGrid<uint8_t>& grid = map.routes.cost[c];
        const uint8_t* cells = grid.Data();
        for (int i = 0, n = grid.Width() * grid.Height(); i < n; ++i) crc = Crc32Update(crc, cells[i]);
      }
      EXPECT_EQ(crc ^ 0xFFFFFFFFu, pinned[static_cast<size_t>(m)][static_cast<size_t>(c)]) << "map " << m << " class " << c;
    }
  }
}

}  // namespace
