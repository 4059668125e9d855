#pragma once
#include "game/battle/BattleBase.h"

// The battle being played. The battle engine grows it; so far it is the battle base with its
// end test.
class Battle : public BattleBase {
 public:
  Battle() = default;
  ~Battle() override = default;

  // True once the battle has ended.
  virtual bool IsOver() const { return over != 0; }

  uint8_t over = 0;
};
