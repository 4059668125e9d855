// The computer's first turn: it readies its side's units (exit flags, units kept in place,
// hold orders, facings), rates its set-up zone's outlook, places its units, forms its groups
// (a defender's around its goals, an attacker's in wings along the front), then tidies its
// infantry and places its fortifications.
#include <memory>

#include "framework/core/GDynamicArray.h"
#include "framework/core/Quorl.h"
#include "game/ai/AIGoalGroup.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/ai/AISetupProfile.h"
#include "game/ai/AIProgressMeter.h"
#include "game/ai/AIOperationalShared.h"
#include "game/battle/AIGroup.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

// Game options: 10 the hidden set-up (a defender's infantry holds), 11 the computer places its
// units itself.
constexpr int32_t kOptionHold = 10;
constexpr int32_t kOptionComputerSetup = 11;
// Unit categories handed out to an attacker's groups, 12 taking every unit left.
constexpr int32_t kLastCategory = 12;

void RemoveAndDelete(GObjectGroup& list, AIGroup* group) {
  list.RemoveObject(group, false);
  delete group;
}

struct PlanArg {
  const AIPlanContext* context;
  const GDynamicArray* grid;
  AIGroup* placed;
  int32_t total;
};

int32_t ByRoleAndGoal(GObject* a, GObject* b, void* arg) {
  return AIOperational::CompareByRoleAndGoal(*static_cast<const AIPlanContext*>(arg), *static_cast<Unit*>(a),
                                             *static_cast<Unit*>(b));
}

int32_t ByNearOwnZone(GObject* a, GObject* b, void*) {
  const bool na = static_cast<AIGoalGroup*>(a)->nearOwnZone;
  const bool nb = static_cast<AIGoalGroup*>(b)->nearOwnZone;
  if (na == nb) return 0;
  return na ? 1 : -1;
}

bool TakeWithoutRole(GObject* member, void* arg) {
  auto* plan = static_cast<PlanArg*>(arg);
  auto* unit = static_cast<Unit*>(member);
  if (AIOperational::PlanningRole(*plan->context, *unit) != 0) return false;
  plan->placed->Append(unit);
  plan->context->StepMeter();
  return true;
}

bool AssignCallback(GObject* member, void* arg) {
  auto* plan = static_cast<PlanArg*>(arg);
  return AIOperational::AssignToNearestGoal(*plan->context, *static_cast<Unit*>(member), plan->total);
}

bool PlaceRoleCallback(GObject* member, void* arg) {
  auto* plan = static_cast<PlanArg*>(arg);
  return AIOperational::PlaceRoleUnit(*plan->context, *static_cast<Unit*>(member), *plan->grid, *plan->placed);
}

bool NotSquadOrLeaderCallback(GObject* member, void*) {
  return AIOperational::NotSquadOrPlatoonLeader(*static_cast<Unit*>(member));
}

bool IsLevelOneLeader(const Unit& unit) {
  const auto* infantry = unit.IsInfantry() ? unit.AsInfantryUnit() : nullptr;
  int32_t level = 0;
  return infantry != nullptr && infantry->GetLeaderLevel(&level) && level == 1;
}

// Every member of the group, in order, through the callback.
template <class Callback>
void ForEachUnit(GGroup& group, Callback callback) {
  for (int32_t i = 0; i < group.Count(); ++i) callback(*static_cast<Unit*>(group.GetItem(i)));
}

}  // namespace

int32_t AIOperational::PlanningRole(const AIPlanContext& context, const Unit& unit) {
  if (unit.IsVehicle()) {
    const auto* vehicle = unit.AsVehicleUnit();
    if ((vehicle != nullptr && vehicle->IsEmplacement()) || !unit.CanMove()) return 0;
    return unit.HasMainWeapon() || unit.CanFireAnyMachineGun() ? 4 : 0;
  }
  if (!unit.IsInfantry() || unit.HasMainWeaponOfType23(false) || !unit.CanMove()) return 0;
  if (unit.HasMainWeaponOfType23(true)) return context.defender ? 0 : 1;
  if (HasSpecialWeapon(unit, false)) return 2;
  if (unit.HasMainWeaponOfType5()) return 4;
  return 3;
}

int32_t AIOperational::CompareByRoleAndGoal(const AIPlanContext& context, const Unit& a, const Unit& b) {
  const int32_t ra = PlanningRole(context, a);
  const int32_t rb = PlanningRole(context, b);
  if (ra != rb) return ra < rb ? -1 : 1;
  float da = 0.0f;
  float db = 0.0f;
  NearestGoal(context, a.x, a.y, &da);
  NearestGoal(context, b.x, b.y, &db);
  if (da < db) return -1;
  if (da > db) return 1;
  return 0;
}

bool AIOperational::PlaceRoleUnit(const AIPlanContext& context, Unit& unit, const GDynamicArray& grid,
                                  AIGroup& placed) {
  const int32_t role = PlanningRole(context, unit);
  if (role != 0 && role != 1) return false;
  if (unit.setupZone != 7) PlaceInSetupZone(context, unit, grid, true);
  context.StepMeter();
  if (role != 0) return false;
  placed.Append(&unit);
  return true;
}

void AIOperational::PlaceUnitInZone(const AIPlanContext& context, Unit& unit, const GDynamicArray& grid) {
  if (unit.setupZone == 7 || PlanningRole(context, unit) == 1) return;
  // An attacker's platoon leaders are placed beside their squads later.
  if (!context.defender && IsLevelOneLeader(unit)) return;
  PlaceInSetupZone(context, unit, grid, false);
  context.StepMeter();
}

float AIOperational::SetupFacing(const Battle& battle, const Unit& unit) {
  int32_t edge = battle.FindEdgeOfSide(unit.GetSideIndex());
  const auto* vehicle = unit.IsVehicle() ? unit.AsVehicleUnit() : nullptr;
  // A gun that points to the rear faces the other way.
  if (vehicle != nullptr && vehicle->TrueClass().TraverseLimit(0) < 0) edge = (edge + 2) % 4;
  static constexpr float kAwayFromEdge[4] = {0.0f, 270.0f, 180.0f, 90.0f};
  return kAwayFromEdge[edge & 3];
}

void AIOperational::BuildGroups(const AIPlanContext& context) {
  Battle& battle = *context.battle;
  const int32_t side = context.side;
  const MapAppServices& app = battle.App();
  const auto& tiles = battle.map->terrain.tiles;

  // 1. The side's list, the group of every unit to place and the temporaries.
  auto* list = new GObjectGroup();
  list->Init();
  list->SetOwnsMembers(true);
  battle.aiGroups[static_cast<size_t>(side)] = list;
  AIGroup* placement = NewGroup(AIGroup::kFree);
  GGroup objects;
  objects.Init();
  objects.SetOwnsMembers(false);
  GDynamicArray grid;

  // 2. The side's living units, last to first.
  const bool exitEnabled = battle.exitScoring[side & 1] != 0;
  for (int32_t i = battle.UnitCount() - 1; i >= 0; --i) {
    Unit& unit = *battle.UnitAt(i);
    if (unit.GetSideIndex() != side || !unit.IsAlive()) continue;
    if (!exitEnabled) unit.countsForPoints = 0;
    if (unit.setupZone == 0 || !unit.MayRedeploy()) unit.setupZone = 7;
    const auto* infantry = unit.IsInfantry() ? unit.AsInfantryUnit() : nullptr;
    if (infantry != nullptr && infantry->carrier != nullptr && infantry->carrier->setupZone == 7) unit.setupZone = 7;
    if (unit.IsAirplane() || unit.IsPassenger()) {
      // Riders go with their vehicle; airplanes are not planned.
    } else if (unit.IsInanimate()) {
      if (unit.setupZone != 7) objects.Append(&unit);
    } else {
      placement->Append(&unit);
    }
    if (context.defender && app.GetOption(kOptionHold) != 0 && unit.IsInfantry()) unit.flagBytes[Unit::kHoldFlag] = 1;
    if (unit.setupZone != 7) unit.facing = SetupFacing(battle, unit);
  }

  // 3-4. The meter, the placement groups and the outlook grid.
  if (context.meter != nullptr) context.meter->SetSteps(objects.Count() + placement->Count() + 4);
  AIGroup* placed = NewGroup(AIGroup::kPlacement);
  list->Append(placed);
  list->Append(placement);
  grid.Init(2, tiles.Height(), tiles.Width());
  {
    const AISetupProfile::Timer timer(AISetupProfile::kOutlook);
    BuildOutlookGrid(context, grid);
  }
  context.StepMeter();

  const bool computerSetup = app.GetOption(kOptionComputerSetup) != 0;
  GGroup fixed;
  fixed.Init();
  fixed.SetOwnsMembers(false);
  GGroup squadsAndLeaders;
  squadsAndLeaders.Init();
  squadsAndLeaders.SetOwnsMembers(false);
  int32_t total = 0;
  PlanArg plan{&context, &grid, placed, 0};

  // 5. A defender keeps some units where they stand and sends its role-less ones to the
  // placement group and the rest of them to the nearest goal that needs them.
  if (context.defender) {
    ForEachUnit(*placement, [&](Unit& unit) {
      if (PlanningRole(context, unit) != 0) ++total;
    });
    plan.total = total;
    const Campaign* operation = context.operation;
    const bool firstBattle = operation == nullptr || operation->currentTurn == 1;
    const bool keepAll = !computerSetup && battle.forcePoints[0] == 0 && firstBattle;
    for (int32_t i = placement->Count() - 1; i >= 0; --i) {
      auto* unit = static_cast<Unit*>(placement->GetItem(i));
      if (unit->setupZone != 7 && !keepAll) continue;
      unit->setupZone = 7;
      fixed.Append(unit);
      placement->RemoveAt(i, false);
    }
    squadsAndLeaders.AppendGroup(*placement);
    squadsAndLeaders.RemoveIf(NotSquadOrLeaderCallback, nullptr, false);
    fixed.RemoveIf(TakeWithoutRole, &plan, false);
    fixed.Sort(ByRoleAndGoal, const_cast<AIPlanContext*>(&context));
    const AISetupProfile::Timer timer(AISetupProfile::kGarrisons);
    fixed.RemoveIf(AssignCallback, &plan, false);
  }

  // 6-7. The units to place wait off the map; guns and role-less units are placed first.
  if (computerSetup) ForEachUnit(*placement, [](Unit& unit) { ParkUnit(unit); });
  {
    const AISetupProfile::Timer timer(AISetupProfile::kRolePlacement);
    placement->RemoveIf(PlaceRoleCallback, &plan, false);
  }

  if (context.defender) {
    // 8. Garrisons first, then the rest in the zone, each in a group of its own merged with
    // the nearest.
    placement->Sort(ByRoleAndGoal, const_cast<AIPlanContext*>(&context));
    GObjectGroup* goals = context.Objectives();
    if (goals != nullptr) {
      for (int32_t k = 0; k < goals->Count(); ++k) static_cast<AIGoalGroup*>(goals->GetItem(k))->SurveyZones(context);
    }
    GObjectGroup order;
    order.Init();
    order.SetOwnsMembers(false);
    if (goals != nullptr) order.AppendGroup(*goals);
    order.Shuffle();
    order.Sort(ByNearOwnZone, nullptr);
    {
      const AISetupProfile::Timer timer(AISetupProfile::kGarrisons);
      GarrisonGoals(context, total, order, *placement, grid);
    }
    {
      const AISetupProfile::Timer timer(AISetupProfile::kUnitPlacement);
      ForEachUnit(*placement, [&](Unit& unit) { PlaceUnitInZone(context, unit, grid); });
    }
    placement->AppendGroup(fixed);
    GObjectGroup singles;
    singles.Init();
    singles.SetOwnsMembers(false);
    ForEachUnit(*placement, [&](Unit& unit) { MakeSingleUnitGroup(unit, singles); });
    RemoveAndDelete(*list, placement);
    placement = nullptr;
    MergeClosestGroups(context, singles);
    list->AppendGroup(singles);
    if (placed->Count() == 0) RemoveAndDelete(*list, placed);
    {
      const AISetupProfile::Timer timer(AISetupProfile::kSquadsAndLeaders);
      ReuniteSquadsWithLeaders(context, squadsAndLeaders);
      OrderPlatoons(context);
      for (int32_t g = 0; g < list->Count(); ++g) {
        PlaceLeadersOfGroup(context, *static_cast<AIGroup*>(list->GetItem(g)), grid);
      }
    }
    context.StepMeter();
  } else {
    // 9. An attacker's one to three groups take the units category by category in wings
    // along the front.
    placement->Shuffle();
    const GObjectGroup* goals = context.Objectives();
    const int32_t groupCount = AttackerGroupCount(goals != nullptr ? goals->Count() : 0);
    if (groupCount < 1 || groupCount > 3) FatalError(5634, "AIOperational");
    AIGroup* groups[3] = {};
    for (int32_t g = 0; g < groupCount; ++g) {
      groups[g] = NewGroup(AIGroup::kFree);
      list->Append(groups[g]);
    }
    if (computerSetup) {
      {
        const AISetupProfile::Timer timer(AISetupProfile::kUnitPlacement);
        ForEachUnit(*placement, [&](Unit& unit) { PlaceUnitInZone(context, unit, grid); });
      }
      const AISetupProfile::Timer timer(AISetupProfile::kSquadsAndLeaders);
      OrderPlatoons(context);
      ForEachUnit(*placement, [&](Unit& unit) { PlaceLeaderWithSquads(context, unit, grid); });
    }
    context.StepMeter();
    for (int32_t category = 0; category <= kLastCategory; ++category) {
      DistributeUnits(context, *placement, groups, groupCount, category);
    }
    RemoveAndDelete(*list, placement);
    placement = nullptr;
  }

  // 10. Riders stand with their vehicles and the leaders' links are found again; the
  // fortifications, the levels and the riders' groups.
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    Unit& unit = *battle.UnitAt(i);
    auto* infantry = unit.IsInfantry() ? unit.AsInfantryUnit() : nullptr;
    if (infantry != nullptr && unit.GetSideIndex() == side && unit.setupZone != 7) {
      infantry->SyncPositionWithLinkedUnit(false);
    }
  }
  RefreshLeaderLinks(battle);
  context.StepMeter();
  if (objects.Count() > 0 && computerSetup) {
    const AISetupProfile::Timer timer(AISetupProfile::kFortifications);
    PlaceAllFortifications(context, objects);
  }
  for (int32_t i = 0; i < battle.UnitCount(); ++i) ChooseStartLevel(context, *battle.UnitAt(i));
  for (int32_t i = 0; i < battle.UnitCount(); ++i) JoinVehicleGroup(context, *battle.UnitAt(i));
  context.StepMeter();
}
