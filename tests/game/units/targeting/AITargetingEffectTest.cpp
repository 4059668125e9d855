// The weapon-effect estimate and the vehicle's hit locations, with the test kinds and the
// real data tables.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/TestAirplane.h"
#include "game/units/TestUnitWorld.h"
#include "game/units/TablesWorldRig.h"
#include "game/units/TestVehicle.h"
#include "game/units/tables/WeaponData.h"
#include "support/TestFolder.h"

namespace {

using EffectRig = TablesWorldRig;

// A test vehicle with plates: armour 100 x facing + 10 x part + 1 mm, struck at the facing and
// side share the test gives; its hit locations are the vehicle rule's.
class Plated : public TestVehicle {
 public:
  Plated() {
    record[ArmourLayout::kTurretArmourPresent] = 1;
  }
  int32_t GetArmorFacingFrom(float, float, bool, bool, float* share) const override {
    if (share != nullptr) *share = sideShare;
    return struckFacing;
  }
  float ComputePenetration(const ArmourRequest& r, ArmourOutcome* outcome) const override {
    const float armour = plateScale * static_cast<float>(100 * r.facing + 10 * r.part + 1);
    if (outcome != nullptr) outcome->ratio = r.calibre > 0.0f ? armour / r.calibre : 0.0f;
    return armour;
  }
  void AssessHit(int32_t viewMode, Unit* shooter, bool threat, float h, bool hullDown, float* armour, float* weight,
                 float* ratio, int32_t& count, float calibre) override {
    AITargeting::AssessVehicleHit(*this, viewMode, *shooter, threat, h, hullDown, armour, weight, ratio, count,
                                  calibre);
  }
  void SetSize(float size) { std::memcpy(record.data() + 208, &size, sizeof size); }
  int32_t struckFacing = 0;
  float sideShare = 0.0f;
  float plateScale = 1.0f;
};

int32_t FindGun(int32_t type) {
  for (int32_t i = 0; i < gWeapons.Count(); ++i) {
    const WeaponData w = gWeapons[i];
    if (w.Type() == type && w.Mass(1) > 0.0f && w.Velocity(1) > 0.0f && w.MaxRange() >= 1000.0f &&
        w.MinRange() <= 10.0f && w.Calibre() > 0.0f && w.Mass(0) > 0.0f) {
      return i;
    }
  }
  return -1;
}

Plated MakeGun(int32_t weapon, int32_t type) {
  Plated gun;
  gun.answersWeapon = true;
  gun.weaponId = weapon;
  gun.weaponType = type;
  gun.mainWeapon = true;
  return gun;
}

TEST(VehicleHitLocations, WeightsBySideShareAndPartShares) {
  EffectRig rig;
  Plated tank, shooter;
  tank.SetPosition(300.0f, 300.0f);
  shooter.SetPosition(100.0f, 300.0f);
  float armour[9], weight[9], ratio[9];
  int32_t n = 0;

  tank.sideShare = 0.25f;
  tank.struckFacing = 0;
  AITargeting::AssessVehicleHit(tank, 1, shooter, false, 0.5f, false, armour, weight, ratio, n, 50.0f);
  ASSERT_EQ(n, 6);
  const float turret[6] = {0.75f * 0.34444f, 0.75f * 0.51111f, 0.75f * 0.14444f,
                           0.25f * 0.34444f, 0.25f * 0.51111f, 0.25f * 0.14444f};
  for (int32_t i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(weight[i], turret[i]) << i;
  // Locations 0..2 at the facing struck, 3..5 at the side, parts 0, 1, 2.
  const float plates[6] = {1, 11, 21, 101, 111, 121};
  for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(armour[i], plates[i]) << i;
  EXPECT_FLOAT_EQ(ratio[4], 111.0f / 50.0f);

  // Hull down: the lower hull is out of reach and the shares are the hull-down ones.
  tank.sideShare = 0.0f;
  AITargeting::AssessVehicleHit(tank, 1, shooter, false, 0.5f, true, armour, weight, ratio, n, 0.0f);
  EXPECT_FLOAT_EQ(weight[0], 0.73684f);
  EXPECT_FLOAT_EQ(weight[1], 0.26316f);
  EXPECT_EQ(weight[2], 0.0f);
  EXPECT_FLOAT_EQ(ratio[0], 1.0f / 75.0f);  // no calibre counts as 75 mm

  // Threat mode adds the rear plates at full weight before the part shares.
  AITargeting::AssessVehicleHit(tank, 1, shooter, true, 0.5f, false, armour, weight, ratio, n, 50.0f);
  ASSERT_EQ(n, 9);
  EXPECT_FLOAT_EQ(weight[6], 0.34444f);
  EXPECT_FLOAT_EQ(weight[7], 0.51111f);
  EXPECT_FLOAT_EQ(weight[8], 0.14444f);
  EXPECT_EQ(armour[6], 201.0f);
  EXPECT_EQ(armour[8], 221.0f);

  // No turret: its locations weigh nothing and its plates are not asked.
  tank.turret = false;
  AITargeting::AssessVehicleHit(tank, 1, shooter, false, 0.5f, false, armour, weight, ratio, n, 50.0f);
  EXPECT_EQ(weight[0], 0.0f);
  EXPECT_EQ(armour[0], 0.0f);
  EXPECT_FLOAT_EQ(weight[1], 0.77777f);
  EXPECT_FLOAT_EQ(weight[2], 0.22222f);
}

TEST(WeaponEffect, GatesOfKindAirplanesRangeAndCloseGuns) {
  EffectRig rig;
  const int32_t weapon = FindGun(2);
  ASSERT_GE(weapon, 0);
  Plated gun = MakeGun(weapon, 2);
  gun.side = 1;
  gun.SetPosition(100.0f, 100.0f);
  Plated soft;
  soft.SetPosition(400.0f, 100.0f);
  rig.Join(gun);
  rig.Join(soft);
  EXPECT_EQ(AITargeting::WeaponEffect(gun, &soft, 6, false, false, false, 0, 1), 0.0f);

  TestAirplane plane, other;
  plane.SetPosition(300.0f, 300.0f);
  EXPECT_EQ(AITargeting::WeaponEffect(gun, &plane, 0, false, false, false, 0, 1), 3.4f);
  EXPECT_EQ(AITargeting::WeaponEffect(plane, &gun, 0, false, false, false, 0, 1), 3.4f);
  EXPECT_EQ(AITargeting::WeaponEffect(plane, &other, 0, false, false, false, 0, 1), 0.0f);

  // Past the maximum range nothing; threat mode allows 50 m more.
  const float maxRange = gWeapons[weapon].MaxRange();
  soft.SetPosition(100.0f + maxRange + 20.0f, 100.0f);
  EXPECT_EQ(AITargeting::WeaponEffect(gun, &soft, 0, false, false, false, 0, 1), 0.0f);
  EXPECT_GT(AITargeting::WeaponEffect(gun, &soft, 0, true, false, false, 0, 1), 0.0f);
  soft.SetPosition(100.0f + maxRange + 60.0f, 100.0f);
  EXPECT_EQ(AITargeting::WeaponEffect(gun, &soft, 0, true, false, false, 0, 1), 0.0f);

  // A vehicle's gun cannot engage within 8 m, unless the estimate is the threat's.
  soft.SetPosition(105.0f, 100.0f);
  EXPECT_EQ(AITargeting::WeaponEffect(gun, &soft, 0, false, false, false, 0, 1), 0.0f);
  EXPECT_GT(AITargeting::WeaponEffect(gun, &soft, 0, true, false, false, 0, 1), 0.0f);
  // Smoke harms nobody and does not reach the formulas' kind checks.
  soft.SetPosition(300.0f, 100.0f);
  EXPECT_EQ(AITargeting::WeaponEffect(gun, &soft, 4, false, false, false, 0, 1), 0.0f);
}

TEST(WeaponEffect, ArmourScoresOnlyPenetratingHitsAndMoraleScales) {
  EffectRig rig;
  const int32_t weapon = FindGun(2);
  ASSERT_GE(weapon, 0);
  Plated gun = MakeGun(weapon, 2);
  gun.side = 1;
  gun.SetPosition(100.0f, 100.0f);
  gun.ammo = {10, 10, 10, 0, 0};
  Plated tank;
  tank.armored = true;
  tank.SetSize(2.0f);
  tank.SetPosition(400.0f, 100.0f);
  rig.Join(gun);
  rig.Join(tank);

  // Thin plates: every location is defeated; thick ones: only the floor of 0.04 (AP) is left.
  tank.plateScale = 0.01f;
  const uint32_t before = RandomState();
  const float thin = AITargeting::WeaponEffect(gun, &tank, 1, false, false, false, 0, 1);
  EXPECT_EQ(RandomState(), before);  // no thin plate makes the round shatter: nothing drawn
  tank.plateScale = 1000.0f;
  const float thick = AITargeting::WeaponEffect(gun, &tank, 1, false, false, false, 0, 1);
  EXPECT_GT(thin, thick);
  EXPECT_GE(thick, 0.04f);

  // The morale bands: 0.15, 0.35, 0.8 of the value (a slow gun keeps it below the cap).
  gun.rateOfFireTime = 29.9f;
  tank.plateScale = 0.01f;
  gun.suppression = 0.0f;
  EXPECT_EQ(AITargeting::WeaponEffect(gun, &tank, 1, false, false, true, 0, 1),
            AITargeting::WeaponEffect(gun, &tank, 1, false, false, false, 0, 1));
  int32_t bands = 0;
  for (const auto& [band, factor] : {std::pair{4, 0.8f}, {5, 0.35f}, {6, 0.15f}}) {
    float s = 0.0f;
    while (gun.GetBand() < band && s < 2000.0f) gun.suppression = s += 1.0f;
    if (gun.GetBand() != band) continue;
    ++bands;
    const float plain = AITargeting::WeaponEffect(gun, &tank, 1, false, false, false, 0, 1);
    ASSERT_LT(plain, 3.4f);
    EXPECT_FLOAT_EQ(AITargeting::WeaponEffect(gun, &tank, 1, false, false, true, 0, 1), plain * factor) << band;
  }
  EXPECT_EQ(bands, 3);
}

// Random pairs of the test kinds with the real weapon records: never above 3.4, never NaN,
// never fatal.
TEST(WeaponEffect, SweepOfRandomPairsStaysInBounds) {
  EffectRig rig;
  Plated a, b;
  rig.Join(a);
  rig.Join(b);
  a.side = 1;
  SeedRandom(17);
  int32_t positive = 0;
  for (int32_t i = 0; i < 20000; ++i) {
    const int32_t w = Random(gWeapons.Count());
    const int32_t type = gWeapons[w].Type();
    if (type < 1 || type > 7 || (type >= 1 && type <= 3 && gWeapons[w].Mass(1) <= 0.0f)) continue;
    a.answersWeapon = true;
    a.weaponId = w;
    a.weaponType = type;
    a.mainWeapon = true;
    // One draw a statement, so that every compiler places the pair alike.
    const float ay = 100.0f + RandomFloatTimes(50.0f);
    a.SetPosition(100.0f + RandomFloatTimes(50.0f), ay);
    const float by = 100.0f + RandomFloatTimes(1500.0f);
    b.SetPosition(100.0f + RandomFloatTimes(1500.0f), by);
    b.armored = Random(2) == 0;
    b.plateScale = RandomFloatTimes(3.0f);
    b.sideShare = RandomFloat();
    b.turret = Random(2) == 0;
    const int32_t k = type == 1 ? 0 : (b.armored ? 1 : 0);
    const bool threat = Random(2) == 0;
    const bool morale = Random(2) == 0;
    const float e = AITargeting::WeaponEffect(a, &b, k, threat, false, morale, 0, 1);
    ASSERT_FALSE(std::isnan(e)) << w;
    ASSERT_LE(e, 3.4f) << w;
    ASSERT_GE(e, 0.0f) << w;
    if (e > 0.0f) ++positive;
  }
  EXPECT_GT(positive, 1000);
}

}  // namespace
