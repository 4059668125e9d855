#include "framework/core/GDynamicArray.h"

#include <new>

GDynamicArray::~GDynamicArray() { Release(); }

void GDynamicArray::Release() {
  delete[] data_;
  data_ = nullptr;
  UpdateReady();
}

void GDynamicArray::UpdateReady() {
  // Every change of the block (made, read, released) passes here.
  ++revision_;
  bool accessible = data_ != nullptr && lockWord_ == 0 && columns_ > 0;
  int32_t rows = accessible ? count_ / columns_ : 0;
  for (int size = 0; size <= 4; ++size) {
    accessibleRows_[size] = (size == 0 || size == elementSize_) ? rows : 0;
  }
}

void GDynamicArray::Fail(int32_t row, int32_t column, int32_t size, int32_t firstLine, int32_t sizeLine) const {
  if (!IsValidIndex(row, column)) FatalError(firstLine, "GDynamicArray");
  if (data_ == nullptr) FatalError(firstLine + 1, "GDynamicArray");
  if (lockWord_ != 0) FatalError(firstLine + 2, "GDynamicArray");
  if (size != 0 && elementSize_ != size) FatalError(sizeLine, "GDynamicArray");
  // Not reached: Fail is only called when one of the tests above holds.
  FatalError(firstLine, "GDynamicArray");
}

void GDynamicArray::Init(int16_t elementSize, int32_t rows, int32_t columns) {
  if (elementSize < 1) FatalError(46, "GDynamicArray");
  if (columns < 1) FatalError(48, "GDynamicArray");
  // In 64 bits, so that a product past the 32-bit range is refused instead of wrapping.
  int64_t count = static_cast<int64_t>(rows) * columns;
  if (count < 0 || count > INT32_MAX) FatalError(50, "GDynamicArray");
  Release();
  data_ = new (std::nothrow) uint8_t[static_cast<size_t>(count) * static_cast<size_t>(elementSize)];
  if (data_ == nullptr) FatalError(54, "GDynamicArray");
  elementSize_ = elementSize;
  columns_ = columns;
  count_ = static_cast<int32_t>(count);
  UpdateReady();
}

void GDynamicArray::CopyDataTo(void* destination) const {
  if (data_ == nullptr) FatalError(79, "GDynamicArray");
  size_t bytes = static_cast<size_t>(count_) * static_cast<size_t>(elementSize_);
  if (bytes > 0) std::memcpy(destination, data_, bytes);
}

void GDynamicArray::Zero() {
  if (data_ == nullptr) FatalError(90, "GDynamicArray");
  ++revision_;
  size_t bytes = static_cast<size_t>(count_) * static_cast<size_t>(elementSize_);
  if (bytes > 0) std::memset(data_, 0, bytes);
}

void GDynamicArray::SetBytes(int32_t row, int32_t column, const void* source) {
  ++revision_;
  uint8_t* p = CheckedAnySize(row, column, 389);
  std::memcpy(p, source, static_cast<size_t>(elementSize_));
}
