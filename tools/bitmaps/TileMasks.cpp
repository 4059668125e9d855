#include "TileMasks.h"

namespace TileMasks {

// PLACEHOLDER until the map layer's mask tables are in the tree: the whole tile.
bool ShapeCell(int32_t shape, int32_t row, int32_t column) {
  return shape >= 0 && shape < kShapes && row >= 0 && row < 10 && column >= 0 && column < 10;
}

bool RoadCell(int32_t road, int32_t row, int32_t column) {
  return road >= 0 && road < kRoads && row >= 0 && row < 10 && column >= 0 && column < 10;
}

}  // namespace TileMasks
