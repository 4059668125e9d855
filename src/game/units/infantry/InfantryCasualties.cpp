// Infantry under fire: who falls to a hit, how shaken the rest are, a crew weapon knocked
// out, the single casualty of a mine, elimination.
#include <algorithm>
#include <array>
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/records/Shot.h"
#include "game/units/ports/UnitOrderHost.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/tables/WeaponData.h"
#include "game/units/fire/WeaponFormulas.h"

namespace {

// A slot whose small arms id is above this holds the squad's heavier weapons.
constexpr int32_t kLightArmsLast = 8;

// The slot that the draw r (0 .. men in slots - 1) falls on, walking from the last slot down
// and skipping empty ones; -1 when the slot counts add up to less than r (the man then falls
// without a slot).
int32_t PickSlot(const std::array<uint8_t, InfantryData::kWeaponSlots>& men, int32_t slots, int32_t r) {
  for (int32_t s = slots - 1; s >= 0; --s) {
    const int32_t m = men[static_cast<size_t>(s)];
    if (m <= 0) continue;
    r -= m;
    if (r < 0) return s;
  }
  return -1;
}

int32_t OtherSideLevel(const Unit& unit) { return unit.GetIdentificationLevelFor(!unit.IsAxis(), false); }

UnitServices* Services() { return GetUnitServices(); }

}  // namespace

bool Infantry::HasHeavyWeapon(bool withIndirect) const {
  const int32_t w = Data().MainWeapon();
  if (w == kNoWeapon) return false;
  const int32_t t = gWeapons[w].Type();
  return t == 2 || t == 3 || (withIndirect && t == 4);
}

bool Infantry::TakeCasualties(int32_t rolls, float chance, bool quiet) {
  const InfantryData data = Data();
  const int32_t full = data.Men();
  const int32_t present = full - losses;
  int32_t hits = 0;
  for (int32_t i = 0; i < rolls; ++i) {
    if (RandomFloat() < chance) ++hits;
  }
  const int32_t left = present - hits;
  if (hits > 0 && left > 0) {
    int32_t care = 2;
    if (IsMoving()) --care;
    if (!CanFight()) --care;
    const bool tracked = data.MenCheck() != 0;
    const int32_t slots = std::clamp<int32_t>(data.WeaponSlotCount(), 0, InfantryData::kWeaponSlots);
    auto heavySlot = [&](int32_t s) { return data.SlotSmallArms(s) > kLightArmsLast; };
    int32_t heavy = 0;
    if (tracked) {
      for (int32_t s = slots - 1; s >= 0; --s) {
        if (heavySlot(s)) heavy += menInSlot[static_cast<size_t>(s)];
      }
    }
    int32_t inSlots = present;
    if (tracked) {
      // The heavy weapons need two men each: while too few are left, their men go first.
      while (left < 2 * heavy && inSlots > 0) {
        const int32_t s = PickSlot(menInSlot, slots, Random(inSlots));
        if (s >= 0 && heavySlot(s)) {
          --menInSlot[static_cast<size_t>(s)];
          --heavy;
          --inSlots;
        }
      }
      while (left < inSlots) {
        int32_t tries = care;
        int32_t s = PickSlot(menInSlot, slots, Random(inSlots));
        while (s >= 0 && heavySlot(s) && tries > 0) {
          --tries;
          s = PickSlot(menInSlot, slots, Random(inSlots));
        }
        if (s >= 0) --menInSlot[static_cast<size_t>(s)];
        --inSlots;
      }
    }
    if (antitankCount > 0 || chargeCount > 0) {
      float p = 1.0f - static_cast<float>(left) / static_cast<float>(present);
      if (care == 1) p *= 0.75f;
      if (care == 2) p *= 0.5f;
      const int32_t charges = chargeCount;
      for (int32_t i = 0; i < charges; ++i) {
        if (RandomFloat() < p) --chargeCount;
      }
      chargeCount = static_cast<uint8_t>(std::clamp<int32_t>(chargeCount, 0, std::max(left - heavy, 0)));
      const int32_t weapons = antitankCount;
      for (int32_t i = 0; i < weapons; ++i) {
        if (RandomFloat() < p) --antitankCount;
      }
      antitankCount =
          static_cast<uint8_t>(std::clamp<int32_t>(antitankCount, 0, std::max(left - chargeCount - heavy, 0)));
    }
  }
  if (hits < 1) return false;
  hits = std::min(hits, std::max(present, 0));
  if (OtherSideLevel(*this) > 3 && Services() != nullptr) Services()->TallyMenLost(hits);
  losses += hits;
  bool movable = false;
  bool typeOne = false;
  if (losses < full && IsCrewedWeapon(movable, typeOne)) {
    if (timer > 0.0f && HasAnyAmmo()) timer += static_cast<float>(hits) * 5.0f;
    if (movable && full - losses == 1 && !typeOne && full > 2) {
      speed = 0.0f;
      SettleLevel();
      waypointCount = 0;
      if (!HasSurrendered()) immobilized = 1;
    }
  }
  if (losses >= full) {
    losses = full;
    Eliminate();
  }
  if (!quiet) {
    casualtyFlag = 1;
    for (int32_t i = 0; i < hits; ++i) MaybeVoiceSound(3, 100, 0.0f, 1.2f);
  }
  stateChanged = 1;
  return true;
}

void Infantry::SettleLevel() {
  if (level > 0.0f && level < 1.0f) {
    level = level <= 0.5f ? 0.0f : 1.0f;
    stateChanged = 1;
  }
}

void Infantry::TakeQuietCasualties(float chance) {
  const int32_t present = GetMenPresent();
  if (present <= 0) return;
  if (TakeCasualties(present, chance, true)) {
    AddSuppression((RandomFloatTimes(10.0f) + 10.0f) * static_cast<float>(6 - GetRating()), false);
  }
}

float Infantry::HitShock(int32_t effectiveRating, float u, float damage) {
  static constexpr std::array<std::array<float, 2>, 9> kShock{{{28.0f, 2.0f},
                                                               {24.0f, 2.9f},
                                                               {20.0f, 4.0f},
                                                               {16.0f, 6.0f},
                                                               {11.0f, 8.0f},
                                                               {8.2f, 10.0f},
                                                               {7.7f, 11.0f},
                                                               {7.2f, 12.0f},
                                                               {6.7f, 13.0f}}};
  const int32_t r = effectiveRating >= 0 && effectiveRating <= 8 ? effectiveRating : 2;
  const auto& ab = kShock[static_cast<size_t>(r)];
  return (ab[0] * GMath::PowF(u, ab[1]) + 1.0f) * 1.3f * GMath::PowF(damage, 0.7f);
}

void Infantry::TakeDamage(float damage, int32_t extraRolls, const Shot& shot) {
  const InfantryData data = Data();
  float d = damage;
  if (data.MainWeapon() == 92) d *= 1.5f;
  int32_t lost = 0;
  if (GetMenPresent() > 0) {
    const int32_t before = losses;
    TakeCasualties(GetMenPresent() + 1 + extraRolls, d * 0.001379310344827586f, false);
    lost = losses - before;
  }
  if (alive == 0) {
    CheckWeaponKnockedOut(d, shot);
    stateChanged = 1;
    return;
  }
  int32_t r = GetEffectiveRating(0);
  if (r < 0 || r > 8) r = 2;
  float s = HitShock(r, RandomFloat(), d);
  if (HasMoveOrder() && IsMoving() && waypointCount > 0) {
    if (WaypointAt(0).moveMode == kRun) s *= 0.8f;
    if (WaypointAt(0).moveMode == kCrawl) s *= 0.9f;
  }
  if (shot.kind == 6) {
    s = s * 3.0f + 50.0f;
  } else if (shot.kind == 7) {
    s *= 2.0f;
  } else if (shot.kind == 0) {
    const UnitServices* services = Services();
    const int32_t condition = services != nullptr ? services->GetConditionValue() : 0;
    s *= AngleFactor(AngleToPoint(facing, shot.shooterX, shot.shooterY, true), condition);
  }
  s += static_cast<float>(lost) * 2.0f * static_cast<float>(9 - r);
  if ((parentUnit != nullptr || data.MainWeapon() == 92) && CanFight()) s *= 2.0f;
  if (slicePassFlag != 0 && GetBand() < 4) s *= 2.0f;
  AddSuppression(s, shot.kind == 6);
  CheckWeaponKnockedOut(d, shot);
  if (alive != 0) {
    AfterHit();
    if (!IsPassenger()) {
      const bool aimed = shot.kind == 0 || shot.kind == 1 || shot.kind == 2 || shot.kind == 3 || shot.kind == 7;
      ReactToFire(d > 50.0f && shot.kind == 6, aimed, shot.shooterX, shot.shooterY);
      const bool idle = waypointCount == 0 || (waypointCount == 1 && LastWaypointIsRotation());
      if (shot.kind == 0 && idle && target == nullptr && areaFire == 0 && data.ClassCode() < 4 &&
          shot.sourceFlag != 0 && AngleToPoint(facing, shot.shooterX, shot.shooterY, true) >= 60.0f) {
        const MapBattleServices* battle = UnitBattle();
        const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
        Waypoint& w = waypoints[0];
        w = Waypoint{};
        w.x = shot.shooterX;
        w.y = shot.shooterY;
        w.height = map != nullptr ? map->ElevationAt(shot.shooterX, shot.shooterY) : 0.0f;
        w.moveMode = Waypoint::kRotateTo;
        w.pointKind = 1;
        w.upperLevel = level > 0.5f ? 1 : 0;
        w.flags = flagBytes[kHoldFlag];
        waypointCount = 1;
        stateChanged = 1;
      }
    }
  }
  stateChanged = 1;
}

void Infantry::CheckWeaponKnockedOut(float damage, const Shot& shot) {
  if (!((shot.kind != 0 && shot.kind != 7) || shot.secondImpact != 0)) return;
  if (!HasHeavyWeapon(true)) return;
  const bool gun = HasHeavyWeapon(false);
  float p = damage;
  if (shot.kind == 1 && gun) {
    p *= 4.0f;
  } else if (shot.kind == 3 && gun) {
    p *= 2.0f;
  } else if (shot.kind == 0) {
    p *= 0.5f;
  }
  p *= 0.005f;
  if (RandomFloat() < p) {
    if (OtherSideLevel(*this) > 2 && Services() != nullptr) Services()->TallyWeaponLost(gun);
    weaponKnockedOut = 1;
    Unit* crew = BailOutCrew(false);
    if (crew != nullptr && GetUnitOrderHost() == nullptr) delete crew;
  }
}

void Infantry::AfterHit() {
  if (suppression > 6.0f && suppression < 16.0f) {
    SetSuppression(16.0f, false);
    stateChanged = 1;
  }
}

void Infantry::TakeSingleCasualty(bool mild) {
  TakeCasualties(1, 1.0f, false);
  if (alive != 0) {
    float x = 1.0f - 0.1f * static_cast<float>(GetEffectiveRating(0));
    // A shock factor this small would come of an impossible rating; no shock is taken.
    x = std::max(x, 0.0f);
    if (mild) x *= 0.33f;
    AddSuppression((RandomFloatTimes(100.0f) + 40.0f) * x, false);
    if (!IsPassenger()) ReactToFire(false, false, 0.0f, 0.0f);
  }
  stateChanged = 1;
}

void Infantry::Eliminate() {
  if (alive == 0) return;
  if (identificationLevel == 2 && !IsIdentified()) identificationLevel = 0;
  if (status == 0) surrendered = 0;
  speed = 0.0f;
  turnRate = 0.0f;
  level = level > 0.5f ? 1.0f : (level >= 0.0f ? 0.0f : level);
  // A rider gets off where the riding rules let it; one still aboard is dropped by its vehicle.
  if (IsPassenger() && UnitBattle() != nullptr) TryDismount();
  if (IsPassenger()) {
    VehicleServices* vehicle = carrier->AsVehicle();
    if (vehicle != nullptr && (vehicle->GetPassenger(0) == this || vehicle->GetPassenger(1) == this)) {
      vehicle->RemovePassenger(this);
    }
    carrier = nullptr;
  }
  if (OtherSideLevel(*this) > 2 && Services() != nullptr) {
    if (OtherSideLevel(*this) > 3) Services()->TallyMenLost(GetMenPresent());
    if (weaponKnockedOut == 0) {
      if (HasHeavyWeapon(false)) {
        Services()->TallyWeaponLost(true);
      } else if (HasHeavyWeapon(true)) {
        Services()->TallyWeaponLost(false);
      }
    }
  }
  Unit::Eliminate();
  // The figures take their posture; the pick of their first key is the drawing's, never the
  // game's generator.
  UpdateFigurePostures(PresentationDraw);
  if (GetLeaderLevel()) {
    UnitOrderHost* host = GetUnitOrderHost();
    if (host != nullptr) host->ReviewCommandingLeaders();
  }
}

bool Infantry::CanSplit() const {
  return IsSquad() && linkedHalf == nullptr && 2 * Data().Men() <= 3 * GetMenPresent() && !IsPassenger() &&
         CanFight();
}
