#pragma once
#include <cstdint>

#include "framework/core/GObject.h"

// The program's text type: a length-prefixed byte string of bounded capacity. The storage
// (capacity + 2 bytes: the length byte, the text, a NUL) lives inline in the fixed forms
// GString15 ... GString255; a bare GString has no storage and is only used through them.
// Everything that would pass the capacity is cut silently.
class GString : public GObject {
 public:
  GString() = default;
  // A bare string cannot be copied: its buffer belongs to the object it lives in.
  GString(const GString&) = delete;
  ~GString() override = default;

  // Copies the other string's text (cut at this capacity); nothing when other is this.
  GString& operator=(const GString& other);

  // The text of string-table entry id; a missing id gives the empty text.
  void LoadResource(uint32_t id);
  // Copies a NUL-terminated text, cut at the capacity; null gives the empty text.
  void Assign(const char* text);
  void AssignNumber(int32_t value);
  // Copies a length-prefixed buffer, cut at the capacity; null gives the empty text.
  void AssignPString(const uint8_t* source);
  void AssignString(const GString& other);
  // Makes the text empty.
  void Clear();

  void Append(const GString& other);
  void AppendCString(const char* text);
  void AppendNumber(int32_t value);
  void AppendResource(uint32_t id);
  void AppendChar(char c);
  // CR LF, each only when there is room.
  void AppendNewline();
  void AppendSpaces(int32_t count);
  // The integer part, a point and the fraction truncated to the given number of decimals.
  void AppendFloat(float value, int32_t decimals);
  // Appends blanks until the text is width long (within the capacity); a longer text stays.
  void PadToWidth(int32_t width);

  char GetChar(int32_t index) const;
  char GetCharFromEnd(int32_t i) const { return GetChar(Length() - i - 1); }
  // Cuts the text to count bytes, keeping its start or its end.
  void Truncate(int32_t count, bool keepStart);
  void RemoveLast(int32_t n) { Truncate(Length() - n, true); }

  bool Equals(const GString& other) const;
  // -1, 0 or 1; without case only 'a'..'z' are folded to upper case.
  int32_t Compare(const GString& other, bool caseSensitive) const;
  // Leading blanks, an optional '-', then digits; anything else gives 0.
  int32_t ToInteger() const;

  // Random letters from the end of the text up to the capacity: two draws a letter.
  void MakeRandom();
  void PadRandom();

  // The stored form: the length byte, then the text without its NUL. A stored text longer
  // than the capacity is read whole and cut; a file that ends early leaves the text empty
  // (the file's error flag tells the caller). ReadText answers whether the whole stored text
  // fitted: a reader whose writer never stores more than the capacity refuses one that did not.
  void Read(GFile& file) override { ReadText(file); }
  void Write(GFile& file) const override { WriteText(file); }
  bool ReadText(GFile& file);
  void WriteText(GFile& file) const;

  uint8_t Length() const { return buffer_ ? buffer_[0] : 0; }
  int16_t Capacity() const { return capacity_; }
  const char* CStr() const { return buffer_ ? reinterpret_cast<const char*>(buffer_ + 1) : ""; }
  const uint8_t* PStr() const { return buffer_; }

 protected:
  // The fixed forms hand over their inline storage (capacity + 2 bytes) and make it empty
  // with MakeEmpty once their members exist.
  GString(uint8_t* storage, int16_t capacity) : buffer_(storage), capacity_(capacity) {}
  void MakeEmpty() {
    buffer_[0] = 0;
    buffer_[1] = 0;
  }

 private:
  void SetLength(int32_t length) {
    buffer_[0] = static_cast<uint8_t>(length);
    buffer_[length + 1] = 0;
  }

  uint8_t* buffer_ = nullptr;
  int16_t capacity_ = 0;
};
