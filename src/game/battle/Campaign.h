#pragma once
#include <cstdint>

#include "game/battle/BattleBase.h"

// The operation: battles in series on one map of the whole operation area, which it owns.
class Campaign : public BattleBase {
 public:
  explicit Campaign(MapAppServices& app) : BattleBase(app) { lastTurn = 0; }
  ~Campaign() override = default;

  int32_t battleNumber = 1;  // the current battle of the series, 1 = first
};
