#pragma once
#include <cstdint>

#include "framework/core/Quorl.h"

// One built-in table as loaded: its bytes and their length. Records lie one after another,
// Record::kSize bytes each; a trailing part shorter than a record is no record. Readers of
// files test IsValid before they trust an index; asking for a record that is not there is a
// programmer's error and stops the program.
template <class Record>
class DataTable {
 public:
  DataTable() = default;
  DataTable(const uint8_t* bytes, uint32_t length) : bytes_(bytes), length_(length) {}

  int32_t Count() const { return bytes_ == nullptr ? 0 : static_cast<int32_t>(length_ / Record::kSize); }
  bool IsValid(int32_t index) const { return index >= 0 && index < Count(); }
  Record operator[](int32_t index) const {
    if (!IsValid(index)) FatalError(kLine, "Hack.cpp");
    return Record(bytes_ + static_cast<uint32_t>(index) * Record::kSize);
  }
  const uint8_t* Bytes() const { return bytes_; }
  uint32_t Length() const { return length_; }

 private:
  static constexpr int32_t kLine = 130;
  const uint8_t* bytes_ = nullptr;
  uint32_t length_ = 0;
};
