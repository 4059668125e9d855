#pragma once
#include <cstdint>

#include "framework/core/GString31.h"
#include "framework/core/GString63.h"

// What a game file keeps of the application beside the battle and the operation: the play
// mode, the side to play, the passwords, the names, the seeds and the turn's time limit. The
// application hands a copy to the game file to write and takes the read copy back only when
// the whole file was accepted.
class GameFileSettings {
 public:
  int32_t humanPlayers = 0;
  int32_t sideToPlay = 2;     // 0 Axis, 1 Allied, 2 before any game
  uint8_t sideToggle = 0;
  int32_t connectionType = 0;  // 0 one machine, 1 e-mail, 2 TCP/IP
  GString63 passwordDigest[2];
  uint8_t passwordSet[2] = {};
  GString31 gameName;
  uint16_t sharedSeed = 0;
  int32_t timeLimitMs = 0;
  uint8_t ordersFinished = 0;
  // The check value of the e-mail block the last e-mail turn came in.
  uint32_t emailSeed = 0;
  // The player chose the game from the list (its stored seed is taken even by a host).
  uint8_t listLoad = 0;
  uint8_t hostFlag = 0;
  // The version of the last file read or written.
  int32_t fileVersion = 4;
  // The scenario editor is open, and its two-player flag.
  uint8_t editorOpen = 0;
  uint8_t editorTwoPlayers = 0;
};
