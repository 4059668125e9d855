#include "game/map/MapTree.h"

#include "framework/core/Quorl.h"

MapTree::MapTree(float x, float y, float ground, bool pine, bool marsh)
    : x(x), y(y), baseHeight(ground - 0.2f), pine(pine ? 1 : 0) {
  height = (RandomFloatTimes(0.5f) + 0.8f) * 6.0f;
  turn = RandomFloatTimes(360.0f);
  mirrored = Random(2) == 0;
  if (marsh) variant = static_cast<uint8_t>(Random(2) + 11);
  else if (pine) variant = static_cast<uint8_t>(Random(3));
  else variant = static_cast<uint8_t>(Random(8) + 3);
}
