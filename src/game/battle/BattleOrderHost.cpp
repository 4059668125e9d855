#include "game/battle/BattleOrderHost.h"

#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"
#include "game/units/Unit.h"

BattleOrderHost::~BattleOrderHost() {
  for (Unit* crew : strayCrews_) delete crew;
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

bool BattleOrderHost::IsQuiet() const {
  const Battle* battle = OrderBattle();
  return battle != nullptr && (battle->planningComputer != 0 || battle->computingAction != 0);
}

bool BattleOrderHost::IsOrderNotification() const {
  const Battle* battle = OrderBattle();
  return battle != nullptr && battle->computingAction != 0;
}

int32_t BattleOrderHost::GetAttackingSide() const {
  const Campaign* operation = OrderCampaign();
  if (operation == nullptr || operation->attacker < 0 || operation->attacker > 1) return -1;
  return 1 - operation->attacker;  // the side byte: 1 Axis, 0 Allied
}

int32_t BattleOrderHost::GetAdvanceEdge() const {
  const Campaign* operation = OrderCampaign();
  return operation != nullptr ? operation->attackerEdge : 0;
}

bool BattleOrderHost::GetSetupOrderFlag(int32_t code) const {
  const Battle* battle = OrderBattle();
  if (battle == nullptr) return false;
  if (code == kOrderDugIn) return battle->mayDigIn != 0;
  if (code == kOrderFlagPick) return battle->autoObjective != 0;
  return false;
}

int32_t BattleOrderHost::GetPhaseSide() const {
  const Battle* battle = OrderBattle();
  return battle != nullptr && battle->attacker >= 0 && battle->attacker <= 1 ? battle->attacker : 2;
}

bool BattleOrderHost::GroupHasFlaggedEntry(const Unit& /*unit*/) const {
  const Battle* battle = OrderBattle();
  if (battle == nullptr) return false;
  for (int32_t i = 0; i < battle->flags.Count(); ++i) {
    if (battle->FlagAt(i)->dynamic != 0) return true;
  }
  return false;
}

bool BattleOrderHost::IsExitFor(int32_t sideIndex, float px, float py) const {
  const Battle* battle = OrderBattle();
  return battle != nullptr && battle->IsExitEdgeForSide(px, py, (sideIndex & 1) == 0 ? 1 : 0);
}

bool BattleOrderHost::IsOwnEdgeFor(int32_t sideIndex, float px, float py) const {
  const Battle* battle = OrderBattle();
  return battle != nullptr && battle->IsOwnEdge(px, py, (sideIndex & 1) == 0 ? 1 : 0);
}

void BattleOrderHost::ReviewCommandingLeaders() {
  if (Battle* battle = OrderBattle()) battle->RefreshUnitDisplays();
}
