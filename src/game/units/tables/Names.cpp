#include "game/units/tables/Names.h"

#include "framework/core/GString.h"
#include "framework/core/Quorl.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/vehicle/Vehicle.h"

std::array<Names::SideDesignation, 2> Names::gSides{};
std::array<std::array<uint8_t, SurnameList::kLongest>, SurnameList::kGroups> Names::gUsed{};
uint16_t Unit::gDesignationCounter = 0;

namespace {

// Up to 5000 draws for a name not yet given; the first free one is marked. False when every
// draw hit a given name (the last draw stays in index, unmarked).
bool DrawFreeName(std::array<uint8_t, SurnameList::kLongest>& used, int32_t count, int16_t& index) {
  for (int32_t i = 0; i < Names::kTries; ++i) {
    const int32_t drawn = Random(count);
    index = static_cast<int16_t>(drawn);
    if (used[static_cast<size_t>(drawn)] == 0) {
      used[static_cast<size_t>(drawn)] = 1;
      return true;
    }
  }
  return false;
}

}  // namespace

void Names::AssignLeaderName(Unit& unit) {
  const int32_t group = unit.GetKindGroup();
  if (group < 0 || group >= SurnameList::kGroups) FatalError(__LINE__, "Names.cpp");
  const int32_t count = SurnameList::OfGroup(group).Count();
  auto& used = gUsed[static_cast<size_t>(group)];
  if (unit.leaderName != -1) {
    if (!DrawFreeName(used, count, unit.leaderName)) used.fill(0);
  }
  InfantryServices* infantry = unit.IsInfantry() ? unit.AsInfantry() : nullptr;
  if (infantry != nullptr && infantry->IsSquad()) {
    int16_t second = infantry->GetSecondLeaderName();
    DrawFreeName(used, count, second);
    infantry->SetSecondLeaderName(second);
  }
}

const char* Names::RankAbbreviation(int32_t set, int32_t rank) {
  static constexpr const char* kRanks[3][6] = {{"Obg", "Unt", "Lt", "Hpt", "Maj", "Obt"},
                                               {"Rot", "Unt", "Osf", "Hsf", "Sbf", "Obf"},
                                               {"Cpl", "Sgt", "Lt", "Cpt", "Maj", "Col"}};
  if (set < 0 || set > 2 || rank < 0 || rank > 5) FatalError(__LINE__, "Names.cpp");
  return kRanks[set][rank];
}

void Names::AppendLeaderName(const Unit& unit, GString& text, bool withRank) {
  if (unit.leaderName > SurnameList::kLongest - 1) FatalError(__LINE__, "Names.cpp");
  const InfantryServices* infantry = unit.IsInfantry() ? unit.AsInfantry() : nullptr;
  // A crew on foot shows the name of the unit it came from.
  if (infantry != nullptr && infantry->GetOriginUnit() != nullptr) {
    AppendLeaderName(*infantry->GetOriginUnit(), text, withRank);
    return;
  }
  const int32_t group = unit.GetKindGroup();
  if (!withRank) {
    text.Clear();
  } else {
    const int32_t set = group == 0 ? (unit.nationalityCode == 8 ? 1 : 0) : 2;
    int32_t rank = 0;
    if (!unit.IsInfantry() || infantry == nullptr) {
      rank = unit.HasMainWeapon() ? 1 : 0;
    } else {
      const Unit* partner = infantry->GetSplitPartner();
      if (partner == nullptr || partner->alive == 0) {
        rank = infantry->GetClassData().LeaderLevel() + 1;
        if (rank == 1 && !infantry->IsSquad()) rank = unit.HasMainWeaponOfType5() ? 2 : 0;
      }
    }
    text.Assign(RankAbbreviation(set, rank));
    text.AppendChar(' ');
  }
  if (unit.leaderName < 0) {
    if (unit.GetCustomName() != nullptr) text.Append(*unit.GetCustomName());
    return;
  }
  const SurnameList& list = SurnameList::OfGroup(group);
  const std::string_view name = list.Name(unit.leaderName % list.Count());
  for (char c : name) text.AppendChar(c);
}

void Unit::ResetNamingState() {
  for (auto& side : Names::gSides) side = Names::SideDesignation{};
  gDesignationCounter = 0;
  for (auto& row : Names::gUsed) row.fill(0);
  Vehicle::ResetDesignations();  // each side's vehicles count from V-1 again
}
