#pragma once
#include <cstdint>

// The 10 x 10 cell masks a tile piece is drawn from: which 2 m cells of a 20 m tile a terrain
// shape (0-6) or a road pattern (0-14) covers, row 0 to 9 and column 0 to 9 as the map's
// fine grid orients them (rotation 0, no mirror: row 9 - j, column i for the cell at offset
// i along x and j along y). A piece's bitmap shows mask row r in its r-th tenth from the top.
//
// PLACEHOLDER: the map layer's own mask tables are not in this tree yet. Until they are,
// every mask covers the whole tile. Point these two functions at the map's tables (one
// source of the masks) when they land; the pieces and their test follow them.
namespace TileMasks {

constexpr int32_t kShapes = 7;
constexpr int32_t kRoads = 15;

bool ShapeCell(int32_t shape, int32_t row, int32_t column);
bool RoadCell(int32_t road, int32_t row, int32_t column);

}  // namespace TileMasks
