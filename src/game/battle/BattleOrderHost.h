#pragma once
#include <cstdint>
#include <vector>

#include "game/units/UnitOrderHost.h"

class Battle;
class Campaign;
class Map;
class Unit;

// What the units ask of the battle in play while it is played, with or without a screen: the
// selected waypoint, the home edges, the operation's battle number, supply and map, and the
// battle that takes a crew bailing out. A battle computed headless must answer exactly as the
// battle screen does, or its turns would differ from the program's. The screen and the
// headless battle each derive from it and say which battle and operation are in play.
class BattleOrderHost : public UnitOrderHost {
 public:
  BattleOrderHost() = default;
  ~BattleOrderHost() override;
  BattleOrderHost(const BattleOrderHost&) = delete;
  BattleOrderHost& operator=(const BattleOrderHost&) = delete;

  void RefreshUnitPanel() override;
  void RefreshWaypointDisplay() override { RefreshMap(); }
  void RefreshMap() override;
  int32_t GetSelectedWaypoint() const override;
  void ClearSelectedWaypoint() override;
  int32_t GetHomeEdge(int32_t sideIndex) const override;
  bool InOperation() const override { return OrderCampaign() != nullptr; }
  int32_t GetOperationBattleNumber() const override;
  int32_t GetSupplySetting(int32_t sideIndex) const override;
  Map* GetOperationMap() override;
  bool IsLaterOperationBattle() const override { return InOperation() && GetOperationBattleNumber() > 1; }
  void Deselect(const Unit& unit) override;
  void RefreshUnitDisplays() override { RefreshMap(); }
  // A crew that bailed out joins the battle's units after the slice; with no battle it waits
  // here until the host goes.
  void AddUnit(Unit* unit) override;
  // Installs the host for the units' orders, or lets go of it.
  void InstallOrderHost(bool on);

 protected:
  // The battle and the operation in play (null: none).
  virtual Battle* OrderBattle() const = 0;
  virtual Campaign* OrderCampaign() const = 0;

 private:
  std::vector<Unit*> strayCrews_;  // owned: crews made with no battle to take them
};
