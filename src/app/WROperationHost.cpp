#include "app/WROperationHost.h"

#include "app/WRApplication.h"

Battle* WROperationHost::GetCurrentBattle() { return app_.GetBattle(); }

void WROperationHost::MakeCurrentBattle(Battle* battle) { app_.SetBattle(battle); }

void WROperationHost::EnterBattleScreen() { app_.ShowHandOverScreen(); }
