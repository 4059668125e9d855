#include "game/ai/AIGroupGoals.h"

#include <algorithm>

#include "framework/core/Quorl.h"
#include "game/ai/AIGoalGroup.h"
#include "game/ai/AIPlanContext.h"
#include "game/battle/AIGroup.h"
#include "game/battle/Battle.h"
#include "game/map/PlanningMath.h"
#include "game/units/Unit.h"

namespace {

// A unit within this distance (metres) of the goal counts as near it.
constexpr float kNearGoal = 200.0f;

bool IsSentToGoal(int32_t mode) { return mode >= AIGroup::kSentBase; }

float GarrisonScore(const AIPlanContext& context, const Unit& unit, float x, float y) {
  const float weight = context.defender ? 0.5f : 0.1f;
  float s = 0.0f;
  if (unit.IsInfantry()) {
    s = 10000.0f;
    if (!unit.HasMainWeapon()) s = 10000.0f + 5000.0f - static_cast<float>(unit.ammo[0]) * 3.0f;
    s = s + static_cast<float>(unit.losses) * 18.0f;
  } else {
    s = unit.HasMainWeapon() ? 0.0f : 50.0f;
  }
  s = s - unit.DistanceToPoint(x, y) * weight;
  if (unit.IsVehicle() && IsPavedTerrain(unit.GetTerrainHere())) s = s - 100000.0f;
  if (unit.countsForPoints != 0) s = s - 50000.0f;
  return s;
}

struct GarrisonSort {
  const AIPlanContext* context;
  float x;
  float y;
};

}  // namespace

int32_t AIGroupGoals::CompareGarrisonCandidates(const AIPlanContext& context, const Unit& a, const Unit& b, float x,
                                                float y) {
  const float sa = GarrisonScore(context, a, x, y);
  const float sb = GarrisonScore(context, b, x, y);
  if (sa > sb) return -1;
  if (sb > sa) return 1;
  return 0;
}

void AIGroupGoals::LeaveGarrison(const AIPlanContext& context, AIGroup& group, GObjectGroup& split) {
  if (!IsSentToGoal(group.mode)) return;
  AIGoalGroup* goal = context.Goal(group.mode - AIGroup::kSentBase);
  if (goal == nullptr || !goal->secured) return;
  const GObjectGroup& goals = *context.Objectives();
  bool anyOpen = false;
  for (int32_t i = 0; i < goals.Count() && !anyOpen; ++i) {
    anyOpen = !static_cast<AIGoalGroup*>(goals.GetItem(i))->secured;
  }
  if (!context.defender && !anyOpen) return;

  Battle& battle = *context.battle;
  const int32_t side = context.side;
  const int32_t holding = group.mode - (AIGroup::kSentBase - AIGroup::kHoldingBase);
  for (int32_t g = 0; g < battle.AIGroupCount(side); ++g) {
    const AIGroup* other = battle.AIGroupAt(side, g);
    if (other != &group && other->mode == holding) {
      group.mode = context.defender ? AIGroup::kDefendingFree : AIGroup::kFree;
      return;
    }
  }

  int32_t movable = 0;
  int32_t near = 0;
  int32_t low = 0;
  for (int32_t i = 0; i < group.Count(); ++i) {
    const Unit* unit = group.UnitAt(i);
    if (!unit->IsAlive() || !unit->CanMove()) continue;
    ++movable;
    if (unit->DistanceToPoint(goal->centreX, goal->centreY) < kNearGoal) ++near;
    if (unit->suppression < 50.0f) ++low;
  }
  int32_t sideTotal = 0;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    const Unit* unit = battle.UnitAt(i);
    if (unit->GetSideIndex() == side && unit->IsAlive() && !unit->HasSurrendered()) ++sideTotal;
  }
  const int32_t needed = TruncateToInt32(static_cast<float>(sideTotal) * goal->value * 0.3f + 0.99f);
  if (movable < needed) {
    group.mode = holding;
    return;
  }
  // With nobody movable nothing can stay behind.
  if (movable == 0) return;
  const auto m = static_cast<float>(movable);
  if (static_cast<float>(near) / m < 0.666f || static_cast<float>(low) / m < 0.5f) return;
  const int32_t keep = TruncateToInt32(std::min(static_cast<float>(needed), m * 0.5f));

  GarrisonSort sort{&context, goal->centreX, goal->centreY};
  group.QuickSort(
      [](GObject* a, GObject* b, void* arg) {
        const auto* s = static_cast<const GarrisonSort*>(arg);
        return CompareGarrisonCandidates(*s->context, *static_cast<Unit*>(a), *static_cast<Unit*>(b), s->x, s->y);
      },
      &sort);
  auto* stay = new AIGroup();
  stay->Init();
  struct Walk {
    AIGroup* stay;
    int32_t keep;
  } walk{stay, keep};
  group.RemoveIfIndexed(
      [](int32_t index, GObject* member, void* arg) {
        auto* w = static_cast<Walk*>(arg);
        if (index >= w->keep || static_cast<Unit*>(member)->countsForPoints != 0) return false;
        w->stay->Append(member);
        return true;
      },
      &walk, false);
  if (stay->Count() == 0) {
    delete stay;
    return;
  }
  split.Append(stay);
  if (context.defender) {
    stay->mode = holding;
    group.mode = AIGroup::kDefendingFree;
  } else {
    stay->mode = group.mode;
    group.mode = AIGroup::kFree;
  }
}

void AIGroupGoals::MarkGoalTargeted(const AIPlanContext& context, const AIGroup& group) {
  if (!IsSentToGoal(group.mode)) return;
  AIGoalGroup* goal = context.Goal(group.mode - AIGroup::kSentBase);
  if (goal != nullptr && !goal->fixed) goal->targeted = true;
}

void AIGroupGoals::ChooseGoal(const AIPlanContext& context, AIGroup& group, bool keepUntargeted) {
  const Unit* reference = group.GetReferenceUnit();
  const GObjectGroup* goals = context.Objectives();
  if (reference == nullptr || goals == nullptr) return;
  float best = 9.9e20f;
  AIGoalGroup* chosen = nullptr;
  int32_t chosenIndex = -1;
  for (int32_t k = goals->Count() - 1; k >= 0; --k) {
    auto* goal = static_cast<AIGoalGroup*>(goals->GetItem(k));
    if (!(goal->value > 0.0f) || goal->secured) continue;
    float d = goal->DistanceTo(reference->x, reference->y);
    if (goal->targeted) d = d * 2.5f;
    const float score = (2.0f - goal->value) * (1.0f + RandomFloatTimes(0.25f)) * d;
    if (score < best) {
      best = score;
      chosen = goal;
      chosenIndex = k;
    }
  }
  if (chosen == nullptr) return;
  group.mode = AIGroup::kSentBase + chosenIndex;
  if (!keepUntargeted && !chosen->fixed) chosen->targeted = true;
}
