#include "app/GameFileHeader.h"

#include "framework/core/GFile.h"

GameFileHeader& GameFileHeader::operator=(const GameFileHeader& other) {
  if (this == &other) return *this;
  savedGame = other.savedGame;
  length = other.length;
  size = other.size;
  forces[0] = other.forces[0];
  forces[1] = other.forces[1];
  title = other.title;
  return *this;
}

bool GameFileHeader::ReadHeader(GFile& file) {
  const auto format = static_cast<uint8_t>(file.ReadByte());
  const auto version = static_cast<uint8_t>(file.ReadByte());
  if (file.HasError() || format > kFormat || version > kVersion) return false;
  GameFileHeader read;
  read.savedGame = static_cast<uint8_t>(file.ReadByte());
  read.length = static_cast<int32_t>(file.ReadU32());
  read.size = static_cast<int32_t>(file.ReadU32());
  // Each force code is a 16-bit value widened to 32 bits.
  read.forces[0] = static_cast<int16_t>(file.ReadU16());
  read.forces[1] = static_cast<int16_t>(file.ReadU16());
  // A title longer than any the writer stores shows a damaged header.
  if (!read.title.ReadText(file) || file.HasError()) return false;
  *this = read;
  return true;
}
