// Vehicle purchase cost, the weapon cost value and the thickest armour a weapon defeats.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/units/fire/ArmourFormulas.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/VehicleRig.h"
#include "game/units/fire/WeaponFormulas.h"

namespace {

std::unique_ptr<Vehicle> Make(int32_t classIndex, int32_t rating = 2) {
  auto v = std::make_unique<Vehicle>();
  v->SetClass(classIndex, 0, rating, 500.0f, 500.0f, 0.0f);
  return v;
}

void Plate(VehicleRig& rig, int32_t cls, int32_t part, int32_t facing, int16_t thickness, int16_t slope) {
  rig.PutI16(cls, ArmourLayout::PlateOffset(part, facing), thickness);
  rig.PutI16(cls, ArmourLayout::PlateOffset(part, facing) + 2, slope);
}

// The worked example: an armoured, turret-armoured class with nothing to carry or fire.
void Example(VehicleRig& rig, int32_t cls) {
  Plate(rig, cls, 0, 0, 80, 10);
  Plate(rig, cls, 1, 0, 60, 55);
  Plate(rig, cls, 2, 0, 50, 30);
  Plate(rig, cls, 0, 1, 45, 0);
  Plate(rig, cls, 1, 1, 40, 0);
  Plate(rig, cls, 2, 1, 30, 0);
  Plate(rig, cls, 0, 2, 30, 10);
  Plate(rig, cls, 1, 2, 25, 20);
  Plate(rig, cls, 2, 2, 20, 0);
  rig.PutI16(cls, ArmourLayout::kTop, 15);
  rig.PutI16(cls, ArmourLayout::kTop + 2, 10);
  rig.Class(cls)[ArmourLayout::kTurretArmourPresent] = 1;
  rig.Class(cls)[56] = 4;
  rig.PutI32(cls, 200, 0);
  rig.Class(cls)[204] = 0;
  rig.PutF32(cls, 208, 2.0f);
  rig.PutI16(cls, 116, 300);
  rig.PutI16(cls, 54, 30);
  rig.PutI16(cls, 110, 25);
  rig.PutI32(cls, 112, 4);
  rig.PutF32(cls, 120, 10.0f);
}

// A small-arms table of 34 entries, each with firepower 10 at every range up to 2000 m.
class SmallArmsTable {
 public:
  SmallArmsTable() : kept_(gSmallArms), bytes_(34 * SmallArmsData::kSize) {
    for (int32_t i = 0; i < 34; ++i) {
      uint8_t* e = bytes_.data() + static_cast<size_t>(i) * SmallArmsData::kSize;
      const float ten = 10.0f;
      for (int32_t k = 0; k < 11; ++k) std::memcpy(e + 28 + 4 * k, &ten, 4);
      const int16_t range = 2000;
      std::memcpy(e + 72, &range, 2);
    }
    gSmallArms = DataTable<SmallArmsData>(bytes_.data(), static_cast<uint32_t>(bytes_.size()));
  }
  ~SmallArmsTable() { gSmallArms = kept_; }

 private:
  DataTable<SmallArmsData> kept_;
  std::vector<uint8_t> bytes_;
};

}  // namespace

TEST(VehicleCost, WorkedExampleAndRatings) {
  VehicleRig rig(false);
  Example(rig, 1);
  EXPECT_NEAR(Make(1, 2)->GetPurchaseCost(), 20.6962f, 1e-3);
  EXPECT_NEAR(Make(1, 5)->GetPurchaseCost(), 34.9765f, 1e-3);
  // The measurement leaves turret and hull as they were.
  auto v = Make(1);
  v->turretOffset = 40.0f;
  v->hullPitch = 3.0f;
  const float turned = v->GetPurchaseCost();
  EXPECT_EQ(v->turretOffset, 40.0f);
  EXPECT_EQ(v->hullPitch, 3.0f);
  EXPECT_NEAR(turned, 20.6962f, 1e-3);

  rig.PutI32(2, 112, 5);
  EXPECT_EQ(Make(2)->GetPurchaseCost(), 10.0f);
}

TEST(VehicleCost, ArmourFreeGunMountAndMachineGuns) {
  VehicleRig rig(false);
  SmallArmsTable smallArms;
  // Nothing armoured: x0.7, or x0.85 for a soft vehicle.
  auto bare = [&](int32_t cls) { return (Make(cls)->GetPurchaseCost() - 15.0f) / 0.82f; };
  const float hard = bare(1);
  rig.PutI16(2, 212, 0x400);
  EXPECT_NEAR(bare(2) / hard, 0.85f / 0.7f, 1e-5);

  // A turretless gun (weapon type 6 is worth 33) with 30 degrees each side is held at 45.
  rig.SetWeaponType(6, 6);
  rig.PutI32(3, 68, 6);
  rig.PutI32(4, 68, 6);
  rig.PutI16(4, 84, -30);
  rig.PutI16(4, 86, 30);
  EXPECT_NEAR(bare(4) / bare(3), (0.9f + 0.000667f * 45.0f) / 0.9f, 1e-5);

  // Two group-0 guns share 150 rounds: 75 each.
  rig.PutI32(5, 88, 3);  // bow
  rig.PutI32(5, 92, 3);  // coaxial, one gun
  rig.Class(5)[96] = 1;
  rig.Class(5)[106] = 150;
  const float share = 1.0f - std::pow(0.625f, 3.0f);
  EXPECT_NEAR(Make(5)->MachineGunValue(), (10.0f * 0.16f + 10.0f * 0.2f) * share, 1e-4);
  // A heavy gun short of ammunition counts for what it carries.
  rig.PutI32(6, 88, 30);
  rig.Class(6)[108] = 40;
  EXPECT_NEAR(Make(6)->MachineGunValue(), 10.0f * 0.112f * 0.5f, 1e-5);

  EXPECT_NEAR(Vehicle::ArmourCostFactorFor(55.0f), 1.2941f, 1e-4);
}

TEST(VehicleCost, FreshPriceDrawsNothingAndIgnoresLosses) {
  VehicleRig rig(false);
  Example(rig, 1);
  auto v = Make(1);
  const float plain = v->GetPurchaseCost();
  v->losses = 2;
  SeedRandom(99);
  EXPECT_NEAR(v->PurchaseCost(true), plain, 1e-4);
  EXPECT_EQ(RandomState(), 99u);
  // The kept value is used again, and worked out anew when the class changes.
  EXPECT_NEAR(v->PurchaseCost(true), plain, 1e-4);
  rig.PutI16(1, 116, 600);
  EXPECT_GT(v->PurchaseCost(true), plain);
  EXPECT_EQ(RandomState(), 99u);
}

TEST(VehicleCostDeathTest, ArmourBeyondTheCurveIsFatal) {
  EXPECT_DEATH(Vehicle::ArmourCostFactorFor(226.0f), "Vehicle line 2298");
}

TEST(VehicleCost, EveryBuiltClassHasAPositivePrice) {
  DataTablesRig tables;
  Hack::LoadTables();
  for (int32_t cls = 0; cls < gVehicleClasses.Count(); ++cls) {
    EXPECT_GE(gVehicleClasses[cls].Crew(), 1) << cls;
  }
  // The plates are read as the tables name them: the SdKfz 251's 14 mm front plates at 30 and
  // 55 degrees, 8 mm at the sides; so the half-track counts as armoured.
  const VehicleData halfTrack = gVehicleClasses[0];
  EXPECT_EQ(ArmourLayout::Slope(halfTrack, 1, 0), 30);
  EXPECT_EQ(ArmourLayout::Slope(halfTrack, 2, 0), 55);
  EXPECT_EQ(ArmourLayout::Thickness(halfTrack, 1, 1), 8);
  EXPECT_EQ(halfTrack.MainArmour(), 14);
  for (int32_t cls = 0; cls < gVehicleClasses.Count(); ++cls) {
    for (int32_t rating = 0; rating <= 8; ++rating) {
      auto v = Make(cls, rating);
      const float cost = v->GetPurchaseCost();
      EXPECT_TRUE(std::isfinite(cost) && cost > 0.0f) << cls << " " << rating;
    }
  }
}

TEST(WeaponCost, DefeatedThicknessAndValue) {
  DataTablesRig tables;
  Hack::LoadTables();
  // A gun of the tables defeats more at 100 m than at 2000 m, and nothing stops mines.
  int32_t gun = -1;
  for (int32_t i = 0; i < gWeapons.Count() && gun < 0; ++i) {
    if (gWeapons[i].Type() == 2 && gWeapons[i].Mass(1) > 0.0f) gun = i;
  }
  ASSERT_GE(gun, 0);
  const int32_t calibre = static_cast<int32_t>(gWeapons[gun].Calibre());
  const float near = MaxPenetratedArmour(true, 100.0f, 0.0f, calibre, 1, gun);
  const float far = MaxPenetratedArmour(true, 2000.0f, 0.0f, calibre, 1, gun);
  EXPECT_GT(near, far);
  EXPECT_GT(far, 0.0f);
  EXPECT_GT(near, MaxPenetratedArmour(true, 100.0f, 60.0f, calibre, 1, gun));
  const uint32_t state = RandomState();
  const float value = WeaponCostValue(gun, 4.0f, 80.0f, 0, 4406);
  EXPECT_TRUE(std::isfinite(value) && value > 0.0f);
  EXPECT_EQ(RandomState(), state);
  // Types 6 and 7 are fixed values.
  for (int32_t i = 0; i < gWeapons.Count(); ++i) {
    const int32_t type = gWeapons[i].Type();
    if (type == 6 || type == 7) {
      EXPECT_NEAR(WeaponCostValue(i, 4.0f, 80.0f, 0, 4406), type == 6 ? 33.0f : 16.5f, 1e-4);
    }
  }
}

// A vehicle's own shot interval and laying time, which its rate of fire (and so its price) rests
// on: the 38 cm mortar's 350 kg round takes nearly two minutes to lay, a mortar carrier reloads in
// 6 s between bursts, and a class without a gun has no laying time.
TEST(VehicleCost, RateOfFireFollowsTheGun) {
  DataTablesRig tables;
  Hack::LoadTables();
  auto sturmtiger = Make(60);
  EXPECT_NEAR(sturmtiger->GetAimTime(0, 1), 115.0f, 1e-3);
  EXPECT_EQ(sturmtiger->GetRateOfFireTime(0, 1), 2.5f);
  EXPECT_EQ(sturmtiger->GetRateOfFireTime(0, 0), 4.5f);
  EXPECT_NEAR(sturmtiger->GetRateOfFire(), 60.0f / 117.5f, 1e-4);
  // A green crew lays slower than a veteran one.
  EXPECT_GT(Make(60, 0)->GetAimTime(0, 1), Make(60, 5)->GetAimTime(0, 1));
  // The mortar carrier between bursts, and its open top.
  auto mortar = Make(57);
  EXPECT_EQ(mortar->GetRateOfFireTime(0, 0), 6.0f);
  EXPECT_EQ(mortar->GetRateOfFireTime(0, 1), 2.5f);
  EXPECT_NEAR(mortar->GetAimTime(0, 1), AimTime(20, 4, gWeapons[20].Mass(0), 2.0f) * 0.9f, 1e-5);
  EXPECT_EQ(Make(0)->GetAimTime(0, 1), 0.0f);
  // Varied by at most a fifth either way, from the game's generator.
  SeedRandom(7);
  for (int32_t i = 0; i < 50; ++i) {
    const float t = sturmtiger->GetAimTime(1, 1);
    EXPECT_GE(t, 115.0f * 0.8f - 1e-3f);
    EXPECT_LE(t, 115.0f * 1.2f + 1e-3f);
  }
  EXPECT_NE(RandomState(), 7u);
}

// Every class that can be bought costs between 10 points and a little above the dearest
// armoured vehicle: no gun, rate of fire or ammunition load may lift a price out of the range
// the cost rule was made for. The rocket launchers carry their salvos, not their rockets.
TEST(VehicleCost, EveryClassIsPricedWithinReason) {
  DataTablesRig tables;
  Hack::LoadTables();
  float dearest = 0.0f;
  for (int32_t cls = 0; cls < VehicleData::kBroadFortification; ++cls) {
    const float cost = Make(cls)->PurchaseCost(true);
    EXPECT_GE(cost, 10.0f) << gVehicleClasses[cls].Name();
    EXPECT_LE(cost, 750.0f) << gVehicleClasses[cls].Name();
    dearest = std::max(dearest, cost);
  }
  // The tracked classes' prices go with their ground pressures: the Sturmtiger's 14.9 psi,
  // the Calliope's 14.6, the Tiger B's 14.2 and the Sherman's 13.7 each take 1% a psi above 12.
  EXPECT_NEAR(Make(60)->PurchaseCost(true), 162.367f, 0.01f);   // Sturmtiger
  EXPECT_NEAR(Make(112)->PurchaseCost(true), 665.102f, 0.01f);  // M4A3 Calliope T34, the dearest
  EXPECT_EQ(dearest, Make(112)->PurchaseCost(true));
  EXPECT_NEAR(Make(54)->PurchaseCost(true), 127.884f, 0.01f);     // Panzerwerfer 42
  EXPECT_NEAR(Make(20)->PurchaseCost(true), 224.486f, 0.01f);     // Tiger Ausf B
  EXPECT_NEAR(Make(78)->PurchaseCost(true), 98.103f, 0.01f);    // M4 Sherman
}

// Every class that mounts a machine gun carries a full load for each group its guns draw on,
// and a class without one carries none: an empty group would leave the guns silent in battle
// and their share of the price at nothing. A fresh vehicle starts with its class's loads.
TEST(VehicleCost, EveryMachineGunHasRounds) {
  DataTablesRig tables;
  Hack::LoadTables();
  int32_t armed = 0;
  for (int32_t cls = 0; cls < gVehicleClasses.Count(); ++cls) {
    const VehicleData r = gVehicleClasses[cls];
    std::array<bool, 3> used{};
    for (int32_t gun : {r.BowMachineGun(), r.CoaxialMachineGun(), r.ThirdMachineGun()}) {
      if (gun != Vehicle::kNoSmallArms) used[static_cast<size_t>(WeaponGroupOf(gun))] = true;
    }
    const auto v = Make(cls);
    for (int32_t g = 0; g < 3; ++g) {
      EXPECT_EQ(r.Extra(g) != 0, used[static_cast<size_t>(g)]) << r.Name() << " group " << g;
      EXPECT_EQ(v->machineGunAmmo[static_cast<size_t>(g)], r.Extra(g)) << r.Name();
    }
    const bool any = used[0] || used[1] || used[2];
    EXPECT_EQ(v->AnyMGUsable(false), any) << r.Name();
    if (any) {
      ++armed;
      EXPECT_GT(v->MachineGunValue(), 0.0f) << r.Name();
    }
  }
  EXPECT_EQ(armed, 183);
}

// The prices of the tables as a player of the period would rank them: every light tank below
// every medium tank below every heavy one, and each close-support howitzer vehicle within a
// fifth of the gun vehicle it stands beside.
TEST(VehicleCost, TanksArePricedInThePeriodsOrder) {
  DataTablesRig tables;
  Hack::LoadTables();
  auto price = [](int32_t cls) { return Make(cls)->PurchaseCost(true); };
  const std::vector<std::vector<int32_t>> tiers = {
      {55, 150, 73, 149, 72, 74},  // Luchs, Tetrarch, M5A1 and M3A1 Stuart, Stuart V, M24 Chaffee
      {10, 145, 170, 78, 81},      // PzKpfw IV H, Cromwell IV, Sherman V, M4, M4A3 (75)W
      {155, 19, 87, 20},           // Churchill VII, Tiger E, M26 Pershing, Tiger B
  };
  for (size_t t = 0; t + 1 < tiers.size(); ++t) {
    for (int32_t lower : tiers[t]) {
      for (int32_t upper : tiers[t + 1]) {
        EXPECT_LT(price(lower), price(upper)) << gVehicleClasses[lower].Name() << " " << gVehicleClasses[upper].Name();
      }
    }
  }
  // M4 (105) and M4, Cromwell VI and IV, Churchill V and IV, StuH 42 and StuG III G.
  const std::pair<int32_t, int32_t> pairs[] = {{76, 78}, {146, 145}, {152, 151}, {33, 21}};
  for (const auto& [support, gun] : pairs) {
    const float ratio = price(support) / price(gun);
    EXPECT_TRUE(ratio > 0.8f && ratio < 1.2f) << gVehicleClasses[support].Name() << " " << ratio;
  }
}
