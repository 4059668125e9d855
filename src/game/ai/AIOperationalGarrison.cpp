// Sending the computer's set-up units to garrison the side's goals, and the set-up's small
// per-unit steps.
#include <memory>

#include "framework/core/Quorl.h"
#include "game/ai/AIGoalGroup.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/ai/AIProgressMeter.h"
#include "game/battle/AIGroup.h"
#include "game/battle/Battle.h"
#include "game/map/PlanningMath.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"

namespace {

// A new holding group for the goal, appended to the side's list.
AIGroup* NewHolder(const AIPlanContext& context, const AIGoalGroup& goal) {
  auto* group = new AIGroup();
  group->Init();
  group->mode = AIGroup::kHoldingBase + goal.IndexIn(context);
  context.battle->aiGroups[static_cast<size_t>(context.side)]->Append(group);
  return group;
}

}  // namespace

void AIOperational::GarrisonGoals(const AIPlanContext& context, int32_t total, GGroup& goals, GGroup& units,
                                  const GDynamicArray& grid) {
  for (int32_t pass = 0; pass < 2; ++pass) {
    for (int32_t k = 0; k < goals.Count() && units.Count() > 0; ++k) {
      auto* goal = static_cast<AIGoalGroup*>(goals.GetItem(k));
      AIGroup* holder = nullptr;
      bool halfway = false;
      bool enough = goal->HasEnoughUnits(context, total, &holder, &halfway);
      int32_t i = 0;
      while ((pass == 0 ? !halfway : !enough) && i < units.Count()) {
        auto* unit = static_cast<Unit*>(units.GetItem(i));
        if (!PlaceNearUnit(context, *unit, goal->centreX, goal->centreY, grid)) {
          ++i;
          continue;
        }
        if (holder == nullptr) holder = NewHolder(context, *goal);
        holder->Append(unit);
        units.RemoveAt(i, false);
        enough = goal->HasEnoughUnits(context, total, &holder, &halfway);
        context.StepMeter();
      }
    }
  }
}

bool AIOperational::AssignToNearestGoal(const AIPlanContext& context, Unit& unit, int32_t total) {
  const float radius = PlacementRadius(unit);
  std::unique_ptr<GObjectGroup> goals(GoalsByDistance(context, unit.x, unit.y));
  AIGoalGroup* chosen = nullptr;
  AIGroup* holder = nullptr;
  for (int32_t k = 0; k < goals->Count(); ++k) {
    auto* goal = static_cast<AIGoalGroup*>(goals->GetItem(k));
    if (goal->DistanceTo(unit.x, unit.y) > radius) break;
    if (!goal->HasEnoughUnits(context, total, &holder, nullptr)) {
      chosen = goal;
      break;
    }
  }
  if (chosen == nullptr) return false;
  if (holder == nullptr) holder = NewHolder(context, *chosen);
  holder->Append(&unit);
  context.StepMeter();
  return true;
}

void AIOperational::MakeSingleUnitGroup(Unit& unit, GGroup& list) {
  auto* group = new AIGroup();
  group->Init();
  group->Append(&unit);
  group->centreX = unit.x;
  group->centreY = unit.y;
  list.Append(group);
}

void AIOperational::ParkUnit(Unit& unit) {
  if (unit.setupZone != 7) unit.x += kParkOffset;
}

bool AIOperational::NotSquadOrPlatoonLeader(const Unit& unit) {
  const auto* infantry = unit.IsInfantry() ? unit.AsInfantryUnit() : nullptr;
  if (infantry == nullptr) return true;
  if (infantry->IsSquad()) return false;
  int32_t level = 0;
  return !(infantry->GetLeaderLevel(&level) && level == 1);
}

void AIOperational::ChooseStartLevel(const AIPlanContext& context, Unit& unit) {
  if (unit.GetSideIndex() != context.side || unit.setupZone == 7) return;
  const int32_t terrain = unit.GetTerrainHere();
  if (IsPavedTerrain(terrain) || !unit.IsInfantry()) {
    unit.level = 0.0f;
  } else if (terrain == 33 || terrain == 34) {
    unit.level = Random(2) == 0 ? 1.0f : 0.0f;
  } else {
    unit.level = 0.0f;
  }
}
