#include "TileMasks.h"

#include "game/map/MapMask.h"

namespace TileMasks {

static_assert(kShapes == MapMask::kShapeCount && kRoads == MapMask::kRoadCount);

namespace {

bool InTile(int32_t row, int32_t column) {
  return row >= 0 && row < MapMask::kSide && column >= 0 && column < MapMask::kSide;
}

}  // namespace

bool ShapeCell(int32_t shape, int32_t row, int32_t column) {
  return shape >= 0 && shape < kShapes && InTile(row, column) && kShapeMasks[shape].IsSet(row, column);
}

bool RoadCell(int32_t road, int32_t row, int32_t column) {
  return road >= 0 && road < kRoads && InTile(row, column) && kRoadMasks[road].IsSet(row, column);
}

}  // namespace TileMasks
