#pragma once
#include <cstdint>
#include <string>

#include "app/TcpGameHost.h"

// The screen half of a TCP/IP game's host for rigs that have no screen: the panels, the
// progress view, the sounds and the alert box do nothing, and the radio wraps at 400 pixels of
// 6-pixel characters. The rules half (files, the battle, the clock) is each rig's own.
class ScreenlessTcpHost : public TcpGameHost {
 public:
  bool IsForeground() const override { return true; }
  bool IsAlertOpen() const override { return false; }
  void PlaySound(int32_t, int32_t) override {}
  void ReloadGraphicsIfFlagged() override {}
  int32_t OpponentSurrenderState() const override { return 0; }
  void EndReplay() override {}
  void PlayReplay() override {}
  void PrepareReceivedReplay() override {}
  void Autosave() override {}
  void OpenHostBattleScreen() override {}
  void ShowGoPanel() override {}
  void ShowReplayPanel() override {}
  void ShowConnectionMade() override {}
  void ResetMapInput() override {}
  bool IsBattleViewVisible() const override { return false; }
  int32_t RadioTextWidth(const std::string& text) const override { return static_cast<int32_t>(text.size()) * 6; }
  int32_t RadioWidth() const override { return 400; }
  std::string RadioHint() const override { return {}; }
  void ProgressShown(bool) override {}
  void ProgressChanged() override {}
};
