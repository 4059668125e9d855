#pragma once
#include <cstdint>

#include "game/battle/Ephemeral.h"

class EphemeralBurst;
class GRandom;
class Unit;

// A shot in flight: one projectile, a stream of tracers, a falling bomb or tumbling debris
// travelling from the source to the target point along an arc, chosen by the effect code
// (0..19); code 11 is a flame jet instead. A shot with a burst leaves one at the target when it
// ends.
class EphemeralShot : public Ephemeral {
 public:
  static constexpr int32_t kCodes = 20;
  static constexpr int32_t kFlameCode = 11;
  // Codes from here on start from the shooter's current position.
  static constexpr int32_t kFirstFollowingCode = 13;

  // Where projectile i is at the slice from the given source point; false when it is not drawn
  // (outside its flight, or still too near the source). Code 11 has no projectile.
  bool ProjectileAt(int32_t slice, int32_t i, float sx, float sy, float sz, float* x, float* y, float* z) const;
  // Projectiles of the code (0 for the flame and any code outside the table).
  int32_t ProjectileCount() const;
  // The code's size, 1.5 times larger from view level 3.
  float ProjectileSize(int32_t viewLevel) const;

  void Draw(int32_t slice, EffectView& view) override;
  bool IsShot() const override { return true; }
  // Once the shot has ended: its burst at the target, when it carries one (code below 13, the
  // burst flag, a size a blast can have), set up from the presentation's generator.
  Ephemeral* Step(int32_t replaySlice) override;
  EphemeralBurst* MakeBurst(GRandom& random) const;

  // Lengthens a flame to twice its flight time, at least 3 s, keeping the flight time as its
  // arrival; done once when it is made, so its end does not depend on its being drawn.
  void LengthenFlame();
  // The flame's window [back, front] along the way at e slices from the start.
  void FlameWindow(int32_t e, float* back, float* front) const;

  const Unit* shooter = nullptr;  // not owned
  float targetX = 0.0f;
  float targetY = 0.0f;
  float targetZ = 0.0f;
  float heading = 0.0f;  // degrees, source to target, taken when made
  bool fixedSource = true;
  bool shownToBoth = false;
  int16_t code = 0;
  bool burst = false;
  bool secondBurst = false;
  float burstSize = 0.0f;
  float muzzleHeight = 0.0f;
  bool flameStarted = false;
  int32_t flameArrival = 0;
  bool burstLeft = false;

 private:
  void DrawFlame(int32_t slice, EffectView& view, float sx, float sy, float sz);
  void DrawTrail(float f, float sx, float sy, float sz, float te, bool high, EffectView& view) const;
};
