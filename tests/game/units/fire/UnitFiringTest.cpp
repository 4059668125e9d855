// Targets, ammunition, gun laying, hit chance, the firing action, fire packets, shots and the
// scatter of rounds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "framework/core/GString63.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/TestAirplane.h"
#include "game/units/TestInanimate.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestUnitWorld.h"
#include "game/units/TablesWorldRig.h"
#include "game/units/TestVehicle.h"
#include "game/units/Unit.h"
#include "game/units/records/UnitFirePacket.h"
#include "game/units/fire/WeaponFormulas.h"
#include "support/TestFolder.h"

namespace {

using FireRig = TablesWorldRig;

// A vehicle that fires: settable firepower, hatches, hull tilt and hull-down state.
class Gunner : public TestVehicle {
 public:
  Gunner() {
    answersWeapon = true;
    type23 = true;
  }
  float FirepowerAt(float, int32_t) override { return firepower; }
  bool CanToggleButtoned(bool& flag) const override {
    flag = false;
    return hatches;
  }
  void ToggleButtoned() override {
    ++toggles;
    buttoned = !buttoned;
  }
  float GetHullTilt() const override { return tilt; }
  bool IsHullDownFrom(const Unit&) const override { return hullDown; }
  void SetSize(float size) { std::memcpy(record.data() + 208, &size, sizeof size); }
  void SetFlags(uint16_t flags) { std::memcpy(record.data() + 212, &flags, sizeof flags); }

  float firepower = 50.0f;
  bool hatches = true;
  int32_t toggles = 0;
  float tilt = 0.0f;
  bool hullDown = false;
};

class Rifleman : public TestInfantry {
 public:
  Rifleman() {
    answersWeapon = true;
  }
  float FirepowerAt(float, int32_t) override { return firepower; }
  float firepower = 50.0f;
};

// A knocked-out vehicle that still counts as active (a wreck that can be fired at).
class Wreck : public TestVehicle {
 public:
  bool IsActive() const override { return active; }
  bool active = true;
};

// The first gun of the weapon type with ballistics for high explosive and armour-piercing,
// reaching 1000 m and firing from 10 m.
int32_t FindGun(int32_t type) {
  for (int32_t i = 0; i < gWeapons.Count(); ++i) {
    const WeaponData w = gWeapons[i];
    if (w.Type() == type && w.Mass(0) > 0.0f && w.Velocity(0) > 0.0f && w.Mass(1) > 0.0f && w.Velocity(1) > 0.0f &&
        w.MaxRange() >= 1000.0f && w.MinRange() <= 10.0f && w.Calibre() > 0.0f) {
      return i;
    }
  }
  return -1;
}

void Aim(Gunner& gun, int32_t weapon, int32_t type) {
  gun.weaponId = weapon;
  gun.weaponType = type;
}

}  // namespace

// ---- Targets and ammunition ----

TEST(UnitTargets, AmmunitionChoiceAndWhoMayBeTargeted) {
  FireRig rig;
  Gunner gun;
  gun.side = 1;
  Rifleman men;
  gun.ammo = {0, 5, 0, 0, 0};
  EXPECT_EQ(gun.ChooseAmmo(&men), 1);
  gun.areaFire = 1;
  EXPECT_EQ(gun.ChooseAmmo(nullptr), Unit::kNoAmmo);
  gun.areaFire = 0;
  Gunner tank;
  tank.armored = true;
  gun.ammo = {3, 5, 2, 0, 0};
  EXPECT_EQ(gun.ChooseAmmo(&tank), 2);
  GString63 name;
  Unit::AppendAmmoName(name, 2);
  Unit::AppendAmmoName(name, 6);
  EXPECT_STREQ(name.CStr(), "Tungsten");

  EXPECT_TRUE(gun.CanTarget(men));
  Rifleman friendly;
  friendly.side = 1;
  EXPECT_FALSE(gun.CanTarget(friendly));
  men.surrendered = true;
  EXPECT_FALSE(gun.CanTarget(men));
  men.surrendered = false;
  gun.surrendered = true;
  EXPECT_FALSE(gun.CanTarget(men));
  gun.surrendered = false;
  // The dead: only with a main weapon, and only while the kind says it is still active.
  Wreck wreck;
  wreck.alive = 0;
  EXPECT_FALSE(gun.CanTarget(wreck));
  gun.mainWeapon = true;
  EXPECT_TRUE(gun.CanTarget(wreck));
  wreck.active = false;
  EXPECT_FALSE(gun.CanTarget(wreck));
  // Ambush markers: the own side's only.
  TestInanimate marker;
  marker.objectKind = 3;
  marker.side = 1;
  EXPECT_TRUE(gun.CanTarget(marker));
  marker.side = 0;
  EXPECT_FALSE(gun.CanTarget(marker));
  marker.objectKind = 4;
  marker.side = 1;
  EXPECT_FALSE(gun.CanTarget(marker));
}

TEST(UnitTargets, AmbushMarkersAreLimitedToThirtyASide) {
  FireRig rig;
  Gunner gun;
  gun.side = 1;
  gun.mainWeapon = true;
  gun.inRange = true;
  Aim(gun, FindGun(2), 2);
  gun.SetPosition(200.0f, 200.0f);
  std::vector<std::unique_ptr<TestInanimate>> markers;
  for (int32_t i = 0; i < 29; ++i) {
    markers.push_back(std::make_unique<TestInanimate>());
    markers.back()->objectKind = 3;
    markers.back()->side = 1;
    markers.back()->SetPosition(100.0f + static_cast<float>(i), 600.0f);
    rig.Join(*markers.back());
  }
  // The other side's markers do not count.
  TestInanimate enemyMarker;
  enemyMarker.objectKind = 3;
  rig.Join(enemyMarker);
  EXPECT_TRUE(gun.CanPlaceAmbush(300.0f, 200.0f));
  EXPECT_FALSE(gun.CanPlaceAmbush(600.0f, 200.0f));  // beyond 300 m
  // The 30th is placed as the target; a 31st is refused.
  gun.flagBytes[Unit::kAmbushFlag] = 1;
  gun.SetTarget(nullptr, 300.0f, 200.0f, false, false);
  ASSERT_EQ(rig.world.JoinedUnits().size(), 1u);
  EXPECT_EQ(gun.target, rig.world.JoinedUnits()[0]);
  EXPECT_EQ(gun.target->GetInanimateKind(), 3);
  EXPECT_EQ(gun.target->side, 1);
  EXPECT_EQ(gun.flagBytes[Unit::kAmbushFlag], 0);
  EXPECT_GE(Unit::gDesignationCounter, 10000);
  EXPECT_FALSE(gun.CanPlaceAmbush(300.0f, 220.0f));
  gun.flagBytes[Unit::kAmbushFlag] = 1;
  Unit* before = gun.target;
  gun.SetTarget(nullptr, 300.0f, 220.0f, false, false);
  EXPECT_EQ(rig.world.JoinedUnits().size(), 1u);
  EXPECT_EQ(gun.target, before);
}

TEST(UnitTargets, SetTargetTakesUnitsPointsAndResetsTheRanging) {
  FireRig rig;
  Gunner gun;
  gun.side = 1;
  gun.inRange = true;
  Aim(gun, FindGun(2), 2);
  gun.SetPosition(200.0f, 200.0f);
  Rifleman men;
  men.SetPosition(400.0f, 200.0f);
  gun.shotCounter = 3;
  gun.SetTarget(&men, 0.0f, 0.0f, false, false);
  EXPECT_EQ(gun.target, &men);
  EXPECT_EQ(gun.orderedTarget, &men);
  EXPECT_EQ(gun.areaFire, 0);
  EXPECT_EQ(gun.shotCounter, 0);
  // The same target again is no change.
  gun.shotCounter = 2;
  gun.SetTarget(&men, 0.0f, 0.0f, false, true);
  EXPECT_EQ(gun.shotCounter, 2);
  EXPECT_EQ(gun.orderedTarget, nullptr);
  // Smoke at a unit, and indirect fire, become area fire at its position.
  gun.SetTarget(&men, 0.0f, 0.0f, true, false);
  EXPECT_EQ(gun.target, nullptr);
  EXPECT_EQ(gun.areaFire, 1);
  EXPECT_EQ(gun.targetX, 400.0f);
  EXPECT_EQ(gun.flagBytes[Unit::kSmokeFireFlag], 1);
  gun.indirect = true;
  gun.SetTarget(&men, 0.0f, 0.0f, false, false);
  EXPECT_EQ(gun.target, nullptr);
  EXPECT_EQ(gun.areaFire, 1);
  EXPECT_EQ(gun.flagBytes[Unit::kSmokeFireFlag], 0);
  gun.indirect = false;
  // Out of reach: the order is dropped.
  gun.inRange = false;
  gun.SetTarget(nullptr, 300.0f, 300.0f, false, false);
  EXPECT_EQ(gun.target, nullptr);
  EXPECT_EQ(gun.areaFire, 0);
  // A type-4 weapon takes a unit it cannot see as a point, where it can fire at that point.
  gun.inRange = true;
  Aim(gun, FindGun(2), 4);
  rig.Join(gun);
  rig.Join(men);
  rig.world.Battle().visibilityFactor = 0.0f;
  rig.world.Battle().map->FreeVisibilityCache();
  gun.SetTarget(&men, 0.0f, 0.0f, false, false);
  EXPECT_EQ(gun.target, &men);
  TestInanimate reference;
  reference.objectKind = 2;
  reference.SetPosition(405.0f, 200.0f);
  rig.Join(reference);
  rig.world.Battle().map->FreeVisibilityCache();
  gun.SetTarget(&men, 0.0f, 0.0f, false, false);
  EXPECT_EQ(gun.target, nullptr);
  EXPECT_EQ(gun.areaFire, 1);
  EXPECT_EQ(gun.targetX, 400.0f);
}

TEST(UnitTargets, UseAmmoClearsIndirectTargetsAndShoutsWhenRunningLow) {
  FireRig rig;
  Rifleman mortar;
  mortar.SetPosition(200.0f, 200.0f);
  mortar.indirect = true;
  Rifleman men;
  mortar.target = &men;
  mortar.areaFire = 1;
  mortar.ammo = {1, 0, 0, 0, 1};
  mortar.aimTime = 3.0f;
  mortar.UseAmmo(0);
  EXPECT_EQ(mortar.target, nullptr);
  EXPECT_EQ(mortar.areaFire, 0);
  EXPECT_EQ(mortar.aimTime, 3.0f);  // smoke is left
  mortar.reloadState = 2.0f;
  mortar.UseAmmo(4);
  EXPECT_EQ(mortar.aimTime, 0.0f);
  EXPECT_EQ(mortar.reloadState, 0.0f);

  // With 8 rounds left after the shot, the shout has a 12 in 100 chance: one draw decides.
  Rifleman squad;
  squad.SetPosition(200.0f, 200.0f);
  int32_t shouts = 0;
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    SeedRandom(seed);
    const bool expected = Random(100) < 12;
    squad.ammo = {9, 0, 0, 0, 0};
    rig.world.soundPackets.clear();
    SeedRandom(seed);
    squad.UseAmmo(0);
    EXPECT_EQ(squad.ammo[0], 8);
    EXPECT_EQ(!rig.world.soundPackets.empty(), expected) << seed;
    shouts += expected ? 1 : 0;
  }
  EXPECT_GT(shouts, 15);
  EXPECT_LT(shouts, 60);
  // No shout for a unit with a main weapon.
  squad.mainWeapon = true;
  const uint32_t state = RandomState();
  squad.UseAmmo(0);
  EXPECT_EQ(RandomState(), state);
}

TEST(UnitTargets, GunLayingLimitsAndWaits) {
  FireRig rig;
  Gunner gun;
  gun.side = 1;
  Aim(gun, FindGun(2), 2);
  ASSERT_GE(gun.weaponId, 0);
  gun.SetPosition(200.0f, 200.0f);
  gun.ammo = {0, 5, 0, 0, 0};
  gun.ammoKind = 1;
  Gunner tank;
  tank.SetPosition(500.0f, 200.0f);
  gun.target = &tank;
  const auto lay = [&gun](float tilt, float aim) {
    gun.tilt = tilt;
    gun.gunElevation = gun.goalGunElevation;
    gun.aimTime = aim;
    gun.UpdateGunElevation();
    return gun.goalGunElevation;
  };
  const float flat = lay(0.0f, 1.5f);
  EXPECT_TRUE(std::isfinite(flat));
  EXPECT_LT(std::fabs(flat), 5.0f);
  EXPECT_FLOAT_EQ(gun.aimTime, 1.475f);
  EXPECT_EQ(lay(30.0f - flat, 1.5f), 20.0f);  // 30 degrees against a ground target
  EXPECT_EQ(lay(-40.0f, 1.5f), -12.0f);
  // Against an airplane the window is at 0.5 s and the limit 50 degrees.
  TestAirplane plane;
  plane.SetPosition(500.0f, 200.0f);
  gun.target = &plane;
  const float air = lay(0.0f, 0.5f);
  EXPECT_NEAR(lay(30.0f - air, 0.5f), 30.0f, 1e-4f);
  EXPECT_EQ(lay(60.0f, 0.5f), 50.0f);
  // Outside the window nothing is computed.
  gun.target = &tank;
  EXPECT_EQ(lay(0.0f, 2.0f), 50.0f);
  // The aim time waits while the gun is not laid.
  gun.aimTime = 1.0f;
  gun.gunElevation = 3.0f;
  gun.goalGunElevation = 5.0f;
  gun.UpdateGunElevation();
  EXPECT_EQ(gun.aimTime, 1.0f);
  gun.gunElevation = 5.0f;
  gun.UpdateGunElevation();
  EXPECT_FLOAT_EQ(gun.aimTime, 0.975f);
  // Area fire at the unit's own spot: a finite elevation.
  gun.target = nullptr;
  gun.areaFire = 1;
  gun.targetX = gun.x;
  gun.targetY = gun.y;
  EXPECT_TRUE(std::isfinite(lay(0.0f, 1.5f)));
  // Without a gun only the aim time runs down, not below 0.
  gun.type23 = false;
  gun.aimTime = 0.01f;
  gun.UpdateGunElevation();
  EXPECT_EQ(gun.aimTime, 0.0f);
}

// ---- Shot timing, ranging and hit chance ----

TEST(UnitFiring, ShotTimingByFireType) {
  FireRig rig;
  Gunner gun;
  gun.SetPosition(200.0f, 200.0f);
  const int32_t weapon = FindGun(2);
  const float z = rig.world.Battle().map->ElevationAt(210.0f, 200.0f);
  float d = 0.0f;
  int32_t delay = -1;
  int32_t longest = 0;
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    SeedRandom(seed);
    EXPECT_EQ(gun.ShotTiming(weapon, 5, 0, &delay, 600.0f, 200.0f, z, d), 80);
    EXPECT_GE(delay, 0);
    EXPECT_LE(delay, 479);
    longest = std::max(longest, delay);
  }
  EXPECT_GT(longest, 440);
  // Small arms: 1 s, and d x 0.0027027 s, never under 2 slices.
  EXPECT_EQ(gun.ShotTiming(weapon, 0, 0, &delay, 210.0f, 200.0f, z, d), 2);
  EXPECT_EQ(delay, 40);
  EXPECT_NEAR(d, 10.0f, 0.5f);
  const float zFar = rig.world.Battle().map->ElevationAt(570.0f, 200.0f);
  const int32_t flight = gun.ShotTiming(weapon, 7, 0, &delay, 570.0f, 200.0f, zFar, d);
  EXPECT_EQ(flight, static_cast<int32_t>(d * 0.0027027f * 40.0f));
  EXPECT_GE(flight, 39);
  EXPECT_EQ(gun.ShotTiming(weapon, 4, 0, &delay, 570.0f, 200.0f, zFar, d), 320);
  EXPECT_EQ(delay, 0);
  EXPECT_EQ(gun.ShotTiming(weapon, 6, 0, &delay, 570.0f, 200.0f, zFar, d),
            static_cast<int32_t>((d * 0.0216f + 0.25f) * 40.0f));
  EXPECT_EQ(delay, 30);
  // Guns: the ballistic flight, later from a slow-laying piece.
  const int32_t gunFlight = gun.ShotTiming(weapon, 2, 1, &delay, 570.0f, 200.0f, zFar, d);
  EXPECT_GE(gunFlight, 2);
  EXPECT_EQ(delay, (gWeapons[weapon].Flags() & 1) != 0 ? 22 : 8);
  // Smoke has no ballistics of its own: it flies as high explosive.
  EXPECT_EQ(gun.ShotTiming(weapon, 2, 4, nullptr, 570.0f, 200.0f, zFar, d),
            gun.ShotTiming(weapon, 2, 0, nullptr, 570.0f, 200.0f, zFar, d));
  // A ground launcher's rockets (type 8) fly by their ballistics as a gun's shells do.
  int32_t rocketDelay = -1;
  EXPECT_EQ(gun.ShotTiming(weapon, 8, 0, &rocketDelay, 570.0f, 200.0f, zFar, d),
            gun.ShotTiming(weapon, 2, 0, &delay, 570.0f, 200.0f, zFar, d));
  EXPECT_EQ(rocketDelay, delay);
}

TEST(UnitFiring, RangingLevelCases) {
  FireRig rig;
  Gunner gun;
  gun.SetPosition(200.0f, 200.0f);
  Gunner tank;
  tank.SetPosition(500.0f, 200.0f);
  Rifleman men;
  men.SetPosition(500.0f, 300.0f);
  const auto level = [&gun](int16_t n, const Unit* target, int32_t type) {
    gun.shotCounter = n;
    return gun.RangingLevel(target, type);
  };
  EXPECT_EQ(level(2, &tank, 2), 2);
  gun.speed = 0.1f;  // moving, not stabilised
  EXPECT_EQ(level(2, &tank, 2), 1);
  EXPECT_EQ(level(1, &tank, 2), 1);
  gun.SetFlags(4);  // stabilised: a mover ranges at 2 from the third shot
  EXPECT_EQ(level(2, &tank, 2), 2);
  EXPECT_EQ(level(3, &tank, 2), 2);
  EXPECT_EQ(level(4, &tank, 2), 2);
  gun.speed = 0.0f;
  EXPECT_EQ(level(2, &tank, 1), 1);  // direct fire settles at 1
  tank.speed = 0.05f;
  EXPECT_EQ(level(2, &tank, 4), 2);
  tank.speed = 0.5f;
  EXPECT_EQ(level(2, &tank, 4), 1);
  EXPECT_EQ(level(3, &tank, 2), 2);  // a fast vehicle
  men.speed = 0.5f;
  EXPECT_EQ(level(3, &men, 2), 3);  // infantry: the counter
  EXPECT_EQ(level(4, &men, 2), 3);  // moving and more than 3 shots
  men.speed = 0.0f;
  men.alive = 0;
  EXPECT_EQ(level(1, &men, 2), 2);
  EXPECT_EQ(level(4, &men, 2), 4);
  EXPECT_EQ(level(3, nullptr, 2), 3);
  // A target reference point within 20 m ranges every arcing weapon at once.
  men.alive = 1;
  TestInanimate reference;
  reference.objectKind = 2;
  reference.SetPosition(510.0f, 300.0f);
  rig.Join(reference);
  EXPECT_EQ(level(0, &men, 2), 4);
  EXPECT_EQ(level(0, &men, 1), 0);
  // A kind-6 vehicle never ranges at 0.
  gun.emplacement = true;
  EXPECT_EQ(level(0, &tank, 1), 1);
}

TEST(UnitFiring, HitChanceRangeSightAndNeverNaN) {
  FireRig rig;
  Gunner gun;
  gun.side = 1;
  gun.SetPosition(200.0f, 200.0f);
  const int32_t weapon = FindGun(2);
  ASSERT_GE(weapon, 0);
  Aim(gun, weapon, 2);
  Gunner tank;
  tank.SetSize(2.0f);
  tank.SetPosition(500.0f, 200.0f);
  rig.Join(gun);
  rig.Join(tank);
  gun.target = &tank;
  EXPECT_GT(gun.HitChance(1, 0, &tank, 0, 0), 0.0f);
  // Beyond the maximum range, and within 8 m for a vehicle's arcing gun.
  tank.SetPosition(200.0f + gWeapons[weapon].MaxRange() + 20.0f, 200.0f);
  EXPECT_EQ(gun.HitChance(1, 0, &tank, 0, 0), 0.0f);
  tank.SetPosition(205.0f, 200.0f);
  EXPECT_EQ(gun.HitChance(1, 0, &tank, 0, 0), 0.0f);
  EXPECT_GT(gun.HitChance(1, 0, &tank, 1, 1), 0.0f);  // the special weapon has no such minimum
  // No sight: 0 for every type.
  tank.SetPosition(500.0f, 200.0f);
  rig.world.Battle().visibilityFactor = 0.0f;
  rig.world.Battle().map->FreeVisibilityCache();
  for (int32_t type = 1; type <= 3; ++type) {
    Aim(gun, weapon, type);
    EXPECT_EQ(gun.HitChance(1, 0, &tank, 0, 0), 0.0f);
  }
  // Low visibility (as the cache holds it): 0, never NaN, wherever the size factor
  // 1.2857 V - 0.2857 is not above 0, V = 0.2222 included.
  rig.world.Battle().visibilityFactor = 1.0f;
  Map& map = *rig.world.Battle().map;
  int32_t lowSeen = 0;
  for (int32_t step = 0; step <= 24; ++step) {
    const float stored = step == 24 ? 0.2222f : 0.01f * static_cast<float>(step);
    map.FreeVisibilityCache();
    map.StoreVisibility(&gun, &tank, true, stored, false, false, false);
    float v = -1.0f;
    gun.LineOfSightTo(tank, &v);
    ASSERT_NEAR(v, stored, 0.001f);
    for (int32_t type = 1; type <= 3; ++type) {
      Aim(gun, weapon, type);
      const float p = gun.HitChance(1, 0, &tank, 0, 0);
      ASSERT_TRUE(std::isfinite(p)) << v << " type " << type;
      if (1.2857f * v - 0.2857f <= 0.0f) {
        EXPECT_EQ(p, 0.0f) << v;
      }
    }
    if (v > 0.0f && 1.2857f * v - 0.2857f <= 0.0f) ++lowSeen;
  }
  EXPECT_GT(lowSeen, 10);
  // Above the mark the chance is there again.
  map.FreeVisibilityCache();
  map.StoreVisibility(&gun, &tank, true, 0.5f, false, false, false);
  EXPECT_GT(gun.HitChance(1, 0, &tank, 0, 0), 0.0f);
}

TEST(UnitFiring, HitChanceSizeMovementAndTheSecondArcingType) {
  FireRig rig;
  Gunner gun;
  gun.side = 1;
  gun.SetPosition(200.0f, 200.0f);
  const int32_t weapon = FindGun(2);
  ASSERT_GE(weapon, 0);
  Aim(gun, weapon, 1);
  Gunner tank;
  tank.SetSize(0.1f);
  tank.SetPosition(500.0f, 200.0f);
  rig.Join(gun);
  rig.Join(tank);
  gun.target = &tank;
  const float still = gun.HitChance(1, 40, &tank, 0, 0);
  ASSERT_GT(still, 0.0f);
  ASSERT_LT(still, 0.5f);
  // Hull down: the size x 0.4 with a turret, x 0.65 without (the chance by its square root).
  tank.hullDown = true;
  EXPECT_NEAR(gun.HitChance(1, 40, &tank, 0, 0), still * std::sqrt(0.4f), 1e-5f);
  tank.turret = false;
  EXPECT_NEAR(gun.HitChance(1, 40, &tank, 0, 0), still * std::sqrt(0.65f), 1e-5f);
  tank.hullDown = false;
  // A moving target (t = 1 s): x 10 / (1.2 m (t + 0.2) + 10), m = 10.
  tank.speed = -0.25f;
  EXPECT_NEAR(gun.HitChance(1, 40, &tank, 0, 0), still * 10.0f / 24.4f, 1e-5f);
  tank.speed = 0.0f;
  // A moving firer, type 1 doubled: f = 2 x 0.1 x 40 = 8, M = 10; stabilised M = 26.
  gun.speed = 0.1f;
  EXPECT_NEAR(gun.HitChance(1, 40, &tank, 0, 0), still * 10.0f / (2.0f * 8.0f * 1.6f + 10.0f), 1e-5f);
  gun.SetFlags(8);
  EXPECT_NEAR(gun.HitChance(1, 40, &tank, 0, 0), still * 26.0f / (2.0f * 8.0f * 1.6f + 26.0f), 1e-5f);
  gun.speed = 0.0f;
  EXPECT_NEAR(gun.HitChance(1, 40, &tank, 0, 0), still, 1e-7f);
  gun.firingBytes[Unit::kLaidWhileMoving] = 1;  // just fired while moving: at least f = 4
  EXPECT_NEAR(gun.HitChance(1, 40, &tank, 0, 0), still * 26.0f / (2.0f * 4.0f * 1.6f + 26.0f), 1e-5f);
  gun.firingBytes[Unit::kLaidWhileMoving] = 0;
  // Type 3 is type 2 with three tries: 1 - (1 - v)^3.
  tank.SetSize(2.0f);
  Aim(gun, weapon, 2);
  const float two = gun.HitChance(1, 40, &tank, 0, 0);
  Aim(gun, weapon, 3);
  const float three = gun.HitChance(1, 40, &tank, 0, 0);
  EXPECT_NEAR(three, 1.0f - (1.0f - two) * (1.0f - two) * (1.0f - two), 1e-6f);
  // Better ranging gives a better chance; the condition value 2 halves the angle.
  gun.shotCounter = 4;
  Aim(gun, weapon, 2);
  const float ranged = gun.HitChance(1, 40, &tank, 0, 0);
  EXPECT_GT(ranged, two);
  rig.world.Battle().timeOfDay = 2;
  EXPECT_LT(gun.HitChance(1, 40, &tank, 0, 0), ranged);
  // RollHit draws once against the chance.
  tank.armored = true;
  rig.world.Battle().timeOfDay = 0;
  float chance = 0.0f;
  SeedRandom(7);
  const bool expected = RandomFloat() < ranged;
  SeedRandom(7);
  EXPECT_EQ(gun.RollHit(1, 40, &chance), expected);
  EXPECT_EQ(chance, ranged);
}

// ---- The firing action, packets and shots ----

TEST(UnitFiring, FireAtTargetTimersCounterShockAndHatches) {
  FireRig rig;
  Gunner gun;
  gun.side = 1;
  gun.SetPosition(200.0f, 200.0f);
  const int32_t weapon = FindGun(2);
  Aim(gun, weapon, 2);
  gun.ammo = {10, 10, 0, 0, 0};
  Rifleman men;
  men.SetPosition(400.0f, 200.0f);
  gun.target = &men;
  gun.flagBytes[Unit::kHoldFlag] = 1;  // hiding
  gun.FireAtTarget(0);
  EXPECT_EQ(gun.flagBytes[Unit::kHoldFlag], 0);  // firing ends the hide order
  EXPECT_EQ(gun.burst, 800);
  EXPECT_EQ(gun.firingTimer, 2.5f);
  EXPECT_EQ(gun.shotCounter, 1);
  ASSERT_EQ(rig.world.firePackets.size(), 1u);
  ASSERT_EQ(rig.world.FiledShots().size(), 1u);
  EXPECT_EQ(rig.world.Battle().activityCount[0], 3000);  // the Axis
  ASSERT_EQ(rig.world.shocks.size(), 1u);
  EXPECT_EQ(rig.world.shocks[0], static_cast<int32_t>(std::lround(100.0f * gWeapons[weapon].Calibre())));
  EXPECT_EQ(rig.world.firePackets[0].targetUnit, &men);
  EXPECT_EQ(rig.world.firePackets[0].speedFactor, 2.25f);
  EXPECT_EQ(gun.toggles, 0);  // 200 m
  for (int32_t shot = 0; shot < 6; ++shot) gun.FireAtTarget(0);
  EXPECT_EQ(gun.shotCounter, 4);
  EXPECT_EQ(rig.world.Battle().activityCount[0], 7 * 3000);
  // Timers by type.
  Aim(gun, weapon, 6);
  gun.FireAtTarget(0);
  EXPECT_EQ(gun.firingTimer, 4.5f);
  Aim(gun, weapon, 7);
  gun.FireAtTarget(0);
  EXPECT_EQ(gun.firingTimer, 1.25f);
  // A rocket launcher's salvo fires as any other piece does.
  Aim(gun, weapon, 8);
  const size_t packets = rig.world.firePackets.size();
  gun.FireAtTarget(0);
  EXPECT_EQ(gun.firingTimer, 2.5f);
  EXPECT_EQ(rig.world.firePackets.size(), packets + 1);
  // Close targets make the crew button up: 50 m for high explosive, 25 m otherwise.
  Aim(gun, weapon, 2);
  men.SetPosition(240.0f, 200.0f);
  gun.FireAtTarget(1);
  EXPECT_EQ(gun.toggles, 0);
  gun.FireAtTarget(0);
  EXPECT_EQ(gun.toggles, 1);
  EXPECT_TRUE(gun.buttoned);
  gun.FireAtTarget(0);
  EXPECT_EQ(gun.toggles, 1);  // already buttoned
  // A machine-gun burst leaves the main gun's timer and ranging alone; the creation mark
  // changes nothing.
  EXPECT_EQ(gun.firingBytes[Unit::kCreationMark], 1);
  gun.firingTimer = 0.0f;
  gun.shotCounter = 1;
  gun.firingBytes[Unit::kMachineGunMode] = 1;
  gun.FireAtTarget(0);
  EXPECT_EQ(gun.firingTimer, 0.0f);
  EXPECT_EQ(gun.shotCounter, 1);
  gun.firingBytes[Unit::kMachineGunMode] = 0;
}

TEST(UnitFiring, SmallArmsStopOneTimeInAHundred) {
  FireRig rig;
  Rifleman squad;
  squad.SetPosition(200.0f, 200.0f);
  squad.weaponId = 3;
  squad.weaponType = 0;
  Rifleman men;
  men.SetPosition(300.0f, 200.0f);
  int32_t stops = 0;
  for (uint32_t seed = 1; seed <= 1500; ++seed) {
    SeedRandom(seed);
    squad.target = &men;
    squad.aimTime = 0.0f;
    squad.ammo = {50, 0, 0, 0, 0};
    squad.FireAtTarget(0);
    if (squad.aimTime == Unit::kAimHold) {
      ++stops;
      EXPECT_EQ(squad.target, nullptr);
      EXPECT_GE(squad.reloadState, 20.0f);
      EXPECT_LT(squad.reloadState, 120.0f);
    }
  }
  EXPECT_GE(stops, 5);
  EXPECT_LE(stops, 35);
}

TEST(UnitShots, FirePacketCountsSpeedAndEffectCodes) {
  FireRig rig;
  Rifleman squad;
  squad.side = 1;
  squad.SetPosition(200.0f, 200.0f);
  Rifleman men;
  squad.target = &men;
  squad.firepower = 50.0f;
  UnitFirePacket p = squad.NewFirePacket(0, 3, 5, 10, 100.0f);
  EXPECT_EQ(p.packetKind, 1);
  EXPECT_EQ(p.count, 11);
  EXPECT_EQ(p.slice, 110);
  EXPECT_EQ(p.speedFactor, 1.0f);
  EXPECT_EQ(p.effectCode, 13 + 4);
  EXPECT_EQ(p.shooter, &squad);
  const float powers[] = {106.0f, 71.0f, 41.0f, 21.0f, 20.0f};
  const int16_t codes[] = {19, 18, 17, 16, 15};
  for (int32_t i = 0; i < 5; ++i) {
    squad.firepower = powers[i];
    EXPECT_EQ(squad.NewFirePacket(0, 3, 1, 0, 100.0f).effectCode, codes[i]);
  }
  EXPECT_EQ(squad.NewFirePacket(3, 3, 7, 0, 100.0f).count, 14);
  EXPECT_EQ(squad.NewFirePacket(6, 3, 1, 0, 100.0f).typeSixFlag, 1);
  const int16_t fixed[] = {5, 6, 7, 11, 14};
  const int32_t types[] = {3, 4, 5, 6, 7};
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(squad.NewFirePacket(types[i], 3, 1, 0, 100.0f).effectCode, fixed[i]);
  EXPECT_EQ(squad.NewFirePacket(8, 98, 1, 0, 100.0f).effectCode, 10);
  EXPECT_EQ(squad.NewFirePacket(8, 3, 1, 0, 100.0f).effectCode, 9);
  squad.side = 0;
  EXPECT_EQ(squad.NewFirePacket(8, 3, 1, 0, 100.0f).effectCode, 8);
  // Flag bits: bit 2 for type 1, bit 0 for type 2 and the rest.
  for (int32_t w = 0; w < gWeapons.Count(); ++w) {
    const uint16_t flags = gWeapons[w].Flags();
    EXPECT_EQ(squad.NewFirePacket(1, w, 1, 0, 100.0f).effectCode, (flags & 4) != 0 ? 2 : 1);
    EXPECT_EQ(squad.NewFirePacket(2, w, 1, 0, 100.0f).effectCode, (flags & 1) != 0 ? 1 : 0);
  }
  // Area fire: the point; a vehicle's packet plays at 2.25.
  Gunner gun;
  gun.SetPosition(100.0f, 100.0f);
  gun.areaFire = 1;
  gun.targetX = 300.0f;
  gun.targetY = 310.0f;
  p = gun.NewFirePacket(2, 3, 1, 0, 100.0f);
  EXPECT_EQ(p.speedFactor, 2.25f);
  EXPECT_EQ(p.targetUnit, nullptr);
  EXPECT_EQ(p.targetX, 300.0f);
  EXPECT_EQ(p.targetY, 310.0f);
}

TEST(UnitShots, ShellsHitAirplanesAndMissesLandNearTheTarget) {
  FireRig rig;
  Gunner gun;
  gun.side = 0;
  gun.SetPosition(200.0f, 200.0f);
  const int32_t weapon = FindGun(2);
  Aim(gun, weapon, 2);
  TestAirplane plane;
  plane.SetPosition(400.0f, 200.0f);
  Gunner tank;
  rig.Join(gun);
  rig.Join(plane);
  rig.Join(tank);
  gun.target = &plane;
  UnitFirePacket record = gun.NewFirePacket(2, weapon, 40, 8, 200.0f);
  gun.FireShell(record, 2, weapon, 1, 40, 48);
  ASSERT_EQ(rig.world.FiledShots().size(), 1u);
  EXPECT_EQ(rig.world.FiledShots()[0].hit, 1);
  EXPECT_EQ(rig.world.FiledShots()[0].airplaneTarget, 1);
  EXPECT_EQ(rig.world.FiledShots()[0].dueSlice, 148);
  EXPECT_EQ(gun.shotCounter, 4);
  EXPECT_EQ(record.bodyHit, 1);
  EXPECT_EQ(record.blastValue, WeaponBlastValue(weapon, 1));
  EXPECT_EQ(rig.world.Battle().activityCount[1], 3000);  // the Allies
  // A tank far off with a poor view: the misses land around it, never behind the gun.
  tank.armored = true;
  tank.SetSize(0.05f);
  tank.SetPosition(900.0f, 200.0f);
  gun.target = &tank;
  int32_t misses = 0;
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    SeedRandom(seed);
    gun.shotCounter = 0;
    rig.world.ForgetFiledShots();
    record = gun.NewFirePacket(2, weapon, 40, 8, 700.0f);
    gun.FireShell(record, 2, weapon, 1, 40, 48);
    ASSERT_EQ(rig.world.FiledShots().size(), 1u);
    const Shot shot = rig.world.FiledShots()[0];
    if (shot.hit != 0) continue;
    ++misses;
    EXPECT_EQ(shot.impactX, record.impactX);
    EXPECT_GT(shot.impactX, 200.0f);
    EXPECT_LT(shot.impactX, 200.0f + 700.0f * 1.37f);
    EXPECT_LT(std::fabs(shot.impactY - 200.0f), 700.0f * 0.05f);
  }
  EXPECT_GT(misses, 100);
  // Only a weapon whose fire can be aimed at an aircraft is turned on one: an arcing gun, not a
  // direct-fire one.
  gun.ammo = {5, 5, 0, 0, 0};
  plane.identificationLevel = 4;
  gun.target = &plane;
  int32_t kind = 0;
  const bool arcing = gun.CanFireAtTarget(kind);
  Aim(gun, FindGun(1), 1);
  EXPECT_TRUE(arcing);
  EXPECT_FALSE(gun.CanFireAtTarget(kind));
}

TEST(UnitShots, IndirectFireSpreadsAlongTheHomeEdgeAndAnnouncesItself) {
  FireRig rig;
  Rifleman mortar;
  mortar.side = 1;
  mortar.indirect = true;
  mortar.SetPosition(100.0f, 100.0f);
  int32_t weapon = -1;
  for (int32_t i = 0; i < gWeapons.Count() && weapon < 0; ++i) {
    if (gWeapons[i].Type() == 5 && gWeapons[i].CostClass(1) != 3) weapon = i;
  }
  ASSERT_GE(weapon, 0);
  mortar.weaponId = weapon;
  mortar.weaponType = 5;
  mortar.areaFire = 1;
  mortar.targetX = 500.0f;
  mortar.targetY = 500.0f;
  const auto fire = [&](uint32_t seed, int32_t edge) {
    // Side index 0 holds that edge alone, the other side the edge across.
    for (int32_t& owner : rig.world.Battle().edgeOwner) owner = 2;
    rig.world.Battle().edgeOwner[edge] = 0;
    rig.world.Battle().edgeOwner[(edge + 2) % 4] = 1;
    rig.world.ForgetFiledShots();
    rig.world.soundPackets.clear();
    SeedRandom(seed);
    int32_t flight = 80;
    int32_t due = 200;
    UnitFirePacket record;
    mortar.ResolveShot(&record, 5, weapon, 1, 0, flight, due, 500.0f, 500.0f, 0.0f);
    const std::vector<Shot> filed = rig.world.FiledShots();
    EXPECT_EQ(filed.size(), 1u);
    return filed.empty() ? Shot() : filed[0];
  };
  const Shot across = fire(11, 0);
  const Shot along = fire(11, 1);
  EXPECT_FLOAT_EQ(across.impactX - 500.0f, along.impactY - 500.0f);
  EXPECT_FLOAT_EQ(across.impactY - 500.0f, along.impactX - 500.0f);
  ASSERT_EQ(rig.world.soundPackets.size(), 2u);  // the incoming sound and the explosion
  const UnitSoundPacket& incoming = rig.world.soundPackets[0];
  EXPECT_GE(incoming.sound, 620);
  EXPECT_LE(incoming.sound, 627);
  EXPECT_EQ(incoming.soundKind, 22);
  EXPECT_EQ(incoming.sidePosition[0][2], 10.0f);
  const float leads[] = {2.93f, 3.576f, 3.187f, 1.431f, 1.788f, 3.193f, 1.091f, 0.761f};
  EXPECT_EQ(incoming.slice, 100 + 200 - std::lround(40.0f * leads[incoming.sound - 620]));
  // The barrage widens the spread by a fixed share of the same draws.
  const float quiet = std::hypot(across.impactX - 500.0f, across.impactY - 500.0f);
  rig.world.barrage = true;
  const Shot barrage = fire(11, 0);
  EXPECT_GT(std::hypot(barrage.impactX - 500.0f, barrage.impactY - 500.0f), quiet);
  EXPECT_NEAR((barrage.impactX - 500.0f) / (across.impactX - 500.0f),
              (barrage.impactY - 500.0f) / (across.impactY - 500.0f), 1e-4f);
}

TEST(UnitShots, GroundScatterBoundsOverTenThousandDraws) {
  FireRig rig;
  Gunner gun;
  gun.SetPosition(100.0f, 400.0f);
  gun.speed = 1.0f;  // moving: a wide spread that reaches both limits
  const float d = 400.0f;
  SeedRandom(5);
  float farthest = -1.0e9f;
  float nearest = 1.0e9f;
  int32_t shorts = 0;
  for (int32_t i = 0; i < 10000; ++i) {
    float dx = 0.0f;
    float dy = 0.0f;
    gun.ShotScatter(false, false, nullptr, 500.0f, 400.0f, 40, 8, false, 1, dx, dy);
    const float e = std::hypot(500.0f + dx - gun.x, 400.0f + dy - gun.y) - d;
    farthest = std::max(farthest, e);
    nearest = std::min(nearest, e);
    shorts += e < 0.0f ? 1 : 0;
  }
  EXPECT_LE(farthest, std::max(0.33f * d, 185.0f) + 30.0f + 0.01f);
  EXPECT_GT(farthest, 185.0f);
  EXPECT_GE(nearest, -0.3f * d - 0.01f);
  EXPECT_LT(nearest, -0.2f * d);
  EXPECT_GT(shorts, 4000);
  EXPECT_LT(shorts, 6000);
  // No short rounds on a second try.
  for (int32_t i = 0; i < 200; ++i) {
    float dx = 0.0f;
    float dy = 0.0f;
    gun.ShotScatter(false, true, nullptr, 500.0f, 400.0f, 40, 8, false, 1, dx, dy);
    EXPECT_GE(std::hypot(500.0f + dx - gun.x, 400.0f + dy - gun.y), d - 0.01f);
  }
  // Fire type 6: an offset beyond half the distance is redrawn into 0.45 d .. 0.55 d.
  gun.speed = 0.0f;
  const float near = 20.0f;
  int32_t redrawn = 0;
  for (int32_t i = 0; i < 10000; ++i) {
    float dx = 0.0f;
    float dy = 0.0f;
    gun.ShotScatter(false, false, nullptr, 100.0f + near, 400.0f, 200, 6, false, 0, dx, dy);
    for (float e : {std::fabs(dx), std::fabs(dy)}) {
      EXPECT_LE(e, 0.55f * near + 1e-4f);
      if (e > 0.5f * near) {
        ++redrawn;
        EXPECT_GE(e, 0.45f * near - 1e-4f);
      }
    }
  }
  EXPECT_GT(redrawn, 100);
}

TEST(UnitShots, ExpectedValueScatterDrawsNothing) {
  FireRig rig;
  Gunner gun;
  gun.SetPosition(100.0f, 400.0f);
  gun.speed = 0.2f;
  Gunner tank;
  tank.SetPosition(500.0f, 400.0f);
  tank.speed = 0.3f;
  gun.target = &tank;
  TestAirplane plane;
  plane.SetPosition(500.0f, 300.0f);
  SeedRandom(9);
  const uint32_t state = RandomState();
  for (int32_t type : {1, 2, 3, 4, 6, 8}) {
    float dx = -1.0f;
    float dy = -1.0f;
    gun.ShotScatter(true, false, &tank, 500.0f, 400.0f, 60, type, true, 1, dx, dy);
    EXPECT_TRUE(std::isfinite(dx) && std::isfinite(dy)) << type;
    EXPECT_GE(dx, 0.0f) << type;
    EXPECT_GE(dy, 0.0f) << type;
  }
  float dx = 0.0f;
  float dy = 0.0f;
  gun.ShotScatter(true, false, &plane, 500.0f, 300.0f, 60, 2, false, 1, dx, dy);
  EXPECT_TRUE(std::isfinite(dx) && std::isfinite(dy));
  plane.ShotScatter(true, false, nullptr, 500.0f, 400.0f, 60, 3, false, 1, dx, dy);
  EXPECT_TRUE(std::isfinite(dx) && std::isfinite(dy));
  EXPECT_EQ(RandomState(), state);
  // The same call twice gives the same estimate.
  float ax = 0.0f;
  float ay = 0.0f;
  float bx = 0.0f;
  float by = 0.0f;
  gun.ShotScatter(true, false, &tank, 500.0f, 400.0f, 60, 2, false, 1, ax, ay);
  gun.ShotScatter(true, false, &tank, 500.0f, 400.0f, 60, 2, false, 1, bx, by);
  EXPECT_EQ(ax, bx);
  EXPECT_EQ(ay, by);
}

TEST(UnitShots, FireShockCloseRangeBonusAndShareScaling) {
  FireRig rig;
  Gunner gun;
  gun.SetPosition(100.0f, 100.0f);
  const int32_t weapon = FindGun(2);
  const float calibre = gWeapons[weapon].Calibre();
  const int32_t types[] = {0, 1, 2, 3, 4, 5, 6, 7};
  const int32_t expected[] = {15000, 3000, static_cast<int32_t>(std::lround(100.0f * calibre)),
                              static_cast<int32_t>(std::lround(150.0f * calibre)),
                              static_cast<int32_t>(std::lround(40.0f * calibre)), 0, 4000, 2000};
  for (int32_t i = 0; i < 8; ++i) {
    rig.world.shocks.clear();
    gun.SpreadFireShock(weapon, types[i]);
    if (expected[i] == 0) {
      EXPECT_TRUE(rig.world.shocks.empty());
    } else {
      ASSERT_EQ(rig.world.shocks.size(), 1u);
      EXPECT_EQ(rig.world.shocks[0], expected[i]);
    }
  }
  EXPECT_EQ(gun.CloseRangeBonus(10.0f), 35);
  EXPECT_EQ(gun.CloseRangeBonus(117.5f), 9);  // (107.5 / 215)^2 x 35 = 8.75
  EXPECT_EQ(gun.CloseRangeBonus(225.0f), 0);
  rig.world.Battle().timeOfDay = 2;
  EXPECT_EQ(gun.CloseRangeBonus(67.5f), 9);  // (57.5 / 115)^2 x 35
  EXPECT_EQ(gun.CloseRangeBonus(125.0f), 0);
  EXPECT_EQ(Unit::AmmoKindFactor(2), 1.0f);
  EXPECT_EQ(Unit::AmmoKindFactor(3), 1.2f);
  EXPECT_EQ(Unit::AmmoKindFactor(0), 1.4f);

  UnitFirePacket record;
  record.count = 10;
  int32_t total = 160;
  int32_t a = 40;
  int32_t b = 60;
  ScaleShare(1.5f, record, total, a, b);
  EXPECT_EQ(record.count, 15);
  EXPECT_EQ(a, 60);
  EXPECT_EQ(b, 80);
  EXPECT_EQ(total, 180);
  ScaleShare(0.5f, record, total, a, b);
  EXPECT_EQ(record.count, 8);  // 7.5 + 0.5
  EXPECT_EQ(a, 30);
  EXPECT_EQ(b, 50);
  EXPECT_EQ(total, 150);
}

TEST(UnitShots, SmallArmsBurstsAndSmokeScreens) {
  FireRig rig;
  Rifleman squad;
  squad.side = 1;
  squad.SetPosition(200.0f, 200.0f);
  squad.firepower = 42.0f;
  Rifleman men;
  men.SetPosition(250.0f, 200.0f);
  squad.target = &men;
  int32_t flight = 20;
  int32_t due = 60;
  UnitFirePacket record;
  squad.ResolveShot(&record, 0, 3, 1, 0, flight, due, 250.0f, 200.0f, men.GetBaseHeight());
  ASSERT_EQ(rig.world.FiledShots().size(), 1u);
  const Shot burst = rig.world.FiledShots()[0];
  EXPECT_EQ(burst.smallArms, 1);
  EXPECT_EQ(burst.areaFire, 0);
  EXPECT_EQ(burst.firepower, 42.0f);
  EXPECT_EQ(burst.closeRangeBonus, squad.CloseRangeBonus(squad.DistanceToPoint(250.0f, 200.0f)));
  EXPECT_EQ(burst.dueSlice, 160);
  EXPECT_EQ(record.bodyHit, 1);
  EXPECT_EQ(rig.world.Battle().activityCount[0], 3000);
  // At a point: area fire.
  squad.target = nullptr;
  squad.areaFire = 1;
  squad.ResolveShot(&record, 0, 3, 1, 0, flight, due, 250.0f, 200.0f, 0.0f);
  EXPECT_EQ(rig.world.FiledShots().back().areaFire, 1);

  // Smoke: once three or fewer rounds are left and one lands within 5 m, firing stops.
  Gunner gun;
  gun.SetPosition(200.0f, 200.0f);
  const int32_t weapon = FindGun(2);
  Aim(gun, weapon, 4);
  gun.areaFire = 1;
  gun.targetX = 260.0f;
  gun.targetY = 200.0f;
  gun.ammo = {0, 0, 0, 0, 3};
  int32_t stopped = 0;
  for (uint32_t seed = 1; seed <= 200 && stopped == 0; ++seed) {
    SeedRandom(seed);
    gun.areaFire = 1;
    flight = 320;
    due = 320;
    gun.ResolveShot(&record, 4, weapon, 1, 4, flight, due, 260.0f, 200.0f, 0.0f);
    const float miss = std::hypot(record.impactX - 260.0f, record.impactY - 200.0f);
    EXPECT_EQ(gun.areaFire == 0, miss <= 5.0f) << seed;
    stopped += gun.areaFire == 0 ? 1 : 0;
  }
  EXPECT_EQ(stopped, 1);
}
