#pragma once
#include <cstdint>
#include <cstring>

#include "framework/core/GObject.h"
#include "framework/core/Quorl.h"

// A two-dimensional grid of fixed-size elements (1, 2 or 4 bytes for the typed accessors)
// in one heap block, addressed by row and column. Every access is checked: a bad index, a
// missing block, a non-zero lock word or the wrong element size is fatal. The checks are
// inline and compute the element number in 64 bits, so no index can wrap past them.
class GDynamicArray : public GObject {
 public:
  // The largest element count a stored grid may have; anything larger is refused.
  static constexpr int64_t kMaxStoredCount = int64_t{1} << 26;

  GDynamicArray() = default;
  GDynamicArray(const GDynamicArray&) = delete;
  GDynamicArray& operator=(const GDynamicArray&) = delete;
  ~GDynamicArray() override;

  // Frees any old block and allocates rows x columns elements; the contents are undefined.
  void Init(int16_t elementSize, int32_t rows, int32_t columns);
  void GetDimensions(int32_t& rows, int32_t& columns) const {
    rows = columns_ > 0 ? count_ / columns_ : 0;
    columns = columns_;
  }
  int32_t Count() const { return count_; }
  int16_t ElementSize() const { return elementSize_; }
  int32_t LockWord() const { return lockWord_; }
  bool HasBlock() const { return data_ != nullptr; }
  // Copies the whole block (count x element size bytes) to destination.
  void CopyDataTo(void* destination) const;
  void Zero();

  bool IsValidIndex(int32_t row, int32_t column) const {
    if (column < 0 || column >= columns_) return false;
    int64_t index = static_cast<int64_t>(row) * columns_ + column;
    return index >= 0 && index < count_;
  }

  uint8_t* ElementPtr(int32_t row, int32_t column) { return Checked(row, column, 197); }
  uint8_t GetU8(int32_t row, int32_t column) const {
    const uint8_t* p = Checked(row, column, 225);
    if (elementSize_ != 1) FatalError(228, "GDynamicArray");
    return *p;
  }
  uint16_t GetU16(int32_t row, int32_t column) const {
    const uint8_t* p = Checked(row, column, 254);
    if (elementSize_ != 2) FatalError(257, "GDynamicArray");
    uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }
  uint32_t GetU32(int32_t row, int32_t column) const {
    const uint8_t* p = Checked(row, column, 283);
    if (elementSize_ != 4) FatalError(286, "GDynamicArray");
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }
  float GetFloat(int32_t row, int32_t column) const {
    const uint8_t* p = Checked(row, column, 312);
    if (elementSize_ != 4) FatalError(315, "GDynamicArray");
    float v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }

  // Copies one element's bytes (element size of them) from source.
  void SetBytes(int32_t row, int32_t column, const void* source);
  void SetU8(int32_t row, int32_t column, uint8_t value) {
    uint8_t* p = Checked(row, column, 197);
    if (elementSize_ != 1) FatalError(412, "GDynamicArray");
    *p = value;
  }
  void SetU16(int32_t row, int32_t column, uint16_t value) {
    uint8_t* p = Checked(row, column, 197);
    if (elementSize_ != 2) FatalError(434, "GDynamicArray");
    std::memcpy(p, &value, sizeof value);
  }
  void SetU32(int32_t row, int32_t column, uint32_t value) {
    uint8_t* p = Checked(row, column, 197);
    if (elementSize_ != 4) FatalError(456, "GDynamicArray");
    std::memcpy(p, &value, sizeof value);
  }
  void SetFloat(int32_t row, int32_t column, float value) {
    uint8_t* p = Checked(row, column, 197);
    if (elementSize_ != 4) FatalError(478, "GDynamicArray");
    std::memcpy(p, &value, sizeof value);
  }

  // The stored form (grids of one-byte elements only): count, element size, columns and
  // lock word, big-endian, then the elements row by row. A stored grid that is damaged or
  // implausible (count not rows x columns, too large, longer than the file, a non-zero lock
  // word, wider elements) is refused through the file's error flag, and nothing is allocated.
  void Read(GFile& file) override;
  void Write(GFile& file) const override;

 private:
  // The element's address after the index, block and lock checks (fatal at firstLine,
  // firstLine + 1 and firstLine + 2).
  uint8_t* Checked(int32_t row, int32_t column, int32_t firstLine) const {
    int64_t index = static_cast<int64_t>(row) * columns_ + column;
    if (static_cast<uint32_t>(column) >= static_cast<uint32_t>(columns_) ||
        static_cast<uint64_t>(index) >= static_cast<uint64_t>(count_)) {
      FatalError(firstLine, "GDynamicArray");
    }
    if (data_ == nullptr) FatalError(firstLine + 1, "GDynamicArray");
    if (lockWord_ != 0) FatalError(firstLine + 2, "GDynamicArray");
    return data_ + index * elementSize_;
  }
  void Release();

  int32_t columns_ = 0;
  int32_t lockWord_ = 0;
  int32_t count_ = 0;
  int16_t elementSize_ = 0;
  uint8_t* data_ = nullptr;
};
