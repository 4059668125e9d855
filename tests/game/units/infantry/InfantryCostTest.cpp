// What an infantry unit costs to buy, and its resupply between battles.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "framework/core/Quorl.h"
#include "game/units/DataTablesRig.h"
#include "game/units/InfantryValuesRig.h"

namespace {

// The squad's slot 0 holds weapon 20 (10 per man at 140 m, grade 1) for 6 men; slot 1 fires
// nothing. Its cost at rating 2: 2 x 9 men + 60 x 0.15 x 1.05 (+ 1 for an Axis squad).
struct CostRig : InfantryValuesRig {
  CostRig() {
    SetSmallArms(20, 10.0f, 2);
    SetSlotWeapon(InfantryRig::kSquad, 0, 20);
    SetSlotWeapon(InfantryRig::kPlatoonHq, 0, 20);
    SetSlotWeapon(InfantryRig::kDemolition, 0, 20);
  }
};

constexpr int32_t kAllied = 3;
constexpr int32_t kAxis = 6;

}  // namespace

TEST(InfantryCost, StrengthFirepowerSideHalvesLeadersAndSpecialRole) {
  CostRig f;
  auto allied = f.rig.Make(InfantryRig::kSquad, kAllied);
  const float whole = 18.0f + 60.0f * 0.15f * 1.05f;
  EXPECT_NEAR(allied->GetPurchaseCost(), whole, 1e-4f);
  auto axis = f.rig.Make(InfantryRig::kSquad, kAxis);
  EXPECT_NEAR(axis->GetPurchaseCost(), whole + 1.0f, 1e-4f);
  // A split half with half the men costs half.
  auto other = f.rig.Make(InfantryRig::kSquad, kAllied);
  allied->linkedHalf = other.get();
  allied->menInSlot[0] = 3;
  EXPECT_NEAR(allied->GetPurchaseCost(), whole / 2.0f, 1e-4f);
  // Grade 2 weapons count x 1.25.
  f.SetSmallArms(26, 10.0f, 2);
  f.SetSlotWeapon(InfantryRig::kSquad, 0, 26);
  EXPECT_NEAR(other->GetPurchaseCost(), 18.0f + 60.0f * 0.15f * 1.25f, 1e-4f);
  // A headquarters of level L adds L + 7.
  auto hq = f.rig.Make(InfantryRig::kPlatoonHq, kAllied);
  const float platoon = hq->GetPurchaseCost();
  f.rig.Class(InfantryRig::kPlatoonHq)[52] = 2;
  EXPECT_NEAR(hq->GetPurchaseCost() - platoon, 1.0f, 1e-4f);
  f.rig.Class(InfantryRig::kPlatoonHq)[52] = 0;
  EXPECT_NEAR(platoon - hq->GetPurchaseCost(), 8.0f, 1e-4f);
  // The special-role byte: x 1.15.
  auto engineers = f.rig.Make(InfantryRig::kDemolition, kAllied);
  const float special = engineers->GetPurchaseCost();
  f.rig.Class(InfantryRig::kDemolition)[51] = 0;
  EXPECT_NEAR(special / engineers->GetPurchaseCost(), 1.15f, 1e-5f);
}

TEST(InfantryCost, FreshPricesAFullSquadWithInitsDraws) {
  CostRig f;
  auto hurt = f.rig.Make(InfantryRig::kSquad, kAllied);
  hurt->losses = 3;
  hurt->menInSlot[0] = 3;
  auto unhurt = f.rig.Make(InfantryRig::kSquad, kAllied);
  EXPECT_LT(hurt->GetPurchaseCost(false), unhurt->GetPurchaseCost(false));
  SeedRandom(77);
  EXPECT_NEAR(hurt->GetPurchaseCost(true), unhurt->GetPurchaseCost(false), 1e-4f);
  const uint32_t afterFresh = RandomState();
  SeedRandom(77);
  Infantry made;
  made.Init(InfantryRig::kSquad, kAllied, hurt->rating, 0.0f, 0.0f, 0.0f);
  EXPECT_EQ(RandomState(), afterFresh);
  // Without fresh nothing is drawn.
  hurt->GetPurchaseCost(false);
  EXPECT_EQ(RandomState(), afterFresh);
}

TEST(InfantryResupply, ChancesBySupplySettingAndCountsNeverLowered) {
  CostRig f;
  auto engineers = f.rig.Make(InfantryRig::kDemolition, kAllied);
  ASSERT_TRUE(engineers->IsSpecialRole());
  SeedRandom(11);
  const float chances[6] = {0.95f, 0.75f, 0.5f, 0.3f, 0.1f, 0.02f};
  for (int32_t setting = 0; setting < 6; ++setting) {
    f.Operation().supply[1] = setting;
    int32_t raised = 0;
    const int32_t trials = 3000;
    for (int32_t i = 0; i < trials; ++i) {
      engineers->chargeCount = 0;
      engineers->ResupplyAmmo();
      raised += engineers->chargeCount;
    }
    EXPECT_NEAR(static_cast<float>(raised) / trials, chances[setting], 0.03f) << setting;
  }
  // Never above 2 by resupply; a count above 2 after a rejoin is kept.
  f.Operation().supply[1] = 0;
  for (uint8_t start : {1, 2, 3}) {
    for (int32_t i = 0; i < 50; ++i) {
      engineers->chargeCount = start;
      engineers->antitankCount = start;
      engineers->ResupplyAmmo();
      if (start >= 2) {
        EXPECT_EQ(engineers->chargeCount, start);
      }
      EXPECT_GE(engineers->chargeCount, start);
      EXPECT_LE(engineers->chargeCount, std::max<uint8_t>(start, 2));
      EXPECT_GE(engineers->antitankCount, start);
      EXPECT_LE(engineers->antitankCount, std::max<uint8_t>(start, 2));
    }
  }
}

TEST(InfantryResupplyDeathTest, OnlyInAnOperationAndWithAKnownSetting) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  CostRig f;
  auto engineers = f.rig.Make(InfantryRig::kDemolition, kAllied);
  f.Operation().supply[1] = 6;
  EXPECT_DEATH(engineers->ResupplyAmmo(), "Infantry");
  f.Operation().supply[1] = 0;
  f.rig.world.EndOperation();
  EXPECT_DEATH(engineers->ResupplyAmmo(), "Infantry");
}

// Every class of the built-in tables prices at every rating, weapon share included, and a
// price query leaves the game's generator where it was.
TEST(InfantryCost, EveryBuiltClassHasAPositivePrice) {
  DataTablesRig tables;
  Hack::LoadTables();
  TestUnitWorld world;
  world.app.editorOpen = false;
  Infantry::Register();
  int32_t armed = 0;
  for (int32_t cls = 0; cls < gInfantryClasses.Count(); ++cls) {
    if (gInfantryClasses[cls].Men() <= 0) continue;
    if (gInfantryClasses[cls].MainWeapon() != Infantry::kNoWeapon) ++armed;
    for (int32_t rating = 0; rating <= 8; ++rating) {
      auto squad = std::make_unique<Infantry>();
      squad->Init(cls, kAllied, rating, 100.0f, 100.0f, 0.0f);
      const uint32_t state = RandomState();
      const float cost = squad->GetPurchaseCost();
      EXPECT_TRUE(std::isfinite(cost) && cost > 0.0f) << cls << " " << rating;
      EXPECT_EQ(RandomState(), state) << cls;
    }
  }
  EXPECT_GT(armed, 0);
}
