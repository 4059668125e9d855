#include "game/battle/BattleServices.h"

#include "game/battle/Battle.h"
#include "game/battle/BattleInPlay.h"
#include "game/battle/Campaign.h"
#include "game/battle/SquadNaming.h"
#include "game/map/MapAppServices.h"

MapBattleServices* BattleServices::GetBattleOrOperation() { return inPlay_.GetBattleOrOperation(); }

MapBattleServices* BattleServices::GetOperation() { return inPlay_.GetCampaign(); }

bool BattleServices::IsEditorOpen() const { return app_.IsEditorOpen(); }

bool BattleServices::IsSquadSuffixHidden() const { return naming_ != nullptr && naming_->IsSquadSuffixHidden(); }

int32_t BattleServices::GetComputerBonus() const {
  if (const Battle* battle = BattleForUnits()) return battle->computerBonus;
  const Campaign* operation = inPlay_.GetCampaign();
  return operation != nullptr ? operation->computerBonus : 0;
}
