// The path finder: its results, the order it expands nodes in, reopening, coarse blocks left
// as they came, route tracing, and the cost of the routes it finds against a plain Dijkstra
// search written here.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <iterator>
#include <queue>
#include <set>
#include <tuple>
#include <vector>

#include "MapTestRig.h"
#include "framework/core/Crc32.h"
#include "game/map/PathPoints.h"
#include "support/TestNumbers.h"

namespace {

constexpr int64_t kUnreachable = -1;

// The cheapest route cost over the eight neighbours (20 straight, 28 diagonal, times the
// price of the cell entered), impassable cells never entered and nothing at or above
// 100,000,000 kept; soft blocks cost 100,000 times the step.
int64_t Dijkstra(const MapGrid<uint8_t>& grid, int sx, int sy, int gx, int gy) {
  const int w = grid.Width();
  const int h = grid.Height();
  std::vector<int64_t> best(static_cast<size_t>(w * h), INT64_MAX);
  using Item = std::pair<int64_t, int>;
  std::priority_queue<Item, std::vector<Item>, std::greater<>> open;
  best[static_cast<size_t>(sx * h + sy)] = 0;
  open.push({0, sx * h + sy});
  while (!open.empty()) {
    auto [g, cell] = open.top();
    open.pop();
    if (g != best[static_cast<size_t>(cell)]) continue;
    const int x = cell / h;
    const int y = cell % h;
    if (x == gx && y == gy) return g;
    for (int dx = -1; dx <= 1; ++dx) {
      for (int dy = -1; dy <= 1; ++dy) {
        if ((dx == 0 && dy == 0) || !grid.Contains(x + dx, y + dy)) continue;
        const uint8_t v = grid.At(x + dx, y + dy);
        if (v == 255) continue;
        const int64_t step = dx != 0 && dy != 0 ? 28 : 20;
        const int64_t price = v == 254 ? 100000 * step : v * step;
        const int64_t next = g + price;
        const size_t n = static_cast<size_t>((x + dx) * h + y + dy);
        if (next >= 100000000 || next >= best[n]) continue;
        best[n] = next;
        open.push({next, static_cast<int>(n)});
      }
    }
  }
  return kUnreachable;
}

class PathFinder : public ::testing::Test {
 protected:
  void SetUp() override {
    battle = &rig.app.MakeBattle();
    map = rig.Default(5, 5);
    Fill(0);
  }
  void Fill(int type) {
    for (int x = 0; x < map->terrain.fineGrid.Width(); ++x) {
      for (int y = 0; y < map->terrain.fineGrid.Height(); ++y) Set(x, y, type);
    }
  }
  void Set(int x, int y, int type) { map->terrain.fineGrid.At(x, y) = static_cast<uint16_t>(type << 10 | 100); }
  // Builds the class's grid and lets the test write its cells.
  MapGrid<uint8_t>& Grid(int moveClass) {
    map->FreeCostGrids();
    map->BuildCostGrid(1, moveClass);
    return map->routes.cost[moveClass];
  }
  // A search between two cells (given as metres that round to them).
  int Find(int moveClass, int sx, int sy, int gx, int gy) {
    FakePathUnit unit(0, moveClass);
    return map->FindPath(unit, sx * 2.0f, sy * 2.0f, gx * 2.0f, gy * 2.0f, points);
  }
  int32_t CellOf(int x, int y) const { return map->routes.work.CellOf(x, y); }
  bool Visited(int x, int y) const { return map->routes.work.Visited(CellOf(x, y)); }

  MapRig rig;
  FakeBattle* battle = nullptr;
  std::unique_ptr<Map> map;
  PathPoints points;
};

TEST_F(PathFinder, SameCellGivesARouteOfNoPoints) {
  points.count = 7;
  EXPECT_EQ(Find(0, 20, 20, 20, 20), Map::kRouteFound);
  EXPECT_EQ(points.count, 0);
  EXPECT_EQ(map->routes.work.goalCost, 0);
  EXPECT_EQ(map->routes.work.NodesTaken(), 1);
}

TEST_F(PathFinder, DestinationRefusedOrWalledInGivesNoRoute) {
  FakePathUnit unit(0, 0);
  unit.canStand = false;
  points.count = 9;
  EXPECT_EQ(map->FindPath(unit, 10.0f, 10.0f, 60.0f, 60.0f, points), Map::kNoRoute);
  EXPECT_EQ(points.count, 9);
  // A ring of water around the goal.
  for (int i = 20; i <= 30; ++i) {
    Set(i, 20, 25);
    Set(i, 30, 25);
    Set(20, i, 25);
    Set(30, i, 25);
  }
  EXPECT_EQ(Find(0, 5, 5, 25, 25), Map::kNoRoute);
  EXPECT_EQ(points.count, 9);
  // Inside the ring a route is found.
  EXPECT_EQ(Find(0, 23, 23, 27, 26), Map::kRouteFound);
}

TEST_F(PathFinder, SpentNodeBudgetEndsTheSearchAndLeavesTheGridAsItCame) {
  MapGrid<uint8_t>& grid = Grid(0);
  const std::vector<uint8_t> before(grid.Data(), grid.Data() + grid.Width() * grid.Height());
  map->routes.work.budget = 100;
  points.count = 3;
  const int64_t spent = map->routes.work.spentSearches;
  const int64_t spentExpanded = map->routes.work.spentExpanded;
  EXPECT_EQ(Find(0, 3, 3, 45, 47), Map::kOutOfNodes);
  EXPECT_EQ(points.count, 3);
  EXPECT_EQ(map->routes.work.NodesTaken(), 100);
  // Counted among the searches that spent the budget, with the nodes it expanded.
  EXPECT_EQ(map->routes.work.spentSearches, spent + 1);
  EXPECT_EQ(map->routes.work.spentExpanded, spentExpanded + map->routes.work.expanded);
  EXPECT_EQ(std::vector<uint8_t>(grid.Data(), grid.Data() + grid.Width() * grid.Height()), before);
  map->routes.work.budget = MapPathWork::kNodeBudget;
  EXPECT_EQ(Find(0, 3, 3, 45, 47), Map::kRouteFound);
  EXPECT_EQ(map->routes.work.spentSearches, spent + 1);
}

TEST_F(PathFinder, SearchesThroughCoarseBlocksLeaveTheGridByteIdentical) {
  for (int moveClass : {0, 2}) {
    MapGrid<uint8_t>& grid = Grid(moveClass);
    ASSERT_EQ(grid.At(1, 1), Map::kCoarseCell);
    const std::vector<uint8_t> before(grid.Data(), grid.Data() + grid.Width() * grid.Height());
    // Start and goal in coarse blocks, in one block, and at a block's edge.
    const int routes[][4] = {{4, 5, 44, 41}, {3, 3, 8, 6}, {1, 48, 48, 1}, {11, 13, 11, 13}};
    for (const auto& r : routes) {
      EXPECT_EQ(Find(moveClass, r[0], r[1], r[2], r[3]), Map::kRouteFound);
      EXPECT_EQ(std::vector<uint8_t>(grid.Data(), grid.Data() + grid.Width() * grid.Height()), before);
    }
    // Open ground crossed corner to corner in 5-cell strides: few nodes, a straight route.
    EXPECT_EQ(Find(moveClass, 4, 5, 44, 41), Map::kRouteFound);
    EXPECT_LT(map->routes.work.expanded, 400);
    EXPECT_LE(points.count, 3);
    EXPECT_EQ(points.x[points.count - 1], 88.0f);
    EXPECT_EQ(points.y[points.count - 1], 82.0f);
  }
}

TEST_F(PathFinder, ImpassableCellsCloseAtOnceAndSoftBlocksAreCrossedAtAPrice) {
  MapGrid<uint8_t>& grid = Grid(2);
  grid.Fill(10);
  for (int y = 0; y < 50; ++y) grid.At(25, y) = 254;
  EXPECT_EQ(Find(2, 10, 20, 40, 20), Map::kRouteFound);
  EXPECT_EQ(map->routes.work.goalCost, 29 * 10 * 20 + 100000 * 20);
  EXPECT_EQ(map->routes.work.goalCost, Dijkstra(grid, 10, 20, 40, 20));
  for (int y = 0; y < 50; ++y) grid.At(25, y) = 255;
  // The search made in full, for its records (the regions would answer without one).
  map->routes.work.settleUnreachable = false;
  EXPECT_EQ(Find(2, 10, 20, 40, 20), Map::kNoRoute);
  const MapPathWork& work = map->routes.work;
  ASSERT_TRUE(Visited(25, 20));
  EXPECT_EQ(work.PriceAt(CellOf(25, 20)), 100000000);
  EXPECT_FALSE(work.OpenAt(CellOf(25, 20)));
  EXPECT_EQ(work.StepAt(CellOf(25, 20)), MapPathWork::kNoStep);
  // The cell before the wall was reached from its west.
  ASSERT_TRUE(Visited(24, 20));
  EXPECT_EQ(work.StepAt(CellOf(24, 20)), MapPathWork::StepCode(-1, 0));
  // Nothing beyond the wall was reached.
  EXPECT_FALSE(Visited(26, 20));
}

// The open set's key of a cell at f, as the search makes it.
uint64_t OpenKey(int64_t f, int x, int y) {
  return static_cast<uint64_t>(f) << 24 | static_cast<uint64_t>(x) << 12 | static_cast<uint64_t>(y);
}

TEST(MapPathOpenSet, KeysLeaveByFThenXThenY) {
  MapPathOpenSet open;
  const int cells[][3] = {{500, 4, 4}, {400, 7, 1}, {400, 3, 9}, {400, 3, 2}, {600, 0, 0}, {400, 5, 0}, {300, 4, 4}};
  for (const auto& c : cells) open.Push(OpenKey(c[0], c[1], c[2]));
  const int order[] = {6, 3, 2, 5, 1, 0, 4};
  for (int expected : order) {
    EXPECT_EQ(open.PopLeast(), OpenKey(cells[expected][0], cells[expected][1], cells[expected][2]));
  }
  EXPECT_EQ(open.PopLeast(), MapPathOpenSet::kNone);
  // Many keys of few f values, some entered again lower: they leave sorted.
  open.Clear();
  TestNumbers numbers{11};
  std::vector<uint64_t> keys;
  for (int i = 0; i < 500; ++i) {
    const int64_t f = 1000 + numbers.Below(7);
    keys.push_back(OpenKey(f, i % 100, i / 100));
    open.Push(keys.back());
    if (i % 3 == 0) {
      keys.push_back(OpenKey(f - 500, i % 100, i / 100));
      open.Push(keys.back());
    }
  }
  std::sort(keys.begin(), keys.end());
  for (const uint64_t k : keys) ASSERT_EQ(open.PopLeast(), k);
  EXPECT_EQ(open.PopLeast(), MapPathOpenSet::kNone);
}

TEST(MapPathOpenSet, ABucketOfAnySizeLeavesByCellWithKeysEnteredAtItsPriceMeanwhile) {
  // A price's keys are sorted by cell when its bucket comes down, however many it holds; keys
  // entered at that price while it leaves, and below it, take their turns among them.
  MapPathOpenSet open;
  TestNumbers numbers{5};
  for (int n = 1; n <= 80; ++n) {
    std::set<uint64_t> keys;
    const int64_t f = 5000 + 10 * n;
    while (keys.size() < static_cast<size_t>(n)) {
      keys.insert(OpenKey(f, 1 + static_cast<int>(numbers.Below(200)), static_cast<int>(numbers.Below(200))));
    }
    // Entered in no order, as a search enters them.
    std::vector<uint64_t> entered(keys.begin(), keys.end());
    for (size_t i = entered.size(); i > 1; --i) {
      std::swap(entered[i - 1], entered[numbers.Below(static_cast<uint32_t>(i))]);
    }
    for (const uint64_t k : entered) open.Push(k);
    keys.insert(OpenKey(f + 3, 0, 0));
    open.Push(OpenKey(f + 3, 0, 0));
    ASSERT_EQ(open.PopLeast(), *keys.begin()) << n;
    keys.erase(keys.begin());
    for (const uint64_t k : {OpenKey(f, 0, 7), OpenKey(f, 201, 0), OpenKey(f, 100, 200), OpenKey(f - 1, 300, 0)}) {
      open.Push(k);
      keys.insert(k);
    }
    for (const uint64_t k : keys) ASSERT_EQ(open.PopLeast(), k) << n;
    ASSERT_EQ(open.PopLeast(), MapPathOpenSet::kNone) << n;
  }
}

TEST(MapPathOpenSet, KeysAtTheEdgesOfTheFloorsReachLeaveInOrder) {
  // Prices up to 65,535 above the floor wait in a ring of buckets, those further in a heap of
  // their own: keys on both sides of that edge, and one round the ring just behind the floor's
  // own place, leave least first, as do keys entered below the floor meanwhile.
  MapPathOpenSet open;
  open.Push(OpenKey(70000, 1, 1));
  EXPECT_EQ(open.PopLeast(), OpenKey(70000, 1, 1));
  std::vector<uint64_t> keys;
  for (const int64_t d : {65535, 65536, 1, 65534, 64, 63, 200000, 131072}) keys.push_back(OpenKey(70000 + d, 2, 3));
  keys.push_back(OpenKey(70000 + 64, 0, 9));
  for (const uint64_t k : keys) open.Push(k);
  std::sort(keys.begin(), keys.end());
  for (size_t i = 0; i < keys.size(); ++i) {
    ASSERT_EQ(open.PopLeast(), keys[i]) << i;
    if (i == 3) {
      // A key entered below the floor (now 70,064) leaves before all the others.
      open.Push(OpenKey(69000, 5, 5));
      ASSERT_EQ(open.PopLeast(), OpenKey(69000, 5, 5));
    }
  }
  EXPECT_EQ(open.PopLeast(), MapPathOpenSet::kNone);
}

TEST(MapPathOpenSet, InterleavedWithPopsMatchesAnOrderedSet) {
  // Pushes, lowered prices and pops mixed as a search mixes them, over a heap deep enough
  // that entries sink and rise many levels: every pop is the least key. A cell priced lower
  // enters again at its new key and withdraws its old one, which either never leaves or
  // surfaces in its turn; buckets of one key and of several lose keys alike.
  MapPathOpenSet open;
  std::set<std::tuple<int64_t, int, int>> keys;
  std::set<std::tuple<int64_t, int, int>> latest;     // each cell's last key, never popped
  std::set<std::tuple<int64_t, int, int>> withdrawn;  // old keys that may still surface
  TestNumbers numbers{99};
  auto next = [&numbers] { return numbers.Next(); };
  auto push = [&](int64_t f, int x, int y) {
    open.Push(OpenKey(f, x, y));
    keys.emplace(f, x, y);
    latest.emplace(f, x, y);
  };
  auto pop = [&]() {
    const uint64_t key = open.PopLeast();
    const std::tuple<int64_t, int, int> got{static_cast<int64_t>(key >> 24), static_cast<int>(key >> 12 & 4095),
                                            static_cast<int>(key & 4095)};
    if (withdrawn.erase(got) == 1) {
      ASSERT_TRUE(keys.empty() || got < *keys.begin());
      return;
    }
    ASSERT_FALSE(keys.empty());
    ASSERT_EQ(got, *keys.begin());
    keys.erase(keys.begin());
    latest.erase(got);
  };
  int64_t pops = 0;
  int32_t cells = 0;
  for (int round = 0; round < 20000; ++round) {
    const uint32_t r = next() % 10;
    if (r < 6 || latest.empty()) {
      push(10000 + static_cast<int64_t>(next() % 5000), cells % 4000, cells / 4000);
      ++cells;
    } else if (r < 8) {
      // The cell of the greatest latest key is priced lower.
      const auto last = std::prev(latest.end());
      const auto [f, x, y] = *last;
      latest.erase(last);
      keys.erase({f, x, y});
      withdrawn.emplace(f, x, y);
      open.Withdraw(OpenKey(f, x, y));
      push(f - 1 - static_cast<int64_t>(next() % 3000), x, y);
    } else {
      pop();
      ++pops;
    }
  }
  while (!keys.empty()) pop();
  // What is left are withdrawn keys that stayed in a heap; most were taken out of their buckets.
  const size_t stale = withdrawn.size();
  for (uint64_t key = open.PopLeast(); key != MapPathOpenSet::kNone; key = open.PopLeast()) {
    ASSERT_EQ(withdrawn.erase({static_cast<int64_t>(key >> 24), static_cast<int>(key >> 12 & 4095),
                               static_cast<int>(key & 4095)}),
              1u);
  }
  EXPECT_GT(withdrawn.size(), stale / 2);
  EXPECT_GT(pops, 3000);
}

TEST(MapPathOpenSet, FollowsARisingFloorPastFarAndLowEntries) {
  // As a long search: keys rise by up to a step's price past the last taken, a few lie far
  // ahead (soft blocks, up to 100,000 x 141 more), some fall below the last taken (cells the
  // estimate overprices), and some cells are priced lower. The floor travels far; every pop is
  // the least key.
  MapPathOpenSet open;
  std::set<std::tuple<int64_t, int, int>> keys;
  TestNumbers numbers{7};
  auto next = [&numbers] { return numbers.Next(); };
  int64_t last = 120000;
  int64_t pops = 0;
  int64_t far = 0;
  int64_t low = 0;
  int32_t cells = 0;
  auto enter = [&](int64_t f, int x, int y) {
    open.Push(OpenKey(f, x, y));
    keys.emplace(f, x, y);
  };
  for (int round = 0; round < 30000; ++round) {
    const uint32_t r = next() % 20;
    if (r < 11 || keys.empty()) {
      int64_t f = last + static_cast<int64_t>(next() % 36000);
      if (r == 0) {
        f = last + 100000 * (20 + static_cast<int64_t>(next() % 122));
        ++far;
      } else if (r == 1) {
        f = std::max<int64_t>(0, last - 1 - static_cast<int64_t>(next() % 800));
        ++low;
      } else if (r == 2) {
        f = last + 65536 - 2 + static_cast<int64_t>(next() % 4);
      }
      enter(f, cells % 4000, cells / 4000);
      ++cells;
    } else if (r < 14) {
      // A cell priced lower, perhaps below the last taken, enters again.
      auto it = keys.lower_bound(std::make_tuple(last + static_cast<int64_t>(next() % 50000), 0, 0));
      if (it == keys.end()) it = std::prev(keys.end());
      const auto [f, x, y] = *it;
      const int64_t lower = f - 1 - static_cast<int64_t>(next() % 3000);
      if (lower >= 0 && keys.count({lower, x, y}) == 0) enter(lower, x, y);
    } else {
      const auto [f, x, y] = *keys.begin();
      ASSERT_EQ(open.PopLeast(), OpenKey(f, x, y));
      last = f;
      keys.erase(keys.begin());
      ++pops;
    }
  }
  while (!keys.empty()) {
    const auto [f, x, y] = *keys.begin();
    ASSERT_EQ(open.PopLeast(), OpenKey(f, x, y));
    keys.erase(keys.begin());
  }
  EXPECT_EQ(open.PopLeast(), MapPathOpenSet::kNone);
  EXPECT_GT(pops, 7000);
  EXPECT_GT(last, 120000 + 8 * 65536);
  EXPECT_GT(far, 500);
  EXPECT_GT(low, 500);
  // Emptied, the set starts afresh.
  enter(5, 1, 1);
  open.Clear();
  EXPECT_EQ(open.PopLeast(), MapPathOpenSet::kNone);
}

TEST_F(PathFinder, CellRecordsStartAfreshAtEverySearch) {
  // A search, then many small ones: a cell only the first visited reads as unvisited from
  // the next search on, and the first search made again visits the same nodes and finds the
  // same route. Every search is made.
  map->routes.work.remember = false;
  MapGrid<uint8_t>& grid = Grid(0);
  TestNumbers numbers{17};
  for (int x = 0; x < grid.Width(); ++x) {
    for (int y = 0; y < grid.Height(); ++y) {
      grid.At(x, y) = static_cast<uint8_t>(10 + numbers.Below(90));
    }
  }
  ASSERT_EQ(Find(0, 3, 4, 46, 41), Map::kRouteFound);
  ASSERT_TRUE(Visited(46, 41));
  const PathPoints first = points;
  const int64_t expanded = map->routes.work.expanded;
  const int32_t taken = map->routes.work.NodesTaken();
  const int64_t cost = map->routes.work.goalCost;
  for (int i = 0; i < 300; ++i) {
    const int x = 5 + i % 30;
    ASSERT_EQ(Find(0, x, 6, x + 2, 7), Map::kRouteFound);
    ASSERT_FALSE(Visited(46, 41)) << i;
    ASSERT_TRUE(Visited(x + 2, 7)) << i;
  }
  ASSERT_EQ(Find(0, 3, 4, 46, 41), Map::kRouteFound);
  EXPECT_EQ(map->routes.work.expanded, expanded);
  EXPECT_EQ(map->routes.work.NodesTaken(), taken);
  EXPECT_EQ(map->routes.work.goalCost, cost);
  ASSERT_EQ(points.count, first.count);
  for (int i = 0; i < points.count; ++i) {
    EXPECT_EQ(points.x[i], first.x[i]);
    EXPECT_EQ(points.y[i], first.y[i]);
  }
}

TEST_F(PathFinder, SearchesSeeTheGridAsItStandsAndLoadEachClassOnlyWhenItChanged) {
  // A wall written into the grid between two searches turns the second route round it; the
  // classes' searches taking turns on unchanged grids read their cells in again never.
  MapPathWork& work = map->routes.work;
  work.remember = false;
  MapGrid<uint8_t>& grid = Grid(0);
  grid.Fill(80);
  ASSERT_EQ(Find(0, 5, 25, 45, 25), Map::kRouteFound);
  ASSERT_EQ(points.count, 1);
  const int64_t straight = work.goalCost;
  for (int y = 5; y <= 45; ++y) grid.At(25, y) = Map::kImpassable;
  ASSERT_EQ(Find(0, 5, 25, 45, 25), Map::kRouteFound);
  EXPECT_GT(points.count, 1);
  EXPECT_GT(work.goalCost, straight);
  map->BuildCostGrid(1, 1);
  const int64_t loads = work.frameLoads;
  for (int i = 0; i < 6; ++i) ASSERT_EQ(Find(i % 2, 5, 25, 45, 25), Map::kRouteFound) << i;
  EXPECT_EQ(work.frameLoads, loads + 1);
}

TEST_F(PathFinder, SearchAskedAgainIsAnsweredFromMemoryUntilItsInputsChange) {
  MapGrid<uint8_t>& grid = Grid(0);
  TestNumbers numbers{23};
  for (int x = 0; x < grid.Width(); ++x) {
    for (int y = 0; y < grid.Height(); ++y) {
      grid.At(x, y) = static_cast<uint8_t>(10 + numbers.Below(90));
    }
  }
  MapPathWork& work = map->routes.work;
  auto same = [](const PathPoints& a, const PathPoints& b) {
    if (a.count != b.count) return false;
    for (int i = 0; i < a.count; ++i) {
      if (a.x[i] != b.x[i] || a.y[i] != b.y[i]) return false;
    }
    return true;
  };
  ASSERT_EQ(Find(0, 3, 4, 46, 41), Map::kRouteFound);
  const PathPoints first = points;
  const int64_t expanded = work.expanded;
  const int64_t cost = work.goalCost;
  const int64_t total = work.expandedTotal;
  // Asked again (from another point of the same cells): nothing is expanded, the answer is the same.
  points = PathPoints();
  FakePathUnit unit(0, 0);
  EXPECT_EQ(map->FindPath(unit, 3 * 2.0f + 0.4f, 4 * 2.0f - 0.3f, 46 * 2.0f, 41 * 2.0f, points), Map::kRouteFound);
  EXPECT_EQ(work.recalled, 1);
  EXPECT_EQ(work.expandedTotal, total);
  EXPECT_EQ(work.expanded, expanded);
  EXPECT_EQ(work.goalCost, cost);
  EXPECT_TRUE(same(points, first));
  // Points past the route's count are left as the caller had them, as a search leaves them.
  points.x[PathPoints::kMaxPoints - 1] = 123.0f;
  EXPECT_EQ(Find(0, 3, 4, 46, 41), Map::kRouteFound);
  EXPECT_EQ(points.x[PathPoints::kMaxPoints - 1], 123.0f);
  EXPECT_EQ(work.recalled, 2);
  // A changed cell, a smaller budget, or the memory turned off: searched again, and with the
  // memory the answers equal those of searches made afresh.
  grid.At(20, 20) = 200;
  EXPECT_EQ(Find(0, 3, 4, 46, 41), Map::kRouteFound);
  EXPECT_EQ(work.recalled, 2);
  EXPECT_GT(work.expandedTotal, total);
  const PathPoints changed = points;
  const int64_t changedCost = work.goalCost;
  work.budget = 100;
  EXPECT_EQ(Find(0, 3, 4, 46, 41), Map::kOutOfNodes);
  EXPECT_EQ(Find(0, 3, 4, 46, 41), Map::kOutOfNodes);
  EXPECT_EQ(work.recalled, 3);
  work.budget = MapPathWork::kNodeBudget;
  EXPECT_EQ(Find(0, 3, 4, 46, 41), Map::kRouteFound);
  EXPECT_EQ(work.recalled, 4);
  EXPECT_TRUE(same(points, changed));
  work.remember = false;
  points = PathPoints();
  EXPECT_EQ(Find(0, 3, 4, 46, 41), Map::kRouteFound);
  EXPECT_EQ(work.recalled, 4);
  EXPECT_EQ(work.goalCost, changedCost);
  EXPECT_TRUE(same(points, changed));
  // More distinct searches than places: the oldest answers give way, and each search still
  // gets its own answer.
  work.remember = true;
  std::vector<PathPoints> fresh;
  for (int i = 0; i < 70; ++i) {
    work.remember = false;
    EXPECT_EQ(Find(0, 2 + i % 40, 3, 45, 2 + i / 2), Map::kRouteFound);
    fresh.push_back(points);
    work.remember = true;
  }
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 70; ++i) {
      ASSERT_EQ(Find(0, 2 + i % 40, 3, 45, 2 + i / 2), Map::kRouteFound);
      EXPECT_TRUE(same(points, fresh[static_cast<size_t>(i)])) << i;
    }
  }
}

// Route planning frees the grids after every route and builds them again before the next:
// the same cells handed back keep the answers of their searches, a write or a fresh build does
// not.
TEST_F(PathFinder, GridHandedBackKeepsTheAnswersOfItsSearches) {
  Grid(0);
  map->FreeCostGrids();
  map->BuildCostGrid(1, 0);
  MapPathWork& work = map->routes.work;
  const uint64_t builds = map->routes.fullBuilds;
  ASSERT_EQ(Find(0, 3, 24, 46, 26), Map::kRouteFound);
  const PathPoints first = points;
  const int64_t total = work.expandedTotal;
  const int64_t expanded = work.expanded;
  ASSERT_GT(expanded, 0);
  auto same = [&first](const PathPoints& p) {
    return p.count == first.count && std::equal(p.x, p.x + p.count, first.x) && std::equal(p.y, p.y + p.count, first.y);
  };
  for (int round = 0; round < 3; ++round) {
    map->FreeCostGrids();
    points = PathPoints();
    EXPECT_EQ(Find(0, 3, 24, 46, 26), Map::kRouteFound);
    EXPECT_EQ(work.recalled, round + 1);
    EXPECT_EQ(work.expandedTotal, total);
    EXPECT_EQ(work.expanded, expanded);
    EXPECT_TRUE(same(points));
  }
  EXPECT_EQ(map->routes.fullBuilds, builds);
  // A write after the hand-back (of the value the cell holds): searched again; kept as equal
  // to its build, but under a new number, so searched again once more when handed back.
  map->routes.cost[0].At(45, 45) = map->routes.cost[0].At(45, 45);
  for (int k = 1; k <= 2; ++k) {
    EXPECT_EQ(Find(0, 3, 24, 46, 26), Map::kRouteFound);
    EXPECT_EQ(work.recalled, 3);
    EXPECT_EQ(work.expandedTotal, total + k * expanded);
    EXPECT_TRUE(same(points));
    map->FreeCostGrids();
  }
  EXPECT_EQ(Find(0, 3, 24, 46, 26), Map::kRouteFound);
  EXPECT_EQ(work.recalled, 4);
  EXPECT_EQ(map->routes.fullBuilds, builds);
  // The other side's grid of the class, with nothing to tell the sides apart, is this one
  // copied with its number: answered from memory too.
  map->FreeCostGrids();
  FakePathUnit other(1, 0);
  EXPECT_EQ(map->FindPath(other, 3 * 2.0f, 24 * 2.0f, 46 * 2.0f, 26 * 2.0f, points), Map::kRouteFound);
  EXPECT_EQ(work.recalled, 5);
  EXPECT_EQ(map->routes.fullBuilds, builds);
  EXPECT_TRUE(same(points));
  // Equal cells from a fresh build: a new number, so searched again.
  map->FreeCostGrids();
  map->ForgetKeptCostGrids();
  map->BuildCostGrid(1, 0);
  EXPECT_EQ(Find(0, 3, 24, 46, 26), Map::kRouteFound);
  EXPECT_EQ(work.recalled, 5);
  EXPECT_EQ(map->routes.fullBuilds, builds + 1);
}

TEST_F(PathFinder, ClosedNodeReachedLaterMoreCheaplyIsReopened) {
  // Cells of price 1, which the estimate overprices twentyfold, scattered over ground of 80:
  // cells closed early are reached again along cheap cells and reopened, and the route found
  // costs at least the cheapest.
  MapGrid<uint8_t>& grid = Grid(0);
  TestNumbers numbers{5};
  for (int x = 0; x < 50; ++x) {
    for (int y = 0; y < 50; ++y) {
      grid.At(x, y) = numbers.Below(2) != 0 ? 1 : 80;
    }
  }
  EXPECT_EQ(Find(0, 3, 3, 46, 44), Map::kRouteFound);
  EXPECT_GT(map->routes.work.reopened, 0);
  const int64_t cost = map->routes.work.goalCost;
  EXPECT_GE(cost, Dijkstra(grid, 3, 3, 46, 44));
  // The same search again expands the same nodes in the same order.
  const int64_t expanded = map->routes.work.expanded;
  const int64_t reopened = map->routes.work.reopened;
  EXPECT_EQ(Find(0, 3, 3, 46, 44), Map::kRouteFound);
  EXPECT_EQ(map->routes.work.goalCost, cost);
  EXPECT_EQ(map->routes.work.expanded, expanded);
  EXPECT_EQ(map->routes.work.reopened, reopened);
}

TEST_F(PathFinder, RouteCostMatchesDijkstraOnRandomMaps) {
  // Prices from the table only (at least 10 a cell), so the estimate never overprices.
  const int types[] = {0, 1, 8, 10, 12, 13, 14, 16, 18, 20, 25, 26, 28, 29, 30, 31, 11};
  TestNumbers numbers{2024};
  auto next = [&numbers](uint32_t n) { return static_cast<int>(numbers.Below(n)); };
  map = rig.Default(3, 3);
  int found = 0;
  int none = 0;
  for (int m = 0; m < 200; ++m) {
    const int moveClass = m % 5;
    battle->ground = next(9);
    for (int x = 0; x < 30; x += 2) {
      for (int y = 0; y < 30; y += 2) {
        const int type = next(4) == 0 ? types[next(17)] : types[m % 3];
        Set(x, y, type);
        Set(x + 1, y, type);
        Set(x, y + 1, type);
        Set(x + 1, y + 1, next(6) == 0 ? types[next(17)] : type);
      }
    }
    if (next(3) == 0) {
      const int tx = next(3);
      const int ty = next(3);
      map->fire.state.SetU8(tx, ty, 1);
    }
    MapGrid<uint8_t>& grid = Grid(moveClass);
    bool coarse = false;
    for (int x = 0; x < 30; ++x) {
      for (int y = 0; y < 30; ++y) coarse = coarse || grid.At(x, y) == Map::kCoarseCell;
    }
    map->fire.state.Zero();
    if (coarse) continue;
    const int sx = 1 + next(28), sy = 1 + next(28), gx = 1 + next(28), gy = 1 + next(28);
    const int64_t expected = Dijkstra(grid, sx, sy, gx, gy);
    const int result = Find(moveClass, sx, sy, gx, gy);
    if (expected == kUnreachable) {
      EXPECT_EQ(result, Map::kNoRoute) << m;
      ++none;
    } else {
      ASSERT_EQ(result, Map::kRouteFound) << m;
      EXPECT_EQ(map->routes.work.goalCost, expected) << m;
      ++found;
    }
  }
  // Every map was compared (none held a coarse block), most with a route, some walled off.
  EXPECT_EQ(found + none, 200);
  EXPECT_GT(found, 150);
  EXPECT_GT(none, 10);
}

TEST_F(PathFinder, CoordinatesAreClampedOntoCellsInsideTheBorder) {
  FakePathUnit unit(1, 0);
  EXPECT_EQ(map->FindPath(unit, -50.0f, 1e9f, 3.0f, 3.0f, points), Map::kRouteFound);
  // From cell (1, 48) to cell (2, 2).
  ASSERT_GE(points.count, 1);
  EXPECT_EQ(points.x[points.count - 1], 4.0f);
  EXPECT_EQ(points.y[points.count - 1], 4.0f);
  EXPECT_EQ(map->FindPath(unit, 0.4f, 0.4f, 99.9f, 99.9f, points), Map::kRouteFound);
  EXPECT_EQ(points.x[points.count - 1], 96.0f);
  EXPECT_EQ(points.y[points.count - 1], 96.0f);
  // Coordinates that are not numbers start and end on the first inner cell.
  const float nan = std::nanf("");
  EXPECT_EQ(map->FindPath(unit, nan, nan, 40.0f, 40.0f, points), Map::kRouteFound);
  EXPECT_EQ(map->FindPath(unit, 40.0f, 40.0f, nan, 3.0f, points), Map::kRouteFound);
  EXPECT_EQ(points.x[points.count - 1], 2.0f);
  EXPECT_EQ(points.y[points.count - 1], 4.0f);
}

// Route tracing on chains of nodes made by hand.
class Trace : public PathFinder {
 protected:
  // The links of a route from the start (first of cells) to the goal (last), goal first.
  std::vector<MapPathWork::Link>& Chain(const std::vector<std::pair<int, int>>& cells) {
    chain.clear();
    for (size_t i = cells.size(); i-- > 0;) {
      chain.push_back({cells[i].first, cells[i].second, i > 0 ? static_cast<int32_t>(chain.size()) + 1 : -1});
    }
    return chain;
  }
  std::vector<MapPathWork::Link> chain;
  MapGrid<uint8_t> grid;
  void SetUp() override {
    PathFinder::SetUp();
    grid.Init(50, 50);
    grid.Fill(80);
  }
};

TEST_F(Trace, StepsInOneDirectionMergeAndOneCellStepsCountAsFive) {
  // Five one-cell steps east, a stride of five east, then three steps north-east.
  std::vector<std::pair<int, int>> cells;
  for (int x = 2; x <= 7; ++x) cells.push_back({x, 5});
  cells.push_back({12, 5});
  for (int i = 1; i <= 3; ++i) cells.push_back({12 + i, 5 + i});
  // Prices differ along the way, so nothing is straightened.
  grid.At(12, 5) = 18;
  map->TracePath(Chain(cells), points, grid);
  ASSERT_EQ(points.count, 2);
  EXPECT_EQ(points.x[0], 24.0f);
  EXPECT_EQ(points.y[0], 10.0f);
  EXPECT_EQ(points.x[1], 30.0f);
  EXPECT_EQ(points.y[1], 16.0f);
}

TEST_F(Trace, StraighteningSkipsOnlyAcrossItsOwnPriceOrCoarseCells) {
  const std::vector<std::pair<int, int>> bend = {{5, 5}, {10, 10}, {10, 20}};
  map->TracePath(Chain(bend), points, grid);
  EXPECT_EQ(points.count, 1);
  EXPECT_EQ(points.x[0], 20.0f);
  EXPECT_EQ(points.y[0], 40.0f);
  grid.At(7, 15) = Map::kCoarseCell;
  map->TracePath(Chain(bend), points, grid);
  EXPECT_EQ(points.count, 1);
  grid.At(8, 12) = 110;
  map->TracePath(Chain(bend), points, grid);
  EXPECT_EQ(points.count, 2);
  grid.At(8, 12) = 80;
  grid.At(10, 10) = 18;  // the middle node's own price differs
  map->TracePath(Chain(bend), points, grid);
  EXPECT_EQ(points.count, 2);
  // A middle node outside the rectangle of its neighbours stays.
  grid.At(10, 10) = 80;
  map->TracePath(Chain({{5, 5}, {12, 10}, {10, 20}}), points, grid);
  EXPECT_EQ(points.count, 2);
}

TEST_F(Trace, LongRouteKeepsTheFiftyPointsNearestTheStartWithinTheMap) {
  // A staircase of 60 steps whose prices alternate, so nothing merges or straightens; it starts
  // on the grid's border corner.
  std::vector<std::pair<int, int>> cells = {{0, 0}};
  for (int i = 1; i <= 60; ++i) {
    const auto& last = cells.back();
    cells.push_back(i % 2 ? std::make_pair(last.first + 1, last.second) : std::make_pair(last.first, last.second + 1));
  }
  for (size_t i = 0; i < cells.size(); ++i) grid.At(cells[i].first, cells[i].second) = i % 2 ? 18 : 80;
  map->TracePath(Chain(cells), points, grid);
  ASSERT_EQ(points.count, 50);
  EXPECT_EQ(points.x[0], 2.0f);  // cell (1, 0): y held at 2 m
  EXPECT_EQ(points.y[0], 2.0f);
  EXPECT_EQ(points.x[49], 50.0f);  // cell (25, 25), not the goal (30, 30)
  EXPECT_EQ(points.y[49], 50.0f);
  // Every point lies within 2 m of the edges, cells on the far border too.
  map->TracePath(Chain({{48, 1}, {49, 0}, {49, 49}}), points, grid);
  ASSERT_EQ(points.count, 2);
  EXPECT_EQ(points.x[0], 98.0f);
  EXPECT_EQ(points.y[0], 2.0f);
  EXPECT_EQ(points.y[1], 98.0f);
  // No goal, or a goal without a parent: no points.
  map->TracePath(Chain({}), points, grid);
  EXPECT_EQ(points.count, 0);
  points.count = 5;
  map->TracePath(Chain({{7, 7}}), points, grid);
  EXPECT_EQ(points.count, 0);
}

// The cost grids of every class and the routes of a fixed search set on a generated map of
// hills, lakes, woods and roads, as digests.
TEST(MapRouteDigest, GeneratedMapGivesItsKnownGridsAndRoutes) {
  MapRig rig;
  FakeBattle& battle = rig.app.MakeBattle();
  battle.ground = 3;
  Map painted(rig.app);
  PaintRouteWorld(painted, 40, 7);
  auto map = rig.Read(rig.Write(painted));
  uint32_t gridCrc = 0xFFFFFFFFu;
  for (int c = 0; c < Map::kMoveClasses; ++c) {
    map->BuildCostGrid(c % 2, c);
    const MapGrid<uint8_t>& grid = map->routes.cost[c];
    for (int i = 0; i < grid.Width() * grid.Height(); ++i) gridCrc = Crc32Update(gridCrc, grid.Data()[i]);
  }
  uint32_t routeCrc = 0xFFFFFFFFu;
  TestNumbers numbers{99};
  auto next = [&numbers] { return static_cast<float>(numbers.Below(8000u)) * 0.1f; };
  int results[3] = {};
  for (int i = 0; i < 40; ++i) {
    FakePathUnit unit(i % 2, i % 5);
    PathPoints points;
    const float x0 = next(), y0 = next(), x1 = next(), y1 = next();
    const int result = map->FindPath(unit, x0, y0, x1, y1, points);
    ++results[result];
    routeCrc = Crc32Update(routeCrc, static_cast<uint8_t>(result));
    if (result != Map::kRouteFound) continue;
    for (int p = 0; p < points.count; ++p) {
      routeCrc = Crc32Update(routeCrc, static_cast<uint8_t>(static_cast<int>(points.x[p]) & 0xFF));
      routeCrc = Crc32Update(routeCrc, static_cast<uint8_t>(static_cast<int>(points.y[p]) & 0xFF));
    }
  }
  EXPECT_EQ(results[Map::kOutOfNodes], 0);
  EXPECT_GT(results[Map::kRouteFound], 20);
  EXPECT_GT(results[Map::kNoRoute], 0);
  EXPECT_EQ(gridCrc ^ 0xFFFFFFFFu, 0x6b7635bau);
  EXPECT_EQ(routeCrc ^ 0xFFFFFFFFu, 0x53827b2du);
}

// Goals a search cannot reach, on a generated map of lakes, woods and roads with coarse blocks:
// with the regions on, every search gives the result, route and cell grid the search made in
// full gives; the ones ended early end both ways (no route, and the budget spent); and a full
// search that ends with no route takes no more nodes than its start region's reach.
TEST(MapRouteRegions, SearchesEndedEarlyGiveTheFullSearchesAnswers) {
  MapRig rig;
  FakeBattle& battle = rig.app.MakeBattle();
  battle.ground = 3;
  Map painted(rig.app);
  PaintRouteWorld(painted, 40, 11);
  auto map = rig.Read(rig.Write(painted));
  MapPathWork& work = map->routes.work;
  work.remember = false;
  TestNumbers numbers{7};
  auto next = [&numbers](uint32_t n) { return numbers.Below(n); };
  int settled[2] = {};
  int found = 0;
  for (int i = 0; i < 300; ++i) {
    FakePathUnit unit(i % 2, static_cast<int32_t>(next(5)));
    const float x0 = static_cast<float>(next(8000)) * 0.1f, y0 = static_cast<float>(next(8000)) * 0.1f;
    const float x1 = static_cast<float>(next(8000)) * 0.1f, y1 = static_cast<float>(next(8000)) * 0.1f;
    work.budget = i % 3 == 0 ? 3000 : i % 3 == 1 ? 40000 : MapPathWork::kNodeBudget;
    PathPoints full;
    work.settleUnreachable = false;
    const int fullResult = map->FindPath(unit, x0, y0, x1, y1, full);
    const int32_t taken = work.NodesTaken();
    const MapGrid<uint8_t>& grid = map->routes.cost[unit.moveClass];
    const std::vector<uint8_t> cells(grid.Data(), grid.Data() + grid.Width() * grid.Height());
    PathPoints quick;
    work.settleUnreachable = true;
    const int64_t before = work.settled;
    const int quickResult = map->FindPath(unit, x0, y0, x1, y1, quick);
    ASSERT_EQ(quickResult, fullResult) << i;
    EXPECT_EQ(std::vector<uint8_t>(grid.Data(), grid.Data() + grid.Width() * grid.Height()), cells) << i;
    if (fullResult == Map::kRouteFound) {
      ++found;
      ASSERT_EQ(quick.count, full.count) << i;
      for (int p = 0; p < full.count; ++p) {
        EXPECT_EQ(quick.x[p], full.x[p]) << i;
        EXPECT_EQ(quick.y[p], full.y[p]) << i;
      }
    }
    if (work.settled != before) {
      EXPECT_NE(fullResult, Map::kRouteFound) << i;
      ++settled[fullResult == Map::kOutOfNodes ? 1 : 0];
    }
    if (fullResult == Map::kNoRoute) {
      const int h = grid.Height();
      const int sx = std::clamp(static_cast<int>(x0 * 0.5f + 0.5f), 1, grid.Width() - 2);
      const int sy = std::clamp(static_cast<int>(y0 * 0.5f + 0.5f), 1, h - 2);
      const MapPathRegions::Labels& labels = map->routes.regions.For(unit.moveClass, grid);
      const uint32_t region = labels.label[static_cast<size_t>(sx * h + sy)];
      ASSERT_TRUE(labels.usable);
      if (region != MapPathRegions::kNoRegion) {
        EXPECT_LE(taken, labels.reach[region]) << i;
      }
    }
  }
  EXPECT_GT(found, 100);
  EXPECT_GT(settled[0], 0);
  EXPECT_GT(settled[1], 0);
  // Grids built again equal to those labelled keep their labels.
  const int64_t labelled = map->routes.regions.labelled;
  map->FreeCostGrids();
  map->ForgetKeptCostGrids();
  for (int c = 0; c < Map::kMoveClasses; ++c) {
    FakePathUnit unit(c % 2, c);
    PathPoints points;
    map->FindPath(unit, 10.0f, 10.0f, 700.0f, 700.0f, points);
  }
  EXPECT_EQ(map->routes.regions.labelled, labelled);
}

// Regions by hand: a ring of water parts the inside from the outside; a grid written with a
// coarse cell outside any coarse block gets no regions, and its searches are all made.
// Regions are consulted only once a search on the grid has failed.
TEST_F(PathFinder, RingOfWaterPartsTheRegions) {
  for (int i = 20; i <= 30; ++i) {
    Set(i, 20, 25);
    Set(i, 30, 25);
    Set(20, i, 25);
    Set(30, i, 25);
  }
  MapGrid<uint8_t>& grid = Grid(0);
  const int h = grid.Height();
  const MapPathRegions::Labels& labels = map->routes.regions.For(0, grid);
  ASSERT_TRUE(labels.usable);
  const uint32_t inside = labels.label[static_cast<size_t>(25 * h + 25)];
  const uint32_t outside = labels.label[static_cast<size_t>(5 * h + 5)];
  EXPECT_NE(inside, MapPathRegions::kNoRegion);
  EXPECT_NE(outside, MapPathRegions::kNoRegion);
  EXPECT_NE(inside, outside);
  EXPECT_EQ(labels.label[static_cast<size_t>(20 * h + 25)], MapPathRegions::kNoRegion);
  EXPECT_EQ(labels.label[static_cast<size_t>(45 * h + 45)], outside);
  // The inside's 9 x 9 cells less the 4 corners closed, and the 40 closed cells beside them.
  EXPECT_EQ(labels.reach[inside], 77 + 40);
  // The grid's first failed search is made in full; after it the grid's regions settle the
  // next one without a node.
  const int64_t settled = map->routes.work.settled;
  EXPECT_EQ(Find(0, 25, 25, 5, 5), Map::kNoRoute);
  EXPECT_EQ(map->routes.work.settled, settled);
  EXPECT_EQ(map->routes.work.NodesTaken(), 77 + 40);
  EXPECT_EQ(Find(0, 26, 26, 5, 5), Map::kNoRoute);
  EXPECT_EQ(map->routes.work.settled, settled + 1);
  EXPECT_EQ(map->routes.work.NodesTaken(), 0);
  grid.At(26, 27) = Map::kCoarseCell;
  EXPECT_FALSE(map->routes.regions.For(0, grid).usable);
  EXPECT_EQ(Find(0, 25, 24, 5, 5), Map::kNoRoute);
  EXPECT_EQ(map->routes.work.settled, settled + 1);
  EXPECT_GT(map->routes.work.NodesTaken(), 0);
}

}  // namespace

// Searches asked ahead on four worker threads, some of them dropped again, give the routes,
// results and node counts of the same searches made one by one on the asking thread, whichever
// thread ends up making each (a worker, the asker while it waits, or the asker at once), and
// leave the class's grid as it was.
TEST(MapRouteAhead, AnswersAreTheSearchesOwnWhicheverThreadMakesThem) {
  MapRig rig;
  FakeBattle& battle = rig.app.MakeBattle();
  battle.ground = 3;
  Map painted(rig.app);
  PaintRouteWorld(painted, 40, 7);
  auto map = rig.Read(rig.Write(painted));
  map->routes.work.remember = false;
  map->BuildCostGrid(1, 0);
  const MapGrid<uint8_t>& grid = map->routes.cost[0];
  const std::vector<uint8_t> cells(grid.Data(), grid.Data() + static_cast<size_t>(grid.Width()) * static_cast<size_t>(grid.Height()));
  FakePathUnit unit(0, 0);
  TestNumbers numbers{31};
  auto next = [&numbers] { return static_cast<float>(numbers.Below(8000u)) * 0.1f; };
  struct Search {
    float x0, y0, x1, y1;
  };
  std::vector<Search> searches(24);
  for (Search& s : searches) s = {next(), next(), next(), next()};
  struct Answer {
    int result;
    int64_t expanded;
    std::vector<float> points;
    bool operator==(const Answer&) const = default;
  };
  auto find = [&](const Search& s) {
    PathPoints points;
    const int result = map->FindPath(unit, s.x0, s.y0, s.x1, s.y1, points);
    Answer answer{result, map->routes.work.expanded, {}};
    for (int p = 0; result == Map::kRouteFound && p < points.count; ++p) {
      answer.points.push_back(points.x[p]);
      answer.points.push_back(points.y[p]);
    }
    return answer;
  };
  map->routes.ahead.SetThreads(1);
  std::vector<Answer> one;
  for (const Search& s : searches) one.push_back(find(s));

  map->routes.ahead.SetThreads(4);
  std::vector<MapRouteAhead::Key> keys;
  for (const Search& s : searches) keys.push_back(map->AskRoute(unit, s.x0, s.y0, s.x1, s.y1));
  // Goals the regions show unreachable are settled at once, not asked ahead.
  const auto asked = std::count_if(keys.begin(), keys.end(), [](const auto& k) { return k.moveClass >= 0; });
  int64_t dropped = 0;
  for (size_t i = 2; i < keys.size(); i += 3) {
    map->routes.ahead.Cancel(keys[i]);
    if (keys[i].moveClass >= 0) ++dropped;
  }
  for (size_t i = 0; i < searches.size(); ++i) EXPECT_EQ(find(searches[i]), one[i]) << i;
  const MapRouteAhead& ahead = map->routes.ahead;
  EXPECT_GT(asked, 12);
  EXPECT_EQ(ahead.asked, asked);
  EXPECT_EQ(ahead.taken + ahead.madeAtOnce, 24);
  EXPECT_LE(ahead.taken, asked - dropped);
  EXPECT_TRUE(std::equal(cells.begin(), cells.end(), grid.Data()));
  map->routes.ahead.Forget();
}
