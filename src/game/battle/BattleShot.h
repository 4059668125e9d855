#pragma once
#include <cstdint>

#include "framework/core/GObject.h"
#include "game/units/records/Shot.h"

class Unit;

// A delayed effect of the action phase: a round in flight, a blast, or a visibility event that
// makes smoke formed after its delay known to the sight traces. The battle carries it in its
// shot lists until its due slice and then works it out once (Battle::StepShot).
class Packet;

class BattleShot : public GObject {
 public:
  // The strength of the shot's effect by its kind: 0 the stored strength (extra receives the
  // stored auxiliary value), 1-5 and 8 the weapon's fragment value (ammunition kind 0 when
  // ignoreAmmo), 6 the weapon's second float x 200, 7 a value falling with the distance from
  // the start to the impact point, scaled by the shooter's rating. extra, when given, is first
  // set to 0. A kind-7 shot without a shooter, or any other kind, is a programmer error.
  float GetStrength(bool ignoreAmmo, float* extra) const;

  // The round as the firing unit filed it (its shooter, target and the hit), when one did.
  Shot round;
  bool fromUnit = false;
  int32_t dueSlice = 0;
  int32_t kind = 0;  // 0..8
  int32_t weapon = 0;
  int32_t ammoKind = 0;  // 4 smoke
  float storedStrength = 0.0f;
  int32_t storedAux = 0;
  float startX = 0.0f;
  float startY = 0.0f;
  float startZ = 0.0f;
  // A visibility event keeps x, y and the radius here.
  float impactX = 0.0f;
  float impactY = 0.0f;
  float impactZ = 0.0f;
  Unit* shooter = nullptr;
  Unit* target = nullptr;  // the unit the shot hits, set by the firer or found here
  int32_t creatorA = 0;
  int32_t creatorB = 0;
  uint8_t side = 0;  // the shooter's side byte (1 Axis)
  uint8_t treeBurst = 0;
  uint8_t squareRoot = 0;
  uint8_t doubledBlast = 0;
  uint8_t specialHit = 0;
  uint8_t visibilityEvent = 0;
  // The fire packet that shows this shot in the replay, or null: a tree burst raises its end.
  Packet* firePacket = nullptr;
};
