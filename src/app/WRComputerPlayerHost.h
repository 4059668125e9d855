#pragma once
#include <cstdint>

#include "game/battle/ComputerPlayer.h"

class WRApplication;

// The application as the computer player's screen: the side to play is the application's,
// and the redraws go to the kernel's screen.
class WRComputerPlayerHost : public ComputerPlayerHost {
 public:
  explicit WRComputerPlayerHost(WRApplication& app) : app_(app) {}
  int32_t GetSideToPlay() const override;
  void SetSideToPlay(int32_t side) override;
  void RedrawScreen() override;
  void InvalidateRootView() override;

 private:
  WRApplication& app_;
};
