#pragma once
#include <cstdint>

#include "game/map/BattlefieldScreen.h"

class WRApplication;

// The application's battle screen as the battle and the map tell it things: each notice goes to
// the application's screen, sound, kernel or game-flow step that shows it.
class WRScreenPort : public BattlefieldScreen {
 public:
  explicit WRScreenPort(WRApplication& app) : app_(app) {}
  WRScreenPort(const WRScreenPort&) = delete;
  WRScreenPort& operator=(const WRScreenPort&) = delete;

  void Beep() override;
  void ResetCameraDipAndZoom() override;
  void RefreshBattleScreen() override;
  void RequestReinforcementsNotice() override;
  void DrawTextAt(const char* text, bool highlight, float x, float y, float z) override;
  void DrawLabelAt(int32_t x, int32_t y, const char* text1, int32_t code1, const char* text2,
                   int32_t code2) override;
  void ShowCursor(bool show) override;
  void PlaySound(int32_t number) override;
  void SetBattlefieldProjection(float fieldOfView, float nearPlane, float farPlane) override;
  void FillBattlefieldBackground() override;
  void SetSoundDistanceOffset(float metres) override;
  void DrawBurningTiles(Map& map) override;
  void DrawSmoke(Map& map) override;
  void KeepMapSounds(Map& map, bool reposition) override;
  void StartMapSound(Map& map, const MapPacket& event) override;
  void SetCameraCounter(bool on) override;
  void RaiseCameraCounter() override;
  void OpenPurchaseScreen(int32_t side) override;
  void ReturnToEditor() override;
  void EndTitleSound() override;

 private:
  WRApplication& app_;
};
