#pragma once

struct Shot;

// Told of every shot the units file to the battle in play, as it is filed (the shooter still
// as it fired). It only watches: the shot goes to the battle whatever it does.
class ShotObserver {
 public:
  virtual ~ShotObserver() = default;
  virtual void ShotFiled(const Shot& shot) = 0;
};
