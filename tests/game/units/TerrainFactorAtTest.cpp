// The cover factor read at a map point: the terrain type under the point, in the season.
#include <gtest/gtest.h>

#include "../map/MapTestRig.h"
#include "game/units/fire/WeaponFormulas.h"

TEST(TerrainFactorAt, ReadsTheTerrainUnderThePointInTheSeason) {
  MapRig rig;
  auto map = rig.Default(2, 2);
  uint16_t& woods = map->terrain.fineGrid.At(3, 4);
  woods = static_cast<uint16_t>((14 << 10) | (woods & 0x3FF));
  EXPECT_EQ(TerrainFactorAt(*map, 6.5f, 8.5f, 0), 0.1f);
  EXPECT_EQ(TerrainFactorAt(*map, 6.5f, 8.5f, 3), 0.4f);
  // Open ground beside it, and off the map (type 0), take no cover.
  EXPECT_EQ(TerrainFactorAt(*map, 8.5f, 8.5f, 0), 1.0f);
  EXPECT_EQ(TerrainFactorAt(*map, -500.0f, 8.5f, 3), 1.0f);
}
