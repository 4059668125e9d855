#pragma once
#include <cstdint>
#include <string_view>

#include "game/units/tables/RecordView.h"

// One formation of the built-in tables (152 bytes): its name, the nationalities that field
// it, up to eight entries (units or nested formations) and the dates it existed.
class FormationData : public RecordView {
 public:
  static constexpr uint32_t kSize = 152;
  static constexpr int32_t kCount = 129;
  static constexpr int32_t kMaxNations = 5;
  static constexpr int32_t kMaxEntries = 8;
  // Entry kind of a nested formation.
  static constexpr int32_t kNestedFormation = 4;

  using RecordView::RecordView;

  uint8_t InUse() const { return U8(0); }
  std::string_view Name() const { return Text(1, 47); }
  uint8_t NationCount() const { return U8(48); }
  int32_t Nation(int32_t i) const { return I32(52 + 4 * i); }  // i 0..4
  uint8_t EntryCount() const { return U8(72); }
  int32_t EntryKind(int32_t i) const { return I32(76 + 8 * i); }  // i 0..7
  int8_t EntryNumber(int32_t i) const { return I8(76 + 8 * i + 4); }
  int16_t EntryClass(int32_t i) const { return I16(76 + 8 * i + 6); }
  int16_t FirstDate() const { return I16(140); }
  int16_t LastDate() const { return I16(142); }
  int32_t Selector(int32_t i) const { return I32(144 + 4 * i); }  // i 0..1
};
