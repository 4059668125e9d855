#pragma once
#include <cstdint>

#include "game/ui/Menu.h"

// The orders a unit (or the selected group) can take now, in the orders or the set-up phase;
// a chosen order goes to the order dispatch, or to the group.
class UnitOrdersMenu : public Menu {
 public:
  // Opens the selected unit's menu at the map's menu point in the battlefield view (or
  // closes the open one): null when none opens. A unit that takes no orders beeps.
  static UnitOrdersMenu* OpenFor(Battle& battle, bool clearWaypoint);
  void Execute(int32_t code) override;
  // 6 opened on a selected waypoint, 5 in the set-up phase, else 0.
  int32_t GetStyle() const override;
  void FillFor(bool create) override;
  bool IsOnWaypoint() const { return onWaypoint_ != 0; }

 private:
  void Offer(int32_t code, int32_t picture, uint8_t hotKey, bool create, bool singleOnly = false);
  uint8_t onWaypoint_ = 0;
};
