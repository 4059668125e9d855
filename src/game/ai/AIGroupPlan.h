#pragma once
#include <array>
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
  // generator and the units' waypoints put back afterwards (and the generator's observer told
  // nothing), and each search asked is answered later only when the unit asks exactly that
  // search. A move whose route a worker has found already is ordered here for a while as it
  // will be ordered, spread with the same draws in the same order, so that the units after it
  // draw and see their friends' waypoints as they will. An infantry move's spread draws as
  // many times as its route decides: past one whose route is not found yet, the units' moves
  // are worked out on a few samples of the generator as it may then stand, and a place most
  // samples share (mostly a friend's waypoint, which no draw moves) is guessed. A search no
  // longer guessed is dropped.
  void AskAhead(int32_t index, Round round);
  // The samples of the generator a guess past an unknown spread is made on, and the draws
  // each takes for a spread not known (two an attempt; spreads commonly take 3 to 25 attempts).
  static constexpr size_t kSamples = 4;
  static constexpr int32_t kSampleDraws[kSamples] = {8, 14, 24, 44};
  // Whether the unit at j goes forward in the round, drawing as the round draws.
  bool GoesForward(int32_t j, Round round) const;
  // The search of the unit at j past a spread not drawn yet: the move most samples of the
  // generator share (each sample moved on by the unit's draws), or none.
  MapRouteAhead::Key GuessUnknown(int32_t j, Round round, std::array<uint32_t, kSamples>& samples) const;
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
