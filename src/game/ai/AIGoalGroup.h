#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "framework/core/GObjectGroup.h"

class AIGroup;
class VictoryFlag;
struct AIPlanContext;

// An objective of the computer player: a point that stands for one or more victory flags
// (not owned), with its worth to the side being planned. The side's objectives list owns its
// goals; a goal's index in that list is what the AI group modes name.
class AIGoalGroup : public GObjectGroup {
 public:
  // Goals strictly closer than this (metres) merge.
  static constexpr float kMergeDistance = 125.0f;

  AIGoalGroup() = default;
  ~AIGoalGroup() override;

  // Fresh storage not owning its flags, the one flag, the centre at the flag, an empty
  // distance cache, and neither secured, targeted nor fixed.
  void InitFromFlag(VictoryFlag* flag);
  // A flag no list owns (the exit objective's) is deleted with the goal.
  void TakeOwnFlag(VictoryFlag* flag);

  VictoryFlag* FlagAt(int32_t index) const;
  // Straight-line distance from the centre to the point, metres.
  float DistanceTo(float x, float y) const;
  // Looks for the goal from index start on in goals, not fixed and nearer than best, to merge
  // with this one: best, a (this goal) and b (the partner) are updated for a nearer one. The
  // distances are cached per partner and its flag count.
  void FindNearestPartner(int32_t start, const GObjectGroup& goals, float& best, AIGoalGroup*& a, AIGoalGroup*& b);
  // Takes the other goal's flags; the centre becomes the points-weighted mean of all flags
  // (the plain mean when they carry no points for the side), and the cache is emptied.
  void Absorb(const AIPlanContext& context, AIGoalGroup& other);
  // 1.0 to 2.0: goals on the enemy's half towards an enemy edge are worth more. 1.0 in an
  // operation.
  float GetEdgeFactor(const AIPlanContext& context) const;
  // Clears targeted; secured when the goal is not fixed and the side holds every flag.
  void UpdateSecured(const AIPlanContext& context);
  // 0 when secured; else the value x 1.33 when the enemy holds a flag of it, x 0.67 when not.
  void UpdateAdjustedValue(const AIPlanContext& context);
  // Whether the side's group holding this goal (holder, null for none) has the members the
  // goal's value asks of the side's total; halfway when it has half of them (rounded up).
  bool HasEnoughUnits(const AIPlanContext& context, int32_t total, AIGroup** holder, bool* halfway) const;
  // A flag of the goal the side does not hold, drawn at random, or null.
  VictoryFlag* PickUnheldFlag(const AIPlanContext& context) const;
  // Which of the side's three set-up zone values lie within 10 tiles of the centre.
  void SurveyZones(const AIPlanContext& context);
  // This goal's index in the side's objectives list; -1 when it is not in it.
  int32_t IndexIn(const AIPlanContext& context) const;

  // Whether a side (0 or 1) holds the flag.
  static bool IsHeldBy(const VictoryFlag& flag, int32_t side);

  float centreX = 0.0f;
  float centreY = 0.0f;
  bool secured = false;
  bool targeted = false;
  bool fixed = false;
  GObjectGroup distances;  // GoalDistanceRecord, owned
  float value = 0.0f;
  float adjustedValue = 0.0f;
  bool nearOwnZone = false;
  std::array<bool, 3> zonePresent{};

 private:
  std::unique_ptr<VictoryFlag> ownFlag_;
};
