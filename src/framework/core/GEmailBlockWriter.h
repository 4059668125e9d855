#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

// Wraps bytes as the e-mail text block that survives being pasted into a mail message: the
// header ruler line, the marker line, the data as groups of three bytes written as four
// characters of a 64-character alphabet (18 groups a line), ";", a 6-character checksum line
// and the end ruler line, every line ending with CR LF. Bytes are handed in with Put in pieces
// of any size; Finish ends the block. Nothing at all is written for no bytes.
class GEmailBlockWriter {
 public:
  using Sink = std::function<void(const uint8_t* bytes, size_t count)>;

  static constexpr const char* kHeaderLine =
      "----------------- Play-By-Email Data Follows This Line -----------------";
  static constexpr const char* kEndLine =
      "---------------------- End of Play-By-Email Data -----------------------";
  static constexpr const char* kMarker =
      "aQ3&zX9!pL0#tY7*eR5+uI2=oP8-sD4.fG6(hJ1)kL3[cV5]bN7,mW9'yT2^qE4$";
  static constexpr int kMarkerLength = 64;
  static constexpr int kGroupsPerLine = 18;

  explicit GEmailBlockWriter(Sink sink);
  void Put(const uint8_t* bytes, size_t count);
  // Writes the last group (its missing bytes are zeros), ";", the checksum and the end line.
  void Finish();
  uint32_t Checksum() const { return checksum_; }

  // The character of a six-bit value, and the value of a character (no check: a character
  // outside the alphabet gives some value, which then fails the checksum).
  static uint8_t Character(unsigned value);
  static uint8_t Value(uint8_t character);

 private:
  void Group(const uint8_t* three);
  void Emit(const char* text, size_t count);
  void FlushOutput();

  Sink sink_;
  bool started_ = false;
  int lineCounter_ = 2;
  uint32_t checksum_ = 0;
  uint8_t carry_[3] = {0, 0, 0};
  int carried_ = 0;
  size_t outCount_ = 0;
  uint8_t out_[16384];
};
