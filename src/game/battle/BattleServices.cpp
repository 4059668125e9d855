#include "game/battle/BattleServices.h"

#include "game/battle/BattleServicesHost.h"
#include "game/map/MapAppServices.h"

bool BattleServices::IsEditorOpen() const { return app_.IsEditorOpen(); }

bool BattleServices::IsSquadSuffixHidden() const { return host_.IsSquadSuffixHidden(); }

int32_t BattleServices::GetComputerBonus() const { return host_.GetComputerBonus(); }

Battle* BattleServices::BattleForUnits() const { return host_.BattleForUnits(); }
