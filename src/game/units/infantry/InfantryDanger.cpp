// Infantry in danger: jumping aside from an armoured vehicle about to drive over it, a gun
// abandoned, surrender when the balance around it is hopeless, rescue by friends, and a
// burning tile left.
#include <algorithm>
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/FindBattleUnit.h"
#include "game/units/ports/UnitBattleQueries.h"
#include "game/units/ports/UnitOrderHost.h"
#include "game/units/ports/UnitScreen.h"
#include "game/units/ports/UnitServices.h"

namespace {

// A gun lost to the unit that took it: guns of class 2 or 3 on the first counter, mortars on
// the second.
void CountCapturedGun(Unit& taker, bool gun) {
  uint8_t& counter = gun ? taker.killRecord.gunsDestroyed : taker.killRecord.mortarsDestroyed;
  if (counter < 255) ++counter;
}

}  // namespace

bool Infantry::IsOverrunThreat(const Unit& candidate, Infantry& unit) {
  if (candidate.alive == 0 || !candidate.IsArmored(false) || &candidate == unit.boardingTarget) return false;
  if (!candidate.IsMoving()) return false;
  if (!const_cast<Unit&>(candidate).CanStandAt(unit.x, unit.y, true)) return false;
  const float s = std::fabs(candidate.speed);
  if (candidate.DistanceTo(unit) >= 5.0f * s * 40.0f) return false;
  float bearing = candidate.RelativeBearingToUnit(unit, false, true);
  if (candidate.FirstWaypointIsRoutePoint()) bearing = 180.0f - bearing;
  return bearing <= 15.0f;
}

bool Infantry::JumpAside(int32_t band) {
  const Map* map = UnitBattleMap();
  if (map == nullptr) return false;
  const float heading = facing * GMath::kRadiansPerDegree;
  bool accepted = false;
  bool standable = false;
  float px = x;
  float py = y;
  for (int32_t tries = 0; tries < 30 && !accepted; ++tries) {
    const float sign = Random(2) == 0 ? 1.0f : -1.0f;
    const float turn = (45.0f + RandomFloatTimes(45.0f)) * GMath::kRadiansPerDegree * sign;
    px = x + 12.0f * std::cos(heading + turn);
    py = y + 12.0f * std::sin(heading + turn);
    standable = map->IsOnMap(px, py) && CanStandAt(px, py, true);
    accepted = standable && (tries >= 20 || map->IsConcealingAt(px, py, false));
  }
  if (band >= 4 || (band == 3 && !accepted)) suppression = std::max(suppression, 240.0f);
  if (standable) {
    const int32_t last = std::min(waypointCount, kMaxWaypoints - 1);
    for (int32_t i = last; i > 0; --i) waypoints[static_cast<size_t>(i)] = waypoints[static_cast<size_t>(i - 1)];
    waypointCount = last + 1;
    Waypoint& w = waypoints[0];
    w = Waypoint{};
    w.x = px;
    w.y = py;
    w.height = map->ElevationAt(px, py);
    w.moveMode = GetSpeedClass() == 4 ? kRun : kMove;
    w.pointKind = 1;
    commandDelay = 0.0f;
  }
  stateChanged = 1;
  return accepted;
}

void Infantry::AbandonGun(Unit& taker) {
  CountCapturedGun(taker, HasHeavyWeapon(false));
  knockedOut = 1;
  Unit* crew = BailOutCrew(false);
  if (crew != nullptr && GetUnitOrderHost() == nullptr) delete crew;
}

void Infantry::ReactToDanger() {
  const int32_t band = GetBand();
  const Map* map = UnitBattleMap();
  if (IsStationary() && !IsPassenger() && level == 0.0f) {
    Unit* threat = FindBattleUnit([this](const Unit& c) { return IsOverrunThreat(c, *this); });
    if (threat != nullptr) {
      if (GetSpeedClass() < 2) {
        if (threat->IsEnemy(*this) && HasHeavyWeapon(true)) AbandonGun(*threat);
      } else {
        JumpAside(band);
      }
    }
  }
  if (alive != 0 && !(IsMoving() && GetSpeedClass() >= 2) && map != nullptr && map->BurningAt(x, y) != 0) {
    EscapeFire();
    return;
  }
  if (!IsPassenger() && band >= 3 && !HasSurrendered() && identificationLevel > 2 && fanaticState != 2) {
    const SurrenderBalance balance = ComputeSurrenderBalance(band);
    if (balance.balance < 0.0f && balance.capturer != nullptr && !RetreatTowardFriendlyEdge(false, false)) {
      if (!HasHeavyWeapon(true)) {
        Surrender(balance.capturer);
      } else {
        CountCapturedGun(*balance.capturer, HasHeavyWeapon(false));
        knockedOut = 1;
        Unit* crew = BailOutCrew(false);
        if (Infantry* team = dynamic_cast<Infantry*>(crew)) team->Surrender(balance.capturer);
        if (crew != nullptr && GetUnitOrderHost() == nullptr) delete crew;
      }
    }
    return;
  }
  if (HasSurrendered() && FindBattleUnit([this](Unit& o) { return IsNearbyRescuer(o, *this); }) != nullptr) {
    bool freed = FindBattleUnit([this](Unit& o) { return IsThreateningEnemy(o, *this); }) == nullptr;
    if (!freed) freed = ComputeSurrenderBalance(7).balance > 0.0f;
    if (freed) {
      commandDelay = 0.0f;
      waypointCount = 0;
      surrendered = 0;
      released = 1;
      firingTimer = 0.0f;
      flagBytes[kHoldFlag] = 0;
      identificationLevel = 4;
      stateChanged = 1;
      ReactToFire(true, false, 0.0f, 0.0f);
      suppression = 0.0f;
    }
  }
}

Infantry::SurrenderBalance Infantry::ComputeSurrenderBalance(int32_t band) const {
  SurrenderBalance result;
  result.balance = static_cast<float>(GetMenPresent());
  float divisor = static_cast<float>(GetEffectiveRating(0)) * 0.5f + 2.0f;
  if (parentUnit != nullptr) divisor *= 0.2f;
  if (band == 3) divisor *= 2.0f;
  if (band == 4) divisor *= 1.66f;
  if (band == 5) divisor *= 1.33f;
  const UnitServices* services = GetUnitServices();
  divisor *= (services != nullptr ? services->GetSideStrengthRatio(GetSideIndex()) : 1.0f) * 1.25f;
  result.divisor = divisor;
  FindBattleUnit([&](Unit& o) {
    AddToSurrenderBalance(o, *this, result);
    return false;
  });
  return result;
}

void Infantry::AddToSurrenderBalance(Unit& o, const Infantry& u, SurrenderBalance& tally) {
  if (&o == &u || o.alive == 0 || o.IsInanimate() || o.IsAirplane() || o.HasSurrendered()) return;
  const bool enemy = o.IsEnemy(u);
  float w = 0.0f;
  if (o.IsVehicle()) {
    w = !o.HasMainWeapon() ? 5.0f : (o.IsArmored(enemy) ? 40.0f : 20.0f);
  } else if (o.IsInfantry()) {
    w = static_cast<float>(o.GetMenPresent());
  } else {
    FatalError(__LINE__, kInfantryFile);
  }
  float d = o.DistanceTo(u);
  if (!enemy) {
    if (d >= 100.0f) return;
    w *= (100.0f - d) * 0.01f;
    if (!o.CanFight()) w *= 0.5f;
    tally.balance += w;
    return;
  }
  const bool targets = o.target == &u;
  if (targets || u.HasSurrendered()) d *= 0.33f;
  if (d >= 75.0f || !o.CanFight() || !o.LineOfSightTo(u)) return;
  if (d > 5.0f) w *= (75.0f - d) * 0.0142857f;
  tally.balance += w / -tally.divisor;
  if (targets && d <= 40.0f + RandomFloatTimes(10.0f)) {
    if (o.IsInfantry() || tally.capturer == nullptr) tally.capturer = &o;
  }
}

bool Infantry::IsThreateningEnemy(Unit& o, const Infantry& u) {
  if (&o == &u || o.IsAirplane() || o.IsInanimate() || !o.IsEnemy(u) || !o.CanFight()) return false;
  const float d = o.DistanceTo(u);
  if (d > 60.0f) return false;
  return d <= 30.0f || o.LineOfSightTo(u);
}

bool Infantry::IsNearbyRescuer(Unit& o, const Infantry& u) {
  if (&o == &u || o.IsInanimate() || o.IsAirplane() || o.IsEnemy(u) || !o.CanFight()) return false;
  if (o.DistanceTo(u) > 30.0f) return false;
  if (Random(6) != 0) return false;
  return o.LineOfSightTo(u);
}

void Infantry::Surrender(Unit* capturer) {
  if (capturer == nullptr) FatalError(__LINE__, kInfantryFile);
  commandDelay = 0.0f;
  waypointCount = 0;
  identificationLevel = 4;
  hidden = 0;
  hiddenSecond = 0;
  surrendered = 1;
  released = 0;
  indirectFire = 0;
  firingTimer = 0.0f;
  suppression = 0.0f;
  flagBytes[kHoldFlag] = 0;
  specialWeaponFiring = 0;
  antitankCount = 0;
  chargeCount = 0;
  reloadState = 0.0f;
  aimTime = 0.0f;
  immobilized = 0;
  ClearOrderState(true);
  ammo.fill(0);
  GetUnitScreen().RefreshWaypointDisplay();
  capturer->killRecord.infantryCaptured = static_cast<int16_t>(capturer->killRecord.infantryCaptured + GetMenPresent());
  MaybeVoiceSound(4, 100, 1.25f, 3.0f);
  MaybeVoiceSound(5, 80, 0.0f, 1.0f);
  stateChanged = 1;
}

void Infantry::ReleaseFromCaptivity() {
  surrendered = 0;
  released = 1;
  identificationLevel = 4;
  suppression = 0.0f;
}
