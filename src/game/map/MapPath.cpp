// The A* path finder over a move class's cost grid, and the tracing of the route it found.
// The search is exact to its rules, since both machines of a game must find the same route:
// neighbours are listed in a fixed order and processed from the last to the first, the open
// set leaves by f, then x, then y, a closed cell reached later more cheaply is reopened, and
// coarse blocks are crossed from anchor to anchor in 5-cell strides.
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <iterator>
#include <type_traits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapPathSteps.h"
#include "game/map/MapPathUnit.h"
#include "game/map/PathPoints.h"

namespace {

constexpr int64_t kImpassablePrice = 100000000;
constexpr int64_t kSoftBlockFactor = 100000;
constexpr int64_t kHeuristicWeight = 10;
constexpr int32_t kMaxNeighbours = MapPathSteps::kMaxSteps;
using Candidate = MapPathSteps::Step;

// 20 x max(dx, dy) + 8 x min(dx, dy), written as 8 (dx + dy) + 12 max(dx, dy) with the
// maximum taken without a branch: which of the two is larger follows no pattern the
// processor could learn.
int64_t Estimate(int32_t x, int32_t y, int32_t gx, int32_t gy) {
  const int32_t dx = std::abs(x - gx);
  const int32_t dy = std::abs(y - gy);
  const int32_t larger = dx ^ ((dx ^ dy) & -static_cast<int32_t>(dx < dy));
  return static_cast<int64_t>(8 * (dx + dy) + 12 * larger) * kHeuristicWeight;
}

// The price of stepping into a cell of value v at the factor given (20 straight, 28 diagonal,
// more for the longer steps to coarse blocks' anchors).
constexpr int64_t PriceOf(uint8_t v, int32_t factor) {
  if (v == Map::kImpassable) return kImpassablePrice;
  if (v == Map::kSoftBlock) return kSoftBlockFactor * factor;
  return static_cast<int64_t>(v) * factor;
}

// The prices of the one-cell steps by the entered cell's value, read in the search's inner loop.
struct StepPrices {
  int64_t straight[256];
  int64_t diagonal[256];
};
constexpr StepPrices MakeStepPrices() {
  StepPrices p{};
  for (int32_t v = 0; v < 256; ++v) {
    p.straight[v] = PriceOf(static_cast<uint8_t>(v), 20);
    p.diagonal[v] = PriceOf(static_cast<uint8_t>(v), 28);
  }
  return p;
}
constexpr StepPrices kStepPrices = MakeStepPrices();

// The step back from each of the eight neighbours, in their listed order.
constexpr uint8_t StepBackOf(int32_t k) {
  return static_cast<uint8_t>(MapPathWork::StepCode(-MapPathSteps::kNeighbour[k][0], -MapPathSteps::kNeighbour[k][1]));
}
constexpr uint8_t kStepBack[8] = {StepBackOf(0), StepBackOf(1), StepBackOf(2), StepBackOf(3),
                                  StepBackOf(4), StepBackOf(5), StepBackOf(6), StepBackOf(7)};

// The open set's key of a cell at f: f, then x, then y.
uint64_t Key(int64_t f, int32_t x, int32_t y) {
  return static_cast<uint64_t>(f) << 2 * MapPathWork::kKeyCellBits |
         static_cast<uint64_t>(x) << MapPathWork::kKeyCellBits | static_cast<uint64_t>(y);
}

// The cell a metre coordinate rounds to, kept one cell inside the grid.
int32_t RouteCell(float v, int32_t cells) {
  const int32_t c = TruncateToInt32(v * 0.5f + 0.5f);
  return std::clamp(c, 1, std::max(1, cells - 2));
}

// Whether the n cells from p on are all coarse or hold v: sixteen at a time where the build
// has SSE2 (every x86-64 machine), one at a time for the rest.
bool OnlyCoarseOr(const uint8_t* p, size_t n, uint8_t v) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i coarse = _mm_set1_epi8(static_cast<char>(Map::kCoarseCell));
  const __m128i value = _mm_set1_epi8(static_cast<char>(v));
  for (; i + 16 <= n; i += 16) {
    const __m128i cells = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i good = _mm_or_si128(_mm_cmpeq_epi8(cells, coarse), _mm_cmpeq_epi8(cells, value));
    if (_mm_movemask_epi8(good) != 0xFFFF) return false;
  }
#endif
  for (; i < n; ++i) {
    if (p[i] != Map::kCoarseCell && p[i] != v) return false;
  }
  return true;
}

float ClampMetres(float v, float sizeMetres) {
  if (v < 0.0f) return 0.0f;
  if (v >= sizeMetres) return sizeMetres;
  return v;
}

}  // namespace

int32_t Map::FindPath(MapPathUnit& unit, float x0, float y0, float x1, float y1, PathPoints& points) {
  ++routes.work.searches;
  if (!unit.CanStandAt(x1, y1, true)) return kNoRoute;
  const int32_t moveClass = unit.GetMoveClass();
  BuildCostGrid(unit.GetSideByte() == 0 ? 1 : 0, moveClass);
  if (moveClass < 0) FatalError(301, "AIPath.cpp");

  MapGrid<uint8_t>& grid = routes.cost[moveClass];
  if (!grid.IsSized()) FatalError(309, "AIPath.cpp");
  const int32_t h = grid.Height();
  MapPathWork& work = routes.work;
  int32_t key[6];
  RouteCells(grid, x0, y0, x1, y1, key);
  const int32_t sx = key[0];
  const int32_t sy = key[1];
  const int32_t gx = key[2];
  const int32_t gy = key[3];

  // The same search asked again gets the answer it had.
  const uint64_t cells = routes.CellsIdentity(moveClass);
  if (const MapPathWork::Remembered* r = work.Recall(moveClass, cells, key, size.worldWidth, size.worldHeight)) {
    ++work.recalled;
    work.goalCost = r->goalCost;
    work.expanded = r->expanded;
    work.reopened = r->reopened;
    if (r->result == kRouteFound) {
      // As the route's tracing writes it: the count and that many points.
      points.count = r->points.count;
      std::copy_n(r->points.x, r->points.count, points.x);
      std::copy_n(r->points.y, r->points.count, points.y);
    }
    return r->result;
  }
  // A goal outside the start's region is never reached (an impassable start is left to the
  // search, since its steps may lead into several regions).
  int64_t reach = -1;
  if (work.settleUnreachable && work.SawFailure(moveClass, cells)) {
    const MapPathRegions::Labels& labels = routes.regions.For(moveClass, grid);
    const uint32_t from = labels.label[static_cast<size_t>(sx) * static_cast<size_t>(h) + static_cast<size_t>(sy)];
    const uint32_t to = labels.label[static_cast<size_t>(gx) * static_cast<size_t>(h) + static_cast<size_t>(gy)];
    if (labels.usable && from != MapPathRegions::kNoRegion && to != from) reach = labels.reach[from];
  }
  // A search made ahead on a worker gave the answer searching here would give.
  int32_t result = kNoRoute;
  MapRouteAhead::Answer ahead;
  if (reach < 0 && routes.ahead.Take(AheadKey(moveClass, cells, key), ahead)) {
    result = ahead.result;
    work.goalCost = ahead.goalCost;
    work.expanded = ahead.expanded;
    work.reopened = ahead.reopened;
    work.expandedTotal += ahead.expanded;
    if (result == kRouteFound) {
      points.count = ahead.points.count;
      std::copy_n(ahead.points.x, ahead.points.count, points.x);
      std::copy_n(ahead.points.y, ahead.points.count, points.y);
    }
  } else {
    result = SearchRoute(grid, work, sx, sy, gx, gy, points, reach, moveClass, cells);
    if (routes.ahead.Active()) {
      ++routes.ahead.madeAtOnce;
      routes.ahead.madeAtOnceNodes += work.expanded;
    }
  }
  if (result == kOutOfNodes) {
    ++work.spentSearches;
    work.spentExpanded += work.expanded;
  }
  if (result != kRouteFound) work.NoteFailure(moveClass, cells);
  work.Keep(moveClass, cells, key, size.worldWidth, size.worldHeight, result,
            result == kRouteFound ? &points : nullptr);
  return result;
}

void Map::RouteCells(const MapGrid<uint8_t>& grid, float x0, float y0, float x1, float y1, int32_t (&key)[6]) const {
  x0 = ClampMetres(x0, size.worldWidth);
  y0 = ClampMetres(y0, size.worldHeight);
  x1 = ClampMetres(x1, size.worldWidth);
  y1 = ClampMetres(y1, size.worldHeight);
  const int32_t w = grid.Width();
  const int32_t h = grid.Height();
  key[0] = RouteCell(x0, w);
  key[1] = RouteCell(y0, h);
  key[2] = RouteCell(x1, w);
  key[3] = RouteCell(y1, h);
  key[4] = w;
  key[5] = h;
}

MapRouteAhead::Key Map::AheadKey(int32_t moveClass, uint64_t identity, const int32_t (&cells)[6]) const {
  MapRouteAhead::Key key;
  key.moveClass = moveClass;
  key.identity = identity;
  std::copy(std::begin(cells), std::end(cells), std::begin(key.cells));
  key.budget = routes.work.budget;
  key.worldWidth = size.worldWidth;
  key.worldHeight = size.worldHeight;
  return key;
}

MapRouteAhead::Key Map::AskRoute(MapPathUnit& unit, float x0, float y0, float x1, float y1) {
  const MapRouteAhead::Key none;
  if (!routes.ahead.Active()) return none;
  // Only what FindPath would search with the grid as it stands: a built grid it would not
  // build again, a destination the unit can stand at.
  const int32_t moveClass = unit.GetMoveClass();
  if (moveClass < 0 || moveClass >= kMoveClasses || !routes.built[moveClass]) return none;
  const MapGrid<uint8_t>& grid = routes.cost[moveClass];
  if (!grid.IsSized() || grid.Width() != terrain.fineGrid.Width() || grid.Height() != terrain.fineGrid.Height()) return none;
  if (!unit.CanStandAt(x1, y1, true)) return none;
  int32_t key[6];
  RouteCells(grid, x0, y0, x1, y1, key);
  const uint64_t cells = routes.CellsIdentity(moveClass);
  const MapPathWork& work = routes.work;
  // Answered from memory, or possibly settled without a search.
  if (work.Recall(moveClass, cells, key, size.worldWidth, size.worldHeight) != nullptr) return none;
  if (work.settleUnreachable && work.SawFailure(moveClass, cells)) {
    const MapPathRegions::Labels& labels = routes.regions.For(moveClass, routes.cost[moveClass]);
    const size_t h = static_cast<size_t>(grid.Height());
    const uint32_t from = labels.label[static_cast<size_t>(key[0]) * h + static_cast<size_t>(key[1])];
    const uint32_t to = labels.label[static_cast<size_t>(key[2]) * h + static_cast<size_t>(key[3])];
    if (labels.usable && from != MapPathRegions::kNoRegion && to != from) return none;
  }
  const MapRouteAhead::Key ahead = AheadKey(moveClass, cells, key);
  routes.ahead.Ask(*this, ahead, grid);
  return ahead;
}

int32_t Map::SearchRoute(MapGrid<uint8_t>& grid, MapPathWork& work, int32_t sx, int32_t sy, int32_t gx, int32_t gy,
                         PathPoints& points, int64_t unreachableReach, int32_t moveClass, uint64_t identity) const {
  static_assert(MapPathWork::kCoarseMark == kCoarseCell, "the search's frame borders its grid with coarse marks");
  const int32_t w = grid.Width();
  const int32_t h = grid.Height();
  uint8_t* cells = grid.DataRestoredAfterUse();
  auto at = [cells, h](int32_t x, int32_t y) -> uint8_t& {
    return cells[static_cast<size_t>(x) * static_cast<size_t>(h) + static_cast<size_t>(y)];
  };
  work.Begin(cells, w, h, moveClass, identity);
  // The start and goal blocks filled below are put back before the search returns.

  // A coarse block holding the start or the goal is filled with its anchors' price for the
  // search, so that the route can begin and end on any of its cells.
  const int32_t ends[2][2] = {{sx, sy}, {gx, gy}};
  for (int32_t e = 0; e < 2; ++e) {
    const int32_t bx = ends[e][0] / 10 * 10;
    const int32_t by = ends[e][1] / 10 * 10;
    if (at(bx + 1, by + 1) != kCoarseCell) continue;
    const uint8_t fill = at(bx + 2, by + 2);
    for (int32_t x = 0; x < 10; ++x) {
      for (int32_t y = 0; y < 10; ++y) {
        work.saved[e][x * 10 + y] = at(bx + x, by + y);
        at(bx + x, by + y) = fill;
      }
    }
    work.Reload(cells, bx, by, 10, 10);
    work.savedOrigin[e][0] = bx;
    work.savedOrigin[e][1] = by;
    work.savedFlag[e] = true;
  }
  auto restore = [&]() {
    for (int32_t e = 0; e < 2; ++e) {
      if (!work.savedFlag[e]) continue;
      for (int32_t x = 0; x < 10; ++x) {
        for (int32_t y = 0; y < 10; ++y) {
          at(work.savedOrigin[e][0] + x, work.savedOrigin[e][1] + y) = work.saved[e][x * 10 + y];
        }
      }
      work.savedFlag[e] = false;
    }
    // The frame takes the blocks' cells back from the grid.
    for (int32_t e = 0; e < 2; ++e) {
      if (work.savedOrigin[e][0] >= 0) work.Reload(cells, work.savedOrigin[e][0], work.savedOrigin[e][1], 10, 10);
      work.savedOrigin[e][0] = -1;
    }
  };

  if (unreachableReach >= 0) {
    // The goal cannot be reached: the search would take a node for every cell it can reach and
    // for every cell those step to, and end with no route if they number at most the budget,
    // else with the budget spent. The region's cells and the impassable cells around it bound
    // their number from above; cells flooded from the start bound it from below.
    const bool spent = unreachableReach > work.budget && FloodPastBudget(work, cells, w, h, sx, sy);
    work.Restart();
    if (unreachableReach <= work.budget || spent) {
      ++work.settled;
      restore();
      return spent ? kOutOfNodes : kNoRoute;
    }
  }

  if (!work.TakeNode()) {
    restore();
    return kOutOfNodes;
  }
  uint32_t* const records = work.Records();
  const uint8_t* const values = work.Values();
  uint8_t* const steps = work.Steps();
  const int32_t stride = work.Stride();
  // The frame's values as a grid of its own: cell (x, y) at x * stride + y, the frame's border
  // at -1 and at the grid's width and height. They are the grid's cells, read nearer the
  // search's other tables.
  const uint8_t* const frame = values + stride + 1;
  MapPathOpenSet& open = work.open;
  work.Mark(work.CellOf(sx, sy), 0, true, MapPathWork::kNoStep);
  open.Push(Key(Estimate(sx, sy, gx, gy), sx, sy));
  // The eight neighbours' places in the frame, in their listed order.
  int32_t offset[8];
  for (int32_t k = 0; k < 8; ++k) offset[k] = MapPathSteps::kNeighbour[k][0] * stride + MapPathSteps::kNeighbour[k][1];

  // The loop keeps its counts in locals, written back when it ends: every cell it visits first
  // is a cell of the grid and takes a node, so the budget left and the grid's size bound the
  // cells it notes as visited.
  const int32_t budget = work.budget;
  int32_t nodes = work.NodesTaken();
  int32_t* const touchedFrom =
      work.TouchRoom(std::min(static_cast<size_t>(budget - nodes), static_cast<size_t>(w) * static_cast<size_t>(h)));
  int32_t* touched = touchedFrom;
  const int64_t expandedFrom = work.expanded;
  int64_t expanded = expandedFrom;
  int64_t reopened = work.reopened;
  const std::atomic<bool>* const abandon = work.abandon;

  // Enters the cell at place `to`, (x, y) of the grid, at price `next`, which is below the
  // price its record `seen` holds (a cell not visited holds none); false when the cell is new
  // and the budget is spent.
  auto enter = [&](int32_t to, int32_t x, int32_t y, int64_t next, uint32_t seen, uint8_t step)
      __attribute__((always_inline)) {
    if ((seen & MapPathWork::kVisitedBit) == 0) {
      if (nodes >= budget) return false;
      ++nodes;
      *touched++ = to;
      if (next >= kImpassablePrice) {
        // Reached first at an impassable price: closed, never expanded, no step back.
        records[to] = MapPathWork::kVisitedBit | static_cast<uint32_t>(kImpassablePrice);
        steps[to] = MapPathWork::kNoStep;
        return true;
      }
    } else if ((seen & MapPathWork::kOpenBit) == 0) {
      ++reopened;
    }
    const int64_t estimate = Estimate(x, y, gx, gy);
    // The key the cell waits under, if open, is stale from now on.
    if ((seen & MapPathWork::kOpenBit) != 0) {
      open.Withdraw(Key(static_cast<int64_t>(seen & MapPathWork::kPriceMask) + estimate, x, y));
    }
    records[to] = MapPathWork::kVisitedBit | MapPathWork::kOpenBit | static_cast<uint32_t>(next);
    steps[to] = step;
    open.Push(Key(next + estimate, x, y));
    return true;
  };
  // Whether a cell whose record is `seen` is entered at price `next`: when not visited, or
  // visited at a higher price. A record not visited reads as the visited bit alone, above any
  // price.
  auto lower = [](uint32_t seen, int64_t next) __attribute__((always_inline)) {
    constexpr uint32_t kSeen = MapPathWork::kVisitedBit | MapPathWork::kPriceMask;
    return static_cast<int64_t>((seen & kSeen) ^ MapPathWork::kVisitedBit) > next;
  };

  int32_t result = kNoRoute;
  int32_t goal = -1;
  for (uint64_t key = open.PopLeast(); key != MapPathOpenSet::kNone; key = open.PopLeast()) {
    const int32_t cx = static_cast<int32_t>(key >> MapPathWork::kKeyCellBits & MapPathWork::kKeyCellMask);
    const int32_t cy = static_cast<int32_t>(key & MapPathWork::kKeyCellMask);
    const int32_t current = (cx + 1) * stride + (cy + 1);
    // Every key entered names a cell this search visited; it is stale once the cell has closed
    // or been priced lower since.
    const uint32_t record = records[current];
    const int64_t g = static_cast<int64_t>(record & MapPathWork::kPriceMask);
    if ((record & MapPathWork::kOpenBit) == 0 ||
        g + Estimate(cx, cy, gx, gy) != static_cast<int64_t>(key >> 2 * MapPathWork::kKeyCellBits)) {
      continue;
    }
    if (cx == gx && cy == gy) {
      goal = current;
      work.goalCost = g;
      result = kRouteFound;
      break;
    }
    ++expanded;
    if ((expanded & 4095) == 0 && abandon != nullptr && abandon->load(std::memory_order_relaxed)) {
      result = kOutOfNodes;
      break;
    }
    // The cell likely to be expanded next and its neighbours are loaded while this one is.
    if (const uint64_t likely = open.Likely(); likely != MapPathOpenSet::kNone) {
      const int32_t next = (static_cast<int32_t>(likely >> MapPathWork::kKeyCellBits & MapPathWork::kKeyCellMask) + 1) * stride +
          static_cast<int32_t>(likely & MapPathWork::kKeyCellMask) + 1;
      for (int32_t dx = -1; dx <= 1; ++dx) {
        __builtin_prefetch(records + next + dx * stride, 1);
        __builtin_prefetch(values + next + dx * stride);
      }
    }

    // The steps are taken from the last listed to the first.
    bool spent = false;
    if (frame[(cx / 10 * 10) * stride + cy / 10 * 10] != kCoarseCell) {
      // The eight neighbours are read first, without branching: which are coarse, and which
      // the step would enter. Without coarse neighbours they are eight distinct cells, so
      // entering them in their order, each as read, is the same as reading each in turn.
      uint32_t coarse = 0;
      uint32_t wanted = 0;
      int64_t price[8];
      uint32_t seen[8];
      auto read = [&](auto k) __attribute__((always_inline)) {
        const int32_t to = current + offset[k];
        const uint8_t v = values[to];
        coarse |= static_cast<uint32_t>(v == kCoarseCell) << k;
        price[k] = g + ((k & 1) != 0 ? kStepPrices.diagonal[v] : kStepPrices.straight[v]);
        seen[k] = records[to];
        wanted |= static_cast<uint32_t>(lower(seen[k], price[k])) << k;
      };
      read(std::integral_constant<int32_t, 0>{});
      read(std::integral_constant<int32_t, 1>{});
      read(std::integral_constant<int32_t, 2>{});
      read(std::integral_constant<int32_t, 3>{});
      read(std::integral_constant<int32_t, 4>{});
      read(std::integral_constant<int32_t, 5>{});
      read(std::integral_constant<int32_t, 6>{});
      read(std::integral_constant<int32_t, 7>{});
      if (coarse == 0) [[likely]] {
        while (wanted != 0 && !spent) {
          const int32_t k = 31 - std::countl_zero(wanted);
          wanted ^= uint32_t{1} << k;
          spent = !enter(current + offset[k], cx + MapPathSteps::kNeighbour[k][0], cy + MapPathSteps::kNeighbour[k][1],
                         price[k], seen[k], kStepBack[k]);
        }
      } else {
        // A coarse neighbour is replaced by its block's nearest anchor, which may be another
        // neighbour's cell: each is read as the one before has left it.
        for (int32_t k = 7; k >= 0 && !spent; --k) {
          int32_t to = current + offset[k];
          int32_t x = cx + MapPathSteps::kNeighbour[k][0];
          int32_t y = cy + MapPathSteps::kNeighbour[k][1];
          uint8_t step = kStepBack[k];
          int64_t next = 0;
          if ((coarse >> k & 1) == 0) {
            next = price[k];
          } else {
            if (x < 0 || y < 0 || x >= w || y >= h) continue;  // the frame's border
            Candidate c;
            MapPathSteps::Neighbour(frame, w, h, cx, cy, x, y, c, stride);
            to = work.CellOf(c.x, c.y);
            x = c.x;
            y = c.y;
            step = static_cast<uint8_t>(MapPathWork::StepCode(cx - c.x, cy - c.y));
            next = g + PriceOf(values[to], c.factor);
          }
          const uint32_t now = records[to];
          if (lower(now, next)) spent = !enter(to, x, y, next, now, step);
        }
      }
    } else {
      Candidate list[kMaxNeighbours];
      const int32_t count = MapPathSteps::List(frame, w, h, cx, cy, list, stride);
      if (count > kMaxNeighbours) FatalError(404, "AIPath.cpp");
      // The steps reach up to five cells away, past the lines loaded ahead: all are asked for
      // before the first is read.
      for (int32_t i = 0; i < count; ++i) {
        const int32_t to = (list[i].x + 1) * stride + list[i].y + 1;
        __builtin_prefetch(records + to, 1);
        __builtin_prefetch(values + to);
      }
      for (int32_t i = count - 1; i >= 0 && !spent; --i) {
        const Candidate& c = list[i];
        if (c.x < 0 || c.y < 0 || c.x >= w || c.y >= h) FatalError(408, "AIPath.cpp");
        const int32_t to = work.CellOf(c.x, c.y);
        const int64_t next = g + PriceOf(values[to], c.factor);
        const uint32_t seen = records[to];
        if (!lower(seen, next)) continue;
        spent = !enter(to, c.x, c.y, next, seen, static_cast<uint8_t>(MapPathWork::StepCode(cx - c.x, cy - c.y)));
      }
    }
    if (spent) {
      result = kOutOfNodes;
      break;
    }
    records[current] &= ~MapPathWork::kOpenBit;
  }
  work.NodesTakenTo(nodes);
  work.TouchedTo(touched);
  work.expanded = expanded;
  work.expandedTotal += expanded - expandedFrom;
  work.reopened = reopened;
  if (result == kRouteFound) TracePath(ChainTo(work, goal), points, grid);
  restore();
  return result;
}

std::vector<MapPathWork::Link>& Map::ChainTo(MapPathWork& work, int32_t goal) {
  std::vector<MapPathWork::Link>& chain = work.chain;
  chain.clear();
  int32_t x = work.XOf(goal);
  int32_t y = work.YOf(goal);
  for (;;) {
    const uint32_t step = work.StepAt(work.CellOf(x, y));
    const bool last = step == MapPathWork::kNoStep;
    chain.push_back({x, y, last ? -1 : static_cast<int32_t>(chain.size()) + 1});
    if (last) break;
    x += MapPathWork::StepDx(step);
    y += MapPathWork::StepDy(step);
  }
  return chain;
}

bool Map::FloodPastBudget(MapPathWork& work, const uint8_t* cells, int32_t w, int32_t h, int32_t sx, int32_t sy) {
  // A cell flooded at depth d is reached by the search at a price of at most d steps into cells
  // below the soft-block value, each at most 253 x 141, so it is expanded as long as that stays
  // below the impassable price; soft blocks count as reached but are not flooded from.
  constexpr int32_t kSureDepth = static_cast<int32_t>((kImpassablePrice - 1) / (253 * 141));
  std::vector<int32_t>& queue = work.flood;
  queue.clear();
  queue.push_back(sx * h + sy);
  work.Mark(work.CellOf(sx, sy), 0, false, MapPathWork::kNoStep);
  int64_t touched = 1;
  int32_t depth = 0;
  size_t layerEnd = 1;
  Candidate list[kMaxNeighbours];
  for (size_t i = 0; i < queue.size(); ++i) {
    if (i == layerEnd) {
      layerEnd = queue.size();
      if (++depth > kSureDepth) return false;
    }
    const int32_t cx = queue[i] / h;
    const int32_t cy = queue[i] % h;
    const int32_t count = MapPathSteps::List(cells, w, h, cx, cy, list);
    for (int32_t k = 0; k < count; ++k) {
      const Candidate& c = list[k];
      if (c.x < 0 || c.y < 0 || c.x >= w || c.y >= h) continue;
      const int32_t cell = c.x * h + c.y;
      if (work.Visited(work.CellOf(c.x, c.y))) continue;
      work.Mark(work.CellOf(c.x, c.y), 0, false, MapPathWork::kNoStep);
      if (++touched > work.budget) return true;
      if (cells[static_cast<size_t>(cell)] < kSoftBlock) queue.push_back(cell);
    }
  }
  return false;
}

void Map::TracePath(std::vector<MapPathWork::Link>& chain, PathPoints& points, const MapGrid<uint8_t>& grid) const {
  auto nodeAt = [&chain](int32_t i) -> MapPathWork::Link& { return chain[static_cast<size_t>(i)]; };
  const int32_t goalNode = chain.empty() ? -1 : 0;
  if (goalNode < 0 || nodeAt(goalNode).parent < 0) {
    points.count = 0;
    return;
  }
  // Merge: a run of steps in one direction keeps only its far end; a one-cell step counts as a
  // five-cell stride, so a stride and the steps beside it in line merge too.
  int32_t lastKept = -1;
  int32_t lastDx = 0;
  int32_t lastDy = 0;
  for (int32_t n = goalNode; nodeAt(n).parent >= 0;) {
    const int32_t p = nodeAt(n).parent;
    int32_t dx = nodeAt(p).x - nodeAt(n).x;
    int32_t dy = nodeAt(p).y - nodeAt(n).y;
    if (dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1) {
      dx *= 5;
      dy *= 5;
    }
    if (lastKept >= 0 && dx == lastDx && dy == lastDy) {
      nodeAt(lastKept).parent = p;
    } else {
      lastDx = dx;
      lastDy = dy;
      lastKept = n;
    }
    n = p;
  }
  // Straighten: a node is skipped when the rectangle from its child to its parent holds only
  // coarse cells and cells of the three nodes' common price.
  auto value = [&grid](int32_t x, int32_t y) { return grid.At(x, y); };
  for (int32_t a = goalNode; nodeAt(a).parent >= 0;) {
    const int32_t b = nodeAt(a).parent;
    const int32_t c = nodeAt(b).parent;
    if (c < 0) break;
    const MapPathWork::Link& na = nodeAt(a);
    const MapPathWork::Link& nb = nodeAt(b);
    const MapPathWork::Link& nc = nodeAt(c);
    const int32_t x0 = std::min(na.x, nc.x);
    const int32_t x1 = std::max(na.x, nc.x);
    const int32_t y0 = std::min(na.y, nc.y);
    const int32_t y1 = std::max(na.y, nc.y);
    bool skip = nb.x >= x0 && nb.x <= x1 && nb.y >= y0 && nb.y <= y1;
    const uint8_t v = value(na.x, na.y);
    skip = skip && value(nb.x, nb.y) == v && value(nc.x, nc.y) == v;
    // The rectangle's columns lie in the grid (its corners are route cells), each a run of cells.
    const uint8_t* cells = grid.Data();
    const size_t h = static_cast<size_t>(grid.Height());
    for (int32_t x = x0; x <= x1 && skip; ++x) {
      skip = OnlyCoarseOr(cells + static_cast<size_t>(x) * h + static_cast<size_t>(y0), static_cast<size_t>(y1 - y0 + 1), v);
    }
    if (skip) {
      nodeAt(a).parent = c;
    } else {
      a = b;
    }
  }
  // The route from the goal back to the start (not output), then its 50 points nearest the start.
  int32_t count = 0;
  for (int32_t n = goalNode; nodeAt(n).parent >= 0; n = nodeAt(n).parent) ++count;
  int32_t n = goalNode;
  for (; count > PathPoints::kMaxPoints; --count) n = nodeAt(n).parent;
  const int32_t maxX = TruncateToInt32(size.worldWidth - 2.0f);
  const int32_t maxY = TruncateToInt32(size.worldHeight - 2.0f);
  points.count = count;
  for (int32_t i = count - 1; i >= 0; --i, n = nodeAt(n).parent) {
    const int32_t px = std::clamp(TruncateToInt32(nodeAt(n).x * 2.0), 2, std::max(2, maxX));
    const int32_t py = std::clamp(TruncateToInt32(nodeAt(n).y * 2.0), 2, std::max(2, maxY));
    points.x[i] = static_cast<float>(px);
    points.y[i] = static_cast<float>(py);
  }
}
