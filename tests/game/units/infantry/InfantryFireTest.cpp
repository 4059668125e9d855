// Infantry firepower, the hit chances of its shots, the values of its unit pass and its
// choice of ammunition.
#include <gtest/gtest.h>

#include <cmath>

#include "game/units/InfantryValuesRig.h"

namespace {

// The squad class: slot 0 holds weapon 20 (grade 1, 10 per man, anti-armour class 2) for 6
// men, slot 1 weapon 5 (4 per man, no anti-armour class) for 3 men.
struct FireRig : InfantryValuesRig {
  FireRig() {
    SetSmallArms(20, 10.0f, 2);
    SetSmallArms(5, 4.0f, 0);
    SetSlotWeapon(InfantryRig::kSquad, 0, 20);
    SetSlotWeapon(InfantryRig::kSquad, 1, 5);
    // A settled team fires the same weapon.
    SetSlotWeapon(InfantryRig::kTeam, 0, 20);
  }
  void SetSpeedClass(int32_t classIndex, int32_t value) { InfantryRig::Put32(rig.Class(classIndex) + 108, value); }
};

// The facing that puts the other unit at the relative bearing (folded, 0..180).
void FaceSo(Infantry& unit, const Unit& other, float bearing) {
  for (int32_t f = 0; f < 3600; ++f) {
    unit.facing = static_cast<float>(f) * 0.1f;
    if (std::fabs(unit.RelativeBearingToUnit(other, true, true) - bearing) < 0.06f) return;
  }
  FAIL() << "no facing gives " << bearing;
}

}  // namespace

TEST(InfantryFire, FirepowerByMotionStateAndGrade) {
  FireRig f;
  auto squad = f.rig.Make(InfantryRig::kSquad, 6);
  int32_t grade = -1;
  // Standing: 6 x 10 + 3 x 4, scale 60 / 60.
  EXPECT_NEAR(squad->FirepowerAt(100.0f, &grade, false, false), 72.0f, 1e-4f);
  EXPECT_EQ(grade, 1);
  // Moving with speed class 3: nothing; Sneak, hiding and Crawl: nothing.
  squad->speed = 0.05f;
  squad->activityState = Infantry::kMove;
  EXPECT_EQ(squad->FirepowerAt(100.0f, nullptr, false, false), 0.0f);
  squad->speed = 0.0f;
  for (int32_t state : {Infantry::kSneak, Infantry::kHiding, Infantry::kCrawl}) {
    squad->activityState = state;
    EXPECT_EQ(squad->FirepowerAt(100.0f, nullptr, false, false), 0.0f) << state;
    // ignoreMotion skips both tests and the class scale.
    EXPECT_NEAR(squad->FirepowerAt(100.0f, nullptr, true, false), 72.0f, 1e-4f) << state;
  }
  // Speed class 4 walking fires with mode 1 (anti-armour share: only weapon 20 at 0.7).
  f.SetSpeedClass(InfantryRig::kSquad, 4);
  squad->speed = 0.05f;
  squad->activityState = Infantry::kMove;
  EXPECT_NEAR(squad->FirepowerAt(100.0f, nullptr, false, false), 42.0f, 1e-4f);
  // Scale 30 halves the result, but not with ignoreMotion.
  squad->speed = 0.0f;
  squad->activityState = Infantry::kStationary;
  InfantryRig::Put16(f.rig.Class(InfantryRig::kSquad) + 120, 30);
  EXPECT_NEAR(squad->FirepowerAt(100.0f, nullptr, false, false), 36.0f, 1e-4f);
  EXPECT_NEAR(squad->FirepowerAt(100.0f, nullptr, true, false), 72.0f, 1e-4f);
  // The grade follows the first slot's weapon index: 25 or more 2, above 13 1, else 0.
  for (auto [weapon, want] : {std::pair{13, 0}, {14, 1}, {24, 1}, {25, 2}, {31, 2}}) {
    f.SetSmallArms(weapon, 10.0f, 2);
    f.SetSlotWeapon(InfantryRig::kSquad, 0, weapon);
    squad->FirepowerAt(100.0f, &grade, true, false);
    EXPECT_EQ(grade, want) << weapon;
  }
}

TEST(InfantryFire, LongRangeBonusForTheDefendersSquadsThatHeldTheirGround) {
  FireRig f;
  f.SetSpeedClass(InfantryRig::kSquad, 2);
  auto squad = f.rig.Make(InfantryRig::kSquad, 6);  // Axis: side index 0
  const auto ratio = [&](float range) {
    f.attacker = 1;
    const float defending = squad->FirepowerAt(range, nullptr, false, false);
    f.attacker = 0;
    return defending / squad->FirepowerAt(range, nullptr, false, false);
  };
  EXPECT_NEAR(ratio(1000.0f), 1.31848f, 1e-4f);
  EXPECT_FLOAT_EQ(ratio(300.0f), 1.0f);
  EXPECT_NEAR(ratio(1500.0f), 0.79212f + 0.00077576f * 1500.0f - 2.494e-07f * 1500.0f * 1500.0f, 1e-4f);
  EXPECT_NEAR(ratio(1600.0f), 1.4f, 1e-5f);
  // A meeting engagement has no attacker: both sides defend.
  f.attacker = 2;
  const float meeting = squad->FirepowerAt(1000.0f, nullptr, false, false);
  f.attacker = 0;
  EXPECT_NEAR(meeting / squad->FirepowerAt(1000.0f, nullptr, false, false), 1.31848f, 1e-4f);
  // Not for a squad that moved, nor for speed class 3 or more, nor without a grade.
  squad->movementFlag = 1;
  EXPECT_FLOAT_EQ(ratio(1000.0f), 1.0f);
  squad->movementFlag = 0;
  f.SetSpeedClass(InfantryRig::kSquad, 3);
  EXPECT_FLOAT_EQ(ratio(1000.0f), 1.0f);
  f.SetSpeedClass(InfantryRig::kSquad, 2);
  f.SetSmallArms(13, 10.0f, 2);
  f.SetSlotWeapon(InfantryRig::kSquad, 0, 13);
  EXPECT_FLOAT_EQ(ratio(1000.0f), 1.0f);
}

TEST(InfantryFire, HitChancesByBearingTeamCrewAndState) {
  FireRig f;
  auto squad = f.rig.Make(InfantryRig::kSquad, 6);
  auto target = f.rig.Make(InfantryRig::kSquad, 3);
  target->x = 200.0f;
  target->y = 160.0f;
  const auto chances = [&](Infantry& firer, float bearing, int32_t state) {
    FaceSo(firer, *target, bearing);
    firer.activityState = state;
    std::pair<float, float> c{1.0f, 1.0f};
    firer.AdjustHitChances(*target, c.first, c.second);
    return c;
  };
  EXPECT_FLOAT_EQ(chances(*squad, 140.0f, Infantry::kStationary).first, 0.5f);
  EXPECT_FLOAT_EQ(chances(*squad, 140.0f, Infantry::kRun).first, 0.0f);
  EXPECT_FLOAT_EQ(chances(*squad, 140.0f, Infantry::kCrawl).first, 0.0f);
  EXPECT_FLOAT_EQ(chances(*squad, 100.0f, Infantry::kStationary).first, 0.75f);
  EXPECT_FLOAT_EQ(chances(*squad, 100.0f, Infantry::kRun).first, 0.5f * 0.25f);
  EXPECT_FLOAT_EQ(chances(*squad, 100.0f, Infantry::kCrawl).first, 0.5f * 0.4f);
  EXPECT_FLOAT_EQ(chances(*squad, 50.0f, Infantry::kStationary).first, 1.0f);
  // The states' factors on (first, second).
  const std::pair<int32_t, std::pair<float, float>> states[] = {
      {Infantry::kMove, {0.75f, 0.6f}}, {Infantry::kSneak, {0.75f, 0.8f}}, {Infantry::kRun, {0.25f, 0.3f}},
      {Infantry::kHiding, {0.75f, 1.0f}}, {Infantry::kCrawl, {0.4f, 0.5f}}};
  for (const auto& [state, want] : states) {
    const auto got = chances(*squad, 20.0f, state);
    EXPECT_FLOAT_EQ(got.first, want.first) << state;
    EXPECT_FLOAT_EQ(got.second, want.second) << state;
  }
  // A settled team ahead: x 4 against a target in the open, x 2 against hiding infantry,
  // nothing against infantry in cover.
  auto team = f.rig.Make(InfantryRig::kTeam, 6);
  ASSERT_TRUE(team->IsSettledTeam());
  EXPECT_FLOAT_EQ(chances(*team, 30.0f, Infantry::kStationary).first, 4.0f);
  target->activityState = Infantry::kHiding;
  EXPECT_FLOAT_EQ(chances(*team, 30.0f, Infantry::kStationary).first, 2.0f);
  f.SetTerrain(target->x, target->y, 13);
  EXPECT_FLOAT_EQ(chances(*team, 30.0f, Infantry::kStationary).first, 1.0f);
  // A crew: x 0.3 (and no longer settled).
  team->parentUnit = squad.get();
  EXPECT_FLOAT_EQ(chances(*team, 30.0f, Infantry::kStationary).first, 0.3f);
}

TEST(InfantryFireDeathTest, UnknownStateInHitChancesIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  FireRig f;
  auto squad = f.rig.Make(InfantryRig::kSquad, 6);
  squad->activityState = 2;
  float first = 1.0f;
  float second = 1.0f;
  EXPECT_DEATH(squad->AdjustHitChances(*squad, first, second), "Infantry");
}

TEST(InfantryFire, UnitPassValuesByRatingClassAndState) {
  FireRig f;
  auto squad = f.rig.Make(InfantryRig::kSquad, 6);
  const auto values = [&](bool asShown) {
    std::pair<float, float> v;
    squad->UnitPassValues(asShown, v.first, v.second);
    return v;
  };
  squad->rating = 8;
  auto v = values(false);
  EXPECT_NEAR(v.second, 1.5f * 0.42f, 1e-5f);       // class code 5
  EXPECT_NEAR(v.first, 25.0f * 0.42f * 0.42f, 1e-4f);  // standing
  squad->rating = 0;
  const float k0 = 1.358664f;
  InfantryRig::Put32(f.rig.Class(InfantryRig::kSquad) + 112, 10);
  EXPECT_NEAR(values(false).second, 3.0f * k0, 1e-4f);
  // Class code 8: 2.5 with a main weapon whose count byte is set, else 1.7.
  InfantryRig::Put32(f.rig.Class(InfantryRig::kSquad) + 112, 8);
  EXPECT_NEAR(values(false).second, 1.7f * k0, 1e-4f);
  InfantryRig::Put32(f.rig.Class(InfantryRig::kSquad) + 56, InfantryRig::kGunWeapon);
  f.rig.Weapon(InfantryRig::kGunWeapon)[61] = 1;
  EXPECT_NEAR(values(false).second, 2.5f * k0, 1e-4f);
  // The state's exposure: running 80; hiding seen by the enemy counts as standing.
  squad->activityState = Infantry::kRun;
  EXPECT_NEAR(values(false).first, 80.0f * k0 * k0, 1e-3f);
  squad->activityState = Infantry::kHiding;
  squad->identificationLevel = 2;
  EXPECT_NEAR(values(false).first, 25.0f * k0 * k0, 1e-3f);
  // As shown: hiding at the shown position, both restored after.
  squad->lastSeenX = 500.0f;
  squad->lastSeenY = 600.0f;
  EXPECT_NEAR(values(true).first, 20.0f * k0 * k0, 1e-3f);
  EXPECT_EQ(squad->activityState, Infantry::kHiding);
  EXPECT_EQ(squad->x, 100.0f);
  EXPECT_EQ(squad->y, 100.0f);
  // In the set-up phase every squad counts as hiding.
  squad->activityState = Infantry::kRun;
  f.Battle().setupPhase = true;
  EXPECT_NEAR(values(false).first, 20.0f * k0 * k0, 1e-3f);
  EXPECT_EQ(squad->activityState, Infantry::kRun);
}

TEST(InfantryFire, AmmunitionChoice) {
  FireRig f;
  auto squad = f.rig.Make(InfantryRig::kSquad, 6);
  auto other = f.rig.Make(InfantryRig::kSquad, 3);
  squad->ammo = {};
  // Smoke fire at a point: kind 4 while there is smoke, else none.
  squad->flagBytes[Unit::kSmokeFireFlag] = 1;
  EXPECT_EQ(squad->ChooseAmmo(nullptr), Unit::kNoAmmo);
  squad->ammo[4] = 2;
  EXPECT_EQ(squad->ChooseAmmo(nullptr), 4);
  squad->flagBytes[Unit::kSmokeFireFlag] = 0;
  // The antitank weapon being fired: kind 3.
  squad->specialWeaponFiring = 1;
  squad->antitankCount = 1;
  EXPECT_EQ(squad->ChooseAmmo(other.get()), 3);
  squad->specialWeaponFiring = 0;
  // No main weapon and no kind-0 rounds: small arms, kind 0.
  EXPECT_EQ(squad->ChooseAmmo(other.get()), 0);
  // The current target keeps the current kind while it lasts.
  squad->ammo[0] = 5;
  squad->ammo[3] = 1;
  squad->target = other.get();
  squad->ammoKind = 3;
  EXPECT_EQ(squad->ChooseAmmo(other.get()), 3);
  squad->ammo[3] = 0;
  EXPECT_EQ(squad->ChooseAmmo(other.get()), 0);
}
