#pragma once
#include <array>
#include <cstdint>

#include "app/EditorSeam.h"
#include "game/battle/ReinforcementSettings.h"

// The scenario editor's state: it exists while the editor or a set-up screen (quick battle,
// purchase) is open, and the application holds it as its EditorSeam. The two flags are the
// ones the application reads; the editor's command handler and its elevation keys come with
// the editor's screens. It also holds the arrival settings of each side's five reinforcement
// slots, which the battle copies into the groups it makes from purchased units.
class EditorState : public EditorSeam, public ReinforcementSettings {
 public:
  static constexpr int32_t kSlots = 5;

  struct ArrivalSlot {
    int32_t arrivalTurn = 10;
    float chance = 1.0f;
    float entryX = 0.0f;
    float entryY = 0.0f;
  };

  ~EditorState() override = default;

  // The editor's commands and elevation keys act on its screens, which are still to come;
  // until then they do nothing.
  void DoCommand(int32_t /*command*/) override {}
  void HandleElevationKey(uint8_t /*key*/, bool /*alt*/) override {}
  bool IsBattleViewOpen() const override { return battleView != 0; }
  bool IsTwoPlayer() const override { return twoPlayer != 0; }

  // Arrival turn, chance, entry x and y of side index 0..1 and slot 0..4; another index is a
  // programmer error (fatal).
  void CopyReinforcementSettings(ReinforcementGroup& group, int32_t side, int32_t slot) const override;
  ArrivalSlot& Slot(int32_t side, int32_t slot);

  // The editor has opened the battle screen on the scenario being edited.
  uint8_t battleView = 0;
  // The scenario being set up is for two players.
  uint8_t twoPlayer = 0;

 private:
  const ArrivalSlot& At(int32_t side, int32_t slot) const;

  std::array<std::array<ArrivalSlot, kSlots>, 2> slots_{};
};
