#pragma once
#include <cstdint>
#include <string>

#include "framework/ui/GView.h"

// The replay's clock: "0:" and the seconds of the turn shown, two digits, capped at 60.
class BattleSecondsDisplay : public GView {
 public:
  void Draw() override;

  void SetSeconds(int32_t seconds);
  int32_t GetSeconds() const { return seconds_; }
  // "0:07" for 7, "0:60" for 60 or more.
  static std::string Text(int32_t seconds);

 private:
  int32_t seconds_ = 0;
};
