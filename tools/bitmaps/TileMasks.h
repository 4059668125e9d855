#pragma once
#include <cstdint>

// The 10 x 10 cell masks a tile piece is drawn from: which 2 m cells of a 20 m tile a terrain
// shape (0-6) or a road pattern (0-14) covers, row 0 to 9 and column 0 to 9 as the map's
// fine grid orients them (rotation 0, no mirror: row 9 - j, column i for the cell at offset
// i along x and j along y). A piece's bitmap shows mask row r in its r-th tenth from the top.
// They are the map's own tables (game/map/MapMask), so a piece shows road or woods exactly
// where the fine grid has them.
namespace TileMasks {

constexpr int32_t kShapes = 7;
constexpr int32_t kRoads = 15;

// False outside the masks and their 10 x 10 cells.
bool ShapeCell(int32_t shape, int32_t row, int32_t column);
bool RoadCell(int32_t road, int32_t row, int32_t column);

}  // namespace TileMasks
