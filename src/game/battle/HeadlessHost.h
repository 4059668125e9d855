#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "game/battle/BattleInPlay.h"
#include "game/battle/ComputerPlayer.h"
#include "game/battle/HeadlessExchange.h"
#include "game/map/WindowlessMapApp.h"

// The application as a battle without a window, sound or link sees it: one machine, one human
// player, options all 0, and the battle in play that the host is told of. It holds the battle
// in play, whose units' services the headless battle installs, as the program holds its own.
// Tests and tools run battles on it; a test host derives from it to record what the battle asks.
class HeadlessHost : public WindowlessMapApp, public ComputerPlayerHost {
 public:
  HeadlessHost() { options.fill(0); }
  ~HeadlessHost() override = default;
  HeadlessHost(const HeadlessHost&) = delete;
  HeadlessHost& operator=(const HeadlessHost&) = delete;

  // ---- The application ----
  int8_t GetOption(int32_t index) const override {
    return index >= 0 && index < static_cast<int32_t>(options.size()) ? options[static_cast<size_t>(index)] : 0;
  }
  int32_t GetInputMode() const override { return inputMode; }
  void SetInputMode(int32_t mode) override { inputMode = mode; }
  bool IsNetworkOrdersLocked() const override { return false; }
  int32_t GetCurrentSide() const override { return currentSide; }
  int32_t GetHumanPlayers() const override { return humanPlayers; }
  int32_t GetHumanSide() const override { return humanSide; }
  int32_t GetConnectionType() const override { return connectionType; }
  int32_t GetGameDate() const override;
  int32_t GetFileVersion() const override { return 4; }
  MapBattleServices* GetBattleOrOperation() override { return inPlay_.GetBattleOrOperation(); }
  MapBattleServices* GetOperation() override;
  int32_t GetScreenWidth() const override { return 800; }
  void SetHideOption(int8_t value) override { options[10] = value; }
  void SetCurrentFileName(const char* baseName) override { currentFileName = baseName != nullptr ? baseName : ""; }
  std::string currentFileName;

  // ---- The screen a battle without a window has: nothing is drawn or heard, and no frame
  // has been measured (the kernel's starting rate, no time since the last) ----
  float GetFrameRate() const override { return 8.0f; }
  int32_t GetFrameTime() const override { return 0; }
  bool CanBlend() const override { return false; }
  bool UsesAlternateHeightBands() const override { return false; }
  // The crews' soldier figures, as the program makes them (without a screen they load no
  // pictures).
  GObject* NewFigurePrototype(int32_t variant) override;
  void PrepareFigureAppearance(GObject* figure) override;
  void ReleaseFigureAppearance(GObject* figure) override;

  bool IsEditorOpen() const override { return editorOpen; }

  // ---- The battle in play ----
  // The battle and operation in play (the headless battle's, not owned), and the services the
  // headless battle installs for the units. No editor screen is shown headless: squads keep
  // their suffix.
  BattleInPlay& InPlay() { return inPlay_; }
  BattleServices& Services() { return inPlay_.Services(); }

  std::array<int8_t, 45> options{};
  int32_t inputMode = 0;
  int32_t currentSide = 0;
  int32_t humanPlayers = 1;
  int32_t humanSide = 0;
  int32_t connectionType = 0;
  bool editorOpen = false;

  // The turn exchange a test sets and reads (the screen is the one nobody watches).
  TurnExchange& Exchange() override { return exchange; }
  HeadlessExchange exchange;

  // ---- The computer player's screen: the side to play, and the redraws counted ----
  int32_t GetSideToPlay() const override { return currentSide; }
  void SetSideToPlay(int32_t side) override { currentSide = side; }
  void OpenProgressMeter() override { ++meterOpened; }
  void ShowProgress(float fraction) override { meterProgress = fraction; }
  void CloseProgressMeter() override { ++meterClosed; }
  void RedrawScreen() override { ++screenRedraws; }
  void InvalidateRootView() override { ++rootInvalidations; }
  void IdleSound() override {}
  int32_t meterOpened = 0;
  int32_t meterClosed = 0;
  float meterProgress = 0.0f;
  int32_t screenRedraws = 0;
  int32_t rootInvalidations = 0;
  // ---- End of the computer player's screen ----


 private:
  BattleInPlay inPlay_{*this, nullptr};
};
