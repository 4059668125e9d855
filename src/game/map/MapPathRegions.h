#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/map/MapGrid.h"

// The regions of a cost grid that a route can join. Two cells not impassable share a region
// when the path finder steps from one to the other, as it steps over the grid or over the grid
// with a coarse block filled for a search's start or goal; a search from a start that is not
// impassable then only ever reaches cells of the start's region, so a goal outside it is never
// reached. A region's reach bounds from above the nodes such a search takes: its cells, and the
// impassable cells its cells step to.
//
// The labels of a grid are kept with a copy of the cells they were found for, so that a grid
// built again or handed back equal to one labelled before is not labelled again. A grid whose
// coarse blocks are not as a build makes them gets no regions (usable false, every label
// kNoRegion).
class MapPathRegions {
 public:
  static constexpr uint32_t kNoRegion = 0;  // the label of an impassable cell

  struct Labels {
    int32_t moveClass = -1;
    uint64_t revision = 0;        // the grid's revision when the cells were last found equal
    bool usable = false;
    std::vector<uint8_t> cells;   // the grid's cells, x outer
    std::vector<uint32_t> label;  // per cell: its region, 1 up, or kNoRegion
    std::vector<int64_t> reach;   // per region (index = label)
  };

  // The labels of the class's grid, found or recalled. The grid's cells must be those of the
  // search about to be made, before any block is filled for it.
  const Labels& For(int32_t moveClass, const MapGrid<uint8_t>& grid);

  // Grids labelled since the map was made, for benchmarks and tests.
  int64_t labelled = 0;

 private:
  static constexpr size_t kKept = 8;

  // Room a labelling uses and the next one reuses.
  struct Scratch {
    std::vector<uint8_t> kind;   // per 10 x 10 block, x outer: whether a search may fill it, and how built
    std::vector<uint8_t> near;   // per block row of one column: an irregular filled block beside
    std::vector<uint32_t> far;   // pairs (cell, impassable cells it steps to beyond its neighbours)
  };
  static void Label(Labels& labels, int32_t w, int32_t h, Scratch& scratch);

  std::vector<Labels> kept_;
  size_t next_ = 0;
  Scratch scratch_;
};
