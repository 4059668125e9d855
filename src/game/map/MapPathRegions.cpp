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
  Label(labels, grid.Width(), grid.Height(), far_);
  ++labelled;
  return labels;
}

namespace {

uint32_t Root(std::vector<uint32_t>& parent, uint32_t c) {
  while (parent[c] != c) {
    parent[c] = parent[parent[c]];
    c = parent[c];
  }
  return c;
}

void Join(std::vector<uint32_t>& parent, uint32_t a, uint32_t b) {
  a = Root(parent, a);
  b = Root(parent, b);
  if (a == b) return;
  // The smaller index becomes the root, so labels follow cell order.
  if (a < b) parent[b] = a;
  else parent[a] = b;
}

}  // namespace

void MapPathRegions::Label(Labels& labels, int32_t w, int32_t h, std::vector<uint8_t>& far) {
  const uint8_t* cells = labels.cells.data();
  const size_t count = labels.cells.size();
  std::vector<uint32_t>& label = labels.label;
  labels.usable = false;
  labels.reach.assign(1, 0);
  label.assign(count, 0);
  far.assign(count, 0);
  if (w <= 0 || h <= 0 || w % 10 != 0 || h % 10 != 0) return;
  auto index = [h](int32_t x, int32_t y) { return static_cast<size_t>(x) * static_cast<size_t>(h) + static_cast<size_t>(y); };
  auto open = [cells](size_t c) { return cells[c] != Map::kImpassable; };
  auto fillable = [&](int32_t x, int32_t y) { return cells[index(x / 10 * 10 + 1, y / 10 * 10 + 1)] == Map::kCoarseCell; };
  auto adjacent = [](int32_t ax, int32_t ay, int32_t bx, int32_t by) { return std::abs(ax - bx) <= 1 && std::abs(ay - by) <= 1; };

  // The labels serve first as the union's parents.
  std::vector<uint32_t>& parent = label;
  for (size_t c = 0; c < count; ++c) parent[c] = static_cast<uint32_t>(c);
  // A coarse block a search may fill is one region (and must hold no impassable cell, which
  // its filling would open). A coarse cell elsewhere, where a search could start on it
  // unfilled, leaves the grid without regions.
  for (int32_t bx = 0; bx < w; bx += 10) {
    for (int32_t by = 0; by < h; by += 10) {
      const bool fill = fillable(bx, by);
      for (int32_t x = bx; x < bx + 10; ++x) {
        for (int32_t y = by; y < by + 10; ++y) {
          if (fill && !open(index(x, y))) return;
          if (!fill && cells[index(x, y)] == Map::kCoarseCell) return;
          if (fill) Join(parent, static_cast<uint32_t>(index(bx, by)), static_cast<uint32_t>(index(x, y)));
        }
      }
    }
  }
  MapPathSteps::Step list[MapPathSteps::kMaxSteps];
  for (int32_t x = 0; x < w; ++x) {
    for (int32_t y = 0; y < h; ++y) {
      const size_t c = index(x, y);
      if (!open(c)) continue;
      int32_t farCount = 0;
      // A search steps from open cells, and never from a coarse one unless its block is filled:
      // no step lands on one (else the grid gets no regions), and a coarse cell lies in a block
      // filled when a search starts there.
      if (cells[c] != Map::kCoarseCell) {
        const int32_t n = MapPathSteps::List<false>(cells, w, h, x, y, list);
        if (n < 0) return;
        for (int32_t k = 0; k < n; ++k) {
          const MapPathSteps::Step& s = list[k];
          // A step off the grid stops the search itself: such a grid gets no regions.
          if (s.x < 0 || s.y < 0 || s.x >= w || s.y >= h) return;
          const size_t d = index(s.x, s.y);
          if (cells[d] == Map::kCoarseCell) return;
          if (open(d)) Join(parent, static_cast<uint32_t>(c), static_cast<uint32_t>(d));
          else if (!adjacent(x, y, s.x, s.y)) ++farCount;
        }
      }
      if (fillable(x, y)) {
        // As the block filled for a search steps: to each neighbour outside the block, or to
        // the nearest anchor of a coarse one.
        for (const auto& off : MapPathSteps::kNeighbour) {
          int32_t nx = x + off[0];
          int32_t ny = y + off[1];
          if (nx < 0 || ny < 0 || nx >= w || ny >= h || (nx / 10 == x / 10 && ny / 10 == y / 10)) continue;
          if (cells[index(nx, ny)] == Map::kCoarseCell) {
            nx = MapPathSteps::Anchor(nx);
            ny = MapPathSteps::Anchor(ny);
            if (cells[index(nx, ny)] == Map::kCoarseCell) return;
          }
          const size_t d = index(nx, ny);
          if (open(d)) Join(parent, static_cast<uint32_t>(c), static_cast<uint32_t>(d));
          else if (!adjacent(x, y, nx, ny)) ++farCount;
        }
      }
      far[c] = static_cast<uint8_t>(farCount);
    }
  }

  // Every parent points to a smaller index, so in cell order each cell's parent is its root.
  for (size_t c = 0; c < count; ++c) parent[c] = parent[parent[c]];
  // Labels 1 up in cell order; the region's cells and far steps counted.
  uint32_t regions = 0;
  for (size_t c = 0; c < count; ++c) {
    if (!open(c)) {
      label[c] = kNoRegion;
      continue;
    }
    const uint32_t root = parent[c];  // a root comes first, so its label is already set
    if (root == c) {
      label[c] = ++regions;
      labels.reach.push_back(0);
    } else {
      label[c] = label[root];
    }
    labels.reach[label[c]] += 1 + far[c];
  }
  // Each impassable cell counts once for every region beside it.
  for (int32_t x = 0; x < w; ++x) {
    for (int32_t y = 0; y < h; ++y) {
      if (open(index(x, y))) continue;
      uint32_t seen[8];
      int32_t seenCount = 0;
      for (int32_t nx = std::max(0, x - 1); nx <= std::min(w - 1, x + 1); ++nx) {
        for (int32_t ny = std::max(0, y - 1); ny <= std::min(h - 1, y + 1); ++ny) {
          const uint32_t r = label[index(nx, ny)];
          if (r == kNoRegion || std::find(seen, seen + seenCount, r) != seen + seenCount) continue;
          seen[seenCount++] = r;
          ++labels.reach[r];
        }
      }
    }
  }
  labels.usable = true;
}
