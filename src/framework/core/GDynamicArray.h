#pragma once
#include <cstdint>
#include <cstring>

#include "framework/core/GObject.h"
#include "framework/core/Quorl.h"

// A two-dimensional grid of fixed-size elements (1, 2 or 4 bytes for the typed accessors)
// in one heap block, addressed by row and column. Every access is checked: a bad index, a
// missing block, a non-zero lock word or the wrong element size is fatal. The checks are
// inline and test the row and the column as unsigned values against the grid's rows and
// columns (IsValidIndex computes the element number in 64 bits), so no index can wrap past
// them.
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

  // A writable element: counted as a change.
  uint8_t* ElementPtr(int32_t row, int32_t column) {
    ++revision_;
    return CheckedAnySize(row, column, 197);
  }
  uint8_t GetU8(int32_t row, int32_t column) const { return *Checked<1>(row, column, 225, 228); }
  uint16_t GetU16(int32_t row, int32_t column) const {
    uint16_t v;
    std::memcpy(&v, Checked<2>(row, column, 254, 257), sizeof v);
    return v;
  }
  uint32_t GetU32(int32_t row, int32_t column) const {
    uint32_t v;
    std::memcpy(&v, Checked<4>(row, column, 283, 286), sizeof v);
    return v;
  }
  float GetFloat(int32_t row, int32_t column) const {
    float v;
    std::memcpy(&v, Checked<4>(row, column, 312, 315), sizeof v);
    return v;
  }

  // Copies one element's bytes (element size of them) from source.
  void SetBytes(int32_t row, int32_t column, const void* source);
  void SetU8(int32_t row, int32_t column, uint8_t value) {
    ++revision_;
    *Checked<1>(row, column, 197, 412) = value;
  }
  void SetU16(int32_t row, int32_t column, uint16_t value) {
    ++revision_;
    std::memcpy(Checked<2>(row, column, 197, 434), &value, sizeof value);
  }
  void SetU32(int32_t row, int32_t column, uint32_t value) {
    ++revision_;
    std::memcpy(Checked<4>(row, column, 197, 456), &value, sizeof value);
  }
  void SetFloat(int32_t row, int32_t column, float value) {
    ++revision_;
    std::memcpy(Checked<4>(row, column, 197, 478), &value, sizeof value);
  }
  // Raised by every way of changing the elements (sizing, zeroing, reading, the setters and
  // the writable element pointer): a summary of the elements stays good while it stands.
  uint64_t Revision() const { return revision_; }

  // The stored form (grids of one-byte elements only): count, element size, columns and
  // lock word, big-endian, then the elements row by row. A stored grid that is damaged or
  // implausible (count not rows x columns, too large, longer than the file, a non-zero lock
  // word, wider elements) is refused through the file's error flag, and nothing is allocated.
  void Read(GFile& file) override;
  void Write(GFile& file) const override;

 private:
  // The element's address after every check. The fast path is two unsigned compares: the
  // column against the columns and the row against accessibleRows_[kSize], which holds the
  // row count only while the grid has a block, a zero lock word and elements of kSize bytes
  // (index 0: of any size), and 0 otherwise. Since count is always rows x columns, this is
  // the same test as 0 <= row x columns + column < count, and nothing can wrap. The failure
  // path tells the causes apart: fatal at firstLine for the index, firstLine + 1 without a
  // block, firstLine + 2 for a lock word, sizeLine for the wrong element size.
  template <int kSize>
  uint8_t* Checked(int32_t row, int32_t column, int32_t firstLine, int32_t sizeLine) const {
    if (static_cast<uint32_t>(column) >= static_cast<uint32_t>(columns_) ||
        static_cast<uint32_t>(row) >= static_cast<uint32_t>(accessibleRows_[kSize])) [[unlikely]] {
      Fail(row, column, kSize, firstLine, sizeLine);
    }
    return data_ + (static_cast<int64_t>(row) * columns_ + column) * kSize;
  }
  uint8_t* CheckedAnySize(int32_t row, int32_t column, int32_t firstLine) const {
    // Checked<0> tests without a size and answers the block's start.
    return Checked<0>(row, column, firstLine, 0) + (static_cast<int64_t>(row) * columns_ + column) * elementSize_;
  }
  [[noreturn]] void Fail(int32_t row, int32_t column, int32_t size, int32_t firstLine, int32_t sizeLine) const;
  void UpdateReady();
  void Release();

  int32_t columns_ = 0;
  int32_t lockWord_ = 0;
  int32_t count_ = 0;
  int16_t elementSize_ = 0;
  uint8_t* data_ = nullptr;
  int32_t accessibleRows_[5] = {};
  uint64_t revision_ = 0;
};
