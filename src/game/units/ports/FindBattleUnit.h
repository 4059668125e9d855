#pragma once
#include <cstdint>

#include "game/map/MapBattleServices.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitServices.h"

// The units of the battle in play, walked in order: the first the test accepts, or null (also
// with no battle).
template <class Test>
Unit* FindBattleUnit(Test test) {
  const MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return nullptr;
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    Unit* other = dynamic_cast<Unit*>(battle->GetUnit(i));
    if (other != nullptr && test(*other)) return other;
  }
  return nullptr;
}
