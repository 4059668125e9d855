#pragma once
#include <cstdint>
#include <cstring>
#include <string_view>

#include "framework/core/LittleEndian.h"

// The base of the record classes of the built-in tables: typed reads of little-endian fields
// at byte offsets of one record's raw bytes.
class RecordView {
 public:
  explicit RecordView(const uint8_t* bytes) : bytes_(bytes) {}
  const uint8_t* Bytes() const { return bytes_; }

  uint8_t U8(int32_t offset) const { return bytes_[offset]; }
  int8_t I8(int32_t offset) const { return static_cast<int8_t>(bytes_[offset]); }
  int16_t I16(int32_t offset) const { return LoadLEI16(bytes_ + offset); }
  uint16_t U16(int32_t offset) const { return LoadLE16(bytes_ + offset); }
  int32_t I32(int32_t offset) const { return LoadLEI32(bytes_ + offset); }
  float F32(int32_t offset) const { return LoadLEFloat(bytes_ + offset); }
  // A text field of at most width bytes, ending at its first NUL or at the field's end.
  std::string_view Text(int32_t offset, int32_t width) const {
    const char* text = reinterpret_cast<const char*>(bytes_ + offset);
    const void* end = std::memchr(text, 0, static_cast<size_t>(width));
    return {text, end == nullptr ? static_cast<size_t>(width) : static_cast<size_t>(static_cast<const char*>(end) - text)};
  }

 private:
  const uint8_t* bytes_;
};
