#include "game/battle/HeadlessHost.h"

#include "game/battle/Battle.h"
#include "game/battle/BattleBase.h"

int32_t HeadlessHost::GetGameDate() const { return battle != nullptr ? battle->GetDate() : 4406; }

const BattleBase* HeadlessHost::OperationForUnits() const { return dynamic_cast<const BattleBase*>(operation); }

Battle* HeadlessHost::BattleForUnits() const { return dynamic_cast<Battle*>(battle); }
