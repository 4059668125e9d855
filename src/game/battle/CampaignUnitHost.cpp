#include "game/battle/CampaignUnitHost.h"

#include <utility>

#include "game/battle/Campaign.h"
#include "game/units/Unit.h"

CampaignUnitHost::CampaignUnitHost(Campaign& campaign) : campaign_(campaign) {
  context_.emplace(UnitContext{.orders = this, .screen = &screen_});
}

CampaignUnitHost::~CampaignUnitHost() {
  context_.reset();
  // Crews nobody took are the host's to delete.
  for (Unit* unit : crews_) delete unit;
}

std::vector<Unit*> CampaignUnitHost::TakeCrews() { return std::exchange(crews_, {}); }
