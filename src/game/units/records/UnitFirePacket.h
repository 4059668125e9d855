#pragma once
#include <cstdint>

class Unit;

// One shot or burst as the replay shows it (packet kind 1): where it came from, at what, how
// it looks and sounds, and, once the round is resolved, where it landed. The firing code fills
// it and files it through UnitServices::RecordFirePacket when the shot is resolved.
struct UnitFirePacket {
  static constexpr int8_t kKind = 1;

  int8_t packetKind = kKind;
  int16_t slice = 0;
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  // Fire type 6 (the flame effect).
  uint8_t typeSixFlag = 0;
  Unit* targetUnit = nullptr;
  float targetX = 0.0f;
  float targetY = 0.0f;
  float targetZ = 0.0f;
  int32_t clearedA = 0;
  int32_t clearedB = 0;
  Unit* shooter = nullptr;
  // The shooter's position is shown to the other side.
  uint8_t originShown = 0;
  float speedFactor = 1.0f;
  // Rounds (or the flight time the firing action gives) as the replay counts them.
  int32_t count = 0;
  int16_t effectCode = 0;
  // Filled by the shot resolution; landed is set with the impact point.
  uint8_t landed = 0;
  uint8_t bodyHit = 0;
  float blastValue = 0.0f;
  float impactX = 0.0f;
  float impactY = 0.0f;
  float impactZ = 0.0f;
};

// Rescales a shot's share by factor: the record's count and a become value x factor + 0.5,
// truncated; b changes by as much as a did and total by as much as b did, so a round that
// lands nearer or farther arrives that much sooner or later.
void ScaleShare(float factor, UnitFirePacket& record, int32_t& total, int32_t& a, int32_t& b);
