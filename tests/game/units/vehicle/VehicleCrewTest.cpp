// The vehicle's crew at work: hull turning and turret traverse by the ground, purchase code and
// value against a fire kind, spotting, activity radius, waypoint modes and the orders snapshot.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "framework/core/Quorl.h"
#include "game/units/VehicleRig.h"

namespace {

constexpr float kX = 500.0f;
constexpr float kY = 500.0f;

std::unique_ptr<Vehicle> Make(int32_t cls) {
  auto v = std::make_unique<Vehicle>();
  v->SetClass(cls, 0, 2, kX, kY, 0.0f);
  return v;
}

}  // namespace

TEST(VehicleCrew, HullTurnsByPowerAndGround) {
  VehicleRig rig;
  rig.PutI16(0, 110, 25);
  rig.PutI16(0, 116, 300);
  rig.PutI16(0, 54, 30);
  rig.PutF32(0, 208, 2.0f);
  auto v = Make(0);
  v->speed = 0.1f;
  Vehicle::gFullCheck = 0.0f;
  const float m = v->TerrainMobility(nullptr);
  Vehicle::gFullCheck = 1.0f;
  EXPECT_NEAR(m, 0.1956937f, 1e-6f);
  EXPECT_NEAR(v->ComputeTurnStep(), 0.3655424f, 1e-6f);
  EXPECT_EQ(Vehicle::gFullCheck, 1.0f);
  v->speed = 0.0f;
  EXPECT_NEAR(v->ComputeTurnStep(), 0.1462170f, 1e-6f);
  // The ground 7.2 m ahead and behind: the worse factor counts.
  rig.SetTerrain(kX + 7.2f, kY, 13);
  EXPECT_NEAR(v->ComputeTurnStep(), 0.1462170f * 0.6f, 1e-6f);
  rig.SetTerrain(kX - 7.2f, kY, 31);
  EXPECT_NEAR(v->ComputeTurnStep(), 0.1462170f * 0.4f, 1e-6f);
  // A vehicle that may not move does not turn.
  v->immobilized = 1;
  EXPECT_EQ(v->ComputeTurnStep(), 0.0f);

  EXPECT_EQ(Vehicle::TerrainTurnFactor(21), 0.6f);
  EXPECT_EQ(Vehicle::TerrainTurnFactor(23), 0.5f);
  EXPECT_EQ(Vehicle::TerrainTurnFactor(28), 0.4f);
  EXPECT_EQ(Vehicle::TerrainTurnFactor(35), 0.4f);
  EXPECT_EQ(Vehicle::TerrainTurnFactor(36), 1.0f);
}

TEST(VehicleCrew, TurretTraverseByClass) {
  VehicleRig rig;
  const float expected[] = {0.15f, 0.2f, 0.35f, 0.6f, 1.125f};
  for (int32_t c = 0; c < 5; ++c) {
    rig.PutI32(c, 80, c);
    rig.Class(c)[124] = 1;  // the turret record
    rig.PutI32(c, 68, 40);
    EXPECT_FLOAT_EQ(Make(c)->GetTurretStep(), expected[c]) << c;
  }
  // Turretless: free with no gun, slower with a type-3 gun, slowest with a type-2 gun.
  auto v = Make(5);
  EXPECT_FLOAT_EQ(v->GetTurretStep(), 0.875f);
  rig.PutI32(5, 68, 41);
  rig.SetWeaponType(41, 3);
  EXPECT_FLOAT_EQ(v->GetTurretStep(), 0.6f);
  rig.SetWeaponType(41, 2);
  EXPECT_FLOAT_EQ(v->GetTurretStep(), 0.125f);
  v->gunDestroyed = 1;
  EXPECT_EQ(v->GetTurretStep(), 0.0f);
}

TEST(VehicleCrewDeathTest, TurretClassOutsideItsRangeIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  VehicleRig rig;
  auto v = Make(0);
  rig.PutI32(0, 80, 6);
  EXPECT_DEATH(v->GetTurretStep(), "Vehicle");
}

TEST(VehicleCrew, PurchaseCodeAndValueForAFireKind) {
  VehicleRig rig;
  auto v = Make(0);
  EXPECT_EQ(v->GetPurchaseCode(), 9);
  rig.Class(0)[244] = 1;
  EXPECT_EQ(v->GetPurchaseCode(), 4);
  rig.PutI32(0, 112, VehicleData::kKindEmplacement);
  EXPECT_EQ(v->GetPurchaseCode(), 8);
  rig.PutI32(0, 112, VehicleData::kKindTracked);

  EXPECT_FLOAT_EQ(Vehicle::FireKindFactor(2, 12), 0.55f);
  EXPECT_FLOAT_EQ(Vehicle::FireKindFactor(2, 16), 0.1f);
  EXPECT_FLOAT_EQ(Vehicle::FireKindFactor(2, 9), 1.0f);
  EXPECT_FLOAT_EQ(Vehicle::FireKindFactor(3, 5), 0.55f);
  EXPECT_FLOAT_EQ(Vehicle::FireKindFactor(3, 7), 0.1f);
  EXPECT_FLOAT_EQ(Vehicle::FireKindFactor(1, 0), 1.0f);

  // The unit's value (one draw), then the factors of the fire kind, the wreck and the kind.
  rig.PutI16(0, 168, 12);
  rig.PutI16(0, 170, 20);  // the thinner plate counts
  auto valueAfter = [&](uint32_t seed) {
    SeedRandom(seed);
    return v->Unit::GetTargetValue();
  };
  auto valueFor = [&](uint32_t seed, int32_t kind) {
    SeedRandom(seed);
    return v->ValueForFireKind(kind);
  };
  const float base = valueAfter(5);
  ASSERT_GT(base, 0.0f);
  EXPECT_FLOAT_EQ(valueFor(5, 2), base * 0.55f * 2.0f);
  EXPECT_FLOAT_EQ(valueFor(5, 1), base * 2.0f);
  v->alive = 0;
  EXPECT_FLOAT_EQ(valueFor(5, 1), valueAfter(5) * 0.4f * 2.0f);
  v->burning = 1;
  EXPECT_EQ(valueFor(5, 1), 0.0f);
}

TEST(VehicleCrew, SpottingShowsRidersAndFixedWorks) {
  EXPECT_EQ(Vehicle::SpottedLevel(2, true, false, 0), 4);
  EXPECT_EQ(Vehicle::SpottedLevel(3, true, false, 0), 4);
  EXPECT_EQ(Vehicle::SpottedLevel(1, true, false, 0), 1);
  EXPECT_EQ(Vehicle::SpottedLevel(2, false, true, 1), 4);
  EXPECT_EQ(Vehicle::SpottedLevel(2, false, true, 2), 3);
  EXPECT_EQ(Vehicle::SpottedLevel(3, false, true, 2), 3);
  EXPECT_EQ(Vehicle::SpottedLevel(2, false, false, 0), 2);

  VehicleRig rig;
  auto v = Make(0);
  auto rider = Make(1);
  rider->identificationLevel = 0;
  rider->hidden = 1;
  v->passengers[0] = rider.get();
  v->UpdateSpotting();  // without fog of war the vehicle is fully known
  EXPECT_EQ(v->identificationLevel, 4);
  EXPECT_EQ(rider->identificationLevel, 4);
  EXPECT_EQ(rider->hidden, 0);
  // Under armour the riders are seen at most as shapes.
  rig.Class(0)[205] = 1;
  rider->identificationLevel = 0;
  v->UpdateSpotting();
  EXPECT_EQ(rider->identificationLevel, 2);
}

TEST(VehicleCrew, ActivityRadiusByWhatTheVehicleDoes) {
  VehicleRig rig;
  rig.PutF32(0, 208, 4.0f);
  auto v = Make(0);
  float size = 0.0f;
  EXPECT_EQ(v->ActivityRange(false, size), 60.0f);
  EXPECT_EQ(size, 2.0f);
  v->turretRate = 0.5f;
  EXPECT_EQ(v->ActivityRange(false, size), 90.0f);
  v->turnRate = 1.0f;
  EXPECT_EQ(v->ActivityRange(false, size), 120.0f);
  v->waypointCount = 1;
  const int32_t modes[] = {1, 9, 2, -1, 3};
  const float radius[] = {160.0f, 160.0f, 220.0f, 220.0f, 300.0f};
  for (size_t i = 0; i < 5; ++i) {
    v->waypoints[0].moveMode = modes[i];
    EXPECT_EQ(v->ActivityRange(false, size), radius[i]) << modes[i];
  }
  EXPECT_EQ(v->ActivityRange(true, size), 60.0f);
  v->commandDelay = 2.0f;  // still waiting to move off
  EXPECT_EQ(v->ActivityRange(false, size), 120.0f);
  v->emplaced = 1;
  v->ActivityRange(false, size);
  EXPECT_EQ(size, 1.0f);
  rig.PutI32(0, 112, VehicleData::kKindBoat);
  EXPECT_EQ(v->ActivityRange(false, size), 75.0f);
  v->waypointCount = 0;
  EXPECT_EQ(v->ActivityRange(false, size), 20.0f);
}

TEST(VehicleCrewDeathTest, UnknownMoveModeIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  VehicleRig rig;
  auto v = Make(0);
  v->waypointCount = 1;
  v->waypoints[0].moveMode = 7;
  float size = 0.0f;
  EXPECT_DEATH(v->ActivityRange(false, size), "Vehicle");
  float first = 1.0f, second = 1.0f;
  EXPECT_DEATH(v->AdjustChancesOfBeingHit(*v, first, second), "Vehicle");
}

TEST(VehicleCrew, WaypointModesTowardAThreat) {
  VehicleRig rig;
  auto v = Make(0);
  auto threat = Make(1);
  threat->x = kX + 100.0f;  // the threat lies along the facing
  // A point at bearing 100 from the threat's heading: an armoured vehicle backs off to it.
  const float b = 100.0f * 0.017453292519943295f;
  v->waypointCount = 1;
  v->waypoints[0].x = kX + 50.0f * std::cos(b);
  v->waypoints[0].y = kY + 50.0f * std::sin(b);
  v->SetWaypointModes(threat.get(), 1, false, 0.0f, 0.0f);
  EXPECT_EQ(v->waypoints[0].moveMode, 1);  // unarmoured: reverses only from 135
  rig.PutI16(0, 140, 30);
  v->SetWaypointModes(threat.get(), 1, false, 0.0f, 0.0f);
  EXPECT_EQ(v->waypoints[0].moveMode, -1);
  // Mode -1 turns the heading round: the same point is then ahead, the reverse mode is 3.
  v->SetWaypointModes(threat.get(), -1, false, 0.0f, 0.0f);
  EXPECT_EQ(v->waypoints[0].moveMode, -1);
  // A later leg bending back beyond 90 degrees reverses.
  v->waypointCount = 2;
  v->waypoints[0] = Waypoint{kX + 50.0f, kY, 0.0f, 1, 0, 0, 0};
  v->waypoints[1] = Waypoint{kX + 10.0f, kY + 5.0f, 0.0f, 1, 0, 0, 0};
  v->SetWaypointModes(threat.get(), 1, false, 0.0f, 0.0f);
  EXPECT_EQ(v->waypoints[0].moveMode, 1);
  EXPECT_EQ(v->waypoints[1].moveMode, -1);

  // A full list stays full: the inserted point goes in front, the last one drops.
  v->waypointCount = Unit::kMaxWaypoints;
  for (int32_t i = 0; i < Unit::kMaxWaypoints; ++i) v->waypoints[static_cast<size_t>(i)] = Waypoint{kX + i, kY, 0.0f, 1, 0, 0, 0};
  v->SetWaypointModes(threat.get(), 1, true, 400.0f, 410.0f);
  EXPECT_EQ(v->waypointCount, Unit::kMaxWaypoints);
  EXPECT_EQ(v->waypoints[0].x, 400.0f);
  EXPECT_EQ(v->waypoints[1].x, kX);
  EXPECT_EQ(v->waypoints[49].x, kX + 48.0f);
  // Without waypoints nothing is inserted.
  v->waypointCount = 0;
  v->SetWaypointModes(threat.get(), 1, true, 400.0f, 410.0f);
  EXPECT_EQ(v->waypointCount, 0);
}

TEST(VehicleCrew, OrdersSnapshotDropsTheWaypointsOfAnImmobilisedVehicle) {
  VehicleRig rig;
  auto v = Make(0);
  v->waypointCount = 2;
  v->bogged = 1;
  v->SnapshotOrders();
  EXPECT_EQ(v->waypointCount, 2);
  v->immobilized = 1;
  v->SnapshotOrders();
  EXPECT_EQ(v->waypointCount, 0);
}
