// The unit's move classes and the waypoints a found route becomes.
#include <gtest/gtest.h>

#include <cmath>

#include "game/map/Map.h"
#include "game/map/MapTestWorld.h"
#include "game/map/PathPoints.h"
#include "game/units/Unit.h"
#include "game/units/TestUnit.h"

namespace {

TEST(UnitMoveClass, BaseUnitMovesOnTheFirstGrid) {
  TestUnit unit;
  EXPECT_EQ(unit.GetMoveClass(), 0);
  unit.kind = MapUnitView::kAirplane;
  EXPECT_EQ(unit.GetMoveClass(), 0);
}

TEST(UnitMoveClass, InfantryByCrewWeaponAndSpeedClass) {
  EXPECT_EQ(Unit::InfantryMoveClass(Unit::kNoWeaponType, 1), 1);
  EXPECT_EQ(Unit::InfantryMoveClass(0, 1), 1);
  EXPECT_EQ(Unit::InfantryMoveClass(Unit::kNoWeaponType, 2), 0);
  EXPECT_EQ(Unit::InfantryMoveClass(1, 3), 0);
  EXPECT_EQ(Unit::InfantryMoveClass(2, 3), 1);
  EXPECT_EQ(Unit::InfantryMoveClass(3, 2), 1);
  EXPECT_EQ(Unit::InfantryMoveClass(4, 2), 0);
}

TEST(UnitMoveClass, VehiclesByKindCode) {
  const int expected[] = {4, 3, 3, 3, 2, 4, 4, 4};
  for (int kind = 0; kind < 8; ++kind) EXPECT_EQ(Unit::VehicleMoveClass(kind), expected[kind]) << kind;
  EXPECT_EQ(Unit::VehicleMoveClass(-1), 4);
}

class UnitWaypoints : public ::testing::Test {
 protected:
  void SetUp() override {
    map = std::make_unique<Map>(app);
    map->size.tilesX = 10;
    map->size.tilesY = 10;
    ASSERT_TRUE(map->Read(nullptr));
    // Heights that differ from point to point.
    for (int x = 0; x < map->terrain.fineGrid.Width(); ++x) {
      for (int y = 0; y < map->terrain.fineGrid.Height(); ++y) {
        map->terrain.fineGrid.At(x, y) = static_cast<uint16_t>((x * 3 + y) % 1000);
      }
    }
  }
  FakeApp app;
  std::unique_ptr<Map> map;
};

TEST_F(UnitWaypoints, SixtyPointsBecomeFiftyWaypointsEndingTheRoute) {
  PathPoints points;
  points.count = 60;
  for (int i = 0; i < PathPoints::kMaxPoints; ++i) {
    points.x[i] = 10.0f + 3.0f * static_cast<float>(i);
    points.y[i] = 150.0f - 2.0f * static_cast<float>(i);
  }
  TestUnit unit;
  unit.SetPathWaypoints(points, 3, *map);
  EXPECT_EQ(points.count, 50);
  ASSERT_EQ(unit.waypointCount, 50);
  for (int i = 0; i < 50; ++i) {
    const Waypoint& w = unit.waypoints[static_cast<size_t>(i)];
    EXPECT_EQ(w.x, points.x[i]);
    EXPECT_EQ(w.y, points.y[i]);
    EXPECT_EQ(w.height, map->ElevationAt(w.x, w.y));
    EXPECT_EQ(w.moveMode, 3);
    EXPECT_EQ(w.pointKind, i == 49 ? Waypoint::kRouteEnd : Waypoint::kRoutePoint);
    EXPECT_EQ(w.upperLevel, 0);
    EXPECT_EQ(w.flags, 0);
  }
  EXPECT_NE(unit.waypoints[0].height, unit.waypoints[30].height);
}

TEST_F(UnitWaypoints, EmptyRouteLeavesNoWaypointsAndReverseIsKept) {
  TestUnit unit;
  unit.waypoints[5].x = 7.0f;
  PathPoints points;
  points.count = 2;
  points.x[0] = 20.0f;
  points.y[0] = 30.0f;
  points.x[1] = 40.0f;
  points.y[1] = 50.0f;
  unit.SetPathWaypoints(points, -1, *map);
  ASSERT_EQ(unit.waypointCount, 2);
  EXPECT_EQ(unit.waypoints[0].moveMode, -1);
  EXPECT_EQ(unit.waypoints[0].pointKind, Waypoint::kRoutePoint);
  EXPECT_EQ(unit.waypoints[1].pointKind, Waypoint::kRouteEnd);
  EXPECT_EQ(unit.waypoints[5].x, 7.0f);  // past the count, left as it was
  points.count = 0;
  unit.SetPathWaypoints(points, 1, *map);
  EXPECT_EQ(unit.waypointCount, 0);
}

// The placement rules come with the orders code; this unit may stand anywhere.
class StandAnywhereUnit final : public TestUnit {
 public:
  bool CanStandAt(float, float, bool) override { return true; }
};

TEST_F(UnitWaypoints, UnitPlansItsOwnRouteOnItsSideAndClass) {
  app.MakeBattle();
  StandAnywhereUnit unit;
  unit.side = 1;
  PathPoints points;
  ASSERT_EQ(map->FindPath(unit, 20.0f, 20.0f, 150.0f, 120.0f, points), Map::kRouteFound);
  EXPECT_TRUE(map->routes.built[0]);
  EXPECT_FALSE(map->routes.built[2]);
  unit.SetPathWaypoints(points, 1, *map);
  ASSERT_GT(unit.waypointCount, 0);
  EXPECT_EQ(unit.waypoints[static_cast<size_t>(unit.waypointCount - 1)].x, 150.0f);
  EXPECT_EQ(unit.waypoints[static_cast<size_t>(unit.waypointCount - 1)].y, 120.0f);
}

}  // namespace
