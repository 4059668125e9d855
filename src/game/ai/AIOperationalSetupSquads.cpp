// Tidying the computer's infantry at set-up: squads trade places with other units to stand
// (and group) with their own leader, platoons gather around their first squad, and each
// level-1 leader stands a few metres from the middle squad of those it leads.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "framework/core/GDynamicArray.h"
#include "framework/core/Quorl.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/ai/AIProgressMeter.h"
#include "game/ai/AIOperationalShared.h"
#include "game/battle/AIGroup.h"
#include "game/battle/Battle.h"
#include "game/map/Map.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"

namespace {

constexpr int32_t kLeaderTries = 1000;

Infantry* InfantryOfPointer(Unit* unit) {
  return unit != nullptr && unit->IsInfantry() ? unit->AsInfantryUnit() : nullptr;
}

bool IsLevelOneLeaderInfantry(const Infantry& infantry) {
  int32_t level = 0;
  return infantry.GetLeaderLevel(&level) && level == 1;
}

// The unit itself, or the vehicle it rides.
Unit* Bearer(Unit* unit) {
  Infantry* infantry = InfantryOfPointer(unit);
  return infantry != nullptr && infantry->carrier != nullptr ? infantry->carrier : unit;
}

struct ReuniteFilter {
  GGroup* units;
};

bool DropFromReunion(GObject* member, void* arg) {
  auto* unit = static_cast<Unit*>(member);
  if (unit->setupZone == 7 || !unit->IsInfantry() || unit->IsPassenger()) return true;
  Infantry* infantry = InfantryOfPointer(unit);
  if (infantry->IsSquad()) return infantry->commandingLeader == infantry->platoonLeader;
  GGroup& units = *static_cast<ReuniteFilter*>(arg)->units;
  for (int32_t k = 0; k < units.Count(); ++k) {
    Infantry* squad = InfantryOfPointer(static_cast<Unit*>(units.GetItem(k)));
    if (squad != nullptr && squad->IsSquad() && squad->commandingLeader == unit) return true;
  }
  return false;
}

// u (in group gU) and x (in gX) trade positions and groups.
void TradePlaces(Unit& u, AIGroup& gU, Unit& x, AIGroup& gX) {
  const float ux = u.x;
  const float uy = u.y;
  u.SetPosition(x.x, x.y);
  x.SetPosition(ux, uy);
  gU.Append(&x);
  gU.RemoveObject(&u, false);
  gX.Append(&u);
  gX.RemoveObject(&x, false);
}

// The first member of the group other than skip that is in the list and has the zone number.
Unit* FindTradePartner(AIGroup& group, const Unit* skip, GGroup& list, int32_t zone) {
  for (int32_t k = 0; k < group.Count(); ++k) {
    Unit* candidate = group.UnitAt(k);
    if (candidate != skip && candidate->setupZone == zone && list.Contains(candidate)) return candidate;
  }
  return nullptr;
}

}  // namespace

void AIOperational::RefreshLeaderLinks(Battle& battle) {
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    Infantry* infantry = InfantryOfPointer(battle.UnitAt(i));
    if (infantry != nullptr) infantry->FindCommandingLeader();
  }
}

AIGroup* AIOperational::GroupHolding(const AIPlanContext& context, const Unit* unit) {
  const Battle& battle = *context.battle;
  for (int32_t g = 0; g < battle.AIGroupCount(context.side); ++g) {
    AIGroup* group = battle.AIGroupAt(context.side, g);
    if (group->Contains(unit)) return group;
  }
  return nullptr;
}

void AIOperational::ReuniteSquadsWithLeaders(const AIPlanContext& context, GGroup& units) {
  Battle& battle = *context.battle;
  RefreshLeaderLinks(battle);
  ReuniteFilter filter{&units};
  units.RemoveIf(DropFromReunion, &filter, false);
  bool traded = true;
  while (traded) {
    traded = false;
    for (int32_t i = 0; i < units.Count() && !traded; ++i) {
      Infantry* squad = InfantryOfPointer(static_cast<Unit*>(units.GetItem(i)));
      if (squad == nullptr) FatalError(4504, "AIOperational");
      Unit* leader = squad->platoonLeader;
      if (!squad->IsSquad() || leader == nullptr || squad->IsPassenger()) continue;
      AIGroup* squadGroup = GroupHolding(context, squad);
      AIGroup* leaderGroup = GroupHolding(context, leader);
      if (squadGroup == nullptr) FatalError(4515, "AIOperational");
      if (leaderGroup == nullptr) FatalError(4516, "AIOperational");
      if (squadGroup == leaderGroup) continue;
      Unit* partner = FindTradePartner(*leaderGroup, leader, units, squad->setupZone);
      if (partner != nullptr) {
        TradePlaces(*squad, *squadGroup, *partner, *leaderGroup);
      } else if (units.Contains(leader)) {
        partner = FindTradePartner(*squadGroup, squad, units, leader->setupZone);
        if (partner == nullptr) continue;
        TradePlaces(*leader, *leaderGroup, *partner, *squadGroup);
      } else {
        continue;
      }
      units.RemoveObject(squad, false);
      units.RemoveObject(leader, false);
      Infantry* moved = InfantryOfPointer(partner);
      if (moved != nullptr) {
        moved->FindCommandingLeader();
        if (moved->commandingLeader == moved->platoonLeader) units.RemoveObject(partner, false);
      }
      traded = true;
    }
  }
  RefreshLeaderLinks(battle);
}

void AIOperational::OrderPlatoons(const AIPlanContext& context) {
  const Battle& battle = *context.battle;
  const Map& map = *battle.map;
  std::vector<Unit*> firsts;
  std::vector<Unit*> squads;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    Unit* unit = battle.UnitAt(i);
    Infantry* infantry = InfantryOfPointer(unit);
    if (infantry == nullptr || !infantry->IsSquad() || unit->GetSideIndex() != context.side || unit->setupZone == 7) {
      continue;
    }
    squads.push_back(unit);
    if (unit->GetDesignationNumber() == 1) firsts.push_back(unit);
  }
  std::stable_sort(firsts.begin(), firsts.end(), [](const Unit* a, const Unit* b) { return a->designation < b->designation; });
  const auto zoneAt = [&map](const Unit& unit) {
    const auto tx = static_cast<int32_t>(unit.x * 0.05f);
    const auto ty = static_cast<int32_t>(unit.y * 0.05f);
    return map.terrain.tiles.Contains(tx, ty) ? map.terrain.tiles.At(tx, ty).zone : 0;
  };
  for (Unit* ref : firsts) {
    const int32_t letter = ref->GetLetterCode();
    std::stable_sort(squads.begin(), squads.end(),
                     [ref](const Unit* a, const Unit* b) { return a->DistanceTo(*ref) < b->DistanceTo(*ref); });
    for (size_t i = 0; i + 1 < squads.size(); ++i) {
      Unit* a = squads[i];
      if (a->GetLetterCode() == letter) continue;
      bool platoonGoesOn = false;
      for (size_t j = i + 1; j < squads.size(); ++j) {
        Unit* b = squads[j];
        if (b->GetLetterCode() != letter) continue;
        platoonGoesOn = true;
        if (a->setupZone != b->setupZone) continue;
        if (a->setupZone == 0 && (zoneAt(*a) == 0 || zoneAt(*b) == 0)) continue;
        Unit* aBearer = Bearer(a);
        Unit* bBearer = Bearer(b);
        if (!aBearer->CanStandAt(bBearer->x, bBearer->y, true) || !bBearer->CanStandAt(aBearer->x, aBearer->y, true)) {
          continue;
        }
        std::swap(squads[i], squads[j]);
        const float ax = aBearer->x;
        const float ay = aBearer->y;
        aBearer->SetPosition(bBearer->x, bBearer->y);
        bBearer->SetPosition(ax, ay);
        if (context.defender) {
          AIGroup* aGroup = GroupHolding(context, aBearer);
          AIGroup* bGroup = GroupHolding(context, bBearer);
          if (aGroup == nullptr) FatalError(5108, "AIOperational");
          if (bGroup == nullptr) FatalError(5111, "AIOperational");
          if (aGroup != bGroup) {
            aGroup->RemoveObject(aBearer, false);
            bGroup->RemoveObject(bBearer, false);
            aGroup->Append(bBearer);
            bGroup->Append(aBearer);
          }
        }
        break;
      }
      if (!platoonGoesOn) break;
    }
  }
}

bool AIOperational::PlaceLeaderWithSquads(const AIPlanContext& context, Unit& leader, const GDynamicArray& grid) {
  Infantry* infantry = InfantryOfPointer(&leader);
  if (infantry == nullptr || !IsLevelOneLeaderInfantry(*infantry) || leader.setupZone == 7) return false;
  Battle& battle = *context.battle;
  std::vector<Unit*> led;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    Infantry* squad = InfantryOfPointer(battle.UnitAt(i));
    if (squad != nullptr && squad->platoonLeader == &leader) led.push_back(squad);
  }
  if (led.empty()) {
    PlaceInSetupZone(context, leader, grid, false);
    context.StepMeter();
    return false;
  }
  Unit* middle = nullptr;
  float bestSum = kFar;
  for (Unit* candidate : led) {
    float sum = 0.0f;
    for (Unit* other : led) {
      if (other != candidate) sum += candidate->DistanceTo(*other);
    }
    if (sum < bestSum) {
      bestSum = sum;
      middle = candidate;
    }
  }
  const double angle = static_cast<double>(middle->facing) * 0.017453292519444445;
  const float r = 5.0f + RandomFloatTimes(25.0f);
  const auto aimX = static_cast<float>(middle->x + std::cos(angle) * r);
  const auto aimY = static_cast<float>(middle->y + std::sin(angle) * r);
  const float homeX = leader.x;
  const float homeY = leader.y;
  const Map& map = *battle.map;
  bool placed = false;
  for (int32_t tries = 1;; ++tries) {
    const float px = aimX + RandomFloatTimes(60.0f) - 30.0f;
    const float py = aimY + RandomFloatTimes(60.0f) - 30.0f;
    leader.SetPosition(px, py);
    if (tries >= kLeaderTries) break;
    if (tries < 500 && !map.IsConcealingAt(px, py, tries < 250)) continue;
    if (!leader.CanStandAt(px, py, true) || !map.IsOnMap(px, py) || !leader.CanDeployAt(px, py)) continue;
    if (!leader.IsPlacementBlockedAt(px, py, 0.0f, false)) {
      placed = true;
      break;
    }
  }
  if (!placed) {
    leader.SetPosition(homeX, homeY);
    // A leader that was waiting off the map would spend the battle there: it takes the best
    // place of its zone instead.
    if (leader.x >= kParkOffset) PlaceInSetupZone(context, leader, grid, false);
  }
  if (context.defender) {
    AIGroup* own = GroupHolding(context, &leader);
    AIGroup* squadGroup = GroupHolding(context, middle);
    if (own == nullptr) FatalError(5358, "AIOperational");
    if (squadGroup == nullptr) FatalError(5360, "AIOperational");
    if (own != squadGroup) {
      squadGroup->Append(&leader);
      return true;
    }
  }
  context.StepMeter();
  return false;
}

namespace {

struct LeaderPlacement {
  const AIPlanContext* context;
  const GDynamicArray* grid;
};

bool PlaceLeaderCallback(GObject* member, void* arg) {
  const auto* placement = static_cast<const LeaderPlacement*>(arg);
  return AIOperational::PlaceLeaderWithSquads(*placement->context, *static_cast<Unit*>(member), *placement->grid);
}

}  // namespace

void AIOperational::PlaceLeadersOfGroup(const AIPlanContext& context, AIGroup& group, const GDynamicArray& grid) {
  LeaderPlacement placement{&context, &grid};
  group.RemoveIf(PlaceLeaderCallback, &placement, false);
}

void AIOperational::JoinVehicleGroup(const AIPlanContext& context, Unit& unit) {
  Infantry* infantry = InfantryOfPointer(&unit);
  if (infantry == nullptr || !unit.IsAlive() || unit.GetSideIndex() != context.side || infantry->carrier == nullptr) {
    return;
  }
  AIGroup* group = GroupHolding(context, infantry->carrier);
  if (group == nullptr) FatalError(5441, "AIOperational");
  group->Append(&unit);
}
