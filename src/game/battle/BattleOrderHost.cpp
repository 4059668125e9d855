#include "game/battle/BattleOrderHost.h"

#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/map/Map.h"
#include "game/units/Unit.h"

BattleOrderHost::~BattleOrderHost() {
  // A derived host lets go in its own destructor; this only catches one that did not.
  if (GetUnitOrderHost() == this) SetUnitOrderHost(nullptr);
  for (Unit* crew : strayCrews_) delete crew;
}

void BattleOrderHost::InstallOrderHost(bool on) {
  if (on) SetUnitOrderHost(this);
  else if (GetUnitOrderHost() == this) SetUnitOrderHost(nullptr);
}

void BattleOrderHost::RefreshUnitPanel() {
  if (Battle* battle = OrderBattle()) battle->InvalidateInfoPanel();
}

void BattleOrderHost::RefreshMap() {
  Battle* battle = OrderBattle();
  if (battle == nullptr) return;
  battle->InvalidateInfoPanel();
  if (battle->map != nullptr) battle->map->Invalidate();
}

int32_t BattleOrderHost::GetSelectedWaypoint() const {
  const Battle* battle = OrderBattle();
  return battle != nullptr ? battle->selectedWaypoint : -1;
}

void BattleOrderHost::ClearSelectedWaypoint() {
  if (Battle* battle = OrderBattle()) battle->SetSelectedWaypoint(-1);
}

int32_t BattleOrderHost::GetHomeEdge(int32_t sideIndex) const {
  const Battle* battle = OrderBattle();
  return battle != nullptr ? battle->FindEdgeOfSide(sideIndex & 1) : UnitOrderHost::GetHomeEdge(sideIndex);
}

int32_t BattleOrderHost::GetOperationBattleNumber() const {
  const Campaign* operation = OrderCampaign();
  return operation != nullptr ? operation->currentTurn : 1;
}

int32_t BattleOrderHost::GetSupplySetting(int32_t sideIndex) const {
  const Campaign* operation = OrderCampaign();
  return operation != nullptr ? operation->supply[sideIndex & 1] : 0;
}

Map* BattleOrderHost::GetOperationMap() {
  Campaign* operation = OrderCampaign();
  return operation != nullptr ? operation->map : nullptr;
}

void BattleOrderHost::Deselect(const Unit& unit) {
  Battle* battle = OrderBattle();
  if (battle != nullptr && battle->selectedUnit == &unit) battle->SelectUnit(nullptr);
}

void BattleOrderHost::AddUnit(Unit* unit) {
  if (unit == nullptr) return;
  if (Battle* battle = OrderBattle()) battle->AddUnitLater(unit);
  else strayCrews_.push_back(unit);
}
