#include "app/WRTurnExchange.h"

#include "app/WRApplication.h"

// ---- The orders exchange's settings ----
bool WRTurnExchange::IsSeedDrawing() const { return app_.connectionType_ == 2 && app_.hostFlag_ != 0; }
void WRTurnExchange::SetSharedSeed(uint16_t seed) { app_.sharedSeed_ = seed; }
void WRTurnExchange::ApplyNetworkSeed() { app_.ApplyNetworkSeed(); }
bool WRTurnExchange::GetComputeHere() const { return app_.tcpHost_.ComputesHere(); }
void WRTurnExchange::SetComputeHere(bool value) { app_.tcpHost_.SetComputeHere(value); }
// Each side's password digest, kept in the game settings: the orders sent while the sides
// deploy carry it to the other machine, so a side keeps its password in a saved, e-mailed or
// resumed game whichever machine takes its seat.
const char* WRTurnExchange::GetPasswordDigest(int32_t side) const {
  return app_.fileSettings_.passwordDigest[side & 1].CStr();
}
void WRTurnExchange::SetPasswordDigest(int32_t side, const char* text) {
  app_.fileSettings_.passwordDigest[side & 1].Assign(text);
}
uint32_t WRTurnExchange::GetCPURating() const { return app_.GetCPURating(); }
// The e-mail seed the game file carries.
uint32_t WRTurnExchange::GetEmailSeed() const { return app_.fileSettings_.emailSeed; }

// ---- The hand-over between the two players ----
// The second player of a hotseat or e-mail turn: the side toggle.
bool WRTurnExchange::GetSecondOrders() const { return app_.fileSettings_.sideToggle != 0; }
void WRTurnExchange::ToggleSecondOrders() {
  app_.fileSettings_.sideToggle = app_.fileSettings_.sideToggle != 0 ? 0 : 1;
}
bool WRTurnExchange::ContinueAfterTurn() { return app_.ContinueAfterTurn(); }
void WRTurnExchange::Autosave(bool reload) { app_.Autosave(reload); }
// No path of this program reloads an autosave into a turn that takes no orders.
bool WRTurnExchange::IsNoOrdersTurn() const { return false; }

// ---- The turn in TCP/IP play ----
void WRTurnExchange::NetSend(const uint8_t* bytes, int32_t count) { app_.NetSend(bytes, count); }
void WRTurnExchange::KeepNetworkLinkAlive() { app_.KeepNetworkLinkAlive(); }
bool WRTurnExchange::EndNetworkOrders() { return app_.EndNetworkOrders(); }
void WRTurnExchange::NetworkSetupEnded() { app_.NetworkSetupEnded(); }
bool WRTurnExchange::NetworkReplayEnded() { return app_.NetworkReplayEnded(); }
bool WRTurnExchange::IsNetworkWaiting() const { return app_.IsNetworkWaiting(); }
int32_t WRTurnExchange::GetNetworkStateForView() const { return app_.tcp_.GetState(); }
void WRTurnExchange::NoteBattleScreenOpened() { app_.NoteBattleScreenOpened(); }
void WRTurnExchange::ContinueNetworkGame() {}
void WRTurnExchange::RedrawTransferProgress() { app_.tcpHost_.ProgressChanged(); }

// ---- The turn's clocks ----
int32_t WRTurnExchange::GetTurnTimeLimit() const { return static_cast<int32_t>(app_.tcp_.GetTimeLimit()); }
bool WRTurnExchange::IsOrdersClockStarted() const { return app_.tcp_.IsClockRunning(); }
int32_t WRTurnExchange::GetTimeRemaining() const { return app_.tcp_.TimeRemaining(); }
bool WRTurnExchange::IsTurnClockStopped() const { return app_.tcp_.IsClockStopped(); }
bool WRTurnExchange::IsTimerOffRequested(bool opponent) const { return app_.tcp_.IsTimerOffRequested(opponent); }

// ---- The radio chat ----
void WRTurnExchange::SendChat(const char* text) { app_.tcp_.SendChat(text != nullptr ? text : ""); }
void WRTurnExchange::ExpireRadioLines() { app_.tcp_.ExpireRadioLines(); }
void WRTurnExchange::SetChatSizes(int32_t lines, int32_t lineWidth) { app_.SetChatSizes(lines, lineWidth); }
int32_t WRTurnExchange::GetChatLinesShown() const { return app_.chatLines_; }
const char* WRTurnExchange::GetRadioLine(int32_t index, int32_t* author) const {
  return app_.GetRadioLine(index, author);
}
