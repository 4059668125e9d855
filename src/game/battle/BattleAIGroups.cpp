#include <algorithm>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "game/battle/AIGroup.h"
#include "game/battle/Battle.h"
#include "game/battle/ComputerPlayer.h"
#include "game/units/Unit.h"

namespace {

// A group record is at least its mode and its member count.
constexpr uint32_t kLeastGroupBytes = 6;

bool Refuse(GFile& file, const char* what, int32_t value) {
  GErrorLog::LogValue(what, value);
  file.SetError();
  return false;
}

void DeleteList(GObjectGroup*& list) {
  delete list;
  list = nullptr;
}

// A fresh list that owns its groups.
GObjectGroup* NewList() {
  auto* list = new GObjectGroup();
  list->IObjectGroup();
  list->SetOwnsMembers(true);
  return list;
}

}  // namespace

int32_t Battle::AIGroupCount(int32_t side) const {
  const GObjectGroup* list = aiGroups[static_cast<size_t>(side)];
  return list == nullptr ? 0 : list->Count();
}

AIGroup* Battle::AIGroupAt(int32_t side, int32_t index) const {
  return static_cast<AIGroup*>(aiGroups[static_cast<size_t>(side)]->GetItem(index));
}

void Battle::DeleteAIGroups() {
  for (auto& list : aiGroups) DeleteList(list);
  for (auto& list : aiGroupsRead_) DeleteList(list);
  for (auto& list : aiObjectives) DeleteList(list);
}

void Battle::ForgetAIObjectives() {
  for (auto& list : aiObjectives) DeleteList(list);
}

void Battle::AddUnitToAIGroups(GGroup& list) {
  if (list.Count() == 0) return;
  const int32_t side = static_cast<Unit*>(list.GetItem(0))->GetSideIndex();
  if (side < 0 || side > 1) FatalError(__LINE__, "Battle");
  GObjectGroup* groups = aiGroups[static_cast<size_t>(side)];
  if (groups == nullptr) return;
  auto* group = new AIGroup();
  group->Init();
  for (int32_t i = 0; i < list.Count(); ++i) group->Append(list.GetItem(i));
  groups->Append(group);
  if (attacker != side && attacker != 2) group->mode = AIGroup::kDefendingFree;
}

void Battle::ForEachAIGroup(Unit* unit) {
  const int32_t side = unit->GetSideIndex();
  if (side < 0 || side > 1) return;
  const int32_t count = AIGroupCount(side);
  for (int32_t i = 0; i < count; ++i) {
    AIGroup* group = AIGroupAt(side, i);
    if (group->Contains(unit)) {
      group->RemoveObject(unit, false);
      return;
    }
  }
}

void Battle::ReplaceInAIGroups(int32_t side, const Unit* from, Unit* to) {
  if (side < 0 || side > 1 || from == nullptr) return;
  const int32_t count = AIGroupCount(side);
  bool held = false;
  for (int32_t i = 0; i < count && !held; ++i) held = to != nullptr && AIGroupAt(side, i)->Contains(to);
  for (int32_t i = 0; i < count; ++i) {
    AIGroup* group = AIGroupAt(side, i);
    const int32_t index = group->IndexOf(from);
    if (index < 0) continue;
    // A unit already in a group is not listed twice: the other one only leaves.
    if (held || to == nullptr) group->RemoveAt(index, false);
    else group->ReplaceAt(index, to, false);
    return;
  }
}

void Battle::WriteAIGroups(GFile& file) const {
  for (const GObjectGroup* list : aiGroups) {
    file.WriteByte(list != nullptr ? 1 : 0);
    // The list's own stored form: its owns byte (always 1), its count and each group.
    if (list != nullptr) list->Write(file);
  }
}

bool Battle::ReadAIGroupLists(GFile& file, std::array<GObjectGroup*, 2>& lists) {
  std::array<GObjectGroup*, 2> read{};
  auto refuse = [&](const char* what, int32_t value) {
    for (auto& list : read) DeleteList(list);
    return Refuse(file, what, value);
  };
  for (auto& list : read) {
    const auto present = static_cast<uint8_t>(file.ReadByte());
    if (file.HasError()) return refuse("AI groups cut short", 0);
    if (present > 1) return refuse("AI groups present byte not 0 or 1:", present);
    if (present == 0) continue;
    list = NewList();
    const auto owns = static_cast<uint8_t>(file.ReadByte());
    if (owns > 1) return refuse("AI groups owns byte not 0 or 1:", owns);
    // A list always owns its groups, whatever an older file says.
    list->SetOwnsMembers(true);
    const uint32_t count = file.ReadU32();
    if (file.HasError()) return refuse("AI groups cut short", 0);
    if (count > file.BytesLeft() / kLeastGroupBytes) {
      return refuse("AI group count too large:", count > 0x7FFFFFFFu ? -1 : static_cast<int32_t>(count));
    }
    for (uint32_t i = 0; i < count; ++i) {
      auto* group = new AIGroup();
      group->Init();
      list->Append(group);
      group->Read(file);
      if (file.HasError()) return refuse("AI group refused:", static_cast<int32_t>(i));
    }
  }
  lists = read;
  return true;
}

bool Battle::ReadAIGroups(GFile& file) {
  std::array<GObjectGroup*, 2> read{};
  if (!ReadAIGroupLists(file, read)) return false;
  TakeAIGroupsRead(read);
  return true;
}

void Battle::TakeAIGroupsRead(const std::array<GObjectGroup*, 2>& lists) {
  for (auto& list : aiGroupsRead_) DeleteList(list);
  aiGroupsRead_ = lists;
}

bool Battle::ResolveAIGroups(GFile& file) {
  std::array<GObjectGroup*, 2> read = aiGroupsRead_;
  aiGroupsRead_ = {};
  if (setupPhase != 0 && (read[0] != nullptr || read[1] != nullptr)) {
    GErrorLog::LogError("AI groups of a battle in its set-up phase dropped");
    for (auto& list : read) DeleteList(list);
    return true;
  }
  for (auto& list : read) {
    if (list == nullptr) continue;
    for (int32_t g = list->Count() - 1; g >= 0; --g) {
      if (!static_cast<AIGroup*>(list->GetItem(g))->ResolveIds(*this)) {
        for (auto& each : read) DeleteList(each);
        file.SetError();
        return false;
      }
    }
    // One unit in two places of a side's lists would be planned twice.
    std::vector<const GObject*> members;
    for (int32_t g = 0; g < list->Count(); ++g) {
      const auto* group = static_cast<const AIGroup*>(list->GetItem(g));
      for (int32_t i = 0; i < group->Count(); ++i) members.push_back(group->GetItem(i));
    }
    std::sort(members.begin(), members.end());
    if (std::adjacent_find(members.begin(), members.end()) != members.end()) {
      for (auto& each : read) DeleteList(each);
      return Refuse(file, "AI groups hold a unit twice", 0);
    }
  }
  for (size_t side = 0; side < 2; ++side) {
    DeleteList(aiGroups[side]);
    aiGroups[side] = read[side];
  }
  return true;
}

bool Battle::PlanComputerSides(bool orders, int32_t decidedSide) {
  ComputerPlayer* planner = ComputerPlayer::Installed();
  if (planner == nullptr || planHost == nullptr) return false;
  for (int32_t side = 0; side < 2; ++side) {
    if (computerSides[static_cast<size_t>(side)] == 0) continue;
    if (orders && side != decidedSide && DecideSurrender(side)) return true;
    // The computer's orders are given quietly: no beep for a refused point, no level menu.
    planningComputer = 1;
    planner->PlanTurn(*this, side, *planHost);
    planningComputer = 0;
  }
  return false;
}
