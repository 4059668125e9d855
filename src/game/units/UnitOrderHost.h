#pragma once
#include <cstdint>

class Map;
class Unit;

// What the orders and waypoint code asks of the battle screen and of the battle beyond the
// map's services: the unit panel, the waypoint menu and display, the selected waypoint, the
// battle's order flags and the unit list a bailed-out crew joins. The battle screen
// implements it and installs it with SetUnitOrderHost; tests install a recording fake. With
// none installed the answers are those of a battle without a screen: nothing selected, no
// flags, no operation.
class UnitOrderHost {
 public:
  virtual ~UnitOrderHost() = default;

  // The battle screen's unit panel shows the changed orders.
  virtual void RefreshUnitPanel() {}
  // Opens the waypoint menu at the unit's selected waypoint.
  virtual void OpenWaypointMenu(Unit& /*unit*/) {}
  // The waypoint display follows a shortened route.
  virtual void RefreshWaypointDisplay() {}
  // Updates the battle screen and redraws the battlefield view.
  virtual void RefreshMap() {}
  // The selected waypoint's index, -1 when none; and clearing it.
  virtual int32_t GetSelectedWaypoint() const { return -1; }
  virtual void ClearSelectedWaypoint() {}
  // The battle's quiet flag (no menus while set) and its order-notification flag.
  virtual bool IsQuiet() const { return false; }
  virtual bool IsOrderNotification() const { return false; }
  // The side byte of the operation's attacking side, -1 outside an operation; the map edge
  // (0..3) past which that side advances.
  virtual int32_t GetAttackingSide() const { return -1; }
  virtual int32_t GetAdvanceEdge() const { return 0; }
  // The set-up flag the battle keeps for an order code (49 and 51), the side index whose
  // phase it is (2 for none), whether the unit's group holds an entry with its flag set.
  virtual bool GetSetupOrderFlag(int32_t /*code*/) const { return false; }
  virtual int32_t GetPhaseSide() const { return 2; }
  virtual bool GroupHasFlaggedEntry(const Unit& /*unit*/) const { return false; }
  // The home map edge (0..3) of a side index (0 Axis, 1 Allied).
  virtual int32_t GetHomeEdge(int32_t sideIndex) const { return sideIndex == 0 ? 1 : 3; }
  // A battle of an operation after its first one.
  virtual bool IsLaterOperationBattle() const { return false; }
  // ---- Set-up, operations and the seams between battles ----
  // An operation is in play, and the number of its current battle (1 = the first).
  virtual bool InOperation() const { return false; }
  virtual int32_t GetOperationBattleNumber() const { return 1; }
  // The operation's supply setting (0..5) of a side index.
  virtual int32_t GetSupplySetting(int32_t /*sideIndex*/) const { return 0; }
  // The operation's own map of the whole area, on which the sides' control areas are
  // painted; null when none.
  virtual Map* GetOperationMap() { return nullptr; }
  // The battle's exit test: a unit of the side index leaving at the point leaves through
  // that side's exit.
  virtual bool IsExitFor(int32_t /*sideIndex*/, float /*px*/, float /*py*/) const { return false; }
  // Clears the selection when the unit is the selected one.
  virtual void Deselect(const Unit& /*unit*/) {}
  // The battle's unit displays are redrawn.
  virtual void RefreshUnitDisplays() {}
  // ---- The seam between battles ----
  // The battle in play is over and the operation is working between battles: a crew that
  // bails out now is out at once.
  virtual bool IsBetweenBattles() const { return false; }
  // ---- End of the seam between battles ----
  // Hands a new unit (a bailed-out crew) to the battle, which owns it from then on. Without a
  // host the caller keeps it.
  virtual void AddUnit(Unit* unit) = 0;
};

// The installed host (null for none).
UnitOrderHost* GetUnitOrderHost();
void SetUnitOrderHost(UnitOrderHost* host);
