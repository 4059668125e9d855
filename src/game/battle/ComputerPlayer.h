#pragma once
#include <cstdint>

class Battle;

// What the computer player's turn needs of the program around it: the side to play that the
// screen is drawn for, the progress meter's window and the screen's redraws. A battle without
// a screen counts the redraws.
class ComputerPlayerHost {
 public:
  virtual ~ComputerPlayerHost() = default;
  virtual int32_t GetSideToPlay() const = 0;
  virtual void SetSideToPlay(int32_t side) = 0;
  // The meter's window, centred, with "Computer Player Thinking..." and an empty bar.
  virtual void OpenProgressMeter() = 0;
  // The bar shows the fraction; the meter is invalidated for the next redraw.
  virtual void ShowProgress(float fraction) = 0;
  virtual void CloseProgressMeter() = 0;
  virtual void RedrawScreen() = 0;
  virtual void InvalidateRootView() = 0;
  // The kernel's sound step while the plan keeps the main loop waiting.
  virtual void IdleSound() = 0;
};

// The computer player, which the layer above the battle provides and installs: it plans one
// side's set-up or orders.
class ComputerPlayer {
 public:
  virtual ~ComputerPlayer() = default;
  virtual void PlanTurn(Battle& battle, int32_t side, ComputerPlayerHost& host) = 0;

  // The installed planner (null: none), which the battle's GO asks for its computer sides.
  static ComputerPlayer* Installed();
  static void Install(ComputerPlayer* planner);
};
