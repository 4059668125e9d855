#include <gtest/gtest.h>

#include "UiRig.h"
#include "framework/core/GString255.h"
#include "framework/core/GString63.h"
#include "framework/ui/CRadioGroup.h"
#include "framework/ui/GButton.h"
#include "framework/ui/GPictureButton.h"
#include "framework/ui/GRadioButton.h"
#include "framework/ui/GStripButton.h"
#include "framework/ui/GStripRadioButton.h"

namespace {

class GControlTest : public UiRig {
 protected:
  // A panel at (100, 100), 300 x 200, holding a plain button at (10, 10), 50 x 20.
  GButton* MakeButton(int32_t command) {
    panel_ = new ProbeView;
    panel_->Place(nullptr, 100, 100, 300, 200);
    auto* button = new GButton;
    button->IControl(0, panel_, 10, 10, 50, 20, command);
    return button;
  }
  ProbeView* panel_ = nullptr;
};

TEST_F(GControlTest, FiresOnlyWhenReleasedOverTheButton) {
  GButton* button = MakeButton(42);
  EXPECT_TRUE(button->IsTracking());
  Down(120, 115);
  EXPECT_TRUE(button->IsPressed());
  EXPECT_EQ(kernel_->GetMouseTracker(), button);
  Move(200, 200);
  EXPECT_FALSE(button->IsPressed());
  Up(200, 200);
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(kernel_->GetMouseTracker(), nullptr);

  Down(120, 115);
  Move(300, 300);
  Move(130, 112);
  EXPECT_TRUE(button->IsPressed());
  Up(130, 112);
  EXPECT_EQ(Commands(), (std::vector<int32_t>{42}));
  EXPECT_FALSE(button->IsPressed());

  // The right button presses and fires the same way.
  Send(PMessageType::kRightDown, 120, 115);
  EXPECT_TRUE(button->IsPressed());
  Send(PMessageType::kRightUp, 120, 115);
  EXPECT_EQ(Commands(), (std::vector<int32_t>{42, 42}));

  // A command of -1 fires nothing.
  button->SetCommand(-1);
  Click(120, 115);
  EXPECT_EQ(Commands().size(), 2u);
}

TEST_F(GControlTest, AutoRepeatFiresAtTheDownAndThenOncePerInterval) {
  UseFakeClock(5000);
  GButton* button = MakeButton(7);
  button->SetAutoRepeat(100);
  button->SetReleaseCommand(8);
  Down(120, 115);
  EXPECT_EQ(Commands().size(), 1u);
  for (uint64_t t : {5050u, 5099u}) {
    now_ = t;
    Move(121, 115);
  }
  EXPECT_EQ(Commands().size(), 1u);
  now_ = 5100;
  Move(121, 115);
  EXPECT_EQ(Commands().size(), 2u);
  now_ = 5150;
  Move(122, 115);
  now_ = 5199;
  Move(122, 115);
  EXPECT_EQ(Commands().size(), 2u);
  // A long wait gives one firing, not the ones missed.
  now_ = 5550;
  Move(122, 115);
  EXPECT_EQ(Commands().size(), 3u);
  // Outside it shows released and does not fire.
  now_ = 5700;
  Move(20, 20);
  EXPECT_FALSE(button->IsPressed());
  EXPECT_EQ(Commands().size(), 3u);
  // Released outside: no firing, but the release command goes to the parent.
  Up(20, 20);
  EXPECT_EQ(Commands(), (std::vector<int32_t>{7, 7, 7, 8}));
}

TEST_F(GControlTest, PressFiresAsAReleaseWouldAndDoesNothingWhenDisabled) {
  GButton* button = MakeButton(9);
  button->Press(0);
  EXPECT_EQ(Commands(), (std::vector<int32_t>{9}));
  EXPECT_FALSE(button->IsPressed());
  button->SetEnabled(0);
  button->Press(0);
  EXPECT_EQ(Commands().size(), 1u);
  button->SetEnabled(1);

  // An auto-repeat button without a release command sends its command directly.
  button->SetAutoRepeat(50);
  button->Press(0);
  EXPECT_EQ(Commands(), (std::vector<int32_t>{9, 9}));
  // With one it releases as the mouse would: no firing, the release command only.
  button->SetReleaseCommand(3);
  button->Press(0);
  EXPECT_EQ(Commands(), (std::vector<int32_t>{9, 9, 3}));
}

TEST_F(GControlTest, EnterPressesTheFirstUsableDefaultButtonInsideTheTopModalView) {
  GButton* first = MakeButton(1);
  auto* second = new GButton;
  second->IControl(0, panel_, 100, 10, 50, 20, 2);
  first->MakeDefault();
  second->MakeDefault();  // now at the front
  Char('\r');
  EXPECT_EQ(Commands(), (std::vector<int32_t>{2}));
  second->SetVisible(0);
  Char('\r');
  EXPECT_EQ(Commands(), (std::vector<int32_t>{2, 1}));
  second->SetVisible(1);
  second->SetEnabled(0);
  Char('\r');
  EXPECT_EQ(Commands(), (std::vector<int32_t>{2, 1, 1}));

  // With a modal view up only a default button inside it counts.
  auto* dialog = new ProbeView;
  dialog->PlaceModal(nullptr, 400, 300, 200, 100);
  Char('\r');
  EXPECT_EQ(Commands().size(), 3u);
  auto* inside = new GButton;
  inside->IControl(0, dialog, 10, 10, 40, 20, 5);
  inside->MakeDefault();
  Char('\r');
  EXPECT_EQ(Commands(), (std::vector<int32_t>{2, 1, 1, 5}));
  delete dialog;
  Char('\r');
  EXPECT_EQ(Commands(), (std::vector<int32_t>{2, 1, 1, 5, 1}));
}

TEST_F(GControlTest, ACommandThatClosesTheScreenLeavesNothingTouched) {
  // The application closes the panel the button stands on when the command arrives.
  GButton* button = MakeButton(11);
  app_->onCommand = [this](int32_t) {
    delete panel_;
    panel_ = nullptr;
  };
  Click(120, 115);
  EXPECT_EQ(panel_, nullptr);
  EXPECT_EQ(kernel_->GetMouseTracker(), nullptr);

  // Firing at the mouse-down: the kernel's track call afterwards finds nothing.
  button = MakeButton(12);
  button->SetAutoRepeat(100);
  Down(120, 115);
  EXPECT_EQ(panel_, nullptr);
  Move(121, 115);
  Up(121, 115);

  // Enter on a default button that closes its screen.
  button = MakeButton(13);
  button->MakeDefault();
  Char('\r');
  EXPECT_EQ(panel_, nullptr);
  Char('\r');
  EXPECT_EQ(Commands(), (std::vector<int32_t>{11, 12, 13}));
}

TEST_F(GControlTest, SetValueRedrawsOnlyOnChange) {
  GButton* button = MakeButton(1);
  Redraw();
  button->SetValue(0);
  EXPECT_EQ(DirtyCount(), 0);
  button->SetValue(1);
  EXPECT_TRUE(IsDirty(button));
  EXPECT_FALSE(button->IsValueRedraw());
  GString255 label;
  label.Assign("A label longer than sixty-three characters is cut at sixty-three, like this");
  button->SetLabel(&label);
  EXPECT_EQ(button->GetLabel()->Length(), 63);
  button->SetLabel(nullptr);
  EXPECT_EQ(button->GetLabel(), nullptr);
}

TEST_F(GControlTest, RadioGroupsKeepOneSelectedButton) {
  CRadioGroup group;
  group.Init();
  EXPECT_EQ(group.GetSelectedIndex(), 0);
  panel_ = new ProbeView;
  panel_->Place(nullptr, 0, 0, 300, 100);
  GRadioButton* buttons[3];
  for (int i = 0; i < 3; ++i) {
    buttons[i] = new GRadioButton;
    buttons[i]->IRadioButton(&group, 0, panel_, 10 + 60 * i, 10, 50, 20);
    buttons[i]->SetCommand(20 + i);
  }
  EXPECT_EQ(group.GetSelectedIndex(), 0);
  EXPECT_TRUE(buttons[0]->IsOn());
  Click(140, 15);
  EXPECT_EQ(group.GetSelectedIndex(), 2);
  EXPECT_EQ(buttons[0]->GetValue(), 0);
  EXPECT_EQ(buttons[2]->GetValue(), 1);
  EXPECT_EQ(Commands(), (std::vector<int32_t>{22}));
  Redraw();
  group.SetSelected(buttons[2]);
  EXPECT_EQ(DirtyCount(), 0);
  group.SelectAt(1);
  EXPECT_TRUE(buttons[1]->IsOn());
  EXPECT_FALSE(buttons[2]->IsOn());
  EXPECT_EQ(group.Count(), 3);
}

// Strip bitmaps: frame i of a strip is one solid colour.
constexpr uint32_t kFrameColours[4] = {0xF80000, 0x00FC00, 0x0000F8, 0xF8FC00};

class GStripTest : public GControlTest {
 protected:
  void WriteStrip(int32_t number, int32_t frames) {
    std::vector<uint32_t> pixels;
    for (int32_t f = 0; f < frames; ++f) pixels.insert(pixels.end(), 40 * 10, kFrameColours[f]);
    host_.WriteBitmap(number, 40, 10 * frames, pixels);
  }
  // The frame the screen shows at the button's corner after a redraw; -1 for the panel.
  int32_t Shown(GView* view) {
    Redraw();
    const uint16_t p = Pixel(view->Bounds().left, view->Bounds().top);
    for (int32_t f = 0; f < 4; ++f)
      if (p == PBitmapFile::ToPixel(kFrameColours[f], PPixelFormat::kRGB565)) return f;
    return -1;
  }
};

TEST_F(GStripTest, StripButtonFramesFollowTheStyleTable) {
  const int32_t frames[7] = {2, 2, 3, 3, 4, 1, 1};
  const bool disabledFrame[7] = {false, false, true, false, true, false, false};
  const bool hoverFrame[7] = {false, true, false, true, true, false, false};
  for (int32_t style = 0; style < 7; ++style) {
    SCOPED_TRACE(style);
    WriteStrip(100 + style, frames[style]);
    panel_ = new ProbeView;
    panel_->Place(nullptr, 0, 0, 300, 100);
    auto* button = new GStripButton;
    button->IStripButton(panel_, 20, 20, 30 + style, static_cast<int16_t>(100 + style), style);
    EXPECT_EQ(button->Width(), 40);
    EXPECT_EQ(button->Height(), 10);
    const int32_t normal = style == 6 ? -1 : 0;
    EXPECT_EQ(Shown(button), normal);
    Move(25, 25);
    EXPECT_EQ(Shown(button), hoverFrame[style] ? frames[style] - 1 : normal);
    Down(25, 25);
    EXPECT_EQ(Shown(button), frames[style] > 1 ? 1 : 0);
    Up(25, 25);
    EXPECT_EQ(Commands().back(), 30 + style);
    // After the release the hover frame shows for one drawing.
    EXPECT_EQ(Shown(button), hoverFrame[style] ? frames[style] - 1 : normal);
    button->Invalidate();
    EXPECT_EQ(Shown(button), normal);
    Move(200, 80);
    EXPECT_FALSE(button->IsHover());
    if (disabledFrame[style]) {
      Move(25, 25);
      button->SetEnabled(0);
      EXPECT_FALSE(button->IsHover());
      EXPECT_EQ(Shown(button), 2);
      Click(25, 25);
      EXPECT_EQ(Commands().size(), static_cast<size_t>(style + 1));
    }
    delete panel_;
  }
}

TEST_F(GStripTest, StripRadioButtonsShowTheSelectedOnePressed) {
  WriteStrip(200, 4);
  CRadioGroup group;
  group.Init();
  panel_ = new ProbeView;
  panel_->Place(nullptr, 0, 0, 300, 100);
  auto* a = new GStripRadioButton;
  a->IStripRadioButton(&group, 0, panel_, 10, 10, 200, 4);
  auto* b = new GStripRadioButton;
  b->IStripRadioButton(&group, 0, panel_, 60, 10, 200, 4);
  EXPECT_EQ(a->GetCommand(), -1);
  EXPECT_EQ(Shown(a), 1);
  EXPECT_EQ(Shown(b), 0);
  Move(65, 15);
  EXPECT_EQ(Shown(b), 3);
  Click(65, 15);
  EXPECT_EQ(Shown(a), 0);
  EXPECT_EQ(Shown(b), 1);
  EXPECT_EQ(group.GetSelectedIndex(), 1);
  a->SetEnabled(0);
  EXPECT_EQ(Shown(a), 2);
  EXPECT_TRUE(Commands().empty());
}

TEST_F(GStripTest, PictureButtonsShowTheirStatePictures) {
  host_.WriteSolid(301, 30, 12, kFrameColours[2]);  // disabled
  host_.WriteSolid(302, 30, 12, kFrameColours[1]);  // pressed
  host_.WriteSolid(303, 30, 12, kFrameColours[3]);  // hover
  panel_ = new ProbeView;
  panel_->Place(nullptr, 0, 0, 300, 100);
  auto* button = new GPictureButton;
  button->IPictureButton(panel_, 10, 10, 44, 301, 302, 303);
  EXPECT_EQ(button->Width(), 30);
  EXPECT_EQ(button->Height(), 12);
  EXPECT_EQ(Shown(button), -1);
  Move(15, 15);
  EXPECT_EQ(Shown(button), 3);
  Down(15, 15);
  EXPECT_EQ(Shown(button), 1);
  Up(15, 15);
  EXPECT_EQ(Commands(), (std::vector<int32_t>{44}));
  EXPECT_EQ(Shown(button), 3);
  RedrawAll();
  EXPECT_EQ(Shown(button), -1);
  Move(200, 80);
  button->SetEnabled(0);
  EXPECT_EQ(Shown(button), 2);

  // Without a hover picture the parent's drawing shows on hover and after the release.
  auto* plain = new GPictureButton;
  plain->IPictureButton(panel_, 100, 10, 45, 0, 302, 0);
  Move(105, 15);
  EXPECT_FALSE(plain->IsHighlighted());
  Down(105, 15);
  EXPECT_EQ(Shown(plain), 1);
  Up(105, 15);
  EXPECT_EQ(Shown(plain), -1);
}

TEST_F(GStripTest, AMissingBitmapLeavesAOnePixelButtonThatDrawsNothing) {
  kernel_->ExcludeBitmap(400);  // the kernel is the graphics host
  panel_ = new ProbeView;
  panel_->Place(nullptr, 0, 0, 300, 100);
  auto* button = new GStripButton;
  button->IStripButton(panel_, 20, 20, 1, 400, 0);
  EXPECT_EQ(button->Width(), 1);
  EXPECT_EQ(button->Height(), 1);
  EXPECT_EQ(Shown(button), -1);
}

}  // namespace
