#include "game/ai/AIPlanContext.h"

#include "game/ai/AIGoalGroup.h"
#include "game/battle/Battle.h"

GObjectGroup* AIPlanContext::Objectives() const {
  return battle == nullptr ? nullptr : battle->aiObjectives[static_cast<size_t>(side & 1)];
}

AIGoalGroup* AIPlanContext::Goal(int32_t k) const {
  const GObjectGroup* goals = Objectives();
  if (goals == nullptr || k < 0 || k >= goals->Count()) return nullptr;
  return static_cast<AIGoalGroup*>(goals->GetItem(k));
}
