#pragma once
// The map and the current slice of the battle in play, as the unit code asks for them: no map
// and slice 0 outside a battle.
#include <cstdint>

#include "game/map/MapBattleServices.h"
#include "game/units/ports/UnitServices.h"

class Map;

inline const Map* UnitBattleMap() {
  const MapBattleServices* battle = UnitBattle();
  return battle != nullptr ? battle->GetMap() : nullptr;
}

inline int32_t UnitBattleSlice() {
  const MapBattleServices* battle = UnitBattle();
  return battle != nullptr ? battle->GetCurrentSlice() : 0;
}
