// The replay of the action on the battle screen: its start, its clock, the step of each frame,
// seeking and the controls. Each frame plays the record through the clock's slice
// (BattleRecord.cpp), the rules' step that the headless battle plays without a screen.
#include "framework/core/GErrorLog.h"
#include "game/battle/Battle.h"
#include "game/battle/ReplayScreen.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/OrderState.h"
#include "game/units/Unit.h"

void Battle::DeleteReplayEffects() {
  replay.effects.clear();
  replay.newEffects.clear();
}

void Battle::BeginReplay(bool play) {
  App().SetInputMode(InputModes::kReplay);
  replayState = Replay::kPlaying;
  ShowReplayStrip();
  PreloadSounds();
  // The record stands at its start already (ComputeAction): only the clock starts.
  replay.SetClockTo(0);
  if (play) {
    ReplayStep();
  } else {
    ReplayControl(Replay::kPaused);
  }
}

void Battle::StartReplay() {
  StartRecord();
  replay.SetClockTo(0);
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
  PlayRecordThrough(r.current);
  const int32_t played = r.previous;
  r.current = r.ClockSlice();
  if (r.effects.empty() && r.current >= RecordEndSlice()) {
    // A frame that jumped past the end (a slow frame, a clock that moved on while the program
    // waited) still plays what lay between: the replay ends on the action's last state, the
    // record's end that the headless battle reaches too.
    const int32_t clock = r.current;
    FinishRecord();
    // The frame and the clock stay the replay's: the seconds shown and the controls go on
    // from them.
    r.previous = played;
    r.current = clock;
    if (replayScreen != nullptr) replayScreen->PlaySound(128, 25);
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
  if (command < Replay::kRestart || command > Replay::kForward) {
    GErrorLog::LogValue("Replay command not known:", command);
    return false;
  }
  if (replayScreen != nullptr && (command == Replay::kPaused || command == Replay::kPlaying)) {
    replayScreen->SetCameraCounter(command == Replay::kPaused ? 0 : 1);
  }
  const bool shift = replayScreen != nullptr && replayScreen->IsShiftDown();
  const int32_t step = shift ? 2400 / 30 : 2400 / 6;
  if (command == Replay::kForward) {
    int32_t target = replay.current + step;
    const int32_t limit = RecordEndSlice();
    const bool reachesEnd = limit <= target;
    if (reachesEnd) target = limit;
    if (replay.previous < target) {
      SeekReplay(target);
      if (reachesEnd) {
        DeleteReplayEffects();
        SeekReplay(target);
      }
    }
  } else if (command == Replay::kBack && replay.current - step >= 2) {
    if (replayScreen != nullptr) replayScreen->SetSoundPhase(1);
    const int32_t target = replay.current - step;
    if (map != nullptr) map->DeleteSounds(false);
    StartReplay();
    DeleteReplayEffects();
    SeekReplay(target);
  } else {
    if (command == Replay::kBack) {
      if (replayScreen != nullptr) replayScreen->SetSoundPhase(1);
      command = Replay::kRestart;
    }
    if (command != replayState) {
      if (command == Replay::kRestart) {
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
