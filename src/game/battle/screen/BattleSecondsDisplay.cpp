#include "game/battle/screen/BattleSecondsDisplay.h"

#include "framework/core/GString15.h"

std::string BattleSecondsDisplay::Text(int32_t seconds) {
  const int32_t shown = seconds < 60 ? seconds : 60;
  std::string text = "0:";
  if (shown < 10) text += '0';
  text += std::to_string(shown);
  return text;
}

void BattleSecondsDisplay::SetSeconds(int32_t seconds) {
  if (seconds == seconds_) return;
  seconds_ = seconds;
  Invalidate();
}

void BattleSecondsDisplay::Draw() {
  GView::Draw();
  GString15 text;
  text.Assign(Text(seconds_).c_str());
  // Starting at x 2: centred there, the clock would run off its box over the blinking indicator.
  DrawText(&text, 2, 9, -1, 0, 255, 255, 255);
}
