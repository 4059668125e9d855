// The terrain code table: the 704 codes a cell of the editor's terrain grid can hold, each one
// combination of a map tile's terrain byte, road byte and fire state, with the kind of terrain
// the editor names it by. Imported maps are decoded through it and an operation's battle map
// is turned back into codes through it. Its contents come from data/terrain_codes.txt.
#pragma once

#include <cstdint>

class TerrainCodeTable {
 public:
  static constexpr int32_t kCodeCount = 704;
  static constexpr int32_t kKindCount = 45;
  // Kind k is named by string kFirstKindString + k.
  static constexpr int32_t kFirstKindString = 5000;

  // The low bytes of the code's three fields: a code not used gives terrain 255, road 0, fire 0.
  // A code outside 0-703 is a programmer error (fatal): readers refuse such codes first.
  // The editor knows this as Editor::DecodeTerrainCode.
  static void DecodeTerrainCode(int32_t code, int16_t& terrain, int16_t& road, uint8_t& fire);

  // The code of a (terrain, road, fire state) combination; -1, with the combination in the
  // error log, when none has one. Water on snow (27) is looked up as water (25), and open
  // ground burning as vegetation (grain read on snow ground) as burning grain.
  static int32_t FindTerrainCode(int32_t terrain, int32_t road, int32_t fire);

  // Whether the code (0-703) stands for a combination; false outside 0-703.
  static bool IsUsed(int32_t code);
  // The code's terrain kind, 0-44; -1 for a code not used or outside 0-703.
  static int32_t Kind(int32_t code);
  // The string id naming the code's kind; -1 for a code not used or outside 0-703.
  static int32_t KindString(int32_t code);
};
