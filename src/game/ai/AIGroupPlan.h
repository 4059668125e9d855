#pragma once
#include <cstdint>

#include <vector>

#include "framework/core/GObjectGroup.h"
#include "game/map/MapRouteAhead.h"

class AIGoalGroup;
class AIGroup;
class Unit;
class UnitPlan;
struct AIPlanContext;

// One group's plan for one turn: the records of its usable units and the rounds that give
// them orders (AIOperational::PlanGroup runs them by the group's mode).
class AIGroupPlan {
 public:
  AIGroupPlan(const AIPlanContext& context, AIGroup& group);
  AIGroupPlan(const AIGroupPlan&) = delete;
  AIGroupPlan& operator=(const AIGroupPlan&) = delete;

  // A record for every usable member, its order delays cleared.
  void Collect();
  // Both situation scores; early-turn cover weighs less in the holding modes.
  void Score();
  // Nearest first; the nearer share of each kind of unit seeks less for a better place.
  void DampNearestSecondScores();
  // By rank, highest first; held units last in the holding modes.
  void Rank();
  // The first half by rank looks for a better place when keen to press on.
  void FirstRound();
  // By the second score, units go forward to the objective.
  void SecondRound();
  // An advanced infantry unit alone brings a squad along, or holds among its comrades.
  void SupportRound();
  // When most of the group still stands, its strong squads go forward too.
  void ForwardStrongSquads();
  // The rest hold: their moves cancelled, riders look for a place, armour keeps firing.
  void Hold();

  // The rounds that advance on the goal, whose route searches are asked ahead.
  enum class Round { kSecond, kStrongSquads };
  // Hands the searches of the round's next units, from the one at index on, to the map's
  // worker threads: their decisions are taken as the round would take them now, with the
  // generator put back afterwards (and its observer told nothing), and each search asked is
  // answered later only when the unit asks exactly that search. An infantry move spreads its
  // route with draws whose number the route decides: once a worker has found that route, its
  // spread is drawn here first, the same draws in the same order, so that the searches of the
  // units after it start before its order is given; before that, only the units after it
  // that head for a friend's waypoint, a place no draw moves, are guessed. A search no longer
  // guessed is dropped.
  void AskAhead(int32_t index, Round round);
  // Drops the searches still held for the round once it is over.
  void DropAskedAhead();
  // A progress step of the plan's meter.
  void Step() const;
  UnitPlan* At(int32_t index) const;

  const AIPlanContext& context;
  AIGroup& group;
  GObjectGroup plans;     // UnitPlan, owned
  GObjectGroup advanced;  // units sent toward the objective, not owned
  AIGoalGroup* goal = nullptr;
  bool goalRound = false;
  bool terrainCorrection = false;
  int32_t limit = 0;
  int32_t startingCount = 0;
  // The searches the round's last guesses asked ahead.
  std::vector<MapRouteAhead::Key> askedAhead;
};
