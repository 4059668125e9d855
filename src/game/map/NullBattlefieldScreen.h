#pragma once
#include <cstdint>

#include "game/map/BattlefieldScreen.h"

// The screen of a battle nobody watches: every notice does nothing.
class NullBattlefieldScreen : public BattlefieldScreen {
 public:
  void Beep() override {}
  void ResetCameraDipAndZoom() override {}
  void RefreshBattleScreen() override {}
  void RequestReinforcementsNotice() override {}
  void DrawTextAt(const char*, bool, float, float, float) override {}
  void DrawLabelAt(int32_t, int32_t, const char*, int32_t, const char*, int32_t) override {}
  void ShowCursor(bool) override {}
  void PlaySound(int32_t) override {}
  void SetBattlefieldProjection(float, float, float) override {}
  void FillBattlefieldBackground() override {}
  void SetSoundDistanceOffset(float) override {}
  void DrawBurningTiles(Map&) override {}
  void DrawSmoke(Map&) override {}
  void KeepMapSounds(Map&, bool) override {}
  void StartMapSound(Map&, const MapPacket&) override {}
  void SetCameraCounter(bool) override {}
  void RaiseCameraCounter() override {}
  void OpenPurchaseScreen(int32_t) override {}
  void ReturnToEditor() override {}
  void EndTitleSound() override {}
};
