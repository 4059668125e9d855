#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "framework/core/GObjectGroup.h"
#include "framework/core/Quorl.h"
#include "game/ai/AIGoalGroup.h"
#include "game/ai/AIGroupPlan.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/ai/AIProgressMeter.h"
#include "game/ai/UnitPlan.h"
#include "game/ai/AIOperationalShared.h"
#include "game/battle/AIGroup.h"
#include "game/battle/Battle.h"
#include "game/map/Map.h"
#include "game/map/PlanningMath.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/orders/Waypoint.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/ports/VehicleServices.h"

namespace {

// The searches held ahead for each worker thread.
constexpr int32_t kAskedPerThread = 3;
// Past a spread not drawn yet, the units guessed at most.
constexpr int32_t kUnknownUnits = 24;

// The answer to the weapon query with a selector: non-zero when the unit has that weapon.
int32_t QueryWeaponResult(const Unit& unit, int32_t selector) {
  int32_t weapon = Infantry::kNoWeapon;
  int32_t type = 0;
  if (const auto* infantry = unit.AsInfantryUnit()) return infantry->QueryWeaponGrade(weapon, type, selector);
  unit.QueryWeapon(selector, weapon, type);
  return weapon != Infantry::kNoWeapon ? 1 : 0;
}

int32_t NearestFirst(GObject* a, GObject* b, void*) {
  const float da = static_cast<UnitPlan*>(a)->distance;
  const float db = static_cast<UnitPlan*>(b)->distance;
  return da > db ? 1 : (da < db ? -1 : 0);
}

int32_t HighestRankFirst(GObject* a, GObject* b, void*) {
  const float ra = static_cast<UnitPlan*>(a)->rank;
  const float rb = static_cast<UnitPlan*>(b)->rank;
  return ra < rb ? 1 : (ra > rb ? -1 : 0);
}

int32_t HighestScoreBFirst(GObject* a, GObject* b, void*) {
  const float sa = static_cast<UnitPlan*>(a)->scoreB;
  const float sb = static_cast<UnitPlan*>(b)->scoreB;
  return sa < sb ? 1 : (sa > sb ? -1 : 0);
}

// The first round: a unit within the limit looks for a better place when keen to press on.
bool FirstRoundStep(int32_t index, GObject* member, void* arg) {
  const AIGroupPlan& plan = *static_cast<AIGroupPlan*>(arg);
  if (index >= plan.limit) return false;
  const UnitPlan& record = *static_cast<UnitPlan*>(member);
  bool search = record.scoreA > 3.0f;
  if (!search && record.scoreA >= 2.0f + RandomFloatTimes(0.2f)) search = record.scoreB < 2.3f + RandomFloatTimes(0.4f);
  if (!search || !record.unit->FindBestNearbyCell(true, false)) return false;
  plan.Step();
  return true;
}

// The second round: by the second score, units go forward to the objective.
bool SecondRoundStep(int32_t index, GObject* member, void* arg) {
  AIGroupPlan& plan = *static_cast<AIGroupPlan*>(arg);
  plan.AskAhead(index, AIGroupPlan::Round::kSecond);
  const UnitPlan& record = *static_cast<UnitPlan*>(member);
  Unit& unit = *record.unit;
  bool forward = index < plan.limit && RandomFloat() < record.scoreB * 0.8f - 1.3f;
  if (!forward) forward = unit.IsVehicle() && IsPavedTerrain(unit.GetTerrainHere());
  if (!forward) return false;
  bool close = false;
  if (!AIOperational::AdvanceOnGoal(plan.context, unit, plan.goal, &close)) return false;
  if (close && AIOperational::EnemyThreatNear(plan.context, unit)) {
    unit.CancelMoveOrders();
    return false;
  }
  plan.advanced.Append(&unit);
  plan.Step();
  return true;
}

// A moving squad of the unit's side that can fight within the support radius of it.
bool MovingSquadNear(const AIPlanContext& context, const Unit& unit) {
  const Battle& battle = *context.battle;
  for (int32_t k = 0; k < battle.UnitCount(); ++k) {
    const Unit* other = battle.UnitAt(k);
    if (!IsSquad(*other) || other->side != unit.side || !other->IsAlive() || !other->HasMoveOrder() ||
        !other->CanFight()) {
      continue;
    }
    if (other->DistanceTo(unit) <= context.supportRadius) return true;
  }
  return false;
}

// A squad of more than four men goes forward too.
bool StrongSquadForward(int32_t index, GObject* member, void* arg) {
  AIGroupPlan& plan = *static_cast<AIGroupPlan*>(arg);
  plan.AskAhead(index, AIGroupPlan::Round::kStrongSquads);
  Unit& unit = *static_cast<UnitPlan*>(member)->unit;
  if (!IsSquad(unit) || unit.GetMenPresent() <= 4) return false;
  return AIOperational::AdvanceOnGoal(plan.context, unit, plan.goal, nullptr);
}

}  // namespace

AIGroupPlan::AIGroupPlan(const AIPlanContext& planContext, AIGroup& planned) : context(planContext), group(planned) {
  plans.Init();
  advanced.Init();
  advanced.SetOwnsMembers(false);
}

void AIGroupPlan::AskAhead(int32_t index, Round round) {
  Map* map = context.battle->map;
  if (map == nullptr || !map->routes.ahead.Active() || goal == nullptr) return;
  MapRouteAhead& ahead = map->routes.ahead;
  // Enough searches to keep every worker busy while the plan waits on the next.
  const size_t wanted = static_cast<size_t>(kAskedPerThread * ahead.Threads());
  std::vector<MapRouteAhead::Key> asking;
  const uint32_t generator = RandomState();
  const RandomBoundObserver observer = SetRandomBoundObserver(nullptr);
  // The waypoints of the units given their orders here for a while, put back at the end.
  struct Kept {
    Unit* unit;
    int32_t count;
    std::array<Waypoint, Unit::kWaypointEntries> points;
  };
  std::vector<Kept> kept;
  // Whether the draws so far are those the units will make.
  bool drawsKnown = true;
  // Past a spread not drawn yet: the generator as it may stand after it, one a sample.
  std::array<uint32_t, kSamples> samples{};
  int32_t unknownLeft = kUnknownUnits;
  // The units from index on draw as they will, as far as the draws can be known.
  for (int32_t j = index; j < plans.Count() && asking.size() < wanted; ++j) {
    const UnitPlan& record = *At(j);
    Unit& unit = *record.unit;
    if (!drawsKnown) {
      if (--unknownLeft < 0) break;
      const MapRouteAhead::Key key = GuessUnknown(j, round, samples);
      if (key.moveClass >= 0 && std::find(asking.begin(), asking.end(), key) == asking.end()) asking.push_back(key);
      continue;
    }
    if (!GoesForward(j, round)) continue;
    const AIOperational::Advance advance = AIOperational::ChooseAdvance(context, unit, goal);
    if (advance.kind != AIOperational::Advance::kMoves) continue;
    const MapRouteAhead::Key key = map->AskRoute(unit, unit.x, unit.y, advance.x, advance.y);
    if (key.moveClass >= 0 && std::find(asking.begin(), asking.end(), key) == asking.end()) asking.push_back(key);
    const bool spreads = AIOperational::MoveSpreads(unit, advance.spread);
    // A route a worker has found already is ordered as the move will order it, so that the
    // units after it see its waypoints (a friend's waypoint draws them) and the spread draws
    // what the order will draw (an armoured unit's order adds a waypoint at its target first,
    // and is not guessed). Until a spread route is known the draws after it are not known:
    // the units after it are guessed on samples of the generator as it may then stand.
    const MapRouteAhead::Answer* answer = key.moveClass >= 0 ? ahead.Finished(key) : nullptr;
    if (answer == nullptr || (unit.IsArmored(false) && unit.target != nullptr)) {
      if (!spreads) continue;
      drawsKnown = false;
      const uint32_t before = RandomState();
      for (size_t k = 0; k < samples.size(); ++k) {
        SeedRandom(before);
        for (int32_t draw = 0; draw < kSampleDraws[k]; ++draw) RandomFloat();
        samples[k] = RandomState();
      }
      continue;
    }
    kept.push_back(Kept{&unit, unit.waypointCount, unit.waypoints});
    if (answer->result != Map::kRouteFound || answer->points.count <= 0) {
      unit.waypointCount = 0;
      continue;
    }
    PathPoints route = answer->points;
    unit.SetPathWaypoints(route, AIOperational::RouteMoveMode(unit), *map);
    if (spreads) AIOperational::SpreadRoute(*map, unit, &unit.WaypointAt(0), unit.waypointCount);
  }
  for (auto k = kept.rbegin(); k != kept.rend(); ++k) {
    k->unit->waypoints = k->points;
    k->unit->waypointCount = k->count;
  }
  SeedRandom(generator);
  SetRandomBoundObserver(observer);
  // A search held for a guess no longer made is dropped.
  for (const MapRouteAhead::Key& key : askedAhead) {
    if (std::find(asking.begin(), asking.end(), key) == asking.end()) ahead.Cancel(key);
  }
  askedAhead = std::move(asking);
}

bool AIGroupPlan::GoesForward(int32_t j, Round round) const {
  const UnitPlan& record = *At(j);
  const Unit& unit = *record.unit;
  if (round == Round::kSecond) {
    if (j < limit && RandomFloat() < record.scoreB * 0.8f - 1.3f) return true;
    return unit.IsVehicle() && IsPavedTerrain(unit.GetTerrainHere());
  }
  return IsSquad(unit) && unit.GetMenPresent() > 4;
}

MapRouteAhead::Key AIGroupPlan::GuessUnknown(int32_t j, Round round, std::array<uint32_t, kSamples>& samples) const {
  Unit& unit = *At(j)->unit;
  // Each sample's decision; a place most samples share is the guess.
  std::array<AIOperational::Advance, kSamples> advances{};
  for (size_t k = 0; k < samples.size(); ++k) {
    SeedRandom(samples[k]);
    if (GoesForward(j, round)) {
      advances[k] = AIOperational::ChooseAdvance(context, unit, goal);
      // This move's spread is not known either.
      if (advances[k].kind == AIOperational::Advance::kMoves && AIOperational::MoveSpreads(unit, advances[k].spread)) {
        for (int32_t draw = 0; draw < kSampleDraws[k]; ++draw) RandomFloat();
      }
    }
    samples[k] = RandomState();
  }
  for (size_t k = 0; k + 1 < samples.size(); ++k) {
    const AIOperational::Advance& a = advances[k];
    if (a.kind != AIOperational::Advance::kMoves) continue;
    int32_t same = 1;
    for (size_t m = k + 1; m < samples.size(); ++m) {
      const AIOperational::Advance& b = advances[m];
      if (b.kind == AIOperational::Advance::kMoves && b.x == a.x && b.y == a.y) ++same;
    }
    if (same * 2 >= static_cast<int32_t>(samples.size())) {
      return context.battle->map->AskRoute(unit, unit.x, unit.y, a.x, a.y);
    }
  }
  return MapRouteAhead::Key{};
}

void AIGroupPlan::DropAskedAhead() {
  Map* map = context.battle->map;
  if (map != nullptr) {
    for (const MapRouteAhead::Key& key : askedAhead) map->routes.ahead.Cancel(key);
  }
  askedAhead.clear();
}

void AIGroupPlan::Step() const {
  if (context.meter != nullptr) context.meter->Advance();
}

UnitPlan* AIGroupPlan::At(int32_t index) const { return static_cast<UnitPlan*>(plans.GetItem(index)); }

void AIGroupPlan::Collect() {
  const int32_t side = context.side;
  for (int32_t i = 0; i < group.Count(); ++i) {
    Unit* unit = group.UnitAt(i);
    if (!unit->IsAlive() || unit->IsInanimate() || unit->IsAirplane()) continue;
    const bool own = unit->GetSideIndex() == side;
    if (own == unit->HasSurrendered()) continue;
    if (unit->IsPassenger() || unit->GetBand() >= 5) continue;
    unit->pendingDelaySteps = 0;
    unit->commandDelay = 0.0f;
    plans.Append(new UnitPlan(unit));
  }
  startingCount = plans.Count();
}

void AIGroupPlan::Score() {
  const Battle& battle = *context.battle;
  for (int32_t i = 0; i < plans.Count(); ++i) {
    UnitPlan& record = *At(i);
    Unit& unit = *record.unit;
    record.distance = goal != nullptr ? unit.DistanceToPoint(goal->centreX, goal->centreY) : 0.0f;
    AIOperational::EvaluateSituation(context, unit, record.distance, record.scoreA,
                                     goalRound ? &record.scoreB : nullptr);
    if (!goalRound) record.scoreB = 0.0f;
    if (terrainCorrection && battle.lastTurn > 0) {
      const int32_t terrain = unit.GetTerrainHere();
      const float ratio = static_cast<float>(battle.currentTurn) / static_cast<float>(battle.lastTurn);
      if (terrain >= 1 && terrain <= 3 && ratio < 0.333f) record.scoreA = ratio * 3.0f * record.scoreA;
    }
  }
}

void AIGroupPlan::DampNearestSecondScores() {
  context.exitGoal = goal->fixed;
  plans.QuickSort(NearestFirst, nullptr);
  const float count = static_cast<float>(plans.Count());
  for (int32_t i = 0; i < plans.Count(); ++i) {
    UnitPlan& record = *At(i);
    if (context.exitGoal && record.distance < 150.0f) continue;
    const Unit& unit = *record.unit;
    const float p = AIOperational::GoalRoundShare(unit);
    if (static_cast<float>(i) + 1.0f < count * p &&
        !(unit.IsVehicle() && AIOperational::IsRoadOrWaterTerrain(unit.GetTerrainHere()))) {
      record.scoreB *= 0.2f;
    }
  }
}

void AIGroupPlan::Rank() {
  for (int32_t i = 0; i < plans.Count(); ++i) {
    UnitPlan& record = *At(i);
    record.rank = record.scoreA - 0.5f * record.scoreB;
    if (terrainCorrection && record.unit->flagBytes[Unit::kHoldFlag] != 0) record.rank = -9999.0f;
  }
  plans.QuickSort(HighestRankFirst, nullptr);
}

void AIGroupPlan::FirstRound() {
  limit = static_cast<int32_t>(static_cast<float>(plans.Count()) * 0.5f);
  if (goalRound && limit < 1) limit = 1;
  plans.RemoveIfIndexed(FirstRoundStep, this, true);
}

void AIGroupPlan::SecondRound() {
  plans.QuickSort(HighestScoreBFirst, nullptr);
  limit = static_cast<int32_t>(static_cast<float>(plans.Count()) * 0.75f);
  if (limit < 1) limit = 1;
  plans.RemoveIfIndexed(SecondRoundStep, this, true);
  DropAskedAhead();
}

void AIGroupPlan::SupportRound() {
  context.supportRadius = 60.0f;
  for (int32_t a = 0; a < advanced.Count(); ++a) {
    Unit& unit = *static_cast<Unit*>(advanced.GetItem(a));
    if (!unit.IsInfantry() || MovingSquadNear(context, unit)) continue;
    bool broughtAlong = false;
    for (int32_t i = 0; i < plans.Count(); ++i) {
      const UnitPlan& record = *At(i);
      Unit& other = *record.unit;
      if (!IsSquad(other) || other.DistanceTo(unit) > context.supportRadius) continue;
      if (!(RandomFloat() < record.scoreB * 0.75f)) continue;
      if (!AIOperational::AdvanceOnGoal(context, other, goal, nullptr)) continue;
      Step();
      plans.RemoveAt(i, true);
      broughtAlong = true;
      break;
    }
    if (broughtAlong || unit.target == nullptr || startingCount < 4 + Random(4)) continue;
    int32_t near = 0;
    for (int32_t m = 0; m < group.Count(); ++m) {
      const Unit* member = group.UnitAt(m);
      if (member != &unit && member->DistanceTo(unit) <= context.supportRadius) ++near;
    }
    if (near > 1) unit.CancelMoveOrders();
  }
}

void AIGroupPlan::ForwardStrongSquads() {
  // Taken in float: whole numbers would give only 0 or 1; a group with no records stays.
  const float share = startingCount > 0
                          ? static_cast<float>(plans.Count()) / static_cast<float>(startingCount)
                          : 0.0f;
  const float threshold = 0.6f + RandomFloatTimes(0.1f);
  if (startingCount > 0 && share > threshold) {
    plans.RemoveIfIndexed(StrongSquadForward, this, true);
    DropAskedAhead();
  }
}

void AIGroupPlan::Hold() {
  for (int32_t i = 0; i < plans.Count(); ++i) {
    Unit& unit = *At(i)->unit;
    unit.CancelMoveOrders();
    if (unit.IsVehicle()) {
      if (const VehicleServices* vehicle = unit.AsVehicle()) {
        for (int32_t place = 0; place < 2; ++place) {
          if (Unit* rider = vehicle->GetPassenger(place)) rider->FindBestNearbyCell(true, true);
        }
      }
      unit.pendingDelaySteps = 1;
    }
    if (unit.IsArmored(false) && unit.HasMainWeaponOfType23(false) && unit.CanFireAnyMachineGun() &&
        unit.target != nullptr) {
      unit.AddWaypoint(unit.target->x, unit.target->y, kOrderRotate, true, false, false, true);
    }
    Step();
  }
  plans.DeleteAll(true);
}

float AIOperational::GoalRoundShare(const Unit& unit) {
  if (unit.IsInfantry()) {
    if (IsLeader(unit)) return 0.45f;
    if (unit.HasMainWeaponOfType5()) return 0.64f;
    return unit.HasMainWeapon() ? 0.5f : 0.25f;
  }
  if (unit.IsVehicle()) {
    if (!unit.IsArmored(false)) return 0.75f;
    const auto* vehicle = unit.AsVehicleUnit();
    const int32_t openTop = vehicle != nullptr ? vehicle->GetOpenTopState(0) : 0;
    if (openTop == 2) return 0.7f;
    if (openTop == 1) return 0.55f;
    return unit.HasMainWeapon() ? 0.35f : 0.45f;
  }
  return 0.25f;
}

bool AIOperational::IsRoadOrWaterTerrain(int32_t type) { return type == 8 || type == 9 || IsPavedTerrain(type); }

bool AIOperational::EnemyThreatNear(const AIPlanContext& context, const Unit& unit) {
  const Battle& battle = *context.battle;
  for (int32_t k = 0; k < battle.UnitCount(); ++k) {
    const Unit* other = battle.UnitAt(k);
    if (!other->IsInfantry() || !unit.IsEnemy(*other) || !other->IsAlive() || !other->CanFight()) continue;
    const int32_t full = other->GetFullStrength();
    if (full <= 0 || static_cast<float>(other->GetMenPresent()) / static_cast<float>(full) < 0.5f) continue;
    if (!IsSquad(*other) && QueryWeaponResult(*other, 1) == 0) continue;
    const float dx = other->x - unit.x;
    const float dy = other->y - unit.y;
    if (dx < -100.0f || dx > 100.0f || dy < -100.0f || dy > 100.0f) continue;
    if (std::sqrt(dx * dx + dy * dy) <= 100.0f) return true;
  }
  return false;
}

void AIOperational::PlanGroup(const AIPlanContext& context, AIGroup& group) {
  AIGroupPlan plan(context, group);
  plan.Collect();
  const int32_t mode = group.mode;
  if (mode >= AIGroup::kSentBase) {
    plan.goal = context.Goal(mode - AIGroup::kSentBase);
    // A group sent to a goal its side no longer lists plans like one of modes 0 and 1.
    plan.goalRound = plan.goal != nullptr;
  } else if (mode >= AIGroup::kHoldingBase) {
    plan.goal = context.Goal(mode - AIGroup::kHoldingBase);
    plan.terrainCorrection = true;
  } else if (mode == AIGroup::kDefendingFree) {
    plan.terrainCorrection = true;
  } else if (mode == AIGroup::kCannotTakePart || mode == AIGroup::kCatchAll) {
    for (int32_t i = 0; i < plan.plans.Count(); ++i) {
      plan.At(i)->unit->WithdrawIfIdle(mode == AIGroup::kCatchAll);
      plan.Step();
    }
    plan.plans.DeleteAll(true);
  }
  if (plan.goalRound || plan.terrainCorrection) {
    plan.Score();
    if (plan.goalRound) plan.DampNearestSecondScores();
    plan.Rank();
    plan.FirstRound();
  }
  if (plan.goalRound) {
    plan.SecondRound();
    plan.SupportRound();
    plan.ForwardStrongSquads();
  }
  plan.Hold();
}
