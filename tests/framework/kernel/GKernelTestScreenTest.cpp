#include <gtest/gtest.h>

#include <algorithm>

#include "DisplayRig.h"
#include "framework/kernel/DisplayTestAcceptButton.h"
#include "framework/kernel/DisplayTestSkipButton.h"

namespace {

class TestScreenTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rig.ok);
    rig.StartApp();  // 800 x 600, 2-D drawing
    rig.calls.clear();
    GKernel::SetDisplayRequest(0);
  }
  void TearDown() override { GKernel::SetDisplayRequest(0); }
  TestScreen Show(bool is3D, bool software, const char* text, int32_t w, int32_t h, int32_t rate) {
    rig.kernel->ShowDirectXTest(is3D, software, text, w, h, rate);
    return TestScreen::Find(*rig.kernel);
  }
  KernelRig rig;
};

}  // namespace

TEST_F(TestScreenTest, AThreeDTestNamesTheDeviceOrSoftwareModeAndTheRefreshRateWhenThereIsOne) {
  TestScreen s = Show(true, false, "Fast Card", 1024, 768, 75);
  ASSERT_TRUE(s.Up());
  ASSERT_EQ(s.lines.size(), 3u);
  EXPECT_EQ(s.Line(0), "3D DirectX Test:  Click ACCEPT to select this graphics mode.");
  EXPECT_EQ(s.Line(1), "Fast Card");
  EXPECT_EQ(s.Line(2), "Resolution: 1024 x 768 at 75hz");
  rig.kernel->ClearScreen(true);

  s = Show(true, true, "Fast Card", 640, 480, 0);
  ASSERT_EQ(s.lines.size(), 3u);
  EXPECT_EQ(s.Line(1), "SOFTWARE MODE");
  EXPECT_EQ(s.Line(2), "Resolution: 640 x 480");
  rig.kernel->ClearScreen(true);

  // A 2-D test has two lines, the resolution on the second.
  s = Show(false, false, nullptr, 800, 600, 0);
  ASSERT_EQ(s.lines.size(), 2u);
  EXPECT_EQ(s.Line(0), "2D DirectX Test:  Click ACCEPT to select this graphics mode.");
  EXPECT_EQ(s.Line(1), "Resolution: 800 x 600");
  EXPECT_EQ(s.lines[1]->Bounds().top - s.panel->Bounds().top, 35);
}

TEST_F(TestScreenTest, TheScreenIsABlackBackdropWithACentredWhitePanelAndFramedButtons) {
  const TestScreen s = Show(true, false, "x", 800, 600, 0);
  EXPECT_EQ(s.backdrop->Bounds(), (GRect{0, 0, 800, 600}));
  EXPECT_EQ(s.backdrop->GetBackColor(), 0);
  EXPECT_EQ(s.panel->Bounds(), (GRect{140, 215, 660, 385}));
  EXPECT_EQ(s.panel->GetBackColor(), 0xFFFF);
  for (size_t i = 0; i < s.lines.size(); ++i) {
    const GLabel& line = *s.lines[i];
    EXPECT_EQ(line.Bounds(), (GRect{145, 230 + 20 * static_cast<int32_t>(i), 655, 245 + 20 * static_cast<int32_t>(i)}));
    EXPECT_EQ(line.GetAlignment(), 0);
  }
  EXPECT_EQ(s.acceptFrame->Bounds(), (GRect{335, 325, 465, 350}));
  EXPECT_EQ(s.skipFrame->Bounds(), (GRect{335, 355, 465, 380}));
  EXPECT_EQ(s.acceptFrame->GetBackColor(), 0);
  const GView* inside = s.acceptFrame->GetChild(0);
  EXPECT_EQ(inside->Bounds(), (GRect{336, 326, 464, 349}));
  EXPECT_EQ(inside->GetBackColor(), 0xFFFF);
  EXPECT_EQ(s.accept->Bounds(), inside->Bounds());
  // The buttons' labels: 1 below the top in a 3-D test, 4 in a 2-D test.
  const auto* label = dynamic_cast<const GLabel*>(inside->GetChild(0));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(std::string(label->GetText().CStr()), "ACCEPT");
  EXPECT_EQ(label->Bounds().top, 327);
  rig.kernel->ClearScreen(true);
  const TestScreen flat = Show(false, false, nullptr, 800, 600, 0);
  const auto* skipLabel = dynamic_cast<const GLabel*>(flat.skipFrame->GetChild(0)->GetChild(0));
  ASSERT_NE(skipLabel, nullptr);
  EXPECT_EQ(std::string(skipLabel->GetText().CStr()), "SKIP to next");
  EXPECT_EQ(skipLabel->Bounds().top, 360);
}

TEST_F(TestScreenTest, ClicksPostTheAnswerAndNoCommand) {
  const struct {
    bool is3D;
    bool accept;
    int32_t request;
  } cases[] = {{false, true, 1}, {false, false, 2}, {true, true, 3}, {true, false, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.request);
    const TestScreen s = Show(c.is3D, false, nullptr, 800, 600, 0);
    Click(*rig.kernel, c.accept ? s.accept : s.skip);
    EXPECT_EQ(GKernel::GetDisplayRequest(), c.request);
    GKernel::SetDisplayRequest(0);
    rig.kernel->ClearScreen(true);
  }
  EXPECT_TRUE(rig.calls.empty());
}

TEST_F(TestScreenTest, TheAcceptButtonPostsTheSkipFromItsTwentyFifthTickOn) {
  for (bool is3D : {false, true}) {
    const TestScreen s = Show(is3D, false, nullptr, 800, 600, 0);
    auto* accept = dynamic_cast<DisplayTestAcceptButton*>(s.accept);
    ASSERT_NE(accept, nullptr);
    EXPECT_EQ(accept->GetTickInterval(), 500);
    EXPECT_EQ(s.skip->GetTickInterval(), -1);
    for (int i = 0; i < 24; ++i) accept->TickAction();
    EXPECT_EQ(GKernel::GetDisplayRequest(), 0);
    accept->TickAction();
    EXPECT_EQ(GKernel::GetDisplayRequest(), is3D ? GKernel::kSkip3D : GKernel::kSkip2D);
    GKernel::SetDisplayRequest(0);
    accept->TickAction();
    EXPECT_EQ(GKernel::GetDisplayRequest(), is3D ? GKernel::kSkip3D : GKernel::kSkip2D);
    EXPECT_EQ(accept->GetTickCount(), 26);
    GKernel::SetDisplayRequest(0);
    rig.kernel->ClearScreen(true);
  }
}
