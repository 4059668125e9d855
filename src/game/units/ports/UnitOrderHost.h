#pragma once
#include <cstdint>

class Map;
class Unit;

// What the orders and waypoint code asks of the battle beyond the map's services: the
// selected waypoint, the battle's order flags, exits and edges, the operation in play, and the
// unit list a bailed-out crew joins. The battle's answers are BattleOrderHost's (the battle
// screen and the headless battle derive from it); between battles CampaignUnitHost's. It is
// the order port of the units' context (UnitContext). The notices to the screen are not here:
// they go to the context's UnitScreen.
class UnitOrderHost {
 public:
  virtual ~UnitOrderHost() = default;

  // The selected waypoint's index, -1 when none; and clearing it. The selection is the
  // battle's: which orders a unit may take depends on it, headless too.
  virtual int32_t GetSelectedWaypoint() const { return -1; }
  virtual void ClearSelectedWaypoint() {}
  // The battle's quiet flag (no beeps, no menus while set) and its order-notification flag
  // (a cancelled order leaves the burst alone while set).
  virtual bool IsQuiet() const = 0;
  virtual bool IsOrderNotification() const = 0;
  // The side byte of the operation's attacking side, -1 outside an operation; the map edge
  // (0..3) past which that side advances.
  virtual int32_t GetAttackingSide() const = 0;
  virtual int32_t GetAdvanceEdge() const = 0;
  // The set-up flag the battle keeps for an order code (kOrderDugIn and kOrderFlagPick), the side index whose
  // phase it is (2 for none), whether the unit's group holds an entry with its flag set.
  virtual bool GetSetupOrderFlag(int32_t code) const = 0;
  virtual int32_t GetPhaseSide() const = 0;
  virtual bool GroupHasFlaggedEntry(const Unit& unit) const = 0;
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
  // that side's scored exit edge.
  virtual bool IsExitFor(int32_t sideIndex, float px, float py) const = 0;
  // The point lies on a map edge that the side index owns.
  virtual bool IsOwnEdgeFor(int32_t sideIndex, float px, float py) const = 0;
  // Clears the battle's selection when the unit is the selected one (a unit that left the
  // battle takes no more orders).
  virtual void Deselect(const Unit& /*unit*/) {}
  // Every squad of the battle looks for its commanding leader again: one out of its leader's
  // reach loses him, a leaderless one is taken over by a leader in reach (after a leader falls,
  // after a unit is placed); the battle's unit displays follow. Nothing to do without a battle.
  virtual void ReviewCommandingLeaders() {}
  // ---- The seam between battles ----
  // The battle in play is over and the operation is working between battles: a crew that
  // bails out now is out at once.
  virtual bool IsBetweenBattles() const { return false; }
  // ---- End of the seam between battles ----
  // Hands a new unit (a bailed-out crew) to the battle, which owns it from then on. Without a
  // host the caller keeps it.
  virtual void AddUnit(Unit* unit) = 0;
};

// The order host of the context in force (null for none).
UnitOrderHost* GetUnitOrderHost();
