// The small queries the computer player plans with.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/core/GDynamicArray.h"
#include "game/battle/BattleTestRig.h"
#include "game/map/Distance.h"
#include "game/map/Map.h"
#include "game/map/PlanningMath.h"

TEST(AIQueries, TerrainDistancePowerAndGridCells) {
  EXPECT_FALSE(IsPavedTerrain(35));
  EXPECT_TRUE(IsPavedTerrain(36));
  EXPECT_TRUE(IsPavedTerrain(44));
  EXPECT_FALSE(IsPavedTerrain(45));

  EXPECT_EQ(Distance(0.0f, 0.0f, 0.9f, 0.0f), 0.0f);
  EXPECT_EQ(Distance(0.0f, 0.0f, 3.0f, 4.0f), 5.0f);
  // A parked unit 99,999 m off and more: the squared distance saturates instead of wrapping.
  const float far = Distance(0.0f, 0.0f, 105000.0f, 0.0f);
  EXPECT_TRUE(std::isfinite(far));
  EXPECT_GT(far, 46000.0f);

  EXPECT_EQ(FloatPow(2.0f, 10.0f), 1024.0f);
  EXPECT_EQ(FloatPow(0.5f, 0.5f), static_cast<float>(std::pow(0.5, 0.5)));

  GDynamicArray grid;
  grid.Init(2, 4, 3);  // 4 rows of 3 columns, 2-byte cells
  EXPECT_NE(GetGridCellSafe(grid, 2, 3), nullptr);
  EXPECT_EQ(GetGridCellSafe(grid, 3, 0), nullptr);
  EXPECT_EQ(GetGridCellSafe(grid, 0, 4), nullptr);
  EXPECT_EQ(GetGridCellSafe(grid, -1, 0), nullptr);
}

TEST(AIQueries, MapBoundsAndMoveOrders) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  const float width = battle.map->size.worldWidth;
  EXPECT_TRUE(battle.map->IsOnMap(0.0f, 0.0f));
  EXPECT_FALSE(battle.map->IsOnMap(width, 0.0f));

  Unit* unit = BattleTestRig::MakeUnit(0, 0, 10.0f, 10.0f);
  EXPECT_FALSE(unit->HasMoveOrder());
  unit->waypointCount = 1;
  unit->WaypointAt(0) = Waypoint{20.0f, 20.0f, 0.0f, 9, 0, 0, 1};
  EXPECT_FALSE(unit->HasMoveOrder());
  unit->WaypointAt(0).moveMode = 3;
  EXPECT_TRUE(unit->HasMoveOrder());
  delete unit;
}
