#pragma once
#include <cstdint>

#include "framework/core/GObject.h"

class AIGoalGroup;

// One measured distance from a goal to another goal, kept in the first goal's cache. It
// answers later only while the other goal still has the flag count it had when measured.
class GoalDistanceRecord : public GObject {
 public:
  GoalDistanceRecord(AIGoalGroup* other, int32_t flagCount, float d) : goal(other), count(flagCount), distance(d) {}
  ~GoalDistanceRecord() override = default;

  AIGoalGroup* goal = nullptr;
  int32_t count = 0;
  float distance = 0.0f;
};
