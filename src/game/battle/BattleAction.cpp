// The GO of the orders phase and the action it computes: the turn's 2,401 slices, the tail of late shots, the periodic map work,
// the packet statistics and the start of the turn's record.
#include <atomic>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleCanonicalPass.h"
#include "game/battle/BattleShot.h"
#include "game/battle/Campaign.h"
#include "game/battle/NetworkAutosave.h"
#include "game/battle/ResultsScreen.h"
#include "game/battle/Packet.h"
#include "game/battle/ReplayScreen.h"
#include "game/map/BattlefieldScreen.h"
#include "game/map/Building.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/SmokeCloud.h"
#include "game/map/TurnExchange.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitServices.h"

namespace {

constexpr int32_t kLastSlice = 2400;
constexpr int32_t kShotLimit = 4800;

// Slice serials are never handed out twice, whichever battle asks (battles may be computed on
// several threads at once).
uint64_t NextSliceSerial() {
  static std::atomic<uint64_t> last{0};
  return ++last;
}

}  // namespace

void Battle::AddUnitLater(Unit* unit) { laterUnits.Append(unit); }

void Battle::RefreshUnitDisplays() {
  // A squad out of its leader's reach loses him; a leaderless one is taken over by a leader in
  // reach. Only live infantry leaders can be taken, and the searches change no unit's life,
  // kind or class: when they search this battle they look at those alone, gathered once.
  std::vector<Unit*>* leaders = nullptr;
  if (UnitBattle() == static_cast<MapBattleServices*>(this)) {
    leaders = &liveLeaders_;
    leaders->clear();
    for (int32_t i = 0; i < units.Count(); ++i) {
      if (Infantry::IsLiveLeader(UnitAt(i))) leaders->push_back(UnitAt(i));
    }
  }
  for (int32_t i = 0; i < units.Count(); ++i) {
    if (auto* infantry = UnitAt(i)->AsInfantryUnit()) infantry->FindCommandingLeader(leaders);
  }
  if (replayScreen != nullptr) replayScreen->InvalidateInfoPanel();
}

void Battle::JoinNewUnit(Unit* unit, const Unit* after) {
  if (computingAction != 0) {
    AddUnitLater(unit);
    return;
  }
  const int32_t index = after != nullptr ? units.IndexOf(after) : -1;
  if (index >= 0) units.InsertAt(unit, index + 1);
  else units.Append(unit);
}

void Battle::RunDueShots() {
  shotsAwaitingPacket.clear();
  inDueShotPass = true;
  for (int32_t i = 0; i < shots.Count();) {
    auto* shot = static_cast<BattleShot*>(shots.GetItem(i));
    if (shot->dueSlice > currentSlice) {
      ++i;
      continue;
    }
    StepShot(*shot);
    shots.RemoveAt(i, true);
  }
  inDueShotPass = false;
  // The shots made meanwhile and the visibility events join the walked list only now.
  while (laterShots.Count() > 0) shots.Append(laterShots.PopFirst());
  while (laterUnits.Count() > 0) units.Append(laterUnits.PopFirst());
}

void Battle::NoteUnitSides() {
  for (std::vector<Unit*>& list : notOfSide) list.clear();
  for (int32_t i = 0; i < units.Count(); ++i) {
    Unit* unit = UnitAt(i);
    if (unit->side != 0) notOfSide[0].push_back(unit);
    if (unit->side != 1) notOfSide[1].push_back(unit);
  }
  notOfSideStamp = units.Stamp();
}

void Battle::UpdateQuietCounters() {
  const MapAppServices& app = App();
  for (int32_t side = 0; side < 2; ++side) {
    const int32_t limit = side == app.GetCurrentSide() || app.GetHumanPlayers() == 2 ? 7500 : 10000;
    if (activityCount[side] < limit) {
      quietTurns[side] = static_cast<int16_t>(quietTurns[side] + 1);
    } else {
      quietTurns[side] = 0;
    }
  }
}

void Battle::ComputeAction(bool compute) {
  ComputeStrengthRatios();
  // The GO strip goes for the action and its replay; the indicator blinks again at the end.
  if (replayScreen != nullptr) {
    replayScreen->HideGoStrip();
    replayScreen->SetBlinkIndicator(false);
  }
  // The turn-start snapshot comes before any stored form with the turn-start set.
  if (map != nullptr) {
    map->SaveTurnStartState();
    map->FreeVisibilityCache();
  }
  if (!compute) {
    SortPackets();
  } else {
    // The units as their stored form keeps them, so a reloaded game computes alike.
    BattleCanonicalPass::Run(*this);
    computingAction = 1;
    activityCount[0] = 0;
    activityCount[1] = 0;
    Unit* remembered = selectedUnit;
    selectedUnit = nullptr;
    selectedWaypoint = -1;
    if (replayScreen != nullptr) replayScreen->ShowProgress(0);
    currentSlice = -1;
    // Sides may have changed since the last action's slices: no list stands until sorted anew.
    notOfSideStamp = 0;
    // Every tile burning at the turn's start is heard again from the replay's start.
    if (map != nullptr) map->ReapplyFires();
    for (int32_t i = 0; i < units.Count(); ++i) UnitAt(i)->BeginTurn();
    if (replayScreen != nullptr) replayScreen->ShowProgress(0);
    for (++currentSlice; currentSlice <= kLastSlice; ++currentSlice) {
      sliceSerial = NextSliceSerial();
      RunDueShots();
      NoteUnitSides();
      // Units made during a step join at the next slice.
      for (int32_t i = 0; i < units.Count(); ++i) UnitAt(i)->StepSlice(currentSlice);
      const int32_t slice = currentSlice;
      if (slice % 160 == 39) {
        ++unitDisplayPasses;
        RefreshUnitDisplays();
      }
      if (slice % 240 == 39) {
        ++craterVisibilityPasses;
        if (map != nullptr) map->UpdateCraterVisibility();
      }
      if (slice % 40 == 39) {
        StepSmokeClouds();
        if (replayScreen != nullptr) replayScreen->ShowProgress(slice);
        // The link stays alive and sends what it holds: a turn computed for minutes must not
        // look like silence, nor leave a message half sent, to the machine waiting for it.
        ++keepAlivePasses;
        App().Exchange().KeepNetworkLinkAlive();
      }
    }
    sliceSerial = 0;
    notOfSideStamp = 0;
    for (int32_t i = 0; i < units.Count(); ++i) UnitAt(i)->RefreshTarget(false);
    currentSlice = kLastSlice + 1;
    // The tail: late shots land, like in a slice, until none is left; a visibility event made
    // in the last slice waits in the second list and is taken in here too.
    while ((shots.Count() > 0 || laterShots.Count() > 0) && currentSlice < kShotLimit) {
      RunDueShots();
      for (int32_t i = 0; i < units.Count(); ++i) UnitAt(i)->RefreshTarget(true);
      ++currentSlice;
    }
    shotsAwaitingPacket.clear();
    shots.DeleteAll(true);
    laterShots.DeleteAll(true);
    // Units made during the action that appear late (a crew leaving its vehicle) show when due.
    for (int32_t i = 0; i < units.Count(); ++i) UnitAt(i)->ApplyTimedAction();
    if (map != nullptr && map->objects.buildings != nullptr) {
      GGroup* buildings = map->objects.buildings;
      for (int32_t i = 0; i < buildings->Count(); ++i) {
        const auto* building = static_cast<const Building*>(buildings->GetItem(i));
        Packet* packet = NewPacket(0);
        packet->kind = Packet::kBuildingState;
        packet->x = building->CentreX();
        packet->y = building->CentreY();
        packet->building.damage = building->damage;
        packet->building.destroyed = building->destroyed;
      }
    }
    // The thinning keeps what the sound manager's channels can play at once.
    if (replayScreen != nullptr) soundChannels = replayScreen->GetSoundChannelCount();
    ThinSoundPackets(soundChannels);
    selectedUnit = remembered;
    sliceBeforeSort = currentSlice;
    SortPackets();
    currentSlice = LastPacketSlice(true) + 1;
    if (map != nullptr && map->objects.smallObjects != nullptr) {
      GGroup* clouds = map->objects.smallObjects;
      for (int32_t i = 0; i < clouds->Count(); ++i) {
        const auto* cloud = static_cast<const SmokeCloud*>(clouds->GetItem(i));
        Packet* packet = NewPacket(0);
        packet->kind = Packet::kSmokeUpdate;
        packet->x = cloud->x;
        packet->y = cloud->y;
        packet->smoke.lifetime = cloud->lifetime;
      }
    }
    LogPacketStatistics();
    UpdateQuietCounters();
  }
  computingAction = 0;
  // The record from the turn's start: a computed action's first slice is played at once, as a
  // replay's first frame plays it, with or without a screen to watch it; a record received
  // waits at its start for its viewer.
  StartRecord();
  if (compute) PlayRecordThrough(0);
  // The screen, when there is one, shows the action from here.
  if (replayScreen != nullptr) replayScreen->ActionStarted(*this, compute);
}

void Battle::StepSmokeClouds() {
  if (map == nullptr || map->objects.smallObjects == nullptr) return;
  GGroup* clouds = map->objects.smallObjects;
  for (int32_t i = 0; i < clouds->Count();) {
    auto* cloud = static_cast<SmokeCloud*>(clouds->GetItem(i));
    cloud->lifetime -= 40;
    if (cloud->lifetime >= 0) {
      ++i;
      continue;
    }
    Packet* packet = NewPacket(0);
    packet->kind = Packet::kSmokeCleared;
    packet->x = cloud->x;
    packet->y = cloud->y;
    map->InvalidateVisibilityNear(cloud->x, cloud->y, cloud->radius);
    clouds->RemoveAt(i, true);
  }
}

void NetworkAutosave(MapAppServices& app) {
  const uint32_t generator = RandomState();
  app.Exchange().Autosave(false);
  SeedRandom(generator);
}

void Battle::Go() {
  mapViewFlag = 0;
  if (map != nullptr) map->CloseUnitInfoBalloon();
  // In the editor GO only resets the editor's objects.
  if (IsEditorOpen()) {
    App().Battlefield().ReturnToEditor();
    return;
  }
  // After the end, a look at the map goes back to the results.
  if (setupPhase == 0 && ShowResultsAgain()) return;
  // In TCP/IP play the GO first sends this side's orders; the battle goes on once both
  // sides' orders are here.
  MapAppServices& app = App();
  const bool network = app.GetConnectionType() == NetworkConnectionTcpIp;
  if (network && setupPhase == 0) NetworkAutosave(app);
  if (network && !app.Exchange().EndNetworkOrders()) return;
  if (setupPhase != 0) {
    SetupGo();
    if (network) app.Exchange().NetworkSetupEnded();
  } else {
    OrdersGo();
  }
}

void Battle::OrdersGo() {
  const int32_t side = App().GetCurrentSide() & 1;
  if (DecideSurrender(side)) return;
  MapAppServices& app = App();
  // The first side of a hotseat or e-mail turn is done: the other gives its orders next.
  if (!app.Exchange().GetSecondOrders() && app.GetConnectionType() != 2 && app.Exchange().ContinueAfterTurn()) return;
  BattleCanonicalPass::Run(*this);
  if (PlanComputerSides(true, side)) return;
  GErrorLog::LogValue("Action seed =", sharedSeed);
  SeedRandom(sharedSeed);
  GErrorLog::LogValue("RndCheckA =", RandomPreservingSeed());
  ComputeAction(true);
  GErrorLog::LogValue("RndCheckB =", RandomPreservingSeed());
  if (app.GetConnectionType() == 1) app.Exchange().ContinueAfterTurn();
}
