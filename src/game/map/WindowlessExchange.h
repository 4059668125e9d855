#pragma once
#include <cstdint>

#include "game/map/TurnExchange.h"

// The turn exchange of one machine with no link and no second player: no seed drawn with
// another, no passwords or e-mail check, nothing sent or handed over, the orders and the replay
// end at once, no clock and no chat.
class WindowlessExchange : public TurnExchange {
 public:
  bool IsSeedDrawing() const override { return false; }
  void SetSharedSeed(uint16_t) override {}
  void ApplyNetworkSeed() override {}
  bool GetComputeHere() const override { return false; }
  void SetComputeHere(bool) override {}
  const char* GetPasswordDigest(int32_t) const override { return ""; }
  void SetPasswordDigest(int32_t, const char*) override {}
  uint32_t GetCPURating() const override { return 0; }
  uint32_t GetEmailSeed() const override { return 0; }
  bool GetSecondOrders() const override { return false; }
  void ToggleSecondOrders() override {}
  bool ContinueAfterTurn() override { return false; }
  void Autosave(bool) override {}
  bool IsNoOrdersTurn() const override { return false; }
  void NetSend(const uint8_t*, int32_t) override {}
  void KeepNetworkLinkAlive() override {}
  bool EndNetworkOrders() override { return true; }
  void NetworkSetupEnded() override {}
  bool NetworkReplayEnded() override { return true; }
  bool IsNetworkWaiting() const override { return false; }
  int32_t GetNetworkStateForView() const override { return 0; }
  void NoteBattleScreenOpened() override {}
  void ContinueNetworkGame() override {}
  void RedrawTransferProgress() override {}
  int32_t GetTurnTimeLimit() const override { return 0; }
  bool IsOrdersClockStarted() const override { return false; }
  int32_t GetTimeRemaining() const override { return 0; }
  bool IsTurnClockStopped() const override { return false; }
  bool IsTimerOffRequested(bool) const override { return false; }
  void SendChat(const char*) override {}
  void ExpireRadioLines() override {}
  void SetChatSizes(int32_t, int32_t) override {}
  int32_t GetChatLinesShown() const override { return 0; }
  const char* GetRadioLine(int32_t, int32_t* author) const override {
    if (author != nullptr) *author = 2;
    return "";
  }
};
