#pragma once
#include <cstdint>

#include "game/map/TurnExchange.h"

class WRApplication;

// The application's side of the turn exchange: the play settings of the game in play (seeds,
// passwords, the hand-over's side toggle), the TCP/IP link and its clocks and radio, and the
// game-flow steps that hand a turn over.
class WRTurnExchange : public TurnExchange {
 public:
  explicit WRTurnExchange(WRApplication& app) : app_(app) {}
  WRTurnExchange(const WRTurnExchange&) = delete;
  WRTurnExchange& operator=(const WRTurnExchange&) = delete;

  bool IsSeedDrawing() const override;
  void SetSharedSeed(uint16_t seed) override;
  void ApplyNetworkSeed() override;
  bool GetComputeHere() const override;
  void SetComputeHere(bool value) override;
  const char* GetPasswordDigest(int32_t side) const override;
  void SetPasswordDigest(int32_t side, const char* text) override;
  uint32_t GetCPURating() const override;
  uint32_t GetEmailSeed() const override;
  bool GetSecondOrders() const override;
  void ToggleSecondOrders() override;
  bool ContinueAfterTurn() override;
  void Autosave(bool reload) override;
  bool IsNoOrdersTurn() const override;
  void NetSend(const uint8_t* bytes, int32_t count) override;
  void KeepNetworkLinkAlive() override;
  bool EndNetworkOrders() override;
  void NetworkSetupEnded() override;
  bool NetworkReplayEnded() override;
  bool IsNetworkWaiting() const override;
  int32_t GetNetworkStateForView() const override;
  void NoteBattleScreenOpened() override;
  void ContinueNetworkGame() override;
  void RedrawTransferProgress() override;
  int32_t GetTurnTimeLimit() const override;
  bool IsOrdersClockStarted() const override;
  int32_t GetTimeRemaining() const override;
  bool IsTurnClockStopped() const override;
  bool IsTimerOffRequested(bool opponent) const override;
  void SendChat(const char* text) override;
  void ExpireRadioLines() override;
  void SetChatSizes(int32_t lines, int32_t lineWidth) override;
  int32_t GetChatLinesShown() const override;
  const char* GetRadioLine(int32_t index, int32_t* author) const override;

 private:
  WRApplication& app_;
};
