#include <gtest/gtest.h>

#include "framework/core/GString63.h"
#include "framework/core/Quorl.h"
#include "game/units/tables/Names.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestUnitWorld.h"
#include "game/units/TestVehicle.h"

TEST(Names, RanksAndSurnames) {
  TestUnitWorld world;
  GString63 text;
  TestVehicle tank;
  tank.nationalityCode = 3;  // group 2
  tank.leaderName = 5;
  tank.mainWeapon = true;
  Names::AppendLeaderName(tank, text, true);
  std::string expected = std::string("Sgt ") + std::string(SurnameList::OfGroup(2).Name(5));
  EXPECT_EQ(std::string(text.CStr()), expected);
  Names::AppendLeaderName(tank, text, false);
  EXPECT_EQ(std::string(text.CStr()), std::string(SurnameList::OfGroup(2).Name(5)));

  TestInfantry captain;
  captain.nationalityCode = 3;
  captain.SetRecord(104, 10, 2);  // leader level 2: rank 3
  captain.leaderName = 0;
  Names::AppendLeaderName(captain, text, true);
  EXPECT_EQ(std::string(text.CStr(), 4), "Cpt ");

  TestInfantry ss;
  ss.nationalityCode = 8;
  ss.SetRecord(104, 10, 1);
  ss.leaderName = 7;
  Names::AppendLeaderName(ss, text, true);
  EXPECT_EQ(std::string(text.CStr()), "Osf " + std::string(SurnameList::OfGroup(0).Name(7)));

  // A team of leader level 0: rank 0, or 2 with an indirect-fire weapon.
  TestInfantry team;
  team.nationalityCode = 6;
  team.leaderName = 430 + 3;  // shown modulo the list
  Names::AppendLeaderName(team, text, true);
  EXPECT_EQ(std::string(text.CStr()), "Obg " + std::string(SurnameList::OfGroup(0).Name(3)));
  team.indirect = true;
  Names::AppendLeaderName(team, text, true);
  EXPECT_EQ(std::string(text.CStr(), 3), "Lt ");
  // A split half with its partner present: rank 0.
  TestInfantry partner;
  captain.partner = &partner;
  Names::AppendLeaderName(captain, text, true);
  EXPECT_EQ(std::string(text.CStr(), 4), "Cpl ");
  partner.alive = 0;
  Names::AppendLeaderName(captain, text, true);
  EXPECT_EQ(std::string(text.CStr(), 4), "Cpt ");

  // The custom name.
  TestInfantry custom;
  custom.nationalityCode = 0;
  custom.leaderName = -1;
  custom.CustomName().Assign("Smith");
  Names::AppendLeaderName(custom, text, false);
  EXPECT_STREQ(text.CStr(), "Smith");

  // A crew on foot shows its vehicle's rank and name.
  TestInfantry crew;
  crew.nationalityCode = 3;
  crew.leaderName = 99;
  crew.origin = &tank;
  Names::AppendLeaderName(crew, text, true);
  EXPECT_EQ(std::string(text.CStr()), expected);
}

TEST(Names, DrawsWithoutRepeatsAndAFullGroupStartsAgain) {
  TestUnitWorld world;
  Unit::ResetNamingState();
  TestInfantry squad;
  squad.nationalityCode = 12;  // group 3, 238 names
  squad.squad = true;
  SeedRandom(3);
  Names::AssignLeaderName(squad);
  const int32_t first = Random(238);
  (void)first;
  EXPECT_EQ(Names::gUsed[3][static_cast<size_t>(squad.leaderName)], 1);
  EXPECT_EQ(Names::gUsed[3][static_cast<size_t>(squad.secondLeaderName)], 1);
  EXPECT_NE(squad.leaderName, squad.secondLeaderName);

  // Every name given: 5000 draws, the last one kept unmarked, the group's flags cleared.
  Names::gUsed[3].fill(1);
  TestVehicle tank;
  tank.nationalityCode = 12;
  SeedRandom(9);
  int32_t last = 0;
  for (int32_t i = 0; i < Names::kTries; ++i) last = Random(238);
  const uint32_t after = RandomState();
  SeedRandom(9);
  Names::AssignLeaderName(tank);
  EXPECT_EQ(tank.leaderName, last);
  EXPECT_EQ(RandomState(), after);
  for (int32_t i = 0; i < 238; ++i) EXPECT_EQ(Names::gUsed[3][static_cast<size_t>(i)], 0);

  // A unit without a drawn name draws nothing.
  TestVehicle none;
  none.nationalityCode = 12;
  none.leaderName = -1;
  const uint32_t before = RandomState();
  Names::AssignLeaderName(none);
  EXPECT_EQ(RandomState(), before);
  EXPECT_EQ(none.leaderName, -1);

  Names::gSides[0].nextLetter = 'D';
  Unit::gDesignationCounter = 9;
  Unit::ResetNamingState();
  EXPECT_EQ(Names::gSides[0].nextLetter, 'A');
  EXPECT_EQ(Names::gSides[1].counters[1], 1);
  EXPECT_EQ(Unit::gDesignationCounter, 0);
}
