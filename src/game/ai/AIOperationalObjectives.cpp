#include <cmath>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "game/ai/AIGoalGroup.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/battle/AIGroup.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"
#include "game/map/PathPoints.h"
#include "game/units/Unit.h"

namespace {

// Flags the computer player makes: a general objective point and the side's own exit.
constexpr int32_t kObjectiveFlag = 2;
constexpr int32_t kExitFlag = 3;
// Trial points along an exit edge, and the one used when none can be reached.
constexpr int32_t kExitTrials = 13;
constexpr int32_t kMiddleTrial = 6;

float PointsFor(const AIPlanContext& context, const VictoryFlag& flag) {
  return flag.GetPoints(*context.battle, context.side == 0, true);
}

// A new flag: its constructor draws a place, which the caller then sets.
VictoryFlag* MakeFlag(float x, float y, int32_t type) {
  auto* flag = new VictoryFlag();
  flag->x = x;
  flag->y = y;
  flag->type = type;
  return flag;
}

AIGoalGroup* MakeGoal(GObjectGroup& goals, VictoryFlag* flag) {
  auto* goal = new AIGoalGroup();
  goal->InitFromFlag(flag);
  goals.Append(goal);
  return goal;
}

float Clamp10(float v, float size) {
  if (v < 10.0f) return 10.0f;
  if (v > size - 10.0f) return size - 10.0f;
  return v;
}

// The point on the exit edge a mover of the side reaches most cheaply (jittered), or the
// edge's middle when none can be reached.
void FindExitPoint(const AIPlanContext& context, Unit& mover, int32_t exitSide, float& px, float& py) {
  Battle& battle = *context.battle;
  Map& map = *battle.map;
  const float width = map.size.worldWidth;
  const float height = map.size.worldHeight;
  const int32_t edge = battle.exitEdge[static_cast<size_t>(exitSide)];
  const int32_t moveClass = mover.GetMoveClass();
  map.BuildCostGrid(exitSide == 0 ? 1 : 0, moveClass);
  float trialX[kExitTrials];
  float trialY[kExitTrials];
  for (int32_t i = 0; i < kExitTrials; ++i) {
    const double step = static_cast<double>(i) * 0.08333333333333333;
    const auto along = static_cast<float>(step * static_cast<double>(edge == 0 || edge == 2 ? height : width));
    switch (edge) {
      case 0: trialX[i] = 0.0f; trialY[i] = along; break;
      case 2: trialX[i] = width; trialY[i] = along; break;
      case 1: trialX[i] = along; trialY[i] = height; break;
      default: trialX[i] = along; trialY[i] = 0.0f; break;
    }
  }
  // No trial's search reads another's answer: all are searched ahead at once.
  for (int32_t i = 0; i < kExitTrials; ++i) map.AskRoute(mover, mover.x, mover.y, trialX[i], trialY[i]);
  float best = 9e20f;
  int32_t bestIndex = kMiddleTrial;
  PathPoints path;
  for (int32_t i = 0; i < kExitTrials; ++i) {
    if (AIOperational::FindRoute(map, mover, trialX[i], trialY[i], path) != Map::kRouteFound) continue;
    float length = 0.0f;
    float fromX = mover.x;
    float fromY = mover.y;
    for (int32_t p = 0; p < path.count && p < PathPoints::kMaxPoints; ++p) {
      const float dx = path.x[p] - fromX;
      const float dy = path.y[p] - fromY;
      length += std::sqrt(dx * dx + dy * dy);
      fromX = path.x[p];
      fromY = path.y[p];
    }
    const float score = length * (0.9f + RandomFloatTimes(0.2f));
    if (score < best) {
      best = score;
      bestIndex = i;
    }
  }
  map.FreeCostGrids();
  px = trialX[bestIndex];
  py = trialY[bestIndex];
  if (exitSide == context.side) return;
  // The enemy must leave: the objective is a point inward of its exit, across its way out.
  const float r = 0.35f + RandomFloatTimes(0.3f);
  switch (edge) {
    case 0: px = 0.35f * width; py = r * py + (1.0f - r) * 0.5f * height; break;
    case 2: px = 0.65f * width; py = r * py + (1.0f - r) * 0.5f * height; break;
    case 1: py = 0.65f * height; px = r * px + (1.0f - r) * 0.5f * width; break;
    default: py = 0.35f * height; px = r * px + (1.0f - r) * 0.5f * width; break;
  }
}

void BuildStandAlone(const AIPlanContext& context, GObjectGroup& goals, bool mayAddFlags) {
  Battle& battle = *context.battle;
  const Map& map = *battle.map;
  const bool anyExit = battle.exitScoring[0] != 0 || battle.exitScoring[1] != 0;
  if (mayAddFlags && battle.flags.Count() == 0 && !anyExit) {
    battle.flags.Append(MakeFlag(map.size.worldWidth * 0.5f, map.size.worldHeight * 0.5f, kObjectiveFlag));
  }
  if (battle.autoObjective == 0 && !context.defender) battle.ChooseRandomFlag();

  bool exitGoal = false;
  for (int32_t i = 0; i < battle.flags.Count(); ++i) {
    VictoryFlag* flag = battle.FlagAt(i);
    const bool taken = Random(4) == 0;
    if (!taken && !(PointsFor(context, *flag) > 0.0f)) continue;
    AIGoalGroup* goal = MakeGoal(goals, flag);
    if (flag->type == kExitFlag) {
      goal->fixed = true;
      exitGoal = true;
    }
  }

  while (goals.Count() >= 2) {
    float best = AIGoalGroup::kMergeDistance;
    AIGoalGroup* a = nullptr;
    AIGoalGroup* b = nullptr;
    for (int32_t i = 0; i < goals.Count(); ++i) {
      auto* goal = static_cast<AIGoalGroup*>(goals.GetItem(i));
      if (!goal->fixed) goal->FindNearestPartner(i + 1, goals, best, a, b);
    }
    if (a == nullptr) break;
    a->Absorb(context, *b);
    goals.RemoveObject(b, true);
  }

  if (exitGoal || !anyExit) return;
  const int32_t side = context.side;
  const int32_t exitSide = battle.exitScoring[static_cast<size_t>(side)] != 0 ? side : 1 - side;
  Unit* mover = nullptr;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    Unit* unit = battle.UnitAt(i);
    if (!unit->IsAlive() || unit->GetSideIndex() != side || unit->countsForPoints == 0) continue;
    if (mover == nullptr || unit->GetMoveClass() > mover->GetMoveClass()) mover = unit;
  }
  if (mover == nullptr) return;
  float x = 0.0f;
  float y = 0.0f;
  FindExitPoint(context, *mover, exitSide, x, y);
  auto* flag = MakeFlag(x, y, exitSide == side ? kExitFlag : kObjectiveFlag);
  AIGoalGroup* goal = MakeGoal(goals, flag);
  goal->TakeOwnFlag(flag);
  goal->fixed = true;
}

// The flags of an operation's battle along its front: the attacker's two or three at random
// depths beyond the front, the defender's three at a fixed depth spread across the map.
void AddFrontFlags(const AIPlanContext& context) {
  Battle& battle = *context.battle;
  const Campaign& operation = *context.operation;
  const float width = battle.map->size.worldWidth;
  const float height = battle.map->size.worldHeight;
  const float front = static_cast<float>(operation.frontLine) * 20.0f;
  const auto depth = static_cast<float>(operation.noMansLand);
  const int32_t edge = operation.attackerEdge;
  const bool alongX = edge == 0 || edge == 2;
  const float across = alongX ? height : width;
  auto place = [&](float f, float at) {
    const float along = (edge == 0 || edge == 3) ? front + depth * f : front - depth * f;
    const float x = Clamp10(alongX ? along : at, width);
    const float y = Clamp10(alongX ? at : along, height);
    battle.flags.Append(MakeFlag(x, y, kObjectiveFlag));
  };
  if (!context.defender) {
    const int32_t n = Random(3) == 0 ? 2 : 3;
    for (int32_t k = 1; k <= n; ++k) {
      const float f = k == n ? 2.5f + RandomFloatTimes(1.0f) : 0.75f + RandomFloatTimes(1.0f);
      float at = RandomFloatTimes(across);
      if (k == n) at = at * 0.5f + 0.25f * across;
      place(f, at);
    }
    return;
  }
  for (int32_t k = 0; k < 3; ++k) {
    const double share = static_cast<double>(2 * k + 1) * 0.16666666666666666;
    place(0.75f, static_cast<float>(share * static_cast<double>(across)));
  }
}

}  // namespace

void AIOperational::SetUpObjectives(const AIPlanContext& context) {
  Battle& battle = *context.battle;
  GObjectGroup*& list = battle.aiObjectives[static_cast<size_t>(context.side & 1)];
  if (list != nullptr || battle.map == nullptr) return;
  // Flags are added to the battle only by the first side's build: the other side's list
  // must stand for the same flags.
  const bool mayAddFlags = battle.aiObjectives[0] == nullptr && battle.aiObjectives[1] == nullptr;
  list = new GObjectGroup();
  list->IObjectGroup();
  list->SetOwnsMembers(true);
  GObjectGroup& goals = *list;
  if (context.operation == nullptr) {
    BuildStandAlone(context, goals, mayAddFlags);
  } else {
    if (mayAddFlags && battle.setupPhase != 0) AddFrontFlags(context);
    for (int32_t i = 0; i < battle.flags.Count(); ++i) MakeGoal(goals, battle.FlagAt(i));
  }

  float total = 0.0f;
  for (int32_t i = 0; i < battle.flags.Count(); ++i) total += PointsFor(context, *battle.FlagAt(i));
  for (int32_t g = 0; g < goals.Count(); ++g) {
    auto* goal = static_cast<AIGoalGroup*>(goals.GetItem(g));
    float sum = 0.0f;
    for (int32_t i = 0; i < goal->Count(); ++i) sum += PointsFor(context, *goal->FlagAt(i));
    // Flags worth nothing to the side make every goal worth nothing, not a division by 0.
    goal->value = total > 0.0f ? goal->GetEdgeFactor(context) * sum / total : 0.0f;
  }
}

int32_t AIOperational::FreeGroupsWithoutGoal(const AIPlanContext& context) {
  Battle& battle = *context.battle;
  const GObjectGroup* goals = context.Objectives();
  const int32_t count = goals == nullptr ? 0 : goals->Count();
  int32_t freed = 0;
  for (int32_t g = 0; g < battle.AIGroupCount(context.side); ++g) {
    AIGroup* group = battle.AIGroupAt(context.side, g);
    const int32_t mode = group->mode;
    bool valid = mode >= AIGroup::kFree && mode <= AIGroup::kDefendingFree;
    if (mode >= AIGroup::kSentBase) {
      valid = mode - AIGroup::kSentBase < count;
    } else if (mode >= AIGroup::kHoldingBase) {
      valid = mode - AIGroup::kHoldingBase < count;
    }
    if (valid) continue;
    group->mode = context.defender ? AIGroup::kDefendingFree : AIGroup::kFree;
    ++freed;
  }
  if (freed > 0) GErrorLog::LogValue("AIOperational: groups freed whose objective is missing:", freed);
  return freed;
}
