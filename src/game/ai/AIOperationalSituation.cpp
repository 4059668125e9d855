#include <algorithm>
#include <memory>

#include "framework/core/Quorl.h"
#include "game/ai/AIFuzzy.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanProfile.h"
#include "game/ai/AIPlanContext.h"
#include "game/ai/SituationRecord.h"
#include "game/ai/AIOperationalShared.h"
#include "game/battle/Battle.h"
#include "game/map/PlanningMath.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"
#include "game/units/ports/VehicleServices.h"

namespace {

// The aim timer's marker of a unit that holds its fire.
constexpr float kAimMarker = 99.0f;

// The selector's weapon and type code; the result is non-zero when the unit has that weapon.
int32_t QueryWeaponAndResult(const Unit& unit, int32_t selector, int32_t& weapon, int32_t& type) {
  if (const auto* infantry = unit.AsInfantryUnit()) {
    return infantry->QueryWeaponGrade(weapon, type, selector);
  }
  unit.QueryWeapon(selector, weapon, type);
  return weapon != Infantry::kNoWeapon ? 1 : 0;
}

bool HasTargetPointInSight(const Unit& unit) {
  return unit.areaFire != 0 && unit.LineOfSightToPoint(unit.targetX, unit.targetY);
}

// The turn-progress factor of a defender early in the battle.
float DefenderTurnFactor(const Battle& battle, float r) {
  if (static_cast<float>(battle.currentTurn) < 0.75f * static_cast<float>(battle.lastTurn)) {
    r *= static_cast<float>(battle.currentTurn) / static_cast<float>(battle.lastTurn) + 0.25f;
  }
  return r;
}

}  // namespace

bool AIOperational::IsLeader(const Unit& unit) {
  const InfantryServices* infantry = unit.IsInfantry() ? unit.AsInfantry() : nullptr;
  return infantry != nullptr && infantry->GetClassData().LeaderLevel() >= 1;
}

bool AIOperational::StandsOnClearGround(const Unit& unit) { return unit.TerrainQuery(true); }

float AIOperational::WeaponReach(const Unit& unit) {
  if (!unit.IsInfantry()) {
    if (!unit.IsArmored(false)) return 900.0f;
    return unit.HasMainWeapon() ? 300.0f : 550.0f;
  }
  int32_t weapon = Infantry::kNoWeapon;
  int32_t type = 0;
  const int32_t r = QueryWeaponAndResult(unit, 0, weapon, type);
  switch (type) {
    case 0:
      if (r != 0) return 150.0f;
      return IsLeader(unit) ? 300.0f : 0.0f;
    case 1:
    case 6:
      return 200.0f;
    case 2:
    case 3:
      return 300.0f;
    case 4:
      return 350.0f;
    case 5:
      return 500.0f;
    case 7:
      return -100.0f;
    default:
      return 0.0f;
  }
}

void AIOperational::SumThreatOnUnit(const AIPlanContext& context, Unit& other, Unit& unit) {
  if (!other.IsAlive() || other.target != &unit) return;
  context.threatSum += other.WeaponEffect(&unit, other.ChooseAmmo(&unit), true, false, true, 0, 0);
  context.lastAttacker = &other;
}

void AIOperational::FindBestOtherTarget(const AIPlanContext& context, Unit& candidate, Unit& unit) {
  if (!candidate.IsAlive() || &candidate == unit.target || candidate.IsInanimate()) return;
  if (!candidate.IsIdentified() || candidate.IsPassenger(true)) return;
  if (!unit.CanTarget(candidate) || !unit.IsInRange(unit.DistanceTo(candidate), 0, 0.5f)) return;
  if (unit.LineOfSightTo(candidate)) return;
  const float value = AITargeting::WeaponEffect(unit, &candidate, unit.ChooseAmmo(&candidate), true, false, false, 1, 0);
  if (value > context.bestOtherShot) context.bestOtherShot = value;
}

void AIOperational::FillSituationRecord(const AIPlanContext& context, Unit& unit, SituationRecord& record,
                                        float distance) {
  AIFuzzy::FuzzifyMorale(record.morale, unit.suppression);
  AIFuzzy::FuzzifyDistance(record.distance, distance);
  AIFuzzy::FuzzifyPastReach(record.pastReach, distance - WeaponReach(unit));

  context.threatSum = 0.0f;
  context.lastAttacker = nullptr;
  Battle& battle = *context.battle;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) SumThreatOnUnit(context, *battle.UnitAt(i), unit);
  AIFuzzy::FuzzifyThreat(record.threat, context.threatSum);

  if (!unit.IsInfantry() && unit.IsArmored(false)) {
    AIFuzzy::SetSingle(record.exposure, 1);
  } else {
    float e = 0.0f;
    if (Unit* a = context.lastAttacker) {
      e = unit.VisibilityFromPoint(a->x, a->y, a->GetBaseHeight(), false);
    } else {
      e = unit.ExposureAt(unit.x, unit.y, false, true);
    }
    AIFuzzy::FuzzifyExposure(record.exposure, e);
  }

  float f = 1.0f;
  if (IsSquad(unit)) f = std::min(static_cast<float>(unit.ammo[0]) * (1.0f / 15.0f) * 0.8f + 0.2f, 1.0f);

  Unit* settled = nullptr;
  if (Unit* t = unit.target) {
    if (IsLeader(unit) && unit.DistanceTo(*t) < 150.0f) {
      AIFuzzy::SetSingle(record.attack, 3);
    } else {
      const float v = unit.GetFireFactor(unit.DistanceTo(*t)) * f;
      AITargeting::FuzzifyAttackEffect(record.attack, unit, *t, unit.ChooseAmmo(t), false, false, false, v);
    }
    settled = t;
  } else if (!unit.IsPassenger() && !unit.HasMainWeaponOfType5()) {
    // The trial choice runs on a copy, so that nothing of the unit itself moves.
    std::unique_ptr<Unit> copy(unit.NewTrialCopy());
    if (copy != nullptr) {
      copy->EvaluateTargetChoice(record.attack, f, HasSpecialWeapon(unit, false));
      settled = copy->target;
    } else {
      AIFuzzy::SetSingle(record.attack, 0);
    }
  } else {
    AIFuzzy::SetSingle(record.attack, unit.HasMainWeaponOfType5() && HasTargetPointInSight(unit) ? 3 : 0);
  }

  record.notApplicable = settled != nullptr && unit.IsArmored(false) && settled->HasMainWeaponOfType23(false);
  if (settled != nullptr && (record.notApplicable || HasSpecialWeapon(unit, false))) {
    unit.SetTarget(settled, 0.0f, 0.0f, false, true);
    if (unit.IsVehicle()) {
      if (VehicleServices* vehicle = unit.AsVehicle()) vehicle->SetMainGunFlag(true);
    }
  }
}

void AIOperational::EvaluateSituation(const AIPlanContext& context, Unit& unit, float distance, float& first,
                                      float* second) {
  AIPlanProfile::Scope timed(AIPlanProfile::kEvaluation);
  SituationRecord record;
  FillSituationRecord(context, unit, record, distance);
  if (record.notApplicable) {
    first = 0.0f;
    if (second != nullptr) *second = 0.0f;
    return;
  }
  first = FuzzyScoreA(context, unit, record);
  if (second != nullptr) *second = FuzzyScoreB(context, unit, record);
}

float AIOperational::FuzzyScoreA(const AIPlanContext& context, Unit& unit, const SituationRecord& record) {
  if (unit.GetSpeedClass() <= 1 || unit.aimTime == kAimMarker) return 0.0f;
  Battle& battle = *context.battle;
  context.bestOtherShot = 0.0f;
  if (unit.target == nullptr ||
      unit.WeaponEffect(unit.target, unit.ChooseAmmo(unit.target), true, false, false, 0, 1) < 0.25f) {
    for (int32_t i = 0; i < battle.UnitCount(); ++i) FindBestOtherTarget(context, *battle.UnitAt(i), unit);
  }
  GFuzzySet opportunity;
  AIFuzzy::FuzzifyOpportunity(opportunity, context.bestOtherShot);
  float r = AIFuzzy::RawScoreA(record, opportunity);

  const bool defender = context.defender;
  const bool hasTarget = unit.target != nullptr;
  if (unit.IsVehicle()) {
    if (!hasTarget) r += 0.5f;
    if (!defender) r += 1.0f;
    if (unit.HasMainWeaponOfType23(false)) {
      const VehicleServices* vehicle = unit.AsVehicle();
      r += vehicle != nullptr && vehicle->HasTurret() ? 1.0f : 0.5f;
    }
  } else if (IsSquad(unit)) {
    r -= defender ? 0.6f : 1.5f;
  } else if (IsLeader(unit)) {
    r -= defender ? 0.6f : 0.3f;
  } else if (unit.HasMainWeaponOfType5()) {
    if (HasTargetPointInSight(unit)) {
      r = StandsOnClearGround(unit) ? -9999.0f : r * 0.5f;
    } else {
      r *= 0.75f;
    }
  } else if (HasSpecialWeapon(unit, true) && StandsOnClearGround(unit)) {
    float d = !defender ? 0.2f : (unit.GetSpeedClass() > 2 ? 0.6f : 1.2f);
    if (hasTarget) d += 0.5f;
    r -= d;
  }
  if (defender) r = DefenderTurnFactor(battle, r);
  if (defender && unit.IsInfantry() && !StandsOnClearGround(unit)) r += 1.0f;
  if (hasTarget) r -= 0.5f * static_cast<float>(unit.shotCounter);
  return r;
}

float AIOperational::FuzzyScoreB(const AIPlanContext& context, Unit& unit, const SituationRecord& record) {
  if (unit.GetSpeedClass() <= 1 || unit.aimTime == kAimMarker) return 0.0f;
  if (unit.IsVehicle() && IsPavedTerrain(unit.GetTerrainHere())) return 9999.0f;
  const Battle& battle = *context.battle;
  if (unit.HasMainWeaponOfType5()) {
    if (battle.currentTurn <= 3) return 0.0f;
    if (battle.currentTurn <= 6 && Random(2) == 0) return 0.0f;
  }
  float r = AIFuzzy::RawScoreB(record);

  const bool defender = context.defender;
  const bool hasTarget = unit.target != nullptr;
  if (unit.IsInfantry()) {
    if (IsSquad(unit)) {
      r += 0.15f;
    } else if (IsLeader(unit)) {
      r -= 0.2f;
    } else if (HasSpecialWeapon(unit, true)) {
      r += hasTarget || defender ? -0.9f : 0.3f;
    }
    if (!hasTarget && unit.areaFire == 0) r += 0.5f;
    if (unit.HasMainWeaponOfType5() && HasTargetPointInSight(unit)) {
      r = StandsOnClearGround(unit) ? 0.0f : r * 0.5f;
    }
    if (!StandsOnClearGround(unit)) r += 1.5f;
  } else if (!unit.HasMainWeaponOfType23(false)) {
    const VehicleServices* vehicle = unit.AsVehicle();
    const bool empty = vehicle == nullptr || (vehicle->GetPassenger(0) == nullptr && vehicle->GetPassenger(1) == nullptr);
    if (empty) r -= 0.5f;
  }
  if (defender) {
    r = DefenderTurnFactor(battle, r);
  } else if (battle.attacker == 2) {
    r += 1.5f;
  }
  if (!defender && unit.IsInfantry() && !StandsOnClearGround(unit)) r += 1.5f;
  return r;
}
