#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/ai/AIOperationalShared.h"
#include "game/battle/AIGroup.h"
#include "game/battle/Battle.h"
#include "game/units/Unit.h"

namespace {

AIGroup* FirstGroupOfMode(const Battle& battle, int32_t side, int32_t mode) {
  for (int32_t g = 0; g < battle.AIGroupCount(side); ++g) {
    AIGroup* group = battle.AIGroupAt(side, g);
    if (group->mode == mode) return group;
  }
  return nullptr;
}

// The group of the side, other than the one given, that holds the unit; null for none.
AIGroup* OtherGroupHolding(const Battle& battle, int32_t side, const AIGroup* except, const Unit* unit) {
  for (int32_t g = 0; g < battle.AIGroupCount(side); ++g) {
    AIGroup* group = battle.AIGroupAt(side, g);
    if (group != except && group->Contains(unit)) return group;
  }
  return nullptr;
}

}  // namespace

void AIOperational::UpdateCatchAllGroup(const AIPlanContext& context) {
  Battle& battle = *context.battle;
  const int32_t side = context.side;
  GObjectGroup* list = battle.aiGroups[static_cast<size_t>(side)];
  if (list == nullptr) return;
  AIGroup* catchAll = FirstGroupOfMode(battle, side, AIGroup::kCatchAll);
  const bool made = catchAll == nullptr;
  if (made) catchAll = NewGroup(AIGroup::kCatchAll);
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    Unit* unit = battle.UnitAt(i);
    if (!unit->IsAlive() || unit->IsAirplane() || unit->IsPassenger() || unit->IsInanimate()) continue;
    if (catchAll->Contains(unit)) continue;
    if (unit->GetSideIndex() != side && !unit->HasSurrendered()) continue;
    AIGroup* holder = OtherGroupHolding(battle, side, catchAll, unit);
    if (holder != nullptr) {
      if (!unit->HasBeenCaptured()) continue;
      holder->RemoveObject(unit, false);
    }
    catchAll->Append(unit);
  }
  if (made) {
    if (catchAll->Count() == 0) {
      delete catchAll;
      return;
    }
    list->Append(catchAll);
  }
  catchAll->RemoveIf(
      [](GObject* member, void* arg) {
        const auto* unit = static_cast<const Unit*>(member);
        return unit->GetSideIndex() != *static_cast<const int32_t*>(arg) && unit->HasBeenCaptured();
      },
      const_cast<int32_t*>(&side), false);
}

void AIOperational::AssignObjectives(const AIPlanContext& context) {
  Battle& battle = *context.battle;
  const int32_t side = context.side;
  GObjectGroup* list = battle.aiGroups[static_cast<size_t>(side)];
  if (list == nullptr) return;
  list->RemoveIf([](GObject* member, void*) { return static_cast<GGroup*>(member)->Count() == 0; }, nullptr, true);
  AIGroup* reserve = FirstGroupOfMode(battle, side, AIGroup::kCannotTakePart);
  const bool made = reserve == nullptr;
  if (made) reserve = NewGroup(AIGroup::kCannotTakePart);
  for (int32_t g = 0; g < battle.AIGroupCount(side); ++g) {
    AIGroup* group = battle.AIGroupAt(side, g);
    if (group->mode == AIGroup::kCannotTakePart || group->mode == AIGroup::kCatchAll) continue;
    // Members are tested in order, so the reserve takes them in their group's order.
    group->RemoveIf(
        [](GObject* member, void* arg) {
          auto* unit = static_cast<Unit*>(member);
          if (!unit->IsAlive() || unit->HasSurrendered()) return true;
          if (unit->CanMove() && (unit->countsForPoints != 0 || unit->HasAnyAmmo())) return false;
          static_cast<AIGroup*>(arg)->Append(unit);
          unit->CancelMoveOrders();
          return true;
        },
        reserve, false);
  }
  if (made) {
    if (reserve->Count() > 0) {
      list->Append(reserve);
    } else {
      delete reserve;
    }
  }
  AssignGoals(context);
}
