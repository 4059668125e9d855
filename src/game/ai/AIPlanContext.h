#pragma once
#include <cstdint>
#include <unordered_map>

class AIGoalGroup;
class AIProgressMeter;
class Battle;
class Campaign;
class GObjectGroup;
class Unit;

// What one computer-player turn shares among its steps, made at the start of the plan and
// passed down: the side planned, whether it defends, the progress meter, and the running
// values the scoring steps leave for each other.
struct AIPlanContext {
  Battle* battle = nullptr;
  // The side being planned (0 or 1).
  int32_t side = 0;
  // True when the battle's attacker is neither this side nor 2 (a meeting engagement).
  bool defender = false;
  AIProgressMeter* meter = nullptr;
  // Advances the progress meter a step, when there is one.
  void StepMeter() const;
  // The operation the battle belongs to; null for a stand-alone battle.
  const Campaign* operation = nullptr;

  // The side's objectives (its AIGoalGroups), null before they are built.
  GObjectGroup* Objectives() const;
  // Objective k of the side, null when the side has no objective k.
  AIGoalGroup* Goal(int32_t k) const;
  // The threat the situation scoring sums over the enemies of a unit.
  mutable float threatSum = 0.0f;
  // The unit that last attacked the unit being scored.
  mutable Unit* lastAttacker = nullptr;
  // The best shot a unit has at a target other than its own.
  mutable float bestOtherShot = 0.0f;
  // The radius within which units count as support.
  mutable float supportRadius = 0.0f;
  // The fixed flag of the goal the group being planned was sent to.
  mutable bool exitGoal = false;
  // Metres of the front's depth in an operation's battle; below 500 the defender's set-up
  // leans less on its own edge.
  float frontDepth = 1000.0f;

  // ---- Values kept for the plan's span: nothing in the plan changes them and computing them
  // draws nothing (a debug build checks the generator), so a plan is the same with them or
  // without. ----
  // While clear every value is computed anew at each use; tests compare the two.
  static bool gUseCaches;
  // The unit's exposure where it stands (ExposureAt with both options), kept per unit and
  // place: a unit moved for a trial is asked afresh.
  float OwnExposure(Unit& unit) const;
  // The unit's purchase cost as it is (not fresh), kept per unit.
  float PurchaseCost(const Unit& unit) const;
  // How many kept values were computed and how many answered from the kept ones, over all
  // plans (the benchmarks and tests read them).
  static int64_t gComputedValues;
  static int64_t gCachedValues;

 private:
  struct KeptExposure {
    float x = 0.0f;
    float y = 0.0f;
    float value = 0.0f;
  };
  mutable std::unordered_map<const Unit*, KeptExposure> exposures_;
  mutable std::unordered_map<const Unit*, float> costs_;
};
