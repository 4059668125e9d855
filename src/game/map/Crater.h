#pragma once
#include <cstdint>

#include "framework/core/GObject.h"

class Map;
class MapUnitView;

// A shell or bomb crater on the map: a rotated square that follows the ground. The map keeps
// lasting craters and temporary marks in two lists and stores them with itself. Only the
// crater follows the ground of the map that owns it; one made while the battle records
// nothing is hidden from the other side until one of that side's units spots it.
class Crater : public GObject {
 public:
  static constexpr uint32_t kStoredSize = 15;
  // Flag bits of the stored form.
  static constexpr uint8_t kFlagLasting = 8;
  static constexpr uint8_t kFlagHidden = 4;
  static constexpr uint8_t kFlagRevealed = 2;
  static constexpr uint8_t kFlagOwnerAxis = 1;

  Crater() = default;
  explicit Crater(const Map* owner) : map_(owner) {}
  Crater(const Crater& other) = default;
  Crater& operator=(const Crater& other) = default;

  GObject* CopyItself() const override { return new Crater(*this); }
  // The stored form, big-endian, 15 bytes: the flags byte, f32 x, f32 y, then radius x 100,
  // rotation x 50 and depth offset x 200 as 16-bit scaled values (saturating when written).
  void Read(GFile& file) override;
  void Write(GFile& file) const override;
  // A new crater of the size (twice its radius) from a crater packet, its radius, rotation and
  // depth offset rounded as its stored form keeps them; hidden while the battle records
  // nothing, then owned by the placing side.
  void Init(float cx, float cy, float size, bool isLasting, float degrees, float depth);
  // Recomputes what is not stored (heights, flatness, mixed ground) from the ground of the
  // owning map under the crater; nothing without one.
  void Rebuild();
  // Corner i (1..4) of the turned square.
  void CornerAt(int32_t i, float& cx, float& cy) const;
  // A lasting crater not yet revealed: revealed at once with fog of war off, else when a unit
  // of the other side that can fight sees it from within the spotting radius.
  void TryReveal();
  // Whether the unit spots the crater within the radius (below it, by whole squared metres).
  bool IsSpottedBy(const MapUnitView& unit, float radius) const;
  // Marks the crater revealed and records it, 4 slices later.
  void Reveal();
  // The spotting radius at the crater by the ground and the battle's visibility class.
  float SpottingRadius() const;
  // Draws the crater in the owning map's crater texture, following the ground; a hidden one
  // only for the side that made it until revealed.
  void Draw() const;
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

 private:
  const Map* map_ = nullptr;
};
