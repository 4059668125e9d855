#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "framework/core/Quorl.h"

// A two-dimensional grid of map values indexed (x, y), x across and y down. Sizing zeroes
// every cell, so no pass ever reads what an earlier map left behind; an index outside the
// grid is a programmer error and fatal.
//
// Every way to change the cells (sizing, filling, the writable accessors, assignment) raises
// the grid's revision, so a cache of something computed from the cells may keep it while the
// revision it was computed at stands.
template <class T>
class MapGrid {
 public:
  MapGrid() = default;
  MapGrid(const MapGrid& other) : width_(other.width_), height_(other.height_), cells_(other.cells_), revision_(other.revision_ + 1) {}
  MapGrid(MapGrid&& other) noexcept
      : width_(other.width_), height_(other.height_), cells_(std::move(other.cells_)), revision_(other.revision_ + 1) {
    other.width_ = 0;
    other.height_ = 0;
    other.cells_.clear();
    ++other.revision_;
  }
  MapGrid& operator=(const MapGrid& other) {
    if (this != &other) {
      width_ = other.width_;
      height_ = other.height_;
      cells_ = other.cells_;
      revision_ = std::max(revision_, other.revision_) + 1;
    }
    return *this;
  }
  MapGrid& operator=(MapGrid&& other) noexcept {
    if (this != &other) {
      width_ = other.width_;
      height_ = other.height_;
      cells_ = std::move(other.cells_);
      revision_ = std::max(revision_, other.revision_) + 1;
      other.width_ = 0;
      other.height_ = 0;
      other.cells_.clear();
      ++other.revision_;
    }
    return *this;
  }
  ~MapGrid() = default;

  void Init(int32_t width, int32_t height) {
    if (width < 0 || height < 0) FatalError(41, "MapGrid");
    ++revision_;
    width_ = width;
    height_ = height;
    // Cleared and grown rather than assigned, for the same zeroed cells: GCC 12 at -O3 warns
    // falsely of an overflow in the assigning fill.
    cells_.clear();
    cells_.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  }
  void Free() {
    ++revision_;
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
    ++revision_;
    return cells_[static_cast<size_t>(x) * static_cast<size_t>(height_) + static_cast<size_t>(y)];
  }
  const T& At(int32_t x, int32_t y) const {
    if (!Contains(x, y)) FatalError(60, "MapGrid");
    return cells_[static_cast<size_t>(x) * static_cast<size_t>(height_) + static_cast<size_t>(y)];
  }
  // The value of a cell, or fallback outside the grid.
  T GetOr(int32_t x, int32_t y, T fallback) const { return Contains(x, y) ? At(x, y) : fallback; }
  void Fill(const T& value) {
    ++revision_;
    cells_.assign(cells_.size(), value);
  }
  // The cells, x outer: cell (x, y) is at x * Height() + y.
  T* Data() {
    ++revision_;
    return cells_.data();
  }
  const T* Data() const { return cells_.data(); }
  // The cells for a caller that puts back every cell it changes before anything else reads
  // the grid, so the revision stands.
  T* DataRestoredAfterUse() { return cells_.data(); }
  // Raised by every change; equal revisions of one grid mean equal cells.
  uint64_t Revision() const { return revision_; }

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<T> cells_;
  uint64_t revision_ = 0;
};
