#include "app/WROperationHost.h"

#include "app/WRApplication.h"

Battle* WROperationHost::GetCurrentBattle() { return app_.GetBattle(); }

void WROperationHost::MakeCurrentBattle(Battle* battle) { app_.SetBattle(battle); }

void WROperationHost::ServeOperation(bool on) { app_.InPlay().ServeOperation(on); }

void WROperationHost::EnterBattleScreen() { app_.ShowHandOverScreen(); }
