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
  // The terrain code exactly as the file held it. On snow ground the reader turns marsh, fords
  // and water into ice and grain into open ground; while the tile still holds that snow form,
  // the writer and the editor take this code instead, so nothing is lost by a round trip.
  uint8_t codeAsRead = 0;

  // What snow ground makes of a code as read: ice (27) for marsh, water and both fords, open
  // ground for grain; every other code is kept.
  static uint8_t SnowFormOf(uint8_t read) {
    if (read == 12 || read == 25 || read == 45 || read == 46) return 27;
    if (read == 16) return 0;
    return read;
  }
  // The code to store or edit: the code as read while the tile holds its snow form, else the
  // current code with ice stored as water.
  uint8_t CodeToStore() const {
    if (codeAsRead != code && SnowFormOf(codeAsRead) == code) return codeAsRead;
    return code == 27 ? 25 : code;
  }
};
