#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/core/GDynamicArray.h"

// The burning tiles of the map's fire grid counted over rectangles: a table of running sums
// (the number of burning tiles with row below r and column below c) answers whether any tile
// of a rectangle burns in four reads, where a sight line otherwise scanned every tile of the
// rectangle its ends span. The table is made again whenever the grid's revision differs from
// the one it was made at, so it always holds the grid's tiles.
class BurningTileCounts {
 public:
  // Brings the table up to the grid (nothing when it already holds it). A grid without a
  // block, or of elements wider than a byte, has no burning tile.
  void Refresh(const GDynamicArray& state) {
    if (made_ && revision_ == state.Revision()) return;
    rows_ = 0;
    columns_ = 0;
    if (state.HasBlock() && state.ElementSize() == 1) state.GetDimensions(rows_, columns_);
    if (rows_ <= 0 || columns_ <= 0) rows_ = columns_ = 0;
    const size_t stride = static_cast<size_t>(columns_) + 1;
    sums_.assign((static_cast<size_t>(rows_) + 1) * stride, 0);
    for (int32_t r = 0; r < rows_; ++r) {
      int32_t rowCount = 0;
      for (int32_t c = 0; c < columns_; ++c) {
        rowCount += state.GetU8(r, c) != 0 ? 1 : 0;
        sums_[(static_cast<size_t>(r) + 1) * stride + static_cast<size_t>(c) + 1] =
            sums_[static_cast<size_t>(r) * stride + static_cast<size_t>(c) + 1] + rowCount;
      }
    }
    revision_ = state.Revision();
    made_ = true;
    ++tables_;
  }
  int32_t Rows() const { return rows_; }
  int32_t Columns() const { return columns_; }
  // Any burning tile in rows r0..r1 and columns c0..c1 (inclusive, inside the grid).
  bool AnyIn(int32_t r0, int32_t r1, int32_t c0, int32_t c1) const {
    const size_t stride = static_cast<size_t>(columns_) + 1;
    const auto at = [&](int32_t r, int32_t c) {
      return sums_[static_cast<size_t>(r) * stride + static_cast<size_t>(c)];
    };
    return at(r1 + 1, c1 + 1) - at(r0, c1 + 1) - at(r1 + 1, c0) + at(r0, c0) > 0;
  }
  // How many times the table was made.
  int64_t Tables() const { return tables_; }

 private:
  std::vector<int32_t> sums_;
  int32_t rows_ = 0;
  int32_t columns_ = 0;
  uint64_t revision_ = 0;
  bool made_ = false;
  int64_t tables_ = 0;
};
