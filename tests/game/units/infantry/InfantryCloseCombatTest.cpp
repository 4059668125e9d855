// Infantry at close quarters: grenade and charge chances, the close assault chance, throws
// held back by friends near the target, firing from inside a building and the special
// weapon's slice gate.
#include <gtest/gtest.h>

#include "framework/core/Quorl.h"
#include "game/units/InfantryRig.h"

namespace {

struct CloseRig : InfantryRig {
  CloseRig() {
    UseMap();
    SeedRandom(5);
  }
  ~CloseRig() { world.TakeBackLent(); }
  std::unique_ptr<Infantry> At(int32_t classIndex, float px, float py, uint8_t unitSide) {
    auto unit = Make(classIndex, 0);
    unit->x = px;
    unit->y = py;
    unit->side = unitSide;
    unit->fanaticState = 1;
    unit->identificationLevel = 4;
    return unit;
  }
  void Paint(float px, float py, int32_t type) {
    uint16_t& cell = world.Battle().map->terrain.fineGrid.At(static_cast<int32_t>(px / 2.0f), static_cast<int32_t>(py / 2.0f));
    cell = static_cast<uint16_t>((type << 10) | (cell & 0x3FF));
  }
};

TEST(InfantryCloseCombat, GrenadeAndAssaultChances) {
  CloseRig f;
  auto squad = f.At(InfantryRig::kSquad, 200.0f, 200.0f, 0);  // 9 men
  squad->ammo[0] = 100;
  EXPECT_FLOAT_EQ(squad->ThrowChance(20.0f, false), 0.004275f);
  squad->losses = 7;  // two men count as three
  EXPECT_FLOAT_EQ(squad->ThrowChance(30.0f, false), 0.00106875f);
  EXPECT_EQ(squad->ThrowChance(30.0f, true), 0.002f);
  auto team = f.At(InfantryRig::kTeam, 200.0f, 200.0f, 0);
  team->ammo[0] = 100;
  EXPECT_FLOAT_EQ(team->ThrowChance(40.0f, false), 0.5f * 0.000475f * 3.0f * 0.7f);

  EXPECT_FLOAT_EQ(Infantry::CloseAssaultChance(7.5f, 0.0f), 1.2f);
  EXPECT_NEAR(Infantry::CloseAssaultChance(15.0f, 0.0f), 0.0f, 1e-5f);
  EXPECT_EQ(Infantry::CloseAssaultChance(15.5f, 0.0f), 0.0f);
  EXPECT_FLOAT_EQ(Infantry::CloseAssaultChance(5.0f, 100.0f), 1.2f * 0.7f);
  EXPECT_FLOAT_EQ(Infantry::CloseAssaultChance(5.0f, 1000.0f), 1.2f * 0.25f);
}

TEST(InfantryCloseCombat, NoThrowWithAFriendNearTheTarget) {
  CloseRig f;
  auto squad = f.At(InfantryRig::kSquad, 200.0f, 200.0f, 0);
  squad->ammo[0] = 100;
  auto enemy = f.At(InfantryRig::kSquad, 220.0f, 200.0f, 1);
  auto friendNear = f.At(InfantryRig::kTeam, 223.0f, 200.0f, 0);
  f.world.LendOnly({squad.get(), enemy.get(), friendNear.get()});
  squad->target = enemy.get();
  for (int32_t i = 0; i < 3000; ++i) squad->ThrowAtTarget();
  EXPECT_TRUE(f.world.firePackets.empty());
  friendNear->x = 240.0f;
  int32_t tries = 0;
  while (f.world.firePackets.empty() && tries < 20000) {
    squad->ThrowAtTarget();
    ++tries;
  }
  ASSERT_EQ(f.world.firePackets.size(), 1u);
  EXPECT_EQ(squad->timer, 1.5f);
  EXPECT_EQ(squad->activityCodes[0], 9);
  // The throw timer holds the next one back.
  squad->ThrowAtTarget();
  EXPECT_EQ(f.world.firePackets.size(), 1u);
}

TEST(InfantryCloseCombat, FiringInsideABuildingRaisesSuppression) {
  CloseRig f;
  auto squad = f.At(InfantryRig::kSquad, 200.0f, 200.0f, 0);
  squad->ApplyConfinedFireEffects();
  EXPECT_EQ(squad->suppression, 0.0f);
  f.Paint(200.0f, 200.0f, 31);
  squad->ApplyConfinedFireEffects();
  EXPECT_EQ(squad->suppression, 120.0f);
  squad->suppression = 150.0f;
  squad->ApplyConfinedFireEffects();
  EXPECT_EQ(squad->suppression, 150.0f);
}

TEST(InfantryCloseCombat, SpecialWeaponOnlyOnItsSlices) {
  CloseRig f;
  auto squad = f.At(InfantryRig::kSquad, 200.0f, 200.0f, 0);
  squad->antitankCount = 2;
  squad->sliceCounter = 121;
  const uint32_t before = RandomState();
  squad->FireSpecialWeapon();
  // Off its slices the weapon draws nothing and stays ready.
  EXPECT_EQ(RandomState(), before);
  EXPECT_EQ(squad->antitankCount, 2);
  EXPECT_EQ(squad->specialWeaponFiring, 0);
}

}  // namespace
