#pragma once
// Whether the battle's map holds a unit near the point (a target reference point, for the
// fire rules); false outside a battle.
#include "game/map/Map.h"
#include "game/units/ports/UnitBattleQueries.h"

inline bool UnitNearPoint(float px, float py) {
  const Map* map = UnitBattleMap();
  if (map == nullptr) return false;
  MapUnitView* found = nullptr;
  return map->FindUnitNear(px, py, false, found);
}
