// Which candidates target choice weighs, and the predicates it runs over the unit list.
#include <gtest/gtest.h>

#include <memory>

#include "game/map/Map.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/TestInanimate.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestUnitWorld.h"
#include "game/units/TestVehicle.h"
#include "support/TestFolder.h"

namespace {

struct FilterRig {
  FilterRig() {
    Hack::LoadTables();
    world.SetMap(std::make_unique<Map>(world.app));
    EXPECT_TRUE(world.Battle().map->Read(nullptr));
    world.Battle().currentSlice = 100;
    AITargeting::gSkipBuildingTargets = false;
    AITargeting::gTargetChooser = nullptr;
  }
  ~FilterRig() {
    AITargeting::gSkipBuildingTargets = false;
    AITargeting::gTargetChooser = nullptr;
  }
  void Join(Unit& unit) { world.Lend(&unit); }
  DataTablesRig tables;
  TestFolder folder{true};
  TestUnitWorld world;
};

// Infantry with a settable arc and terrain under it.
class Squad : public TestInfantry {
 public:
  Squad() { identificationLevel = 4; }
  bool IsPointInFireArc(float, float) const override { return inArc; }
  int32_t GetTerrainHere() const override { return terrain; }
  bool inArc = true;
  int32_t terrain = 0;
};

// A vehicle that stays active (a wreck that can be fired at) and has a settable arc.
class Tank : public TestVehicle {
 public:
  Tank() { identificationLevel = 4; }
  bool IsActive() const override { return true; }
  bool IsPointInFireArc(float, float) const override { return inArc; }
  int32_t GetTerrainHere() const override { return terrain; }
  bool inArc = true;
  int32_t terrain = 0;
};

TEST(AITargetingFilter, CandidatesMustBeSeenEnemiesInTheArc) {
  FilterRig rig;
  Squad chooser;
  chooser.side = 1;
  chooser.SetPosition(200.0f, 200.0f);
  chooser.facing = 0.0f;
  Tank enemy;
  enemy.SetPosition(300.0f, 200.0f);
  rig.Join(chooser);
  rig.Join(enemy);
  EXPECT_TRUE(AITargeting::PassesCandidateFilter(enemy, chooser));
  EXPECT_FALSE(AITargeting::PassesCandidateFilter(chooser, chooser));

  enemy.identificationLevel = 1;
  EXPECT_FALSE(AITargeting::PassesCandidateFilter(enemy, chooser));
  enemy.identificationLevel = 4;
  enemy.passenger = true;
  EXPECT_FALSE(AITargeting::PassesCandidateFilter(enemy, chooser));
  enemy.passenger = false;
  chooser.passenger = true;
  EXPECT_FALSE(AITargeting::PassesCandidateFilter(enemy, chooser));
  chooser.passenger = false;
  enemy.side = 1;  // a friend
  EXPECT_FALSE(AITargeting::PassesCandidateFilter(enemy, chooser));
  enemy.side = 0;

  // Buildings are skipped only while the search says so.
  enemy.terrain = 33;
  EXPECT_TRUE(AITargeting::PassesCandidateFilter(enemy, chooser));
  AITargeting::gSkipBuildingTargets = true;
  EXPECT_FALSE(AITargeting::PassesCandidateFilter(enemy, chooser));
  enemy.terrain = 36;  // a bridge is no building
  EXPECT_TRUE(AITargeting::PassesCandidateFilter(enemy, chooser));
  EXPECT_FALSE(AITargeting::IsBuildingTerrain(30));
  EXPECT_TRUE(AITargeting::IsBuildingTerrain(31));
  EXPECT_TRUE(AITargeting::IsBuildingTerrain(35));

  // Outside the arc: only infantry against infantry within 15 m and under 85 degrees.
  chooser.inArc = false;
  EXPECT_FALSE(AITargeting::PassesCandidateFilter(enemy, chooser));
  Squad near;
  near.SetPosition(210.0f, 200.0f);
  rig.Join(near);
  const float ahead = chooser.AngleToPoint(chooser.facing, near.x, near.y, true);
  chooser.facing = ahead < 85.0f ? chooser.facing : chooser.facing + 180.0f;
  ASSERT_LT(chooser.AngleToPoint(chooser.facing, near.x, near.y, true), 85.0f);
  EXPECT_TRUE(AITargeting::PassesCandidateFilter(near, chooser));
  near.SetPosition(216.0f, 200.0f);
  EXPECT_FALSE(AITargeting::PassesCandidateFilter(near, chooser));
  near.SetPosition(210.0f, 200.0f);
  chooser.facing += 180.0f;  // now behind
  EXPECT_FALSE(AITargeting::PassesCandidateFilter(near, chooser));
}

TEST(AITargetingFilter, DeadCandidatesOnlyAsTheAbsentOrderedTarget) {
  FilterRig rig;
  Squad chooser;
  chooser.side = 1;
  chooser.SetPosition(200.0f, 200.0f);
  Tank wreck;
  wreck.SetPosition(260.0f, 200.0f);
  rig.Join(chooser);
  rig.Join(wreck);
  chooser.mainWeapon = true;  // a dead vehicle stays a target for a main weapon
  wreck.alive = 0;
  ASSERT_TRUE(chooser.CanTarget(wreck));
  EXPECT_FALSE(AITargeting::PassesCandidateFilter(wreck, chooser));
  chooser.target = &wreck;
  EXPECT_FALSE(AITargeting::PassesCandidateFilter(wreck, chooser));
  chooser.flagBytes[Unit::kTargetAbsentFlag] = 1;
  EXPECT_TRUE(wreck.IsIdentified());
  EXPECT_TRUE(chooser.CanTargetUnit(&wreck));
  EXPECT_TRUE(AITargeting::PassesCandidateFilter(wreck, chooser));
  TestInanimate marker;
  marker.identificationLevel = 4;
  EXPECT_FALSE(AITargeting::PassesCandidateFilter(marker, chooser));
}

TEST(AITargetingFilter, EngagedComradesAndFriendsNearTheTarget) {
  FilterRig rig;
  Squad chooser, comrade, far;
  chooser.side = comrade.side = far.side = 1;
  chooser.SetPosition(200.0f, 200.0f);
  comrade.SetPosition(240.0f, 200.0f);
  far.SetPosition(290.0f, 200.0f);
  Squad enemy;
  enemy.SetPosition(600.0f, 200.0f);
  for (Unit* u : {static_cast<Unit*>(&chooser), static_cast<Unit*>(&comrade), static_cast<Unit*>(&far),
                  static_cast<Unit*>(&enemy)}) {
    rig.Join(*u);
  }
  EXPECT_FALSE(AITargeting::IsNearbyEngagedUnit(comrade, chooser));  // no target
  comrade.target = &enemy;
  far.target = &enemy;
  chooser.target = &enemy;
  EXPECT_TRUE(AITargeting::IsNearbyEngagedUnit(comrade, chooser));
  EXPECT_FALSE(AITargeting::IsNearbyEngagedUnit(chooser, chooser));
  EXPECT_EQ(AITargeting::IsNearbyEngagedUnit(far, chooser), chooser.LineOfSightTo(far));
  far.SetPosition(301.0f, 200.0f);
  EXPECT_FALSE(AITargeting::IsNearbyEngagedUnit(far, chooser));
  comrade.armored = true;  // armour must match
  EXPECT_FALSE(AITargeting::IsNearbyEngagedUnit(comrade, chooser));
  comrade.armored = false;
  comrade.side = 0;  // an enemy counts only when identified
  comrade.identificationLevel = 0;
  EXPECT_FALSE(AITargeting::IsNearbyEngagedUnit(comrade, chooser));
  comrade.identificationLevel = 4;
  EXPECT_TRUE(AITargeting::IsNearbyEngagedUnit(comrade, chooser));
  EXPECT_TRUE(AITargeting::IsTargeting(comrade, &enemy));
  EXPECT_FALSE(AITargeting::IsTargeting(enemy, &comrade));

  // Friends of the chooser within 20 m of the candidate (strictly on each axis).
  Squad friendNear;
  friendNear.side = 1;
  friendNear.SetPosition(612.0f, 212.0f);
  AITargeting::gTargetChooser = &chooser;
  EXPECT_TRUE(AITargeting::IsFriendNearTarget(friendNear, enemy));
  friendNear.SetPosition(614.0f, 215.0f);  // 20.5 m
  EXPECT_FALSE(AITargeting::IsFriendNearTarget(friendNear, enemy));
  friendNear.SetPosition(620.0f, 200.0f);  // 20 m on one axis
  EXPECT_FALSE(AITargeting::IsFriendNearTarget(friendNear, enemy));
  friendNear.SetPosition(619.5f, 200.0f);
  EXPECT_TRUE(AITargeting::IsFriendNearTarget(friendNear, enemy));
  friendNear.armored = true;
  EXPECT_FALSE(AITargeting::IsFriendNearTarget(friendNear, enemy));
  friendNear.armored = false;
  friendNear.alive = 0;
  EXPECT_FALSE(AITargeting::IsFriendNearTarget(friendNear, enemy));
  friendNear.alive = 1;
  friendNear.side = 0;  // the candidate's own side
  EXPECT_FALSE(AITargeting::IsFriendNearTarget(friendNear, enemy));
  chooser.SetPosition(605.0f, 200.0f);
  EXPECT_FALSE(AITargeting::IsFriendNearTarget(chooser, enemy));  // the chooser itself
}

}  // namespace
