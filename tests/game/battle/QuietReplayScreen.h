#pragma once
// A replay screen that shows and plays nothing, with the given number of sound channels; a
// test derives from it to watch the one notice it checks.
#include <cstdint>

#include "game/battle/ReplayScreen.h"

class QuietReplayScreen : public ReplayScreen {
 public:
  explicit QuietReplayScreen(int32_t channels = 0) : channels_(channels) {}
  void ActionStarted(Battle&, bool) override {}
  void HideGoStrip() override {}
  void ShowGoStrip() override {}
  void ShowProgress(int32_t) override {}
  void ReplayForSecondViewer() override {}
  void PlaySound(int32_t, int32_t) override {}
  void SetBlinkIndicator(bool) override {}
  void ShowGoButton(bool) override {}
  void ShowSeconds(int32_t) override {}
  void SetCameraCounter(int32_t) override {}
  bool IsShiftDown() const override { return false; }
  void SetSoundPhase(int32_t) override {}
  void StartSoundEvent(const Packet&) override {}
  void InvalidateInfoPanel() override {}
  void PreloadSounds(int32_t, const uint16_t*, const uint8_t*) override {}
  int32_t GetSoundChannelCount() const override { return channels_; }

 private:
  int32_t channels_;
};
