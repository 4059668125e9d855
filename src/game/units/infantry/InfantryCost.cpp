// What an infantry unit is worth to buy, and its resupply between the battles of an
// operation.
#include <algorithm>
#include <memory>

#include "framework/core/Quorl.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/fire/WeaponFormulas.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitOrderHost.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/tables/WeaponData.h"

namespace {

// One more of a count with the chance, up to 2; a count already above 2 (after a rejoin)
// is kept, never lowered.
uint8_t RaiseWithChance(uint8_t count, float chance) {
  if (RandomFloat() < chance) {
    const int32_t raised = std::min<int32_t>(count + 1, Infantry::kMaxCharges);
    return static_cast<uint8_t>(std::max<int32_t>(count, raised));
  }
  return count;
}

}  // namespace

float Infantry::GetPurchaseCost(bool fresh) const {
  // A fresh price is that of a new squad of the class: made and set up as Init does, with
  // its draws, at full strength.
  std::unique_ptr<Infantry> whole;
  if (fresh) {
    whole = std::make_unique<Infantry>();
    whole->Init(classIndex, nationalityCode, rating, 0.0f, 0.0f, 0.0f);
  }
  const Infantry& priced = fresh ? *whole : *this;
  float c = static_cast<float>(GetFullStrength());
  if (!HasHeavyWeapon(false)) c *= 2.0f;
  if (linkedHalf != nullptr) c *= 0.5f;
  const InfantryData data = Data();
  const int32_t weapon = data.MainWeapon();
  if (!HasMainWeapon()) {
    // With ignoreMotion the movement state and speed are not read, so nothing needs resetting.
    int32_t grade = 0;
    float fp = priced.FirepowerAt(140.0f, &grade, true, false) * 0.15f;
    if (grade == 2) fp *= 1.25f;
    if (grade == 1) fp *= 1.05f;
    c += fp;
    if (IsAxis() && IsSquad()) c += 1.0f;
  } else {
    c += WeaponCostValue(weapon, GetRateOfFire(), static_cast<float>(data.AmmoLoad()), GetAmmoMixRow(), UnitGameDate());
    const uint8_t step = gWeapons.IsValid(weapon) ? gWeapons[weapon].Value62() : 0;
    if (step == 1) c *= 1.04f;
    if (step == 2) c *= 1.08f;
  }
  int32_t leaderLevel = 0;
  if (GetLeaderLevel(&leaderLevel)) c += static_cast<float>(leaderLevel + 7);
  if (data.Demolition() != 0) c *= 1.15f;
  return AdjustCostForRating(c);
}

float Infantry::SupplyChance(int32_t setting, int32_t line) {
  switch (setting) {
    case 0: return 0.95f;
    case 1: return 0.75f;
    case 2: return 0.5f;
    case 3: return 0.3f;
    case 4: return 0.1f;
    case 5: return 0.02f;
    default: FatalError(line, kInfantryFile);
  }
}

void Infantry::ResupplyAmmo() {
  const UnitOrderHost* host = GetUnitOrderHost();
  if (host == nullptr || !host->InOperation()) FatalError(5160, kInfantryFile);
  Unit::ResupplyAmmo();
  const int32_t setting = host->GetSupplySetting(GetSideIndex());
  const uint8_t before = antitankCount;
  RollAntitankWeapons();
  if (antitankCount > before) {
    antitankCount = RaiseWithChance(before, SupplyChance(setting, 5168));
  } else {
    antitankCount = before;
  }
  if (IsSpecialRole()) chargeCount = RaiseWithChance(chargeCount, SupplyChance(setting, 5187));
}
