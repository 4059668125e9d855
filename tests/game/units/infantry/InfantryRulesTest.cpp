// Infantry designations, names, shown records, the simple overrides, leaders and command,
// and fatigue.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "framework/core/GString63.h"
#include "framework/core/Quorl.h"
#include "game/units/draw/CommandLineCanvas.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/InfantryRig.h"
#include "game/units/TestVehicle.h"

namespace {

std::string NameOf(const Infantry& unit, bool longForm) {
  GString63 text;
  unit.GetDisplayName(text, longForm);
  return text.CStr();
}

}  // namespace

// The queries the computer player plans with: captured, special weapons and the squad's
// firepower falling off with the distance.
TEST(InfantryOverrides, ComputerPlayerQueries) {
  InfantryRig rig;
  auto squad = rig.Make(InfantryRig::kSquad, 6);
  EXPECT_FALSE(squad->HasBeenCaptured());
  squad->released = 1;
  EXPECT_TRUE(squad->HasBeenCaptured());

  // Slot 45: riding; with armourOnly, only inside armour that protects its riders.
  EXPECT_FALSE(squad->IsPassenger(false));
  TestVehicle carrier;
  squad->carrier = &carrier;
  EXPECT_TRUE(squad->IsPassenger(false));
  EXPECT_FALSE(squad->IsPassenger(true));
  carrier.armored = true;
  EXPECT_FALSE(squad->IsPassenger(true));
  carrier.record[205] = 1;
  EXPECT_TRUE(squad->IsPassenger(true));
  carrier.armored = false;
  EXPECT_FALSE(squad->IsPassenger(true));
  squad->carrier = nullptr;

  // Slot 117: a weapon of the squad's own grade counts; else the main weapon decides.
  InfantryRig::Put32(rig.Class(InfantryRig::kSquad) + 68, 3);
  EXPECT_FALSE(squad->CanFireMainWeapon(false));
  EXPECT_FALSE(squad->CanFireMainWeapon(true));
  InfantryRig::Put32(rig.Class(InfantryRig::kSquad) + 68, 14);
  EXPECT_TRUE(squad->CanFireMainWeapon(false));
  auto spotter = rig.Make(InfantryRig::kSpotter, 6);  // type 5
  EXPECT_FALSE(spotter->CanFireMainWeapon(false));
  EXPECT_TRUE(spotter->CanFireMainWeapon(true));
  auto mortar = rig.Make(InfantryRig::kMortar, 6);  // type 4
  EXPECT_TRUE(mortar->CanFireMainWeapon(false));
  EXPECT_EQ(mortar->GetInfantryRoleCode(), 1);

  // Slot 144: a squad's share of its firepower by distance; other units keep it all.
  EXPECT_EQ(squad->GetFireFactor(200.0f), 1.0f);
  EXPECT_EQ(squad->GetFireFactor(300.0f), 0.5f);
  EXPECT_EQ(squad->GetFireFactor(400.0f), 0.0f);
  EXPECT_EQ(spotter->GetFireFactor(400.0f), 1.0f);
}

TEST(InfantryNames, DesignationsBySide) {
  InfantryRig rig;
  Unit::ResetNamingState();
  const int32_t order[] = {InfantryRig::kCompanyHq, InfantryRig::kPlatoonHq, InfantryRig::kSquad, InfantryRig::kSquad,
                           InfantryRig::kTeam, InfantryRig::kPlatoonHq, InfantryRig::kSquad};
  const char* expected[] = {"A-0", "B-0", "B-1", "B-2", "T-1", "C-0", "C-1"};
  for (int32_t i = 0; i < 7; ++i) {
    auto unit = rig.Make(order[i], 6);
    unit->AssignDesignation();
    const std::string got = std::string(1, static_cast<char>(unit->designation >> 8)) + "-" +
                            std::to_string(unit->GetDesignationNumber());
    EXPECT_EQ(got, expected[i]) << i;
    // The other side counts on its own.
    auto allied = rig.Make(order[i], 3);
    allied->AssignDesignation();
    EXPECT_EQ(allied->designation, unit->designation) << i;
  }
  // A split half keeps its origin's number; the counter moves on after a whole squad only.
  // (the half, named first, leaves the counter for its origin).
  auto origin = rig.Make(InfantryRig::kSquad, 6);
  auto half = rig.Make(InfantryRig::kSquad, 6);
  half->linkedHalf = origin.get();
  half->splitFlag = 1;
  origin->linkedHalf = half.get();
  half->AssignDesignation();
  origin->AssignDesignation();
  EXPECT_EQ(half->designation, origin->designation);
  auto next = rig.Make(InfantryRig::kSquad, 6);
  next->AssignDesignation();
  EXPECT_EQ(next->GetDesignationNumber(), origin->GetDesignationNumber() + 1);

  // Platoon letters skip A, T and V.
  Unit::ResetNamingState();
  std::string letters;
  for (int32_t i = 0; i < 20; ++i) {
    auto platoon = rig.Make(InfantryRig::kPlatoonHq, 6);
    platoon->AssignDesignation();
    letters += static_cast<char>(platoon->designation >> 8);
  }
  EXPECT_EQ(letters, "BCDEFGHIJKLMNOPQRSUW");
}

TEST(InfantryNames, NamesByIdentificationLevel) {
  InfantryRig rig;
  rig.SetName(InfantryRig::kSquad, "Rifle", "Thirteen char");
  auto squad = rig.Make(InfantryRig::kSquad, 6);  // the viewer's own: level 4
  EXPECT_EQ(NameOf(*squad, true), "Rifle Squad");
  EXPECT_EQ(NameOf(*squad, false), "Thirteen char Sqd");
  rig.SetName(InfantryRig::kSquad, "Rifle", "Fourteen chars");
  EXPECT_EQ(NameOf(*squad, false), "Fourteen chars");
  auto half = rig.Make(InfantryRig::kSquad, 6);
  squad->linkedHalf = half.get();
  EXPECT_EQ(NameOf(*squad, true), "Rifle Team");
  rig.SetName(InfantryRig::kSquad, "Rifle", "Twelve chars");
  EXPECT_EQ(NameOf(*squad, false), "Twelve chars Team");
  rig.SetName(InfantryRig::kSquad, "Rifle", "Thirteen char");
  EXPECT_EQ(NameOf(*squad, false), "Thirteen char");
  // The editor's flag takes the suffix away, only while the editor is open.
  rig.world.squadSuffixHidden = true;
  EXPECT_EQ(NameOf(*squad, true), "Rifle Team");
  rig.world.app.editorOpen = true;
  EXPECT_EQ(NameOf(*squad, true), "Rifle");
  rig.world.squadSuffixHidden = false;
  rig.world.app.editorOpen = false;

  // An enemy spotter fully identified shows its role; the own side's shows its record.
  rig.SetName(InfantryRig::kSpotter, "Forward observer", "FO");
  auto spotter = rig.Make(InfantryRig::kSpotter, 3);
  spotter->identificationLevel = 4;
  EXPECT_EQ(NameOf(*spotter, true), "Artillery Spotter");
  EXPECT_EQ(NameOf(*spotter, false), "Arty Spotter");
  EXPECT_EQ(NameOf(*rig.Make(InfantryRig::kSpotter, 6), true), "Forward observer");

  // Level 3 names by the weapon's kind.
  auto mortar = rig.Make(InfantryRig::kMortar, 3);
  mortar->identificationLevel = 3;
  EXPECT_EQ(NameOf(*mortar, true), "Mortar?");
  auto team = rig.Make(InfantryRig::kTeam, 3);
  team->identificationLevel = 3;
  InfantryRig::Put32(rig.Class(InfantryRig::kTeam) + 68, 14);
  EXPECT_EQ(NameOf(*team, true), "Machine Gun?");
  InfantryRig::Put32(rig.Class(InfantryRig::kTeam) + 68, 13);
  EXPECT_EQ(NameOf(*team, true), "Crew?");
  auto enemySquad = rig.Make(InfantryRig::kSquad, 3);
  enemySquad->identificationLevel = 3;
  EXPECT_EQ(NameOf(*enemySquad, true), "Infantry Squad?");
  enemySquad->identificationLevel = 2;
  EXPECT_EQ(NameOf(*enemySquad, true), "Infantry?");
  enemySquad->identificationLevel = 1;
  EXPECT_EQ(NameOf(*enemySquad, false), "Infantry sounds?");
  InfantryRig::Put32(rig.Class(InfantryRig::kTeam) + 56, InfantryRig::kGunWeapon);
  team->identificationLevel = 2;
  EXPECT_EQ(NameOf(*team, true), "Gun?");
}

TEST(InfantryNames, TheBuiltInFlamethrowerIsNamedAsOne) {
  // The man-pack flamethrower's record as the built-in table gives it.
  std::vector<uint8_t> flamethrower;
  {
    DataTablesRig tables;
    Hack::LoadTables();
    const uint8_t* record = gWeapons[92].Bytes();
    flamethrower.assign(record, record + WeaponData::kSize);
  }
  InfantryRig rig;
  std::copy(flamethrower.begin(), flamethrower.end(), rig.Weapon(InfantryRig::kGunWeapon));
  InfantryRig::Put32(rig.Class(InfantryRig::kTeam) + 56, InfantryRig::kGunWeapon);
  auto team = rig.Make(InfantryRig::kTeam, 3);
  team->identificationLevel = 3;
  EXPECT_EQ(NameOf(*team, true), "Flamethrower?");
}

TEST(InfantryNames, ShownRecordsAndPortraits) {
  InfantryRig rig;
  const std::pair<int32_t, std::array<int32_t, 2>> byCode[] = {{0, {4, 21}}, {17, {4, 21}}, {3, {81, 91}}, {12, {81, 91}}, {6, {146, 183}}};
  for (const auto& [code, records] : byCode) {
    auto squad = rig.Make(InfantryRig::kSquad, code);
    squad->identificationLevel = 1;
    EXPECT_EQ(squad->GetShownDataIndex(1), records[0]) << code;
    squad->identificationLevel = 2;
    EXPECT_EQ(squad->GetShownDataIndex(1), records[1]) << code;
    squad->identificationLevel = 3;
    EXPECT_EQ(squad->GetShownDataIndex(1), InfantryRig::kSquad);
    squad->identificationLevel = 0;
    EXPECT_EQ(squad->GetShownDataIndex(0), InfantryRig::kSquad);
  }
  // A gun stands as the sound contact record even when its class is known.
  InfantryRig::Put32(rig.Class(InfantryRig::kTeam) + 56, InfantryRig::kGunWeapon);
  auto gun = rig.Make(InfantryRig::kTeam, 3);
  gun->identificationLevel = 2;
  EXPECT_EQ(gun->GetShownDataIndex(1), 81);
  EXPECT_TRUE(gun->HasMainWeaponOfType123());
  EXPECT_FALSE(gun->HasNonGunWeapon());
  EXPECT_EQ(gun->GetPortraitIndexAt(3), 13);
  EXPECT_EQ(rig.Make(InfantryRig::kTeam, 6)->GetPortraitIndexAt(0), 1);
}

TEST(InfantryOverrides, ShotIntervalsAndAimFactors) {
  InfantryRig rig;
  auto squad = rig.Make(InfantryRig::kSquad, 6);
  EXPECT_FLOAT_EQ(squad->GetReloadTime(false, false), 0.1f);
  squad->suppression = 50.0f;
  EXPECT_FLOAT_EQ(squad->GetReloadTime(false, false), 0.15f);
  squad->suppression = 0.0f;
  squad->turnRate = 5.0f;
  squad->waypointCount = 1;
  EXPECT_FLOAT_EQ(squad->GetReloadTime(false, false), 0.2f);
  squad->turnRate = 0.0f;
  squad->waypointCount = 0;
  SeedRandom(8);
  for (int32_t i = 0; i < 500; ++i) {
    const float t = squad->GetRateOfFireTime(1, 0);
    ASSERT_GE(t, 0.08f);
    ASSERT_LT(t, 0.12f);
  }

  auto spotter = rig.Make(InfantryRig::kSpotter, 6, 8);
  EXPECT_FLOAT_EQ(spotter->GetReloadTime(false, false), 108.0f);
  spotter->suppression = 100.0f;
  EXPECT_FLOAT_EQ(spotter->GetReloadTime(false, false), 108.0f) << "no suppression factor for spotters";
  InfantryRig::Put16(rig.Weapon(InfantryRig::kSpotterWeapon) + 88, 2);
  InfantryRig::Put16(rig.Weapon(InfantryRig::kSpotterWeapon) + 90, 2);
  EXPECT_FLOAT_EQ(spotter->GetReloadTime(false, false), 120.0f * 0.45f * 0.5f);

  auto mortar = rig.Make(InfantryRig::kMortar, 6);
  EXPECT_FLOAT_EQ(mortar->GetReloadTime(false, false), 6.0f);
  EXPECT_FLOAT_EQ(mortar->GetReloadTime(false, true), 2.5f);
  mortar->burst = 1;
  EXPECT_FLOAT_EQ(mortar->GetReloadTime(false, false), 2.5f);

  // The close-range factor: at 5 m, at 60 m and from 120 m on.
  rig.UseMap();
  auto target = rig.Make(InfantryRig::kTeam, 3);
  target->SetPosition(105.0f, 100.0f);
  squad->SetPosition(100.0f, 100.0f);
  EXPECT_FLOAT_EQ(squad->GetCloseRangeFactor(), 1.0f) << "no target";
  squad->target = target.get();
  EXPECT_NEAR(squad->GetCloseRangeFactor(), 0.25002f, 1e-6);
  target->SetPosition(160.0f, 100.0f);
  EXPECT_NEAR(squad->GetCloseRangeFactor(), 60.0f * 0.00682f + 0.18182f, 1e-6);
  target->SetPosition(220.0f, 100.0f);
  EXPECT_FLOAT_EQ(squad->GetCloseRangeFactor(), 1.0f);
  squad->target = nullptr;
}

TEST(InfantryOverrides, RangesQueriesAndMovement) {
  InfantryRig rig;
  auto squad = rig.Make(InfantryRig::kSquad, 6);
  auto team = rig.Make(InfantryRig::kTeam, 6);
  squad->speed = team->speed = 2.0f;
  EXPECT_TRUE(squad->IsInRange(40.0f, 1, 5.0f));
  EXPECT_FALSE(squad->IsInRange(40.5f, 1, 5.0f));
  EXPECT_TRUE(team->IsInRange(0.0f, 1, 1.0f));
  EXPECT_FALSE(team->IsInRange(0.1f, 1, 1.0f));
  // Standing: the longest small arms of a slot with men, times the factor.
  InfantryRig::Put16(rig.SmallArms(0) + 72, 300);
  InfantryRig::Put16(rig.SmallArms(1) + 72, 800);
  InfantryRig::Put32(rig.Class(InfantryRig::kSquad) + 72, 1);
  squad->speed = 0.0f;
  EXPECT_TRUE(squad->IsInRange(1200.0f, 1, 1.5f));
  EXPECT_FALSE(squad->IsInRange(1201.0f, 1, 1.5f));
  squad->menInSlot[1] = 0;
  EXPECT_FALSE(squad->IsInRange(301.0f, 0, 1.0f));

  // Weapon grades of a team without a main weapon, by its first small arms.
  int32_t weapon = 0;
  int32_t weaponKind = -1;
  InfantryRig::Put32(rig.Class(InfantryRig::kTeam) + 68, 25);
  EXPECT_EQ(team->QueryWeaponGrade(weapon, weaponKind, 0), 2);
  EXPECT_EQ(weapon, Infantry::kNoWeapon);
  EXPECT_EQ(weaponKind, 0);
  rig.Make(InfantryRig::kMortar, 6)->QueryWeapon(0, weapon, weaponKind);
  EXPECT_EQ(weapon, InfantryRig::kMortarWeapon);
  EXPECT_EQ(weaponKind, 4);
  team->flagBytes[Unit::kSmokeFireFlag] = 1;  // smoke fire changes nothing
  EXPECT_EQ(team->QueryWeaponGrade(weapon, weaponKind, 0), 2);
  team->specialWeaponFiring = 1;
  team->antitankCount = 1;
  EXPECT_EQ(team->QueryWeaponGrade(weapon, weaponKind, 0), 0);
  EXPECT_EQ(weapon, team->antitankWeaponId);
  EXPECT_EQ(weaponKind, 1);

  // Out of ammunition: no rounds of kind 0, no main weapon, not a spotter.
  team->ammo[0] = 0;
  EXPECT_TRUE(team->IsOutOfMainAmmo());
  team->ammo[0] = 3;
  EXPECT_FALSE(team->IsOutOfMainAmmo());
  auto spotter = rig.Make(InfantryRig::kSpotter, 6);
  spotter->ammo[0] = 0;
  EXPECT_FALSE(spotter->IsOutOfMainAmmo());
  EXPECT_EQ(spotter->GetPurchaseCode(), 3);
  EXPECT_EQ(rig.Make(InfantryRig::kPlatoonHq, 6)->GetPurchaseCode(), 1);
  EXPECT_EQ(rig.Make(InfantryRig::kMortar, 6)->GetPurchaseCode(), 2);
  EXPECT_EQ(squad->GetPurchaseCode(), 0);
  EXPECT_EQ(rig.Make(InfantryRig::kTeam, 6)->GetPurchaseCode(), 10);
  EXPECT_TRUE(rig.Make(InfantryRig::kMortar, 6)->HasMainWeaponOfType23(true));
  EXPECT_FALSE(rig.Make(InfantryRig::kMortar, 6)->HasMainWeaponOfType23(false));
  EXPECT_TRUE(rig.Make(InfantryRig::kMortar, 6)->HasNonGunWeapon());
  EXPECT_FALSE(rig.Make(InfantryRig::kMortar, 6)->HasMainWeaponOfType123());
  EXPECT_TRUE(squad->HasNonGunWeapon()) << "no weapon counts as no gun";
  EXPECT_FLOAT_EQ(squad->GetStrengthValue(), 9.0f);

  // Class code 9 or more moves only while riding.
  InfantryRig::Put32(rig.Class(InfantryRig::kTeam) + 112, 9);
  EXPECT_TRUE(team->IsTypeClass9OrMore());
  EXPECT_FALSE(team->CanMove());
  rig.world.Battle().setupPhase = true;
  EXPECT_TRUE(team->CanMove());
  rig.world.Battle().setupPhase = false;
  TestVehicle truck;
  team->carrier = &truck;
  EXPECT_TRUE(team->IsPassenger());
  EXPECT_TRUE(team->CanMove());
  team->immobilized = 1;
  EXPECT_FALSE(team->CanMove());
}

// ---- Leaders and command ----

namespace {

struct CommandRig : InfantryRig {
  CommandRig() {
    UseMap();
    squad = Make(kSquad, 6);
    squad->SetPosition(200.0f, 200.0f);
    world.Lend(squad.get());
  }
  ~CommandRig() { world.TakeBackLent(); }
  // A leader of the squad's side at a distance east of it, with a rating and command rating.
  std::unique_ptr<Infantry> Leader(int32_t classIndex, float distance, int32_t rating, int32_t command) {
    auto leader = Make(classIndex, 6, rating);
    leader->leaderRatings = static_cast<uint8_t>(command);
    leader->SetPosition(200.0f + distance, 200.0f);
    world.Lend(leader.get());
    return leader;
  }
  // Lines stored in a later slice than the last move hold.
  void Block(const Unit& leader) {
    ++world.Battle().currentSlice;
    world.Battle().map->StoreVisibility(&leader, squad.get(), false, 0.0f, false, false, false);
  }
  void Clear(const Unit& leader) {
    ++world.Battle().currentSlice;
    world.Battle().map->StoreVisibility(&leader, squad.get(), true, 1.0f, false, false, false);
  }
  std::unique_ptr<Infantry> squad;
};

}  // namespace

TEST(InfantryCommand, ReachAndSightOfALeader) {
  CommandRig rig;
  EXPECT_FLOAT_EQ(Infantry::LeaderCommandRange(2, 5), 130.0f);
  auto near = rig.Leader(InfantryRig::kCompanyHq, 60.0f, 5, 2);
  rig.Block(*near);
  rig.squad->FindCommandingLeader();
  EXPECT_EQ(rig.squad->commandingLeader, near.get()) << "within half the reach no sight is needed";
  EXPECT_TRUE(rig.squad->HasCommand());
  near->SetPosition(270.0f, 200.0f);
  rig.Block(*near);
  rig.squad->FindCommandingLeader();
  EXPECT_EQ(rig.squad->commandingLeader, nullptr) << "past half the reach sight is needed";
  rig.Clear(*near);
  rig.squad->FindCommandingLeader();
  EXPECT_EQ(rig.squad->commandingLeader, near.get());
  near->SetPosition(331.0f, 200.0f);
  rig.Clear(*near);
  rig.squad->FindCommandingLeader();
  EXPECT_EQ(rig.squad->commandingLeader, nullptr) << "out of reach";
  // A surrendered squad has no leader.
  near->SetPosition(210.0f, 200.0f);
  rig.squad->surrendered = 1;
  rig.squad->FindCommandingLeader();
  EXPECT_EQ(rig.squad->commandingLeader, nullptr);
}

TEST(InfantryCommand, WhichLeaderCommands) {
  CommandRig rig;
  auto otherPlatoon = rig.Leader(InfantryRig::kPlatoonHq, 10.0f, 5, 2);
  auto company = rig.Leader(InfantryRig::kCompanyHq, 30.0f, 5, 2);
  auto companyTie = rig.Leader(InfantryRig::kCompanyHq, 30.0f, 5, 2);
  rig.squad->FindCommandingLeader();
  EXPECT_EQ(rig.squad->commandingLeader, company.get()) << "another platoon's leader is ignored; a tie keeps the first";
  EXPECT_NE(rig.squad->stateChanged, 0);
  auto own = rig.Leader(InfantryRig::kPlatoonHq, 50.0f, 5, 2);
  rig.squad->platoonLeader = own.get();
  rig.squad->FindCommandingLeader();
  EXPECT_EQ(rig.squad->commandingLeader, own.get()) << "the own platoon leader in reach wins";
  // A team takes any leader, the nearest first.
  auto team = rig.Make(InfantryRig::kTeam, 6);
  team->SetPosition(200.0f, 200.0f);
  team->FindCommandingLeader();
  EXPECT_EQ(team->commandingLeader, otherPlatoon.get());
  // An enemy or a broken leader commands nobody.
  otherPlatoon->side = 0;
  company->alive = 0;
  team->FindCommandingLeader();
  EXPECT_EQ(team->commandingLeader, companyTie.get());
}

TEST(InfantryCommand, EffectiveRatings) {
  CommandRig rig;
  auto leader = rig.Leader(InfantryRig::kCompanyHq, 10.0f, 7, 0);
  leader->leaderRatings = 0x46;  // command 2, aspect 1: 1, aspect 0: 0, aspect 2: 1
  EXPECT_EQ(leader->GetEffectiveRating(0), 8);
  EXPECT_EQ(leader->GetEffectiveRating(1), 8);
  EXPECT_EQ(leader->GetEffectiveRating(2), 8) << "7 + 1 + 1 capped";
  EXPECT_EQ(leader->GetEffectiveRating(3), 8);
  leader->rating = 3;
  EXPECT_EQ(leader->GetEffectiveRating(0), 4);
  EXPECT_EQ(leader->GetEffectiveRating(1), 4);
  EXPECT_EQ(leader->GetEffectiveRating(2), 5);
  EXPECT_EQ(leader->GetEffectiveRating(3), 6);

  rig.squad->rating = 2;
  EXPECT_EQ(rig.squad->GetEffectiveRating(3), 2);
  rig.squad->commandingLeader = leader.get();
  EXPECT_EQ(rig.squad->GetEffectiveRating(0), 3);
  EXPECT_EQ(rig.squad->GetEffectiveRating(2), 4);
  EXPECT_EQ(rig.squad->GetEffectiveRating(3), 5);
  EXPECT_EQ(rig.squad->GetEffectiveRating(1), 2) << "no target the leader sees";
  auto enemy = rig.Make(InfantryRig::kTeam, 3);
  enemy->SetPosition(300.0f, 200.0f);
  rig.squad->target = enemy.get();
  rig.world.Battle().map->StoreVisibility(leader.get(), enemy.get(), true, 1.0f, false, false, false);
  EXPECT_EQ(rig.squad->GetEffectiveRating(1), 3);
  rig.squad->target = nullptr;
  rig.squad->rating = 8;
  EXPECT_EQ(rig.squad->GetEffectiveRating(3), 8);
  leader->alive = 0;
  EXPECT_EQ(rig.squad->GetEffectiveRating(3), 8);
}

TEST(InfantryCommand, FatigueBuildsAndRecovers) {
  CommandRig rig;
  Infantry& squad = *rig.squad;
  squad.rating = 0;
  squad.fatigue = 1.0f;
  squad.activityState = Infantry::kStationary;
  squad.UpdateFatigue();
  EXPECT_NEAR(squad.fatigue, 1.0f - 0.0068f, 1e-6);
  squad.activityState = Infantry::kHiding;
  squad.fatigue = 0.001f;
  squad.UpdateFatigue();
  EXPECT_EQ(squad.fatigue, 0.0f) << "never below 0";
  squad.activityState = Infantry::kMove;
  squad.UpdateFatigue();
  EXPECT_EQ(squad.fatigue, 0.0f);
  squad.activityState = Infantry::kRun;
  squad.UpdateFatigue();
  EXPECT_NEAR(squad.fatigue, 0.0222333f, 1e-6);
  InfantryRig::Put32(rig.Class(InfantryRig::kSquad) + 116, 1);
  squad.fatigue = 0.0f;
  squad.UpdateFatigue();
  EXPECT_NEAR(squad.fatigue, 4.0f * 0.0222333f, 1e-6);
  InfantryRig::Put32(rig.Class(InfantryRig::kSquad) + 116, 0);
  squad.activityState = Infantry::kCrawl;
  squad.fatigue = 0.0f;
  squad.UpdateFatigue();
  EXPECT_NEAR(squad.fatigue, 0.0081f, 1e-6);
  // Deep snow triples it while moving over open ground.
  rig.world.Battle().groundCondition = 8;
  squad.speed = 1.0f;
  squad.fatigue = 0.0f;
  squad.UpdateFatigue();
  EXPECT_NEAR(squad.fatigue, 3.0f * 0.0081f, 1e-6);
  rig.world.Battle().groundCondition = 5;
  squad.fatigue = 0.0f;
  squad.UpdateFatigue();
  EXPECT_NEAR(squad.fatigue, 2.0f * 0.0081f, 1e-6);
  squad.speed = 0.0f;
  squad.activityState = Infantry::kRun;
  squad.fatigue = 59.99f;
  squad.UpdateFatigue();
  EXPECT_EQ(squad.fatigueLevel, 2);

  // Between battles.
  squad.fatigue = 300.0f;
  squad.slicePassFlag = 1;
  squad.timer = 1.5f;
  squad.casualtyFlag = 1;
  squad.immobilized = 1;
  squad.ResetBetweenBattles();
  EXPECT_EQ(squad.fatigue, 87.5f);
  EXPECT_EQ(squad.fatigueLevel, 2);
  EXPECT_EQ(squad.slicePassFlag, 0);
  EXPECT_EQ(squad.timer, 0.0f);
  EXPECT_EQ(squad.activityState, 0);
  EXPECT_EQ(squad.immobilized, 0);
  squad.fatigue = 120.0f;
  squad.ResetBetweenBattles();
  EXPECT_EQ(squad.fatigue, 0.0f);
  EXPECT_EQ(squad.fatigueLevel, 0);

  EXPECT_TRUE(Infantry::IsGroundConditionTerrain(27));
  EXPECT_FALSE(Infantry::IsGroundConditionTerrain(1));
  EXPECT_FALSE(Infantry::IsGroundConditionTerrain(25));
}

TEST(InfantryOverrides, ReturningMenFindASlot) {
  InfantryRig rig;
  auto squad = rig.Make(InfantryRig::kSquad, 3);  // slots of 6 and 3
  squad->losses = 2;
  squad->menInSlot = {4, 3, 0, 0};
  SeedRandom(3);
  EXPECT_EQ(squad->ReturnManToSlot(), 0);
  EXPECT_EQ(squad->menInSlot[0], 5);
  // Shortfalls of 1 against 3 men missing: every draw still gives the man a slot.
  for (uint32_t seed = 0; seed < 20; ++seed) {
    SeedRandom(seed);
    squad->losses = 3;
    squad->menInSlot = {5, 3, 0, 0};
    ASSERT_EQ(squad->ReturnManToSlot(), 0) << seed;
    ASSERT_EQ(squad->menInSlot[0], 6);
  }
  // No slot short of men: none takes him; nobody missing: no draw.
  squad->menInSlot = {6, 3, 0, 0};
  EXPECT_EQ(squad->ReturnManToSlot(), -1);
  EXPECT_EQ(squad->menInSlot, (std::array<uint8_t, 4>{6, 3, 0, 0}));
  squad->losses = 0;
  SeedRandom(11);
  const int32_t before = RandomPreservingSeed();
  EXPECT_EQ(squad->ReturnManToSlot(), -1);
  EXPECT_EQ(RandomPreservingSeed(), before);
}

namespace {

struct LineRecorder : CommandLineCanvas {
  void SetLineStyle(int32_t style) override { styles.push_back(style); }
  void DrawTerrainLine(int32_t layer, int32_t mode, float x0, float, float, float x1, float, float) override {
    EXPECT_EQ(layer, 1);
    EXPECT_EQ(mode, 0);
    ends.push_back({x0, x1});
  }
  std::vector<int32_t> styles;
  std::vector<std::array<float, 2>> ends;
};

}  // namespace

TEST(InfantryCommand, CommandLines) {
  CommandRig rig;
  auto platoon = rig.Leader(InfantryRig::kPlatoonHq, 20.0f, 2, 0);
  auto company = rig.Leader(InfantryRig::kCompanyHq, 40.0f, 2, 0);
  auto other = rig.Make(InfantryRig::kSquad, 6);
  other->SetPosition(150.0f, 200.0f);
  rig.world.Lend(other.get());
  rig.squad->platoonLeader = platoon.get();
  other->commandingLeader = platoon.get();

  LineRecorder lines;
  rig.squad->DrawCommandLines(lines);
  EXPECT_EQ(lines.styles, (std::vector<int32_t>{14})) << "to the platoon leader";
  EXPECT_EQ(lines.ends[0], (std::array<float, 2>{200.0f, 220.0f}));
  rig.squad->commandingLeader = company.get();
  lines = LineRecorder{};
  rig.squad->DrawCommandLines(lines);
  EXPECT_EQ(lines.styles, (std::vector<int32_t>{13})) << "to the commanding leader first";
  company->alive = 0;
  lines = LineRecorder{};
  rig.squad->DrawCommandLines(lines);
  EXPECT_EQ(lines.styles, (std::vector<int32_t>{14}));
  // A leader draws to each unit it commands or leads.
  lines = LineRecorder{};
  platoon->DrawCommandLines(lines);
  EXPECT_EQ(lines.styles, (std::vector<int32_t>{14, 13}));
  rig.squad->surrendered = 1;
  lines = LineRecorder{};
  platoon->DrawCommandLines(lines);
  EXPECT_EQ(lines.styles, (std::vector<int32_t>{13}));
  other->SetPosition(-50.0f, 200.0f);
  lines = LineRecorder{};
  platoon->DrawCommandLines(lines);
  EXPECT_TRUE(lines.styles.empty()) << "off the map";
}
