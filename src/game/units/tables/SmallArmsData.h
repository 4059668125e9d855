#pragma once
#include <cstdint>

#include "game/units/tables/RecordView.h"

// One small-arms entry of the built-in tables (84 bytes): firepower at eleven ranges, the
// maximum range and the class of armour it can hurt.
class SmallArmsData : public RecordView {
 public:
  static constexpr uint32_t kSize = 84;
  static constexpr int32_t kNone = 33;
  static constexpr int32_t kRangePoints = 11;
  // The ranges in metres of the eleven firepower values.
  static constexpr int32_t kRangeOf[kRangePoints] = {40, 100, 175, 250, 375, 500, 650, 850, 1200, 1800, 2500};

  using RecordView::RecordView;

  // The weapon's name as the unit balloon's firepower table shows it.
  std::string_view Name() const { return Text(0, 26); }
  int16_t PerMan() const { return I16(26); }
  float Firepower(int32_t point) const { return F32(28 + 4 * point); }  // point 0..10
  int16_t MaxRange() const { return I16(72); }
  int32_t AntiArmourClass() const { return I32(76); }
  int8_t Flag() const { return I8(80); }
};
