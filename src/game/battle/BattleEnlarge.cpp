// Force enlargement: one side's force grows by a percentage of its purchase value, in copies
// of units drawn at random from it.
#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleBase.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/tables/UnitCodes.h"

namespace {

constexpr int32_t kMaxOvershoots = 300;

Unit* AsUnit(GObject* member) { return static_cast<Unit*>(member); }

int32_t Cost(const Unit& unit) { return static_cast<int32_t>(unit.GetPurchaseCost()); }

bool HasLeaderLevel(const Unit& unit) {
  const InfantryServices* infantry = unit.AsInfantry();
  return infantry != nullptr && infantry->GetClassData().LeaderLevel() >= 1;
}

bool IsSquad(const Unit& unit) {
  const InfantryServices* infantry = unit.AsInfantry();
  return infantry != nullptr && infantry->IsSquad();
}

// A new unit of the drawn one's kind, class, nationality and rating.
Unit* NewLike(const Unit& drawn) {
  return CreateUnit(drawn.kind, drawn.classIndex, drawn.nationalityCode, drawn.rating);
}

// The candidates: the list's units of the side that are not squads, not owned.
void FillCandidates(GGroup& candidates, GGroup& list, int32_t side) {
  candidates.DeleteAll(false);
  for (int32_t i = 0; i < list.Count(); ++i) {
    Unit* unit = AsUnit(list.GetItem(i));
    if (unit->GetSideIndex() == side && !IsSquad(*unit)) candidates.Append(unit);
  }
}

}  // namespace

int32_t BattleBase::EnlargeUnitList(GGroup& list, int32_t side, int32_t percent) {
  int32_t total = 0;
  for (int32_t i = 0; i < list.Count(); ++i) {
    const Unit& unit = *AsUnit(list.GetItem(i));
    if (unit.GetSideIndex() == side) total += Cost(unit);
  }
  const auto target = static_cast<int32_t>(static_cast<double>(total) * (1.0 + percent * 0.01));
  if (target <= total) return 0;
  // The id scheme names at most this many units of the list.
  const int32_t limit = &list == &units ? kMaxMapUnits : kMaxGroupUnits;
  GGroup candidates;
  candidates.IGroup();
  candidates.SetOwnsMembers(false);
  int32_t added = 0;
  int32_t overshoots = 0;
  while (overshoots < kMaxOvershoots) {
    if (candidates.Count() == 0) {
      FillCandidates(candidates, list, side);
      if (candidates.Count() == 0) break;
    }
    const int32_t pick = Random(candidates.Count());
    Unit* drawn = AsUnit(candidates.GetItem(pick));
    candidates.RemoveAt(pick, false);
    Unit* copy = NewLike(*drawn);
    const bool leader = HasLeaderLevel(*drawn);
    // A leader's value stands for his subordinates too, which come with him untested.
    const int32_t value = Cost(*copy) * (leader ? 4 : 1);
    // A copy worth nothing would never overshoot and could be made without end: it counts
    // as an overshoot instead.
    if (value <= 0 || total + value > target || list.Count() >= limit) {
      delete copy;
      ++overshoots;
      continue;
    }
    total += value;
    copy->setupZone = drawn->setupZone;
    copy->CheckPlacement(drawn->x, drawn->y, true, true, false);
    list.Append(copy);
    ++added;
    if (!leader) continue;
    for (int32_t i = 0; i < list.Count() && list.Count() < limit; ++i) {
      Unit* follower = AsUnit(list.GetItem(i));
      InfantryServices* infantry = follower->AsInfantry();
      if (infantry == nullptr || infantry->GetLeaderReference() != drawn) continue;
      Unit* twin = NewLike(*follower);
      twin->setupZone = follower->setupZone;
      twin->CheckPlacement(follower->x, follower->y, true, true, false);
      list.Append(twin);
      ++added;
      if (InfantryServices* twinInfantry = twin->AsInfantry()) twinInfantry->SetLeaderReference(copy);
    }
  }
  return added;
}

void BattleBase::EnlargeForce(int32_t value) {
  if (value == 0) return;
  const int32_t side = value < 0 ? 0 : 1;
  const int32_t percent = value < 0 ? -value : value;
  EnlargeUnitList(units, side, percent);
  for (int32_t g = 0; g < reinforcements[side].Count(); ++g) EnlargeUnitList(GroupUnits(side, g), side, percent);
  Unit::ResetNamingState();
  for (int32_t i = 0; i < units.Count(); ++i) NameUnit(*UnitAt(i));
  for (int32_t g = 0; g < reinforcements[side].Count(); ++g) {
    GGroup& list = GroupUnits(side, g);
    for (int32_t i = 0; i < list.Count(); ++i) NameUnit(*AsUnit(list.GetItem(i)));
  }
}

void Battle::EnlargeForce(int32_t value) {
  forceEnlargement = value;
  if (value == 0) return;
  // The enlargement is the play balance the players chose: each is told of it once, and the
  // flags keep the notices still owed in the stored battle.
  enlargementFlags[0] = 1;
  enlargementFlags[1] = 1;
  playBalance = value;
  playBalanceNotice[0] = 1;
  playBalanceNotice[1] = 1;
  BattleBase::EnlargeForce(value);
}

bool Battle::TakePlayBalanceNotice(int32_t side) {
  if (side < 0 || side > 1 || playBalanceNotice[side] == 0) return false;
  playBalanceNotice[side] = 0;
  if (forceEnlargement != 0) enlargementFlags[side] = 0;
  return true;
}
