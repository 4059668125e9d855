#pragma once
#include <cstdint>

#include "framework/core/GObject.h"

class Battle;
class GFile;

// An objective point of a battle. A static flag is worth 100 (small) or 300 (large) points to
// the side that holds it; among dynamic flags one, the chosen one, is worth the battle's flag
// value, and the side that does not know which sees the average.
class VictoryFlag : public GObject {
 public:
  static constexpr int32_t kStoredSize = 13;

  // At a random point of the map's first 150 m, small, contested.
  VictoryFlag();
  VictoryFlag(float x, float y, int32_t type);
  ~VictoryFlag() override = default;

  // The 13-byte stored form: x, y (f32), then type, contested, holder, dynamic and chosen, a
  // byte each. Reading refuses (error flag) coordinates that are not finite.
  void Read(GFile& file) override;
  void Write(GFile& file) const override;

  // The flag's worth to side 0 (forSide0) or side 1; limitedView gives the side that does not
  // know the chosen dynamic flag the average value.
  float GetPoints(const Battle& battle, bool forSide0, bool limitedView) const;
  // Who holds the flag now: a side that surrendered loses every flag; otherwise the side whose
  // presence near the flag is more than four times the other's, unless both pass 30.
  void UpdateHolder(const Battle& battle, bool onlyIdentified);

  float x = 0.0f;
  float y = 0.0f;
  int32_t type = 0;       // 0 small, 1 large
  uint8_t contested = 1;  // no side holds the flag
  int32_t holder = 0;     // nationality of the holding side: 0 Axis, any other Allied
  uint8_t dynamic = 0;
  uint8_t chosen = 0;
};
