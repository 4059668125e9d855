#pragma once
#include <cstdint>
#include <vector>

#include "game/units/UnitOrderHost.h"

class Campaign;
class Unit;

// What the units ask while the operation works between battles: an operation is in play, its
// battle number, its supply settings and its map; a crew that bails out is kept here for the
// operation to take. Installed for the length of the between-battle steps, the host that was
// installed before is put back afterwards.
class CampaignUnitHost : public UnitOrderHost {
 public:
  explicit CampaignUnitHost(Campaign& campaign);
  ~CampaignUnitHost() override;
  CampaignUnitHost(const CampaignUnitHost&) = delete;
  CampaignUnitHost& operator=(const CampaignUnitHost&) = delete;

  bool InOperation() const override { return true; }
  int32_t GetOperationBattleNumber() const override;
  int32_t GetSupplySetting(int32_t sideIndex) const override;
  Map* GetOperationMap() override;
  bool IsBetweenBattles() const override { return true; }
  // The new unit waits here; TakeCrews hands every waiting one over (the caller owns them).
  void AddUnit(Unit* unit) override { crews_.push_back(unit); }
  std::vector<Unit*> TakeCrews();

 private:
  Campaign& campaign_;
  UnitOrderHost* previous_;
  std::vector<Unit*> crews_;
};
