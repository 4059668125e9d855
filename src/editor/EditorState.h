#pragma once
#include <array>
#include <cstdint>

#include "game/battle/ReinforcementSettings.h"

// The scenario editor's state while the editor or a set-up screen is open. So far it holds
// the arrival settings of each side's five reinforcement slots, which the battle copies into
// the groups it makes from purchased units.
class EditorState : public ReinforcementSettings {
 public:
  static constexpr int32_t kSlots = 5;

  struct ArrivalSlot {
    int32_t arrivalTurn = 10;
    float chance = 1.0f;
    float entryX = 0.0f;
    float entryY = 0.0f;
  };

  // Arrival turn, chance, entry x and y of side index 0..1 and slot 0..4; another index is a
  // programmer error (fatal).
  void CopyReinforcementSettings(ReinforcementGroup& group, int32_t side, int32_t slot) const override;
  ArrivalSlot& Slot(int32_t side, int32_t slot);

 private:
  const ArrivalSlot& At(int32_t side, int32_t slot) const;

  std::array<std::array<ArrivalSlot, kSlots>, 2> slots_{};
};
