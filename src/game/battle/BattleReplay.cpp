// The replay of the action: its clock, the step of each frame, seeking and the controls.
#include <algorithm>

#include "framework/core/GErrorLog.h"
#include "game/battle/Battle.h"
#include "game/battle/Packet.h"
#include "game/battle/ReplayScreen.h"
#include "game/map/Map.h"
#include "game/map/MapPacket.h"
#include "game/units/Unit.h"

namespace {

constexpr int32_t kRestart = 11;
constexpr int32_t kBack = 12;
constexpr int32_t kForward = 15;
// Slices of the replay after the last packet before it ends.
constexpr int32_t kEndMargin = 10;
// The action's last slice: the display moves units between packets up to it.
constexpr int32_t kLastActionSlice = 2400;

bool HasTurnStartState(const Map& map) {
  const Map::Objects& o = map.objects;
  return o.buildingsAtTurnStart != nullptr && o.cratersAtTurnStart != nullptr && o.craterMarksAtTurnStart != nullptr &&
         o.smallObjectsAtTurnStart != nullptr;
}

}  // namespace

void Battle::DeleteReplayEffects() {
  replay.effects.clear();
  replay.newEffects.clear();
}

void Battle::StartReplay() {
  for (int32_t i = 0; i < units.Count(); ++i) UnitAt(i)->ResetForReplay();
  replay.previous = -1;
  replay.current = 0;
  replay.cursor = 0;
  replay.SetClockTo(0);
  if (map != nullptr && HasTurnStartState(*map)) {
    // The map goes back to the turn's start; buildings that collapse in the replay stand.
    std::vector<MapPacket> collapses;
    for (int32_t i = 0; i < packets.Count(); ++i) {
      const auto* p = static_cast<const Packet*>(packets.GetItem(i));
      if (p->kind != Packet::kBuildingCollapse) continue;
      MapPacket m;
      m.kind = p->kind;
      m.x = p->x;
      m.y = p->y;
      m.z = p->z;
      collapses.push_back(m);
    }
    map->RestoreTurnStartState(collapses);
  }
}

void Battle::ReplayStep() {
  if (replayState == Replay::kPaused) return;
  Replay& r = replay;
  for (auto& effect : r.effects) {
    if (Ephemeral* left = effect->Step(r.current)) r.newEffects.emplace_back(left);
  }
  std::erase_if(r.effects, [&](const auto& effect) { return effect->End() <= r.current; });
  for (auto& effect : r.newEffects) r.effects.push_back(std::move(effect));
  r.newEffects.clear();
  // The list is in slice order: the cursor passes what was played and plays what is due.
  const int32_t count = packets.Count();
  r.cursor = std::min(r.cursor, count);
  while (r.cursor < count && static_cast<Packet*>(packets.GetItem(r.cursor))->timeSlice <= r.previous) ++r.cursor;
  while (r.cursor < count) {
    auto* packet = static_cast<Packet*>(packets.GetItem(r.cursor));
    if (packet->timeSlice > r.current) break;
    PlayPacket(*packet);
    ++r.cursor;
  }
  // Between their packets units move on at their recorded speed; past the action's end they
  // keep the state their last packets gave.
  for (int32_t i = 0; i < units.Count(); ++i) {
    Unit* unit = UnitAt(i);
    if (r.current <= kLastActionSlice) {
      unit->AdvanceBy(r.current, r.current);
    } else {
      unit->RestoreRecordedState();
    }
  }
  r.previous = r.current;
  r.current = r.ClockSlice();
  if (r.effects.empty() && r.current >= LastPacketSlice(false) + kEndMargin) {
    // A frame that jumped past the end (a slow frame, a clock that moved on while the program
    // waited) still plays what lay between: the replay ends on the action's last state.
    for (; r.cursor < count; ++r.cursor) PlayPacket(*static_cast<Packet*>(packets.GetItem(r.cursor)));
    if (replayScreen != nullptr) replayScreen->PlaySound(128, 25);
    // The units' targets and orders become those the next orders phase starts from.
    for (int32_t i = 0; i < units.Count(); ++i) UnitAt(i)->SnapshotOrders();
    if (replayScreen != nullptr) replayScreen->SetBlinkIndicator(true);
    replayState = Replay::kPaused;
    if (replayScreen != nullptr) {
      replayScreen->SetCameraCounter(0);
      replayScreen->ShowGoButton(true);
    }
  }
  if (!r.seeking && replayScreen != nullptr) replayScreen->ShowSeconds(r.current / Replay::kSlicesPerSecond);
}

void Battle::SeekReplay(int32_t slice) {
  // The clock is set to the target first, so that the step reads it back and the end is
  // judged at the target rather than at wherever the clock stood.
  replay.current = slice;
  replay.SetClockTo(slice);
  const int32_t remembered = replayState;
  replay.seeking = true;
  replayState = Replay::kPlaying;
  ReplayStep();
  replay.seeking = false;
  if (replayState != Replay::kPaused) replayState = remembered;
  replay.previous = slice;
  replay.current = slice + 1;
  replay.SetClockTo(replay.current);
  if (replayScreen != nullptr) replayScreen->ShowSeconds(replay.current / Replay::kSlicesPerSecond);
}

bool Battle::ReplayControl(int32_t command) {
  if (command < kRestart || command > kForward) {
    GErrorLog::LogValue("Replay command not known:", command);
    return false;
  }
  if (replayScreen != nullptr && (command == Replay::kPaused || command == Replay::kPlaying)) {
    replayScreen->SetCameraCounter(command == Replay::kPaused ? 0 : 1);
  }
  const bool shift = replayScreen != nullptr && replayScreen->IsShiftDown();
  const int32_t step = shift ? 2400 / 30 : 2400 / 6;
  if (command == kForward) {
    int32_t target = replay.current + step;
    const int32_t limit = LastPacketSlice(false) + kEndMargin;
    const bool reachesEnd = limit <= target;
    if (reachesEnd) target = limit;
    if (replay.previous < target) {
      SeekReplay(target);
      if (reachesEnd) {
        DeleteReplayEffects();
        SeekReplay(target);
      }
    }
  } else if (command == kBack && replay.current - step >= 2) {
    if (replayScreen != nullptr) replayScreen->SetSoundPhase(1);
    const int32_t target = replay.current - step;
    if (map != nullptr) map->DeleteSounds(false);
    StartReplay();
    DeleteReplayEffects();
    SeekReplay(target);
  } else {
    if (command == kBack) {
      if (replayScreen != nullptr) replayScreen->SetSoundPhase(1);
      command = kRestart;
    }
    if (command != replayState) {
      if (command == kRestart) {
        if (map != nullptr) map->DeleteSounds(false);
        StartReplay();
        // The fires of the turn's start sound again at once; nothing is recorded.
        if (map != nullptr) map->ReapplyFires();
        DeleteReplayEffects();
        if (replayScreen != nullptr) replayScreen->InvalidateInfoPanel();
      } else if (command == Replay::kPaused) {
        if (replayScreen != nullptr) replayScreen->ShowGoButton(true);
        replayState = Replay::kPaused;
      } else {
        if (replayScreen != nullptr) replayScreen->ShowGoButton(false);
        replay.SetClockTo(replay.current);
        replayState = Replay::kPlaying;
      }
      if (replayScreen != nullptr) replayScreen->ShowSeconds(replay.current / Replay::kSlicesPerSecond);
    }
  }
  if (selectedUnit != nullptr && selectedUnit->GetIdentificationLevel(true) == 0) selectedUnit = nullptr;
  return true;
}
