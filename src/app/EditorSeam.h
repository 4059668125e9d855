#pragma once
#include <cstdint>

// What the application uses of the scenario editor's state while it exists: its command
// handler, its elevation keys and its two flags. The editor's state implements it and the
// application holds it while the editor or a set-up screen is open.
class EditorSeam {
 public:
  virtual ~EditorSeam() = default;

  // Right after construction: builds the editor for its mode (the full editor, the
  // quick-battle set-up, or the purchase of one side's units, side 0, 1 or 2 for both).
  virtual void Open(bool /*quickBattle*/, bool /*purchaseOnly*/, int32_t /*side*/) {}

  // The editor's commands: 53, 65 to 69 and every number above 98.
  virtual void DoCommand(int32_t command) = 0;
  // Keys while the editor shows its own screens (not the battle screen).
  virtual void HandleElevationKey(uint8_t key, bool alt) = 0;
  // The editor has opened the battle screen on the scenario being edited.
  virtual bool IsBattleViewOpen() const = 0;
  // GO in that battle screen: the editor takes its battle back and shows its own screen.
  virtual void ResetBattleObjects() {}
  // The scenario is set up for two players.
  virtual bool IsTwoPlayer() const = 0;
  // Squads are named without their " Squad", " Team" or " Sqd" suffix.
  virtual bool HidesSquadSuffix() const = 0;
};
