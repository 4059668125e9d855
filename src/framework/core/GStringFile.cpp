// The stored form of a string, kept apart from GString.cpp so that the string itself does not
// depend on the file class.
#include <algorithm>
#include <cstring>

#include "framework/core/GFile.h"
#include "framework/core/GString.h"
#include "framework/core/Quorl.h"

bool GString::ReadText(GFile& file) {
  if (buffer_ == nullptr) FatalError(144, "GString");
  int32_t stored = static_cast<uint8_t>(file.ReadByte());
  uint8_t text[256];
  // The whole stored text is taken, so the next field starts where it should even when the
  // text is longer than this string can hold.
  if (stored > 0) file.Read(text, stored);
  if (file.HasError()) {
    SetLength(0);
    return false;
  }
  int32_t n = std::min<int32_t>(stored, capacity_);
  if (n > 0) std::memcpy(buffer_ + 1, text, static_cast<size_t>(n));
  SetLength(n);
  return n == stored;
}

void GString::WriteText(GFile& file) const {
  if (buffer_ == nullptr) {
    file.WriteByte(0);
    return;
  }
  file.Write(buffer_, Length() + 1);
}
