#pragma once

// The open unit information balloon as the battle's command handler reaches it: the press of
// its button (command 16) comes back to it. The screen layer's balloon implements it.
class BalloonTarget {
 public:
  virtual ~BalloonTarget() = default;
  // Switches between the unit's data page and its kill record.
  virtual void ToggleKillInfo() = 0;
};
