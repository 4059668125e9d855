// The fuzzy target priority of one chooser, candidate and ammunition kind: the candidate's
// value and threat make its importance, the supply of the kind raises or lowers it, the fire
// already on the candidate and the turning it takes make the priority, and the weapon's
// effect, the time to bear and the arc make the effectiveness; the two together, raised for
// a near candidate, give the number.
#include <algorithm>
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/map/MapBattleServices.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/tables/Hack.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/targeting/FuzzyPriority.h"
#include "game/units/targeting/FuzzyRules.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"

bool AITargeting::InMachineGunMode(const Unit& unit) {
  return unit.IsVehicle() && unit.firingBytes[Unit::kMachineGunMode] != 0;
}

void AITargeting::FuzzifyTargetValue(GFuzzySet& set, Unit& unit, bool boost, int32_t mode) {
  const VehicleServices* v = unit.AsVehicle();
  const bool knownWell = unit.identificationLevel >= 3 || unit.IsAirplane();
  const bool needsCost = mode == 0 || knownWell;
  const float x = FuzzyPriority::TargetValueInput(mode, knownWell, needsCost ? unit.GetPurchaseCost() : 0.0f,
                                                  unit.kind, unit.IsInfantry() && unit.HasMainWeaponOfType23(false),
                                                  v != nullptr && !needsCost ? v->GetGenericClass() : 222);
  FuzzyPriority::FuzzifyValue(set, x, boost);
}

void AITargeting::FuzzifyThreat(GFuzzySet& set, Unit& target, Unit& chooser, bool smoke) {
  set = GFuzzySet();
  if (target.IsAirplane()) {
    FuzzyPriority::AirplaneThreat(set);
    return;
  }
  Unit* victim = target.target;
  if (victim == nullptr && target.HasMainWeaponOfType5()) {
    set.SetMember(0, 1.0f, 0);
    return;
  }
  if (victim == nullptr) victim = &chooser;
  GFuzzySet value;
  FuzzifyTargetValue(value, *victim, target.target == &chooser, 0);
  GFuzzySet effect;
  if (!target.CanMove() && !target.IsUnitInArc(*victim)) {
    effect.SetMember(0, 1.0f, 0);
    effect.Combine(FuzzyRules::R1, value, set);
    return;
  }
  // The threat is what the target does standing: its speed is 0 for the estimate.
  const float speed = target.speed;
  target.speed = 0.0f;
  const float e = target.WeaponEffect(victim, target.ChooseAmmo(victim), true, true, true, 0, 1);
  target.speed = speed;
  FuzzyPriority::FuzzifyEffect(effect, e);
  FuzzyPriority::CombineThreat(effect, target.DistanceTo(chooser), smoke, value, set);
}

void AITargeting::FuzzifyAmmoSupply(GFuzzySet& set, Unit& chooser, int32_t kind, Unit& target) {
  const bool mg = InMachineGunMode(chooser);
  float count = 9999.0f;
  if (!mg && kind != 6) {
    if (kind < 0 || kind >= Unit::kAmmoKinds) FatalError(__LINE__, "AITargeting");
    count = static_cast<float>(chooser.ammo[static_cast<size_t>(kind)]);
  }
  FuzzyPriority::SupplyCase c;
  c.kind = kind;
  c.machineGunMode = mg;
  c.hasMainWeapon = chooser.HasMainWeapon();
  c.mainWeaponType = chooser.GetMainWeaponType();
  c.infantry = chooser.IsInfantry();
  const InfantryServices* inf = chooser.AsInfantry();
  const VehicleServices* veh = chooser.AsVehicle();
  c.squad = inf != nullptr && inf->IsSquad();
  c.rateOfFire = chooser.GetRateOfFire();
  c.targetArmoured = target.IsArmored(true);
  c.targetArmouredVehicle = c.targetArmoured && target.IsVehicle();
  if (inf != nullptr) {
    c.fullLoad = inf->GetClassData().AmmoLoad();
    const int32_t men = inf->GetClassData().Men();
    c.menShare = men > 0 ? static_cast<float>(chooser.GetMenPresent()) / static_cast<float>(men) : 1.0f;
  } else if (veh != nullptr) {
    c.fullLoad = veh->GetClassData(0).AmmoLoad();
  }
  c.vehicleCannotMove = chooser.IsVehicle() && !chooser.CanMove();
  const UnitServices* services = GetUnitServices();
  c.battleShare = services != nullptr ? services->GetBattleShareToCome() : 1.0f;
  FuzzyPriority::FuzzifySupply(set, count, FuzzyPriority::SupplyBreakpointsFor(c));
}

float AITargeting::TimeToBearOn(const Unit& chooser, const Unit& target) {
  const VehicleServices* v = chooser.AsVehicle();
  float step = chooser.GetTurnStep();
  if (v != nullptr && v->HasTurret()) step += std::fabs(chooser.turnRate);
  step = std::max(step, 1.0f);
  const float rate = 40.0f * step;
  const float heading = v != nullptr ? v->GetTurretAngle() : chooser.facing;
  const float angle = std::max(chooser.AngleToPoint(heading, target.x, target.y, true) - 0.4f, 0.0f);
  return std::max(angle / rate, chooser.aimTime + chooser.reloadState);
}

namespace {

// The sum of the effects of every other live unit already firing at the target.
float FireOnTarget(Unit& chooser, Unit& target) {
  MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return 0.0f;
  float sum = 0.0f;
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    Unit* other = UnitOfView(battle->GetUnit(i));
    if (other == nullptr || other == &chooser || other->alive == 0) continue;
    if (other->target != &target || other->areaFire != 0) continue;
    sum += other->WeaponEffect(&target, other->ChooseAmmo(&target), false, true, true, 0, 1);
  }
  return sum;
}

// The target's heavy weapon reaches the chooser: a duel it must answer, whatever else.
bool TargetAnswers(Unit& chooser, Unit& target) {
  return target.HasMainWeaponOfType123() && target.IsInRange(chooser.DistanceTo(target), 0, 1.4f);
}

}  // namespace

float AITargeting::FuzzyPriority(Unit& chooser, Unit& target, int32_t kind) {
  using FP = ::FuzzyPriority;
  const bool mg = InMachineGunMode(chooser);
  const bool smoke = kind == 4;
  VehicleServices* vehicle = chooser.AsVehicle();
  // 1 to 5: value, threat, importance, supply.
  GFuzzySet value;
  FuzzifyTargetValue(value, target, false, 1);
  GFuzzySet threat;
  FuzzifyThreat(threat, target, chooser, smoke);
  GFuzzySet importance;
  value.Combine(smoke ? FuzzyRules::R4 : FuzzyRules::R3, threat, importance);
  GFuzzySet supply;
  FuzzifyAmmoSupply(supply, chooser, kind, target);
  supply.Combine(smoke ? FuzzyRules::SupplySmoke : FuzzyRules::Supply, importance, importance);

  // 6: priority.
  GFuzzySet priority;
  if (&target == chooser.orderedTarget) {
    value.Combine(FuzzyRules::R5, importance, priority);
  } else {
    float p1 = 0.0f, p2 = 0.0f;
    FP::FireBreakpoints(target.IsArmored(true), target.IsInfantry(), static_cast<int32_t>(target.suppression), p1, p2);
    GFuzzySet fire;
    FP::FuzzifyFireOnTarget(fire, FireOnTarget(chooser, target), p1, p2);
    fire.Combine(FuzzyRules::R6, importance, priority);
    if (vehicle != nullptr && chooser.HasMainWeapon()) {
      GFuzzySet turning;
      FP::FuzzifyTurning(turning, chooser.AngleToPoint(chooser.facing, target.x, target.y, true),
                         target.HasMainWeaponOfType123(), vehicle->HasTurret());
      turning.Combine(FuzzyRules::R7, priority, priority);
    }
    const int32_t duel = vehicle != nullptr ? vehicle->GetDuelCountdown() : 0;
    if (duel > 0 && (!mg || gEvaluatingCoaxialMG) && chooser.IsArmored(false) &&
        chooser.HasMainWeaponOfType23(false) && !TargetAnswers(chooser, target)) {
      GFuzzySet q;
      FP::FuzzifyDuel(q, chooser.AngleToPoint(vehicle->GetTurretAngle(), target.x, target.y, true),
                      static_cast<float>(6800 - duel) / 40.0f);
      q.Combine(FuzzyRules::R9, priority, priority);
    }
  }

  // 7: effectiveness.
  GFuzzySet effect;
  FP::FuzzifyEffect(effect, smoke ? 0.1f : chooser.WeaponEffect(&target, kind, false, true, false, 0, 1));
  GFuzzySet effectiveness;
  if (gEvaluatingCoaxialMG) {
    GFuzzySet fixed;
    fixed.SetMember(2, 0.4f, 0);
    fixed.SetMember(3, 0.6f, 0);
    effect.Combine(FuzzyRules::R10, fixed, effectiveness);
  } else {
    effect.Combine(FuzzyRules::R10, supply, effectiveness);
  }
  if (!chooser.HasWeapon92()) {
    const float r = TimeToBearOn(chooser, target) - 2.0f;
    if (r > 0.0f) {
      GFuzzySet bear;
      FP::FuzzifyBearTime(bear, r, target.target == &chooser);
      bear.Combine(FuzzyRules::R11, effectiveness, effectiveness);
    }
  }
  if (vehicle != nullptr && !mg && chooser.HasMainWeaponOfType23(false) && !TargetAnswers(chooser, target)) {
    GFuzzySet arc;
    if (vehicle->HasTurret()) {
      FP::FuzzifyTurretArc(arc, chooser.AngleToPoint(chooser.facing, target.x, target.y, true), chooser.speed > 0.0f);
    } else {
      float a = chooser.AngleToPoint(chooser.facing, target.x, target.y, false);
      const VehicleData record = vehicle->GetClassData(0);
      const float limit = static_cast<float>(a < 0.0f ? record.TraverseLimit(0) : record.TraverseLimit(1));
      a = std::fabs(a);
      FP::FuzzifyHullArc(arc, a, limit);
    }
    arc.Combine(FuzzyRules::R12, effectiveness, effectiveness);
  }

  // 8: the result, raised for a near candidate.
  GFuzzySet m;
  effectiveness.Combine(FuzzyRules::R13, priority, m);
  if (mg) return FP::Result(m);
  if (chooser.HasMainWeapon()) {
    const float plain = FP::Result(m);
    if (plain <= 0.0f) return plain;
  }
  return FP::ResultNear(m, chooser.DistanceTo(target), !chooser.HasMainWeapon() && target.IsArmored(true));
}

void AITargeting::FuzzifyAttackEffect(GFuzzySet& set, Unit& shooter, Unit& target, int32_t kind, bool threatMode,
                                      bool useExposure, bool applyMorale, float factor) {
  const float effect = shooter.WeaponEffect(&target, kind, threatMode, useExposure, applyMorale, 0, 1) * factor;
  FuzzyPriority::FuzzifyEffect(set, effect);
}
