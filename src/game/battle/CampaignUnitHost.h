#pragma once
#include <cstdint>
#include <vector>

#include "game/battle/BattleOrderHost.h"

class Campaign;
class Unit;

// What the units ask while the operation works between battles: the battle's answers with no
// battle in play (an operation, its battle number, attacker, supply settings and map; no
// exits, flags or selection); a crew that bails out is kept here for the operation to take.
// Installed for the length of the between-battle steps, the host that was installed before is
// put back afterwards.
class CampaignUnitHost : public BattleOrderHost {
 public:
  explicit CampaignUnitHost(Campaign& campaign);
  ~CampaignUnitHost() override;
  CampaignUnitHost(const CampaignUnitHost&) = delete;
  CampaignUnitHost& operator=(const CampaignUnitHost&) = delete;

  bool IsBetweenBattles() const override { return true; }
  // Nobody watches between battles: no beeps, no menus.
  bool IsQuiet() const override { return true; }
  // Nobody to ask between battles: the vehicle keeps the machine guns it chose.
  void AskVehicleQuestion(Unit& /*vehicle*/) override {}
  // The new unit waits here; TakeCrews hands every waiting one over (the caller owns them).
  void AddUnit(Unit* unit) override { crews_.push_back(unit); }
  std::vector<Unit*> TakeCrews();

 protected:
  Battle* OrderBattle() const override { return nullptr; }
  Campaign* OrderCampaign() const override { return &campaign_; }

 private:
  Campaign& campaign_;
  UnitOrderHost* previous_;
  std::vector<Unit*> crews_;
};
