// The unit's estimates for target choice: rate of fire, hit chance and expected miss at a
// unit that is not its target, and firepower of a unit without weapons.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/TestAirplane.h"
#include "game/units/TestUnitWorld.h"
#include "game/units/TablesWorldRig.h"
#include "game/units/TestVehicle.h"
#include "game/units/tables/WeaponData.h"
#include "support/TestFolder.h"

namespace {

using EstimateRig = TablesWorldRig;

class Gun : public TestVehicle {
 public:
  Gun() {
    answersWeapon = true;
    type23 = true;
  }
  void SetSize(float size) { std::memcpy(record.data() + 208, &size, sizeof size); }
};

// A gun with ballistics for armour-piercing that reaches 1000 m.
int32_t FindGun(int32_t type) {
  for (int32_t i = 0; i < gWeapons.Count(); ++i) {
    const WeaponData w = gWeapons[i];
    if (w.Type() == type && w.Mass(1) > 0.0f && w.Velocity(1) > 0.0f && w.MaxRange() >= 1000.0f &&
        w.MinRange() <= 10.0f && w.Calibre() > 0.0f) {
      return i;
    }
  }
  return -1;
}

TEST(UnitEstimates, RateOfFireAndFirepowerWithoutWeapons) {
  TestVehicle unit;
  unit.rateOfFireTime = 2.9f;  // plus the base aim time 0.1
  EXPECT_FLOAT_EQ(unit.GetRateOfFire(), 20.0f);
  EXPECT_EQ(unit.lastRateOfFireMode, 0);
  EXPECT_EQ(unit.Unit::FirepowerAt(100.0f, 0), 0.0f);
}

// As if the other were the target, ranged in three times; the unit's own state is restored.
TEST(UnitEstimates, HitChanceAndImpactAsIfTargeted) {
  EstimateRig rig;
  Gun gun;
  gun.side = 1;
  gun.SetPosition(200.0f, 200.0f);
  const int32_t weapon = FindGun(2);
  ASSERT_GE(weapon, 0);
  gun.weaponId = weapon;
  gun.weaponType = 2;
  Gun tank, other;
  tank.SetSize(2.0f);
  tank.SetPosition(600.0f, 260.0f);
  other.SetPosition(300.0f, 300.0f);
  rig.Join(gun);
  rig.Join(tank);
  rig.Join(other);

  gun.target = &tank;
  gun.shotCounter = 3;
  const float ranged = gun.HitChance(1, 40, &tank, 0, 0);
  float wantX = 0.0f, wantY = 0.0f;
  gun.ShotScatter(true, false, &tank, tank.x, tank.y, 40, 2, false, 1, wantX, wantY);

  gun.target = &other;
  gun.shotCounter = 1;
  const uint32_t before = RandomState();
  EXPECT_EQ(gun.HitChanceAgainst(1, 40, &tank, 0), ranged);
  float dx = -1.0f, dy = -1.0f;
  EXPECT_TRUE(gun.PredictImpact(&tank, 40, 2, false, 1, dx, dy));
  EXPECT_EQ(dx, wantX);
  EXPECT_EQ(dy, wantY);
  EXPECT_EQ(RandomState(), before);  // nothing drawn
  EXPECT_EQ(gun.target, &other);
  EXPECT_EQ(gun.shotCounter, 1);
  // A counter above 3 is kept as it is.
  gun.target = &tank;
  gun.shotCounter = 4;
  const float better = gun.HitChance(1, 40, &tank, 0, 0);
  gun.target = nullptr;
  EXPECT_EQ(gun.HitChanceAgainst(1, 40, &tank, 0), better);
  EXPECT_EQ(gun.shotCounter, 4);
  EXPECT_EQ(gun.target, nullptr);
}

// Only fire types 2 and 3 can be aimed at an airplane: any other pairing predicts no round
// instead of reaching the airplane scatter's fatal branch.
TEST(UnitEstimates, NoImpactIsPredictedForFireAnAirplaneScatterCannotTake) {
  EstimateRig rig;
  Gun gun;
  gun.SetPosition(200.0f, 200.0f);
  TestAirplane plane;
  plane.SetPosition(500.0f, 200.0f);
  rig.Join(gun);
  rig.Join(plane);
  for (int32_t type : {0, 1, 4, 5, 6, 7, 8}) {
    float dx = 5.0f, dy = 5.0f;
    EXPECT_FALSE(gun.PredictImpact(&plane, 40, type, false, 1, dx, dy)) << type;
    EXPECT_EQ(dx, 0.0f);
    EXPECT_EQ(dy, 0.0f);
  }
  float dx = 0.0f, dy = 0.0f;
  EXPECT_TRUE(gun.PredictImpact(&plane, 40, 2, false, 1, dx, dy));
  EXPECT_TRUE(gun.PredictImpact(&plane, 40, 3, false, 1, dx, dy));
  // An airplane's own fire: types 1 to 3 only.
  EXPECT_TRUE(plane.PredictImpact(&gun, 40, 1, false, 0, dx, dy));
  EXPECT_FALSE(plane.PredictImpact(&gun, 40, 4, false, 0, dx, dy));
  EXPECT_FALSE(gun.PredictImpact(nullptr, 40, 2, false, 1, dx, dy));
  EXPECT_EQ(gun.target, nullptr);
}

}  // namespace
