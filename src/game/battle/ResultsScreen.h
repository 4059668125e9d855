#pragma once
#include <cstdint>

class BattleResults;

// What the results of a battle ask of the application and its screen: the link's state, the
// battlefield put away, the link held open and the network panel, and the results view made
// from the computed results. The application implements it; tests use a fake. Without one the
// results are computed and kept on the battle, and nothing is shown.
class ResultsScreen {
 public:
  virtual ~ResultsScreen() = default;

  // The TCP/IP game state (23 the results screen).
  virtual void SetNetworkState(int32_t state) = 0;
  // The sound phase after the battle, the 3-D view off and the screen cleared.
  virtual void LeaveBattlefield() = 0;
  // TCP/IP play: the keep-alive deadline cleared and the ready byte set.
  virtual void HoldNetworkLink() = 0;
  // TCP/IP play: the battle screen's network panel made visible.
  virtual void ShowNetworkPanel() = 0;
  // Makes the results view (the old one, if any, replaced).
  virtual void ShowResults(const BattleResults& results) = 0;
  // Shows the results view again after the players looked at the map.
  virtual void ShowResultsAgain() = 0;
};
