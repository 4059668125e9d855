// Infantry moving along its waypoints: arrival, facing orders, climbing, packing up, a
// burning point given up, the load a weakened crew leaves, turning rates and crowding.
#include <gtest/gtest.h>

#include <cmath>

#include "game/units/InfantryValuesRig.h"

namespace {

struct WalkRig : InfantryValuesRig {
  static constexpr int32_t kGunCrew = 30;
  WalkRig() : unit(rig.Make(InfantryRig::kSquad, 6)) {
    rig.SetClass(kGunCrew, false, 0, {2});
    InfantryRig::Put32(rig.Class(kGunCrew) + 56, InfantryRig::kGunWeapon);
    InfantryRig::Put32(rig.Class(kGunCrew) + 108, 1);
    Place(*unit, 200.0f, 200.0f);
  }
  ~WalkRig() override { rig.world.TakeBackLent(); }
  static void Place(Infantry& u, float px, float py) {
    u.x = px;
    u.y = py;
    u.facing = 0.0f;
    u.fanaticState = 1;
  }
  static void Point(Infantry& u, float px, float py, int32_t mode) {
    Waypoint& w = u.waypoints[static_cast<size_t>(u.waypointCount++)];
    w = Waypoint{};
    w.x = px;
    w.y = py;
    w.moveMode = mode;
    w.pointKind = 1;
  }
  std::unique_ptr<Infantry> unit;
};

TEST(InfantryMovement, ArrivalStandsOnThePointAndRotationNeverMoves) {
  WalkRig f;
  float floorLevel = 0.0f;
  const float s = f.unit->GetTerrainMobility(&floorLevel);
  ASSERT_GT(s, 0.0f);
  // One step and a little more: not yet there, the unit steps east by exactly one speed.
  const float far = 1.1f * s / std::sqrt(0.9f);
  WalkRig::Point(*f.unit, 200.0f + far, 200.0f, Infantry::kMove);
  f.unit->MoveAlongWaypoints();
  EXPECT_EQ(f.unit->waypointCount, 1);
  EXPECT_FLOAT_EQ(f.unit->x, 200.0f + s);
  // Within one step: it arrives and stands exactly on the point.
  f.unit->MoveAlongWaypoints();
  EXPECT_EQ(f.unit->waypointCount, 0);
  EXPECT_EQ(f.unit->x, 200.0f + far);
  EXPECT_EQ(f.unit->y, 200.0f);

  WalkRig::Point(*f.unit, 400.0f, 400.0f, Waypoint::kRotateTo);
  const float x0 = f.unit->x;
  f.unit->MoveAlongWaypoints();
  EXPECT_EQ(f.unit->waypointCount, 0);
  EXPECT_EQ(f.unit->x, x0);
  EXPECT_EQ(f.unit->y, 200.0f);
}

TEST(InfantryMovement, ClimbTakesFourHundredSlicesButNotOnTerrain19) {
  WalkRig f;
  WalkRig::Point(*f.unit, 200.0f, 200.0f, Infantry::kMove);
  f.unit->waypoints[0].upperLevel = 1;
  int32_t slices = 0;
  while (f.unit->waypointCount > 0 && slices < 1000) {
    f.unit->MoveAlongWaypoints();
    ++slices;
  }
  EXPECT_EQ(f.unit->level, 1.0f);
  EXPECT_GE(slices, 400);
  EXPECT_LE(slices, 402);

  f.unit->level = 0.0f;
  f.SetTerrain(200.0f, 200.0f, 19);
  WalkRig::Point(*f.unit, 200.0f, 200.0f, Infantry::kMove);
  f.unit->waypoints[0].upperLevel = 1;
  f.unit->MoveAlongWaypoints();
  EXPECT_EQ(f.unit->level, 0.0f);
  EXPECT_EQ(f.unit->waypointCount, 0);
}

TEST(InfantryMovement, PackingUpHoldsFireAndBurningPointIsGivenUp) {
  WalkRig f;
  auto crew = f.rig.Make(WalkRig::kGunCrew, 0);
  WalkRig::Place(*crew, 200.0f, 200.0f);
  WalkRig::Point(*crew, 210.0f, 200.0f, Infantry::kMove);
  crew->firingTimer = 1.0f;
  crew->reloadState = 3.0f;
  crew->MoveAlongWaypoints();
  EXPECT_EQ(crew->reloadState, 45.0f);
  // A set-up in progress is left alone.
  crew->reloadState = -5.0f;
  crew->MoveAlongWaypoints();
  EXPECT_EQ(crew->reloadState, -5.0f);

  // Walking east into a burning tile it cannot enter: the point is given up where it stands.
  f.unit->x = 119.99f;
  f.unit->y = 100.0f;
  f.unit->movementFlag = 1;
  f.Map().IgniteTile(125.0f, 100.0f, false);
  WalkRig::Point(*f.unit, 125.0f, 100.0f, Infantry::kMove);
  f.unit->MoveAlongWaypoints();
  EXPECT_EQ(f.unit->waypointCount, 0);
  EXPECT_EQ(f.unit->x, 119.99f);
}

TEST(InfantryMovement, WeakenedCrewShedsItsLoadNeverBelowNothing) {
  WalkRig f;
  struct Case {
    int16_t men;
    int32_t lost;
    int32_t kept;
  };
  // 2 men, 1 lost: 35 %; 3 men, 2 lost: 10 %; 8 men, 7 lost: nothing (never negative).
  for (const Case c : {Case{2, 1, 35}, Case{3, 2, 10}, Case{8, 7, 0}}) {
    f.rig.SetClass(WalkRig::kGunCrew, false, 0, {c.men});
    InfantryRig::Put32(f.rig.Class(WalkRig::kGunCrew) + 56, InfantryRig::kGunWeapon);
    InfantryRig::Put32(f.rig.Class(WalkRig::kGunCrew) + 108, 2);
    InfantryRig::Put16(f.rig.Class(WalkRig::kGunCrew) + 106, 100);
    auto crew = f.rig.Make(WalkRig::kGunCrew, 0);
    crew->losses = c.lost;
    crew->ammo = {60, 40, 0, 0, 0};
    crew->ShedAmmunition();
    EXPECT_EQ(crew->ammo[0] + crew->ammo[1], c.kept) << c.men;
    EXPECT_LE(crew->ammo[0], 60);
  }
}

TEST(InfantryMovement, TurnStepByWeaponMountAndBand) {
  WalkRig f;
  auto crew = f.rig.Make(WalkRig::kGunCrew, 0);
  WalkRig::Point(*crew, 300.0f, 200.0f, Infantry::kMove);
  EXPECT_FLOAT_EQ(crew->GetTurnStep(), 10.0f * 0.025f);
  crew->waypointCount = 0;
  // Mount code 2, turning class 4.
  f.rig.Weapon(InfantryRig::kGunWeapon)[62] = 2;
  InfantryRig::Put32(f.rig.Class(WalkRig::kGunCrew) + 112, 4);
  EXPECT_FLOAT_EQ(crew->GetTurnStep(), (0.333f * 16.0f - 8.33f * 4.0f + 58.0f) * 0.025f);
  WalkRig::Point(*f.unit, 300.0f, 200.0f, Infantry::kMove);
  EXPECT_FLOAT_EQ(f.unit->GetTurnStep(), 75.0f * 0.025f);
  f.unit->suppression = 200.0f;
  EXPECT_FLOAT_EQ(f.unit->GetTurnStep(), 100.0f * 0.025f);
}

TEST(InfantryMovement, CrowdingSquadSpreadsOut) {
  WalkRig f;
  auto other = f.rig.Make(InfantryRig::kSquad, 7);
  WalkRig::Place(*other, 201.0f, 200.0f);
  f.rig.world.LendOnly({f.unit.get(), other.get()});
  Unit* neighbour = nullptr;
  ASSERT_TRUE(f.unit->FindCrowdingNeighbour(f.unit->x, f.unit->y, f.unit->level, neighbour));
  EXPECT_EQ(neighbour, other.get());
  ASSERT_TRUE(f.unit->SpreadOut(true, neighbour));
  ASSERT_EQ(f.unit->waypointCount, 1);
  const float dx = f.unit->waypoints[0].x - other->x;
  const float dy = f.unit->waypoints[0].y - other->y;
  EXPECT_GT(std::sqrt(dx * dx + dy * dy), f.unit->GetPersonalSpace());
  // Slot 124 asks the same question at a point, with or without the out.
  f.unit->waypointCount = 0;
  Unit* found = nullptr;
  EXPECT_TRUE(f.unit->FindUnitNearPoint(201.0f, 201.0f, 0.0f, &found));
  EXPECT_EQ(found, other.get());
  EXPECT_TRUE(f.unit->FindUnitNearPoint(201.0f, 201.0f, 0.0f, nullptr));
  EXPECT_FALSE(f.unit->FindUnitNearPoint(201.0f, 201.0f, 1.0f, nullptr));  // the upper floor is free
  // An enemy is nobody's crowd.
  other->side = 1 - f.unit->side;
  EXPECT_FALSE(f.unit->FindCrowdingNeighbour(200.0f, 200.0f, 0.0f, neighbour));
  EXPECT_FALSE(f.unit->FindUnitNearPoint(201.0f, 201.0f, 0.0f, &found));
  EXPECT_EQ(found, nullptr);
}

}  // namespace
