// The regions of a cost grid against a plain labeller written here: every step the path finder
// lists from an open cell, and every step of a filled coarse block, made an edge both ways; the
// regions flooded over those edges, numbered from their first cell; a region's reach its
// cells, the impassable cells its cells step to beyond their neighbours (once per step), and
// the impassable cells beside it (once each). Compared on many random grids: open country,
// lakes and walls, soft blocks, coarse blocks as a build makes them and blocks filled
// otherwise, and grids no search could be made on, which get no regions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "game/map/Map.h"
#include "game/map/MapGrid.h"
#include "game/map/MapPathRegions.h"
#include "game/map/MapPathSteps.h"
#include "support/TestNumbers.h"

namespace {

struct Regions {
  bool usable = false;
  std::vector<uint32_t> label;
  std::vector<int64_t> reach;
  int64_t far = 0;  // far steps in all, to show the grids make some
};

Regions PlainRegions(const std::vector<uint8_t>& cells, int w, int h) {
  Regions none;
  none.label.assign(cells.size(), MapPathRegions::kNoRegion);
  none.reach.assign(1, 0);
  if (w <= 0 || h <= 0 || w % 10 != 0 || h % 10 != 0) return none;
  auto at = [&](int x, int y) { return cells[static_cast<size_t>(x * h + y)]; };
  auto fillable = [&](int x, int y) { return at(x / 10 * 10 + 1, y / 10 * 10 + 1) == Map::kCoarseCell; };
  const size_t count = cells.size();
  std::vector<std::pair<size_t, size_t>> edges;  // both ways
  std::vector<int64_t> far(count, 0);
  Regions out;
  for (int x = 0; x < w; ++x) {
    for (int y = 0; y < h; ++y) {
      const size_t c = static_cast<size_t>(x * h + y);
      if (fillable(x, y)) {
        // A filled block is crossed freely, so it must hold no impassable cell.
        if (at(x, y) == Map::kImpassable) return none;
        const size_t first = static_cast<size_t>(x / 10 * 10 * h + y / 10 * 10);
        edges.push_back({c, first});
        edges.push_back({first, c});
      } else if (at(x, y) == Map::kCoarseCell) {
        return none;
      }
    }
  }
  for (int x = 0; x < w; ++x) {
    for (int y = 0; y < h; ++y) {
      const size_t c = static_cast<size_t>(x * h + y);
      if (at(x, y) == Map::kImpassable) continue;
      std::vector<MapPathSteps::Step> steps;
      if (at(x, y) != Map::kCoarseCell) {
        MapPathSteps::Step list[MapPathSteps::kMaxSteps];
        const int n = MapPathSteps::List<false>(cells.data(), w, h, x, y, list);
        if (n < 0) return none;
        steps.assign(list, list + n);
      }
      if (fillable(x, y)) {
        for (int dx = -1; dx <= 1; ++dx) {
          for (int dy = -1; dy <= 1; ++dy) {
            int nx = x + dx;
            int ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= w || ny >= h || (nx / 10 == x / 10 && ny / 10 == y / 10)) continue;
            if (at(nx, ny) == Map::kCoarseCell) {
              nx = MapPathSteps::Anchor(nx);
              ny = MapPathSteps::Anchor(ny);
            }
            steps.push_back({nx, ny, 0});
          }
        }
      }
      for (const MapPathSteps::Step& s : steps) {
        if (s.x < 0 || s.y < 0 || s.x >= w || s.y >= h || at(s.x, s.y) == Map::kCoarseCell) return none;
        const size_t d = static_cast<size_t>(s.x * h + s.y);
        if (at(s.x, s.y) != Map::kImpassable) {
          edges.push_back({c, d});
          edges.push_back({d, c});
        } else if (std::abs(s.x - x) > 1 || std::abs(s.y - y) > 1) {
          ++far[c];
          ++out.far;
        }
      }
    }
  }
  // Each cell's edges side by side.
  std::vector<size_t> start(count + 1, 0);
  for (const auto& e : edges) ++start[e.first + 1];
  for (size_t c = 0; c < count; ++c) start[c + 1] += start[c];
  std::vector<size_t> to(edges.size());
  std::vector<size_t> filled(start.begin(), start.end() - 1);
  for (const auto& e : edges) to[filled[e.first]++] = e.second;
  out.usable = true;
  out.label.assign(count, MapPathRegions::kNoRegion);
  out.reach.assign(1, 0);
  for (size_t first = 0; first < count; ++first) {
    if (cells[first] == Map::kImpassable || out.label[first] != MapPathRegions::kNoRegion) continue;
    const uint32_t region = static_cast<uint32_t>(out.reach.size());
    out.reach.push_back(0);
    std::vector<size_t> todo = {first};
    out.label[first] = region;
    while (!todo.empty()) {
      const size_t c = todo.back();
      todo.pop_back();
      out.reach[region] += 1 + far[c];
      for (size_t e = start[c]; e < start[c + 1]; ++e) {
        if (out.label[to[e]] == MapPathRegions::kNoRegion) {
          out.label[to[e]] = region;
          todo.push_back(to[e]);
        }
      }
    }
  }
  for (int x = 0; x < w; ++x) {
    for (int y = 0; y < h; ++y) {
      if (at(x, y) != Map::kImpassable) continue;
      std::vector<uint32_t> beside;
      for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
          if (x + dx < 0 || y + dy < 0 || x + dx >= w || y + dy >= h) continue;
          const uint32_t r = out.label[static_cast<size_t>((x + dx) * h + y + dy)];
          if (r != MapPathRegions::kNoRegion) beside.push_back(r);
        }
      }
      std::sort(beside.begin(), beside.end());
      beside.erase(std::unique(beside.begin(), beside.end()), beside.end());
      for (const uint32_t r : beside) ++out.reach[r];
    }
  }
  return out;
}

// How a random grid goes wrong, if it does.
enum class Fault { kNone, kCoarseCellAlone, kImpassableInCoarseBlock, kWidthNotWholeBlocks, kIrregularBlocks };

// A random grid of w x h cells, x outer: prices, soft blocks, lakes and walls, then coarse
// blocks as a build makes them (every cell coarse but the four anchors, which keep the
// block's price), and the fault asked for.
std::vector<uint8_t> RandomCells(TestNumbers& numbers, int w, int h, Fault fault) {
  std::vector<uint8_t> cells(static_cast<size_t>(w * h));
  auto at = [&](int x, int y) -> uint8_t& { return cells[static_cast<size_t>(x * h + y)]; };
  auto price = [&numbers]() {
    const uint8_t v = static_cast<uint8_t>(1 + numbers.Below(200));
    return v == Map::kCoarseCell ? uint8_t{6} : v;
  };
  const uint32_t shut = numbers.Below(7) * 12;  // percent of cells impassable, 0 to 72
  const uint32_t soft = numbers.Below(3) * 5;
  const uint8_t flat = price();
  const bool varied = numbers.Chance(50);
  for (int x = 0; x < w; ++x) {
    for (int y = 0; y < h; ++y) {
      if (numbers.Chance(shut)) at(x, y) = Map::kImpassable;
      else if (numbers.Chance(soft)) at(x, y) = Map::kSoftBlock;
      else at(x, y) = varied ? price() : flat;
    }
  }
  // Walls across the grid, whole or with gaps, which part it into regions.
  for (uint32_t n = numbers.Below(4); n > 0; --n) {
    const bool across = numbers.Chance(50);
    const uint32_t gaps = numbers.Chance(50) ? 0 : 8;
    const int line = static_cast<int>(numbers.Below(static_cast<uint32_t>(across ? w : h)));
    for (int i = 0; i < (across ? h : w); ++i) {
      if (!numbers.Chance(gaps)) (across ? at(line, i) : at(i, line)) = Map::kImpassable;
    }
  }
  if (w % 10 != 0 || h % 10 != 0) return cells;
  // Percent of blocks made coarse; some of each kind where the fault needs them.
  const uint32_t coarse = fault == Fault::kCoarseCellAlone || fault == Fault::kImpassableInCoarseBlock
                              ? 25 + numbers.Below(2) * 25
                              : numbers.Below(4) * 25;
  for (int bx = 0; bx < w; bx += 10) {
    for (int by = 0; by < h; by += 10) {
      if (!numbers.Chance(coarse)) continue;
      const uint8_t v = static_cast<uint8_t>(1 + numbers.Below(120));
      for (int x = bx; x < bx + 10; ++x) {
        for (int y = by; y < by + 10; ++y) at(x, y) = Map::kCoarseCell;
      }
      for (const int ax : {2, 7}) {
        for (const int ay : {2, 7}) at(bx + ax, by + ay) = v == Map::kCoarseCell ? uint8_t{4} : v;
      }
      if (fault != Fault::kIrregularBlocks || !numbers.Chance(25)) continue;
      // Filled otherwise: a few cells given prices, the block's first cell given one, every
      // cell priced but the one that marks the block, or an anchor left coarse.
      switch (numbers.Below(4)) {
        case 0:
          for (uint32_t k = 1 + numbers.Below(3); k > 0; --k) {
            const int x = 1 + static_cast<int>(numbers.Below(9));
            const int y = 2 + static_cast<int>(numbers.Below(8));
            at(bx + x, by + y) = price();
          }
          break;
        case 1:
          at(bx, by) = price();
          break;
        case 2:
          for (int x = bx; x < bx + 10; ++x) {
            for (int y = by; y < by + 10; ++y) at(x, y) = x == bx + 1 && y == by + 1 ? Map::kCoarseCell : price();
          }
          break;
        default:
          const int ax = 2 + 5 * static_cast<int>(numbers.Below(2));
          const int ay = 2 + 5 * static_cast<int>(numbers.Below(2));
          at(bx + ax, by + ay) = Map::kCoarseCell;
          break;
      }
    }
  }
  // A coarse cell put outside the coarse blocks, or an impassable one inside: the first cell
  // drawn that is where the fault wants it (the grid is left as it is when none is).
  if (fault != Fault::kCoarseCellAlone && fault != Fault::kImpassableInCoarseBlock) return cells;
  for (int tries = 0; tries < 200; ++tries) {
    const int x = static_cast<int>(numbers.Below(static_cast<uint32_t>(w)));
    const int y = static_cast<int>(numbers.Below(static_cast<uint32_t>(h)));
    const bool inBlock = at(x / 10 * 10 + 1, y / 10 * 10 + 1) == Map::kCoarseCell;
    if (inBlock == (fault == Fault::kImpassableInCoarseBlock)) {
      at(x, y) = inBlock ? Map::kImpassable : Map::kCoarseCell;
      break;
    }
  }
  return cells;
}

// Random grids of up to 80 x 80 cells: the labels, reach and usable flag found are those the
// plain labeller finds (a grid without regions has every label kNoRegion), on grids labelled
// one after another by the same regions (so that the room of one grid's labels is used again
// for the next).
TEST(MapPathRegions, LabelsMatchAFloodOverEveryStepASearchTakes) {
  TestNumbers numbers{20240611};
  MapPathRegions regions;
  // One grid built again and again, as a class's grid is: its revision keeps rising.
  MapGrid<uint8_t> grid;
  int usable = 0;
  int unusable[5] = {};
  int severalRegions = 0;
  int withFarSteps = 0;
  for (int i = 0; i < 1000; ++i) {
    const Fault fault = i % 10 < 6 ? Fault::kNone : static_cast<Fault>(1 + i % 10 - 6);
    int w = 10 * static_cast<int>(1 + numbers.Below(8));
    const int h = 10 * static_cast<int>(1 + numbers.Below(8));
    if (fault == Fault::kWidthNotWholeBlocks) w += 1 + static_cast<int>(numbers.Below(9));
    const std::vector<uint8_t> cells = RandomCells(numbers, w, h, fault);
    grid.Init(w, h);
    std::copy(cells.begin(), cells.end(), grid.Data());
    const int64_t labelled = regions.labelled;
    const MapPathRegions::Labels& got = regions.For(i % 3, grid);
    const Regions want = PlainRegions(cells, w, h);
    ASSERT_EQ(regions.labelled, labelled + 1) << i;
    ASSERT_EQ(got.usable, want.usable) << i;
    ASSERT_EQ(got.label, want.label) << i;
    ASSERT_EQ(got.reach, want.reach) << i;
    if (want.usable) {
      ++usable;
      severalRegions += want.reach.size() > 2;
      withFarSteps += want.far > 0;
    } else {
      ++unusable[static_cast<int>(fault)];
    }
  }
  // Grids as built are always usable; a coarse cell alone, an impassable cell in a coarse
  // block and a width not of whole blocks never are (the first two where the grid has room
  // for them); irregular blocks go either way.
  EXPECT_EQ(unusable[static_cast<int>(Fault::kNone)], 0);
  EXPECT_GT(unusable[static_cast<int>(Fault::kCoarseCellAlone)], 90);
  EXPECT_GT(unusable[static_cast<int>(Fault::kImpassableInCoarseBlock)], 85);
  EXPECT_EQ(unusable[static_cast<int>(Fault::kWidthNotWholeBlocks)], 100);
  EXPECT_GT(unusable[static_cast<int>(Fault::kIrregularBlocks)], 20);
  EXPECT_LT(unusable[static_cast<int>(Fault::kIrregularBlocks)], 60);
  EXPECT_GT(usable, 600);
  EXPECT_GT(severalRegions, 300);
  EXPECT_GT(withFarSteps, 300);
}

}  // namespace
