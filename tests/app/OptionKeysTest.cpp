#include <gtest/gtest.h>

#include <string>

#include "app/AlertTable.h"
#include "app/GameSettings.h"
#include "app/OptionKeys.h"
#include "framework/core/GString255.h"

namespace {

std::string Press(uint8_t key, GameSettings& settings, OptionKeys::Result* out = nullptr) {
  OptionKeys::Result result;
  if (!OptionKeys::Apply(key, settings, result)) return "(not an option key)";
  if (out != nullptr) {
    out->applyIndex = result.applyIndex;
    out->redraw = result.redraw;
  }
  return result.text.CStr();
}

}  // namespace

TEST(OptionKeysTest, CycledOptionsNameTheirNewValue) {
  GameSettings s;
  OptionKeys::Result r;
  EXPECT_EQ(Press('S', s, &r), "Sound = Off");
  EXPECT_EQ(r.applyIndex, 0);
  EXPECT_EQ(Press('S', s), "Sound = On");
  EXPECT_EQ(Press('S', s), "Sound = On + Ambient");
  EXPECT_EQ(s.Get(0), 2);
  EXPECT_EQ(Press('P', s), "Show All Movement Paths");
  EXPECT_EQ(Press('I', s), "Smoke Graphics = None");
  EXPECT_EQ(Press('W', s), "Weather/Fog Graphics = Full");
  // The horizon names the value it now has.
  EXPECT_EQ(Press('H', s, &r), "Horizon = 1000m");
  EXPECT_TRUE(r.redraw);
  for (int i = 0; i < 3; ++i) Press('H', s);
  EXPECT_EQ(Press('H', s), "Horizon = Unlimited");
  EXPECT_EQ(Press('C', s), "Scale = Enlarge +3");
  Press('C', s);
  EXPECT_EQ(Press('C', s), "Scale = Realistic");
  EXPECT_EQ(Press('T', s), "Tree Display = Full Coverage");
  EXPECT_EQ(Press('T', s), "Tree Display = None");
  EXPECT_EQ(Press('T', s), "Tree Display = Sparse Coverage");
}

TEST(OptionKeysTest, CameraDipAndZoomStopAtTheirEnds) {
  GameSettings s;
  s.Set(40, -10);
  EXPECT_EQ(Press('Z', s), "Camera Dip = -10");
  EXPECT_EQ(s.Get(40), -10);
  s.Set(40, 2);
  EXPECT_EQ(Press('A', s), "Camera Dip = 2");
  EXPECT_EQ(Press('Z', s), "Camera Dip = 1");
  EXPECT_EQ(Press('[', s), "Zoom = x1");
  EXPECT_EQ(Press(']', s), "Zoom = x2");
  EXPECT_EQ(Press(']', s), "Zoom = x4");
  EXPECT_EQ(Press(']', s), "Zoom = x8");
  EXPECT_EQ(Press(']', s), "Zoom = x8");
  EXPECT_EQ(Press('[', s), "Zoom = x4");
  s.Set(41, 3);
  EXPECT_EQ(Press('[', s), "Zoom = x3");
}

TEST(OptionKeysTest, TogglesNameTheOptionAndItsNewState) {
  GameSettings s;
  EXPECT_EQ(Press('B', s), "Show Bases On");
  EXPECT_EQ(Press('B', s), "Show Bases Off");
  EXPECT_EQ(Press('V', s), "Show Vehicles Off");
  EXPECT_EQ(Press('J', s), "View Point-Rotate On");
  EXPECT_EQ(s.Get(20), 1);
  // Lower case and other keys are not option keys.
  EXPECT_EQ(Press('b', s), "(not an option key)");
  EXPECT_EQ(Press('X', s), "(not an option key)");
  GString255 gamma;
  OptionKeys::GammaText(3, gamma);
  EXPECT_STREQ(gamma.CStr(), "Gamma (Brightness) = High");
}

TEST(AlertTableTest, PlayBalanceTextsAndTheRows) {
  const std::pair<int, const char*> cases[] = {
      {25, "Play Balance: Allied force has 25% extra troops"},
      {-50, "Play Balance: Axis force has 50% extra troops"},
      {5100, "Play Balance: Allied force has 100% force size"},
      {0, "Play Balance: Allied force has 0% extra troops"},
  };
  for (const auto& [value, text] : cases) {
    GString255 out;
    AlertTable::PlayBalanceText(value, out);
    EXPECT_STREQ(out.CStr(), text) << value;
  }
  // Unreadable data from the opponent: its own first line, the autosave's line, OK.
  ASSERT_NE(AlertTable::Find(6), nullptr);
  EXPECT_EQ(AlertTable::Find(6)->line1, 1710);
  EXPECT_EQ(AlertTable::Find(6)->line2, 1704);
  EXPECT_EQ(AlertTable::Find(6)->command1, 82);
  EXPECT_EQ(AlertTable::Find(26), nullptr);
  // The failed save: OK shows the save panel again.
  EXPECT_EQ(AlertTable::Find(25)->line1, 340);
  EXPECT_EQ(AlertTable::Find(25)->command1, 83);
  EXPECT_EQ(AlertTable::Find(25)->command2, -1);
  const AlertTable::Row* damaged = AlertTable::Find(14);
  ASSERT_NE(damaged, nullptr);
  EXPECT_EQ(damaged->command1, 84);
  EXPECT_EQ(damaged->command2, -1);
  GString255 line;
  line.LoadResource(static_cast<uint32_t>(damaged->line1));
  EXPECT_STREQ(line.CStr(), "This file is damaged or incomplete and cannot be used.");
  EXPECT_EQ(AlertTable::Find(15)->command1, 81);
  EXPECT_EQ(AlertTable::Find(24)->command2, 83);
  EXPECT_TRUE(AlertTable::Replaces(5));
  EXPECT_FALSE(AlertTable::Replaces(7));
}
