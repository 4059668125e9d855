#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "game/battle/BattleOrderHost.h"
#include "game/units/ports/NullUnitScreen.h"
#include "game/units/ports/UnitContextScope.h"

class Campaign;
class Unit;

// What the units ask while the operation works between battles: the battle's answers with no
// battle in play (an operation, its battle number, attacker, supply settings and map; no
// exits, flags or selection); a crew that bails out is kept here for the operation to take.
// Nobody watches between battles: the units' notices go to a null screen. Both are installed
// in the units' context for the length of the between-battle steps; the ports that were
// installed before come back afterwards.
class CampaignUnitHost : public BattleOrderHost {
 public:
  explicit CampaignUnitHost(Campaign& campaign);
  ~CampaignUnitHost() override;
  CampaignUnitHost(const CampaignUnitHost&) = delete;
  CampaignUnitHost& operator=(const CampaignUnitHost&) = delete;

  bool IsBetweenBattles() const override { return true; }
  // Nobody watches between battles: no beeps, no menus.
  bool IsQuiet() const override { return true; }
  // The new unit waits here; TakeCrews hands every waiting one over (the caller owns them).
  void AddUnit(Unit* unit) override { crews_.push_back(unit); }
  std::vector<Unit*> TakeCrews();

 protected:
  Battle* OrderBattle() const override { return nullptr; }
  Campaign* OrderCampaign() const override { return &campaign_; }

 private:
  Campaign& campaign_;
  std::vector<Unit*> crews_;
  NullUnitScreen screen_;
  std::optional<UnitContextScope> context_;
};
