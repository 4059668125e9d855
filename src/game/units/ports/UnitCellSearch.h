#pragma once

class Unit;

// The running computer-player plan as the unit's slots 120 and 122 see it: the search for a
// better cell near a unit, and whether the planned side defends. The computer player installs
// it while it plans (null otherwise: the search then orders nothing and the side does not
// defend).
class UnitCellSearch {
 public:
  virtual ~UnitCellSearch() = default;
  // True when it gave the unit a move order.
  virtual bool FindBestNearbyCell(Unit& unit, bool extend, bool noBaseline) = 0;
  // Whether the side being planned defends.
  virtual bool Defending() const = 0;

  static UnitCellSearch* Installed();
  static void Install(UnitCellSearch* search);
  // The installed plan's defender flag; clear outside a plan.
  static bool PlanDefends();
};
