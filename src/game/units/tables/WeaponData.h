#pragma once
#include <cstdint>

#include "game/units/tables/RecordView.h"

// One weapon of the built-in tables (116 bytes): ballistics per ammunition kind (0 high
// explosive, 1 armour-piercing, 2 tungsten, 3 hollow charge, 4 smoke), the ammunition mix
// rows, cost class fields, the flag word (WeaponFlags.h) and ranges.
class WeaponData : public RecordView {
 public:
  static constexpr uint32_t kSize = 116;
  static constexpr int32_t kNone = 104;
  static constexpr int32_t kNoDrawKind = 24;
  static constexpr int32_t kKinds = 5;
  static constexpr int32_t kMixRows = 3;
  // Shot type of hollow-charge weapons.
  static constexpr int32_t kShotHollowCharge = 5;

  using RecordView::RecordView;

  int32_t Type() const { return I32(0); }
  float Calibre() const { return F32(4); }
  float Mass(int32_t kind) const { return F32(8 + 4 * kind); }       // kind 0..4
  // Kind 4's mass field holds its charge value.
  float ChargeValue() const { return F32(24); }
  float Velocity(int32_t kind) const { return F32(28 + 4 * kind); }   // kind 0..4
  float HollowChargePenetration() const { return F32(48); }
  float ExplosiveFraction() const { return F32(52); }
  int32_t ShotType() const { return I32(56); }
  uint8_t SubCalibre() const { return U8(60); }
  int8_t Count() const { return I8(61); }
  uint8_t Value62() const { return U8(62); }
  int8_t MixPercent(int32_t row, int32_t i) const { return I8(64 + 8 * row + i); }  // i 0..1
  int32_t MixCount(int32_t row) const { return I32(68 + 8 * row); }
  int16_t CostClass(int32_t i) const { return I16(88 + 2 * i); }  // i 0..1
  uint16_t Flags() const { return U16(92); }
  float MinRange() const { return F32(96); }
  float MaxRange() const { return F32(100); }
  // The report played when it fires (0: none).
  int16_t Sound() const { return I16(104); }
  int32_t DrawKind() const { return I32(108); }
  // The size the crew weapon's model is drawn at (1: as built); above 0 in every record.
  float ModelScale() const { return F32(112); }
};
