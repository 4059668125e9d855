#include "game/map/MapPathRegions.h"

#include <algorithm>
#include <cstring>

#include "game/map/Map.h"
#include "game/map/MapPathSteps.h"

const MapPathRegions::Labels& MapPathRegions::For(int32_t moveClass, const MapGrid<uint8_t>& grid) {
  const size_t count = static_cast<size_t>(grid.Width()) * static_cast<size_t>(grid.Height());
  for (Labels& labels : kept_) {
    if (labels.moveClass != moveClass || labels.cells.size() != count) continue;
    if (labels.revision == grid.Revision()) return labels;
    // A grid built again, or handed back, equal to the one labelled keeps its labels.
    if (count == 0 || std::memcmp(labels.cells.data(), grid.Data(), count) == 0) {
      labels.revision = grid.Revision();
      return labels;
    }
  }
  if (kept_.size() < kKept) {
    kept_.emplace_back();
    next_ = kept_.size() - 1;
  }
  Labels& labels = kept_[next_];
  next_ = (next_ + 1) % kKept;
  labels.moveClass = moveClass;
  labels.revision = grid.Revision();
  labels.cells.assign(grid.Data(), grid.Data() + count);
  Label(labels, grid.Width(), grid.Height(), scratch_);
  ++labelled;
  return labels;
}

namespace {

// The union of cells that share a region is kept in the label array itself: every cell's parent
// is a smaller index (or itself, at a root), so a set's root is its first cell in x-outer order.
uint32_t Root(uint32_t* parent, uint32_t c) {
  while (parent[c] != c) {
    parent[c] = parent[parent[c]];
    c = parent[c];
  }
  return c;
}

// Two roots made one, the smaller staying root; answers the root.
uint32_t Unite(uint32_t* parent, uint32_t a, uint32_t b) {
  if (a == b) return a;
  if (a < b) {
    parent[b] = a;
    return a;
  }
  parent[a] = b;
  return b;
}

// Each impassable cell of a column counts once for every region beside it. Its own label is
// kNoRegion, so the nine cells around it hold the same regions as its eight neighbours; a
// column or row past the grid's edge is replaced by the middle one, which adds none. The
// column before and after lie back and ahead of the middle one's labels.
void CountBeside(const uint8_t* column, const uint32_t* mid, size_t back, size_t ahead, int32_t h, int64_t* reach) {
  const uint32_t* lo = mid - back;
  const uint32_t* hi = mid + ahead;
  int32_t y = 0;
  while (y < h) {
    // Eight cells at a time while none is impassable (no byte of the inverse is zero).
    if (y + 8 <= h) {
      uint64_t eight;
      std::memcpy(&eight, column + y, sizeof eight);
      const uint64_t inverse = ~eight;
      if (((inverse - 0x0101010101010101u) & ~inverse & 0x8080808080808080u) == 0) {
        y += 8;
        continue;
      }
    }
    if (column[y] != Map::kImpassable) {
      ++y;
      continue;
    }
    const int32_t y0 = y > 0 ? y - 1 : y;
    const int32_t y2 = y + 1 < h ? y + 1 : y;
    const uint32_t around[9] = {lo[y0], lo[y], lo[y2], mid[y0], mid[y], mid[y2], hi[y0], hi[y], hi[y2]};
    ++y;
    uint32_t most = 0;
    uint32_t least = UINT32_MAX;  // the smallest region less one; kNoRegion wraps above all
    for (const uint32_t r : around) {
      most = std::max(most, r);
      least = std::min(least, r - 1);
    }
    if (most == MapPathRegions::kNoRegion) continue;
    if (least + 1 == most) {
      ++reach[most];
      continue;
    }
    uint32_t seen[9];
    int32_t seenCount = 0;
    for (const uint32_t r : around) {
      if (r == MapPathRegions::kNoRegion || std::find(seen, seen + seenCount, r) != seen + seenCount) continue;
      seen[seenCount++] = r;
      ++reach[r];
    }
  }
}

}  // namespace

void MapPathRegions::Label(Labels& labels, int32_t w, int32_t h, Scratch& scratch) {
  const uint8_t* cells = labels.cells.data();
  const size_t count = labels.cells.size();
  std::vector<int64_t>& reach = labels.reach;
  labels.usable = false;
  reach.assign(1, 0);
  // The labels serve first as the union's parents, every cell's index held in 32 bits.
  labels.label.resize(count);
  uint32_t* parent = labels.label.data();
  auto none = [&labels]() {
    std::fill(labels.label.begin(), labels.label.end(), kNoRegion);
    labels.reach.assign(1, 0);
  };
  if (w <= 0 || h <= 0 || w % 10 != 0 || h % 10 != 0 || count > UINT32_MAX) {
    none();
    return;
  }
  const size_t hs = static_cast<size_t>(h);
  auto index = [hs](int32_t x, int32_t y) { return static_cast<size_t>(x) * hs + static_cast<size_t>(y); };
  auto open = [cells](size_t c) { return cells[c] != Map::kImpassable; };
  auto adjacent = [](int32_t ax, int32_t ay, int32_t bx, int32_t by) { return std::abs(ax - bx) <= 1 && std::abs(ay - by) <= 1; };
  auto join = [parent](size_t a, size_t b) {
    Unite(parent, Root(parent, static_cast<uint32_t>(a)), Root(parent, static_cast<uint32_t>(b)));
  };
  std::vector<uint32_t>& far = scratch.far;
  far.clear();
  auto addFar = [&far](size_t c, uint32_t n) {
    if (n == 0) return;
    far.push_back(static_cast<uint32_t>(c));
    far.push_back(n);
  };

  // The blocks a search may fill, those whose cell (1, 1) is coarse: taken as built (every cell
  // coarse but the four anchors) until a column of the block is found otherwise.
  enum : uint8_t { kNotFillable = 0, kAsBuilt = 1, kFillableOtherwise = 2 };
  const int32_t bw = w / 10;
  const int32_t bh = h / 10;
  std::vector<uint8_t>& kind = scratch.kind;
  kind.resize(static_cast<size_t>(bw) * static_cast<size_t>(bh));
  for (int32_t bx = 0; bx < bw; ++bx) {
    for (int32_t by = 0; by < bh; ++by) {
      const bool fillable = cells[index(bx * 10 + 1, by * 10 + 1)] == Map::kCoarseCell;
      kind[static_cast<size_t>(bx * bh + by)] = fillable ? kAsBuilt : kNotFillable;
    }
  }
  auto blockKind = [&kind, bh](int32_t x, int32_t y) { return kind[static_cast<size_t>(x / 10 * bh + y / 10)]; };

  // A column made ready for the union: a coarse block a search may fill is one region (and must
  // hold no impassable cell, which its filling would open), every other cell its own. A coarse
  // cell elsewhere, where a search could start on it unfilled, leaves the grid without regions.
  auto prepare = [&](int32_t x) {
    const uint8_t* column = cells + index(x, 0);
    uint32_t* columnParent = parent + index(x, 0);
    uint8_t* columnKind = &kind[static_cast<size_t>(x / 10 * bh)];
    const uint32_t first = static_cast<uint32_t>(index(x, 0));
    // Every cell its own, and the coarse cells counted, in loops made wide.
    uint32_t coarse = 0;
    for (int32_t y = 0; y < h; ++y) {
      columnParent[y] = first + static_cast<uint32_t>(y);
      coarse += column[y] == Map::kCoarseCell;
    }
    const bool anchors = x % 10 == 2 || x % 10 == 7;
    bool shut = false;
    for (int32_t by = 0; by < bh; ++by) {
      if (columnKind[by] == kNotFillable) continue;
      const int32_t y0 = by * 10;
      const uint32_t root = static_cast<uint32_t>(index(x / 10 * 10, y0));
      uint32_t blockCoarse = 0;
      for (int32_t y = y0; y < y0 + 10; ++y) {
        shut |= column[y] == Map::kImpassable;
        blockCoarse += column[y] == Map::kCoarseCell;
        columnParent[y] = root;
      }
      coarse -= blockCoarse;
      const bool asBuilt = anchors ? blockCoarse == 8 && column[y0 + 2] != Map::kCoarseCell &&
                                         column[y0 + 7] != Map::kCoarseCell
                                   : blockCoarse == 10;
      if (!asBuilt) columnKind[by] = kFillableOtherwise;
    }
    // No coarse cell left outside the fillable blocks.
    return !shut && coarse == 0;
  };

  // The cell before in the column: whether open, and then its root.
  bool beforeOpen = false;
  uint32_t beforeRoot = 0;
  MapPathSteps::Step list[MapPathSteps::kMaxSteps];

  // A cell by the steps the search takes from it, as listed: false when the grid gets no
  // regions. Taken by the cells of a block filled otherwise than as built and those beside.
  auto general = [&](int32_t x, int32_t y) {
    const size_t c = index(x, y);
    beforeOpen = false;
    if (!open(c)) return true;
    uint32_t farCount = 0;
    // A search steps from open cells, and never from a coarse one unless its block is filled:
    // no step lands on one (else the grid gets no regions), and a coarse cell lies in a block
    // filled when a search starts there.
    if (cells[c] != Map::kCoarseCell) {
      const int32_t n = MapPathSteps::List<false>(cells, w, h, x, y, list);
      if (n < 0) return false;
      for (int32_t k = 0; k < n; ++k) {
        const MapPathSteps::Step& s = list[k];
        // A step off the grid stops the search itself: such a grid gets no regions.
        if (s.x < 0 || s.y < 0 || s.x >= w || s.y >= h) return false;
        const size_t d = index(s.x, s.y);
        if (cells[d] == Map::kCoarseCell) return false;
        if (open(d)) join(c, d);
        else if (!adjacent(x, y, s.x, s.y)) ++farCount;
      }
    }
    if (blockKind(x, y) != kNotFillable) {
      // As the block filled for a search steps: from its edge cells to each neighbour outside
      // the block, or to the nearest anchor of a coarse one.
      for (const auto& off : MapPathSteps::kNeighbour) {
        int32_t nx = x + off[0];
        int32_t ny = y + off[1];
        if (nx < 0 || ny < 0 || nx >= w || ny >= h || (nx / 10 == x / 10 && ny / 10 == y / 10)) continue;
        if (cells[index(nx, ny)] == Map::kCoarseCell) {
          nx = MapPathSteps::Anchor(nx);
          ny = MapPathSteps::Anchor(ny);
          if (cells[index(nx, ny)] == Map::kCoarseCell) return false;
        }
        const size_t d = index(nx, ny);
        if (open(d)) join(c, d);
        else if (!adjacent(x, y, nx, ny)) ++farCount;
      }
    }
    addFar(c, farCount);
    beforeOpen = true;
    beforeRoot = Root(parent, static_cast<uint32_t>(c));
    return true;
  };

  // The quick way, for an open cell with no cell of a block filled otherwise than as built
  // among its neighbours. Its steps, and those of the filled blocks around it, join it with
  // every open neighbour (a coarse neighbour through its anchor, of the same block) and none
  // further. It joins those before it in cell order, column x - 1 and the cell above, which
  // are joined to one another already where they touch; a cell after it joins it in turn.
  auto quick = [&](int32_t x, int32_t y) {
    const size_t c = index(x, y);
    if (!open(c)) {
      beforeOpen = false;
      return;
    }
    const uint32_t self = static_cast<uint32_t>(c);
    const uint32_t back = self - static_cast<uint32_t>(h);
    const bool left = x > 0;
    const bool side = left && open(c - hs);                    // (x - 1, y)
    const bool below = left && y + 1 < h && open(c - hs + 1);  // (x - 1, y + 1)
    uint32_t r;
    if (beforeOpen) {
      // (x - 1, y) and (x - 1, y - 1) touch the cell above, (x - 1, y + 1) only the first.
      r = beforeRoot;
      if (!side && below) r = Unite(parent, r, Root(parent, back + 1));
    } else if (side) {
      r = Root(parent, back);
    } else {
      const bool above = left && y > 0 && open(c - hs - 1);  // (x - 1, y - 1)
      if (below) {
        r = Root(parent, back + 1);
        if (above) r = Unite(parent, r, Root(parent, back - 1));
      } else if (above) {
        r = Root(parent, back - 1);
      } else {
        r = self;
      }
    }
    // A root (alone, or of a filled block) takes the parent found; a cell of a filled block, or
    // one stepped to already from a cell before, joins its set to it.
    if (parent[c] == self) {
      parent[c] = r;
    } else {
      const uint32_t joined = Root(parent, parent[c]);
      r = r == self ? joined : Unite(parent, joined, r);
    }
    beforeOpen = true;
    beforeRoot = r;
  };

  // The steps from an anchor of a block filled as built that its block's joins leave out: its
  // strides and jumps of three, as listed, land on the block, on a block filled beside it, or
  // on a cell touching the block, all joined by adjacency, but for a diagonal stride out of the
  // block. Every step is checked as the search would take it and impassable ones counted.
  auto anchor = [&](int32_t cx, int32_t cy) {
    static constexpr int32_t kDir[4][2] = {{0, 1}, {1, 0}, {0, -1}, {-1, 0}};
    static constexpr int32_t kDiagonal[4][2] = {{1, 1}, {1, -1}, {-1, -1}, {-1, 1}};
    const bool inside[4] = {cy + 5 < h, cx + 5 < w, cy - 5 >= 0, cx - 5 >= 0};
    bool coarse[4] = {};
    uint32_t farCount = 0;
    for (int32_t d = 0; d < 4; ++d) {
      if (!inside[d]) continue;
      const int32_t dx = kDir[d][0];
      const int32_t dy = kDir[d][1];
      if (cells[index(cx + 3 * dx, cy + 3 * dy)] == Map::kCoarseCell) {
        // A stride to the anchor of the block the coarse cell lies in, never impassable.
        coarse[d] = true;
        if (cells[index(cx + 5 * dx, cy + 5 * dy)] == Map::kCoarseCell) return false;
      } else {
        for (int32_t l = -2; l <= 2; ++l) {
          const uint8_t v = cells[index(cx + 3 * dx + l * dy, cy + 3 * dy + l * dx)];
          if (v == Map::kCoarseCell) return false;
          if (v == Map::kImpassable) ++farCount;
        }
      }
    }
    for (int32_t d = 0; d < 4; ++d) {
      if (!coarse[d] || !coarse[(d + 1) % 4]) continue;
      const int32_t tx = cx + 5 * kDiagonal[d][0];
      const int32_t ty = cy + 5 * kDiagonal[d][1];
      const size_t t = index(tx, ty);
      if (cells[t] == Map::kCoarseCell) return false;
      if (!open(t)) ++farCount;
      else if (tx / 10 != cx / 10 || ty / 10 != cy / 10) join(index(cx, cy), t);
    }
    addFar(index(cx, cy), farCount);
    return true;
  };

  std::vector<uint8_t>& near = scratch.near;
  near.resize(static_cast<size_t>(bh));
  int32_t prepared = 0;
  for (int32_t x = 0; x < w; ++x) {
    // Columns are made ready ten ahead: past the five any cell steps, and so far that the
    // blocks beside this column are known as built or not.
    for (; prepared < w && prepared <= x + 10; ++prepared) {
      if (!prepare(prepared)) {
        none();
        return;
      }
    }
    // Per block row: a block filled otherwise than as built in this column or beside it.
    const uint8_t* kl = &kind[static_cast<size_t>((x > 0 ? x - 1 : x) / 10 * bh)];
    const uint8_t* km = &kind[static_cast<size_t>(x / 10 * bh)];
    const uint8_t* kr = &kind[static_cast<size_t>((x + 1 < w ? x + 1 : x) / 10 * bh)];
    for (int32_t by = 0; by < bh; ++by) {
      near[static_cast<size_t>(by)] =
          (kl[by] == kFillableOtherwise) | (km[by] == kFillableOtherwise) | (kr[by] == kFillableOtherwise);
    }
    const int32_t rx = x % 10;
    bool ok = true;
    beforeOpen = false;
    for (int32_t by = 0; by < bh && ok; ++by) {
      const int32_t y0 = by * 10;
      if (near[static_cast<size_t>(by)] != 0) {
        for (int32_t y = y0; y < y0 + 10; ++y) ok = ok && general(x, y);
        continue;
      }
      const bool first = by > 0 && near[static_cast<size_t>(by - 1)] != 0;
      const bool last = by + 1 < bh && near[static_cast<size_t>(by + 1)] != 0;
      if (first) ok = general(x, y0);
      else quick(x, y0);
      if (km[by] == kAsBuilt && rx != 0) {
        // Inside a block filled as built every cell is joined already: past its first column
        // only the first and last of the ten touch cells before them outside the block.
        if (rx == 2 || rx == 7) ok = ok && anchor(x, y0 + 2) && anchor(x, y0 + 7);
        beforeOpen = true;
        beforeRoot = Root(parent, static_cast<uint32_t>(index(x, y0 + 8)));
      } else {
        for (int32_t y = y0 + 1; y < y0 + 9; ++y) quick(x, y);
      }
      if (last) ok = ok && general(x, y0 + 9);
      else quick(x, y0 + 9);
    }
    if (!ok) {
      none();
      return;
    }
  }

  // Labels 1 up in cell order, each cell counted in its region. A cell's parent comes before
  // it, so its label is already set when the cell is reached; a root opens a region. Cells
  // in a row mostly share a parent, and a region's cells are counted a run at a time.
  uint32_t* label = parent;
  uint32_t regions = 0;
  uint32_t lastParent = UINT32_MAX;
  uint32_t runLabel = kNoRegion;
  int64_t run = 0;
  for (int32_t x = 0; x < w; ++x) {
    const uint8_t* column = cells + index(x, 0);
    uint32_t* columnLabel = label + index(x, 0);
    const uint32_t first = static_cast<uint32_t>(index(x, 0));
    for (int32_t y = 0; y < h; ++y) {
      // Impassable cells, scattered among open ones, are passed over without a branch.
      const bool shut = column[y] == Map::kImpassable;
      const uint32_t p = columnLabel[y];
      if (!shut && p != lastParent) {
        lastParent = p;
        uint32_t l;
        if (p == first + static_cast<uint32_t>(y)) {
          l = ++regions;
          reach.push_back(0);
        } else {
          l = label[p];
        }
        if (l != runLabel) {
          reach[runLabel] += run;
          runLabel = l;
          run = 0;
        }
      }
      columnLabel[y] = shut ? kNoRegion : runLabel;
      run += shut ? 0 : 1;
    }
    // A column's impassable cells are counted once the labels on both its sides are set.
    if (x > 0) CountBeside(cells + index(x - 1, 0), label + index(x - 1, 0), x - 1 > 0 ? hs : 0, hs, h, reach.data());
  }
  reach[runLabel] += run;
  CountBeside(cells + index(w - 1, 0), label + index(w - 1, 0), w > 1 ? hs : 0, 0, h, reach.data());
  // The impassable cells stepped to beyond the neighbours, counted per cell that steps.
  for (size_t i = 0; i < far.size(); i += 2) reach[label[far[i]]] += far[i + 1];
  labels.usable = true;
}
