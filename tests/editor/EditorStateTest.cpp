// The editor's arrival settings as the battle copies them into a reinforcement group.
#include <gtest/gtest.h>

#include "editor/EditorState.h"
#include "game/battle/ReinforcementGroup.h"

TEST(EditorState, CopiesTheSlotsArrivalSettings) {
  EditorState state;
  EditorState::ArrivalSlot& slot = state.Slot(1, 4);
  slot.arrivalTurn = 7;
  slot.chance = 0.25f;
  slot.entryX = 120.0f;
  slot.entryY = 80.0f;
  ReinforcementGroup group;
  group.Init(false);
  state.CopyReinforcementSettings(group, 1, 4);
  EXPECT_EQ(group.arrivalTurn, 7);
  EXPECT_FLOAT_EQ(group.chance, 0.25f);
  EXPECT_FLOAT_EQ(group.entryX, 120.0f);
  EXPECT_FLOAT_EQ(group.entryY, 80.0f);
  // Another slot keeps the defaults.
  state.CopyReinforcementSettings(group, 0, 0);
  EXPECT_EQ(group.arrivalTurn, 10);
  EXPECT_FLOAT_EQ(group.chance, 1.0f);
}
