// The stored form of a grid, kept apart so that the grid itself does not depend on the file
// class.
#include <new>

#include "framework/core/GDynamicArray.h"
#include "framework/core/GFile.h"

void GDynamicArray::Write(GFile& file) const {
  if (elementSize_ != 1) FatalError(149, "GDynamicArray");
  file.WriteU32(static_cast<uint32_t>(count_));
  file.WriteU16(1);
  file.WriteU32(static_cast<uint32_t>(columns_));
  file.WriteU32(static_cast<uint32_t>(lockWord_));
  if (count_ > 0 && data_ != nullptr) file.Write(data_, count_);
}

void GDynamicArray::Read(GFile& file) {
  if (data_ != nullptr) FatalError(171, "GDynamicArray");
  uint32_t count = file.ReadU32();
  uint16_t elementSize = file.ReadU16();
  uint32_t columns = file.ReadU32();
  uint32_t lockWord = file.ReadU32();
  // Everything is tested before anything is allocated: a damaged or hostile header must
  // neither allocate a huge block nor leave a grid that every access would find fatal.
  bool sane = !file.HasError() && elementSize == 1 && lockWord == 0 && columns >= 1 &&
              columns <= static_cast<uint32_t>(INT32_MAX) && count <= kMaxStoredCount &&
              count % columns == 0 && count <= file.BytesLeft();
  if (!sane) {
    file.SetError();
    return;
  }
  uint8_t* data = new (std::nothrow) uint8_t[count > 0 ? count : 1];
  if (data == nullptr) FatalError(173, "GDynamicArray");
  if (count > 0) file.Read(data, static_cast<int32_t>(count));
  if (file.HasError()) {
    delete[] data;
    return;
  }
  data_ = data;
  count_ = static_cast<int32_t>(count);
  elementSize_ = 1;
  columns_ = static_cast<int32_t>(columns);
  lockWord_ = 0;
  UpdateReady();
}
