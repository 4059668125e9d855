// TCP/IP play: hosting and joining, the link's two handlers, and what the battle and its
// screen ask of the connection (the orders' end, the seed, the clock, the radio).
#include <cstdlib>
#include <string>

#include "app/WRApplication.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/NetLink.h"
#include "framework/ui/GStripButton.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPictureView.h"
#include "framework/ui/GTextEntry.h"
#include "game/battle/Battle.h"
#include "game/battle/screen/BattleScreenParts.h"
#include "game/battle/screen/InfoPanelSeam.h"
#include "game/map/Map.h"
#include "game/map/OrderState.h"

namespace {

constexpr int32_t kStrConnectionMade = 20129;
constexpr int32_t kStrWaitingToConnect = 20131;
constexpr int32_t kStrYourAddress = 20132;
constexpr int32_t kStrYourAddresses = 20133;
constexpr int32_t kStrDownloading = 20134;
constexpr int32_t kStrTakesMoments = 20135;
constexpr int32_t kMaxLocalAddresses = 3;

GLabel* AddLabel(GView* parent, int32_t x, int32_t y, int32_t width, const GString& text, bool centred) {
  auto* label = new GLabel();
  label->InitWithText(parent, x, y, width, nullptr);
  label->SetText(&text);
  if (centred) label->SetAlignment(0);
  return label;
}

}  // namespace

void WRApplication::StartHosting() {
  tcp_.SetTimeLimit(static_cast<uint32_t>(fileSettings_.timeLimitMs > 0 ? fileSettings_.timeLimitMs : 0));
  if (!tcp_.StartHosting()) return;
  hostFlag_ = 1;
  HostGame();
}

void WRApplication::HostGame() {
  localAddresses_.clear();
  for (uint32_t address = NetStartup(); address != 0 && localAddresses_.size() < kMaxLocalAddresses;
       address = NetStartup()) {
    localAddresses_.push_back(address);
  }
  if (localAddresses_.empty()) {
    // Nothing to show the opponent: the hosting ends as an unopened link does.
    tcp_.Close();
    ShowAlert(0);
    return;
  }
  if (gKernel == nullptr) return;
  ForgetSetupScreens();
  GPictureView* screen = NewConnectionScreen();
  GString255 text;
  text.AppendResource(kStrWaitingToConnect);
  text.AppendResource(localAddresses_.size() == 1 ? kStrYourAddress : kStrYourAddresses);
  AddLabel(screen, 70, 40, screen->Width() - 70, text, false);
  for (size_t i = 0; i < localAddresses_.size(); ++i) {
    GString255 address;
    FormatLocalAddress(address, static_cast<int32_t>(i));
    AddLabel(screen, 230, 70 + 16 * static_cast<int32_t>(i), 100, address, false);
  }
  auto* cancel = new GStripButton();
  cancel->IStripButton(screen, 230, 170, 82, 11103, 0);
}

void WRApplication::FormatLocalAddress(GString& text, int32_t index) const {
  if (hostFlag_ == 0 || index < 0 || index > 2 || static_cast<size_t>(index) >= localAddresses_.size()) {
    FatalError(__LINE__, "WRApplication");
  }
  uint8_t octets[4];
  NetSplitAddress(localAddresses_[static_cast<size_t>(index)], &octets[0], &octets[1], &octets[2], &octets[3]);
  for (int32_t i = 0; i < 4; ++i) {
    if (i > 0) text.AppendChar('.');
    text.AppendNumber(octets[i]);
  }
}

void WRApplication::ShowConnectionMade() {
  if (addressScreen_ == nullptr) return;
  GString255 text;
  text.AppendResource(kStrConnectionMade);
  AddLabel(addressScreen_, 10, 65, addressScreen_->Width() - 20, text, true);
}

void WRApplication::ConnectToHost() {
  if (addressScreen_ == nullptr) return;
  // The four fields, each a number 0..255; anything else is refused with a beep.
  uint8_t octets[4] = {};
  int32_t field = 0;
  for (int32_t i = 0; i < addressScreen_->GetChildCount() && field < 4; ++i) {
    auto* entry = dynamic_cast<GTextEntry*>(addressScreen_->GetChild(i));
    if (entry == nullptr) continue;
    const std::string digits = entry->Text();
    bool number = !digits.empty() && digits.size() <= 3;
    int32_t value = 0;
    for (char c : digits) {
      number = number && c >= '0' && c <= '9';
      value = value * 10 + (c - '0');
    }
    if (!number || value > 255) {
      Beep();
      return;
    }
    octets[field++] = static_cast<uint8_t>(value);
  }
  if (field != 4) FatalError(__LINE__, "WRApplication");
  for (int32_t i = 0; i < 4; ++i) SetOption(GameSettings::kFirstAddressByte + i, static_cast<int8_t>(octets[i]));
  const uint32_t address = NetMakeAddress(octets[0], octets[1], octets[2], octets[3]);
  if (!tcp_.ConnectToHost(address)) return;
  addressScreen_->DeleteChildren();
  GString255 line;
  line.AppendResource(kStrDownloading);
  AddLabel(addressScreen_, -1, 18, 200, line, true);
  line.Clear();
  line.AppendResource(kStrTakesMoments);
  AddLabel(addressScreen_, -1, 34, 200, line, true);
  hostFlag_ = 0;
  connectionType_ = 2;
}

void WRApplication::ReloadBattleGraphics() {
  if (inPlay_.GetBattle() == nullptr) FatalError(__LINE__, "WRApplication");
  // The connection holds its own state while the looks are made again.
  const int32_t state = tcp_.GetState();
  tcp_.SetState(TCPIP_STATE_RELOADING_GRAPHICS);
  if (gKernel != nullptr && gKernel->GetRootView() != nullptr) {
    gKernel->GetRootView()->Invalidate();
    gKernel->UpdateScreen();
  }
  inPlay_.GetBattle()->ReleaseViewObjects();
  if (inPlay_.GetBattle()->Screen().infoPanelSeam != nullptr) inPlay_.GetBattle()->Screen().infoPanelSeam->PreloadUnitPictures();
  if (inPlay_.GetBattle()->map != nullptr) inPlay_.GetBattle()->LoadTextures(false);
  tcp_.SetState(state);
  inPlay_.GetBattle()->missingGraphics[0] = inPlay_.GetBattle()->missingGraphics[1] = 0;
}

void WRApplication::ResetMapInput() {
  if (inPlay_.GetBattle() != nullptr && inPlay_.GetBattle()->map != nullptr) inPlay_.GetBattle()->map->orders.hovered = nullptr;
  if (gKernel != nullptr) gKernel->ClearMouseTracker();
  if (inputMode_ != InputModes::kReplay && inputMode_ != InputModes::kAlert) SetInputMode(InputModes::kNoPick);
}

bool WRApplication::IsNetworkOrdersLocked() const { return connectionType_ == 2 && tcp_.IsOrdersLocked(); }

bool WRApplication::EndNetworkOrders() { return connectionType_ != 2 || tcp_.EndNetworkOrders(); }

void WRApplication::NetworkSetupEnded() {
  if (connectionType_ == 2) tcp_.SetupEnded();
}

bool WRApplication::NetworkReplayEnded() { return connectionType_ != 2 || tcp_.ReplayEnded(); }

void WRApplication::ApplyNetworkSeed() {
  if (connectionType_ != 2) return;
  const uint16_t seed = inPlay_.GetBattle() != nullptr ? inPlay_.GetBattle()->sharedSeed : sharedSeed_;
  SeedRandom(seed);
  GErrorLog::LogValue("Seed applied =", seed);
}

void WRApplication::NetSend(const uint8_t* bytes, int32_t count) {
  if (connectionType_ != 2 || bytes == nullptr || count <= 0) return;
  // The timer-off request and its withdrawal change this side's own request too.
  if (bytes[0] == TCPIP_MSG_TIMER_OFF_REQUEST && count == 1) {
    tcp_.RequestTimerOff(true);
  } else if (bytes[0] == TCPIP_MSG_TIMER_OFF_STATE && count == 2 && bytes[1] == 0) {
    tcp_.RequestTimerOff(false);
  } else {
    if (bytes[0] == TCPIP_MSG_GAME_OVER) {
      tcp_.SetState(TCPIP_STATE_VICTORY_SCREEN);
      tcp_.SetResultsShown(true);
    }
    tcp_.SendMessage(bytes, static_cast<uint32_t>(count), bytes[0] == TCPIP_MSG_GAME_OVER ? 5 : 30);
  }
}

bool WRApplication::IsNetworkWaiting() const {
  return tcp_.IsHost() && tcp_.GetState() == TCPIP_STATE_SERVER_WAITING_FOR_CLIENT;
}

void WRApplication::NoteBattleScreenOpened() {
  if (tcp_.IsHost()) return;
  // The joining machine's first orders phase: the radio hint and twice the limit, as the
  // host starts when it hears that this screen is up.
  AddRadioHint();
  tcp_.SetTimeLimit(static_cast<uint32_t>(fileSettings_.timeLimitMs > 0 ? fileSettings_.timeLimitMs : 0));
  tcp_.StartFirstTurnClock();
}

void WRApplication::SetChatSizes(int32_t lines, int32_t lineWidth) {
  chatLines_ = lines;
  tcpHost_.SetRadioWidth(lineWidth);
}

const char* WRApplication::GetRadioLine(int32_t index, int32_t* author) const {
  const RadioLog& radio = tcp_.Radio();
  const bool used = index >= 0 && index < radio.Count();
  if (author != nullptr) *author = used ? radio.Side(index) : 2;
  return used ? radio.Text(index).c_str() : "";
}
