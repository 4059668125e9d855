#include <algorithm>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/ai/AIGoalGroup.h"
#include "game/ai/AIGroupGoals.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/battle/AIGroup.h"
#include "game/battle/Battle.h"
#include "game/units/Unit.h"

namespace {

// The distance of a group not sent anywhere, which sorts after every real one.
constexpr float kNoGoalDistance = 9e20f;

}  // namespace

void AIOperational::AssignGoals(const AIPlanContext& context) {
  Battle& battle = *context.battle;
  const int32_t side = context.side;
  GObjectGroup* list = battle.aiGroups[static_cast<size_t>(side)];
  GObjectGroup* goals = context.Objectives();
  if (list == nullptr || goals == nullptr) return;
  for (int32_t i = 0; i < goals->Count(); ++i) static_cast<AIGoalGroup*>(goals->GetItem(i))->UpdateSecured(context);

  // Garrisons split off while the groups are walked join the list afterwards.
  GObjectGroup split;
  split.IObjectGroup();
  split.SetOwnsMembers(false);
  for (int32_t g = 0; g < list->Count(); ++g) AIGroupGoals::LeaveGarrison(context, *battle.AIGroupAt(side, g), split);
  for (int32_t i = 0; i < split.Count(); ++i) list->Append(split.GetItem(i));
  split.DeleteAll(false);

  if (context.defender) {
    SendDefendersToGoals(context);
  } else {
    SendAttackersToGoals(context);
  }
}

void AIOperational::SendDefendersToGoals(const AIPlanContext& context) {
  Battle& battle = *context.battle;
  const int32_t side = context.side;
  GObjectGroup& list = *battle.aiGroups[static_cast<size_t>(side)];
  const GObjectGroup& goals = *context.Objectives();
  std::vector<AIGroup*> free;
  for (int32_t g = 0; g < list.Count(); ++g) {
    AIGroup* group = battle.AIGroupAt(side, g);
    if (group->mode != AIGroup::kDefendingFree) continue;
    group->UpdateCentre();
    free.push_back(group);
  }
  if (free.empty()) return;

  std::vector<AIGoalGroup*> order;
  for (int32_t i = 0; i < goals.Count(); ++i) {
    auto* goal = static_cast<AIGoalGroup*>(goals.GetItem(i));
    goal->UpdateAdjustedValue(context);
    order.push_back(goal);
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const AIGoalGroup* a, const AIGoalGroup* b) { return a->adjustedValue > b->adjustedValue; });
  const float n = std::max(static_cast<float>(goals.Count()), 3.0f);
  const float r =
      battle.lastTurn > 0 ? static_cast<float>(battle.currentTurn) / static_cast<float>(battle.lastTurn) : 0.0f;
  for (AIGoalGroup* goal : order) {
    if (free.empty()) break;
    const float demand = static_cast<float>(free.size()) * (1.0f / n + r) * goal->adjustedValue * 4.0f;
    if (demand <= 1.0f) break;
    std::stable_sort(free.begin(), free.end(), [goal](const AIGroup* a, const AIGroup* b) {
      return goal->DistanceTo(a->centreX, a->centreY) < goal->DistanceTo(b->centreX, b->centreY);
    });
    const int32_t k = goal->IndexIn(context);
    if (k < 0) FatalError(5781, "AIOperational");
    AIGroup* sent = free.front();
    free.erase(free.begin());
    sent->mode = AIGroup::kSentBase + k;
    for (int32_t g = 0; g < list.Count(); ++g) {
      AIGroup* holder = battle.AIGroupAt(side, g);
      if (holder->mode != AIGroup::kHoldingBase + k) continue;
      for (int32_t i = 0; i < holder->Count(); ++i) sent->Append(holder->GetItem(i));
      list.RemoveObject(holder, true);
      break;
    }
  }
}

void AIOperational::SendAttackersToGoals(const AIPlanContext& context) {
  Battle& battle = *context.battle;
  const int32_t side = context.side;
  std::vector<AIGroup*> pool;
  for (int32_t g = 0; g < battle.AIGroupCount(side); ++g) {
    AIGroup* group = battle.AIGroupAt(side, g);
    if (group->mode >= AIGroup::kSentBase) AIGroupGoals::MarkGoalTargeted(context, *group);
    if (group->mode == AIGroup::kFree) pool.push_back(group);
  }
  // Every free group tries its choice; the one nearest its goal keeps it, and the rest try
  // again against the goals now targeted.
  while (!pool.empty()) {
    size_t nearest = 0;
    float nearestDistance = 0.0f;
    for (size_t i = 0; i < pool.size(); ++i) {
      AIGroup* group = pool[i];
      AIGroupGoals::ChooseGoal(context, *group, true);
      float d = kNoGoalDistance;
      const Unit* reference = group->GetReferenceUnit();
      if (group->mode != AIGroup::kFree && reference != nullptr) {
        const AIGoalGroup* goal = context.Goal(group->mode - AIGroup::kSentBase);
        if (goal == nullptr) FatalError(5817, "AIOperational");
        d = goal->DistanceTo(reference->x, reference->y);
      }
      if (i == 0 || d < nearestDistance) {
        nearest = i;
        nearestDistance = d;
      }
    }
    AIGroup* chosen = pool[nearest];
    pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(nearest));
    AIGroupGoals::ChooseGoal(context, *chosen, false);
  }
}
