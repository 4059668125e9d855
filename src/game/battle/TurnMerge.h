#pragma once
#include <cstdint>

class Battle;
class GFile;

// A turn received from the other machine in TCP/IP play, merged into the running battle: the
// file's orders block is read into a temporary battle, its units (both sides, or the
// opponent's only) overwrite their counterparts of the same identity, units the battle does
// not hold join it, and a packet list that follows becomes the battle's action.
//
// Whole or nothing: the file is read and every unit and reference is checked against the
// battle first, so a file that does not fit (a unit of another kind under an identity, a
// reference to a unit that exists nowhere, a damaged packet list) leaves the battle as it was.
class TurnMerge {
 public:
  // ownSide: the side this machine plays. answer: this machine re-reads its own answer.
  static bool Merge(Battle& battle, GFile& file, bool allSides, bool answer, int32_t ownSide);
  // What follows the orders block in a turn sent to the other machine: a byte 1 and the
  // action (its packet list and the two sides' quiet-turn counters, which only the computing
  // machine counts), or a byte 0.
  static void WriteTail(const Battle& battle, GFile& file, bool withAction);

 private:
  static bool MergeInto(Battle& battle, GFile& file, bool allSides, bool answer, int32_t ownSide);
};
