#pragma once
#include <array>
#include <cstdint>

#include "framework/media/GBoundingBox.h"
#include "game/battle/Ephemeral.h"

class GRandom;

// A burst: a flash (or, for a collapsing building, a dust ball), a spray of thrown fragments
// and, at the best smoke setting, a few growing smoke puffs. Everything is set up once when it
// is made, in fixed arrays; drawing allocates nothing.
class EphemeralBurst : public Ephemeral {
 public:
  static constexpr int32_t kMaxElements = 250;
  static constexpr int32_t kMaxPuffs = 10;
  // A burst larger than this is refused: every blast is far smaller, and a huge one would keep
  // the replay from ending.
  static constexpr float kMaxSize = 1000.0f;

  // Type 0, 1 or 2; any other is a programmer error.
  explicit EphemeralBurst(int32_t burstType);

  // Fills the fragments and puffs from duration, size, dust and type; draws from random only.
  void SetupElements(GRandom& random);
  void Draw(int32_t slice, EffectView& view) override;

  // The dust cloud of a collapsing building at (x, y) on ground of height groundZ, from the
  // start slice, lasting 7 to 9 s (1.5 s more when large); the caller owns it.
  static EphemeralBurst* NewDustCloud(float x, float y, float groundZ, bool large, int32_t start, GRandom& random);
  // The number of fragments a burst of this duration throws (before the dust cloud's cut).
  static int32_t ElementCountFor(int32_t duration);
  // Whether a size may make a burst: finite and within 0..kMaxSize.
  static bool IsSizeValid(float size);

  GBoundingBox bounds;
  float size = 0.0f;
  int32_t burstType = 0;
  bool dust = false;
  int32_t elementCount = 0;
  std::array<float, kMaxElements * 3> velocity{};  // metres per second
  std::array<float, kMaxElements * 2> rotation{};  // degrees
  std::array<float, kMaxElements * 2> spin{};      // degrees per second
  std::array<float, kMaxElements> halfSize{};      // metres
  std::array<int8_t, kMaxElements> textureKind{};  // 0..3
  int32_t puffCount = 0;
  std::array<float, kMaxPuffs> puffStart{};
  std::array<float, kMaxPuffs * 3> puffOffset{};
  std::array<float, kMaxPuffs> puffRadius{};
  std::array<float, kMaxPuffs> puffGrowth{};
};
