#pragma once
#include <cstdint>

class AIGroup;
class GObjectGroup;
class Unit;
struct AIPlanContext;

// What an AI group does with the side's objectives: choosing one to go to, marking it as
// someone's target, and leaving a garrison behind once it is secured.
class AIGroupGoals {
 public:
  // A group sent to goal k that finds it secured (while the side defends, or some goal is
  // still open) hands it on: to the group already holding it (the group becomes free), or
  // it holds the goal itself when it has too few movable units, or, when most of its units
  // are near and shaken, its best candidates stay as a new group appended to split.
  static void LeaveGarrison(const AIPlanContext& context, AIGroup& group, GObjectGroup& split);
  // The order of the candidates to stay at a goal's centre (x, y): -1 when a ranks first.
  // Infantry first (more so without a main weapon, less so with its ammunition, more with its
  // losses), nearer first; a vehicle on a road and a unit that may leave the map last.
  static int32_t CompareGarrisonCandidates(const AIPlanContext& context, const Unit& a, const Unit& b, float x,
                                           float y);
  // A group sent to goal k marks goal k targeted, unless it is fixed.
  static void MarkGoalTargeted(const AIPlanContext& context, const AIGroup& group);
  // Sends the group to the goal that is worth most for its distance from the group's reference
  // unit: goals of value 0 and secured ones are passed over, targeted ones count as 2.5 times
  // as far, each score is jittered. The goal becomes targeted unless keepUntargeted is set or
  // it is fixed. Nothing changes when no goal is eligible.
  static void ChooseGoal(const AIPlanContext& context, AIGroup& group, bool keepUntargeted);
};
