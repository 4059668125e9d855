#pragma once
#include <cstdint>

class ReinforcementGroup;

// The arrival settings the scenario editor keeps per side and arrival slot (turn, chance,
// entry point), which the battle copies into the reinforcement groups made from purchased
// units. The editor's state implements it; tests use fakes.
class ReinforcementSettings {
 public:
  virtual ~ReinforcementSettings() = default;

  // Copies the settings of side index 0..1 and slot 0..4 into the group.
  virtual void CopyReinforcementSettings(ReinforcementGroup& group, int32_t side, int32_t slot) const = 0;
};
