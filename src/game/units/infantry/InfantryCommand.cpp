// Leaders and command: which headquarters commands a squad, how its ratings lift the squad's
// effective ratings; and fatigue, built up and worked off slice by slice and carried between
// battles.
#include <algorithm>

#include "framework/core/Quorl.h"
#include "game/map/MapBattleServices.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/fire/WeaponFormulas.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitServices.h"

namespace {

constexpr int32_t kMaxRating = 8;

// The search's best candidate so far and its distance.
struct LeaderSearch {
  Unit* best = nullptr;
  float bestDistance = 0.0f;
};
LeaderSearch gSearch;

Infantry* InfantryOf(Unit* unit) { return unit != nullptr && unit->IsInfantry() ? dynamic_cast<Infantry*>(unit) : nullptr; }

}  // namespace

float Infantry::LeaderCommandRange(int32_t commandRating, int32_t leaderRating) {
  return ::LeaderCommandRange(static_cast<float>(commandRating), static_cast<float>(leaderRating));
}

bool Infantry::HasCommand() const { return commandingLeader != nullptr || GetLeaderLevel(); }

void Infantry::FindCommandingLeader(const std::vector<Unit*>* leaders) {
  if (GetLeaderLevel()) return;
  gSearch = LeaderSearch{};
  MapBattleServices* battle = UnitBattle();
  if (!HasSurrendered() && battle != nullptr) {
    if (leaders != nullptr) {
      for (Unit* candidate : *leaders) {
        if (LeaderCandidateTest(candidate, *this)) break;
      }
    } else {
      const int32_t count = battle->GetUnitCount();
      for (int32_t i = 0; i < count; ++i) {
        if (LeaderCandidateTest(UnitOfView(battle->GetUnit(i)), *this)) break;
      }
    }
  }
  if (gSearch.best != commandingLeader) {
    commandingLeader = gSearch.best;
    stateChanged = 1;
  }
}

bool Infantry::IsLiveLeader(Unit* unit) {
  const Infantry* c = unit != nullptr && unit->alive != 0 ? InfantryOf(unit) : nullptr;
  return c != nullptr && c->GetLeaderLevel();
}

bool Infantry::LeaderCandidateTest(Unit* candidate, Infantry& squad) {
  // The dead and the enemy are passed over on the unit's own fields, before the cast.
  if (candidate == nullptr || candidate->alive == 0 || candidate->IsEnemy(squad)) return false;
  const Infantry* c = InfantryOf(candidate);
  if (c == nullptr) return false;
  int32_t level = 0;
  if (!c->GetLeaderLevel(&level)) return false;
  if (!(level >= 2 || !squad.IsSquad() || squad.platoonLeader == candidate)) return false;
  if (!c->CanFight()) return false;
  const float range = LeaderCommandRange(c->LeaderRatingBits(0), c->GetRating());
  const float d = c->DistanceTo(squad);
  const bool inReach = d <= range && (d <= 0.5f * range || c->LineOfSightTo(squad));
  if (!inReach) return false;
  if (squad.platoonLeader == candidate) {
    gSearch.best = candidate;
    gSearch.bestDistance = d;
    return true;
  }
  if (gSearch.best == nullptr || d < gSearch.bestDistance) {
    gSearch.best = candidate;
    gSearch.bestDistance = d;
  }
  return false;
}

int32_t Infantry::GetEffectiveRating(int32_t aspect) const {
  const int32_t r = GetRating();
  int32_t result = r;
  if (GetLeaderLevel()) {
    switch (aspect) {
      case 0: result = r + 2 * LeaderRatingBits(2) + 1; break;
      case 1: result = r + LeaderRatingBits(1); break;
      case 2: result = r + LeaderRatingBits(3) + 1; break;
      case 3: result = r + LeaderRatingBits(0) + 1; break;
      default:
        FatalError(3453, kInfantryFile);
    }
  } else if (const Infantry* leader = InfantryOf(commandingLeader); leader != nullptr && leader->alive != 0 && leader->CanFight()) {
    switch (aspect) {
      case 0: result = r + leader->LeaderRatingBits(2) + 1; break;
      case 1: {
        const int32_t bits = leader->LeaderRatingBits(1);
        if (bits != 0) {
          if (target != nullptr && leader->LineOfSightTo(*target)) {
            result = r + bits;
          } else if (areaFire != 0 && leader->LineOfSightToPoint(targetX, targetY)) {
            result = r + bits;
          }
        }
        break;
      }
      case 2: result = r + leader->LeaderRatingBits(3) + 1; break;
      case 3: result = r + leader->LeaderRatingBits(0) + 1; break;
      default:
        FatalError(3462, kInfantryFile);
    }
  } else if (aspect == 3 && Data().MainWeapon() == 92) {
    result = r + 1;
  }
  return std::min(result, kMaxRating);
}

bool Infantry::IsGroundConditionTerrain(int32_t code) {
  switch (code) {
    case 0: case 5: case 6: case 7: case 12: case 13: case 14: case 15: case 16: case 17:
    case 18: case 20: case 21: case 22: case 23: case 24: case 26: case 27:
      return true;
    default:
      return false;
  }
}

void Infantry::UpdateFatigue() {
  const auto e = static_cast<float>(GetEffectiveRating(0));
  float rate = 0.0f;
  switch (activityState) {
    case kStationary:
    case kHiding: rate = (e + 8.0f) * -0.00085f; break;
    case kMove:
    case kSneak: rate = 0.0f; break;
    case kRun:
      rate = (12.0f - e) * 0.0007f + 0.0138333f;
      if ((Data().Flags() & 1) != 0) rate *= 4.0f;
      break;
    case kCrawl: rate = (12.0f - e) * 0.0003f + 0.0045f; break;
    default: FatalError(3500, kInfantryFile);
  }
  const MapBattleServices* battle = UnitBattle();
  if (battle != nullptr && IsMoving()) {
    const int32_t condition = battle->GetGroundCondition();
    if ((condition == 5 || condition == 7 || condition == 8) && IsGroundConditionTerrain(GetTerrainHere())) {
      rate *= condition == 8 ? 3.0f : 2.0f;
    }
  }
  fatigue += rate;
  if (fatigue < 0.0f) fatigue = 0.0f;
  fatigueLevel = FatigueLevelOf(fatigue);
}

int32_t Infantry::FatigueLevelOf(float value) {
  return value < 10.0f ? 0 : value < 60.0f ? 1 : value < 100.0f ? 2 : value < 200.0f ? 3 : 4;
}

void Infantry::ResetBetweenBattles() {
  // The orders, targets, suppression and loss count every unit drops first.
  Unit::ResetBetweenBattles();
  slicePassFlag = 0;
  timer = 0.0f;
  casualtyFlag = 0;
  activityState = 0;
  if (IsSquad() && GetMenPresent() > 1) immobilized = 0;
  fatigue = fatigue > 125.0f ? (fatigue - 125.0f) * 0.5f : 0.0f;
  // The level follows the carried fatigue; no slice of rest is counted here.
  fatigueLevel = FatigueLevelOf(fatigue);
}
