// The unit in the action phase: the slice step, suppression and its recovery, and spotting
// (how well the enemy knows the unit, from the observers' sight and hearing).
#include <algorithm>
#include <cmath>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitBattleQueries.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/SliceTimer.h"

uint8_t gUnitStateChanged = 0;

namespace {

int32_t FogOfWarOption() {
  const MapAppServices* app = UnitApp();
  return app != nullptr ? app->GetOption(10) : 0;
}

// Burst flash range and hearing range of one weapon fire type.
void FireRanges(const Unit& s, int32_t light, float& h0, float& f) {
  int32_t weapon = WeaponData::kNone;
  int32_t type = 0;
  s.QueryWeapon(0, weapon, type);
  const bool known = gWeapons.IsValid(weapon);
  switch (type) {
    case 0:
      h0 = 600.0f;
      f = s.IsAxis() && light == 0 ? 125.0f : 250.0f;
      break;
    case 1:
      if (known && (gWeapons[weapon].Flags() & 4) != 0) {
        h0 = 50.0f;
        f = 30.0f;
      } else {
        h0 = 600.0f;
        f = 300.0f;
      }
      break;
    case 2:
    case 3: {
      float v = 0.0f;
      if (known) {
        const int32_t kind = s.ammoKind == Unit::kNoAmmo ? 0 : std::clamp(s.ammoKind, 0, 4);
        v = gWeapons[weapon].Mass(kind);
        if (v == 0.0f) v = gWeapons[weapon].Mass(1);
      }
      h0 = std::pow(v, 0.28455f) * 1600.0f;
      f = std::pow(v, 0.38f) * 175.0f;
      break;
    }
    case 4: h0 = 200.0f; f = 200.0f; break;
    case 5: h0 = 30.0f; f = 0.0f; break;
    case 6: h0 = 200.0f; f = 400.0f; break;
    case 7: h0 = 400.0f; f = 100.0f; break;
    case 8: h0 = 50.0f; f = 30.0f; break;
    default: FatalError(__LINE__, "Unit.cpp");
  }
}

}  // namespace

void Unit::StepSlice(int32_t) {
  gUnitStateChanged = stateChanged;
  stateChanged = 0;
  if (alive == 0) {
    if (identificationLevel < 4) UpdateSpotting();
    if (sliceCounter + 1 >= nextActionSlice) {
      OnTimedAction();
    } else {
      StepIdle();
    }
  } else {
    CountDown(commandDelay);
    CountDown(firingTimer);
    sliceCount += 1;
    if (burst > 0) burst -= 1;
    UpdateSlice(sliceCounter);
    facing += turnRate;
    if (facing < 0.0f) facing += 360.0f * std::ceil(-facing / 360.0f);
    if (facing >= 360.0f) facing -= 360.0f * std::floor(facing / 360.0f);
    if (suppression != 0.0f && sliceCounter % 160 == 0) UpdateMorale();
    countdown -= 1;
    if (countdown <= 0) {
      ReactToDanger();
      if (countdown < 0) countdown = 0;
      countdown += static_cast<int32_t>((2.0f + RandomFloatTimes(4.0f)) * 40.0f);
    }
    UpdateSpotting();
    UpdateFatigue();
    incomingFire = static_cast<int16_t>(std::max(incomingFire - 15, 0));
    const Map* map = UnitBattleMap();
    if (map != nullptr && !map->IsOnMap(x, y) && !IsAirplane()) LeaveBattlefield(false);
    if (target == nullptr && areaFire == 0 && goalGunElevation != 0.0f) {
      goalGunElevation = 0.0f;
      gUnitStateChanged = 1;
    }
    const float step = target != nullptr && target->IsAirplane() ? 0.45f : 0.15f;
    if (gunElevation < goalGunElevation) {
      gunElevation += step;
      if (gunElevation >= goalGunElevation) {
        gunElevation = goalGunElevation;
        gUnitStateChanged = 1;
      }
    } else if (gunElevation > goalGunElevation) {
      gunElevation -= step;
      if (gunElevation <= goalGunElevation) {
        gunElevation = goalGunElevation;
        gUnitStateChanged = 1;
      }
    }
  }
  if (gUnitStateChanged != 0) MakeStatePacket();
  sliceCounter += 1;
  if (speed != 0.0f) lastMovingSlice = sliceCounter;
}

void Unit::SetSuppression(float value, bool noFanaticHold) {
  const bool crossing = suppression < 200.0f && value >= 200.0f;
  suppression = value;
  if (!crossing) return;
  if (fanaticState == 0) {
    float chance = 0.02f + 0.01f * static_cast<float>(GetRating());
    const UnitServices* services = GetUnitServices();
    const int32_t setting = services != nullptr ? services->GetFanaticism(GetSideIndex()) : 0;
    const bool seasoned = GetRating() > 1;
    switch (setting) {
      case 1: if (seasoned) chance = 0.25f; break;
      case 2: if (seasoned) chance = 0.5f; break;
      case 3: chance = 0.25f; break;
      case 4: chance = 0.5f; break;
      default: break;
    }
    fanaticState = RandomFloat() < chance ? 2 : 1;
  }
  if (fanaticState == 2 && !noFanaticHold) suppression = 199.0f;
}

void Unit::UpdateMorale() {
  if (suppression == 0.0f) return;
  const int32_t band0 = GetBand();
  const int32_t r = GetEffectiveRating(0);
  const float rf = static_cast<float>(r);
  float b = 0.8f + 0.1f * rf;
  // The unit's strength against its class's; a class with no men left to count rates as full.
  float reference = 0.0f;
  if (IsVehicle()) {
    const VehicleServices* vehicle = AsVehicle();
    reference = static_cast<float>(static_cast<int32_t>(vehicle->GetClassData(0).Crew()) - lossesCountedByMorale);
  } else if (IsInfantry()) {
    const InfantryServices* infantry = AsInfantry();
    const int32_t men = infantry->GetClassData().Men();
    int32_t lost = lossesCountedByMorale;
    if (infantry->GetSplitPartner() != nullptr) lost = std::max(lost - men / 2, 0);
    reference = static_cast<float>(men - lost);
  } else {
    FatalError(__LINE__, "Unit.cpp");
  }
  const float s = reference > 0.0f ? static_cast<float>(GetMenPresent()) / reference : 1.0f;
  const float loss = (1.5f - 0.15f * rf) * (1.0f - s);
  b = b - loss;
  if (b < 0.2f) b = 0.2f;
  const float k = 0.0666667f;
  float amount = b * k;
  amount = amount * 1.3f;
  amount = amount * 100.0f;
  const UnitServices* services = GetUnitServices();
  float q = services != nullptr ? services->GetSideStrengthRatio(GetSideIndex()) : 1.0f;
  if (fanaticState == 2) q = std::max(q, 0.5f);
  const float gap = 1.0f - q;
  const float f = std::exp(-2.0f * (gap * gap));
  amount = amount * f;
  suppression = suppression - amount;
  if (suppression < 0.0f) {
    suppression = 0.0f;
  } else if (HasSurrendered() && suppression > 200.0f) {
    suppression = 200.0f;
  }
  float p;
  if (HasSurrendered()) {
    p = 0.07f;
  } else {
    p = k * 0.13f;
    p = p * (0.67f * rf + 1.0f);
    p = p * f;
  }
  if (fanaticState == 2) p = p * 2.0f;
  if (RandomFloat() < p) {
    suppression = suppression * RandomFloatTimes(0.5f);
    if (band0 >= 4 && !HasSurrendered()) MaybeVoiceSound(14, 100, 0.0f, 0.0f);
  }
  if (GetBand() != band0) gUnitStateChanged = 1;
}

void Unit::ResetSpotTimer() {
  const float b = alive != 0 ? 4.0f : 10.0f;
  spottingValue = static_cast<int32_t>((RandomFloatTimes(4.0f) + b) * 40.0f);
}

int32_t Unit::BestEnemyIdentification(bool, int32_t) const { return 0; }

void Unit::UpdateSpotting() {
  const int32_t fog = FogOfWarOption();
  if (fog == 0) {
    identificationLevel = 4;
    hidden = 0;
    hiddenSecond = 0;
    return;
  }
  if (!((alive != 0 || IsRegularUnit()) && !IsPassenger())) return;
  spottingValue -= 1;
  if (spottingValue >= 1) return;
  ResetSpotTimer();
  const bool full = firingBytes[kSpottingPasses] == 0;
  int32_t best;
  if (full) {
    firingBytes[kSpottingPasses] = 2;
    best = BestEnemyIdentification(false, 0);
    if (fog == 1 && best > 0) best = 4;
  } else {
    firingBytes[kSpottingPasses] = static_cast<uint8_t>(firingBytes[kSpottingPasses] - 1);
    if (identificationLevel == 0) return;
    best = BestEnemyIdentification(false, 0);
    if (fog == 1 && best > 0) best = 4;
    best = std::min(best, identificationLevel);
  }
  if (best > 0) {
    if (hidden != 0) {
      hidden = 0;
      gUnitStateChanged = 1;
    } else {
      hiddenSecond = 0;
    }
  }
  if (best > identificationLevel) {
    if (best > 2 && identificationLevel < 3 && IsArmored(true) && !(IsVehicle() && AsVehicle()->IsEmplacement())) {
      // A warning shout from one of the enemy infantry that can see the tank; none, no shout.
      std::vector<Unit*> seers;
      const MapBattleServices* battle = UnitBattle();
      const int32_t count = battle != nullptr ? battle->GetUnitCount() : 0;
      for (int32_t i = 0; i < count; ++i) {
        Unit* other = UnitOfView(battle->GetUnit(i));
        if (other == nullptr || other == this || !other->IsInfantry() || !IsEnemy(*other)) continue;
        if (other->LineOfSightTo(*this)) seers.push_back(other);
      }
      if (!seers.empty()) {
        seers[static_cast<size_t>(Random(static_cast<int32_t>(seers.size())))]->MaybeVoiceSound(13, 75, 0.0f, 2.0f);
      }
    }
    if (best == 1 && identificationLevel == 0) {
      positionErrorX = static_cast<int8_t>(Random(81) - 40);
      positionErrorY = static_cast<int8_t>(Random(81) - 40);
    }
    identificationLevel = best;
    gUnitStateChanged = 1;
  } else if (best > 0 && best < identificationLevel) {
    // Seen less well than before: the level follows down at once.
    identificationLevel = best;
    gUnitStateChanged = 1;
  } else if (best == 0 && alive != 0) {
    DropAsTargetOfAll(true, false, false);
    if (identificationLevel == 1) {
      identificationLevel = 0;
      gUnitStateChanged = 1;
    } else if (IsIdentified()) {
      if (!HasSurrendered()) {
        hidden = 1;
        lastSeenX = x;
        lastSeenY = y;
      } else {
        identificationLevel = 0;
      }
      gUnitStateChanged = 1;
    }
  }
  if (full && hidden != 0 && BestEnemyIdentification(true, 0) > 0) {
    hidden = 0;
    hiddenSecond = 1;
    gUnitStateChanged = 1;
  }
}

void Unit::AdjustSpottingRanges(const Unit& observed, float& visual, float& hearing) const {
  if (target == &observed) {
    visual *= 2.0f;
  } else if (burst > 0) {
    float px = 0.0f;
    float py = 0.0f;
    if (GetTargetPosition(px, py, nullptr)) {
      const float dx = px - x;
      const float dy = py - y;
      if (dx * dx + dy * dy > 50.0f * 50.0f) visual *= 0.5f;
    }
  }
  if (incomingFire > 0) hearing *= std::max(0.0f, 1.0f - 0.0001f * static_cast<float>(incomingFire));
  if (suppression != 0.0f) {
    const float s = std::min(suppression, 200.0f);
    const float factor = 1.0f - 0.0077091f * s + 0.000018182f * s * s;
    visual *= factor;
    hearing *= factor;
  }
}

int32_t Unit::EnemyIdentificationLevel(float minHearing, float visibilityFactor, const Unit* single) const {
  const MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return 0;
  const UnitServices* services = GetUnitServices();
  const float limit = services != nullptr ? services->GetVisibilityLimit() : 5000.0f;
  const int32_t light = battle->GetTimeOfDay();
  float flash = 0.0f;
  float hear = minHearing;
  if (burst > 0) {
    float h0 = 0.0f;
    FireRanges(*this, light, h0, flash);
    if (light == 2) flash *= 2.5f;
    if (light == 1) flash *= 1.5f;
    hear = std::max(minHearing, h0);
  }
  const bool surrendered = HasSurrendered();
  const bool snow = battle->IsSnowGround();
  const int32_t weather = battle->GetWeather();
  int32_t best = 0;
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    const Unit* o = UnitOfView(battle->GetUnit(i));
    if (o == nullptr || o == this || (single != nullptr && o != single)) continue;
    if (o->IsInanimate() || o->IsAirplane() || !o->CanFight()) continue;
    if (IsEnemy(*o) == surrendered) continue;
    const float d = DistanceTo(*o);
    float vis = std::min(VisibilityTo(o) * visibilityFactor, limit);
    float range = vis == 0.0f ? 0.0f : flash + vis;
    float hr = hear;
    o->AdjustSpottingRanges(*this, range, hr);
    const float cap = limit + flash;
    if (range > cap) {
      if (vis != 0.0f) vis *= cap / range;
      range = cap;
    }
    const float q = static_cast<float>(o->GetRating());
    if (snow) hr *= 0.7f;
    if (weather == 5) hr *= 0.7f;
    if (weather == 2) hr *= 0.6f;
    if (weather == 4) hr *= 0.8f;
    const float e = (vis * 5.0f + range) * 0.1666667f;
    const float e7 = e * 0.7f;
    int32_t v = 0;
    if (d <= range) {
      if (!o->IsVehicle()) {
        float k = 0.04182f * q + 0.1077f;
        if (o->CanChangePosture()) k *= 0.4f;
        v = e7 * k >= d ? 4 : (2.0f * range * k >= d ? 3 : 2);
      } else if (o->CanChangePosture() || o->HasMainWeaponOfType23(false)) {
        const float k = 0.217f * q - 0.0156f * q * q + 0.2f;
        v = e7 * k >= d ? 4 : 3;
      } else {
        const float k = 0.125f * q + 0.2f;
        v = e7 * k >= d ? 4 : (2.5f * range * k >= d ? 3 : 2);
      }
      if (light == 2 && v > 3 && d > 100.0f) v = 3;
      if (v > 2 && d > limit) v = 2;
    }
    int32_t a = 0;
    if (d <= hr) {
      if (range <= 0.5f * d) {
        a = 1;
      } else {
        a = IsInfantry() && burst > 0 && q >= 2.0f ? 3 : 2;
      }
    }
    int32_t level = std::max(v, a);
    if (level <= 1 && IsIdentified() && d <= 2.0f * range) {
      level = identificationLevel;
    } else if (level == 0 && d <= 1.2f * hr && identificationLevel == 1) {
      level = 1;
    }
    best = std::max(best, level);
  }
  return best;
}
