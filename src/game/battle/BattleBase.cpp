#include "game/battle/BattleBase.h"

#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/units/Unit.h"

BattleBase::BattleBase() { units.IGroup(); }

BattleBase::~BattleBase() { SafeDelete(map); }

MapUnitView* BattleBase::GetUnit(int32_t index) const { return static_cast<Unit*>(units.GetItem(index)); }
