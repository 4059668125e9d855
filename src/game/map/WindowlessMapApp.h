#pragma once
// The application's answers for a program with no window, sound, network link or second player
// (the headless battle, the reference map tool and the test rigs that stand for a screen): nothing
// to show, play, send or hand over, no clock and no chat. What concerns the battle itself is left
// to the class that derives from it.
#include <cstdint>

#include "game/map/MapAppServices.h"

class WindowlessMapApp : public MapAppServices {
 public:
  GObject* OpenUnitOrdersMenu(bool) override { return nullptr; }
  bool OrdersMenuTakesKey(GObject*, int32_t) override { return false; }
  void ExpireRadioLines() override {}
  void RedrawTransferProgress() override {}
  void RequestReinforcementsNotice() override {}
  void DrawTextAt(const char*, bool, float, float, float) override {}
  void KeepNetworkLinkAlive() override {}
  void ShowCursor(bool) override {}
  void PlaySound(int32_t) override {}
  void NetSend(const uint8_t*, int32_t) override {}
  bool GetSecondOrders() const override { return false; }
  void ToggleSecondOrders() override {}
  bool ContinueAfterTurn() override { return false; }
  void ApplyNetworkSeed() override {}
  void Autosave(bool) override {}
  void SendChat(const char*) override {}
  void SetBattlefieldProjection(float, float, float) override {}
  void FillBattlefieldBackground() override {}
  void DrawBurningTiles(Map&) override {}
  void DrawSmoke(Map&) override {}
  void KeepMapSounds(Map&, bool) override {}
  void ReturnToEditor() override {}
  void StartMapSound(Map&, const MapPacket&) override {}
  bool IsNetworkWaiting() const override { return false; }
  void SetCameraCounter(bool) override {}
  void RaiseCameraCounter() override {}
  GObject* NewBattlefieldView(Map&, int32_t, int32_t) override { return nullptr; }
  void SetChatSizes(int32_t, int32_t) override {}
  int32_t GetChatLinesShown() const override { return 0; }
  int32_t GetNetworkStateForView() const override { return 0; }
  int32_t GetTurnTimeLimit() const override { return 0; }
  bool IsOrdersClockStarted() const override { return false; }
  int32_t GetTimeRemaining() const override { return 0; }
  bool IsTurnClockStopped() const override { return false; }
  bool IsTimerOffRequested(bool) const override { return false; }
  const char* GetRadioLine(int32_t, int32_t* author) const override {
    if (author != nullptr) *author = 2;
    return "";
  }
  void OpenPurchaseScreen(int32_t) override {}
  void EndTitleSound() override {}
  void NoteBattleScreenOpened() override {}
  void ContinueNetworkGame() override {}
  void DrawLabelAt(int32_t, int32_t, const char*, int32_t, const char*, int32_t) override {}
  // One machine and no link: no seed drawn with another, the action computed here, no
  // passwords or e-mail check, the orders and the replay end at once, and no editor behind.
  void SetHideOption(int8_t) override {}
  bool IsSeedDrawing() const override { return false; }
  bool GetComputeHere() const override { return false; }
  void SetComputeHere(bool) override {}
  const char* GetPasswordDigest(int32_t) const override { return ""; }
  void SetPasswordDigest(int32_t, const char*) override {}
  uint32_t GetCPURating() const override { return 0; }
  uint32_t GetEmailSeed() const override { return 0; }
  bool EndNetworkOrders() override { return true; }
  void NetworkSetupEnded() override {}
  bool NetworkReplayEnded() override { return true; }
  void SetSharedSeed(uint16_t) override {}
  bool IsEditorOpen() const override { return false; }
};
