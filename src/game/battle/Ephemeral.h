#pragma once
#include <cstdint>

#include "game/battle/ReplayEffect.h"

class EffectView;

// A short-lived effect of the replay: a shot in flight or a burst. It begins at its start
// slice, lasts its duration in slices and ends at start + duration, when the battle removes it.
// Every frame is worked out from the slice alone, so seeking shows the right picture.
class Ephemeral : public ReplayEffect {
 public:
  // How far through its life the effect is at the slice: below 0 before the start, 0 at the
  // start, 1 at the end.
  double ElapsedFraction(int32_t slice) const {
    return (static_cast<double>(slice) - static_cast<double>(start)) / static_cast<double>(duration);
  }
  // Draws the effect as it is at the slice, under the map's world transform.
  virtual void Draw(int32_t slice, EffectView& view) = 0;
  // A shot's end may leave a burst behind.
  virtual bool IsShot() const { return false; }
  // The step of each replay frame: an ended shot may leave a burst (the caller owns it).
  Ephemeral* Step(int32_t /*replaySlice*/) override { return nullptr; }

  float originX = 0.0f;  // metres: a shot's source, a burst's centre at ground height
  float originY = 0.0f;
  float originZ = 0.0f;
  bool raised = false;  // the effect happens 1.5 m above the stored height
};
