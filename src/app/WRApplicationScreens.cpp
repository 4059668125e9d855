// The main screen, the multiplayer screen, the opponent address screen and the waiting
// screen between the battles of a TCP/IP operation.
#include <cstdio>

#include "game/ui/HelpStripButton.h"
#include "app/NoticeView.h"
#include "game/ui/ResourceLabel.h"
#include "app/ScreenColours.h"
#include "app/WRApplication.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GSoundManager.h"
#include "framework/media/NetLink.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPictureView.h"
#include "framework/ui/GStripButton.h"
#include "framework/ui/GTextEntry.h"
#include "framework/ui/GView.h"
#include "game/map/OrderState.h"

namespace {

int32_t gSizeClass = 0;

struct MainButton {
  int32_t command;
  int16_t bitmap;
  int32_t help;
  int16_t sound;
};

constexpr MainButton kMainButtons[4] = {
    {54, 11200, 1520, 152}, {55, 11201, 1521, 152}, {57, 11203, 1523, 152}, {58, 11204, 1524, 0}};

HelpStripButton* AddHelpButton(GView* parent, int32_t left, int32_t top, const MainButton& b, ResourceLabel* help) {
  auto* button = new HelpStripButton();
  button->IHelpStripButton(parent, left, top, b.command, b.bitmap, 3, help, static_cast<int16_t>(b.help));
  button->SetClickSound(b.sound);
  return button;
}

GLabel* AddCentredLabel(GView* parent, int32_t x, int32_t y, int32_t width, int32_t stringId) {
  auto* label = new GLabel();
  label->InitWithResource(parent, x, y, width, static_cast<int16_t>(stringId));
  label->SetAlignment(0);
  return label;
}

}  // namespace

int32_t WRApplication::SizeClassFor(int32_t screenWidth) {
  if (screenWidth < 800) return 0;
  return screenWidth < 1024 ? 1 : 2;
}

int32_t WRApplication::PanelHeightFor(int32_t sizeClass) {
  return sizeClass == 0 ? 480 : sizeClass == 1 ? 600 : 768;
}

int32_t WRApplication::GetSizeClass() { return gSizeClass; }

void WRApplication::SendQuitAndClose() {
  // Whether or not the link still stands, this machine is done with it.
  tcp_.LeftGame();
  if (!NetIsConnected()) return;
  const uint8_t quit = 18;
  ::NetSend(&quit, 1, 4);
  NetCloseAfterDrain(5);
}

void WRApplication::ResetGameState() {
  tcp_.Reset();
  tcpHost_.SetReloadGraphics(false);
  hostFlag_ = 1;
  SeedRandomFromClock();
  sharedSeed_ = static_cast<uint16_t>(Random(65535));
  if (alertBox_ != nullptr) {
    GView* box = alertBox_;
    alertBox_ = nullptr;
    SafeDelete(box);
  }
}

void WRApplication::ShowMainScreen(bool fresh) {
  SendQuitAndClose();
  if (gGraph3D != nullptr) gGraph3D->SetDownsampleLevel(downsampleLevel_);
  SetInputMode(InputModes::kNoPick);
  ResetGameState();
  if (gKernel == nullptr) return;
  if (!fresh) {
    if (gKernel->Is3D()) FatalError(1083, "WRApplication");
    if (mainPicture_ == nullptr) FatalError(1084, "WRApplication");
    if (helpLine_ == nullptr) FatalError(1086, "WRApplication");
    mainPicture_->DeleteChildren();
    addressScreen_ = nullptr;
    helpLine_->SetStringId(1500);
  } else {
    const bool notice = showEmailNotice_ != 0;
    // The set-up and hand-over screens go before the screen is cleared under them.
    ForgetSetupScreens();
    SafeDelete(screenRoot_);
    mainPicture_ = nullptr;
    helpLine_ = nullptr;
    addressScreen_ = nullptr;
    gKernel->ClearScreen(!notice);
    gKernel->Set3DMode(false);
    int32_t width = 0;
    int32_t height = 0;
    gKernel->GetScreenSize(width, height);
    screenRoot_ = new GView();
    screenRoot_->SetBackColor(gBlackPixel);
    screenRoot_->Place(gKernel->GetRootView(), 0, 0, width, height);
    gSizeClass = SizeClassFor(width);
    const int32_t panel = PanelHeightFor(gSizeClass);
    const int32_t panelTop = (screenRoot_->Height() - panel) / 2;
    mainPicture_ = new GPictureView();
    mainPicture_->Init(screenRoot_, -1, panelTop, static_cast<int16_t>(11000 + gSizeClass));
    helpLine_ = new ResourceLabel(screenRoot_, -1, panelTop + panel - 26, static_cast<int16_t>(11210 + gSizeClass), 1500);
  }
  const int32_t w = mainPicture_->Width();
  const int32_t h = mainPicture_->Height();
  auto* version = new GLabel();
  // Above the help line, which covers the picture's last 26 rows, and wide enough for the
  // whole text.
  version->InitWithResource(mainPicture_, w - 210, h - 26 - 16, 200, 9998);
  version->SetFont(1);
  version->SetAlignment(1);
  version->SetShadow(1);
  version->SetFill(0);
  AddMainButtons();
  GLabel* second = AddCentredLabel(mainPicture_, -1, 55, 200, 9998);
  second->SetColor(0, 0, 0);
  second->SetBackColor(ScreenColours::Pixel(ScreenColours::kBackground));
  GErrorLog::LogError(second->GetText().CStr());
  if (showEmailNotice_ != 0) {
    showEmailNotice_ = 0;
    ShowEmailNotice();
  } else {
    humanPlayers_ = 1;
    connectionType_ = 0;
  }
  if (fresh && titleSound_ == nullptr && gSoundManager != nullptr) gSoundManager->PlaySound(170, 0);
}

void WRApplication::AddMainButtons() {
  const int32_t w = mainPicture_->Width();
  const int32_t h = mainPicture_->Height();
  for (int32_t k = 0; k < 4; ++k) {
    const int32_t left = k < 2 ? w / 2 - (gSizeClass == 0 ? 310 : 340) : w / 2 + (gSizeClass == 0 ? 10 : 40);
    const int32_t top = h - 170 + 70 * (k % 2) + (gSizeClass == 0 ? 20 : 0);
    AddHelpButton(mainPicture_, left, top, kMainButtons[k], helpLine_);
  }
}

void WRApplication::ShowEmailNotice() {
  auto* notice = new NoticeView([this](GView* closed) { NoticeClosed(closed); });
  SafeDelete(notice_);
  notice_ = notice;
  notice->PlaceModal(nullptr, -1, -1, 490, 150);
  notice->SetBackColor(ScreenColours::Pixel(ScreenColours::kBackground));
  const uint16_t red = ScreenColours::Pixel(ScreenColours::kBorder);
  const int32_t strips[4][4] = {{0, 0, 490, 10}, {0, 140, 490, 10}, {0, 10, 10, 130}, {480, 10, 10, 130}};
  for (const auto& s : strips) {
    auto* strip = new GView();
    strip->SetBackColor(red);
    strip->Place(notice, s[0], s[1], s[2], s[3]);
  }
  const int32_t lines[5][2] = {{200, 20}, {201, 50}, {202, 66}, {203, 82}, {205, 112}};
  for (const auto& line : lines) AddCentredLabel(notice, 20, line[1], 490 - 40, line[0]);
}

void WRApplication::ShowMultiplayerScreen() {
  if (mainPicture_ == nullptr || helpLine_ == nullptr) FatalError(1150, "WRApplication");
  helpLine_->SetStringId(1502);
  mainPicture_->DeleteChildren();
  addressScreen_ = nullptr;
  const int32_t w = mainPicture_->Width();
  const int32_t h = mainPicture_->Height();
  const MainButton buttons[3] = {{61, 11207, 1527, 152}, {62, 11208, 1528, 152}, {60, 11206, 1525, 152}};
  const int32_t tops[3] = {210 + 110 * gSizeClass, 280 + 110 * gSizeClass, h - 90};
  for (int32_t i = 0; i < 3; ++i) AddHelpButton(mainPicture_, w / 2 - 150, tops[i], buttons[i], helpLine_);
}

void WRApplication::ShowAddressEntry() {
  if (mainPicture_ == nullptr || helpLine_ == nullptr) FatalError(1180, "WRApplication");
  mainPicture_->DeleteChildren();
  helpLine_->ShowStringId(0);
  auto* screen = new GPictureView();
  screen->Init(mainPicture_, -1, -1, 11168);
  addressScreen_ = screen;
  auto* label = new GLabel();
  label->InitWithResource(screen, 130, 60, 170, 1694);
  for (int32_t i = 0; i < 4; ++i) {
    auto* entry = new GTextEntry();
    entry->Init(screen, 310 + 38 * i, 60, 3, 1, 1, 1);
    GString255 number;
    number.AssignNumber(static_cast<uint8_t>(GetOption(GameSettings::kFirstAddressByte + i)));
    entry->AppendText(&number);
    if (i > 0) {
      auto* dot = new GLabel();
      dot->InitWithText(screen, 304 + 38 * i, 65, 6, ".");
    }
  }
  auto* connect = new GStripButton();
  connect->IStripButton(screen, 180, 130, 63, 11101, 0);
  connect->MakeDefault();
  auto* cancel = new GStripButton();
  cancel->IStripButton(screen, 330, 130, 64, 11103, 0);
}

GPictureView* WRApplication::NewConnectionScreen() {
  SafeDelete(screenRoot_);
  mainPicture_ = nullptr;
  helpLine_ = nullptr;
  addressScreen_ = nullptr;
  gKernel->ClearScreen(true);
  screenRoot_ = new GView();
  screenRoot_->SetBackColor(gBlackPixel);
  screenRoot_->Place(gKernel->GetRootView(), 0, 0, 0, 0);
  auto* screen = new GPictureView();
  screen->Init(screenRoot_, -1, -1, 11168);
  addressScreen_ = screen;
  return screen;
}

void WRApplication::ShowWaitForSetup() {
  if (gKernel == nullptr) return;
  tcp_.SetState(TCPIP_STATE_CLIENT_DOWNLOADING_GAME);
  tcp_.Transfer().DropIncoming();
  GPictureView* screen = NewConnectionScreen();
  AddCentredLabel(screen, 135, 50, 330, 1712);
  AddCentredLabel(screen, 135, 70, 330, 1713);
  auto* cancel = new GStripButton();
  cancel->IStripButton(screen, 245, 180, 64, 11103, 0);
}
