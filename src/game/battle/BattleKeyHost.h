#pragma once
#include <cstdint>

// What the battle screen's key handler asks of the application beyond the map's services:
// TCP/IP play's link state, orders clock and pause, the information balloon, the save step,
// the question boxes, the side switch, the briefing and the battlefield view's state. The application implements it; tests
// use a recording fake. Without one those keys do nothing.
class BattleKeyHost {
 public:
  virtual ~BattleKeyHost() = default;

  // The TCP/IP link state (6, 10 and 12 let a side ask for a cease-fire or surrender).
  virtual int32_t GetNetworkState() const = 0;
  // The orders clock: switched on for the game, and running now.
  virtual bool IsOrdersClockEnabled() const = 0;
  virtual bool IsOrdersClockRunning() const = 0;
  virtual bool IsPaused() const = 0;
  virtual void SetPaused(bool paused) = 0;
  // The unit information balloon on or off.
  virtual void ToggleInfoBalloon() = 0;
  // The application's save-game step.
  virtual void SaveGame() = 0;
  // A question box: 16 surrender, 17 cease-fire, 19 abort.
  virtual void ShowAlert(int32_t alertCase) = 0;
  virtual void SwitchSides() = 0;
  // A briefing for the side (the general one, or failing it the side's own) exists; shows it.
  virtual bool HasBriefing(int32_t side) const = 0;
  virtual void ShowBriefing(int32_t side) = 0;
  // The battlefield view exists, and shows.
  virtual bool HasBattlefieldView() const = 0;
  virtual bool IsBattlefieldViewVisible() const = 0;
};
