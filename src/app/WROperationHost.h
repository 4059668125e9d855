#pragma once
#include <string>

#include "game/battle/CampaignHost.h"

class WRApplication;

// The application as the host of the operation in play: the battle in play is the
// application's current battle, a new one replaces it, and the next battle opens through the
// hand-over (at once with one human player). Between battles the map and unit services answer
// for the operation.
class WROperationHost : public CampaignHost {
 public:
  explicit WROperationHost(WRApplication& app) : app_(app) {}
  Battle* GetCurrentBattle() override;
  void MakeCurrentBattle(Battle* battle) override;
  void SetScenarioTitle(const char* title) override { scenarioTitle_ = title != nullptr ? title : ""; }
  void EnterBattleScreen() override;
  void ServeOperation(bool on) override;
  const std::string& ScenarioTitle() const { return scenarioTitle_; }

 private:
  WRApplication& app_;
  std::string scenarioTitle_;
};
