// Target choice: the search of the battle's units for the unit's best target, the scoring of
// one candidate and the ammunition against the current target.
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/tables/Hack.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/Unit.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/tables/WeaponData.h"

int64_t AITargeting::gEffectCalls = 0;
bool AITargeting::gPassOverBeyondReach = true;

namespace {

constexpr int32_t kNoChoiceWeapon = 104;
// The ammunition kind of a machine gun chosen instead of the main gun.
constexpr int32_t kMachineGunKind = 6;

template <typename F>
void ForEachUnitUntil(F&& f) {
  MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return;
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    Unit* other = UnitOfView(battle->GetUnit(i));
    if (other != nullptr && f(*other)) return;
  }
}

template <typename P>
bool AnyUnit(P&& p) {
  bool found = false;
  ForEachUnitUntil([&](Unit& other) { return found = p(other); });
  return found;
}

int32_t MainTubeCount(const Unit& unit) {
  const int32_t w = unit.GetMainWeaponId();
  return w >= 0 && w != kNoChoiceWeapon && w < gWeapons.Count() ? gWeapons[w].Count() : 0;
}

bool IsEmplacement(const Unit& unit) {
  const VehicleServices* v = unit.AsVehicle();
  return v != nullptr && v->IsEmplacement();
}

// Candidate scoring with the main weapon's kinds, smoke included.
float ScoreMainWeapon(Unit& chooser, Unit& candidate, int32_t& kind) {
  const bool armoured = candidate.IsArmored(true);
  const bool armourTarget = armoured && !IsEmplacement(candidate);
  AITargeting::SmokeCase smoke;
  smoke.allowed = !candidate.IsMoving() && candidate.HasAnyAmmo() &&
                  (candidate.IsVehicle() || candidate.GetSpeedClass() <= 1 || candidate.TerrainQuery(true));
  // The hull-down test traces: it is made only once smoke was tried.
  const std::function<bool()> halve = [&chooser, &candidate] {
    if (candidate.GetSpeedClass() <= 1) return false;
    const VehicleServices* v = candidate.AsVehicle();
    return candidate.IsVehicle() ? (v == nullptr || !v->IsHullDownFrom(chooser)) : !candidate.TerrainQuery(true);
  };
  smoke.halveTest = &halve;
  float value = 0.0f;
  std::array<uint16_t, 5> ammo = chooser.ammo;
  AITargeting::ScoreAmmoKinds(ammo.data(), armoured, armourTarget, &smoke,
                              [&](int32_t k) { return AITargeting::FuzzyPriority(chooser, candidate, k); }, value,
                              kind);
  return value;
}

// The score of one machine gun of a vehicle: the gun put in use and the machine-gun mode set
// for the fuzzy priority (with coaxial, the coaxial flag too), all put back after.
float ScoreMachineGun(Unit& chooser, VehicleServices& vehicle, Unit& candidate, int32_t gun, bool coaxial) {
  const uint8_t keptMode = chooser.firingBytes[Unit::kMachineGunMode];
  const int32_t keptGun = vehicle.GetSmallArmsEntry();
  chooser.firingBytes[Unit::kMachineGunMode] = 1;
  vehicle.SetSmallArmsEntry(gun);
  AITargeting::gEvaluatingCoaxialMG = coaxial;
  const float s = AITargeting::FuzzyPriority(chooser, candidate, 0);
  AITargeting::gEvaluatingCoaxialMG = false;
  vehicle.SetSmallArmsEntry(keptGun);
  chooser.firingBytes[Unit::kMachineGunMode] = keptMode;
  return s;
}

}  // namespace

bool AITargeting::RefusedOutright(const Unit& chooser, const Unit& candidate) {
  if (chooser.GetBand() == 4 && !chooser.IsCloseTo(candidate)) return true;
  const bool airplane = candidate.IsAirplane();
  if (airplane && (!InMachineGunMode(chooser) ? MainTubeCount(chooser) == 0 : !chooser.IsVehicle())) return true;
  const float d = chooser.DistanceTo(candidate);
  const float range = airplane ? std::max(d - 900.0f, 1.0f) : d;
  return !chooser.IsInRange(range, 1, 1.0f);
}

float AITargeting::EvaluateCandidate(Unit& chooser, Unit& candidate, bool forReal) {
  if (chooser.IsInanimate()) FatalError(__LINE__, "AITargeting");
  if (RefusedOutright(chooser, candidate)) return 0.0f;
  const bool mg = InMachineGunMode(chooser);
  const bool airplane = candidate.IsAirplane();
  const int32_t tubes = MainTubeCount(chooser);
  if (airplane) forReal = false;
  const float d = chooser.DistanceTo(candidate);

  const bool mainUsable = !mg && chooser.HasMainWeapon();
  bool holdPosition = forReal && chooser.IsHoldingPosition();
  if (airplane && tubes != 0) holdPosition = false;
  const bool holdFlag = chooser.flagBytes[Unit::kHoldFlag] != 0;
  const bool comradesEngaged = holdPosition && holdFlag && AnyUnit([&](Unit& u) {
                                 return AITargeting::IsNearbyEngagedUnit(u, chooser);
                               });
  if (holdPosition && holdFlag && chooser.orderedTarget == nullptr && !comradesEngaged &&
      chooser.identificationLevel < 2 && d > (mainUsable ? 120.0f : 40.0f)) {
    return 0.0f;
  }

  VehicleServices* vehicle = chooser.AsVehicle();
  const bool ordered = &candidate == chooser.orderedTarget;
  float value = 0.0f;
  int32_t kind = 0;
  bool useMG = false;
  if (mainUsable) {
    const bool skip = ordered && !candidate.IsVehicle() && vehicle != nullptr && !vehicle->GetMainGunFlag();
    if (!skip) value = ScoreMainWeapon(chooser, candidate, kind);
    // A soft target may be better served by the coaxial machine gun.
    if (forReal && vehicle != nullptr && !candidate.IsArmored(false) && vehicle->CanFireCoaxialMG(true) > 0) {
      const float s = ScoreMachineGun(chooser, *vehicle, candidate, vehicle->GetClassData(0).CoaxialMachineGun(), true);
      float factor = 0.85f;
      if (ordered) {
        factor = 1.8f;
      } else if (candidate.target == &chooser) {
        factor = 1.12f;
      } else if (candidate.HasMainWeaponOfType23(false)) {
        factor = 0.95f;
      } else if (value < 0.2f) {
        factor = 0.65f;
      } else if (value < 0.4f) {
        factor = 0.75f;
      }
      if (s >= value * factor) {
        useMG = true;
        kind = kMachineGunKind;
        value = s;
      }
    }
    if (candidate.IsCarried() && !ordered) value *= 0.2f;
  } else if (vehicle != nullptr) {
    if (mg) {
      // The machine-gun step's own search: the gun in use.
      value = FuzzyPriority(chooser, candidate, 0);
    } else {
      // Without the main gun a vehicle scores its coaxial gun, else its flexible gun, else its
      // bow gun unless hull down from the candidate (a vehicle with no gun free scores 0).
      const VehicleData record = vehicle->GetClassData(0);
      int32_t gun = -1;
      if (vehicle->CanFireCoaxialMG(true) > 0) {
        gun = record.CoaxialMachineGun();
      } else if (vehicle->CanFireFlexibleMG(true) > 0) {
        gun = record.ThirdMachineGun();
      } else if (vehicle->CanFireBowMG() > 0 && !vehicle->IsHullDownFrom(candidate)) {
        gun = record.BowMachineGun();
      }
      if (gun >= 0) value = ScoreMachineGun(chooser, *vehicle, candidate, gun, false);
    }
    if (candidate.IsCarried() && d > 60.0f) value *= 0.3f;
  } else {
    value = FuzzyPriority(chooser, candidate, 0);
  }

  FactorCase f;
  f.movingGunVsSoftTarget = vehicle != nullptr && !mg && chooser.IsMoving() && !candidate.IsArmored(true) &&
                            !airplane && !candidate.HasMainWeaponOfType23(false) && chooser.HasMainWeaponOfType23(true);
  f.candidateInfantry = candidate.IsInfantry();
  f.distance = d;
  f.aboard = candidate.IsCarried();
  const InfantryServices* inf = candidate.AsInfantry();
  f.squad = inf != nullptr && inf->IsSquad();
  const int32_t full = candidate.GetFullStrength();
  f.menRatio = full > 0 ? static_cast<float>(candidate.GetMenPresent()) / static_cast<float>(full) : 1.0f;
  f.kind = kind;
  f.candidateBand = candidate.GetBand();
  f.candidateBoat = candidate.AsVehicle() != nullptr && candidate.AsVehicle()->IsBoat();
  f.onWater = candidate.GetTerrainHere() == 25;
  value = ApplyFactors(value, f);

  float threshold = 0.0f;
  if (forReal) {
    BonusCase b;
    b.absentOrderedFlag = chooser.flagBytes[Unit::kTargetAbsentFlag] != 0;
    b.isCurrentTarget = &candidate == chooser.target;
    b.machineGunMode = mg;
    b.isOrderedTarget = ordered;
    b.hasOrderedTarget = chooser.orderedTarget != nullptr;
    b.mainUsable = mainUsable;
    b.shotCounter = chooser.shotCounter;
    b.candidateHidden = candidate.hidden != 0;
    value = ApplyBonuses(value, b);

    ThresholdCase t;
    t.isOrderedTarget = ordered;
    t.hasOrderedTarget = chooser.orderedTarget != nullptr;
    t.areaFire = chooser.areaFire != 0;
    t.smokeFire = chooser.flagBytes[Unit::kSmokeFireFlag] != 0;
    t.holding = holdPosition && holdFlag;
    t.machineGunMode = mg;
    t.useMachineGun = useMG;
    t.mainUsable = mainUsable;
    const int32_t w = chooser.GetMainWeaponId();
    t.mainCalibre = w >= 0 && w != kNoChoiceWeapon && w < gWeapons.Count() ? gWeapons[w].Calibre() : 0.0f;
    t.kind = kind;
    t.armouredDuel = mainUsable && chooser.target != nullptr && chooser.target->IsArmored(false) &&
                     chooser.target != &candidate && chooser.IsArmored(false);
    t.vehicleInDuel = vehicle != nullptr && !mg && vehicle->GetDuelCountdown() > 0 && !ordered;
    t.chooserIdentification = chooser.identificationLevel;
    t.chooserInfantry = chooser.IsInfantry();
    t.mainWeaponType = chooser.GetMainWeaponType();
    t.underFire = t.holding && AnyUnit([&](Unit& u) { return AITargeting::IsTargeting(u, &chooser); });
    t.comradesEngaged = comradesEngaged;
    t.distance = d;
    bool ignored = false;
    threshold = AcceptanceThreshold(t, ignored);
    if (ignored) value = 0.0f;
  }
  if (value > gBestTargetScore && value > threshold) {
    gTargetChooser = &chooser;
    const bool friendsNear = mainUsable && kind == 0 &&
                             AnyUnit([&](Unit& u) { return AITargeting::IsFriendNearTarget(u, candidate); });
    if (!friendsNear) {
      gBestTargetScore = value;
      gBestTarget = &candidate;
      if (mainUsable) chooser.ammoKind = kind;
    }
  }
  return value;
}

void AITargeting::ChooseTarget(Unit& unit, bool forced) {
  if (unit.aimTime == Unit::kAimHold && !unit.HasMainWeaponOfType5()) return;
  if (unit.target != nullptr && unit.target->IsInanimate()) return;
  VehicleServices* vehicle = unit.AsVehicle();
  const bool mg = InMachineGunMode(unit);
  bool changed = false;
  if (forced || unit.CanSeekTarget()) {
    unit.RandomizeSliceCounter();
    if (!unit.HasMainWeaponOfType5()) {
      MapBattleServices* battle = UnitBattle();
      const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
      if (unit.areaFire != 0 && map != nullptr && map->BurningAt(unit.targetX, unit.targetY) != 0) {
        unit.ClearOrderState(false);
      }
      gBestTarget = nullptr;
      if (unit.IsMainWeaponUsable()) {
        gSkipBuildingTargets = unit.CanUseSmallArmsAt(nullptr);
        gBestTargetScore = -1.0f;
        // While the map keeps no sight pairs (the computer's plan), a candidate the scoring
        // would refuse outright is passed over before the filter traces a line to it: that
        // trace would store nothing and count for nothing.
        const bool passOver = map != nullptr && !map->IsVisibilityCacheEnabled();
        // A candidate beyond the weapons' reach is refused by the scoring whatever the filter
        // says: only the filter's look at it, which keeps the pair's sight line, is made.
        float reach = ReachOf(unit);
        auto weigh = [&](Unit& candidate) {
          // The unit itself and its own side fail the filter's first rule, whether looked at
          // beyond reach or weighed: nothing is done for them.
          if (!unit.IsEnemy(candidate)) return false;
          if (gPassOverBeyondReach && IsBeyondReach(unit, candidate, reach)) {
            LookBeyondReach(candidate, unit, passOver);
          } else if (PassesCandidateFilter(candidate, unit, passOver)) {
            unit.EvaluateCandidateTarget(&candidate, true);
            reach = ReachOf(unit);
          }
          return false;
        };
        // The other sides' units alone when the battle has them sorted, else every unit.
        const UnitServices* services = GetUnitServices();
        if (const std::vector<Unit*>* others = services != nullptr ? services->UnitsNotOfSide(unit, battle) : nullptr) {
          for (Unit* candidate : *others) weigh(*candidate);
        } else {
          ForEachUnitUntil(weigh);
        }
      }
      Unit* const best = gBestTarget;
      Unit* const old = unit.target;
      if (old != best) {
        if (best == nullptr && old != nullptr && old->alive != 0 && !old->IsIdentified() && old->hidden != 0 &&
            old->hiddenSecond == 0) {
          // Lost from view while alive: keep firing where it was last shown.
          float sx = 0.0f, sy = 0.0f;
          old->GetShownPosition(sx, sy, nullptr);
          unit.targetX = sx;
          unit.targetY = sy;
          unit.target = nullptr;
          unit.areaFire = 1;
          gUnitStateChanged = 1;
        } else if (unit.ammoKind == 4 && best != nullptr) {
          unit.flagBytes[Unit::kSmokeFireFlag] = 1;
          unit.target = nullptr;
          unit.areaFire = 1;
          changed = true;
          if (vehicle != nullptr) vehicle->SetMainGunFlag(true);
          const VehicleServices* bv = best->AsVehicle();
          const float heading = (bv != nullptr ? bv->GetTurretAngle() : best->facing) * 0.01745329238474369f;
          const float c = std::cos(heading), s = std::sin(heading);
          unit.targetX = best->x;
          unit.targetY = best->y;
          for (float ahead : {8.0f, 4.0f}) {
            const float px = best->x + ahead * c, py = best->y + ahead * s;
            if (unit.LineOfSightToPoint(px, py)) {
              unit.targetX = px;
              unit.targetY = py;
              break;
            }
          }
        } else {
          changed = true;
          unit.target = best;
          unit.flagBytes[Unit::kTargetAbsentFlag] = 0;
          unit.areaFire = 0;
          unit.flagBytes[Unit::kSmokeFireFlag] = 0;
          if (best != nullptr) unit.flagBytes[Unit::kHoldFlag] = 0;
        }
      }
      if (vehicle != nullptr && !mg && unit.areaFire == 0 &&
          (unit.target == nullptr || unit.target != unit.orderedTarget || old != unit.orderedTarget)) {
        vehicle->SetMainGunFlag(unit.target != nullptr && unit.IsMainWeaponUsable() && unit.HasMainWeapon() &&
                                unit.ammoKind != Unit::kNoAmmo);
      }
    }
  }
  if (changed) {
    if (!mg) {
      unit.ResetAimTime();
      unit.shotCounter = 0;
    }
    gUnitStateChanged = 1;
  }
  if (unit.areaFire != 0 && !unit.IsOutOfMainAmmo() && !unit.HasMainWeaponOfType5()) {
    bool stop = false;
    if (unit.flagBytes[Unit::kSmokeFireFlag] != 0) {
      stop = unit.ammo[4] == 0;
    } else if (vehicle == nullptr) {
      stop = unit.ChooseAmmo(nullptr) == Unit::kNoAmmo;
    } else if (vehicle->GetMainGunFlag() && unit.ChooseAmmo(nullptr) == Unit::kNoAmmo) {
      if (unit.CanFireAnyMachineGun()) {
        vehicle->SetMainGunFlag(false);
      } else {
        stop = true;
      }
    }
    if (stop) {
      unit.target = nullptr;
      unit.areaFire = 0;
      unit.flagBytes[Unit::kSmokeFireFlag] = 0;
      gUnitStateChanged = 1;
    }
  }
}

void AITargeting::ChooseAmmoForTarget(Unit& unit) {
  Unit* target = unit.target;
  if (target == nullptr || !unit.HasMainWeapon()) return;
  const VehicleServices* vehicle = unit.AsVehicle();
  if (vehicle != nullptr && !target->IsVehicle() && !vehicle->GetMainGunFlag()) return;
  const bool armoured = target->IsArmored(true);
  float value = 0.0f;
  int32_t kind = 0;
  std::array<uint16_t, 5> ammo = unit.ammo;
  ScoreAmmoKinds(ammo.data(), armoured, armoured && !IsEmplacement(*target), nullptr,
                 [&](int32_t k) { return FuzzyPriority(unit, *target, k); }, value, kind);
  unit.ammoKind = value > 0.0f ? kind : 0;
}

float Unit::EvaluateCandidateTarget(Unit* candidate, bool forReal) {
  if (candidate == nullptr) return 0.0f;
  return AITargeting::EvaluateCandidate(*this, *candidate, forReal);
}

bool Unit::ChooseTarget(bool forced) {
  AITargeting::gBestTarget = nullptr;
  AITargeting::ChooseTarget(*this, forced);
  return AITargeting::gBestTarget != nullptr;
}

void Unit::ChooseAmmoForTarget() { AITargeting::ChooseAmmoForTarget(*this); }
