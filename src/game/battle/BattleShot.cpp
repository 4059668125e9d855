#include "game/battle/BattleShot.h"

#include <cmath>

#include "framework/core/Quorl.h"
#include "game/units/tables/Hack.h"
#include "game/units/Unit.h"
#include "game/units/fire/WeaponFormulas.h"

float BattleShot::GetStrength(bool ignoreAmmo, float* extra) const {
  if (extra != nullptr) *extra = 0.0f;
  switch (kind) {
    case 0:
      if (extra != nullptr) *extra = static_cast<float>(storedAux);
      return storedStrength;
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 8:
      if (!gWeapons.IsValid(weapon)) return 0.0f;
      return WeaponFragmentValue(weapon, ignoreAmmo || ammoKind < 0 || ammoKind > 3 ? 0 : ammoKind);
    case 6:
      return gWeapons.IsValid(weapon) ? gWeapons[weapon].Mass(0) * 200.0f : 0.0f;
    case 7: {
      if (shooter == nullptr) FatalError(237, "Battle");
      const float dx = impactX - startX;
      const float dy = impactY - startY;
      const float dz = impactZ - startZ;
      const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
      const float value = (1.0f - d * 0.0016666666666666668f * 0.6666666f) * 725.0f * 0.8f;
      return value * (static_cast<float>(shooter->GetRating()) * 0.3f + 0.1f);
    }
    default: FatalError(243, "Battle");
  }
  return 0.0f;
}
