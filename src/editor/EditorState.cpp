#include "editor/EditorState.h"

#include "framework/core/Quorl.h"
#include "game/battle/ReinforcementGroup.h"

const EditorState::ArrivalSlot& EditorState::At(int32_t side, int32_t slot) const {
  if (side < 0 || side > 1 || slot < 0 || slot >= kSlots) FatalError(__LINE__, "EditorState");
  return slots_[static_cast<size_t>(side)][static_cast<size_t>(slot)];
}

EditorState::ArrivalSlot& EditorState::Slot(int32_t side, int32_t slot) { return const_cast<ArrivalSlot&>(At(side, slot)); }

void EditorState::CopyReinforcementSettings(ReinforcementGroup& group, int32_t side, int32_t slot) const {
  const ArrivalSlot& from = At(side, slot);
  group.arrivalTurn = from.arrivalTurn;
  group.chance = from.chance;
  group.entryX = from.entryX;
  group.entryY = from.entryY;
}
