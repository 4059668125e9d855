// The battle screen's control strip on a started kernel: its layout by screen width, the
// controls and the commands they send to the battle, pictures missing or present, and the three small
// views of the strip (progress bar, blinking light, seconds).
#include <gtest/gtest.h>

#include <vector>

#include "framework/ui/GControl.h"
#include "framework/ui/GPictureView.h"
#include "framework/ui/UiRig.h"
#include "game/battle/Battle.h"
#include "game/battle/screen/BattleScreenParts.h"
#include "game/battle/screen/BattleBlinkIndicator.h"
#include "game/battle/screen/BattleProgressBar.h"
#include "game/battle/screen/BattleSecondsDisplay.h"
#include "game/map/OrderState.h"
#include "game/map/WindowlessMapApp.h"

namespace {

class ScreenApp : public WindowlessMapApp {
 public:
  int8_t GetOption(int32_t) const override { return 0; }
  int32_t GetInputMode() const override { return inputMode; }
  void SetInputMode(int32_t) override {}
  bool IsNetworkOrdersLocked() const override { return false; }
  int32_t GetCurrentSide() const override { return 0; }
  int32_t GetHumanPlayers() const override { return 1; }
  int32_t GetHumanSide() const override { return 0; }
  int32_t GetConnectionType() const override { return connectionType; }
  int32_t GetGameDate() const override { return 4406; }
  int32_t GetFileVersion() const override { return 0; }
  MapBattleServices* GetBattleOrOperation() override { return nullptr; }
  MapBattleServices* GetOperation() override { return nullptr; }
  int32_t GetScreenWidth() const override { return 800; }
  TurnExchange& Exchange() override { return link_; }
  float GetFrameRate() const override { return 40.0f; }
  int32_t GetFrameTime() const override { return 25; }
  bool CanBlend() const override { return false; }
  GObject* NewFigurePrototype(int32_t) override { return nullptr; }
  void PrepareFigureAppearance(GObject*) override {}
  void ReleaseFigureAppearance(GObject*) override {}
  void SetCurrentFileName(const char*) override {}
  bool UsesAlternateHeightBands() const override { return false; }
  int32_t connectionType = 0;
  int32_t inputMode = 0;
  bool networkWaiting = false;

 private:
  struct Link : WindowlessExchange {
    explicit Link(ScreenApp& app) : app(app) {}
    bool IsNetworkWaiting() const override { return app.networkWaiting; }
    ScreenApp& app;
  } link_{*this};
};

class BattleScreenTest : public UiRig {
 protected:
  ~BattleScreenTest() override { battle_.CloseStrip(); }

  ScreenApp app_services_;
  Battle battle_{app_services_};
};

TEST_F(BattleScreenTest, MissingPicturesLeaveGapsAndTheControlsStillSendTheirCommands) {
  // No bitmaps at all: no fillers, the panels keep their places and sizes.
  battle_.BuildScreenOfSize(800, 600);
  EXPECT_EQ(battle_.Screen().views.root->GetChildCount(), 1);
  GView* camera = battle_.Screen().views.cameraPanel;
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(camera->Bounds().left, 80 + 365);
  ASSERT_EQ(camera->GetChildCount(), 8);
  const int32_t commands[8] = {1, 3, 2, 8, 5, 4, 6, 7};
  for (int32_t i = 0; i < 8; ++i) {
    auto* button = dynamic_cast<GControl*>(camera->GetChild(i));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetCommand(), commands[i]);
    // Only the two level buttons do not repeat.
    EXPECT_EQ(button->IsAutoRepeat(), commands[i] != 7 && commands[i] != 8) << commands[i];
  }
  // Hidden until the turn cycle and the replay show them; the network panel shows.
  EXPECT_FALSE(battle_.Screen().views.progressBar->IsVisible());
  EXPECT_FALSE(battle_.Screen().views.replayPanel->IsVisible());
  EXPECT_TRUE(battle_.Screen().views.networkPanel->IsVisible());
  EXPECT_EQ(battle_.Screen().views.progressBar->Bounds().left, 80 + 104);
  EXPECT_EQ(battle_.Screen().views.progressBar->Bounds().top, 510 + 52);
  EXPECT_EQ(battle_.Screen().views.progressBar->Width(), 157);
  EXPECT_EQ(battle_.Screen().views.blinkIndicator->Bounds().left, 80 + 547 + 7);
  EXPECT_EQ(battle_.Screen().views.secondsDisplay->Bounds().left, 80 + 547 + 59);

  // The network panel's GO (9) and the replay light's next turn (10).
  auto* go = dynamic_cast<GControl*>(battle_.Screen().views.networkPanel->GetChild(0));
  ASSERT_NE(go, nullptr);
  EXPECT_EQ(go->GetCommand(), 9);
  auto* next = dynamic_cast<GControl*>(battle_.Screen().views.blinkIndicator->GetChild(0));
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->GetCommand(), 10);

  RedrawAll();
  // The strip's buttons command the battle itself, not through the application: the replay's
  // pause (13 at (51, 7) of its controls, once the replay shows them) pauses the replay.
  app_services_.inputMode = InputModes::kReplay;
  battle_.replayState = Replay::kPlaying;
  battle_.Screen().views.networkPanel->SetVisible(0);
  battle_.Screen().views.replayPanel->SetVisible(1);
  Click(80 + 547 + 51 + 5, 510 + 7 + 5);
  EXPECT_EQ(battle_.replayState, Replay::kPaused);
  EXPECT_TRUE(Commands().empty());
  // A command of the application's own goes on to it.
  battle_.Screen().views.root->DoCommand(60);
  EXPECT_EQ(Commands(), std::vector<int32_t>{60});
}

TEST_F(BattleScreenTest, TcpIpPlayFillsThePanelAndHidesTheNetworkPanelWhileWaiting) {
  app_services_.connectionType = 2;
  battle_.BuildScreenOfSize(640, 480);
  EXPECT_FALSE(battle_.Screen().views.mainPanel->IsNoFill());
  EXPECT_TRUE(battle_.Screen().views.networkPanel->IsVisible());
  app_services_.networkWaiting = true;
  battle_.BuildScreenOfSize(640, 480);
  EXPECT_FALSE(battle_.Screen().views.networkPanel->IsVisible());
  // Outside TCP/IP play the wait does not hide it.
  app_services_.connectionType = 1;
  battle_.BuildScreenOfSize(640, 480);
  EXPECT_TRUE(battle_.Screen().views.networkPanel->IsVisible());
}

TEST_F(BattleScreenTest, TheProgressBarFillsWithTheSliceAndTheClockReadsTwoDigits) {
  EXPECT_EQ(BattleProgressBar::FillFor(39, 157), 4);
  EXPECT_EQ(BattleProgressBar::FillFor(2400, 157), 158);
  EXPECT_EQ(BattleProgressBar::FillFor(4800, 157), 158);
  EXPECT_EQ(BattleProgressBar::FillFor(0, 157), 1);
  battle_.BuildScreenOfSize(800, 600);
  battle_.ShowProgress(39);
  EXPECT_EQ(battle_.Screen().views.progressBar->GetFill(), 4);
  EXPECT_FALSE(battle_.Screen().views.progressBar->SetSlice(40));  // still 4: nothing to redraw
  EXPECT_TRUE(battle_.Screen().views.progressBar->SetSlice(0));    // below 1 always redraws
  battle_.ShowProgress(2400);
  EXPECT_EQ(battle_.Screen().views.progressBar->GetFill(), 158);
  battle_.Screen().views.progressBar->SetVisible(1);
  RedrawAll();  // the bar clipped to its frame

  EXPECT_EQ(BattleSecondsDisplay::Text(7), "0:07");
  EXPECT_EQ(BattleSecondsDisplay::Text(0), "0:00");
  EXPECT_EQ(BattleSecondsDisplay::Text(10), "0:10");
  EXPECT_EQ(BattleSecondsDisplay::Text(60), "0:60");
  EXPECT_EQ(BattleSecondsDisplay::Text(75), "0:60");
}

TEST_F(BattleScreenTest, TheBlinkingLightSwitchesAt1300AndWrapsAt1700) {
  host_.WriteBitmap(2012, 51, 15, std::vector<uint32_t>(51 * 15, 0xFF0000));
  host_.WriteBitmap(2013, 51, 15, std::vector<uint32_t>(51 * 15, 0x00FF00));
  battle_.BuildScreenOfSize(800, 600);
  BattleBlinkIndicator& light = *battle_.Screen().views.blinkIndicator;
  light.SetEnabled(0);
  EXPECT_EQ(light.GetTickInterval(), -1);
  light.Advance(500);
  EXPECT_EQ(light.GetPhase(), 0);  // no time passes while disabled

  light.SetEnabled(1);
  EXPECT_EQ(light.GetTickInterval(), 0);
  light.Advance(1300);
  EXPECT_EQ(light.ShownPicture(), BattleBlinkIndicator::kPictureA);
  light.Advance(1);
  EXPECT_EQ(light.ShownPicture(), BattleBlinkIndicator::kPictureB);
  light.Advance(398);
  EXPECT_EQ(light.GetPhase(), 1699);
  light.Advance(11);
  EXPECT_EQ(light.GetPhase(), 10);
  EXPECT_EQ(light.ShownPicture(), BattleBlinkIndicator::kPictureA);

  // Drawn: picture A's red, then B's green.
  battle_.Screen().views.replayPanel->SetVisible(1);
  RedrawAll();
  const int32_t x = 80 + 547 + 7 + 20;
  const int32_t y = 510 + 73 + 5;
  EXPECT_EQ(Pixel(x, y), Rgb(255, 0, 0));
  light.Advance(1500);
  Redraw();
  EXPECT_EQ(Pixel(x, y), Rgb(0, 255, 0));
  // Re-enabling starts the cycle again.
  light.SetEnabled(1);
  EXPECT_EQ(light.GetPhase(), 0);
}

// A kernel on a 1280 x 1024 display, so that no strip up to that width is clipped.
class WideApp : public CommandApp {
 public:
  void GetDisplayChoice(DisplayPreset* record) override {
    CommandApp::GetDisplayChoice(record);
    record->width = 1280;
    record->height = 1024;
  }
};

class WideBattleScreenTest : public testing::Test {
 protected:
  WideBattleScreenTest() {
    GErrorLog::ResetForTests();
    auto backEnd = std::make_unique<PFakeBackEnd>();
    backEnd->SetDesktopSize(1280, 1024);
    CopyRendererBitmaps(host_.folder);
    host_.WriteBitmap(11112, 80, 90, std::vector<uint32_t>(80 * 90, 0x405030));
    host_.WriteBitmap(11113, 96, 90, std::vector<uint32_t>(96 * 90, 0x405030));
    host_.WriteBitmap(11114, 192, 90, std::vector<uint32_t>(192 * 90, 0x405030));
    kernel_ = std::make_unique<GKernel>();
    bool ok = false;
    {
      KernelStartClock clock;
      kernel_->Init(std::move(backEnd), &ok);
    }
    kernel_->StartWithoutLoop(new WideApp);
    EXPECT_TRUE(ok);
    int32_t w = 0, h = 0;
    kernel_->GetScreenSize(w, h);
    EXPECT_EQ(w, 1280);
  }
  ~WideBattleScreenTest() override {
    battle_.CloseStrip();
    kernel_.reset();
    PClock::SetFake(nullptr);
    GErrorLog::ResetForTests();
  }
  // The root's children after the main panel: (left, width) of each.
  std::vector<std::array<int32_t, 2>> Fillers() const {
    std::vector<std::array<int32_t, 2>> out;
    for (int32_t i = 1; i < battle_.Screen().views.root->GetChildCount(); ++i) {
      const GView* v = battle_.Screen().views.root->GetChild(i);
      out.push_back({v->Bounds().left, v->Width()});
    }
    return out;
  }
  bool IsPicture(int32_t child) const {
    return dynamic_cast<GPictureView*>(battle_.Screen().views.root->GetChild(child)) != nullptr;
  }

  GraphicsTestHost host_;
  std::unique_ptr<GKernel> kernel_;
  ScreenApp app_services_;
  Battle battle_{app_services_};
};

using Fill = std::vector<std::array<int32_t, 2>>;

TEST_F(WideBattleScreenTest, TheStripIsLaidOutByScreenWidth) {
  battle_.BuildScreenOfSize(640, 480);
  EXPECT_EQ(battle_.Screen().views.root->Bounds().left, 0);
  EXPECT_EQ(battle_.Screen().views.root->Bounds().top, 390);
  EXPECT_EQ(battle_.Screen().views.root->Width(), 640);
  EXPECT_EQ(battle_.Screen().views.root->Height(), 90);
  EXPECT_TRUE(battle_.Screen().views.root->IsNoFill());
  EXPECT_EQ(battle_.Screen().views.root->GetChildCount(), 1);
  EXPECT_EQ(battle_.Screen().views.mainPanel->Bounds().left, 0);
  EXPECT_TRUE(battle_.Screen().views.mainPanel->IsNoFill());

  battle_.BuildScreenOfSize(800, 600);
  EXPECT_EQ(battle_.Screen().views.root->Bounds().top, 510);
  EXPECT_EQ(battle_.Screen().views.mainPanel->Bounds().left, 80);
  EXPECT_EQ(Fillers(), (Fill{{0, 80}, {720, 80}}));
  EXPECT_TRUE(IsPicture(1) && IsPicture(2));

  battle_.BuildScreenOfSize(900, 700);
  EXPECT_EQ(battle_.Screen().views.mainPanel->Bounds().left, 130);
  EXPECT_EQ(Fillers(), (Fill{{0, 96}, {804, 96}, {96, 34}, {770, 34}}));
  EXPECT_TRUE(IsPicture(1) && IsPicture(2) && !IsPicture(3) && !IsPicture(4));
  EXPECT_FALSE(battle_.Screen().views.root->GetChild(3)->IsNoFill());

  battle_.BuildScreenOfSize(1280, 1024);
  EXPECT_EQ(battle_.Screen().views.mainPanel->Bounds().left, 320);
  EXPECT_EQ(Fillers(), (Fill{{0, 192}, {1088, 192}, {192, 128}, {960, 128}}));

  // Widths between the named ones get plain views either side; exactly 1024 no plain views.
  battle_.BuildScreenOfSize(720, 540);
  EXPECT_EQ(Fillers(), (Fill{{0, 40}, {680, 40}}));
  battle_.BuildScreenOfSize(1024, 768);
  EXPECT_EQ(Fillers(), (Fill{{0, 192}, {832, 192}}));
}

}  // namespace
