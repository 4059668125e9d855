#pragma once
#include "game/map/MapAppServices.h"

// The application as a map sees it with nothing in play: no battle, no operation, default
// settings, so every map read runs every set-up pass. The reference map tool, the terrain
// sheet and the map fuzzer use it; the file version is the one reads are checked against.
class ReferenceMapApp : public MapAppServices {
 public:
  explicit ReferenceMapApp(int32_t fileVersion = 0) : fileVersion_(fileVersion) {}
  int8_t GetOption(int32_t) const override { return 0; }
  int32_t GetInputMode() const override { return 0; }
  void SetInputMode(int32_t) override {}
  bool IsNetworkOrdersLocked() const override { return false; }
  void ResetCameraDipAndZoom() override {}
  int32_t GetCurrentSide() const override { return 0; }
  int32_t GetHumanPlayers() const override { return 1; }
  int32_t GetHumanSide() const override { return 0; }
  int32_t GetConnectionType() const override { return 0; }
  int32_t GetGameDate() const override { return 4406; }
  int32_t GetFileVersion() const override { return fileVersion_; }
  MapBattleServices* GetBattleOrOperation() override { return nullptr; }
  MapBattleServices* GetOperation() override { return nullptr; }
  int32_t GetScreenWidth() const override { return 1024; }
  void Beep() override {}
  // Nothing is drawn, heard or measured.
  void RefreshBattleScreen() override {}
  float GetFrameRate() const override { return 8.0f; }
  int32_t GetFrameTime() const override { return 0; }
  bool CanBlend() const override { return false; }
  void SetSoundDistanceOffset(float) override {}
  GObject* NewFigurePrototype(int32_t) override { return nullptr; }
  void PrepareFigureAppearance(GObject*) override {}
  void ReleaseFigureAppearance(GObject*) override {}
  void SetCurrentFileName(const char*) override {}
  bool UsesAlternateHeightBands() const override { return false; }
  bool IsNoOrdersTurn() const override { return false; }
  // No battle is played: no screen, sound, link or second player to answer.
  GObject* OpenUnitOrdersMenu(bool) override { return nullptr; }
  bool OrdersMenuTakesKey(GObject*, int32_t) override { return false; }
  void ExpireRadioLines() override {}
  void RedrawTransferProgress() override {}
  void RequestReinforcementsNotice() override {}
  void DrawTextAt(const char*, bool, float, float, float) override {}
  void KeepNetworkLinkAlive() override {}
  void SetHideOption(int8_t) override {}
  void ShowCursor(bool) override {}
  void PlaySound(int32_t) override {}
  void NetSend(const uint8_t*, int32_t) override {}
  bool IsSeedDrawing() const override { return false; }
  bool GetComputeHere() const override { return false; }
  void SetComputeHere(bool) override {}
  const char* GetPasswordDigest(int32_t) const override { return ""; }
  void SetPasswordDigest(int32_t, const char*) override {}
  uint32_t GetCPURating() const override { return 0; }
  uint32_t GetEmailSeed() const override { return 0; }
  bool GetSecondOrders() const override { return false; }
  void ToggleSecondOrders() override {}
  bool ContinueAfterTurn() override { return false; }
  void ApplyNetworkSeed() override {}
  void Autosave(bool) override {}
  bool EndNetworkOrders() override { return true; }
  void NetworkSetupEnded() override {}
  bool NetworkReplayEnded() override { return true; }
  void SendChat(const char*) override {}
  void SetSharedSeed(uint16_t) override {}
  void SetBattlefieldProjection(float, float, float) override {}
  void FillBattlefieldBackground() override {}
  void DrawBurningTiles(Map&) override {}
  void DrawSmoke(Map&) override {}
  void KeepMapSounds(Map&, bool) override {}
  bool IsEditorOpen() const override { return false; }
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

 private:
  int32_t fileVersion_;
};
