#include "game/ai/AIProgressMeter.h"
#include "game/ai/AIPlanProfile.h"

#include "game/battle/ComputerPlayer.h"

AIProgressMeter::~AIProgressMeter() {
  if (open_) host_.CloseProgressMeter();
}

void AIProgressMeter::Open() {
  base_ = 0.0f;
  steps_ = 1;
  advances_ = 0;
  open_ = true;
  host_.OpenProgressMeter();
  host_.RedrawScreen();
  host_.ShowProgress(0.0f);
  host_.RedrawScreen();
}

void AIProgressMeter::SetSteps(int32_t n) {
  base_ = Progress();
  // A count below one would divide by zero: one step fills the bar.
  steps_ = n < 1 ? 1 : n;
  advances_ = 0;
}

float AIProgressMeter::Progress() const {
  const float progress = base_ + static_cast<float>(advances_) / static_cast<float>(steps_);
  return progress >= 1.0f ? 1.0f : progress;
}

int32_t AIProgressMeter::FillRight() const {
  return kFillLeft + static_cast<int32_t>(static_cast<float>(kWidth - 42) * Progress());
}

void AIProgressMeter::AdvanceSteps(int32_t n) {
  AIPlanProfile::Scope timed(AIPlanProfile::kMeter);
  if (n > 0 && Progress() < 1.0f) advances_ += n;
  // The screen is drawn for the player at the machine, not for the side being planned.
  host_.SetSideToPlay(1 - host_.GetSideToPlay());
  host_.ShowProgress(Progress());
  host_.RedrawScreen();
  host_.IdleSound();
  host_.SetSideToPlay(1 - host_.GetSideToPlay());
}
