#pragma once
#include <cstdint>

#include "framework/core/GObject.h"

// A shell or bomb crater on the map: a rotated square that follows the ground. The map keeps
// lasting craters and temporary marks in two lists and stores them with itself. Only the
// record and its stored form live here so far; the ground it follows (its heights), its
// drawing and its revealing come with the terrain queries.
class Crater : public GObject {
 public:
  static constexpr uint32_t kStoredSize = 15;
  // Flag bits of the stored form.
  static constexpr uint8_t kFlagLasting = 8;
  static constexpr uint8_t kFlagHidden = 4;
  static constexpr uint8_t kFlagRevealed = 2;
  static constexpr uint8_t kFlagOwnerAxis = 1;

  Crater() = default;
  Crater(const Crater& other) = default;
  Crater& operator=(const Crater& other) = default;

  GObject* CopyItself() const override { return new Crater(*this); }
  // The stored form, big-endian, 15 bytes: the flags byte, f32 x, f32 y, then radius x 100,
  // rotation x 50 and depth offset x 200 as 16-bit scaled values (saturating when written).
  void Read(GFile& file) override;
  void Write(GFile& file) const override;
  // Recomputes what is not stored (heights, flatness, mixed ground) from the ground under
  // the crater; completed with the terrain queries.
  void Rebuild() {}
  // Whether the crater's square (centre, half side radius, edges included) holds the point.
  bool SquareContains(float px, float py) const {
    return px >= x - radius && px <= x + radius && py >= y - radius && py <= y + radius;
  }

  float x = 0.0f;
  float y = 0.0f;
  float heights[5] = {};  // centre, then corners 1 to 4
  float radius = 0.0f;
  float rotation = 0.0f;     // degrees
  float depthOffset = 0.0f;  // added to every ground elevation
  uint8_t lasting = 0;
  uint8_t flat = 0;
  uint8_t mixedGround = 0;
  uint8_t hidden = 0;
  uint8_t revealed = 0;
  uint8_t ownerAxis = 0;
};
