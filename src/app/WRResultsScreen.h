#pragma once
#include <cstdint>

#include "game/battle/ResultsScreen.h"

class BattleInPlay;
class GView;

// The results of a battle on the application's screen: the battlefield put away and the
// results view with its buttons (97 back to the map, 98 continue) over the cleared screen. The
// battle is the one in play of the program that holds the screen.
class WRResultsScreen : public ResultsScreen {
 public:
  explicit WRResultsScreen(const BattleInPlay& inPlay) : inPlay_(inPlay) {}
  ~WRResultsScreen() override;
  // The link's state is TCP/IP play's.
  void SetNetworkState(int32_t /*state*/) override {}
  void LeaveBattlefield() override;
  void HoldNetworkLink() override {}
  void ShowNetworkPanel() override;
  void ShowResults(const BattleResults& results) override;
  void ShowResultsAgain() override;
  // Hides the view (the battlefield shows again) or deletes it.
  void HideView();
  void DeleteView();
  GView* GetView() const { return view_; }

 private:
  const BattleInPlay& inPlay_;
  GView* view_ = nullptr;  // in the root view
};
