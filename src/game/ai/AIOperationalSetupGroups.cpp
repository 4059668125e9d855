// Forming the computer player's groups on its first turn: unit categories, the wings along
// the front, the attacker's group count, goals by distance and merging the closest groups.
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/ai/AIGoalGroup.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/ai/AIOperationalShared.h"
#include "game/battle/AIGroup.h"
#include "game/battle/Battle.h"
#include "game/map/Map.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"

namespace {

const Infantry* InfantryOf(const Unit& unit) {
  return unit.IsInfantry() ? unit.AsInfantryUnit() : nullptr;
}

bool IsLeaderOfLevel1(const Unit& unit) {
  const Infantry* infantry = InfantryOf(unit);
  int32_t level = 0;
  return infantry != nullptr && infantry->GetLeaderLevel(&level) && level == 1;
}

// Whether any infantry unit of the battle names the unit as its assigned leader.
bool IsAssignedLeaderOfAnyone(const Battle& battle, const Unit& unit) {
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    const Infantry* infantry = InfantryOf(*battle.UnitAt(i));
    if (infantry != nullptr && infantry->platoonLeader == &unit) return true;
  }
  return false;
}

// The current side's lines run north to south when it owns the East or the West edge.
bool FrontRunsAlongY(const AIPlanContext& context) {
  const Battle& battle = *context.battle;
  return battle.edgeOwner[0] == context.side || battle.edgeOwner[2] == context.side;
}

int32_t AlongFrontComparator(GObject* a, GObject* b, void* arg) {
  return AIOperational::CompareAlongFront(*static_cast<Unit*>(a), *static_cast<Unit*>(b), *static_cast<bool*>(arg));
}

float AlongFront(const Unit& unit, bool byY) { return byY ? unit.y : unit.x; }

struct UnitCategory {
  const Battle* battle;
  int32_t category;
};

bool NotInCategoryPredicate(GObject* member, void* arg) {
  const auto* test = static_cast<const UnitCategory*>(arg);
  return AIOperational::UnitNotInCategory(*test->battle, *static_cast<Unit*>(member), test->category);
}

struct GoalPoint {
  float x;
  float y;
};

int32_t ByDistanceToPoint(GObject* a, GObject* b, void* arg) {
  const auto* point = static_cast<const GoalPoint*>(arg);
  const float da = static_cast<AIGoalGroup*>(a)->DistanceTo(point->x, point->y);
  const float db = static_cast<AIGoalGroup*>(b)->DistanceTo(point->x, point->y);
  if (da < db) return -1;
  if (da > db) return 1;
  return 0;
}

float CentreDistance(const AIGroup& a, const AIGroup& b) {
  const float dx = a.centreX - b.centreX;
  const float dy = a.centreY - b.centreY;
  return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

bool AIOperational::UnitNotInCategory(const Battle& battle, const Unit& unit, int32_t category) {
  switch (category) {
    case 0:
      return !(IsLeaderOfLevel1(unit) && IsAssignedLeaderOfAnyone(battle, unit));
    case 1: {
      const Infantry* infantry = InfantryOf(unit);
      return !(infantry != nullptr && infantry->IsSquad() && infantry->platoonLeader != nullptr);
    }
    case 2:
      return !(unit.IsArmored() && unit.HasMainWeapon());
    case 3:
      return !unit.IsArmored();
    case 4:
      return !unit.IsVehicle();
    case 5: {
      const Infantry* infantry = InfantryOf(unit);
      return !(infantry != nullptr && infantry->GetLeaderLevel());
    }
    case 6:
    case 7:
      return unit.GetMainWeaponType() != category - 6;
    case 8: {
      const int32_t type = unit.GetMainWeaponType();
      return type != 2 && type != 3;
    }
    case 9:
    case 10:
    case 11:
      return unit.GetMainWeaponType() != category - 5;
    default:
      return false;
  }
}

int32_t AIOperational::CompareAlongFront(const Unit& a, const Unit& b, bool byY) {
  const float ca = AlongFront(a, byY);
  const float cb = AlongFront(b, byY);
  if (ca < cb) return -1;
  if (ca > cb) return 1;
  return 0;
}

void AIOperational::DistributeUnits(const AIPlanContext& context, GGroup& units, AIGroup* const* groups,
                                    int32_t groupCount, int32_t category) {
  const Battle& battle = *context.battle;
  GGroup members;
  members.Init();
  members.SetOwnsMembers(false);
  members.AppendGroup(units);
  UnitCategory test{&battle, category};
  members.RemoveIf(NotInCategoryPredicate, &test, false);
  const int32_t n = members.Count();
  if (n == 0) return;

  if (category == 1) {
    for (int32_t i = n - 1; i >= 0; --i) {
      auto* squad = static_cast<Unit*>(members.GetItem(i));
      const Infantry* infantry = InfantryOf(*squad);
      if (infantry == nullptr || !infantry->IsSquad()) FatalError(4032, "AIOperational");
      if (infantry->platoonLeader == nullptr) FatalError(4031, "AIOperational");
      units.RemoveObject(squad, false);
      for (int32_t g = 0; g < groupCount; ++g) {
        if (groups[g]->Contains(infantry->platoonLeader)) {
          groups[g]->Append(squad);
          break;
        }
      }
    }
    return;
  }

  bool byY = FrontRunsAlongY(context);
  members.Sort(AlongFrontComparator, &byY);
  const double extent = byY ? battle.map->size.worldHeight : battle.map->size.worldWidth;
  GGroup high;
  GGroup low;
  high.Init();
  low.Init();
  high.SetOwnsMembers(false);
  low.SetOwnsMembers(false);
  for (int32_t i = n - 1; i >= 0; --i) {
    auto* unit = static_cast<Unit*>(members.GetItem(i));
    const double along = AlongFront(*unit, byY);
    const bool toLow = i < n / 3 || (i < n / 2 && along < 0.667 * extent) || (i < 2 * n / 3 && along < 0.333 * extent);
    (toLow ? low : high).Append(unit);
    units.RemoveObject(unit, false);
  }

  if (groupCount > 2) {
    high.Sort(AlongFrontComparator, &byY);
    low.Sort(AlongFrontComparator, &byY);
    if (groupCount == 3) {
      const int32_t k = (high.Count() + 1) / 3;
      for (int32_t i = k - 1; i >= 0; --i) {
        groups[2]->Append(high.GetItem(i));
        high.RemoveAt(i, false);
      }
      const int32_t fromLow = (low.Count() + 1) / 3;
      for (int32_t t = 0; t < fromLow; ++t) {
        groups[2]->Append(low.GetItem(low.Count() - 1));
        low.RemoveAt(low.Count() - 1, false);
      }
    } else {
      const int32_t k = (high.Count() + 1) / 2;
      for (int32_t i = k - 1; i >= 0; --i) {
        groups[2]->Append(high.GetItem(i));
        high.RemoveAt(i, false);
      }
      const int32_t fromLow = low.Count() / 2;
      for (int32_t t = 0; t < fromLow; ++t) {
        groups[3]->Append(low.GetItem(low.Count() - 1));
        low.RemoveAt(low.Count() - 1, false);
      }
    }
  }
  groups[0]->AppendGroup(high);
  groups[groupCount > 1 ? 1 : 0]->AppendGroup(low);
}

int32_t AIOperational::AttackerGroupCount(int32_t objectives) {
  switch (objectives) {
    case 2:
      return Random(4) <= 2 ? 1 : 2;
    case 3:
      return Random(3) <= 1 ? 1 : 2;
    case 4:
      return Random(2) == 0 ? 1 : 2;
    case 5:
      return Random(3) == 1 ? 1 : 2;
    case 6:
      return 2;
    default:
      if (objectives <= 1) return 1;
      return Random(4) <= 2 ? 2 : 3;
  }
}

AIGoalGroup* AIOperational::NearestGoal(const AIPlanContext& context, float x, float y, float* distance) {
  AIGoalGroup* nearest = nullptr;
  float best = kFar;
  const GObjectGroup* goals = context.Objectives();
  for (int32_t k = 0; goals != nullptr && k < goals->Count(); ++k) {
    auto* goal = static_cast<AIGoalGroup*>(goals->GetItem(k));
    const float d = goal->DistanceTo(x, y);
    if (d < best) {
      best = d;
      nearest = goal;
    }
  }
  if (distance != nullptr) *distance = best;
  return nearest;
}

GObjectGroup* AIOperational::GoalsByDistance(const AIPlanContext& context, float x, float y) {
  auto* sorted = new GObjectGroup();
  sorted->Init();
  sorted->SetOwnsMembers(false);
  GObjectGroup* goals = context.Objectives();
  if (goals != nullptr) sorted->AppendGroup(*goals);
  GoalPoint point{x, y};
  sorted->Sort(ByDistanceToPoint, &point);
  return sorted;
}

void AIOperational::MergeClosestGroups(const AIPlanContext& context, GObjectGroup& groups) {
  const int32_t target = groups.Count() - 1 < 1 ? 1 : groups.Count() - 1;
  while (groups.Count() > target) {
    float best = kFar;
    int32_t bi = -1;
    int32_t bj = -1;
    for (int32_t i = 0; i < groups.Count(); ++i) {
      const auto* a = static_cast<AIGroup*>(groups.GetItem(i));
      for (int32_t j = i + 1; j < groups.Count(); ++j) {
        const float d = CentreDistance(*a, *static_cast<AIGroup*>(groups.GetItem(j)));
        if (d < best) {
          best = d;
          bi = i;
          bj = j;
        }
      }
    }
    if (bi < 0 || bj < 0) FatalError(4426, "AIOperational");
    if (bi == bj) FatalError(4427, "AIOperational");
    auto* keep = static_cast<AIGroup*>(groups.GetItem(bi));
    auto* gone = static_cast<AIGroup*>(groups.GetItem(bj));
    keep->AppendGroup(*gone);
    keep->UpdateCentre();
    groups.RemoveAt(bj, false);
    delete gone;
  }
  const GObjectGroup* goals = context.Objectives();
  const bool oneGoal = goals != nullptr && goals->Count() == 1;
  for (int32_t g = 0; g < groups.Count(); ++g) {
    static_cast<AIGroup*>(groups.GetItem(g))->mode = oneGoal ? AIGroup::kSentBase : AIGroup::kDefendingFree;
  }
}
