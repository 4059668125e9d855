#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/ai/AICellSearch.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanProfile.h"
#include "game/ai/AIPlanContext.h"
#include "game/ai/AIOperationalShared.h"
#include "game/battle/Battle.h"
#include "game/map/Map.h"
#include "game/map/PlanningMath.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

constexpr std::array<float, 11> kRingFactors = {1.0f,  1.0f,  1.0f,  0.94f, 0.88f, 0.80f,
                                                0.68f, 0.56f, 0.44f, 0.32f, 0.20f};

// The quadrant of the other unit around the unit: 0 north-east, 1 north-west, 2 south-west,
// 3 south-east.
int32_t Quadrant(const Unit& unit, const Unit& other) {
  const float dx = other.x - unit.x;
  const float dy = other.y - unit.y;
  if (dx > 0.0f) return dy > 0.0f ? 0 : 3;
  return dy > 0.0f ? 1 : 2;
}

void SortByKey(std::vector<std::pair<float, Unit*>>& keyed) {
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
}

// The cohesion factor of an infantry unit at its trial point.
float CohesionFactor(const AIPlanContext& context, Unit& unit) {
  if (!unit.IsInfantry()) {
    if (unit.IsVehicle()) return 1.0f;
    FatalError(__LINE__, "AIOperational");
  }
  const InfantryServices* infantry = unit.AsInfantry();
  if (infantry == nullptr) return 1.0f;
  if (infantry->IsSquad()) {
    const Unit* commander = infantry->GetLeaderReference();
    if (commander == nullptr) return 1.0f;
    const float d = unit.DistanceTo(*commander);
    if (d > 50.0f) return 1.137f * static_cast<float>(std::exp(-0.003068 * static_cast<double>(d)));
    return 1.0f;
  }
  if (!AIOperational::IsLeader(unit)) return 1.0f;
  int32_t total = 0;
  int32_t within = 0;
  const Battle& battle = *context.battle;
  for (int32_t k = 0; k < battle.UnitCount(); ++k) {
    Unit* other = battle.UnitAt(k);
    if (other == &unit || !other->IsAlive() || !other->IsInfantry() || unit.IsEnemy(*other)) continue;
    const InfantryServices* man = other->AsInfantry();
    const int32_t weight = man != nullptr && man->GetLeaderReference() == &unit ? 10000 : 1;
    total += weight;
    if (AIOperational::WithinCommandReach(unit, *other)) within += weight;
  }
  if (total >= 10000) return 2.0f * static_cast<float>(within) / static_cast<float>(total) + 0.333f;
  if (within >= 2) return 1.6f;
  return within == 1 ? 1.1f : 0.6f;
}

}  // namespace

float AIOperational::RingFactor(int32_t ring) {
  if (ring < 0 || ring >= static_cast<int32_t>(kRingFactors.size())) FatalError(__LINE__, "AIOperational");
  return kRingFactors[static_cast<size_t>(ring)];
}

bool AIOperational::WithinCommandReach(const Unit& leader, const Unit& other) {
  const auto* infantry = leader.AsInfantryUnit();
  const int32_t command = infantry != nullptr ? infantry->LeaderRatingBits(0) : 0;
  const float range = Infantry::LeaderCommandRange(command, leader.GetRating());
  const float d = leader.DistanceTo(other);
  if (d > range) return false;
  return d <= 0.5f * range || leader.LineOfSightTo(other);
}

bool AIOperational::EnemyInfantryNear(const AIPlanContext& context, float x, float y, int32_t side) {
  const Battle& battle = *context.battle;
  for (int32_t k = 0; k < battle.UnitCount(); ++k) {
    const Unit* other = battle.UnitAt(k);
    if (!other->IsAlive() || !other->IsIdentified() || !other->IsInfantry() || other->GetSideIndex() == side) continue;
    const float reach = IsSquad(*other) || other->GetMainWeaponType() == 1 ? 120.0f : 60.0f;
    if (other->DistanceToPoint(x, y) < reach) return true;
  }
  return false;
}

float AIOperational::ScorePosition(const AIPlanContext& context, Unit& unit, int32_t i, int32_t j,
                                   const std::vector<Unit*>& enemies, float* outX, float* outY, Unit** outEnemy) {
  ++AIPlanProfile::scorePositionCalls;
  const Map& map = *context.battle->map;
  const float x0 = unit.x;
  const float y0 = unit.y;
  std::array<float, 3> px{x0, x0, x0};  // P0, P1, P2
  std::array<float, 3> py{y0, y0, y0};
  if (i != kPresentCell || j != kPresentCell) {
    const float cx = (static_cast<float>(i) + 0.5f) * 20.0f;
    const float cy = (static_cast<float>(j) + 0.5f) * 20.0f;
    if (!map.IsOnMap(cx, cy)) return -1.0f;
    px[1] = cx + (RandomFloatTimes(6.0f) - 3.0f);
    py[1] = cy + (RandomFloatTimes(6.0f) - 3.0f);
    px[2] = cx + (RandomFloatTimes(18.0f) - 9.0f);
    py[2] = cy + (RandomFloatTimes(18.0f) - 9.0f);
    px[0] = cx + (RandomFloatTimes(18.0f) - 9.0f);
    py[0] = cy + (RandomFloatTimes(18.0f) - 9.0f);
  }

  float exposure = 0.0f;
  size_t chosen = 0;
  for (size_t k = 0; k < 3; ++k) {
    unit.SetPosition(px[k], py[k]);
    float e;
    if (!unit.CanStandAt(px[k], py[k], true) || !unit.IsMainWeaponUsable()) {
      e = 2.0f;
    } else if (unit.IsVehicle()) {
      e = 0.6f;
    } else {
      e = unit.ExposureAt(px[k], py[k], false, true);
    }
    if (k == 0 || e < exposure) {
      exposure = e;
      chosen = k;
    }
  }
  unit.SetPosition(px[chosen], py[chosen]);

  const bool infantry = unit.IsInfantry();
  if (infantry && exposure < 0.05f) exposure = 0.05f;
  if (exposure > 1.0f) {
    unit.SetPosition(x0, y0);
    return -1.0f;
  }
  const bool exposed = infantry && exposure > 0.8f;
  const float cohesion = CohesionFactor(context, unit);

  const bool mainUsable = unit.IsMainWeaponUsable();
  const bool armoured = unit.IsArmored(false);
  const auto* vehicle = unit.AsVehicleUnit();
  const bool canFireMG = armoured && (vehicle != nullptr ? vehicle->CanFireAnyMG(true) : unit.CanFireAnyMachineGun());
  const float exposureFactor = 1.0f - 0.5f * exposure;
  float best = 0.0f;
  Unit* bestEnemy = nullptr;
  float closing = 1.0f;
  float danger = 0.0f;
  for (Unit* enemy : enemies) {
    const float d = unit.DistanceTo(*enemy);
    float v = 0.0f;
    if (unit.LineOfSightTo(*enemy)) {
      if (mainUsable) {
        v = unit.WeaponEffect(enemy, unit.ChooseAmmo(enemy), false, true, false, 0, 1) * context.PurchaseCost(*enemy);
      }
      v *= exposureFactor;
      if (armoured) {
        float t = AITargeting::WeaponEffect(*enemy, &unit, enemy->ChooseAmmo(&unit), true, true, false, 0, 1);
        if (d < 100.0f && t < 0.5f && enemy->IsInfantry()) {
          if (!canFireMG) {
            t = 0.5f;
          } else if (d < 50.0f && t < 0.25f) {
            t = 0.25f;
          }
        }
        danger = std::max(danger, t);
      }
    }
    bool closingApplies = enemy->IsInfantry() && (!IsSquad(*enemy) || armoured);
    const bool team = enemy->IsInfantry() && !IsSquad(*enemy);
    if (closingApplies && team) {
      int32_t weapon = Infantry::kNoWeapon;
      int32_t type = 0;
      const auto* man = enemy->AsInfantryUnit();
      if (man != nullptr) {
        closingApplies = man->QueryWeaponGrade(weapon, type, 1) != 0;
      } else {
        enemy->QueryWeapon(1, weapon, type);
        closingApplies = weapon != Infantry::kNoWeapon;
      }
    }
    if (closingApplies) {
      const float reach = team ? 150.0f : 120.0f;
      if (d <= reach) {
        const float c = enemy->DistanceToPoint(x0, y0) - 15.0f;
        if (d < c) {
          const float m = std::min(c, reach);
          const float ratio = d / m;
          closing = std::min(closing, ratio * ratio * ratio);
        }
      }
    } else if (d <= 15.0f && enemy->IsInfantry() && enemy->GetBand() > 3) {
      v += context.PurchaseCost(*enemy);
    }
    if (v > best) {
      best = v;
      bestEnemy = enemy;
    }
  }

  if (bestEnemy != nullptr && infantry) {
    const float d = unit.DistanceTo(*bestEnemy);
    if (d < 100.0f) exposure *= exposure;
    if (d < 250.0f) exposure = FloatPow(exposure, 2.667f - 0.0066667f * d);
  }
  float s = (1.0f - exposure) * 2.0f;
  const bool classFive = unit.HasMainWeaponOfType5();
  if (classFive && unit.areaFire != 0 && unit.LineOfSightToPoint(unit.targetX, unit.targetY)) {
    s *= exposed ? 2.0f : 4.0f;
  } else if (!classFive && bestEnemy != nullptr) {
    s += best;
    if (outEnemy != nullptr) *outEnemy = bestEnemy;
  }
  s = (1.0f - 0.5f * danger) * s * closing * cohesion;
  if (exposed) s *= 0.4f;
  if (outX != nullptr) *outX = px[chosen];
  if (outY != nullptr) *outY = py[chosen];
  unit.SetPosition(x0, y0);
  return s;
}

void AIOperational::ChooseEnemiesToScore(const AIPlanContext& context, Unit& unit, std::vector<Unit*>& chosen) {
  std::array<std::vector<Unit*>, 4> quadrants;
  const Battle& battle = *context.battle;
  for (int32_t k = 0; k < battle.UnitCount(); ++k) {
    Unit* other = battle.UnitAt(k);
    if (!other->IsAlive() || other->GetSideIndex() != 1 - unit.GetSideIndex() || other->IsInanimate()) continue;
    if (!other->IsIdentified() || other->IsPassenger(true) || !unit.CanTarget(*other)) continue;
    if (!unit.IsInRange(unit.DistanceTo(*other), 0, 1.2f)) continue;
    quadrants[static_cast<size_t>(Quadrant(unit, *other))].push_back(other);
  }
  for (int32_t q = 3; q >= 0; --q) {
    std::vector<std::pair<float, Unit*>> keyed;
    for (Unit* other : quadrants[static_cast<size_t>(q)]) {
      const float key = unit.WeaponEffect(other, unit.ChooseAmmo(other), false, true, false, 0, 1) * context.PurchaseCost(*other);
      keyed.emplace_back(key, other);
    }
    SortByKey(keyed);
    for (size_t k = 0; k < keyed.size() && k < 3; ++k) chosen.push_back(keyed[k].second);
  }
  if (!unit.IsArmored(false)) return;
  for (int32_t q = 3; q >= 0; --q) {
    std::vector<std::pair<float, Unit*>> keyed;
    for (Unit* other : quadrants[static_cast<size_t>(q)]) {
      float key = AITargeting::WeaponEffect(*other, &unit, other->ChooseAmmo(&unit), true, true, false, 0, 1);
      if (other->HasMainWeaponOfType123()) key += 0.2f;
      keyed.emplace_back(key, other);
    }
    SortByKey(keyed);
    int32_t added = 0;
    for (size_t k = 0; k < keyed.size() && added < 2; ++k) {
      if (std::find(chosen.begin(), chosen.end(), keyed[k].second) != chosen.end()) continue;
      chosen.push_back(keyed[k].second);
      ++added;
    }
  }
}

bool AIOperational::FindBestNearbyCell(const AIPlanContext& context, Unit& unit, bool extend, bool noBaseline) {
  AIPlanProfile::Scope timed(AIPlanProfile::kBestCells);
  std::vector<Unit*> enemies;
  ChooseEnemiesToScore(context, unit, enemies);
  const int32_t ci = static_cast<int32_t>(unit.x * 0.05f);
  const int32_t cj = static_cast<int32_t>(unit.y * 0.05f);

  float best = -9.0e20f;
  float bestX = unit.x;
  float bestY = unit.y;
  bool bestIsOwn = true;
  Unit* bestEnemy = nullptr;
  if (!noBaseline) {
    best = 1.4f * ScorePosition(context, unit, kPresentCell, kPresentCell, enemies, &bestX, &bestY, &bestEnemy);
  } else {
    bestIsOwn = false;
  }
  const auto tryCell = [&](int32_t di, int32_t dj, float weight) {
    float px = 0.0f;
    float py = 0.0f;
    Unit* enemy = nullptr;
    float s = ScorePosition(context, unit, ci + di, cj + dj, enemies, &px, &py, &enemy);
    s *= 0.9f + RandomFloatTimes(0.2f);
    s *= weight;
    if (s > best) {
      best = s;
      bestX = px;
      bestY = py;
      bestEnemy = enemy;
      bestIsOwn = false;
    }
  };
  for (int32_t di = -2; di <= 2; ++di) {
    for (int32_t dj = -2; dj <= 2; ++dj) {
      if (di != 0 || dj != 0) tryCell(di, dj, 1.0f);
    }
  }
  const auto ring = [&](int32_t inner, int32_t outer) {
    for (int32_t di = -outer; di <= outer; ++di) {
      for (int32_t dj = -outer; dj <= outer; ++dj) {
        if (std::abs(di) < inner && std::abs(dj) < inner) continue;
        tryCell(di, dj, RingFactor(std::max(std::abs(di), std::abs(dj))));
      }
    }
  };
  if (extend && (unit.IsVehicle() || noBaseline || !(best > 0.0f) || bestIsOwn)) ring(3, 4);
  if (extend && unit.IsVehicle() && (!(best > 0.0f) || bestIsOwn)) ring(5, 8);

  if (best > 0.0f) {
    if (bestEnemy != nullptr && bestEnemy != unit.target) unit.SetTarget(bestEnemy, 0.0f, 0.0f, false, true);
    if (!bestIsOwn) {
      OrderMoveTo(context, unit, bestX, bestY, true, false, nullptr);
      return true;
    }
  }
  return false;
}

AICellSearch::AICellSearch(const AIPlanContext& context) : context_(context), previous_(UnitCellSearch::Installed()) {
  UnitCellSearch::Install(this);
}

AICellSearch::~AICellSearch() { UnitCellSearch::Install(previous_); }

bool AICellSearch::FindBestNearbyCell(Unit& unit, bool extend, bool noBaseline) {
  return AIOperational::FindBestNearbyCell(context_, unit, extend, noBaseline);
}

bool AICellSearch::Defending() const { return context_.defender; }
