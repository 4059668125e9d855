#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "framework/core/Quorl.h"
#include "game/map/Map.h"

// The steps the path finder takes from a cell of a cost grid, shared by the search and by the
// regions that bound it.
namespace MapPathSteps {

constexpr int32_t kMaxSteps = 24;

struct Step {
  int32_t x;
  int32_t y;
  int32_t factor;  // the entered cell's price is multiplied by this
};

// Step prices by (|dx|, |dy|), each 0..3, for a step into a coarse block's anchor.
inline constexpr int32_t kAnchorFactor[4][4] = {{0, 20, 40, 60}, {20, 28, 45, 63}, {40, 45, 57, 72}, {60, 63, 72, 85}};
// The eight neighbours in the order they are listed.
inline constexpr int32_t kNeighbour[8][2] = {{0, -1}, {-1, -1}, {-1, 0}, {-1, 1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};

// The anchor of a coarse block nearest a cell coordinate.
inline int32_t Anchor(int32_t v) {
  const int32_t r = v % 10;
  return r < 5 ? v - r + 2 : v - r + 7;
}

// The step from (cx, cy), a cell outside any coarse block, to its neighbour (nx, ny) on a grid
// of w x h cells: a coarse neighbour is replaced by its block's nearest anchor, priced by the
// distance. A coarse neighbour without an anchor near on the grid is a programmer error when
// strict, else answered with false.
// The cells may lie in a larger table whose columns are `stride` apart (the path finder's frame).
template <bool kStrict = true>
inline bool Neighbour(const uint8_t* cells, int32_t w, int32_t h, int32_t cx, int32_t cy, int32_t nx, int32_t ny,
                      Step& step, ptrdiff_t stride) {
  auto at = [cells, stride](int32_t x, int32_t y) { return cells[static_cast<ptrdiff_t>(x) * stride + y]; };
  int32_t factor = nx != cx && ny != cy ? 28 : 20;
  if (at(nx, ny) == Map::kCoarseCell) {
    nx = Anchor(nx);
    ny = Anchor(ny);
    const int32_t adx = std::abs(nx - cx);
    const int32_t ady = std::abs(ny - cy);
    // A grid not made of whole blocks may put the anchor past its edge.
    const bool outside = nx >= w || ny >= h;
    if (adx > 3 || ady > 3 || outside || at(nx, ny) == Map::kCoarseCell) {
      if constexpr (!kStrict) return false;
      if (adx > 3 || ady > 3) FatalError(398, "AIPath.cpp");
      if (outside) FatalError(408, "AIPath.cpp");
      FatalError(399, "AIPath.cpp");
    }
    factor = kAnchorFactor[adx][ady];
  }
  step = {nx, ny, factor};
  return true;
}
template <bool kStrict = true>
inline bool Neighbour(const uint8_t* cells, int32_t w, int32_t h, int32_t cx, int32_t cy, int32_t nx, int32_t ny,
                      Step& step) {
  return Neighbour<kStrict>(cells, w, h, cx, cy, nx, ny, step, h);
}

// The cells stepped to from (cx, cy) of a grid of w x h cells (x outer), in the order they are
// listed: the eight neighbours, a coarse neighbour replaced by its block's nearest anchor; or,
// in a coarse block, strides to the next anchors through coarse cells and jumps of three cells
// across the block elsewhere. Returns how many were written to list. A coarse neighbour without
// an anchor near is a programmer error when strict, else answered with -1.
// The cells may lie in a larger table whose columns are `stride` apart (the path finder's frame).
template <bool kStrict = true>
inline int32_t List(const uint8_t* cells, int32_t w, int32_t h, int32_t cx, int32_t cy, Step* list, ptrdiff_t stride) {
  auto at = [cells, stride](int32_t x, int32_t y) { return cells[static_cast<ptrdiff_t>(x) * stride + y]; };
  int32_t count = 0;
  const int32_t bx = cx / 10 * 10;
  const int32_t by = cy / 10 * 10;
  if (at(bx, by) == Map::kCoarseCell) {
    // North, east, south, west: a stride to the next anchor through coarse cells, else the
    // five cells three away across the direction.
    const int32_t dir[4][2] = {{0, 1}, {1, 0}, {0, -1}, {-1, 0}};
    const bool inside[4] = {cy + 5 < h, cx + 5 < w, cy - 5 >= 0, cx - 5 >= 0};
    bool coarse[4] = {};
    for (int32_t d = 0; d < 4; ++d) {
      if (!inside[d]) continue;
      const int32_t dx = dir[d][0];
      const int32_t dy = dir[d][1];
      if (at(cx + 3 * dx, cy + 3 * dy) == Map::kCoarseCell) {
        coarse[d] = true;
        list[count++] = {cx + 5 * dx, cy + 5 * dy, 100};
      } else {
        static constexpr int32_t kLateralCost[5] = {72, 63, 60, 63, 72};
        for (int32_t l = -2; l <= 2; ++l) {
          list[count++] = {cx + 3 * dx + l * dy, cy + 3 * dy + l * dx, kLateralCost[l + 2]};
        }
      }
    }
    // North-east, south-east, south-west, north-west.
    const int32_t diagonal[4][2] = {{1, 1}, {1, -1}, {-1, -1}, {-1, 1}};
    for (int32_t d = 0; d < 4; ++d) {
      if (coarse[d] && coarse[(d + 1) % 4]) list[count++] = {cx + 5 * diagonal[d][0], cy + 5 * diagonal[d][1], 141};
    }
  } else {
    for (const auto& off : kNeighbour) {
      const int32_t nx = cx + off[0];
      const int32_t ny = cy + off[1];
      if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
      if (!Neighbour<kStrict>(cells, w, h, cx, cy, nx, ny, list[count], stride)) return -1;
      ++count;
    }
  }
  return count;
}
template <bool kStrict = true>
inline int32_t List(const uint8_t* cells, int32_t w, int32_t h, int32_t cx, int32_t cy, Step* list) {
  return List<kStrict>(cells, w, h, cx, cy, list, h);
}

}  // namespace MapPathSteps
