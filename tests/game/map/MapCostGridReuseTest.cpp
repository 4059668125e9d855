// Reuse of built cost grids between route plans: a handed-back grid is byte for byte what a
// fresh build gives, every input of the build makes a change rebuild, and an unchanged map
// is priced once however many routes are planned on it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "MapTestRig.h"
#include "game/map/Building.h"
#include "game/map/PathPoints.h"

namespace {

std::vector<uint8_t> Cells(const MapGrid<uint8_t>& grid) {
  const uint8_t* data = grid.Data();
  return std::vector<uint8_t>(data, data + static_cast<size_t>(grid.Width()) * static_cast<size_t>(grid.Height()));
}

class CostGridReuse : public ::testing::Test {
 protected:
  // 5 x 5 tiles of open ground with a road, a wood, a river with a ford and a minefield of
  // each kind: coarse blocks, fringes, road edges and soft blocks all appear.
  void SetUp() override {
    battle = &rig.app.MakeBattle();
    map = rig.Default(5, 5);
    Paint();
    AddMine(4, 0, 20.0f, 60.0f, false);
    AddMine(5, 1, 70.0f, 20.0f, true);
  }
  void Paint() {
    MapGrid<uint16_t>& fine = map->terrain.fineGrid;
    for (int x = 0; x < fine.Width(); ++x) {
      for (int y = 0; y < fine.Height(); ++y) {
        int type = 0;
        if (y >= 24 && y <= 26) type = 8;
        else if (x >= 30 && x <= 32) type = y >= 35 && y <= 37 ? 26 : 25;
        else if (x >= 5 && x <= 14 && y >= 30 && y <= 44) type = 14;
        Set(x, y, type);
      }
    }
  }
  void Set(int x, int y, int type) { map->terrain.fineGrid.At(x, y) = static_cast<uint16_t>(type << 10 | 100); }
  FakeUnit& AddMine(int kind, int side, float x, float y, bool identified) {
    battle->units.push_back(std::make_unique<FakeUnit>(MapUnitView::kInanimate, side, x, y));
    battle->units.back()->inanimateKind = kind;
    battle->units.back()->identified = identified;
    return *battle->units.back();
  }
  // Frees the grids and builds the class again, as a route plan does.
  std::vector<uint8_t> Rebuild(int sideFlag, int moveClass) {
    map->FreeCostGrids();
    map->BuildCostGrid(sideFlag, moveClass);
    return Cells(map->routes.cost[moveClass]);
  }
  // A build with nothing kept aside, and no grid kept from it.
  std::vector<uint8_t> Fresh(int sideFlag, int moveClass) {
    map->FreeCostGrids();
    map->ForgetKeptCostGrids();
    map->BuildCostGrid(sideFlag, moveClass);
    std::vector<uint8_t> cells = Cells(map->routes.cost[moveClass]);
    map->FreeCostGrids();
    map->ForgetKeptCostGrids();
    return cells;
  }
  // A route between two cells for a unit of the side, its grid freed afterwards.
  int Plan(int side, int moveClass, int sx, int sy, int gx, int gy) {
    FakePathUnit unit(side, moveClass);
    PathPoints points;
    const int result = map->FindPath(unit, sx * 2.0f, sy * 2.0f, gx * 2.0f, gy * 2.0f, points);
    map->FreeCostGrids();
    return result;
  }
  // Expects the next build of the class to price every cell and to equal a fresh build.
  void ExpectRebuiltAsFresh(int sideFlag, int moveClass, const char* what) {
    const uint64_t before = map->routes.fullBuilds;
    const std::vector<uint8_t> rebuilt = Rebuild(sideFlag, moveClass);
    EXPECT_EQ(map->routes.fullBuilds, before + 1) << what;
    EXPECT_EQ(rebuilt, Fresh(sideFlag, moveClass)) << what;
    // And the build after it, on the map unchanged, is handed back.
    Rebuild(sideFlag, moveClass);
    const uint64_t after = map->routes.fullBuilds;
    EXPECT_EQ(Rebuild(sideFlag, moveClass), rebuilt) << what;
    EXPECT_EQ(map->routes.fullBuilds, after) << what;
  }

  MapRig rig;
  FakeBattle* battle = nullptr;
  std::unique_ptr<Map> map;
};

TEST_F(CostGridReuse, GridHandedBackAfterRoutesEqualsAFreshBuild) {
  for (int c = 0; c < Map::kMoveClasses; ++c) {
    const std::vector<uint8_t> fresh = Fresh(1, c);
    ASSERT_EQ(fresh.size(), 50u * 50u);
    // Start and goal in coarse blocks: the search fills them and must put them back.
    Plan(0, c, 2, 2, 47, 12);
    Plan(0, c, 45, 45, 2, 2);
    const uint64_t builds = map->routes.fullBuilds;
    map->BuildCostGrid(1, c);
    EXPECT_EQ(map->routes.fullBuilds, builds) << c;
    EXPECT_EQ(Cells(map->routes.cost[c]), fresh) << c;
  }
}

TEST_F(CostGridReuse, EveryInputOfTheBuildMakesTheNextBuildFresh) {
  Rebuild(1, 2);
  Rebuild(1, 2);
  Set(20, 10, 25);
  ExpectRebuiltAsFresh(1, 2, "a fine cell");
  map->fire.state.SetU8(3, 1, 2);
  ExpectRebuiltAsFresh(1, 2, "a burning tile");
  map->fire.state.SetU8(3, 1, 0);
  ExpectRebuiltAsFresh(1, 2, "a fire out");
  battle->units[1]->identified = false;  // the other side's anti-tank field, no longer known
  ExpectRebuiltAsFresh(1, 2, "a minefield unidentified");
  AddMine(6, 1, 80.0f, 80.0f, true);
  ExpectRebuiltAsFresh(1, 2, "a minefield added");
  battle->units.back()->x = 60.0f;
  ExpectRebuiltAsFresh(1, 2, "a minefield moved");
  battle->units.back()->present = false;
  ExpectRebuiltAsFresh(1, 2, "a minefield gone");
  ExpectRebuiltAsFresh(0, 2, "the other side");
  ExpectRebuiltAsFresh(0, 0, "another class");
  battle->units[0]->identified = true;  // side 0's own field: side 1 now plans around it too
  ExpectRebuiltAsFresh(0, 0, "a minefield identified");
  battle->ground = 5;
  ExpectRebuiltAsFresh(1, 2, "the ground");
  Set(0, 0, 28);
  ExpectRebuiltAsFresh(1, 2, "bocage");
  battle->date = 4407;
  ExpectRebuiltAsFresh(1, 2, "the date");
}

TEST_F(CostGridReuse, GridWrittenAfterItsBuildIsNeverHandedBack) {
  const std::vector<uint8_t> fresh = Fresh(1, 0);
  // A caller blocking a unit's cells into the built grid.
  map->BuildCostGrid(1, 0);
  FakeUnit blocker(MapUnitView::kVehicle, 0, 50.0f, 50.0f);
  map->BlockUnitCells(blocker, 0);
  EXPECT_NE(Cells(map->routes.cost[0]), fresh);
  uint64_t before = map->routes.fullBuilds;
  EXPECT_EQ(Rebuild(1, 0), fresh);
  EXPECT_EQ(map->routes.fullBuilds, before + 1);
  // A cell written straight into the grid.
  map->routes.cost[0].At(3, 3) = 200;
  before = map->routes.fullBuilds;
  EXPECT_EQ(Rebuild(1, 0), fresh);
  EXPECT_EQ(map->routes.fullBuilds, before + 1);
}

TEST_F(CostGridReuse, GridWrittenAfterBeingHandedBackIsNeverHandedBackAgain) {
  const std::vector<uint8_t> fresh = Fresh(1, 0);
  Rebuild(1, 0);
  const uint64_t before = map->routes.fullBuilds;
  EXPECT_EQ(Rebuild(1, 0), fresh);  // handed back
  EXPECT_EQ(map->routes.fullBuilds, before);
  map->routes.cost[0].Data()[7] = 201;
  EXPECT_EQ(Rebuild(1, 0), fresh);
  EXPECT_EQ(map->routes.fullBuilds, before + 1);
}

TEST_F(CostGridReuse, FineGridChangedByAnyWriteMakesTheNextBuildFresh) {
  Rebuild(1, 2);
  map->terrain.fineGrid.Data()[100] = static_cast<uint16_t>(25 << 10 | 100);
  ExpectRebuiltAsFresh(1, 2, "a cell written through the data");
  MapGrid<uint16_t> copy = map->terrain.fineGrid;
  copy.At(40, 40) = static_cast<uint16_t>(14 << 10 | 100);
  map->terrain.fineGrid = copy;
  ExpectRebuiltAsFresh(1, 2, "the grid assigned");
  map->terrain.fineGrid.Fill(static_cast<uint16_t>(13 << 10 | 100));
  ExpectRebuiltAsFresh(1, 2, "the grid filled");
}

TEST(MapGridRevision, EveryWriteRaisesItAndReadsLeaveIt) {
  MapGrid<uint16_t> grid;
  uint64_t last = grid.Revision();
  auto raised = [&last](uint64_t now) {
    const bool up = now > last;
    last = now;
    return up;
  };
  grid.Init(4, 3);
  EXPECT_TRUE(raised(grid.Revision()));
  grid.At(1, 2) = 5;
  EXPECT_TRUE(raised(grid.Revision()));
  grid.Data()[0] = 1;
  EXPECT_TRUE(raised(grid.Revision()));
  grid.Fill(2);
  EXPECT_TRUE(raised(grid.Revision()));
  const MapGrid<uint16_t>& view = grid;
  EXPECT_EQ(view.At(1, 2) + view.GetOr(9, 9, 0) + view.Data()[0], 4);
  grid.DataRestoredAfterUse();
  EXPECT_EQ(grid.Revision(), last);
  // A grid given other cells ends above both grids' revisions, so no cache of either holds.
  MapGrid<uint16_t> other;
  for (int i = 0; i < 10; ++i) other.Init(2, 2);
  grid = other;
  EXPECT_GT(grid.Revision(), std::max(last, other.Revision()));
  last = grid.Revision();
  const uint64_t otherBefore = other.Revision();
  grid = std::move(other);
  EXPECT_GT(grid.Revision(), last);
  EXPECT_GT(other.Revision(), otherBefore);  // NOLINT(bugprone-use-after-move): emptied
  EXPECT_FALSE(other.IsSized());             // NOLINT(bugprone-use-after-move)
  MapGrid<uint16_t> moved(std::move(grid));
  EXPECT_EQ(moved.Width(), 2);
  EXPECT_FALSE(grid.IsSized());  // NOLINT(bugprone-use-after-move)
  grid.Free();
  EXPECT_TRUE(raised(grid.Revision()));
}

TEST_F(CostGridReuse, UnchangedMapIsPricedOncePerClassAndSideForAnyNumberOfRoutes) {
  const uint64_t start = map->routes.fullBuilds;
  const uint64_t copies = map->routes.sharedBuilds;
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(Plan(0, 0, 2, 2 + i, 45, 40 - i), Map::kRouteFound) << i;
    Plan(0, 2, 2, 2 + i, 45, 40 - i);
    Plan(1, 2, 40, 2 + i, 2, 40 - i);
  }
  // Class 2 of the second side: the same minefields block both, so the first side's is copied.
  EXPECT_EQ(map->routes.fullBuilds, start + 2);
  EXPECT_EQ(map->routes.sharedBuilds, copies + 1);
  // The computer player's turn: all five allocated, built on demand, freed at the end.
  map->BuildCostGrid(1, -1);
  for (int i = 0; i < 5; ++i) {
    FakePathUnit unit(0, 2);
    PathPoints points;
    map->FindPath(unit, 4.0f, 4.0f + static_cast<float>(i), 90.0f, 80.0f, points);
  }
  map->FreeCostGrids();
  EXPECT_EQ(Plan(0, 2, 2, 2, 45, 40), Map::kRouteFound);
  EXPECT_EQ(map->routes.fullBuilds, start + 2);
  EXPECT_EQ(map->routes.sharedBuilds, copies + 1);
}

// The side flag reaches a grid only through the minefields each side knows and, for class 2
// after the date, through bocage: while neither tells the sides apart, the second side's grid
// is the first side's copied, equal to its fresh build, and a route asked for by either side
// over it is answered from the same memory.
TEST_F(CostGridReuse, OtherSidesGridIsCopiedOnlyWhileItsBuildWouldBeTheSame) {
  battle->units[0]->identified = true;   // side 0's foot field: known to both sides
  battle->units[1]->identified = false;  // side 1's anti-tank field: known to side 1 alone
  // Class 0 ignores anti-tank fields and plans around the foot field for either side.
  const std::vector<uint8_t> fresh0 = Fresh(0, 0);
  ASSERT_EQ(Fresh(1, 0), fresh0);
  const std::vector<uint8_t> fresh2 = Fresh(0, 2);
  ASSERT_NE(Fresh(1, 2), fresh2);

  uint64_t builds = map->routes.fullBuilds;
  uint64_t copies = map->routes.sharedBuilds;
  EXPECT_EQ(Rebuild(1, 0), fresh0);
  EXPECT_EQ(Rebuild(0, 0), fresh0);
  EXPECT_EQ(map->routes.fullBuilds, builds + 1);
  EXPECT_EQ(map->routes.sharedBuilds, copies + 1);
  EXPECT_EQ(Rebuild(1, 0), fresh0);  // each side's own kept grid is handed back
  EXPECT_EQ(Rebuild(0, 0), fresh0);
  EXPECT_EQ(map->routes.fullBuilds, builds + 1);
  EXPECT_EQ(map->routes.sharedBuilds, copies + 1);

  // The same route for a unit of each side: searched once, then recalled with the same points.
  FakePathUnit first(0, 0);
  FakePathUnit second(1, 0);
  PathPoints a;
  PathPoints b;
  const int64_t searched = map->routes.work.searches - map->routes.work.recalled;
  ASSERT_EQ(map->FindPath(first, 4.0f, 4.0f, 90.0f, 80.0f, a), Map::kRouteFound);
  map->FreeCostGrids();
  const int64_t recalled = map->routes.work.recalled;
  ASSERT_EQ(map->FindPath(second, 4.0f, 4.0f, 90.0f, 80.0f, b), Map::kRouteFound);
  map->FreeCostGrids();
  EXPECT_EQ(map->routes.work.recalled, recalled + 1);
  EXPECT_EQ(map->routes.work.searches - map->routes.work.recalled, searched + 1);
  ASSERT_EQ(a.count, b.count);
  for (int i = 0; i < a.count; ++i) {
    EXPECT_EQ(a.x[i], b.x[i]) << i;
    EXPECT_EQ(a.y[i], b.y[i]) << i;
  }

  // Class 2: side 1's anti-tank field blocks its own routes only, so each side prices its own.
  builds = map->routes.fullBuilds;
  copies = map->routes.sharedBuilds;
  EXPECT_EQ(Rebuild(0, 2), fresh2);
  EXPECT_NE(Rebuild(1, 2), fresh2);
  EXPECT_EQ(map->routes.fullBuilds, builds + 2);
  EXPECT_EQ(map->routes.sharedBuilds, copies);

  // Known to both, the field blocks both alike: the next side's build is a copy.
  battle->units[1]->identified = true;
  const std::vector<uint8_t> known = Rebuild(0, 2);
  EXPECT_EQ(Rebuild(1, 2), known);
  EXPECT_EQ(Fresh(1, 2), known);
  EXPECT_EQ(map->routes.sharedBuilds, copies + 1);

  // Bocage after the date prices class 2 apart for side 0's routes: never copied then.
  Set(0, 0, 28);
  battle->date = 4407;
  copies = map->routes.sharedBuilds;
  EXPECT_EQ(Rebuild(0, 2), Fresh(0, 2));
  EXPECT_EQ(Rebuild(1, 2), Fresh(1, 2));
  EXPECT_NE(Fresh(1, 2), Fresh(0, 2));
  EXPECT_EQ(map->routes.sharedBuilds, copies);
  // While class 0 still shares.
  Rebuild(0, 0);
  const std::vector<uint8_t> copied = Rebuild(1, 0);
  EXPECT_EQ(map->routes.sharedBuilds, copies + 1);
  EXPECT_EQ(copied, Fresh(1, 0));
}

// Every build's key holds the burning tiles; they are read from the fire state once per change
// of it, however many builds ask, and a fire started or put out is in the next build's key.
TEST_F(CostGridReuse, BurningTilesAreReadOncePerChangeOfTheFireState) {
  Rebuild(1, 0);
  const int64_t reads = map->routes.burning.reads;
  for (int i = 0; i < 5; ++i) Rebuild(i % 2, i % 3);
  EXPECT_EQ(map->routes.burning.reads, reads);
  EXPECT_TRUE(map->routes.burning.tiles.empty());
  map->fire.state.SetU8(3, 1, 2);
  map->fire.state.SetU8(0, 4, 1);
  ExpectRebuiltAsFresh(1, 0, "two fires");
  EXPECT_EQ(map->routes.burning.reads, reads + 1);
  EXPECT_EQ(map->routes.burning.tiles, (std::vector<uint32_t>{0 * 5 + 4, 3 * 5 + 1}));
  map->fire.state.SetU8(0, 4, 0);
  ExpectRebuiltAsFresh(1, 0, "one put out");
  EXPECT_EQ(map->routes.burning.reads, reads + 2);
  EXPECT_EQ(map->routes.burning.tiles, (std::vector<uint32_t>{3 * 5 + 1}));
  for (int i = 0; i < 5; ++i) Rebuild(i % 2, i % 3);
  EXPECT_EQ(map->routes.burning.reads, reads + 2);
}

// Units of both sides plan in turn: each side's grid, handed back and freed unwritten, is kept
// again, so two grids that differ are each priced once however the sides alternate.
TEST_F(CostGridReuse, SidesPlanningInTurnArePricedOnceEach) {
  battle->units[1]->identified = false;  // side 1's anti-tank field: its own routes alone
  const std::vector<uint8_t> side0 = Fresh(0, 2);
  const std::vector<uint8_t> side1 = Fresh(1, 2);
  ASSERT_NE(side0, side1);
  const uint64_t builds = map->routes.fullBuilds;
  for (int round = 0; round < 4; ++round) {
    EXPECT_EQ(Rebuild(0, 2), side0) << round;
    EXPECT_EQ(Rebuild(1, 2), side1) << round;
  }
  EXPECT_EQ(map->routes.fullBuilds, builds + 2);
}

TEST(CostGridReuseBuildings, CollapsedBuildingMakesTheNextBuildFresh) {
  MapRig rig;
  FakeBattle& battle = rig.app.MakeBattle();
  std::unique_ptr<Map> map = rig.Build(3, 3, [](Map& m) { m.terrain.tiles.At(1, 1).code = 64; });
  (void)battle;
  map->FreeCostGrids();
  map->BuildCostGrid(1, 0);
  const std::vector<uint8_t> standing = Cells(map->routes.cost[0]);
  map->FreeCostGrids();
  map->CollapseBuildingAt(30.0f, 30.0f, 7);
  ASSERT_TRUE(map->FindBuildingAt(30.0f, 30.0f)->destroyed);
  const uint64_t before = map->routes.fullBuilds;
  map->BuildCostGrid(1, 0);
  EXPECT_EQ(map->routes.fullBuilds, before + 1);
  const std::vector<uint8_t> rubble = Cells(map->routes.cost[0]);
  EXPECT_NE(rubble, standing);
  map->FreeCostGrids();
  map->ForgetKeptCostGrids();
  map->BuildCostGrid(1, 0);
  EXPECT_EQ(Cells(map->routes.cost[0]), rubble);
}

}  // namespace
