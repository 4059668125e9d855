#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/map/MapGrid.h"

// A copy of the fine grid's cells laid out in blocks of 8 x 8 cells (128 bytes), for sight
// lines. The grid keeps a column of cells together, so a line running along x reads a new
// cache line at every 2 m sample; in blocks a line in any direction reads about one pair of
// cache lines per eight samples. The copy is made again whenever the grid's revision differs
// from the one it was made at, so it always holds the grid's cells.
class SightCellBlocks {
 public:
  static constexpr int32_t kShift = 3;
  static constexpr int32_t kSide = 1 << kShift;
  static constexpr int32_t kMask = kSide - 1;

  // Brings the copy up to the grid's cells (nothing when it already holds them).
  void Refresh(const MapGrid<uint16_t>& grid) {
    if (made_ && revision_ == grid.Revision() && width_ == grid.Width() && height_ == grid.Height()) return;
    width_ = grid.Width();
    height_ = grid.Height();
    blocksY_ = (height_ + kMask) >> kShift;
    const int32_t blocksX = (width_ + kMask) >> kShift;
    cells_.assign(static_cast<size_t>(blocksX) * static_cast<size_t>(blocksY_) * kSide * kSide, 0);
    const uint16_t* source = grid.Data();
    for (int32_t x = 0; x < width_; ++x) {
      const uint16_t* column = source + static_cast<size_t>(x) * static_cast<size_t>(height_);
      for (int32_t y = 0; y < height_; ++y) cells_[IndexOf(x, y)] = column[y];
    }
    revision_ = grid.Revision();
    made_ = true;
    ++copies_;
  }
  // The cell (x, y); both inside the grid the copy was made from.
  uint16_t At(int32_t x, int32_t y) const { return cells_[IndexOf(x, y)]; }
  // The same by the place IndexOf gives, and a hint to fetch that place ahead of its read.
  size_t IndexOf(int32_t x, int32_t y) const {
    const size_t block =
        static_cast<size_t>(x >> kShift) * static_cast<size_t>(blocksY_) + static_cast<size_t>(y >> kShift);
    return (block << (2 * kShift)) | static_cast<size_t>(((x & kMask) << kShift) | (y & kMask));
  }
  uint16_t AtIndex(size_t index) const { return cells_[index]; }
  void Prefetch(size_t index) const { __builtin_prefetch(cells_.data() + index); }
  // How many times the copy was made.
  int64_t Copies() const { return copies_; }

 private:

  std::vector<uint16_t> cells_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t blocksY_ = 0;
  uint64_t revision_ = 0;
  bool made_ = false;
  int64_t copies_ = 0;
};
