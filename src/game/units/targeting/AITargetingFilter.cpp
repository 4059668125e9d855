#include <cmath>

#include "game/map/Map.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitBattleQueries.h"

Unit* AITargeting::gTargetChooser = nullptr;
bool AITargeting::gSkipBuildingTargets = false;
Unit* AITargeting::gBestTarget = nullptr;
float AITargeting::gBestTargetScore = -1.0f;
bool AITargeting::gEvaluatingCoaxialMG = false;

bool AITargeting::gPassOverLapsedLines = true;

bool AITargeting::IsBuildingTerrain(int32_t type) { return type >= 31 && type <= 35; }

namespace {

// Whether the candidate lies within 15 m of the chooser. The distance counts the heights too, so
// it is never less than the distance on the level: a candidate farther than that on the level is
// answered without reading the ground under either unit.
bool WithinArmsReach(const Unit& chooser, const Unit& candidate) {
  const float dx = candidate.x - chooser.x;
  const float dy = candidate.y - chooser.y;
  if (std::sqrt(dx * dx + dy * dy) > 15.0f) return false;
  return chooser.DistanceTo(candidate) <= 15.0f;
}

// The rules of the filter that need no line of sight: in a building while those are skipped, or
// outside the chooser's arc (unless both are infantry within 15 m and less than 85 degrees off
// the chooser's facing). They read the two units and change nothing.
bool RefusedUnseen(const Unit& candidate, const Unit& chooser) {
  if (!chooser.IsUnitInArc(candidate) &&
      !(chooser.IsInfantry() && candidate.IsInfantry() && WithinArmsReach(chooser, candidate) &&
        chooser.AngleToPoint(chooser.facing, candidate.x, candidate.y, true) < 85.0f)) {
    return true;
  }
  return AITargeting::gSkipBuildingTargets && AITargeting::IsBuildingTerrain(candidate.GetTerrainHere());
}

// A split half is left out: rejoining its partner at the next turn it takes the earlier of
// their last moving slices, which could bring a lapsed entry of its back into use.
bool IsSplitHalf(const Unit& unit) {
  const InfantryServices* infantry = unit.AsInfantry();
  return infantry != nullptr && infantry->GetSplitPartner() != nullptr;
}

bool SightPairLapses(const Unit& chooser, const Unit& candidate) {
  if (IsSplitHalf(chooser) || IsSplitHalf(candidate)) return false;
  const Map* map = UnitBattleMap();
  return map != nullptr && map->VisibilityStoreLapses(&chooser, &candidate);
}

// The rules of the filter that read the two units' states alone: another unit, not inanimate,
// identified, neither a passenger, a target the chooser may take (an enemy, the one kind of
// unit it may take that is not being inanimate), alive or the absent ordered target. They
// change nothing, so the cheapest and most often failed come first.
bool MayWeigh(Unit& candidate, Unit& chooser) {
  if (&candidate == &chooser || !chooser.IsEnemy(candidate)) return false;
  const bool absentOrdered = chooser.flagBytes[Unit::kTargetAbsentFlag] != 0 && chooser.target == &candidate;
  if (candidate.alive == 0 && !absentOrdered) return false;
  if (candidate.IsInanimate()) return false;
  if (!candidate.IsIdentified()) return false;
  if (candidate.IsPassenger() || chooser.IsPassenger()) return false;
  return chooser.CanTarget(candidate);
}

// Looking (the line and, for a buttoned-up crew, how well the candidate gives itself away)
// changes nothing but the sight pair of the two: when that pair would keep nothing a later ask
// could read, a candidate refused anyway may be passed over unlooked at.
bool MayPassOverUnlooked(Unit& candidate, Unit& chooser, bool passOverRefused) {
  return passOverRefused || (AITargeting::gPassOverLapsedLines && SightPairLapses(chooser, candidate));
}

}  // namespace

bool AITargeting::PassesCandidateFilter(Unit& candidate, Unit& chooser, bool passOverRefused) {
  if (!MayWeigh(candidate, chooser)) return false;
  if (MayPassOverUnlooked(candidate, chooser, passOverRefused) &&
      (RefusedUnseen(candidate, chooser) || RefusedOutright(chooser, candidate))) {
    return false;
  }
  if (!chooser.CanTargetUnit(&candidate)) return false;
  return !RefusedUnseen(candidate, chooser);
}

float AITargeting::ReachOf(const Unit& chooser) {
  float low = 0.0f;
  float high = 0.0f;
  chooser.GetRangeBounds(1, 1.0f, low, high);
  return high;
}

bool AITargeting::IsBeyondReach(const Unit& chooser, const Unit& candidate, float reach) {
  if (candidate.IsAirplane()) return false;
  // The level distance, worked out as the distance with the heights is up to its last term:
  // that one adds a square, so it is never the smaller.
  const float dx = candidate.x - chooser.x;
  const float dy = candidate.y - chooser.y;
  return std::sqrt(dx * dx + dy * dy) > reach;
}

void AITargeting::LookBeyondReach(Unit& candidate, Unit& chooser, bool passOverRefused) {
  if (!MayWeigh(candidate, chooser) || MayPassOverUnlooked(candidate, chooser, passOverRefused)) return;
  chooser.CanTargetUnit(&candidate);
}

bool AITargeting::IsTargeting(const Unit& member, const Unit* unit) { return member.target == unit; }

bool AITargeting::IsNearbyEngagedUnit(const Unit& unit, const Unit& chooser) {
  // The chooser's own engagement is not a comrade's.
  if (&unit == &chooser) return false;
  if (unit.target == nullptr) return false;
  if (!unit.IsIdentified() && unit.side != chooser.side) return false;
  if (unit.IsArmored(false) != chooser.IsArmored(false)) return false;
  const float d = chooser.DistanceTo(unit);
  if (d < 50.0f) return true;
  return d <= 100.0f && chooser.LineOfSightTo(unit);
}

bool AITargeting::IsFriendNearTarget(const Unit& unit, const Unit& candidate) {
  if (&unit == gTargetChooser) return false;
  if (unit.alive == 0) return false;
  if (!unit.IsEnemy(candidate)) return false;
  if (!unit.IsInfantry() && !unit.IsVehicle()) return false;
  if (unit.IsArmored(false)) return false;
  const float dx = unit.x - candidate.x;
  const float dy = unit.y - candidate.y;
  if (!(std::fabs(dx) < 20.0f && std::fabs(dy) < 20.0f)) return false;
  return dx * dx + dy * dy <= 400.0f;
}
