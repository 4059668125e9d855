// The editor's markers: flags and reinforcement arrival points become marker objects and come
// back from them, the reinforcement markers numbered by their group.
#include <gtest/gtest.h>

#include "game/battle/BattleTestRig.h"
#include "game/units/inanimate/Inanimate.h"

namespace {

Inanimate* MarkerAt(Battle& battle, int32_t index) { return dynamic_cast<Inanimate*>(battle.UnitAt(index)); }

TEST(BattleMarkers, FlagsAndArrivalPointsRoundTripThroughMarkers) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  battle.flags.DeleteAll(true);
  battle.flags.Append(new VictoryFlag(100.0f, 120.0f, 1));
  battle.flags.Append(new VictoryFlag(300.0f, 320.0f, 0));
  ReinforcementGroup& first = rig.AddGroup(0, 1, 5);
  first.entryX = 10.0f;
  first.entryY = 20.0f;
  rig.AddGroup(0, 1, 6);
  ReinforcementGroup& allied = rig.AddGroup(1, 1, 7);
  allied.entryX = 700.0f;
  allied.entryY = 710.0f;
  const int32_t before = battle.UnitCount();

  battle.FlagsToMarkers();
  ASSERT_EQ(battle.UnitCount(), before + 5);
  const int32_t expectedIds[3] = {-1, -2, -1};
  const uint8_t expectedSides[3] = {1, 1, 0};
  for (int32_t k = 0; k < 3; ++k) {
    Inanimate* marker = MarkerAt(battle, before + k);
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(marker->GetKind(), Inanimate::kReinforcementMarker);
    EXPECT_EQ(marker->markerId, expectedIds[k]);
    EXPECT_EQ(marker->side, expectedSides[k]);
    EXPECT_FLOAT_EQ(marker->facing, 90.0f);
    // Graphic 10040 + i goes to texture slot 4 + i.
    EXPECT_EQ(marker->MarkerSlot(), 3 - expectedIds[k]);
  }
  EXPECT_EQ(MarkerAt(battle, before + 3)->GetKind(), Inanimate::kLargeFlagMarker);
  EXPECT_EQ(MarkerAt(battle, before + 4)->GetKind(), Inanimate::kSmallFlagMarker);

  // The editor moves the second Axis marker and the small flag.
  MarkerAt(battle, before + 1)->SetPosition(55.0f, 66.0f);
  MarkerAt(battle, before + 4)->SetPosition(400.0f, 410.0f);
  battle.MarkersToFlags();
  EXPECT_EQ(battle.UnitCount(), before);
  EXPECT_FLOAT_EQ(battle.GroupAt(0, 0)->entryX, 10.0f);
  EXPECT_FLOAT_EQ(battle.GroupAt(0, 1)->entryX, 55.0f);
  EXPECT_FLOAT_EQ(battle.GroupAt(0, 1)->entryY, 66.0f);
  EXPECT_FLOAT_EQ(battle.GroupAt(1, 0)->entryY, 710.0f);
  ASSERT_EQ(battle.flags.Count(), 2);
  EXPECT_EQ(battle.FlagAt(0)->type, 1);
  EXPECT_EQ(battle.FlagAt(1)->type, 0);
  EXPECT_FLOAT_EQ(battle.FlagAt(1)->x, 400.0f);
  EXPECT_EQ(battle.FlagAt(1)->dynamic, 0);
}

TEST(BattleMarkersDeathTest, AGroupWithoutItsMarkerIsFatal) {
  EXPECT_DEATH(
      {
        BattleTestRig rig;
        Battle& battle = rig.Fresh();
        rig.AddGroup(1, 1, 5);
        battle.MarkersToFlags();
      },
      "");
}

}  // namespace
