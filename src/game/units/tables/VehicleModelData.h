#pragma once
#include <cstdint>

#include "game/units/tables/RecordView.h"

// One vehicle model of the built-in tables (100 bytes): its engine sound, the drawing
// values and the textures it is drawn with.
class VehicleModelData : public RecordView {
 public:
  static constexpr uint32_t kSize = 100;
  static constexpr int32_t kCount = 99;
  static constexpr int32_t kBaseTextures = 5;
  static constexpr int32_t kMaxExtraTextures = 11;

  using RecordView::RecordView;

  int16_t Sound() const { return I16(0); }
  int8_t HatchCount() const { return I8(2); }
  uint8_t Value3() const { return U8(3); }
  int32_t Value4() const { return I32(4); }
  int32_t Value8() const { return I32(8); }
  int32_t DrawValue(int32_t i) const { return I32(12 + 4 * i); }  // i 0..4
  float Value52() const { return F32(52); }
  float Value56() const { return F32(56); }
  float RiderHeight() const { return F32(60); }
  int16_t Texture(int32_t i) const { return I16(64 + 2 * i); }  // i 0..4, 0 = none
  int16_t ExtraTextureCount() const { return I16(74); }
  int16_t ExtraTexture(int32_t i) const { return I16(76 + 2 * i); }  // i 0..10
  // ---- Crew places of the vehicle's picture ----
  // The crew shown on the hull: a count (byte 3, at most kCrewPlaces are read), each place's
  // pose kind 0..9 and its x, y, z, heading (degrees) and turret pivot offset along y.
  static constexpr int32_t kCrewPlaces = 2;
  int32_t CrewPlaces() const { return I8(3) < 0 ? 0 : (I8(3) > kCrewPlaces ? kCrewPlaces : I8(3)); }
  int32_t CrewKind(int32_t i) const { return I32(4 + 4 * i); }  // i 0..1
  float CrewValue(int32_t i, int32_t field) const { return F32(12 + 20 * i + 4 * field); }  // field 0..4
  // ---- End of crew places ----
};
