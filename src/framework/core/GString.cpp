#include "framework/core/GString.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/core/GString255.h"
#include "framework/core/GString63.h"
#include "framework/core/Quorl.h"
#include "platform/PStringTable.h"

namespace {

// Decimal text of value into digits (at least 12 bytes), returns its length.
int DecimalText(int32_t value, char* digits) {
  char reversed[12];
  int n = 0;
  // The magnitude in unsigned arithmetic, so INT32_MIN needs no special case.
  uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  do {
    reversed[n++] = static_cast<char>('0' + magnitude % 10u);
    magnitude /= 10u;
  } while (magnitude != 0);
  int length = 0;
  if (value < 0) digits[length++] = '-';
  while (n > 0) digits[length++] = reversed[--n];
  digits[length] = 0;
  return length;
}

uint8_t UpperAscii(uint8_t c) { return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 32) : c; }

}  // namespace

GString& GString::operator=(const GString& other) {
  if (&other != this) AssignString(other);
  return *this;
}

void GString::LoadResource(uint32_t id) {
  if (buffer_ == nullptr) FatalError(4, "GString");
  SetLength(0);
  int count = PStringTable::LoadString(id, reinterpret_cast<char*>(buffer_ + 1),
                                       static_cast<size_t>(capacity_) + 1);
  SetLength(std::clamp(count, 0, static_cast<int>(capacity_)));
}

void GString::Assign(const char* text) {
  if (buffer_ == nullptr) FatalError(28, "GString");
  int32_t n = 0;
  if (text != nullptr) {
    while (n < capacity_ && text[n] != 0) {
      buffer_[n + 1] = static_cast<uint8_t>(text[n]);
      ++n;
    }
  }
  SetLength(n);
  buffer_[capacity_ + 1] = 0;
}

void GString::AssignNumber(int32_t value) {
  if (buffer_ == nullptr) FatalError(55, "GString");
  char digits[12];
  DecimalText(value, digits);
  Assign(digits);
}

void GString::AssignPString(const uint8_t* source) {
  if (buffer_ == nullptr) FatalError(81, "GString");
  if (source == nullptr) {
    SetLength(0);
    return;
  }
  int32_t n = std::min<int32_t>(source[0], capacity_);
  if (n > 0 && source != buffer_) std::memmove(buffer_ + 1, source + 1, static_cast<size_t>(n));
  SetLength(n);
}

void GString::AssignString(const GString& other) { AssignPString(other.PStr()); }

void GString::Clear() { Assign(nullptr); }

void GString::Append(const GString& other) {
  int32_t length = Length();
  if (length >= capacity_) return;
  int32_t n = std::min<int32_t>(other.Length(), capacity_ - length);
  if (n <= 0) return;
  // memmove: a string may be appended to itself.
  std::memmove(buffer_ + 1 + length, other.PStr() + 1, static_cast<size_t>(n));
  SetLength(length + n);
}

void GString::AppendCString(const char* text) {
  GString255 temporary;
  temporary.Assign(text);
  Append(temporary);
}

void GString::AppendNumber(int32_t value) {
  GString255 temporary;
  temporary.AssignNumber(value);
  Append(temporary);
}

void GString::AppendResource(uint32_t id) {
  GString255 temporary;
  temporary.LoadResource(id);
  Append(temporary);
}

void GString::AppendChar(char c) {
  int32_t length = Length();
  if (length >= capacity_) return;
  buffer_[length + 1] = static_cast<uint8_t>(c);
  SetLength(length + 1);
}

void GString::AppendNewline() {
  AppendChar('\r');
  AppendChar('\n');
}

void GString::AppendSpaces(int32_t count) {
  int32_t length = Length();
  int32_t n = std::min<int32_t>(count, capacity_ - length);
  if (n <= 0) return;
  std::memset(buffer_ + 1 + length, ' ', static_cast<size_t>(n));
  SetLength(length + n);
}

void GString::AppendFloat(float value, int32_t decimals) {
  if (decimals < 1) FatalError(253, "GString");
  GString63 whole;
  GString63 fraction;
  // A negative value is written as '-' and the text of its magnitude, so that the point
  // and the fraction read as one number.
  if (value < 0.0f) {
    whole.AppendChar('-');
    value = -value;
  }
  int32_t integer = TruncateToInt32(static_cast<double>(value));
  whole.AppendNumber(integer);
  whole.AppendChar('.');
  double scaled = static_cast<double>(value - static_cast<float>(integer)) *
                  std::pow(10.0, static_cast<double>(decimals));
  fraction.AssignNumber(TruncateToInt32(scaled));
  // Leading zeros of the fraction: 2.05 to three places is 2.0 then 49.
  for (int32_t missing = decimals - fraction.Length(); missing > 0 && whole.Length() < whole.Capacity();
       --missing) {
    whole.AppendChar('0');
  }
  whole.Append(fraction);
  Append(whole);
}

void GString::PadToWidth(int32_t width) { AppendSpaces(width - Length()); }

char GString::GetChar(int32_t index) const {
  if (index < 0 || index >= Length()) FatalError(353, "GString");
  return static_cast<char>(buffer_[index + 1]);
}

void GString::Truncate(int32_t count, bool keepStart) {
  int32_t length = Length();
  if (count >= length) return;
  if (count < 0) count = 0;
  if (!keepStart && count > 0) {
    std::memmove(buffer_ + 1, buffer_ + 1 + (length - count), static_cast<size_t>(count));
  }
  SetLength(count);
}

bool GString::Equals(const GString& other) const {
  int32_t length = Length();
  if (length != other.Length()) return false;
  return length == 0 || std::memcmp(buffer_ + 1, other.buffer_ + 1, static_cast<size_t>(length)) == 0;
}

int32_t GString::Compare(const GString& other, bool caseSensitive) const {
  if (Length() == 0) return other.Length() == 0 ? 0 : -1;
  if (other.Length() == 0) return 1;
  // Both texts end in a NUL, so the walk stops at the shorter one's end at the latest.
  const uint8_t* a = buffer_ + 1;
  const uint8_t* b = other.buffer_ + 1;
  for (;; ++a, ++b) {
    uint8_t x = caseSensitive ? *a : UpperAscii(*a);
    uint8_t y = caseSensitive ? *b : UpperAscii(*b);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

int32_t GString::ToInteger() const {
  const char* p = CStr();
  while (*p == ' ') ++p;
  bool negative = false;
  if (*p == '-') {
    negative = true;
    ++p;
  }
  if (*p < '0' || *p > '9') return 0;
  // Unsigned arithmetic wraps modulo 2^32 without undefined behaviour.
  uint32_t value = 0;
  while (*p >= '0' && *p <= '9') value = value * 10u + static_cast<uint32_t>(*p++ - '0');
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

void GString::MakeRandom() {
  Clear();
  PadRandom();
}

void GString::PadRandom() {
  if (buffer_ == nullptr) return;
  int32_t length = Length();
  for (int32_t p = capacity_; p > length; --p) {
    // The case draw comes first, then the letter: two draws per position, always.
    bool upper = Random(2) == 0;
    buffer_[p] = static_cast<uint8_t>((upper ? 'A' : 'a') + Random(26));
  }
  SetLength(capacity_);
}
