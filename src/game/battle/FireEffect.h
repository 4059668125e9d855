#pragma once
#include <cstdint>

#include "game/battle/ReplayEffect.h"

class Packet;
class Unit;

// A shot in flight as the replay shows it, made from a fire packet: from the shooter's point
// (effect codes below 13) or at a target unit (codes 13 and above) to the target point.
class FireEffect : public ReplayEffect {
 public:
  // The first code that follows a target unit rather than flying from a point.
  static constexpr int32_t kFirstUnitCode = 13;

  // Fills the effect from a fire packet; visible when shown to the side.
  explicit FireEffect(const Packet& packet, bool shownToSide);

  // A flying shot (code below 13, moving) whose end has come leaves an impact effect.
  ReplayEffect* Step(int32_t replaySlice) override;

  int16_t code = 0;
  float fromX = 0.0f;
  float fromY = 0.0f;
  float fromZ = 0.0f;
  Unit* target = nullptr;
  float toX = 0.0f;
  float toY = 0.0f;
  float toZ = 0.0f;
  float heading = 0.0f;  // degrees, shooter to target
  float speed = 0.0f;
  uint8_t visible = 0;
  uint8_t moving = 0;
  uint8_t bytes[3] = {};  // the packet's first flag, no-flight flag, third flag
  bool impactLeft = false;
};
