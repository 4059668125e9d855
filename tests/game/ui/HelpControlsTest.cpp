// The help label and the strip button that shows its help text in it while the mouse is over
// the button.
#include <gtest/gtest.h>

#include <vector>

#include "framework/ui/UiRig.h"
#include "game/ui/HelpStripButton.h"
#include "game/ui/ResourceLabel.h"

namespace {

class HelpControlsTest : public UiRig {};

constexpr int16_t kDefaultText = 444;  // "Draw"
constexpr int16_t kHelpText = 440;     // "Axis Total Victory"

}  // namespace

TEST_F(HelpControlsTest, TheMouseOverAHelpButtonShowsItsTextInTheLabel) {
  host_.WriteBitmap(900, 200, 40, std::vector<uint32_t>(200 * 40, 0x203040));
  host_.WriteBitmap(901, 40, 20, std::vector<uint32_t>(40 * 20, 0x406080));
  auto* panel = new ProbeView;
  panel->Place(nullptr, 0, 0, 400, 300);
  auto* label = new ResourceLabel(panel, 10, 10, 900, kDefaultText);
  EXPECT_EQ(label->Width(), 200);
  EXPECT_EQ(label->GetShownStringId(), kDefaultText);
  EXPECT_STREQ(label->GetText().CStr(), "Draw");
  auto* button = new HelpStripButton;
  button->IHelpStripButton(panel, 100, 100, 7, 901, 0, label, kHelpText);
  RedrawAll();
  const int32_t loads = label->GetLoadCount();

  // Over the button: its help text, loaded once however the mouse moves within it.
  Move(110, 102);
  EXPECT_EQ(label->GetShownStringId(), kHelpText);
  EXPECT_STREQ(label->GetText().CStr(), "Axis Total Victory");
  Move(115, 105);
  Move(120, 108);
  EXPECT_EQ(label->GetLoadCount(), loads + 1);
  Redraw();

  // Leaving the button gives the label its default text back.
  Move(300, 250);
  EXPECT_EQ(label->GetShownStringId(), kDefaultText);
  EXPECT_STREQ(label->GetText().CStr(), "Draw");
  EXPECT_EQ(label->GetLoadCount(), loads + 2);
  // The same id again does nothing, not even a redraw.
  Redraw();
  label->ShowStringId(0);
  EXPECT_FALSE(IsDirty(label));
  EXPECT_EQ(label->GetLoadCount(), loads + 2);
  // A new default shows at once.
  label->SetStringId(kHelpText);
  EXPECT_EQ(label->GetShownStringId(), kHelpText);
  EXPECT_TRUE(IsDirty(label));
  Redraw();
}
