#pragma once

class Unit;

// The open unit information balloon as the battle reaches it: the press of its button
// (command 16) comes back to it, and it follows the selection. The screen layer's balloon
// implements it.
class BalloonTarget {
 public:
  virtual ~BalloonTarget() = default;
  // Shows the unit from now on.
  virtual void SetUnit(Unit* unit) = 0;
  // Switches between the unit's data page and its kill record.
  virtual void ToggleKillInfo() = 0;
  // Leaves the map and goes: at once, or when the views' timed pass that closes it ends.
  virtual void Close() = 0;
};
