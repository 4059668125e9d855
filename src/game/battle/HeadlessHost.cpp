#include "game/battle/HeadlessHost.h"

#include "game/battle/Battle.h"
#include "game/battle/BattleBase.h"

int32_t HeadlessHost::GetGameDate() const { return battle != nullptr ? battle->GetDate() : 4406; }

int32_t HeadlessHost::GetComputerBonus() const {
  const auto* base = dynamic_cast<const BattleBase*>(battle);
  return base != nullptr ? base->computerBonus : 0;
}

Battle* HeadlessHost::BattleForUnits() const { return dynamic_cast<Battle*>(battle); }
