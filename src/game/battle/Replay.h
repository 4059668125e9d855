#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "game/battle/Ephemeral.h"

class Packet;

// The replay of the battle's action: the clock that turns real time into replay slices (40 a
// second), the slices already played, the effects on show and the sound events of the frame.
// The battle owns it. Its rules play the record through it (Battle::StartRecord,
// PlayRecordThrough, FinishRecord); the screen's replay drives the clock and calls them
// (screen/BattleReplay.cpp: Battle::BeginReplay, StartReplay, ReplayStep, SeekReplay,
// ReplayControl).
class Replay {
 public:
  static constexpr int32_t kSlicesPerSecond = 40;
  // The replay's states; the pause and play commands of its strip carry the same numbers.
  static constexpr int32_t kStopped = 0;
  static constexpr int32_t kPaused = 13;
  static constexpr int32_t kPlaying = 14;
  // The other commands of the replay's strip.
  static constexpr int32_t kRestart = 11;
  static constexpr int32_t kBack = 12;
  static constexpr int32_t kForward = 15;

  // The replay slice the clock gives now.
  int32_t ClockSlice() const;
  // Sets the clock so that it gives this slice now.
  void SetClockTo(int32_t slice);

  int32_t current = 0;
  int32_t previous = -1;
  uint32_t startTick = 0;
  bool seeking = false;
  // The first packet of the list not yet played.
  int32_t cursor = 0;
  std::vector<std::unique_ptr<Ephemeral>> effects;
  std::vector<std::unique_ptr<Ephemeral>> newEffects;
  std::vector<Packet*> soundEvents;  // not owned
  bool badCodeLogged = false;        // a fire packet of unknown effect code was logged
};
