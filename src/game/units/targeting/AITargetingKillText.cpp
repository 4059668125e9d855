// The kill rating the orders screen shows for a vehicle pointed at a target vehicle.
#include "framework/core/GString.h"
#include "framework/core/Quorl.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/tables/Hack.h"
#include "game/units/Unit.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/tables/WeaponData.h"
#include "game/units/fire/WeaponFormulas.h"

float Unit::TargetInfoText(GString* text, int32_t ammoKind, Unit* targetUnit) {
  if (!IsVehicle() || targetUnit == nullptr) FatalError(__LINE__, "Unit.cpp");
  constexpr int32_t kNoWeapon = 104;
  int32_t w = kNoWeapon, q = 0;
  QueryWeapon(0, w, q);
  const float d = DistanceTo(*targetUnit);
  VehicleServices* target = targetUnit->AsVehicle();
  const bool hullDown = target != nullptr && target->IsHullDownFrom(*this);
  const bool emplacement = target != nullptr && target->IsEmplacement();
  const float calibre = w != kNoWeapon ? gWeapons[w].Calibre() : 0.0f;
  // Only the penetrating kinds have a penetration to rate; smoke and none kill nothing.
  const bool rated = w == kNoWeapon || (ammoKind >= 0 && ammoKind <= 3);
  auto penetration = [&]() {
    if (!rated) return 0.0f;
    return WeaponPenetration(false, d, w, ammoKind, false, 260, 1.0f, nullptr);
  };
  float armour[9] = {}, probability[9] = {}, third[9] = {};
  int32_t count = 0;
  float p = 0.0f;
  float kc = 0.0f;
  bool front = false;
  if (!emplacement) {
    targetUnit->AssessHit(1, this, false, 0.0f, hullDown, armour, probability, third, count, calibre);
    if (count != 6) FatalError(__LINE__, "Unit.cpp");
    p = w == kNoWeapon ? SpecialWeaponPenetration(q, d, true, 350, 1.0f, nullptr) : penetration();
    // The front bonus: a front-plated target facing the firer.
    const bool plated = target != nullptr && (target->GetClassData(1).Flags() & 2) != 0;
    front = plated && targetUnit->RelativeBearingTo(x, y, true, true) < 90.0f;
  } else {
    const float c = HitChance(ChooseAmmo(targetUnit), 0, targetUnit, 0, 0);
    kc = KillChance(c, 0.0f);
    targetUnit->AssessHit(1, this, false, c, hullDown, armour, probability, third, count, calibre);
    if (count != 6) FatalError(__LINE__, "Unit.cpp");
    p = w == kNoWeapon ? 0.0f : penetration();
  }
  const float rating = AITargeting::KillRating(armour, probability, p, front, emplacement, kc, 1.0f);
  if (text != nullptr) AITargeting::KillRatingText(*text, rating);
  return rating;
}
