#pragma once
#include <cstdint>

#include "app/EditorSeam.h"

// The scenario editor's state: it exists while the editor or a set-up screen (quick battle,
// purchase) is open, and the application holds it as its EditorSeam. The two flags are the
// ones the application reads; the editor's command handler and its elevation keys come with
// the editor's screens.
class EditorState : public EditorSeam {
 public:
  ~EditorState() override = default;

  bool IsBattleViewOpen() const override { return battleView != 0; }
  bool IsTwoPlayer() const override { return twoPlayer != 0; }

  // The editor has opened the battle screen on the scenario being edited.
  uint8_t battleView = 0;
  // The scenario being set up is for two players.
  uint8_t twoPlayer = 0;
};
