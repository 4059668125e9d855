// A weapon's value in a purchase cost and the thickest armour it defeats. Temporary bodies
// until vehicle armour resistance is computed.
#include "framework/core/Quorl.h"
#include "game/units/WeaponFormulas.h"

float MaxPenetratedArmour(bool, float, float, int32_t, int32_t, int32_t) {
  FatalError(__LINE__, "Unit.cpp");
  return 0.0f;
}

float WeaponCostValue(int32_t, float, float, int32_t, int32_t, bool, int32_t) {
  FatalError(__LINE__, "Unit.cpp");
  return 0.0f;
}
