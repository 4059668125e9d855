// The battle's command handler and its GO: the set-up GO, the orders GO that computes the
// action, and the next turn.
#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleCanonicalPass.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/units/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/UnitServices.h"

void Battle::DoCommand(int32_t command) {
  if (command >= 20 && command <= 51) {
    // The orders menu's codes; without an open menu there is nothing to give them to.
    GErrorLog::LogValue("Order command with no orders menu open, ignored:", command);
    return;
  }
  switch (command) {
    case 9:
    case 17:
    case 18: Go(); break;
    case 10: NextTurn(); break;
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
      if (App().GetInputMode() == 5) ReplayControl(command);
      break;
    default: break;  // the camera and balloon commands are the screen's
  }
}

void Battle::Go() {
  mapViewFlag = 0;
  // In the editor GO only resets the editor's objects.
  if (IsEditorOpen()) return;
  if (setupPhase != 0) {
    SetupGo();
  } else {
    OrdersGo();
  }
}

void Battle::SetupGo() {
  if (currentTurn != 1) FatalError(2130, "Battle");
  BattleCanonicalPass::Run(*this);
  PlanComputerSides(false, -1);
  SeedRandom(sharedSeed);
  CraterInfantryPositions();
  for (int32_t i = 0; i < units.Count(); ++i) UnitAt(i)->UpdateSpotting();
  setupPhase = 0;
  if (map != nullptr) map->UpdateCraterVisibility();
  ComputeScoreShares(true, nullptr, nullptr);
  packets.DeleteAll(true);
  GErrorLog::LogValue("RndCheckSetup =", RandomPreservingSeed());
}

void Battle::CraterInfantryPositions() {
  // In a meeting engagement nobody has dug in.
  if (attacker == 2 || map == nullptr) return;
  for (int32_t i = 0; i < units.Count(); ++i) {
    Unit* unit = UnitAt(i);
    const InfantryServices* infantry = unit->AsInfantry();
    if (infantry == nullptr || unit->IsPassenger() || unit->GetSideIndex() == attacker) continue;
    map->AddImpactCrater(unit->x, unit->y, infantry->IsSquad() ? 260.0f : 155.0f, true, false);
  }
}

void Battle::OrdersGo() {
  const int32_t side = App().GetCurrentSide() & 1;
  if (DecideSurrender(side)) return;
  BattleCanonicalPass::Run(*this);
  if (PlanComputerSides(true, side)) return;
  GErrorLog::LogValue("Action seed =", sharedSeed);
  SeedRandom(sharedSeed);
  GErrorLog::LogValue("RndCheckA =", RandomPreservingSeed());
  ComputeAction(true, false);
  GErrorLog::LogValue("RndCheckB =", RandomPreservingSeed());
}

void Battle::NextTurn() {
  replayState = 0;
  App().SetInputMode(0);
  DeleteReplayEffects();
  packets.DeleteAll(true);
  currentSlice = -1;
  currentTurn += 1;
  if (!IsOver()) CheckMutualEnd();
  // The battle is over: the results.
  if (IsOver()) {
    if (App().GetHumanPlayers() == 2 && App().GetConnectionType() == 1) finished = 1;
    ShowResults(false, false);
  }
}
