// How far a squad gives itself away (the unit pass its identification and the vehicles' sight
// ask), the reach of its special anti-tank weapons, and the operation later work gives: the
// links between battles, which stops the program until then.
#include "framework/core/Quorl.h"
#include "game/units/Hack.h"
#include "game/units/Infantry.h"
#include "game/units/WeaponData.h"

namespace {

constexpr const char* kFile = "Infantry";

}  // namespace

float Infantry::RunUnitPass(bool asShown, const Unit* unit) {
  float e = 0.0f;
  float g = 0.0f;
  UnitPassValues(asShown, e, g);
  const int32_t keptState = activityState;
  const float keptX = x;
  const float keptY = y;
  if (asShown) {
    // Judged where the other side last saw it, lying low.
    activityState = kHiding;
    float sx = x;
    float sy = y;
    GetShownPosition(sx, sy, nullptr);
    x = sx;
    y = sy;
  }
  const int32_t level = EnemyIdentificationLevel(e, g, unit);
  activityState = keptState;
  x = keptX;
  y = keptY;
  return static_cast<float>(level);
}

int32_t Infantry::BestEnemyIdentification(bool relaxed, int32_t /*unused*/) const {
  return static_cast<int32_t>(const_cast<Infantry*>(this)->RunUnitPass(relaxed, nullptr));
}

float Infantry::GetAntitankRange() const {
  return gWeapons.IsValid(antitankWeaponId) ? gWeapons[antitankWeaponId].MaxRange() : 0.0f;
}

bool Infantry::UpdateLinksBetweenBattles() { FatalError(__LINE__, kFile); }
