// The turn's end-of-battle decisions: automatic cease-fire and surrender, the mutual end at a
// new turn, and ending the battle for a side.
#include "framework/core/GErrorLog.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/map/TurnExchange.h"
#include "game/units/ports/InfantryServices.h"
#include "game/map/MapAppServices.h"
#include "game/units/Unit.h"

bool Battle::DecideSurrender(int32_t s) {
  if (s < 0 || s > 1) return false;
  const int32_t o = 1 - s;
  if (endState[0] == 2 || endState[1] == 2) return false;
  // A side with reinforcements still to come (the operation's, while one runs) fights on.
  MapAppServices& app = App();
  const auto* operation = dynamic_cast<const Campaign*>(app.GetOperation());
  if ((operation != nullptr ? operation->reinforcements[s] : reinforcements[s]).Count() > 0) return false;
  const float* r = strengthRatio;
  if (app.GetHumanPlayers() == 1 && s != app.GetCurrentSide()) {
    float p[2] = {};
    ComputeScoreShares(true, &p[0], &p[1]);
    const int32_t T = lastTurn;
    const int32_t t = currentTurn;
    const bool asks = attacker == o || (t > T / 3 && r[s] < 0.3f * r[o] && r[o] >= 0.75f) ||
                      (t > T / 2 && r[s] < 0.4f * r[o] && r[o] >= 0.5f) ||
                      (t > T / 2 && r[s] < r[o] && p[s] > 1.2f * p[o]) || (t > (3 * T) / 4 && p[s] > 1.2f * p[o]);
    if (asks) {
      endState[s] = 1;
      if (endState[o] == 1) {
        EndBattleForSide(2);
        return true;
      }
    } else {
      endState[s] = 0;
    }
  }
  if (r[s] <= 0.25f * r[o] && r[s] < 0.15f) {
    EndBattleForSide(s);
    return true;
  }
  return false;
}

void Battle::CheckMutualEnd() {
  if (strengthRatio[0] <= 0.245f && strengthRatio[1] <= 0.245f) {
    endState[0] = 1;
    endState[1] = 1;
    currentTurn = lastTurn + 1;
    setupPhase = 0;
    return;
  }
  if (currentTurn < 15) return;
  MapAppServices& app = App();
  if (app.GetOperation() == nullptr) {
    const int32_t human = app.GetHumanSide() & 1;
    if (app.GetHumanPlayers() == 1 && endState[human] == 1 && quietTurns[human] >= 2) {
      currentTurn = lastTurn + 1;
      setupPhase = 0;
    }
  } else if (quietTurns[0] >= 4 && quietTurns[1] >= 4) {
    currentTurn = lastTurn + 1;
  }
}

void Battle::EndBattleForSide(int32_t result) {
  currentTurn = lastTurn + 1;
  setupPhase = 0;
  if (result == 0 || result == 1) {
    endState[result] = 2;
    for (int32_t i = 0; i < units.Count(); ++i) {
      Unit* unit = UnitAt(i);
      if (!unit->IsAlive() || unit->status != 0) continue;
      InfantryServices* infantry = unit->AsInfantry();
      if (unit->GetSideIndex() != result) {
        // The surrendering side's prisoners go free.
        if (infantry != nullptr && unit->HasSurrendered()) infantry->ReleaseFromCaptivity();
        continue;
      }
      if (infantry != nullptr) {
        infantry->SurrenderWithSide();
      } else if (unit->IsVehicle()) {
        // The whole crew is taken with the vehicle and counts as lost.
        capturedAfterSurrender[result] += unit->GetMenPresent();
        unit->losses = 0;
        unit->losses = unit->GetMenPresent();
        unit->alive = 0;
      }
    }
  }
  MapAppServices& app = App();
  // A surrender or cease-fire ends the whole operation with this battle.
  if (auto* operation = dynamic_cast<Campaign*>(app.GetOperation())) operation->currentTurn = operation->lastTurn + 1;
  if (app.GetHumanPlayers() == 2 && app.GetConnectionType() != 0) finished = 1;
  // Two players at one machine, or by e-mail, see the end after the hand-over.
  const bool handOver = (app.GetHumanPlayers() == 2 && app.GetConnectionType() == 0) || app.GetConnectionType() == 1;
  if (handOver && app.Exchange().ContinueAfterTurn()) return;
  ShowResults();
}

bool Battle::CheckCeaseFireAndSurrender() {
  if (endState[0] == 1 && endState[1] == 1) {
    EndBattleForSide(2);
  } else if (endState[0] == 2) {
    EndBattleForSide(0);
  } else if (endState[1] == 2) {
    EndBattleForSide(1);
  } else {
    return false;
  }
  return true;
}
