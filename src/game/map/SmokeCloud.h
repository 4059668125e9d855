#pragma once
#include <cstdint>

#include "framework/core/GObject.h"

// A cloud of smoke lying on the battlefield: the map keeps the live clouds in its smoke list,
// stores them with the map and lets its sight traces consult them; the battle makes, counts
// down and removes them. It is kept with the map because the map reads and writes it.
class SmokeCloud : public GObject {
 public:
  static constexpr uint32_t kStoredSize = 20;

  SmokeCloud() = default;
  SmokeCloud(float x, float y, int32_t startSlice, int32_t lifetime, float radius)
      : x(x), y(y), startSlice(startSlice), lifetime(lifetime), radius(radius) {}

  GObject* CopyItself() const override;
  // The stored form, big-endian: f32 x, f32 y, u32 start slice, u32 remaining lifetime,
  // f32 radius.
  void Read(GFile& file) override;
  void Write(GFile& file) const override;

  float x = 0.0f;
  float y = 0.0f;
  int32_t startSlice = 0;
  int32_t lifetime = 0;  // remaining lifetime in time slices
  float radius = 0.0f;   // metres: the smoke's strength
};
