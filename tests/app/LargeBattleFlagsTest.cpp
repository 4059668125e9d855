// The victory flags of the battles the large battle tool writes on the reference map: the
// plain and facing variants keep a new battle's one flag at the centre of their own map (not of
// the default map the new battle started on, whose centre is a corner of the large map), and
// the set-up variant has its five flags only.
#include <gtest/gtest.h>

#include "LargeBattleWorld.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"

namespace {

struct FlagPoint {
  float x;
  float y;
};

std::vector<FlagPoint> FlagsOf(const char* scenario, float& width, float& height) {
  LargeBattleWorld::Get("flags");
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

TEST(LargeBattleFlags, TheSetUpBattleHasItsFiveFlagsBetweenTheZones) {
  float width = 0.0f;
  float height = 0.0f;
  const std::vector<FlagPoint> flags = FlagsOf(TARVANE_LARGE_SETUP, width, height);
  ASSERT_EQ(flags.size(), 5u);
  const float expected[5][2] = {{1500, 1500}, {1500, 3500}, {2500, 2500}, {3500, 1500}, {3500, 3500}};
  for (size_t i = 0; i < flags.size(); ++i) {
    EXPECT_EQ(flags[i].x, expected[i][0]) << i;
    EXPECT_EQ(flags[i].y, expected[i][1]) << i;
  }
}
