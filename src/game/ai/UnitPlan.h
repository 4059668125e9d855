#pragma once
#include "framework/core/GObject.h"

class Unit;

// One usable unit of a group while the group's turn is planned: its two situation scores,
// the key of the first round's order and its distance to the group's objective.
class UnitPlan : public GObject {
 public:
  explicit UnitPlan(Unit* planned) : unit(planned) {}
  ~UnitPlan() override = default;

  Unit* unit = nullptr;
  // How much the unit should press on.
  float scoreA = 0.0f;
  // How much it should seek a better place; 0 when not asked for.
  float scoreB = 0.0f;
  float rank = 0.0f;
  // Metres to the objective's centre, 0 without one.
  float distance = 0.0f;
};
