// Fire as the battle plays it: a half-track's .50, a flame tank's bow projector and a
// flamethrower team fire at infantry (the first two from their own loads), a blast strikes each
// unit once and a vehicle at the strength where it stands, a squad's burst takes its bearing
// and posture, a pinned crew seeks no target of its own, and a driving vehicle looks past the
// vehicles that drive too.
#include <gtest/gtest.h>

#include <cstdint>

#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleShot.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/TablesBattleRig.h"
#include "game/battle/Packet.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/tables/DataFlags.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/tables/SmallArmsData.h"
#include "game/units/TestInfantry.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/tables/WeaponData.h"
#include "support/TestFolder.h"

namespace {

// The Churchill Crocodile: a 75 mm in the turret, the flame projector in the bow.
constexpr int32_t kCrocodile = 154;

struct FireRig : TablesBattleRig {
  FireRig() {
    // Making a unit draws from the game's generator (a vehicle's machine-gun timers, for one),
    // so every battle here seeds it before its units are made.
    SeedRandom(1);
  }

  // A rifle squad of the tables (eight men or more, no crew weapon) of a side index (0 Axis).
  Infantry* AddSquad(int32_t sideIndex, float x, float y, float facing) {
    int32_t squadClass = -1;
    for (int32_t i = 0; i < gInfantryClasses.Count() && squadClass < 0; ++i) {
      const InfantryData c = gInfantryClasses[i];
      if (c.IsSquad() != 0 && c.MainWeapon() == Infantry::kNoWeapon && c.Men() >= 8 && c.LeaderLevel() == 0) {
        squadClass = i;
      }
    }
    return AddInfantry(squadClass, sideIndex, x, y, facing);
  }
  Infantry* AddInfantry(int32_t typeIndex, int32_t sideIndex, float x, float y, float facing) {
    auto* squad = new Infantry();
    squad->Init(typeIndex, sideIndex == 0 ? 6 : 0, 2, x, y, facing);
    squad->side = static_cast<uint8_t>(1 - sideIndex);
    squad->identificationLevel = 4;
    B().PlaceUnitAt(squad, x, y);
    return squad;
  }
  Vehicle* AddVehicle(int32_t classIndex, int32_t code, int32_t sideIndex, float x, float y, float facing) {
    auto* v = new Vehicle();
    v->SetClass(classIndex, code, 3, x, y, facing);
    v->side = static_cast<uint8_t>(1 - sideIndex);
    v->identificationLevel = 4;
    B().PlaceUnitAt(v, x, y);
    return v;
  }
  // The unit's fire packets of one effect code (-1: any).
  int32_t FirePackets(const Unit* shooter, int32_t effect) {
    int32_t n = 0;
    for (int32_t i = 0; i < B().packets.Count(); ++i) {
      const auto* p = static_cast<const Packet*>(B().packets.GetItem(i));
      if (p->kind == Packet::kFire && p->fire.shooter == shooter && (effect < 0 || p->fire.effectCode == effect)) ++n;
    }
    return n;
  }

  // The unit's fire packets aimed at a unit.
  int32_t FirePacketsAt(const Unit* shooter, const Unit* target) {
    int32_t n = 0;
    for (int32_t i = 0; i < B().packets.Count(); ++i) {
      const auto* p = static_cast<const Packet*>(B().packets.GetItem(i));
      if (p->kind == Packet::kFire && p->fire.shooter == shooter && p->fire.target == target) ++n;
    }
    return n;
  }

};

// The first half-track whose only weapon is one .50 on its flexible mount.
int32_t FiftyCalibreHalfTrack() {
  for (int32_t i = 0; i < gVehicleClasses.Count(); ++i) {
    const VehicleData v = gVehicleClasses[i];
    if (v.KindCode() == 3 && v.MainWeapon() == WeaponData::kNone && v.BowMachineGun() == SmallArmsData::kNone &&
        v.CoaxialCount() == 0 && v.ThirdMachineGun() == 28 && v.ThirdCount() == 1) {
      return i;
    }
  }
  return -1;
}

}  // namespace

TEST(FireAsPlayed, HeavyGunsFireAtInfantryFromTheirOwnLoads) {
  FireRig rig;
  // An American half-track stands 200 m from an Axis squad in the open: its .50 fires from the
  // heavy guns' load and leaves the rifle-calibre load alone.
  const int32_t halfTrack = FiftyCalibreHalfTrack();
  ASSERT_GE(halfTrack, 0);
  SeedRandom(17);
  Vehicle* gun = rig.AddVehicle(halfTrack, 0, 1, 300.0f, 250.0f, 90.0f);
  Infantry* squad = rig.AddSquad(0, 300.0f, 450.0f, 270.0f);
  const auto loads = gun->machineGunAmmo;
  ASSERT_EQ(loads[0], 0);
  ASSERT_GT(loads[1], 0);
  rig.headless.Go(1);
  rig.headless.Go(23);
  EXPECT_GT(rig.FirePackets(gun, -1), 0);
  EXPECT_LT(gun->machineGunAmmo[1], loads[1]);
  EXPECT_EQ(gun->machineGunAmmo[2], 0);
  EXPECT_EQ(rig.FirePackets(gun, -1), rig.FirePacketsAt(gun, squad));

  // A Crocodile halted 60 m from a squad ahead flames it from the bow: the flame jet (effect 11)
  // spends the flame load, and its main gun keeps its rounds for other work.
  rig.headless.New();
  ASSERT_EQ(gVehicleClasses[kCrocodile].BowMachineGun(), 31);
  SeedRandom(5);
  Vehicle* flame = rig.AddVehicle(kCrocodile, 3, 1, 300.0f, 300.0f, 90.0f);
  Infantry* ahead = rig.AddSquad(0, 300.0f, 360.0f, 270.0f);
  flame->ammo = {};
  const int32_t flameLoad = flame->machineGunAmmo[2];
  ASSERT_GT(flameLoad, 0);
  rig.headless.Go(1);
  rig.headless.Go(11);
  EXPECT_GT(rig.FirePackets(flame, 11), 0);
  EXPECT_LT(flame->machineGunAmmo[2], flameLoad);
  EXPECT_TRUE(ahead->losses > 0 || ahead->suppression > 0.0f);

  // A flamethrower team 30 m from a squad out of rounds flames it too.
  rig.headless.New();
  int32_t teamClass = -1;
  for (int32_t i = 0; i < gInfantryClasses.Count() && teamClass < 0; ++i) {
    const int32_t w = gInfantryClasses[i].MainWeapon();
    if (w != Infantry::kNoWeapon && gWeapons.IsValid(w) && gWeapons[w].Type() == 6) teamClass = i;
  }
  ASSERT_GE(teamClass, 0);
  SeedRandom(8);
  Infantry* team = rig.AddInfantry(teamClass, 1, 300.0f, 300.0f, 90.0f);
  Infantry* burnt = rig.AddSquad(0, 300.0f, 330.0f, 270.0f);
  burnt->ammo = {};
  rig.headless.Go(1);
  rig.headless.Go(13);
  EXPECT_GT(rig.FirePackets(team, 11), 0);
}

TEST(FireAsPlayed, ABlastStrikesEachUnitOnceAndAVehicleByItsStrengthThere) {
  {
    // One shell bursting beside a squad: the squad takes the blast once.
    BattleTestRig rig;
    Battle& battle = rig.Fresh();
    auto* squad = static_cast<TestInfantry*>(BattleTestRig::MakeUnit(0, 1, 200.0f, 200.0f));
    battle.PlaceUnitAt(squad, squad->x, squad->y);
    squad->side = 0;
    BattleShot* shell = battle.NewShot(0, 0, 0, 1, false);
    shell->kind = 0;
    shell->storedStrength = 60.0f;
    shell->side = 1;
    shell->startX = shell->impactX = 202.0f;
    shell->startY = shell->impactY = 200.0f;
    shell->startZ = shell->impactZ = squad->GetBaseHeight();
    battle.StepShot(*shell);
    EXPECT_EQ(squad->damageCalls, 1);
  }
  // A lorry 3 m from a vehicle blowing up (a stored blast with no weapon behind it) is knocked
  // out by the blast's strength where it stands.
  FireRig rig;
  int32_t lorry = -1;
  for (int32_t i = 0; i < gVehicleClasses.Count() && lorry < 0; ++i) {
    const VehicleData c = gVehicleClasses[i];
    if (c.KindCode() != VehicleData::kKindEmplacement && c.KindCode() != VehicleData::kKindBoat &&
        (c.Flags() & VehicleFlag::kSoftVehicle) == 0) {
      Vehicle probe;
      probe.SetClass(i, 0, 3, 0.0f, 0.0f, 0.0f);
      if (!probe.IsArmored(false)) lorry = i;
    }
  }
  ASSERT_GE(lorry, 0);
  Vehicle* v = rig.AddVehicle(lorry, 0, 1, 300.0f, 300.0f, 0.0f);
  BattleShot* blast = rig.B().NewShot(0, 0, 0, 1, false);
  blast->kind = 0;
  blast->weapon = WeaponData::kNone;
  blast->storedStrength = 5000.0f;
  blast->side = 1;
  blast->startX = blast->impactX = 303.0f;
  blast->startY = blast->impactY = 300.0f;
  blast->startZ = blast->impactZ = v->GetBaseHeight();
  SeedRandom(3);
  rig.B().StepShot(*blast);
  EXPECT_NE(v->knockedOut, 0);
}

TEST(FireAsPlayed, ASquadsBurstTakesItsBearingAndItsCrewSeeksNoTargetPinned) {
  FireRig rig;
  // A squad with its back to the enemy 150 m away fires half its firepower; standing, it keeps
  // its close-range dice.
  Infantry* firer = rig.AddSquad(1, 300.0f, 300.0f, 270.0f);
  Infantry* enemy = rig.AddSquad(0, 300.0f, 450.0f, 270.0f);
  firer->target = enemy;
  const int32_t before = rig.B().shots.Count();
  firer->FireAtTarget(0);
  ASSERT_EQ(rig.B().shots.Count(), before + 1);
  const auto* shot = static_cast<const BattleShot*>(rig.B().shots.GetItem(before));
  const float d = firer->DistanceToPoint(enemy->x, enemy->y);
  EXPECT_FLOAT_EQ(shot->round.firepower, firer->FirepowerAt(d, 0) * 0.5f);
  EXPECT_EQ(shot->round.closeRangeBonus, firer->CloseRangeBonus(d));

  // A gun crew whose turn to look has come takes the squad firing at it 80 m away; pinned, it
  // looks for no target of its own.
  rig.headless.New();
  int32_t crewClass = -1;
  for (int32_t i = 0; i < gInfantryClasses.Count() && crewClass < 0; ++i) {
    const int32_t w = gInfantryClasses[i].MainWeapon();
    if (w != Infantry::kNoWeapon && gWeapons.IsValid(w) && gWeapons[w].Type() == 3 && gWeapons[w].MinRange() < 50.0f) {
      crewClass = i;
    }
  }
  ASSERT_GE(crewClass, 0);
  for (const float suppression : {0.0f, 150.0f}) {
    SCOPED_TRACE(suppression);
    rig.headless.New();
    Infantry* crew = rig.AddInfantry(crewClass, 1, 300.0f, 300.0f, 90.0f);
    Infantry* attacker = rig.AddSquad(0, 300.0f, 380.0f, 270.0f);
    attacker->target = crew;
    crew->suppression = suppression;
    crew->sliceCount = 4000;
    SeedRandom(9);
    AITargeting::ChooseTarget(*crew, false);
    EXPECT_EQ(crew->target, suppression == 0.0f ? attacker : nullptr);
  }
}

TEST(FireAsPlayed, ADrivingVehicleLooksAheadPastVehiclesThatDriveToo) {
  FireRig rig;
  // Two tanks of a side drive east, the second 25 m ahead of the first: the first's look
  // ahead passes it, so it keeps its route and its tries.
  const int32_t tank = 10;
  Vehicle* behind = rig.AddVehicle(tank, 6, 0, 300.0f, 300.0f, 0.0f);
  Vehicle* ahead = rig.AddVehicle(tank, 6, 0, 325.0f, 300.0f, 0.0f);
  for (Vehicle* v : {behind, ahead}) {
    v->waypointCount = 1;
    v->waypoints[0].x = 500.0f;
    v->waypoints[0].y = 300.0f;
    v->waypoints[0].moveMode = 1;
    v->waypoints[0].pointKind = 1;
    v->speed = 0.05f;
  }
  behind->routeTries = 5;
  rig.B().computingAction = 1;  // as in the action phase, where driving vehicles block the way
  behind->CheckPathAhead();
  rig.B().computingAction = 0;
  EXPECT_EQ(static_cast<int8_t>(behind->routeTries), 5);
  EXPECT_EQ(behind->waypointCount, 1);
  EXPECT_EQ(behind->waypoints[0].x, 500.0f);
}
