// The vehicle's fire control: which machine guns may fire, their slice step and target search,
// the main gun's arc and range, machine-gun firepower, and how being a vehicle changes the
// chance of being hit and of being seen.
#include <algorithm>
#include <cmath>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/fire/WeaponFormulas.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/ports/UnitOrderHost.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/SliceTimer.h"

namespace {

constexpr int32_t kFirstHeavyGun = 29;
constexpr int32_t kTargetReferencePoint = 3;
constexpr uint16_t kForwardFlexibleMount = 0x80;

bool IsGunPresent(int32_t index) { return index != Vehicle::kNoSmallArms && gSmallArms.IsValid(index); }

bool IsHeavyGun(int32_t index) { return index >= kFirstHeavyGun && index != Vehicle::kNoSmallArms; }

// Whether the units' distance on the level is at least the reach.
bool IsBeyondReachOnLevel(const Unit& from, const Unit& other, float reach) {
  const float dx = other.x - from.x;
  const float dy = other.y - from.y;
  return std::sqrt(dx * dx + dy * dy) >= reach;
}

// Whether the distance between the units (DistanceTo) is at least the reach. The full distance
// adds the square of the finite height step to the ground's and so never falls below it: a unit
// that far on the ground is answered without reading the heights.
bool IsBeyondReach(const Unit& from, const Unit& other, float reach) {
  return IsBeyondReachOnLevel(from, other, reach) || from.DistanceTo(other) >= reach;
}

// A live unit of the side other than the one excluded stands within the radius of the point.
bool AnyUnitNearPoint(float px, float py, int32_t sideIndex, const Unit* excluded, float radius) {
  const MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return false;
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    const Unit* u = UnitOfView(battle->GetUnit(i));
    if (u == nullptr || u == excluded || u->alive == 0 || u->GetSideIndex() != sideIndex) continue;
    const float dx = u->x - px;
    const float dy = u->y - py;
    if (dx * dx + dy * dy <= radius * radius) return true;
  }
  return false;
}

}  // namespace

// ---- Which guns may fire ----

int32_t Vehicle::CanFireBowMG() const {
  const int32_t index = TrueClass().BowMachineGun();
  if (!IsGunPresent(index) || losses > 0 || emplaced != 0) return 0;
  return machineGunAmmo[static_cast<size_t>(WeaponGroupOf(index))] != 0 ? 1 : 0;
}

int32_t Vehicle::CanFireCoaxialMG(bool checkTarget) const {
  const VehicleData record = TrueClass();
  const int32_t index = record.CoaxialMachineGun();
  if (!IsGunPresent(index) || gunDestroyed != 0 || losses > 1 || GetMenPresent() <= 1) return 0;
  if (machineGunAmmo[static_cast<size_t>(WeaponGroupOf(index))] == 0) return 0;
  if (checkTarget) {
    if (gunCrewStunTimer != 0.0f) return 0;
    // The coaxial gun follows the main gun: it is free only when the main gun has no target
    // of its own, or the two may fire apart.
    const bool free = (target == nullptr && areaFire == 0) || mainGunClearance == 0 || ammoKind == kNoAmmo ||
                      record.Value97() != 0 || record.MainWeapon() == kNoWeapon;
    if (!free) return 0;
  }
  return static_cast<int8_t>(record.CoaxialCount());
}

int32_t Vehicle::CanFireFlexibleMG(bool checkTarget) const {
  const VehicleData record = TrueClass();
  const int32_t index = record.ThirdMachineGun();
  if (!IsGunPresent(index)) return 0;
  if (checkTarget && record.ThirdIsRemote() == 0 && buttoned != 0) return 0;
  if (machineGunAmmo[static_cast<size_t>(WeaponGroupOf(index))] == 0) return 0;
  // A heavy gun on its own mount keeps firing after the first loss.
  int32_t k = losses;
  if (losses > 0 && index >= kFirstHeavyGun) --k;
  const int32_t n = static_cast<int8_t>(record.ThirdCount()) - k;
  return n < 1 ? 0 : n;
}

bool Vehicle::AnyMGUsable(bool checkTarget) const {
  return CanFireBowMG() > 0 || CanFireCoaxialMG(checkTarget) > 0 || CanFireFlexibleMG(checkTarget) > 0;
}

// ---- The main gun's arc and range ----

bool Vehicle::IsPointInGunArc(float px, float py, bool narrow) const {
  const VehicleData record = TrueClass();
  if (record.TurretSpeedClass() != 5) return true;
  float left = static_cast<float>(record.TraverseLimit(0));
  float right = static_cast<float>(record.TraverseLimit(1));
  if (narrow) {
    left *= 0.5f;
    right *= 0.5f;
  }
  // A gun pointing back measures its limits from the rear.
  const float heading = left < 0.0f ? facing + 180.0f : facing;
  const float a = AngleToPoint(heading, px, py, false);
  if (a <= 0.0f) return -a <= std::fabs(left);
  return a <= std::fabs(right);
}

void Vehicle::GetMainGunRange(float& outMin, float& outMax) const {
  const int32_t weapon = TrueClass().MainWeapon();
  if (!gWeapons.IsValid(weapon)) {
    outMin = 999999.0f;
    outMax = 0.0f;
    return;
  }
  const WeaponData data = gWeapons[weapon];
  outMin = data.MinRange();
  outMax = data.MaxRange();
  if (data.Type() == 2 || data.Type() == 3) outMin = std::max(outMin, 8.0f);
}

bool Vehicle::IsPointInFireArc(float px, float py) const {
  if (CanMove()) {
    if (!IsMoving()) return true;  // a standing vehicle turns to any point
    if (waypointCount > 0 && waypoints[0].moveMode == 2) return true;
  }
  return IsPointInGunArc(px, py, false);
}

void Vehicle::GetRangeBounds(int32_t /*selector*/, float factor, float& low, float& high) const {
  float lo = 999999.0f;
  float hi = 0.0f;
  if (machineGunFiring == 0 && HasMainWeaponIn(0)) GetMainGunRange(lo, hi);
  const VehicleData record = TrueClass();
  auto widen = [&](int32_t index, int32_t usable) {
    if (usable <= 0) return;
    lo = 0.0f;
    hi = std::max(hi, static_cast<float>(gSmallArms[index].MaxRange()));
  };
  widen(record.BowMachineGun(), CanFireBowMG());
  widen(record.CoaxialMachineGun(), CanFireCoaxialMG(false));
  widen(record.ThirdMachineGun(), CanFireFlexibleMG(false));
  low = lo;
  high = factor * hi;
}

bool Vehicle::CanFireAtTarget(int32_t& kindOut) {
  if (!Unit::CanFireAtTarget(kindOut)) return false;
  if (machineGunFiring != 0 || !HasMainWeaponIn(0)) return true;
  float px = 0.0f;
  float py = 0.0f;
  if (!GetTargetPosition(px, py, nullptr)) return true;
  float lo = 0.0f;
  float hi = 0.0f;
  GetMainGunRange(lo, hi);
  const float d = target != nullptr ? DistanceTo(*target) : DistanceToPoint(px, py);
  return d >= lo && d <= hi;
}

float Vehicle::FirepowerAt(float range, int32_t* outClass, bool noRate, bool withRating) const {
  const int32_t index = smallArmsInUse == kNoSmallArms ? 20 : smallArmsInUse;
  if (outClass != nullptr) *outClass = index < 14 ? 0 : (index < 25 ? 1 : 2);
  if (!gSmallArms.IsValid(index)) return 0.0f;
  float f = SmallArmsFirepowerAt(gSmallArms[index], range, 0);
  if (!noRate) f *= burstValue / 60.0f;
  if (withRating) f = ScaleByRating(f, true);
  return f;
}

// ---- The machine-gun step ----

int32_t Vehicle::HeavyBurstUnits(float distance, int32_t left) {
  const float d = distance;
  const float k = std::round(RandomFloat() + 0.0003188f * d * d - 0.003397f * d + 0.7266f);
  if (k < 1.0f) return 1;
  return k < static_cast<float>(left) ? static_cast<int32_t>(k) : left;
}

float Vehicle::CloseBurstFactor(float distance) { return std::clamp(0.00481f * distance + 0.2778f, 0.35f, 1.0f); }

void Vehicle::UpdateMachineGuns() {
  if (target != nullptr && target->IsInanimate()) {
    // Only a target reference point is a sound object to aim at; anything else a file or an
    // order gave is left alone by the machine guns.
    if (target->GetInanimateKind() != kTargetReferencePoint && objectTargetLogged == 0) {
      GErrorLog::LogValue("Vehicle: machine guns hold fire at an object of kind", target->GetInanimateKind());
      objectTargetLogged = 1;
    }
    return;
  }
  const VehicleData record = TrueClass();
  const int32_t indices[kMachineGuns] = {record.BowMachineGun(), record.CoaxialMachineGun(), record.ThirdMachineGun()};
  for (int32_t i = 0; i < kMachineGuns; ++i) {
    float& timer = machineGunRefireTimers[static_cast<size_t>(i)];
    CountDown(timer);
    const int32_t index = indices[i];
    if (timer != 0.0f || !IsGunPresent(index)) continue;
    smallArmsInUse = index;
    const bool heavy = IsHeavyGun(index);
    int32_t n = 0;
    float centre = facing;
    float halfWidth = 22.5f;
    if (i == 0) {
      burstValue = heavy ? 7.0f : 11.0f;
      n = CanFireBowMG();
    } else if (i == 1) {
      burstValue = 10.0f;
      n = CanFireCoaxialMG(true);
      centre = facing + turretOffset;
      halfWidth = 5.0f;
    } else {
      burstValue = buttoned != 0 ? 16.0f : 8.0f;
      n = CanFireFlexibleMG(true);
      halfWidth = (record.Flags() & kForwardFlexibleMount) != 0 ? 40.0f : 181.0f;
    }
    // A heavy gun fires only from a standing vehicle.
    const bool standingHeavy = heavy && !IsMoving() && turnRate == 0.0f;
    if (heavy && !standingHeavy) n = 0;
    if (n > 0) {
      const SmallArmsData gun = gSmallArms[index];
      const float range = static_cast<float>(gun.MaxRange());
      // Airplanes only for a rifle-calibre flexible gun on an anti-aircraft mount: the heavy
      // guns' fire has no scatter against them.
      const bool antiAircraft = i == 2 && !heavy && gun.Flag() != 0;
      machineGunFiring = 1;
      // The machine-gun mode flag: the search scores and the shots fire as the gun's.
      const uint8_t keptMode = firingBytes[kMachineGunMode];
      firingBytes[kMachineGunMode] = 1;
      Unit* found = nullptr;
      bool area = false;
      if (!FindMGTarget(centre, halfWidth, range, i == 1, found, area, i == 0, antiAircraft)) {
        timer = 1.0f;
      } else {
        uint8_t& a = machineGunAmmo[static_cast<size_t>(WeaponGroupOf(index))];
        float px = area ? targetX : found->x;
        float py = area ? targetY : found->y;
        if (!standingHeavy) {
          if (a < n) {
            n = a;
            a = 0;
          } else {
            a = static_cast<uint8_t>(a - n);
          }
        } else {
          const float d = found != nullptr ? DistanceTo(*found) : DistanceToPoint(px, py);
          a = static_cast<uint8_t>(a - HeavyBurstUnits(d, a));
        }
        gUnitStateChanged = 1;
        Unit* keptTarget = target;
        const uint8_t keptArea = areaFire;
        const float keptX = targetX;
        const float keptY = targetY;
        target = found;
        areaFire = area ? 1 : 0;
        if (area) {
          targetX = px;
          targetY = py;
        }
        for (int32_t shot = 0; shot < n; ++shot) FireAtTarget(kNoAmmo);
        burstValue *= 0.8f + 0.4f * RandomFloat();
        if (!standingHeavy && found != nullptr) {
          const float d = DistanceTo(*found);
          if (d < 150.0f) burstValue *= CloseBurstFactor(d);
        }
        timer = burstValue;
        target = keptTarget;
        areaFire = keptArea;
        targetX = keptX;
        targetY = keptY;
        // A vehicle with nothing else to shoot at takes the gun's target as its own.
        if (target == nullptr && areaFire == 0 && !HasMainWeaponIn(0) && found != nullptr && !found->IsAirplane()) {
          target = found;
          mainGunClearance = 0;
        }
      }
      machineGunFiring = 0;
      firingBytes[kMachineGunMode] = keptMode;
    }
    if (mainGunClearance == 0 && !AnyMGUsable(false)) mainGunClearance = 1;
  }
  smallArmsInUse = kNoSmallArms;
}

bool Vehicle::IsMGCandidate(const Unit& other, float centre, float halfWidth, float range, bool bowGun, bool heavy,
                            bool antiAircraft) const {
  // Cheap tests first; the sight trace fills the map's pair cache and comes last but two. The
  // tests before it change nothing, so the one most often failed by an enemy, its distance on
  // the level (what IsBeyondReach answers first), is made before the others ask the unit.
  if (&other == this || !IsEnemy(other)) return false;
  if (IsBeyondReachOnLevel(*this, other, range)) return false;
  if (other.alive == 0 || !other.IsIdentified()) return false;
  if (other.IsAirplane() && !antiAircraft) return false;
  if (other.IsInanimate() || other.HasSurrendered() || other.IsPassenger()) return false;
  if (IsBeyondReach(*this, other, range)) return false;
  if (!IsPointInArc(centre, halfWidth, other.x, other.y)) return false;
  if (!CanSee(other)) return false;
  if (bowGun && IsHullDownFrom(other)) return false;
  if (heavy && AnyUnitNearPoint(other.x, other.y, GetSideIndex(), this, 20.0f)) return false;
  return true;
}

bool Vehicle::FindMGTarget(float centre, float halfWidth, float range, bool turretGun, Unit*& outTarget,
                           bool& outArea, bool bowGun, bool antiAircraft) {
  outTarget = nullptr;
  outArea = false;
  if (target == nullptr && areaFire != 0 && IsPointInArc(centre, halfWidth, targetX, targetY) &&
      DistanceToPoint(targetX, targetY) <= range && LineOfSightToPoint(targetX, targetY)) {
    outArea = true;
    return true;
  }
  MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return false;
  const bool heavy = IsHeavyGun(smallArmsInUse);
  // The evaluation may touch the vehicle's own choice; it is put back after the search.
  Unit* const keptTarget = target;
  const uint8_t keptArea = areaFire;
  const uint8_t keptChoice = firingBytes[kMachineGunMode];
  const int32_t keptKind = ammoKind;
  float best = 0.0f;
  auto weigh = [&](Unit* u) {
    if (u == nullptr || (turretGun && keptTarget != nullptr && u != keptTarget)) return;
    if (!IsMGCandidate(*u, centre, halfWidth, range, bowGun, heavy, antiAircraft)) return;
    const float score = EvaluateCandidateTarget(u);
    target = keptTarget;
    areaFire = keptArea;
    if (score > best) {
      best = score;
      outTarget = u;
    }
  };
  // Only an enemy is a candidate: the other sides' units alone when the battle has them
  // sorted, else every unit.
  const UnitServices* services = GetUnitServices();
  if (const std::vector<Unit*>* others = services != nullptr ? services->UnitsNotOfSide(*this, battle) : nullptr) {
    for (Unit* u : *others) weigh(u);
  } else {
    const int32_t count = battle->GetUnitCount();
    for (int32_t i = 0; i < count; ++i) weigh(UnitOfView(battle->GetUnit(i)));
  }
  target = keptTarget;
  areaFire = keptArea;
  firingBytes[kMachineGunMode] = keptChoice;
  ammoKind = keptKind;
  return outTarget != nullptr;
}

// ---- Being hit and being seen ----

bool Vehicle::IsCrewExposed() const { return buttoned == 0 && (IsArmoredIn(0) || HasHeavyWeapon(false)); }

void Vehicle::AdjustChancesOfBeingHit(const Unit& shooter, float& first, float& second) const {
  Unit::AdjustChancesOfBeingHit(shooter, first, second);
  const VehicleData record = TrueClass();
  const bool fortification = IsEmplacement();
  const float b = RelativeBearingToUnit(shooter, true, true);
  const bool isTarget = &shooter == target;
  if (fortification && b > static_cast<float>(record.TraverseLimit(0))) {
    first = 0.0f;
    second *= 0.2f;
  } else if (buttoned == 0 || fortification) {
    if (!fortification && !IsCrewExposed()) {
      if (!isTarget) {
        if (b >= 135.0f) {
          first *= 0.4f;
        } else if (b >= 70.0f) {
          first *= 0.7f;
        }
      }
    } else if (shooter.IsVehicle()) {
      const auto& v = static_cast<const Vehicle&>(shooter);
      const bool covered = v.emplaced != 0 && v.burst == 0 && v.TerrainQuery(true);
      if (!covered) first *= 6.0f;
    } else if (shooter.IsInfantry()) {
      if (!shooter.TerrainQuery(false)) first *= shooter.IsHoldingPosition() ? 1.5f : 3.0f;
    } else {
      first *= 6.0f;
    }
    second *= 0.9f;
  } else {
    if (!isTarget) {
      float f = 1.0f;
      if (shooter.GetIdentificationLevelFor(IsAxis(), false) >= 2) {
        f = b >= 135.0f ? 0.1f : (b >= 90.0f ? 0.4f : (b >= 60.0f ? 0.6f : 1.0f));
      } else if (shooter.IsVehicle()) {
        f = b >= 135.0f ? 0.05f : (b >= 90.0f ? 0.4f : (b >= 45.0f ? 0.6f : 0.8f));
      } else {
        f = b >= 135.0f ? 0.06f : (b >= 90.0f ? 0.1f : (b >= 60.0f ? 0.2f : (b >= 30.0f ? 0.5f : 0.8f)));
      }
      first *= f;
    }
    second *= 0.2f;
  }
  if (waypointCount > 0) {
    const int32_t mode = waypoints[0].moveMode;
    if (mode == 1 || mode == 9) {
      second *= 0.9f;
    } else if (mode == 2 || mode == -1) {
      second *= 0.8f;
    } else if (mode == 3) {
      second *= 0.5f;
    } else {
      GErrorLog::LogValue("Vehicle: move mode", mode);
      FatalError(3845, "Vehicle");
    }
  }
  if (speed != 0.0f) {
    // The faster for the ground, the harder to hit; held so that the factor stays in range
    // when the ground ahead stops the vehicle.
    const float m = GetTerrainMobility();
    const float r = m > 0.0f ? std::min(std::fabs(speed) / m, 1.0f) : 1.0f;
    const int32_t extra = std::clamp(GetMenPresent() - 1, 0, 3);
    const float t = 0.9f - 0.1f * static_cast<float>(extra);
    first *= 1.0f - r * t;
  }
}

bool Vehicle::CanSee(const Unit& other) const {
  if (!LineOfSightTo(other)) return false;
  // Buttoned up in a battle with fog of war the crew sees only what gives itself away.
  const UnitServices* services = GetUnitServices();
  const MapAppServices* app = UnitApp();
  if (buttoned == 0 || services == nullptr || !services->IsComputingAction() || app == nullptr ||
      app->GetOption(10) == 0) {
    return true;
  }
  int32_t level = 0;
  if (other.IsVehicle()) {
    level = static_cast<Vehicle&>(const_cast<Unit&>(other)).ActivityRadius(false, this);
  } else if (InfantryServices* squad = const_cast<Unit&>(other).AsInfantry(); squad != nullptr) {
    // A squad as this crew alone would make it out.
    level = static_cast<int32_t>(squad->RunUnitPass(false, this));
  } else {
    level = other.BestEnemyIdentification(false, 0);
  }
  return level > 1;
}

bool Vehicle::CanTargetUnit(Unit* other) { return other != nullptr && CanSee(*other); }

float Vehicle::VisibilityTo(const Unit* observer) const {
  if (observer == nullptr) return 0.0f;
  float v = 0.0f;
  if (!observer->LineOfSightTo(*this, &v)) return 0.0f;
  float seen = (1.476f * v * v - 0.7762f * v + 0.3f) * (IsMoving() ? 4250.0f : 2500.0f);
  const MapBattleServices* battle = UnitBattle();
  const int32_t code = battle != nullptr ? battle->GetVisibilityClass() : 0;
  if (code == 2) seen *= 0.6f;
  if (code == 1) seen *= 0.75f;
  if (IsHullDownFrom(*observer)) seen *= 0.6f;
  return seen;
}
