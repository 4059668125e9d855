#include "game/battle/BattleServices.h"

#include "game/battle/Battle.h"
#include "game/battle/BattleServicesHost.h"
#include "game/battle/ShotObserver.h"
#include "game/map/MapAppServices.h"

bool BattleServices::IsEditorOpen() const { return app_.IsEditorOpen(); }

bool BattleServices::IsSquadSuffixHidden() const { return host_.IsSquadSuffixHidden(); }

int32_t BattleServices::GetComputerBonus() const {
  if (const Battle* battle = host_.BattleForUnits()) return battle->computerBonus;
  const BattleBase* operation = host_.OperationForUnits();
  return operation != nullptr ? operation->computerBonus : 0;
}

void BattleServices::FileShot(const Shot& shot) {
  if (shotObserver_ != nullptr && host_.BattleForUnits() != nullptr) shotObserver_->ShotFiled(shot);
  BattleUnitServices::FileShot(shot);
}

Battle* BattleServices::BattleForUnits() const { return host_.BattleForUnits(); }
