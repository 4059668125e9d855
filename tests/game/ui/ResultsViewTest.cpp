// The results view made from a battle's computed results, on a started kernel.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/ui/GLabel.h"
#include "framework/ui/GPanelColor.h"
#include "framework/ui/GPictureView.h"
#include "framework/ui/GStripButton.h"
#include "framework/ui/UiRig.h"
#include "game/battle/BattleResults.h"
#include "game/ui/ResultsView.h"

namespace {

class ResultsViewTest : public UiRig {};

BattleResults SampleResults() {
  BattleResults results;
  results.labels.push_back({113, 50, 150, "Allied Attacker"});
  results.labels.push_back({376, 50, 150, "Axis Defender"});
  results.labels.push_back({245, 11 * 25 + 50, 150, "Draw"});
  results.buttons.push_back({97, 11100, 147, 425});
  results.buttons.push_back({98, 11101, 393, 425});
  return results;
}

}  // namespace

TEST_F(ResultsViewTest, BuildsThePanelAndItsButtonsSendTheirCommands) {
  // The buttons' faces exist; the title picture does not and leaves its place empty.
  std::vector<uint32_t> face(110 * 64, 0x406080);
  host_.WriteBitmap(11100, 110, 64, face);
  host_.WriteBitmap(11101, 110, 64, face);
  auto* view = new ResultsView;
  view->Build(nullptr, SampleResults());
  // Centred on the 800 x 600 screen, in the panel colour.
  EXPECT_EQ(view->Bounds().left, 80);
  EXPECT_EQ(view->Bounds().top, 60);
  EXPECT_EQ(view->Width(), 640);
  EXPECT_EQ(view->Height(), 480);
  EXPECT_EQ(view->GetBackColor(), Rgb(GPanelColor::kRed, GPanelColor::kGreen, GPanelColor::kBlue));
  // No picture: three labels and two buttons, in that order.
  ASSERT_EQ(view->GetChildCount(), 5);
  auto* heading = dynamic_cast<GLabel*>(view->GetChild(0));
  ASSERT_NE(heading, nullptr);
  EXPECT_STREQ(heading->GetText().CStr(), "Allied Attacker");
  EXPECT_EQ(heading->Bounds().left, 80 + 113);
  EXPECT_EQ(heading->Bounds().top, 60 + 50);
  auto* ok = dynamic_cast<GStripButton*>(view->GetChild(4));
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->GetClickSound(), 152);
  EXPECT_EQ(ok->Bounds().left, 80 + 393);
  EXPECT_EQ(ok->Bounds().top, 60 + 425);
  RedrawAll();
  Click(80 + 393 + 10, 60 + 425 + 10);
  ASSERT_FALSE(Commands().empty());
  EXPECT_EQ(Commands().back(), 98);
  Click(80 + 147 + 10, 60 + 425 + 10);
  EXPECT_EQ(Commands().back(), 97);
  delete view;

  // With the title picture: centred at the top, first of the children.
  host_.WriteBitmap(11102, 400, 40, std::vector<uint32_t>(400 * 40, 0xC0B080));
  auto* titled = new ResultsView;
  titled->Build(nullptr, SampleResults());
  ASSERT_EQ(titled->GetChildCount(), 6);
  auto* picture = dynamic_cast<GPictureView*>(titled->GetChild(0));
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Bounds().left, 80 + 120);
  EXPECT_EQ(picture->Bounds().top, 60 + 5);
  RedrawAll();
  delete titled;
}
