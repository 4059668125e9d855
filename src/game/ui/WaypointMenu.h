#pragma once
#include <cstdint>

#include "game/ui/Menu.h"

// The level choice of an infantry waypoint (or set-up place) on a building with an upper
// floor: Top floor or Bottom floor. The answer raises the waypoint; in the set-up phase the
// facing pick follows.
class WaypointMenu : public Menu {
 public:
  // Opens the menu for the infantry unit at the map's question point (the last click) in the
  // battlefield view and makes it the map's open menu; null, with a log line, for a unit that
  // is not infantry or not the selected one.
  static WaypointMenu* OpenFor(Battle& battle, Unit& unit);
  void Execute(int32_t code) override;
  int32_t GetStyle() const override { return 3; }
  void FillFor(bool create) override;
  bool ListsGroupOrders() const override { return false; }
};
