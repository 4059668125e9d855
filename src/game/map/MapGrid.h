#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/core/Quorl.h"

// A two-dimensional grid of map values indexed (x, y), x across and y down. Sizing zeroes
// every cell, so no pass ever reads what an earlier map left behind; an index outside the
// grid is a programmer error and fatal.
template <class T>
class MapGrid {
 public:
  void Init(int32_t width, int32_t height) {
    if (width < 0 || height < 0) FatalError(41, "MapGrid");
    width_ = width;
    height_ = height;
    cells_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), T{});
  }
  void Free() {
    cells_.clear();
    cells_.shrink_to_fit();
    width_ = 0;
    height_ = 0;
  }
  bool IsSized() const { return !cells_.empty(); }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  bool Contains(int32_t x, int32_t y) const {
    return static_cast<uint32_t>(x) < static_cast<uint32_t>(width_) &&
           static_cast<uint32_t>(y) < static_cast<uint32_t>(height_);
  }
  T& At(int32_t x, int32_t y) {
    if (!Contains(x, y)) FatalError(56, "MapGrid");
    return cells_[static_cast<size_t>(x) * static_cast<size_t>(height_) + static_cast<size_t>(y)];
  }
  const T& At(int32_t x, int32_t y) const {
    if (!Contains(x, y)) FatalError(60, "MapGrid");
    return cells_[static_cast<size_t>(x) * static_cast<size_t>(height_) + static_cast<size_t>(y)];
  }
  // The value of a cell, or fallback outside the grid.
  T GetOr(int32_t x, int32_t y, T fallback) const { return Contains(x, y) ? At(x, y) : fallback; }
  void Fill(const T& value) { cells_.assign(cells_.size(), value); }
  // The cells, x outer: cell (x, y) is at x * Height() + y.
  T* Data() { return cells_.data(); }
  const T* Data() const { return cells_.data(); }

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<T> cells_;
};
