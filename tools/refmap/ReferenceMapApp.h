#pragma once
#include "game/map/WindowlessMapApp.h"

// The application as a map sees it with nothing in play: no battle, no operation, default
// settings, so every map read runs every set-up pass. The reference map tool, the terrain
// sheet and the map fuzzer use it; the file version is the one reads are checked against.
class ReferenceMapApp : public WindowlessMapApp {
 public:
  explicit ReferenceMapApp(int32_t fileVersion = 0) : fileVersion_(fileVersion) {}
  int8_t GetOption(int32_t) const override { return 0; }
  int32_t GetInputMode() const override { return 0; }
  void SetInputMode(int32_t) override {}
  bool IsNetworkOrdersLocked() const override { return false; }
  int32_t GetCurrentSide() const override { return 0; }
  int32_t GetHumanPlayers() const override { return 1; }
  int32_t GetHumanSide() const override { return 0; }
  int32_t GetConnectionType() const override { return 0; }
  int32_t GetGameDate() const override { return 4406; }
  int32_t GetFileVersion() const override { return fileVersion_; }
  MapBattleServices* GetBattleOrOperation() override { return nullptr; }
  MapBattleServices* GetOperation() override { return nullptr; }
  int32_t GetScreenWidth() const override { return 1024; }
  // Nothing is drawn or measured.
  float GetFrameRate() const override { return 8.0f; }
  int32_t GetFrameTime() const override { return 0; }
  bool CanBlend() const override { return false; }
  GObject* NewFigurePrototype(int32_t) override { return nullptr; }
  void PrepareFigureAppearance(GObject*) override {}
  void ReleaseFigureAppearance(GObject*) override {}
  void SetCurrentFileName(const char*) override {}
  bool UsesAlternateHeightBands() const override { return false; }

 private:
  int32_t fileVersion_;
};
