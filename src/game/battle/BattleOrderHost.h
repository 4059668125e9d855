#pragma once
#include <cstdint>
#include <vector>

#include "game/units/ports/UnitOrderHost.h"

class Battle;
class Campaign;
class Map;
class Unit;

// What the units ask of the battle in play while it is played, with or without a screen: the
// selected waypoint, the home and exit edges, the battle's order flags, the operation's
// attacker, battle number, supply and map, and the battle that takes a crew bailing out. A
// battle computed headless must answer exactly as the battle screen does, or its turns would
// differ from the program's. The screen and the headless battle each derive from it, say which
// battle and operation are in play, and install it in the units' context.
class BattleOrderHost : public UnitOrderHost {
 public:
  BattleOrderHost() = default;
  // Deletes the crews no battle took.
  ~BattleOrderHost() override;
  BattleOrderHost(const BattleOrderHost&) = delete;
  BattleOrderHost& operator=(const BattleOrderHost&) = delete;

  int32_t GetSelectedWaypoint() const override;
  void ClearSelectedWaypoint() override;
  int32_t GetHomeEdge(int32_t sideIndex) const override;
  bool InOperation() const override { return OrderCampaign() != nullptr; }
  int32_t GetOperationBattleNumber() const override;
  int32_t GetSupplySetting(int32_t sideIndex) const override;
  Map* GetOperationMap() override;
  bool IsLaterOperationBattle() const override { return InOperation() && GetOperationBattleNumber() > 1; }
  void Deselect(const Unit& unit) override;
  // Quiet while the computer player gives its orders and while the action is computed; the
  // order notification holds while the action is computed, so that what a unit does then
  // never depends on which side watches.
  bool IsQuiet() const override;
  bool IsOrderNotification() const override;
  // In an operation: the attacker's side byte and the edge it advances from; -1 and 0 outside.
  int32_t GetAttackingSide() const override;
  int32_t GetAdvanceEdge() const override;
  // 49 (fixed positions): the defenders may dig in; 51 (the objective): chosen automatically.
  bool GetSetupOrderFlag(int32_t code) const override;
  // The attacking side index (2 in a meeting engagement, or with no battle).
  int32_t GetPhaseSide() const override;
  // The battle's flags hold a dynamic objective the attacker may choose.
  bool GroupHasFlaggedEntry(const Unit& unit) const override;
  bool IsExitFor(int32_t sideIndex, float px, float py) const override;
  bool IsOwnEdgeFor(int32_t sideIndex, float px, float py) const override;
  // The battle's squads look for their commanding leaders again, then its displays are redrawn.
  void ReviewCommandingLeaders() override;
  // A crew that bailed out joins the battle's units after the slice; with no battle it waits
  // here until the host goes.
  void AddUnit(Unit* unit) override;

 protected:
  // The battle and the operation in play (null: none).
  virtual Battle* OrderBattle() const = 0;
  virtual Campaign* OrderCampaign() const = 0;

 private:
  std::vector<Unit*> strayCrews_;  // owned: crews made with no battle to take them
};
