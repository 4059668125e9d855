// The counter commands with their bounds, the value label and the accessors of the screens'
// choices.
#include <gtest/gtest.h>

#include "EditorRig.h"
#include "editor/EditorValueLabel.h"
#include "framework/core/GString31.h"
#include "framework/ui/GPopup.h"

namespace {

// A value label on the main view that the state reads as the given counter.
EditorValueLabel* Counter(EditorState& state, int32_t value) {
  auto* label = new EditorValueLabel();
  label->Setup(state.mainView, 10, 10, 50, value, nullptr);
  return label;
}

// Presses the command n times; the value afterwards.
int32_t Press(EditorRig& rig, GControl* counter, int32_t command, int32_t n = 1) {
  for (int32_t i = 0; i < n; ++i) rig.App().DoCommand(command);
  return counter->GetValue();
}

}  // namespace

TEST(EditorCounters, StepWithinTheirBounds) {
  EditorRig rig;
  EditorState& state = *rig.State();
  state.lengthCounter = Counter(state, 119);
  EXPECT_EQ(Press(rig, state.lengthCounter, 123, 3), 120);
  state.lengthCounter->SetValue(2);
  EXPECT_EQ(Press(rig, state.lengthCounter, 124, 3), 1);
  state.smallFlagsCounter = Counter(state, 19);
  EXPECT_EQ(Press(rig, state.smallFlagsCounter, 125, 2), 20);
  EXPECT_EQ(Press(rig, state.smallFlagsCounter, 126, 25), 0);
  state.largeFlagsCounter = Counter(state, 0);
  EXPECT_EQ(Press(rig, state.largeFlagsCounter, 128), 0);
  EXPECT_EQ(Press(rig, state.largeFlagsCounter, 127, 30), 20);
  // The flag value stops at 2000 going up and at 100 going down.
  state.flagValueCounter = Counter(state, 1975);
  EXPECT_EQ(Press(rig, state.flagValueCounter, 129), 2000);
  EXPECT_EQ(Press(rig, state.flagValueCounter, 129), 2000);
  state.flagValueCounter->SetValue(125);
  EXPECT_EQ(Press(rig, state.flagValueCounter, 130), 100);
  EXPECT_EQ(Press(rig, state.flagValueCounter, 130), 100);
  // The quick battle's length stays in 20..60.
  state.lengthCounter->SetValue(59);
  EXPECT_EQ(Press(rig, state.lengthCounter, 196, 3), 60);
  state.lengthCounter->SetValue(21);
  EXPECT_EQ(Press(rig, state.lengthCounter, 197, 3), 20);
  // An operation's length stays in 2..20.
  rig.App().DoCommand(100);
  state.lengthCounter->SetValue(19);
  EXPECT_EQ(Press(rig, state.lengthCounter, 123, 3), 20);
  state.lengthCounter->SetValue(3);
  EXPECT_EQ(Press(rig, state.lengthCounter, 124, 3), 2);
  // Counter commands without their screen do nothing.
  state.lengthCounter = nullptr;
  rig.App().DoCommand(123);
  EXPECT_EQ(state.modified, 0);
}

TEST(EditorCounters, AxisBonusStepsByGrade) {
  EditorRig rig;
  EditorState& state = *rig.State();
  state.axisBonusCounter = Counter(state, -1050);
  EXPECT_EQ(Press(rig, state.axisBonusCounter, 131), -1000);
  EXPECT_EQ(Press(rig, state.axisBonusCounter, 131), -975);
  state.axisBonusCounter->SetValue(490);
  EXPECT_EQ(Press(rig, state.axisBonusCounter, 131), 500);
  EXPECT_EQ(Press(rig, state.axisBonusCounter, 131), 525);
  // From 0: 50 steps of 10, 20 of 25, 160 of 50 reach 9000; the next press changes nothing.
  state.axisBonusCounter->SetValue(0);
  EXPECT_EQ(Press(rig, state.axisBonusCounter, 131, 230), 9000);
  EXPECT_EQ(Press(rig, state.axisBonusCounter, 131), 9000);
  // The lowering counter mirrors it.
  state.axisBonusCounter->SetValue(0);
  EXPECT_EQ(Press(rig, state.axisBonusCounter, 132, 230), -9000);
  EXPECT_EQ(Press(rig, state.axisBonusCounter, 132), -9000);
  state.axisBonusCounter->SetValue(1050);
  EXPECT_EQ(Press(rig, state.axisBonusCounter, 132), 1000);
  EXPECT_EQ(Press(rig, state.axisBonusCounter, 132), 975);
  state.axisBonusCounter->SetValue(-490);
  EXPECT_EQ(Press(rig, state.axisBonusCounter, 132), -500);
  EXPECT_EQ(Press(rig, state.axisBonusCounter, 132), -525);
}

TEST(EditorValueLabel, DrawsValueAndSuffixAndTakesNoClicks) {
  EditorRig rig;
  EditorState& state = *rig.State();
  auto* label = new EditorValueLabel();
  label->SetupWithResource(state.mainView, 450, 353, 50, 30, 641);
  GString31 text;
  label->GetDrawnText(text);
  EXPECT_STREQ(text.CStr(), "30 turns");
  EXPECT_EQ(label->AnchorX(), 1);
  EXPECT_EQ(label->Height(), 12);
  EXPECT_EQ(label->GetColor()[0], 200);
  EXPECT_EQ(label->GetColor()[1], 200);
  EXPECT_EQ(label->GetColor()[2], 255);
  EXPECT_EQ(label->GetCommand(), -1);
  EXPECT_FALSE(label->IsTracking());
  label->SetAlignment(0);
  EXPECT_EQ(label->AnchorX(), 25);
  label->SetAlignment(1);
  EXPECT_EQ(label->AnchorX(), 49);
  // Negative values keep their sign; a long suffix is cut to 15 characters.
  auto* bonus = new EditorValueLabel();
  bonus->Setup(state.mainView, 0, 0, 80, -975, " points and a very long tail");
  bonus->GetDrawnText(text);
  EXPECT_STREQ(text.CStr(), "-975 points and a v");
  // A step honours the state's redraw suppression: the value changes either way.
  state.suppressRedraw = 1;
  state.flagValueCounter = bonus;
  bonus->SetValue(500);
  rig.App().DoCommand(129);
  EXPECT_EQ(bonus->GetValue(), 525);
}

TEST(EditorAccessors, PopupsAndPresetMode) {
  EditorRig rig;
  EditorState& state = *rig.State();
  EXPECT_EQ(EditorState::ForceCodeFor(1, 7), 17);
  EXPECT_EQ(EditorState::ForceCodeFor(1, 4), 12);
  EXPECT_EQ(EditorState::ForceCodeFor(0, 4), 10);
  EXPECT_EQ(EditorState::ForceCodeFor(0, 2), 7);
  EXPECT_EQ(EditorState::ForceCodeFor(0, 99), 10);
  EXPECT_EQ(EditorState::ZoneValueForChoice(6), 0);
  EXPECT_EQ(EditorState::ZoneValueForChoice(0), 1);
  GString255 a;
  GString255 b;
  a.Assign("Axis");
  b.Assign("Allied");
  const GString* sides[2] = {&a, &b};
  state.sidePopup = new GPopup();
  state.sidePopup->Init(state.mainView, 0, 0, 2, sides, 1);
  const GString* slots[6] = {&a, &b, &a, &b, &a, &b};
  state.arrivalPopup = new GPopup();
  state.arrivalPopup->Init(state.mainView, 0, 20, 6, slots, 0);
  state.alliedForcePopup = new GPopup();
  state.alliedForcePopup->Init(state.mainView, 0, 40, 6, slots, 5);
  EXPECT_EQ(state.GetSide(), 1);
  EXPECT_EQ(state.GetForceCode(), 14);
  state.SetArrivalSlot(9);
  EXPECT_EQ(state.GetArrivalSlot(), 5);
  EXPECT_EQ(state.GetCategory(), 6);
  // The computer's purchase reads the preset values and buys onto the map.
  state.preset = 1;
  state.presetSide = 0;
  state.presetForce = 8;
  state.presetExperience = 4;
  EXPECT_EQ(state.GetSide(), 0);
  EXPECT_EQ(state.GetForceCode(), 8);
  EXPECT_EQ(state.GetExperience(), 4);
  EXPECT_EQ(state.GetArrivalSlot(), 0);
  EXPECT_DEATH(state.GetCategory(), "");
  EXPECT_DEATH(state.SetArrivalSlot(1), "");
}
