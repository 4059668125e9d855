// The set-up GO, the next turn and the removal of units between turns.
#include <algorithm>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleCanonicalPass.h"
#include "game/battle/BattleKeyHost.h"
#include "game/battle/Campaign.h"
#include "game/battle/NetworkAutosave.h"
#include "game/battle/ReplayScreen.h"
#include "game/battle/ResultsScreen.h"
#include "game/map/BattlefieldScreen.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/TurnExchange.h"
#include "game/map/OrderState.h"
#include "game/units/ports/InanimateServices.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/ports/UnitServices.h"


void Battle::SetupGo() {
  if (currentTurn != 1) FatalError(2130, "Battle");
  MapAppServices& app = App();
  auto* operation = dynamic_cast<Campaign*>(app.GetOperation());
  const bool night = operation != nullptr && timeOfDay == 2;
  if (night && resultsShown == 0 && !IsOver()) {
    // A side that has not said whether it fights at night says no, unless it may open the
    // battle at night: then its player is asked first (command 17 answers yes).
    const int32_t side = app.GetCurrentSide() & 1;
    if (operation->nightIntent[side] == 0) {
      operation->nightIntent[side] = 1;
      if (operation->mayStartNight[side] != 0 && keyHost != nullptr) {
        keyHost->ShowAlert(18);
        return;
      }
    }
  }
  const bool twoPlayers = app.GetHumanPlayers() >= 2;
  // The first of two players at one machine or by e-mail has placed: the other places next.
  if (twoPlayers && app.Exchange().GetSecondOrders() && app.GetConnectionType() != 2 && app.Exchange().ContinueAfterTurn()) return;
  if (night && operation->nightIntent[0] != 2 && operation->nightIntent[1] != 2) {
    // Nobody seeks a night action: the night battle is skipped.
    currentTurn = lastTurn + 1;
    setupPhase = 0;
    if (twoPlayers && app.GetConnectionType() != 0) finished = 1;
    ShowResults(false, true);
    return;
  }
  if (app.GetHumanPlayers() == 1) app.Exchange().Autosave(false);
  BattleCanonicalPass::Run(*this);
  PlanComputerSides(false, -1);
  SeedRandom(sharedSeed);
  CraterInfantryPositions();
  // The obstacles stand where the set-up left them: they enter the map's ground now. A battle
  // read after its set-up phase stamps them as it is read instead.
  for (int32_t i = 0; i < units.Count(); ++i) {
    Unit* unit = UnitAt(i);
    unit->StampFootprint();
    unit->UpdateSpotting();
  }
  setupPhase = 0;
  if (map != nullptr) map->UpdateCraterVisibility();
  ComputeScoreShares(true, nullptr, nullptr);
  packets.DeleteAll(true);
  replay.soundEvents.clear();  // they pointed into the packets
  if (twoPlayers && !app.Exchange().GetSecondOrders() && app.GetConnectionType() == 1) {
    app.Exchange().ToggleSecondOrders();
    app.Exchange().ContinueAfterTurn();
  }
  GErrorLog::LogValue("RndCheckSetup =", RandomPreservingSeed());
}

void Battle::CraterInfantryPositions() {
  // In a meeting engagement nobody has dug in.
  if (attacker == 2 || map == nullptr) return;
  // In an operation, from its second battle, everybody has dug in after a night.
  const auto* operation = dynamic_cast<const Campaign*>(App().GetOperation());
  const bool afterNight = operation != nullptr && operation->currentTurn >= 2 &&
                          RotationPhase(operation->currentTurn - 1, operation->nightEvery, operation->openingSlot) == 2;
  const bool laterBattle = operation != nullptr && operation->currentTurn >= 2;
  for (int32_t i = 0; i < units.Count(); ++i) {
    Unit* unit = UnitAt(i);
    const InfantryServices* infantry = unit->AsInfantry();
    if (infantry == nullptr || unit->IsPassenger()) continue;
    if (laterBattle ? !afterNight : unit->GetSideIndex() == attacker) continue;
    const bool large = infantry->IsSquad() || unit->HasMainWeaponOfType23(false);
    map->AddImpactCrater(unit->x, unit->y, large ? 260.0f : 155.0f, true, false);
  }
}

bool Battle::ShowResultsAgain() {
  if (resultsScreen == nullptr || resultsShown == 0 || !IsOver()) return false;
  SetViewActive(false);
  resultsScreen->ShowResultsAgain();
  return true;
}

void Battle::NextTurn() {
  MapAppServices& app = App();
  if (replayScreen != nullptr) replayScreen->SetCameraCounter(0);
  if (map != nullptr) map->CloseUnitInfoBalloon();
  // Whatever the replay has not shown yet is played first, as a seek: the one-shot sounds of
  // what nobody watched are not heard.
  const int32_t last = LastPacketSlice(false);
  if (packets.Count() > 0 && replay.current <= last) {
    replay.seeking = true;
    PlayRecordThrough(RecordEndSlice());
    replay.seeking = false;
  }
  ComputeStrengthRatios();
  const int32_t connection = app.GetConnectionType();
  if (app.GetHumanPlayers() >= 2 && connection == 0 && app.Exchange().GetSecondOrders()) {
    // The first player has watched: the replay starts again for the second.
    if (replayScreen != nullptr) replayScreen->ReplayForSecondViewer();
    if (app.Exchange().ContinueAfterTurn()) return;
  }
  if (connection == 1 && !app.Exchange().GetSecondOrders()) {
    if (map != nullptr) map->DeleteSounds(false);
    if (app.Exchange().ContinueAfterTurn()) return;
  }

  if (map != nullptr) map->DeleteSounds(true);
  app.Exchange().ApplyNetworkSeed();
  app.SetInputMode(InputModes::kNoPick);
  RejoinSplitSquads();
  RemoveEliminatedUnits();
  for (int32_t i = 0; i < units.Count(); ++i) UnitAt(i)->SnapshotOrders();
  replayState = Replay::kStopped;
  DeleteReplayEffects();
  if (replayScreen != nullptr) replayScreen->ShowGoStrip();
  // The seek above may have queued looped sounds that no frame has taken yet: they pointed
  // into the packets.
  packets.DeleteAll(true);
  replay.soundEvents.clear();
  currentSlice = -1;
  currentTurn += 1;
  if (!IsOver()) CheckMutualEnd();
  // The battle is over: the results.
  if (IsOver()) {
    if (app.GetHumanPlayers() == 2 && connection == 1) finished = 1;
    ShowResults(false, false);
    return;
  }
  if (app.GetHumanPlayers() >= 2 && connection == 1) app.Exchange().ToggleSecondOrders();
  if (replayScreen != nullptr) replayScreen->SetSoundPhase(0);
  BringReinforcements();
  RefreshUnitDisplays();
  for (int32_t i = 0; i < units.Count(); ++i) UnitAt(i)->UpdateSpotting();
  ComputeScoreShares(true, nullptr, nullptr);
  ComputeStrengthRatios();
  if (connection == NetworkConnectionTcpIp) NetworkAutosave(app);
  // The next action's seed. In TCP/IP play the host draws it and it reaches the other
  // machine with the orders; otherwise it is drawn at every turn, so that no two actions start
  // from the same draws, and the game file carries it to the machine that computes the action.
  // The draw leaves the generator as it was (as the other machine's, which draws nothing).
  if (connection != NetworkConnectionTcpIp || app.Exchange().IsSeedDrawing()) {
    const uint32_t generator = RandomState();
    sharedSeed = static_cast<uint16_t>(Random(65535));
    SeedRandom(generator);
    app.Exchange().SetSharedSeed(sharedSeed);
  }
  if (connection == NetworkConnectionTcpIp) {
    // The next orders phase; orders the opponent sent during the replay are merged now. A
    // connection that cannot go on has ended with its alert.
    app.Exchange().NetworkReplayEnded();
  }
}

void Battle::RejoinSplitSquads() {
  // Whether the half that stayed and its linked half may become one squad again.
  auto mayRejoin = [](const Unit& unit, const Unit& partner) {
    auto ready = [](const Unit& u) {
      return u.IsAlive() && !u.HasSurrendered() && u.CanFight() && !u.HasMoveOrder() && !u.IsPassenger();
    };
    return ready(unit) && ready(partner) && unit.DistanceTo(partner) < 10.0f;
  };
  std::vector<Unit*> absorbed;
  for (int32_t i = 0; i < units.Count(); ++i) {
    Unit* unit = UnitAt(i);
    InfantryServices* infantry = unit->AsInfantry();
    if (infantry == nullptr || !infantry->IsSecondHalf()) continue;
    Unit* partner = infantry->GetSplitPartner();
    if (partner == nullptr || !units.Contains(partner) || !mayRejoin(*unit, *partner)) continue;
    if (std::find(absorbed.begin(), absorbed.end(), partner) != absorbed.end()) continue;
    if (infantry->RejoinLinkedHalf()) absorbed.push_back(partner);
  }
  for (Unit* partner : absorbed) DeleteUnitFromBattle(partner);
}

void Battle::DeleteUnitFromBattle(Unit* unit) {
  // Nothing may keep a unit that is gone: the computer's groups and the selections lose it.
  ForEachAIGroup(unit);
  if (selectedUnit == unit) selectedUnit = nullptr;
  if (map != nullptr && map->camera.selectedUnit == static_cast<MapUnitView*>(unit)) map->camera.selectedUnit = nullptr;
  units.RemoveObject(unit, true);
}

void Battle::RemoveEliminatedUnits() {
  constexpr int32_t kAmbushMarker = 3;
  const bool over = IsOver();
  std::vector<Unit*> markers;
  for (int32_t i = 0; i < units.Count(); ++i) {
    Unit* unit = UnitAt(i);
    const InanimateServices* object = unit->AsInanimate();
    if (object != nullptr && object->GetKind() == kAmbushMarker) markers.push_back(unit);
  }
  for (Unit* marker : markers) {
    if (over) {
      marker->DropAsTargetOfAll(false, true, false);
    } else {
      bool held = false;
      for (int32_t i = 0; i < units.Count() && !held; ++i) held = UnitAt(i)->target == marker;
      if (held) continue;
    }
    marker->ReleaseAsTargetOfAll();
    DeleteUnitFromBattle(marker);
  }
}
