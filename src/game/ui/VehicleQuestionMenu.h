#pragma once
#include <cstdint>

#include "game/ui/Menu.h"

// The yes/no question a vehicle asks when it is given a target; the answer is stored in the
// vehicle.
class VehicleQuestionMenu : public Menu {
 public:
  // Opens the menu for the vehicle at the map's question point (the last click) in the
  // battlefield view and makes it the map's open menu; null, with a log line, for a unit that
  // is not a vehicle or not the selected one.
  static VehicleQuestionMenu* OpenFor(Battle& battle, Unit& vehicle);
  void Execute(int32_t code) override;
  int32_t GetStyle() const override { return 2; }
  void FillFor(bool create) override;
  bool ListsGroupOrders() const override { return false; }
};
