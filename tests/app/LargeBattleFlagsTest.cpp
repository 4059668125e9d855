// The victory flags of the battles the large battle tool writes on the reference map: the
// plain and facing variants keep a new battle's one flag at the centre of their own map (not of
// the default map the new battle started on, whose centre is a corner of the large map), and
// the set-up variant has its four flags only, between the zones, and the make-up it promises.
#include <gtest/gtest.h>

#include "LargeBattleWorld.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

struct FlagPoint {
  float x;
  float y;
};

std::vector<FlagPoint> FlagsOf(const char* scenario, float& width, float& height) {
  HeadlessBattle headless;
  std::vector<FlagPoint> points;
  if (!LargeBattleWorld::Load(headless, scenario)) {
    ADD_FAILURE() << "cannot read " << scenario;
    return points;
  }
  Battle& battle = *headless.GetBattle();
  width = battle.map->size.worldWidth;
  height = battle.map->size.worldHeight;
  for (int32_t i = 0; i < battle.flags.Count(); ++i) points.push_back({battle.FlagAt(i)->x, battle.FlagAt(i)->y});
  return points;
}

}  // namespace

TEST(LargeBattleFlags, PlainAndFacingBattlesHaveOneFlagAtTheirMapsCentre) {
  LargeBattleWorld world("flags");
  for (const char* scenario : {TARVANE_LARGE_BATTLE, TARVANE_LARGE_BUSY_BATTLE}) {
    SCOPED_TRACE(scenario);
    float width = 0.0f;
    float height = 0.0f;
    const std::vector<FlagPoint> flags = FlagsOf(scenario, width, height);
    ASSERT_EQ(flags.size(), 1u);
    EXPECT_EQ(width, 5000.0f);
    EXPECT_EQ(flags[0].x, 0.5f * width);
    EXPECT_EQ(flags[0].y, 0.5f * height);
  }
}

TEST(LargeBattleFlags, TheSetUpBattleHasItsFourFlagsBetweenTheZones) {
  LargeBattleWorld world("flags");
  float width = 0.0f;
  float height = 0.0f;
  const std::vector<FlagPoint> flags = FlagsOf(TARVANE_LARGE_SETUP, width, height);
  ASSERT_EQ(flags.size(), 4u);
  // On the middle line of the 250-tile square, at fifths of the ground between the 40-tile
  // zones (800 m from either edge). On ref250 the nearest point to the second flag's place where
  // units can stand lies 40 m off the line.
  const float expected[4][2] = {{1480, 2500}, {2160, 2460}, {2840, 2500}, {3520, 2500}};
  for (size_t i = 0; i < flags.size(); ++i) {
    EXPECT_EQ(flags[i].x, expected[i][0]) << i;
    EXPECT_EQ(flags[i].y, expected[i][1]) << i;
  }
}

TEST(LargeBattleFlags, TheSetUpBattleHasItsMakeUpOnEachSide) {
  LargeBattleWorld world("flags");
  HeadlessBattle headless;
  ASSERT_TRUE(LargeBattleWorld::Load(headless, TARVANE_LARGE_SETUP));
  Battle& battle = *headless.GetBattle();
  // Half-track and tank classes of side 0 (Axis) and side 1 (Allied).
  const int32_t halftrackClass[2] = {0, 62};
  const int32_t tankClass[2] = {10, 78};
  struct MakeUp {
    int32_t units, infantry, halftracks, tanks, otherVehicles, riders, fortifications, fixedFortifications;
  } sides[2] = {};
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    const Unit* unit = battle.UnitAt(i);
    const int32_t s = unit->GetSideIndex();
    ASSERT_TRUE(s == 0 || s == 1) << i;
    MakeUp& m = sides[s];
    ++m.units;
    if (unit->IsInfantry()) {
      ++m.infantry;
      if (unit->IsCarried()) ++m.riders;
    } else if (unit->IsVehicle()) {
      const int32_t cls = static_cast<const Vehicle*>(unit)->GetClassIndex();
      if (cls == halftrackClass[s]) ++m.halftracks;
      else if (cls == tankClass[s]) ++m.tanks;
      else ++m.otherVehicles;
    } else if (unit->IsInanimate()) {
      ++m.fortifications;
      if (unit->setupZone == 0) ++m.fixedFortifications;
    }
  }
  for (int32_t s = 0; s < 2; ++s) {
    SCOPED_TRACE(s);
    const MakeUp& m = sides[s];
    EXPECT_EQ(m.units, 150);
    // A company leader, 20 platoons of four, 27 teams, 8 guns and 4 riders.
    EXPECT_EQ(m.infantry, 1 + 80 + 27 + 8 + 4);
    EXPECT_EQ(m.halftracks, 10);
    EXPECT_EQ(m.tanks, 10);
    EXPECT_EQ(m.otherVehicles, 0);
    EXPECT_EQ(m.riders, 4);
    EXPECT_EQ(m.fortifications, 10);
    EXPECT_EQ(m.fixedFortifications, 2);
  }
}
