// The battle screen's control strip: the unit panel's place, the camera buttons, the replay
// controls with their light and clock, the progress bar, the network panel and the fillers
// that flank the 640-pixel panel on wider screens; and the battle's handler of the strip's
// commands.
#include "framework/core/GErrorLog.h"
#include "framework/core/GRandom.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraphic.h"
#include "framework/ui/GButton.h"
#include "framework/ui/GPictureButton.h"
#include "framework/ui/GPictureView.h"
#include "framework/ui/GView.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/screen/BattleBlinkIndicator.h"
#include "game/battle/screen/BattleProgressBar.h"
#include "game/battle/screen/BattleScreenParts.h"
#include "game/battle/screen/BattleSecondsDisplay.h"
#include "game/battle/screen/EphemeralBurst.h"
#include "game/map/BalloonTarget.h"
#include "game/map/Map.h"
#include "game/map/OrderMenuTarget.h"
#include "game/map/OrderState.h"
#include "game/map/TurnExchange.h"
#include "game/units/Unit.h"
#include "game/map/MapAppServices.h"

namespace {

constexpr int32_t kStripHeight = 90;
constexpr int32_t kPanelWidth = 640;
constexpr int32_t kTcpIp = 2;

GView* PlainView(GView* parent, int32_t x, int32_t y, int32_t width, int32_t height, bool noFill) {
  auto* view = new GView;
  view->Place(parent, x, y, width, height);
  view->SetNoFill(noFill ? 1 : 0);
  return view;
}

// The battle's commands (GO, the next turn, the camera and replay buttons, the orders menu's)
// are those below this one; the application's start here.
constexpr int32_t kFirstApplicationCommand = 53;

// The strip's root view: the commands of its buttons go straight to the battle whose strip it
// is; any other goes on to the application.
class StripRoot final : public GView {
 public:
  explicit StripRoot(Battle& battle) : battle_(battle) {}

  void DoCommand(int32_t command) override {
    if (command < kFirstApplicationCommand) {
      battle_.DoCommand(command);
      return;
    }
    GView::DoCommand(command);
  }

 private:
  Battle& battle_;
};

bool BitmapExists(int32_t number) {
  GGraphic probe;
  return probe.Load(1, number, 0, true) && probe.GetStub() != nullptr;
}

// The picture, or, when its bitmap cannot be loaded, an empty view of the size it would have
// had so that the controls on it still work; null for a missing picture that holds nothing.
GView* Picture(GView* parent, int32_t x, int32_t y, int16_t number, int32_t width = 0, int32_t height = 0) {
  if (BitmapExists(number)) {
    auto* view = new GPictureView;
    view->InitKind1(parent, x, y, number);
    return view;
  }
  if (width <= 0) return nullptr;
  return PlainView(parent, x, y, width, height, true);
}


// An invisible button area that sends its command.
GControl* ButtonArea(GView* parent, int32_t x, int32_t y, int32_t width, int32_t height, int32_t command) {
  auto* button = new GButton;
  button->Place(parent, x, y, width, height);
  button->SetNoFill(1);
  button->SetCommand(command);
  return button;
}

// A button that shows its picture while pressed; without the picture a 40 x 40 area.
GControl* PictureButton(GView* parent, int32_t x, int32_t y, int32_t command, int16_t picture) {
  if (!BitmapExists(picture)) return ButtonArea(parent, x, y, 40, 40, command);
  auto* button = new GPictureButton;
  button->IPictureButton(parent, x, y, command, 0, picture, 0);
  return button;
}

struct CameraButton {
  int32_t command;
  int16_t picture;
  int32_t x, y;
  bool repeats;
};

// Turn left, forward, turn right, level up; slide left, back, slide right, level down.
constexpr CameraButton kCameraButtons[8] = {{1, 2000, 7, 6, true},   {3, 2001, 51, 6, true},
                                            {2, 2002, 95, 6, true},   {8, 2007, 139, 6, false},
                                            {5, 2003, 7, 48, true},   {4, 2004, 51, 48, true},
                                            {6, 2005, 95, 48, true},  {7, 2006, 139, 48, false}};

}  // namespace

BattleScreenParts& Battle::Screen() {
  if (screenParts_ == nullptr) screenParts_ = new BattleScreenParts;
  return *screenParts_;
}

const BattleScreenParts& Battle::Screen() const {
  if (screenParts_ == nullptr) screenParts_ = new BattleScreenParts;
  return *screenParts_;
}

void Battle::DeleteScreenParts() {
  delete screenParts_;
  screenParts_ = nullptr;
}

void Battle::BuildScreen() {
  int32_t width = 640;
  int32_t height = 480;
  if (gKernel != nullptr) gKernel->GetScreenSize(width, height);
  BuildScreenOfSize(width, height);
}

void Battle::BuildScreenOfSize(int32_t width, int32_t height) {
  CloseStrip();
  BattleScreenParts& parts = Screen();
  BattleScreenParts::Views& screen = parts.views;
  const bool tcpip = App().GetConnectionType() == kTcpIp;
  auto* strip = new StripRoot(*this);
  strip->Place(nullptr, 0, height - kStripHeight, width, kStripHeight);
  strip->SetNoFill(1);
  screen.root = strip;
  GView* main = PlainView(screen.root, (width - kPanelWidth) / 2, 0, kPanelWidth, kStripHeight, !tcpip);
  screen.mainPanel = main;
  Picture(main, 0, 0, 2009);
  // The unit panel, or without one a plain view in its place over the strip picture's left part.
  InfoPanelSeam::Maker maker = BattleScreenParts::infoPanelMaker;
  parts.infoPanelSeam = maker != nullptr ? maker(*this, main) : nullptr;
  screen.infoPanel =
      parts.infoPanelSeam != nullptr ? parts.infoPanelSeam->View() : PlainView(main, 0, 0, 365, kStripHeight, true);

  screen.progressBar = new BattleProgressBar;
  screen.progressBar->Place(main, 104, 52, 157, 14);
  screen.progressBar->SetFullWidth(157);
  screen.progressBar->SetVisible(0);

  screen.cameraPanel = Picture(main, 365, 0, 2008, 182, kStripHeight);
  for (const CameraButton& b : kCameraButtons) {
    GControl* button = PictureButton(screen.cameraPanel, b.x, b.y, b.command, b.picture);
    if (b.repeats) button->SetAutoRepeat(0);
  }

  screen.replayPanel = Picture(main, 547, 0, 2010, 93, kStripHeight);
  screen.replayPanel->SetVisible(0);
  ButtonArea(screen.replayPanel, 7, 7, 40, 30, 11);
  ButtonArea(screen.replayPanel, 7, 41, 40, 30, 12);
  ButtonArea(screen.replayPanel, 51, 7, 40, 30, 13);
  ButtonArea(screen.replayPanel, 51, 41, 40, 30, 15);

  screen.goPicture = Picture(screen.replayPanel, 51, 7, 2011, 50, 30);
  screen.goPicture->SetVisible(0);
  ButtonArea(screen.goPicture, 0, 0, 50, 30, 14);

  screen.blinkIndicator = new BattleBlinkIndicator;
  screen.blinkIndicator->Place(screen.replayPanel, 7, 73, 51, 15);
  ButtonArea(screen.blinkIndicator, 0, 0, 51, 15, 10);

  screen.secondsDisplay = new BattleSecondsDisplay;
  screen.secondsDisplay->Place(screen.replayPanel, 59, 73, 30, 15);

  screen.networkPanel = Picture(main, 547, 0, 2014, 93, kStripHeight);
  PictureButton(screen.networkPanel, 7, 7, 9, 2015);
  if (tcpip && !App().IsEditorOpen() && App().Exchange().IsNetworkWaiting()) screen.networkPanel->SetVisible(0);

  // Fillers beside the main panel.
  GView* root = screen.root;
  if (width >= 1024) {
    Picture(root, 0, 0, 11114);
    Picture(root, width - 192, 0, 11114);
    if (width > 1024) {
      const int32_t gap = (width - 1024) / 2;
      PlainView(root, 192, 0, gap, kStripHeight, false);
      PlainView(root, gap + 832, 0, gap, kStripHeight, false);
    }
  } else if (width >= 832) {
    Picture(root, 0, 0, 11113);
    Picture(root, width - 96, 0, 11113);
    if (width > 832) {
      const int32_t gap = (width - 832) / 2;
      PlainView(root, 96, 0, gap, kStripHeight, false);
      PlainView(root, gap + 736, 0, gap, kStripHeight, false);
    }
  } else if (width == 800) {
    Picture(root, 0, 0, 11112);
    Picture(root, 720, 0, 11112);
  } else if (width > kPanelWidth) {
    const int32_t gap = (width - kPanelWidth) / 2;
    PlainView(root, 0, 0, gap, kStripHeight, false);
    PlainView(root, gap + kPanelWidth, 0, gap, kStripHeight, false);
  }

  if (parts.screenObject == nullptr && gKernel != nullptr) parts.screenObject = gKernel->TryNewGraphic(1, 10037);
}

void Battle::ShowProgress(int32_t slice) {
  BattleProgressBar* bar = screenParts_ != nullptr ? screenParts_->views.progressBar : nullptr;
  if (bar != nullptr && bar->SetSlice(slice) && gKernel != nullptr) {
    gKernel->UpdateScreen();
  }
}

void Battle::EnableBlinkIndicator(bool on) {
  if (screenParts_ != nullptr && screenParts_->views.blinkIndicator != nullptr) {
    screenParts_->views.blinkIndicator->SetEnabled(on ? 1 : 0);
  }
}

void Battle::CloseStrip() {
  if (screenParts_ == nullptr) return;
  delete screenParts_->views.root;
  screenParts_->views = BattleScreenParts::Views{};
  screenParts_->infoPanelSeam = nullptr;
}

void Battle::InvalidateInfoPanel() {
  if (screenParts_ != nullptr && screenParts_->views.infoPanel != nullptr) screenParts_->views.infoPanel->Invalidate();
}

void Battle::ShowScoreShares() {
  if (screenParts_ != nullptr && screenParts_->infoPanelSeam != nullptr) {
    screenParts_->infoPanelSeam->SetScoreShares(scoreShare[0], scoreShare[1]);
  }
}

void Battle::HideGoStrip() {
  if (screenParts_ != nullptr && screenParts_->views.networkPanel != nullptr) screenParts_->views.networkPanel->SetVisible(0);
}

void Battle::ShowReplayStrip() {
  if (screenParts_ == nullptr) return;
  const BattleScreenParts::Views& screen = screenParts_->views;
  if (screen.goPicture != nullptr) screen.goPicture->SetVisible(0);
  if (screen.replayPanel != nullptr && App().Exchange().GetNetworkStateForView() != 14) screen.replayPanel->SetVisible(1);
}

void Battle::ShowGoStrip() {
  if (screenParts_ == nullptr) return;
  const BattleScreenParts::Views& screen = screenParts_->views;
  if (screen.replayPanel != nullptr) screen.replayPanel->SetVisible(0);
  if (screen.networkPanel != nullptr) screen.networkPanel->SetVisible(1);
}

void Battle::MakeDustCloud(float x, float y, bool large, int32_t startSlice) {
  const float ground = map != nullptr ? map->ElevationAt(x, y) : 0.0f;
  const int32_t start = startSlice >= 0 ? startSlice : replay.current;
  // The look of the cloud is the presentation's: the game's generator stays as it was.
  replay.effects.emplace_back(EphemeralBurst::NewDustCloud(x, y, ground, large, start, GRandom::Presentation()));
}

void Battle::AddCollapseEffect(float x, float y, bool tall, int32_t argument) { MakeDustCloud(x, y, tall, argument); }

void Battle::DrawUnitExtras(float scale, float infantryExponent, float vehicleExponent) {
  float* extras = Screen().unitExtras;
  extras[0] = scale;
  extras[1] = infantryExponent;
  extras[2] = vehicleExponent;
  for (int32_t i = 0; i < UnitCount(); ++i) UnitAt(i)->DrawOnMap(scale, infantryExponent, vehicleExponent);
}

void Battle::DoCommand(int32_t command) {
  if (command >= kOrderFirst && command <= kOrderLast) {
    // The orders menu's codes go back to the open menu, which gives the order.
    if (map != nullptr) {
      if (auto* menu = dynamic_cast<OrderMenuTarget*>(map->camera.openMenu)) {
        menu->Execute(command);
        return;
      }
    }
    // Without an open menu there is nothing to give them to.
    GErrorLog::LogValue("Order command with no orders menu open, ignored:", command);
    return;
  }
  switch (command) {
    // The camera buttons of the battle screen.
    case 1:
    case 2:
      if (map != nullptr) map->TurnCamera(command == 1 ? 1.0f : -1.0f);
      break;
    case 3:
    case 4:
      if (map != nullptr) map->MoveCamera(command, 1.0f);
      break;
    case 5:
    case 6:
      if (map != nullptr) map->MoveCamera(command - 4, 1.0f);
      break;
    case 7:
    case 8:
      if (map != nullptr) map->ChangeCameraLevel(command == 8);
      break;
    case 16:
      // The button of the open unit information balloon.
      if (map != nullptr) {
        if (auto* balloon = dynamic_cast<BalloonTarget*>(map->display.unitBalloon)) balloon->ToggleKillInfo();
      }
      break;
    case 17:
      // The side to play chooses to fight this night battle.
      if (auto* operation = dynamic_cast<Campaign*>(App().GetOperation())) {
        operation->nightIntent[App().GetCurrentSide() & 1] = 2;
      }
      Go();
      break;
    case 9:
    case 18: Go(); break;
    case 10: NextTurn(); break;
    case Replay::kRestart:
    case Replay::kBack:
    case Replay::kPaused:
    case Replay::kPlaying:
    case Replay::kForward:
      if (App().GetInputMode() == InputModes::kReplay) ReplayControl(command);
      break;
    default: break;
  }
}
