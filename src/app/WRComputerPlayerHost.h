#pragma once
#include <cstdint>

#include "game/battle/ComputerPlayer.h"

class ThinkingWindow;
class WRApplication;

// The application as the computer player's screen: the side to play is the application's,
// the thinking window shows the meter, and the redraws go to the kernel's screen.
class WRComputerPlayerHost : public ComputerPlayerHost {
 public:
  explicit WRComputerPlayerHost(WRApplication& app) : app_(app) {}
  ~WRComputerPlayerHost() override;
  WRComputerPlayerHost(const WRComputerPlayerHost&) = delete;
  WRComputerPlayerHost& operator=(const WRComputerPlayerHost&) = delete;
  void OpenProgressMeter() override;
  void ShowProgress(float fraction) override;
  void CloseProgressMeter() override;
  void IdleSound() override;
  // The window while the meter is open, else null.
  ThinkingWindow* Window() const { return window_; }
  int32_t GetSideToPlay() const override;
  void SetSideToPlay(int32_t side) override;
  void RedrawScreen() override;
  void InvalidateRootView() override;

 private:
  WRApplication& app_;
  ThinkingWindow* window_ = nullptr;  // owned by the root view while open
};
