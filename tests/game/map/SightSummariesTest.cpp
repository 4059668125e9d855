// The summaries sight lines read instead of the map's own grids: the fine grid's cells copied
// into blocks and the burning tiles counted over rectangles. Each must answer exactly as the
// grid it summarises, at any size, and follow every change of it.
#include <gtest/gtest.h>

#include <cstdint>

#include "framework/core/GDynamicArray.h"
#include "game/map/BurningTileCounts.h"
#include "game/map/MapGrid.h"
#include "game/map/SightCellBlocks.h"

namespace {

uint16_t CellValue(int32_t x, int32_t y) { return static_cast<uint16_t>(x * 131 + y * 7 + 1); }

void ExpectSameCells(const SightCellBlocks& blocks, const MapGrid<uint16_t>& grid) {
  for (int32_t x = 0; x < grid.Width(); ++x) {
    for (int32_t y = 0; y < grid.Height(); ++y) ASSERT_EQ(blocks.At(x, y), grid.At(x, y)) << x << "," << y;
  }
}

TEST(SightCellBlocks, HoldsEveryCellAtSizesAcrossBlockEdgesAndFollowsChanges) {
  MapGrid<uint16_t> grid;
  SightCellBlocks blocks;
  int64_t copies = 0;
  // Sizes below, at and across the block side, uneven in both directions.
  const int32_t sizes[][2] = {{13, 21}, {8, 8}, {1, 1}, {17, 3}, {250, 200}};
  for (const auto& size : sizes) {
    grid.Init(size[0], size[1]);
    for (int32_t x = 0; x < size[0]; ++x) {
      for (int32_t y = 0; y < size[1]; ++y) grid.At(x, y) = CellValue(x, y);
    }
    blocks.Refresh(grid);
    EXPECT_EQ(blocks.Copies(), ++copies);
    ExpectSameCells(blocks, grid);
  }
  // Asking again copies nothing; one changed cell is seen after one more copy.
  blocks.Refresh(grid);
  EXPECT_EQ(blocks.Copies(), copies);
  grid.At(249, 199) = 0xBEEF;
  blocks.Refresh(grid);
  EXPECT_EQ(blocks.Copies(), copies + 1);
  EXPECT_EQ(blocks.At(249, 199), 0xBEEF);
  EXPECT_EQ(blocks.At(248, 199), CellValue(248, 199));
  // A grid assigned cells of the same size is copied again too.
  MapGrid<uint16_t> other = grid;
  other.Fill(5);
  grid = other;
  blocks.Refresh(grid);
  EXPECT_EQ(blocks.Copies(), copies + 2);
  ExpectSameCells(blocks, grid);
}

// The brute-force answer the table replaces.
bool AnyBurning(const GDynamicArray& state, int32_t r0, int32_t r1, int32_t c0, int32_t c1) {
  for (int32_t r = r0; r <= r1; ++r) {
    for (int32_t c = c0; c <= c1; ++c) {
      if (state.GetU8(r, c) != 0) return true;
    }
  }
  return false;
}

void ExpectEveryRectangle(const BurningTileCounts& counts, const GDynamicArray& state) {
  int32_t rows = 0, columns = 0;
  state.GetDimensions(rows, columns);
  ASSERT_EQ(counts.Rows(), rows);
  ASSERT_EQ(counts.Columns(), columns);
  for (int32_t r0 = 0; r0 < rows; ++r0) {
    for (int32_t r1 = r0; r1 < rows; ++r1) {
      for (int32_t c0 = 0; c0 < columns; ++c0) {
        for (int32_t c1 = c0; c1 < columns; ++c1) {
          ASSERT_EQ(counts.AnyIn(r0, r1, c0, c1), AnyBurning(state, r0, r1, c0, c1))
              << r0 << ".." << r1 << " x " << c0 << ".." << c1;
        }
      }
    }
  }
}

TEST(BurningTileCounts, AnswersEveryRectangleAsAScanAndFollowsEveryChange) {
  BurningTileCounts counts;
  GDynamicArray state;
  // No block yet: no tile, nothing burns.
  counts.Refresh(state);
  EXPECT_EQ(counts.Rows(), 0);
  EXPECT_EQ(counts.Tables(), 1);
  state.Init(1, 7, 9);
  state.Zero();
  counts.Refresh(state);
  EXPECT_EQ(counts.Tables(), 2);
  EXPECT_FALSE(counts.AnyIn(0, 6, 0, 8));
  // A scatter of fires of every value, on the edges and corners too.
  const int32_t fires[][3] = {{0, 0, 1}, {6, 8, 2}, {3, 4, 3}, {0, 8, 1}, {5, 1, 3}};
  for (const auto& f : fires) state.SetU8(f[0], f[1], static_cast<uint8_t>(f[2]));
  counts.Refresh(state);
  EXPECT_EQ(counts.Tables(), 3);
  ExpectEveryRectangle(counts, state);
  // Unchanged: the table stands. A fire put out is seen at the next refresh.
  counts.Refresh(state);
  EXPECT_EQ(counts.Tables(), 3);
  state.SetU8(3, 4, 0);
  counts.Refresh(state);
  EXPECT_EQ(counts.Tables(), 4);
  EXPECT_FALSE(counts.AnyIn(2, 4, 2, 6));
  ExpectEveryRectangle(counts, state);
  // A grid made again at another size.
  state.Init(1, 2, 3);
  state.Zero();
  state.SetU8(1, 2, 1);
  counts.Refresh(state);
  EXPECT_EQ(counts.Tables(), 5);
  ExpectEveryRectangle(counts, state);
}

}  // namespace
