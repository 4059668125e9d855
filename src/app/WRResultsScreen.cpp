#include "app/WRResultsScreen.h"

#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/ui/GView.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleInPlay.h"
#include "game/battle/screen/BattleScreenParts.h"
#include "game/ui/ResultsView.h"

WRResultsScreen::~WRResultsScreen() { DeleteView(); }

void WRResultsScreen::LeaveBattlefield() {
  Battle* battle = inPlay_.GetBattle();
  if (battle != nullptr) battle->SetViewActive(false);
  if (gKernel != nullptr) gKernel->ClearScreen(false);
}

void WRResultsScreen::ShowNetworkPanel() {
  Battle* battle = inPlay_.GetBattle();
  if (battle != nullptr && battle->Screen().views.networkPanel != nullptr) battle->Screen().views.networkPanel->SetVisible(1);
}

void WRResultsScreen::ShowResults(const BattleResults& results) {
  DeleteView();
  auto* view = new ResultsView();
  view->Build(nullptr, results);
  view_ = view;
}

void WRResultsScreen::HideView() {
  if (view_ != nullptr) view_->SetVisible(0);
}

void WRResultsScreen::ShowResultsAgain() {
  if (view_ == nullptr) return;
  // Nothing of the battlefield stays around the view.
  if (gKernel != nullptr) gKernel->ClearScreen(false);
  view_->SetVisible(1);
  view_->Invalidate();
}

void WRResultsScreen::DeleteView() { SafeDelete(view_); }
