#pragma once
#include <cstdint>

// An event the map asks the battle to record for the replay (burning tiles, building
// collapse and state, craters). The battle turns it into its own packet record, stamped with
// its current slice plus the delay.
struct MapPacket {
  // Kinds the map records.
  static constexpr int8_t kTileIgnites = 3;
  static constexpr int8_t kBuildingCollapse = 4;
  static constexpr int8_t kCrater = 7;
  static constexpr int8_t kCraterRemoved = 8;
  static constexpr int8_t kCraterRevealed = 9;
  static constexpr int8_t kBuildingState = 10;

  int8_t kind = 0;
  int32_t delay = 0;
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float size = 0.0f;      // crater size; a building's damage value
  float rotation = 0.0f;  // crater rotation, degrees
  float depth = 0.0f;     // crater depth value
  uint8_t flag = 0;       // crater lasting byte; a building's destroyed byte
};
