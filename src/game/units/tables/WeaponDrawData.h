#pragma once
#include <cstdint>

#include "game/units/tables/RecordView.h"

// How one kind of crew-served weapon is drawn beside its figures (48 bytes): its place in
// the figure model and its textures.
class WeaponDrawData : public RecordView {
 public:
  static constexpr uint32_t kSize = 48;
  static constexpr int32_t kCount = 24;
  static constexpr int32_t kMaxTextures = 17;

  using RecordView::RecordView;

  float Offset(int32_t axis) const { return F32(4 * axis); }  // axis 0..2
  int16_t TextureCount() const { return I16(12); }
  int16_t Texture(int32_t i) const { return I16(14 + 2 * i); }  // i 0..16
};
