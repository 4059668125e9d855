#pragma once

class Unit;

// The computer player's search for a better cell near a unit, which the unit's slot 120
// hands on to. The computer player installs it while it plans (null otherwise: the search then
// orders nothing).
class UnitCellSearch {
 public:
  virtual ~UnitCellSearch() = default;
  // True when it gave the unit a move order.
  virtual bool FindBestNearbyCell(Unit& unit, bool extend, bool noBaseline) = 0;

  static UnitCellSearch* Installed();
  static void Install(UnitCellSearch* search);
};
