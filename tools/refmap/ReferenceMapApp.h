#pragma once
#include "game/map/MapAppServices.h"

// The application as the reference map tool sees it: no battle, no operation, default
// settings, so every map it reads runs every set-up pass.
class ReferenceMapApp : public MapAppServices {
 public:
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
  int32_t GetFileVersion() const override { return 0; }
  MapBattleServices* GetBattleOrOperation() override { return nullptr; }
  MapBattleServices* GetOperation() override { return nullptr; }
  int32_t GetScreenWidth() const override { return 1024; }
  void Beep() override {}
};
