#pragma once
#include <cstdint>

#include "framework/core/GObject.h"
#include "framework/core/GString127.h"

// What the game-file list shows of a stored game before it is opened: the fields at the start
// of every game file.
class GameFileHeader : public GObject {
 public:
  GameFileHeader() = default;
  GameFileHeader(const GameFileHeader& other) : GObject(other) { *this = other; }
  ~GameFileHeader() override = default;
  GameFileHeader& operator=(const GameFileHeader& other);

  // The newest format and version of the file this program reads.
  static constexpr uint8_t kFormat = 2;
  static constexpr uint8_t kVersion = 4;

  // Reads the header from the file's start (the untransformed bytes): false, the fields
  // unchanged, when the format or version is newer than this program's or the file ends
  // within the header.
  bool ReadHeader(GFile& file);

  uint8_t savedGame = 0;   // 1 a saved game, 0 a scenario written by the editor
  int32_t length = 0;      // turns (battles of an operation) still to play
  int32_t size = 0;        // units, with those of the reinforcement groups
  int32_t forces[2] = {};  // the main nationality code of each side
  GString127 title;
};
