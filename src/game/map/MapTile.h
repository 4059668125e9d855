#pragma once
#include <cstdint>

// The record of one 20 m tile: what its stored codes became after the set-up passes.
struct MapTile {
  // Road kinds of the road-end flags, in their index order: types 9, 8 and 10.
  static constexpr int32_t kRoadKinds = 3;
  // Corners of the road-end flags: 0 low x low y, 1 low x high y, 2 high x high y, 3 high x low y.
  static constexpr int32_t kCorners = 4;

  int32_t terrain = 0;  // terrain type: the stored code, 26 for fords, 11 for pavement
  int32_t road = 0;     // 0 none, else the fine-grid road type 8, 9 or 10
  int16_t shape = 0;    // shape of the terrain piece, 0..5
  int16_t roadShape = 0;  // shape of the road piece, 0..14
  uint8_t mirrored = 0;
  uint8_t roadMirrored = 0;
  uint8_t rotation = 0;      // quarter turns of the terrain piece
  uint8_t roadRotation = 0;  // quarter turns of the road piece
  uint8_t roadEnds[kCorners][kRoadKinds] = {};
  uint8_t zone = 0;      // set-up zone: 0 none, 1 side 0, 4 side 1, 2 and 5 promoted, 99 both
  uint8_t code = 0;      // terrain code as stored
  uint8_t roadCode = 0;  // road code as stored
};
