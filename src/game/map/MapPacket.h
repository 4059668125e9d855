#pragma once
#include <cstdint>

class MapUnitView;

// An event the map asks the battle to record for the replay (sounds of collapsing buildings,
// burning tiles, building collapse and state, craters), and the same event as the replay hands
// it back. The battle's own packet record carries the common head (kind, slice, x, y, z) and
// a payload per kind; this is the map's view of the kinds it makes and plays, which the
// battle copies into and out of its record. The battle stamps it with its current slice plus
// the delay.
struct MapPacket {
  // Kinds the map records.
  static constexpr int8_t kSound = 2;
  static constexpr int8_t kTileIgnites = 3;
  static constexpr int8_t kBuildingCollapse = 4;
  static constexpr int8_t kCrater = 7;
  static constexpr int8_t kCraterRemoved = 8;
  static constexpr int8_t kCraterRevealed = 9;
  static constexpr int8_t kBuildingState = 10;

  // The common head.
  int8_t kind = 0;
  int32_t delay = 0;  // slices after the current one
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  // Kinds 7 and 10.
  float size = 0.0f;      // crater size; a building's damage value
  float rotation = 0.0f;  // crater rotation, degrees
  float depth = 0.0f;     // crater depth value
  uint8_t flag = 0;       // crater lasting byte; a building's destroyed byte
  // Kind 2: a sound heard by each side at its own position.
  struct Sound {
    MapUnitView* source = nullptr;  // none for the map's sounds
    uint16_t number = 0;
    int16_t kind = 0;
    float parameter = 0.0f;  // handed to the sound player
    float position[2][3] = {};  // side 0, side 1: x, y, z
    uint8_t audible[2] = {};
    uint8_t looped = 0;
  } sound;
};
